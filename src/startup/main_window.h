// The main window: a captionless strip at the bottom of the work area with the
// program's icon, a title line and one progress line.
#pragma once

#include <windows.h>

enum DisplayLineMode : int {
    kDisplayProgress = 1,
    kDisplayBoth = 2,
    kDisplayTitle = 3,
};

LRESULT CALLBACK InstallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int ShowMainWindow(int showCommand);
void SetDisplayLine(const char* text, int mode);
void PaintMainWindow(HWND window, PAINTSTRUCT* paintStruct);
int YieldToWindows(int force);

// The rectangle the window ends up in: the bottom of `workArea`, two icons high.
RECT MainWindowRect(RECT workArea, int iconHeight);

// The DDE conversation partner kept for the Program Manager conversation;
// (HWND)-1 when there is none.
extern HWND g_ddePartner;
