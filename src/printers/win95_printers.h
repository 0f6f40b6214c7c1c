// The fax printers on Windows 95 and older non-NT Windows: 16-bit drivers in
// the SYSTEM directory and their WIN.INI entries; and the names, ports and
// cursor handling that installation and removal share on every Windows.
#pragma once

#include <windows.h>

#include "common/setup_context.h"

extern const char kOldFaxPrinterName[];    // "Telmora printer": the QVTL printer
extern const char kOldBarePrinterName[];   // "Telmora": the oldest printer entries
extern const char kSpoolFileName[];        // "TELMORA.SPL"
extern const char kPrinterGroupName[];     // "Telmora printers"
extern const char kWordSettingsFile[];     // "WINWORD6.INI"

// WIN.INI sections and keys of the printers.
extern const char kPrinterPortsSection[];  // "PrinterPorts"
extern const char kDevicesSection[];       // "devices"
extern const char kPortsSection[];         // "ports"
extern const char kWindowsSection[];       // "windows"
extern const char kDeviceKey[];            // "device": the default printer

enum : int {
    kSpoolPathSize = kPathFieldSize,
    kProfileValueSize = 201,  // a WIN.INI value read back: 200 characters
};

// The log area followed by "TELMORA.SPL", in lower case.
void FormSpoolPath(const char* logArea, char (&spoolPath)[kSpoolPathSize]);

// The fax printer's port: on a non-NT Windows the bare "TELMORA.SPL" when the
// log area is the Windows directory, otherwise (and on NT) the spool path.
void FormFaxPort(const char* logArea, const char* spoolPath, char (&port)[kSpoolPathSize]);

// The Multisend printer's port: the Windows directory and "TELMORA.SPL".
void FormMultisendPort(char (&port)[kSpoolPathSize]);

// Puts up the hourglass; returns the cursor to put back.
HCURSOR SetWaitCursor();

// When WINWORD6.INI exists, gives section `printerName` a "Flags" entry of
// "+64" unless it has one.
void WriteWordPrinterFlags(const char* printerName);

// Sets one WIN.INI key, or deletes it when `value` is null; 1 when written.
// A key that is not there counts as deleted, also where the section lives in
// the registry and the deletion reports the key missing (2).
int WriteWinIniEntry(const char* section, const char* key, const char* value);

// 1 when WIN.INI's default printer begins with `name`, in any letter case.
int DefaultPrinterIs(const char* name);

// Deletes a printer of this name that the spooler knows.
void DeleteSpoolerPrinter(const char* name);

// The closing progress line of the WIN.INI work (`ok`: every write
// succeeded), or the warning that it could not all be written.
void ReportWinIniResult(int ok);

// Tells every top-level window that WIN.INI changed.
void BroadcastWinIniChange();

// The non-NT branch of InstallFaxPrinters: driver files, QVPRIN.INI, WIN.INI
// entries and the Word settings. 0 when the user chose not to go on.
int InstallWin95FaxPrinters(const char* distributionDirectory, const char* logArea, const char* spoolPath,
                            const char* port, HCURSOR previousCursor);
