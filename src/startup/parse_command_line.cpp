// Start-up's reading of its surroundings: the command line into the run
// record, and the setup directory (the distribution directory that holds the
// launcher STNINST.EXE, one level above this program's own directory).
#include <windows.h>

#include <cstring>

#include "common/bounded_text.h"
#include "common/directory_checks.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "files/directories.h"
#include "startup/command_line.h"
#include "startup/startup.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char kConfigFileName[] = "TELMORA.INI";
const char kProgramFileName[] = "STNIN32.EXE";
const char kLauncherFileName[] = "STNINST.EXE";

enum : DWORD { kModulePathSize = 269 };
enum : std::size_t { kOwnDirectoryLimit = 256 };  // the directory part must be shorter

// The /I directory must exist and hold TELMORA.INI; the check warns itself.
int ConfigDirectoryHoldsConfigFile(const char* directory, void* /*context*/) {
    return CheckDirectory(directory, kDirectoryMustExist, kConfigFileName, nullptr, kReportWarning);
}

void ClearSwitchFields() {
    g_setup.netBaseDirSwitch = 0;
    g_setup.demoSwitch = 0;
    g_setup.configDirectory[0] = '\0';
    g_setup.quietSwitch = 0;
    g_setup.serverSwitch = 0;
    g_setup.updateSwitch = 0;
    g_setup.uninstallMode = 0;
    g_setup.quietInstall = 0;
}

void StoreSwitchFields(const CommandLineSwitches& switches) {
    g_setup.netBaseDirSwitch = switches.netBaseDirSwitch;
    g_setup.demoSwitch = switches.demoSwitch;
    text::Copy(g_setup.configDirectory, switches.configDirectory);
    g_setup.quietSwitch = switches.quietSwitch;
    g_setup.serverSwitch = switches.serverSwitch;
    g_setup.updateSwitch = switches.updateSwitch;
    g_setup.uninstallMode = switches.uninstallMode;
    g_setup.quietInstall = switches.quietInstall;
}

// The run ends here, failed (result 1603).
void ShowCommandLineError(int errorId) {
    char message[kMessageSize];
    LoadLocalString(g_setup.appInstance, static_cast<UINT>(errorId), message);
    ShowMessageBox(nullptr, message, kProductCaption, MB_ICONEXCLAMATION);
    char reason[kOutcomeReasonSize];
    text::Format(reason, "the command line was refused: \"%s\"", message);
    NoteOutcome(g_setup.outcome, kOutcomeFailed, reason);
}

// This program's own directory, upper case with its backslash; empty when the
// module path cannot be had or its directory part is too long.
void GetOwnDirectory(char (&directory)[kModulePathSize]) {
    directory[0] = '\0';
    if (GetModuleFileNameA(nullptr, directory, kModulePathSize) == 0) {
        directory[0] = '\0';
        return;
    }
    directory[kModulePathSize - 1] = '\0';
    text::UpperCase(directory);
    char* lastBackslash = std::strrchr(directory, '\\');
    if (!lastBackslash || static_cast<std::size_t>(lastBackslash + 1 - directory) >= kOwnDirectoryLimit) {
        directory[0] = '\0';
        return;
    }
    lastBackslash[1] = '\0';
}

// Cuts `directory` (ending in a backslash) to its parent; 0 when it has none.
// The backslash goes whatever stands before it, so a drive root ("R:\")
// has no parent: the program is then not below a setup directory.
int CutToParent(char* directory) {
    std::size_t length = std::strlen(directory);
    if (length <= 1) return 1;
    directory[length - 1] = '\0';
    char* lastBackslash = std::strrchr(directory, '\\');
    if (!lastBackslash) return 0;
    lastBackslash[1] = '\0';
    return 1;
}

}  // namespace

int ParseCommandLine(const char* commandLine) {
    ClearSwitchFields();
    CommandLineSwitches switches;
    int errorId = ScanCommandLine(commandLine, switches, &ConfigDirectoryHoldsConfigFile, nullptr);
    if (errorId != 0) {
        ShowCommandLineError(errorId);
        return 0;
    }
    StoreSwitchFields(switches);
    return 1;
}

int FindSetupDirectory() {
    g_setup.setupDirectory[0] = '\0';

    char directory[kModulePathSize];
    GetOwnDirectory(directory);
    AddTrailingBackslash(directory);

    if (!DirectoryHoldsFile(directory, kProgramFileName)) return 1;
    if (!CutToParent(directory)) return 1;
    if (DirectoryHoldsFile(directory, kLauncherFileName)) {
        text::Copy(g_setup.setupDirectory, directory);
    }
    return 1;
}
