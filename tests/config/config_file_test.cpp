// TELMORA.INI on real files, one row per case: which sections each read mode takes, when [SERVER] is in step
// with the workstation, the server base directory; the file written byte for byte around the lines the
// program does not own. The writes' failure points are in tests/autoexec/safe_rewrite_faults_test.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "common/setup_context.h"
#include "config/config_file.h"
#include "support/fresh_run_state.h"
#include "support/temp_directory.h"

namespace {

const std::string kSample =
    "[WORKSTATION]\r\nuserarea:z:\\telmora\\users\\%username%\r\nSystemArea: Z:\\TELMORA\\SYSTEM\r\n"
    "RequestArea: Z:\\TELMORA\\REQUEST\r\n";
const std::string kServerInStep =
    "[SERVER]\r\nServerArea: z:\\telmora\\server\r\nSystemArea: Z:\\TELMORA\\SYSTEM\r\n"
    "AllUserArea: Z:\\TELMORA\\USERS\r\nRequestArea: z:\\telmora\\request\r\n";
const std::string kServerOtherRequest =
    "[SERVER]\r\nServerArea: Z:\\TELMORA\\SERVER\r\nSystemArea: Z:\\TELMORA\\SYSTEM\r\n"
    "AllUserArea: Z:\\TELMORA\\USERS\r\nRequestArea: Z:\\OTHER\\REQUEST\r\n";
const std::string kServerElsewhere =  // no ServerArea: never in step
    "[SERVER]\r\nSystemArea: S:\\FAX\\SYSTEM\r\nAllUserArea: S:\\FAX\\USERS\r\nRequestArea: s:\\fax\\request\r\n";
const std::string kTwoWorkstations = kServerInStep + "[WORKSTATION]\r\nDefaultUser: first\r\nSystemArea: C:\\FIRST\r\n"
    "[Other]\r\nDefaultUser: other\r\n[workstation-1]\r\nDefaultUser: second\r\nSystemArea: C:\\SECOND\r\n";
const char kZUser[] = "Z:\\TELMORA\\USERS\\%NAME%\\", kZSystem[] = "Z:\\TELMORA\\SYSTEM\\";
const char kSUser[] = "S:\\FAX\\USERS\\%NAME%\\", kSSystem[] = "S:\\FAX\\SYSTEM\\";

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override { tst::FreshRunState(); }
    std::string Path() const { return directory_.File("TELMORA.INI"); }
    tst::TempDirectory directory_;
};

struct ReadRow {
    const char* name;
    std::string body;
    int mode, result, update;
    const char *userArea, *systemArea, *serverBaseDir, *programDir, *defaultUser;
    int timeout, second;  // second: [WORKSTATION-1] read (and /B set)
};

TEST_F(ConfigFile, ReadTable) {
    const ReadRow rows[] = {
        {"sample section, no [SERVER]", kSample, kReadNormal, 1, 1, kZUser, kZSystem, "Z:\\TELMORA\\", "", "", 60, 0},
        {"[SERVER] in step in any case", kServerInStep + kSample, kReadNormal, 1, 1, kZUser, kZSystem, "Z:\\TELMORA\\",
         "", "", 60, 0},
        {"one [SERVER] area differs", kServerOtherRequest + kSample, kReadNormal, 1, 0, kZUser, kZSystem,
         "Z:\\TELMORA\\", "", "", 60, 0},
        {"workstation wins in mode 1", kServerElsewhere + kSample, kReadNormal, 1, 0, kZUser, kZSystem,
         "Z:\\TELMORA\\", "", "", 60, 0},
        {"[SERVER] wins in mode 0", kServerElsewhere + kSample, kReadServerAreasWin, 1, 0, kSUser, kSSystem,
         "S:\\FAX\\", kSSystem, "", 60, 0},
        {"[SERVER] alone", kServerElsewhere, kReadNormal, 1, 0, kSUser, kSSystem, "S:\\FAX\\", "", "", 60, 0},
        {"no [SERVER] in mode 0", kSample, kReadServerAreasWin, 0, 0, "", "", "", "", "", 60, 0},
        {"neither section", "[TELMORA]\r\nType: Init\r\n", kReadNormal, 1, 0, "", "", "", "", "", 60, 0},
        {"[WORKSTATION-1] wherever it stands", kTwoWorkstations, kReadNormal, 1, 0, "", "C:\\SECOND\\", "", "",
         "SECOND", 60, 1},
        {"[WORKSTATION-1] ignored in mode 2", kTwoWorkstations, kReadIgnoreSecondSection, 1, 0, "", "C:\\FIRST\\", "",
         "", "FIRST", 60, 0},
        {"[WORKSTATION-1] in mode 0", kTwoWorkstations, kReadServerAreasWin, 1, 0, kZUser, kZSystem, "Z:\\TELMORA\\",
         kZSystem, "SECOND", 60, 1},
        {"first line of a key; indented and ; lines skipped",
         "[WORKSTATION]\r\n Timeout: 5\r\n;Timeout: 6\r\nTimeout: soon\r\nTimeout: 7\r\nStatusTimer: 3\r\n"
         "DefaultUser: averylongname\r\nHelp: c:\\prog\\telmora.hlp\r\nNetwork: netware\r\n",
         kReadNormal, 1, 1, "", "", "", "C:\\PROG\\", "AVERYLON", 60, 0},
        {"no final line end", "[WORKSTATION]\r\nTimeout: 7", kReadNormal, 1, 1, "", "", "", "", "", 7, 0},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(tst::WriteFile(Path(), row.body));
        g_setup.updateServerSection = 7, g_setup.netBaseDirSwitch = 0;
        ClientSettings s = {};
        EXPECT_EQ(row.result, ReadConfigFile(directory_.Path().c_str(), &s, row.mode));
        EXPECT_EQ(row.update, g_setup.updateServerSection);
        EXPECT_STREQ(row.userArea, s.userArea);
        EXPECT_STREQ(row.systemArea, s.systemArea);
        EXPECT_STREQ(row.serverBaseDir, s.serverBaseDir);
        EXPECT_STREQ(row.programDir, s.programDir);
        EXPECT_STREQ(row.defaultUser, s.defaultUser);
        EXPECT_EQ(row.timeout, s.timeout);
        EXPECT_EQ(row.second, s.multiWorkstation);
        EXPECT_EQ(row.second, g_setup.netBaseDirSwitch);
    }
    // No file: the demonstration defaults, and [SERVER] to be written.
    g_setup.demoSwitch = 1;
    WriteProfileStringA("Intl", "sLanguage", nullptr);
    std::strcpy(g_setup.configDirectory, "C:\\CFG\\");
    ClientSettings s = {};
    EXPECT_EQ(1, ReadConfigFile("", &s, kReadServerAreasWin));
    EXPECT_EQ(1, g_setup.updateServerSection);
    EXPECT_EQ("C:\\CFG\\ DEMO *.DOC,*.WRI,*.TXT,*.ASC LPT1 ENG",
              std::string(s.logArea) + " " + s.defaultUser + " " + s.accept + " " + s.redirect + " " + s.language);
    EXPECT_EQ(5, s.statusTimer);
}

// The setting lines of the record written (see WriteTable).
const std::string kUser = "UserArea: Z:\\TELMORA\\USERS\\%NAME%\r\n", kSystem = "SystemArea: Z:\\TELMORA\\SYSTEM\r\n",
                  kRequest = "RequestArea: Z:\\TELMORA\\REQUEST\r\n", kLog = "LogArea: C:\\\r\n",
                  kUserName = "DefaultUser: \r\n", kAccept = "Accept: *.DOC,*.WRI,*.TXT,*.ASC\r\n",
                  kSpool = "Spool: \r\n", kRedirect = "Redirect: LPT1\r\n", kTimeout = "Timeout: -1\r\n",
                  kTimer = "StatusTimer: 10\r\n", kNetwork = "Network: SECONDARY\r\n",
                  kHelp = "Help: Z:\\TELMORA\\SYSTEM\\TELMORA.HLP\r\n", kLanguage = "Language: GER\r\n";
const std::string kAllBut = kUser + kSystem + kRequest + kLog + kUserName + kAccept + kSpool + kRedirect;
const std::string kAll = kAllBut + kTimeout + kTimer + kNetwork + kHelp + kLanguage;
const std::string kAllButTimeout = kAllBut + kTimer + kNetwork + kHelp + kLanguage;
const std::string kSecond = kUser + kSystem + kRequest + kUserName + kTimer + kNetwork + kHelp;
const std::string kHeader = "[TELMORA]\r\nType: Init\r\nRevision: A\r\n\r\n[WORKSTATION]\r\n";

struct WriteRow {
    const char* name;
    const char* before;  // null: no file
    int second, dropSecond, updateServer;
    std::string after;
};

TEST_F(ConfigFile, WriteTable) {
    const WriteRow rows[] = {
        {"new file", nullptr, 0, 0, 0, kHeader + kAll},
        {"new file, [SERVER] updated: every line rewritten without trailing blanks", nullptr, 0, 0, 1,
         kHeader + kUser + kSystem + kRequest + kLog + "DefaultUser:\r\n" + kAccept + "Spool:\r\n" + kRedirect +
             kTimeout + kTimer + kNetwork + kHelp + kLanguage +
             "\r\n[SERVER]\r\nServerArea: Z:\\TELMORA\\SERVER\r\nSystemArea: Z:\\TELMORA\\SYSTEM\r\n"
             "AllUserArea: Z:\\TELMORA\\USERS\r\nRequestArea: Z:\\TELMORA\\REQUEST\r\n"},
        {"the section keeps what it does not own",
         "[TELMORA]\r\n\r\n[workstation]\r\n; comment  \r\nForeign: \tLLL\r\nAdminArea: C:\\A\r\ntimeout=5\r\n\r\n"
         "[Other]\r\nKey: v\n",
         0, 0, 0,
         "[TELMORA]\r\n\r\n[WORKSTATION]\r\n; comment  \r\nForeign: \tLLL\r\n" + kTimeout + kAllButTimeout +
             "\r\n[Other]\r\nKey: v\n"},
        {"a key twice is written twice; the last section ends the file", "[WORKSTATION]\r\nTimeout: 1\r\nTimeout: 2",
         0, 0, 0, "[WORKSTATION]\r\n" + kTimeout + kTimeout + kAllButTimeout},
        {"[WORKSTATION-1] leaves six keys out",
         "[WORKSTATION]\r\nUserArea: A\r\n\r\n[WORKSTATION-1]\r\nLogArea: x\r\nAccept: y\r\nSpool: z\r\n"
         "Redirect: r\r\nTimeout: 1\r\nLanguage: l\r\nUserArea: old\r\n",
         1, 0, 0, "[WORKSTATION]\r\nUserArea: A\r\n\r\n[WORKSTATION-1]\r\n" + kUser + kSystem + kRequest + kUserName +
                      kTimer + kNetwork + kHelp},
        {"[WORKSTATION-1] added at the end", "[WORKSTATION]\r\nUserArea: A\r\n", 1, 0, 0,
         "[WORKSTATION]\r\nUserArea: A\r\n\r\n[WORKSTATION-1]\r\n" + kSecond},
        {"[WORKSTATION-1] dropped on request", "[WORKSTATION-1]\r\nUserArea: B\r\n[WORKSTATION]\r\n[Last]\r\n", 0, 1,
         0, "[WORKSTATION]\r\n" + kAll + "\r\n[Last]\r\n"},
        {"[SERVER-WKN] gone wherever it stands",
         "[SERVER-WKN]\r\nA: 1\r\n\r\n[TELMORA]\r\n[WORKSTATION]\r\n[server-wkn]\r\nB: 2\r\n[Other]\r\nC: 3\r\n"
         "[SERVER-WKN]\r\nD: 4\r\n",
         0, 0, 0, "[TELMORA]\r\n[WORKSTATION]\r\n" + kAll + "\r\n[Other]\r\nC: 3\r\n"},
    };
    ClientSettings s = {};
    for (auto [field, text] : {std::pair<char*, const char*>{s.userArea, kZUser}, {s.systemArea, kZSystem},
                               {s.requestArea, "Z:\\TELMORA\\REQUEST\\"}, {s.programDir, kZSystem}, {s.logArea, "C:\\"},
                               {s.accept, "*.DOC,*.WRI,*.TXT,*.ASC"}, {s.redirect, "LPT1"}, {s.language, "GER"}}) {
        std::strcpy(field, text);
    }
    s.timeout = -1;
    s.statusTimer = 10;
    s.network = 7;
    for (const WriteRow& row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileA(Path().c_str());
        if (row.before) {
            ASSERT_TRUE(tst::WriteFile(Path(), row.before));
        }
        tst::FreshRunState();
        g_setup.updateServerSection = row.updateServer;
        s.multiWorkstation = row.second;
        EXPECT_EQ(1, WriteConfigFile(directory_.Path().c_str(), &s, row.dropSecond));
        EXPECT_EQ(row.after, tst::ReadFile(Path()));
        EXPECT_EQ(row.before ? "" : "Created file " + Path(), std::string(g_setup.displayProgress));
        EXPECT_FALSE(tst::FileExists(directory_.File("TELMORA.TMP")) || tst::FileExists(directory_.File("TELMORA.001")));
    }
}

}  // namespace
