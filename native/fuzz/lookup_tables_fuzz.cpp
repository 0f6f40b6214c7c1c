// Fuzz target of the two look-up tables that take texts from outside: the
// processor architecture (PROCESSOR_ARCHITECTURE) and the client languages
// (codes from TELMORA.INI and WIN.INI, names from the language question,
// codes in library file names). Any text must give the model's answer and
// never a read past its terminator.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/architecture.h"
#include "fuzz_support.h"
#include "ui/language_table.h"

namespace {

const char* ModelArchitecture(const std::string& value) {
    struct Entry {
        const char* value;
        const char* subdirectory;
    };
    const Entry entries[] = {{"x86", "I386\\"}, {"MIPS", "MIPS\\"}, {"ALPH", "ALPHA\\"}, {"PPC", "PPC\\"}};
    for (const Entry& entry : entries) {
        // Four bytes decide, the terminator included.
        std::string compared = value.substr(0, 4);
        if (compared.size() < 4) compared += '\0';
        std::string wanted(entry.value);
        if (wanted.size() < 4) wanted += '\0';
        if (compared == wanted) return entry.subdirectory;
    }
    return nullptr;
}

int ModelSameCode(const std::string& a, const std::string& b) {
    return fuzz::UpperText(a.substr(0, 3)) == fuzz::UpperText(b.substr(0, 3));
}

void CheckLanguages(const std::string& text) {
    fuzz::CText value(text);
    const LanguageEntry* byCode = FindLanguageByCode(value.Get());
    const LanguageEntry* expected = nullptr;
    for (const LanguageEntry& entry : kLanguageTable) {
        FUZZ_CHECK(SameLanguageCode(entry.code, value.Get()) == ModelSameCode(entry.code, text));
        if (!expected && ModelSameCode(entry.code, text)) expected = &entry;
    }
    FUZZ_CHECK(byCode == expected);

    const LanguageEntry* byName = FindLanguageByName(value.Get());
    if (byName) FUZZ_CHECK(fuzz::UpperText(byName->name) == fuzz::UpperText(text));
    FUZZ_CHECK(!SameLanguageCode(nullptr, value.Get()));

    char code[kLanguageCodeSize];
    LanguageCodeOfFile(value.Get(), code);
    FUZZ_CHECK(code == (text.size() >= 3 ? text.substr(3, 3) : std::string()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text = fuzz::TextOf(data, size);
    fuzz::CText value(text);
    const char* subdirectory = ArchitectureSubdirectory(value.Get());
    const char* expected = ModelArchitecture(text);
    FUZZ_CHECK(subdirectory ? expected && std::strcmp(subdirectory, expected) == 0 : expected == nullptr);
    CheckLanguages(text);
    return 0;
}
