// The action log that TELMORA_SETUP_LOG names, written by the real
// STNIN32.EXE from the demo share: the events of a standard quiet installation
// on Windows 95 and on Windows NT 4.0, by keyword, order and the text that
// matters (not the times); and a log that cannot be written, which must
// change nothing in the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lifecycle/lifecycle_steps.h"
#include "support/process_driver.h"
#include "support/setup_run.h"
#include "support/snapshot.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace {

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kShareConfig[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";
const char kLog[] = "C:\\setup.log";  // C:\ itself is not in the snapshot
const char kLogVariable[] = "TELMORA_SETUP_LOG=";

// The events of the subsystems below the dialogs; the start, box and result
// lines belong to the run as a whole and are not looked at here.
const char* const kEventKeywords[] = {"copy",   "keep",     "delete",  "ini",     "autoexec",
                                      "winini", "registry", "printer", "spooler", "group"};

bool IsEventKeyword(const std::string& keyword) {
    for (const char* known : kEventKeywords) {
        if (keyword == known) return true;
    }
    return false;
}

// "2026-12-07 09:14:03.127 ": the local time to the millisecond.
bool HasTimeStamp(const std::string& line) {
    const char shape[] = "0000-00-00 00:00:00.000 ";
    if (line.size() < sizeof shape - 1) return false;
    for (size_t i = 0; i + 1 < sizeof shape; ++i) {
        if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != shape[i]) return false;
    }
    return true;
}

// The log's event lines as "keyword: text", the time cut off; a line without
// its time or CR LF comes back marked as such.
std::vector<std::string> EventLines(const std::string& log) {
    std::vector<std::string> events;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        std::string line = log.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? log.size() : end + 2;
        if (!HasTimeStamp(line) || end == std::string::npos) {
            events.push_back("malformed: " + line);
            continue;
        }
        std::string event = line.substr(24);
        if (IsEventKeyword(event.substr(0, event.find(':')))) events.push_back(event);
    }
    return events;
}

// `text` matches `pattern`, where '*' stands for any run of characters.
bool Matches(const char* pattern, const char* text) {
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
    return *pattern ? *pattern == *text && Matches(pattern + 1, text + 1) : !*text;
}

// `count` event lines in a row that match `pattern`.
struct Events {
    int count;
    const char* pattern;
};

void ExpectEvents(std::vector<Events> expected, const std::vector<Events>& last) {
    expected.insert(expected.end(), last.begin(), last.end());
    std::vector<std::string> events = EventLines(tst::ReadFile(kLog));
    std::string report;
    size_t line = 0;
    for (const Events& rows : expected) {
        for (int i = 0; i < rows.count; ++i, ++line) {
            std::string event = line < events.size() ? events[line] : "<none>";
            if (!Matches(rows.pattern, event.c_str())) report += "  line " + std::to_string(line + 1) + ": " + event + "\n";
        }
    }
    for (; line < events.size(); ++line) report += "  line " + std::to_string(line + 1) + " more: " + events[line] + "\n";
    std::string all;
    for (const std::string& event : events) all += "  " + event + "\n";
    EXPECT_EQ(report, "") << "the log's events:\n" << all;
}

// Each row starts without the files whose rule the rows expect: the client,
// the libraries and drivers that are not on a fresh PC, and the log.
void Clean() {
    const std::string system = "C:\\windows\\system32\\", drivers = system + "spool\\drivers\\w32x86\\";
    std::vector<std::string> files = {kConfigFile, kLog, "C:\\windows\\TELMORA.EXE", "C:\\windows\\QSPOOL.EXE",
                                      "C:\\windows\\QVPRIN.INI", "C:\\windows\\SYSTEM\\CTL3DV2.DLL"};
    for (const char* name : {"MFC42.DLL", "QVPRIN.DRV", "QVPRNMRG.DLL", "QVPRNCTL.EXE", "THK16MFX.DLL", "THK32MFX.DLL",
                             "IMG16MFX.DLL", "IMG32MFX.DLL", "QVPRN95.DRV", "UNIDRV.DLL", "UNIDRV.HLP", "ICONLIB.DLL"}) {
        files.push_back(system + name);
    }
    for (const char* name : {"RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP"}) files.push_back(drivers + name);
    for (const std::string& file : files) DeleteFileA(file.c_str());
    tst::RemoveWin95PrinterEntries();
}

void PrepareShareConfig() { tst::WriteFile(kConfigFile, kShareConfig); }

// Found on the search list; the language step's help file, then the program
// files: each with the rule that decided it (MSVCRT40.DLL and the version of
// MSVCRT.DLL are Wine's own).
const std::vector<Events> kProgramFileEvents = {
    {1, "ini: using C:\\WINDOWS\\TELMORA.INI (found on the search list)"},
    {1, "copy: C:\\windows\\TELMORA.HLP from F:\\SYSTEM\\TELMORA.HLP: replaces whatever is there"},
    {3, "copy: C:\\windows\\* from F:\\SYSTEM\\I386\\*: replaces whatever is there"},
    {1, "keep: C:\\windows\\system32\\MSVCRT40.DLL: a copy there is never replaced"},
    {1, "keep: C:\\windows\\system32\\MSVCRT.DLL, not from F:\\SYSTEM\\I386\\MSVCRT.DLL: existing file is the same or "
        "a newer version (the share's *, existing *)"},
    {1, "copy: C:\\windows\\system32\\MFC42.DLL from F:\\SYSTEM\\I386\\MFC42.DLL: no file there"},
    {1, "copy: C:\\windows\\QSPOOL.EXE from F:\\SYSTEM\\QSPOOL.EXE: replaces whatever is there"},
    {1, "keep: C:\\windows\\TELMORA.HLP, not from F:\\SYSTEM\\TELMORA.HLP: existing file has the same size and date"},
};

// After the printers: the 3-D controls, WIN.INI and the registry, the
// configuration through its numbered backup, the group, the uninstall entry.
const std::vector<Events> kDesktopEvents = {
    {1, "copy: C:\\windows\\SYSTEM\\CTL3DV2.DLL from F:\\SYSTEM\\CTL3DV2.Z: no file there"},
    {1, "winini: [windows] load="},
    {1, "winini: [Extensions] G3F=C:\\WINDOWS\\TELMORA.EXE ^.G3F"},
    {1, "registry: HKEY_CLASSES_ROOT\\.G3F\\shell\\open\\command = C:\\WINDOWS\\TELMORA.EXE %1"},
    {1, "winini: [Extensions] G3N=C:\\WINDOWS\\TELMORA.EXE ^.G3N"},
    {1, "registry: HKEY_CLASSES_ROOT\\.G3N\\shell\\open\\command = C:\\WINDOWS\\TELMORA.EXE %1"},
    {1, "winini: [Extensions] G3S=C:\\WINDOWS\\TELMORA.EXE ^.G3S"},
    {1, "registry: HKEY_CLASSES_ROOT\\.G3S\\shell\\open\\command = C:\\WINDOWS\\TELMORA.EXE %1"},
    {3, "registry: HKEY_CLASSES_ROOT\\.G3*\\shell\\print\\command = C:\\WINDOWS\\TELMORA.EXE /P %1"},
    {3, "registry: HKEY_CLASSES_ROOT\\.G3*\\shell\\printto\\command = C:\\WINDOWS\\TELMORA.EXE /P %1 /S %2"},
    {1, "ini: C:\\WINDOWS\\TELMORA.INI rewritten through C:\\WINDOWS\\TELMORA.TMP; the old file, parked as "
        "C:\\WINDOWS\\TELMORA.001 meanwhile, deleted"},
    {1, "ini: C:\\WINDOWS\\TELMORA.INI [SERVER] ServerArea: F:\\SERVER: set in place"},
    {3, "ini: C:\\WINDOWS\\TELMORA.INI [SERVER] *Area: F:\\*: set in place"},
    {1, "group: [CreateGroup(Telmora)]"},
    {1, "group: [ReplaceItem(Telmora Client)]"},
    {1, "group: [AddItem(C:\\windows\\TELMORA.EXE, Telmora Client)]"},
    {3, "group: [DeleteItem(Telmora*)]"},
    {1, "group: [ReplaceItem(Workstation Setup)]"},
    {1, "group: [AddItem(F:\\SYSTEM\\STNINST.EXE, Workstation Setup)]"},
    {1, "group: [DeleteItem(Telmora Workstation Setup)]"},
    {1, "group: [ReplaceItem(Welcome!)]"},
    {1, "group: [AddItem(F:\\SYSTEM\\WELCOME.WRI, Welcome!)]"},
    {1, "registry: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation: "
        "DisplayName = Telmora Workstation, UninstallString = F:\\SYSTEM\\STNINST /X"},
};

std::vector<Events> Then(std::vector<Events> first, const std::vector<Events>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// Windows 95: the printers' old WIN.INI entries removed, their driver files
// copied, their new entries written.
const std::vector<Events> kWindows95PrinterEvents = {
    {7, "winini: [*] * removed (if it was there)"},
    {1, "printer: Telmora Printer and Telmora Multisend Printer removed from WIN.INI"},
    {2, "winini: [ports] * removed (if it was there)"},
    {11, "copy: C:\\windows\\system32\\* from F:\\SYSTEM\\*: no file there"},
    {2, "winini: [PrinterPorts] * removed (if it was there)"},
    {1, "winini: [PrinterPorts] Telmora Printer=QVPRIN,TELMORA.SPL,15,45"},
    {2, "winini: [devices] * removed (if it was there)"},
    {1, "winini: [devices] Telmora Printer=QVPRIN,TELMORA.SPL"},
    {1, "winini: [ports] TELMORA.SPL="},
    {1, "winini: [ports] c:\\windows\\telmora.spl="},
    {1, "printer: Telmora Printer added in WIN.INI: driver QVPRIN, port TELMORA.SPL"},
    {1, "winini: [ports] C:\\windows\\TELMORA.SPL="},
    {1, "winini: [Devices] Telmora Multisend Printer=QVPRN95,C:\\windows\\TELMORA.SPL"},
    {1, "winini: [PrinterPorts] Telmora Multisend Printer=QVPRN95,C:\\windows\\TELMORA.SPL,15,45"},
    {1, "printer: Telmora Multisend Printer added in WIN.INI: driver QVPRN95, port C:\\windows\\TELMORA.SPL"},
};

TEST(ActionLog, QuietInstallationOnWindows95) {
    tst::RunCases({{"Windows 95", "win95", PrepareShareConfig, "/Q", {std::string(kLogVariable) + kLog}, {},
                    [] {
                        ExpectEvents(Then(Then(kProgramFileEvents, kWindows95PrinterEvents), kDesktopEvents),
                                     {{1, "autoexec: C:\\AUTOEXEC.BAT left alone: a quiet run does not edit it"}});
                    }}},
                  Clean);
}

// Windows NT 4.0: the spooler stopped for the port and the kit files, then
// monitor, driver, printer and its settings; the Multisend printer's files,
// its driver, and Wine's refusal of the printer (Windows takes "RAW").
// Deleting the Multisend driver that is not there, Wine answers 1801 where
// Windows answers 1797, which is not logged.
const std::vector<Events> kWindowsNT40PrinterEvents = {
    {1, "printer: driver Telmora Multisend Driver*"},
    {1, "spooler: stopped"},
    {1, "winini: [ports] c:\\windows\\telmora.spl="},
    {1, "registry: HKEY_LOCAL_MACHINE/System/CurrentControlSet/Control/Print/Monitors/Fax Monitor Port/Ports: 1 values written"},
    {6, "copy: C:\\windows\\system32\\* from F:\\SYSTEM\\I386\\\\*: replaces whatever is there"},
    {1, "copy: C:\\windows\\system32\\Img32mm.dll from C:\\windows\\system32\\Qvprnm32.dll: moved to the name the driver loads"},
    {1, "copy: *\\w32x86\\Imgfax.hlp from F:\\SYSTEM\\I386\\\\Imgfax.hlp: replaces whatever is there"},
    {1, "spooler: started again"},
    {1, "printer: port monitor Fax Monitor Port added"},
    {1, "printer: driver Telmora Printer added"},
    {1, "printer: printer Telmora Printer added"},
    {1, "registry: HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Control/Print/Printers/Telmora Printer/PrinterDriverData: "
        "14 values written"},
    {1, "copy: *\\w32x86\\QVPRNNT.DLL from F:\\SYSTEM\\I386\\QVPRNNT.DLL: replaces whatever is there"},
    {3, "copy: *\\w32x86\\RASDD* from F:\\SYSTEM\\I386\\RAS40*: no file there"},
    {1, "printer: driver Telmora Multisend Driver added"},
    {1, "printer: printer Telmora Multisend Printer could not be added: Windows error 87"},
};

TEST(ActionLog, QuietInstallationOnWindowsNT40) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    const char multisendFailed[] = "Unable to install Telmora Multisend Printer.\n (87)\n - Ignore error and continue?";
    tst::RunCases({{"Windows NT 4.0", "nt40",
                    [] {
                        PrepareShareConfig();
                        ASSERT_TRUE(lifecycle::PreparePc(lifecycle::kWindowsNT40));
                    },
                    "/Q",
                    {std::string(kLogVariable) + kLog},
                    {tst::MessageBoxExpect("Error!", multisendFailed, {IDYES, IDNO}).Press(IDYES)},
                    [] {
                        ExpectEvents(Then(Then(kProgramFileEvents, kWindowsNT40PrinterEvents), kDesktopEvents),
                                     {{1, "autoexec: C:\\AUTOEXEC.BAT left alone: Windows NT does not run it"}});
                    }}},
                  Clean);
}

// A log that cannot be opened changes nothing: the same quiet installation
// shows no box, ends with 0 and changes the same things on the PC as one
// without the log. The first run brings the PC to the state every row starts from.
struct UnwritableRow {
    const char* name;
    const char* log;           // null: no log
    const char* driveOptions;  // a tmpfs mounted as R: for the row, or null
};
const UnwritableRow kUnwritableRows[] = {
    {"start state", nullptr, nullptr},
    {"no log", nullptr, nullptr},
    {"a missing directory", "C:\\NOWHERE\\setup.log", nullptr},
    {"a read-only drive", "R:\\setup.log", "ro,size=64k"},
};

TEST(ActionLog, UnwritableLogChangesNothing) {
    const char appDefaults[] = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
    RegSetKeyValueA(HKEY_CURRENT_USER, appDefaults, "Version", REG_SZ, "win95", sizeof "win95");
    std::string withoutLog;
    for (const UnwritableRow& row : kUnwritableRows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<tst::TmpfsDrive> drive(row.driveOptions ? new tst::TmpfsDrive('r', row.driveOptions) : nullptr);
        if (drive && !drive->Mounted()) {
            std::printf("[  SKIPPED ] %s: no read-only drive could be mounted as R:\n", row.name);
            continue;
        }
        Clean();
        PrepareShareConfig();
        tst::Snapshot before = tst::Snapshot::Take();
        tst::ExpectRun("/Q", {}, row.log ? std::vector<std::string>{std::string(kLogVariable) + row.log}
                                         : std::vector<std::string>{});
        std::string changes;
        for (const tst::Change& change : before.ChangesTo(tst::Snapshot::Take())) changes += change.Line() + "\n";
        if (std::string(row.name) == "no log") withoutLog = changes;
        if (row.log) {
            EXPECT_FALSE(tst::FileExists(row.log));
            EXPECT_EQ(changes, withoutLog);
        }
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, appDefaults);
    Clean();
}

}  // namespace
