// Line primitives of TELMORA.INI, shared with the AUTOEXEC.BAT editor and the
// safe rewrite. All work on a FILE* opened without line-end translation
// ("rb"). Pure C runtime: no windows.h, so they also build natively.
#pragma once

#include <cstdio>

// Reads one line (up to and including LF, at most size-1 characters; the rest
// of a longer line is read and dropped), turns characters below 32 and 127
// into blanks and removes trailing blanks. When `lineStart` is given it gets
// the file position of the line's first byte. Returns 0 only when nothing
// could be read (end of file).
int ReadConfigLine(FILE* file, char* buffer, int size, long* lineStart);

// ReadConfigLine for a caller that copies most lines verbatim: it tracks the
// line starts itself from the counts returned (asking the file for its
// position costs system calls per line) and keeps the line's bytes as read,
// so a copy needs no seek back. Returns how many bytes the line took from
// the file (0 only at end of file). `bytes` (room for `size` bytes, not
// terminated) gets the first of them: all of them when the count is at most
// `size`; a larger count means the rest of a long line was read and dropped.
long ReadConfigLineBytes(FILE* file, char* buffer, int size, char* bytes);

// Writes `count` bytes that ReadConfigLineBytes kept (one whole line) the
// way CopyLine copies a line: Ctrl-Z dropped, one LF at the end.
void WriteLineBytes(FILE* output, const char* bytes, long count);

// From the current position, finds the first section line whose first
// strlen(name) characters equal `name` (any case; null accepts any section).
// On success `position` (when given) is just behind that line. On failure the
// file is back where it was and the buffer is empty.
int FindSection(FILE* file, const char* name, char* buffer, int size, long* position);

// Within the section starting at `sectionPosition`, finds the first setting
// line that begins with `key` (any case); the line is left in the buffer.
// On failure the file is back at `sectionPosition` and the buffer is empty.
int FindKey(FILE* file, const char* key, char* buffer, int size, long sectionPosition);

// The value after the first ':' or '=' and the blanks behind it; null when
// nothing follows.
const char* ValueStart(const char* line);

// The token at `text` (a quoted string, or up to a comma, blank, tab, CR or
// LF); `length` gets its length (quotes included), `next` the position after
// the blanks and one comma behind it, or null at the end. Null for null.
const char* NextToken(const char* text, short* length, const char** next);

int IsSectionLine(const char* line);   // first character is '['
int IsSettingLine(const char* line);   // not empty, not starting with a blank or ';'
