// Process start: command line, setup directory, the main window's class and
// window, and the optional 3-D controls library.
#pragma once

#include <windows.h>

int ParseCommandLine(const char* commandLine);
int FindSetupDirectory();
ATOM RegisterMainWindowClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);

// The 3-D controls library, when it was loaded, and its release at exit.
HMODULE Ctl3dLibrary();
void ReleaseCtl3d(HINSTANCE instance);

// The main window's class name and title.
extern const char kMainWindowClass[];  // "TelmoraInstall"
extern const char kMainWindowTitle[];  // "Telmora Installation"
