// Names the safe rewrite forms from a file's path, all in the file's own
// directory: the replacement temporary name (X.INI -> X.TMP), the numbered
// backup name (X.001 .. X.999) and the in-place temporary name (X.TMP, or
// X.TM2 for a file that is itself X.TMP). Pure text: no windows.h.
//
// Every function writes a terminated text into target[0..size) and returns 1,
// or 0 when the name does not fit (the target then holds the name cut to the
// field, good only for a message): a cut name could be another file's.
#pragma once

#include <cstddef>

// Backup numbers run from 1 to 999 ("%.3d").
constexpr int kFirstBackupNumber = 1;
constexpr int kLastBackupNumber = 999;

// The text after the last "." of the last path component (after the last "\"
// or ":"); null when that component has no ".".
const char* PathExtension(const char* path);

// `directory` + `fileName`, with "." appended when it has no extension.
int RewritePath(char* target, std::size_t size, const char* directory, const char* fileName);

// The path with its extension replaced by "TMP" ("." appended first when it
// has none): TELMORA.INI -> TELMORA.TMP, FOO -> FOO.TMP.
int ReplacementTempName(char* target, std::size_t size, const char* path);

// The path with its extension replaced by `number` as "%.3d": X.INI -> X.007.
int BackupName(char* target, std::size_t size, const char* path, int number);

// The path with its extension, dot included, replaced by ".TMP", or by ".TM2"
// when the extension is "TMP" in any case; without extension ".TMP" is
// appended: X.INI -> X.TMP, X.tmp -> X.TM2, FOO -> FOO.TMP.
int InPlaceTempName(char* target, std::size_t size, const char* path);

template <std::size_t N>
inline int RewritePath(char (&target)[N], const char* directory, const char* fileName) {
    return RewritePath(target, N, directory, fileName);
}
template <std::size_t N>
inline int ReplacementTempName(char (&target)[N], const char* path) {
    return ReplacementTempName(target, N, path);
}
template <std::size_t N>
inline int BackupName(char (&target)[N], const char* path, int number) {
    return BackupName(target, N, path, number);
}
template <std::size_t N>
inline int InPlaceTempName(char (&target)[N], const char* path) {
    return InPlaceTempName(target, N, path);
}
