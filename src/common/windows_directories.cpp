// The run-wide directory record; empty until InitWindowsDirectories fills it.
#include "common/windows_directories.h"

WindowsDirectories g_directories;
