// The action log of TELMORA_SETUP_LOG from the real STNIN32.EXE: a quiet installation's events on Windows 95 and
// NT 4.0 by keyword, order and the text that matters (not the times); a log that cannot be written changes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lifecycle/lifecycle_steps.h"
#include "support/process_driver.h"
#include "support/setup_run.h"
#include "support/snapshot.h"
#include "support/x86_pc.h"

namespace {

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kLog[] = "C:\\setup.log";
const std::string kLogVariable = "TELMORA_SETUP_LOG=";
// The start, box and result lines belong to the run as a whole and are not looked at here.
const std::string kEventKeywords = " copy keep delete ini autoexec winini registry printer spooler group ";

// `text` matches `pattern`, where '*' stands for any run of characters.
bool Matches(const char* pattern, const char* text) {
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
    return *pattern ? *pattern == *text && Matches(pattern + 1, text + 1) : !*text;
}

// The events of a run: their keywords in order, a repeated one with its count
// ("winini7"), and texts that must be among them in this order.
struct ExpectedLog {
    std::string keywords;
    std::vector<const char*> texts;
};

void ExpectLog(const ExpectedLog& expected) {
    std::string log = tst::ReadFile(kLog), keywords, all, previous;
    std::vector<std::string> events;
    int count = 0;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = log.substr(start, end - start);
        bool timed = line.size() > 24 && line[4] == '-' && line[10] == ' ' && line[19] == '.' && line[23] == ' ';
        EXPECT_TRUE(timed) << "a line without its time: " << line;
        std::string keyword = timed ? line.substr(24, line.find(':', 24) - 24) : "";
        if (kEventKeywords.find(" " + keyword + " ") == std::string::npos) continue;
        if (keyword != previous && count) keywords += " " + previous + (count > 1 ? std::to_string(count) : "");
        count = keyword == previous ? count + 1 : 1;
        previous = keyword;
        events.push_back(line.substr(24));
        all += "\n  " + events.back();
    }
    keywords += " " + previous + (count > 1 ? std::to_string(count) : "");
    EXPECT_EQ(keywords.substr(1), expected.keywords) << all;
    size_t next = 0;
    for (const char* text : expected.texts) {
        while (next < events.size() && !Matches(text, events[next].c_str())) ++next;
        EXPECT_LT(next++, events.size()) << "not among the events after the one before: " << text << all;
    }
}

// Each run starts without the log and the files whose rule it expects (client, libraries, drivers).
void Clean() {
    tst::RunUnixShell("cd \"$WINEPREFIX/drive_c/windows\" && rm -f ../setup.log TELMORA.* QSPOOL.EXE QVPRIN.INI system/CTL3DV2.DLL "
                      "system32/MFC42.DLL system32/QVPR* system32/*MFX.DLL system32/UNIDRV.* system32/ICONLIB.DLL "
                      "system32/spool/drivers/w32x86/RASDD*");
    tst::RemoveWin95PrinterEntries();
}

void PrepareConfig() {
    tst::WriteFile(kConfigFile, "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n");
}

// Both Windows: the language and program files, each with its rule (MSVCRT40.DLL
// and MSVCRT.DLL are Wine's own); after the printers the desktop entries and
// TELMORA.INI through its numbered backup.
const char kFiles[] = "ini copy4 keep2 copy2 keep ";
const char kDesktop[] = " copy winini2 registry winini registry winini registry7 ini5 group11 registry autoexec";
const std::vector<const char*> kFileTexts = {
    "ini: using C:\\WINDOWS\\TELMORA.INI (found on the search list)",
    "copy: C:\\windows\\TELMORA.EXE from F:\\SYSTEM\\I386\\TELMORA.EXE: replaces whatever is there",
    "keep: C:\\windows\\system32\\MSVCRT40.DLL: a copy there is never replaced",
    "keep: C:\\windows\\system32\\MSVCRT.DLL, not from F:\\SYSTEM\\I386\\MSVCRT.DLL: existing file is the same or a newer "
    "version (the share's *, existing *)",
    "copy: C:\\windows\\system32\\MFC42.DLL from F:\\SYSTEM\\I386\\MFC42.DLL: no file there",
    "keep: C:\\windows\\TELMORA.HLP, not from F:\\SYSTEM\\TELMORA.HLP: existing file has the same size and date"};
const std::vector<const char*> kDesktopTexts = {
    "copy: C:\\windows\\SYSTEM\\CTL3DV2.DLL from F:\\SYSTEM\\CTL3DV2.Z: no file there",
    "winini: [Extensions] G3F=C:\\WINDOWS\\TELMORA.EXE ^.G3F",
    "registry: HKEY_CLASSES_ROOT\\.G3S\\shell\\printto\\command = C:\\WINDOWS\\TELMORA.EXE /P %1 /S %2",
    "ini: C:\\WINDOWS\\TELMORA.INI rewritten through C:\\WINDOWS\\TELMORA.TMP; the old file, parked as C:\\WINDOWS\\TELMORA.001 "
    "meanwhile, deleted",
    "ini: C:\\WINDOWS\\TELMORA.INI [SERVER] ServerArea: F:\\SERVER: set in place",
    "group: [AddItem(C:\\windows\\TELMORA.EXE, Telmora Client)]", "group: [AddItem(F:\\SYSTEM\\WELCOME.WRI, Welcome!)]",
    "registry: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation: DisplayName = "
    "Telmora Workstation, UninstallString = F:\\SYSTEM\\STNINST /X"};

ExpectedLog Log(const std::string& printers, const std::vector<const char*>& printerTexts, const char* autoexec) {
    ExpectedLog log = {kFiles + printers + kDesktop, kFileTexts};
    for (const auto* texts : {&printerTexts, &kDesktopTexts}) log.texts.insert(log.texts.end(), texts->begin(), texts->end());
    log.texts.push_back(autoexec);
    return log;
}

// Windows 95: the printers' old WIN.INI entries removed, their driver files copied, their new entries written.
TEST(ActionLog, QuietInstallationOnWindows95) {
    static const ExpectedLog expected =
        Log("winini7 printer winini2 copy11 winini8 printer winini3 printer",
            {"printer: Telmora Printer and Telmora Multisend Printer removed from WIN.INI",
             "copy: C:\\windows\\system32\\QVPRIN.DRV from F:\\SYSTEM\\QVPRIN.DRV: no file there",
             "winini: [PrinterPorts] Telmora Printer=QVPRIN,TELMORA.SPL,15,45", "winini: [ports] c:\\windows\\telmora.spl=",
             "printer: Telmora Printer added in WIN.INI: driver QVPRIN, port TELMORA.SPL",
             "winini: [Devices] Telmora Multisend Printer=QVPRN95,C:\\windows\\TELMORA.SPL"},
            "autoexec: C:\\AUTOEXEC.BAT left alone: a quiet run does not edit it");
    tst::RunCases({{"Windows 95", "win95", PrepareConfig, "/Q", {kLogVariable + kLog}, {}, [] { ExpectLog(expected); }}}, Clean);
}

// Windows NT 4.0: the spooler stopped for the port and kit files; monitor, driver, printer and settings; the Multisend
// files, driver and Wine's refusal of its printer (Windows takes "RAW"). Deleting the Multisend driver that is not
// there, Wine answers 1801 where Windows answers 1797, which is not logged.
TEST(ActionLog, QuietInstallationOnWindowsNT40) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    static const ExpectedLog expected = Log(
        "printer spooler winini registry copy8 spooler printer3 registry copy4 printer2",
        {"printer: driver Telmora Multisend Driver*", "spooler: stopped",
         "registry: HKEY_LOCAL_MACHINE/System/CurrentControlSet/Control/Print/Monitors/Fax Monitor Port/Ports: 1 values written",
         "copy: C:\\windows\\system32\\Img32mm.dll from C:\\windows\\system32\\Qvprnm32.dll: moved to the name the driver loads",
         "spooler: started again", "printer: port monitor Fax Monitor Port added", "printer: printer Telmora Printer added",
         "registry: HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Control/Print/Printers/Telmora Printer/PrinterDriverData: 14 values written",
         "copy: *\\w32x86\\RASDD.DLL from F:\\SYSTEM\\I386\\RAS40.DLL: no file there",
         "printer: printer Telmora Multisend Printer could not be added: Windows error 87"},
        "autoexec: C:\\AUTOEXEC.BAT left alone: Windows NT does not run it");
    const char failed[] = "Unable to install Telmora Multisend Printer.\n (87)\n - Ignore error and continue?";
    tst::RunCases({{"Windows NT 4.0", "nt40", [] {
                        PrepareConfig();
                        ASSERT_TRUE(lifecycle::PreparePc(lifecycle::kWindowsNT40));
                    },
                    "/Q", {kLogVariable + kLog}, {tst::MessageBoxExpect("Error!", failed, {IDYES, IDNO}).Press(IDYES)},
                    [] { ExpectLog(expected); }}},
                  Clean);
}

// A log that cannot be opened (a missing directory, a read-only drive) changes nothing: no box, exit code 0, the
// same changes on the PC as without a log. The first run brings the PC to the state every row starts from.
const char kMountReadOnlyR[] = "d=\"$WINEPREFIX/ro\"; mkdir -p \"$d\" && mount -t tmpfs -o ro,size=64k tmpfs \"$d\" && "
                               "ln -sfn \"$d\" \"$WINEPREFIX/dosdevices/r:\"";

TEST(ActionLog, UnwritableLogChangesNothing) {
    const char appDefaults[] = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
    RegSetKeyValueA(HKEY_CURRENT_USER, appDefaults, "Version", REG_SZ, "win95", sizeof "win95");
    std::string withoutLog;
    for (const char* log : {static_cast<const char*>(nullptr), static_cast<const char*>(nullptr), "C:\\NOWHERE\\setup.log",
                            "R:\\setup.log"}) {
        SCOPED_TRACE(log ? log : "no log");
        if (log && log[0] == 'R' && !tst::RunUnixShell(kMountReadOnlyR)) {
            std::printf("[  SKIPPED ] %s: no read-only drive could be mounted as R:\n", log);
            continue;
        }
        Clean(), PrepareConfig();
        tst::Snapshot before = tst::Snapshot::Take();
        tst::ExpectRun("/Q", {}, log ? std::vector<std::string>{kLogVariable + log} : std::vector<std::string>{});
        std::string changes;
        for (const tst::Change& change : before.ChangesTo(tst::Snapshot::Take())) changes += change.Line() + "\n";
        if (!log) withoutLog = changes;
        EXPECT_TRUE(!log || (changes == withoutLog && !tst::FileExists(log))) << changes << "without:\n" << withoutLog;
        if (log && log[0] == 'R') tst::RunUnixShell("rm \"$WINEPREFIX/dosdevices/r:\"; umount -l \"$WINEPREFIX/ro\"");
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, appDefaults);
    Clean();
}

}  // namespace
