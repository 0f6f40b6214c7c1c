// Fuzz target of the copy with one key set (the in-place update's line
// logic): any bytes as the old file, copied with a few sections, keys and
// values (the input's first section line among them). The copy must succeed,
// write only clean CR LF lines, lose no line it is not meant to drop, hold
// the key line as the first match of the key in the first matching section,
// and give itself again when copied once more.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "autoexec/key_rewrite.h"
#include "common/config_lines.h"
#include "fuzz_support.h"

namespace {

struct KeySet {
    std::string section;
    std::string key;
    std::string value;
};

int g_yields = 0;

int CountYield(int) {
    ++g_yields;
    return 1;
}

std::string Copy(const std::string& bytes, const KeySet& set, int* lines) {
    fuzz::InputFile input(bytes);
    fuzz::OutputFile output;
    g_yields = 0;
    int result = CopyWithKeySet(input.Get(), output.Get(), set.section.c_str(), set.key.c_str(), set.value.c_str(),
                                CountYield);
    FUZZ_CHECK(result == 1);
    if (lines) *lines = g_yields;
    return output.Bytes();
}

std::string KeyLine(const KeySet& set) { return set.value.empty() ? set.key : set.key + " " + set.value; }

int IsSection(const std::string& line) { return !line.empty() && line[0] == '['; }

// The lines of the old file the copy may drop: empty lines and lines of the
// key inside the first section that begins with the section name.
std::vector<std::string> KeptLines(const std::vector<fuzz::FileLine>& lines, const KeySet& set) {
    std::vector<std::string> kept;
    int inSection = 0;
    int found = 0;
    for (const fuzz::FileLine& line : lines) {
        const std::string& text = line.text;
        if (IsSection(text)) {
            inSection = !found && fuzz::BeginsNoCase(text, set.section);
            found = found || inSection;
        } else if (inSection && (text.empty() || fuzz::BeginsNoCase(text, set.key))) {
            continue;
        }
        kept.push_back(text);
    }
    return kept;
}

int IsSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    std::size_t next = 0;
    for (const std::string& line : whole) {
        if (next < part.size() && line == part[next]) ++next;
    }
    return next == part.size();
}

void CheckCopy(const std::string& bytes, const KeySet& set) {
    int linesRead = 0;
    std::string copy = Copy(bytes, set, &linesRead);
    std::vector<fuzz::FileLine> oldLines = fuzz::SplitLines(bytes, kKeyRewriteLineSize);
    FUZZ_CHECK(linesRead == static_cast<int>(oldLines.size()));

    // Clean lines, each ending in CR LF.
    FUZZ_CHECK(copy.size() >= 2 && copy.compare(copy.size() - 2, 2, "\r\n") == 0);
    std::vector<fuzz::FileLine> newLines = fuzz::SplitLines(copy, kKeyRewriteLineSize);
    std::vector<std::string> newTexts;
    for (const fuzz::FileLine& line : newLines) {
        std::string raw = copy.substr(static_cast<std::size_t>(line.start),
                                      static_cast<std::size_t>(line.end - line.start));
        FUZZ_CHECK(raw == line.text + "\r\n");
        newTexts.push_back(line.text);
    }

    FUZZ_CHECK(IsSubsequence(KeptLines(oldLines, set), newTexts));

    // The key line is what a reader of the new file finds.
    fuzz::InputFile reader(copy);
    char line[kKeyRewriteLineSize];
    long section = 0;
    FUZZ_CHECK(FindSection(reader.Get(), set.section.c_str(), line, sizeof line, &section));
    FUZZ_CHECK(FindKey(reader.Get(), set.key.c_str(), line, sizeof line, section));
    FUZZ_CHECK(line == KeyLine(set));

    FUZZ_CHECK(Copy(copy, set, nullptr) == copy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<KeySet> sets = {
        {"[SERVER]", "ServerArea:", "Z:\\TELMORA\\SERVER"},
        {"[server]", "AllUserArea:", ""},
        {"[WORKSTATION-1]", "S", fuzz::LongDirectory(256)},
    };
    for (const fuzz::FileLine& line : fuzz::SplitLines(bytes, kKeyRewriteLineSize)) {
        if (IsSection(line.text)) {
            sets.push_back({line.text.substr(0, 40), "Key=", "value"});
            break;
        }
    }
    for (const KeySet& set : sets) CheckCopy(bytes, set);
    return 0;
}
