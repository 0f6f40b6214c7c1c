// Removing the fax printers: on Windows NT against Wine's real spooler and
// registry (printers, drivers, port, files, the spooler question), and on
// Windows 95 and older against Wine's real WIN.INI. Import hooks stand in
// only where Wine cannot refuse: a printer that cannot be opened or deleted.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "files/directories.h"
#include "printer_test_support.h"
#include "printers/fax_printers.h"
#include "printers/nt_printers.h"
#include "printers/printer_removal.h"
#include "printers/printer_state.h"
#include "printers/registry_tables.h"
#include "printers/spooler_control.h"
#include "printers/win95_printers.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace {

const char kFaxPrinter[] = "Telmora Printer";
const char kMultisendPrinter[] = "Telmora Multisend Printer";
const char kMultisendDriver[] = "Telmora Multisend Driver";
const char kFaxPort[] = "Telmora.spl";
const char kNotThere[] = "(not there)";
const char kSettingsUpdated[] = "Windows initialisation settings updated";
const char kSettingsError[] =
    "Error updating Windows initialisation settings - check you have full permissions then re-run Workstation Setup";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string SystemDirectory() {
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, MAX_PATH);
    return directory;
}

// The driver directory the removal looks in for the Multisend data file.
std::string DriverDirectory() {
    char directory[kDriverDirectorySize];
    GetDriverDirectory(directory, sizeof directory, kDriverEnvironmentFolder);
    CreateDirectoryA(directory, nullptr);
    return directory;
}

std::string Profile(const char* section, const char* key) {
    char value[kProfileValueSize];
    GetProfileStringA(section, key, kNotThere, value, sizeof value);
    return value;
}

// The NT 4.0 port value of the fax printer, as the stopped-spooler step
// writes it.
RegKeyTable* FaxPortTable() { return PreparePortTable(kNtVersion40, kFaxPort, "Fax Monitor Port"); }

// What an NT installation leaves: both printers with their drivers, the
// fax printer's port in "ports" and its port value, its files in the SYSTEM
// directory and the Multisend data file in the driver directory. The drivers
// are those of the spooler's current environment, which the removal deletes:
// for the shipped 32-bit program "Windows NT x86", the one installation adds;
// for a 64-bit test build its own, the only one Wine makes printers on.
struct NtInstallation {
    std::string port;
    std::vector<std::string> systemFiles;
    std::string multisendDataFile;

    explicit NtInstallation(const std::string& logArea)
        : port(Lower(logArea + "TELMORA.SPL")),
          systemFiles{SystemDirectory() + "\\Qvprnctl.exe", SystemDirectory() + "\\Qvprnm32.dll",
                      SystemDirectory() + "\\Img32mm.dll"},
          multisendDataFile(DriverDirectory() + "\\QVPRNNT.DLL") {}

    void AddPrinters() const {
        for (const char* driver : {kFaxPrinter, kMultisendDriver}) ASSERT_TRUE(prt::AddTestDriver(driver, nullptr));
        ASSERT_TRUE(prt::AddTestPrinter(kFaxPrinter, kFaxPrinter, port.c_str()));
        ASSERT_TRUE(prt::AddTestPrinter(kMultisendPrinter, kMultisendDriver, port.c_str()));
    }
    void AddPort() const {
        ASSERT_TRUE(WriteProfileStringA("ports", port.c_str(), ""));
        ASSERT_EQ(SaveRegistryTable(FaxPortTable()), 1);
    }
    void AddFiles() const {
        for (const std::string& file : systemFiles) ASSERT_TRUE(tst::WriteFile(file, "kit"));
        ASSERT_TRUE(tst::WriteFile(multisendDataFile, "data"));
    }
    void AddAll() const {
        AddPrinters();
        AddPort();
        AddFiles();
    }

    bool FaxPrinterFilesThere() const {
        for (const std::string& file : systemFiles) {
            if (!tst::FileExists(file)) return false;
        }
        return true;
    }
    void ExpectMultisendGone() const {
        EXPECT_FALSE(prt::PrinterExists(kMultisendPrinter));
        EXPECT_FALSE(prt::DriverInstalled(nullptr, kMultisendDriver));
        EXPECT_FALSE(tst::FileExists(multisendDataFile));
    }
};

void DeleteDriverEverywhere(const char* name) {
    DeletePrinterDriverA(nullptr, const_cast<char*>(prt::kX86Environment), const_cast<char*>(name));
    DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name));  // the Windows 95 tests' own-environment one
}

void DeletePrinterIfThere(const char* name) {
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(const_cast<char*>(name), &handle, &defaults)) return;
    DeletePrinter(handle);
    ClosePrinter(handle);
}

// Every test starts a fresh run on a PC without our printers, and leaves
// the PC that way for the tests that follow in this executable.
class PrinterRemoval : public testing::Test {
protected:
    void SetUp() override {
        ResetRun();
        ASSERT_EQ(InitWindowsDirectories(), 1);
    }
    void TearDown() override { ResetRun(); }

    static void ResetRun() {
        tst::FreshRunState();
        for (const char* printer : {kFaxPrinter, kMultisendPrinter}) DeletePrinterIfThere(printer);
        for (const char* driver : {kFaxPrinter, kMultisendDriver}) DeleteDriverEverywhere(driver);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Print\\Monitors", 0,
                          KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteTreeA(key, "Fax Monitor Port");
            RegCloseKey(key);
        }
    }
};

TEST_F(PrinterRemoval, NtWithoutAFaxPrinterAsksNothingAndLeavesTheSpoolerAlone) {
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    tst::TempDirectory logArea;
    NtInstallation installed(logArea.Path());
    ASSERT_TRUE(prt::AddTestDriver(kMultisendDriver, nullptr));
    ASSERT_TRUE(prt::AddTestPrinter(kMultisendPrinter, kMultisendDriver, installed.port.c_str()));
    ASSERT_TRUE(tst::WriteFile(installed.multisendDataFile, "data"));
    tst::CountingFake<SC_HANDLE, LPCSTR, LPCSTR, DWORD> serviceManager("ADVAPI32.dll", "OpenSCManagerA", nullptr);
    ASSERT_TRUE(serviceManager.Installed());
    tst::DialogDriver driver;  // no box expected

    EXPECT_EQ(RemoveFaxPrinters(logArea.Path().c_str()), 1);
    EXPECT_EQ(serviceManager.Calls(), 0);
    EXPECT_TRUE(driver.Seen().empty());
    installed.ExpectMultisendGone();
}

TEST_F(PrinterRemoval, NtKeepsTheFaxPrinterWhenTheSpoolerMustKeepRunning) {
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    tst::TempDirectory logArea;
    NtInstallation installed(logArea.Path());
    installed.AddAll();
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Telmora", prt::kSpoolerPrompt, {IDOK, IDCANCEL}).Press(IDCANCEL));

    EXPECT_EQ(RemoveFaxPrinters(logArea.Path().c_str()), 0);
    EXPECT_TRUE(driver.AllMet());
    EXPECT_TRUE(prt::PortListed(installed.port.c_str()));
    EXPECT_TRUE(prt::PrinterExists(kFaxPrinter));
    EXPECT_TRUE(prt::DriverInstalled(nullptr, kFaxPrinter));
    EXPECT_TRUE(installed.FaxPrinterFilesThere());
    EXPECT_EQ(g_printers.ntPrinterFlags.spoolerStopAgreed, 0);
    installed.ExpectMultisendGone();  // removed before the question
}

// Wine lets an administrator delete any printer; this stands in for a
// spooler that refuses.
BOOL WINAPI RefuseDeletePrinter(HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(PrinterRemoval, NtAFaxPrinterThatCannotBeDeletedIsReportedInEveryRemovalOfTheRun) {
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    tst::TempDirectory logArea;
    NtInstallation installed(logArea.Path());
    installed.AddAll();
    prt::SleepCounter sleeps;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Telmora", prt::kSpoolerPrompt, {IDOK, IDCANCEL}).Press(IDOK));
    driver.Expect(tst::MessageBoxExpect("Error!", kSettingsError, {IDOK}));
    driver.Expect(tst::MessageBoxExpect("Error!", "Error deleting files for Telmora Printer", {IDOK}));
    {
        tst::ImportHook refuse("WINSPOOL.DRV", "DeletePrinter", reinterpret_cast<void*>(&RefuseDeletePrinter));
        ASSERT_TRUE(refuse.Installed());
        EXPECT_EQ(RemoveFaxPrinters(logArea.Path().c_str()), 1);
        EXPECT_EQ(g_printers.ntPrinterFlags.faxRemovalFailed, 1);
        EXPECT_TRUE(installed.FaxPrinterFilesThere());
        EXPECT_FALSE(prt::PortListed(installed.port.c_str()));  // the port went before the printer

        // Later in the run: no second question, no second attempt, the same report.
        driver.Expect(tst::MessageBoxExpect("Error!", "Error deleting files for Telmora Printer", {IDOK}));
        EXPECT_EQ(RemoveFaxPrinters(logArea.Path().c_str()), 1);
    }
    EXPECT_TRUE(driver.AllMet());
    EXPECT_TRUE(prt::PrinterExists(kFaxPrinter));
}

// What OpenPrinterA answers in the table below; Wine opens every printer for
// an administrator and answers 1801 only for a missing one.
DWORD g_openError = 0;
BOOL WINAPI RefuseOpenPrinter(LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA) {
    SetLastError(g_openError);
    return FALSE;
}

TEST_F(PrinterRemoval, APrinterThatCannotBeOpenedStillLosesItsDriverWhenGoneOrOnNt40) {
    struct Case {
        DWORD version;
        DWORD openError;  // 0: Wine's own answer for a missing printer (1801)
        int result;
    };
    const Case cases[] = {
        {tst::kWindowsNT40, 0, 1},
        {tst::kWindowsNT351, 0, 1},
        {tst::kWindowsNT40, ERROR_ACCESS_DENIED, 1},
        {tst::kWindowsNT351, ERROR_ACCESS_DENIED, 0},
        {tst::kWindowsNT40, ERROR_INVALID_HANDLE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version << std::dec << " error " << c.openError);
        tst::FakeWindowsVersion version(c.version);
        ASSERT_EQ(PrepareNtFaxPrinter(kFaxPort, kFaxPrinter, 0), 1);
        ASSERT_TRUE(prt::AddTestDriver(kFaxPrinter, nullptr));
        g_openError = c.openError;
        {
            prt::SleepCounter sleeps;
            std::unique_ptr<tst::ImportHook> refuse;
            if (c.openError) {
                refuse.reset(new tst::ImportHook("WINSPOOL.DRV", "OpenPrinterA",
                                                 reinterpret_cast<void*>(&RefuseOpenPrinter)));
            }
            EXPECT_EQ(RemovePrinterAndDriver(kFaxPrinter), c.result);
        }
        EXPECT_EQ(prt::DriverInstalled(nullptr, kFaxPrinter), c.result == 0);
        DeleteDriverEverywhere(kFaxPrinter);
    }
    EXPECT_EQ(RemovePrinterAndDriver(""), 1);
}

TEST_F(PrinterRemoval, Nt351RemovalAlsoDeletesTheListedPort) {
    tst::FakeWindowsVersion version(tst::kWindowsNT351);
    ASSERT_EQ(PrepareNtFaxPrinter(kFaxPort, kFaxPrinter, 0), 1);
    ASSERT_EQ(SaveRegistryTable(PreparePortTable(kNtVersion351, kFaxPort, "localmon")), 1);
    ASSERT_TRUE(prt::PortListed(kFaxPort));  // the NT 3.51 port list is the "ports" section
    ASSERT_TRUE(prt::AddTestDriver(kFaxPrinter, nullptr));

    EXPECT_EQ(RemoveFaxPrinterNt("Telmora.spl:", kFaxPrinter), 1);
    EXPECT_FALSE(prt::PortListed(kFaxPort));
    EXPECT_FALSE(prt::DriverInstalled(nullptr, kFaxPrinter));
}

TEST_F(PrinterRemoval, SystemFilesAlreadyGoneAreFineButALockedOneStopsTheRemoval) {
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    ASSERT_EQ(PrepareNtFaxPrinter(kFaxPort, kFaxPrinter, 0), 1);
    EXPECT_EQ(DeleteFaxSystemFiles(), 1);  // none of them there

    const std::string dialog = SystemDirectory() + "\\Qvprnctl.exe";
    const std::string library = SystemDirectory() + "\\Qvprnm32.dll";
    ASSERT_TRUE(tst::WriteFile(dialog, "kit"));
    ASSERT_TRUE(tst::WriteFile(library, "kit"));
    SetFileAttributesA(dialog.c_str(), FILE_ATTRIBUTE_READONLY);  // DeleteFileA refuses it, also for root
    {
        tst::DialogDriver driver;
        driver.Expect(tst::MessageBoxExpect(
            "Error!", ("Cannot delete file: " + dialog + ".  Delete this file by hand.").c_str(), {IDOK}));
        EXPECT_EQ(DeleteFaxSystemFiles(), 0);
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_TRUE(tst::FileExists(library));  // not reached

    SetFileAttributesA(dialog.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(DeleteFaxSystemFiles(), 1);
    EXPECT_FALSE(tst::FileExists(dialog));
    EXPECT_FALSE(tst::FileExists(library));
}

TEST_F(PrinterRemoval, TheSpoolerQuestionIsAskedOnceForARemovalAndTheInstallationAfterIt) {
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    tst::TempDirectory logArea;
    tst::TempDirectory distribution;
    NtInstallation installed(logArea.Path());
    installed.AddPort();
    ASSERT_TRUE(CreateDirectoryA(distribution.File("I386").c_str(), nullptr));
    ASSERT_TRUE(tst::WriteFile(distribution.File("I386\\QVPRNNT.DLL"), "multisend"));
    tst::X86Processor x86;

    prt::SleepCounter sleeps;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Telmora", prt::kSpoolerPrompt, {IDOK, IDCANCEL}).Press(IDOK));
    EXPECT_EQ(RemoveFaxPrinters(logArea.Path().c_str()), 1);
    // Wine's spooler service is not running, so the installation's cycle
    // ends at once with 1062; the question about it is the outcome's.
    driver.Expect(tst::MessageBoxExpect(
                      "Error!", "Unable to install Telmora Multisend Printer.\n (1062)\n - Ignore error and continue?",
                      {IDYES, IDNO})
                      .Press(IDYES));
    EXPECT_EQ(InstallFaxPrinters(distribution.Path().c_str(), logArea.Path().c_str()), 1);

    EXPECT_TRUE(driver.AllMet());
    int questions = 0;
    for (const std::string& seen : driver.Seen()) {
        if (seen.find("about to stop the print spooler") != std::string::npos) ++questions;
    }
    EXPECT_EQ(questions, 1);
}

// ---- Windows 95 and older: WIN.INI entries and driver files

struct WinIniEntry {
    const char* section;
    std::string key;
    std::string value;
};

// The entries a complete Windows 95 installation writes with the log area
// equal to the Windows directory, and those of the oldest bare printer name.
std::vector<WinIniEntry> Win95Entries() {
    const std::string windows = g_directories.windows;
    const std::string multisendPort = windows + "TELMORA.SPL";
    return {
        {"PrinterPorts", "Telmora Printer", "QVPRIN,TELMORA.SPL,15,45"},
        {"devices", "Telmora Printer", "QVPRIN,TELMORA.SPL"},
        {"ports", "TELMORA.SPL", ""},
        {"ports", Lower(windows + "telmora.spl"), ""},
        {"ports", multisendPort, ""},
        {"Devices", "Telmora Multisend Printer", "QVPRN95," + multisendPort},
        {"PrinterPorts", "Telmora Multisend Printer", "QVPRN95," + multisendPort + ",15,45"},
        {"PrinterPorts", "Telmora", "QVTL,TELMORA.SPL,15,45"},
        {"devices", "Telmora", "QVTL,TELMORA.SPL"},
    };
}

void WriteEntries(const std::vector<WinIniEntry>& entries) {
    for (const WinIniEntry& entry : entries) {
        ASSERT_TRUE(WriteProfileStringA(entry.section, entry.key.c_str(), entry.value.c_str())) << entry.key;
    }
}

void ExpectEntriesGone(const std::vector<WinIniEntry>& entries) {
    for (const WinIniEntry& entry : entries) {
        EXPECT_EQ(Profile(entry.section, entry.key.c_str()), kNotThere) << entry.section << " " << entry.key;
    }
}

std::string SystemFile(const char* name) { return std::string(g_directories.system) + name; }

// Windows 95 keeps WIN.INI in its file, where deleting a key that is not
// there succeeds. The test bed maps its sections into the registry, as
// Windows NT does, and there Wine fails such a deletion with 2; so for the
// Windows 95 tests the mappings are taken away and put back afterwards.
class WinIniInFile {
public:
    WinIniInFile() {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMappingKey, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) return;
        for (DWORD index = 0;; ++index) {
            Mapping mapping;
            DWORD nameSize = sizeof mapping.name;
            DWORD dataSize = sizeof mapping.data;
            if (RegEnumValueA(key_, index, mapping.name, &nameSize, nullptr, &mapping.type,
                              reinterpret_cast<BYTE*>(mapping.data), &dataSize) != ERROR_SUCCESS) {
                break;
            }
            mapping.size = dataSize;
            mappings_.push_back(mapping);
        }
        for (const Mapping& mapping : mappings_) RegDeleteValueA(key_, mapping.name);
    }
    ~WinIniInFile() {
        if (!key_) return;
        for (const Mapping& mapping : mappings_) {
            RegSetValueExA(key_, mapping.name, 0, mapping.type, reinterpret_cast<const BYTE*>(mapping.data),
                           mapping.size);
        }
        RegCloseKey(key_);
    }
    WinIniInFile(const WinIniInFile&) = delete;
    WinIniInFile& operator=(const WinIniInFile&) = delete;

private:
    static constexpr const char* kMappingKey =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\win.ini";
    struct Mapping {
        char name[MAX_PATH] = "";
        DWORD type = 0;
        char data[MAX_PATH] = "";
        DWORD size = 0;
    };
    HKEY key_ = nullptr;
    std::vector<Mapping> mappings_;
};

class Win95PrinterRemoval : public PrinterRemoval {
private:
    WinIniInFile winIniInFile_;
};

TEST_F(Win95PrinterRemoval, Windows95LeavesNoEntryNoPrinterAndNoDriverFileOfOurs) {
    tst::FakeWindowsVersion version(tst::kWindows95);
    const std::vector<WinIniEntry> entries = Win95Entries();
    WriteEntries(entries);
    ASSERT_TRUE(WriteProfileStringA("windows", "device", "TELMORA PRINTER,QVPRIN,TELMORA.SPL"));
    const char* const removed[] = {"QVPRNMRG.DLL", "QVPRNCTL.EXE", "QVPRIN.DRV", "QVPRN95.DRV"};
    const char* const kept[] = {"THK16MFX.DLL", "IMG32MFX.DLL", "UNIDRV.DLL", "ICONLIB.DLL"};
    for (const char* name : removed) ASSERT_TRUE(tst::WriteFile(SystemFile(name), "driver"));
    for (const char* name : kept) ASSERT_TRUE(tst::WriteFile(SystemFile(name), "shared"));
    const std::string settings = std::string(g_directories.windows) + "QVPRIN.INI";
    ASSERT_TRUE(tst::WriteFile(settings, "[Owner]\r\n"));
    // Printers of those names that the spooler knows are deleted as well.
    ASSERT_TRUE(prt::AddTestDriver("Telmora Test Driver", nullptr));
    ASSERT_TRUE(prt::AddTestPrinter(kFaxPrinter, "Telmora Test Driver", "TELMORA.SPL"));
    ASSERT_TRUE(prt::AddTestPrinter(kMultisendPrinter, "Telmora Test Driver", "TELMORA.SPL"));
    tst::DialogDriver driver;  // no box expected

    EXPECT_EQ(RemoveFaxPrinters(g_directories.windows), 1);
    ExpectEntriesGone(entries);
    EXPECT_EQ(Profile("windows", "device"), kNotThere);
    EXPECT_STREQ(g_setup.displayProgress, kSettingsUpdated);
    EXPECT_FALSE(prt::PrinterExists(kFaxPrinter));
    EXPECT_FALSE(prt::PrinterExists(kMultisendPrinter));
    for (const char* name : removed) EXPECT_FALSE(tst::FileExists(SystemFile(name))) << name;
    EXPECT_FALSE(tst::FileExists(settings));
    for (const char* name : kept) {
        EXPECT_TRUE(tst::FileExists(SystemFile(name))) << name;
        DeleteFileA(SystemFile(name).c_str());
    }
    DeleteDriverEverywhere("Telmora Test Driver");
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(Win95PrinterRemoval, Windows95DeletesOnlyADefaultPrinterOfOurs) {
    tst::FakeWindowsVersion version(tst::kWindows95);
    struct Case {
        const char* device;
        bool ours;
    };
    const Case cases[] = {
        {"telmora,QVTL,LPT1:", true},  // the oldest bare printer name
        {"TELMORA PRINTER,QVPRIN,TELMORA.SPL", true},
        {"Telmora printer,QVTL,c:\\fax\\telmora.spl", true},
        {"telmora multisend printer,QVPRN95,C:\\WINDOWS\\TELMORA.SPL", true},
        {"TelmoraX,TMX,LPT1:", false},
        {"HP LaserJet 4,HPPCL5MS,LPT1:", false},
    };
    tst::DialogDriver driver;  // no box expected
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteProfileStringA("windows", "device", c.device));
        EXPECT_EQ(RemoveFaxPrinters(g_directories.windows), 1);
        EXPECT_EQ(Profile("windows", "device"), c.ours ? kNotThere : c.device) << c.device;
    }
    WriteProfileStringA("windows", "device", nullptr);
}

TEST_F(Win95PrinterRemoval, OlderWindowsRemovesTheQvtlPrinterOnItsPortElsewhere) {
    tst::FakeWindowsVersion version(0x80000A03);  // a non-NT Windows before Windows 95
    tst::TempDirectory logArea;
    const std::string spoolPath = Lower(logArea.Path() + "TELMORA.SPL");
    const std::vector<WinIniEntry> entries = {
        {"PrinterPorts", "Telmora printer", "QVTL," + spoolPath + ",15,45"},
        {"devices", "Telmora printer", "QVTL," + spoolPath},
        {"ports", spoolPath, ""},
    };
    WriteEntries(entries);
    ASSERT_TRUE(WriteProfileStringA("ports", "TELMORA.SPL", ""));  // not this log area's port
    ASSERT_TRUE(tst::WriteFile(SystemFile("QVTL.DRV"), "driver"));
    ASSERT_TRUE(tst::WriteFile(SystemFile("QVPRIN.DRV"), "driver"));
    tst::DialogDriver driver;  // no box expected

    EXPECT_EQ(RemoveFaxPrinters(logArea.Path().c_str()), 1);
    ExpectEntriesGone(entries);
    EXPECT_TRUE(prt::PortListed("TELMORA.SPL"));
    EXPECT_FALSE(tst::FileExists(SystemFile("QVTL.DRV")));
    EXPECT_TRUE(tst::FileExists(SystemFile("QVPRIN.DRV")));  // a Windows 95 driver: not this Windows's
    EXPECT_STREQ(g_setup.displayProgress, kSettingsUpdated);
    WriteProfileStringA("ports", "TELMORA.SPL", nullptr);
    DeleteFileA(SystemFile("QVPRIN.DRV").c_str());
}

}  // namespace
