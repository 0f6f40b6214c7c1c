// Fuzz target of the AUTOEXEC.BAT line rules: any bytes read as the editor
// reads them (201-byte lines). For every line the QVTLINIT test and the
// command word of QSPOOL (and of the input's first word) must agree with a
// plain model of the rules; every spooler line rebuilt with any program
// directory up to 271 characters, and every QVTLINIT line formed, must come
// out whole; the edit request must keep to its bits.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "autoexec/autoexec_lines.h"
#include "fuzz_support.h"

namespace {

const std::size_t kLongestDirectory = 271;
const std::size_t kLongestName = 16;
const std::size_t kValueFieldSize = 272;  // the field QVTLINIT's value is kept in

// 1 when `name` stands at `at` in `line`, in any case.
int NameAt(const std::string& line, std::size_t at, const std::string& name) {
    if (at + name.size() > line.size()) return 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (fuzz::Upper(line[at + i]) != fuzz::Upper(name[i])) return 0;
    }
    return 1;
}

int IsWhiteSpace(char c) { return c != '\0' && std::strchr(" \t\r\n\v\f", c) != nullptr; }

// The command word as the rules describe it, as an offset, or -1.
long ModelCommandWord(const std::string& name, const std::string& line) {
    if (name.empty() || line.empty() || line[0] == ':') return -1;
    if (fuzz::BeginsNoCase(line, "REM") || fuzz::BeginsNoCase(line, "ECHO")) return -1;
    for (std::size_t at = 0; at + name.size() <= line.size(); ++at) {
        if (!NameAt(line, at, name)) continue;
        if (at > 0 && fuzz::IsLetterOrDigit(line[at - 1])) continue;
        char after = at + name.size() < line.size() ? line[at + name.size()] : '\0';
        if (after != '\0' && after != '.' && !IsWhiteSpace(after)) continue;
        while (at > 0 && !IsWhiteSpace(line[at - 1])) --at;
        return static_cast<long>(at);
    }
    return -1;
}

std::string ModelRebuilt(const std::string& line, std::size_t word, const std::string& directory) {
    std::size_t rest = word < line.size() ? word + 1 : word;
    while (rest < line.size() && !IsWhiteSpace(line[rest])) ++rest;
    return line.substr(0, word) + directory + "QSPOOL.EXE" + line.substr(rest);
}

void CheckSpoolerLine(const fuzz::CText& line, const std::string& text, const std::vector<std::string>& directories) {
    const char* word = FindCommandWord(kSpoolerName, line.Get());
    long expected = ModelCommandWord(kSpoolerName, text);
    FUZZ_CHECK((word ? word - line.Get() : -1) == expected);
    FUZZ_CHECK(IsSpoolerLine(line.Get()) == (expected >= 0));
    if (!word) return;
    for (const std::string& directory : directories) {
        char rebuilt[kFormedLineSize];
        RebuildSpoolerLine(rebuilt, line.Get(), word, directory.c_str());
        FUZZ_CHECK(rebuilt == ModelRebuilt(text, static_cast<std::size_t>(expected), directory));
    }
}

void CheckFormedLines(const fuzz::CText& line, const std::string& text) {
    fuzz::Field value(kValueFieldSize);
    QvtlinitValueOf(value.Get(), value.Size(), line.Get());
    FUZZ_CHECK(value.IsTerminated());
    std::string expectedValue = fuzz::UpperText(text.substr(0, value.Size() - 1));
    std::size_t length = expectedValue.size();
    if (length >= 2 && expectedValue[length - 1] == '\\' && expectedValue[length - 2] != ':') expectedValue.pop_back();
    FUZZ_CHECK(value.Text() == expectedValue);

    char formed[kFormedLineSize];
    FormQvtlinitLine(formed, value.Get());
    FUZZ_CHECK(formed == "SET QVTLINIT=" + expectedValue);
    FormSpoolerLine(formed, line.Get());
    FUZZ_CHECK(formed == text + "QSPOOL.EXE");
}

void CheckRequest(const std::uint8_t* data, std::size_t size, const char* value, const char* directory) {
    unsigned bits = size > 0 ? data[0] : 0;
    int useTsr = bits & 1;
    int tsrInFile = (bits >> 1) & 1;
    int quiet = (bits >> 2) & 1;
    int request = StartupRequest(useTsr, tsrInFile, value, directory, "C:\\WINDOWS\\", quiet);
    FUZZ_CHECK((request & ~kRequestBoth) == 0);
    FUZZ_CHECK(((request & kRequestSpooler) != 0) == (useTsr != tsrInFile));
    if (quiet) FUZZ_CHECK((request & kRequestQvtlinit) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<fuzz::FileLine> lines = fuzz::SplitLines(bytes, kAutoexecLineSize);
    const std::vector<std::string> directories = {"C:\\TELMORA\\", "", fuzz::LongDirectory(kLongestDirectory)};

    // The input's first word is also tried as a program name.
    std::string name;
    if (!lines.empty()) name = lines[0].text.substr(0, lines[0].text.find(' ')).substr(0, kLongestName);

    for (const fuzz::FileLine& line : lines) {
        fuzz::CText text(line.text);
        FUZZ_CHECK(IsQvtlinitLine(text.Get()) == fuzz::BeginsNoCase(line.text, "SET QVTLINIT"));
        CheckSpoolerLine(text, line.text, directories);
        fuzz::CText program(name);
        const char* word = FindCommandWord(program.Get(), text.Get());
        FUZZ_CHECK((word ? word - text.Get() : -1) == ModelCommandWord(name, line.text));
        CheckFormedLines(text, line.text);
    }

    // Unread raw text: the rules must hold on lines of any length.
    std::string raw = fuzz::TextOf(data, size);
    fuzz::CText whole(raw);
    const char* word = FindCommandWord(kSpoolerName, whole.Get());
    FUZZ_CHECK((word ? word - whole.Get() : -1) == ModelCommandWord(kSpoolerName, raw));
    std::string value = lines.empty() ? std::string() : lines[0].text;
    CheckRequest(data, size, value.c_str(), lines.size() > 1 ? lines[1].text.c_str() : "C:\\WINDOWS\\");
    return 0;
}
