// Runs of the real STNIN32.EXE from the demo share for what the lifecycle
// (tests/lifecycle) does not reach: quiet runs, /U and /X, the notebook with a
// second server, a running client, files that cannot be replaced or deleted,
// the reboot box; and hostile input,
// which the program must report (the expected box, answered) or ignore, never
// crash, changing nothing it has no business changing. One row per run: the
// PC made ready, the switches, every box in order, then what must hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process_driver.h"
#include "support/setup_run.h"
#include "support/snapshot.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

using tst::DialogExpect, tst::Expectation, tst::FileExists, tst::FunctionBox, tst::MessageBoxExpect, tst::ReadFile;
using tst::kSetupTitle;

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kClient[] = "C:\\windows\\TELMORA.EXE";
const char kSpooler[] = "C:\\windows\\QSPOOL.EXE";
const char kAutoexec[] = "C:\\AUTOEXEC.BAT";
const char kNotebookMark[] = "F:\\SYSTEM\\Q-DB\\NOTEBOOK.DAT";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation";
const char kShareConfig[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";
const char kMissingRequestArea[] = "[WORKSTATION]\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\MISSING\r\n";
const char kIgnore[] = " - Ignore error and continue?";
const char kSpoolerPrompt[] =
    "Workstation setup is about to stop the print spooler.\nThis may affect current printing.\nClick OK to continue.";
// This PC's spooler service is not running (the lifecycle starts it): stopping
// it for the Multisend printer fails with 1062.
const char kMultisendFailed[] = "Unable to install Telmora Multisend Printer.\n (1062)\n - Ignore error and continue?";

Expectation Question(const char* line, int press = IDOK) { return DialogExpect(kSetupTitle, {line}).Press(press); }
Expectation Error(const std::string& text, int press = IDOK) {
    return MessageBoxExpect("Error!", text.c_str(), press == IDOK ? std::vector<int>{IDOK} : std::vector<int>{IDYES, IDNO})
        .Press(press);
}
Expectation Product(const char* text, std::vector<int> buttons = {IDOK}) {
    return MessageBoxExpect("Telmora", text, buttons).Press(buttons.front());
}
const Expectation kBaseQuestion = Question("Where are the Telmora files installed?");
const Expectation kQuit = FunctionBox(IDC_FUNCTION_QUIT);
// The first function box after /U, which offers Install.
const Expectation kQuitFirst =
    DialogExpect(kSetupTitle, {tst::kFunctionQuestion}).Checked(IDC_FUNCTION_INSTALL).Click(IDC_FUNCTION_QUIT).Press(IDOK);
const Expectation kConfirmUninstall = Product("Are you sure you want to uninstall the Telmora client?", {IDOK, IDCANCEL});
const Expectation kConnect =
    MessageBoxExpect(kSetupTitle, "Do you want to connect to a network server as well?", {IDYES, IDNO}).Press(IDYES);
const Expectation kNetworkServer = Question("Where are the Network server's files installed?");

// The lines of section `name` of the configuration, up to the next section.
std::string Section(const char* name) {
    std::string config = ReadFile(kConfigFile), header = std::string("[") + name + "]\r\n";
    size_t start = config.find(header);
    return start == std::string::npos ? "" : config.substr(start, config.find("\r\n[", start + 1) - start);
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The network server's section first, the notebook's own (F:) second.
void ExpectServers() {
    EXPECT_TRUE(Holds(Section("WORKSTATION"), "SystemArea: N:\\FAX\\SYSTEM\r\n")) << ReadFile(kConfigFile);
    EXPECT_TRUE(Holds(Section("WORKSTATION-1"), "SystemArea: F:\\SYSTEM\r\n")) << ReadFile(kConfigFile);
}

// The client as a quiet installation leaves it on Windows NT: /Q agrees to
// stopping the spooler, not to going on without the Multisend printer.
void InstallQuietlyOnNt() {
    tst::WriteFile(kConfigFile, kShareConfig);
    tst::ExpectRun("/Q", {Error(kMultisendFailed, IDYES)});
    ASSERT_TRUE(FileExists(kClient) && tst::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

void ExpectClientRemoved() {
    for (const char* file : {kClient, kSpooler, "C:\\windows\\TELMORA.HLP"}) EXPECT_FALSE(FileExists(file)) << file;
    EXPECT_TRUE(FileExists(kConfigFile)) << "the configuration stays";
    EXPECT_FALSE(tst::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

const char* const kHeldFiles[] = {kClient, "C:\\windows\\system32\\SNBD6W9S.DLL", "C:\\windows\\system32\\GEAR32SD.DLL"};
HANDLE g_held[3] = {};

std::string DllCopyFailed(const char* name) {
    return std::string("Unable to copy DLL file F:\\SYSTEM\\I386\\") + name + "\nto C:\\windows\\system32\\" + name +
           "\n\nPossibly it is in use by another application. Close down other applications and try again.\n\n" + kIgnore;
}

void StartClient() {
    tst::WriteFile(kConfigFile, kShareConfig);
    ASSERT_TRUE(tst::StartClient());
}

// While the client runs, update and uninstall stop before they change anything.
void ExpectNothingChangedAndStopClient() {
    EXPECT_TRUE(FileExists(kClient) && !FileExists(kSpooler)) << "the update copied files";
    EXPECT_EQ(ReadFile(kConfigFile), kShareConfig);
    tst::StopClient();
}

const char kMissingArea[] = "Directory F:\\MISSING not found - Ignore error and continue?";

std::vector<tst::RunCase> Cases() {
    return {
        // A quiet run asks no server question: only the ignore question, until Yes.
        {"quiet install, an area missing", "win95", [] { tst::WriteFile(kConfigFile, kMissingRequestArea); }, "/q", {},
         {Error(kMissingArea, IDNO), Error(kMissingArea, IDNO), Error(kMissingArea, IDYES)},
         [] { EXPECT_TRUE(FileExists(kClient)); }},
        // A client that ran from the setup directory is offered the Windows
        // directory. Escape in the function box quits, whatever is checked.
        {"copy of a client in the setup directory", "win95",
         [] { tst::WriteFile(kConfigFile, std::string(kShareConfig) + "Help: F:\\SYSTEM\\TELMORA.HLP\r\n"); }, "", {},
         {FunctionBox(IDC_FUNCTION_COPY), Question("Where do you want to copy the Telmora").Shows(IDC_PATH_EDIT, "F:\\SYSTEM"),
          Question("Where do you want to copy the Telmora", IDC_ABORT).Shows(IDC_PATH_EDIT, "C:\\WINDOWS"),
          Product("Abort installation?", {IDYES, IDNO}), FunctionBox(IDC_FUNCTION_EDIT).Press(IDCANCEL)},
         [] {}},
        // A notebook carries its own fax server (F:) and may connect to a network
        // server as well: two workstation sections, which edit and update keep.
        // Declined, the spooler stop leaves both printers out. The edit with the
        // same log area and language copies nothing and touches no printer.
        {"notebook with a network server", "nt40", [] { tst::WriteFile(kNotebookMark, "notebook\r\n"); }, "", {},
         {FunctionBox(IDC_FUNCTION_INSTALL), kBaseQuestion, kConnect,
          Expectation(kNetworkServer).Shows(IDC_PATH_EDIT, "Z:\\").Type(IDC_PATH_EDIT, "n:\\fax"),
          Product(kSpoolerPrompt, {IDCANCEL, IDOK}),
          // (cut where the message's 200 characters end)
          Error(std::string("Unable to install Telmora Multisend Printer and Telmora Printer.\nUser requested not to shut "
                            "down print spooler.\nTo install the Telmora printers, finish printing\nand then run the "
                            "Workstation Setup prog") + kIgnore, IDYES),
          FunctionBox(IDC_FUNCTION_EDIT).OnShow([](HWND) {
              ExpectServers();
              EXPECT_TRUE(Holds(Section("WORKSTATION-1"), "DefaultUser: NOTEBOOK\r\n"));
              DeleteFileA(kSpooler);
          }),
          Question("If required, Telmora will determine the Telmora user name"),
          Question("Your TELMORA user name is normally determined").Type(IDC_PATH_EDIT, "editor"),
          Question("Which language would you like to use for the").Shows(IDC_LANGUAGE_LIST, "English (British)"),
          Question("Where do you want the spooled print files and").Shows(IDC_PATH_EDIT, "C:\\WINDOWS"),
          FunctionBox(IDC_FUNCTION_UPDATE).OnShow([](HWND) {
              EXPECT_FALSE(FileExists(kSpooler)) << "the edit copied a program file";
              EXPECT_TRUE(Holds(Section("WORKSTATION"), "DefaultUser: EDITOR\r\n"));
              ExpectServers();
          }),
          Product(kSpoolerPrompt, {IDOK, IDCANCEL}), Error(kMultisendFailed, IDYES), kQuit},
         [] { EXPECT_TRUE(FileExists(kSpooler)), ExpectServers(); }},
        // A notebook whose "network" server is its own keeps one workstation section.
        {"notebook with its own server as the network server", "win95", [] { tst::WriteFile(kNotebookMark, "notebook\r\n"); },
         "", {}, {FunctionBox(IDC_FUNCTION_INSTALL), kBaseQuestion, kConnect, Expectation(kNetworkServer).Type(IDC_PATH_EDIT, "f:\\"), kQuit},
         [] { EXPECT_TRUE(Section("WORKSTATION-1").empty() && Holds(Section("WORKSTATION"), "SystemArea: F:\\SYSTEM\r\n")); }},
        // Copy and update install the printers over the old ones: removing them
        // would take the default printer (it names the fax printer) with them.
        {"update keeps the default printer", "win95",
         [] {
             tst::WriteFile(kConfigFile, kShareConfig);
             tst::ExpectRun("/Q", {});
             WriteProfileStringA("windows", "device", "TELMORA PRINTER,QVTL,LPT1:");
         },
         "/Q /U", {}, {}, [] { EXPECT_EQ(tst::ProfileValue("windows", "device"), "Telmora printer,QVPRIN,TELMORA.SPL"); }},
        // /X with /U uninstalls and ends, without the function box and without an
        // update; /Q /X does the same without asking anything. No printer was made
        // on this NT, so their removal asks nothing either.
        {"/X /U", "nt40", InstallQuietlyOnNt, "/X /U", {}, {kConfirmUninstall}, ExpectClientRemoved},
        {"/Q /X", "nt40", InstallQuietlyOnNt, "/Q /X", {}, {}, ExpectClientRemoved},
        // A read-only TELMORA.EXE cannot be deleted: the box names it, the other
        // files still go, the uninstall entry stays for the next attempt.
        {"uninstall with a read-only client", "nt40",
         [] { InstallQuietlyOnNt(), SetFileAttributesA(kClient, FILE_ATTRIBUTE_READONLY); }, "/X", {},
         {kConfirmUninstall, Product("Cannot delete file: TELMORA.EXE.  Delete this file by hand.")},
         [] {
             EXPECT_TRUE(FileExists(kClient) && tst::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
             EXPECT_FALSE(FileExists(kSpooler));
             SetFileAttributesA(kClient, FILE_ATTRIBUTE_NORMAL);
         }},
        // Files held open by another program in the update: the copy fails; the
        // client program may be skipped, SNBD6W9S.DLL is skipped whatever the
        // answer, No for GEAR32SD.DLL stops the update before the DOS spooler.
        {"update over files held open", "win95",
         [] {
             tst::WriteFile(kConfigFile, kShareConfig);
             tst::ExpectRun("/Q", {});
             DeleteFileA(kSpooler);
             for (int i = 0; i < 3; ++i) {
                 g_held[i] = CreateFileA(kHeldFiles[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             }
         },
         "/U", {},
         {Error("Cannot copy file: F:\\SYSTEM\\I386\\TELMORA.EXE"),
          Error(std::string("Unable to copy file F:\\SYSTEM\\I386\\TELMORA.EXE\nto file C:\\WINDOWS\\TELMORA.EXE\n\n") + kIgnore, IDYES),
          Error("Cannot copy file: F:\\SYSTEM\\I386\\SNBD6W9S.DLL"), Error(DllCopyFailed("SNBD6W9S.DLL"), IDNO),
          Error("Cannot copy file: F:\\SYSTEM\\I386\\GEAR32SD.DLL"), Error(DllCopyFailed("GEAR32SD.DLL"), IDNO), kQuitFirst},
         [] {
             EXPECT_FALSE(FileExists(kSpooler)) << "the update went on after No";
             for (HANDLE& file : g_held) CloseHandle(file);
         }},
        {"running client: /U and Uninstall", nullptr, StartClient, "/U", {},
         {Error("Unable to update client files.\nPlease closedown Telmora client and try again."),
          FunctionBox(IDC_FUNCTION_UNINSTALL), kConfirmUninstall,
          Error("Client is running. Please shut it down before uninstalling."), kQuit},
         ExpectNothingChangedAndStopClient},
        {"running client: /Q /U", nullptr, StartClient, "/Q /U", {}, {}, ExpectNothingChangedAndStopClient},
        {"running client: /Q /X", nullptr, StartClient, "/Q /X", {}, {}, ExpectNothingChangedAndStopClient},
        // The Uninstall choice keeps the run in uninstall mode: the installation
        // that follows asks the AUTOEXEC.BAT questions in their uninstall wording,
        // and the changed AUTOEXEC.BAT brings the reboot box.
        {"install after uninstall in one run", "win95",
         [] {
             CreateDirectoryA("C:\\TELMORA", nullptr);
             tst::WriteFile("C:\\TELMORA\\TELMORA.INI", kShareConfig);
             tst::ExpectRun("/Q", {}, {"INIT=C:\\TELMORA"});  // a quiet installation leaves AUTOEXEC.BAT alone
             tst::WriteFile(kAutoexec, "@ECHO OFF\r\nSET QVTLINIT=C:\\TELMORA\r\nC:\\WINDOWS\\QSPOOL.EXE /A\r\nPATH C:\\DOS\r\n");
         },
         "", {"INIT=C:\\TELMORA"},
         {FunctionBox(IDC_FUNCTION_UNINSTALL), kConfirmUninstall,
          DialogExpect("Telmora Client Uninstallation", {"AUTOEXEC.BAT needs to be edited", "to remove the QVTLINIT environment variable",
                                                         "and to remove the TSR program QSPOOL.EXE"}).Press(IDC_ANSWER_YES),
          DialogExpect("Telmora Uninstallation", {"Where is AUTOEXEC.BAT?"}).Shows(IDC_PATH_EDIT, "C:\\").Press(IDOK),
          FunctionBox(IDC_FUNCTION_INSTALL).OnShow([](HWND) {
              EXPECT_EQ(ReadFile(kAutoexec), "@ECHO OFF\r\nPATH C:\\DOS\r\n");
              EXPECT_FALSE(FileExists(kClient));
          }),
          kBaseQuestion,
          DialogExpect("Telmora Client Uninstallation", {"AUTOEXEC.BAT needs to be edited", "to remove the QVTLINIT environment variable", ""})
              .Press(IDC_ANSWER_YES),
          DialogExpect("Telmora Uninstallation", {"Where is AUTOEXEC.BAT?"}).Press(IDOK), kQuit,
          Question("You must reboot your PC for the changes to", IDC_REBOOT_EXIT)},
         [] {
             EXPECT_EQ(ReadFile(kAutoexec), "SET QVTLINIT=C:\\TELMORA\r\n@ECHO OFF\r\nPATH C:\\DOS\r\n");
             EXPECT_TRUE(FileExists(kClient));
         }},
    };
}
// Hostile input, on Windows 95 (where the printers ask nothing): a QVTLINIT
// and a PATH of 10 000 characters, an /I directory of 1 000, registry values
// of the wrong type, a TELMORA.INI of random bytes (a load line longer than
// is read is a row of tests/desktop). Wine keeps WIN.INI's [windows] and
// [Intl] sections in the registry.
const char kWindowsSection[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kIntlSection[] = "Control Panel\\International";
const char kFarConfig[] = "C:\\FARAWAY\\TELMORA.INI";
const char kFarBytes[] = "[WORKSTATION]\r\nSystemArea: Q:\\FAR\\SYSTEM\r\n";
const char kOldAutoexec[] = "@ECHO OFF\r\nSET QVTLINIT=Z:\\OLD\r\nPATH C:\\DOS\r\n";
// What an installation writes behind the lines of an old TELMORA.INI that has
// neither a workstation nor a server section: no [SERVER] agreement to keep,
// so no server section, and empty settings keep the blank after the colon.
const char kInstalledSection[] =
    "\r\n[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n"
    "LogArea: C:\\WINDOWS\r\nDefaultUser: \r\nAccept: *.DOC,*.WRI,*.TXT,*.ASC\r\nSpool: \r\nRedirect: LPT1\r\n"
    "Timeout: 60\r\nStatusTimer: 10\r\nNetwork: PRIMARY\r\nHelp: C:\\windows\\TELMORA.HLP\r\nLanguage: ENG\r\n";

// Deterministic bytes: every run sees the same hostile input.
std::string RandomBytes(unsigned seed, size_t count) {
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

std::string Repeat(const std::string& pattern, size_t count) {
    std::string text;
    while (text.size() < count) text += pattern;
    return text.substr(0, count);
}

std::string Value(HKEY root, const char* key, const char* name, DWORD* type = nullptr) {
    char data[4096] = "";
    DWORD size = sizeof data;
    if (RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) != ERROR_SUCCESS) return "<none>";
    return std::string(data, size).c_str();
}

const std::string kRandomConfig = RandomBytes(20240611, 64 * 1024);
const std::string kWrongBytes = RandomBytes(7, 1000);
const DWORD kNumber = 0xC0FFEE;
tst::Snapshot g_before;
std::string g_winIni, g_language;

void TakeSnapshot() { g_before = tst::Snapshot::Take(); }
void ExpectNoChange() { EXPECT_EQ(tst::DescribeChanges(g_before.ChangesTo(tst::Snapshot::Take())), ""); }

// A TELMORA.INI in a PATH directory beyond the search list's end is not found;
// a cut QVTLINIT differs from the configuration directory, so on Windows 95
// the program offers to edit AUTOEXEC.BAT, and answered No leaves it alone.
void PrepareFarConfig() {
    CreateDirectoryA("C:\\FARAWAY", nullptr);
    tst::WriteFile(kFarConfig, kFarBytes);
    tst::WriteFile(kAutoexec, kOldAutoexec);
    g_winIni = ReadFile("C:\\windows\\win.ini");
}

void ExpectOnlyANewConfig() {
    EXPECT_TRUE(FileExists(kConfigFile));
    EXPECT_EQ(ReadFile(kFarConfig), kFarBytes);
    EXPECT_EQ(ReadFile(kAutoexec), kOldAutoexec);
    EXPECT_EQ(ReadFile("C:\\windows\\win.ini"), g_winIni);
}

// Wrong types where the program reads text: read as missing, so the load
// line is written back as text, without anything, and the language default.
void ExpectLoadLineText() {
    DWORD type = 0;
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kWindowsSection, "load", &type), "");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(Holds(ReadFile(kConfigFile), "Language: ENG\r\n"));
}

std::vector<tst::RunCase> HostileCases() {
    const std::string qvtlinit = "Z:\\" + Repeat("QVTLINIT\\", 9997);
    const std::string junk = Repeat("C:\\TOOLS\\BIN; ;;\"C:\\" + std::string(300, 'P') + "\";", 600);
    const std::string path = "PATH=" + junk + ";C:\\FARAWAY;" + Repeat(junk, 10000 - junk.size() - 12);
    // An /I directory that does not fit is refused before the program has a main window.
    const Expectation refused = Product("Invalid direcory following /i switch").OnShow([](HWND box) {
        DWORD child = 0, owner = 0;
        GetWindowThreadProcessId(box, &child);
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "TelmoraInstall", nullptr));) {
            EXPECT_NE(child, (GetWindowThreadProcessId(w, &owner), owner)) << "a main window before the switches";
        }
    });
    const std::vector<Expectation> install = {FunctionBox(IDC_FUNCTION_INSTALL), Expectation(kBaseQuestion).Shows(IDC_PATH_EDIT, "F:\\"), kQuit};
    std::vector<Expectation> autoexec = install;
    autoexec.insert(autoexec.end() - 1, {Question("AUTOEXEC.BAT needs to be edited", IDC_ANSWER_NO),
                                         MessageBoxExpect("Warning!", "Ensure that the line\n'SET QVTLINIT=C:\\WINDOWS'\nis in AUTOEXEC.BAT or a startup file", {IDOK})});
    return {
        // QVTLINIT and PATH go into a search list of 511 characters, each
        // element cut to 254, and QVTLINIT into a value of 254.
        {"QVTLINIT and PATH of 10 000 characters", "win95", PrepareFarConfig, "", {"QVTLINIT=" + qvtlinit, path},
         autoexec, ExpectOnlyANewConfig},
        {"an /I directory of 1 000 characters", nullptr, TakeSnapshot, "/I C:\\" + std::string(997, 'D'), {}, {refused}, ExpectNoChange},
        {"load line and language as numbers", "win95",
         [] {
             RegSetKeyValueA(HKEY_CURRENT_USER, kWindowsSection, "load", REG_DWORD, &kNumber, 4);
             RegSetKeyValueA(HKEY_CURRENT_USER, kIntlSection, "sLanguage", REG_BINARY, "DEU", 3);
         },
         "", {}, install, ExpectLoadLineText},
        // The uninstallation meets its own keys holding values of the wrong type,
        // and removes them all the same.
        {"uninstall over values of the wrong type", "win95",
         [] {
             tst::WriteFile(kConfigFile, kShareConfig);
             tst::ExpectRun("/Q", {});
             RegSetKeyValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", REG_DWORD, &kNumber, 4);
             RegSetKeyValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", REG_BINARY, kWrongBytes.data(), 300);
             RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Norvale\\Telmora", "Window", REG_BINARY, kWrongBytes.data(), 64);
             RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Norvale\\Telmora", "Copies", REG_DWORD, &kNumber, 4);
             // Without an AUTOEXEC.BAT to edit it would count as incomplete and keep the keys.
             tst::WriteFile(kAutoexec, "@ECHO OFF\r\n");
         },
         "/Q /X", {}, {},
         [] { EXPECT_FALSE(tst::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) || tst::KeyExists(HKEY_CURRENT_USER, "Software\\Norvale")); }},
        // A TELMORA.INI of random bytes: an installation keeps every line byte
        // for byte (Ctrl-Z dropped, an LF for the last line), then adds its own
        // section.
        {"TELMORA.INI of random bytes, written", "win95", [] { tst::WriteFile(kConfigFile, kRandomConfig); }, "", {},
         install,
         [] {
             std::string expected;
             for (char c : kRandomConfig) expected += c == '\x1a' ? "" : std::string(1, c);
             EXPECT_TRUE(ReadFile(kConfigFile) == expected + "\n" + kInstalledSection) << "TELMORA.INI differs";
         }},
    };
}

// Every row starts from a PC without the client, its configuration, load line
// or AUTOEXEC.BAT, with the Windows language as it was (the rows share one Wine PC).
void Clean() {
    for (const char* file : {kConfigFile, kClient, kSpooler, kAutoexec, kNotebookMark, kFarConfig, "C:\\TELMORA\\TELMORA.INI"}) {
        DeleteFileA(file);
    }
    for (const char* directory : {"C:\\TELMORA\\", "C:\\FARAWAY\\"}) tst::RemoveTree(directory);
    tst::RemoveWin95PrinterEntries();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kWindowsSection, "load");
    if (g_language == "<none>") RegDeleteKeyValueA(HKEY_CURRENT_USER, kIntlSection, "sLanguage");
    if (g_language != "<none>") {
        RegSetKeyValueA(HKEY_CURRENT_USER, kIntlSection, "sLanguage", REG_SZ, g_language.c_str(),
                        static_cast<DWORD>(g_language.size() + 1));
    }
}

TEST(EndToEnd, Runs) {
    g_language = Value(HKEY_CURRENT_USER, kIntlSection, "sLanguage");
    tst::RunCases(Cases(), Clean);
}

TEST(EndToEnd, HostileInputs) {
    g_language = Value(HKEY_CURRENT_USER, kIntlSection, "sLanguage");
    tst::RunCases(HostileCases(), Clean);
}

}  // namespace
