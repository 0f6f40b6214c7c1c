// The one way a file is put on the PC: the copy engine with its date, size
// and version rules, the architecture subdirectory of the share, and the
// version text of a file.
#pragma once

enum : int {
    kVersionTextSize = 52,  // a FileVersion text: 51 characters
};

// The four rules InstallFile is given, each by one of its two names.
enum : int {
    kNoReplaceQuestion = 0,
    kAskReplace = 1,            // the date and size rule, with the replace question
    kSourceDirectoryOnly = 0,
    kUseArchitecture = 1,       // the file may lie in the processor subdirectory
    kAnyVersion = 0,
    kCheckVersion = 1,          // copied only over an older version text
    kAskAboutCopyFailure = 0,
    kIgnoreCopyFailure = 1,     // a failed copy counts as done, after its error box
};

// Where the share lies for a copy whose caller names no directory: fills
// `systemArea` (kPathFieldSize bytes) with the system area of the
// configuration in use. 1, or 0 when the configuration cannot be had.
typedef int (*SystemAreaSource)(char* systemArea);

// Names that source. The workflow driver gives its ConfiguredSystemArea
// (workflow/config_location.h) when a run starts, so the copy engine never
// looks for TELMORA.INI itself. Without a source a directory that is not
// named has no architecture file.
void SetSystemAreaSource(SystemAreaSource source);

// When `fileName` lies in the processor-architecture subdirectory ("I386\"
// for PROCESSOR_ARCHITECTURE "x86", ...) of `directory` (in/out, a 272-byte
// field; null or empty: the system area the source above gives), appends
// that subdirectory to a given `directory` and returns 1; else 0, unchanged.
int FindArchitectureFile(char* directory, const char* fileName);

// The FileVersion text of `path`'s version resource (first translation only)
// into versionText[0..kVersionTextSize). 1 when there is one.
int GetFileVersionText(const char* path, char* versionText);

// The date and size rule: `copy` 1 when `target` is missing or older than
// `source`; the replace question when it is as new or newer with another size
// or time. 0 only when the question was aborted or `source` is missing.
int AskReplaceFile(const char* source, const char* target, int* copy);

// Copies sourceDirectory+sourceName to targetDirectory+targetName (null:
// the source name) by the rules named above, showing progress and asking about
// failures. 1 when copied, up to date, skipped by the user or its failure
// ignored; 0 when the user chose not to ignore a failure.
int InstallFile(const char* sourceDirectory, const char* sourceName, const char* targetDirectory,
                const char* targetName, int askReplace, int useArchitecture, int checkVersion,
                int ignoreCopyFailure);

// CopyFileA over an existing target; ShowError IDS_CANNOT_COPY_FILE on failure.
int CopyOneFile(const char* source, const char* target);
