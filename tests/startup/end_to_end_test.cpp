// The real STNIN32.EXE started as a child process: a bad switch ends it after
// one box without a main window; without switches it shows the main window
// and the function box, and Quit ends it with exit code 0.
#include <gtest/gtest.h>

#include <string>

#include "support/process_driver.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kWindowTimeoutMs = 20000;
const DWORD kExitTimeoutMs = 20000;

std::string ProgramPath() { return tst::UnixToWinePath(TELMORA_STNIN32_PATH); }

// Waits, bounded, until a window of the child has gone.
bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += 50) {
        if (!IsWindow(window)) return true;
        Sleep(50);
    }
    return false;
}

TEST(EndToEndTest, BadSwitchShowsOneBoxAndEndsWithoutWindow) {
    tst::ChildProcess child;
    ASSERT_TRUE(child.Start(ProgramPath(), "/Z"));
    HWND box = child.WaitForDialog("Telmora", kWindowTimeoutMs);
    ASSERT_NE(box, nullptr) << child.Describe();
    EXPECT_EQ(child.DialogText(box), "Invalid command line switch");
    EXPECT_EQ(child.WaitForWindow("TelmoraInstall", 0), nullptr) << "no main window before the switches are accepted";
    EXPECT_TRUE(child.Press(box, IDOK));
    DWORD exitCode = 1;
    ASSERT_TRUE(child.WaitForExit(kExitTimeoutMs, &exitCode)) << child.Describe();
    EXPECT_EQ(exitCode, 0u);
}

TEST(EndToEndTest, WithoutSwitchesTheFunctionBoxRunsUntilQuit) {
    tst::ChildProcess child;
    ASSERT_TRUE(child.Start(ProgramPath(), ""));
    HWND box = child.WaitForDialog("Telmora installation", kWindowTimeoutMs);
    ASSERT_NE(box, nullptr) << child.Describe();
    HWND mainWindow = child.WaitForWindow("TelmoraInstall", kWindowTimeoutMs);
    ASSERT_NE(mainWindow, nullptr) << child.Describe();
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_EQ(child.ControlText(box, IDC_TEXT_LINE1), "What function do you want to perform?");
    EXPECT_EQ(SendDlgItemMessageW(box, IDC_FUNCTION_INSTALL, BM_GETCHECK, 0, 0), BST_CHECKED);

    EXPECT_TRUE(child.Press(box, IDC_FUNCTION_QUIT));
    EXPECT_EQ(SendDlgItemMessageW(box, IDC_FUNCTION_QUIT, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(child.Press(box, IDOK));
    ASSERT_TRUE(WaitUntilGone(box)) << child.Describe();

    DWORD exitCode = 1;
    ASSERT_TRUE(child.WaitForExit(kExitTimeoutMs, &exitCode)) << child.Describe();
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
