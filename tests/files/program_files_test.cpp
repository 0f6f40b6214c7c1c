// The client's file set on a scratch PC: the 32-bit and 16-bit sets, the
// libraries never put over an installed copy, the run-time libraries the
// 32-bit set cannot do without, failures that stop and failures that do not,
// and the checks that end an installation.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/client_settings.h"
#include "files/file_test_support.h"
#include "files/program_files.h"
#include "support/dialog_driver.h"
#include "ui/resource_ids.h"

namespace {

using files_test::CannotCopyBox;
using files_test::Content;
using files_test::CopyQuestion;
using files_test::DllCopyQuestion;
using files_test::IgnoreQuestion;
using files_test::PutFile;

class ProgramFilesTest : public files_test::ScratchPc {
protected:
    // Every file of both sets on the share, each with its own content.
    void PutShare() {
        PutFile(Share() + "TELMORA.EXE", "client16");
        PutFile(ShareI386() + "TELMORA.EXE", "client32");
        PutFile(ShareI386() + "SNBD6W9S.DLL", "imaging32");
        PutFile(ShareI386() + "GEAR32SD.DLL", "gear32");
        PutFile(Share() + "MSVCRT40.DLL", "msvcrt40");
        PutFile(ShareI386() + "MSVCRT.DLL", "msvcrt");
        PutFile(ShareI386() + "MFC42.DLL", "mfc42");
        PutFile(Share() + "SNBD6W3S.DLL", "imaging16");
        PutFile(Share() + "ACCUSFT5.DLL", "accusoft16");
        PutFile(Share() + "QSPOOL.EXE", "spooler");
        PutFile(Share() + "TELMORA.HLP", "help");
        PutFile(Share() + "CTL3DV2.Z", "controls");
    }

    int InstallAll(const char* language, int keepPrinters = 1) {
        return InstallProgramFiles(Share().c_str(), Programs().c_str(), Root().File("LOG\\").c_str(), language,
                                   keepPrinters);
    }

    void Remove(const std::string& path) { ASSERT_TRUE(DeleteFileA(path.c_str())) << path; }
};

TEST_F(ProgramFilesTest, The32BitSetForEnglish) {
    PutShare();
    PutFile(Programs() + "TELMORA.GID", "help index");
    tst::DialogDriver driver;
    EXPECT_EQ(1, InstallAll("ENG", 0));
    EXPECT_EQ("client32", Content(Programs() + "TELMORA.EXE"));
    EXPECT_EQ("spooler", Content(Programs() + "QSPOOL.EXE"));
    EXPECT_EQ("help", Content(Programs() + "TELMORA.HLP"));
    EXPECT_FALSE(tst::FileExists(Programs() + "TELMORA.GID"));
    EXPECT_EQ("imaging32", Content(System() + "SNBD6W9S.DLL"));
    EXPECT_EQ("gear32", Content(System() + "GEAR32SD.DLL"));
    EXPECT_EQ("msvcrt40", Content(System() + "MSVCRT40.DLL"));
    EXPECT_EQ("msvcrt", Content(System() + "MSVCRT.DLL"));
    EXPECT_EQ("mfc42", Content(System() + "MFC42.DLL"));
    EXPECT_EQ("controls", Content(System16() + "CTL3DV2.DLL"));
    EXPECT_FALSE(tst::FileExists(System16() + "SNBD6W3S.DLL"));
    EXPECT_FALSE(tst::FileExists(System16() + "ACCUSFT5.DLL"));
    EXPECT_TRUE(driver.Seen().empty()) << "no question for the 32-bit set";
}

TEST_F(ProgramFilesTest, InstalledCopiesOfSharedLibrariesAreNeverTouched) {
    PutShare();
    PutFile(System() + "MSVCRT40.DLL", "own msvcrt40", 1990);
    PutFile(System16() + "CTL3DV2.DLL", "own 3-D controls", 1990);
    tst::DialogDriver driver;
    EXPECT_EQ(1, InstallAll("ENG"));
    EXPECT_EQ("own msvcrt40", Content(System() + "MSVCRT40.DLL"));
    EXPECT_EQ("own 3-D controls", Content(System16() + "CTL3DV2.DLL"));

    // Without GEAR32SD.DLL on the share the old run-time library stays away too.
    Remove(System() + "MSVCRT40.DLL");
    Remove(ShareI386() + "GEAR32SD.DLL");
    EXPECT_EQ(1, InstallAll("ENG"));
    EXPECT_FALSE(tst::FileExists(System() + "MSVCRT40.DLL"));
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(ProgramFilesTest, The32BitSetNeedsItsRuntimeLibraries) {
    PutShare();
    Remove(ShareI386() + "MSVCRT.DLL");
    PutFile(Share() + "MSVCRT.DLL", "not in I386");
    tst::DialogDriver driver;
    EXPECT_EQ(0, InstallAll("ENG"));
    EXPECT_EQ("client32", Content(Programs() + "TELMORA.EXE"));
    EXPECT_FALSE(tst::FileExists(System() + "MSVCRT.DLL"));
    EXPECT_FALSE(tst::FileExists(System() + "MFC42.DLL"));
    EXPECT_FALSE(tst::FileExists(Programs() + "QSPOOL.EXE")) << "stopped";

    // A processor without a subdirectory on the share has no 32-bit set.
    files_test::SetArchitecture("X86");
    PutFile(ShareI386() + "MSVCRT.DLL", "msvcrt");
    Remove(Programs() + "TELMORA.EXE");
    Remove(System() + "SNBD6W9S.DLL");
    EXPECT_EQ(0, InstallSharedLibraries(Share().c_str(), Programs().c_str(), 1));
    EXPECT_EQ("client16", Content(Programs() + "TELMORA.EXE"));
    EXPECT_FALSE(tst::FileExists(System() + "SNBD6W9S.DLL"));
    EXPECT_TRUE(driver.Seen().empty()) << "no message of its own";
}

TEST_F(ProgramFilesTest, The16BitSetForA16BitOnlyLanguage) {
    PutShare();
    PutFile(Share() + "QVIFRE.DLL", "fre16");
    tst::DialogDriver driver;
    EXPECT_EQ(1, InstallAll("FRE"));
    EXPECT_EQ("client16", Content(Programs() + "TELMORA.EXE"));
    EXPECT_EQ("imaging16", Content(System16() + "SNBD6W3S.DLL"));
    EXPECT_EQ("accusoft16", Content(System16() + "ACCUSFT5.DLL"));
    EXPECT_EQ("spooler", Content(Programs() + "QSPOOL.EXE"));
    for (const char* name : {"SNBD6W9S.DLL", "GEAR32SD.DLL", "MSVCRT40.DLL", "MSVCRT.DLL", "MFC42.DLL"}) {
        EXPECT_FALSE(tst::FileExists(System() + name)) << name;
    }
    EXPECT_TRUE(driver.Seen().empty());

    // The 16-bit libraries are replaced only after the question.
    PutFile(System16() + "SNBD6W3S.DLL", "newer imaging16", 2005);
    driver.Expect(tst::DialogExpect(files_test::kInstallationTitle, {"Replace file " + System16() + "SNBD6W3S.DLL"})
                      .Press(IDC_ANSWER_NO));
    EXPECT_EQ(1, InstallAll("FRE"));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ("newer imaging16", Content(System16() + "SNBD6W3S.DLL"));
}

TEST_F(ProgramFilesTest, AFailedImagingLibraryIsIgnored) {
    PutShare();
    // A directory in the target's place: no copy can succeed.
    ASSERT_TRUE(CreateDirectoryA((System() + "SNBD6W9S.DLL").c_str(), nullptr));
    const std::string source = ShareI386() + "SNBD6W9S.DLL";
    tst::DialogDriver driver;
    driver.Expect(CannotCopyBox(source));
    driver.Expect(IgnoreQuestion(DllCopyQuestion(source, System() + "SNBD6W9S.DLL"), IDNO));
    EXPECT_EQ(1, InstallAll("ENG"));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ("gear32", Content(System() + "GEAR32SD.DLL"));
    EXPECT_EQ("spooler", Content(Programs() + "QSPOOL.EXE"));
}

TEST_F(ProgramFilesTest, FailuresThatStop) {
    PutShare();
    ASSERT_TRUE(CreateDirectoryA((System() + "GEAR32SD.DLL").c_str(), nullptr));
    const std::string gear = ShareI386() + "GEAR32SD.DLL";
    tst::DialogDriver driver;
    driver.Expect(CannotCopyBox(gear));
    driver.Expect(IgnoreQuestion(DllCopyQuestion(gear, System() + "GEAR32SD.DLL"), IDNO));
    EXPECT_EQ(0, InstallAll("ENG"));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(tst::FileExists(System() + "MSVCRT.DLL"));

    // The client program missing from the share stops everything.
    Remove(Share() + "TELMORA.EXE");
    Remove(ShareI386() + "TELMORA.EXE");
    Remove(System() + "SNBD6W9S.DLL");
    const std::string client = Share() + "TELMORA.EXE";
    driver.Expect(CannotCopyBox(client));
    driver.Expect(IgnoreQuestion(CopyQuestion(client, Programs() + "TELMORA.EXE"), IDNO));
    EXPECT_EQ(0, InstallAll("ENG"));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(tst::FileExists(System() + "SNBD6W9S.DLL"));
}

TEST_F(ProgramFilesTest, FinishingNeedsTheClientProgram) {
    const std::string configDirectory = Root().File("CFG\\");
    ASSERT_TRUE(CreateDirectoryA(configDirectory.c_str(), nullptr));
    text::Copy(g_setup.configDirectory, configDirectory.c_str());
    ClientSettings settings = {};
    text::Copy(settings.programDir, Programs().c_str());
    text::Copy(settings.systemArea, Share().c_str());
    ClientSettings notebook = settings;
    text::Copy(notebook.programDir, Root().File("NOTEBOOK\\").c_str());
    PutFile(Programs() + "TELMORA.EXE", "client32");

    // With a network server the notebook record's directories count.
    g_setup.netBaseDirSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect(files_test::kErrorCaption, "Client files have not been copied successfully",
                                        {IDOK}));
    EXPECT_EQ(0, FinishClientSetup(&settings, &notebook, 0));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(tst::FileExists(configDirectory + "TELMORA.INI"));

    // Aborting the Program Manager question stops after the configuration.
    g_setup.netBaseDirSwitch = 0;
    driver.Expect(tst::DialogExpect(files_test::kInstallationTitle, {"Do you want to add a new entry in the"})
                      .Default(IDC_ANSWER_YES)
                      .Press(IDC_ABORT));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(0, FinishClientSetup(&settings, &notebook, 1));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_TRUE(tst::FileExists(configDirectory + "TELMORA.INI"));

    ShowInstallCompleted();
    EXPECT_STREQ("Installation completed", g_setup.displayProgress);
}

}  // namespace
