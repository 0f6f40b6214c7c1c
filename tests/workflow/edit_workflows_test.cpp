// Editing, copying and updating an installed client: with the real
// STNIN32.EXE from the demo share (drive F:) in one run of the function box;
// in-process, an edit that changes neither the log area nor the language;
// and a running client, which stops the update and the uninstallation.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <string>

#include "common/setup_context.h"
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
using tst::kMultisendNotInstalled;
using tst::kSpoolerPrompt;

const DWORD kWindowTimeoutMs = 30000;
const char kTitle[] = "Telmora installation";
const char kClientProgram[] = "F:\\SYSTEM\\I386\\TELMORA.EXE";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kNotebookMark[] = "F:\\SYSTEM\\Q-DB\\NOTEBOOK.DAT";
const char kCopyTarget[] = "C:\\TELMORA CLIENT\\";
const char kErrorCaption[] = "Error!";

// The lines of section `name` of a configuration, up to the next section.
std::string Section(const std::string& config, const char* name) {
    std::string header = std::string("[") + name + "]\r\n";
    size_t start = config.find(header);
    if (start == std::string::npos) return "";
    size_t end = config.find("\r\n[", start + header.size());
    return config.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

// The lines naming the fax server's directories, in their order.
std::string ServerDirectories(const std::string& section) {
    std::string lines;
    for (const char* key : {"UserArea: ", "SystemArea: ", "RequestArea: "}) {
        size_t at = section.find(std::string("\r\n") + key);
        lines += at == std::string::npos ? std::string("(no ") + key + ")\n"
                                         : section.substr(at + 2, section.find("\r\n", at + 2) - at - 2) + "\n";
    }
    return lines;
}

std::string LoadLine() {
    char line[512] = "";
    GetProfileStringA("windows", "load", "", line, sizeof line);
    return line;
}

class EditCopyUpdate : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char* file : {kConfigFile, "C:\\windows\\TELMORA.EXE", kNotebookMark}) DeleteFileA(file);
        tst::RemoveTree(kCopyTarget);
        WriteProfileStringA("windows", "load", nullptr);
    }
};

// A notebook with its own fax server (F:) and a network server (N:\FAX)
// holds two workstation sections; edit, copy and update keep both.
TEST_F(EditCopyUpdate, OneRunOnWindowsNtKeepsBothWorkstationSections) {
    tst::Personality windowsNt("nt40");
    ASSERT_TRUE(tst::WriteFile(kNotebookMark, "notebook\r\n"));
    tst::SetupRun run("");
    run.Answer(kTitle, kFunctionQuestion, IDOK);
    run.Answer(kTitle, "Where are the Telmora files installed?", IDOK);
    run.Answer(kTitle, "Do you want to connect to a network server as well?", IDYES);
    HWND network = run.Expect(kTitle, "Where are the Network server's files installed?");
    ASSERT_NE(network, nullptr);
    run.Child().Type(network, IDC_PATH_EDIT, "N:\\FAX");
    run.Answer(network, IDOK);
    // The printers: the spooler is stopped only after the question, once a run.
    run.Answer("Telmora", kSpoolerPrompt, IDOK);
    run.Answer(kErrorCaption, kMultisendNotInstalled, IDYES);

    // Installed; the function box waits for the next choice.
    ASSERT_NE(run.Expect(kTitle, kFunctionQuestion), nullptr);
    std::string installed = tst::ReadFile(kConfigFile);
    const std::string networkServer = ServerDirectories(Section(installed, "WORKSTATION"));
    const std::string notebookServer = ServerDirectories(Section(installed, "WORKSTATION-1"));
    ASSERT_EQ(networkServer,
              "UserArea: N:\\FAX\\USERS\\%NAME%\nSystemArea: N:\\FAX\\SYSTEM\nRequestArea: N:\\FAX\\REQUEST\n");
    ASSERT_EQ(notebookServer, "UserArea: F:\\USERS\\%NAME%\nSystemArea: F:\\SYSTEM\nRequestArea: F:\\REQUEST\n");
    auto expectServersKept = [&](const char* step) {
        std::string config = tst::ReadFile(kConfigFile);
        EXPECT_EQ(ServerDirectories(Section(config, "WORKSTATION")), networkServer) << step << ":\n" << config;
        EXPECT_EQ(ServerDirectories(Section(config, "WORKSTATION-1")), notebookServer) << step << ":\n" << config;
    };

    // Edit with the same log area and language: no file is copied, but the
    // configuration is written again. The edit takes the client out of the
    // load line, but with two workstation sections the notebook's settings are
    // written back as they were read: a client loaded at start is loaded again,
    // now behind the other program's entry.
    for (const char* file : {"C:\\windows\\QSPOOL.EXE", "C:\\windows\\TELMORA.HLP"}) ASSERT_TRUE(DeleteFileA(file));
    ASSERT_TRUE(WriteProfileStringA("windows", "load", "C:\\WINDOWS\\TELMORA.EXE,NOTEPAD.EXE"));
    run.Choose(IDC_FUNCTION_EDIT);
    run.Answer(kTitle, "If required, Telmora will determine the Telmora user name", IDOK);
    HWND user = run.Expect(kTitle, "Your TELMORA user name is normally determined");
    run.Child().Type(user, IDC_PATH_EDIT, "editor");
    run.Answer(user, IDOK);
    HWND language = run.Expect(kTitle, "Which language would you like to use for the");
    EXPECT_EQ(run.Child().ControlText(language, IDC_LANGUAGE_LIST), "English (British)");
    run.Answer(language, IDOK);
    HWND logArea = run.Expect(kTitle, "Where do you want the spooled print files and");
    EXPECT_EQ(run.Child().ControlText(logArea, IDC_PATH_EDIT), "C:\\WINDOWS");
    run.Answer(logArea, IDOK);
    ASSERT_NE(run.Expect(kTitle, kFunctionQuestion), nullptr);
    EXPECT_FALSE(tst::FileExists("C:\\windows\\QSPOOL.EXE")) << "edit copied a program file";
    EXPECT_FALSE(tst::FileExists("C:\\windows\\TELMORA.HLP")) << "edit installed the help file";
    EXPECT_NE(Section(tst::ReadFile(kConfigFile), "WORKSTATION").find("DefaultUser: EDITOR\r\n"), std::string::npos);
    EXPECT_EQ(LoadLine(), "NOTEPAD.EXE,C:\\WINDOWS\\TELMORA.EXE");
    expectServersKept("edit");

    // Copy into a new directory with a blank in its name.
    run.Choose(IDC_FUNCTION_COPY);
    HWND from = run.Expect(kTitle, "Where do you want to copy the Telmora");
    EXPECT_EQ(run.Child().ControlText(from, IDC_PATH_EDIT), "F:\\SYSTEM");
    run.Answer(from, IDOK);
    HWND to = run.Expect(kTitle, "Where do you want to copy the Telmora");
    EXPECT_EQ(run.Child().ControlText(to, IDC_PATH_EDIT), "C:\\WINDOWS");
    run.Child().Type(to, IDC_PATH_EDIT, "c:\\Telmora Client");
    run.Answer(to, IDOK);
    run.Answer(kErrorCaption, kMultisendNotInstalled, IDYES);  // no second spooler question
    run.Answer(kTitle, "Do you want to add a new entry in the", IDC_ANSWER_NO);
    ASSERT_NE(run.Expect(kTitle, kFunctionQuestion), nullptr);
    for (const char* file : {"TELMORA.EXE", "QSPOOL.EXE", "TELMORA.HLP"}) {
        EXPECT_TRUE(tst::FileExists(std::string(kCopyTarget) + file)) << file;
    }
    EXPECT_FALSE(tst::FileExists(std::string(kCopyTarget) + "INSTALL.TMP")) << "the write test leaves nothing";
    std::string copied = tst::ReadFile(kConfigFile);
    EXPECT_NE(Section(copied, "WORKSTATION").find("Help: C:\\TELMORA CLIENT\\TELMORA.HLP\r\n"), std::string::npos)
        << copied;
    expectServersKept("copy");

    // Update puts back what is missing in the program directory, asking
    // nothing but the printer question.
    ASSERT_TRUE(DeleteFileA((std::string(kCopyTarget) + "QSPOOL.EXE").c_str()));
    run.Choose(IDC_FUNCTION_UPDATE);
    run.Answer(kErrorCaption, kMultisendNotInstalled, IDYES);
    HWND last = run.Expect(kTitle, kFunctionQuestion);
    EXPECT_TRUE(tst::FileExists(std::string(kCopyTarget) + "QSPOOL.EXE"));
    expectServersKept("update");
    run.Answer(last, IDOK);  // Quit is offered
    run.ExpectExit();
}

// The configuration of a plain installation from the share, and its client.
void WriteInstalledClient() {
    ASSERT_TRUE(tst::WriteFile(kConfigFile,
                               "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\n"
                               "RequestArea: F:\\REQUEST\r\nLogArea: C:\\windows\r\nHelp: C:\\windows\\TELMORA.HLP\r\n"
                               "Language: ENG\r\n"));
    ASSERT_TRUE(CopyFileA(kClientProgram, "C:\\windows\\TELMORA.EXE", FALSE));
}

// While the client runs, update and uninstall stop before they change
// anything: with their messages, or silently in a quiet run.
TEST_F(EditCopyUpdate, RunningClientStopsUpdateAndUninstall) {
    WriteInstalledClient();
    DeleteFileA("C:\\windows\\QSPOOL.EXE");
    const std::string config = tst::ReadFile(kConfigFile);
    tst::ChildProcess client;
    ASSERT_TRUE(client.Start(kClientProgram, ""));
    ASSERT_NE(client.WaitForWindow("Quen", kWindowTimeoutMs), nullptr) << client.Describe();

    {
        tst::SetupRun run("/U");
        run.Answer(kErrorCaption, "Unable to update client files.\nPlease closedown Telmora client and try again.",
                   IDOK);
        run.Choose(IDC_FUNCTION_UNINSTALL);
        run.Answer("Telmora", "Are you sure you want to uninstall the Telmora client?", IDOK);
        run.Answer(kErrorCaption, "Client is running. Please shut it down before uninstalling.", IDOK);
        run.Answer(kTitle, kFunctionQuestion, IDOK);
        run.ExpectExit();
    }
    for (const char* switches : {"/Q /U", "/Q /X"}) {
        tst::SetupRun quiet(switches);
        quiet.ExpectExit();  // a box would keep the program from ending
    }
    EXPECT_TRUE(tst::FileExists("C:\\windows\\TELMORA.EXE"));
    EXPECT_FALSE(tst::FileExists("C:\\windows\\QSPOOL.EXE")) << "the update copied files";
    EXPECT_EQ(tst::ReadFile(kConfigFile), config);
    client.Kill();
}

// A fresh run record for a workflow called in-process.
void StartRun(const std::string& configDirectory) {
    tst::FreshRunState();
    tst::UseMainWindow();
    std::strcpy(g_setup.setupDirectory, kSetupDirectory);
    std::strcpy(g_setup.configDirectory, configDirectory.c_str());
    ASSERT_EQ(InitWindowsDirectories(), 1);
}

// The same log area and language: the edit copies nothing and leaves the
// printers alone (it opens none), but writes the configuration again and
// takes the client out of the load line.
TEST(EditConfiguration, UnchangedLogAreaAndLanguageCopyNothingAndTouchNoPrinter) {
    tst::TempDirectory client;
    std::string directory = client.Path().substr(0, client.Path().size() - 1);
    ASSERT_TRUE(tst::WriteFile(client.File("TELMORA.INI"),
                               "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\n"
                               "RequestArea: F:\\REQUEST\r\nLogArea: " + directory + "\r\nHelp: " + directory +
                                   "\\TELMORA.HLP\r\nLanguage: ENG\r\n"));
    ASSERT_TRUE(CopyFileA(kClientProgram, client.File("TELMORA.EXE").c_str(), FALSE));
    ASSERT_TRUE(WriteProfileStringA("windows", "load", (client.File("TELMORA.EXE") + ",NOTEPAD.EXE").c_str()));
    StartRun(client.Path());

    tst::DialogDriver driver;
    driver.Expect(tst::DialogExpect(kTitle, {"If required, Telmora will determine the Telmora user name"}).Press(IDOK));
    driver.Expect(tst::DialogExpect(kTitle, {"Your TELMORA user name is normally determined"})
                      .Type(IDC_PATH_EDIT, "editor")
                      .Press(IDOK));
    driver.Expect(tst::DialogExpect(kTitle, {"Which language would you like to use for the"}).Press(IDOK));
    driver.Expect(tst::DialogExpect(kTitle, {"Where do you want the spooled print files and"})
                      .OnShow([directory](HWND dialog) {
                          char proposal[MAX_PATH] = "";
                          GetDlgItemTextA(dialog, IDC_PATH_EDIT, proposal, sizeof proposal);
                          EXPECT_EQ(directory, proposal);
                      })
                      .Press(IDOK));
    {
        tst::CountingFake<BOOL, LPCSTR, LPCSTR, BOOL> copies("KERNEL32.dll", "CopyFileA", FALSE);
        tst::CountingFake<BOOL, LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA> printers("WINSPOOL.DRV", "OpenPrinterA", FALSE);
        EXPECT_EQ(EditConfiguration(), 1);
        EXPECT_EQ(copies.Calls(), 0);
        EXPECT_EQ(printers.Calls(), 0);
    }
    EXPECT_TRUE(driver.AllMet());
    EXPECT_STREQ(g_setup.displayProgress, "Installation completed");
    std::string config = tst::ReadFile(client.File("TELMORA.INI"));
    EXPECT_NE(config.find("DefaultUser: EDITOR\r\n"), std::string::npos) << config;
    EXPECT_NE(config.find("Network: PRIMARY\r\n"), std::string::npos) << config;
    EXPECT_EQ(LoadLine(), "NOTEPAD.EXE");
    WriteProfileStringA("windows", "load", nullptr);
}

// A client that ran from the distribution directory itself is offered the
// Windows directory as the place to copy it to.
TEST(CopyPrograms, ClientInTheDistributionDirectoryIsOfferedTheWindowsDirectory) {
    tst::TempDirectory config;
    ASSERT_TRUE(tst::WriteFile(config.File("TELMORA.INI"),
                               "[WORKSTATION]\r\nSystemArea: F:\\SYSTEM\r\nHelp: F:\\SYSTEM\\TELMORA.HLP\r\n"));
    StartRun(config.Path());
    g_setup.setupDirectory[0] = '\0';  // taken from the system area

    tst::DialogDriver driver;
    driver.Expect(tst::DialogExpect(kTitle, {"Where do you want to copy the Telmora", "client files from?"})
                      .OnShow([](HWND dialog) {
                          char proposal[MAX_PATH] = "";
                          GetDlgItemTextA(dialog, IDC_PATH_EDIT, proposal, sizeof proposal);
                          EXPECT_STREQ(proposal, "F:\\SYSTEM");
                      })
                      .Type(IDC_PATH_EDIT, "f:\\system  ")
                      .Press(IDOK));
    driver.Expect(tst::DialogExpect(kTitle, {"Where do you want to copy the Telmora", "client files to?"})
                      .OnShow([](HWND dialog) {
                          char proposal[MAX_PATH] = "";
                          GetDlgItemTextA(dialog, IDC_PATH_EDIT, proposal, sizeof proposal);
                          EXPECT_STREQ(proposal, "C:\\WINDOWS");
                      })
                      .Press(IDC_ABORT));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(CopyPrograms(), 0);
    EXPECT_TRUE(driver.AllMet());
    EXPECT_STREQ(g_setup.setupDirectory, "F:\\SYSTEM\\");
}

}  // namespace
