// AUTOEXEC.BAT editing on real files, byte for byte: the program's two lines
// added, replaced and removed while every other line keeps its bytes; no
// rewrite when nothing differs; a new file; another directory answered; the
// questions and the warnings after No; quiet uninstallation; Windows NT
// left alone. Windows 95 is faked, as Wine reports an NT version.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "autoexec/autoexec_editor.h"
#include "common/setup_context.h"
#include "files/directories.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

const char kInstallTitle[] = "Telmora installation";
const char kUninstallPromptTitle[] = "Telmora Client Uninstallation";
const char kUninstallPathTitle[] = "Telmora Uninstallation";
const char kWarningCaption[] = "Warning!";
const char kEdited[] = "AUTOEXEC.BAT needs to be edited";
const char kConfigDir[] = "z:\\telmora\\";
const char kProgramDir[] = "C:\\TELMORA\\";
const char kQvtlinitLine[] = "SET QVTLINIT=Z:\\TELMORA\r\n";
const char kSpoolerLine[] = "C:\\TELMORA\\QSPOOL.EXE\r\n";
// Lines of somebody else's: mixed line ends, trailing blanks, a tab.
const char kOtherLines[] = "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS  \r\nSET\tTEMP=C:\\TEMP\n";
const char kNotSpoolerLines[] =
    "REM C:\\OLD\\QSPOOL.EXE\r\nECHO QSPOOL\r\n:QSPOOL\r\nC:\\OLD\\MYQSPOOL.EXE\r\nC:\\OLD\\QSPOOLX.EXE\r\n";

std::string ControlText(HWND dialog, int id) {
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string WithoutBackslash(const std::string& directory) { return directory.substr(0, directory.size() - 1); }

tst::Expectation Prompt(const char* title, std::vector<std::string> lines, int press = IDC_ANSWER_YES) {
    return tst::DialogExpect(title, std::move(lines)).Default(IDC_ANSWER_YES).Press(press);
}

// The directory question, checked to propose `proposal`; `typed` answers
// another directory.
tst::Expectation DirectoryQuestion(const char* title, const std::string& proposal, const char* typed = nullptr) {
    tst::Expectation question = tst::DialogExpect(title, {"Where is AUTOEXEC.BAT?"});
    question.OnShow([proposal](HWND dialog) { EXPECT_EQ(ControlText(dialog, IDC_PATH_EDIT), proposal); });
    if (typed) question.Type(IDC_PATH_EDIT, typed);
    return question.Press(IDOK);
}

tst::Expectation Warning(const std::string& text) {
    return tst::MessageBoxExpect(kWarningCaption, text.c_str(), {IDOK}).Press(IDOK);
}

class AutoexecEditorTest : public testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        text_ = dir_.File("AUTOEXEC.BAT");
        std::string root = dir_.Path();
        lstrcpynA(g_setup.autoexecDirectory, root.c_str(), kPathFieldSize);
        lstrcpynA(g_directories.windows, "C:\\WINDOWS\\", kPathFieldSize);
        lstrcpynA(g_setup.configDirectory, "C:\\TELMORA\\", kPathFieldSize);
    }

    // The install questions answered Yes and OK in the known directory.
    void ExpectYesAndDirectory(const char* promptTitle = kInstallTitle, const char* pathTitle = kInstallTitle) {
        driver_.Expect(Prompt(promptTitle, {kEdited}));
        driver_.Expect(DirectoryQuestion(pathTitle, WithoutBackslash(dir_.Path())));
    }

    tst::FakeWindowsVersion windows95_{tst::kWindows95};
    tst::TempDirectory dir_;
    std::string text_;  // AUTOEXEC.BAT in dir_
    tst::DialogDriver driver_;
};

TEST_F(AutoexecEditorTest, EditsOnlyItsOwnLinesByteForByte) {
    struct Case {
        const char* name;
        int request;
        const char* initDir;
        const char* spoolDir;
        std::string before;
        std::string after;  // "" : the file is not rewritten
    };
    const std::string other = kOtherLines;
    const Case cases[] = {
        {"the variable becomes the new first line", kRequestQvtlinit, kConfigDir, nullptr,
         other + "QSPOOL\r\nlast line", kQvtlinitLine + other + "QSPOOL\r\nlast line\n"},
        {"an equal line in another case", kRequestQvtlinit, kConfigDir, nullptr,
         other + "set qvtlinit=z:\\telmora  \r\n", ""},
        {"another value is replaced where it stands", kRequestQvtlinit, kConfigDir, nullptr,
         other + "SET QVTLINIT=C:\\OLD\n" + other, other + kQvtlinitLine + other},
        {"LH with a path and a switch", kRequestSpooler, nullptr, kProgramDir,
         other + "LH C:\\OLD\\QSPOOL.EXE /A\r\n" + other, other + "LH C:\\TELMORA\\QSPOOL.EXE /A\r\n" + other},
        {"bare QSPOOL", kRequestSpooler, nullptr, kProgramDir, "QSPOOL\n" + other, kSpoolerLine + other},
        {"an equal spooler line in another case", kRequestSpooler, nullptr, kProgramDir,
         other + "c:\\telmora\\qspool.exe\r\n", ""},
        {"lines that only look like the spooler", kRequestSpooler, nullptr, kProgramDir,
         kNotSpoolerLines + other, kNotSpoolerLines + other + kSpoolerLine},
        {"both lines replaced", kRequestBoth, kConfigDir, kProgramDir,
         "SET QVTLINIT=C:\\OLD\r\n" + other + "C:\\OLD\\QSPOOL\r\n",
         kQvtlinitLine + other + kSpoolerLine},
        {"both lines removed", kRequestBoth, nullptr, nullptr,
         "set QVTLINIT=C:\\A\r\n" + other + "LH QSPOOL /A\r\nSET QVTLINIT=C:\\B\r\n" + kNotSpoolerLines,
         other + kNotSpoolerLines},
        {"nothing to remove", kRequestBoth, nullptr, nullptr, other + kNotSpoolerLines, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_setup.rebootNeeded = 0;
        g_setup.tsrInStartupFile = 0;
        g_setup.qvtlinitValue[0] = '\0';
        ASSERT_TRUE(tst::WriteFile(text_, c.before));
        ExpectYesAndDirectory();
        EXPECT_EQ(EditAutoexec(c.request, c.initDir, c.spoolDir), 1);
        EXPECT_TRUE(driver_.AllMet());
        bool rewritten = !c.after.empty();
        EXPECT_EQ(tst::ReadFile(text_), rewritten ? c.after : c.before);
        EXPECT_EQ(g_setup.rebootNeeded, rewritten ? 1 : 0);
        EXPECT_STREQ(g_setup.qvtlinitValue, rewritten && c.initDir ? c.initDir : "");
        EXPECT_EQ(g_setup.tsrInStartupFile, rewritten && c.spoolDir ? 1 : 0);
        EXPECT_FALSE(tst::FileExists(dir_.File("AUTOEXEC.TMP")));
        EXPECT_FALSE(tst::FileExists(dir_.File("AUTOEXEC.001")));
    }
}

TEST_F(AutoexecEditorTest, ANewFileHoldsTheRequestedLines) {
    ExpectYesAndDirectory();
    EXPECT_EQ(EditAutoexec(kRequestSpooler, nullptr, kProgramDir), 1);
    EXPECT_EQ(tst::ReadFile(text_), kSpoolerLine);
    EXPECT_EQ(std::string(g_setup.displayProgress), "Created file " + text_);
    EXPECT_EQ(g_setup.tsrInStartupFile, 1);
    EXPECT_EQ(g_setup.rebootNeeded, 1);

    SCOPED_TRACE("a removal needs no new file");
    ASSERT_TRUE(DeleteFileA(text_.c_str()));
    g_setup.rebootNeeded = 0;
    g_setup.uninstallMode = 1;
    ExpectYesAndDirectory(kUninstallPromptTitle, kUninstallPathTitle);
    EXPECT_EQ(EditAutoexec(kRequestBoth, nullptr, nullptr), 1);
    EXPECT_FALSE(tst::FileExists(text_));
    EXPECT_EQ(g_setup.rebootNeeded, 0);
    EXPECT_EQ(g_setup.tsrInStartupFile, 1);
    EXPECT_TRUE(driver_.AllMet());
}

TEST_F(AutoexecEditorTest, AnotherDirectoryAnsweredIsTheOneUsed) {
    tst::TempDirectory other;
    ASSERT_TRUE(tst::WriteFile(text_, kOtherLines));
    std::string typed = WithoutBackslash(other.Path());
    CharLowerA(&typed[0]);
    driver_.Expect(Prompt(kInstallTitle, {kEdited}));
    driver_.Expect(DirectoryQuestion(kInstallTitle, WithoutBackslash(dir_.Path()), typed.c_str()));
    EXPECT_EQ(EditAutoexec(kRequestQvtlinit, kConfigDir, nullptr), 1);
    EXPECT_STREQ(g_setup.autoexecDirectory, other.Path().c_str());
    EXPECT_EQ(tst::ReadFile(other.File("AUTOEXEC.BAT")), kQvtlinitLine);
    EXPECT_EQ(tst::ReadFile(text_), kOtherLines);

    SCOPED_TRACE("a directory that does not exist: the ignore question decides");
    std::string missing = other.Path() + "MISSING";
    const char* ignoreText = " - Ignore error and continue?";
    std::string proposal = WithoutBackslash(other.Path());
    for (int press : {IDYES, IDNO}) {
        driver_.Expect(Prompt(kInstallTitle, {kEdited}));
        driver_.Expect(DirectoryQuestion(kInstallTitle, proposal, missing.c_str()));
        proposal = missing;
        std::string error = "Unable to create file " + missing + "\\AUTOEXEC.BAT" + ignoreText;
        driver_.Expect(tst::MessageBoxExpect("Error!", error.c_str(), {IDYES, IDNO}).Default(IDNO).Press(press));
        EXPECT_EQ(EditAutoexec(kRequestQvtlinit, kConfigDir, nullptr), press == IDYES ? 1 : 0);
    }
    EXPECT_TRUE(driver_.AllMet());
}

TEST_F(AutoexecEditorTest, TheQuestionFitsTheRequestAndTheMode) {
    struct Case {
        int request;
        int uninstall;
        const char* title;
        const char* secondLine;
        const char* thirdLine;
    };
    const Case cases[] = {
        {kRequestBoth, 0, kInstallTitle, "to set the QVTLINIT environment variable",
         "and to check for the TSR program QSPOOL.EXE"},
        {kRequestQvtlinit, 0, kInstallTitle, "to set the QVTLINIT environment variable", ""},
        {kRequestSpooler, 0, kInstallTitle, "to check for the TSR program QSPOOL.EXE", ""},
        {kRequestBoth, 1, kUninstallPromptTitle, "to remove the QVTLINIT environment variable",
         "and to remove the TSR program QSPOOL.EXE"},
        {kRequestQvtlinit, 1, kUninstallPromptTitle, "to remove the QVTLINIT environment variable", ""},
        {kRequestSpooler, 1, kUninstallPromptTitle, "to remove the TSR program QSPOOL.EXE", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.secondLine);
        g_setup.uninstallMode = c.uninstall;
        int answer = 1;
        driver_.Expect(Prompt(c.title, {kEdited, c.secondLine, c.thirdLine}, IDC_ANSWER_NO));
        EXPECT_EQ(AskAutoexecPrompt(c.request, answer), 1);
        EXPECT_EQ(answer, 0);
    }
    SCOPED_TRACE("Abort confirmed");
    int answer = 0;
    driver_.Expect(tst::DialogExpect(kUninstallPromptTitle, {kEdited}).Default(IDC_ANSWER_NO).Press(IDC_ABORT));
    driver_.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(AskAutoexecPrompt(kRequestBoth, answer), 0);
    EXPECT_TRUE(driver_.AllMet());
}

TEST_F(AutoexecEditorTest, NoOrAbortLeavesTheFileAlone) {
    ASSERT_TRUE(tst::WriteFile(text_, kOtherLines));
    driver_.Expect(Prompt(kInstallTitle, {kEdited}, IDC_ANSWER_NO));
    driver_.Expect(Warning("Ensure that the line\n'SET QVTLINIT=Z:\\TELMORA'\nis in AUTOEXEC.BAT or a startup file"));
    driver_.Expect(Warning("Ensure that the line\n'C:\\TELMORA\\QSPOOL'\nis in AUTOEXEC.BAT or a startup file"));
    EXPECT_EQ(EditAutoexec(kRequestBoth, kConfigDir, kProgramDir), 1);

    g_setup.uninstallMode = 1;
    driver_.Expect(Prompt(kUninstallPromptTitle, {kEdited}, IDC_ANSWER_NO));
    driver_.Expect(Warning("Ensure that the TSR program QSPOOL.EXE is not run from AUTOEXEC.BAT or any startup files"));
    EXPECT_EQ(EditAutoexec(kRequestBoth, nullptr, nullptr), 1);

    driver_.Expect(Prompt(kUninstallPromptTitle, {kEdited}));
    driver_.Expect(tst::DialogExpect(kUninstallPathTitle, {"Where is AUTOEXEC.BAT?"}).Press(IDC_ABORT));
    driver_.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(EditAutoexec(kRequestBoth, nullptr, nullptr), 0);

    EXPECT_TRUE(driver_.AllMet());
    EXPECT_EQ(tst::ReadFile(text_), kOtherLines);
    EXPECT_EQ(g_setup.rebootNeeded, 0);
    EXPECT_STREQ(g_setup.autoexecDirectory, dir_.Path().c_str());
}

TEST_F(AutoexecEditorTest, QuietUninstallAsksNothing) {
    g_setup.uninstallMode = 1;
    g_setup.quietSwitch = 1;
    EXPECT_EQ(EditAutoexec(kRequestBoth, nullptr, nullptr), 0);  // no AUTOEXEC.BAT there
    EXPECT_FALSE(tst::FileExists(text_));

    ASSERT_TRUE(tst::WriteFile(text_, std::string(kQvtlinitLine) + kOtherLines + kSpoolerLine));
    EXPECT_EQ(EditAutoexec(kRequestBoth, nullptr, nullptr), 1);
    EXPECT_EQ(tst::ReadFile(text_), kOtherLines);
    EXPECT_EQ(g_setup.rebootNeeded, 1);
    EXPECT_TRUE(driver_.Seen().empty());
}

TEST_F(AutoexecEditorTest, UpdateStartupFileAsksOnceForWhatDiffers) {
    ASSERT_TRUE(tst::WriteFile(text_, kOtherLines));
    driver_.Expect(Prompt(kInstallTitle, {kEdited, "to set the QVTLINIT environment variable",
                                          "and to check for the TSR program QSPOOL.EXE"}));
    driver_.Expect(DirectoryQuestion(kInstallTitle, WithoutBackslash(dir_.Path())));
    EXPECT_EQ(UpdateStartupFile(1, kProgramDir), 1);
    EXPECT_EQ(tst::ReadFile(text_), std::string("SET QVTLINIT=C:\\TELMORA\r\n") + kOtherLines + kSpoolerLine);
    EXPECT_STREQ(g_setup.qvtlinitValue, "C:\\TELMORA\\");
    EXPECT_EQ(g_setup.tsrInStartupFile, 1);

    // A second pass finds nothing that differs and asks nothing.
    EXPECT_EQ(UpdateStartupFile(1, kProgramDir), 1);
    EXPECT_TRUE(driver_.AllMet());
    EXPECT_EQ(driver_.Seen().size(), 2u);
}

TEST(AutoexecOnWindowsNT, NothingIsAskedOrTouched) {
    tst::FakeWindowsVersion nt(tst::kWindowsNT40);
    tst::TempDirectory dir;
    tst::DialogDriver driver;
    std::string root = dir.Path();
    tst::FreshRunState();
    lstrcpynA(g_setup.autoexecDirectory, root.c_str(), kPathFieldSize);
    EXPECT_EQ(UpdateStartupFile(1, kProgramDir), 1);
    EXPECT_EQ(EditAutoexec(kRequestBoth, kConfigDir, kProgramDir), 1);
    ASSERT_TRUE(tst::WriteFile(dir.File("AUTOEXEC.BAT"), kOtherLines));
    EXPECT_EQ(EditAutoexec(kRequestBoth, nullptr, nullptr), 1);
    EXPECT_EQ(tst::ReadFile(dir.File("AUTOEXEC.BAT")), kOtherLines);
    EXPECT_FALSE(tst::FileExists(dir.File("AUTOEXEC.TMP")));
    EXPECT_EQ(g_setup.rebootNeeded, 0);
    EXPECT_TRUE(driver.Seen().empty());
}

}  // namespace
