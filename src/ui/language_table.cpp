// The client languages: codes, display names and their look-ups.
// Pure text: no windows.h.
#include "ui/language_table.h"

#include "common/bounded_text.h"

const char kEnglishCode[] = "ENG";

const LanguageEntry kLanguageTable[kLanguageCount] = {
    {"ENG", "English (British)"},
    {"ENU", "English (United States)"},
    {"POL", "Polish"},
    {"FRE", "French"},
    {"GER", "German"},
    {"SWE", "Swedish"},
    {"NOR", "Norwegian"},
    {"SPA", "Spanish"},
    {"ITA", "Italian"},
    {"DAN", "Danish"},
    {"GRE", "Greek"},
    {"FIN", "Finnish"},
    {"PTG", "Portuguese"},
    {"NLD", "Dutch"},
    {"HUN", "Hungarian"},
    {"ROM", "Romanian"},
};

namespace {

const std::size_t kCodeLength = kLanguageCodeSize - 1;
const char kLibraryPrefix[] = "QVI";
const std::size_t kLibraryPrefixLength = sizeof(kLibraryPrefix) - 1;

}  // namespace

int SameLanguageCode(const char* a, const char* b) {
    if (!a || !b) return 0;
    for (std::size_t i = 0; i < kCodeLength; ++i) {
        if (text::UpperChar(a[i]) != text::UpperChar(b[i])) return 0;
        if (a[i] == '\0') return 1;  // both codes end here
    }
    return 1;
}

const LanguageEntry* FindLanguageByCode(const char* code) {
    for (const LanguageEntry& entry : kLanguageTable) {
        if (SameLanguageCode(entry.code, code)) return &entry;
    }
    return nullptr;
}

const LanguageEntry* FindLanguageByName(const char* name) {
    for (const LanguageEntry& entry : kLanguageTable) {
        if (text::EqualNoCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

void LanguageCodeOfFile(const char* fileName, char (&code)[kLanguageCodeSize]) {
    code[0] = '\0';
    if (!fileName) return;
    for (std::size_t i = 0; i < kLibraryPrefixLength; ++i) {
        if (fileName[i] == '\0') return;
    }
    text::CopyPrefix(code, fileName + kLibraryPrefixLength, kCodeLength);
}
