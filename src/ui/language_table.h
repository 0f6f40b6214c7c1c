// The client languages: their three-letter codes and the names the language
// question shows for them, and the code a language library's file name
// carries. Pure text: no windows.h.
#pragma once

#include <cstddef>

enum : int {
    kLanguageCodeSize = 4,   // three letters
    kLanguageNameSize = 31,  // at most 30 characters
    kLanguageCount = 16,
};

struct LanguageEntry {
    char code[kLanguageCodeSize];
    char name[kLanguageNameSize];
};

// In the order the client knows them; entry 0 is English (British), "ENG",
// the language built into the client that needs no library.
extern const LanguageEntry kLanguageTable[kLanguageCount];
extern const char kEnglishCode[];  // "ENG"

// 1 when two codes agree on their first three characters, ignoring case.
int SameLanguageCode(const char* a, const char* b);

// The table entry of `code` (first three characters, ignoring case), or null.
const LanguageEntry* FindLanguageByCode(const char* code);

// The table entry whose name equals `name` ignoring case, or null.
const LanguageEntry* FindLanguageByName(const char* name);

// The code in a language library's name "QVI<code>.DLL" or "QVI<code>32.DLL":
// the (at most) three characters after "QVI".
void LanguageCodeOfFile(const char* fileName, char (&code)[kLanguageCodeSize]);
