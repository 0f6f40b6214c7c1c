// The three workflows that work on a client already configured: editing the
// advanced settings, copying the client programs into another directory, and
// updating the programs in place. Each reads the existing TELMORA.INI (both
// workstation sections when there are two) and writes it back the same way.
#include "workflow/workflows.h"

#include <cstddef>
#include <windows.h>

#include "autoexec/autoexec_editor.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "config/server_areas.h"
#include "desktop/registry_entries.h"
#include "files/directories.h"
#include "files/language_files.h"
#include "ui/language_table.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"
#include "ui/unattended_answers.h"
#include "workflow/config_location.h"
#include "workflow/notebook_config.h"
#include "workflow/program_files.h"

namespace {

const char kWriteTestFile[] = "INSTALL.TMP";

// The two records a workflow works on: the workstation being changed and,
// when the configuration has a second workstation section, the notebook's.
struct ConfigPair {
    ClientSettings settings;
    ClientSettings notebook;
};

// Finds and reads the existing configuration; a run that found no setup
// directory at start-up takes the configured system area for it.
int ReadExistingConfig(ConfigPair& config) {
    if (!LocateConfigFile(kLocateFindExisting)) return 0;
    if (!ReadNotebookConfig(g_setup.configDirectory, &config.settings, &config.notebook)) return 0;
    if (g_setup.setupDirectory[0] == '\0') text::Copy(g_setup.setupDirectory, config.settings.systemArea);
    return 1;
}

// A language without a library on the share is installed as English.
int InstallClientLanguage(ClientSettings& settings) {
    if (GetLanguageLibraryKind(settings.language) == kLanguageLibraryNone) text::Copy(settings.language, kEnglishCode);
    return InstallLanguageFiles(settings.language);
}

// The language files and the whole program set again, the printers
// installed over the existing ones.
int ReinstallPrograms(ClientSettings& settings) {
    if (!InstallClientLanguage(settings)) return 0;
    return InstallProgramFiles(g_setup.setupDirectory, settings.programDir, settings.logArea, settings.language,
                               kKeepPrinters);
}

// The log area question, asked again until the directory exists (it is
// created when missing) and takes a file; an unattended run would offer the
// same directory again, and stops.
int AskUsableLogArea(ClientSettings& settings) {
    for (;;) {
        if (!AskLogArea(settings.logArea)) return 0;
        if (CheckDirectory(settings.logArea, kCreateDirectory, nullptr, kWriteTestFile, kReportError)) return 1;
        if (GiveUpRepeatedQuestion()) return 0;
    }
}

// The program directory question, asked again until the directory exists
// (created when missing) and takes a file, or the user ignores the failure;
// an unattended run stops instead of asking again.
int AskUsableProgramDir(ClientSettings& settings) {
    for (;;) {
        if (!AskDirectory(IDD_PATH_PROG_AREA, settings.programDir, kProposalUpperCase, settings.programDir)) return 0;
        if (CheckDirectory(settings.programDir, kCreateDirectory, nullptr, kWriteTestFile, kReportAskIgnore)) return 1;
        if (GiveUpRepeatedQuestion()) return 0;
    }
}

// A new log area moves the fax printers' spool files: the printers are
// installed again, or the user goes on without them.
int MovePrinters(const ClientSettings& settings, const char* oldLogArea, HCURSOR previousCursor) {
    if (text::EqualNoCase(settings.logArea, oldLogArea)) return 1;
    return ReplaceFaxPrinters(g_setup.setupDirectory, settings.logArea, previousCursor);
}

// A new language brings its language files and the client variant that
// goes with its library (16-bit or 32-bit).
int ChangeLanguage(ClientSettings& settings, const char* oldLanguage) {
    if (text::EqualNoCase(settings.language, oldLanguage)) return 1;
    int kind = GetLanguageLibraryKind(settings.language);
    if (kind == kLanguageLibraryNone) text::Copy(settings.language, kEnglishCode);
    if (!InstallLanguageFiles(settings.language)) return 0;
    return InstallSharedLibraries(g_setup.setupDirectory, settings.programDir, kind != kLanguageLibrary16);
}

}  // namespace

int EditConfiguration() {
    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ConfigPair config = {};
    if (!ReadExistingConfig(config)) return 0;
    ClientSettings& settings = config.settings;

    char oldLanguage[kLanguageSize];
    char oldLogArea[kAreaSize];
    text::Copy(oldLanguage, settings.language);
    text::Copy(oldLogArea, settings.logArea);

    if (!AskUserSettings(&settings)) return 0;
    if (!AskUsableLogArea(settings)) return 0;

    // Out of the load line. The notebook's record keeps the flag it was read
    // with: with two workstation sections that record decides the desktop
    // entries written at the end, so a client that was loaded at start is
    // put back into the load line there.
    settings.loadAtStart = 0;
    if (!UpdateLoadList(nullptr)) return 0;
    if (!MovePrinters(settings, oldLogArea, previousCursor)) return 0;
    if (!ChangeLanguage(settings, oldLanguage)) return 0;
    if (!UpdateStartupFile(settings.useTsr, settings.programDir)) return 0;

    WriteNotebookConfig(&settings, &config.notebook, kWithoutProgmanQuestion);
    ShowInstallCompleted();
    return 1;
}

int CopyPrograms() {
    ConfigPair config = {};
    if (!ReadExistingConfig(config)) return 0;
    ClientSettings& settings = config.settings;

    if (!AskDirectory(IDD_PATH_DISTRIB_DIR, g_setup.setupDirectory, kProposalAsHeld, g_setup.setupDirectory)) {
        return 0;
    }
    // The client ran from the distribution directory itself: propose a directory of its own.
    if (text::EqualNoCase(g_setup.setupDirectory, settings.programDir)) {
        text::Copy(settings.programDir, g_directories.windows);
    }
    if (!AskUsableProgramDir(settings)) return 0;

    if (!ReinstallPrograms(settings)) return 0;
    WriteNotebookConfig(&settings, &config.notebook, kWithProgmanQuestion);
    ShowProgress(IDS_MOVE_COMPLETED);
    return 1;
}

int UpdatePrograms() {
    if (IsClientRunning()) {
        if (!g_setup.quietSwitch) ShowError(IDS_CLIENT_FILES_UPDATE_FAILED);
        return 0;
    }
    ConfigPair config = {};
    if (!ReadExistingConfig(config)) return 0;
    ClientSettings& settings = config.settings;

    if (!ReinstallPrograms(settings)) return 0;
    WriteNotebookConfig(&settings, &config.notebook, kWithoutProgmanQuestion);
    ShowProgress(IDS_UPDATE_COMPLETED);
    return 1;
}
