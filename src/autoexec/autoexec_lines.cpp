// The line rules of AUTOEXEC.BAT: the QVTLINIT line, the command word that
// runs the DOS spooler, the lines the editor forms, and which lines an
// installation must edit. Pure text: no windows.h.
#include "autoexec/autoexec_lines.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/path_helpers.h"

const char kSpoolerName[] = "QSPOOL";

namespace {

const char kQvtlinitPrefix[] = "SET QVTLINIT";  // 12 characters decide
const char kQvtlinitLineFormat[] = "SET QVTLINIT=%s";
const char kSpoolerFileName[] = "QSPOOL.EXE";
const char kRemark[] = "REM";
const char kEcho[] = "ECHO";
const char kLabelMark = ':';
const char kExtensionDot = '.';
const std::size_t kLongestDirectory = 271;  // the program's directory fields hold 272 bytes

// Compile-time length of a literal.
template <std::size_t N>
constexpr std::size_t LengthOf(const char (&)[N]) {
    return N - 1;
}

static_assert(kFormedLineSize >= kAutoexecLineSize + kLongestDirectory + LengthOf(kSpoolerFileName),
              "a rebuilt spooler line holds a read line, a directory and the file name");

// 1 when the first `length` characters of `line` are `prefix` (any case).
int BeginsWithNoCase(const char* line, const char* prefix, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (line[i] == '\0' || text::UpperChar(line[i]) != text::UpperChar(prefix[i])) return 0;
    }
    return 1;
}

int IsWhiteSpace(char c) { return c != '\0' && std::strchr(" \t\r\n\v\f", c) != nullptr; }

int IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Empty lines, labels, remarks and ECHO lines run no program.
int CanRunProgram(const char* line) {
    if (line[0] == '\0' || line[0] == kLabelMark) return 0;
    return !BeginsWithNoCase(line, kRemark, LengthOf(kRemark)) && !BeginsWithNoCase(line, kEcho, LengthOf(kEcho));
}

// An occurrence of the name (`length` characters at `at`) names the program
// when it stands alone: a non-alphanumeric character or the line's start
// before it, the end, an extension or white space behind it.
int OccurrenceCounts(const char* line, const char* at, std::size_t length) {
    if (at > line && IsLetterOrDigit(at[-1])) return 0;
    char after = at[length];
    return after == '\0' || after == kExtensionDot || IsWhiteSpace(after);
}

// A drive and path written before the program name belong to its word.
const char* StartOfWord(const char* line, const char* at) {
    while (at > line && !IsWhiteSpace(at[-1])) --at;
    return at;
}

}  // namespace

int IsQvtlinitLine(const char* line) { return BeginsWithNoCase(line, kQvtlinitPrefix, LengthOf(kQvtlinitPrefix)); }

const char* FindCommandWord(const char* name, const char* line) {
    std::size_t length = std::strlen(name);
    if (length == 0 || !CanRunProgram(line)) return nullptr;
    for (const char* at = line; *at != '\0'; ++at) {
        if (BeginsWithNoCase(at, name, length) && OccurrenceCounts(line, at, length)) return StartOfWord(line, at);
    }
    return nullptr;
}

int IsSpoolerLine(const char* line) { return FindCommandWord(kSpoolerName, line) != nullptr; }

void QvtlinitValueOf(char* value, std::size_t size, const char* initDir) {
    text::CopyInto(value, size, initDir);
    RemoveTrailingBackslash(value);
    text::UpperCase(value);
}

void FormQvtlinitLine(char (&line)[kFormedLineSize], const char* value) {
    text::Format(line, kQvtlinitLineFormat, value);
}

void FormSpoolerLine(char (&line)[kFormedLineSize], const char* spoolDir) {
    text::Copy(line, spoolDir);
    text::Append(line, kSpoolerFileName);
}

void RebuildSpoolerLine(char (&line)[kFormedLineSize], const char* oldLine, const char* word,
                        const char* spoolDir) {
    text::CopyPrefix(line, oldLine, static_cast<std::size_t>(word - oldLine));
    text::Append(line, spoolDir);
    text::Append(line, kSpoolerFileName);
    const char* rest = word[0] != '\0' ? word + 1 : word;
    while (*rest != '\0' && !IsWhiteSpace(*rest)) ++rest;
    text::Append(line, rest);
}

int StartupRequest(int useTsr, int tsrInStartupFile, const char* qvtlinitValue, const char* configDirectory,
                   const char* windowsDirectory, int quiet) {
    int request = (useTsr != 0) != (tsrInStartupFile != 0) ? kRequestSpooler : 0;
    int qvtlinitNeeded;
    if (useTsr && text::IsEmpty(qvtlinitValue)) {
        qvtlinitNeeded = 1;
    } else if (!text::IsEmpty(qvtlinitValue)) {
        qvtlinitNeeded = !text::EqualNoCase(qvtlinitValue, configDirectory);
    } else {
        qvtlinitNeeded = !text::EqualNoCase(configDirectory, windowsDirectory);
    }
    if (qvtlinitNeeded && !quiet) request |= kRequestQvtlinit;
    return request;
}
