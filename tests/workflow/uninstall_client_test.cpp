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
#include "desktop/registry_entries.h"
#include "files/directories.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"
#include "workflow/workflows.h"

namespace {

const DWORD kWindowTimeoutMs = 150000;
const char kTitle[] = "Telmora installation";
const char kUninstallTitle[] = "Telmora Client Uninstallation";
const char kAutoexecUninstallTitle[] = "Telmora Uninstallation";
const char kFunctionQuestion[] = "What function do you want to perform?";
const char kConfirmation[] = "Are you sure you want to uninstall the Telmora client?";
const char kProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kClientProgram[] = "F:\\SYSTEM\\I386\\TELMORA.EXE";
const char kLanguageLibrary[] = "F:\\SYSTEM\\I386\\QVIGER32.DLL";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kAutoexec[] = "C:\\AUTOEXEC.BAT";
const char kInstalledLibrary32[] = "C:\\windows\\system32\\QVINTL32.DLL";
const char kInstalledLibrary16[] = "C:\\windows\\system\\QVINTL.DLL";
const char kUninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation";
const char kUserSettings[] = "Software\\Norvale\\Telmora";

// Boxes of the printer steps that this test bed makes appear; each is
// answered and counted. 64-bit Wine cannot load the fax printers' 32-bit NT
// drivers, so where the printers are installed the program may ask whether
// to go on without them; the demo share carries no Windows 95 printer
// drivers (QV*.DRV, ...), so their copies fail and are ignored; and Wine
// reports a failure for deleting a profile entry that does not exist, which
// the Windows 95 printer removal shows as a warning.
struct PrinterBox {
    const char* caption;
    const char* text;
    int answer;
};
const PrinterBox kPrinterBoxes[] = {
    {"Error!", "Unable to install Telmora Multisend Printer and Telmora Printer", IDYES},
    {"Error!", "Unable to copy file F:\\SYSTEM\\QV", IDYES},
    {"Warning!", "Error updating Windows initialisation settings", IDOK},
};

bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += 50) {
        if (!IsWindow(window)) return true;
        Sleep(50);
    }
    return false;
}

std::string WindowTitle(HWND window) {
    char title[128] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The Windows version Wine reports to STNIN32.EXE (read at process start),
// for the scope of a test.
class Personality {
public:
    explicit Personality(const char* version) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (!key) return;
        EXPECT_EQ(RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                                 static_cast<DWORD>(std::strlen(version) + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ~Personality() { RegDeleteKeyA(HKEY_CURRENT_USER, kAppKey); }

private:
    static constexpr const char* kAppKey = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
};

// One run of the program from the share, as a 32-bit setup program sees the
// PC. Printer questions on the way are answered Yes.
class SetupRun {
public:
    explicit SetupRun(const std::string& arguments, const std::vector<std::string>& environment = {}) {
        std::vector<std::string> all = environment;
        all.push_back("PROCESSOR_ARCHITECTURE=x86");
        child_.SetDirectory(kSetupDirectory);
        started_ = child_.Start(kProgram, arguments, all);
        EXPECT_TRUE(started_) << "cannot start " << kProgram;
    }
    tst::ChildProcess& Child() { return child_; }

    // The next box: `title`, its first line (or message) containing `text`.
    HWND Expect(const char* title, const char* text) {
        for (;;) {
            HWND box = started_ ? child_.WaitForDialog(nullptr, kWindowTimeoutMs) : nullptr;
            if (!box) {
                ADD_FAILURE() << "no '" << title << "' box with '" << text << "'\n" << child_.Describe();
                return nullptr;
            }
            std::string shown = child_.ControlText(box, IDC_TEXT_LINE1) + child_.DialogText(box);
            std::string boxTitle = WindowTitle(box);
            if (AnswerPrinterBox(box, boxTitle, shown)) continue;
            EXPECT_EQ(boxTitle, title) << "saw: " << shown;
            EXPECT_NE(shown.find(text), std::string::npos) << "saw: " << shown;
            return box;
        }
    }
    void Answer(HWND box, int id) {
        if (!box) return;
        child_.Press(box, id);
        EXPECT_TRUE(WaitUntilGone(box)) << child_.Describe();
    }
    void Answer(const char* title, const char* text, int id) { Answer(Expect(title, text), id); }
    void Choose(int functionButton) {
        HWND box = Expect(kTitle, kFunctionQuestion);
        if (!box) return;
        child_.Press(box, functionButton);
        Answer(box, IDOK);
    }
    // Waits for the end, answering only printer questions.
    void ExpectExit() {
        DWORD code = 1;
        for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += 100) {
            if (child_.WaitForExit(100, &code)) {
                EXPECT_EQ(code, 0u);
                return;
            }
            HWND box = child_.WaitForDialog(nullptr, 0);
            if (box) AnswerPrinterBox(box, WindowTitle(box), child_.DialogText(box));
        }
        ADD_FAILURE() << "the program did not end\n" << child_.Describe();
    }
    int PrinterBoxes() const { return printerBoxes_; }

private:
    bool AnswerPrinterBox(HWND box, const std::string& title, const std::string& shown) {
        for (const PrinterBox& printer : kPrinterBoxes) {
            if (title == printer.caption && shown.find(printer.text) != std::string::npos) {
                ++printerBoxes_;
                Answer(box, printer.answer);
                return true;
            }
        }
        return false;
    }

    tst::ChildProcess child_;
    bool started_ = false;
    int printerBoxes_ = 0;
};

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
    }
};

const char kConfigOnTheShare[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";

// The client as a quiet installation from the share leaves it.
void InstallQuietly() {
    ASSERT_TRUE(tst::WriteFile(kConfigFile, kConfigOnTheShare));
    SetupRun run("/Q");
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
// update; /Q /X does the same without asking anything.
TEST_F(UninstallEndToEnd, SwitchesXWithUOnlyUninstallsAndQuietXAsksNothing) {
    Personality windowsNt("nt40");
    InstallQuietly();
    {
        SetupRun run("/X /U");
        run.Answer("Telmora", kConfirmation, IDOK);
        run.ExpectExit();
    }
    ExpectClientRemoved("/X /U");

    InstallQuietly();
    SetupRun quiet("/Q /X");
    quiet.ExpectExit();
    ExpectClientRemoved("/Q /X");
}

// The Uninstall choice keeps the run in uninstall mode: the installation
// that follows in the same run asks the AUTOEXEC.BAT questions in their
// uninstall wording. AUTOEXEC.BAT is edited only off Windows NT.
TEST_F(UninstallEndToEnd, InstallAfterUninstallInOneRunUsesTheUninstallQuestions) {
    Personality windows95("win95");
    ASSERT_TRUE(CreateDirectoryA("C:\\TELMORA", nullptr));
    ASSERT_TRUE(tst::WriteFile("C:\\TELMORA\\TELMORA.INI", std::string(kConfigOnTheShare) +
                                                              "LogArea: C:\\TELMORA\r\nHelp: C:\\windows\\TELMORA.HLP\r\n"));
    ASSERT_TRUE(CopyFileA(kClientProgram, "C:\\windows\\TELMORA.EXE", FALSE));
    ASSERT_TRUE(tst::WriteFile(kAutoexec, "@ECHO OFF\r\nSET QVTLINIT=C:\\TELMORA\r\nC:\\WINDOWS\\QSPOOL.EXE /A\r\n"
                                          "PATH C:\\DOS\r\n"));
    SetupRun run("", {"INIT=C:\\TELMORA"});  // where the configuration is found

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
    RecordProperty("printer_boxes_answered", run.PrinterBoxes());
}

// One main window for the whole executable, as the program has: the Program
// Manager conversation needs it.
void UseMainWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSEXA existing = {};
        existing.cbSize = sizeof existing;
        if (!GetClassInfoExA(g_setup.appInstance, kMainWindowClass, &existing)) {
            EXPECT_NE(RegisterMainWindowClass(g_setup.appInstance), 0);
        }
        EXPECT_EQ(CreateMainWindow(g_setup.appInstance, SW_SHOW), 1);
        window = g_setup.mainWindow;
    }
    g_setup.mainWindow = window;
}

// An installed client in one scratch directory (configuration, program and
// log area), with its language libraries and registry keys, uninstalled
// in-process on Windows NT 4.0.
class UninstallInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        HINSTANCE instance = g_setup.appInstance;
        g_setup = SetupContext();
        g_setup.appInstance = instance;
        g_setup.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        g_setup.screenHeight = GetSystemMetrics(SM_CYSCREEN);
        UseMainWindow();
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
}

}  // namespace
