// The workflow driver: the function box loop, the switches that run a
// workflow without it, QVTLINIT, the reboot loop and the version tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/setup_context.h"
#include "common/windows_version.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "ui/resource_ids.h"
#include "workflow/workflow_driver.h"

namespace {

const char kTitle[] = "Telmora installation";
const char kFunctionQuestion[] = "What function do you want to perform?";

// Counts the runs of each workflow; each returns what the test asks.
struct WorkflowLog {
    int install = 0, edit = 0, copy = 0, update = 0, uninstall = 0;
    int installResult = 1;
    int setsRebootNeeded = 0;
    std::string order;
};
WorkflowLog* s_log = nullptr;

int FakeInstall() {
    ++s_log->install;
    s_log->order += "I";
    if (s_log->setsRebootNeeded) g_setup.rebootNeeded = 1;
    return s_log->installResult;
}
int FakeEdit() { return ++s_log->edit, s_log->order += "E", 1; }
int FakeCopy() { return ++s_log->copy, s_log->order += "C", 1; }
int FakeUpdate() { return ++s_log->update, s_log->order += "U", 1; }
int FakeUninstall() { return ++s_log->uninstall, s_log->order += "X", 1; }

using ExitWindowsFake = tst::CountingFake<BOOL, UINT, DWORD>;

class WorkflowDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_workflows;
        g_workflows = {FakeInstall, FakeEdit, FakeCopy, FakeUpdate, FakeUninstall};
        s_log = &log_;
        tst::FreshRunState();
        _putenv_s("QVTLINIT", "");
    }
    void TearDown() override {
        g_workflows = saved_;
        s_log = nullptr;
    }

    static tst::Expectation FunctionBox(int checked) {
        return tst::DialogExpect(kTitle, {kFunctionQuestion}).Checked(checked);
    }
    static tst::Expectation RebootBox(int defaultButton) {
        return tst::DialogExpect(kTitle, {"You must reboot your PC for the changes to", "AUTOEXEC.BAT to take effect"})
            .Default(defaultButton);
    }

    WorkflowLog log_;
    SetupWorkflows saved_ = {};
    // Never log the test session off, whatever a test does.
    ExitWindowsFake exitWindows_{"USER32.dll", "ExitWindowsEx", TRUE};
};

TEST_F(WorkflowDriverTest, FunctionBoxOffersInstallFirstThenQuitAndReportsFailures) {
    log_.installResult = 0;
    tst::DialogDriver driver;
    driver.Expect(FunctionBox(IDC_FUNCTION_INSTALL).Press(IDOK));
    // After the failed install the box offers Quit; clear the line to see it written again.
    driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).OnShow([](HWND) { g_setup.displayProgress[0] = '\0'; }).Press(IDOK));

    EXPECT_EQ(RunWorkflowDriver(), 1);
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ(log_.order, "I");
    EXPECT_STREQ(g_setup.displayProgress, "Installation aborted");
    EXPECT_EQ(exitWindows_.Calls(), 0);
}

TEST_F(WorkflowDriverTest, EachChoiceRunsItsWorkflowAndEscapeQuits) {
    tst::DialogDriver driver;
    driver.Expect(FunctionBox(IDC_FUNCTION_INSTALL).Click(IDC_FUNCTION_EDIT).Press(IDOK));
    driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Click(IDC_FUNCTION_COPY).Press(IDOK));
    driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Click(IDC_FUNCTION_UPDATE).Press(IDOK));
    driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Click(IDC_FUNCTION_UNINSTALL).Press(IDOK));
    // Uninstall changes the run for good; the next install keeps the uninstall mode.
    driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Click(IDC_FUNCTION_INSTALL).Press(IDOK));
    // A radio button's click only moves the check; Escape then quits whatever is checked.
    driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Click(IDC_FUNCTION_EDIT).Press(IDCANCEL));

    EXPECT_EQ(RunWorkflowDriver(), 1);
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ(log_.order, "ECUXI");
    EXPECT_EQ(g_setup.uninstallMode, 1);
    EXPECT_STREQ(g_setup.displayProgress, "");
}

TEST_F(WorkflowDriverTest, SwitchesRunWorkflowsWithoutOrBeforeTheFunctionBox) {
    struct Case {
        int quietSwitch, quietInstall, updateSwitch;
        bool functionBox;
        const char* order;
    };
    const Case cases[] = {
        {1, 1, 0, false, "I"},  // /Q: install once, no function box
        {1, 0, 1, false, "U"},  // /Q /U: update once
        {0, 0, 1, true, "U"},   // /U: update, then the function box
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        log_ = WorkflowLog();
        g_setup.quietSwitch = c.quietSwitch;
        g_setup.quietInstall = c.quietInstall;
        g_setup.updateSwitch = c.updateSwitch;
        tst::DialogDriver driver;
        if (c.functionBox) driver.Expect(FunctionBox(IDC_FUNCTION_INSTALL).Click(IDC_FUNCTION_QUIT).Press(IDOK));
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(log_.order, c.order);
    }
}

TEST_F(WorkflowDriverTest, QvtlinitIsCutAndEndsInABackslash) {
    struct Case {
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"C:\\FAX", "C:\\FAX\\"},
        {"C:\\FAX\\", "C:\\FAX\\"},
        {std::string(300, 'A'), std::string(254, 'A') + "\\"},
    };
    g_setup.quietSwitch = 1;  // no function box, no workflow
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        _putenv_s("QVTLINIT", c.value.c_str());
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_EQ(std::string(g_setup.qvtlinitValue), c.expected);
    }
    EXPECT_EQ(log_.order, "");
}

TEST_F(WorkflowDriverTest, RebootLoopOnlyOutsideNtAndQuietRuns) {
    log_.setsRebootNeeded = 1;
    {
        // Windows 95: Reboot and Return to DOS log off and come back; Exit leaves.
        tst::FakeWindowsVersion windows95(tst::kWindows95);
        tst::DialogDriver driver;
        driver.Expect(FunctionBox(IDC_FUNCTION_INSTALL).Press(IDOK));
        driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Press(IDOK));
        driver.Expect(RebootBox(IDC_REBOOT).Press(IDC_REBOOT));
        driver.Expect(RebootBox(IDC_REBOOT).Press(IDC_RETURN_TO_DOS));
        driver.Expect(RebootBox(IDC_RETURN_TO_DOS).Press(IDC_REBOOT_EXIT));
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(exitWindows_.Calls(), 2);
        EXPECT_EQ(std::get<0>(exitWindows_.LastArguments()), static_cast<UINT>(EWX_LOGOFF));
        EXPECT_EQ(std::get<1>(exitWindows_.LastArguments()), 0xFFFFFFFFu);
    }
    {
        // Escape in the reboot box leaves too.
        tst::FakeWindowsVersion windows95(tst::kWindows95);
        tst::DialogDriver driver;
        driver.Expect(FunctionBox(IDC_FUNCTION_INSTALL).Press(IDOK));
        driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Press(IDOK));
        driver.Expect(RebootBox(IDC_REBOOT).Press(IDCANCEL));
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_TRUE(driver.AllMet());
    }
    for (DWORD nt : {tst::kWindowsNT40, tst::kWindowsNT351}) {
        // Windows NT: never; an unexpected reboot box would fail the test.
        tst::FakeWindowsVersion version(nt);
        tst::DialogDriver driver;
        driver.Expect(FunctionBox(IDC_FUNCTION_INSTALL).Press(IDOK));
        driver.Expect(FunctionBox(IDC_FUNCTION_QUIT).Press(IDOK));
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_TRUE(driver.AllMet());
    }
    {
        // A quiet run: never.
        tst::FakeWindowsVersion windows95(tst::kWindows95);
        g_setup.quietSwitch = 1;
        g_setup.quietInstall = 1;
        tst::DialogDriver driver;
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_EQ(g_setup.rebootNeeded, 1);
    }
    EXPECT_EQ(exitWindows_.Calls(), 2);
}

TEST(WindowsVersionTest, VersionTestsReadTheVersionNumber) {
    struct Case {
        DWORD version;
        int nt, windows95, version4, nt351;
    };
    const Case cases[] = {
        {tst::kWindows95, 0, 1, 1, 0},
        {0xC0000A04, 0, 1, 1, 0},  // Windows 98: 4.10, same family
        {tst::kWindowsNT40, 1, 0, 1, 0},
        {tst::kWindowsNT351, 1, 0, 0, 1},
        {0x1DB10106, 1, 0, 0, 0},  // Windows 7
        {0x80000003, 0, 0, 0, 0},  // Win32s on Windows 3.1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        tst::FakeWindowsVersion version(c.version);
        EXPECT_EQ(IsWindowsNT(), c.nt);
        EXPECT_EQ(IsWindows95(), c.windows95);
        EXPECT_EQ(IsVersion4(), c.version4);
        EXPECT_EQ(IsWindowsNT351(), c.nt351);
    }
}

}  // namespace
