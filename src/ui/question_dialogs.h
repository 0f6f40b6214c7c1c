// The question dialogs: a path or short text, the client language, the
// network whose login name the client uses, a yes/no question and the
// replace question; and the device and user-name questions built on them.
//
// Each question function runs its dialog modal to the main window and
// returns 1 when the user answered, 0 when the user aborted (Escape, the
// close box or Abort, confirmed with "Abort installation?") or the dialog
// could not be created. In a quiet run the main window is shown before
// every question.
#pragma once

#include <windows.h>

#include "common/client_settings.h"  // the field widths of the answers

// The values a question dialog ends with.
enum QuestionEnd : int {
    kQuestionNoDialog = -1,
    kQuestionAnswered = 0,  // OK or Yes
    kQuestionNo = 1,
    kQuestionAborted = 2,
};

enum : int {
    kReplaceLineCount = 6,  // text lines of the replace question
    kPathAnswerSize = 257,  // a path answer: 256 characters
};

// How AskDirectory proposes the directory it asks for.
enum ProposalCase : int {
    kProposalAsHeld,
    kProposalUpperCase,
};

// Template `name` (mixed case, e.g. "PathDistribDir") with an edit field
// showing `defaultText`; OK puts the field's text into answer[0..size).
// AskPath then removes trailing blanks from `answer`, also after an abort.
int AskPath(const char* name, const char* defaultText, char* answer, int size);
int AskText(const char* name, const char* defaultText, char* answer, int size);

// AskPath for a directory field target[0..size): proposes `proposal` (which
// may be `target` itself) without its trailing backslash, upper-cased with
// kProposalUpperCase; the answer, at most 256 characters and never more than
// the field holds, is stored upper case with a trailing backslash (cut to the
// field). After an abort `target` keeps its text but for trailing blanks.
int AskDirectory(const char* name, const char* proposal, ProposalCase proposalCase, char* target,
                 std::size_t size);

template <std::size_t N>
inline int AskDirectory(const char* name, const char* proposal, ProposalCase proposalCase, char (&target)[N]) {
    return AskDirectory(name, proposal, proposalCase, target, N);
}

// The language list of template `name`, with `defaultCode` selected. The
// answer is the chosen language's code, or the entry itself when the
// language table does not know it.
int AskLanguage(const char* name, const char* defaultCode, char* answer, int size);

// The network whose login name the client uses: kNetworkPrimary,
// kNetworkSecondary, kNetworkTertiary or kNetworkOther (the USERNAME
// variable instead). "Network3Box" when `thirdName` is given or `choice` is
// the third network, else "NetworkBox". A null or empty name shows as "not
// configured".
int AskNetwork(unsigned short choice, unsigned short& answer, const char* primaryName, const char* secondName,
               const char* thirdName);

// The default button of a yes/no or replace question.
enum : int {
    kProposeNo = 0,
    kProposeYes = 1,
};

// A yes/no template with kProposeYes or kProposeNo; `answer` becomes 1 for
// Yes, 0 otherwise.
int AskYesNo(const char* name, int defaultYes, int& answer);

// The replace question with up to six text lines, the list ended by null.
int AskReplace(const char* const* lines, int defaultYes, int& answer);

// The DOS spooler's capture device and the printer port it redirects to:
// "LPT1" is offered when `device` is empty; a name with '.', ':' or '\' is
// refused and asked again; the answer is upper-cased into `device`.
int AskSpoolDevice(char (&device)[kDeviceSize]);
int AskRedirectDevice(char (&device)[kDeviceSize]);

// The default user name, upper-cased; the text of the question depends on
// whether a network login name is used (`network` other than none).
int AskDefaultUser(unsigned short network, char (&user)[kDefaultUserSize]);

INT_PTR CALLBACK PathDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LanguageDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NetworkDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK BoolDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ReplaceDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
