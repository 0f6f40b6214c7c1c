// The command-line grammar, case by case: switch letters and separators, the
// /I directory text and where it ends, the three error ids, and the quiet
// install derived at the end. The directory check is a fake that records
// what it was asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "startup/command_line.h"
#include "ui/resource_ids.h"

namespace {

struct FakeCheck {
    int answer = 1;
    std::vector<std::string> asked;
};

int RecordCheck(const char* directory, void* context) {
    FakeCheck* check = static_cast<FakeCheck*>(context);
    check->asked.push_back(directory);
    return check->answer;
}

// The flags that are set, as their switch letters in a fixed order.
std::string FlagLetters(const CommandLineSwitches& s) {
    std::string letters;
    if (s.netBaseDirSwitch) letters += 'B';
    if (s.demoSwitch) letters += 'D';
    if (s.quietSwitch) letters += 'Q';
    if (s.serverSwitch) letters += 'S';
    if (s.updateSwitch) letters += 'U';
    if (s.uninstallMode) letters += 'X';
    return letters;
}

struct LineCase {
    const char* line;
    int checkAnswer;
    int error;
    const char* flags;
    int quietInstall;
    const char* configDirectory;
    std::vector<std::string> asked;
};

const int kOk = 0;
const int kAccept = 1;
const int kReject = 0;

const LineCase kLineCases[] = {
    // Plain switches and their separators.
    {"", kAccept, kOk, "", 0, "", {}},
    {"   ", kAccept, kOk, "", 0, "", {}},
    {"/q", kAccept, kOk, "Q", 1, "", {}},
    {"-Q", kAccept, kOk, "Q", 1, "", {}},
    {"/ Q", kAccept, kOk, "Q", 1, "", {}},
    {"/Q/U", kAccept, kOk, "QU", 0, "", {}},
    {"/Q /U", kAccept, kOk, "QU", 0, "", {}},
    {"/Q-x", kAccept, kOk, "QX", 0, "", {}},
    {"  /b  -D /s ", kAccept, kOk, "BDS", 0, "", {}},
    {"/N", kAccept, kOk, "", 0, "", {}},
    {"/Q /Q", kAccept, kOk, "Q", 1, "", {}},
    {"/X /U", kAccept, kOk, "UX", 0, "", {}},
    {"/Q /X", kAccept, kOk, "QX", 0, "", {}},

    // Errors: what was read before the error stays.
    {"/QU", kAccept, IDS_INVALID_PARAMETER, "Q", 0, "", {}},
    {"/Z", kAccept, IDS_INVALID_SWITCH, "", 0, "", {}},
    {"/", kAccept, IDS_INVALID_SWITCH, "", 0, "", {}},
    {"/Q -", kAccept, IDS_INVALID_SWITCH, "Q", 0, "", {}},
    {"/Q /  ", kAccept, IDS_INVALID_SWITCH, "Q", 0, "", {}},
    {"abc", kAccept, IDS_INVALID_PARAMETER, "", 0, "", {}},
    {"/Q abc", kAccept, IDS_INVALID_PARAMETER, "Q", 0, "", {}},
    {"\"/Q\"", kAccept, IDS_INVALID_PARAMETER, "", 0, "", {}},
    {"/Q\t/U", kAccept, IDS_INVALID_PARAMETER, "Q", 0, "", {}},

    // The /I directory.
    {"/I \"C:\\FAX DIR\"", kAccept, kOk, "", 0, "C:\\FAX DIR\\", {"C:\\FAX DIR\\"}},
    {"/I c:\\fax\\ /Q", kAccept, kOk, "Q", 1, "C:\\FAX\\", {"C:\\FAX\\"}},
    {"/i\"c:\\x\"", kAccept, kOk, "", 0, "C:\\X\\", {"C:\\X\\"}},
    {"-I c:\\fax/q", kAccept, kOk, "Q", 1, "C:\\FAX\\", {"C:\\FAX\\"}},
    {"/I C:\\FAX -q", kAccept, kOk, "Q", 1, "C:\\FAX\\", {"C:\\FAX\\"}},
    {"/I C:\\FAX\\\"  ", kAccept, kOk, "", 0, "C:\\FAX\\", {"C:\\FAX\\"}},
    {"/I C:\\", kAccept, kOk, "", 0, "C:\\", {"C:\\"}},
    {"/I C:\\MY-FAX", kAccept, IDS_INVALID_SWITCH, "", 0, "C:\\MY\\", {"C:\\MY\\"}},
    {"/I C:\\MY-Q", kAccept, kOk, "Q", 1, "C:\\MY\\", {"C:\\MY\\"}},
    {"/I C:\\A /I d:\\b", kAccept, kOk, "", 0, "D:\\B\\", {"C:\\A\\", "D:\\B\\"}},
    {"/I /Q", kAccept, kOk, "Q", 1, "", {""}},
    {"/I", kAccept, kOk, "", 0, "", {""}},
    {"/I \"\" -U", kAccept, kOk, "U", 0, "", {""}},
    {"/I C:\\NONE /Q", kReject, IDS_INVALID_DIRECTORY_SWITCH, "", 0, "C:\\NONE\\", {"C:\\NONE\\"}},
    {"/Q /I", kReject, IDS_INVALID_DIRECTORY_SWITCH, "Q", 0, "", {""}},
};

TEST(CommandLine, GrammarCases) {
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE(std::string("line '") + c.line + "'");
        FakeCheck check;
        check.answer = c.checkAnswer;
        CommandLineSwitches switches;
        EXPECT_EQ(c.error, ScanCommandLine(c.line, switches, &RecordCheck, &check));
        EXPECT_EQ(c.flags, FlagLetters(switches));
        EXPECT_EQ(c.quietInstall, switches.quietInstall);
        EXPECT_STREQ(c.configDirectory, switches.configDirectory);
        EXPECT_EQ(c.asked, check.asked);
    }
}

TEST(CommandLine, ResultStartsClearedEveryTime) {
    FakeCheck check;
    CommandLineSwitches switches;
    ASSERT_EQ(0, ScanCommandLine("/B /D /I C:\\X /Q /S /U /X", switches, &RecordCheck, &check));
    EXPECT_EQ("BDQSUX", FlagLetters(switches));
    ASSERT_EQ(0, ScanCommandLine("", switches, &RecordCheck, &check));
    EXPECT_EQ("", FlagLetters(switches));
    EXPECT_STREQ("", switches.configDirectory);
    EXPECT_EQ(0, ScanCommandLine(nullptr, switches, &RecordCheck, &check));
}

// The field holds 271 characters: a longer directory is refused with
// IDS_INVALID_DIRECTORY_SWITCH before the check is asked, never cut to some
// other directory.
TEST(CommandLine, OverLongDirectoryIsRefused) {
    const std::string prefix = "C:\\";
    const std::size_t fieldText = kConfigDirectorySize - 1;

    struct LengthCase {
        std::string directory;
        int error;
    };
    const LengthCase cases[] = {
        {prefix + std::string(fieldText - 1 - prefix.size(), 'A'), 0},                 // backslash just fits
        {prefix + std::string(fieldText - prefix.size(), 'A'), IDS_INVALID_DIRECTORY_SWITCH},
        {prefix + std::string(fieldText - 1 - prefix.size(), 'A') + "\\", 0},          // already ends in one
        {prefix + std::string(fieldText - prefix.size(), 'A') + "\\", IDS_INVALID_DIRECTORY_SWITCH},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.directory.size());
        FakeCheck check;
        CommandLineSwitches switches;
        std::string line = "/I \"" + c.directory + "\" /Q";
        EXPECT_EQ(c.error, ScanCommandLine(line.c_str(), switches, &RecordCheck, &check));
        if (c.error == 0) {
            std::string stored = c.directory.back() == '\\' ? c.directory : c.directory + "\\";
            EXPECT_EQ(stored, switches.configDirectory);
            EXPECT_EQ(1u, check.asked.size());
            EXPECT_EQ(1, switches.quietSwitch);
        } else {
            EXPECT_TRUE(check.asked.empty());
            EXPECT_EQ(0, switches.quietSwitch);
        }
    }
}

}  // namespace
