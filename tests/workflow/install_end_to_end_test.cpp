// Installations from the demo share (drive F: of the test prefix) by the real
// STNIN32.EXE as a child process: from the function box, quiet with an
// existing configuration, aborted, and the notebook with a second server;
// with the fax printers on Windows 95, on Windows NT 4.0 and on Wine's own
// Windows 7, which the program does not know.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "support/setup_run.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

using tst::kFunctionQuestion;
using tst::kMultisendNotInstalled;
using tst::kPrintersKept;
using tst::kSetupTitle;
using tst::kSpoolerPrompt;
using tst::kUnknownWindows;
using tst::ProfileValue;

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kBaseQuestion[] = "Where are the Telmora files installed?";
const char kSystem32[] = "C:\\windows\\system32\\";
const char kErrorCaption[] = "Error!";

// The Windows 95 printer files as the share holds them: 16-bit drivers in
// the setup directory, 32-bit files in its processor subdirectory.
const char* const kWin95PrinterFiles[] = {"QVPRIN.DRV", "QVPRNMRG.DLL", "THK16MFX.DLL", "THK32MFX.DLL",
                                          "IMG16MFX.DLL", "QVPRN95.DRV", "UNIDRV.DLL", "UNIDRV.HLP",
                                          "ICONLIB.DLL"};
const char* const kWin95PrinterFiles32[] = {"QVPRNCTL.EXE", "IMG32MFX.DLL"};

// The configuration a standard installation from the share writes.
const char kInstalledConfig[] =
    "[TELMORA]\r\nType: Init\r\nRevision: A\r\n\r\n"
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n"
    "LogArea: C:\\windows\r\nDefaultUser:\r\nAccept: *.DOC,*.WRI,*.TXT,*.ASC\r\nSpool:\r\nRedirect: LPT1\r\n"
    "Timeout: 60\r\nStatusTimer: 10\r\nNetwork: PRIMARY\r\nHelp: C:\\windows\\TELMORA.HLP\r\nLanguage: ENG\r\n"
    "\r\n[SERVER]\r\nServerArea: F:\\SERVER\r\nSystemArea: F:\\SYSTEM\r\nAllUserArea: F:\\USERS\r\n"
    "RequestArea: F:\\REQUEST\r\n";

bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < tst::kSetupTimeoutMs; waited += 50) {
        if (!IsWindow(window)) return true;
        Sleep(50);
    }
    return false;
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Every test starts from a PC without the client (the tests share one prefix).
class InstallEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {kConfigFile, "C:\\windows\\TELMORA.EXE", "F:\\SYSTEM\\Q-DB\\NOTEBOOK.DAT"}) {
            DeleteFileA(file);
        }
        tst::RemoveWin95PrinterEntries();
        for (const char* file : kWin95PrinterFiles) DeleteFileA((kSystem32 + std::string(file)).c_str());
        for (const char* file : kWin95PrinterFiles32) DeleteFileA((kSystem32 + std::string(file)).c_str());
    }
};

// Windows 95: the printers are installed from the share's 16-bit drivers
// and registered in WIN.INI, without a question.
TEST_F(InstallEndToEnd, StandardInstallationFromTheFunctionBox) {
    ASSERT_FALSE(tst::FileExists(kConfigFile)) << "a fresh PC has no configuration";
    tst::Personality windows95("win95");
    tst::SetupRun run("");
    run.Answer(kSetupTitle, kFunctionQuestion, IDOK);
    // No TELMORA.INI anywhere: the Windows directory is used without a question;
    // the server base is proposed from the directory the program runs in.
    HWND base = run.Expect(kSetupTitle, kBaseQuestion);
    EXPECT_EQ(run.Proposal(base), "F:\\");
    run.Answer(base, IDOK);
    run.Quit();
    run.ExpectExit();

    EXPECT_EQ(tst::ReadFile(kConfigFile), kInstalledConfig);
    for (const char* file : {"C:\\windows\\TELMORA.EXE", "C:\\windows\\QSPOOL.EXE", "C:\\windows\\TELMORA.HLP",
                             "C:\\windows\\system32\\GEAR32SD.DLL", "C:\\windows\\system\\CTL3DV2.DLL"}) {
        EXPECT_TRUE(tst::FileExists(file)) << file;
    }
    EXPECT_TRUE(
        KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation"));
    for (const char* extension : {".G3F", ".G3N", ".G3S"}) {
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, extension)) << extension;
    }
    // Wine's shell answers the Program Manager conversation with Start Menu folders.
    char programs[MAX_PATH] = "";
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
    for (const char* item : {"Telmora Client.lnk", "Workstation Setup.lnk", "Welcome!.lnk"}) {
        EXPECT_TRUE(tst::FileExists(std::string(programs) + "\\Telmora\\" + item)) << item;
    }

    // The printer drivers, the 32-bit files from the processor subdirectory.
    for (const char* file : kWin95PrinterFiles) {
        EXPECT_EQ(tst::ReadFile(kSystem32 + std::string(file)), tst::ReadFile(std::string("F:\\SYSTEM\\") + file))
            << file;
    }
    for (const char* file : kWin95PrinterFiles32) {
        EXPECT_EQ(tst::ReadFile(kSystem32 + std::string(file)),
                  tst::ReadFile(std::string("F:\\SYSTEM\\I386\\") + file))
            << file;
    }
    EXPECT_FALSE(tst::FileExists(kSystem32 + std::string("QVTL.DRV"))) << "the older driver is not needed";
    EXPECT_TRUE(tst::FileExists("C:\\windows\\QVPRIN.INI"));
    // The log area is the Windows directory: the fax printer's port is bare.
    EXPECT_EQ(ProfileValue("devices", "Telmora Printer"), "QVPRIN,TELMORA.SPL");
    EXPECT_EQ(ProfileValue("PrinterPorts", "Telmora Printer"), "QVPRIN,TELMORA.SPL,15,45");
    EXPECT_EQ(ProfileValue("devices", "Telmora Multisend Printer"), "QVPRN95,C:\\windows\\TELMORA.SPL");
    EXPECT_EQ(ProfileValue("ports", "TELMORA.SPL"), "");
}

void WriteExistingConfig(const char* requestArea) {
    std::string text = "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: ";
    ASSERT_TRUE(tst::WriteFile(kConfigFile, text + requestArea + "\r\n"));
}

// On Windows 95 the printers ask nothing, so a quiet run shows no box at all.
TEST_F(InstallEndToEnd, QuietInstallationAsksNothingWhenTheAreasPass) {
    WriteExistingConfig("F:\\REQUEST");
    tst::Personality windows95("win95");
    tst::SetupRun run("/Q");
    run.ExpectExit();
    EXPECT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    EXPECT_NE(tst::ReadFile(kConfigFile).find("RequestArea: F:\\REQUEST\r\n"), std::string::npos);
    EXPECT_EQ(ProfileValue("devices", "Telmora Printer"), "QVPRIN,TELMORA.SPL");
}

TEST_F(InstallEndToEnd, QuietInstallationRepeatsTheIgnoreQuestionUntilYes) {
    WriteExistingConfig("F:\\MISSING");
    tst::Personality windows95("win95");
    tst::SetupRun run("/q");
    const char* question = "Directory F:\\MISSING not found - Ignore error and continue?";
    run.Answer(kErrorCaption, question, IDNO);
    run.Answer(kErrorCaption, question, IDNO);
    run.Answer(kErrorCaption, question, IDYES);
    run.ExpectExit();
    EXPECT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
}

// Aborted before anything is installed: no printer step, whatever Windows.
TEST_F(InstallEndToEnd, AbortEndsTheWorkflowAndTheFunctionBoxComesBack) {
    tst::SetupRun run("");
    run.Answer(kSetupTitle, kFunctionQuestion, IDOK);
    HWND base = run.Expect(kSetupTitle, kBaseQuestion);
    ASSERT_NE(base, nullptr);
    run.Child().Press(base, IDC_ABORT);  // the question stays open under the confirmation
    run.Answer("Telmora", "Abort installation?", IDYES);
    EXPECT_TRUE(WaitUntilGone(base));
    run.Quit();
    run.ExpectExit();
    EXPECT_FALSE(tst::FileExists(kConfigFile));
    EXPECT_FALSE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
}

// A notebook carries its own fax server (F:) and may connect to a network
// server as well; its base is asked with the network variant, not pre-filled.
// `answerPrinters` answers the printer boxes of the run's Windows.
template <typename PrinterAnswers>
void InstallNotebook(const char* networkBase, PrinterAnswers answerPrinters) {
    ASSERT_TRUE(tst::WriteFile("F:\\SYSTEM\\Q-DB\\NOTEBOOK.DAT", "notebook\r\n"));
    tst::SetupRun run("");
    run.Answer(kSetupTitle, kFunctionQuestion, IDOK);
    run.Answer(kSetupTitle, kBaseQuestion, IDOK);
    run.Answer(kSetupTitle, "Do you want to connect to a network server as well?", IDYES);
    HWND network = run.Expect(kSetupTitle, "Where are the Network server's files installed?");
    ASSERT_NE(network, nullptr);
    EXPECT_EQ(run.Proposal(network), "Z:\\");
    run.Type(network, networkBase);
    run.Answer(network, IDOK);
    answerPrinters(run);
    run.Quit();
    run.ExpectExit();
}

// Windows NT 4.0. The program asks before it stops the print spooler;
// declined, neither printer is installed and the user is asked whether to go
// on. (Agreed, the stop would fail: this test PC's spooler service is not
// running. The lifecycle tests install the printers through a running one.)
TEST_F(InstallEndToEnd, NotebookWithANetworkServerWritesTwoSections) {
    tst::Personality windowsNt("nt40");
    InstallNotebook("n:\\fax", [](tst::SetupRun& run) {
        run.Answer("Telmora", kSpoolerPrompt, IDCANCEL);
        run.Answer(kErrorCaption, kPrintersKept, IDYES);
    });
    std::string config = tst::ReadFile(kConfigFile);
    size_t first = config.find("[WORKSTATION]\r\n");
    size_t second = config.find("[WORKSTATION-1]\r\n");
    ASSERT_NE(first, std::string::npos) << config;
    ASSERT_NE(second, std::string::npos) << config;
    std::string network = config.substr(first, second - first);
    std::string notebook = config.substr(second);
    EXPECT_NE(network.find("SystemArea: N:\\FAX\\SYSTEM\r\n"), std::string::npos) << network;
    EXPECT_NE(network.find("UserArea: N:\\FAX\\USERS\\%NAME%\r\n"), std::string::npos) << network;
    EXPECT_NE(notebook.find("SystemArea: F:\\SYSTEM\r\n"), std::string::npos) << notebook;
    EXPECT_NE(notebook.find("DefaultUser: NOTEBOOK\r\n"), std::string::npos) << notebook;
}

// Wine's own Windows 7 is neither Windows 95 nor a Windows NT the program
// knows: removing and installing the fax printer each report
// IDS_SYSTEM_UNRECOGNIZED; the spooler is then stopped for the Multisend printer, which fails here with
// 1062 as on NT (the service is not running), and Yes goes on without it.
TEST_F(InstallEndToEnd, NotebookOwnBaseAgainGivesOneSection) {
    InstallNotebook("F:\\", [](tst::SetupRun& run) {
        run.Answer(kErrorCaption, kUnknownWindows, IDOK);  // removal
        run.Answer(kErrorCaption, kUnknownWindows, IDOK);  // installation
        run.Answer("Telmora", kSpoolerPrompt, IDOK);
        run.Answer(kErrorCaption, kMultisendNotInstalled, IDYES);
    });
    std::string config = tst::ReadFile(kConfigFile);
    EXPECT_NE(config.find("[WORKSTATION]\r\n"), std::string::npos) << config;
    EXPECT_EQ(config.find("[WORKSTATION-1]"), std::string::npos) << config;
}

}  // namespace
