// Reads the title and text lines of a classic dialog template (the program's
// and the language library's are all DIALOG, not DIALOGEX) from its resource.
#include "ui/dialog_template_text.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "ui/resource_ids.h"

namespace {

const int kTextLines = 6;  // IDC_TEXT_LINE1..6
const std::size_t kTextSize = 128;
const WORD kOrdinalMark = 0xFFFF;
const WORD kExtendedSignature = 0xFFFF;
const std::size_t kTemplateHeaderSize = 18;  // style, extended style, item count, x, y, cx, cy
const std::size_t kItemHeaderSize = 18;      // style, extended style, x, y, cx, cy, id
const std::size_t kItemIdOffset = 16;
const std::size_t kItemCountOffset = 8;

// A template's bytes, read WORD by WORD with every read checked.
struct TemplateReader {
    const BYTE* bytes;
    std::size_t size;
    std::size_t at;
    int ok;
};

WORD ReadWord(TemplateReader& reader) {
    if (reader.at + sizeof(WORD) > reader.size) {
        reader.ok = 0;
        return 0;
    }
    WORD value;
    std::memcpy(&value, reader.bytes + reader.at, sizeof value);
    reader.at += sizeof value;
    return value;
}

// A name or an ordinal (menu, class, title): the text into `out` when given.
void ReadNameOrOrdinal(TemplateReader& reader, char* out, std::size_t size) {
    if (out && size) out[0] = '\0';
    WORD first = ReadWord(reader);
    if (first == kOrdinalMark) {
        ReadWord(reader);
        return;
    }
    wchar_t wide[kTextSize];
    std::size_t length = 0;
    for (WORD unit = first; reader.ok && unit != 0; unit = ReadWord(reader)) {
        if (length + 1 < kTextSize) wide[length++] = static_cast<wchar_t>(unit);
    }
    wide[length] = L'\0';
    if (!out || !size) return;
    // Under the program's locale; a character it cannot show becomes '?'.
    if (std::wcstombs(out, wide, size - 1) == static_cast<std::size_t>(-1)) {
        for (std::size_t i = 0; i <= length && i < size - 1; ++i) {
            out[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '?';
        }
    }
    out[size - 1] = '\0';
}

void AlignToDword(TemplateReader& reader) { reader.at = (reader.at + 3) & ~static_cast<std::size_t>(3); }

const BYTE* FindTemplate(HMODULE module, const char* name, std::size_t* size) {
    HRSRC resource = module ? FindResourceA(module, name, RT_DIALOG) : nullptr;
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    *size = resource ? SizeofResource(module, resource) : 0;
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

// The title and lines 3201..3206 of the classic template in `reader`.
int ReadTexts(TemplateReader& reader, char (&title)[kTextSize], char (&lines)[kTextLines][kTextSize]) {
    DWORD style = 0;
    std::memcpy(&style, reader.bytes, sizeof style);
    reader.at = kItemCountOffset;
    WORD items = ReadWord(reader);
    reader.at = kTemplateHeaderSize;
    ReadNameOrOrdinal(reader, nullptr, 0);  // menu
    ReadNameOrOrdinal(reader, nullptr, 0);  // class
    ReadNameOrOrdinal(reader, title, kTextSize);
    if (style & DS_SETFONT) {
        ReadWord(reader);  // point size
        ReadNameOrOrdinal(reader, nullptr, 0);
    }
    for (WORD item = 0; item < items && reader.ok; ++item) {
        AlignToDword(reader);
        std::size_t start = reader.at;
        reader.at = start + kItemIdOffset;
        WORD id = ReadWord(reader);
        reader.at = start + kItemHeaderSize;
        ReadNameOrOrdinal(reader, nullptr, 0);  // class
        int line = id - IDC_TEXT_LINE1;
        int isLine = line >= 0 && line < kTextLines;
        ReadNameOrOrdinal(reader, isLine ? lines[line] : nullptr, isLine ? kTextSize : 0);
        WORD extra = ReadWord(reader);  // creation data, its size counting this word
        if (extra > sizeof(WORD)) reader.at += extra - sizeof(WORD);
    }
    return reader.ok;
}

}  // namespace

void ReadTemplateWords(const char* name, char (&words)[kTemplateWordsSize]) {
    words[0] = '\0';
    std::size_t size = 0;
    const BYTE* bytes = FindTemplate(g_setup.languageLibrary, name, &size);
    if (!bytes) bytes = FindTemplate(g_setup.appInstance, name, &size);
    WORD signature = 0;
    if (!bytes || size < kTemplateHeaderSize) return;
    std::memcpy(&signature, bytes + sizeof(WORD), sizeof signature);
    if (signature == kExtendedSignature) return;

    TemplateReader reader = {bytes, size, 0, 1};
    char title[kTextSize];
    char lines[kTextLines][kTextSize] = {};
    if (!ReadTexts(reader, title, lines)) return;
    int last = kTextLines - 1;
    while (last > 0 && lines[last][0] == '\0') --last;
    text::Format(words, "\"%s\":", title);
    for (int i = 0; i <= last; ++i) {
        text::Append(words, i ? " / \"" : " \"");
        text::Append(words, lines[i]);
        text::Append(words, "\"");
    }
}
