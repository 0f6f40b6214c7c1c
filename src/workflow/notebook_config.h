// A configuration with a second workstation section: the notebook PC's own
// fax server beside a network server.
#pragma once

#include "common/client_settings.h"

// The default user of the notebook's own workstation section.
extern const char kNotebookUser[];  // "NOTEBOOK"

// Gives `to` the server base directory and the user, request and system
// areas of `from`.
void CopyServerAreas(ClientSettings* to, const ClientSettings& from);

// Reads `directory`'s configuration; when it has a second workstation
// section, `notebookSettings` gets that section's settings and `settings` the
// first section with the notebook's server areas. 1, or 0 when a read failed.
int ReadNotebookConfig(const char* directory, ClientSettings* settings, ClientSettings* notebookSettings);

// Writes back what ReadNotebookConfig read, with the configuration's desktop
// entries (asking about the Program Manager item with kWithProgmanQuestion).
// 1, or 0 when the configuration could not be read again.
int WriteNotebookConfig(ClientSettings* settings, ClientSettings* notebookSettings, int askProgman);
