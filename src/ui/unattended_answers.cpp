// The unattended answers: see unattended_answers.h. The README's table of
// unattended answers is this one.
#include "ui/unattended_answers.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "ui/box_log.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

// Every box of the program. Dialogs by the start of their template's name,
// message boxes by the end of their text; the last row of each kind serves
// every box the rows above do not name.
const UnattendedAnswer kUnattendedAnswers[] = {
    {"FUNCTIONBOX", 0, kChooseQuitAfterWork,
     "the proposed function (Install) as long as no workflow has run, then Quit",
     "after a workflow (the update of /U) a second one is not what was asked for"},
    {"REBOOTBOX", 0, kChooseExit, "Exit",
     "Reboot logs the user off and the box comes back; the deployment tool restarts the PC on result 3010"},
    {"PATH", 0, kTakeProposal, "OK with the directory offered; when the check after it fails, the run stops", nullptr},
    {"STRING", 0, kTakeProposal, "OK with the text offered; a refused device name stops the run", nullptr},
    {"BOOL", 0, kTakeProposal, "the proposed Yes or No", nullptr},
    {"NETWORK", 0, kTakeProposal, "OK with the network checked", nullptr},
    {"LANGUAGEBOX", 0, kTakeProposal, "OK with the language offered", nullptr},
    {"REPLACEBOX", 0, kTakeProposal, "the proposed Yes or No", nullptr},
    {"", 0, kTakeProposal, "the default button", nullptr},
    {nullptr, IDS_ASK_NETWORK_SERVER, kChooseNo, "No",
     "Yes is proposed, but nobody is there to give the network server's path"},
    {nullptr, IDS_IGNORE_ERROR_SUFFIX, kTakeProposal,
     "the proposed No; where No brings the same question back (the server areas' test), the run stops", nullptr},
    {nullptr, IDS_CONFIRM_UNINSTALL, kTakeProposal, "the proposed OK", nullptr},
    {nullptr, IDS_STOP_SPOOLER_PROMPT, kTakeProposal, "the proposed OK", nullptr},
    {nullptr, IDS_ABORT_INSTALLATION, kTakeProposal, "never asked: no question dialog is shown to be aborted", nullptr},
    {nullptr, 0, kTakeProposal, "the default button of its style (OK for errors, warnings and notices)", nullptr},
};

// Each message box button of an MB_TYPE, in its order on the box.
struct BoxButtons {
    UINT type;
    int buttons[3];
};
const BoxButtons kBoxButtons[] = {
    {MB_OK, {IDOK}},
    {MB_OKCANCEL, {IDOK, IDCANCEL}},
    {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
    {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
    {MB_YESNO, {IDYES, IDNO}},
    {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}},
};
const UINT kDefaultButtonShift = 8;  // MB_DEFBUTTON2 is 0x100

int EndsWith(const char* text, const char* ending) {
    std::size_t length = std::strlen(text);
    std::size_t endingLength = std::strlen(ending);
    return endingLength > 0 && length >= endingLength && std::strcmp(text + length - endingLength, ending) == 0;
}

}  // namespace

int IsUnattendedRun() { return g_setup.unattended; }

const UnattendedAnswer& DialogAnswerRow(const char* name) {
    for (const UnattendedAnswer& row : kUnattendedAnswers) {
        if (row.templatePrefix && text::StartsWithNoCase(name ? name : "", row.templatePrefix)) return row;
    }
    return kUnattendedAnswers[0];  // not reached: the empty prefix matches every name
}

const UnattendedAnswer& MessageBoxAnswerRow(const char* text) {
    const UnattendedAnswer* found = nullptr;
    for (const UnattendedAnswer& row : kUnattendedAnswers) {
        if (row.templatePrefix) continue;
        found = &row;
        if (row.textId == 0) break;
        char known[kMessageSize];
        LoadLocalString(g_setup.appInstance, row.textId, known);
        if (EndsWith(text ? text : "", known)) break;
    }
    return *found;
}

int ProposedButton(UINT style) {
    UINT defaultIndex = (style & MB_DEFMASK) >> kDefaultButtonShift;
    for (const BoxButtons& box : kBoxButtons) {
        if (box.type != (style & MB_TYPEMASK)) continue;
        int button = defaultIndex < 3 ? box.buttons[defaultIndex] : 0;
        return button != 0 ? button : box.buttons[0];  // Windows takes the first for a button the box lacks
    }
    return IDOK;
}

int GiveUpRepeatedQuestion() {
    if (!IsUnattendedRun()) return 0;
    char reason[kOutcomeReasonSize];
    text::Format(reason, "the same question would come back and nobody can answer it otherwise: %s", LastBoxText());
    NoteOutcome(g_setup.outcome, kOutcomeFailed, reason);
    LogGiveUp(reason);
    return 1;
}
