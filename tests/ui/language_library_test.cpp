// Tests with real client language libraries (built from fixtures/languages):
// the German library started as QVINTL32.DLL, the fall-back to the program's
// own strings and templates for what a library lacks, and a library whose
// characters no font can show, which start-up drops again.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "common/win_handles.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "ui/dialogs.h"
#include "ui/language.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char* const kTemplates[] = {
    IDD_BOOL_ADD_PROGMAN_ENTRY, IDD_BOOL_PROMPT_BOTH, IDD_BOOL_PROMPT_BOTH_UNINSTALL,
    IDD_BOOL_PROMPT_INIT, IDD_BOOL_PROMPT_INIT_UNINSTALL, IDD_BOOL_PROMPT_SHARE,
    IDD_BOOL_PROMPT_TSR, IDD_BOOL_PROMPT_TSR_UNINSTALL, IDD_BOOL_RUN_TSR,
    IDD_FUNCTION_BOX, IDD_LANGUAGE_BOX, IDD_NETWORK3_BOX,
    IDD_NETWORK_BOX, IDD_PATH_AUTOEXEC_DIR, IDD_PATH_AUTOEXEC_DIR_UNINSTALL,
    IDD_PATH_DISTRIB_DIR, IDD_PATH_LOG_AREA, IDD_PATH_NET_SERVER_BASE_DIR,
    IDD_PATH_PROG_AREA, IDD_PATH_QVTLINI_CREATE, IDD_PATH_QVTLINI_EXISTS,
    IDD_PATH_REQUEST_AREA, IDD_PATH_SERVER_BASE_DIR, IDD_PATH_SYSTEM_AREA,
    IDD_PATH_USER_AREA, IDD_REBOOT_BOX, IDD_REPLACE_BOX,
    IDD_STRING_DEFAULT_USER1, IDD_STRING_DEFAULT_USER2, IDD_STRING_REDIRECT_DEVICE,
    IDD_STRING_SPOOL_DEVICE,
};

const DWORD kVersions[] = {tst::kWindowsNT40, tst::kWindows95};

// German texts in code page 1252, as the ANSI calls read them.
const char kGermanTitle[] = "Telmora-Installation";
const char kGermanDistribLine1[] = "Von wo m\xf6" "chten Sie die Telmora";
const char kGermanTsrLine1[] = "M\xf6" "chten Sie das TSR-Spoolerprogramm verwenden?";
const char kEnglishTitle[] = "Telmora installation";

std::string FixturePath(const char* file) {
    return tst::UnixToWinePath(TELMORA_BUILD_DIR "/fixtures/languages/") + file;
}

std::string LocalString(UINT id) {
    char text[kMessageSize];
    LoadLocalString(g_setup.appInstance, id, text);
    return text;
}

std::string CurrentLocale() {
    const char* name = std::setlocale(LC_ALL, nullptr);
    return name ? name : "";
}

// A fixture library copied as QVINTL32.DLL into a scratch directory that the
// DLL search looks at, for the scope of a test. The library is released
// before the directory goes.
class InstalledLanguage {
public:
    explicit InstalledLanguage(const char* fixture) {
        placed_ = CopyFileA(FixturePath(fixture).c_str(), directory_.File("QVINTL32.DLL").c_str(), FALSE) != FALSE;
        if (placed_) SetDllDirectoryA(directory_.Path().c_str());
    }
    ~InstalledLanguage() {
        ReleaseLanguage();
        SetDllDirectoryA(nullptr);
    }
    InstalledLanguage(const InstalledLanguage&) = delete;
    InstalledLanguage& operator=(const InstalledLanguage&) = delete;

    bool Placed() const { return placed_; }

private:
    tst::TempDirectory directory_;
    bool placed_ = false;
};

class LanguageLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        g_setup.appInstance = GetModuleHandleA(nullptr);
        g_setup.mainWindow = nullptr;
        g_setup.languageLibrary = nullptr;
        std::setlocale(LC_ALL, "C");
    }
    void TearDown() override {
        ReleaseLanguage();
        std::setlocale(LC_ALL, "C");
    }
};

// Ends a template with the id of the button pressed (edit control
// notifications are no presses).
INT_PTR CALLBACK EndWithCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return DialogStart(dialog, wParam, &lParam);
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

INT_PTR RunTemplate(const char* name) {
    return RunDialog(g_setup.appInstance, name, g_setup.mainWindow, EndWithCommand, 0);
}

void ExpectEnglishEverywhere() {
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", "Directory C:\\X not found", {IDOK}));
    driver.Expect(tst::DialogExpect(kEnglishTitle, {"Where do you want to copy the Telmora"}).Press(IDOK));
    ShowError(IDS_DIRECTORY_NOT_FOUND, "C:\\X");
    EXPECT_EQ(IDOK, RunTemplate(IDD_PATH_DISTRIB_DIR));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ("Abort installation?", LocalString(IDS_ABORT_INSTALLATION));
}

TEST_F(LanguageLibraryTest, GermanLibraryIsKeptAndSpeaksGerman) {
    for (DWORD versionValue : kVersions) {
        SCOPED_TRACE(versionValue == tst::kWindows95 ? "Windows 95" : "Windows NT");
        tst::FakeWindowsVersion version(versionValue);
        InstalledLanguage german("QVIGER32.DLL");
        ASSERT_TRUE(german.Placed());
        std::setlocale(LC_ALL, "C");

        ASSERT_EQ(kLanguageStarted, StartLanguage())
            << "no font for ANSI characters in the caption or message font (scripts/testbed.sh)";
        ASSERT_NE(nullptr, g_setup.languageLibrary);
        EXPECT_EQ(ANSI_CHARSET, LanguageCharset());
        if (versionValue == tst::kWindowsNT40) {
            EXPECT_EQ("German_Germany.1252", CurrentLocale());
        }

        EXPECT_EQ("Installation abgebrochen", LocalString(IDS_INSTALLATION_ABORTED));
        EXPECT_EQ("Ger\xe4tenamen d\xfcrfen weder '.' noch '\\' noch ':' enthalten",
                  LocalString(IDS_INVALID_DEVICE_NAME));

        tst::DialogDriver driver;
        driver.Expect(tst::MessageBoxExpect("Fehler!",
                                            "Datei kann nicht gel\xf6scht werden: C:\\X.  L\xf6schen Sie diese "
                                            "Datei von Hand. - Fehler ignorieren und fortfahren?",
                                            {IDYES, IDNO})
                          .Default(IDNO)
                          .Press(IDYES));
        driver.Expect(tst::DialogExpect(kGermanTitle, {kGermanDistribLine1, "Client-Dateien kopieren?", ""})
                          .Buttons({IDOK, IDC_ABORT})
                          .Press(IDC_ABORT));
        EXPECT_EQ(1, AskIgnoreError(IDS_CANNOT_DELETE_FILE, "C:\\X"));
        EXPECT_EQ(IDC_ABORT, RunTemplate(IDD_PATH_DISTRIB_DIR));
        EXPECT_TRUE(driver.AllMet());
    }
}

TEST_F(LanguageLibraryTest, WhatTheLibraryLacksComesFromTheProgram) {
    InstalledLanguage partial("QVIPAR32.DLL");
    ASSERT_TRUE(partial.Placed());
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    ASSERT_EQ(kLanguageStarted, StartLanguage());
    ASSERT_NE(nullptr, g_setup.languageLibrary);
    char probe[kMessageSize];
    ASSERT_EQ(0, LoadStringA(g_setup.languageLibrary, IDS_INSTALLATION_ABORTED, probe, kMessageSize));
    ASSERT_EQ(nullptr, FindResourceA(g_setup.languageLibrary, IDD_PATH_DISTRIB_DIR, RT_DIALOG));

    EXPECT_EQ("Installation abbrechen?", LocalString(IDS_ABORT_INSTALLATION));
    EXPECT_EQ("Installation aborted", LocalString(IDS_INSTALLATION_ABORTED));

    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Fehler!", "Installation aborted", {IDOK}));
    driver.Expect(tst::DialogExpect(kGermanTitle, {kGermanTsrLine1}).Press(IDC_ANSWER_NO));
    driver.Expect(tst::DialogExpect(kEnglishTitle, {"Where do you want to copy the Telmora"}).Press(IDOK));
    ShowError(IDS_INSTALLATION_ABORTED);
    EXPECT_EQ(IDC_ANSWER_NO, RunTemplate(IDD_BOOL_RUN_TSR));
    EXPECT_EQ(IDOK, RunTemplate(IDD_PATH_DISTRIB_DIR));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(LanguageLibraryTest, LibraryWithoutFontIsReleasedAtStart) {
    struct Row {
        DWORD version;
        int started;
    };
    const Row rows[] = {{tst::kWindowsNT40, kLanguageNoNtFont}, {tst::kWindows95, kLanguageNoFont}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version == tst::kWindows95 ? "Windows 95" : "Windows NT");
        tst::FakeWindowsVersion version(row.version);
        InstalledLanguage unusable("QVIXXX32.DLL");
        ASSERT_TRUE(unusable.Placed());

        EXPECT_EQ(row.started, StartLanguage());
        EXPECT_EQ(nullptr, g_setup.languageLibrary);
        EXPECT_EQ(nullptr, GetModuleHandleA("QVINTL32.DLL")) << "the library is unloaded";
        EXPECT_EQ(ANSI_CHARSET, LanguageCharset());
        ExpectEnglishEverywhere();
    }
}

// --- The German library mirrors the program's resources. ---

// printf conversions of a text in order ("%s", "%02d", ...); "%%" is none.
std::vector<std::string> Placeholders(const std::wstring& text) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            ++i;
            continue;
        }
        std::string conversion = "%";
        while (++i < text.size()) {
            conversion += static_cast<char>(text[i]);
            if (std::wcschr(L"sdcuxX", text[i])) break;
        }
        found.push_back(conversion);
    }
    return found;
}

std::wstring WideString(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

// Reads a classic DLGTEMPLATE: everything but the texts.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* bytes) : at_(bytes) {}

    std::string Layout() {
        std::string layout = Fields("DD");
        int items = ReadWord();
        layout += std::to_string(items) + ":";
        layout += Fields("WWWWNNtWN");  // place, menu, class, title, font
        for (int i = 0; i < items; ++i) {
            while (reinterpret_cast<UINT_PTR>(at_) % sizeof(DWORD) != 0) ++at_;
            layout += "|";
            layout += Fields("DDWWWWWNt");  // styles, place, id, class, text
            at_ += ReadWord();              // creation data
        }
        return layout;
    }

private:
    // Reads the fields `kinds` names in order: D a DWORD, W a WORD, N a name
    // or ordinal, t a text that is read but left out.
    std::string Fields(const char* kinds) {
        std::string read;
        for (; *kinds; ++kinds) {
            if (*kinds == 'D') {
                DWORD value;
                std::memcpy(&value, at_, sizeof(value));
                at_ += sizeof(value);
                read += std::to_string(value) + ",";
            } else if (*kinds == 'W') {
                read += std::to_string(ReadWord()) + ",";
            } else {
                std::string name = Named();
                if (*kinds == 'N') read += name + ",";
            }
        }
        return read;
    }
    WORD ReadWord() {
        WORD value;
        std::memcpy(&value, at_, sizeof(value));
        at_ += sizeof(value);
        return value;
    }
    // A text, or an ordinal (0xFFFF, number).
    std::string Named() {
        WORD first = ReadWord();
        if (first == 0xFFFF) return "#" + std::to_string(ReadWord());
        std::string name;
        for (WORD unit = first; unit != 0; unit = ReadWord()) name += static_cast<char>(unit);
        return name;
    }

    const BYTE* at_;
};

std::string TemplateLayout(HMODULE module, const char* name, std::wstring* title) {
    HRSRC resource = FindResourceA(module, name, RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes) return "";
    const std::size_t kTitleOffset = 22;  // no menu, no class
    *title = reinterpret_cast<const wchar_t*>(bytes + kTitleOffset);
    return TemplateReader(bytes).Layout();
}

TEST_F(LanguageLibraryTest, GermanLibraryMirrorsTheProgramsResources) {
    win::Module german(LoadLibraryExA(FixturePath("QVIGER32.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(german.IsOpen()) << FixturePath("QVIGER32.DLL");
    HMODULE own = g_setup.appInstance;

    int strings = 0;
    for (UINT id = IDS_FIRST_STRING; id <= IDS_LAST_STRING; ++id) {
        std::wstring english = WideString(own, id);
        std::wstring translated = WideString(german, id);
        EXPECT_EQ(english.empty(), translated.empty()) << "string " << id;
        EXPECT_EQ(Placeholders(english), Placeholders(translated)) << "string " << id;
        if (!english.empty()) ++strings;
    }
    EXPECT_EQ(136, strings);

    EXPECT_EQ(L"0", WideString(german, IDS_LIBRARY_CHARSET));
    std::wstring locale = WideString(german, IDS_LIBRARY_LOCALE);
    EXPECT_NE(nullptr, _wsetlocale(LC_ALL, locale.c_str())) << "the C runtime takes the locale name";

    for (const char* name : kTemplates) {
        std::wstring englishTitle, germanTitle;
        std::string englishLayout = TemplateLayout(own, name, &englishTitle);
        ASSERT_FALSE(englishLayout.empty()) << name;
        EXPECT_EQ(englishLayout, TemplateLayout(german, name, &germanTitle)) << name;
        EXPECT_NE(englishTitle, germanTitle) << name << " has a German title";
    }
}

}  // namespace
