// One workstation's client settings as TELMORA.INI holds them, and the
// functions that find, read and write that file.
//
// Text fields are zero-terminated 8-bit strings in fixed arrays whose width
// includes the terminator; the widths decide where an over-long value is cut.
// Directory fields are upper case and end in a backslash while in memory.
// The record is plain data: it is copied whole by assignment.
// No windows.h here, so the pure value rules can use the record natively.
#pragma once

#include <cstdint>
#include <cstdio>

enum : int {
    kAreaSize = 257,          // directories: 256 characters
    kDefaultUserSize = 9,     // user name: 8 characters
    kAcceptSize = 201,        // accepted document patterns: 200 characters
    kDeviceSize = 12,         // spool and redirect device names: 11 characters
    kLanguageSize = 4,        // three-letter language code
};

// Network codes: where the client takes the user's login name from.
enum : std::uint16_t {
    kNetworkOther = 1,       // the USERNAME variable
    kNetworkLanManager = 2,
    kNetworkWfw = 3,
    kNetworkNetware = 4,
    kNetworkNetbios = 5,
    kNetworkPrimary = 6,     // login name of the primary network (default)
    kNetworkSecondary = 7,
    kNetworkTertiary = 8,
};

// How ReadConfigFile treats the sections of the file.
enum : int {
    kReadServerAreasWin = 0,       // /S: the [SERVER] areas win; [SERVER] required
    kReadNormal = 1,
    kReadIgnoreSecondSection = 2,  // [WORKSTATION-1] is not looked at
};

// FindConfigFile's result when no TELMORA.INI was found on the search list.
const int kConfigFileNotFound = -4072;

struct ClientSettings {
    char serverBaseDir[kAreaSize];  // holds SYSTEM\, REQUEST\, USERS\; derived, not stored
    char userArea[kAreaSize];       // UserArea, normally ending in %NAME%\ .
    char systemArea[kAreaSize];     // SystemArea
    char requestArea[kAreaSize];    // RequestArea
    char logArea[kAreaSize];        // LogArea
    char programDir[kAreaSize];     // directory part of Help
    char defaultUser[kDefaultUserSize];  // DefaultUser
    char accept[kAcceptSize];       // Accept
    char spool[kDeviceSize];        // Spool; empty when the DOS spooler is not used
    char redirect[kDeviceSize];     // Redirect
    char language[kLanguageSize];   // Language
    std::int16_t timeout;           // Timeout
    std::int16_t statusTimer;       // StatusTimer
    std::uint16_t network;          // Network, one of the kNetwork... codes
    std::int32_t useTsr;            // QSPOOL.EXE is used; follows spool
    std::int32_t loadAtStart;       // the client is in the WIN.INI load= line
    std::int32_t multiWorkstation;  // read from and written to [WORKSTATION-1]
};

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

// Writes `settings` into `directory` + "TELMORA.INI" (`directory` ends in a
// backslash): a new file, or the one workstation section rebuilt in place of
// the old through the safe rewrite. [SERVER-WKN] is always dropped,
// [WORKSTATION-1] too when `dropSecondSection` is 1. Then brings [SERVER] up
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
