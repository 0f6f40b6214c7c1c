// The standard installation of the fax client: locate TELMORA.INI, build the
// settings from the defaults and the existing configuration, ask for and test
// the fax server's areas (and, for a notebook that carries its own fax server,
// a second network server), install the language, program files and
// printers, write the configuration and desktop entries, edit AUTOEXEC.BAT.
// Also the reading and writing of a configuration with a second workstation
// section, which the configuration editor uses.
#include "workflow/workflows.h"

#include "autoexec/autoexec_editor.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "config/server_areas.h"
#include "files/directories.h"
#include "files/language_files.h"
#include "ui/language_table.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/unattended_answers.h"
#include "workflow/config_location.h"
#include "workflow/leftover_files.h"
#include "workflow/notebook_config.h"
#include "workflow/program_files.h"

namespace {

const char kRequestWriteTest[] = "INSTALL.TMP";
const char kSetupIniFile[] = "Q-DB\\SETUP.INI";
const char kNotebookMarkFile[] = "Q-DB\\NOTEBOOK.DAT";

// The server's areas are usable when the request area takes a file and the
// system area holds the setup data (each failure may be ignored by the user).
int ServerAreasPass(const ClientSettings& settings) {
    return CheckDirectory(settings.requestArea, kDirectoryMustExist, nullptr, kRequestWriteTest, kReportAskIgnore) &&
           CheckDirectory(settings.systemArea, kDirectoryMustExist, kSetupIniFile, nullptr, kReportAskIgnore);
}

int IsNotebookServer(const ClientSettings& settings) {
    char path[kAreaSize + sizeof kNotebookMarkFile];
    text::Format(path, "%s%s", settings.systemArea, kNotebookMarkFile);
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Asks for one server's base directory, or its areas when it has none.
int AskServer(ClientSettings& working, const ClientSettings& notebook, int second) {
    if (!AskServerBaseDir(working.serverBaseDir, second)) return 0;
    // The "network" server is the notebook's own: a single configuration after all.
    if (second && text::EqualNoCase(working.serverBaseDir, notebook.serverBaseDir)) g_setup.netBaseDirSwitch = 0;
    if (working.serverBaseDir[0] != '\0') return DeriveServerAreas(&working);
    return AskServerAreas(&working);
}

// The server loop: the fax server's areas, asked (not on the first pass of a
// quiet run) and tested until they pass or the user goes on (an unattended
// run, whose answers would only repeat, stops instead); then, for a notebook
// server, the second network server. Leaves the notebook server's settings in
// `notebook` and the network server's in `network`.
int AskServers(ClientSettings& working, ClientSettings& notebook, ClientSettings& network) {
    int second = 0;
    int firstPass = 1;
    for (;;) {
        if (second || !g_setup.quietSwitch) {
            if (!AskServer(working, notebook, second)) return 0;
        }
        if (second) break;
        if (!ServerAreasPass(working)) {
            if (GiveUpRepeatedQuestion()) return 0;
            continue;
        }
        if (firstPass && (IsNotebookServer(working) || g_setup.netBaseDirSwitch)) {
            int answer = 0;
            AskConnectToServer(&answer);
            second = answer;
            g_setup.netBaseDirSwitch = second;
        }
        firstPass = 0;
        if (!second) return 1;
        notebook = working;
        // The network question proposes its own default, not the notebook server's directory.
        working.serverBaseDir[0] = '\0';
    }
    network = working;
    working = notebook;
    return 1;
}

// A second server that is not the notebook's own: the working record takes
// the network server's areas, the notebook record becomes the second section.
void SplitNotebookConfig(ClientSettings& working, ClientSettings& notebook, const ClientSettings& network) {
    notebook = working;
    CopyServerAreas(&working, network);
    text::Copy(notebook.defaultUser, kNotebookUser);
    notebook.multiWorkstation = 1;
}

int PrepareSettings(ClientSettings& working) {
    if (!SetInstallDefaults(&working)) return 0;
    int mode = g_setup.serverSwitch ? kReadServerAreasWin : kReadNormal;
    if (!ReadConfigFile(g_setup.configDirectory, &working, mode)) return 0;
    // A new installation starts from the defaults; only the areas and the
    // program directory of an existing configuration survive.
    return SetDefaultSettings(&working);
}

int InstallFiles(ClientSettings& working) {
    if (!g_setup.demoSwitch && working.network == kNetworkOther) {
        if (!AskDefaultUser(working.network, working.defaultUser)) return 0;
    }
    if (!GetLanguageLibraryKind(working.language)) text::Copy(working.language, kEnglishCode);
    if (!InstallLanguageFiles(working.language)) return 0;
    return InstallProgramFiles(g_setup.setupDirectory, working.programDir, working.logArea, working.language,
                               kReplacePrinters);
}

}  // namespace

int InstallClient() {
    ClientSettings working = {};
    ClientSettings notebook = {};
    ClientSettings network = {};

    if (!LocateConfigFile(kLocateForInstall)) return 0;
    // The numbered names under which an earlier rewrite may have left
    // TELMORA.INI; a file that stays has been reported and does not stop.
    DeleteConfigLeftovers(g_setup.configDirectory);
    if (!PrepareSettings(working)) return 0;
    if (!AskServers(working, notebook, network)) return 0;

    text::Copy(working.programDir, g_directories.windows);
    if (g_setup.serverSwitch || g_setup.setupDirectory[0] == '\0') {
        text::Copy(g_setup.setupDirectory, working.systemArea);
    }
    if (!InstallFiles(working)) return 0;

    if (g_setup.netBaseDirSwitch) SplitNotebookConfig(working, notebook, network);
    FinishClientSetup(&working, g_setup.netBaseDirSwitch ? &notebook : nullptr, kWithoutProgmanQuestion);
    if (!UpdateStartupFile(working.useTsr, working.programDir)) return 0;
    ShowInstallCompleted();
    return 1;
}
