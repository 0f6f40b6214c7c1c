// Reading TELMORA.INI: the sample workstation section with its server base
// directory, which section each mode reads, when the [SERVER] section is in
// step, the per-key value rules, the default language from WIN.INI, the
// search for the file, and files of junk that must simply read.
#include <gtest/gtest.h>

#include <direct.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/setup_context.h"
#include "config/config_file.h"
#include "config/config_values.h"
#include "support/fresh_run_state.h"
#include "support/temp_directory.h"

namespace {

const char kSampleSection[] =
    "[WORKSTATION]\r\n"
    "userarea:z:\\telmora\\users\\%username%\r\n"
    "SystemArea: Z:\\TELMORA\\SYSTEM\r\n"
    "RequestArea: Z:\\TELMORA\\REQUEST\r\n";

const char kAgreeingServer[] =
    "[SERVER]\r\n"
    "ServerArea: z:\\telmora\\server\r\n"
    "SystemArea: Z:\\TELMORA\\SYSTEM\r\n"
    "AllUserArea: Z:\\TELMORA\\USERS\r\n"
    "RequestArea: z:\\telmora\\request\r\n";

void SetEnvironment(const char* name, const char* value) {
    std::string assignment = std::string(name) + "=" + (value ? value : "");
    _putenv(assignment.c_str());
}

class ConfigReader : public ::testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        std::strcpy(g_setup.configDirectory, "C:\\CFG\\");
        WriteProfileStringA("Intl", "sLanguage", nullptr);
        WriteProfileStringA("windows", "load", nullptr);
    }

    // Reads `body` as the file's content; `result` gets ReadConfigFile's result.
    ClientSettings Read(const std::string& body, int mode, int* result = nullptr) {
        EXPECT_TRUE(tst::WriteFile(directory_.File("TELMORA.INI"), body));
        ClientSettings settings = {};
        int read = ReadConfigFile(directory_.Path().c_str(), &settings, mode);
        if (result) *result = read;
        return settings;
    }

    tst::TempDirectory directory_;
};

TEST_F(ConfigReader, SampleSectionGivesAreasAndServerBase) {
    int result = 0;
    ClientSettings s = Read(kSampleSection, kReadNormal, &result);
    EXPECT_EQ(1, result);
    EXPECT_STREQ("Z:\\TELMORA\\USERS\\%NAME%\\", s.userArea);
    EXPECT_STREQ("Z:\\TELMORA\\SYSTEM\\", s.systemArea);
    EXPECT_STREQ("Z:\\TELMORA\\REQUEST\\", s.requestArea);
    EXPECT_STREQ("Z:\\TELMORA\\", s.serverBaseDir);
    EXPECT_EQ(1, g_setup.updateServerSection) << "no [SERVER] section";

    // Everything the file does not hold keeps its default.
    EXPECT_STREQ("C:\\CFG\\", s.logArea);
    EXPECT_STREQ("", s.defaultUser);
    EXPECT_STREQ("*.DOC,*.WRI,*.TXT,*.ASC", s.accept);
    EXPECT_STREQ("", s.spool);
    EXPECT_STREQ("LPT1", s.redirect);
    EXPECT_STREQ("ENG", s.language);
    EXPECT_EQ(60, s.timeout);
    EXPECT_EQ(10, s.statusTimer);
    EXPECT_EQ(kNetworkPrimary, s.network);
    EXPECT_EQ(0, s.useTsr);
    EXPECT_EQ(0, s.loadAtStart);
    EXPECT_EQ(0, s.multiWorkstation);
}

TEST_F(ConfigReader, SecondSectionPreferredExceptInMode2) {
    const std::string body = std::string(kAgreeingServer) +
                             "[WORKSTATION]\r\nDefaultUser: first\r\nSystemArea: C:\\FIRST\r\n"
                             "[Other]\r\nDefaultUser: other\r\n"
                             "[workstation-1]\r\nDefaultUser: second\r\nSystemArea: C:\\SECOND\r\n";
    struct ModeCase {
        int mode;
        const char* user;
        const char* systemArea;
        int second;
        const char* programDir;
    };
    const ModeCase cases[] = {
        {kReadServerAreasWin, "SECOND", "Z:\\TELMORA\\SYSTEM\\", 1, "Z:\\TELMORA\\SYSTEM\\"},
        {kReadNormal, "SECOND", "C:\\SECOND\\", 1, ""},
        {kReadIgnoreSecondSection, "FIRST", "C:\\FIRST\\", 0, ""},
    };
    for (const ModeCase& c : cases) {
        g_setup.netBaseDirSwitch = 0;
        int result = 0;
        ClientSettings s = Read(body, c.mode, &result);
        EXPECT_EQ(1, result) << "mode " << c.mode;
        EXPECT_STREQ(c.user, s.defaultUser) << "mode " << c.mode;
        EXPECT_STREQ(c.systemArea, s.systemArea) << "mode " << c.mode;
        EXPECT_EQ(c.second, s.multiWorkstation) << "mode " << c.mode;
        EXPECT_EQ(c.second, g_setup.netBaseDirSwitch) << "mode " << c.mode;
        EXPECT_STREQ(c.programDir, s.programDir) << "mode " << c.mode;
    }
}

TEST_F(ConfigReader, ServerSectionAgreement) {
    struct AgreementCase {
        const char* name;
        std::string body;
        int mode;
        int result;
        int update;
    };
    const AgreementCase cases[] = {
        {"all four agree in any case", std::string(kAgreeingServer) + kSampleSection, kReadNormal, 1, 1},
        {"request area differs",
         "[SERVER]\r\nServerArea: Z:\\TELMORA\\SERVER\r\nSystemArea: Z:\\TELMORA\\SYSTEM\r\n"
         "AllUserArea: Z:\\TELMORA\\USERS\r\nRequestArea: Z:\\OTHER\\REQUEST\r\n" +
             std::string(kSampleSection),
         kReadNormal, 1, 0},
        {"server area missing", "[SERVER]\r\nSystemArea: Z:\\TELMORA\\SYSTEM\r\n"
                                "AllUserArea: Z:\\TELMORA\\USERS\r\nRequestArea: Z:\\TELMORA\\REQUEST\r\n" +
                                    std::string(kSampleSection),
         kReadNormal, 1, 0},
        {"no [SERVER]", kSampleSection, kReadNormal, 1, 1},
        {"no [SERVER] in mode 0", kSampleSection, kReadServerAreasWin, 0, 0},
        {"[SERVER] without workstation", kAgreeingServer, kReadNormal, 1, 0},
        {"neither section", "[TELMORA]\r\nType: Init\r\n", kReadNormal, 1, 0},
    };
    for (const AgreementCase& c : cases) {
        g_setup.updateServerSection = 7;
        int result = -1;
        Read(c.body, c.mode, &result);
        EXPECT_EQ(c.result, result) << c.name;
        EXPECT_EQ(c.update, g_setup.updateServerSection) << c.name;
    }
}

TEST_F(ConfigReader, ServerAreasWinInMode0AndWithoutWorkstation) {
    const std::string server =
        "[SERVER]\r\nSystemArea: S:\\FAX\\SYSTEM\r\nAllUserArea: S:\\FAX\\USERS\r\nRequestArea: s:\\fax\\request\r\n";
    ClientSettings s = Read(server + kSampleSection, kReadServerAreasWin);
    EXPECT_STREQ("S:\\FAX\\USERS\\%NAME%\\", s.userArea);
    EXPECT_STREQ("S:\\FAX\\SYSTEM\\", s.systemArea);
    EXPECT_STREQ("S:\\FAX\\REQUEST\\", s.requestArea);
    EXPECT_STREQ("S:\\FAX\\", s.serverBaseDir);

    s = Read(server + "[WORKSTATION]\r\nUserArea: X\r\n", kReadNormal);
    EXPECT_STREQ("X\\", s.userArea) << "a workstation section read in mode 1 wins";

    s = Read(server, kReadNormal);
    EXPECT_STREQ("S:\\FAX\\SYSTEM\\", s.systemArea) << "without a workstation section";
}

TEST_F(ConfigReader, ValueRulesOfTheWorkstationKeys) {
    ClientSettings s = Read(
        "[WORKSTATION]\r\n"
        " Timeout: 5\r\n"
        "\tStatusTimer: 7\r\n"
        ";Network: OTHER\r\n"
        "Timeout: soon\r\n"
        "Network: primary, more text\r\n"
        "Help: TELMORA.HLP\r\n"
        "Spool: lpt2\r\n"
        "DefaultUser: averylongname\r\n"
        "Language: german\r\n"
        "StatusTimer: 3\r\n"
        "StatusTimer: 4\r\n",
        kReadNormal);
    EXPECT_EQ(60, s.timeout) << "indented and non-numeric lines keep the default";
    EXPECT_EQ(3, s.statusTimer) << "the first line of a key wins";
    EXPECT_EQ(kNetworkPrimary, s.network);
    EXPECT_STREQ("", s.programDir) << "a bare help file name";
    EXPECT_STREQ("LPT2", s.spool);
    EXPECT_EQ(1, s.useTsr);
    EXPECT_STREQ("AVERYLON", s.defaultUser);
    EXPECT_STREQ("ger", s.language);
}

struct ApplyCase {
    WorkstationKey key;
    const char* value;
    const char* field;  // for text keys
    int number;         // for the numeric keys
};

TEST(ConfigValues, ApplyWorkstationValueTable) {
    const ApplyCase cases[] = {
        {kKeyNetwork, "primary, more", nullptr, kNetworkPrimary},
        {kKeyNetwork, "SECONDARY", nullptr, kNetworkSecondary},
        {kKeyNetwork, "Tertiary", nullptr, kNetworkTertiary},
        {kKeyNetwork, "lanmanager", nullptr, kNetworkLanManager},
        {kKeyNetwork, "WFW", nullptr, kNetworkWfw},
        {kKeyNetwork, "NetWare", nullptr, kNetworkNetware},
        {kKeyNetwork, "NETBIOS", nullptr, kNetworkNetbios},
        {kKeyNetwork, "other", nullptr, kNetworkOther},
        {kKeyNetwork, "junk", nullptr, 99},
        {kKeyNetwork, "PRIMARYX", nullptr, 99},
        {kKeyNetwork, "", nullptr, 99},
        {kKeyTimeout, "30 seconds", nullptr, 30},
        {kKeyTimeout, "-5", nullptr, -5},
        {kKeyTimeout, "soon", nullptr, 99},
        {kKeyTimeout, nullptr, nullptr, 99},
        {kKeyHelp, "c:\\telmora\\prog\\TELMORA.HLP", "C:\\TELMORA\\PROG\\", 0},
        {kKeyHelp, "d:telmora.hlp", "D:\\", 0},
        {kKeyHelp, "TELMORA.HLP", "OLD\\", 0},
        {kKeyUserArea, "c:\\u\\%UserName%", "C:\\U\\%NAME%\\", 0},
        {kKeyUserArea, "c:\\u\\%UserName%\\x", "C:\\U\\%USERNAME%\\X\\", 0},
        {kKeyUserArea, "%username%", "%NAME%\\", 0},
        {kKeyUserArea, "", "", 0},
        {kKeyLanguage, "", "ENG", 0},
        {kKeyLanguage, "fr", "fr", 0},
        {kKeyRedirect, "lpt3: and more", "LPT3: AND M", 0},
    };
    for (const ApplyCase& c : cases) {
        ClientSettings s = {};
        s.network = 99;
        s.timeout = 99;
        std::strcpy(s.programDir, "OLD\\");
        std::strcpy(s.userArea, "OLD\\");
        ApplyWorkstationValue(&s, c.key, c.value);
        const char* label = c.value ? c.value : "(none)";
        switch (c.key) {
            case kKeyNetwork: EXPECT_EQ(c.number, s.network) << label; break;
            case kKeyTimeout: EXPECT_EQ(c.number, s.timeout) << label; break;
            case kKeyHelp: EXPECT_STREQ(c.field, s.programDir) << label; break;
            case kKeyUserArea: EXPECT_STREQ(c.field, s.userArea) << label; break;
            case kKeyLanguage: EXPECT_STREQ(c.field, s.language) << label; break;
            case kKeyRedirect: EXPECT_STREQ(c.field, s.redirect) << label; break;
            default: ADD_FAILURE() << "no check for key " << c.key;
        }
    }
}

TEST(ConfigValues, ServerBaseDirectoryRecovery) {
    struct BaseCase {
        const char* user;
        const char* system;
        const char* request;
        const char* base;  // "KEEP" when unchanged
    };
    const BaseCase cases[] = {
        {"Z:\\T\\USERS\\%NAME%\\", "Z:\\T\\SYSTEM\\", "Z:\\T\\REQUEST\\", "Z:\\T\\"},
        {"Z:\\T\\USERS\\%NAME%\\", "z:\\t\\system\\", "z:\\t\\Request\\", "Z:\\T\\"},
        {"Z:\\T\\USERS\\%NAME%\\", "Z:\\U\\SYSTEM\\", "Z:\\T\\REQUEST\\", "KEEP"},
        {"Z:\\T\\USERS\\%NAME%\\", "Z:\\T\\SYS\\", "Z:\\T\\REQUEST\\", "KEEP"},
        {"Z:\\T\\PEOPLE\\%NAME%\\", "Z:\\T\\SYSTEMS\\", "Z:\\T\\REQUEST\\", "KEEP"},
        {"USERS\\%NAME%\\", "SYSTEM\\", "REQUEST\\", "KEEP"},
        {"", "", "", "KEEP"},
    };
    for (const BaseCase& c : cases) {
        ClientSettings s = {};
        std::strcpy(s.serverBaseDir, "KEEP");
        std::strcpy(s.userArea, c.user);
        std::strcpy(s.systemArea, c.system);
        std::strcpy(s.requestArea, c.request);
        RecoverServerBaseDir(&s);
        EXPECT_STREQ(c.base, s.serverBaseDir) << c.user << " " << c.system << " " << c.request;
    }
}

TEST_F(ConfigReader, DefaultLanguageFromWinIni) {
    struct LanguageCase {
        const char* sLanguage;  // null: no entry
        const char* expected;
    };
    const LanguageCase cases[] = {
        {"DEU", "GER"}, {"deu", "GER"}, {"ENA", "ENA"}, {"FRA", "FRE"}, {"PTB", "PTG"},
        {"ENU", "ENU"}, {"", "ENG"},    {nullptr, "ENG"}, {"SVENSKA", "SWE"}, {"X", "X"},
    };
    for (const LanguageCase& c : cases) {
        ASSERT_TRUE(WriteProfileStringA("Intl", "sLanguage", c.sLanguage));
        char language[kLanguageSize] = "???";
        EXPECT_EQ(1, GetDefaultLanguage(language));
        EXPECT_STREQ(c.expected, language) << (c.sLanguage ? c.sLanguage : "(none)");
    }
    ASSERT_TRUE(WriteProfileStringA("Intl", "sLanguage", "DEU"));
    EXPECT_STREQ("GER", Read(kSampleSection, kReadNormal).language);
    WriteProfileStringA("Intl", "sLanguage", nullptr);
}

TEST_F(ConfigReader, DefaultsAndTheLoadList) {
    g_setup.demoSwitch = 1;
    ASSERT_TRUE(WriteProfileStringA("windows", "load", "notepad.exe,c:\\telmora\\telmora.exe"));
    ClientSettings s = {};
    std::strcpy(s.userArea, "KEPT\\");
    EXPECT_EQ(1, ReadConfigFile("", &s, kReadServerAreasWin)) << "no directory: defaults";
    EXPECT_EQ(1, g_setup.updateServerSection);
    EXPECT_STREQ("KEPT\\", s.userArea);
    EXPECT_STREQ("DEMO", s.defaultUser);
    EXPECT_EQ(5, s.statusTimer);
    EXPECT_EQ(1, s.loadAtStart);

    WriteProfileStringA("windows", "load", nullptr);
    g_setup.updateServerSection = 0;
    EXPECT_EQ(1, ReadConfigFile("C:\\NO\\SUCH\\DIRECTORY\\", &s, kReadServerAreasWin)) << "no file: defaults";
    EXPECT_EQ(1, g_setup.updateServerSection);
    EXPECT_EQ(0, s.loadAtStart);
}

const char kWithNul[] = "[WORKSTATION]\r\nTime\0out: 5\r\nNetwork:\0OTHER\r\n";

TEST_F(ConfigReader, JunkReadsWithoutHarm) {
    std::string random(20000, '\0');
    unsigned seed = 12345;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    const std::string junk[] = {
        random,
        std::string(kWithNul, sizeof kWithNul - 1),
        "[WORKSTATION]\rTimeout: 5\rUserArea: X\r",
        "[WORKSTATION]\r\nTimeout: 7",
        "[WORKSTATION]\r\n\x1a\x1a\x1a",
        "[WORKSTATION]\r\nUserArea: " + std::string(100000, 'U') + "\r\nTimeout: 9\r\n",
        "[WORKSTATION]\r\nHelp: " + std::string(250, '\\') + "\r\n",
    };
    const int timeouts[] = {-1, 60, 60, 7, 60, 9, 60};
    for (std::size_t i = 0; i < sizeof junk / sizeof junk[0]; ++i) {
        int result = 0;
        ClientSettings s = Read(junk[i], kReadNormal, &result);
        EXPECT_EQ(1, result) << "case " << i;
        if (timeouts[i] >= 0) {
            EXPECT_EQ(timeouts[i], s.timeout) << "case " << i;
        }
        EXPECT_LT(std::strlen(s.userArea), sizeof s.userArea) << "case " << i;
    }
    EXPECT_EQ(std::string(200 - std::strlen("UserArea: "), 'U') + "\\",
              Read(junk[5], kReadNormal).userArea)
        << "the line is cut at 200 characters";
}

class SearchList : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kVariables; ++i) {
            const char* value = std::getenv(kNames[i]);
            saved_[i] = value ? value : "";
        }
        ASSERT_NE(nullptr, _getcwd(cwd_, sizeof cwd_));
        SetEnvironment("QVTLINIT", nullptr);
        SetEnvironment("INIT", nullptr);
    }
    void TearDown() override {
        for (int i = 0; i < kVariables; ++i) SetEnvironment(kNames[i], saved_[i].c_str());
        _chdir(cwd_);
        DeleteFileA("C:\\WINDOWS\\TELMORA.INI");
    }

    std::string MakeDirectory(const char* name) {
        std::string path = directory_.Path() + name;
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
        return path;
    }
    static void PlaceFile(const std::string& directory) {
        EXPECT_TRUE(tst::WriteFile(directory + "\\TELMORA.INI", "[WORKSTATION]\r\n"));
    }
    static std::string Find(int expectedResult = 0) {
        char found[256] = "";
        EXPECT_EQ(expectedResult, FindConfigFile(found));
        return found;
    }

    static constexpr int kVariables = 3;
    static constexpr const char* kNames[kVariables] = {"QVTLINIT", "INIT", "PATH"};
    tst::TempDirectory directory_;
    std::string saved_[kVariables];
    char cwd_[MAX_PATH] = "";
};

TEST_F(SearchList, ElementsInOrderWithEmptiesAndBlanks) {
    std::string first = MakeDirectory("first");
    std::string second = MakeDirectory("second");
    PlaceFile(second);
    std::string list = " ; " + first + " ;;  " + second + "\t ;";
    SetEnvironment("QVTLINIT", list.c_str());
    EXPECT_EQ(directory_.Path() + "SECOND\\", Find());

    PlaceFile(first);
    EXPECT_EQ(directory_.Path() + "FIRST\\", Find()) << "the first element is tried first";

    SetEnvironment("QVTLINIT", nullptr);
    SetEnvironment("INIT", (second + "\\").c_str());
    EXPECT_EQ(directory_.Path() + "SECOND\\", Find()) << "INIT, trailing backslash kept single";
}

TEST_F(SearchList, WindowsDirectoryBeforeCurrentDirectory) {
    std::string current = MakeDirectory("current");
    PlaceFile(current);
    ASSERT_EQ(0, _chdir(current.c_str()));
    SetEnvironment("PATH", "C:\\NOWHERE");
    EXPECT_EQ(directory_.Path() + "CURRENT\\", Find());

    ASSERT_TRUE(tst::WriteFile("C:\\WINDOWS\\TELMORA.INI", "[WORKSTATION]\r\n"));
    EXPECT_EQ("C:\\WINDOWS\\", Find());
    DeleteFileA("C:\\WINDOWS\\TELMORA.INI");

    // A list filled by QVTLINIT alone never reaches the later places.
    std::string filler = "C:\\" + std::string(600, 'F');
    SetEnvironment("QVTLINIT", filler.c_str());
    Find(kConfigFileNotFound);
}

}  // namespace
