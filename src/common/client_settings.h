// One workstation's client settings as TELMORA.INI holds them: the record
// every workflow keeps as locals and hands to the parts it calls, with the
// field widths and network codes. config/config_file.h finds, reads and
// writes the file.
//
// Text fields are zero-terminated 8-bit strings in fixed arrays whose width
// includes the terminator; the widths decide where an over-long value is cut.
// Directory fields are upper case and end in a backslash while in memory.
// The record is plain data: it is copied whole by assignment.
// No windows.h here, so the pure value rules can use the record natively.
#pragma once

#include <cstdint>

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
