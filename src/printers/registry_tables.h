// Registry value tables of the Windows NT fax printer.
//
// The fax printer keeps its settings and its port in the registry. A table
// names a key by a text path ("HKEY_LOCAL_MACHINE/SYSTEM/...", components
// separated by "/") and lists the values under it with their types and data.
// A table is an array of RegKeyTable entries ended by one whose path is empty;
// each entry's values are an array of RegValueEntry ended by one whose name is
// empty. Three operations work on a whole table: load what the registry holds
// (so a reinstallation keeps the user's settings), save, and test existence.
// None of them reports to the user: failures show in the results and in the
// thread's last error. The fax printer's three run-wide tables live in
// g_printers (printers/printer_state.h).
#pragma once

#include <windows.h>

#include "common/win_handles.h"

enum : int {
    kRegPathSize = 257,        // a key path: 256 characters
    kRegValueNameSize = 65,    // a value name: 64 characters
    kRegValueDataSize = 2048,  // a value's data
};

struct RegValueEntry {
    char name[kRegValueNameSize];
    DWORD size;  // bytes written for a REG_BINARY value
    DWORD type;  // REG_SZ, REG_BINARY or REG_DWORD; other types are skipped
    // REG_SZ: the text; REG_BINARY: the bytes; REG_DWORD: the number as text,
    // read with "%i" ("0x1" hexadecimal, "0" decimal).
    char data[kRegValueDataSize];
};

struct RegKeyTable {
    char path[kRegPathSize];
    RegValueEntry* values;
};

extern const char kPrinterSettingsPathFormat[];  // ".../Printers/%s/PrinterDriverData"
extern const char kNt40PortPathFormat[];         // ".../Print/Monitors/%s/Ports"

// Opens the key at `path` without creating anything. On any failure
// `*missing` is set to 1 and the deepest key that did open is returned (none
// when the root name is not one of the four predefined roots: the last error
// is then 13).
win::Key OpenRegistryPath(const char* path, int* missing);

// Opens the key at `path`, creating missing keys with full access for
// everyone. An empty holder when the path cannot be walked (the last error
// tells why).
win::Key CreateRegistryPath(const char* path);

// Whether loading a table creates the keys it does not find.
enum : int {
    kOpenExistingKeys = 0,
    kCreateMissingKeys = 1,
};

// Fills the table's data from the values the registry holds with the table's
// types; others keep their data. `createKeys`: kOpenExistingKeys or
// kCreateMissingKeys.
void LoadRegistryTable(RegKeyTable* table, int createKeys);

// Writes every value of the table. 1 when every value was written, else 0.
int SaveRegistryTable(RegKeyTable* table);

// 1 when every key and every value of a known type exists, else 0.
int RegistryTableExists(RegKeyTable* table);

// Formats the path of g_printers' settings table with `printerName`.
void SetPrinterSettingsPath(const char* printerName);

// The port table of g_printers for Windows NT `version` (kNtVersion351 or
// kNtVersion40, else null) made ready for use: its value named `portName`
// and, for NT 4.0, its path formatted with `monitorName`.
RegKeyTable* PreparePortTable(int version, const char* portName, const char* monitorName);

// The value `name` in the first key of `table`, or null.
RegValueEntry* FindRegistryValue(RegKeyTable* table, const char* name);

// Replaces the data of value `name` of `table` with `text`; 0 when no such value.
int SetRegistryValueText(RegKeyTable* table, const char* name, const char* newText);
