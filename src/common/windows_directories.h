// The four directories of this PC that a run works with, each ending in a
// backslash. InitWindowsDirectories (files/directories.h) fills them once per
// run; everything else only reads them.
#pragma once

#include "common/setup_context.h"

struct WindowsDirectories {
    char windows[kPathFieldSize];   // the Windows directory
    char system[kPathFieldSize];    // the SYSTEM directory
    char system16[kPathFieldSize];  // SYSTEM beside SYSTEM32 on Windows NT, else the Windows directory
    char bootRoot[kPathFieldSize];  // "C:\", where AUTOEXEC.BAT is looked for first
};

extern WindowsDirectories g_directories;
