// The command line, one row per case: switch letters and separators, the /I
// directory and where it ends (the check records what it was asked), the
// three error ids, the quiet install derived at the end; and the boxes of a
// refused line with the /I directory checked on disk. (Every end-to-end run
// finds the setup directory above the program's own.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/setup_context.h"
#include "startup/command_line.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/temp_directory.h"
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
    // A directory that does not fit is refused before the check is asked,
    // never cut to name some other directory.
    {"/I \"" + kFits + "\" /Q", kAccept, kOk, "Q", 1, kFits + "\\", {kFits + "\\"}},
    {"/I \"" + kFits + "\\\" /Q", kAccept, kOk, "Q", 1, kFits + "\\", {kFits + "\\"}},
    {"/I \"" + kFits + "A\" /Q", kAccept, IDS_INVALID_DIRECTORY_SWITCH, "", 0, "", {}},
    {"/I \"" + kFits + "A\\\" /Q", kAccept, IDS_INVALID_DIRECTORY_SWITCH, "", 0, "", {}},
};

TEST(CommandLine, GrammarCases) {
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE("line '" + c.line + "'");
        FakeCheck check;
        check.answer = c.checkAnswer;
        CommandLineSwitches switches;
        EXPECT_EQ(c.error, ScanCommandLine(c.line.c_str(), switches, &RecordCheck, &check));
        EXPECT_EQ(c.flags, FlagLetters(switches));
        EXPECT_EQ(c.quietInstall, switches.quietInstall);
        EXPECT_EQ(c.configDirectory, switches.configDirectory);
        EXPECT_EQ(c.asked, check.asked);
    }
}

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
