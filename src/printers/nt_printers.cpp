// The fax printers on Windows NT, installed through the spooler: the fax
// printer "Telmora Printer" from its driver kit (port value and kit files
// while the spooler is stopped, then monitor, print processor, driver,
// printer and its registry settings), and the "Telmora Multisend Printer" on
// the system's universal raster driver. Every outcome other than success
// asks the user whether to go on.
#include "printers/nt_printers.h"

#include <winspool.h>

#include <sys/stat.h>

#include <cstring>
#include <initializer_list>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "common/windows_version.h"
#include "files/copy_engine.h"
#include "files/file_log.h"
#include "printers/fax_printers.h"
#include "printers/printer_log.h"
#include "printers/printer_state.h"
#include "printers/registry_tables.h"
#include "printers/spooler_control.h"
#include "printers/win95_printers.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

const NtDriverSet kNtDriverSet351 = {
    "Windows NT x86", "imgfb3dr.dll",   "imgfb3ui.dll", "imgfx3pr.dll", nullptr,        1,      "faxprint",
    "localmon",       "Telmora Printer", "Img32mfx.dll", "Qvprnctl.exe", "Qvprnm32.dll", nullptr,
};
const NtDriverSet kNtDriverSet40 = {
    "Windows NT x86",   "imgfaxdr.dll",    "imgfb4ui.dll", nullptr,        "imgfb4mn.dll", 2,           "winprint",
    "Fax Monitor Port", "Telmora Printer", "Img32mfx.dll", "Qvprnctl.exe", "Qvprnm32.dll", "Imgfax.hlp",
};

const char kMmLibraryName[] = "Img32mm.dll";
const char kFaxPortName[] = "Telmora.spl";
const char kMultisendDriverName[] = "Telmora Multisend Driver";
const char kMultisendDriverFile[] = "QVPRNNT.DLL";
const char kFaxKitFile[] = "QVPRNM32.DLL";
const char kDriverEnvironmentFolder[] = "W32X86";
const char kDummyDataFile[] = "DUMMY.DAT";

namespace {

const char kNtEnvironment[] = "Windows NT x86";
const char kDriversSubdirectory[] = "spool\\DRIVERS\\";
const char kPrintProcessorsSubdirectory[] = "spool\\PRTPROCS\\";
const char kJoinFormat[] = "%s\\%s";
const char kConcatFormat[] = "%s%s";
const char kDummyFileFormat[] = "%s\\DUMMY.DAT";
const char kVersionDummyFileFormat[] = "%s\\%d\\DUMMY.DAT";
const char kLogFileFormat[] = "%s\\faxdll.log";
const char kPrinterPairFormat[] = "%s and %s";
const char kErrorNumberFormat[] = " (%d)";
const char kBareErrorNumberFormat[] = "(%d)";
const char kWinprint[] = "winprint";
const char kRawDatatype[] = "RAW";
const char kSetupLibrary[] = "SETUPAPI.DLL";
const char kAdminTest[] = "IsUserAdmin";
const char kLocalServer[] = "";

// The settings the fax printer's key receives on installation.
const char kFaxDialogValue[] = "Fax Dialog Loc";
const char kLogfileValue[] = "Logfile";
const char kOutputDirectoryValue[] = "Output Directory";

const DWORD kUserDeclined = 99;  // the user kept the spooler running
const DWORD kMultisendDriverVersion = 1;
const DWORD kPrinterAttributes = PRINTER_ATTRIBUTE_QUEUED | PRINTER_ATTRIBUTE_LOCAL;
const DWORD kPrinterPriority = 1;
const DWORD kDriverInfoLevel = 2;
const DWORD kPrinterInfoLevel = 2;
const DWORD kMonitorInfoLevel = 2;
const DWORD kProcessorInfoLevel = 1;
const DWORD kProcessorListSize = 200;

enum : int {
    kPrinterPairSize = 201,
    kErrorNumberSize = 16,
};

// The Multisend driver: the raster driver's files in the driver directory,
// each with its source in the share for NT 4.0 and for NT 3.51.
struct RasterDriverFile {
    const char* target;
    const char* source40;
    const char* source351;
};
const RasterDriverFile kRasterDriverFiles[] = {
    {"RASDD.DLL", "RAS40.DLL", "RAS351.DLL"},
    {"RASDDUI.DLL", "RAS40UI.DLL", "RAS351UI.DLL"},
    {"RASDDUI.HLP", "RAS40UI.HLP", "RAS351UI.HLP"},
};
enum RasterFile : int { kRasterDriver = 0, kRasterUserInterface = 1 };

void MarkFaxPrinterFailed() {
    g_printers.faxPrinterError = GetLastError();
    g_printers.ntPrinterFlags.faxPrinterFailed = 1;
}

int FileExists(const char* path) {
    struct _stat64 status;
    return _stat64(path, &status) == 0;
}

template <std::size_t N>
void JoinPath(char (&path)[N], const char* directory, const char* name) {
    text::Format(path, kJoinFormat, directory, name);
}

template <std::size_t N>
void LoadReason(char (&reason)[N], UINT id) {
    LoadLocalString(g_setup.appInstance, id, reason);
}

// The spooler's own answer for a directory query, or one built from the
// SYSTEM directory followed by `subdirectory` and `environmentName`.
typedef BOOL(WINAPI* SpoolerDirectoryQuery)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD);

int QuerySpoolerDirectory(SpoolerDirectoryQuery query, const char* subdirectory, char* buffer, std::size_t size,
                          const char* environmentName) {
    if (size == 0) return 1;
    DWORD needed = 0;
    if (query(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), static_cast<DWORD>(size), &needed)) return 1;

    long limit = static_cast<long>(size) - static_cast<long>(std::strlen(environmentName)) -
                 static_cast<long>(std::strlen(subdirectory)) - 1;
    buffer[0] = '\0';
    if (limit <= 0) return 1;
    UINT length = GetSystemDirectoryA(buffer, static_cast<UINT>(limit));
    if (length == 0 || length >= static_cast<UINT>(limit)) {
        buffer[0] = '\0';
        return 1;
    }
    AddTrailingBackslash(buffer, size);
    text::CopyInto(buffer + std::strlen(buffer), size - std::strlen(buffer), subdirectory);
    text::CopyInto(buffer + std::strlen(buffer), size - std::strlen(buffer), environmentName);
    return 1;
}

// 1 unless SETUPAPI.DLL's administrator test says the user is not one.
int UserMayInstallDrivers() {
    win::Module library(LoadLibraryA(kSetupLibrary));
    if (!library.IsOpen()) return 1;
    typedef BOOL(WINAPI * AdminTest)();
    AdminTest isUserAdmin = reinterpret_cast<AdminTest>(reinterpret_cast<void*>(GetProcAddress(library, kAdminTest)));
    if (!isUserAdmin) return 1;
    return isUserAdmin() ? 1 : 0;
}

// Shows error `messageId` and leaves `error` as the thread's last error, the
// number a later question about the fax printer shows. Returns 0.
int FailPreparation(UINT messageId, DWORD error) {
    ShowError(messageId);
    SetLastError(error);
    return 0;
}

// One of the Windows or SYSTEM directory into its NT buffer; 0 after `errorId`.
typedef UINT(WINAPI* DirectoryQuery)(LPSTR, UINT);

int QueryNtDirectory(DirectoryQuery query, char (&directory)[kNtDirectorySize], UINT errorId) {
    UINT length = query(directory, kNtDirectorySize);
    if (length != 0 && length < kNtDirectorySize) return 1;
    DWORD error = length == 0 ? GetLastError() : static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER);
    directory[0] = '\0';
    return FailPreparation(errorId, error);
}

// `portName` without a trailing ':' on NT 3.51.
void NormalizePortName(const char* portName, char (&normalized)[kNtPortNameSize]) {
    text::Copy(normalized, portName);
    std::size_t length = std::strlen(normalized);
    if (g_printers.ntVersionNumber == kNtVersion351 && length > 0 && normalized[length - 1] == ':') {
        normalized[length - 1] = '\0';
    }
}

// The port table of this NT version with its value named after `portName`
// (normalised); none before a preparation chose the kit.
RegKeyTable* PortTable(const char* portName) {
    if (!g_printers.ntDriverSet) return nullptr;
    char normalized[kNtPortNameSize];
    NormalizePortName(portName, normalized);
    return PreparePortTable(g_printers.ntVersionNumber, normalized, g_printers.ntDriverSet->monitorName);
}

// Copies `name` from `sourceDirectory` into `targetDirectory`, replacing it.
int CopyKitFile(const char* sourceDirectory, const char* name, const char* targetDirectory) {
    char source[kNtDirectorySize];
    char target[kNtDirectorySize];
    JoinPath(source, sourceDirectory, name);
    JoinPath(target, targetDirectory, name);
    int copied = CopyFileRetry(source, target, FALSE);
    LogFileCopy(copied, source, target, kCopyRuleAlways);
    return copied;
}

// The empty placeholder the driver names as its data file; an existing one
// keeps its contents.
void CreateDummyDataFile() {
    char path[kNtDirectorySize];
    text::Format(path, kDummyFileFormat, g_printers.ntDriverDirectory);
    win::KernelHandle file(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_FLAG_WRITE_THROUGH, nullptr));
}

// The fax library goes into the SYSTEM directory under its installed name.
int RenameFaxLibrary(const NtDriverSet& kit) {
    char source[kNtDirectorySize];
    char target[kNtDirectorySize];
    JoinPath(source, g_printers.ntSystemDirectory, kit.mmLibrary);
    JoinPath(target, g_printers.ntSystemDirectory, kMmLibraryName);
    int moved = MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
    LogFileCopy(moved, source, target, "moved to the name the driver loads");
    if (moved) return 1;
    ShowError(IDS_COPY_FILE_FAILED, source, target);
    return 0;
}

// The driver kit into the driver, print processor and SYSTEM directories.
int CopyKitFiles(const char* sourceDirectory, const NtDriverSet& kit) {
    if (!CopyKitFile(sourceDirectory, kit.driverFile, g_printers.ntDriverDirectory)) return 0;
    if (!CopyKitFile(sourceDirectory, kit.configurationFile, g_printers.ntDriverDirectory)) return 0;
    CreateDummyDataFile();
    if (kit.printProcessorFile &&
        !CopyKitFile(sourceDirectory, kit.printProcessorFile, g_printers.ntPrintProcessorDirectory)) {
        return 0;
    }
    if (kit.portMonitorFile && !CopyKitFile(sourceDirectory, kit.portMonitorFile, g_printers.ntSystemDirectory)) {
        return 0;
    }
    for (const char* name : {kit.supportLibrary, kit.faxDialogProgram, kit.mmLibrary}) {
        if (!CopyKitFile(sourceDirectory, name, g_printers.ntSystemDirectory)) return 0;
    }
    if (!RenameFaxLibrary(kit)) return 0;

    // The help file is optional: a failed copy has shown its error and is all.
    char help[kNtDirectorySize];
    if (kit.helpFile) {
        JoinPath(help, sourceDirectory, kit.helpFile);
        if (FileExists(help)) CopyKitFile(sourceDirectory, kit.helpFile, g_printers.ntDriverDirectory);
    }
    return 1;
}

// The fax printer's port monitor; one already installed is fine.
int AddFaxMonitor(const NtDriverSet& kit) {
    ShowProgress(IDS_INSTALLING_PORT, g_printers.ntPrinterName);
    if (!kit.portMonitorFile) return 1;
    MONITOR_INFO_2A monitor = {};
    monitor.pName = const_cast<char*>(kit.monitorName);
    monitor.pEnvironment = const_cast<char*>(kit.environment);
    monitor.pDLLName = const_cast<char*>(kit.portMonitorFile);
    int added = AddMonitorRetry(nullptr, kMonitorInfoLevel, reinterpret_cast<BYTE*>(&monitor));
    return LogPrinterAddition(added, ERROR_PRINT_MONITOR_ALREADY_INSTALLED, "port monitor", kit.monitorName);
}

// The fax printer's print processor; one already installed is fine.
int AddFaxPrintProcessor(const NtDriverSet& kit) {
    ShowProgress(IDS_INSTALLING_PROCESSOR, g_printers.ntPrinterName);
    if (!kit.printProcessorFile) return 1;
    int added = AddPrintProcessorRetry(nullptr, nullptr, kit.printProcessorFile, kit.printProcessorName);
    return LogPrinterAddition(added, ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED, "print processor", kit.printProcessorName);
}

// The fax printer's driver on the placeholder data file; one already
// installed is fine.
int AddFaxDriver(const NtDriverSet& kit) {
    ShowProgress(IDS_INSTALLING_DRIVER, g_printers.ntPrinterName);
    char driverPath[kNtDirectorySize];
    char dataFile[kNtDirectorySize];
    char configurationFile[kNtDirectorySize];
    JoinPath(driverPath, g_printers.ntDriverDirectory, kit.driverFile);
    text::Format(dataFile, kDummyFileFormat, g_printers.ntDriverDirectory);
    JoinPath(configurationFile, g_printers.ntDriverDirectory, kit.configurationFile);

    DRIVER_INFO_2A driver = {};
    driver.cVersion = kit.driverVersion;
    driver.pName = const_cast<char*>(kit.driverName);
    driver.pEnvironment = const_cast<char*>(kit.environment);
    driver.pDriverPath = driverPath;
    driver.pDataFile = dataFile;
    driver.pConfigFile = configurationFile;
    int added = AddPrinterDriverRetry(nullptr, kDriverInfoLevel, reinterpret_cast<BYTE*>(&driver));
    return LogPrinterAddition(added, ERROR_PRINTER_DRIVER_ALREADY_INSTALLED, "driver", kit.driverName);
}

// The fax printer itself; one that already exists is fine.
int AddFaxPrinter(const char* printerName, const NtDriverSet& kit) {
    ShowProgress(IDS_INSTALLING_PRINTER, g_printers.ntPrinterName);
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = const_cast<char*>(printerName);
    printer.pPortName = g_printers.ntPortName;
    printer.pDriverName = const_cast<char*>(kit.driverName);
    printer.pPrintProcessor = const_cast<char*>(kit.printProcessorName);
    printer.pDatatype = const_cast<char*>(kRawDatatype);
    printer.Attributes = kPrinterAttributes;
    printer.Priority = kPrinterPriority;
    win::Printer handle(AddPrinterRetry(nullptr, kPrinterInfoLevel, reinterpret_cast<BYTE*>(&printer)));
    return LogPrinterAddition(handle.IsOpen(), ERROR_PRINTER_ALREADY_EXISTS, "printer", printerName);
}

// The fax printer's settings: where the fax dialog and the log are; the
// other settings keep what the registry held.
int SaveFaxPrinterSettings(const char* logArea, const NtDriverSet& kit) {
    char faxDialog[kRegValueDataSize];
    char logfile[kRegValueDataSize];
    JoinPath(faxDialog, g_printers.ntSystemDirectory, kit.faxDialogProgram);
    text::Format(logfile, kLogFileFormat, logArea);
    SetRegistryValueText(g_printers.printerSettingsTable, kFaxDialogValue, faxDialog);
    SetRegistryValueText(g_printers.printerSettingsTable, kLogfileValue, logfile);
    SetRegistryValueText(g_printers.printerSettingsTable, kOutputDirectoryValue, logArea);
    return SaveRegistryTable(g_printers.printerSettingsTable);
}

// Copies a raster driver file that the driver directory lacks; 1 when done.
int CopyRasterDriverFile(const char* source, const char* target) {
    if (!CopyFileA(source, target, TRUE)) return 0;
    LogFileCopy(1, source, target, kCopyRuleNoFile);
    return 1;
}

// The raster driver's three files into the driver directory, each only when
// missing there: the share's file for this NT version, else the one under
// the target's own name. 0 with `*errorCode` set when one cannot be had.
int CopyRasterDriverFiles(const char* sourceDirectory, const char* driverDirectory, DWORD* errorCode) {
    for (const RasterDriverFile& file : kRasterDriverFiles) {
        char target[kDriverDirectorySize];
        text::Format(target, kConcatFormat, driverDirectory, file.target);
        if (FileExists(target)) {
            LogAction(kLogKeep, "%s: a copy there is never replaced", target);
            continue;
        }

        const char* versionSource = IsVersion4() ? file.source40 : IsWindowsNT351() ? file.source351 : nullptr;
        char source[kDriverDirectorySize];
        if (versionSource) {
            text::Format(source, kConcatFormat, sourceDirectory, versionSource);
            if (CopyRasterDriverFile(source, target)) continue;
        }
        text::Format(source, kConcatFormat, sourceDirectory, file.target);
        if (CopyRasterDriverFile(source, target)) continue;
        *errorCode = GetLastError();
        LogFileCopy(0, source, target, nullptr);
        return 0;
    }
    return 1;
}

// 1 when the spooler lists the print processor "winprint".
int WinprintIsInstalled() {
    alignas(PRINTPROCESSOR_INFO_1A) BYTE list[kProcessorListSize];
    DWORD needed = 0;
    DWORD count = 0;
    if (!EnumPrintProcessorsA(const_cast<char*>(kLocalServer), const_cast<char*>(kNtEnvironment),
                              kProcessorInfoLevel, list, sizeof list, &needed, &count)) {
        return 0;
    }
    const PRINTPROCESSOR_INFO_1A* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(list);
    for (DWORD i = 0; i < count; ++i) {
        if (processors[i].pName && std::strcmp(processors[i].pName, kWinprint) == 0) return 1;
    }
    return 0;
}

// Registers the Multisend driver on the raster driver's files; 0 when the
// spooler refused it, also when it gave no error code (the printer would
// stand on a driver that is not there).
int AddMultisendDriver(const char* driverDirectory, DWORD* errorCode, char (&reason)[kNtReasonSize]) {
    char driverPath[kDriverDirectorySize];
    char dataFile[kDriverDirectorySize];
    char configurationFile[kDriverDirectorySize];
    text::Format(driverPath, kConcatFormat, driverDirectory, kRasterDriverFiles[kRasterDriver].target);
    text::Format(dataFile, kConcatFormat, driverDirectory, kMultisendDriverFile);
    text::Format(configurationFile, kConcatFormat, driverDirectory, kRasterDriverFiles[kRasterUserInterface].target);

    DRIVER_INFO_2A driver = {};
    driver.cVersion = kMultisendDriverVersion;
    driver.pName = const_cast<char*>(kMultisendDriverName);
    driver.pEnvironment = const_cast<char*>(kNtEnvironment);
    driver.pDriverPath = driverPath;
    driver.pDataFile = dataFile;
    driver.pConfigFile = configurationFile;
    int added = AddPrinterDriverRetry(kLocalServer, kDriverInfoLevel, reinterpret_cast<BYTE*>(&driver));
    LogPrinterAddition(added, ERROR_PRINTER_DRIVER_ALREADY_INSTALLED, "driver", kMultisendDriverName);
    if (added) return 1;
    *errorCode = GetLastError();
    LoadReason(reason, *errorCode != 0 ? IDS_ADD_DRIVER_FAILED : IDS_DRIVER_INSTALL_FAILED);
    return 0;
}

// The Multisend printer on its driver, printed through "winprint" when the
// spooler has it.
void AddMultisendPrinter(DWORD* errorCode, char (&reason)[kNtReasonSize]) {
    ShowProgress(IDS_INSTALLING_PRINTER, kMultisendPrinterName);
    char port[kSpoolPathSize];
    FormMultisendPort(port);
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = const_cast<char*>(kMultisendPrinterName);
    printer.pPortName = port;
    printer.pDriverName = const_cast<char*>(kMultisendDriverName);
    int winprintFound = WinprintIsInstalled();
    if (winprintFound) printer.pPrintProcessor = const_cast<char*>(kWinprint);

    win::Printer handle(AddPrinterRetry(kLocalServer, kPrinterInfoLevel, reinterpret_cast<BYTE*>(&printer)));
    LogPrinterAddition(handle.IsOpen(), ERROR_PRINTER_ALREADY_EXISTS, "printer", kMultisendPrinterName);
    if (handle.IsOpen() && winprintFound) return;
    *errorCode = GetLastError();
    if (!winprintFound) {
        LoadReason(reason, IDS_WINPRINT_NOT_FOUND);
    } else if (*errorCode == ERROR_PRINTER_ALREADY_EXISTS) {
        *errorCode = 0;
    } else {
        reason[0] = '\0';
    }
}

// The question that ends an installation with an error; its answer.
int AskAboutOutcome(DWORD errorCode, char (&reason)[kNtReasonSize]) {
    if (errorCode == ERROR_ACCESS_DENIED) {
        LoadReason(reason, IDS_NO_ACCESS_PERMISSIONS);
        errorCode = kUserDeclined;
    }
    if (errorCode == kUserDeclined) {
        char printers[kPrinterPairSize];
        text::Format(printers, kPrinterPairFormat, kMultisendPrinterName, kFaxPrinterName);
        return AskIgnoreError(IDS_INSTALL_FAILED, printers, reason);
    }
    if (errorCode != 0) {
        char number[kErrorNumberSize];
        text::Format(number, kErrorNumberFormat, static_cast<int>(errorCode));
        text::Append(reason, number);
        return AskIgnoreError(IDS_INSTALL_FAILED, kMultisendPrinterName, reason);
    }
    if (g_printers.ntPrinterFlags.faxPrinterFailed) {
        text::Format(reason, kBareErrorNumberFormat, static_cast<int>(g_printers.faxPrinterError));
        return AskIgnoreError(IDS_INSTALL_FAILED, kFaxPrinterName, reason);
    }
    return 1;
}

// The NT installation once the share holds a printer's files: the fax
// printer's preparation, the spooler cycle with the kit work (after the
// spooler question), the fax printer and then the Multisend printer.
void InstallFoundPrinters(const char* logArea, const char* spoolPath, const char* kitSource,
                          const char* multisendSource, HCURSOR previousCursor, DWORD* errorCode,
                          char (&reason)[kNtReasonSize]) {
    NtPrinterFlags& flags = g_printers.ntPrinterFlags;
    int present = 0;
    if (flags.faxKitFound) {
        if (PrepareNtFaxPrinter(kFaxPortName, kFaxPrinterName, kCreateMissingKeys)) {
            present = GetNtPrinterStatus(kFaxPrinterName, kFaxPortName) == kNtPrinterAndPortExist;
        } else {
            MarkFaxPrinterFailed();
        }
    }

    SetCursor(previousCursor);  // the spooler question may follow
    if (!ConfirmSpoolerStop()) {
        ShowProgress("");
        *errorCode = kUserDeclined;
        LoadReason(reason, IDS_SPOOLER_KEPT_INSTALL);
        return;
    }
    SetWaitCursor();
    StopAndRestartSpooler(spoolPath, errorCode, kitSource, kSpoolerCycleInstall, present, &PrepareFaxPrinterFiles);
    if (*errorCode != 0 && flags.faxKitFound) MarkFaxPrinterFailed();
    if (flags.faxKitFound && !flags.faxPrinterFailed && !CreateFaxPrinter(kFaxPrinterName, logArea, present)) {
        MarkFaxPrinterFailed();
    }

    if (*errorCode != 0) return;
    if (flags.multisendDriverFound) {
        InstallMultisendPrinter(multisendSource, errorCode, reason);
    } else {
        // The share lacks the Multisend driver file: the number shown is
        // that of a missing file.
        LoadReason(reason, IDS_DRIVER_FILE_NOT_FOUND);
        *errorCode = ERROR_FILE_NOT_FOUND;
    }
}

}  // namespace

void NormalizeNtPortName(const char* portName) { NormalizePortName(portName, g_printers.ntPortName); }

int PrepareNtFaxPrinter(const char* portName, const char* printerName, int createKeys) {
    text::Copy(g_printers.ntPrinterName, printerName);
    if (IsWindowsNT351()) {
        g_printers.ntDriverSet = &kNtDriverSet351;
        g_printers.ntVersionNumber = kNtVersion351;
    } else if (IsVersion4()) {
        g_printers.ntDriverSet = &kNtDriverSet40;
        g_printers.ntVersionNumber = kNtVersion40;
    } else {
        return FailPreparation(IDS_SYSTEM_UNRECOGNIZED, ERROR_NOT_SUPPORTED);
    }
    NormalizeNtPortName(portName);

    if (!UserMayInstallDrivers()) return FailPreparation(IDS_NEED_ADMIN_FOR_DRIVERS, ERROR_ACCESS_DENIED);

    SetPrinterSettingsPath(printerName);
    LoadRegistryTable(g_printers.printerSettingsTable, createKeys);

    GetDriverDirectory(g_printers.ntDriverDirectory, kNtDirectorySize, kDriverEnvironmentFolder);
    GetPrintProcessorDirectory(g_printers.ntPrintProcessorDirectory, kNtDirectorySize, kDriverEnvironmentFolder);
    if (!QueryNtDirectory(&GetWindowsDirectoryA, g_printers.ntWindowsDirectory, IDS_WINDOWS_DIRECTORY_ERROR)) return 0;
    return QueryNtDirectory(&GetSystemDirectoryA, g_printers.ntSystemDirectory, IDS_SYSTEM_DIRECTORY_ERROR);
}

int GetNtPrinterStatus(const char* printerName, const char* portName) {
    int status = kNtPrinterAbsent;
    HANDLE handle = nullptr;
    if (OpenPrinterA(const_cast<char*>(printerName), &handle, nullptr)) {
        ClosePrinter(handle);
        status |= kNtPrinterExists;
    }
    RegKeyTable* portTable = PortTable(portName);
    if (portTable && RegistryTableExists(portTable)) status |= kNtPortExists;
    return status;
}

int GetDriverDirectory(char* buffer, std::size_t size, const char* environmentName) {
    return QuerySpoolerDirectory(&GetPrinterDriverDirectoryA, kDriversSubdirectory, buffer, size, environmentName);
}

int GetPrintProcessorDirectory(char* buffer, std::size_t size, const char* environmentName) {
    return QuerySpoolerDirectory(&GetPrintProcessorDirectoryA, kPrintProcessorsSubdirectory, buffer, size,
                                 environmentName);
}

int PrepareFaxPrinterFiles(const char* sourceDirectory, int faxPrinterPresent) {
    if (!faxPrinterPresent) {
        RegKeyTable* portTable = PortTable(g_printers.ntPortName);
        if (!portTable || !SaveRegistryTable(portTable)) {
            g_printers.faxPrinterError = GetLastError();
            return 0;
        }
    }
    if (!g_printers.ntDriverSet || CopyKitFiles(sourceDirectory, *g_printers.ntDriverSet)) return 1;
    g_printers.faxPrinterError = GetLastError();
    return 0;
}

int CreateFaxPrinter(const char* printerName, const char* logArea, int faxPrinterPresent) {
    if (!faxPrinterPresent) {
        if (!g_printers.ntDriverSet) return 0;
        const NtDriverSet& kit = *g_printers.ntDriverSet;
        if (!AddFaxMonitor(kit) || !AddFaxPrintProcessor(kit) || !AddFaxDriver(kit) ||
            !AddFaxPrinter(printerName, kit) || !SaveFaxPrinterSettings(logArea, kit)) {
            return 0;
        }
    }
    DeleteDummyDataFiles();
    return 1;
}

void DeleteDummyDataFiles() {
    char path[kNtDirectorySize];
    text::Format(path, kDummyFileFormat, g_printers.ntDriverDirectory);
    DeleteFileA(path);
    if (!g_printers.ntDriverSet) return;
    text::Format(path, kVersionDummyFileFormat, g_printers.ntDriverDirectory,
                 static_cast<int>(g_printers.ntDriverSet->driverVersion));
    DeleteFileA(path);
}

void InstallMultisendPrinter(const char* sourceDirectory, DWORD* errorCode, char (&reason)[kNtReasonSize]) {
    ShowProgress(IDS_INSTALLING_DRIVER, kMultisendPrinterName);
    char driverDirectory[kDriverDirectorySize];
    GetDriverDirectory(driverDirectory, sizeof driverDirectory, kDriverEnvironmentFolder);
    if (driverDirectory[0] == '\0') {
        LoadReason(reason, IDS_DRIVER_DIRECTORY_NOT_FOUND);
        *errorCode = GetLastError();
        return;
    }
    AddTrailingBackslash(driverDirectory);

    char source[kDriverDirectorySize];
    char target[kDriverDirectorySize];
    text::Format(source, kConcatFormat, sourceDirectory, kMultisendDriverFile);
    text::Format(target, kConcatFormat, driverDirectory, kMultisendDriverFile);
    int copied = CopyFileA(source, target, FALSE) ? 1 : 0;
    LogFileCopy(copied, source, target, kCopyRuleAlways);
    if (!copied) {
        LoadReason(reason, IDS_DRIVER_COPY_FAILED);
        *errorCode = GetLastError();
        return;
    }
    if (!CopyRasterDriverFiles(sourceDirectory, driverDirectory, errorCode)) {
        LoadReason(reason, IDS_UNIVERSAL_DRIVER_MISSING);
        return;
    }

    if (!AddMultisendDriver(driverDirectory, errorCode, reason)) return;
    AddMultisendPrinter(errorCode, reason);
}

int InstallNtFaxPrinters(const char* distributionDirectory, const char* logArea, const char* spoolPath,
                         HCURSOR previousCursor) {
    NtPrinterFlags& flags = g_printers.ntPrinterFlags;
    char multisendSource[kPathFieldSize];
    char kitSource[kPathFieldSize];
    text::Copy(multisendSource, distributionDirectory);
    text::Copy(kitSource, distributionDirectory);
    if (FindArchitectureFile(multisendSource, kMultisendDriverFile)) flags.multisendDriverFound = 1;
    if (FindArchitectureFile(kitSource, kFaxKitFile)) flags.faxKitFound = 1;

    DWORD errorCode = 0;
    char reason[kNtReasonSize] = "";
    if (flags.multisendDriverFound || flags.faxKitFound) {
        InstallFoundPrinters(logArea, spoolPath, kitSource, multisendSource, previousCursor, &errorCode, reason);
    }

    WriteWordPrinterFlags(kMultisendPrinterName);
    SetCursor(previousCursor);
    return AskAboutOutcome(errorCode, reason);
}
