// The progress display: the title and progress lines of the run record, the
// main window's place and its growing animation when shown, and the yield
// that keeps the program responsive during long file work. The main window
// itself (startup/main_window.cpp) paints the lines.
#include "ui/progress_display.h"

#include <sys/timeb.h>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"
#include "ui/ui_state.h"

const char kProgramVersion[] = "6.00";

namespace {

const int kAnimationSteps = 10;
const int kDisplayLimit = kDisplayLineSize - 2;  // 199 characters are shown
const long kYieldIntervalMs = 250;
const int kWorkAreaRectSize = 16;  // the size SystemParametersInfoA is told
const int kProgramTitleSize = 101;

void CopyDisplayLine(char (&line)[kDisplayLineSize], const char* text) {
    text::CopyPrefix(line, text, kDisplayLimit);
}

void SetTitleLine() {
    char title[kProgramTitleSize];
    char format[kMessageSize];
    char line[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_PROGRAM_TITLE, title);
    LoadLocalString(g_setup.appInstance, IDS_TITLE_FORMAT, format);
    text::Format(line, format, title, kProgramVersion);
    SetDisplayLine(line, kDisplayTitle);
}

}  // namespace

void SetDisplayLine(const char* text, int mode) {
    if (mode == kDisplayProgress || mode == kDisplayBoth) CopyDisplayLine(g_setup.displayProgress, text);
    if (mode == kDisplayTitle || mode == kDisplayBoth) CopyDisplayLine(g_setup.displayTitle, text);
    // A hidden window (a quiet run before its first question) has nothing on
    // the screen to repaint; showing it paints the lines as they are then.
    if (!IsWindowVisible(g_setup.mainWindow)) return;
    InvalidateRect(g_setup.mainWindow, nullptr, TRUE);
    UpdateWindow(g_setup.mainWindow);
}

RECT MainWindowRect(RECT workArea, int iconHeight) {
    workArea.top = workArea.bottom - 2 * iconHeight;
    return workArea;
}

int ShowMainWindow(int showCommand) {
    g_setup.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_setup.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, kWorkAreaRectSize, &workArea, 0)) {
        workArea = {0, 0, g_setup.screenWidth, g_setup.screenHeight};
    }
    RECT r = MainWindowRect(workArea, GetSystemMetrics(SM_CYICON));
    ShowWindow(g_setup.mainWindow, showCommand);

    // Grow the window from the centre of its place in ten steps.
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    for (int step = 1; step <= kAnimationSteps; ++step) {
        int w = width * step / kAnimationSteps;
        int h = height * step / kAnimationSteps;
        int x = width / 2 - w / 2 + r.left;
        int y = height / 2 - h / 2 + r.top;
        MoveWindow(g_setup.mainWindow, x, y, w, h, TRUE);
        UpdateWindow(g_setup.mainWindow);
    }
    SetTitleLine();
    return 1;
}

int YieldToWindows(int force) {
    struct __timeb64 now;
    if (g_ui.yieldClock.firstYield) {
        g_ui.yieldClock.firstYield = 0;
    } else if (!force) {
        _ftime64(&now);
        long elapsed = static_cast<long>(now.time - g_ui.yieldClock.seconds) * 1000L +
                       (static_cast<long>(now.millitm) - static_cast<long>(g_ui.yieldClock.milliseconds));
        if (elapsed >= 0 && elapsed < kYieldIntervalMs) return 0;
    }
    MSG msg;
    PeekMessageA(&msg, g_setup.mainWindow, WM_QUIT, WM_QUIT, PM_NOREMOVE);
    _ftime64(&now);
    g_ui.yieldClock.seconds = now.time;
    g_ui.yieldClock.milliseconds = now.millitm;
    return 0;
}

// YieldToWindows keeps its interval by the runtime's clock, which costs some
// 20 microseconds a call under Wine, far more than copying a line; the tick
// count is one memory read. So the clock is consulted only once the tick
// count has moved on: the window is served as often as before, at most one
// tick later.
int YieldWhenTicked(int force) {
    DWORD now = GetTickCount();
    if (!force && now == g_ui.yieldClock.lastTick) return 0;
    g_ui.yieldClock.lastTick = now;
    return YieldToWindows(force);
}
