// The question dialogs, driven through the real dialogs, each centred: what
// each offers and returns, how it tidies the answer, the abort confirmation,
// the network labels. (The lifecycle picks German from the language list.)
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/fresh_run_state.h"
#include "config/server_areas.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"

namespace {

const char kTitle[] = "Telmora installation";
const std::vector<std::string> kDistrib = {"Where do you want to copy the Telmora", "client files from?"};
const std::vector<std::string> kRunTsr = {"Do you want to use the TSR spooler program?"};
const std::vector<std::string> kNetwork = {"If required, Telmora will determine the Telmora user name"};
const std::vector<std::string> kSpool = {"The TSR spooler program will capture printer"};
const std::vector<std::string> kRedirect = {"Output which has been captured may then be"};

tst::Expectation Box(const std::vector<std::string>& lines) { return tst::DialogExpect(kTitle, lines); }
tst::Expectation Abort(int answer) {
    return tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(answer);
}
tst::Expectation DeviceError() {
    return tst::MessageBoxExpect("Error!", "Device names can not contain '.', '\\' or ':'", {IDOK});
}

// Checks, when the dialog shows, that control `id` reads `expected`.
std::function<void(HWND)> Shows(int id, std::string expected) {
    return [id, expected](HWND dialog) {
        char text[300] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        EXPECT_EQ(expected, text) << "control " << id;
    };
}

// The network question, checking the labels of its buttons (a label "": no such button).
tst::Expectation NetworkBox(std::vector<std::pair<int, std::string>> labels) {
    return Box(kNetwork).OnShow([labels](HWND box) {
        for (const auto& label : labels) Shows(label.first, label.second)(box);
    });
}

// A question, the boxes it shows in their order, and its result.
struct Question {
    const char* what;
    std::function<int()> ask;
    std::vector<tst::Expectation> shown;
    int result;
};

void AskAll(const std::vector<Question>& questions) {
    for (const Question& question : questions) {
        SCOPED_TRACE(question.what);
        tst::DialogDriver driver;
        for (tst::Expectation expected : question.shown) {
            auto check = expected.onShow;
            driver.Expect(expected.OnShow([check](HWND box) {
                RECT r;
                GetWindowRect(box, &r);
                if (GetDlgItem(box, IDC_TEXT_LINE1)) {  // a question, not a message box: centred
                    EXPECT_EQ((g_setup.screenWidth - (r.right - r.left)) / 2, r.left);
                    EXPECT_EQ((g_setup.screenHeight - (r.bottom - r.top)) / 2, r.top);
                }
                if (check) check(box);
            }));
        }
        EXPECT_EQ(question.result, question.ask());
    }
}

class QuestionDialogsTest : public testing::Test {
    void SetUp() override { tst::FreshRunState(); }
};

TEST_F(QuestionDialogsTest, EachQuestionOffersItsDefaultAndTidiesTheAnswer) {
    char paths[6][257] = {"", "", "", "", "", "C:\\OLD  "}, text[12] = "", unchanged[20] = "kept";
    char spool[kDeviceSize] = "", redirect[kDeviceSize] = "lpt3", user[kDefaultUserSize] = "";
    unsigned short networks[5] = {};
    int answers[7] = {};
    ClientSettings settings = {};
    const std::string fits(60, 'N'), tooLong(59, 'N');  // labels of 16 + 60 + 3 and of 18 + 59 + 3 characters
    const char* seven[] = {"1", "2", "3", "4", "5", "6", "7", nullptr};
    const char* cut[] = {"Replace file C:\\A.DLL", nullptr, "never shown"};
    auto offered = [](const char* typed) {
        return Box(kDistrib).OnShow(Shows(IDC_PATH_EDIT, "C:\\TELMORA")).Type(IDC_PATH_EDIT, typed);
    };
    auto askPath = [&](int i) { return AskPath(IDD_PATH_DISTRIB_DIR, "C:\\TELMORA", paths[i], 257); };
    // Enter on the focused button; the press after it is never taken.
    auto enter = [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); };
    AskAll({
        {"trailing blanks go", [&] { return askPath(0); }, {offered("D:\\FAX   ")}, 1},
        {"only blanks", [&] { return askPath(1); }, {offered("   ")}, 1},
        {"leading and inner blanks stay", [&] { return askPath(2); }, {offered("  D:\\A B")}, 1},
        {"a text keeps its blanks", [&] { return AskText(IDD_PATH_DISTRIB_DIR, "C:\\TELMORA", paths[3], 257); },
         {offered("abc  ")}, 1},
        {"cut to the caller's size", [&] { return AskText(IDD_PATH_DISTRIB_DIR, "C:\\TELMORA", text, 12); },
         {offered("ABCDEFGHIJKLMNOP")}, 1},
        {"no template", [&] { return AskText("NoSuchTemplate", "x", unchanged, sizeof unchanged); }, {}, 0},
        {"path aborted", [&] { return AskPath(IDD_PATH_DISTRIB_DIR, "C:\\X", paths[5], 257); },
         {Box(kDistrib).Type(IDC_PATH_EDIT, "D:\\TYPED").Press(IDCANCEL), Abort(IDNO),
          Box(kDistrib).OnShow(Shows(IDC_PATH_EDIT, "D:\\TYPED")).Press(IDC_ABORT), Abort(IDYES)}, 0},
        {"network kept on No", [&] { return AskNetwork(kNetworkPrimary, networks[0], "A", "B", nullptr); },
         {Box(kNetwork).Click(IDC_NETWORK_NONE).Press(IDCANCEL), Abort(IDNO),
          Box(kNetwork).Checked(IDC_NETWORK_NONE).Press(IDOK)}, 1},
        {"primary name only", [&] { return AskNetwork(kNetworkPrimary, networks[1], "Novell", nullptr, nullptr); },
         {NetworkBox({{IDC_NETWORK_PRIMARY, "&Primary network (Novell)"}, {IDC_NETWORK_THIRD, ""},
                      {IDC_NETWORK_SECOND, "&Secondary network (not configured)"},
                      {IDC_NETWORK_NONE, "&Neither of the above (uses USERNAME variable instead)"}})
              .Checked(IDC_NETWORK_PRIMARY).Click(IDC_NETWORK_SECOND)}, 1},
        {"third name", [&] { return AskNetwork(kNetworkOther, networks[2], "", "LanManager", "X"); },
         {NetworkBox({{IDC_NETWORK_PRIMARY, "&Primary network (not configured)"},
                      {IDC_NETWORK_SECOND, "&Second network (LanManager)"}, {IDC_NETWORK_THIRD, "&Third network (X)"},
                      {IDC_NETWORK_NONE, "&None of the above (uses USERNAME variable instead)"}})
              .Checked(IDC_NETWORK_NONE).Click(IDC_NETWORK_THIRD)}, 1},
        {"third network chosen", [&] { return AskNetwork(kNetworkTertiary, networks[3], nullptr, nullptr, nullptr); },
         {NetworkBox({{IDC_NETWORK_THIRD, "&Third network (not configured)"}})
              .Checked(IDC_NETWORK_THIRD).Click(IDC_NETWORK_PRIMARY)}, 1},
        {"79 characters fit, 80 not", [&] { return AskNetwork(kNetworkSecondary, networks[4], fits.c_str(),
                                                              tooLong.c_str(), nullptr); },
         {NetworkBox({{IDC_NETWORK_PRIMARY, "&Primary network (" + fits + ")"},
                      {IDC_NETWORK_SECOND, "&Secondary network"}}).Checked(IDC_NETWORK_SECOND)}, 1},
        {"yes/no aborted", [&] { return AskYesNo(IDD_BOOL_RUN_TSR, 1, answers[0]); },
         {Box(kRunTsr).Press(IDC_ABORT), Abort(IDNO), Box(kRunTsr).Press(IDCANCEL), Abort(IDYES)}, 0},
        {"replace aborted", [&] { return AskReplace(cut, 1, answers[1]); },
         {Box({"Replace file C:\\A.DLL"}).Press(IDCANCEL), Abort(IDYES)}, 0},
        {"Yes, Enter", [&] { return AskYesNo(IDD_BOOL_RUN_TSR, 1, answers[2]); },
         {Box(kRunTsr).Default(IDC_ANSWER_YES).OnShow(enter).Press(IDC_ANSWER_NO)}, 1},
        {"No, then Yes", [&] { return AskYesNo(IDD_BOOL_RUN_TSR, 0, answers[3]); },
         {Box(kRunTsr).Default(IDC_ANSWER_NO).Press(IDC_ANSWER_YES)}, 1},
        {"uninstall", [&] { return AskYesNo(IDD_BOOL_PROMPT_INIT_UNINSTALL, 0, answers[4]); },
         {tst::DialogExpect("Telmora Client Uninstallation", {"AUTOEXEC.BAT needs to be edited"})}, 1},
        {"six lines of seven", [&] { return AskReplace(seven, 0, answers[5]); },
         {Box({"1", "2", "3", "4", "5", "6"}).Default(IDC_ANSWER_NO).Press(IDC_ANSWER_YES)}, 1},
        {"up to the null entry", [&] { return AskReplace(cut, 1, answers[6]); },
         {Box({"Replace file C:\\A.DLL", "", "", "", "", ""}).Default(IDC_ANSWER_YES).Press(IDC_ANSWER_NO)}, 1},
        {"capture device", [&] { return AskSpoolDevice(spool); },
         {Box(kSpool).OnShow(Shows(IDC_PATH_EDIT, "LPT1")).Type(IDC_PATH_EDIT, "lpt2:"), DeviceError(),
          Box(kSpool).OnShow(Shows(IDC_PATH_EDIT, "lpt2:")).Type(IDC_PATH_EDIT, "a.b"), DeviceError(),
          Box(kSpool).Type(IDC_PATH_EDIT, "\\\\srv"), DeviceError(), Box(kSpool).Type(IDC_PATH_EDIT, "lpt2")}, 1},
        {"redirection port", [&] { return AskRedirectDevice(redirect); },
         {Box(kRedirect).OnShow(Shows(IDC_PATH_EDIT, "lpt3")).Type(IDC_PATH_EDIT, "prn")}, 1},
        {"port aborted after a refused name", [&] { return AskRedirectDevice(redirect); },
         {Box(kRedirect).Type(IDC_PATH_EDIT, "c:"), DeviceError(), Box(kRedirect).Press(IDCANCEL), Abort(IDYES)}, 0},
        {"user, no network", [&] { return AskDefaultUser(kNetworkOther, user); },
         {Box({"Enter your TELMORA user name (or a single '?'"}).OnShow(Shows(IDC_PATH_EDIT, ""))
              .Type(IDC_PATH_EDIT, "smith")}, 1},
        {"user settings end at an aborted spooler question (Windows 3.1)",
         [&] { tst::FakeWindowsVersion windows31(0x80000A03); return AskUserSettings(&settings); },
         {Box(kNetwork), Box({}), Box(kRunTsr).Press(IDC_ABORT), Abort(IDYES)}, 0},
        {"user settings end at an aborted network question", [&] { return AskUserSettings(&settings); },
         {Box(kNetwork).Press(IDCANCEL), Abort(IDYES)}, 0},
        {"user settings end at an aborted user name", [&] { return AskUserSettings(&settings); },
         {Box(kNetwork), Box({}).Press(IDCANCEL), Abort(IDYES)}, 0},
        {"user, a network", [&] { return AskDefaultUser(kNetworkPrimary, user); },
         {Box({"Your TELMORA user name is normally determined"}).OnShow(Shows(IDC_PATH_EDIT, "SMITH"))
              .Type(IDC_PATH_EDIT, "averylongname")}, 1},
    });
    EXPECT_EQ(std::vector<std::string>({"D:\\FAX", "", "  D:\\A B", "abc  ", "", "C:\\OLD"}),
              std::vector<std::string>(paths, paths + 6)) << "an aborted path keeps its text but trailing blanks";
    EXPECT_STREQ("ABCDEFGHIJK", text);
    EXPECT_STREQ("kept", unchanged);
    EXPECT_EQ(std::vector<unsigned short>({kNetworkOther, kNetworkSecondary, kNetworkTertiary, kNetworkPrimary,
                                           kNetworkSecondary}), std::vector<unsigned short>(networks, networks + 5));
    EXPECT_EQ(std::vector<int>({0, 0, 1, 1, 0, 1, 0}), std::vector<int>(answers, answers + 7));
    EXPECT_STREQ("LPT2", spool);
    EXPECT_STREQ("PRN", redirect);
    EXPECT_STREQ("AVERYLON", user) << "eight characters at most";
}

}  // namespace
