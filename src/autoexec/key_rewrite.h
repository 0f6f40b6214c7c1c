// The line logic of the in-place key update: copies a TELMORA.INI-style file
// with one key of one section set. Works on FILE* with the shared line reader;
// pure C runtime, no windows.h.
#pragma once

#include <cstdio>

// Lines of the in-place update are read into a buffer of this size.
constexpr int kKeyRewriteLineSize = 281;

// Copies `input` from where it stands to `output`: every line as the line
// reader gives it (control characters as blanks, no trailing blanks) plus
// CR LF, with the line of `key` (its colon included) in `section` replaced by
// the key line, later lines with the same key there dropped, empty lines
// inside the section dropped, and the section and key appended when missing.
// `yield` (may be null) is called with 0 after every line, so that a caller
// with a window can keep it responsive. Returns 1 when neither file has its
// error indicator set, else 0.
int CopyWithKeySet(FILE* input, FILE* output, const char* section, const char* key,
                   const char* value, int (*yield)(int));

// Writes the key line "<key> <value>\r\n" ("<key>\r\n" for an empty value).
void WriteKeyLine(FILE* output, const char* key, const char* value);
