// The program's strings and templates, the client language library and the
// message functions, seen in real boxes and dialogs. Every string id and
// template name of src/ui/resource_ids.h must load from the program and the
// German library; a library is kept or dropped at start-up, and what it lacks
// comes from the program; each way of reporting shows its formatted message.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "ui/language.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"

namespace {

class StringsTest : public testing::Test {
    void SetUp() override { tst::FreshRunState(); }
    void TearDown() override {
        ReleaseLanguage();
        std::setlocale(LC_ALL, "C");
        tst::FreshRunState();
    }
};

// The values of the header's "#define <prefix>... value" lines, unquoted.
std::vector<std::string> Defined(const char* prefix) {
    const std::string header = tst::ReadFile(tst::UnixToWinePath(TELMORA_SOURCE_DIR "/src/ui/resource_ids.h"));
    const std::regex line(std::string("#define ") + prefix + "\\w* \"?(\\w+)\"?");
    std::vector<std::string> found;
    for (std::sregex_iterator it(header.begin(), header.end(), line), end; it != end; ++it) found.push_back((*it)[1]);
    return found;
}

std::wstring WideString(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

// The printf conversions of a text in order.
std::wstring Placeholders(const std::wstring& text) {
    static const std::wregex conversion(L"%[-0-9.l]*[sdcuxX%]");
    std::wstring found;
    for (std::wsregex_iterator it(text.begin(), text.end(), conversion), end; it != end; ++it) found += it->str();
    return found;
}

// The controls each dialog procedure uses, by the start of its templates' names.
const std::vector<int> kAnswerField = {IDC_PATH_EDIT, IDOK, IDC_ABORT};
const struct {
    const char* prefix;
    std::vector<int> controls;
} kFamilies[] = {
    {"Path", kAnswerField}, {"String", kAnswerField}, {"Bool", {IDC_ANSWER_YES, IDC_ANSWER_NO, IDC_ABORT}},
    {"ReplaceBox", {IDC_TEXT_LINE1, IDC_TEXT_LINE6, IDC_ANSWER_YES, IDC_ANSWER_NO, IDC_ABORT}},
    {"NetworkBox", {IDC_NETWORK_PRIMARY, IDC_NETWORK_SECOND, IDC_NETWORK_NONE, IDOK, IDC_ABORT}},
    {"Network3Box", {IDC_NETWORK_PRIMARY, IDC_NETWORK_SECOND, IDC_NETWORK_THIRD, IDC_NETWORK_NONE, IDOK, IDC_ABORT}},
    {"LanguageBox", {IDC_LANGUAGE_LIST, IDOK, IDC_ABORT}},
    {"FunctionBox", {IDC_FUNCTION_INSTALL, IDC_FUNCTION_EDIT, IDC_FUNCTION_COPY, IDC_FUNCTION_UPDATE,
                     IDC_FUNCTION_UNINSTALL, IDC_FUNCTION_QUIT, IDOK}},
    {"RebootBox", {IDC_REBOOT, IDC_RETURN_TO_DOS, IDC_REBOOT_EXIT}},
};

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(StringsTest, ProgramAndGermanLibraryHoldEveryIdAndTemplateTheCodeNames) {
    std::vector<UINT> ids;
    for (const std::string& value : Defined("IDS_")) {
        UINT id = static_cast<UINT>(std::stoul(value));
        if (id >= IDS_FIRST_STRING && id <= IDS_LAST_STRING) ids.push_back(id);  // not 2821, 2822: library only
    }
    const std::vector<std::string> templates = Defined("IDD_");
    ASSERT_TRUE(templates.size() == 31 && ids.front() == IDS_FIRST_STRING && ids.back() == IDS_LAST_STRING);

    HMODULE own = GetModuleHandleA(nullptr);
    const std::string germanPath = tst::UnixToWinePath(TELMORA_BUILD_DIR "/fixtures/languages/QVIGER32.DLL");
    win::Module german(LoadLibraryA(germanPath.c_str()));
    ASSERT_TRUE(german.IsOpen());
    EXPECT_NE(nullptr, LoadIconA(own, IDI_INSTALL));
    for (UINT id : ids) {
        std::wstring english = WideString(own, id), translated = WideString(german.Get(), id);
        EXPECT_TRUE(!english.empty() && english.size() < kMessageSize && translated.size() < kMessageSize) << id;
        EXPECT_EQ(Placeholders(english), Placeholders(translated)) << id;
    }
    for (HMODULE module : {own, german.Get()}) {
        for (const std::string& name : templates) {
            SCOPED_TRACE(name + (module == own ? "" : " (German)"));
            HWND dialog = CreateDialogParamA(module, name.c_str(), nullptr, QuietDialog, 0);
            ASSERT_NE(nullptr, dialog);
            bool known = false;
            for (const auto& family : kFamilies) {
                if (name.compare(0, std::strlen(family.prefix), family.prefix) != 0) continue;
                known = true;
                for (int id : family.controls) EXPECT_NE(nullptr, GetDlgItem(dialog, id)) << "control " << id;
            }
            EXPECT_TRUE(known);
            DestroyWindow(dialog);
        }
    }
}


// What shows: the error caption and 3371, the titles of two templates (the library with gaps lacks the second).
struct Speech {
    const char *errorCaption, *aborted, *tsrTitle, *distribTitle;
};
const Speech kEnglish = {"Error!", "Installation aborted", "Telmora installation", "Telmora installation"};
const Speech kGerman = {"Fehler!", "Installation abgebrochen", "Telmora-Installation", "Telmora-Installation"};
const Speech kGaps = {"Fehler!", "Installation aborted", "Telmora-Installation", "Telmora installation"};

TEST_F(StringsTest, StartKeepsALibraryWhoseCharactersCanBeShownAndFillsItsGaps) {
    if (UseHebrewUserLocale()) GTEST_SKIP() << "the user's locale is Hebrew";
    const std::string fixtures = tst::UnixToWinePath(TELMORA_BUILD_DIR "/fixtures/languages/");
    const struct {
        std::string file;
        DWORD version;
        int started;
        bool kept;
        const char* locale;  // the runtime library's locale, or its code page (".1252"); null: not checked
        const Speech& speech;
    } rows[] = {
        {"", tst::kWindowsNT40, kLanguageStarted, false, "C", kEnglish},
        {"", tst::kWindows95, kLanguageStarted, false, ".1252", kEnglish},  // the system font's code page
        {fixtures + "QVIGER32.DLL", tst::kWindowsNT40, kLanguageStarted, true, "German_Germany.1252", kGerman},
        {fixtures + "QVIGER32.DLL", tst::kWindows95, kLanguageStarted, true, ".1252", kGerman},
        {fixtures + "QVIPAR32.DLL", tst::kWindows95, kLanguageStarted, true, nullptr, kGaps},
        {fixtures + "QVIXXX32.DLL", tst::kWindowsNT40, kLanguageNoNtFont, false, nullptr, kEnglish},
        {fixtures + "QVIXXX32.DLL", tst::kWindows95, kLanguageNoFont, false, nullptr, kEnglish},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file + (row.version == tst::kWindows95 ? ", Windows 95" : ", Windows NT"));
        tst::FakeWindowsVersion version(row.version);
        tst::TempDirectory directory;  // the DLL search looks here for QVINTL32.DLL
        ASSERT_TRUE(row.file.empty() || CopyFileA(row.file.c_str(), directory.File("QVINTL32.DLL").c_str(), FALSE));
        SetDllDirectoryA(directory.Path().c_str());
        std::setlocale(LC_ALL, "C");
        EXPECT_EQ(row.started, StartLanguage());
        EXPECT_EQ(row.kept, g_setup.languageLibrary != nullptr);
        EXPECT_EQ(row.kept, GetModuleHandleA("QVINTL32.DLL") != nullptr) << "a dropped library is unloaded";
        std::string locale = std::setlocale(LC_ALL, nullptr);
        if (row.locale && row.locale[0] == '.') locale = locale.substr(locale.size() - std::strlen(row.locale));
        EXPECT_EQ(row.locale ? row.locale : locale, locale);
        EXPECT_EQ(ANSI_CHARSET, LanguageCharset());

        tst::DialogDriver driver;
        driver.Expect(tst::MessageBoxExpect(row.speech.errorCaption, row.speech.aborted, {IDOK}));
        driver.Expect(tst::DialogExpect(row.speech.tsrTitle, {}).Press(IDC_ANSWER_NO));
        driver.Expect(tst::DialogExpect(row.speech.distribTitle, {}).Press(IDOK));
        ShowError(IDS_INSTALLATION_ABORTED);
        int yes = 1;
        char path[kPathAnswerSize] = "";
        EXPECT_TRUE(AskYesNo(IDD_BOOL_RUN_TSR, 1, yes) && AskPath(IDD_PATH_DISTRIB_DIR, "", path, sizeof path));
        EXPECT_TRUE(driver.AllMet());
        ReleaseLanguage();
        SetDllDirectoryA(nullptr);
    }
}

BOOL CALLBACK TakeIcon(HWND control, LPARAM found) {
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    return FALSE;
}

struct BoxKind {
    std::string caption;
    std::vector<int> buttons;
    int defaultButton;
    LPCSTR icon;  // null: not checked
};
const BoxKind kAskBox = {"Error!", {IDYES, IDNO}, IDNO, IDI_HAND};
const BoxKind kErrorBox = {"Error!", {IDOK}, IDOK, IDI_HAND};
const BoxKind kWarningBox = {"Warning!", {IDOK}, IDOK, IDI_EXCLAMATION};
const char kAsk[] = "Directory C:\\X not found - Ignore error and continue?";

TEST_F(StringsTest, EachWayOfReportingShowsTheFormattedMessage) {
    const std::string path(300, 'P'), huge(3000, 'H'), longText(2000, 'T'), longCaption(700, 'C');
    const BoxKind ownBox = {"Telmora", {IDOK, IDCANCEL}, IDOK, nullptr};
    const BoxKind longBox = {longCaption.substr(0, 513), {IDOK}, IDOK, nullptr};
    const struct {
        std::function<int()> show;
        const BoxKind* box;  // null: the progress line, which keeps 199 characters
        std::string text;
        int press, result;
    } rows[] = {
        {[] { return AskIgnoreError(IDS_DIRECTORY_NOT_FOUND, "C:\\X"); }, &kAskBox, kAsk, IDYES, 1},
        {[] { return ShowError(IDS_COPY_FILE_FAILED, "A", "B"); }, &kErrorBox, "Unable to copy file A\nto file B\n\n",
         IDOK, IDOK},
        {[] { return ShowWarning(IDS_FILE_NOT_FOUND, "A.TXT"); }, &kWarningBox, "File A.TXT not found", IDOK, IDOK},
        {[] { return ShowError(9999); }, &kErrorBox, "ERROR - 9999", IDOK, IDOK},
        {[&] { return AskIgnoreError(IDS_DIRECTORY_NOT_FOUND, path.c_str()); }, &kAskBox,
         ("Directory " + path).substr(0, 200) + " - Ignore error and continue?", IDYES, 1},
        {[] { return ShowMessageBox(nullptr, "Price \x80 5", kProductCaption, MB_OKCANCEL); }, &ownBox,
         "Price \x80 5", IDCANCEL, IDCANCEL},
        {[&] { return ShowMessageBox(nullptr, longText.c_str(), longCaption.c_str(), MB_OK); }, &longBox,
         longText.substr(0, 1569), IDOK, IDOK},
        {[] { return ShowProgress(IDS_COPYING_FILE, "A.DLL", "C:\\X\\"), 0; }, nullptr,
         "Copying file A.DLL to directory C:\\X\\", 0, 0},
        {[] { return ShowProgress("Copying file %s to directory %s", "A.DLL", "C:\\X\\"), 0; }, nullptr,
         "Copying file A.DLL to directory C:\\X\\", 0, 0},
        {[] { return ShowProgress(IDS_FILE_DETAILS, 1234L, 5, 6, 1997, 7, 8, 9), 0; }, nullptr,
         "1234 bytes 05/06/1997 07:08:09", 0, 0},
        {[] { return ShowProgress(IDS_DISK_SPACE_LOW, 'C', 4000000000UL), 0; }, nullptr,
         "Insufficient free disk space on drive C - require 4000000000 bytes", 0, 0},
        {[] { return ShowProgress(3300, "ignored"), 0; }, nullptr, "ERROR - 3300", 0, 0},
        {[&] { return ShowProgress(IDS_FILE_NOT_FOUND, path.c_str()), 0; }, nullptr,
         ("File " + path).substr(0, 199), 0, 0},
        {[&] { return ShowProgress("%s", huge.c_str()), 0; }, nullptr, huge.substr(0, 199), 0, 0},  // wsprintf: 1024
    };
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, ".1252"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        text::Copy(g_setup.displayProgress, "before");
        tst::DialogDriver driver;
        if (row.box) {
            LPCSTR icon = row.box->icon;
            driver.Expect(tst::MessageBoxExpect(row.box->caption.c_str(), row.text.c_str(), row.box->buttons)
                              .Default(row.box->defaultButton)
                              .Press(row.press)
                              .OnShow([icon](HWND box) {
                                  HICON shown = nullptr;
                                  EnumChildWindows(box, TakeIcon, reinterpret_cast<LPARAM>(&shown));
                                  EXPECT_EQ(icon ? LoadIconA(nullptr, icon) : shown, shown);
                              }));
        }
        EXPECT_EQ(row.result, row.show());
        EXPECT_EQ(row.box ? "before" : row.text, g_setup.displayProgress);
    }
}

}  // namespace
