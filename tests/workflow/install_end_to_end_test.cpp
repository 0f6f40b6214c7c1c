// Installations from the demo share (drive F: of the test prefix) by the real
// STNIN32.EXE as a child process: from the function box, quiet with an
// existing configuration, aborted, and the notebook with a second server.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kWindowTimeoutMs = 30000;
const char kTitle[] = "Telmora installation";
const char kProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";

// The configuration a standard installation from the share writes.
const char kInstalledConfig[] =
    "[TELMORA]\r\nType: Init\r\nRevision: A\r\n\r\n"
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n"
    "LogArea: C:\\windows\r\nDefaultUser:\r\nAccept: *.DOC,*.WRI,*.TXT,*.ASC\r\nSpool:\r\nRedirect: LPT1\r\n"
    "Timeout: 60\r\nStatusTimer: 10\r\nNetwork: PRIMARY\r\nHelp: C:\\windows\\TELMORA.HLP\r\nLanguage: ENG\r\n"
    "\r\n[SERVER]\r\nServerArea: F:\\SERVER\r\nSystemArea: F:\\SYSTEM\r\nAllUserArea: F:\\USERS\r\n"
    "RequestArea: F:\\REQUEST\r\n";

bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += 50) {
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
    }
};

// Drives one run of the program from the share, the way a 32-bit setup
// program sees a PC (PROCESSOR_ARCHITECTURE x86).
class Installation {
public:
    explicit Installation(const std::string& arguments = "") {
        child_.SetDirectory(kSetupDirectory);
        started_ = child_.Start(kProgram, arguments, {"PROCESSOR_ARCHITECTURE=x86"});
    }
    bool Started() const { return started_; }
    tst::ChildProcess& Child() { return child_; }

    // The next box with `title` whose first text line (or message) contains `text`.
    HWND Expect(const char* title, const char* text) {
        HWND box = child_.WaitForDialog(title, kWindowTimeoutMs);
        if (!box) {
            ADD_FAILURE() << "no '" << title << "' box with '" << text << "'\n" << child_.Describe();
            return nullptr;
        }
        std::string shown = child_.ControlText(box, IDC_TEXT_LINE1) + child_.DialogText(box);
        EXPECT_NE(shown.find(text), std::string::npos) << "saw: " << shown;
        return box;
    }
    void Answer(HWND box, int id) {
        if (!box) return;
        child_.Press(box, id);
        EXPECT_TRUE(WaitUntilGone(box)) << child_.Describe();
    }
    void Quit() {
        HWND box = Expect(kTitle, "What function do you want to perform?");
        if (!box) return;
        EXPECT_EQ(SendDlgItemMessageW(box, IDC_FUNCTION_QUIT, BM_GETCHECK, 0, 0), BST_CHECKED);
        Answer(box, IDOK);
    }
    void ExpectExit() {
        DWORD code = 1;
        ASSERT_TRUE(child_.WaitForExit(kWindowTimeoutMs, &code)) << child_.Describe();
        EXPECT_EQ(code, 0u);
    }

private:
    tst::ChildProcess child_;
    bool started_ = false;
};

TEST_F(InstallEndToEnd, StandardInstallationFromTheFunctionBox) {
    ASSERT_FALSE(tst::FileExists(kConfigFile)) << "a fresh PC has no configuration";
    Installation run;
    ASSERT_TRUE(run.Started());
    run.Answer(run.Expect(kTitle, "What function do you want to perform?"), IDOK);
    // No TELMORA.INI anywhere: the Windows directory is used without a question;
    // the server base is proposed from the directory the program runs in.
    HWND base = run.Expect(kTitle, "Where are the Telmora files installed?");
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(run.Child().ControlText(base, IDC_PATH_EDIT), "F:\\");
    run.Answer(base, IDOK);
    run.Quit();
    run.ExpectExit();

    EXPECT_EQ(tst::ReadFile(kConfigFile), kInstalledConfig);
    for (const char* file : {"C:\\windows\\TELMORA.EXE", "C:\\windows\\QSPOOL.EXE", "C:\\windows\\TELMORA.HLP",
                             "C:\\windows\\system32\\GEAR32SD.DLL", "C:\\windows\\system\\CTL3DV2.DLL"}) {
        EXPECT_TRUE(tst::FileExists(file)) << file;
    }
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation"));
    for (const char* extension : {".G3F", ".G3N", ".G3S"}) {
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, extension)) << extension;
    }
    // Wine's shell answers the Program Manager conversation with Start Menu folders.
    char programs[MAX_PATH] = "";
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
    for (const char* item : {"Telmora Client.lnk", "Workstation Setup.lnk", "Welcome!.lnk"}) {
        EXPECT_TRUE(tst::FileExists(std::string(programs) + "\\Telmora\\" + item)) << item;
    }
}

void WriteExistingConfig(const char* requestArea) {
    std::string text = "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: ";
    ASSERT_TRUE(tst::WriteFile(kConfigFile, text + requestArea + "\r\n"));
}

TEST_F(InstallEndToEnd, QuietInstallationAsksNothingWhenTheAreasPass) {
    WriteExistingConfig("F:\\REQUEST");
    Installation run("/Q");
    ASSERT_TRUE(run.Started());
    run.ExpectExit();
    EXPECT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    EXPECT_EQ(tst::ReadFile(kConfigFile).find("RequestArea: F:\\REQUEST\r\n") != std::string::npos, true);
}

TEST_F(InstallEndToEnd, QuietInstallationRepeatsTheIgnoreQuestionUntilYes) {
    WriteExistingConfig("F:\\MISSING");
    Installation run("/q");
    ASSERT_TRUE(run.Started());
    const char* question = "Directory F:\\MISSING not found - Ignore error and continue?";
    run.Answer(run.Expect("Error!", question), IDNO);
    run.Answer(run.Expect("Error!", question), IDNO);
    run.Answer(run.Expect("Error!", question), IDYES);
    run.ExpectExit();
    EXPECT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
}

TEST_F(InstallEndToEnd, AbortEndsTheWorkflowAndTheFunctionBoxComesBack) {
    Installation run;
    ASSERT_TRUE(run.Started());
    run.Answer(run.Expect(kTitle, "What function do you want to perform?"), IDOK);
    HWND base = run.Expect(kTitle, "Where are the Telmora files installed?");
    ASSERT_NE(base, nullptr);
    run.Child().Press(base, IDC_ABORT);  // the question stays open under the confirmation
    run.Answer(run.Expect("Telmora", "Abort installation?"), IDYES);
    EXPECT_TRUE(WaitUntilGone(base));
    run.Quit();
    run.ExpectExit();
    EXPECT_FALSE(tst::FileExists(kConfigFile));
    EXPECT_FALSE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
}

// A notebook carries its own fax server (F:) and may connect to a network
// server as well; its base is asked with the network variant, not pre-filled.
void InstallNotebook(const char* networkBase) {
    ASSERT_TRUE(tst::WriteFile("F:\\SYSTEM\\Q-DB\\NOTEBOOK.DAT", "notebook\r\n"));
    Installation run;
    ASSERT_TRUE(run.Started());
    run.Answer(run.Expect(kTitle, "What function do you want to perform?"), IDOK);
    run.Answer(run.Expect(kTitle, "Where are the Telmora files installed?"), IDOK);
    run.Answer(run.Expect(kTitle, "Do you want to connect to a network server as well?"), IDYES);
    HWND network = run.Expect(kTitle, "Where are the Network server's files installed?");
    ASSERT_NE(network, nullptr);
    EXPECT_EQ(run.Child().ControlText(network, IDC_PATH_EDIT), "Z:\\");
    run.Child().Type(network, IDC_PATH_EDIT, networkBase);
    run.Answer(network, IDOK);
    run.Quit();
    run.ExpectExit();
}

TEST_F(InstallEndToEnd, NotebookWithANetworkServerWritesTwoSections) {
    InstallNotebook("n:\\fax");
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

TEST_F(InstallEndToEnd, NotebookOwnBaseAgainGivesOneSection) {
    InstallNotebook("F:\\");
    std::string config = tst::ReadFile(kConfigFile);
    EXPECT_NE(config.find("[WORKSTATION]\r\n"), std::string::npos) << config;
    EXPECT_EQ(config.find("[WORKSTATION-1]"), std::string::npos) << config;
}

}  // namespace
