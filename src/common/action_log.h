// The action log an administrator asks for with TELMORA_SETUP_LOG=<path>.
//
// With the variable set, the program appends one line per event to that
// file: the local date and time to the millisecond, a fixed keyword, a colon
// and the event in words, ending in CR LF:
//
//   2026-12-07 09:14:03.127 copy: TELMORA.EXE to C:\WINDOWS\ (no file there)
//
// Each line goes out in one write on a handle opened for appending only, so
// the lines of two runs writing the same file never interleave. A text that
// holds line breaks keeps them as the two characters "\n". A line is cut at
// kLogLineSize bytes.
//
// The log never changes the run: without the variable nothing is opened and
// every call returns at once; a log that cannot be opened, or a write that
// fails, gives the log up silently for the rest of the run. A line keeps the
// thread's last error as it was, so a caller may log right after a Windows
// call and still read that call's error.
#pragma once

#include <cstdarg>

enum : int {
    kLogLineSize = 1024,  // one line with its time, keyword and CR LF
};

// The keywords, one per kind of event.
extern const char kLogStart[];     // "start": version, command line, Windows, directories
extern const char kLogBox[];       // "box": a message box or dialog, its text and the answer
extern const char kLogCopy[];      // "copy": a file copied, new or replacing one, and the rule
extern const char kLogKeep[];      // "keep": a file left as it was, and the rule
extern const char kLogDelete[];    // "delete": a file deleted, or one that could not be
extern const char kLogIni[];       // "ini": TELMORA.INI found, written, its backup
extern const char kLogAutoexec[];  // "autoexec": AUTOEXEC.BAT rewritten or created, its backup
extern const char kLogWinIni[];    // "winini": a WIN.INI entry written or removed
extern const char kLogRegistry[];  // "registry": a registry key or value written or removed
extern const char kLogPrinter[];   // "printer": printers, drivers, monitor, port, print processor
extern const char kLogSpooler[];   // "spooler": the print spooler stopped or started
extern const char kLogGroup[];     // "group": the Program Manager group and its items
extern const char kLogResult[];    // "result": the last line, the run's result code and why

// Opens the file TELMORA_SETUP_LOG names, once at the start of the run.
void OpenActionLog();
void CloseActionLog();
int IsActionLogOpen();

// One line: `keyword`, then `format` with printf rules.
void LogAction(const char* keyword, const char* format, ...);
void LogActionList(const char* keyword, const char* format, va_list args);
