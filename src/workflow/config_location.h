// Finding the directory of TELMORA.INI for a workflow, and the system area of
// the configuration found there.
#pragma once

enum : int {
    kLocateFindExisting = 0,  // edit, copy, update, uninstall: the file must exist
    kLocateForInstall = 1,    // a new configuration may be made
};

// Leaves in g_setup.configDirectory the directory of the TELMORA.INI to use:
// the one named on the command line when it holds the file, else the first
// found on the search list; for an install the Windows directory when none is
// found, otherwise the user is asked until a directory holds the file.
// Returns 1, or 0 when the user chose Abort.
int LocateConfigFile(int create);

// The system area of the configuration in use, for the copy engine
// (SetSystemAreaSource): LocateConfigFile as for an install, then the file
// read into `systemArea` (kPathFieldSize bytes); empty when the file names
// none. 0 when the configuration cannot be located or read.
int ConfiguredSystemArea(char* systemArea);
