// The command-line grammar of STNIN32.EXE. Pure text: no windows.h.
//
//   /B /D /N /Q /S /U /X, and /I <directory>, with / or -, any case.
#pragma once

#include <cstddef>

enum : std::size_t { kConfigDirectorySize = 272 };

// Result of scanning: the switch fields, or the id of the error message.
struct CommandLineSwitches {
    int netBaseDirSwitch;
    int demoSwitch;
    char configDirectory[kConfigDirectorySize];
    int quietSwitch;
    int serverSwitch;
    int updateSwitch;
    int uninstallMode;
    int quietInstall;
};

// Asked for each /I directory (upper case, ending in a backslash); returns 1
// when the directory holds TELMORA.INI.
using ConfigDirectoryCheck = int (*)(const char* directory, void* context);

// Scans `commandLine` (the text after the program name) into `switches`.
// Returns 0 when the whole line was accepted, otherwise the error id
// IDS_INVALID_DIRECTORY_SWITCH, IDS_INVALID_SWITCH or IDS_INVALID_PARAMETER
// (switches then hold what was read before the error).
int ScanCommandLine(const char* commandLine, CommandLineSwitches& switches,
                    ConfigDirectoryCheck check, void* context);
