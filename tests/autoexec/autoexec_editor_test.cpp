// AUTOEXEC.BAT editing on real files, one row per case: the program's two
// lines added, replaced, removed while every other line keeps its bytes; the
// questions, the warnings after No, another directory answered, quiet
// uninstallation. Windows 95 is faked (Wine reports NT). The rewrite's failure
// points are in the fault matrix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "autoexec/autoexec_editor.h"
#include "common/setup_context.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

const char kTitle[] = "Telmora installation", kUninstallTitle[] = "Telmora Client Uninstallation";
const char kEdited[] = "AUTOEXEC.BAT needs to be edited", kConfigDir[] = "z:\\telmora\\", kProgramDir[] = "C:\\TELMORA\\";
const std::string kVariable = "SET QVTLINIT=Z:\\TELMORA\r\n", kSpooler = "C:\\TELMORA\\QSPOOL.EXE\r\n";
// Somebody else's lines: mixed line ends, trailing blanks, a tab; lines that only look like the spooler's.
const std::string kOther = "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS  \r\nSET\tTEMP=C:\\TEMP\n";
const std::string kLookAlike =
    "REM C:\\OLD\\QSPOOL.EXE\r\nECHO QSPOOL\r\n:QSPOOL\r\nC:\\OLD\\MYQSPOOL.EXE\r\nC:\\OLD\\QSPOOLX.EXE\r\n";

tst::Expectation Prompt(const char* title, std::vector<std::string> lines, int press = IDC_ANSWER_YES) {
    return tst::DialogExpect(title, std::move(lines)).Default(IDC_ANSWER_YES).Press(press);
}
tst::Expectation Warning(const char* text) { return tst::MessageBoxExpect("Warning!", text, {IDOK}); }
tst::Expectation Where(const char* title = kTitle, const char* typed = nullptr) {
    tst::Expectation question = tst::DialogExpect(title, {"Where is AUTOEXEC.BAT?"});
    if (typed) question.Type(IDC_PATH_EDIT, typed);
    return question.Press(IDOK);
}

class AutoexecEditor : public testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        lstrcpynA(g_setup.autoexecDirectory, dir_.Path().c_str(), kPathFieldSize);
    }
    tst::FakeWindowsVersion windows95_{tst::kWindows95};
    tst::TempDirectory dir_;
    const std::string path_ = dir_.File("AUTOEXEC.BAT");
    tst::DialogDriver driver_;
};

TEST_F(AutoexecEditor, EditsOnlyItsOwnLines) {
    const struct {
        const char* name;
        int request;
        const char *initDir, *spoolDir;
        bool exists;
        std::string before, after;  // after "": the file is not written
    } rows[] = {
        {"the variable becomes the first line", kRequestQvtlinit, kConfigDir, nullptr, true, kOther + "QSPOOL\r\nlast",
         kVariable + kOther + "QSPOOL\r\nlast\n"},
        {"an equal line in another case", kRequestQvtlinit, kConfigDir, nullptr, true,
         kOther + "set qvtlinit=z:\\telmora  \r\n", ""},
        {"LH with a path and a switch", kRequestSpooler, nullptr, kProgramDir, true, "LH C:\\OLD\\QSPOOL.EXE /A\r\n" + kOther,
         "LH C:\\TELMORA\\QSPOOL.EXE /A\r\n" + kOther},
        {"bare QSPOOL", kRequestSpooler, nullptr, kProgramDir, true, "QSPOOL\n" + kOther, kSpooler + kOther},
        {"an equal spooler line in another case", kRequestSpooler, nullptr, kProgramDir, true,
         kOther + "c:\\telmora\\qspool.exe\r\n", ""},
        {"look-alikes kept, the spooler line added", kRequestSpooler, nullptr, kProgramDir, true, kLookAlike + kOther,
         kLookAlike + kOther + kSpooler},
        {"both lines replaced", kRequestBoth, kConfigDir, kProgramDir, true,
         "SET QVTLINIT=C:\\OLD\r\n" + kOther + "C:\\OLD\\QSPOOL\r\n", kVariable + kOther + kSpooler},
        {"both lines removed", kRequestBoth, nullptr, nullptr, true,
         "set QVTLINIT=C:\\A\r\n" + kOther + "LH QSPOOL /A\r\nSET QVTLINIT=C:\\B\r\n" + kLookAlike, kOther + kLookAlike},
        {"nothing to remove", kRequestBoth, nullptr, nullptr, true, kOther + kLookAlike, ""},
        {"a new file", kRequestBoth, kConfigDir, kProgramDir, false, "", kVariable + kSpooler},
        {"no new file for a removal", kRequestBoth, nullptr, nullptr, false, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        DeleteFileA(path_.c_str());
        if (row.exists) {
            ASSERT_TRUE(tst::WriteFile(path_, row.before));
        }
        driver_.Expect(Prompt(kTitle, {kEdited}));
        driver_.Expect(Where());
        EXPECT_EQ(1, EditAutoexec(row.request, row.initDir, row.spoolDir));
        bool written = !row.after.empty();
        EXPECT_EQ(written ? row.after : row.before, tst::ReadFile(path_));
        EXPECT_EQ(row.exists || written, tst::FileExists(path_));
        EXPECT_EQ(written ? 1 : 0, g_setup.rebootNeeded);
        EXPECT_STREQ(written && row.initDir ? row.initDir : "", g_setup.qvtlinitValue);
        EXPECT_EQ(written && row.spoolDir ? 1 : 0, g_setup.tsrInStartupFile);
        EXPECT_EQ(written && !row.exists ? "Created file " + path_ : "", std::string(g_setup.displayProgress));
        EXPECT_FALSE(tst::FileExists(dir_.File("AUTOEXEC.TMP")) || tst::FileExists(dir_.File("AUTOEXEC.001")));
    }
    EXPECT_TRUE(driver_.AllMet());
}

TEST_F(AutoexecEditor, QuestionsAndTheirAnswers) {
    const char *set = "to set the QVTLINIT environment variable", *remove = "to remove the QVTLINIT environment variable";
    const struct {
        int request, uninstall;
        const char *second, *third;
    } prompts[] = {
        {kRequestBoth, 0, set, "and to check for the TSR program QSPOOL.EXE"}, {kRequestQvtlinit, 0, set, ""},
        {kRequestSpooler, 0, "to check for the TSR program QSPOOL.EXE", ""},
        {kRequestBoth, 1, remove, "and to remove the TSR program QSPOOL.EXE"}, {kRequestQvtlinit, 1, remove, ""},
        {kRequestSpooler, 1, "to remove the TSR program QSPOOL.EXE", ""},
    };
    for (const auto& row : prompts) {
        g_setup.uninstallMode = row.uninstall;
        int answer = 1;
        driver_.Expect(Prompt(row.uninstall ? kUninstallTitle : kTitle, {kEdited, row.second, row.third}, IDC_ANSWER_NO));
        EXPECT_EQ(1, AskAutoexecPrompt(row.request, answer));
        EXPECT_EQ(0, answer) << row.second;
    }
    // No: the user is told what to see to; Abort: nothing more.
    ASSERT_TRUE(tst::WriteFile(path_, kOther));
    g_setup.uninstallMode = 0;
    driver_.Expect(Prompt(kTitle, {kEdited}, IDC_ANSWER_NO));
    driver_.Expect(Warning("Ensure that the line\n'SET QVTLINIT=Z:\\TELMORA'\nis in AUTOEXEC.BAT or a startup file"));
    driver_.Expect(Warning("Ensure that the line\n'C:\\TELMORA\\QSPOOL'\nis in AUTOEXEC.BAT or a startup file"));
    EXPECT_EQ(1, EditAutoexec(kRequestBoth, kConfigDir, kProgramDir));
    g_setup.uninstallMode = 1;
    driver_.Expect(Prompt(kUninstallTitle, {kEdited}, IDC_ANSWER_NO));
    driver_.Expect(Warning("Ensure that the TSR program QSPOOL.EXE is not run from AUTOEXEC.BAT or any startup files"));
    EXPECT_EQ(1, EditAutoexec(kRequestBoth, nullptr, nullptr));
    driver_.Expect(Prompt(kUninstallTitle, {kEdited}));
    driver_.Expect(tst::DialogExpect("Telmora Uninstallation", {"Where is AUTOEXEC.BAT?"}).Press(IDC_ABORT));
    driver_.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(0, EditAutoexec(kRequestBoth, nullptr, nullptr));
    EXPECT_EQ(kOther, tst::ReadFile(path_));

    // The directory answered is the one used; where no file can be created there, the ignore question decides.
    const std::string missing = dir_.Path() + "MISSING";
    std::string typed = missing;
    CharLowerA(&typed[0]);
    g_setup.uninstallMode = 0;
    for (int press : {IDYES, IDNO}) {
        driver_.Expect(Prompt(kTitle, {kEdited}));
        driver_.Expect(Where(kTitle, typed.c_str()));
        driver_.Expect(tst::MessageBoxExpect(
            "Error!", ("Unable to create file " + missing + "\\AUTOEXEC.BAT - Ignore error and continue?").c_str(),
            {IDYES, IDNO}).Default(IDNO).Press(press));
        EXPECT_EQ(press == IDYES ? 1 : 0, EditAutoexec(kRequestQvtlinit, kConfigDir, nullptr));
    }
    EXPECT_EQ(missing + "\\", g_setup.autoexecDirectory);
    EXPECT_EQ(0, g_setup.rebootNeeded);
    EXPECT_TRUE(driver_.AllMet());
}

TEST_F(AutoexecEditor, UpdateStartupFileAndQuietUninstall) {
    ASSERT_TRUE(tst::WriteFile(path_, kOther));
    std::strcpy(g_setup.configDirectory, "C:\\TELMORA\\");
    driver_.Expect(Prompt(kTitle, {kEdited, "to set the QVTLINIT environment variable",
                                   "and to check for the TSR program QSPOOL.EXE"}));
    driver_.Expect(Where());
    EXPECT_EQ(1, UpdateStartupFile(1, kProgramDir));
    EXPECT_EQ(1, UpdateStartupFile(1, kProgramDir)) << "a second pass finds nothing that differs and asks nothing";
    EXPECT_EQ("SET QVTLINIT=C:\\TELMORA\r\n" + kOther + kSpooler, tst::ReadFile(path_));
    g_setup.uninstallMode = g_setup.quietSwitch = 1;
    EXPECT_EQ(1, EditAutoexec(kRequestBoth, nullptr, nullptr)) << "unasked";
    EXPECT_EQ(kOther, tst::ReadFile(path_));
    DeleteFileA(path_.c_str());
    EXPECT_EQ(0, EditAutoexec(kRequestBoth, nullptr, nullptr)) << "no AUTOEXEC.BAT where it was";
    EXPECT_FALSE(tst::FileExists(path_));
    EXPECT_TRUE(driver_.AllMet());
    EXPECT_EQ(2u, driver_.Seen().size());
}

}  // namespace
