// Line primitives of TELMORA.INI: reading one normalised line, finding a
// section and a key, and taking a value or a token apart. The AUTOEXEC.BAT
// editor and the safe rewrite read their lines through the same reader.
// Pure C runtime: no windows.h.
#include "config/config_lines.h"

#include <cstring>

#include "config/config_values.h"

namespace {

const int kLineFeed = '\n';
const unsigned char kFirstPrintable = 32;
const unsigned char kDelete = 127;
const char kBlank = ' ';
const char kQuote = '"';

// Reads and drops the rest of a line, up to and including its LF.
void DropRestOfLine(FILE* file) {
    int c;
    while ((c = std::getc(file)) != EOF && c != kLineFeed) {
    }
}

// Control characters and DEL read as blanks; trailing blanks go.
void NormaliseLine(char* buffer, int length) {
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c < kFirstPrintable || c == kDelete) buffer[i] = kBlank;
    }
    while (length > 0 && buffer[length - 1] == kBlank) --length;
    buffer[length] = '\0';
}

void EmptyBuffer(char* buffer, int size) {
    if (buffer && size > 0) buffer[0] = '\0';
}

int IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int EndsToken(char c) { return c == '\0' || c == ',' || IsLineBlank(c); }

}  // namespace

int ReadConfigLine(FILE* file, char* buffer, int size, long* lineStart) {
    if (lineStart) *lineStart = std::ftell(file);
    EmptyBuffer(buffer, size);
    int c = std::getc(file);
    if (c == EOF) return 0;

    int room = size > 0 ? size - 1 : 0;
    int length = 0;
    while (c != EOF) {
        if (length == room) {
            // The buffer is full: the rest of the line is not significant.
            if (c != kLineFeed) DropRestOfLine(file);
            break;
        }
        buffer[length++] = static_cast<char>(c);
        if (c == kLineFeed) break;
        c = std::getc(file);
    }
    if (size > 0) NormaliseLine(buffer, length);
    return 1;
}

int FindSection(FILE* file, const char* name, char* buffer, int size, long* position) {
    long start = std::ftell(file);
    while (ReadConfigLine(file, buffer, size, nullptr)) {
        if (!IsSectionLine(buffer)) continue;
        if (name && !StartsWithNoCase(buffer, name)) continue;
        if (position) *position = std::ftell(file);
        return 1;
    }
    std::fseek(file, start, SEEK_SET);
    EmptyBuffer(buffer, size);
    return 0;
}

int FindKey(FILE* file, const char* key, char* buffer, int size, long sectionPosition) {
    std::fseek(file, sectionPosition, SEEK_SET);
    while (ReadConfigLine(file, buffer, size, nullptr)) {
        if (IsSectionLine(buffer)) break;
        if (!IsSettingLine(buffer)) continue;
        if (StartsWithNoCase(buffer, key)) return 1;
    }
    std::fseek(file, sectionPosition, SEEK_SET);
    EmptyBuffer(buffer, size);
    return 0;
}

const char* ValueStart(const char* line) {
    if (!line) return nullptr;
    const char* value = std::strpbrk(line, ":=");
    if (!value) return nullptr;
    ++value;
    while (IsLineBlank(*value)) ++value;
    return *value ? value : nullptr;
}

const char* NextToken(const char* text, short* length, const char** next) {
    if (!text) {
        if (length) *length = 0;
        if (next) *next = nullptr;
        return nullptr;
    }
    const char* end = text;
    if (*end == kQuote) {
        ++end;
        while (*end && *end != kQuote) ++end;
        if (*end == kQuote) ++end;
    } else {
        while (!EndsToken(*end)) ++end;
    }
    if (length) *length = static_cast<short>(end - text);

    // Blanks and one comma (with the blanks behind it) separate the tokens.
    const char* rest = end;
    while (IsLineBlank(*rest)) ++rest;
    if (*rest == ',') {
        ++rest;
        while (IsLineBlank(*rest)) ++rest;
    }
    if (next) *next = *rest ? rest : nullptr;
    return text;
}

int IsSectionLine(const char* line) { return line && line[0] == '['; }

int IsSettingLine(const char* line) {
    return line && line[0] != '\0' && line[0] != ' ' && line[0] != ';';
}
