// The action log's line about one WIN.INI entry the program writes or
// removes, in one form for the desktop's entries and the printers' ones.
#pragma once

// "winini: [section] key=value" for a written entry (`value` given), or
// "winini: [section] key removed (if it was there)" (`value` null); a failed
// write says so with its Windows error. Call it right after the write.
void LogWinIniEntry(int written, const char* section, const char* key, const char* value);
