// Tests of the language library start-up without QVINTL32.DLL, the locale
// and font checks, and the dialog runner with the program's own templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "common/setup_context.h"
#include "common/win_handles.h"
#include "support/import_hook.h"
#include "ui/dialogs.h"
#include "ui/language.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kVersions[] = {tst::kWindowsNT40, tst::kWindows95};

const char* VersionName(DWORD version) { return version == tst::kWindows95 ? "Windows 95" : "Windows NT"; }

std::string CurrentLocale() {
    const char* name = std::setlocale(LC_ALL, nullptr);
    return name ? name : "";
}

// 1 when the user's default locale is Hebrew; the locale is left as it was.
bool UserLocaleIsHebrew() {
    std::string saved = CurrentLocale();
    const char* user = std::setlocale(LC_ALL, "");
    bool hebrew = user && std::strstr(user, "Hebrew");
    std::setlocale(LC_ALL, saved.c_str());
    return hebrew;
}

class LanguageTest : public testing::Test {
protected:
    void SetUp() override {
        g_setup.appInstance = GetModuleHandleA(nullptr);
        g_setup.languageLibrary = nullptr;
        std::setlocale(LC_ALL, "C");
        if (UserLocaleIsHebrew()) GTEST_SKIP() << "the user's locale is Hebrew";
    }
    void TearDown() override {
        g_setup.languageLibrary = nullptr;
        std::setlocale(LC_ALL, "C");
    }
};

// What the fake LoadLibraryA saw and returns.
struct LibraryLoad {
    std::string name;
    UINT errorMode = 0;
    HMODULE result = nullptr;
};
LibraryLoad g_load;

HMODULE WINAPI FakeLoadLibrary(LPCSTR name) {
    g_load.name = name ? name : "";
    g_load.errorMode = GetErrorMode();
    return g_load.result;
}

TEST_F(LanguageTest, StartWithoutLibraryKeepsEnglishAndSetsTheLocale) {
    UINT outerMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (DWORD versionValue : kVersions) {
        SCOPED_TRACE(VersionName(versionValue));
        tst::FakeWindowsVersion version(versionValue);
        std::setlocale(LC_ALL, "C");

        EXPECT_EQ(kLanguageStarted, StartLanguage());
        EXPECT_EQ(nullptr, g_setup.languageLibrary);
        EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS), GetErrorMode()) << "error mode restored";

        if (versionValue == tst::kWindows95) {
            // The system font's character set (ANSI) gives code page 1252.
            EXPECT_NE(std::string::npos, CurrentLocale().find(".1252")) << CurrentLocale();
        } else {
            EXPECT_EQ("C", CurrentLocale());
        }
        EXPECT_EQ(ANSI_CHARSET, LanguageCharset());
        EXPECT_EQ(1, SystemFontForCharsetExists());
    }
    SetErrorMode(outerMode);
}

TEST_F(LanguageTest, StartKeepsALoadedLibraryWithoutLocaleName) {
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    tst::ImportHook hook("KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void*>(&FakeLoadLibrary));
    ASSERT_TRUE(hook.Installed());

    // A handle below 32 is an old-style failure code.
    g_load = LibraryLoad();
    g_load.result = reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(5));
    EXPECT_EQ(kLanguageStarted, StartLanguage());
    EXPECT_EQ(nullptr, g_setup.languageLibrary);
    EXPECT_EQ("QVINTL32.DLL", g_load.name);
    EXPECT_NE(0u, g_load.errorMode & SEM_NOOPENFILEERRORBOX) << "no box about a missing file";

    // A library without IDS_LIBRARY_LOCALE is kept as it is; without
    // IDS_LIBRARY_CHARSET its character set is that of a non-Hebrew user: ANSI.
    // (LoadLibraryExA: LoadLibraryA itself is the fake now.)
    g_load.result = LoadLibraryExA("version.dll", nullptr, 0);
    ASSERT_NE(nullptr, g_load.result);
    EXPECT_EQ(kLanguageStarted, StartLanguage());
    EXPECT_EQ(g_load.result, g_setup.languageLibrary);
    EXPECT_EQ("C", CurrentLocale());
    EXPECT_EQ(ANSI_CHARSET, LanguageCharset());
    EXPECT_EQ("C", CurrentLocale()) << "the Hebrew check switches back";

    ReleaseLanguage();
    EXPECT_EQ(nullptr, g_setup.languageLibrary);
    ReleaseLanguage();  // a second release does nothing
}

TEST_F(LanguageTest, LocaleChecksSwitchBackToTheProgramsLocale) {
    {
        tst::FakeWindowsVersion version(tst::kWindowsNT40);
        std::string user = std::setlocale(LC_ALL, "");
        std::setlocale(LC_ALL, "C");
        ASSERT_NE("C", user);

        EXPECT_EQ(1, LocaleDiffersFromUser());
        EXPECT_EQ("C", CurrentLocale());
        std::setlocale(LC_ALL, "");
        EXPECT_EQ(0, LocaleDiffersFromUser());
        EXPECT_EQ(user, CurrentLocale());
        std::setlocale(LC_ALL, "C");

        EXPECT_EQ(0, UseHebrewUserLocale());
        EXPECT_EQ("C", CurrentLocale());
    }
    {
        tst::FakeWindowsVersion version(tst::kWindows95);
        EXPECT_EQ(0, LocaleDiffersFromUser()) << "English: the system font shows it";
        EXPECT_EQ("C", CurrentLocale());
    }
}

// Sets the caption and message fonts of the non-client metrics for its
// scope (not saved to the user's settings).
class NonClientFonts {
public:
    NonClientFonts(const char* captionFace, const char* messageFace) {
        std::memset(&saved_, 0, sizeof(saved_));
        saved_.cbSize = sizeof(saved_);
        ok_ = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(saved_), &saved_, 0) != FALSE;
        NONCLIENTMETRICSA changed = saved_;
        lstrcpynA(changed.lfCaptionFont.lfFaceName, captionFace, LF_FACESIZE);
        lstrcpynA(changed.lfMessageFont.lfFaceName, messageFace, LF_FACESIZE);
        ok_ = ok_ && SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(changed), &changed, 0) != FALSE;
    }
    ~NonClientFonts() { SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(saved_), &saved_, 0); }
    bool Ok() const { return ok_; }

private:
    NONCLIENTMETRICSA saved_;
    bool ok_ = false;
};

int CALLBACK TakeFirstFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM face) {
    *reinterpret_cast<std::string*>(face) = font->lfFaceName;
    return 0;
}

// The name of some installed font family with ANSI characters.
std::string InstalledFace() {
    LOGFONTA any;
    std::memset(&any, 0, sizeof(any));
    any.lfCharSet = ANSI_CHARSET;
    std::string face;
    win::WindowDc screen(nullptr);
    EnumFontFamiliesExA(screen.Get(), &any, TakeFirstFace, reinterpret_cast<LPARAM>(&face), 0);
    return face;
}

TEST_F(LanguageTest, FontCheckLooksAtTheCaptionOrTheMessageFont) {
    // The faces Wine reports by default ("MS Shell Dlg") are no installed
    // families, so the test puts a real one in place.
    std::string face = InstalledFace();
    ASSERT_FALSE(face.empty());
    {
        NonClientFonts fonts(face.c_str(), "No Such Face");
        ASSERT_TRUE(fonts.Ok());
        EXPECT_EQ(1, FontForCharsetExists(1));
        EXPECT_EQ(0, FontForCharsetExists(2));
    }
    {
        NonClientFonts fonts("No Such Face", face.c_str());
        ASSERT_TRUE(fonts.Ok());
        EXPECT_EQ(0, FontForCharsetExists(1));
        EXPECT_EQ(1, FontForCharsetExists(2));
    }
}

// What the probe dialog saw on WM_INITDIALOG.
struct ProbeResult {
    int started = 0;
    LPARAM param = 0;
    RECT rect = {};
};
ProbeResult g_probe;

const LPARAM kProbeEndOffset = 1000;

INT_PTR CALLBACK ProbeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    DialogCommonStart(dialog, wParam, &lParam);
    ++g_probe.started;
    g_probe.param = lParam;
    GetWindowRect(dialog, &g_probe.rect);
    EndDialog(dialog, lParam + kProbeEndOffset);
    return TRUE;
}

class RunDialogTest : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        savedWidth_ = g_setup.screenWidth;
        savedHeight_ = g_setup.screenHeight;
    }
    void TearDown() override {
        g_setup.screenWidth = savedWidth_;
        g_setup.screenHeight = savedHeight_;
        LanguageTest::TearDown();
    }

private:
    int savedWidth_ = 0;
    int savedHeight_ = 0;
};

TEST_F(RunDialogTest, RunsTheProgramsTemplateCentredAndReturnsItsValue) {
    win::Module noDialogs(LoadLibraryA("version.dll"));
    ASSERT_TRUE(noDialogs.IsOpen());
    struct Row {
        DWORD version;
        HMODULE library;
        int screenWidth;
        int screenHeight;
    };
    const Row rows[] = {
        {tst::kWindowsNT40, nullptr, 1024, 768},
        {tst::kWindows95, nullptr, 801, 601},
        // A library without the template: the program's own one is used.
        {tst::kWindowsNT40, noDialogs.Get(), 1024, 768},
        {tst::kWindows95, noDialogs.Get(), 1024, 768},
        // A screen narrower than the dialog: the halves truncate toward zero.
        {tst::kWindowsNT40, nullptr, 101, 51},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << VersionName(row.version) << (row.library ? ", library" : "") << ", screen "
                                        << row.screenWidth << "x" << row.screenHeight);
        tst::FakeWindowsVersion version(row.version);
        g_setup.languageLibrary = row.library;
        g_setup.screenWidth = row.screenWidth;
        g_setup.screenHeight = row.screenHeight;
        g_probe = ProbeResult();

        EXPECT_EQ(77 + kProbeEndOffset,
                  RunDialog(g_setup.appInstance, IDD_FUNCTION_BOX, nullptr, ProbeDialog, 77));
        EXPECT_EQ(1, g_probe.started);
        EXPECT_EQ(77, g_probe.param);
        int width = g_probe.rect.right - g_probe.rect.left;
        int height = g_probe.rect.bottom - g_probe.rect.top;
        EXPECT_GT(width, 0);
        EXPECT_EQ((row.screenWidth - width) / 2, g_probe.rect.left);
        EXPECT_EQ((row.screenHeight - height) / 2, g_probe.rect.top);
    }
}

TEST_F(RunDialogTest, MissingTemplateGivesMinusOne) {
    for (DWORD versionValue : kVersions) {
        SCOPED_TRACE(VersionName(versionValue));
        tst::FakeWindowsVersion version(versionValue);
        g_probe = ProbeResult();
        EXPECT_EQ(-1, RunDialog(g_setup.appInstance, "NoSuchBox", nullptr, ProbeDialog, 5));
        EXPECT_EQ(-1, RunDialog(g_setup.appInstance, MAKEINTRESOURCEA(4711), nullptr, ProbeDialog, 5));
        EXPECT_EQ(0, g_probe.started);
    }
}

TEST_F(RunDialogTest, DialogStartLeavesOtherParametersAlone) {
    LPARAM slot = 0;
    EXPECT_EQ(1, DialogStart(nullptr, 0, &slot));
    EXPECT_EQ(0, slot);
    EXPECT_EQ(1, DialogStart(nullptr, 0, nullptr));

    // A readable parameter that is no start record of ours stays as it is.
    LPARAM words[4] = {1, 2, 3, 4};
    slot = reinterpret_cast<LPARAM>(words);
    EXPECT_EQ(1, DialogStart(nullptr, 0, &slot));
    EXPECT_EQ(reinterpret_cast<LPARAM>(words), slot);
    EXPECT_EQ(2, words[1]);
}

}  // namespace
