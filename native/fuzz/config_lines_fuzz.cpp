// Fuzz target of the TELMORA.INI line reader: any bytes as a file, read with
// buffers from 1 byte to the in-place update's 281, must give exactly the
// lines a plain model of the reader gives, at the right file positions; the
// section and key search must find the line the model finds or leave the
// file where it stood; values and tokens must stay inside their line; the
// counting reader must keep the bytes it read and copy them back verbatim.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/config_lines.h"
#include "fuzz_support.h"

namespace {

const int kBufferSizes[] = {1, 2, 3, 17, 201, 281};
const int kReaderSize = 201;
const char* const kSectionNames[] = {"[SERVER]", "[WORKSTATION]", "[WORKSTATION-1]", "[", ""};
const char* const kKeys[] = {"UserArea:", "SystemArea", "Network:", "AllUserArea:", "S", ""};
// Lines of the input also tried as section names and keys.
const std::size_t kInputNamesTried = 3;

void CheckValueAndTokens(const char* line) {
    std::size_t length = std::strlen(line);
    const char* value = ValueStart(line);
    if (value) {
        FUZZ_CHECK(value > line && value < line + length);
        FUZZ_CHECK(*value != ' ' && *value != '\t');
    }
    // Every token lies in the line and the walk always moves on.
    const char* next = line;
    std::size_t tokens = 0;
    while (next) {
        short tokenLength = -1;
        const char* token = NextToken(next, &tokenLength, &next);
        FUZZ_CHECK(token >= line && tokenLength >= 0);
        FUZZ_CHECK(token + tokenLength <= line + length);
        FUZZ_CHECK(!next || (next > token && next < line + length));
        FUZZ_CHECK(++tokens <= length + 1);
    }
    FUZZ_CHECK(IsSectionLine(line) == (line[0] == '['));
    FUZZ_CHECK(IsSettingLine(line) == (line[0] != '\0' && line[0] != ' ' && line[0] != ';'));
}

// Reads the whole input with a buffer of `size` bytes and compares every
// line, its start and the final position with the model.
void CheckReading(const std::uint8_t* data, std::size_t size, int bufferSize) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<fuzz::FileLine> expected = fuzz::SplitLines(bytes, static_cast<std::size_t>(bufferSize));
    fuzz::InputFile file(data, size);
    fuzz::Field buffer(static_cast<std::size_t>(bufferSize));
    std::size_t count = 0;
    long start = -1;
    while (ReadConfigLine(file.Get(), buffer.Get(), bufferSize, &start)) {
        FUZZ_CHECK(count < expected.size());
        FUZZ_CHECK(buffer.IsTerminated());
        FUZZ_CHECK(buffer.Text() == expected[count].text);
        FUZZ_CHECK(start == expected[count].start);
        FUZZ_CHECK(std::ftell(file.Get()) == expected[count].end);
        if (bufferSize == kReaderSize) CheckValueAndTokens(buffer.Get());
        ++count;
    }
    FUZZ_CHECK(count == expected.size());
    FUZZ_CHECK(buffer.Text().empty());
}

// The counting form of the reader: the same lines, each line's byte count,
// its first bytes kept as read, and a line kept whole written back as
// CopyLine would copy it (Ctrl-Z dropped, ending in one LF).
void CheckReadingBytes(const std::uint8_t* data, std::size_t size, int bufferSize) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<fuzz::FileLine> expected = fuzz::SplitLines(bytes, static_cast<std::size_t>(bufferSize));
    fuzz::InputFile file(data, size);
    fuzz::Field buffer(static_cast<std::size_t>(bufferSize));
    fuzz::Field kept(static_cast<std::size_t>(bufferSize));
    fuzz::OutputFile output;
    std::string copied;  // what the lines kept whole must copy to
    std::size_t index = 0;
    while (long count = ReadConfigLineBytes(file.Get(), buffer.Get(), bufferSize, kept.Get())) {
        FUZZ_CHECK(index < expected.size());
        const fuzz::FileLine& line = expected[index++];
        std::string raw = bytes.substr(static_cast<std::size_t>(line.start),
                                       static_cast<std::size_t>(line.end - line.start));
        FUZZ_CHECK(count == static_cast<long>(raw.size()));
        FUZZ_CHECK(buffer.Text() == line.text);
        std::size_t keptLength = std::min(raw.size(), static_cast<std::size_t>(bufferSize));
        FUZZ_CHECK(std::memcmp(kept.Get(), raw.data(), keptLength) == 0);
        if (count > bufferSize) continue;

        WriteLineBytes(output.Get(), kept.Get(), count);
        for (char c : raw) {
            if (c != '\x1a') copied += c;
        }
        if (raw.back() != '\n') copied += '\n';
    }
    FUZZ_CHECK(index == expected.size());
    FUZZ_CHECK(output.Bytes() == copied);
}

// The model's answer to a section search from the start: the index of the
// first section line beginning with `name`, or -1.
long ModelSection(const std::vector<fuzz::FileLine>& lines, const char* name) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& text = lines[i].text;
        if (!text.empty() && text[0] == '[' && (!name || fuzz::BeginsNoCase(text, name))) return static_cast<long>(i);
    }
    return -1;
}

// The model's answer to a key search in the section behind line `section`.
long ModelKey(const std::vector<fuzz::FileLine>& lines, long section, const char* key) {
    for (std::size_t i = static_cast<std::size_t>(section) + 1; i < lines.size(); ++i) {
        const std::string& text = lines[i].text;
        if (!text.empty() && text[0] == '[') break;
        if (text.empty() || text[0] == ' ' || text[0] == ';') continue;
        if (fuzz::BeginsNoCase(text, key)) return static_cast<long>(i);
    }
    return -1;
}

void CheckKeySearch(FILE* file, const std::vector<fuzz::FileLine>& lines, long section, const char* key) {
    long sectionEnd = lines[static_cast<std::size_t>(section)].end;
    char line[kReaderSize];
    long expected = ModelKey(lines, section, key);
    int found = FindKey(file, key, line, kReaderSize, sectionEnd);
    FUZZ_CHECK(found == (expected >= 0));
    if (found) {
        FUZZ_CHECK(line == lines[static_cast<std::size_t>(expected)].text);
        FUZZ_CHECK(std::ftell(file) == lines[static_cast<std::size_t>(expected)].end);
    } else {
        FUZZ_CHECK(line[0] == '\0');
        FUZZ_CHECK(std::ftell(file) == sectionEnd);
    }
}

void CheckSearches(const std::uint8_t* data, std::size_t size, const std::vector<std::string>& names,
                   const std::vector<std::string>& keys) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<fuzz::FileLine> lines = fuzz::SplitLines(bytes, kReaderSize);
    fuzz::InputFile file(data, size);
    std::vector<const char*> tried;
    for (const std::string& name : names) tried.push_back(name.c_str());
    tried.push_back(nullptr);  // any section

    for (const char* name : tried) {
        std::fseek(file.Get(), 0, SEEK_SET);
        char line[kReaderSize];
        long position = -1;
        long expected = ModelSection(lines, name);
        int found = FindSection(file.Get(), name, line, kReaderSize, &position);
        FUZZ_CHECK(found == (expected >= 0));
        if (!found) {
            FUZZ_CHECK(line[0] == '\0');
            FUZZ_CHECK(std::ftell(file.Get()) == 0);
            continue;
        }
        FUZZ_CHECK(line == lines[static_cast<std::size_t>(expected)].text);
        FUZZ_CHECK(position == lines[static_cast<std::size_t>(expected)].end);
        for (const std::string& key : keys) CheckKeySearch(file.Get(), lines, expected, key.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (int bufferSize : kBufferSizes) {
        CheckReading(data, size, bufferSize);
        CheckReadingBytes(data, size, bufferSize);
    }

    std::vector<std::string> names(std::begin(kSectionNames), std::end(kSectionNames));
    std::vector<std::string> keys(std::begin(kKeys), std::end(kKeys));
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<fuzz::FileLine> lines = fuzz::SplitLines(bytes, kReaderSize);
    for (std::size_t i = 0; i < lines.size() && i < kInputNamesTried; ++i) {
        const std::string& text = lines[i].text;
        (text.empty() || text[0] != '[' ? keys : names).push_back(text.substr(0, text.find_first_of(":=")));
    }
    CheckSearches(data, size, names, keys);
    return 0;
}
