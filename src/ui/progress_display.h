// The progress display: the main window's title and progress lines, the
// window shown in its place at the bottom of the work area, and the periodic
// yield that long file work calls to keep the program responsive.
//
// The lines live in the run record (g_setup.displayTitle, displayProgress);
// the main window (startup/main_window.h) paints them. Everything here works
// on g_setup.mainWindow, so the messages, the questions and the safe rewrite
// below the window's own code can use it.
#pragma once

#include <windows.h>

// The program's version, as the title line shows it.
extern const char kProgramVersion[];

enum DisplayLineMode : int {
    kDisplayProgress = 1,
    kDisplayBoth = 2,
    kDisplayTitle = 3,
};

// Sets the line or lines of `mode` (any other mode sets none) to `text`, cut
// to 199 characters, and has a visible main window repaint them before the
// call returns.
void SetDisplayLine(const char* text, int mode);

// Places the main window at the bottom of the work area, shows it with
// `showCommand` growing from its centre, and sets the title line. Returns 1.
int ShowMainWindow(int showCommand);

// The rectangle the window ends up in: the bottom of `workArea`, two icons high.
RECT MainWindowRect(RECT workArea, int iconHeight);

// Lets Windows see that the program still answers: peeks at the main
// window's queue, nothing removed, at most every 250 ms unless `force` is
// set (the first yield of a run always peeks). Returns 0.
int YieldToWindows(int force);

// YieldToWindows for a copy loop that calls it after every line or block:
// asks the runtime's clock only once the tick count has moved on. Returns 0.
int YieldWhenTicked(int force);
