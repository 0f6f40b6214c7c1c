// Fuzz target of the TELMORA.INI value rules, the input's text as every key's value: each field stays
// terminated in its width, a directory upper case and ending in its backslash unless full; each setting line
// is formed whole and, written and read back again and again, settles on a line that stays; a base directory
// recovered is the base of the areas; search-list elements are trimmed, bounded and not empty.
#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "config/config_values.h"
#include "fuzz_support.h"

static std::string Line(WorkstationKey key, const ClientSettings& settings) {
    char line[kSettingLineSize];
    std::size_t length = FormatSettingLine(key, &settings, line, sizeof line);
    FUZZ_CHECK(length == std::strlen(line) && (key == kKeyAdminArea || line[length - 1] == '\n'));
    return line;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::TextOf(data, size);
    ClientSettings s = {};
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        WorkstationKey key = static_cast<WorkstationKey>(each);
        ApplyWorkstationValue(&s, key, fuzz::Text(text).Get());
        ClientSettings again = s;
        int rounds = 0;
        for (std::string line = Line(key, s), next; line.size() <= 202; line = next) {
            std::string read = line.substr(0, line.find_last_not_of(" \r\n") + 1);
            ApplyWorkstationValue(&again, key, ValueStart(read.c_str()));
            if ((next = Line(key, again)) == line) break;
            FUZZ_CHECK(++rounds < 300);
        }
    }
    for (const char* area : {s.userArea, s.systemArea, s.requestArea, s.logArea}) {
        std::size_t length = strnlen(area, kAreaSize);
        FUZZ_CHECK(length < kAreaSize && (length == 0 || area[length - 1] == '\\' || length == kAreaSize - 1));
        for (const char* c = area; *c; ++c) FUZZ_CHECK(*c < 'a' || *c > 'z');
    }
    FUZZ_CHECK(s.useTsr == (s.spool[0] != '\0') && strnlen(s.language, kLanguageSize) < kLanguageSize);
    if (RecoverServerBaseDir(&s)) {
        FUZZ_CHECK(text::EqualNoCase(s.systemArea, (std::string(s.serverBaseDir) + "SYSTEM\\").c_str()));
    }
    std::size_t position = 0;
    fuzz::Text list(text), element(8);
    while (NextSearchElement(list.Get(), &position, element.Get(), 8, 5)) {
        std::size_t length = std::strlen(element.Get());
        FUZZ_CHECK(length > 0 && length <= 5 && position <= text.size() && element.Get()[0] != ' ');
    }
    return 0;
}
