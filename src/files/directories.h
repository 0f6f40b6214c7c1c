// The Windows directories of this PC and the directory check.
#pragma once

#include "common/windows_directories.h"

// Fills the four directories of g_directories and sets the run record's
// directory of AUTOEXEC.BAT to the boot root; 0 after showing error
// IDS_WINDOWS_DIRECTORY_ERROR or IDS_SYSTEM_DIRECTORY_ERROR.
int InitWindowsDirectories();

// Whether CheckDirectory creates a missing directory.
enum : int {
    kDirectoryMustExist = 0,
    kCreateDirectory = 1,
};

// Checks that `directory` (ending in a backslash) exists, creating it when
// `create` is kCreateDirectory, that `requiredFile` can be opened there and that a
// `writeTestFile` can be written there (each may be null). Failures are
// reported in `reportMode` (see ui/messages.h); returns 1 to go on.
int CheckDirectory(const char* directory, int create, const char* requiredFile,
                   const char* writeTestFile, int reportMode);
