// The whole life of the fax client on one PC, under each Windows personality
// that Wine can give STNIN32.EXE: install from the demo share, edit the
// configuration (a new log area and German), copy the programs into a
// directory with a blank in its name, update them, uninstall. Every step is a
// run of the real program from the share; a snapshot of the PC before and
// after it shows what the step changed. After the uninstallation the PC may
// differ from its state before the installation only by what stays by design.
// The steps' boxes and answers are in lifecycle_steps.h, which the lifecycle
// demo runs too; here are the checks of what each step changed.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "lifecycle/lifecycle_steps.h"
#include "support/setup_run.h"
#include "support/snapshot.h"
#include "support/temp_directory.h"

namespace {

using Changes = std::vector<tst::Change>;
using lifecycle::Windows;
using lifecycle::kArchitectureDirectory;
using lifecycle::kSetupDirectory;
using lifecycle::kWindows95Family;
using lifecycle::kWindowsNTFamily;

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kProgramDirectory[] = "C:\\TELMORA CLIENT";

const char kUninstallKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation";
const char kProfileKeys[] = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\";  // WIN.INI's sections
const char kPortsKey[] = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char kPrintKey[] = "HKLM\\System\\CurrentControlSet\\Control\\Print";
const char* const kFaxExtensions[] = {"G3F", "G3N", "G3S"};

// The run of the lifecycle steps in a test: a box out of order, a wrong
// proposal or a missing list entry fails the test.
class LifecycleRun : public tst::SetupRun {
public:
    explicit LifecycleRun(const std::string& arguments) : tst::SetupRun(arguments) {}

    void ExpectText(HWND box, int control, const std::string& expected) {
        if (!box) return;
        EXPECT_EQ(Child().ControlText(box, control), expected) << "control " << control;
    }
    void Select(HWND box, int control, const char* entry) {
        if (!box) return;
        EXPECT_TRUE(Child().Select(box, control, entry)) << "no entry " << entry;
    }
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Sz(const std::string& text) { return "REG_SZ \"" + text + "\""; }

std::string StartMenuGroup() {
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Telmora";
}

// ---- what a step changed ----

const tst::Change* Find(const Changes& changes, const std::string& line) {
    for (const tst::Change& change : changes) {
        if (Upper(change.Line()) == Upper(line)) return &change;
    }
    return nullptr;
}

// `changes` hold `line` ("+ file C:\..."); when `content` is given, the item
// now holds exactly that.
void ExpectChange(const Changes& changes, const std::string& line, const std::string& content = "") {
    const tst::Change* change = Find(changes, line);
    if (!change) {
        ADD_FAILURE() << "no change '" << line << "' among:\n" << tst::DescribeChanges(changes);
        return;
    }
    if (!content.empty()) {
        EXPECT_EQ(change->after, content) << line;
    }
}

// No change at all to an item whose name contains `part`.
void ExpectUntouched(const Changes& changes, const std::string& part) {
    for (const tst::Change& change : changes) {
        EXPECT_EQ(Upper(change.name).find(Upper(part)), std::string::npos) << change.Describe();
    }
}

void ExpectSameBytes(const std::string& installed, const std::string& source) {
    bool ok = false;
    std::string bytes = tst::ReadFile(installed, &ok);
    EXPECT_TRUE(ok) << installed;
    EXPECT_EQ(bytes, tst::ReadFile(source)) << installed << " is not a copy of " << source;
}

void ExpectConfigLine(const std::string& line) {
    std::string config = tst::ReadFile(kConfigFile);
    EXPECT_NE(config.find(line + "\r\n"), std::string::npos) << "no line '" << line << "' in:\n" << config;
}

// Whether the shell link file names `path` (ANSI or UTF-16, any letter case).
bool LinkNames(const std::string& link, const std::string& path) {
    std::string bytes = Upper(tst::ReadFile(link));
    std::string wide;
    for (char c : Upper(path)) wide += std::string(1, c) + '\0';
    return bytes.find(Upper(path)) != std::string::npos || bytes.find(wide) != std::string::npos;
}

void CheckInstalled(const Changes& changes, const Windows& windows) {
    ExpectChange(changes, std::string("+ file ") + kConfigFile);
    ExpectConfigLine("LogArea: C:\\windows");
    ExpectConfigLine("Language: ENG");
    for (const char* file : {"TELMORA.EXE", "QSPOOL.EXE", "TELMORA.HLP"}) {
        ExpectChange(changes, std::string("+ file C:\\windows\\") + file);
    }
    ExpectSameBytes("C:\\windows\\TELMORA.EXE", std::string(kArchitectureDirectory) + "TELMORA.EXE");
    ExpectChange(changes, "+ file C:\\windows\\system32\\GEAR32SD.DLL");
    ExpectChange(changes, "+ file C:\\windows\\system32\\SNBD6W9S.DLL");
    ExpectChange(changes, "+ file C:\\windows\\system\\CTL3DV2.DLL");
    ExpectChange(changes, std::string("+ value ") + kUninstallKey + "\\UninstallString", Sz("F:\\SYSTEM\\STNINST /X"));
    for (const char* extension : kFaxExtensions) {
        std::string e = extension;
        ExpectChange(changes, "+ value HKCR\\." + e + "\\shell\\open\\command\\(default)",
                     Sz("C:\\WINDOWS\\TELMORA.EXE %1"));
        ExpectChange(changes, std::string("+ value ") + kProfileKeys + "Extensions\\" + e,
                     Sz("C:\\WINDOWS\\TELMORA.EXE ^." + e));
    }
    // The client does not start with Windows: the load line is written without it.
    ExpectChange(changes, std::string("+ value ") + kProfileKeys + "Windows\\load", Sz(""));
    for (const char* item : {"Telmora Client.lnk", "Workstation Setup.lnk", "Welcome!.lnk"}) {
        ExpectChange(changes, "+ file " + StartMenuGroup() + "\\" + item);
    }
    EXPECT_TRUE(LinkNames(StartMenuGroup() + "\\Telmora Client.lnk", "C:\\WINDOWS\\TELMORA.EXE"));
    if (windows.family == kWindows95Family) {
        for (const char* file : {"QVPRIN.DRV", "QVPRNMRG.DLL", "QVPRNCTL.EXE", "QVPRN95.DRV", "UNIDRV.DLL"}) {
            ExpectChange(changes, std::string("+ file C:\\windows\\system32\\") + file);
        }
        ExpectChange(changes, "+ file C:\\windows\\QVPRIN.INI");
        std::string devices = std::string("+ value ") + kProfileKeys + "Devices\\";
        ExpectChange(changes, devices + "Telmora Printer", Sz("QVPRIN,TELMORA.SPL"));
        ExpectChange(changes, devices + "Telmora Multisend Printer", Sz("QVPRN95,C:\\windows\\TELMORA.SPL"));
        ExpectChange(changes, std::string("+ value ") + kPortsKey + "\\TELMORA.SPL", Sz(""));
    } else {
        // Only the fax printer's settings key, made before the spooler is stopped.
        ExpectChange(changes, std::string("+ key ") + kPrintKey + "\\Printers\\Telmora Printer\\PrinterDriverData");
        ExpectUntouched(changes, "Devices");
        ExpectUntouched(changes, "\\spool\\");
    }
}

void CheckEdited(const Changes& changes, const Windows& windows) {
    ExpectChange(changes, "+ directory C:\\FAXLOG");
    ExpectChange(changes, std::string("~ file ") + kConfigFile);
    ExpectConfigLine("LogArea: C:\\FAXLOG");
    ExpectConfigLine("Language: GER");
    ExpectChange(changes, "+ file C:\\windows\\system32\\QVINTL32.DLL");
    ExpectSameBytes("C:\\windows\\system32\\QVINTL32.DLL", std::string(kArchitectureDirectory) + "QVIGER32.DLL");
    ExpectChange(changes, "+ file C:\\windows\\system\\QVINTL.DLL");
    ExpectSameBytes("C:\\windows\\system\\QVINTL.DLL", std::string(kSetupDirectory) + "QVIGER.DLL");
    ExpectChange(changes, "~ file C:\\windows\\TELMORA.HLP");
    ExpectSameBytes("C:\\windows\\TELMORA.HLP", std::string(kSetupDirectory) + "QVIGER.HLP");
    // The Program Manager items get their German names.
    std::string group = StartMenuGroup() + "\\";
    ExpectChange(changes, "+ file " + group + "Arbeitsplatz-Setup.lnk");
    ExpectChange(changes, "+ file " + group + "Willkommen!.lnk");
    ExpectChange(changes, "- file " + group + "Workstation Setup.lnk");
    ExpectChange(changes, "- file " + group + "Welcome!.lnk");
    if (windows.family == kWindows95Family) {
        ExpectChange(changes, std::string("~ value ") + kProfileKeys + "Devices\\Telmora Printer",
                     Sz("QVPRIN,c:\\faxlog\\telmora.spl"));
        ExpectChange(changes, std::string("+ value ") + kPortsKey + "\\c:\\faxlog\\telmora.spl", Sz(""));
        ExpectChange(changes, "~ file C:\\windows\\QVPRIN.INI");
    } else {
        ExpectUntouched(changes, "Devices");
    }
}

void CheckCopied(const Changes& changes) {
    std::string directory = std::string(kProgramDirectory) + "\\";
    ExpectChange(changes, std::string("+ directory ") + kProgramDirectory);
    for (const char* file : {"TELMORA.EXE", "QSPOOL.EXE", "TELMORA.HLP"}) {
        ExpectChange(changes, "+ file " + directory + file);
    }
    ExpectSameBytes(directory + "TELMORA.EXE", std::string(kArchitectureDirectory) + "TELMORA.EXE");
    ExpectConfigLine(std::string("Help: ") + directory + "TELMORA.HLP");
    for (const char* extension : kFaxExtensions) {
        std::string e = extension;
        ExpectChange(changes, "~ value HKCR\\." + e + "\\shell\\open\\command\\(default)",
                     Sz(directory + "TELMORA.EXE %1"));
        ExpectChange(changes, std::string("~ value ") + kProfileKeys + "Extensions\\" + e,
                     Sz(directory + "TELMORA.EXE ^." + e));
    }
    // The client item now starts the copy; its path, with the blank, came
    // through the Program Manager command in one piece.
    std::string item = StartMenuGroup() + "\\Telmora Client.lnk";
    ExpectChange(changes, "~ file " + item);
    EXPECT_TRUE(LinkNames(item, directory + "TELMORA.EXE")) << item;
    // The old copy in the Windows directory is left as it was.
    ExpectUntouched(changes, "C:\\windows\\TELMORA.EXE");
}

// The update's test: a program file and, on Windows 95, a printer driver
// deleted after the copy; the update must put them back.
const char kMultisendDriver[] = "C:\\windows\\system32\\QVPRN95.DRV";

std::string CopiedSpooler() { return std::string(kProgramDirectory) + "\\QSPOOL.EXE"; }

void DamageInstallation(const Windows& windows) {
    ASSERT_TRUE(DeleteFileA(CopiedSpooler().c_str()));
    if (windows.family == kWindows95Family) {
        ASSERT_TRUE(DeleteFileA(kMultisendDriver));
    }
}

void CheckUpdated(const Changes& changes, const Windows& windows) {
    ExpectChange(changes, "+ file " + CopiedSpooler());
    ExpectSameBytes(CopiedSpooler(), std::string(kSetupDirectory) + "QSPOOL.EXE");
    if (windows.family == kWindows95Family) ExpectChange(changes, std::string("+ file ") + kMultisendDriver);
    // The configuration still names the program directory of the copy.
    ExpectConfigLine(std::string("Help: ") + kProgramDirectory + "\\TELMORA.HLP");
}

// The client's files, language libraries, desktop entries and registry keys
// go; on Windows 95 also the printers' WIN.INI entries and the driver files
// the removal deletes.
void CheckUninstalled(const Changes& changes, const Windows& windows) {
    std::string directory = std::string(kProgramDirectory) + "\\";
    for (const char* file : {"TELMORA.EXE", "QSPOOL.EXE", "TELMORA.HLP"}) {
        ExpectChange(changes, "- file " + directory + file);
    }
    ExpectChange(changes, "- file C:\\windows\\TELMORA.HLP");
    ExpectChange(changes, "- file C:\\windows\\system32\\QVINTL32.DLL");
    ExpectChange(changes, "- file C:\\windows\\system\\QVINTL.DLL");
    ExpectChange(changes, std::string("- key ") + kUninstallKey);
    for (const char* extension : kFaxExtensions) {
        ExpectChange(changes, std::string("- key HKCR\\.") + extension);
        ExpectChange(changes, std::string("- value ") + kProfileKeys + "Extensions\\" + extension);
    }
    for (const char* item : {"Telmora Client.lnk", "Arbeitsplatz-Setup.lnk", "Willkommen!.lnk"}) {
        ExpectChange(changes, "- file " + StartMenuGroup() + "\\" + item);
    }
    if (windows.family != kWindows95Family) return;
    for (const char* printer : {"Telmora Printer", "Telmora Multisend Printer"}) {
        ExpectChange(changes, std::string("- value ") + kProfileKeys + "Devices\\" + printer);
        ExpectChange(changes, std::string("- value ") + kProfileKeys + "PrinterPorts\\" + printer);
    }
    ExpectChange(changes, std::string("- value ") + kPortsKey + "\\c:\\faxlog\\telmora.spl");
    ExpectChange(changes, std::string("- value ") + kPortsKey + "\\C:\\windows\\TELMORA.SPL");
    for (const char* file : {"QVPRIN.DRV", "QVPRNMRG.DLL", "QVPRNCTL.EXE", "QVPRN95.DRV"}) {
        ExpectChange(changes, std::string("- file C:\\windows\\system32\\") + file);
    }
    ExpectChange(changes, "- file C:\\windows\\QVPRIN.INI");
}

// Runs one step; returns what it changed on `pc`, which then holds the PC after it.
Changes RunStep(tst::Snapshot& pc, void (*step)(const Windows&), const Windows& windows) {
    step(windows);
    tst::Snapshot after = tst::Snapshot::Take();
    Changes changes = pc.ChangesTo(after);
    pc = after;
    return changes;
}

// ---- what stays ----

struct Survivor {
    std::string line;
    const char* reason;
};

std::vector<Survivor> Survivors(const Windows& windows) {
    const std::string profile = std::string("+ key ") + kProfileKeys;
    std::vector<Survivor> list = {
        {std::string("+ file ") + kConfigFile, "the uninstallation never deletes the configuration"},
        {"+ file C:\\windows\\TELMORA.EXE",
         "copying the programs leaves the old copy; the uninstallation deletes the client from the program "
         "directory the configuration names"},
        {"+ file C:\\windows\\QSPOOL.EXE", "as TELMORA.EXE"},
        {std::string("+ directory ") + kProgramDirectory, "the program makes directories and never removes them"},
        {"+ directory C:\\FAXLOG", "the log area: a directory, as the program directory"},
        {"+ file C:\\windows\\system32\\GEAR32SD.DLL", "shared libraries stay for other programs"},
        {"+ file C:\\windows\\system32\\SNBD6W9S.DLL", "a shared library"},
        {"+ file C:\\windows\\system32\\MFC42.DLL", "a shared library (the test PC had none)"},
        {"+ file C:\\windows\\system\\CTL3DV2.DLL", "the shared 3-D controls library"},
        {"+ directory " + StartMenuGroup(),
         "the group is deleted only when Program Manager reports it empty, and Wine's DDE server cannot "
         "report a group's items (DMLERR_NOTPROCESSED)"},
        {profile + "Windows", "WIN.INI's [windows] section, which the load line's first write made"},
        {std::string("+ value ") + kProfileKeys + "Windows\\load", "the load line, written back without the client"},
        {profile + "Extensions", "WIN.INI's [Extensions] section: only its entries are the client's"},
    };
    if (windows.family == kWindows95Family) {
        std::vector<Survivor> printers = {
            {profile + "Devices", "WIN.INI's [devices] section: only its entries are the printers'"},
            {profile + "PrinterPorts", "WIN.INI's [PrinterPorts] section, the same"},
            {std::string("+ value ") + kPortsKey + "\\TELMORA.SPL",
             "the port of the first installation, named bare while the log area was the Windows directory; "
             "removal forms the port from the current log area, so it no longer sees this one"},
        };
        for (const char* file : {"THK16MFX.DLL", "THK32MFX.DLL", "IMG16MFX.DLL", "IMG32MFX.DLL", "UNIDRV.DLL",
                                 "UNIDRV.HLP", "ICONLIB.DLL"}) {
            printers.push_back({std::string("+ file C:\\windows\\system32\\") + file,
                                "printer support and shared driver files, which the removal keeps"});
        }
        list.insert(list.end(), printers.begin(), printers.end());
    } else {
        const std::string print = std::string("+ key ") + kPrintKey;
        std::vector<Survivor> printers = {
            {print + "\\Printers\\Telmora Printer",
             "the fax printer's settings key, made before the spooler is stopped so that a reinstallation "
             "keeps the settings; no printer was made (the spooler could not be stopped), so the removal "
             "finds no printer to delete with it"},
            {print + "\\Printers\\Telmora Printer\\PrinterDriverData", "the settings themselves"},
            {std::string("+ value ") + kPrintKey + "\\Printers\\Telmora Printer\\Name",
             "written by Wine's spooler into every key under Printers it loads"},
            {print + "\\Environments\\Windows NT x86",
             "made by Wine's spooler when the removal deletes the Multisend driver of that environment; "
             "Windows NT has it from its own setup"},
            {print + "\\Environments\\Windows NT x86\\Drivers", "the same"},
            {print + "\\Environments\\Windows NT x86\\Drivers\\Version-3", "the same"},
        };
        list.insert(list.end(), printers.begin(), printers.end());
    }
    return list;
}

// The difference must be exactly the survivors: each one present, nothing else.
void ExpectOnlySurvivors(const Changes& changes, const Windows& windows) {
    std::vector<Survivor> survivors = Survivors(windows);
    for (const Survivor& survivor : survivors) {
        EXPECT_NE(Find(changes, survivor.line), nullptr) << "expected to stay: " << survivor.line << " ("
                                                          << survivor.reason << ")";
    }
    for (const tst::Change& change : changes) {
        bool listed = std::any_of(survivors.begin(), survivors.end(),
                                  [&](const Survivor& s) { return Upper(s.line) == Upper(change.Line()); });
        EXPECT_TRUE(listed) << "left behind: " << change.Describe();
    }
}

// ---- the fixture ----

DWORD SpoolerState() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceA(manager, "spooler", SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status = {};
    DWORD state = service && QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return state;
}

// The three personalities share one Wine PC: each test starts from a snapshot
// of a PC without the client, and afterwards takes away whatever its run
// added, so the next one starts from the same PC.
class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tst::FileExists(kConfigFile)) << "the PC already has a client configuration";
        start_ = tst::Snapshot::Take();
    }

    void TearDown() override {
        std::vector<std::string> left = tst::RemoveAdditions(start_.ChangesTo(tst::Snapshot::Take()));
        for (const std::string& line : left) ADD_FAILURE() << "cannot take away " << line;
    }

    void Run(const Windows& windows) {
        tst::Personality personality(windows.wineVersion);
        if (windows.family == kWindowsNTFamily) {
            ASSERT_EQ(SpoolerState(), static_cast<DWORD>(SERVICE_STOPPED));
        }

        tst::Snapshot pc = start_;
        CheckInstalled(RunStep(pc, lifecycle::Install<LifecycleRun>, windows), windows);
        CheckEdited(RunStep(pc, lifecycle::Edit<LifecycleRun>, windows), windows);
        CheckCopied(RunStep(pc, lifecycle::Copy<LifecycleRun>, windows));
        ASSERT_NO_FATAL_FAILURE(DamageInstallation(windows));
        pc = tst::Snapshot::Take();
        CheckUpdated(RunStep(pc, lifecycle::Update<LifecycleRun>, windows), windows);
        CheckUninstalled(RunStep(pc, lifecycle::Uninstall<LifecycleRun>, windows), windows);
        ExpectOnlySurvivors(start_.ChangesTo(pc), windows);
        ExpectConfigLine("Language: GER");
    }

    tst::Snapshot start_;
};

TEST_F(Lifecycle, Windows95) { Run(lifecycle::kWindows95); }

TEST_F(Lifecycle, WindowsNT351) { Run(lifecycle::kWindowsNT351); }

TEST_F(Lifecycle, WindowsNT40) { Run(lifecycle::kWindowsNT40); }

}  // namespace
