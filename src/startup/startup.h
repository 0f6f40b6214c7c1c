// Process start: command line, setup directory, the main window's class and
// window, and the optional 3-D controls library.
#pragma once

#include <windows.h>

int ParseCommandLine(const char* commandLine);
int FindSetupDirectory();
ATOM RegisterMainWindowClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);

// The run's record for administrators: reads TELMORA_SETUP_UNATTENDED,
// opens the action log of TELMORA_SETUP_LOG and writes its start lines
// (version, command line, Windows, whether unattended); later the setup
// directory; at the end the result line. EndRun returns the exit code: the
// result code in an unattended run, else `exitCode`.
void StartRunRecord(const char* commandLine);
void LogSetupDirectory();
int EndRun(int exitCode);
// EndRun after a start-up step that failed without a box of its own.
int EndRunFailed(const char* reason);

// The 3-D controls library, when it was loaded, and its release at exit.
HMODULE Ctl3dLibrary();
void ReleaseCtl3d(HINSTANCE instance);

// The main window's class name and title.
extern const char kMainWindowClass[];  // "TelmoraInstall"
extern const char kMainWindowTitle[];  // "Telmora Installation"
