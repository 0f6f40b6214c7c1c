// Server areas: install defaults from the program's directory, the path
// questions' proposals and normal form, the network detection from
// SYSTEM.INI and the user settings sequence.
#include <gtest/gtest.h>

#include <direct.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "config/server_areas.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

const char kTitle[] = "Telmora installation";

std::string ControlText(HWND dialog, int id) {
    char buffer[300] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

class ServerAreasTest : public ::testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        settings_ = ClientSettings();
    }

    // Expects the path question `lines`, records the proposal shown, types `answer`.
    tst::Expectation PathQuestion(std::vector<std::string> lines, const char* answer) {
        return tst::DialogExpect(kTitle, std::move(lines))
            .OnShow([this](HWND dialog) { shown_.push_back(ControlText(dialog, IDC_PATH_EDIT)); })
            .Type(IDC_PATH_EDIT, answer)
            .Press(IDOK);
    }

    ClientSettings settings_;
    std::vector<std::string> shown_;
};

TEST_F(ServerAreasTest, InstallDefaultsFollowTheProgramsDirectory) {
    tst::TempDirectory temp;
    std::string base = temp.Path() + "TELMORA\\";
    ASSERT_EQ(_mkdir(base.c_str()), 0);
    ASSERT_EQ(_mkdir((base + "system").c_str()), 0);
    ASSERT_EQ(_mkdir((base + "SETUP").c_str()), 0);
    char saved[MAX_PATH];
    ASSERT_NE(_getcwd(saved, sizeof saved), nullptr);

    ASSERT_EQ(_chdir((base + "system").c_str()), 0);
    EXPECT_EQ(SetInstallDefaults(&settings_), 1);
    EXPECT_EQ(std::string(settings_.programDir), base + "SYSTEM\\");
    EXPECT_EQ(std::string(settings_.serverBaseDir), base);
    EXPECT_EQ(std::string(settings_.userArea), base + "USERS\\%NAME%\\");
    EXPECT_EQ(std::string(settings_.systemArea), base + "SYSTEM\\");
    EXPECT_EQ(std::string(settings_.requestArea), base + "REQUEST\\");
    EXPECT_EQ(settings_.timeout, 60) << "the general defaults apply too";

    ASSERT_EQ(_chdir((base + "SETUP").c_str()), 0);
    EXPECT_EQ(SetInstallDefaults(&settings_), 1);
    EXPECT_EQ(std::string(settings_.programDir), base + "SETUP\\");
    EXPECT_STREQ(settings_.serverBaseDir, "");
    EXPECT_STREQ(settings_.userArea, "");
    EXPECT_STREQ(settings_.systemArea, "");
    EXPECT_STREQ(settings_.requestArea, "");

    // A current directory of 256 characters is still taken; its backslash no
    // longer fits the field. ("\\?\" lets Windows create a directory that long.)
    std::string deep = base + std::string(256 - base.size(), 'D');
    ASSERT_TRUE(CreateDirectoryA(("\\\\?\\" + deep).c_str(), nullptr));
    ASSERT_EQ(_chdir(deep.c_str()), 0);
    EXPECT_EQ(SetInstallDefaults(&settings_), 1);
    EXPECT_EQ(std::string(settings_.programDir), deep);
    _chdir(saved);
}

TEST_F(ServerAreasTest, PathQuestionsProposeTheirDefaultsAndStoreTheNormalForm) {
    tst::DialogDriver driver;
    driver.Expect(PathQuestion({"Where do you want the spooled print files and"}, "c:\\fax   "));
    driver.Expect(PathQuestion({"Where are the Telmora files installed?"}, "C:\\"));
    driver.Expect(PathQuestion({"Where is the fax server's SystemArea?"}, "y:\\sys"));
    driver.Expect(PathQuestion({"Where is the fax server's RequestArea?"}, "y:\\req\\"));
    driver.Expect(PathQuestion({"Where is your Telmora UserArea?"}, "y:\\users\\%name%"));
    driver.Expect(PathQuestion({"Where do you want to create the TELMORA.INI"}, "d:\\ini"));

    EXPECT_EQ(AskLogArea(settings_.logArea), 1);
    EXPECT_STREQ(settings_.logArea, "C:\\FAX\\");
    EXPECT_EQ(AskServerBaseDir(settings_.serverBaseDir, 1), 1) << "the network variant needs /B as well";
    EXPECT_STREQ(settings_.serverBaseDir, "C:\\");
    EXPECT_EQ(AskServerAreas(&settings_), 1);
    EXPECT_STREQ(settings_.systemArea, "Y:\\SYS\\");
    EXPECT_STREQ(settings_.requestArea, "Y:\\REQ\\");
    EXPECT_STREQ(settings_.userArea, "Y:\\USERS\\%NAME%\\");
    EXPECT_EQ(AskConfigDirectory(g_setup.configDirectory, 1), 1);
    EXPECT_STREQ(g_setup.configDirectory, "D:\\INI\\");
    EXPECT_TRUE(driver.AllMet());

    const std::vector<std::string> proposals = {"C:\\TELMORA", "Z:\\", "Z:\\SYSTEM", "Z:\\REQUEST",
                                                "Z:\\USERS\\%NAME%", "C:\\TELMORA"};
    EXPECT_EQ(shown_, proposals);
}

TEST_F(ServerAreasTest, CurrentValuesAreProposedAndAbortLeavesTheTarget) {
    std::strcpy(settings_.logArea, "c:\\spool\\");
    std::strcpy(settings_.serverBaseDir, "Q:\\FAX\\");
    g_setup.netBaseDirSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(PathQuestion({"Where do you want the spooled print files and"}, "c:\\spool"));
    driver.Expect(tst::DialogExpect(kTitle, {"Where are the Network server's files installed?"})
                      .OnShow([this](HWND dialog) { shown_.push_back(ControlText(dialog, IDC_PATH_EDIT)); })
                      .Press(IDC_ABORT));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));

    EXPECT_EQ(AskLogArea(settings_.logArea), 1);
    EXPECT_STREQ(settings_.logArea, "C:\\SPOOL\\");
    EXPECT_EQ(AskServerBaseDir(settings_.serverBaseDir, 1), 0);
    EXPECT_STREQ(settings_.serverBaseDir, "Q:\\FAX\\");
    EXPECT_TRUE(driver.AllMet());
    const std::vector<std::string> proposals = {"C:\\SPOOL", "Q:\\FAX"};
    EXPECT_EQ(shown_, proposals) << "the log area's proposal is shown upper case";
}

TEST_F(ServerAreasTest, NetworksComeFromSystemIniAndTheConnectQuestionAsks) {
    ASSERT_TRUE(WritePrivateProfileStringA("boot", "network.drv", "NETWARE.DRV", "SYSTEM.INI"));
    ASSERT_TRUE(WritePrivateProfileStringA("boot", "thirdnet.drv", "other.drv", "SYSTEM.INI"));
    std::string primary, second, third;
    tst::DialogDriver driver;
    driver.Expect(tst::DialogExpect(kTitle, {"If required, Telmora will determine the Telmora user name"})
                      .OnShow([&](HWND dialog) {
                          primary = ControlText(dialog, IDC_NETWORK_PRIMARY);
                          second = ControlText(dialog, IDC_NETWORK_SECOND);
                          third = ControlText(dialog, IDC_NETWORK_THIRD);
                      })
                      .Checked(IDC_NETWORK_PRIMARY)
                      .Click(IDC_NETWORK_THIRD)
                      .Press(IDOK));
    driver.Expect(tst::MessageBoxExpect(kTitle, "Do you want to connect to a network server as well?", {IDYES, IDNO})
                      .Press(IDYES));

    unsigned short network = 6;
    EXPECT_EQ(DetectNetworks(&network), 1);
    EXPECT_EQ(network, 8);
    EXPECT_EQ(primary, "&Primary network (Novell Netware)");
    EXPECT_EQ(second, "&Second network (not configured)");
    EXPECT_EQ(third, "&Third network (other.drv)");
    int answer = 0;
    EXPECT_EQ(AskConnectToServer(&answer), 1);
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(ServerAreasTest, UserSettingsAskTheSpoolerOnlyOutsideNtAndWindows95) {
    std::strcpy(settings_.language, "ENG");
    settings_.network = 1;
    std::strcpy(settings_.spool, "LPT3");
    {
        // Windows NT: network, default user (the USERNAME variant), language.
        tst::FakeWindowsVersion nt(tst::kWindowsNT40);
        tst::DialogDriver driver;
        driver.Expect(tst::DialogExpect(kTitle, {}).Checked(IDC_NETWORK_NONE).Press(IDOK));
        driver.Expect(tst::DialogExpect(kTitle, {"Enter your TELMORA user name (or a single '?'"})
                          .Type(IDC_PATH_EDIT, "fred")
                          .Press(IDOK));
        driver.Expect(tst::DialogExpect(kTitle, {"Which language would you like to use for the"}).Press(IDOK));
        EXPECT_EQ(AskUserSettings(&settings_), 1);
        EXPECT_TRUE(driver.AllMet());
        EXPECT_STREQ(settings_.defaultUser, "FRED");
        EXPECT_EQ(settings_.useTsr, 0);
        EXPECT_STREQ(settings_.spool, "");
        EXPECT_STREQ(settings_.language, "ENG");
    }
    {
        // Windows 3.x with Win32s: the spooler question and its two devices; Abort in the last ends it.
        tst::FakeWindowsVersion win32s(0x80000003);
        tst::DialogDriver driver;
        driver.Expect(tst::DialogExpect(kTitle, {}).Click(IDC_NETWORK_PRIMARY).Press(IDOK));
        driver.Expect(tst::DialogExpect(kTitle, {"Your TELMORA user name is normally determined"}).Press(IDOK));
        driver.Expect(tst::DialogExpect(kTitle, {"Do you want to use the TSR spooler program?"}).Press(IDC_ANSWER_YES));
        driver.Expect(tst::DialogExpect(kTitle, {"The TSR spooler program will capture printer"})
                          .Type(IDC_PATH_EDIT, "lpt2")
                          .Press(IDOK));
        driver.Expect(tst::DialogExpect(kTitle, {"Output which has been captured may then be"}).Press(IDC_ABORT));
        driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
        EXPECT_EQ(AskUserSettings(&settings_), 0);
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(settings_.network, 6);
        EXPECT_EQ(settings_.useTsr, 1);
        EXPECT_STREQ(settings_.spool, "LPT2");
    }
}

}  // namespace
