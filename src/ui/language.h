// The client language library (QVINTL32.DLL), the runtime locale and fonts.
#pragma once

#include <windows.h>

enum : int {
    kLanguageStarted = 0,
    kLanguageNoNtFont = -4008,  // NT: no message font for the library's character set
    kLanguageNoFont = -4009,    // not NT: no system font for the library's character set
};

int StartLanguage();
void ReleaseLanguage();
int UseHebrewUserLocale();
int LanguageCharset();
int SystemFontForCharsetExists();
int FontForCharsetExists(int kind);  // 1 caption font, 2 message font
int LocaleDiffersFromUser();
