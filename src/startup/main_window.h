// The main window: a captionless strip at the bottom of the work area with the
// program's icon, a title line and one progress line. Its procedure runs the
// first command and hands the DDE messages to the Program Manager
// conversation; the lines it paints are set through ui/progress_display.h.
#pragma once

#include <windows.h>

LRESULT CALLBACK InstallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintMainWindow(HWND window, PAINTSTRUCT* paintStruct);
