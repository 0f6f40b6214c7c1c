// Tests of the message functions: formatting by id and by format text, the
// "ERROR - <id>" fallback, the boxes' captions, styles and answers, the
// report modes, and the limits of the fixed message buffers.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdarg>
#include <string>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

namespace {

// A message box as MessageBoxW was asked to show it.
struct RecordedBox {
    int calls = 0;
    std::wstring text;
    std::wstring caption;
    UINT style = 0;
    int answer = IDOK;
};

RecordedBox g_box;

int WINAPI RecordMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT style) {
    ++g_box.calls;
    g_box.text = text ? text : L"";
    g_box.caption = caption ? caption : L"";
    g_box.style = style;
    return g_box.answer;
}

// Replaces MessageBoxW with the recorder for its scope.
class BoxRecorder {
public:
    explicit BoxRecorder(int answer) : hook_("USER32.dll", "MessageBoxW", reinterpret_cast<void*>(&RecordMessageBox)) {
        g_box = RecordedBox();
        g_box.answer = answer;
    }

private:
    tst::ImportHook hook_;
};

std::string Formatted(MessageText message, ...) {
    char buffer[kMessageSize];
    va_list args;
    va_start(args, message);
    FormatMessageText(buffer, kMessageSize, message, args);
    va_end(args);
    return buffer;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class MessagesTest : public testing::Test {
protected:
    void SetUp() override {
        g_setup.appInstance = GetModuleHandleA(nullptr);
        g_setup.languageLibrary = nullptr;
        g_setup.mainWindow = nullptr;
        text::Copy(g_setup.displayProgress, "");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(MessagesTest, FormatsIdsWithPrintfRulesAndFormatTextsWithWsprintfRules) {
    EXPECT_EQ("Copying file A.DLL to directory C:\\X\\", Formatted(IDS_COPYING_FILE, "A.DLL", "C:\\X\\"));
    EXPECT_EQ("Copying file A.DLL to directory C:\\X\\",
              Formatted("Copying file %s to directory %s", "A.DLL", "C:\\X\\"));
    EXPECT_EQ("1234 bytes 05/06/1997 07:08:09", Formatted(IDS_FILE_DETAILS, 1234L, 5, 6, 1997, 7, 8, 9));
    EXPECT_EQ("Insufficient free disk space on drive C - require 4000000000 bytes",
              Formatted(IDS_DISK_SPACE_LOW, 'C', 4000000000UL));
    EXPECT_EQ("Line 7 of 12", Formatted("Line %d of %d", 7, 12));

    // An id that exists nowhere reads "ERROR - <id>", whatever the arguments.
    EXPECT_EQ("ERROR - 3300", Formatted(3300, "ignored"));
    EXPECT_EQ("ERROR - 65535", Formatted(0xFFFF));
}

TEST_F(MessagesTest, LongMessagesAreCutToTheMessageBuffer) {
    const std::string path(300, 'P');
    std::string byId = Formatted(IDS_FILE_NOT_FOUND, path.c_str());
    EXPECT_EQ(200u, byId.size());
    EXPECT_EQ("File " + path.substr(0, 195), byId);

    // wsprintf writes up to 1024 characters whatever the target: a longer
    // argument must neither overrun nor lose the terminator.
    const std::string huge(3000, 'H');
    EXPECT_EQ(huge.substr(0, 200), Formatted("%s", huge.c_str()));

    // The progress line keeps 199 of them.
    ShowProgress(IDS_FILE_NOT_FOUND, path.c_str());
    EXPECT_EQ(("File " + path).substr(0, 199), g_setup.displayProgress);
}

TEST_F(MessagesTest, ShowProgressReplacesTheProgressLine) {
    ShowProgress(IDS_COPYING_FILE, "A.DLL", "C:\\X\\");
    EXPECT_STREQ("Copying file A.DLL to directory C:\\X\\", g_setup.displayProgress);
    ShowProgress("Checking version of %s", "B.DLL");
    EXPECT_STREQ("Checking version of B.DLL", g_setup.displayProgress);
    ShowProgress(3300);
    EXPECT_STREQ("ERROR - 3300", g_setup.displayProgress);
}

TEST_F(MessagesTest, BoxesShowTheirCaptionsTextsAndAnswers) {
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", "Directory C:\\X not found - Ignore error and continue?",
                                        {IDYES, IDNO})
                      .Default(IDNO)
                      .Press(IDYES));
    EXPECT_EQ(1, AskIgnoreError(IDS_DIRECTORY_NOT_FOUND, "C:\\X"));

    driver.Expect(tst::MessageBoxExpect("Error!", "Directory C:\\X not found - Ignore error and continue?",
                                        {IDYES, IDNO})
                      .Default(IDNO)
                      .Press(IDNO));
    EXPECT_EQ(0, AskIgnoreError(IDS_DIRECTORY_NOT_FOUND, "C:\\X"));

    driver.Expect(tst::MessageBoxExpect("Warning!", "File A.TXT not found", {IDOK}).Press(IDOK));
    EXPECT_EQ(IDOK, ShowWarning(IDS_FILE_NOT_FOUND, "A.TXT"));

    driver.Expect(tst::MessageBoxExpect("Error!", "Unable to copy file A\nto file B\n\n", {IDOK}).Press(IDOK));
    EXPECT_EQ(IDOK, ShowError(IDS_COPY_FILE_FAILED, "A", "B"));

    driver.Expect(tst::MessageBoxExpect("Error!", "ERROR - 9999", {IDOK}).Press(IDOK));
    EXPECT_EQ(IDOK, ShowError(9999));

    EXPECT_TRUE(driver.AllMet());
}

TEST_F(MessagesTest, ReportFailureReportsInEachMode) {
    struct Row {
        int mode;
        int answer;          // what the box returns
        bool box;            // a box is shown
        const wchar_t* caption;
        UINT style;
        int result;
        bool progress;       // the progress line is set
    };
    const Row rows[] = {
        {kReportAskIgnore, IDYES, true, L"Error!", MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2, 1, false},
        {kReportAskIgnore, IDNO, true, L"Error!", MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2, 0, false},
        {kReportError, IDOK, true, L"Error!", MB_ICONHAND, 0, false},
        {kReportWarning, IDOK, true, L"Warning!", MB_ICONEXCLAMATION, 0, false},
        {kReportProgress, IDOK, false, L"", 0, 0, true},
        {kReportSilent, IDOK, false, L"", 0, 0, false},
        {0, IDOK, false, L"", 0, 0, false},
        {99, IDOK, false, L"", 0, 0, false},
    };
    const std::string message = "Directory C:\\X not found";
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " answer " << row.answer);
        BoxRecorder recorder(row.answer);
        text::Copy(g_setup.displayProgress, "before");

        EXPECT_EQ(row.result, ReportFailure(row.mode, IDS_DIRECTORY_NOT_FOUND, "C:\\X"));

        EXPECT_EQ(row.box ? 1 : 0, g_box.calls);
        if (row.box) {
            std::string expected = message;
            if (row.mode == kReportAskIgnore) expected += " - Ignore error and continue?";
            EXPECT_EQ(Widen(expected), g_box.text);
            EXPECT_EQ(std::wstring(row.caption), g_box.caption);
            EXPECT_EQ(row.style, g_box.style);
        }
        EXPECT_EQ(row.progress ? message : std::string("before"), g_setup.displayProgress);
    }
}

TEST_F(MessagesTest, QuestionSurvivesALongMessage) {
    BoxRecorder recorder(IDYES);
    const std::string path(300, 'P');
    EXPECT_EQ(1, AskIgnoreError(IDS_DIRECTORY_NOT_FOUND, path.c_str()));
    const std::wstring question = L" - Ignore error and continue?";
    ASSERT_GT(g_box.text.size(), question.size());
    EXPECT_EQ(question, g_box.text.substr(g_box.text.size() - question.size()));
    EXPECT_EQ(200u + question.size(), g_box.text.size());
}

TEST_F(MessagesTest, ShowMessageBoxConvertsUnderTheLocaleAndCutsLongTexts) {
    BoxRecorder recorder(IDCANCEL);
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, ".1252"));
    EXPECT_EQ(IDCANCEL, ShowMessageBox(nullptr, "Price \x80 5", kProductCaption, MB_OKCANCEL));
    EXPECT_EQ(std::wstring(L"Price \x20AC 5"), g_box.text);
    EXPECT_EQ(std::wstring(L"Telmora"), g_box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), g_box.style);

    const std::string longText(2000, 'T');
    const std::string longCaption(700, 'C');
    ShowMessageBox(nullptr, longText.c_str(), longCaption.c_str(), MB_OK);
    EXPECT_EQ(1569u, g_box.text.size());
    EXPECT_EQ(513u, g_box.caption.size());
}

}  // namespace
