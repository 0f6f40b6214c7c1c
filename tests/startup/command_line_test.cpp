// The boxes of a refused command line, with the /I directory checked on
// disk, and an accepted line stored for the run (the grammar's rows are in
// command_line_table_test.cpp; every end-to-end run finds the setup
// directory above the program's own). The main window: a strip without a
// frame at the bottom of the work area, two icons high, with the program's
// title (every end-to-end run shows the first command run the job and quit;
// how often it yields is for bench/).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/setup_context.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/temp_directory.h"
#include "ui/progress_display.h"

namespace {

std::string Lower(std::string text) {
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

tst::Expectation Box(const char* caption, const std::string& text) {
    return tst::MessageBoxExpect(caption, text.c_str(), {IDOK}).Press(IDOK);
}

TEST(ParseCommandLine, ShowsTheBoxesOfARefusedLineAndStoresAnAcceptedOne) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory share;
    const std::string missing = share.Path() + "NOWHERE", refused = "Invalid direcory following /i switch";
    const struct {
        std::string line;
        std::vector<tst::Expectation> boxes;
    } cases[] = {
        {"/Z", {Box("Telmora", "Invalid command line switch")}},
        {"/Q abc", {Box("Telmora", "Invalid command line parameter")}},
        {"/I " + Lower(missing), {Box("Warning!", "Directory " + missing + " not found"), Box("Telmora", refused)}},
        {"/I \"" + share.Path() + "\"", {Box("Warning!", "File " + share.Path() + "TELMORA.INI not found"), Box("Telmora", refused)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        tst::DialogDriver driver;
        for (const tst::Expectation& box : c.boxes) driver.Expect(box);
        EXPECT_EQ(0, ParseCommandLine(c.line.c_str()));
    }
    ASSERT_TRUE(tst::WriteFile(share.File("TELMORA.INI"), "[SERVER]\r\n"));
    tst::DialogDriver driver;  // no box may appear
    ASSERT_EQ(1, ParseCommandLine(("-b /I " + Lower(share.Path()) + " /Q").c_str()));
    EXPECT_STREQ(share.Path().c_str(), g_setup.configDirectory);
    EXPECT_TRUE(g_setup.netBaseDirSwitch && g_setup.quietSwitch && g_setup.quietInstall);
    ASSERT_EQ(1, ParseCommandLine("/X"));  // and cleared for the next line
    EXPECT_TRUE(!g_setup.configDirectory[0] && !g_setup.netBaseDirSwitch && !g_setup.quietInstall && g_setup.uninstallMode);
}

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
