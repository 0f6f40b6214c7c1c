// The whole life of the fax client on one PC, under each Windows personality
// that Wine can give STNIN32.EXE: install from the demo share, edit the
// configuration (a new log area and German), copy the programs into a
// directory with a blank in its name, update them, uninstall. Every step is a
// run of the real program from the share; a snapshot of the PC before and
// after it shows what the step changed, the NT printers as the spooler
// reports them included (its service runs, as on every NT PC). After the
// uninstallation the PC may differ from its state before the installation
// only by what stays by design, or where Wine differs from Windows.
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
#include "support/x86_pc.h"

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

// ---- the NT printers as the spooler holds them ----
//
// Where 32-bit Wine's spooler holds something else than Windows NT's, the
// checks expect Wine's and say what Windows holds:
// - Wine files every driver under version 3, in the version directory 3,
//   whatever version the program asks (NT 4.0: 2, NT 3.51: 1; Windows NT
//   files the driver under that one, in its version directory);
// - Wine's AddPrinterA refuses a printer without a data type with 87, which
//   Windows NT gives its print processor's default, "RAW": the Multisend
//   printer. Wine has then written it half: the spooler lists it without a
//   data type, OpenPrinterA cannot open it (1801), so no removal deletes it;
// - the WIN.INI device entries of a printer name Wine's own driver,
//   "wineps.drv", where Windows NT names "winspool";
// - DeletePrintProcessorA does nothing: the NT 3.51 print processor stays.
const char kX86Drivers[] = "C:\\windows\\system32\\spool\\drivers\\w32x86\\";
const char kWineDriverVersion[] = "3";
const char kWineDeviceDriver[] = "wineps.drv";
const char kFaxPrinter[] = "Telmora Printer";
const char kMultisendPrinter[] = "Telmora Multisend Printer";
const char kMultisendDriverName[] = "Telmora Multisend Driver";
const char kFaxPort[] = "Telmora.spl";
const char kMonitorKey[] = "\\Monitors\\Fax Monitor Port";
const char kSettingsKey[] = "\\Printers\\Telmora Printer\\PrinterDriverData\\";
const char kFaxPrintProcessor[] = "\\Environments\\Windows NT x86\\Print Processors\\faxprint";

// The printer kits of an NT version: the fax printer's driver and
// configuration files and print processor, the share's raster driver.
struct NtKit {
    const char* driver;
    const char* configuration;
    const char* printProcessor;
    const char* rasterDriver;
};

NtKit KitOf(const Windows& windows) {
    if (&windows == &lifecycle::kWindowsNT351) return {"imgfb3dr.dll", "imgfb3ui.dll", "faxprint", "RAS351.DLL"};
    return {"imgfaxdr.dll", "imgfb4ui.dll", "winprint", "RAS40.DLL"};
}

std::string Printer(const std::string& port, const std::string& driver, const std::string& dataType,
                    const char* processor, const char* attributes, int priority) {
    return "port " + port + ", driver " + driver + ", print processor " + processor + ", data type " + dataType +
           ", attributes " + attributes + ", priority " + std::to_string(priority);
}

std::string Driver(const char* file, const char* data, const char* configuration) {
    std::string directory = std::string(kX86Drivers) + kWineDriverVersion + "\\";
    return std::string("version ") + kWineDriverVersion + ", driver " + directory + file + ", data file " + directory +
           data + ", configuration file " + directory + configuration;
}

std::string PrinterLine(char mark, const char* name) { return std::string(1, mark) + " printer " + name; }
std::string DriverLine(char mark, const char* name) {
    return std::string(1, mark) + " driver Windows NT x86\\" + name;
}

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

// No change at all to an item whose line ("+ file C:\\...") contains `part`.
void ExpectUntouched(const Changes& changes, const std::string& part) {
    for (const tst::Change& change : changes) {
        EXPECT_EQ(Upper(change.Line()).find(Upper(part)), std::string::npos) << change.Describe();
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

// Both printers through the real spooler: the fax printer on its kit's
// driver and port, with its settings; the Multisend printer on the raster
// driver with the Multisend data file (half made, see above).
void CheckNtPrinters(const Changes& changes, const Windows& windows) {
    NtKit kit = KitOf(windows);
    ExpectChange(changes, PrinterLine('+', kFaxPrinter),
                 Printer(kFaxPort, kFaxPrinter, "RAW", kit.printProcessor, "0x41", 1));
    ExpectChange(changes, DriverLine('+', kFaxPrinter), Driver(kit.driver, "DUMMY.DAT", kit.configuration));
    ExpectChange(changes, PrinterLine('+', kMultisendPrinter),
                 Printer("C:\\windows\\TELMORA.SPL", kMultisendDriverName, "(none)", "winprint", "0x0", 0));
    ExpectChange(changes, DriverLine('+', kMultisendDriverName), Driver("RASDD.DLL", "QVPRNNT.DLL", "RASDDUI.DLL"));
    ExpectSameBytes(std::string(kX86Drivers) + "RASDD.DLL", std::string(kArchitectureDirectory) + kit.rasterDriver);
    const std::string print = std::string("+ value ") + kPrintKey;
    if (&windows == &lifecycle::kWindowsNT351) {
        // The local monitor's port, in the NT 3.51 port list, and the kit's print processor.
        ExpectChange(changes, std::string("+ value ") + kPortsKey + "\\" + kFaxPort, Sz(""));
        ExpectChange(changes, print + kFaxPrintProcessor + "\\Driver", Sz("imgfx3pr.dll"));
        ExpectChange(changes, "+ file C:\\windows\\system32\\spool\\prtprocs\\w32x86\\imgfx3pr.dll");
        ExpectUntouched(changes, "\\Monitors\\");
    } else {
        // The kit's port monitor with its port.
        ExpectChange(changes, print + kMonitorKey + "\\Driver", Sz("imgfb4mn.dll"));
        ExpectChange(changes, print + kMonitorKey + "\\Ports\\" + kFaxPort, Sz(""));
    }
    ExpectChange(changes, print + kSettingsKey + "Fax Dialog Loc", Sz("C:\\windows\\system32\\Qvprnctl.exe"));
    ExpectChange(changes, print + kSettingsKey + "Logfile", Sz("C:\\windows\\\\faxdll.log"));
    ExpectChange(changes, print + kSettingsKey + "Output Directory", Sz("C:\\windows\\"));
    ExpectChange(changes, print + kSettingsKey + "Driver Timeout", "REG_DWORD 3600");
    // The spool path, listed while the spooler was stopped.
    ExpectChange(changes, std::string("+ value ") + kPortsKey + "\\c:\\windows\\telmora.spl", Sz(""));
    const std::string device = std::string(kWineDeviceDriver) + "," + kFaxPort;
    ExpectChange(changes, std::string("+ value ") + kProfileKeys + "Devices\\" + kFaxPrinter, Sz(device));
    ExpectChange(changes, std::string("+ value ") + kProfileKeys + "PrinterPorts\\" + kFaxPrinter, Sz(device + ",15,45"));
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
        CheckNtPrinters(changes, windows);
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
        // Both printers removed and installed again: the same printers, the
        // settings with the new log area, its spool path listed.
        ExpectUntouched(changes, "Devices");
        ExpectUntouched(changes, " printer Telmora");
        ExpectUntouched(changes, " driver Windows NT x86");
        const std::string settings = std::string("~ value ") + kPrintKey + kSettingsKey;
        ExpectChange(changes, settings + "Output Directory", Sz("C:\\FAXLOG\\"));
        ExpectChange(changes, settings + "Logfile", Sz("C:\\FAXLOG\\\\faxdll.log"));
        ExpectChange(changes, std::string("+ value ") + kPortsKey + "\\c:\\faxlog\\telmora.spl", Sz(""));
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

// The fax printer with its driver, port, monitor and settings; the
// Multisend driver and data file; the kit's files in the SYSTEM directory.
void CheckNtPrintersRemoved(const Changes& changes, const Windows& windows) {
    ExpectChange(changes, PrinterLine('-', kFaxPrinter));
    ExpectChange(changes, DriverLine('-', kFaxPrinter));
    ExpectChange(changes, DriverLine('-', kMultisendDriverName));
    const std::string print = std::string("- value ") + kPrintKey;
    if (&windows == &lifecycle::kWindowsNT351) {
        ExpectChange(changes, std::string("- value ") + kPortsKey + "\\" + kFaxPort);
    } else {
        ExpectChange(changes, print + kMonitorKey + "\\Driver");
        ExpectChange(changes, print + kMonitorKey + "\\Ports\\" + kFaxPort);
    }
    ExpectChange(changes, std::string("- key ") + kPrintKey + "\\Printers\\Telmora Printer\\PrinterDriverData");
    ExpectChange(changes, std::string("- value ") + kPortsKey + "\\c:\\faxlog\\telmora.spl");
    ExpectChange(changes, std::string("- value ") + kProfileKeys + "Devices\\" + kFaxPrinter);
    ExpectChange(changes, std::string("- value ") + kProfileKeys + "PrinterPorts\\" + kFaxPrinter);
    ExpectChange(changes, std::string("- file ") + kX86Drivers + "QVPRNNT.DLL");
    for (const char* file : {"Qvprnctl.exe", "Img32mm.dll"}) {
        ExpectChange(changes, std::string("- file C:\\windows\\system32\\") + file);
    }
}

// The client's files, language libraries, desktop entries and registry keys
// go; the printers with what the removal deletes of them.
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
    if (windows.family != kWindows95Family) {
        CheckNtPrintersRemoved(changes, windows);
        return;
    }
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
    bool withWhatIsBelow = false;  // a key: also its subkeys and values
};

// What stays of the NT printers: what Windows NT keeps too, and what 32-bit
// Wine keeps where Windows NT would not (marked "Wine:").
std::vector<Survivor> NtPrinterSurvivors(const Windows& windows) {
    NtKit kit = KitOf(windows);
    const std::string print = std::string("+ key ") + kPrintKey;
    const std::string drivers = std::string("+ file ") + kX86Drivers;
    const std::string versionDirectory = drivers + kWineDriverVersion + "\\";
    std::vector<Survivor> list = {
        {std::string("+ value ") + kPortsKey + "\\c:\\windows\\telmora.spl",
         "the spool path of the first installation, listed while the spooler was stopped; the removal forms it "
         "from the current log area, so it no longer sees this one"},
        {"+ file C:\\windows\\system32\\Img32mfx.dll", "the fax printer's support library, which the removal keeps"},
        {versionDirectory + "DUMMY.DAT",
         "Wine: the driver's placeholder data file in Wine's version directory; the program deletes it in the "
         "version directory of Windows NT"},
        {PrinterLine('+', kMultisendPrinter), "Wine: the half-made Multisend printer, which no removal can open"},
        {print + "\\Printers\\" + kMultisendPrinter, "Wine: its key, with the values Wine wrote", true},
        {std::string("+ value ") + kProfileKeys + "Devices\\" + kMultisendPrinter, "Wine: its [devices] entry"},
        {std::string("+ value ") + kProfileKeys + "PrinterPorts\\" + kMultisendPrinter,
         "Wine: its [PrinterPorts] entry"},
    };
    for (const char* file : {kit.driver, kit.configuration, "RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP"}) {
        list.push_back({drivers + file, "driver files of the kit and the raster driver, which the removal keeps "
                                        "(it deletes only the Multisend data file)"});
    }
    for (const char* file : {kit.driver, kit.configuration, "RASDD.DLL", "RASDDUI.DLL", "QVPRNNT.DLL"}) {
        list.push_back({versionDirectory + file, "the spooler's copies of the drivers' files, which deleting a "
                                                 "driver leaves"});
    }
    if (&windows == &lifecycle::kWindowsNT351) {
        list.push_back({"+ file C:\\windows\\system32\\spool\\prtprocs\\w32x86\\imgfx3pr.dll",
                        "the print processor's file, which deleting the print processor leaves"});
        list.push_back({print + kFaxPrintProcessor, "Wine: DeletePrintProcessorA leaves the print processor", true});
    } else {
        list.push_back({drivers + "Imgfax.hlp", "the kit's help file, which the removal keeps"});
        list.push_back({"+ file C:\\windows\\system32\\imgfb4mn.dll", "the port monitor, which deleting it leaves"});
    }
    return list;
}

// Whether `survivor` is the change, or with what is below it covers it.
bool Covers(const Survivor& survivor, const tst::Change& change) {
    std::string line = Upper(change.Line());
    std::string own = Upper(survivor.line);
    if (line == own) return true;
    std::string key = own.substr(own.find(' ', 2) + 1);  // after "+ key "
    return survivor.withWhatIsBelow && change.mark == '+' && Upper(change.name).rfind(key + "\\", 0) == 0;
}

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
        {profile + "Devices", "WIN.INI's [devices] section: only its entries are the printers'"},
        {profile + "PrinterPorts", "WIN.INI's [PrinterPorts] section, the same"},
    };
    if (windows.family == kWindows95Family) {
        std::vector<Survivor> printers = {
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
        std::vector<Survivor> printers = NtPrinterSurvivors(windows);
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
                                  [&](const Survivor& s) { return Covers(s, change); });
        EXPECT_TRUE(listed) << "left behind: " << change.Describe();
    }
}

// ---- the fixture ----

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
        if (windows.family == kWindowsNTFamily && !tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
        tst::Personality personality(windows.wineVersion);
        if (windows.family == kWindowsNTFamily) {
            ASSERT_TRUE(lifecycle::StartSpooler());
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
