// The fax printers on Windows 95 and older non-NT Windows: the 16-bit driver
// files copied into the SYSTEM directory, the driver's QVPRIN.INI, the
// printer entries of WIN.INI, the default printer rewritten for the new
// driver, the Word settings; and the spool path, ports and cursor handling
// that installation and removal share on every Windows.
#include "printers/win95_printers.h"

#include <winspool.h>

#include <cctype>
#include <cstring>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/directory_checks.h"
#include "common/path_helpers.h"
#include "common/win_handles.h"
#include "common/win_ini_log.h"
#include "common/windows_directories.h"
#include "common/windows_version.h"
#include "files/copy_engine.h"
#include "printers/fax_printers.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

const char kOldFaxPrinterName[] = "Telmora printer";
const char kOldBarePrinterName[] = "Telmora";
const char kSpoolFileName[] = "TELMORA.SPL";
const char kPrinterGroupName[] = "Telmora printers";
const char kWordSettingsFile[] = "WINWORD6.INI";
const char kPrinterPortsSection[] = "PrinterPorts";
const char kDevicesSection[] = "devices";
const char kPortsSection[] = "ports";
const char kWindowsSection[] = "windows";
const char kDeviceKey[] = "device";

namespace {

const char kFaxDriverFile[] = "QVPRIN.DRV";
const char kFaxDriverName[] = "QVPRIN";
const char kOldDriverFile[] = "QVTL.DRV";
const char kOldDriverName[] = "QVTL";
const char kMultisendDriverFile95[] = "QVPRN95.DRV";
const char kMultisendDriverName95[] = "QVPRN95";
const char kSharedFilesLabel[] = "Telmora printer(s)";

const char* const kFaxSupportFiles[] = {"QVPRNMRG.DLL", "QVPRNCTL.EXE", "THK16MFX.DLL",
                                        "THK32MFX.DLL", "IMG16MFX.DLL", "IMG32MFX.DLL"};
const char* const kSharedDriverFiles[] = {"UNIDRV.DLL", "UNIDRV.HLP", "ICONLIB.DLL"};

const char kCopyFailureFormat[] = "Failure copying file '%s'";
const char kPortEntryFormat[] = "%s,%s,15,45";  // driver, port; not-selected and retry timeouts
const char kDeviceEntryFormat[] = "%s,%s";      // driver, port
const char kDefaultFaxPrinterFormat[] = "Telmora printer,%s,%s";
const char kDefaultMultisendFormat[] = "%s,%s,%s";
const char kSpoolFileFormat[] = "%sQVPRINT1.SPL";

const char kDriverSettingsFile[] = "QVPRIN.INI";
const char kWordFlagsKey[] = "Flags";
const char kWordFlagsValue[] = "+64";
const int kNoWordFlags = -1;

// The Multisend printer's entry is written with the section named so.
const char kMultisendDevicesSection[] = "Devices";

enum : int {
    kReasonSize = 251,                          // a failure reason: 250 characters
    kProfileLineSize = kSpoolPathSize + 64,     // driver, port and timeouts
};

// The fax printer of this run: the QVPRIN printer or the older QVTL one.
struct FaxPrinterChoice {
    const char* name;
    const char* driverName;
    int isQvprin;
};

// The IDS_INSTALL_FAILED question about `label` after `file` could not be
// copied, with the cursor put back first. 1 to go on.
int AskAfterCopyFailure(const char* label, const char* file, HCURSOR previousCursor) {
    SetCursor(previousCursor);
    char reason[kReasonSize];
    text::Format(reason, kCopyFailureFormat, file);
    return AskIgnoreError(IDS_INSTALL_FAILED, label, reason);
}

// The distribution directory, or its processor subdirectory when `file` lies there.
void DriverSourceDirectory(const char* distributionDirectory, const char* file,
                           char (&source)[kPathFieldSize]) {
    text::Copy(source, distributionDirectory);
    FindArchitectureFile(source, file);
}

// Copies a driver file into the SYSTEM directory by the date and size rule,
// from the processor subdirectory when it lies there. 1 when done.
int InstallDriverFile(const char* sourceDirectory, const char* file) {
    return InstallFile(sourceDirectory, file, g_directories.system, nullptr, kAskReplace, kUseArchitecture,
                       kAnyVersion, kAskAboutCopyFailure);
}

// Copies `file` into the SYSTEM directory; asks about `label` on failure.
// 1 when copied or the user chose to go on.
int CopyDriverFile(const char* sourceDirectory, const char* file, const char* label, HCURSOR previousCursor) {
    if (InstallDriverFile(sourceDirectory, file)) return 1;
    return AskAfterCopyFailure(label, file, previousCursor);
}

// The driver's own settings file in the Windows directory; results ignored.
void WriteDriverSettings(const char* logArea) {
    char spoolFile[kSpoolPathSize];
    text::Format(spoolFile, kSpoolFileFormat, logArea);
    WritePrivateProfileStringA("Owner", "ControlDialogEXE", "QVPRNCTL.EXE", kDriverSettingsFile);
    WritePrivateProfileStringA("Owner", "DefaultFileName", spoolFile, kDriverSettingsFile);
    WritePrivateProfileStringA("Owner", "FileType", "0", kDriverSettingsFile);
    WritePrivateProfileStringA("Owner", "BreakPages", "0", kDriverSettingsFile);
    WritePrivateProfileStringA("Owner", "OverwriteIfFileExist", "1", kDriverSettingsFile);
    WritePrivateProfileStringA("FaxBatch", "LibraryName", "QVPRNMRG.DLL", kDriverSettingsFile);
}

// Copies the fax printer's driver: QVPRIN.DRV with its support files and
// settings where Windows 95 finds it on the share, else the older QVTL.DRV,
// and notes in `choice` which printer that makes. 0 when the user chose not
// to go on.
int InstallFaxDriver(const char* distributionDirectory, const char* logArea, FaxPrinterChoice* choice,
                     HCURSOR previousCursor) {
    char source[kPathFieldSize];
    DriverSourceDirectory(distributionDirectory, kFaxDriverFile, source);
    if (!IsWindows95() || !DirectoryHoldsFile(source, kFaxDriverFile)) {
        *choice = {kOldFaxPrinterName, kOldDriverName, 0};
        return CopyDriverFile(distributionDirectory, kOldDriverFile, kOldFaxPrinterName, previousCursor);
    }

    *choice = {kFaxPrinterName, kFaxDriverName, 1};
    if (!CopyDriverFile(source, kFaxDriverFile, kFaxPrinterName, previousCursor)) return 0;
    for (const char* file : kFaxSupportFiles) {
        DriverSourceDirectory(distributionDirectory, file, source);
        if (!CopyDriverFile(source, file, kFaxPrinterName, previousCursor)) return 0;
    }
    WriteDriverSettings(logArea);
    return 1;
}

// Copies the Multisend driver on Windows 95 when the share has it. 0 when
// the user chose not to go on; `*copied` tells whether the driver is in place.
int InstallMultisendDriver(const char* distributionDirectory, int* copied, HCURSOR previousCursor) {
    *copied = 0;
    char source[kPathFieldSize];
    DriverSourceDirectory(distributionDirectory, kMultisendDriverFile95, source);
    if (!IsWindows95() || !DirectoryHoldsFile(source, kMultisendDriverFile95)) return 1;
    if (InstallDriverFile(source, kMultisendDriverFile95)) {
        *copied = 1;
        return 1;
    }
    return AskAfterCopyFailure(kMultisendPrinterName, kMultisendDriverFile95, previousCursor);
}

// Copies the driver files both drivers share, each only when the SYSTEM
// directory lacks it. 1 when all are there; otherwise `*answer` is the
// operation's result.
int InstallSharedDriverFiles(const char* distributionDirectory, int* answer, HCURSOR previousCursor) {
    for (const char* file : kSharedDriverFiles) {
        if (DirectoryHoldsFile(g_directories.system, file)) {
            LogAction(kLogKeep, "%s%s: a shared driver file there is never replaced", g_directories.system, file);
            continue;
        }
        char source[kPathFieldSize];
        DriverSourceDirectory(distributionDirectory, file, source);
        if (!InstallDriverFile(source, file)) {
            *answer = AskAfterCopyFailure(kSharedFilesLabel, file, previousCursor);
            return 0;
        }
    }
    return 1;
}

// Writes the fax printer's WIN.INI entries, its older names' entries deleted
// first, and makes it the default printer again when it was. 1 when every
// write succeeded.
int WriteFaxPrinterEntries(const FaxPrinterChoice& choice, const char* port, const char* spoolPath,
                           int wasDefault) {
    char portEntry[kProfileLineSize];
    char deviceEntry[kProfileLineSize];
    text::Format(portEntry, kPortEntryFormat, choice.driverName, port);
    text::Format(deviceEntry, kDeviceEntryFormat, choice.driverName, port);

    int ok = WriteWinIniEntry(kPrinterPortsSection, kOldBarePrinterName, nullptr);
    ok &= WriteWinIniEntry(kPrinterPortsSection, choice.name, nullptr);
    ok &= WriteWinIniEntry(kPrinterPortsSection, choice.name, portEntry);
    ok &= WriteWinIniEntry(kDevicesSection, kOldBarePrinterName, nullptr);
    ok &= WriteWinIniEntry(kDevicesSection, choice.name, nullptr);
    ok &= WriteWinIniEntry(kDevicesSection, choice.name, deviceEntry);
    if (wasDefault) {
        char defaultEntry[kProfileLineSize];
        text::Format(defaultEntry, kDefaultFaxPrinterFormat, choice.driverName, port);
        ok &= WriteWinIniEntry(kWindowsSection, kDeviceKey, defaultEntry);
    }
    ok &= WriteWinIniEntry(kPortsSection, port, "");
    if (!text::EqualNoCase(port, spoolPath)) ok &= WriteWinIniEntry(kPortsSection, spoolPath, "");
    LogAction(kLogPrinter, "%s added in WIN.INI: driver %s, port %s", choice.name, choice.driverName, port);
    return ok;
}

// Writes the Multisend printer's WIN.INI entries. The default printer is
// rewritten whenever it is the Multisend printer; the printer's own entries
// only when its driver was copied. 1 when every write succeeded.
int WriteMultisendEntries(int driverCopied) {
    char port[kSpoolPathSize];
    FormMultisendPort(port);
    int ok = 1;
    if (DefaultPrinterIs(kMultisendPrinterName)) {
        char defaultEntry[kProfileLineSize];
        text::Format(defaultEntry, kDefaultMultisendFormat, kMultisendPrinterName, kMultisendDriverName95, port);
        ok &= WriteWinIniEntry(kWindowsSection, kDeviceKey, defaultEntry);
    }
    if (!driverCopied) return ok;

    char portEntry[kProfileLineSize];
    char deviceEntry[kProfileLineSize];
    text::Format(portEntry, kPortEntryFormat, kMultisendDriverName95, port);
    text::Format(deviceEntry, kDeviceEntryFormat, kMultisendDriverName95, port);
    ok &= WriteWinIniEntry(kPortsSection, port, "");
    ok &= WriteWinIniEntry(kMultisendDevicesSection, kMultisendPrinterName, deviceEntry);
    ok &= WriteWinIniEntry(kPrinterPortsSection, kMultisendPrinterName, portEntry);
    LogAction(kLogPrinter, "%s added in WIN.INI: driver %s, port %s", kMultisendPrinterName, kMultisendDriverName95,
              port);
    return ok;
}

}  // namespace

void FormSpoolPath(const char* logArea, char (&spoolPath)[kSpoolPathSize]) {
    text::Copy(spoolPath, logArea);
    text::Append(spoolPath, kSpoolFileName);
    for (char* c = spoolPath; *c; ++c) *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
}

void FormFaxPort(const char* logArea, const char* spoolPath, char (&port)[kSpoolPathSize]) {
    if (!IsWindowsNT() && text::EqualNoCase(logArea, g_directories.windows)) {
        text::Copy(port, kSpoolFileName);
    } else {
        text::Copy(port, spoolPath);
    }
}

void FormMultisendPort(char (&port)[kSpoolPathSize]) {
    text::Copy(port, g_directories.windows);
    AddTrailingBackslash(port);
    text::Append(port, kSpoolFileName);
}

HCURSOR SetWaitCursor() { return SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

void WriteWordPrinterFlags(const char* printerName) {
    OFSTRUCT found;
    if (OpenFile(kWordSettingsFile, &found, OF_EXIST) == HFILE_ERROR) return;
    int flags = static_cast<int>(GetPrivateProfileIntA(printerName, kWordFlagsKey, kNoWordFlags, kWordSettingsFile));
    if (flags == kNoWordFlags) {
        WritePrivateProfileStringA(printerName, kWordFlagsKey, kWordFlagsValue, kWordSettingsFile);
    }
}

int DefaultPrinterIs(const char* name) {
    char device[kProfileValueSize];
    GetProfileStringA(kWindowsSection, kDeviceKey, "", device, sizeof device);
    return _strnicmp(device, name, std::strlen(name)) == 0 ? 1 : 0;
}

void DeleteSpoolerPrinter(const char* name) {
    HANDLE handle = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &handle, nullptr)) return;
    win::Printer printer(handle);
    int deleted = DeletePrinter(printer) ? 1 : 0;
    LogAction(kLogPrinter, deleted ? "%s deleted from the spooler" : "%s known to the spooler could not be deleted",
              name);
}

void ReportWinIniResult(int ok) {
    if (ok) {
        ShowProgress(IDS_WINDOWS_SETTINGS_UPDATED);
        return;
    }
    ShowProgress("");
    ShowWarning(IDS_WINDOWS_SETTINGS_ERROR);
}

int WriteWinIniEntry(const char* section, const char* key, const char* value) {
    int written = WriteProfileStringA(section, key, value) ? 1 : (!value && GetLastError() == ERROR_FILE_NOT_FOUND);
    LogWinIniEntry(written, section, key, value);
    return written;
}

void BroadcastWinIniChange() { PostMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, 0); }

int InstallWin95FaxPrinters(const char* distributionDirectory, const char* logArea, const char* spoolPath,
                            const char* port, HCURSOR previousCursor) {
    FaxPrinterChoice choice = {};
    if (!InstallFaxDriver(distributionDirectory, logArea, &choice, previousCursor)) return 0;
    int multisendCopied = 0;
    if (!InstallMultisendDriver(distributionDirectory, &multisendCopied, previousCursor)) return 0;
    if (choice.isQvprin || multisendCopied) {
        int answer = 1;
        if (!InstallSharedDriverFiles(distributionDirectory, &answer, previousCursor)) return answer;
    }

    int wasDefault = DefaultPrinterIs(choice.name);
    if (IsWindows95()) DeleteSpoolerPrinter(choice.name);
    int ok = WriteFaxPrinterEntries(choice, port, spoolPath, wasDefault);
    ok &= WriteMultisendEntries(multisendCopied);
    ReportWinIniResult(ok);

    // Every top-level window is told twice that WIN.INI changed.
    BroadcastWinIniChange();
    BroadcastWinIniChange();

    WriteWordPrinterFlags(choice.name);
    WriteWordPrinterFlags(kMultisendPrinterName);
    SetCursor(previousCursor);
    return 1;
}
