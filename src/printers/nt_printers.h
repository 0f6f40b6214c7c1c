// The fax printers on Windows NT: the printer driver kits of NT 3.51 and
// NT 4.0, the preparation that picks one for this PC, the state of the fax
// printer, the kit files copied while the print spooler is stopped, the fax
// printer itself and the Multisend printer on the universal raster driver.
#pragma once

#include <windows.h>

#include <cstddef>

// One printer driver kit of the fax printer, per supported NT version.
// A null file name means the kit has no such file.
struct NtDriverSet {
    const char* environment;         // "Windows NT x86"
    const char* driverFile;
    const char* configurationFile;
    const char* printProcessorFile;  // NT 3.51 only
    const char* portMonitorFile;     // NT 4.0 only
    DWORD driverVersion;
    const char* printProcessorName;
    const char* monitorName;
    const char* driverName;          // also the fax printer's name
    const char* supportLibrary;
    const char* faxDialogProgram;
    const char* mmLibrary;           // installed under the name kMmLibraryName
    const char* helpFile;
};

enum : int {
    kNtDirectorySize = 260,
    kNtPrinterNameSize = 100,        // 99 characters
    kNtPortNameSize = 260,
    kDriverDirectorySize = 513,      // the Multisend and removal lookups
    kNtReasonSize = 251,             // a failure reason: 250 characters
    kNtVersion351 = 3,
    kNtVersion40 = 4,
};

extern const NtDriverSet kNtDriverSet351;
extern const NtDriverSet kNtDriverSet40;

extern const char kMmLibraryName[];            // "Img32mm.dll"
extern const char kFaxPortName[];              // "Telmora.spl"
extern const char kMultisendDriverName[];      // "Telmora Multisend Driver"
extern const char kMultisendDriverFile[];      // "QVPRNNT.DLL": Multisend driver's data file
extern const char kFaxKitFile[];               // "QVPRNM32.DLL": the fax printer kit is in the share
extern const char kDriverEnvironmentFolder[];  // "W32X86"
extern const char kDummyDataFile[];            // "DUMMY.DAT"

// The preparation's choice (kit, version, names, directories) and the flags
// of the NT printer work are kept in g_printers (printers/printer_state.h).

// Copies `portName` into g_printers.ntPortName, without a trailing ':' on NT 3.51.
void NormalizeNtPortName(const char* portName);

// Picks the kit for this NT version, checks for administrator rights, loads
// the printer settings (`createKeys` as for LoadRegistryTable) and
// finds the directories, into g_printers. 0 after an error box
// (IDS_SYSTEM_UNRECOGNIZED, IDS_NEED_ADMIN_FOR_DRIVERS,
// IDS_WINDOWS_DIRECTORY_ERROR, IDS_SYSTEM_DIRECTORY_ERROR).
int PrepareNtFaxPrinter(const char* portName, const char* printerName, int createKeys);

// GetNtPrinterStatus's result: a bit for the printer, one for its port.
enum NtPrinterStatus : int {
    kNtPrinterAbsent = 0,        // neither printer nor port
    kNtPrinterExists = 1,
    kNtPortExists = 2,
    kNtPrinterAndPortExist = 3,  // both
};

int GetNtPrinterStatus(const char* printerName, const char* portName);

// The spooler's driver (print processor) directory for this environment,
// or one built from the SYSTEM directory; an empty buffer means it is not
// known. Always 1.
int GetDriverDirectory(char* buffer, std::size_t size, const char* environmentName);
int GetPrintProcessorDirectory(char* buffer, std::size_t size, const char* environmentName);

// The work while the spooler is stopped: the port value and the kit files
// from `sourceDirectory`. 0 after a failure.
int PrepareFaxPrinterFiles(const char* sourceDirectory, int faxPrinterPresent);

// Port monitor, print processor, driver, printer and settings of the fax
// printer (only the placeholder files when `faxPrinterPresent`). 0 at the
// first failure.
int CreateFaxPrinter(const char* printerName, const char* logArea, int faxPrinterPresent);

// Deletes the driver's placeholder data files.
void DeleteDummyDataFiles();

// Installs the Multisend printer from `sourceDirectory` (ending in a
// backslash). On failure `errorCode` becomes non-zero and `reason` may say
// why.
void InstallMultisendPrinter(const char* sourceDirectory, DWORD* errorCode, char (&reason)[kNtReasonSize]);

// The Windows NT branch of InstallFaxPrinters; `spoolPath` is the port.
// `previousCursor` is put back before every question. The operation's result.
int InstallNtFaxPrinters(const char* distributionDirectory, const char* logArea, const char* spoolPath,
                         HCURSOR previousCursor);
