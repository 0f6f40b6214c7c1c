// The client language files on a scratch PC: which library a language has,
// what each language installs and deletes, the running client, a library in
// use, the fall-back to English, the program's own library released and
// loaded again, and deleting files by pattern.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "desktop/desktop_state.h"
#include "desktop/progman.h"
#include "files/directories.h"
#include "files/file_test_support.h"
#include "files/language_files.h"
#include "support/dialog_driver.h"
#include "support/process_driver.h"
#include "ui/language.h"

namespace {

using files_test::CannotCopyBox;
using files_test::Content;
using files_test::DllCopyQuestion;
using files_test::IgnoreQuestion;
using files_test::PutFile;
using files_test::WithoutBackslash;

const char kClientRunningText[] =
    "Unable to copy foreign language DLL.\nPlease closedown Telmora client and try again.";

class LanguageFilesTest : public files_test::ScratchPc {
protected:
    void SetUp() override {
        ScratchPc::SetUp();
        const char* locale = std::setlocale(LC_ALL, nullptr);
        savedLocale_ = locale ? locale : "C";
    }
    void TearDown() override {
        ReleaseLanguage();
        SetDllDirectoryA(nullptr);
        std::setlocale(LC_ALL, savedLocale_.c_str());
        ScratchPc::TearDown();
    }

    std::string Installed16() const { return System16() + "QVINTL.DLL"; }
    std::string Installed32() const { return System() + "QVINTL32.DLL"; }
    void PutInstalledLibraries() {
        PutFile(Installed16(), "old16");
        PutFile(Installed32(), "old32");
    }
    // The share's libraries: German both ways, Polish 32-bit only, French
    // 16-bit only; help files in English and Polish.
    void PutShareLibraries() {
        PutFile(Share() + "QVIGER.DLL", "ger16");
        PutFile(ShareI386() + "QVIGER32.DLL", "ger32");
        PutFile(ShareI386() + "QVIPOL32.DLL", "pol32");
        PutFile(Share() + "QVIFRE.DLL", "fre16");
        PutFile(Share() + "TELMORA.HLP", "english help");
        PutFile(Share() + "QVIPOL.HLP", "polish help");
    }

    // Installs `code`; the language afterwards, "<failed>" on 0.
    std::string Install(const char* code) {
        char language[kLanguageSize];
        text::Copy(language, code);
        return InstallLanguageFiles(language) ? language : "<failed>";
    }

private:
    std::string savedLocale_;
};

// A file kept open without sharing: it can be neither deleted nor replaced.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
    }
    ~HeldFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    HANDLE handle_;
};

TEST_F(LanguageFilesTest, LibraryKindOfEachLanguage) {
    PutShareLibraries();
    struct Case {
        const char* language;
        const char* architecture;
        int kind;
    };
    const Case cases[] = {
        {"ENG", "x86", kLanguageEnglish},     {"eng", "x86", kLanguageEnglish},
        {"English", "x86", kLanguageEnglish}, {"GER", "x86", kLanguageLibrary32},
        {"ger", "x86", kLanguageLibrary32},   {"POL", "x86", kLanguageLibrary32},
        {"FRE", "x86", kLanguageLibrary16},   {"ITA", "x86", kLanguageLibraryNone},
        {"GER", "X86", kLanguageLibrary16},   {"POL", "X86", kLanguageLibraryNone},
        {"ENG", "X86", kLanguageEnglish},
    };
    for (const Case& c : cases) {
        files_test::SetArchitecture(c.architecture);
        EXPECT_EQ(c.kind, GetLanguageLibraryKind(c.language)) << c.language << " on " << c.architecture;
    }
}

TEST_F(LanguageFilesTest, EachLanguageInstallsItsOwnFiles) {
    PutShareLibraries();
    tst::DialogDriver driver;

    // English deletes both installed libraries and copies none.
    PutInstalledLibraries();
    text::Copy(g_setup.setupDirectory, WithoutBackslash(Share()).c_str());
    EXPECT_EQ("eng", Install("eng"));
    EXPECT_FALSE(tst::FileExists(Installed16()));
    EXPECT_FALSE(tst::FileExists(Installed32()));
    EXPECT_EQ("english help", Content(Windows() + "TELMORA.HLP"));
    EXPECT_EQ(Share(), g_setup.setupDirectory) << "a backslash is added to the setup directory";

    PutInstalledLibraries();
    EXPECT_EQ("POL", Install("POL"));
    EXPECT_FALSE(tst::FileExists(Installed16()));
    EXPECT_EQ("pol32", Content(Installed32()));
    EXPECT_EQ("polish help", Content(Windows() + "TELMORA.HLP"));

    PutInstalledLibraries();
    EXPECT_EQ("FRE", Install("FRE"));
    EXPECT_EQ("fre16", Content(Installed16()));
    EXPECT_FALSE(tst::FileExists(Installed32()));
    EXPECT_EQ("english help", Content(Windows() + "TELMORA.HLP")) << "no French help file";

    PutInstalledLibraries();
    EXPECT_EQ("GER", Install("GER"));
    EXPECT_EQ("ger16", Content(Installed16()));
    EXPECT_EQ("ger32", Content(Installed32()));

    PutInstalledLibraries();
    EXPECT_EQ("ENG", Install("ITA")) << "no library: English";
    EXPECT_FALSE(tst::FileExists(Installed16()));
    EXPECT_FALSE(tst::FileExists(Installed32()));
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(LanguageFilesTest, RunningClientStopsBeforeAnyChange) {
    PutShareLibraries();
    PutInstalledLibraries();
    EXPECT_EQ(0, IsClientRunning());
    {
        tst::ChildProcess client;
        ASSERT_TRUE(files_test::StartHolder(client, "Quen", "")) << client.Describe();
        EXPECT_EQ(1, IsClientRunning());
        tst::DialogDriver driver;
        driver.Expect(tst::MessageBoxExpect(files_test::kErrorCaption, kClientRunningText, {IDOK}));
        EXPECT_EQ("<failed>", Install("GER"));
        EXPECT_TRUE(driver.AllMet());
        g_setup.quietSwitch = 1;
        EXPECT_EQ("<failed>", Install("GER")) << "silently with /Q";
        EXPECT_EQ("old16", Content(Installed16()));
        EXPECT_EQ("old32", Content(Installed32()));
        client.Kill();
        DWORD code = 0;
        EXPECT_TRUE(client.WaitForExit(10000, &code));
    }
    EXPECT_EQ(0, IsClientRunning());

    WNDCLASSA viewerClass = {};
    viewerClass.lpfnWndProc = DefWindowProcA;
    viewerClass.hInstance = GetModuleHandleA(nullptr);
    viewerClass.lpszClassName = "QuenViewer";
    ASSERT_TRUE(RegisterClassA(&viewerClass));
    HWND viewer = CreateWindowA("QuenViewer", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(1, IsClientRunning()) << "the viewer holds the libraries too";
    DestroyWindow(viewer);
    UnregisterClassA("QuenViewer", GetModuleHandleA(nullptr));
    EXPECT_EQ(0, IsClientRunning());
}

TEST_F(LanguageFilesTest, InstalledLibraryInUse) {
    PutShareLibraries();
    PutInstalledLibraries();
    const std::string inUse = "Unable to update client language file " + Installed16() + " - file in use";
    {
        HeldFile held(Installed16());
        tst::DialogDriver driver;
        driver.Expect(IgnoreQuestion(inUse + files_test::kIgnoreSuffix, IDNO));
        EXPECT_EQ("<failed>", Install("ENG"));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ("old32", Content(Installed32())) << "stopped before the second library";

        // After a Yes the second library's failure passes without a question.
        HeldFile held32(Installed32());
        driver.Expect(IgnoreQuestion(inUse + files_test::kIgnoreSuffix, IDYES));
        EXPECT_EQ("ENG", Install("ENG"));
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_EQ("old16", Content(Installed16()));
    EXPECT_EQ("old32", Content(Installed32()));
}

// The 16-bit library cannot be copied (its target directory is missing).
TEST_F(LanguageFilesTest, FailedLibraryCopyFallsBackToEnglish) {
    PutShareLibraries();
    const std::string missing = Root().File("NOSYS\\");
    text::Copy(g_directories.system16, missing.c_str());
    const std::string source = Share() + "QVIGER.DLL";
    const std::string target = missing + "QVINTL.DLL";

    tst::DialogDriver driver;
    driver.Expect(CannotCopyBox(source));
    driver.Expect(IgnoreQuestion(DllCopyQuestion(source, target), IDNO));
    driver.Expect(tst::MessageBoxExpect(files_test::kWarningCaption, "Defaulting to English language client", {IDOK}));
    EXPECT_EQ("ENG", Install("GER"));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(tst::FileExists(Installed32())) << "English has no library to install";

    driver.Expect(CannotCopyBox(source));
    driver.Expect(IgnoreQuestion(DllCopyQuestion(source, target), IDYES));
    EXPECT_EQ("GER", Install("GER")) << "ignored: the language stays";
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ("ger32", Content(Installed32()));
}

// The old item names come from the library in force before; the program's
// own QVINTL32.DLL is let go before it is replaced and loaded again after.
TEST_F(LanguageFilesTest, OwnLibraryReleasedAndLoadedAgain) {
    PutFile(Share() + "TELMORA.HLP", "english help");
    const std::string german = files_test::GermanLanguageLibrary();
    ASSERT_TRUE(CopyFileA(german.c_str(), (ShareI386() + "QVIGER32.DLL").c_str(), FALSE));
    ASSERT_TRUE(SetDllDirectoryA(System().c_str())) << "QVINTL32.DLL is looked for where it is installed";
    g_setup.languageLibrary = LoadLibraryA(german.c_str());
    ASSERT_NE(nullptr, g_setup.languageLibrary);

    tst::DialogDriver driver;
    EXPECT_EQ("GER", Install("GER"));
    EXPECT_STREQ("Telmora Client", g_desktop.oldClientItemName);
    EXPECT_STREQ("Arbeitsplatz-Setup", g_desktop.oldSetupItemName);
    EXPECT_STREQ("Willkommen!", g_desktop.oldWelcomeItemName);
    EXPECT_EQ(nullptr, GetModuleHandleA(german.c_str())) << "the old library was released";
    ASSERT_NE(nullptr, g_setup.languageLibrary) << "the installed library is loaded";
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(g_setup.languageLibrary, loaded, MAX_PATH);
    EXPECT_TRUE(text::EqualNoCase(Installed32().c_str(), loaded)) << loaded;

    // Back to English: the loaded QVINTL32.DLL goes without a question.
    EXPECT_EQ("ENG", Install("ENG"));
    EXPECT_FALSE(tst::FileExists(Installed32()));
    EXPECT_EQ(nullptr, g_setup.languageLibrary);
    EXPECT_STREQ("Arbeitsplatz-Setup", g_desktop.oldSetupItemName);
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(LanguageFilesTest, DeletingFilesByPattern) {
    const std::string directory = Root().File("CFG\\");
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    for (const char* name : {"TELMORA.000", "TELMORA.001", "TELMORA.0AB", "TELMORA.INI", "TELMORA.1"}) {
        PutFile(directory + name, "x");
    }
    EXPECT_EQ(0, DeleteMatchingFiles(directory.c_str(), "TELMORA.0*"));
    for (const char* gone : {"TELMORA.000", "TELMORA.001", "TELMORA.0AB"}) {
        EXPECT_FALSE(tst::FileExists(directory + gone)) << gone;
    }
    EXPECT_TRUE(tst::FileExists(directory + "TELMORA.INI"));
    EXPECT_TRUE(tst::FileExists(directory + "TELMORA.1"));

    PutFile(directory + "TELMORA.002", "held");
    PutFile(directory + "TELMORA.003", "free");
    tst::DialogDriver driver;
    {
        HeldFile held(directory + "TELMORA.002");
        EXPECT_EQ(1, DeleteMatchingFiles(directory.c_str(), "TELMORA.0*"));
        EXPECT_FALSE(tst::FileExists(directory + "TELMORA.003"));
        driver.Expect(tst::MessageBoxExpect("Telmora", "Cannot delete file: TELMORA.0*.  Delete this file by hand.",
                                            {IDOK}));
        EXPECT_EQ(0, DeleteClientFiles(directory.c_str(), "TELMORA.0*"));
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_EQ(1, DeleteClientFiles(directory.c_str(), "TELMORA.0*"));
    EXPECT_FALSE(tst::FileExists(directory + "TELMORA.002"));
    EXPECT_EQ(1, DeleteClientFiles(directory.c_str(), "TELMORA.9*")) << "nothing matches";
    EXPECT_EQ(1, DeleteClientFiles(Root().File("MISSING\\").c_str(), "TELMORA.0*"));
    EXPECT_TRUE(driver.AllMet());
}

}  // namespace
