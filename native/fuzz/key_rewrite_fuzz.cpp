// Fuzz target of the copy with one key set (the in-place update's line
// logic), any bytes as the old file: the copy succeeds, writes only lines
// ending in CR LF, holds the key line where a reader of the new file looks
// for it, and copying the copy again changes nothing.
#include "autoexec/key_rewrite.h"
#include "common/config_lines.h"
#include "fuzz_support.h"

static std::string Copy(const std::string& bytes, const char* section, const char* key, const std::string& value) {
    tbl::ByteFile input(bytes), output;
    FUZZ_CHECK(CopyWithKeySet(input.file, output.file, section, key, value.c_str(), nullptr) == 1);
    return output.Bytes();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const char* const sets[][3] = {{"[SERVER]", "ServerArea:", "Z:\\TELMORA\\SERVER"}, {"[server]", "AllUserArea:", ""}};
    for (const auto& set : sets) {
        std::string copy = Copy(bytes, set[0], set[1], set[2]);
        for (std::size_t end = copy.find('\n'); end != std::string::npos; end = copy.find('\n', end + 1)) {
            FUZZ_CHECK(end > 0 && copy[end - 1] == '\r');
        }
        tbl::ByteFile reader(copy);
        char line[kKeyRewriteLineSize];
        long section = 0;
        FUZZ_CHECK(FindSection(reader.file, set[0], line, sizeof line, &section) &&
                   FindKey(reader.file, set[1], line, sizeof line, section));
        FUZZ_CHECK(line == std::string(set[1]) + (set[2][0] ? " " : "") + set[2]);
        FUZZ_CHECK(copy.back() == '\n' && Copy(copy, set[0], set[1], set[2]) == copy);
    }
    return 0;
}
