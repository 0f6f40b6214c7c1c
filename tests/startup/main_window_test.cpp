// The main window: its place at the bottom of the work area, the title and
// progress lines, the first command, the DDE partner and the yield.
#include <gtest/gtest.h>

#include <dde.h>

#include <string>

#include "common/setup_context.h"
#include "desktop/desktop_state.h"
#include "startup/main_window.h"
#include "startup/startup.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"
#include "workflow/workflow_driver.h"

namespace {

// One main window for the whole executable, as the program has.
HWND MainWindow() {
    static HWND window = nullptr;
    if (!window) {
        EXPECT_NE(RegisterMainWindowClass(g_setup.appInstance), 0);
        EXPECT_EQ(CreateMainWindow(g_setup.appInstance, SW_SHOW), 1);
        window = g_setup.mainWindow;
    }
    g_setup.mainWindow = window;
    return window;
}

TEST(MainWindowTest, StripSitsAtTheBottomOfTheWorkAreaTwoIconsHigh) {
    RECT workArea = {0, 0, 1024, 768 - 28};  // a 28-pixel taskbar at the bottom
    RECT r = MainWindowRect(workArea, 32);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 676);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 64);

    HWND window = MainWindow();
    ASSERT_NE(window, nullptr);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "TelmoraInstall");
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Telmora Installation");
    EXPECT_FALSE(IsWindowVisible(window)) << "created hidden";
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);

    ASSERT_EQ(ShowMainWindow(SW_SHOW), 1);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    RECT expected = MainWindowRect(area, GetSystemMetrics(SM_CYICON));
    RECT actual;
    GetWindowRect(window, &actual);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
    EXPECT_EQ(g_setup.screenWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_STREQ(g_setup.displayTitle, "Telmora client installation program (32 bit) - version 6.00");
    EXPECT_STREQ(g_setup.displayProgress, "");
}

TEST(MainWindowTest, DisplayLinesAreReplacedAndCut) {
    MainWindow();
    SetDisplayLine("Title", kDisplayTitle);
    SetDisplayLine("first", kDisplayProgress);
    SetDisplayLine("second", kDisplayProgress);
    EXPECT_STREQ(g_setup.displayProgress, "second");
    EXPECT_STREQ(g_setup.displayTitle, "Title");

    SetDisplayLine("ignored", 4);  // no such line
    EXPECT_STREQ(g_setup.displayProgress, "second");
    EXPECT_STREQ(g_setup.displayTitle, "Title");

    std::string longText(300, 'x');
    SetDisplayLine(longText.c_str(), kDisplayBoth);
    EXPECT_EQ(std::string(g_setup.displayProgress), std::string(199, 'x'));
    EXPECT_EQ(std::string(g_setup.displayTitle), std::string(199, 'x'));

    // Painting both lines at full length must not upset anything.
    RedrawWindow(g_setup.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SetDisplayLine("", kDisplayBoth);
}

TEST(MainWindowTest, DdeAcknowledgementsKeepTheConversationPartner) {
    HWND window = MainWindow();
    HWND partner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    SendMessageA(window, WM_DDE_ACK, reinterpret_cast<WPARAM>(partner), 0);
    EXPECT_EQ(g_desktop.ddePartner, partner);
    SendMessageA(window, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(partner), 0);
    EXPECT_EQ(g_desktop.ddePartner, kNoDdePartner);
}

int s_installRuns = 0;
int s_uninstallRuns = 0;
int CountInstall() { return ++s_installRuns, 1; }
int CountUninstall() { return ++s_uninstallRuns, 1; }

bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(MainWindowTest, FirstCommandRunsTheJobAndQuits) {
    HWND window = MainWindow();
    SetupWorkflows saved = g_workflows;
    g_workflows.install = CountInstall;
    g_workflows.uninstall = CountUninstall;
    g_setup.quietSwitch = 1;
    g_setup.quietInstall = 1;

    SendMessageA(window, WM_COMMAND, IDM_RUN_DRIVER, 0);
    EXPECT_EQ(s_installRuns, 1);
    EXPECT_TRUE(QuitPosted());

    SendMessageA(window, WM_COMMAND, IDM_UNINSTALL, 0);
    EXPECT_EQ(s_uninstallRuns, 1);
    EXPECT_TRUE(QuitPosted());

    SendMessageA(window, WM_COMMAND, 3999, 0);  // any other command does nothing
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(s_installRuns + s_uninstallRuns, 2);

    g_workflows = saved;
    tst::FreshRunState();
}

using PeekFake = tst::CountingFake<BOOL, LPMSG, HWND, UINT, UINT, UINT>;

TEST(MainWindowTest, YieldLooksAtTheQueueAtMostEvery250Milliseconds) {
    MainWindow();
    PeekFake peek("USER32.dll", "PeekMessageA", FALSE);
    ASSERT_TRUE(peek.Installed());
    YieldToWindows(1);  // the first yield of a run always peeks
    EXPECT_EQ(peek.Calls(), 1);
    EXPECT_EQ(std::get<1>(peek.LastArguments()), g_setup.mainWindow);
    EXPECT_EQ(std::get<2>(peek.LastArguments()), static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(std::get<4>(peek.LastArguments()), static_cast<UINT>(PM_NOREMOVE));

    YieldToWindows(0);  // within 250 ms: nothing
    EXPECT_EQ(peek.Calls(), 1);
    YieldToWindows(1);  // forced: always
    EXPECT_EQ(peek.Calls(), 2);
    Sleep(300);
    YieldToWindows(0);
    EXPECT_EQ(peek.Calls(), 3);
}

}  // namespace
