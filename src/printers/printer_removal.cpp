// Taking the fax printers off the PC again: on Windows NT the spooler's
// printers, drivers, print processor, monitor and port (with the spooler
// stopped around the port); elsewhere the WIN.INI entries and driver files.
// Both generations of names that installation wrote are removed, down to the
// oldest bare printer name "Telmora".
#include <windows.h>
#include <winspool.h>

#include <cstdio>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "common/win_ini_log.h"
#include "common/windows_directories.h"
#include "common/windows_version.h"
#include "files/file_log.h"
#include "printers/fax_printers.h"
#include "printers/nt_printers.h"
#include "printers/printer_log.h"
#include "printers/printer_removal.h"
#include "printers/printer_state.h"
#include "printers/spooler_control.h"
#include "printers/win95_printers.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

namespace {

// The default printer entry names one of ours when it begins with one of these.
const char kOldBarePrinterPrefix[] = "Telmora,";
const char* const kOwnDefaultPrinterPrefixes[] = {kOldBarePrinterPrefix, kOldFaxPrinterName,
                                                  kMultisendPrinterName};

// Files of the Windows 95 drivers that removal deletes; the support
// libraries and the shared driver files stay.
const char* const kWin95SystemFiles[] = {"QVPRNMRG.DLL", "QVPRNCTL.EXE"};
const char kWin95DriverSettingsFile[] = "QVPRIN.INI";
const char kWin95FaxDriverFile[] = "QVPRIN.DRV";
const char kOldFaxDriverFile[] = "QVTL.DRV";
const char kWin95MultisendDriverFile[] = "QVPRN95.DRV";

// Drivers are deleted in the spooler's current environment: for this 32-bit
// program "Windows NT x86", the environment they were installed for.
char* const kCurrentEnvironment = nullptr;

// What the "ports" lookup returns when the port is not listed.
const char kNoPortDefault[] = "Error";
const DWORD kNoPortLength = sizeof kNoPortDefault - 1;
enum : int { kPortLookupSize = 32 };

int DefaultPrinterIsOurs() {
    for (const char* prefix : kOwnDefaultPrinterPrefixes) {
        if (DefaultPrinterIs(prefix)) return 1;
    }
    return 0;
}

// Opens `printerName` with all access, to delete it on Windows NT. An empty
// holder when the spooler does not know the printer.
win::Printer OpenPrinterToDelete(const char* printerName) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printerName), &printer, &defaults)) return win::Printer();
    return win::Printer(printer);
}

// ---- Windows NT

void RemoveMultisendPrinterNt() {
    win::Printer printer = OpenPrinterToDelete(kMultisendPrinterName);
    if (printer.IsOpen()) LogPrinterRemoval(DeletePrinter(printer), "printer", kMultisendPrinterName);
    int driverDeleted = DeletePrinterDriverA(nullptr, kCurrentEnvironment, const_cast<char*>(kMultisendDriverName));
    if (driverDeleted || GetLastError() != ERROR_UNKNOWN_PRINTER_DRIVER) {
        LogPrinterRemoval(driverDeleted, "driver", kMultisendDriverName);
    }
}

void DeleteMultisendDataFile(const char* driverDirectory) {
    char dataFile[kDriverDirectorySize];
    text::Format(dataFile, "%s\\%s", driverDirectory, kMultisendDriverFile);
    if (GetFileAttributesA(dataFile) != INVALID_FILE_ATTRIBUTES) LogFileDeletion(DeleteFileA(dataFile), dataFile);
}

// Anything of the fax printer to remove: its port in "ports", the printer
// or its port value.
int FaxPrinterTraceExists(const char* port) {
    char value[kPortLookupSize];
    DWORD length = GetProfileStringA(kPortsSection, port, kNoPortDefault, value, sizeof value);
    return length != kNoPortLength || GetNtPrinterStatus(kFaxPrinterName, kFaxPortName) != kNtPrinterAbsent;
}

// The fax printer's part while the removal owns the spooler: the port, then
// the printer with its files; a failure now or in the preparation is shown.
void RemoveFaxPrinterPartNt(const char* port) {
    LogPrinterRemoval(DeletePortA(nullptr, g_setup.mainWindow, const_cast<char*>(port)), "port", port);
    LogWinIniEntry(WriteProfileStringA(kPortsSection, port, nullptr), kPortsSection, port, nullptr);
    if (!g_printers.ntPrinterFlags.faxRemovalFailed && !RemoveFaxPrinterNt(kFaxPortName, kFaxPrinterName)) {
        g_printers.ntPrinterFlags.faxRemovalFailed = 1;
    }
    if (g_printers.ntPrinterFlags.faxRemovalFailed) ShowError(IDS_ERROR_DELETING_FILES, kFaxPrinterName);
}

// The Windows NT removal; 0 when the user declined stopping the spooler.
int RemoveFaxPrintersNt(const char* port) {
    RemoveMultisendPrinterNt();
    if (!PrepareNtFaxPrinter(kFaxPortName, kFaxPrinterName, kOpenExistingKeys)) {
        g_printers.ntPrinterFlags.faxRemovalFailed = 1;
    }

    char driverDirectory[kDriverDirectorySize];
    GetDriverDirectory(driverDirectory, sizeof driverDirectory, kDriverEnvironmentFolder);
    if (driverDirectory[0] == '\0') return 1;
    DeleteMultisendDataFile(driverDirectory);
    if (!FaxPrinterTraceExists(port)) return 1;

    if (!ConfirmSpoolerStop()) return 0;
    RemoveFaxPrinterPartNt(port);
    DWORD errorCode = 0;
    StopAndRestartSpooler(port, &errorCode, nullptr, kSpoolerCycleRemoval, 0, nullptr);
    return 1;
}

// ---- Other Windows

// Deletes `key` of `section` from WIN.INI; 1 when it is gone.
int DeleteEntry(const char* section, const char* key) { return WriteWinIniEntry(section, key, nullptr); }

int DeletePrinterEntries(const char* faxPrinterName, const char* multisendPort) {
    int ok = 1;
    ok &= DeleteEntry(kPrinterPortsSection, kOldBarePrinterName);
    ok &= DeleteEntry(kPrinterPortsSection, faxPrinterName);
    ok &= DeleteEntry(kDevicesSection, kOldBarePrinterName);
    ok &= DeleteEntry(kDevicesSection, faxPrinterName);
    ok &= DeleteEntry(kPrinterPortsSection, kMultisendPrinterName);
    ok &= DeleteEntry(kDevicesSection, kMultisendPrinterName);
    ok &= DeleteEntry(kPortsSection, multisendPort);
    return ok;
}

void RemoveFile(const char* directory, const char* name) {
    char path[kPathFieldSize];
    text::Copy(path, directory);
    text::Append(path, name);
    LogFileDeletion(std::remove(path) == 0, path);
}

void DeleteDriverFiles() {
    if (!IsWindows95()) {
        RemoveFile(g_directories.system, kOldFaxDriverFile);
        return;
    }
    for (const char* name : kWin95SystemFiles) RemoveFile(g_directories.system, name);
    RemoveFile(g_directories.windows, kWin95DriverSettingsFile);
    RemoveFile(g_directories.system, kWin95FaxDriverFile);
    RemoveFile(g_directories.system, kWin95MultisendDriverFile);
}

// The removal on every Windows that is not Windows NT.
void RemoveFaxPrintersWin95(const char* port, const char* spoolPath) {
    int defaultIsOurs = DefaultPrinterIsOurs();
    const char* faxPrinterName = IsWindows95() ? kFaxPrinterName : kOldFaxPrinterName;
    char multisendPort[kSpoolPathSize];
    FormMultisendPort(multisendPort);

    int ok = DeletePrinterEntries(faxPrinterName, multisendPort);
    LogAction(kLogPrinter, "%s and %s removed from WIN.INI", faxPrinterName, kMultisendPrinterName);
    if (IsWindows95()) {
        DeleteSpoolerPrinter(faxPrinterName);
        DeleteSpoolerPrinter(kMultisendPrinterName);
    }
    DeleteDriverFiles();
    if (defaultIsOurs) ok &= DeleteEntry(kWindowsSection, kDeviceKey);
    ok &= DeleteEntry(kPortsSection, port);
    if (!text::EqualNoCase(port, spoolPath)) ok &= DeleteEntry(kPortsSection, spoolPath);
    ReportWinIniResult(ok);
    BroadcastWinIniChange();
}

}  // namespace

int RemoveFaxPrinters(const char* logArea) {
    ShowProgress(IDS_UNINSTALLING_PRINTER, kPrinterGroupName);
    HCURSOR previousCursor = SetWaitCursor();
    char spoolPath[kSpoolPathSize];
    char port[kSpoolPathSize];
    FormSpoolPath(logArea, spoolPath);
    FormFaxPort(logArea, spoolPath, port);

    int result = 1;
    if (IsWindowsNT()) {
        result = RemoveFaxPrintersNt(port);
    } else {
        RemoveFaxPrintersWin95(port, spoolPath);
    }
    SetCursor(previousCursor);
    return result;
}

int RemoveFaxPrinterNt(const char* portName, const char* printerName) {
    if (!g_printers.ntDriverSet) return 0;
    NormalizeNtPortName(portName);
    if (!RemovePrinterAndDriver(printerName)) {
        ShowError(IDS_WINDOWS_SETTINGS_ERROR);
        return 0;
    }
    // An unknown processor (1798) or monitor (3000) is already gone; the
    // results are not needed.
    const char* processor = g_printers.ntDriverSet->printProcessorName;
    if (g_printers.ntDriverSet->printProcessorFile) {
        int deleted = DeletePrintProcessorA(nullptr, nullptr, const_cast<char*>(processor));
        LogPrinterRemoval(deleted || GetLastError() == ERROR_UNKNOWN_PRINTPROCESSOR, "print processor", processor);
    }
    const char* monitor = g_printers.ntDriverSet->monitorName;
    if (g_printers.ntDriverSet->portMonitorFile) {
        int deleted = DeleteMonitorA(nullptr, nullptr, const_cast<char*>(monitor));
        LogPrinterRemoval(deleted || GetLastError() == ERROR_UNKNOWN_PRINT_MONITOR, "port monitor", monitor);
    }
    if (!DeleteFaxSystemFiles()) return 0;
    if (g_printers.ntVersionNumber == kNtVersion351) {
        int removed = WriteProfileStringA(kPortsSection, g_printers.ntPortName, nullptr);
        LogWinIniEntry(removed, kPortsSection, g_printers.ntPortName, nullptr);
    }
    return 1;
}

int RemovePrinterAndDriver(const char* printerName) {
    if (text::IsEmpty(printerName)) return 1;
    win::Printer printer = OpenPrinterToDelete(printerName);
    if (printer.IsOpen()) {
        int deleted = DeletePrinter(printer) ? 1 : 0;
        LogPrinterRemoval(deleted, "printer", printerName);
        if (!deleted) return 0;
        printer.Close();
    } else {
        DWORD error = GetLastError();
        int gone = error == ERROR_INVALID_PRINTER_NAME ||
                   (error == ERROR_ACCESS_DENIED && g_printers.ntVersionNumber == kNtVersion40);
        if (!gone) return 0;
    }
    const NtDriverSet* kit = g_printers.ntDriverSet;
    if (kit) {
        int deleted = DeletePrinterDriverRetry(nullptr, kCurrentEnvironment, kit->driverName);
        LogPrinterRemoval(deleted, "driver", kit->driverName);
    }
    return 1;
}

int DeleteFaxSystemFiles() {
    const NtDriverSet* kit = g_printers.ntDriverSet;
    if (!kit) return 1;
    const char* const names[] = {kit->faxDialogProgram, kit->mmLibrary, kMmLibraryName};
    for (const char* name : names) {
        char path[kNtDirectorySize];
        text::Format(path, "%s\\%s", g_printers.ntSystemDirectory, name);
        int deleted = DeleteFileA(path) ? 1 : 0;
        LogFileDeletion(deleted, path);
        if (!deleted && GetLastError() != ERROR_FILE_NOT_FOUND) {
            ShowError(IDS_CANNOT_DELETE_FILE, path);
            return 0;
        }
    }
    return 1;
}
