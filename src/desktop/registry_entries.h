// The client's own entries in the registry and in WIN.INI (the printers keep
// theirs elsewhere): its program in the load= line, its uninstall entry, the
// fax graphics extensions, and on uninstallation their removal together with
// the per-user settings keys. Each call returns 1 for success, 0 for failure;
// only the WIN.INI update reports its failure itself.
#pragma once

#include <windows.h>

// Takes every client element out of WIN.INI [windows] load= and, when
// `clientDirectory` (ending in a backslash) is given, appends its
// TELMORA.EXE. The line is written back in upper case. 0 when WIN.INI cannot
// be written (IDS_WIN_INI_UPDATE_ERROR shown).
int UpdateLoadList(const char* clientDirectory);

// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Telmora Workstation
// with DisplayName and UninstallString = `systemArea` + "STNINST /X".
int WriteUninstallEntry(const char* systemArea);

// Registers open, print and printto of .G3F, .G3N and .G3S for the client
// program at `programPath`: the AND of the nine registrations, all attempted.
int RegisterFaxExtensions(const char* programPath);

// One verb of one extension: the command key `keyPath` under
// HKEY_CLASSES_ROOT set to "<PROGRAM PATH> <arguments>", and for the open
// verb ("%1") the WIN.INI [Extensions] entry as well.
int RegisterExtensionVerb(const char* programPath, const char* extension, const char* keyPath,
                          const char* arguments);

// Removes the [Extensions] entry and the keys of `extension` (given without
// its dot), stopping at the first step that fails.
int UnregisterExtension(const char* extension);

// Removes the uninstall entry and, for every user, the client's settings
// keys; the maker's key goes too once nothing else is left in it.
int RemoveClientRegistryKeys();

// Deletes parent\name and its direct subkeys. 1 when the key did not exist
// or everything was deleted.
int DeleteKeyAndSubkeys(HKEY parent, const char* name);
