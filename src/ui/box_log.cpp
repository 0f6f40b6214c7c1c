// The "box" lines of the action log: see box_log.h.
#include "ui/box_log.h"

#include <cstring>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "ui/dialog_template_text.h"
#include "ui/ui_state.h"

namespace {

struct NamedButton {
    int id;
    const char* name;
};
const NamedButton kButtonNames[] = {
    {IDOK, "OK"},       {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
    {IDIGNORE, "Ignore"}, {IDYES, "Yes"},     {IDNO, "No"},
};
const char kNoBox[] = "none: the box could not be shown";

const char* ButtonName(int id) {
    for (const NamedButton& button : kButtonNames) {
        if (button.id == id) return button.name;
    }
    return kNoBox;
}

// "(unattended)" or, where the unattended answer is not the proposal
// (`differs`), the reason.
void UnattendedNote(const UnattendedAnswer* row, int differs, char (&note)[kAnswerWordsSize]) {
    note[0] = '\0';
    if (!row) return;
    if (row->why && differs) {
        text::Format(note, " (unattended, not the proposed answer: %s)", row->why);
    } else {
        text::Copy(note, " (unattended)");
    }
}

void KeepLastBox(const char* words) { text::Copy(g_ui.lastBoxText, words); }

}  // namespace

void LogMessageBox(const char* text, const char* caption, UINT style, int answer, const UnattendedAnswer* row) {
    char quoted[kLastBoxTextSize];
    text::Format(quoted, "\"%s\": \"%s\"", caption ? caption : "", text ? text : "");
    KeepLastBox(quoted);
    char note[kAnswerWordsSize];
    UnattendedNote(row, answer != ProposedButton(style), note);
    LogAction(kLogBox, "%s; proposed %s; answer %s%s", quoted, ButtonName(ProposedButton(style)), ButtonName(answer),
              note);
}

void LogDialog(const char* name, const char* offer, const char* answer, const UnattendedAnswer* row) {
    char words[kTemplateWordsSize];
    ReadTemplateWords(name, words);
    KeepLastBox(words);
    char note[kAnswerWordsSize];
    UnattendedNote(row, std::strcmp(offer, answer) != 0, note);
    LogAction(kLogBox, "dialog %s %s; offered %s; answer %s%s", name, words, offer, answer, note);
}

void LogGiveUp(const char* reason) { LogAction(kLogBox, "not asked again: %s", reason); }

const char* LastBoxText() { return g_ui.lastBoxText; }
