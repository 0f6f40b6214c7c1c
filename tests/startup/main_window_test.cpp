// The main window: its place at the bottom of the work area and the display
// lines. (Every end-to-end run shows the first command run the job and quit,
// every Program Manager item the DDE partner kept; how often the program
// yields is a matter of speed, for bench/.)
#include <gtest/gtest.h>

#include <string>

#include "common/setup_context.h"
#include "support/main_window_once.h"
#include "ui/progress_display.h"

namespace {

TEST(MainWindowTest, StripSitsAtTheBottomOfTheWorkAreaTwoIconsHigh) {
    RECT r = MainWindowRect(RECT{0, 0, 1024, 740}, 32);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 676);
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.bottom, 740);
    tst::UseMainWindow();
    EXPECT_EQ(GetWindowLongA(g_setup.mainWindow, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
    ASSERT_EQ(ShowMainWindow(SW_SHOW), 1);
    EXPECT_STREQ(g_setup.displayTitle, "Telmora client installation program (32 bit) - version 6.00");
    RECT area, shown;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) && GetWindowRect(g_setup.mainWindow, &shown));
    RECT expected = MainWindowRect(area, GetSystemMetrics(SM_CYICON));
    EXPECT_TRUE(EqualRect(&shown, &expected));
}

TEST(MainWindowTest, DisplayLinesAreReplacedAndCut) {
    tst::UseMainWindow();
    SetDisplayLine("Title", kDisplayTitle);
    SetDisplayLine("first", kDisplayProgress);
    SetDisplayLine("second", kDisplayProgress);
    SetDisplayLine("ignored", 4);  // no such line
    EXPECT_STREQ(g_setup.displayProgress, "second");
    EXPECT_STREQ(g_setup.displayTitle, "Title");
    SetDisplayLine(std::string(300, 'x').c_str(), kDisplayBoth);
    EXPECT_EQ(std::string(g_setup.displayProgress), std::string(199, 'x'));
    EXPECT_EQ(std::string(g_setup.displayTitle), std::string(199, 'x'));
    RedrawWindow(g_setup.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // full-length lines paint
    SetDisplayLine("", kDisplayBoth);
}

}  // namespace
