// Reading TELMORA.INI: the search for the file, the defaults of a new
// configuration, the default language from WIN.INI, and the reader that
// takes the [SERVER] areas and one workstation section into ClientSettings.
#include <windows.h>

#include <direct.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "config/config_file.h"
#include "config/config_values.h"
#include "config/load_list.h"

namespace {

const char kServerSection[] = "[SERVER]";
const char kWorkstationSection[] = "[WORKSTATION]";
const char kSecondWorkstationSection[] = "[WORKSTATION-1]";

const int kLineSize = 201;              // 200 significant characters
const int kSearchListSize = 512;        // 511 characters
const std::size_t kSearchElementLimit = 254;
const int kFileExists = 0;
const int kKeyNameSize = 16;          // the longest key with its colon fits

const char kDefaultAccept[] = "*.DOC,*.WRI,*.TXT,*.ASC";
const char kDefaultRedirect[] = "LPT1";
const char kDemoUser[] = "DEMO";
const std::int16_t kDefaultTimeout = 60;
const std::int16_t kDefaultStatusTimer = 10;
const std::int16_t kDemoStatusTimer = 5;

// The four areas of the [SERVER] section, as directories.
struct ServerAreas {
    char userArea[kAreaSize];  // AllUserArea followed by %NAME%\ .
    char systemArea[kAreaSize];
    char requestArea[kAreaSize];
    char serverArea[kAreaSize];
};

// Appends `value` (null adds nothing) and ";" to the search list, cut to fit.
void AppendSearchElement(char (&list)[kSearchListSize], const char* value) {
    if (!value) return;
    text::Append(list, value);
    text::Append(list, ";");
}

void BuildSearchList(char (&list)[kSearchListSize]) {
    list[0] = '\0';
    AppendSearchElement(list, std::getenv("QVTLINIT"));
    AppendSearchElement(list, std::getenv("INIT"));
    AppendSearchElement(list, std::getenv("PATH"));

    char directory[MAX_PATH + 1];
    if (GetWindowsDirectoryA(directory, sizeof directory) != 0) AppendSearchElement(list, directory);
    if (_getcwd(directory, sizeof directory) != nullptr) AppendSearchElement(list, directory);
}

int ConfigFileExistsIn(const char* directory) {
    char path[kPathFieldSize];
    FormConfigPath(path, directory);
    return _access(path, kFileExists) == 0;
}

FILE* OpenConfigFile(const char* directory) {
    char path[kPathFieldSize];
    FormConfigPath(path, directory);
    return std::fopen(path, "rb");
}

// A directory key of [SERVER]: 1 when the section holds it. An absent key,
// or one without a value, leaves `area` empty.
int ReadServerDirectory(FILE* file, const char* key, long sectionPosition, char (&area)[kAreaSize]) {
    char line[kLineSize];
    area[0] = '\0';
    if (!FindKey(file, key, line, kLineSize, sectionPosition)) return 0;
    StoreDirectoryValue(area, ValueStart(line));
    return 1;
}

// Reads the [SERVER] section from the start of the file. 0 when it is missing.
int ReadServerSection(FILE* file, ServerAreas* areas) {
    char line[kLineSize];
    long sectionPosition = 0;
    if (!FindSection(file, kServerSection, line, kLineSize, &sectionPosition)) return 0;

    char allUserArea[kAreaSize];
    if (ReadServerDirectory(file, "AllUserArea:", sectionPosition, allUserArea)) {
        UserAreaFromAllUserArea(allUserArea, areas->userArea, kAreaSize);
    }
    ReadServerDirectory(file, "SystemArea:", sectionPosition, areas->systemArea);
    ReadServerDirectory(file, "RequestArea:", sectionPosition, areas->requestArea);
    ReadServerDirectory(file, "ServerArea:", sectionPosition, areas->serverArea);
    return 1;
}

void ReadWorkstationSection(FILE* file, long sectionPosition, ClientSettings* settings) {
    char line[kLineSize];
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        WorkstationKey key = static_cast<WorkstationKey>(each);
        if (key == kKeyAdminArea) continue;
        char keyWithColon[kKeyNameSize];
        text::Format(keyWithColon, "%s:", WorkstationKeyName(key));
        if (FindKey(file, keyWithColon, line, kLineSize, sectionPosition)) {
            ApplyWorkstationValue(settings, key, ValueStart(line));
        }
    }
}

// Finds the workstation section the mode asks for and reads it. 0 when the
// file holds none.
int ReadWorkstation(FILE* file, ClientSettings* settings, int mode) {
    char line[kLineSize];
    long sectionPosition = 0;
    if (mode != kReadIgnoreSecondSection &&
        FindSection(file, kSecondWorkstationSection, line, kLineSize, &sectionPosition)) {
        settings->multiWorkstation = 1;
        g_setup.netBaseDirSwitch = 1;
    } else {
        std::rewind(file);
        if (!FindSection(file, kWorkstationSection, line, kLineSize, &sectionPosition)) return 0;
    }
    ReadWorkstationSection(file, sectionPosition, settings);
    return 1;
}

// 1 when the [SERVER] areas are those the workstation's areas imply.
int ServerAreasAgree(const ServerAreas& areas, const ClientSettings* settings) {
    char expectedServerArea[kAreaSize];
    ExpectedServerArea(settings->systemArea, expectedServerArea, kAreaSize);
    return text::EqualNoCase(areas.serverArea, expectedServerArea) &&
           text::EqualNoCase(areas.userArea, settings->userArea) &&
           text::EqualNoCase(areas.systemArea, settings->systemArea) &&
           text::EqualNoCase(areas.requestArea, settings->requestArea);
}

void TakeServerAreas(const ServerAreas& areas, ClientSettings* settings) {
    text::Copy(settings->userArea, areas.userArea);
    text::Copy(settings->systemArea, areas.systemArea);
    text::Copy(settings->requestArea, areas.requestArea);
}

}  // namespace

int FindConfigFile(char* directory) {
    char list[kSearchListSize];
    BuildSearchList(list);

    // The output field holds 254 characters, a backslash and the terminator.
    const std::size_t outputSize = kSearchElementLimit + 2;
    std::size_t position = 0;
    while (NextSearchElement(list, &position, directory, outputSize, kSearchElementLimit)) {
        AddTrailingBackslash(directory, outputSize);
        text::UpperCase(directory);
        if (ConfigFileExistsIn(directory)) return 0;
    }
    return kConfigFileNotFound;
}

int SetDefaultSettings(ClientSettings* settings) {
    text::Copy(settings->logArea, g_setup.configDirectory);
    text::Copy(settings->defaultUser, g_setup.demoSwitch ? kDemoUser : "");
    settings->statusTimer = g_setup.demoSwitch ? kDemoStatusTimer : kDefaultStatusTimer;
    text::Copy(settings->accept, kDefaultAccept);
    settings->spool[0] = '\0';
    text::Copy(settings->redirect, kDefaultRedirect);
    settings->timeout = kDefaultTimeout;
    settings->network = kNetworkPrimary;
    settings->useTsr = 0;
    settings->loadAtStart = 0;
    settings->multiWorkstation = 0;
    GetDefaultLanguage(settings->language);
    return 1;
}

int GetDefaultLanguage(char* language) {
    GetProfileStringA("Intl", "sLanguage", "", language, kLanguageSize);
    language[kLanguageSize - 1] = '\0';
    MapWindowsLanguage(language);
    return 1;
}

int ReadConfigFile(const char* directory, ClientSettings* settings, int mode) {
    g_setup.updateServerSection = 0;
    SetDefaultSettings(settings);
    int inLoadList = 0;
    IsClientInLoadList(&inLoadList);
    settings->loadAtStart = inLoadList;

    if (text::IsEmpty(directory)) {
        g_setup.updateServerSection = 1;
        return 1;
    }
    win::File file(OpenConfigFile(directory));
    if (!file.IsOpen()) {
        g_setup.updateServerSection = 1;
        return 1;
    }

    ServerAreas areas = {};
    int serverFound = ReadServerSection(file, &areas);
    file.Close();
    if (!serverFound && mode == kReadServerAreasWin) return 0;

    file.Attach(OpenConfigFile(directory));
    if (!file.IsOpen()) return 0;
    int workstationRead = ReadWorkstation(file, settings, mode);
    file.Close();
    if (!workstationRead && !serverFound) return 1;

    if (!serverFound) {
        g_setup.updateServerSection = 1;
    } else if (workstationRead && ServerAreasAgree(areas, settings)) {
        g_setup.updateServerSection = 1;
    }
    if (serverFound && (mode == kReadServerAreasWin || !workstationRead)) TakeServerAreas(areas, settings);
    if (mode == kReadServerAreasWin) text::Copy(settings->programDir, settings->systemArea);
    RecoverServerBaseDir(settings);
    return 1;
}
