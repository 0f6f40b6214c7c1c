// Server areas, path questions, network detection and the user settings.
#include "config/server_areas.h"

#include <direct.h>

#include <cstring>
#include <windows.h>

#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/windows_version.h"
#include "config/config_file.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const int kDriverNameSize = 50;
const char kSystemEnding[] = "SYSTEM\\";
const std::size_t kSystemEndingLength = sizeof kSystemEnding - 1;
const char kConfigDirectoryDefault[] = "C:\\TELMORA\\";
const char kLogAreaDefault[] = "C:\\TELMORA";
const char kServerBaseDefault[] = "Z:\\";
const char kSystemAreaDefault[] = "Z:\\SYSTEM\\";
const char kRequestAreaDefault[] = "Z:\\REQUEST\\";
const char kUserAreaDefault[] = "Z:\\USERS\\%NAME%\\";
const char kSystemIni[] = "SYSTEM.INI";
const char kBootSection[] = "boot";

// A network driver of SYSTEM.INI and the name the question shows for it.
struct NetworkDriverName {
    const char* driver;
    UINT nameId;
};
const NetworkDriverName kNetworkDriverNames[] = {
    {"wfwnet.drv", IDS_NETWORK_WINDOWS},
    {"lanman.drv", IDS_NETWORK_LANMANAGER},
    {"netware.drv", IDS_NETWORK_NETWARE},
};
const char* const kNetworkDriverKeys[] = {"network.drv", "secondnet.drv", "thirdnet.drv"};
const int kNetworkCount = 3;

int EndsWithNoCase(const char* textValue, const char* ending, std::size_t endingLength) {
    std::size_t length = std::strlen(textValue);
    return length >= endingLength && text::EqualNoCase(textValue + length - endingLength, ending);
}

// Proposes `target` (or `fallback` when empty), asks, and leaves the answer
// in normal form in `target` (256 characters at most).
int AskArea(const char* dialog, char* target, const char* fallback, ProposalCase proposalCase) {
    const char* proposal = target[0] != '\0' ? target : fallback;
    return AskDirectory(dialog, proposal, proposalCase, target, kPathAnswerSize);
}

void NameNetworkDriver(char (&name)[kDriverNameSize]) {
    for (const NetworkDriverName& known : kNetworkDriverNames) {
        if (text::EqualNoCase(name, known.driver)) {
            LoadLocalString(g_setup.appInstance, known.nameId, name);
            return;
        }
    }
}

int AskSpoolerUse(ClientSettings* settings) {
    // Windows NT and Windows 95 have no DOS spooler to offer.
    if (IsWindowsNT() || IsWindows95()) {
        settings->useTsr = 0;
        return 1;
    }
    int answer = 0;
    if (!AskYesNo(IDD_BOOL_RUN_TSR, settings->useTsr, answer)) return 0;
    settings->useTsr = answer;
    return 1;
}

}  // namespace

int SetInstallDefaults(ClientSettings* settings) {
    settings->programDir[0] = '\0';
    settings->serverBaseDir[0] = '\0';
    settings->userArea[0] = '\0';
    settings->systemArea[0] = '\0';
    settings->requestArea[0] = '\0';

    // The current directory fills the field (256 characters); a directory
    // that long keeps its text and goes without the trailing backslash.
    char current[kAreaSize];
    if (_getcwd(current, kAreaSize) != nullptr) {
        AddTrailingBackslash(current);
        text::UpperCase(current);
        text::Copy(settings->programDir, current);
        std::size_t length = std::strlen(current);
        if (length > kSystemEndingLength && EndsWithNoCase(current, kSystemEnding, kSystemEndingLength)) {
            current[length - kSystemEndingLength] = '\0';
            text::Copy(settings->serverBaseDir, current);
            DeriveServerAreas(settings);
        }
    }
    return SetDefaultSettings(settings);
}

int DeriveServerAreas(ClientSettings* settings) {
    text::Format(settings->userArea, "%sUSERS\\%%NAME%%\\", settings->serverBaseDir);
    text::Format(settings->systemArea, "%sSYSTEM\\", settings->serverBaseDir);
    text::Format(settings->requestArea, "%sREQUEST\\", settings->serverBaseDir);
    return 1;
}

int AskConfigDirectory(char* directory, int create) {
    return AskArea(create == kConfigFileCreated ? IDD_PATH_QVTLINI_CREATE : IDD_PATH_QVTLINI_EXISTS, directory,
                   kConfigDirectoryDefault, kProposalAsHeld);
}

int AskLogArea(char* directory) { return AskArea(IDD_PATH_LOG_AREA, directory, kLogAreaDefault, kProposalUpperCase); }

int AskServerBaseDir(char* directory, int netServer) {
    const char* dialog =
        g_setup.netBaseDirSwitch && netServer ? IDD_PATH_NET_SERVER_BASE_DIR : IDD_PATH_SERVER_BASE_DIR;
    return AskArea(dialog, directory, kServerBaseDefault, kProposalAsHeld);
}

int AskSystemArea(char* directory) {
    return AskArea(IDD_PATH_SYSTEM_AREA, directory, kSystemAreaDefault, kProposalAsHeld);
}

int AskRequestArea(char* directory) {
    return AskArea(IDD_PATH_REQUEST_AREA, directory, kRequestAreaDefault, kProposalAsHeld);
}

int AskUserArea(char* directory) { return AskArea(IDD_PATH_USER_AREA, directory, kUserAreaDefault, kProposalAsHeld); }

int AskServerAreas(ClientSettings* settings) {
    return AskSystemArea(settings->systemArea) && AskRequestArea(settings->requestArea) &&
           AskUserArea(settings->userArea);
}

int AskConnectToServer(int* answer) {
    char question[kMessageSize];
    char caption[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_ASK_NETWORK_SERVER, question);
    LoadLocalString(g_setup.appInstance, IDS_INSTALLATION_CAPTION, caption);
    *answer = ShowMessageBox(nullptr, question, caption, MB_YESNO) == IDYES ? 1 : 0;
    return 1;
}

int DetectNetworks(unsigned short* network) {
    char names[kNetworkCount][kDriverNameSize];
    for (int i = 0; i < kNetworkCount; ++i) {
        GetPrivateProfileStringA(kBootSection, kNetworkDriverKeys[i], "", names[i], kDriverNameSize, kSystemIni);
        NameNetworkDriver(names[i]);
    }
    return AskNetwork(*network, *network, names[0], names[1], names[2]);
}

int AskUserSettings(ClientSettings* settings) {
    if (!DetectNetworks(&settings->network)) return 0;
    if (!AskDefaultUser(settings->network, settings->defaultUser)) return 0;
    if (!AskSpoolerUse(settings)) return 0;
    if (settings->useTsr) {
        if (!AskSpoolDevice(settings->spool) || !AskRedirectDevice(settings->redirect)) return 0;
    } else {
        settings->spool[0] = '\0';
    }
    if (!AskLanguage(IDD_LANGUAGE_BOX, settings->language, settings->language, kLanguageSize)) return 0;
    text::UpperCase(settings->language);
    return 1;
}
