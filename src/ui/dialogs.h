// Running dialog templates from the language library or the program itself.
#pragma once

#include <windows.h>

#include "ui/box_log.h"
#include "ui/unattended_answers.h"

// The value passed to EndDialog, or -1 when no dialog could be created.
INT_PTR RunDialog(HINSTANCE instance, const char* name, HWND owner, DLGPROC procedure, LPARAM param);

// First call of every dialog procedure on WM_INITDIALOG; `lParamSlot` is the
// address of its lParam, which is replaced by the caller's own parameter.
int DialogStart(HWND dialog, WPARAM wParam, LPARAM* lParamSlot);

// The common start of every dialog: DialogStart, then centring on the screen.
void DialogCommonStart(HWND dialog, WPARAM wParam, LPARAM* lParamSlot);

// What a dialog of the program does beyond the common start: `start` on
// WM_INITDIALOG returns TRUE to let the dialog manager set the focus (FALSE
// when it set the focus itself); `command` takes each WM_COMMAND's control id.
struct DialogSteps {
    BOOL (*start)(HWND dialog);
    void (*command)(HWND dialog, int id);
};

// The dialog procedure every dialog of the program follows: WM_INITDIALOG
// runs DialogCommonStart and `steps.start`, WM_COMMAND runs `steps.command`
// and is handled; any other message is left to the dialog manager.
INT_PTR RunDialogSteps(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, const DialogSteps& steps);

// What a question's dialog offers and how it is answered, for the action log
// and for an unattended run, which answers without creating the dialog.
struct DialogReply {
    // The text or choice offered, in words (the default button's answer).
    void (*describeOffer)(char (&words)[kAnswerWordsSize]);
    // Answers as the dialog procedure would after the choice `rule` makes:
    // writes the answer where the procedure writes it and returns the end value.
    INT_PTR (*answer)(UnattendedRule rule);
    // The answer the dialog ended with (`end`), in words.
    void (*describeEnd)(INT_PTR end, char (&words)[kAnswerWordsSize]);
};

// Template `name` run by `procedure`, modal to the main window, through
// RunDialog; in an unattended run answered as its row of the unattended
// answers says, without a dialog. The action log gets the template's words,
// the offer and the answer. Returns the end value.
INT_PTR AskDialog(const char* name, DLGPROC procedure, const DialogReply& reply);
