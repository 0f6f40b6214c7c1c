// The Windows directories of this PC and the directory check.
#pragma once

#include "common/setup_context.h"

// Run-wide directory buffers, each ending in a backslash.
extern char g_windowsDirectory[kPathFieldSize];
extern char g_systemDirectory[kPathFieldSize];
extern char g_system16Directory[kPathFieldSize];  // SYSTEM beside SYSTEM32 on NT, else the Windows directory
extern char g_bootRoot[kPathFieldSize];           // "C:\"

// Fills the four buffers and sets the run record's directory of
// AUTOEXEC.BAT to the boot root; 0 after showing error 3404 or 3405.
int InitWindowsDirectories();

// Checks that `directory` (ending in a backslash) exists, creating it when
// `create` is 1, that `requiredFile` can be opened there and that a
// `writeTestFile` can be written there (each may be null). Failures are
// reported in `reportMode` (see ui/messages.h); returns 1 to go on.
int CheckDirectory(const char* directory, int create, const char* requiredFile,
                   const char* writeTestFile, int reportMode);
