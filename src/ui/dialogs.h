// Running dialog templates from the language library or the program itself.
#pragma once

#include <windows.h>

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
