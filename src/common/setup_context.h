// The one global run record of the setup program.
//
// It lives for the whole process: start-up fills the switch and mode fields
// from the command line, the workflow driver its run fields, the main window
// its display fields. Flags are 32-bit integers used as booleans (0 or 1).
#pragma once

#include <windows.h>

#include "common/run_outcome.h"

enum : int {
    kPathFieldSize = 272,         // directory fields (/I, QVTLINIT, Windows directories)
    kSetupDirectorySize = 260,    // the distribution directory found at start-up
    kDisplayLineSize = 201,       // a display line holds at most 199 characters
    kMessageSize = 201,           // a loaded or formatted message: 200 characters
};

struct SetupContext {
    // Switch and mode fields, set by the command line.
    HINSTANCE appInstance;
    HWND mainWindow;
    int netBaseDirSwitch;                      // /B
    int demoSwitch;                            // /D
    char configDirectory[kPathFieldSize];      // /I, upper case, ends in a backslash
    int quietSwitch;                           // /Q
    int serverSwitch;                          // /S
    int updateSwitch;                          // /U
    int uninstallMode;                         // /X or the Uninstall choice
    int quietInstall;                          // /Q without /U and /X
    char setupDirectory[kSetupDirectorySize];  // holds STNINST.EXE; empty when not found

    // Run fields of the workflow driver.
    char qvtlinitValue[kPathFieldSize];
    int tsrInStartupFile;
    int rebootNeeded;
    int updateServerSection;

    // Display fields of the main window.
    char displayTitle[kDisplayLineSize];
    char displayProgress[kDisplayLineSize];
    int screenWidth;
    int screenHeight;

    // The client language library, or null (English resources only).
    HMODULE languageLibrary;

    // Where AUTOEXEC.BAT lives, once known.
    char autoexecDirectory[kPathFieldSize];

    // TELMORA_SETUP_UNATTENDED=1: nobody answers; every box takes its
    // unattended answer (ui/unattended_answers.cpp) and the result code is the
    // exit code.
    int unattended;
    // What ended the run, noted where it became known (ResetRunOutcome).
    RunOutcome outcome;
};

extern SetupContext g_setup;
