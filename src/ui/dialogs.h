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
