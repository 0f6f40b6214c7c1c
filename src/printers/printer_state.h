// What the printer work keeps from one call to the next during a run: the
// choice the Windows NT preparation made (driver kit, version, printer and
// port names, the four directories), the flags the NT installation and
// removal leave for the rest of the run, the spooler question as loaded, the
// error the fax printer last failed with, and the registry tables of the NT
// fax printer as loaded and changed. One record, one reset.
#pragma once

#include <windows.h>

#include "common/setup_context.h"
#include "printers/nt_printers.h"
#include "printers/registry_tables.h"
#include "printers/spooler_control.h"

enum : int {
    kPrinterSettingsValueCount = 14,  // the values of the fax printer's settings key
};

struct PrinterRunState {
    // Set by PrepareNtFaxPrinter; the directories have no trailing backslash.
    const NtDriverSet* ntDriverSet;  // null until a preparation chose one
    int ntVersionNumber;             // kNtVersion351 or kNtVersion40, 0 before
    char ntPrinterName[kNtPrinterNameSize];
    char ntPortName[kNtPortNameSize];
    char ntDriverDirectory[kNtDirectorySize];
    char ntPrintProcessorDirectory[kNtDirectorySize];
    char ntWindowsDirectory[kNtDirectorySize];
    char ntSystemDirectory[kNtDirectorySize];

    NtPrinterFlags ntPrinterFlags;      // 0 at the start, set once, never cleared during a run
    DWORD faxPrinterError;              // the thread's last error when the fax printer last failed
    char spoolerPrompt[kMessageSize];   // the question before the spooler is stopped

    // The registry tables (printers/registry_tables.h): the fax printer's
    // settings under its printer key (the path formatted with the printer
    // name before use), and its port on Windows NT 3.51 and on NT 4.0 (one
    // text value named after the port). Each table and value list ends in
    // an entry with an empty path or name.
    RegKeyTable printerSettingsTable[2];
    RegKeyTable nt351PortTable[2];
    RegKeyTable nt40PortTable[2];
    RegValueEntry printerSettingsValues[kPrinterSettingsValueCount + 1];
    RegValueEntry nt351PortValues[2];
    RegValueEntry nt40PortValues[2];
};

// Holds the start state when the program starts.
extern PrinterRunState g_printers;

// Puts g_printers back to its start state: no kit chosen, no flag set, the
// tables with the shipped paths and values.
void ResetPrinterRunState();
