// Line primitives of TELMORA.INI: reading one normalised line, finding a
// section and a key, and taking a value or a token apart. The AUTOEXEC.BAT
// editor and the safe rewrite read their lines through the same reader.
// Pure C runtime: no windows.h.
#include "common/config_lines.h"

#include <cstring>

#include "common/bounded_text.h"

namespace {

const int kLineFeed = '\n';
const unsigned char kFirstPrintable = 32;
const unsigned char kDelete = 127;
const char kBlank = ' ';
const char kQuote = '"';

const int kCtrlZ = 26;
// Room in which a line that needs Ctrl-Z taken out or an LF added is put
// together; a longer one goes out in pieces of this size.
const std::size_t kLineAssemblySize = 512;

// The next byte of `file`. The program has one thread, so the stream needs
// no lock: the locking getc costs ten times as much per byte.
int NextByte(FILE* file) {
#ifdef _WIN32
    return _getc_nolock(file);
#else
    return getc_unlocked(file);
#endif
}

// Reads and drops the rest of a line, up to and including its LF. Returns
// the number of bytes read.
long DropRestOfLine(FILE* file) {
    long count = 0;
    int c;
    while ((c = NextByte(file)) != EOF) {
        ++count;
        if (c == kLineFeed) break;
    }
    return count;
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

// Adds `c` behind the `length` bytes of a line being put together, writing
// a full buffer out first. Returns the new length.
std::size_t AddToLine(FILE* output, char (&line)[kLineAssemblySize], std::size_t length, char c) {
    if (length == sizeof line) {
        std::fwrite(line, 1, length, output);
        length = 0;
    }
    line[length] = c;
    return length + 1;
}

void EmptyBuffer(char* buffer, int size) {
    if (buffer && size > 0) buffer[0] = '\0';
}

int IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int EndsToken(char c) { return c == '\0' || c == ',' || IsLineBlank(c); }

// The line reader behind both forms: reads one line into `buffer` as
// ReadConfigLine describes, keeps the first `size` bytes read in `bytes`
// (when given) and returns how many bytes it read.
long ReadLine(FILE* file, char* buffer, int size, char* bytes) {
    EmptyBuffer(buffer, size);
    int c = NextByte(file);
    if (c == EOF) return 0;

    int room = size > 0 ? size - 1 : 0;
    int length = 0;
    long count = 0;
    while (c != EOF) {
        if (bytes && count < size) bytes[count] = static_cast<char>(c);
        ++count;
        if (length == room) {
            // The buffer is full: the rest of the line is not significant.
            if (c != kLineFeed) count += DropRestOfLine(file);
            break;
        }
        buffer[length++] = static_cast<char>(c);
        if (c == kLineFeed) break;
        c = NextByte(file);
    }
    if (size > 0) NormaliseLine(buffer, length);
    return count;
}

}  // namespace

int ReadConfigLine(FILE* file, char* buffer, int size, long* lineStart) {
    if (lineStart) *lineStart = std::ftell(file);
    return ReadLine(file, buffer, size, nullptr) > 0;
}

long ReadConfigLineBytes(FILE* file, char* buffer, int size, char* bytes) {
    return ReadLine(file, buffer, size, bytes);
}

void WriteLineBytes(FILE* output, const char* bytes, long count) {
    int endsInLineFeed = count > 0 && bytes[count - 1] == kLineFeed;
    if (endsInLineFeed && !std::memchr(bytes, kCtrlZ, static_cast<std::size_t>(count))) {
        std::fwrite(bytes, 1, static_cast<std::size_t>(count), output);
        return;
    }
    // A line with Ctrl-Z, or without its LF, is put together first so that
    // it goes out in one fwrite too: under Wine's runtime an LF written on
    // its own (putc, or an fputs or fwrite of "\n", which the compiler makes
    // a putc) writes the stream's buffer out, one system call per line.
    char line[kLineAssemblySize];
    std::size_t length = 0;
    for (long i = 0; i < count; ++i) {
        if (bytes[i] != kCtrlZ) length = AddToLine(output, line, length, bytes[i]);
    }
    if (!endsInLineFeed) length = AddToLine(output, line, length, static_cast<char>(kLineFeed));
    std::fwrite(line, 1, length, output);
}

int FindSection(FILE* file, const char* name, char* buffer, int size, long* position) {
    long start = std::ftell(file);
    while (ReadConfigLine(file, buffer, size, nullptr)) {
        if (!IsSectionLine(buffer)) continue;
        if (name && !text::StartsWithNoCase(buffer, name)) continue;
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
        if (text::StartsWithNoCase(buffer, key)) return 1;
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
