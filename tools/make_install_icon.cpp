// Build-time tool: draws the program's "Install" icon (a fax sheet with a
// down arrow dropping into a tray) and writes it as an .ico file holding a
// 32x32 and a 16x16 image, each 16 colours (4 bits per pixel) with an AND
// mask, the format every 32-bit Windows version can show.
// Usage: make_install_icon <output.ico>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

// Palette indexes; index 0 is also what transparent pixels carry.
enum Colour : uint8_t { kClear = 0, kOutline, kPaper, kPrint, kArrowFill, kArrowEdge, kTrayFill, kColourCount };

struct Rgb { uint8_t r, g, b; };
const Rgb kPalette[kColourCount] = {
    {0, 0, 0},       {32, 32, 48},    {255, 255, 255}, {150, 150, 160},
    {40, 170, 70},   {20, 110, 40},   {60, 100, 190},
};
const int kPaletteEntries = 16;  // a 4-bit image always has room for 16

// Shapes in unit coordinates (0..1, y downwards), painted in this order.
struct Box { double left, top, right, bottom; };
const Box kPage = {0.20, 0.04, 0.80, 0.66};
const Box kTray = {0.06, 0.62, 0.94, 0.95};
const Box kTraySlot = {0.22, 0.62, 0.78, 0.72};
const Box kArrowShaft = {0.40, 0.14, 0.60, 0.50};
const double kArrowHeadTop = 0.48, kArrowHeadTip = 0.80, kArrowHeadHalf = 0.26;
const double kPrintLines[] = {0.14, 0.24, 0.34};

bool InBox(const Box& box, double x, double y, double inset) {
    return x >= box.left + inset && x < box.right - inset && y >= box.top + inset && y < box.bottom - inset;
}

// The arrow head: a triangle pointing down, centred at x 0.5.
bool InArrowHead(double x, double y, double inset) {
    if (y < kArrowHeadTop + inset || y >= kArrowHeadTip - inset) return false;
    double half = kArrowHeadHalf * (kArrowHeadTip - y) / (kArrowHeadTip - kArrowHeadTop) - inset;
    return x >= 0.5 - half && x < 0.5 + half;
}

bool InArrow(double x, double y, double inset) {
    return InBox(kArrowShaft, x, y, inset) || InArrowHead(x, y, inset);
}

bool OnPrintLine(double x, double y, double pixel) {
    if (x < kPage.left + 2 * pixel || x >= kPage.right - 2 * pixel) return false;
    for (double line : kPrintLines)
        if (y >= line && y < line + pixel) return true;
    return false;
}

// The colour of one pixel of an image `size` pixels wide, sampled at its centre.
Colour PixelColour(int column, int row, int size) {
    const double pixel = 1.0 / size;
    const double x = (column + 0.5) * pixel, y = (row + 0.5) * pixel;
    if (InArrow(x, y, 0)) return InArrow(x, y, pixel) ? kArrowFill : kArrowEdge;
    if (InBox(kTray, x, y, 0)) {
        if (!InBox(kTray, x, y, pixel)) return kOutline;
        return InBox(kTraySlot, x, y, 0) ? kOutline : kTrayFill;
    }
    if (InBox(kPage, x, y, 0)) {
        if (!InBox(kPage, x, y, pixel)) return kOutline;
        return OnPrintLine(x, y, pixel) ? kPrint : kPaper;
    }
    return kClear;
}

void PutU16(Bytes& out, unsigned value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(Bytes& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

size_t RowBytes(int bitsPerRow) { return size_t((bitsPerRow + 31) / 32) * 4; }

// One icon image: BITMAPINFOHEADER, palette, colour bits, AND mask (rows bottom-up).
Bytes IconImage(int size) {
    const size_t colourRow = RowBytes(size * 4), maskRow = RowBytes(size);
    Bytes image;
    PutU32(image, 40);
    PutU32(image, size);
    PutU32(image, size * 2);  // colour bits and mask stacked
    PutU16(image, 1);
    PutU16(image, 4);
    PutU32(image, 0);
    PutU32(image, uint32_t((colourRow + maskRow) * size));
    PutU32(image, 0);
    PutU32(image, 0);
    PutU32(image, kPaletteEntries);
    PutU32(image, 0);
    for (int i = 0; i < kPaletteEntries; ++i) {
        Rgb c = i < kColourCount ? kPalette[i] : Rgb{0, 0, 0};
        image.insert(image.end(), {c.b, c.g, c.r, 0});
    }
    Bytes colours(colourRow * size, 0), mask(maskRow * size, 0);
    for (int row = 0; row < size; ++row) {
        const size_t line = size_t(size - 1 - row);
        for (int column = 0; column < size; ++column) {
            Colour c = PixelColour(column, row, size);
            colours[line * colourRow + column / 2] |= uint8_t(column % 2 ? c : c << 4);
            if (c == kClear) mask[line * maskRow + column / 8] |= uint8_t(0x80 >> (column % 8));
        }
    }
    image.insert(image.end(), colours.begin(), colours.end());
    image.insert(image.end(), mask.begin(), mask.end());
    return image;
}

Bytes IconFile() {
    const int sizes[] = {32, 16};
    const int count = sizeof sizes / sizeof sizes[0];
    Bytes file, images[count];
    PutU16(file, 0);
    PutU16(file, 1);  // icon
    PutU16(file, count);
    uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        images[i] = IconImage(sizes[i]);
        file.push_back(uint8_t(sizes[i]));
        file.push_back(uint8_t(sizes[i]));
        file.push_back(uint8_t(kPaletteEntries));
        file.push_back(0);
        PutU16(file, 1);
        PutU16(file, 4);
        PutU32(file, uint32_t(images[i].size()));
        PutU32(file, offset);
        offset += uint32_t(images[i].size());
    }
    for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.ico>\n", argv[0]);
        return 2;
    }
    Bytes icon = IconFile();
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    bool written = std::fwrite(icon.data(), 1, icon.size(), out) == icon.size();
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
