// The client's file set on a scratch PC: the 32-bit and 16-bit sets, the
// libraries never put over an installed copy, the run-time libraries the
// 32-bit set cannot do without, failures that stop and failures that do not,
// the fax printers replaced or installed over the old ones, and the checks
// that end an installation.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "files/file_test_support.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/setup_run.h"
#include "ui/resource_ids.h"
#include "workflow/program_files.h"

namespace {

using files_test::CannotCopyBox;
using files_test::Content;
using files_test::CopyQuestion;
using files_test::DllCopyQuestion;
using files_test::IgnoreQuestion;
using files_test::PutFile;

// The file set on Windows NT 4.0 unless a test says otherwise. The scratch
// share has no printer files there, so the printer steps find nothing to
// remove or install and ask nothing.
class ProgramFilesTest : public files_test::ScratchPc {
protected:
    explicit ProgramFilesTest(DWORD windowsVersion = tst::kWindowsNT40) : version_(windowsVersion) {}

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

    // The fax printer's port: the log area's spool file in lower case.
    std::string SpoolPath() const {
        std::string path = Root().File("LOG\\") + "telmora.spl";
        for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return path;
    }

private:
    tst::FakeWindowsVersion version_;
};

// Windows 95, with the printer drivers on the share; the printers' WIN.INI
// entries and driver settings are taken away again afterwards.
class ProgramFilesOnWindows95 : public ProgramFilesTest {
protected:
    ProgramFilesOnWindows95() : ProgramFilesTest(tst::kWindows95) {}

    void TearDown() override {
        for (const char* printer : {"Telmora Printer", "Telmora Multisend Printer"}) {
            WriteProfileStringA("devices", printer, nullptr);
            WriteProfileStringA("PrinterPorts", printer, nullptr);
        }
        WriteProfileStringA("ports", SpoolPath().c_str(), nullptr);
        WriteProfileStringA("ports", (Windows() + "TELMORA.SPL").c_str(), nullptr);
        WriteProfileStringA("windows", "device", nullptr);
        DeleteFileA("C:\\windows\\QVPRIN.INI");
        ProgramFilesTest::TearDown();
    }

    void PutPrinterDrivers() {
        for (const char* file : {"QVPRIN.DRV", "QVPRNMRG.DLL", "QVPRNCTL.EXE", "THK16MFX.DLL", "THK32MFX.DLL",
                                 "IMG16MFX.DLL", "IMG32MFX.DLL", "QVPRN95.DRV", "UNIDRV.DLL", "UNIDRV.HLP",
                                 "ICONLIB.DLL"}) {
            PutFile(Share() + file, file);
        }
    }
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

// An installation replaces the fax printers: their removal first takes away
// a default printer of the oldest name ("Telmora,"). Copying and updating
// install them over what is there, and that default printer stays.
TEST_F(ProgramFilesOnWindows95, AnInstallationRemovesThePrintersFirstACopyDoesNot) {
    PutShare();
    PutPrinterDrivers();
    tst::DialogDriver driver;
    for (int keepPrinters : {1, 0}) {
        ASSERT_TRUE(WriteProfileStringA("windows", "device", "Telmora,QVTL,LPT1:"));
        EXPECT_EQ(1, InstallAll("ENG", keepPrinters));
        const char* defaultPrinter = keepPrinters ? "Telmora,QVTL,LPT1:" : "<missing>";
        EXPECT_EQ(defaultPrinter, tst::ProfileValue("windows", "device")) << keepPrinters;
        EXPECT_EQ("QVPRIN.DRV", Content(System() + "QVPRIN.DRV")) << keepPrinters;
        EXPECT_EQ("QVPRIN," + SpoolPath(), tst::ProfileValue("devices", "Telmora Printer")) << keepPrinters;
        EXPECT_EQ("QVPRN95," + Windows() + "TELMORA.SPL", tst::ProfileValue("devices", "Telmora Multisend Printer"));
    }
    EXPECT_EQ("controls", Content(System16() + "CTL3DV2.DLL"));
    EXPECT_TRUE(driver.Seen().empty()) << "the printers ask nothing on Windows 95";
}

// On Windows NT the removal of an installation finds the fax printer's port
// and asks before it stops the spooler. Declined, the installation asks
// whether to go on without the printers: No stops before the 3-D controls
// library, Yes installs it.
TEST_F(ProgramFilesTest, DeclinedSpoolerStopAsksWhetherToGoOnWithoutPrinters) {
    PutShare();
    ASSERT_TRUE(WriteProfileStringA("ports", SpoolPath().c_str(), ""));
    const std::string question = std::string("Unable to install Telmora Multisend Printer and Telmora Printer.\n") +
                                 "User requested not to shut down print spooler.\nTo install the Telmora printers, "
                                 "finish printing\nand then run the Workstation Setup program.\n";
    tst::DialogDriver driver;
    for (int answer : {IDNO, IDYES}) {
        driver.Expect(tst::MessageBoxExpect("Telmora",
                                            "Workstation setup is about to stop the print spooler.\nThis may affect "
                                            "current printing.\nClick OK to continue.",
                                            {IDOK, IDCANCEL})
                          .Press(IDCANCEL));
        driver.Expect(IgnoreQuestion(question.substr(0, kMessageSize - 1) + files_test::kIgnoreSuffix, answer));
        EXPECT_EQ(answer == IDYES ? 1 : 0, InstallAll("ENG", 0));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(answer == IDYES, tst::FileExists(System16() + "CTL3DV2.DLL")) << answer;
    }
    EXPECT_EQ("client32", Content(Programs() + "TELMORA.EXE"));
    WriteProfileStringA("ports", SpoolPath().c_str(), nullptr);
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
