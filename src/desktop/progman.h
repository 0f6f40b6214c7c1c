// The client's Program Manager group "Telmora" and its items, made and
// removed over DDE with the shell's PROGMAN server.
#pragma once

// Notes in g_desktop the names the client, setup and welcome items have in
// the language in force now. The language files call it before they replace
// the language library: the items of those names are the ones
// AddProgmanItems replaces afterwards.
void KeepProgmanItemNames();

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
