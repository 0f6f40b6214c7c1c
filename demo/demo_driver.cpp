// The demo driver: starts STNIN32.EXE in the demo Wine PC, waits for its main
// window and function box, saves screenshots of both (BMP files that the demo
// script turns into PNG), then answers Quit and waits for the program to end.
// Usage: demo_driver.exe <STNIN32.EXE> <output directory>
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/process_driver.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kWindowTimeoutMs = 30000;
const DWORD kPaintSettleMs = 1500;

// Writes the screen area of `window` as a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    std::string pixels(rowBytes * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && ok;
}

int Fail(tst::ChildProcess& child, const char* what) {
    std::fprintf(stderr, "demo: %s\n%s\n", what, child.Describe().c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_driver.exe <STNIN32.EXE> <output directory>\n");
        return 2;
    }
    std::string out = argv[2];
    if (!out.empty() && out.back() != '\\') out += '\\';

    tst::ChildProcess child;
    if (!child.Start(argv[1], "")) return Fail(child, "STNIN32.EXE did not start");
    HWND box = child.WaitForDialog("Telmora installation", kWindowTimeoutMs);
    if (!box) return Fail(child, "no function box");
    HWND mainWindow = child.WaitForWindow("TelmoraInstall", kWindowTimeoutMs);
    if (!mainWindow) return Fail(child, "no main window");
    Sleep(kPaintSettleMs);

    bool saved = SaveWindowBitmap(mainWindow, out + "main-window.bmp") &&
                 SaveWindowBitmap(box, out + "function-box.bmp") &&
                 SaveWindowBitmap(GetDesktopWindow(), out + "screen.bmp");
    if (!saved) return Fail(child, "screenshots could not be saved");

    child.Press(box, IDC_FUNCTION_QUIT);
    child.Press(box, IDOK);
    DWORD exitCode = 1;
    if (!child.WaitForExit(kWindowTimeoutMs, &exitCode)) return Fail(child, "STNIN32.EXE did not end after Quit");
    std::printf("demo: STNIN32.EXE showed its main window and function box, and ended with exit code %lu\n",
                static_cast<unsigned long>(exitCode));
    return exitCode == 0 ? 0 : 1;
}
