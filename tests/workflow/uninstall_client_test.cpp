// The uninstallation: with the real STNIN32.EXE from the demo share (from
// the function box followed by an installation in the same run, and with
// /X /U and /Q /X), and in-process for a client file that cannot be deleted
// and for the language library the program itself holds loaded.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "desktop/progman.h"
#include "desktop/registry_entries.h"
#include "files/directories.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/main_window_once.h"
#include "support/process_driver.h"
#include "support/setup_run.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"
#include "workflow/workflows.h"

namespace {

using tst::kFunctionQuestion;

const char kTitle[] = "Telmora installation";
const char kUninstallTitle[] = "Telmora Client Uninstallation";
const char kAutoexecUninstallTitle[] = "Telmora Uninstallation";
const char kConfirmation[] = "Are you sure you want to uninstall the Telmora client?";
const char kClientProgram[] = "F:\\SYSTEM\\I386\\TELMORA.EXE";
const char kLanguageLibrary[] = "F:\\SYSTEM\\I386\\QVIGER32.DLL";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kAutoexec[] = "C:\\AUTOEXEC.BAT";
const char kInstalledLibrary32[] = "C:\\windows\\system32\\QVINTL32.DLL";
const char kInstalledLibrary16[] = "C:\\windows\\system\\QVINTL.DLL";
const char kUninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation";
const char kUserSettings[] = "Software\\Norvale\\Telmora";

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string ProgramsFolder() {
    char programs[MAX_PATH] = "";
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
    return programs;
}

// Every test starts from a PC without the client and leaves none behind.
class UninstallEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char* file : {kConfigFile, "C:\\windows\\TELMORA.EXE", kAutoexec}) {
            SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file);
        }
        tst::RemoveTree("C:\\TELMORA\\");
        tst::RemoveWin95PrinterEntries();
    }
};

const char kConfigOnTheShare[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";

// The client as a quiet installation from the share leaves it on Windows NT.
// /Q agrees to stopping the spooler without asking, but not to going on
// without the printers when the stop fails (the test PC's spooler service
// is not running).
void InstallQuietlyOnNt() {
    ASSERT_TRUE(tst::WriteFile(kConfigFile, kConfigOnTheShare));
    tst::SetupRun run("/Q");
    run.Answer("Error!", tst::kMultisendNotInstalled, IDYES);
    run.ExpectExit();
    ASSERT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
}

// What the uninstallation takes away, and TELMORA.INI, which it keeps.
void ExpectClientRemoved(const char* how) {
    for (const char* file : {"C:\\windows\\TELMORA.EXE", "C:\\windows\\QSPOOL.EXE", "C:\\windows\\TELMORA.HLP",
                             kInstalledLibrary32}) {
        EXPECT_FALSE(tst::FileExists(file)) << how << ": " << file;
    }
    EXPECT_TRUE(tst::FileExists(kConfigFile)) << how << ": the configuration stays";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry)) << how;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".G3F")) << how;
    for (const char* item : {"Telmora Client.lnk", "Workstation Setup.lnk", "Welcome!.lnk"}) {
        EXPECT_FALSE(tst::FileExists(ProgramsFolder() + "\\Telmora\\" + item)) << how << ": " << item;
    }
}

// /X with /U uninstalls and ends, without the function box and without an
// update; /Q /X does the same without asking anything. No printer was made
// on this Windows NT, so their removal asks nothing either.
TEST_F(UninstallEndToEnd, SwitchesXWithUOnlyUninstallsAndQuietXAsksNothing) {
    tst::Personality windowsNt("nt40");
    InstallQuietlyOnNt();
    {
        tst::SetupRun run("/X /U");
        run.Answer("Telmora", kConfirmation, IDOK);
        run.ExpectExit();
    }
    ExpectClientRemoved("/X /U");

    InstallQuietlyOnNt();
    tst::SetupRun quiet("/Q /X");
    quiet.ExpectExit();
    ExpectClientRemoved("/Q /X");
}

// Whether the Windows 95 fax printers are there: their drivers in SYSTEM32
// and their WIN.INI entries.
void ExpectWin95Printers(bool there, const char* when) {
    for (const char* driver : {"C:\\windows\\system32\\QVPRIN.DRV", "C:\\windows\\system32\\QVPRN95.DRV"}) {
        EXPECT_EQ(there, tst::FileExists(driver)) << when << ": " << driver;
    }
    for (const char* printer : {"Telmora Printer", "Telmora Multisend Printer"}) {
        EXPECT_EQ(there, tst::ProfileValue("devices", printer) != "<missing>") << when << ": " << printer;
    }
}

// The Uninstall choice keeps the run in uninstall mode: the installation
// that follows in the same run asks the AUTOEXEC.BAT questions in their
// uninstall wording. AUTOEXEC.BAT is edited only off Windows NT. The fax
// printers go and come back with the client, asking nothing on Windows 95.
TEST_F(UninstallEndToEnd, InstallAfterUninstallInOneRunUsesTheUninstallQuestions) {
    tst::Personality windows95("win95");
    const std::vector<std::string> configFound = {"INIT=C:\\TELMORA"};
    ASSERT_TRUE(CreateDirectoryA("C:\\TELMORA", nullptr));
    ASSERT_TRUE(tst::WriteFile("C:\\TELMORA\\TELMORA.INI", kConfigOnTheShare));
    ASSERT_TRUE(tst::WriteFile(kAutoexec, "@ECHO OFF\r\nSET QVTLINIT=C:\\TELMORA\r\nC:\\WINDOWS\\QSPOOL.EXE /A\r\n"
                                          "PATH C:\\DOS\r\n"));
    {
        tst::SetupRun install("/Q", configFound);  // a quiet installation leaves AUTOEXEC.BAT alone
        install.ExpectExit();
    }
    ASSERT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    ExpectWin95Printers(true, "installed");
    tst::SetupRun run("", configFound);

    run.Choose(IDC_FUNCTION_UNINSTALL);
    run.Answer("Telmora", kConfirmation, IDOK);
    HWND both = run.Expect(kUninstallTitle, "AUTOEXEC.BAT needs to be edited");
    EXPECT_EQ(run.Child().ControlText(both, IDC_TEXT_LINE2), "to remove the QVTLINIT environment variable");
    EXPECT_EQ(run.Child().ControlText(both, IDC_TEXT_LINE3), "and to remove the TSR program QSPOOL.EXE");
    run.Answer(both, IDC_ANSWER_YES);
    HWND where = run.Expect(kAutoexecUninstallTitle, "Where is AUTOEXEC.BAT?");
    EXPECT_EQ(run.Child().ControlText(where, IDC_PATH_EDIT), "C:\\");
    run.Answer(where, IDOK);
    ASSERT_NE(run.Expect(kTitle, kFunctionQuestion), nullptr);
    EXPECT_EQ(tst::ReadFile(kAutoexec), "@ECHO OFF\r\nPATH C:\\DOS\r\n");
    EXPECT_FALSE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    ExpectWin95Printers(false, "uninstalled");

    run.Choose(IDC_FUNCTION_INSTALL);
    run.Answer(kTitle, "Where are the Telmora files installed?", IDOK);
    HWND init = run.Expect(kUninstallTitle, "AUTOEXEC.BAT needs to be edited");
    EXPECT_EQ(run.Child().ControlText(init, IDC_TEXT_LINE2), "to remove the QVTLINIT environment variable");
    EXPECT_EQ(run.Child().ControlText(init, IDC_TEXT_LINE3), "");
    run.Answer(init, IDC_ANSWER_YES);
    run.Answer(kAutoexecUninstallTitle, "Where is AUTOEXEC.BAT?", IDOK);
    run.Answer(kTitle, kFunctionQuestion, IDOK);  // Quit
    run.Answer(kTitle, "You must reboot your PC for the changes to", IDC_REBOOT_EXIT);
    run.ExpectExit();
    EXPECT_EQ(tst::ReadFile(kAutoexec), "SET QVTLINIT=C:\\TELMORA\r\n@ECHO OFF\r\nPATH C:\\DOS\r\n");
    EXPECT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    ExpectWin95Printers(true, "installed again");
}

// An installed client in one scratch directory (configuration, program and
// log area), with its language libraries and registry keys, uninstalled
// in-process on Windows NT 4.0.
class UninstallInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        tst::UseMainWindow();
        std::strcpy(g_setup.setupDirectory, kSetupDirectory);
        std::strcpy(g_setup.configDirectory, client_.Path().c_str());

        std::string directory = client_.Path().substr(0, client_.Path().size() - 1);
        ASSERT_TRUE(tst::WriteFile(client_.File("TELMORA.INI"), std::string(kConfigOnTheShare) + "LogArea: " +
                                                                    directory + "\r\nHelp: " + directory +
                                                                    "\\TELMORA.HLP\r\n"));
        ASSERT_TRUE(CopyFileA(kClientProgram, client_.File("TELMORA.EXE").c_str(), FALSE));
        for (const char* file : {"QSPOOL.EXE", "TELMORA.HLP", "TELMORA.LOG", "QSPOOL.LOG", "TELMORA.001"}) {
            ASSERT_TRUE(tst::WriteFile(client_.File(file), "client file\r\n")) << file;
        }
        ASSERT_TRUE(CopyFileA(kLanguageLibrary, kInstalledLibrary32, FALSE));
        ASSERT_TRUE(tst::WriteFile(kInstalledLibrary16, "16-bit language library\r\n"));
        ASSERT_EQ(WriteUninstallEntry(kSetupDirectory), 1);
        // The Program Manager items; this also makes the group current in
        // Wine's shell, which dies on a DeleteItem before any group command.
        ASSERT_EQ(AddProgmanItems(client_.Path().c_str(), kSetupDirectory), 1);
        ASSERT_TRUE(tst::FileExists(ClientItem()));
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kUserSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void TearDown() override {
        SetFileAttributesA(client_.File("TELMORA.EXE").c_str(), FILE_ATTRIBUTE_NORMAL);
        if (g_setup.languageLibrary) FreeLibrary(g_setup.languageLibrary);
        g_setup.languageLibrary = nullptr;
        DeleteFileA(kInstalledLibrary32);
        DeleteFileA(kInstalledLibrary16);
        RemoveClientRegistryKeys();
    }

    // The confirmation, answered OK (after `onConfirm`), then `more`.
    int Uninstall(std::vector<tst::Expectation> more, std::function<void(HWND)> onConfirm = [](HWND) {}) {
        tst::DialogDriver driver;
        driver.Expect(tst::MessageBoxExpect("Telmora", kConfirmation, {IDOK, IDCANCEL}).OnShow(onConfirm).Press(IDOK));
        for (tst::Expectation& expectation : more) driver.Expect(expectation);
        int result = UninstallClient();
        EXPECT_TRUE(driver.AllMet());
        return result;
    }

    static std::string ClientItem() { return ProgramsFolder() + "\\Telmora\\Telmora Client.lnk"; }

    tst::TempDirectory client_;
    tst::FakeWindowsVersion version_{tst::kWindowsNT40};
};

// A read-only TELMORA.EXE cannot be deleted (DeleteFileA fails with access
// denied, also for root): the box names it, every other file still goes,
// and the registry keys and language libraries stay for the next attempt.
TEST_F(UninstallInProcess, ReadOnlyClientProgramKeepsKeysAndLanguageLibraries) {
    ASSERT_TRUE(SetFileAttributesA(client_.File("TELMORA.EXE").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Uninstall({tst::MessageBoxExpect("Telmora", "Cannot delete file: TELMORA.EXE.  Delete this file by hand.",
                                               {IDOK})}),
              0);
    EXPECT_STREQ(g_setup.displayProgress, "Unable to remove some Telmora client files");
    EXPECT_TRUE(tst::FileExists(client_.File("TELMORA.EXE")));
    for (const char* file : {"QSPOOL.EXE", "TELMORA.HLP", "TELMORA.LOG", "QSPOOL.LOG", "TELMORA.001"}) {
        EXPECT_FALSE(tst::FileExists(client_.File(file))) << file;
    }
    EXPECT_TRUE(tst::FileExists(client_.File("TELMORA.INI")));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserSettings));
    EXPECT_TRUE(tst::FileExists(kInstalledLibrary32));
    EXPECT_TRUE(tst::FileExists(kInstalledLibrary16));
    EXPECT_FALSE(tst::FileExists(ClientItem())) << "the other removals still run";
}

// Everything removed: the program lets go of its own language library
// before it deletes the installed libraries.
TEST_F(UninstallInProcess, CompleteRemovalReleasesTheLanguageLibraryFirst) {
    // The program's texts come from the installed German library from here on.
    auto startGerman = [](HWND) {
        g_setup.languageLibrary = LoadLibraryA(kInstalledLibrary32);
        ASSERT_NE(g_setup.languageLibrary, nullptr);
    };
    EXPECT_EQ(Uninstall({}, startGerman), 1);
    EXPECT_STREQ(g_setup.displayProgress, "Telmora-Client erfolgreich deinstalliert") << "released too early";
    EXPECT_EQ(g_setup.languageLibrary, nullptr);
    EXPECT_EQ(GetModuleHandleA("QVINTL32.DLL"), nullptr) << "still loaded";
    EXPECT_FALSE(tst::FileExists(kInstalledLibrary32));
    EXPECT_FALSE(tst::FileExists(kInstalledLibrary16));
    for (const char* file : {"TELMORA.EXE", "QSPOOL.EXE", "TELMORA.HLP", "TELMORA.LOG", "QSPOOL.LOG", "TELMORA.001"}) {
        EXPECT_FALSE(tst::FileExists(client_.File(file))) << file;
    }
    EXPECT_TRUE(tst::FileExists(client_.File("TELMORA.INI")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserSettings));
    EXPECT_FALSE(tst::FileExists(ClientItem()));
}

}  // namespace
