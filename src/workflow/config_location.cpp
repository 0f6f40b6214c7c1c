// Finding the directory of TELMORA.INI: the /I directory, the search list,
// the Windows directory for a new installation, or the user's answer; and the
// system area the configuration there names.
#include "workflow/config_location.h"

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "config/server_areas.h"
#include "files/directories.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/unattended_answers.h"

namespace {

const char kConfigFileName[] = "TELMORA.INI";

// How the run came to its TELMORA.INI, in the words of the action log.
const char kFoundInDirectory[] = "found in the /I directory, or where this run found it before";
const char kFoundOnSearchList[] = "found on the search list";
const char kNewInWindowsDirectory[] = "none found: a new one in the Windows directory";
const char kNamedByUser[] = "its directory named in the question";

int HoldsConfigFile(int reportMode) {
    return CheckDirectory(g_setup.configDirectory, kDirectoryMustExist, kConfigFileName, nullptr, reportMode);
}

}  // namespace

int LocateConfigFile(int create) {
    const char* found = kFoundInDirectory;
    if (g_setup.configDirectory[0] == '\0' || !HoldsConfigFile(kReportSilent)) {
        found = kFoundOnSearchList;
        if (FindConfigFile(g_setup.configDirectory) != 0) {
            // A new installation makes its TELMORA.INI in the Windows directory without asking.
            found = kNewInWindowsDirectory;
            if (create) {
                text::Copy(g_setup.configDirectory, g_directories.windows);
            } else {
                g_setup.configDirectory[0] = '\0';
            }
        }
    }
    while (g_setup.configDirectory[0] == '\0') {
        found = kNamedByUser;
        text::Copy(g_setup.configDirectory, g_directories.windows);
        if (!AskConfigDirectory(g_setup.configDirectory, kConfigFileExists)) return 0;
        if (HoldsConfigFile(kReportError)) break;
        g_setup.configDirectory[0] = '\0';
        if (GiveUpRepeatedQuestion()) return 0;  // the same directory would be offered again
    }
    LogAction(kLogIni, "using %s%s (%s)", g_setup.configDirectory, kConfigFileName, found);
    ShowProgress(IDS_USING_CONFIG_FILE, g_setup.configDirectory, kConfigFileName);
    return 1;
}

int ConfiguredSystemArea(char* systemArea) {
    if (!LocateConfigFile(kLocateForInstall)) return 0;
    ClientSettings settings = {};
    if (!ReadConfigFile(g_setup.configDirectory, &settings, kReadNormal)) return 0;
    text::CopyInto(systemArea, kPathFieldSize, settings.systemArea);
    return 1;
}
