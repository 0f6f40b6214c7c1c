// Checks the test support itself: the dialog driver against real message boxes and
// an in-memory question dialog, the import hook, scratch directories and the
// child-process driver (the child is this executable running a disabled test).
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"

namespace {

constexpr int kLine1 = 3201;
constexpr int kLine2 = 3202;
constexpr int kEdit = 3220;
constexpr int kAbort = 3221;
constexpr int kRadioA = 3222;
constexpr int kRadioB = 3223;
constexpr int kList = 3260;
constexpr char kTitle[] = "Telmora installation";

// Builds a DLGTEMPLATE with its items in memory (WORD units, items DWORD aligned).
class TemplateBuilder {
public:
    explicit TemplateBuilder(const char* title) {
        Dword(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
        Dword(0);
        countAt_ = words_.size();
        words_.insert(words_.end(), {0, 10, 10, 200, 115, 0, 0});  // count, x, y, cx, cy, menu, class
        Text(title);
    }

    TemplateBuilder& Item(WORD atom, int id, const char* text, DWORD style, short y, short cy = 10) {
        if (words_.size() % 2) words_.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        words_.insert(words_.end(), {10, static_cast<WORD>(y), 180, static_cast<WORD>(cy), static_cast<WORD>(id)});
        words_.insert(words_.end(), {0xFFFF, atom});
        Text(text);
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
        return *this;
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD value) { words_.insert(words_.end(), {LOWORD(value), HIWORD(value)}); }
    void Text(const char* text) {
        for (; *text; ++text) words_.push_back(static_cast<unsigned char>(*text));
        words_.push_back(0);
    }

    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

constexpr WORD kButton = 0x0080, kEditClass = 0x0081, kStatic = 0x0082, kCombo = 0x0085;

TemplateBuilder QuestionTemplate() {
    TemplateBuilder builder(kTitle);
    builder.Item(kStatic, kLine1, "Where are the Telmora files installed?", SS_LEFT, 5)
        .Item(kStatic, kLine2, "", SS_LEFT, 15)
        .Item(kEditClass, kEdit, "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 30, 12)
        .Item(kCombo, kList, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 45, 60)
        .Item(kButton, kRadioA, "Network A", BS_AUTORADIOBUTTON, 62)
        .Item(kButton, kRadioB, "Network B", BS_AUTORADIOBUTTON, 74)
        .Item(kButton, IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 86, 12)
        .Item(kButton, kAbort, "&Abort", BS_PUSHBUTTON | WS_TABSTOP, 100, 12);
    return builder;
}

struct Answer {
    char path[260];
    char entry[64];
    int radioAChecked;
};

// A question dialog as the setup program has them: OK reads the answers, Escape or
// Abort asks "Abort installation?" and only Yes ends the dialog.
INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        for (const char* entry : {"English (British)", "Germanic", "German"}) {
            SendDlgItemMessageA(dialog, kList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
        SendDlgItemMessageA(dialog, kList, CB_SETCURSEL, 0, 0);
        CheckRadioButton(dialog, kRadioA, kRadioB, kRadioB);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    auto* answer = reinterpret_cast<Answer*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case IDOK:
        GetDlgItemTextA(dialog, kEdit, answer->path, sizeof answer->path);
        GetDlgItemTextA(dialog, kList, answer->entry, sizeof answer->entry);
        answer->radioAChecked = IsDlgButtonChecked(dialog, kRadioA) == BST_CHECKED;
        EndDialog(dialog, 0);
        return TRUE;
    case IDCANCEL:
    case kAbort:
        if (MessageBoxA(nullptr, "Abort installation?", "Telmora", MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
            EndDialog(dialog, 2);
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunQuestion(Answer* answer) {
    TemplateBuilder builder = QuestionTemplate();
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), builder.Get(), nullptr, QuestionProc,
                                   reinterpret_cast<LPARAM>(answer));
}

TEST(DialogDriver, AnswersMessageBoxesAndChecksTheirDefaultButton) {
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", "Disk full\n - Ignore error and continue?", {IDYES, IDNO})
                      .Default(IDNO)
                      .Press(IDYES));
    driver.Expect(tst::MessageBoxExpect("Warning!", "Just so you know", {IDOK}).Default(IDOK));
    EXPECT_EQ(MessageBoxA(nullptr, "Disk full\n - Ignore error and continue?", "Error!",
                          MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2),
              IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "Just so you know", "Warning!", MB_ICONEXCLAMATION), IDOK);
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ(driver.Seen(), (std::vector<std::string>{"Error!: Disk full\n - Ignore error and continue?",
                                                       "Warning!: Just so you know"}));
}

TEST(DialogDriver, TypesSelectsClicksAndFollowsTheAbortConfirmation) {
    tst::DialogDriver driver;
    HWND shown = nullptr;
    driver.Expect(tst::DialogExpect(kTitle, {"Where are the Telmora files installed?", ""})
                      .Checked(kRadioB)
                      .Type(kEdit, "C:\\SERVER")
                      .Press(IDCANCEL));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDNO));
    driver.Expect(tst::DialogExpect(kTitle, {"Where are the Telmora files installed?"})
                      .OnShow([&shown](HWND dialog) { shown = dialog; })
                      .Select(kList, "German")
                      .Click(kRadioA)
                      .Press(IDOK));
    Answer answer = {};
    EXPECT_EQ(RunQuestion(&answer), 0);
    EXPECT_NE(shown, nullptr);
    EXPECT_TRUE(answer.radioAChecked);
    EXPECT_STREQ(answer.path, "C:\\SERVER");
    EXPECT_STREQ(answer.entry, "German");
    EXPECT_TRUE(driver.AllMet());
}

TEST(DialogDriver, ReportsMismatchesAndStillAnswers) {
    EXPECT_NONFATAL_FAILURE(
        {
            tst::DialogDriver driver;
            driver.Expect(tst::MessageBoxExpect("Error!", "Other text", {IDOK}).Press(IDOK));
            EXPECT_EQ(MessageBoxA(nullptr, "Real text", "Error!", MB_OK), IDOK);
        },
        "text differs");
    EXPECT_NONFATAL_FAILURE(
        {
            tst::DialogDriver driver;
            driver.Expect(tst::MessageBoxExpect("Error!", "Real text", {IDYES, IDNO}).Default(IDNO).Press(IDNO));
            EXPECT_EQ(MessageBoxA(nullptr, "Real text", "Error!", MB_YESNO), IDNO);
        },
        "default button is 6, expected 7");
    EXPECT_NONFATAL_FAILURE(
        {
            tst::DialogDriver driver;
            driver.Expect(tst::DialogExpect(kTitle, {"Where are the Telmora files installed?"}).Select(kList, "german"));
            Answer answer = {};
            RunQuestion(&answer);
        },
        "has no entry \"german\"");
}

TEST(DialogDriver, ClosesUnexpectedDialogsWithoutFurtherQuestions) {
    INT_PTR dialogResult = 0;
    int boxResult = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            tst::DialogDriver driver;
            Answer answer = {};
            dialogResult = RunQuestion(&answer);
        },
        "unexpected dialog");
    EXPECT_EQ(dialogResult, -1);
    EXPECT_NONFATAL_FAILURE(
        {
            tst::DialogDriver driver;
            boxResult = MessageBoxA(nullptr, "Surprise", "Error!", MB_YESNO);
        },
        "unexpected message box \"Error!: Surprise\"");
    EXPECT_EQ(boxResult, IDCANCEL);
    EXPECT_NONFATAL_FAILURE(
        {
            tst::DialogDriver driver;
            driver.Expect(tst::MessageBoxExpect("Error!", "Never shown", {IDOK}));
        },
        "Never shown");
}

// The compiler may keep an import's address in a register for a whole
// function, so each read goes through a call of its own.
__attribute__((noinline)) DWORD CurrentVersion() { return GetVersion(); }

TEST(ImportHook, SwapsAnImportAndRestoresIt) {
    DWORD real = CurrentVersion();
    {
        tst::FakeWindowsVersion nt40(tst::kWindowsNT40);
        EXPECT_EQ(CurrentVersion(), tst::kWindowsNT40);
        {
            tst::FakeWindowsVersion win95(tst::kWindows95);
            EXPECT_EQ(CurrentVersion(), tst::kWindows95);
        }
        EXPECT_EQ(CurrentVersion(), tst::kWindowsNT40);
    }
    EXPECT_EQ(CurrentVersion(), real);
    {
        tst::CountingFake<BOOL, UINT> beep("user32.DLL", "MessageBeep", FALSE);
        ASSERT_TRUE(beep.Installed());
        EXPECT_FALSE(MessageBeep(MB_ICONHAND));
        EXPECT_FALSE(MessageBeep(MB_OK));
        EXPECT_EQ(beep.Calls(), 2);
        EXPECT_EQ(std::get<0>(beep.LastArguments()), static_cast<UINT>(MB_OK));
    }
    EXPECT_NONFATAL_FAILURE(tst::ImportHook("KERNEL32.dll", "NoSuchFunction", nullptr), "does not import");
}

TEST(TempDirectory, CreatesAFreshDirectoryAndRemovesItWithReadOnlyContent) {
    std::string path;
    {
        tst::TempDirectory dir;
        path = dir.Path();
        ASSERT_EQ(path.size(), std::string("C:\\TST00000\\").size());
        EXPECT_EQ(path.substr(0, 6), "C:\\TST");
        EXPECT_EQ(path.back(), '\\');
        tst::TempDirectory other;
        EXPECT_NE(other.Path(), path);

        ASSERT_TRUE(CreateDirectoryA(dir.File("SUB").c_str(), nullptr));
        std::string file = dir.File("SUB\\TELMORA.INI");
        ASSERT_TRUE(tst::WriteFile(file, std::string("a\r\nb\0c", 6)));
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
        bool ok = false;
        EXPECT_EQ(tst::ReadFile(file, &ok), std::string("a\r\nb\0c", 6));
        EXPECT_TRUE(ok);
    }
    EXPECT_FALSE(tst::FileExists(path));
    bool ok = true;
    EXPECT_EQ(tst::ReadFile(path + "missing", &ok), "");
    EXPECT_FALSE(ok);
}

// Run only as the child of ChildProcess.DrivesAnotherProcessesMessageBox.
TEST(ChildHelper, DISABLED_ShowsAMessageBox) {
    const char* value = std::getenv("TST_CHILD_TEXT");
    std::string text = std::string("first line\n") + (value ? value : "(not set)");
    // Reaches the parent's window too: the parent must answer while it waits.
    SendMessageW(HWND_BROADCAST, WM_NULL, 0, 0);
    int answer = MessageBoxA(nullptr, text.c_str(), "Child box", MB_YESNO | MB_DEFBUTTON2);
    std::exit(answer == IDYES ? 42 : 43);
}

// Run only as the child of ChildProcess.DrivesAnotherProcessesQuestionDialog.
TEST(ChildHelper, DISABLED_AsksAQuestion) {
    Answer answer = {};
    INT_PTR result = RunQuestion(&answer);
    bool right = result == 0 && std::string(answer.path) == "C:\\TYPED" && std::string(answer.entry) == "German";
    std::exit(right ? 42 : 43);
}

std::string ThisExecutable() {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    return exe;
}

std::string RunDisabled(const char* test) {
    return std::string("--gtest_also_run_disabled_tests --gtest_filter=ChildHelper.") + test;
}

TEST(ChildProcess, DrivesAnotherProcessesMessageBox) {
    // A window of the test's own, as tests of the main window leave one behind.
    HWND own = CreateWindowExA(0, "STATIC", "parent window", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(own);
    tst::ChildProcess child;
    ASSERT_TRUE(child.Start(ThisExecutable(), RunDisabled("DISABLED_ShowsAMessageBox"), {"TST_CHILD_TEXT=second line"}))
        << child.Describe();
    HWND box = child.WaitForDialog("Child box", 30000);
    ASSERT_TRUE(box) << child.Describe();
    EXPECT_EQ(child.DialogText(box), "first line\nsecond line");
    EXPECT_EQ(child.WaitForDialog("Not there", 100), nullptr);
    EXPECT_NE(child.Describe().find("Child box"), std::string::npos) << child.Describe();
    EXPECT_TRUE(child.Press(box, IDYES));
    EXPECT_FALSE(IsWindow(box) && IsWindowVisible(box)) << "Press returned before the box closed";
    DWORD code = 0;
    ASSERT_TRUE(child.WaitForExit(30000, &code)) << child.Describe();
    EXPECT_EQ(code, 42u);
    DestroyWindow(own);
    EXPECT_EQ(tst::UnixToWinePath("/tmp/x/STNIN32.EXE"), "Z:\\tmp\\x\\STNIN32.EXE");
}

TEST(ChildProcess, DrivesAnotherProcessesQuestionDialog) {
    tst::ChildProcess child;
    ASSERT_TRUE(child.Start(ThisExecutable(), RunDisabled("DISABLED_AsksAQuestion"))) << child.Describe();
    HWND dialog = child.WaitForDialog(kTitle, 30000);
    ASSERT_TRUE(dialog) << child.Describe();
    EXPECT_EQ(child.ControlText(dialog, kLine1), "Where are the Telmora files installed?");
    EXPECT_EQ(child.ControlText(dialog, kList), "English (British)");
    EXPECT_TRUE(child.Type(dialog, kEdit, "C:\\TYPED"));
    EXPECT_FALSE(child.Select(dialog, kList, "Germ"));
    EXPECT_TRUE(child.Select(dialog, kList, "German"));
    EXPECT_EQ(child.ControlText(dialog, kList), "German");

    ASSERT_TRUE(child.Press(dialog, IDCANCEL));
    HWND box = child.WaitForDialog("Telmora", 10000);
    ASSERT_TRUE(box) << child.Describe();
    EXPECT_EQ(child.DialogText(box), "Abort installation?");
    ASSERT_TRUE(child.Press(box, IDNO));
    EXPECT_EQ(child.WaitForDialog(kTitle, 10000), dialog) << child.Describe();
    EXPECT_EQ(child.ControlText(dialog, kEdit), "C:\\TYPED");
    ASSERT_TRUE(child.Press(dialog, IDOK));
    DWORD code = 0;
    ASSERT_TRUE(child.WaitForExit(30000, &code)) << child.Describe();
    EXPECT_EQ(code, 42u);
}

}  // namespace
