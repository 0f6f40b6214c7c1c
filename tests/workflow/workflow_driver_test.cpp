// The workflow driver in-process, with the workflows replaced by fakes: what
// no run of the real program shows from outside (the progress line, a
// logged-off session, the unattended answers no rollout reaches) and its rules
// as tables (QVTLINIT, the reboot loop, the version tests); and one real edit
// whose failure shows only on the progress line. The choices and switches run
// end to end (end_to_end_test, rollout_test).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/windows_version.h"
#include "config/server_areas.h"
#include "files/directories.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/setup_run.h"
#include "support/temp_directory.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"
#include "workflow/config_location.h"
#include "workflow/workflow_driver.h"

namespace {

// Install counts its runs, returns what the test asks and may change AUTOEXEC.BAT.
int s_installs = 0, s_installResult = 1, s_setsRebootNeeded = 0;

int FakeInstall() {
    g_setup.rebootNeeded |= s_setsRebootNeeded;
    return ++s_installs, s_installResult;
}
int FakeOther() { return 1; }

class WorkflowDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_workflows = {FakeInstall, FakeOther, FakeOther, FakeOther, FakeOther};
        tst::FreshRunState();
        _putenv_s("QVTLINIT", "");
        s_installs = s_setsRebootNeeded = 0;
        s_installResult = 1;
    }
    void TearDown() override { g_workflows = saved_; }

    SetupWorkflows saved_ = g_workflows;
    tst::CountingFake<BOOL, UINT, DWORD> exitWindows_{"USER32.dll", "ExitWindowsEx", TRUE};  // never log off
};

// The first box offers Install, every later one Quit; a failed workflow puts
// "Installation aborted" on the progress line, also again on Quit.
TEST_F(WorkflowDriverTest, FunctionBoxOffersInstallFirstThenQuitAndReportsFailures) {
    s_installResult = 0;
    tst::DialogDriver driver;
    driver.Expect(tst::FunctionBox(IDC_FUNCTION_INSTALL).Checked(IDC_FUNCTION_INSTALL));
    driver.Expect(tst::FunctionBox(IDC_FUNCTION_QUIT).OnShow([](HWND) { g_setup.displayProgress[0] = '\0'; }));
    EXPECT_EQ(RunWorkflowDriver(), 1);
    EXPECT_EQ(s_installs, 1);
    EXPECT_STREQ(g_setup.displayProgress, "Installation aborted");
}

TEST_F(WorkflowDriverTest, QvtlinitIsCutAndEndsInABackslash) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"C:\\FAX", "C:\\FAX\\"}, {"C:\\FAX\\", "C:\\FAX\\"}, {std::string(300, 'A'), std::string(254, 'A') + "\\"}};
    g_setup.quietSwitch = 1;  // no function box, no workflow
    for (const auto& c : cases) {
        _putenv_s("QVTLINIT", c.first.c_str());
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_EQ(std::string(g_setup.qvtlinitValue), c.second) << c.first;
    }
}

// After a workflow changed AUTOEXEC.BAT: on Windows 95, Reboot and Return to
// DOS log off and come back with their button the default, Exit or Escape
// leave; never on Windows NT, never in a quiet run.
TEST_F(WorkflowDriverTest, RebootLoopOnlyOutsideNtAndQuietRuns) {
    const struct {
        DWORD version;
        int quiet;
        std::vector<std::pair<int, int>> boxes;  // default button, press
        int logoffs;
    } cases[] = {
        {tst::kWindows95, 0, {{IDC_REBOOT, IDC_REBOOT}, {IDC_REBOOT, IDC_RETURN_TO_DOS}, {IDC_RETURN_TO_DOS, IDC_REBOOT_EXIT}}, 2},
        {tst::kWindows95, 0, {{IDC_REBOOT, IDCANCEL}}, 0},
        {tst::kWindowsNT40, 0, {}, 0},
        {tst::kWindows95, 1, {}, 0},
    };
    s_setsRebootNeeded = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version << " quiet " << c.quiet);
        tst::CountingFake<BOOL, UINT, DWORD> exitWindows("USER32.dll", "ExitWindowsEx", TRUE);
        tst::FakeWindowsVersion version(c.version);
        g_setup.quietSwitch = g_setup.quietInstall = c.quiet;
        tst::DialogDriver driver;
        if (!c.quiet) driver.Expect(tst::FunctionBox(IDC_FUNCTION_INSTALL).Checked(IDC_FUNCTION_INSTALL));
        if (!c.quiet) driver.Expect(tst::FunctionBox(IDC_FUNCTION_QUIT));
        for (const auto& box : c.boxes) {
            driver.Expect(tst::DialogExpect("Telmora installation", {"You must reboot your PC for the changes to",
                                                                     "AUTOEXEC.BAT to take effect"})
                              .Default(box.first)
                              .Press(box.second));
        }
        EXPECT_EQ(RunWorkflowDriver(), 1);
        EXPECT_EQ(exitWindows.Calls(), c.logoffs);
        EXPECT_TRUE(!c.logoffs || exitWindows.LastArguments() == std::make_tuple(UINT{EWX_LOGOFF}, DWORD{0xFFFFFFFF}));
    }
}

// Should an unattended answer bring its question back after all, a person is
// needed after 5 s: the box then shows, and the dialog driver fails the test.
DWORD WINAPI NeedAPersonLater(void* done) {
    if (WaitForSingleObject(done, 5000) == WAIT_TIMEOUT) g_setup.unattended = 0;
    return 0;
}

// Nobody answers, no box shows: the reboot box is left with Exit (no log-off),
// the function box quits after /U's update, a TELMORA.INI found nowhere and a
// refused device name end the run as failed instead of asking again, and the
// network server is not connected (its path would be asked next).
TEST_F(WorkflowDriverTest, UnattendedAnswersNeitherWaitNorLoop) {
    const struct {
        const char* what;
        int (*run)();
        int result, installs, code;
    } cases[] = {
        {"reboot box", [] { return s_setsRebootNeeded = 1, RunWorkflowDriver(); }, 1, 1, 3010},
        {"function box after /U", [] { return g_setup.updateSwitch = 1, RunWorkflowDriver(); }, 1, 0, 0},
        {"TELMORA.INI nowhere", [] { return InitWindowsDirectories() ? LocateConfigFile(kLocateFindExisting) : -1; },
         0, 0, 1603},
        {"refused device name", [] {
             char device[kDeviceSize] = "LPT1.";
             return AskSpoolDevice(device);
         }, 0, 0, 1603},
        {"network server", [] { return AskConnectToServer(&s_installResult), s_installResult; }, 0, 0, 0},
    };
    tst::FakeWindowsVersion version(tst::kWindows95);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        g_setup.unattended = 1;
        tst::DialogDriver driver;
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE watchdog = CreateThread(nullptr, 0, NeedAPersonLater, done, 0, nullptr);
        EXPECT_EQ(c.run(), c.result);
        SetEvent(done);
        WaitForSingleObject(watchdog, INFINITE);
        CloseHandle(watchdog), CloseHandle(done);
        EXPECT_EQ(s_installs, c.installs);
        EXPECT_EQ(exitWindows_.Calls(), 0);
        EXPECT_EQ(OutcomeCode(g_setup.outcome, g_setup.rebootNeeded), c.code);
    }
}

// The real edit: a new language whose files the running client holds ends it as failed, before anything
// is written, so the progress line says so; so does a copy aborted at its first question.
TEST(EditWorkflow, ALanguageTheRunningClientHoldsStopsTheEdit) {
    tst::FreshRunState();
    tst::UseMainWindow();
    text::Copy(g_setup.setupDirectory, "F:\\SYSTEM\\");
    const char config[] = "[WORKSTATION]\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";
    ASSERT_TRUE(tst::WriteFile("C:\\windows\\TELMORA.INI", config) && tst::StartClient());
    tst::DialogDriver driver;
    driver.Expect(tst::FunctionBox(IDC_FUNCTION_EDIT));
    auto question = [](const char* line) { return tst::DialogExpect(tst::kSetupTitle, {line}); };
    driver.Expect(question("If required, Telmora will determine the Telmora user name"));
    driver.Expect(question("Your TELMORA user name is normally determined"));
    driver.Expect(question("Which language would you like to use for the").Select(IDC_LANGUAGE_LIST, "German"));
    driver.Expect(question("Where do you want the spooled print files and"));
    driver.Expect(tst::MessageBoxExpect("Error!", "Unable to copy foreign language DLL.\nPlease closedown Telmora "
                                                  "client and try again.", {IDOK}));
    // Then a copy aborted at its first question fails as well.
    driver.Expect(tst::FunctionBox(IDC_FUNCTION_COPY).OnShow([](HWND) {
        EXPECT_STREQ(g_setup.displayProgress, "Installation aborted") << "after the edit";
        g_setup.displayProgress[0] = '\0';
    }));
    driver.Expect(question("Where do you want to copy the Telmora").Press(IDC_ABORT));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    driver.Expect(tst::FunctionBox(IDC_FUNCTION_QUIT).OnShow([](HWND) { g_setup.displayProgress[0] = '\0'; }));
    EXPECT_EQ(RunWorkflowDriver(), 1);
    tst::StopClient();
    EXPECT_STREQ(g_setup.displayProgress, "Installation aborted");
    EXPECT_EQ(tst::ReadFile("C:\\windows\\TELMORA.INI"), config);
    DeleteFileA("C:\\windows\\TELMORA.INI");
}

// The version tests, as "NT, 95, version 4, NT 3.51".
TEST(WindowsVersionTest, VersionTestsReadTheVersionNumber) {
    const std::pair<DWORD, const char*> cases[] = {
        {tst::kWindows95, "0110"},   {0xC0000A04, "0110"},  // Windows 98: 4.10, same family
        {tst::kWindowsNT40, "1010"}, {tst::kWindowsNT351, "1001"},
        {0x1DB10106, "1000"},        {0x80000003, "0000"},  // Windows 7; Win32s on Windows 3.1
        {0x80000000, "0000"},                               // the lowest value with the top bit
    };
    for (const auto& c : cases) {
        tst::FakeWindowsVersion version(c.first);
        EXPECT_EQ(std::to_string(IsWindowsNT()) + std::to_string(IsWindows95()) + std::to_string(IsVersion4()) +
                      std::to_string(IsWindowsNT351()), c.second) << std::hex << c.first;
    }
}

}  // namespace
