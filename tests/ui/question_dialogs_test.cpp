// The question dialogs, driven through the real dialogs: what each offers,
// what it returns and how it tidies the answer; the abort confirmation; the
// network labels; the device and user-name questions; the quiet run.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"

namespace {

const char kTitle[] = "Telmora installation";
const char kAbortQuestion[] = "Abort installation?";
const char kDeviceError[] = "Device names can not contain '.', '\\' or ':'";
const std::vector<std::string> kDistribDirLines = {"Where do you want to copy the Telmora", "client files from?", "",
                                                   "Enter the full network path (including drive)",
                                                   "of the directory containing these files"};
const std::vector<std::string> kRunTsrLines = {"Do you want to use the TSR spooler program?"};
const std::vector<std::string> kSpoolDeviceLines = {"The TSR spooler program will capture printer"};
const std::vector<std::string> kRedirectDeviceLines = {"Output which has been captured may then be"};
const std::vector<std::string> kUser1Lines = {"Your TELMORA user name is normally determined"};
const std::vector<std::string> kUser2Lines = {"Enter your TELMORA user name (or a single '?'"};
const std::vector<std::string> kNetworkLines = {"If required, Telmora will determine the Telmora user name"};

std::string ControlText(HWND dialog, int id) {
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Checks, when the dialog shows, that control `id` reads `expected`.
std::function<void(HWND)> Shows(int id, std::string expected) {
    return [id, expected](HWND dialog) { EXPECT_EQ(ControlText(dialog, id), expected) << "control " << id; };
}

tst::Expectation AbortQuestion(int answer) {
    return tst::MessageBoxExpect("Telmora", kAbortQuestion, {IDYES, IDNO}).Press(answer);
}

tst::Expectation PathBox(std::vector<std::string> lines = kDistribDirLines) {
    return tst::DialogExpect(kTitle, std::move(lines));
}

class QuestionDialogsTest : public testing::Test {
protected:
    void SetUp() override { tst::FreshRunState(); }
};

TEST_F(QuestionDialogsTest, PathAndTextQuestionsOfferTheDefaultAndReturnTheAnswer) {
    struct Case {
        bool path;
        const char* typed;
        int size;
        const char* expected;
    };
    const Case cases[] = {
        {true, "D:\\FAX   ", 257, "D:\\FAX"},            // trailing blanks go
        {true, "   ", 257, ""},                          // only blanks: empty
        {true, "  D:\\A B", 257, "  D:\\A B"},           // leading and inner blanks stay
        {false, "abc  ", 257, "abc  "},                  // a text keeps its blanks
        {false, "ABCDEFGHIJKLMNOP", 12, "ABCDEFGHIJK"},  // cut to the caller's size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        char answer[300] = "unchanged";
        tst::DialogDriver driver;
        driver.Expect(PathBox().OnShow(Shows(IDC_PATH_EDIT, "C:\\TELMORA")).Type(IDC_PATH_EDIT, c.typed).Press(IDOK));
        int result = c.path ? AskPath(IDD_PATH_DISTRIB_DIR, "C:\\TELMORA", answer, c.size)
                            : AskText(IDD_PATH_DISTRIB_DIR, "C:\\TELMORA", answer, c.size);
        EXPECT_EQ(result, 1);
        EXPECT_STREQ(answer, c.expected);
        EXPECT_TRUE(driver.AllMet());
    }
}

TEST_F(QuestionDialogsTest, EscapeAndAbortAskFirstAndNoKeepsTheDialogAsItWas) {
    // A path question: Escape, No, the typed text is still there; Abort, Yes.
    char answer[257] = "C:\\OLD  ";
    {
        tst::DialogDriver driver;
        driver.Expect(PathBox().Type(IDC_PATH_EDIT, "D:\\TYPED").Press(IDCANCEL));
        driver.Expect(AbortQuestion(IDNO));
        driver.Expect(PathBox().OnShow(Shows(IDC_PATH_EDIT, "D:\\TYPED")).Press(IDC_ABORT));
        driver.Expect(AbortQuestion(IDYES));
        EXPECT_EQ(AskPath(IDD_PATH_DISTRIB_DIR, "C:\\X", answer, sizeof answer), 0);
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_STREQ(answer, "C:\\OLD") << "the buffer as it was, without its trailing blanks";

    // A network question: the radio button clicked before Escape stays checked.
    unsigned short network = 0;
    {
        tst::DialogDriver driver;
        driver.Expect(tst::DialogExpect(kTitle, kNetworkLines).Click(IDC_NETWORK_NONE).Press(IDCANCEL));
        driver.Expect(AbortQuestion(IDNO));
        driver.Expect(tst::DialogExpect(kTitle, kNetworkLines).Checked(IDC_NETWORK_NONE).Press(IDOK));
        EXPECT_EQ(AskNetwork(kNetworkPrimary, network, "A", "B", nullptr), 1);
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_EQ(network, kNetworkOther);

    // Yes/no and replace questions: Abort and Escape confirmed with Yes end them.
    int yes = 1;
    {
        tst::DialogDriver driver;
        driver.Expect(tst::DialogExpect(kTitle, kRunTsrLines).Press(IDC_ABORT));
        driver.Expect(AbortQuestion(IDNO));
        driver.Expect(tst::DialogExpect(kTitle, kRunTsrLines).Press(IDCANCEL));
        driver.Expect(AbortQuestion(IDYES));
        EXPECT_EQ(AskYesNo(IDD_BOOL_RUN_TSR, 1, yes), 0);
        EXPECT_EQ(yes, 0);

        const char* lines[] = {"Replace file C:\\A", nullptr};
        yes = 1;
        driver.Expect(tst::DialogExpect(kTitle, {"Replace file C:\\A"}).Press(IDCANCEL));
        driver.Expect(AbortQuestion(IDYES));
        EXPECT_EQ(AskReplace(lines, 1, yes), 0);
        EXPECT_EQ(yes, 0);
        EXPECT_TRUE(driver.AllMet());
    }
}

TEST_F(QuestionDialogsTest, AMissingTemplateCountsAsAnAbort) {
    char answer[20] = "kept";
    int yes = 1;
    tst::DialogDriver driver;
    EXPECT_EQ(AskText("NoSuchTemplate", "x", answer, sizeof answer), 0);
    EXPECT_EQ(AskYesNo("NoSuchTemplate", 1, yes), 0);
    EXPECT_STREQ(answer, "kept");
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(QuestionDialogsTest, YesNoQuestionsOfferTheDefaultAndEnterTakesIt) {
    struct Case {
        int defaultYes;
        int press;  // 0: the Enter key
        int expected;
    };
    const Case cases[] = {
        {1, 0, 1},
        {0, 0, 0},
        {0, IDC_ANSWER_YES, 1},
        {1, IDC_ANSWER_NO, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "default " << c.defaultYes << " press " << c.press);
        int defaultButton = c.defaultYes ? IDC_ANSWER_YES : IDC_ANSWER_NO;
        tst::Expectation expect = tst::DialogExpect(kTitle, kRunTsrLines).Default(defaultButton);
        if (c.press == 0) {
            // Enter on the focused button; the press that follows is never taken.
            int trap = c.defaultYes ? IDC_ANSWER_NO : IDC_ANSWER_YES;
            expect.OnShow([](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }).Press(trap);
        } else {
            expect.Press(c.press);
        }
        tst::DialogDriver driver;
        driver.Expect(expect);
        int answer = -1;
        EXPECT_EQ(AskYesNo(IDD_BOOL_RUN_TSR, c.defaultYes, answer), 1);
        EXPECT_EQ(answer, c.expected);
        EXPECT_TRUE(driver.AllMet());
    }

    // The uninstall templates carry their own title.
    tst::DialogDriver driver;
    driver.Expect(
        tst::DialogExpect("Telmora Client Uninstallation", {"AUTOEXEC.BAT needs to be edited"}).Press(IDC_ANSWER_YES));
    int answer = 0;
    EXPECT_EQ(AskYesNo(IDD_BOOL_PROMPT_INIT_UNINSTALL, 0, answer), 1);
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(QuestionDialogsTest, ReplaceQuestionShowsUpToSixLinesUntilTheNullEntry) {
    const char* seven[] = {"1", "2", "3", "4", "5", "6", "7", nullptr};
    const char* cut[] = {"Replace file C:\\A.DLL", nullptr, "never shown"};
    int answer = -1;
    tst::DialogDriver driver;
    driver.Expect(
        tst::DialogExpect(kTitle, {"1", "2", "3", "4", "5", "6"}).Default(IDC_ANSWER_NO).Press(IDC_ANSWER_YES));
    EXPECT_EQ(AskReplace(seven, 0, answer), 1);
    EXPECT_EQ(answer, 1);
    driver.Expect(tst::DialogExpect(kTitle, {"Replace file C:\\A.DLL", "", "", "", "", ""})
                      .Default(IDC_ANSWER_YES)
                      .Press(IDC_ANSWER_NO));
    EXPECT_EQ(AskReplace(cut, 1, answer), 1);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(QuestionDialogsTest, NetworkQuestionNamesTheNetworksOnTheButtons) {
    const std::string fits(80 - 16 - 3 - 1, 'N');  // "&Primary network (...)" of 79 characters
    const std::string tooLong = fits + "N";
    struct Case {
        const char* what;
        unsigned short choice;
        const char *primary, *second, *third;
        bool threeNetworks;
        std::vector<std::pair<int, std::string>> labels;
        int checked, click;
        unsigned short expected;
    };
    const Case cases[] = {
        {"primary only",
         kNetworkPrimary,
         "Novell Netware",
         nullptr,
         nullptr,
         false,
         {{IDC_NETWORK_PRIMARY, "&Primary network (Novell Netware)"},
          {IDC_NETWORK_SECOND, "&Secondary network (not configured)"},
          {IDC_NETWORK_NONE, "&Neither of the above (uses USERNAME variable instead)"}},
         IDC_NETWORK_PRIMARY,
         IDC_NETWORK_SECOND,
         kNetworkSecondary},
        {"third name",
         kNetworkOther,
         "",
         "LanManager or LanServer",
         "X.DRV",
         true,
         {{IDC_NETWORK_PRIMARY, "&Primary network (not configured)"},
          {IDC_NETWORK_SECOND, "&Second network (LanManager or LanServer)"},
          {IDC_NETWORK_THIRD, "&Third network (X.DRV)"},
          {IDC_NETWORK_NONE, "&None of the above (uses USERNAME variable instead)"}},
         IDC_NETWORK_NONE,
         IDC_NETWORK_THIRD,
         kNetworkTertiary},
        {"choice 8",
         kNetworkTertiary,
         nullptr,
         nullptr,
         nullptr,
         true,
         {{IDC_NETWORK_THIRD, "&Third network (not configured)"}},
         IDC_NETWORK_THIRD,
         IDC_NETWORK_PRIMARY,
         kNetworkPrimary},
        {"name just fits",
         kNetworkSecondary,
         fits.c_str(),
         tooLong.c_str(),
         nullptr,
         false,
         {{IDC_NETWORK_PRIMARY, "&Primary network (" + fits + ")"}, {IDC_NETWORK_SECOND, "&Secondary network"}},
         IDC_NETWORK_SECOND,
         0,
         kNetworkSecondary},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto labels = c.labels;
        bool threeNetworks = c.threeNetworks;
        tst::Expectation expect = tst::DialogExpect(kTitle, kNetworkLines).Checked(c.checked);
        expect.OnShow([labels, threeNetworks](HWND dialog) {
            for (const auto& label : labels) Shows(label.first, label.second)(dialog);
            EXPECT_EQ(GetDlgItem(dialog, IDC_NETWORK_THIRD) != nullptr, threeNetworks) << "NETWORK3BOX";
        });
        if (c.click) expect.Click(c.click);
        tst::DialogDriver driver;
        driver.Expect(expect.Press(IDOK));
        unsigned short answer = 0;
        EXPECT_EQ(AskNetwork(c.choice, answer, c.primary, c.second, c.third), 1);
        EXPECT_EQ(answer, c.expected);
        EXPECT_TRUE(driver.AllMet());
    }
}

TEST_F(QuestionDialogsTest, DeviceQuestionsRefuseDotColonAndBackslashAndUpperCase) {
    char spool[kDeviceSize] = "";
    {
        tst::DialogDriver driver;
        driver.Expect(
            PathBox(kSpoolDeviceLines).OnShow(Shows(IDC_PATH_EDIT, "LPT1")).Type(IDC_PATH_EDIT, "lpt2:").Press(IDOK));
        driver.Expect(tst::MessageBoxExpect("Error!", kDeviceError, {IDOK}).Press(IDOK));
        driver.Expect(
            PathBox(kSpoolDeviceLines).OnShow(Shows(IDC_PATH_EDIT, "lpt2:")).Type(IDC_PATH_EDIT, "a.b").Press(IDOK));
        driver.Expect(tst::MessageBoxExpect("Error!", kDeviceError, {IDOK}).Press(IDOK));
        driver.Expect(PathBox(kSpoolDeviceLines).Type(IDC_PATH_EDIT, "\\\\srv").Press(IDOK));
        driver.Expect(tst::MessageBoxExpect("Error!", kDeviceError, {IDOK}).Press(IDOK));
        driver.Expect(PathBox(kSpoolDeviceLines).Type(IDC_PATH_EDIT, "lpt2").Press(IDOK));
        EXPECT_EQ(AskSpoolDevice(spool), 1);
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_STREQ(spool, "LPT2");

    char redirect[kDeviceSize] = "lpt3";
    {
        tst::DialogDriver driver;
        driver.Expect(
            PathBox(kRedirectDeviceLines).OnShow(Shows(IDC_PATH_EDIT, "lpt3")).Type(IDC_PATH_EDIT, "prn").Press(IDOK));
        EXPECT_EQ(AskRedirectDevice(redirect), 1);
        EXPECT_STREQ(redirect, "PRN");

        // An abort, also after a refused name, leaves the device as it was.
        driver.Expect(PathBox(kRedirectDeviceLines).Type(IDC_PATH_EDIT, "c:").Press(IDOK));
        driver.Expect(tst::MessageBoxExpect("Error!", kDeviceError, {IDOK}).Press(IDOK));
        driver.Expect(PathBox(kRedirectDeviceLines).Press(IDCANCEL));
        driver.Expect(AbortQuestion(IDYES));
        EXPECT_EQ(AskRedirectDevice(redirect), 0);
        EXPECT_STREQ(redirect, "PRN");
        EXPECT_TRUE(driver.AllMet());
    }
}

TEST_F(QuestionDialogsTest, DefaultUserQuestionFollowsTheNetworkAnswer) {
    char user[kDefaultUserSize] = "";
    tst::DialogDriver driver;
    driver.Expect(PathBox(kUser2Lines).OnShow(Shows(IDC_PATH_EDIT, "")).Type(IDC_PATH_EDIT, "smith").Press(IDOK));
    EXPECT_EQ(AskDefaultUser(kNetworkOther, user), 1);
    EXPECT_STREQ(user, "SMITH");

    driver.Expect(
        PathBox(kUser1Lines).OnShow(Shows(IDC_PATH_EDIT, "SMITH")).Type(IDC_PATH_EDIT, "averylongname").Press(IDOK));
    EXPECT_EQ(AskDefaultUser(kNetworkPrimary, user), 1);
    EXPECT_STREQ(user, "AVERYLON") << "eight characters at most";
    EXPECT_TRUE(driver.AllMet());
}

// The program's one main window, created hidden as start-up leaves it in a quiet run.
HWND HiddenMainWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSA existing;
        if (!GetClassInfoA(g_setup.appInstance, kMainWindowClass, &existing)) {
            EXPECT_NE(RegisterMainWindowClass(g_setup.appInstance), 0);
        }
        EXPECT_EQ(CreateMainWindow(g_setup.appInstance, SW_HIDE), 1);
        window = g_setup.mainWindow;
    }
    ShowWindow(window, SW_HIDE);
    g_setup.mainWindow = window;
    return window;
}

TEST_F(QuestionDialogsTest, QuietRunShowsTheMainWindowBeforeEveryQuestion) {
    HWND window = HiddenMainWindow();
    ASSERT_NE(window, nullptr);
    auto visible = [window](bool expected) {
        return [window, expected](HWND) { EXPECT_EQ(IsWindowVisible(window) != 0, expected); };
    };
    int answer = 0;
    tst::DialogDriver driver;

    driver.Expect(tst::DialogExpect(kTitle, kRunTsrLines).OnShow(visible(false)).Press(IDC_ANSWER_YES));
    EXPECT_EQ(AskYesNo(IDD_BOOL_RUN_TSR, 1, answer), 1);
    EXPECT_FALSE(IsWindowVisible(window)) << "not quiet: start-up decides";

    g_setup.quietSwitch = 1;
    driver.Expect(tst::DialogExpect(kTitle, kRunTsrLines).OnShow(visible(true)).Press(IDC_ANSWER_YES));
    EXPECT_EQ(AskYesNo(IDD_BOOL_RUN_TSR, 1, answer), 1);
    EXPECT_STREQ(g_setup.displayTitle, "Telmora client installation program (32 bit) - version 6.00");

    ShowWindow(window, SW_HIDE);
    char text[20] = "";
    driver.Expect(PathBox().OnShow(visible(true)).Press(IDOK));
    EXPECT_EQ(AskPath(IDD_PATH_DISTRIB_DIR, "C:\\", text, sizeof text), 1);
    EXPECT_TRUE(driver.AllMet());

    ShowWindow(window, SW_HIDE);
    g_setup.mainWindow = nullptr;
}

}  // namespace
