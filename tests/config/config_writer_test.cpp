// Writing TELMORA.INI, byte for byte: a new file with and without the
// [SERVER] update, the rebuild of an existing workstation section around the
// lines the program does not own, [WORKSTATION-1] with the keys it leaves
// out, [SERVER-WKN] removed wherever it stands, and input of any kind (NUL
// bytes, CR-only ends, Ctrl-Z, huge lines, random bytes) whose foreign lines
// must all survive.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "common/setup_context.h"
#include "config/config_file.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/temp_directory.h"

namespace {

// The setting lines of the record the tests write (see Settings()).
const char kUserLine[] = "UserArea: Z:\\TELMORA\\USERS\\%NAME%\r\n";
const char kSystemLine[] = "SystemArea: Z:\\TELMORA\\SYSTEM\r\n";
const char kRequestLine[] = "RequestArea: Z:\\TELMORA\\REQUEST\r\n";
const char kLogLine[] = "LogArea: C:\\\r\n";
const char kDefaultUserLine[] = "DefaultUser: \r\n";
const char kAcceptLine[] = "Accept: *.DOC,*.WRI,*.TXT,*.ASC\r\n";
const char kSpoolLine[] = "Spool: \r\n";
const char kRedirectLine[] = "Redirect: LPT1\r\n";
const char kTimeoutLine[] = "Timeout: -1\r\n";
const char kStatusTimerLine[] = "StatusTimer: 10\r\n";
const char kNetworkLine[] = "Network: SECONDARY\r\n";
const char kHelpLine[] = "Help: Z:\\TELMORA\\SYSTEM\\TELMORA.HLP\r\n";
const char kLanguageLine[] = "Language: GER\r\n";

const char kNewFileHeader[] = "[TELMORA]\r\nType: Init\r\nRevision: A\r\n\r\n[WORKSTATION]\r\n";

std::string Join(std::initializer_list<const char*> lines) {
    std::string joined;
    for (const char* line : lines) joined += line;
    return joined;
}

// All thirteen lines in the order missing ones are added.
std::string AllSettingLines() {
    return Join({kUserLine, kSystemLine, kRequestLine, kLogLine, kDefaultUserLine, kAcceptLine, kSpoolLine,
                 kRedirectLine, kTimeoutLine, kStatusTimerLine, kNetworkLine, kHelpLine, kLanguageLine});
}

// What the rewrite makes of lines it copies unchanged: each line up to its
// LF, Ctrl-Z dropped, and an LF for the last line even when it had none.
std::string CopiedLines(const std::string& bytes) {
    std::string copied;
    std::string::size_type start = 0;
    while (start < bytes.size()) {
        std::string::size_type end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        for (std::string::size_type i = start; i < end; ++i) {
            if (bytes[i] != '\x1a') copied += bytes[i];
        }
        copied += '\n';
        start = end + 1;
    }
    return copied;
}

class ConfigWriter : public ::testing::Test {
protected:
    void SetUp() override { tst::FreshRunState(); }

    static ClientSettings Settings() {
        ClientSettings s = {};
        std::strcpy(s.userArea, "Z:\\TELMORA\\USERS\\%NAME%\\");
        std::strcpy(s.systemArea, "Z:\\TELMORA\\SYSTEM\\");
        std::strcpy(s.requestArea, "Z:\\TELMORA\\REQUEST\\");
        std::strcpy(s.programDir, "Z:\\TELMORA\\SYSTEM\\");
        std::strcpy(s.logArea, "C:\\");
        std::strcpy(s.accept, "*.DOC,*.WRI,*.TXT,*.ASC");
        std::strcpy(s.redirect, "LPT1");
        std::strcpy(s.language, "GER");
        s.timeout = -1;
        s.statusTimer = 10;
        s.network = kNetworkSecondary;
        return s;
    }

    // Writes `settings` over a file holding `before`; returns the file after.
    std::string Rewrite(const std::string& before, const ClientSettings& settings, int dropSecondSection = 0) {
        EXPECT_TRUE(tst::WriteFile(Path(), before));
        EXPECT_EQ(1, WriteConfigFile(directory_.Path().c_str(), &settings, dropSecondSection));
        EXPECT_FALSE(tst::FileExists(directory_.File("TELMORA.TMP"))) << "temporary file left";
        EXPECT_FALSE(tst::FileExists(directory_.File("TELMORA.001"))) << "backup file left";
        return tst::ReadFile(Path());
    }

    std::string Path() const { return directory_.File("TELMORA.INI"); }

    tst::TempDirectory directory_;
};

TEST_F(ConfigWriter, NewFileWithAndWithoutServerUpdate) {
    ClientSettings settings = Settings();
    ASSERT_EQ(1, WriteConfigFile(directory_.Path().c_str(), &settings, 0));
    EXPECT_EQ(kNewFileHeader + AllSettingLines(), tst::ReadFile(Path()));
    EXPECT_EQ("Created file " + Path(), std::string(g_setup.displayProgress));

    ASSERT_TRUE(DeleteFileA(Path().c_str()));
    g_setup.updateServerSection = 1;
    ASSERT_EQ(1, WriteConfigFile(directory_.Path().c_str(), &settings, 0));
    // The in-place update rewrites every line without its trailing blanks.
    const std::string normalised = Join({kUserLine, kSystemLine, kRequestLine, kLogLine, "DefaultUser:\r\n",
                                         kAcceptLine, "Spool:\r\n", kRedirectLine, kTimeoutLine, kStatusTimerLine,
                                         kNetworkLine, kHelpLine, kLanguageLine});
    EXPECT_EQ(kNewFileHeader + normalised +
                  "\r\n[SERVER]\r\n"
                  "ServerArea: Z:\\TELMORA\\SERVER\r\n"
                  "SystemArea: Z:\\TELMORA\\SYSTEM\r\n"
                  "AllUserArea: Z:\\TELMORA\\USERS\r\n"
                  "RequestArea: Z:\\TELMORA\\REQUEST\r\n",
              tst::ReadFile(Path()));
}

TEST_F(ConfigWriter, ExistingSectionKeepsWhatItDoesNotOwn) {
    const std::string before =
        "[TELMORA]\r\nType: Init\r\n\r\n"
        "[workstation]\r\n"
        "; comment  \r\n"
        "Foreign: keep\tthis\r\n"
        "AdminArea: C:\\ADMIN\r\n"
        "timeout=5\r\n"
        "\r\n"
        "[Other]\r\nKey: v\n";
    const std::string after = "[TELMORA]\r\nType: Init\r\n\r\n"
                              "[WORKSTATION]\r\n"
                              "; comment  \r\n"
                              "Foreign: keep\tthis\r\n" +
                              Join({kTimeoutLine, kUserLine, kSystemLine, kRequestLine, kLogLine,
                                    kDefaultUserLine, kAcceptLine, kSpoolLine, kRedirectLine, kStatusTimerLine,
                                    kNetworkLine, kHelpLine, kLanguageLine}) +
                              "\r\n[Other]\r\nKey: v\n";
    EXPECT_EQ(after, Rewrite(before, Settings()));

    // A key held twice is written twice; the target as the last section ends the file.
    EXPECT_EQ("[WORKSTATION]\r\n" + Join({kTimeoutLine, kTimeoutLine}) +
                  Join({kUserLine, kSystemLine, kRequestLine, kLogLine, kDefaultUserLine, kAcceptLine, kSpoolLine,
                        kRedirectLine, kStatusTimerLine, kNetworkLine, kHelpLine, kLanguageLine}),
              Rewrite("[WORKSTATION]\r\nTimeout: 1\r\nTimeout: 2\r\n", Settings()));
}

TEST_F(ConfigWriter, SecondSectionLeavesOutSixKeys) {
    ClientSettings settings = Settings();
    settings.multiWorkstation = 1;
    const std::string first = "[WORKSTATION]\r\nUserArea: A\r\nTimeout: 1\r\n\r\n";
    const std::string before = first +
                               "[WORKSTATION-1]\r\nLogArea: x\r\nAccept: y\r\nSpool: z\r\nRedirect: r\r\n"
                               "Timeout: 1\r\nLanguage: l\r\nUserArea: old\r\n";
    EXPECT_EQ(first + "[WORKSTATION-1]\r\n" +
                  Join({kUserLine, kSystemLine, kRequestLine, kDefaultUserLine, kStatusTimerLine, kNetworkLine,
                        kHelpLine}),
              Rewrite(before, settings));

    // Without a [WORKSTATION-1] the section is added at the end.
    EXPECT_EQ(first + "\r\n[WORKSTATION-1]\r\n" +
                  Join({kUserLine, kSystemLine, kRequestLine, kDefaultUserLine, kStatusTimerLine, kNetworkLine,
                        kHelpLine}),
              Rewrite(first, settings));

    // On request [WORKSTATION-1] goes when [WORKSTATION] is written.
    EXPECT_EQ("[WORKSTATION]\r\n" + AllSettingLines() + "\r\n[Last]\r\n",
              Rewrite("[WORKSTATION-1]\r\nUserArea: B\r\n[WORKSTATION]\r\n[Last]\r\n", Settings(), 1));
}

TEST_F(ConfigWriter, ServerWorkstationSectionRemovedWhereverItStands) {
    const std::string before =
        "[SERVER-WKN]\r\nA: 1\r\n\r\n"
        "[TELMORA]\r\nType: Init\r\n"
        "[WORKSTATION]\r\nTimeout: 1\r\n"
        "[server-wkn]\r\nB: 2\r\n"
        "[Other]\r\nC: 3\r\n"
        "[SERVER-WKN]\r\nD: 4\r\n";
    EXPECT_EQ("[TELMORA]\r\nType: Init\r\n[WORKSTATION]\r\n" + std::string(kTimeoutLine) +
                  Join({kUserLine, kSystemLine, kRequestLine, kLogLine, kDefaultUserLine, kAcceptLine, kSpoolLine,
                        kRedirectLine, kStatusTimerLine, kNetworkLine, kHelpLine, kLanguageLine}) +
                  "\r\n[Other]\r\nC: 3\r\n",
              Rewrite(before, Settings()));
}

TEST_F(ConfigWriter, ForeignLinesSurviveAnyInput) {
    std::string random(30000, '\0');
    unsigned seed = 4711;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    const char withNul[] = "[Other]\r\nA\0B: 1\r\n\0\r\n";
    const std::string inputs[] = {
        std::string(withNul, sizeof withNul - 1),
        "[Other]\rA: 1\rB: 2\r",
        "[Other]\r\nno final line end",
        "[Other]\r\nA: 1\r\n\x1a",
        "[Other]\r\nX: " + std::string(100000, 'x') + "\r\nY: 1\r\n",
        random,
    };
    for (const std::string& input : inputs) {
        EXPECT_EQ(CopiedLines(input) + "\r\n[WORKSTATION]\r\n" + AllSettingLines(), Rewrite(input, Settings()))
            << "input of " << input.size() << " bytes";
    }

    // Inside the rebuilt section foreign lines stay byte for byte too.
    const char inSection[] = "[WORKSTATION]\r\nTime\0out: 5\r\nZ: " "\xff\xfe\r\n";
    const std::string longForeign = "Long: " + std::string(5000, 'L') + "\r\n";
    EXPECT_EQ("[WORKSTATION]\r\n" + std::string("Time\0out: 5\r\nZ: \xff\xfe\r\n", 20) + longForeign +
                  AllSettingLines(),
              Rewrite(std::string(inSection, sizeof inSection - 1) + longForeign, Settings()));
}

TEST_F(ConfigWriter, NewFileThatCannotBeCreated) {
    std::string missing = directory_.Path() + "MISSING\\";
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", ("Unable to create file " + missing + "TELMORA.INI").c_str(),
                                        {IDOK}));
    ClientSettings settings = Settings();
    g_setup.updateServerSection = 1;
    EXPECT_EQ(0, WriteConfigFile(missing.c_str(), &settings, 0));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(tst::FileExists(missing + "TELMORA.INI"));
}

}  // namespace
