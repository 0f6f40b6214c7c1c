// The boxes of a refused command line, with the /I directory checked on
// disk, and an accepted line stored for the run (the grammar's rows are in
// command_line_table_test.cpp; every end-to-end run finds the setup
// directory above the program's own).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/setup_context.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

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

}  // namespace
