// The four ways of reporting a message (progress line, warning box, error
// box, the box that asks whether to ignore an error) and the one message box
// call behind them.
//
// All four share one formatting step: a string id is loaded from the
// language library or the program's own table and formatted with printf
// rules; a format text given by address is formatted with wsprintf rules.
#include "ui/messages.h"

#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "ui/box_log.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

const char kProductCaption[] = "Telmora";

namespace {

// wvsprintfA writes at most 1024 characters and takes no buffer size.
const int kWsprintfBufferSize = 1025;

// Widest texts a message box shows, in UTF-16 units without the terminator.
const std::size_t kBoxTextUnits = 1569;
const std::size_t kBoxCaptionUnits = 513;

// The box that asks whether to ignore an error holds the formatted message
// (up to 200 characters) and the question after it, so the question is
// never cut off by a long message.
const int kAskTextSize = 2 * kMessageSize - 1;

// Formats the "ERROR - %d" text for a string id that exists nowhere.
void FormatMissingId(char* buffer, int size, UINT id) {
    char format[kMessageSize];
    if (LoadLocalString(g_setup.appInstance, IDS_ERROR_NUMBER, format) == 0) {
        text::Copy(format, "ERROR - %d");
    }
    char number[kMessageSize];
    text::Format(number, format, static_cast<int>(id));
    text::CopyInto(buffer, static_cast<std::size_t>(size), number);
}

// Loads a caption string into `caption`.
void LoadCaption(UINT id, char (&caption)[kMessageSize]) { LoadLocalString(g_setup.appInstance, id, caption); }

// Converts `text` under the current locale into target[0..units), cut to fit
// and always terminated (an invalid sequence ends the text early).
void ToBoxText(wchar_t* target, std::size_t units, const char* text) {
    std::memset(target, 0, units * sizeof(wchar_t));
    if (text) std::mbstowcs(target, text, units - 1);
}

int ShowBox(const char* text, UINT captionId, UINT style) {
    char caption[kMessageSize];
    LoadCaption(captionId, caption);
    return ShowMessageBox(g_setup.mainWindow, text, caption, style);
}

void NoteErrorBox(const char* text, const char* caption) {
    char reason[kOutcomeReasonSize];
    text::Format(reason, "error box \"%s\": \"%s\"", caption ? caption : "", text ? text : "");
    NoteOutcome(g_setup.outcome, kOutcomeFailed, reason);
}

int AskIgnore(const char* message) {
    char textWithQuestion[kAskTextSize];
    char question[kMessageSize];
    text::Copy(textWithQuestion, message);
    LoadLocalString(g_setup.appInstance, IDS_IGNORE_ERROR_SUFFIX, question);
    text::Append(textWithQuestion, question);
    return ShowBox(textWithQuestion, IDS_ERROR_CAPTION, MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2) == IDYES ? 1 : 0;
}

// Formats the message and reports it in `reportMode`. Returns the box's
// result (1/0 for the question), 0 for the progress line and when silent.
int ReportList(int reportMode, MessageText message, va_list args) {
    if (reportMode < kReportAskIgnore || reportMode > kReportProgress) return 0;

    char text[kMessageSize];
    FormatMessageText(text, kMessageSize, message, args);
    switch (reportMode) {
        case kReportAskIgnore:
            return AskIgnore(text);
        case kReportError:
            return ShowBox(text, IDS_ERROR_CAPTION, MB_ICONHAND);
        case kReportWarning:
            return ShowBox(text, IDS_WARNING_CAPTION, MB_ICONEXCLAMATION);
        default:
            SetDisplayLine(text, kDisplayProgress);
            return 0;
    }
}

}  // namespace

// A formatted message is held in buffers of 200 characters, as every loaded
// string is: a longer result (a message with two long paths, say) is cut
// after its 200th character rather than overrunning the fixed fields that
// the progress line and the message boxes are built from.
void FormatMessageText(char* buffer, int size, MessageText message, va_list args) {
    if (!buffer || size <= 0) return;
    buffer[0] = '\0';

    if (message.format) {
        char formatted[kWsprintfBufferSize];
        wvsprintfA(formatted, message.format, args);
        text::CopyInto(buffer, static_cast<std::size_t>(size), formatted);
        return;
    }

    char format[kMessageSize];
    if (LoadLocalString(g_setup.appInstance, message.id, format) == 0) {
        FormatMissingId(buffer, size, message.id);
        return;
    }
    text::FormatListInto(buffer, static_cast<std::size_t>(size), format, args);
}

void ShowProgress(MessageText message, ...) {
    va_list args;
    va_start(args, message);
    ReportList(kReportProgress, message, args);
    va_end(args);
}

int ShowWarning(MessageText message, ...) {
    va_list args;
    va_start(args, message);
    int result = ReportList(kReportWarning, message, args);
    va_end(args);
    return result;
}

int ShowError(MessageText message, ...) {
    va_list args;
    va_start(args, message);
    int result = ReportList(kReportError, message, args);
    va_end(args);
    return result;
}

int AskIgnoreError(MessageText message, ...) {
    va_list args;
    va_start(args, message);
    int result = ReportList(kReportAskIgnore, message, args);
    va_end(args);
    return result;
}

int ReportFailure(int reportMode, MessageText message, ...) {
    va_list args;
    va_start(args, message);
    int result = ReportList(reportMode, message, args);
    va_end(args);
    return reportMode == kReportAskIgnore ? result : 0;
}

// Every box passes here: an error box makes the run a failed one, whatever
// its answer; an unattended run answers without showing the box; the action
// log gets the box and its answer.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    if ((style & MB_ICONMASK) == MB_ICONHAND) NoteErrorBox(text, caption);
    if (IsUnattendedRun()) {
        const UnattendedAnswer& row = MessageBoxAnswerRow(text);
        int answer = row.rule == kChooseNo ? IDNO : ProposedButton(style);
        LogMessageBox(text, caption, style, answer, &row);
        return answer;
    }
    wchar_t wideText[kBoxTextUnits + 1];
    wchar_t wideCaption[kBoxCaptionUnits + 1];
    ToBoxText(wideText, kBoxTextUnits + 1, text);
    ToBoxText(wideCaption, kBoxCaptionUnits + 1, caption);
    int answer = MessageBoxW(owner, wideText, wideCaption, style);
    LogMessageBox(text, caption, style, answer, nullptr);
    return answer;
}
