// The client's program files: which files make up the client, where each one
// goes and with which checks, the fax printers among them, and the steps that
// end an installation (configuration file and desktop entries).
#pragma once

#include <windows.h>

#include "common/client_settings.h"

// The client program, and the run-time and imaging libraries it needs: the
// 32-bit set from the processor subdirectory of `sourceDirectory` (`is32`
// 1), else the 16-bit set from `sourceDirectory` itself. 0 when the user
// chose to stop, or when the 32-bit run-time libraries are not on the share.
int InstallSharedLibraries(const char* sourceDirectory, const char* programDir, int is32);

// What InstallProgramFiles does with the fax printers already installed.
enum : int {
    kReplacePrinters = 0,  // removed first (installation)
    kKeepPrinters = 1,     // installed over (program copy and update)
};

// Whether FinishClientSetup asks before it adds the Program Manager items.
enum : int {
    kWithoutProgmanQuestion = 0,
    kWithProgmanQuestion = 1,
};

// The whole file set of the client and the fax printers; `keepPrinters` is
// kReplacePrinters or kKeepPrinters. 0 when the user chose to stop.
int InstallProgramFiles(const char* setupDirectory, const char* programDir, const char* logArea,
                        const char* language, int keepPrinters);

// Removes the fax printers and installs them again. When the user keeps the
// print spooler running, asks whether to go on without the printers (the
// cursor `previousCursor` put back for the question). 0 to stop.
int ReplaceFaxPrinters(const char* setupDirectory, const char* logArea, HCURSOR previousCursor);

// Checks that the client program arrived, then puts the client into (or out
// of) the WIN.INI load line, registers the fax file extensions, writes
// TELMORA.INI (both workstation sections when `notebookSettings` is given and
// the configuration has a network server), adds the Program Manager items
// (after asking, with kWithProgmanQuestion) and writes the uninstall entry.
int FinishClientSetup(const ClientSettings* settings, const ClientSettings* notebookSettings, int askProgman);

// "Installation completed" on the progress line.
void ShowInstallCompleted();
