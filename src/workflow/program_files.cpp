// The client's file set. Two variants exist: the 32-bit client from the
// processor subdirectory of the setup directory, and the 16-bit client from
// the setup directory itself; the language library decides which. Each file
// has one row below: where it goes, when it is installed, the copy engine's
// flags and whether a failure the user does not ignore stops the rest.
#include "workflow/program_files.h"

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/directory_checks.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/windows_directories.h"
#include "config/config_file.h"
#include "desktop/progman.h"
#include "desktop/registry_entries.h"
#include "files/copy_engine.h"
#include "files/file_log.h"
#include "files/language_files.h"
#include "printers/fax_printers.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char kClientProgramName[] = "TELMORA.EXE";
const char kHelpIndexName[] = "TELMORA.GID";
const char kPrinterPairFormat[] = "%s and %s";

enum TargetDirectory : int {
    kToProgramDir,
    kToSystem,    // the SYSTEM directory
    kToSystem16,  // the 16-bit system directory
};

// When a row's file is installed.
enum Presence : int {
    kAlways,
    kInArchitecture,          // skipped unless in the processor subdirectory
    kRequiredInArchitecture,  // taken from the processor subdirectory; stop when not there
    kInSource,                // skipped unless in the source directory
    kNotInTarget,             // skipped when the target directory has it
    kInSourceNotInTarget,
};

enum OnFailure : int { kGoOn, kStop };

struct FileRow {
    const char* name;
    const char* installedName;  // null: the same name
    TargetDirectory target;
    Presence presence;
    int askReplace;
    int useArchitecture;
    int checkVersion;
    int ignoreCopyFailure;
    OnFailure onFailure;
};

enum RowResult : int { kRowStopped, kRowSkipped, kRowInstalled };

// The client program; the 16-bit client takes it from the setup directory
// itself (InstallSharedLibraries clears useArchitecture).
const FileRow kClientProgram = {kClientProgramName, nullptr, kToProgramDir, kAlways,
                                kNoReplaceQuestion, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop};
// 32-bit: the imaging libraries, and the old run-time library that comes
// with them.
const FileRow kImagingLibrary = {"SNBD6W9S.DLL", nullptr, kToSystem, kInArchitecture,
                                 kNoReplaceQuestion, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kGoOn};
const FileRow kGearLibrary = {"GEAR32SD.DLL", nullptr, kToSystem, kInArchitecture,
                              kNoReplaceQuestion, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop};
const FileRow kOldRuntimeLibrary = {"MSVCRT40.DLL", nullptr, kToSystem, kNotInTarget,
                                    kNoReplaceQuestion, kUseArchitecture, kCheckVersion, kIgnoreCopyFailure, kGoOn};
// 32-bit: the run-time libraries, replaced only by a newer version.
const FileRow kRuntimeLibraries[] = {
    {"MSVCRT.DLL", nullptr, kToSystem, kRequiredInArchitecture,
     kNoReplaceQuestion, kSourceDirectoryOnly, kCheckVersion, kIgnoreCopyFailure, kGoOn},
    {"MFC42.DLL", nullptr, kToSystem, kRequiredInArchitecture,
     kNoReplaceQuestion, kSourceDirectoryOnly, kCheckVersion, kIgnoreCopyFailure, kGoOn},
};
// 16-bit: the imaging libraries.
const FileRow k16BitLibraries[] = {
    {"SNBD6W3S.DLL", nullptr, kToSystem16, kInSource,
     kAskReplace, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop},
    {"ACCUSFT5.DLL", nullptr, kToSystem16, kInSource,
     kAskReplace, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop},
};
// The DOS spooler and the help file.
const FileRow kClientFiles[] = {
    {"QSPOOL.EXE", nullptr, kToProgramDir, kAlways,
     kNoReplaceQuestion, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop},
    {"TELMORA.HLP", nullptr, kToProgramDir, kAlways,
     kAskReplace, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop},
};
// The 3-D controls, never over an installed copy.
const FileRow k3dControls = {"CTL3DV2.Z", "CTL3DV2.DLL", kToSystem16, kInSourceNotInTarget,
                             kAskReplace, kUseArchitecture, kAnyVersion, kAskAboutCopyFailure, kStop};

const char* TargetOf(TargetDirectory target, const char* programDir) {
    switch (target) {
        case kToSystem:
            return g_directories.system;
        case kToSystem16:
            return g_directories.system16;
        default:
            return programDir;
    }
}

int InArchitectureOf(const char* directory, const char* name) {
    char copy[kPathFieldSize];
    text::Copy(copy, directory);
    return FindArchitectureFile(copy, name);
}

// A row whose file the target directory holds already: never replaced.
RowResult KeptInTarget(const char* target, const char* installedName) {
    LogAction(kLogKeep, "%s%s: a copy there is never replaced", target, installedName);
    return kRowSkipped;
}

// A required file that the processor subdirectory lacks stops the set.
RowResult MissingRequiredFile(const char* source, const char* name) {
    LogAction(kLogKeep, "%s: no %s in the processor subdirectory of %s; the program files stop here", name, name,
              source);
    return kRowStopped;
}

// Whether the row's file is to be installed; a required file that is not on
// the share stops the set. `source` may come to name the processor subdirectory.
RowResult CheckPresence(const FileRow& row, char (&source)[kPathFieldSize], const char* target) {
    const char* installedName = row.installedName ? row.installedName : row.name;
    switch (row.presence) {
        case kInArchitecture:
            return InArchitectureOf(source, row.name) ? kRowInstalled : kRowSkipped;
        case kRequiredInArchitecture:
            return FindArchitectureFile(source, row.name) ? kRowInstalled : MissingRequiredFile(source, row.name);
        case kInSource:
            return DirectoryHoldsFile(source, row.name) ? kRowInstalled : kRowSkipped;
        case kNotInTarget:
            return DirectoryHoldsFile(target, installedName) ? KeptInTarget(target, installedName) : kRowInstalled;
        case kInSourceNotInTarget:
            if (!DirectoryHoldsFile(source, row.name)) return kRowSkipped;
            return DirectoryHoldsFile(target, installedName) ? KeptInTarget(target, installedName) : kRowInstalled;
        default:
            return kRowInstalled;
    }
}

RowResult InstallRow(const FileRow& row, const char* sourceDirectory, const char* programDir) {
    char source[kPathFieldSize];
    text::Copy(source, sourceDirectory);
    const char* target = TargetOf(row.target, programDir);
    RowResult presence = CheckPresence(row, source, target);
    if (presence != kRowInstalled) return presence;

    int done = InstallFile(source, row.name, target, row.installedName, row.askReplace, row.useArchitecture,
                           row.checkVersion, row.ignoreCopyFailure);
    return !done && row.onFailure == kStop ? kRowStopped : kRowInstalled;
}

template <std::size_t N>
int InstallRows(const FileRow (&rows)[N], const char* sourceDirectory, const char* programDir) {
    for (const FileRow& row : rows) {
        if (InstallRow(row, sourceDirectory, programDir) == kRowStopped) return 0;
    }
    return 1;
}

// The 32-bit libraries: imaging, then run-time.
int Install32BitLibraries(const char* sourceDirectory, const char* programDir) {
    InstallRow(kImagingLibrary, sourceDirectory, programDir);
    RowResult gear = InstallRow(kGearLibrary, sourceDirectory, programDir);
    if (gear == kRowStopped) return 0;
    if (gear == kRowInstalled) InstallRow(kOldRuntimeLibrary, sourceDirectory, programDir);
    return InstallRows(kRuntimeLibraries, sourceDirectory, programDir);
}

void DeleteHelpIndex(const char* programDir) {
    char path[kPathFieldSize];
    text::Copy(path, programDir);
    text::Append(path, kHelpIndexName);
    LogFileDeletion(DeleteFileA(path), path);
}

// Both configuration sections: the working record without touching [SERVER],
// then the notebook record with it.
int WriteBothSections(const ClientSettings* settings, const ClientSettings* notebookSettings) {
    int keptServerUpdate = g_setup.updateServerSection;
    g_setup.updateServerSection = 0;
    int written = WriteConfigFile(g_setup.configDirectory, settings, kKeepSecondSection);
    g_setup.updateServerSection = keptServerUpdate;
    return written && WriteConfigFile(g_setup.configDirectory, notebookSettings, kKeepSecondSection);
}

void RegisterClientExtensions(const char* programDir) {
    char programPath[kPathFieldSize];
    text::Copy(programPath, programDir);
    AddTrailingBackslash(programPath);
    text::Append(programPath, kClientProgramName);
    RegisterFaxExtensions(programPath);
}

}  // namespace

int InstallSharedLibraries(const char* sourceDirectory, const char* programDir, int is32) {
    FileRow client = kClientProgram;
    client.useArchitecture = is32 ? kUseArchitecture : kSourceDirectoryOnly;
    if (InstallRow(client, sourceDirectory, programDir) == kRowStopped) return 0;
    if (is32) return Install32BitLibraries(sourceDirectory, programDir);
    return InstallRows(k16BitLibraries, sourceDirectory, programDir);
}

int InstallProgramFiles(const char* setupDirectory, const char* programDir, const char* logArea,
                        const char* language, int keepPrinters) {
    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    int is32 = GetLanguageLibraryKind(language) != kLanguageLibrary16;
    if (!InstallSharedLibraries(setupDirectory, programDir, is32)) return 0;
    if (!InstallRows(kClientFiles, setupDirectory, programDir)) return 0;
    DeleteHelpIndex(programDir);

    int printers = keepPrinters ? InstallFaxPrinters(setupDirectory, logArea)
                                : ReplaceFaxPrinters(setupDirectory, logArea, previousCursor);
    if (!printers) return 0;
    // The hourglass stays until the next cursor change.
    return InstallRow(k3dControls, setupDirectory, programDir) != kRowStopped;
}

int ReplaceFaxPrinters(const char* setupDirectory, const char* logArea, HCURSOR previousCursor) {
    if (RemoveFaxPrinters(logArea)) return InstallFaxPrinters(setupDirectory, logArea);

    ShowProgress("");
    char reason[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_SPOOLER_KEPT_INSTALL, reason);
    char printers[kMessageSize];
    text::Format(printers, kPrinterPairFormat, kMultisendPrinterName, kFaxPrinterName);
    SetCursor(previousCursor);
    return AskIgnoreError(IDS_INSTALL_FAILED, printers, reason);
}

int FinishClientSetup(const ClientSettings* settings, const ClientSettings* notebookSettings, int askProgman) {
    int twoSections = notebookSettings && g_setup.netBaseDirSwitch;
    const ClientSettings* p = twoSections ? notebookSettings : settings;

    if (!DirectoryHoldsFile(p->programDir, kClientProgramName)) {
        ShowError(IDS_CLIENT_FILES_NOT_COPIED);
        return 0;
    }
    if (!UpdateLoadList(p->loadAtStart ? p->programDir : nullptr)) return 0;
    RegisterClientExtensions(p->programDir);

    int written = twoSections ? WriteBothSections(settings, notebookSettings)
                              : WriteConfigFile(g_setup.configDirectory, settings, kDropSecondSection);
    if (!written) return 0;

    int addGroup = 1;
    if (askProgman && !AskYesNo(IDD_BOOL_ADD_PROGMAN_ENTRY, kProposeYes, addGroup)) return 0;
    if (addGroup && !AddProgmanItems(p->programDir, p->systemArea)) return 0;
    WriteUninstallEntry(p->systemArea);
    return 1;
}

void ShowInstallCompleted() { ShowProgress(IDS_INSTALLATION_COMPLETED); }
