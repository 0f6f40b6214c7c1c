// The client language files: which language library exists for a language,
// installing it and the help file under the names the client loads, whether
// the client is running, and deleting files by pattern.
#pragma once

#include "common/client_settings.h"

// What GetLanguageLibraryKind finds for a language.
enum LanguageLibraryKind : int {
    kLanguageLibraryNone = 0,   // no library: installed as English
    kLanguageEnglish = 1,       // built into the client, no library needed
    kLanguageLibrary16 = 16,    // only the 16-bit QVI<code>.DLL in the setup directory
    kLanguageLibrary32 = 32,    // QVI<code>32.DLL in the processor subdirectory
};

// 1 when a window of the client ("Quen") or of its viewer ("QuenViewer")
// exists; the caller then stops, and the run's outcome says so (result 1618).
int IsClientRunning();

// The kind of library the setup directory holds for `language` (a code
// compared on its first three characters).
int GetLanguageLibraryKind(const char* language);

// Installs the language's libraries as QVINTL.DLL and QVINTL32.DLL and the
// help file as TELMORA.HLP, after deleting the installed libraries; English
// gets no library. The program's own language library is released for the
// time and loaded again. `language` becomes "ENG" when the language has no
// library or its 16-bit library could not be copied. 0 when the client runs
// or the user chose to stop.
int InstallLanguageFiles(char (&language)[kLanguageSize]);

// Deletes the plain files of `directory` (ending in a backslash) matching
// `pattern`; when one stays, says so naming the pattern and returns 0.
int DeleteClientFiles(const char* directory, const char* pattern);

// Deletes the matching files; returns how many could not be deleted.
int DeleteMatchingFiles(const char* directory, const char* pattern);
