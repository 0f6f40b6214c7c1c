// The question dialogs and the functions that ask them.
//
// One question is open at a time: its parameters (the text offered, the
// answer buffer, the default button, the network names, the replace lines)
// wait in one record from the question function's start until its dialog
// ends, and the dialog procedures read them from there. Every question
// dialog confirms Escape, the close box and Abort with "Abort installation?"
// and stays open when the user answers No.
#include "ui/question_dialogs.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "ui/dialogs.h"
#include "ui/language_list.h"
#include "ui/messages.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"
#include "ui/ui_state.h"

namespace {

const int kNetworkLabelSize = 80;
const char kNetworkNameOpen[] = " (";
const char kNetworkNameClose[] = ")";
const std::size_t kNetworkNameFrame = sizeof(kNetworkNameOpen) - 1 + sizeof(kNetworkNameClose) - 1;
const char kBlank = ' ';

// The radio buttons of the network question and the answers they stand for;
// the first three carry the network names.
struct NetworkButton {
    int buttonId;
    unsigned short answer;
    const char* words;  // for the action log
};
const NetworkButton kNetworkButtons[] = {
    {IDC_NETWORK_PRIMARY, kNetworkPrimary, "the primary network"},
    {IDC_NETWORK_SECOND, kNetworkSecondary, "the second network"},
    {IDC_NETWORK_THIRD, kNetworkTertiary, "the third network"},
    {IDC_NETWORK_NONE, kNetworkOther, "none of them (the USERNAME variable)"},
};

const char kAbortWords[] = "Abort";
const char kNoDialogWords[] = "none: the dialog could not be created";
const char* const kYesNoWords[] = {"Yes", "No"};  // by end value

// The words of a question's end: `answered` for OK or Yes, else Abort or none.
void DescribeQuestionEnd(INT_PTR end, const char* answered, char (&words)[kAnswerWordsSize]) {
    if (end == kQuestionAnswered) {
        text::Copy(words, answered);
    } else {
        text::Copy(words, end == kQuestionAborted ? kAbortWords : kNoDialogWords);
    }
}

// Text, path and language questions: the field (or list) shows the text
// offered, and OK answers with it.
void DescribeTextOffer(char (&words)[kAnswerWordsSize]) {
    text::Format(words, "\"%s\"", g_ui.question.defaultText ? g_ui.question.defaultText : "");
}

INT_PTR AnswerText(UnattendedRule) {
    const QuestionState& question = g_ui.question;
    if (question.answer != question.defaultText) {
        text::CopyInto(question.answer, static_cast<std::size_t>(question.answerSize), question.defaultText);
    }
    return kQuestionAnswered;
}

void DescribeTextEnd(INT_PTR end, char (&words)[kAnswerWordsSize]) {
    char answered[kAnswerWordsSize];
    text::Format(answered, "OK \"%s\"", g_ui.question.answer ? g_ui.question.answer : "");
    DescribeQuestionEnd(end, answered, words);
}

const char* NetworkWords(unsigned short choice) {
    for (const NetworkButton& button : kNetworkButtons) {
        if (button.answer == choice) return button.words;
    }
    return "no button (a network code of its own)";
}

void DescribeNetworkOffer(char (&words)[kAnswerWordsSize]) {
    text::Copy(words, NetworkWords(g_ui.question.networkChoice));
}

INT_PTR AnswerNetwork(UnattendedRule) {
    if (g_ui.question.networkAnswer) *g_ui.question.networkAnswer = g_ui.question.networkChoice;
    return kQuestionAnswered;
}

void DescribeNetworkEnd(INT_PTR end, char (&words)[kAnswerWordsSize]) {
    char answered[kAnswerWordsSize];
    text::Format(answered, "OK %s", NetworkWords(g_ui.question.networkChoice));
    DescribeQuestionEnd(end, answered, words);
}

void DescribeYesNoOffer(char (&words)[kAnswerWordsSize]) {
    text::Copy(words, kYesNoWords[g_ui.question.defaultYes ? kQuestionAnswered : kQuestionNo]);
}

// The replace question's lines, then its default button.
void DescribeReplaceOffer(char (&words)[kAnswerWordsSize]) {
    words[0] = '\0';
    const char* const* lines = g_ui.question.lines;
    for (int i = 0; lines && i < kReplaceLineCount && lines[i]; ++i) {
        text::Append(words, i ? " / \"" : "\"");
        text::Append(words, lines[i]);
        text::Append(words, "\"");
    }
    text::Append(words, ", proposed ");
    text::Append(words, kYesNoWords[g_ui.question.defaultYes ? kQuestionAnswered : kQuestionNo]);
}

INT_PTR AnswerYesNo(UnattendedRule) { return g_ui.question.defaultYes ? kQuestionAnswered : kQuestionNo; }

void DescribeYesNoEnd(INT_PTR end, char (&words)[kAnswerWordsSize]) {
    if (end == kQuestionNo) {
        text::Copy(words, kYesNoWords[kQuestionNo]);
    } else {
        DescribeQuestionEnd(end, kYesNoWords[kQuestionAnswered], words);
    }
}

const DialogReply kTextReply = {DescribeTextOffer, AnswerText, DescribeTextEnd};
const DialogReply kNetworkReply = {DescribeNetworkOffer, AnswerNetwork, DescribeNetworkEnd};
const DialogReply kYesNoReply = {DescribeYesNoOffer, AnswerYesNo, DescribeYesNoEnd};
const DialogReply kReplaceReply = {DescribeReplaceOffer, AnswerYesNo, DescribeYesNoEnd};

// A quiet run shows its main window before a question a person answers.
INT_PTR RunQuestion(const char* name, DLGPROC procedure, const QuestionState& question, const DialogReply& reply) {
    g_ui.question = question;
    if (g_setup.quietSwitch && !IsUnattendedRun()) ShowMainWindow(SW_SHOW);
    INT_PTR end = AskDialog(name, procedure, reply);
    g_ui.question = QuestionState();
    return end;
}

// The result of a question answered with OK.
int Answered(INT_PTR end) { return end == kQuestionAnswered ? 1 : 0; }

// A question of template `name` run by `procedure` whose answer is a text
// in answer[0..size), with `defaultText` offered.
int AskForText(const char* name, DLGPROC procedure, const char* defaultText, char* answer, int size) {
    QuestionState question = {};
    question.defaultText = defaultText;
    question.answer = answer;
    question.answerSize = size;
    return Answered(RunQuestion(name, procedure, question, kTextReply));
}

// The result of a yes/no question; `answer` is 1 only for Yes.
int YesNoAnswered(INT_PTR end, int& answer) {
    answer = end == kQuestionAnswered ? 1 : 0;
    return end == kQuestionAnswered || end == kQuestionNo ? 1 : 0;
}

void RemoveTrailingBlanks(char* text) {
    if (!text) return;
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == kBlank) text[--length] = '\0';
}

// A confirmed Abort stops the run without an error (result 1602).
void NoteAbort(HWND dialog) {
    char line[kMessageSize];
    GetDialogText(dialog, IDC_TEXT_LINE1, line, kMessageSize);
    char reason[kOutcomeReasonSize];
    text::Format(reason, "Abort in the question \"%s\"", line);
    NoteOutcome(g_setup.outcome, kOutcomeCancelled, reason);
}

// Escape, the close box and Abort: the user confirms, or the dialog stays.
// Returns 1 when `id` was one of them.
int ConfirmAbort(HWND dialog, int id) {
    if (id != IDCANCEL && id != IDC_ABORT) return 0;
    char question[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_ABORT_INSTALLATION, question);
    if (ShowMessageBox(nullptr, question, kProductCaption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
        NoteAbort(dialog);
        EndDialog(dialog, kQuestionAborted);
    }
    return 1;
}

// Appends " (name)" to a network button's label when the template has the
// button and the label stays below 80 characters.
void LabelNetworkButton(HWND dialog, int buttonId, const char* name, const char* notConfigured) {
    if (text::IsEmpty(name)) name = notConfigured;
    if (!GetDlgItem(dialog, buttonId)) return;
    char label[kNetworkLabelSize];
    GetDialogText(dialog, buttonId, label, kNetworkLabelSize);
    if (std::strlen(label) + std::strlen(name) + kNetworkNameFrame >= static_cast<std::size_t>(kNetworkLabelSize)) {
        return;
    }
    text::Append(label, kNetworkNameOpen);
    text::Append(label, name);
    text::Append(label, kNetworkNameClose);
    SetDialogText(dialog, buttonId, label);
}

void CheckNetworkButtons(HWND dialog, unsigned short choice) {
    for (const NetworkButton& button : kNetworkButtons) {
        SendDlgItemMessageA(dialog, button.buttonId, BM_SETCHECK, button.answer == choice ? BST_CHECKED : BST_UNCHECKED,
                            0);
    }
}

// The network answer of a radio button; 0 when `id` is none of them.
unsigned short NetworkAnswerOf(int id) {
    for (const NetworkButton& button : kNetworkButtons) {
        if (button.buttonId == id) return button.answer;
    }
    return 0;
}

BOOL StartNetworkBox(HWND dialog) {
    char notConfigured[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_NOT_CONFIGURED, notConfigured);
    for (int i = 0; i < kNamedNetworks; ++i) {
        LabelNetworkButton(dialog, kNetworkButtons[i].buttonId, g_ui.question.networkNames[i], notConfigured);
    }
    CheckNetworkButtons(dialog, g_ui.question.networkChoice);
    return TRUE;
}

// A radio button checks its network; OK answers with the checked one.
void NetworkCommand(HWND dialog, int id) {
    unsigned short choice = NetworkAnswerOf(id);
    if (choice != 0) {
        g_ui.question.networkChoice = choice;
        CheckNetworkButtons(dialog, choice);
    } else if (id == IDOK) {
        if (g_ui.question.networkAnswer) *g_ui.question.networkAnswer = g_ui.question.networkChoice;
        EndDialog(dialog, kQuestionAnswered);
    } else {
        ConfirmAbort(dialog, id);
    }
}

// Yes or No as the default button, with the focus on it.
BOOL StartYesNo(HWND dialog) {
    int button = g_ui.question.defaultYes ? IDC_ANSWER_YES : IDC_ANSWER_NO;
    SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(button), 0);
    SetFocus(GetDlgItem(dialog, button));
    return FALSE;  // the focus is set
}

void YesNoCommand(HWND dialog, int id) {
    if (id == IDC_ANSWER_YES) {
        EndDialog(dialog, kQuestionAnswered);
    } else if (id == IDC_ANSWER_NO) {
        EndDialog(dialog, kQuestionNo);
    } else {
        ConfirmAbort(dialog, id);
    }
}

BOOL StartReplaceBox(HWND dialog) {
    const char* const* lines = g_ui.question.lines;
    for (int i = 0; lines && i < kReplaceLineCount && lines[i]; ++i)
        SetDialogText(dialog, IDC_TEXT_LINE1 + i, lines[i]);
    return StartYesNo(dialog);
}

BOOL StartPathBox(HWND dialog) {
    SetDialogText(dialog, IDC_PATH_EDIT, g_ui.question.defaultText ? g_ui.question.defaultText : "");
    return TRUE;  // the dialog manager focuses the edit field and selects its text
}

void ReadPathAnswer(HWND dialog) {
    GetDialogText(dialog, IDC_PATH_EDIT, g_ui.question.answer, g_ui.question.answerSize);
}

BOOL StartLanguageBox(HWND dialog) {
    FillLanguageList(dialog, g_ui.question.defaultText);
    return TRUE;
}

// The chosen entry of the language list: a language's code, or the entry.
void ReadLanguageAnswer(HWND dialog) {
    char chosen[kLanguageNameSize];
    chosen[0] = '\0';
    GetWindowTextA(GetDlgItem(dialog, IDC_LANGUAGE_LIST), chosen, kLanguageNameSize);
    const LanguageEntry* language = FindLanguageByName(chosen);
    text::CopyInto(g_ui.question.answer, static_cast<std::size_t>(g_ui.question.answerSize),
                   language ? language->code : chosen);
}

// OK ends the question with the answer `readAnswer` takes from the dialog.
void AnswerCommand(HWND dialog, int id, void (*readAnswer)(HWND)) {
    if (id == IDOK) {
        readAnswer(dialog);
        EndDialog(dialog, kQuestionAnswered);
    } else {
        ConfirmAbort(dialog, id);
    }
}

void PathCommand(HWND dialog, int id) { AnswerCommand(dialog, id, ReadPathAnswer); }

void LanguageCommand(HWND dialog, int id) { AnswerCommand(dialog, id, ReadLanguageAnswer); }

}  // namespace

int AskPath(const char* name, const char* defaultText, char* answer, int size) {
    int answered = AskText(name, defaultText, answer, size);
    RemoveTrailingBlanks(answer);
    return answered;
}

int AskDirectory(const char* name, const char* proposal, ProposalCase proposalCase, char* target,
                 std::size_t size) {
    char shown[kPathAnswerSize];
    text::Copy(shown, proposal);
    if (proposalCase == kProposalUpperCase) text::UpperCase(shown);
    RemoveTrailingBackslash(shown);
    int answerSize = size < static_cast<std::size_t>(kPathAnswerSize) ? static_cast<int>(size) : kPathAnswerSize;
    if (!AskPath(name, shown, target, answerSize)) return 0;
    AddTrailingBackslash(target, size);
    text::UpperCase(target);
    return 1;
}

int AskText(const char* name, const char* defaultText, char* answer, int size) {
    return AskForText(name, PathDlgBox, defaultText, answer, size);
}

int AskLanguage(const char* name, const char* defaultCode, char* answer, int size) {
    return AskForText(name, LanguageDlgBox, defaultCode, answer, size);
}

int AskNetwork(unsigned short choice, unsigned short& answer, const char* primaryName, const char* secondName,
               const char* thirdName) {
    QuestionState question = {};
    question.networkChoice = choice;
    question.networkAnswer = &answer;
    question.networkNames[0] = primaryName;
    question.networkNames[1] = secondName;
    question.networkNames[2] = thirdName;
    const char* name = !text::IsEmpty(thirdName) || choice == kNetworkTertiary ? IDD_NETWORK3_BOX : IDD_NETWORK_BOX;
    return Answered(RunQuestion(name, NetworkDlgBox, question, kNetworkReply));
}

int AskYesNo(const char* name, int defaultYes, int& answer) {
    QuestionState question = {};
    question.defaultYes = defaultYes;
    return YesNoAnswered(RunQuestion(name, BoolDlgBox, question, kYesNoReply), answer);
}

int AskReplace(const char* const* lines, int defaultYes, int& answer) {
    QuestionState question = {};
    question.defaultYes = defaultYes;
    question.lines = lines;
    return YesNoAnswered(RunQuestion(IDD_REPLACE_BOX, ReplaceDlgBox, question, kReplaceReply), answer);
}

INT_PTR CALLBACK PathDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartPathBox, PathCommand});
}

INT_PTR CALLBACK LanguageDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartLanguageBox, LanguageCommand});
}

INT_PTR CALLBACK NetworkDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartNetworkBox, NetworkCommand});
}

INT_PTR CALLBACK BoolDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartYesNo, YesNoCommand});
}

INT_PTR CALLBACK ReplaceDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartReplaceBox, YesNoCommand});
}
