// The four ways of reporting a message, and the one message box call.
//
// A message is a string-table id or an 8-bit format text; up to ten printf
// arguments follow. An id missing everywhere reads "ERROR - <id>".
#pragma once

#include <windows.h>

#include <cstdarg>

// A message argument: a string id (below 0x10000) or a format text.
struct MessageText {
    UINT id;
    const char* format;
    MessageText(UINT stringId) : id(stringId), format(nullptr) {}  // NOLINT: implicit by design
    MessageText(int stringId) : id(static_cast<UINT>(stringId)), format(nullptr) {}  // NOLINT
    MessageText(const char* text) : id(0), format(text) {}  // NOLINT
};

// Report modes: how a caller wants a failure reported.
enum ReportMode : int {
    kReportAskIgnore = 1,  // AskIgnoreError: the answer decides
    kReportError = 2,      // ShowError
    kReportWarning = 3,    // ShowWarning
    kReportProgress = 4,   // ShowProgress
    kReportSilent = 5,     // nothing (any other value too)
};

// Formats `message` into buffer[0..size) (200 characters at most).
void FormatMessageText(char* buffer, int size, MessageText message, va_list args);

void ShowProgress(MessageText message, ...);
int ShowWarning(MessageText message, ...);
int ShowError(MessageText message, ...);
int AskIgnoreError(MessageText message, ...);  // 1 for Yes

// Reports in `reportMode` and returns that mode's result for a failed
// operation: the answer (1 Yes / 0 No) in mode 1, else 0.
int ReportFailure(int reportMode, MessageText message, ...);

// Converts both texts under the current locale and calls MessageBoxW.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);

// The fixed caption of the program's own boxes.
extern const char kProductCaption[];  // "Telmora"
