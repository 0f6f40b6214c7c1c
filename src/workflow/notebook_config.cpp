// Reading and writing a configuration with a second workstation section.
#include "workflow/notebook_config.h"

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "workflow/program_files.h"

const char kNotebookUser[] = "NOTEBOOK";

void CopyServerAreas(ClientSettings* to, const ClientSettings& from) {
    text::Copy(to->serverBaseDir, from.serverBaseDir);
    text::Copy(to->userArea, from.userArea);
    text::Copy(to->requestArea, from.requestArea);
    text::Copy(to->systemArea, from.systemArea);
}

int ReadNotebookConfig(const char* directory, ClientSettings* settings, ClientSettings* notebookSettings) {
    if (!ReadConfigFile(directory, settings, kReadNormal)) return 0;
    if (!settings->multiWorkstation) {
        notebookSettings->multiWorkstation = 0;
        return 1;
    }
    *notebookSettings = *settings;
    if (!ReadConfigFile(directory, settings, kReadIgnoreSecondSection)) return 0;
    CopyServerAreas(settings, *notebookSettings);
    return 1;
}

int WriteNotebookConfig(ClientSettings* settings, ClientSettings* notebookSettings, int askProgman) {
    const ClientSettings* second = nullptr;
    if (notebookSettings->multiWorkstation) {
        text::Copy(notebookSettings->defaultUser, kNotebookUser);
        ClientSettings scratch = {};
        if (!ReadConfigFile(g_setup.configDirectory, &scratch, kReadIgnoreSecondSection)) return 0;
        settings->multiWorkstation = 0;
        CopyServerAreas(settings, scratch);
        second = notebookSettings;
    }
    FinishClientSetup(settings, second, askProgman);
    return 1;
}
