// The main window: a strip without a frame at the bottom of the work area,
// two icons high, with the program's title. (Every end-to-end run shows the
// first command run the job and quit; how often it yields is for bench/.)
#include <gtest/gtest.h>

#include "common/setup_context.h"
#include "support/fresh_run_state.h"
#include "ui/progress_display.h"

namespace {

TEST(MainWindowTest, StripSitsAtTheBottomOfTheWorkAreaTwoIconsHigh) {
    RECT r = MainWindowRect(RECT{0, 0, 1024, 740}, 32), strip = {0, 676, 1024, 740};
    EXPECT_TRUE(EqualRect(&r, &strip)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    tst::UseMainWindow();
    EXPECT_EQ(GetWindowLongA(g_setup.mainWindow, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
    ASSERT_EQ(ShowMainWindow(SW_SHOW), 1);
    EXPECT_STREQ(g_setup.displayTitle, "Telmora client installation program (32 bit) - version 6.00");
    RECT area, shown;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) && GetWindowRect(g_setup.mainWindow, &shown));
    RECT expected = MainWindowRect(area, GetSystemMetrics(SM_CYICON));
    EXPECT_TRUE(EqualRect(&shown, &expected));
}

}  // namespace
