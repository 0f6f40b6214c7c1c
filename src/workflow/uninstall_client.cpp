// The uninstallation: takes the fax client off the PC again. After the
// confirmation it removes the AUTOEXEC.BAT lines, the Program Manager items,
// the fax graphics extensions, the load entry, the fax printers and the
// client's files; only when every file went do the registry keys and the
// installed language libraries go as well. TELMORA.INI itself stays.
#include "workflow/workflows.h"

#include <windows.h>

#include "autoexec/autoexec_editor.h"
#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "desktop/progman.h"
#include "desktop/registry_entries.h"
#include "files/directories.h"
#include "files/file_log.h"
#include "files/language_files.h"
#include "printers/fax_printers.h"
#include "ui/language.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"
#include "workflow/config_location.h"
#include "workflow/leftover_files.h"
#include "workflow/notebook_config.h"

namespace {

const UINT kConfirmStyle = MB_OKCANCEL | MB_ICONINFORMATION;
const char* const kFaxExtensions[] = {"G3F", "G3N", "G3S"};
const char kWindowsHelpFile[] = "TELMORA.HLP";
const char kClientLogFile[] = "TELMORA.LOG";
const char kSpoolerLogFile[] = "QSPOOL.LOG";
const char* const kClientDirectoryFiles[] = {"QSPOOL.EXE", "TELMORA.EXE", "TELMORA.HLP", "TELMORA.GID"};
const char kLibrary16[] = "QVINTL.DLL";
const char kLibrary32[] = "QVINTL32.DLL";

// "Are you sure...?" with OK and Cancel; a quiet run is taken as sure. Cancel
// stops the run without an error (result 1602).
int ConfirmUninstall() {
    char question[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_CONFIRM_UNINSTALL, question);
    if (g_setup.quietSwitch) return 1;
    if (ShowMessageBox(g_setup.mainWindow, question, kProductCaption, kConfirmStyle) == IDOK) return 1;
    NoteOutcome(g_setup.outcome, kOutcomeCancelled, "the uninstallation was not confirmed");
    return 0;
}

// A running client holds its files open: nothing is touched.
int ClientStopped() {
    if (!IsClientRunning()) return 1;
    if (!g_setup.quietSwitch) ShowError(IDS_CLIENT_RUNNING);
    return 0;
}

// AUTOEXEC.BAT lines, Program Manager items, extensions and the load entry.
// 1 when the lines, the items and the load entry all went.
int RemoveDesktopEntries(const ClientSettings& settings) {
    int removed = EditAutoexec(kRequestBoth, nullptr, nullptr);
    removed = RemoveProgmanItems(settings.programDir, settings.systemArea) && removed;
    for (const char* extension : kFaxExtensions) UnregisterExtension(extension);
    return UpdateLoadList(nullptr) && removed;
}

// The client's files in their order, the printers among them; every
// deletion is tried. 1 when none stayed.
int RemoveClientFiles(const ClientSettings& settings) {
    int removed = DeleteClientFiles(g_directories.windows, kWindowsHelpFile);
    removed = DeleteClientFiles(settings.logArea, kClientLogFile) && removed;
    RemoveFaxPrinters(settings.logArea);
    for (const char* file : kClientDirectoryFiles) {
        removed = DeleteClientFiles(settings.programDir, file) && removed;
    }
    removed = DeleteConfigLeftovers(g_setup.configDirectory) && removed;
    return DeleteClientFiles(settings.logArea, kSpoolerLogFile) && removed;
}

void DeleteInstalledLibrary(const char* directory, const char* name) {
    char path[kPathFieldSize];
    text::Copy(path, directory);
    AddTrailingBackslash(path);
    text::Append(path, name);
    LogFileDeletion(DeleteFileA(path), path);
}

// The program reads its own texts from QVINTL32.DLL: let go of it first.
void RemoveLanguageLibraries() {
    ReleaseLanguage();
    DeleteInstalledLibrary(g_directories.system16, kLibrary16);
    DeleteInstalledLibrary(g_directories.system, kLibrary32);
}

}  // namespace

int UninstallClient() {
    if (!ConfirmUninstall()) return 0;
    if (!ClientStopped()) return 0;
    if (!InitWindowsDirectories()) return 0;
    if (!LocateConfigFile(kLocateFindExisting)) return 0;
    ClientSettings settings = {};
    ClientSettings notebook = {};
    if (!ReadNotebookConfig(g_setup.configDirectory, &settings, &notebook)) return 0;

    int removed = RemoveDesktopEntries(settings);
    removed = RemoveClientFiles(settings) && removed;
    if (!removed) {
        ShowProgress(IDS_UNINSTALL_INCOMPLETE);
        return 0;
    }
    RemoveClientRegistryKeys();
    ShowProgress(IDS_UNINSTALLED);
    RemoveLanguageLibraries();
    return 1;
}
