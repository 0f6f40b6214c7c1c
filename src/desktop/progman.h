// The client's Program Manager group "Telmora" and its items, made and
// removed over DDE with the shell's PROGMAN server.
#pragma once

#include "common/setup_context.h"

// The names the client, setup and welcome items had in the language in
// force before the language files were replaced; the items of those names
// are the ones to replace.
extern char g_oldClientItemName[kMessageSize];
extern char g_oldSetupItemName[kMessageSize];
extern char g_oldWelcomeItemName[kMessageSize];

// Adds the "Telmora" group with the client program of `clientDirectory` and
// the setup program and welcome text of `systemArea` (both ending in a
// backslash; either may be empty). 1, or the answer to the ignore question
// when Program Manager does not answer (0 for No).
int AddProgmanItems(const char* clientDirectory, const char* systemArea);

// Removes the items AddProgmanItems makes, and the group when it is then
// empty. Results as AddProgmanItems.
int RemoveProgmanItems(const char* clientDirectory, const char* systemArea);

// 1 when the "Telmora" group exists and reports no items, asked over the DDE
// management library; 0 when it holds items or any step of the exchange fails.
int IsProgmanGroupEmpty();
