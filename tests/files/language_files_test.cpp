// The client language files on a scratch PC: what each language installs and deletes, the running client, an
// installed library held open and the fall-back to English; deleting files by pattern.
#include "files/file_test_support.h"
#include "files/language_files.h"
#include "ui/language.h"

namespace {

using ft::Content;
using ft::PutFile;

// The share holds German both ways, Polish 32-bit only, French 16-bit only, help files in English and Polish;
// the PC the libraries of an earlier language.
class LanguageFiles : public ft::ScratchPc {
protected:
    void SetUp() override {
        ScratchPc::SetUp();
        const std::string files[][2] = {{Share() + "QVIGER.DLL", "ger16"},       {I386() + "QVIGER32.DLL", "ger32"},
                                        {I386() + "QVIPOL32.DLL", "pol32"},      {Share() + "QVIFRE.DLL", "fre16"},
                                        {Share() + "TELMORA.HLP", "english help"}, {Share() + "QVIPOL.HLP", "polish help"},
                                        {Installed16(), "old16"},                {Installed32(), "old32"}};
        for (const auto& file : files) PutFile(file[0], file[1]);
    }
    void TearDown() override {
        ReleaseLanguage();
        ScratchPc::TearDown();
    }
    std::string Installed16() const { return System16() + "QVINTL.DLL"; }
    std::string Installed32() const { return System() + "QVINTL32.DLL"; }

    // Installs `code`; the language afterwards, "<failed>" on 0.
    std::string Install(const char* code) {
        char language[kLanguageSize];
        text::Copy(language, code);
        return InstallLanguageFiles(language) ? language : "<failed>";
    }
};

TEST_F(LanguageFiles, EachLanguageInstallsItsOwnFiles) {
    const char* const cases[][5] = {
        // code, language afterwards, 16-bit and 32-bit library, help file
        {"eng", "eng", ft::kMissing, ft::kMissing, "english help"},  // English deletes both, copies none
        {"POL", "POL", ft::kMissing, "pol32", "polish help"},
        {"FRE", "FRE", "fre16", ft::kMissing, "english help"},      // no French help file
        {"GER", "GER", "ger16", "ger32", "english help"},
        {"ITA", "ENG", ft::kMissing, ft::kMissing, "english help"},  // no library: English
    };
    text::Copy(g_setup.setupDirectory, Share().substr(0, Share().size() - 1).c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        PutFile(Installed16(), "old16");
        PutFile(Installed32(), "old32");
        EXPECT_EQ(c[1], Install(c[0]));
        EXPECT_EQ(c[2], Content(Installed16()));
        EXPECT_EQ(c[3], Content(Installed32()));
        EXPECT_EQ(c[4], Content(Windows() + "TELMORA.HLP"));
        EXPECT_EQ(Share(), g_setup.setupDirectory) << "a backslash is added to the setup directory";
    }
}

TEST_F(LanguageFiles, ARunningClientStopsBeforeAnyChange) {
    for (const char* windowClass : {"Quen", "QuenViewer"}) {
        SCOPED_TRACE(windowClass);
        WNDCLASSA record = {0, DefWindowProcA, 0, 0, g_setup.appInstance, nullptr, nullptr, nullptr, nullptr,
                            windowClass};
        ASSERT_TRUE(RegisterClassA(&record));
        HWND client = CreateWindowA(windowClass, "", WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr, record.hInstance,
                                    nullptr);
        tst::DialogDriver driver;
        driver.Expect(ft::ErrorBox("Unable to copy foreign language DLL.\nPlease closedown Telmora client and try again."));
        EXPECT_EQ("<failed>", Install("GER"));
        g_setup.quietSwitch = 1;
        EXPECT_EQ("<failed>", Install("GER")) << "silently with /Q";
        g_setup.quietSwitch = 0;
        EXPECT_EQ("old16", Content(Installed16()));
        EXPECT_EQ("old32", Content(Installed32()));
        DestroyWindow(client);
        UnregisterClassA(windowClass, record.hInstance);
    }
    EXPECT_EQ("GER", Install("GER"));
}

TEST_F(LanguageFiles, AnInstalledLibraryHeldOpen) {
    const std::string inUse = "Unable to update client language file " + Installed16() + " - file in use";
    ft::HeldFile held(Installed16());
    tst::DialogDriver driver;
    driver.Expect(ft::Question(inUse, IDNO));
    EXPECT_EQ("<failed>", Install("ENG"));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ("old32", Content(Installed32())) << "stopped before the second library";
    // After a Yes the second library's failure passes without a question. German's 16-bit library cannot take
    // the held library's place: the language falls back to English.
    ft::HeldFile held32(Installed32());
    driver.Expect(ft::Question(inUse, IDYES));
    driver.Expect(ft::ErrorBox("Cannot copy file: " + Share() + "QVIGER.DLL"));
    driver.Expect(ft::Question(ft::CopyFailed(Share() + "QVIGER.DLL", Installed16(), true), IDNO));
    driver.Expect(tst::MessageBoxExpect("Warning!", "Defaulting to English language client", {IDOK}));
    EXPECT_EQ("ENG", Install("GER"));
}

// Deleting by pattern takes every matching file; one that stays is named by the pattern.
TEST_F(LanguageFiles, DeletingByPattern) {
    for (const char* name : {"TELMORA.001", "TELMORA.02", "TELMORA.INI", "TELMORA.003"}) PutFile(Programs() + name, name);
    EXPECT_EQ(1, DeleteClientFiles(Programs().c_str(), "TELMORA.00?"));
    EXPECT_EQ("TELMORA.INI TELMORA.02 <missing>", Content(Programs() + "TELMORA.INI") + " " +
                                                      Content(Programs() + "TELMORA.02") + " " + Content(Programs() + "TELMORA.001"));
    ft::HeldFile held(Programs() + "TELMORA.02");
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Telmora", "Cannot delete file: TELMORA.0*.  Delete this file by hand.", {IDOK}));
    EXPECT_EQ(0, DeleteClientFiles(Programs().c_str(), "TELMORA.0*"));
}

}  // namespace
