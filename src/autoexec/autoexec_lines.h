// The line rules of AUTOEXEC.BAT: which line sets QVTLINIT, which line runs
// the DOS spooler QSPOOL.EXE, how the editor forms the lines it writes, and
// which of the two lines an installation must edit at all.
// Pure text: no windows.h.
#pragma once

#include <cstddef>

// The lines of AUTOEXEC.BAT that the editor owns, as request bits.
enum AutoexecRequest : int {
    kRequestQvtlinit = 1,  // SET QVTLINIT=<configuration directory>
    kRequestSpooler = 2,   // <program directory>QSPOOL.EXE
    kRequestBoth = kRequestQvtlinit | kRequestSpooler,
};

// A line of AUTOEXEC.BAT as the editor reads it: 200 characters.
constexpr int kAutoexecLineSize = 201;
// A line the editor forms: the text of a read line around a directory of up
// to 271 characters and the spooler's file name.
constexpr int kFormedLineSize = 512;

// The spooler's program name, as it stands in AUTOEXEC.BAT.
extern const char kSpoolerName[];  // "QSPOOL"

// 1 when `line` begins with "SET QVTLINIT" (any case).
int IsQvtlinitLine(const char* line);

// The command word of `line` that runs program `name`: the start of the
// first occurrence of `name` (any case) that is followed by the end of the
// line, "." or white space and preceded by the line's start or a character
// other than a letter or digit, moved back over the drive and path written
// before it. Null for an empty line, a ":label", a REM or ECHO line, and when
// no occurrence counts.
const char* FindCommandWord(const char* name, const char* line);

// 1 when `line` runs the DOS spooler.
int IsSpoolerLine(const char* line);

// QVTLINIT's value for the configuration directory `initDir`: without its
// trailing backslash, upper case.
void QvtlinitValueOf(char* value, std::size_t size, const char* initDir);

// "SET QVTLINIT=<value>", without line end.
void FormQvtlinitLine(char (&line)[kFormedLineSize], const char* value);

// "<spoolDir>QSPOOL.EXE", without line end: the spooler line that is added.
void FormSpoolerLine(char (&line)[kFormedLineSize], const char* spoolDir);

// The spooler line `line` with its command word `word` (a position inside
// `line`) replaced: the text before the word, `spoolDir`, "QSPOOL.EXE", then
// the rest of the line from the first white space behind the word's first
// character. "LH C:\OLD\QSPOOL.EXE /A" becomes "LH C:\TELMORA\QSPOOL.EXE /A".
void RebuildSpoolerLine(char (&line)[kFormedLineSize], const char* oldLine, const char* word,
                        const char* spoolDir);

// Which AUTOEXEC.BAT lines an installation with `useTsr` must edit, given
// what the run knows the file says (`tsrInStartupFile`, `qvtlinitValue`):
// the spooler line when `useTsr` differs from `tsrInStartupFile`; the
// QVTLINIT line when the spooler needs a variable that is not set, when the
// variable is set to another directory than `configDirectory`, or when it is
// not set and `configDirectory` is not the Windows directory (where the
// client looks without it); never in a quiet run. Returns the request bits.
int StartupRequest(int useTsr, int tsrInStartupFile, const char* qvtlinitValue, const char* configDirectory,
                   const char* windowsDirectory, int quiet);
