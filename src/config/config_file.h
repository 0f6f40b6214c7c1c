// TELMORA.INI itself: finding it on the search list, the defaults of a new
// configuration, reading it into ClientSettings and writing a workstation
// section back.
#pragma once

#include <cstdio>

#include "common/client_settings.h"

// How ReadConfigFile treats the sections of the file.
enum : int {
    kReadServerAreasWin = 0,       // /S: the [SERVER] areas win; [SERVER] required
    kReadNormal = 1,
    kReadIgnoreSecondSection = 2,  // [WORKSTATION-1] is not looked at
};

// FindConfigFile's result when no TELMORA.INI was found on the search list.
const int kConfigFileNotFound = -4072;

// Searches QVTLINIT, INIT, PATH, the Windows directory and the current
// directory for TELMORA.INI. Returns 0 with the directory (upper case, with a
// trailing backslash) in `directory` (at least 256 bytes), else
// kConfigFileNotFound.
int FindConfigFile(char* directory);

// The defaults of a new configuration; the four areas and programDir keep
// their values. Returns 1.
int SetDefaultSettings(ClientSettings* settings);

// The client language code from WIN.INI [Intl] sLanguage, "ENG" when unset,
// into a buffer of kLanguageSize bytes. Returns 1.
int GetDefaultLanguage(char* language);

// Sets `settings` to the defaults and then to what `directory` +
// "TELMORA.INI" holds; `mode` is one of kRead... Returns 1 or 0. Sets or
// clears g_setup.updateServerSection.
int ReadConfigFile(const char* directory, ClientSettings* settings, int mode);

// Whether a rewrite of TELMORA.INI keeps the second workstation section.
enum : int {
    kKeepSecondSection = 0,
    kDropSecondSection = 1,
};

// Writes `settings` into `directory` + "TELMORA.INI" (`directory` ends in a
// backslash): a new file, or the one workstation section rebuilt in place of
// the old through the safe rewrite. [SERVER-WKN] is always dropped,
// [WORKSTATION-1] too with kDropSecondSection. Then brings [SERVER] up
// to date when g_setup.updateServerSection is set. Returns 1 or 0.
int WriteConfigFile(const char* directory, const ClientSettings* settings, int dropSecondSection);

// Setting lines with their written-marks. `output` null clears the marks;
// `key` null writes every setting not yet written; a key (the text before a
// line's ':' or '=') writes that setting's line and returns 1, or returns 0
// for a key that is not one of the settings.
int WriteSettingLine(FILE* output, const char* key, const ClientSettings* settings);

// Sets ServerArea, SystemArea, AllUserArea and RequestArea of [SERVER] when
// g_setup.updateServerSection is set; otherwise does nothing.
void UpdateServerSection(const char* directory, const ClientSettings* settings);
