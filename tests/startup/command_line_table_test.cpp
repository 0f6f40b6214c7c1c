// The command-line grammar, one row per case: switch letters and separators, the /I directory and where it
// ends (the check records what it was asked), the three error ids, the quiet install derived at the end.
// Pure: also built natively.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "startup/command_line.h"
#include "ui/resource_ids.h"

namespace {

// The /I check: records each directory it is asked about and gives `answer`.
struct FakeCheck {
    int answer = 1;
    std::vector<std::string> asked;
    static int Record(const char* directory, void* self) {
        return static_cast<FakeCheck*>(self)->asked.push_back(directory), static_cast<FakeCheck*>(self)->answer;
    }
};

// The flags that are set, as their switch letters in a fixed order.
std::string FlagLetters(const CommandLineSwitches& s) {
    std::string letters;
    const std::pair<int, char> flags[] = {{s.netBaseDirSwitch, 'B'}, {s.demoSwitch, 'D'},   {s.quietSwitch, 'Q'},
                                          {s.serverSwitch, 'S'},     {s.updateSwitch, 'U'}, {s.uninstallMode, 'X'}};
    for (const auto& flag : flags) letters += flag.first ? std::string(1, flag.second) : "";
    return letters;
}

const int kOk = 0, kAccept = 1, kReject = 0;
// The field holds 271 characters with the backslash the directory is given.
const std::string kFits = "C:\\" + std::string(kConfigDirectorySize - 5, 'A');

struct LineCase {
    std::string line;
    int checkAnswer, error;
    const char* flags;
    int quietInstall;
    std::string configDirectory;
    std::vector<std::string> asked;
};

const LineCase kLineCases[] = {
    // Plain switches and their separators.
    {"", kAccept, kOk, "", 0, "", {}}, {"   ", kAccept, kOk, "", 0, "", {}}, {"-q", kAccept, kOk, "Q", 1, "", {}},
    {"/ Q", kAccept, kOk, "Q", 1, "", {}}, {"/Q/U", kAccept, kOk, "QU", 0, "", {}}, {"/Q-x", kAccept, kOk, "QX", 0, "", {}},
    {"  /b  -D /s ", kAccept, kOk, "BDS", 0, "", {}}, {"/N", kAccept, kOk, "", 0, "", {}},
    {"/Q /Q", kAccept, kOk, "Q", 1, "", {}},
    // Errors: what was read before the error stays.
    {"/QU", kAccept, IDS_INVALID_PARAMETER, "Q", 0, "", {}}, {"/Z", kAccept, IDS_INVALID_SWITCH, "", 0, "", {}},
    {"/", kAccept, IDS_INVALID_SWITCH, "", 0, "", {}}, {"/Q /  ", kAccept, IDS_INVALID_SWITCH, "Q", 0, "", {}},
    {"/Q abc", kAccept, IDS_INVALID_PARAMETER, "Q", 0, "", {}}, {"\"/Q\"", kAccept, IDS_INVALID_PARAMETER, "", 0, "", {}},
    {"/Q\t/U", kAccept, IDS_INVALID_PARAMETER, "Q", 0, "", {}},
    // The /I directory.
    {"/I \"C:\\FAX DIR\"", kAccept, kOk, "", 0, "C:\\FAX DIR\\", {"C:\\FAX DIR\\"}},
    {"/I c:\\fax\\ /Q", kAccept, kOk, "Q", 1, "C:\\FAX\\", {"C:\\FAX\\"}}, {"/i\"c:\\x\"", kAccept, kOk, "", 0, "C:\\X\\", {"C:\\X\\"}},
    {"-I c:\\fax/q", kAccept, kOk, "Q", 1, "C:\\FAX\\", {"C:\\FAX\\"}}, {"/I C:\\", kAccept, kOk, "", 0, "C:\\", {"C:\\"}},
    {"/I C:\\FAX\\\"  ", kAccept, kOk, "", 0, "C:\\FAX\\", {"C:\\FAX\\"}}, {"/I /Q", kAccept, kOk, "Q", 1, "", {""}},
    {"/I C:\\MY-FAX", kAccept, IDS_INVALID_SWITCH, "", 0, "C:\\MY\\", {"C:\\MY\\"}},
    {"/I C:\\MY-Q", kAccept, kOk, "Q", 1, "C:\\MY\\", {"C:\\MY\\"}},
    {"/I C:\\A /I d:\\b", kAccept, kOk, "", 0, "D:\\B\\", {"C:\\A\\", "D:\\B\\"}},
    {"/I C:\\NONE /Q", kReject, IDS_INVALID_DIRECTORY_SWITCH, "", 0, "C:\\NONE\\", {"C:\\NONE\\"}},
    {"/Q /I", kReject, IDS_INVALID_DIRECTORY_SWITCH, "Q", 0, "", {""}},
    // A directory that does not fit is refused before the check is asked,
    // never cut to name some other directory.
    {"/I \"" + kFits + "\" /Q", kAccept, kOk, "Q", 1, kFits + "\\", {kFits + "\\"}},
    {"/I \"" + kFits + "\\\" /Q", kAccept, kOk, "Q", 1, kFits + "\\", {kFits + "\\"}},
    {"/I \"" + kFits + "A\" /Q", kAccept, IDS_INVALID_DIRECTORY_SWITCH, "", 0, "", {}},
    {"/I \"" + kFits + "A\\\" /Q", kAccept, IDS_INVALID_DIRECTORY_SWITCH, "", 0, "", {}},
};

TEST(CommandLineTable, GrammarCases) {
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE("line '" + c.line + "'");
        FakeCheck check;
        check.answer = c.checkAnswer;
        CommandLineSwitches switches;
        EXPECT_EQ(c.error, ScanCommandLine(c.line.c_str(), switches, &FakeCheck::Record, &check));
        EXPECT_EQ(c.flags, FlagLetters(switches));
        EXPECT_EQ(c.quietInstall, switches.quietInstall);
        EXPECT_EQ(c.configDirectory, switches.configDirectory);
        EXPECT_EQ(c.asked, check.asked);
    }
}

}  // namespace
