// The numbered leftovers of the configuration file: TELMORA.0* to TELMORA.9*
// in the configuration directory, among them the numbered names under which
// a rewrite parks the old TELMORA.INI while replacing it.
#pragma once

// Deletes every leftover in `directory`, the ten patterns in order; a file
// that stays is reported naming its pattern, and the next pattern is tried.
// 1 when none stayed.
int DeleteConfigLeftovers(const char* directory);
