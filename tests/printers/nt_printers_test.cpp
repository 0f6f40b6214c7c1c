// The fax printers on Windows NT 4.0 and 3.51 against Wine's own spooler,
// service manager and registry: the printer's state, a first installation
// and a reinstallation, the spooler question declined, refusals, the
// Multisend driver's files and print processor, an unknown Windows version.
//
// The tests that need printers on the kits' "Windows NT x86" drivers skip
// under 64-bit Wine, which makes none (support/x86_pc.h). The kit's port
// monitor is the demo share's real one, which the spooler loads when it is
// added; the other kit files are placeholders. Import hooks stand in only
// where Wine cannot do what Windows does; each says so.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "files/directories.h"
#include "printer_test_support.h"
#include "printers/fax_printers.h"
#include "printers/nt_printers.h"
#include "printers/printer_state.h"
#include "printers/spooler_control.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace {

const char kWindows[] = "C:\\WINDOWS\\";
const char kSystem[] = "C:\\windows\\system32\\";
const char kErrorCaption[] = "Error!";
const char kIgnoreSuffix[] = " - Ignore error and continue?";
const char kBothPrinters[] = "Telmora Multisend Printer and Telmora Printer";
const char kMultisendDriver[] = "Telmora Multisend Driver";
const char kPort[] = "Telmora.spl";
const char kNt40PortKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\Fax Monitor Port\\Ports";
const char kNt351PortKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char kMonitorKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\Fax Monitor Port";
const char kMonitorFile[] = "imgfb4mn.dll";
const char kShareMonitor[] = "F:\\SYSTEM\\I386\\imgfb4mn.dll";  // the demo share's real port monitor
const char kSettingsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Telmora Printer\\PrinterDriverData";
const char kPrintersKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
const char kMissing[] = "<missing>";
const DWORD kWindows2000 = 0x08930005;

const char* const kNt40Kit[] = {"imgfaxdr.dll", "imgfb4ui.dll", "imgfb4mn.dll", "Img32mfx.dll",
                                 "Qvprnctl.exe", "QVPRNM32.DLL", "Imgfax.hlp"};
const char* const kNt351Kit[] = {"imgfb3dr.dll", "imgfb3ui.dll", "imgfx3pr.dll", "Img32mfx.dll",
                                  "Qvprnctl.exe", "QVPRNM32.DLL"};
const char* const kMultisendFiles[] = {"QVPRNNT.DLL", "RAS40.DLL", "RAS40UI.DLL", "RAS40UI.HLP",
                                       "RAS351.DLL", "RAS351UI.DLL", "RAS351UI.HLP"};
// What the tests may leave in the spooler's directories and SYSTEM32.
const char* const kDriverDirectoryFiles[] = {"RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP", "QVPRNNT.DLL",
                                             "imgfaxdr.dll", "imgfb4ui.dll", "imgfb3dr.dll", "imgfb3ui.dll",
                                             "Imgfax.hlp", "DUMMY.DAT", "2\\DUMMY.DAT", "1\\DUMMY.DAT"};
const char* const kSystemFiles[] = {"imgfb4mn.dll", "Img32mfx.dll", "Qvprnctl.exe", "Img32mm.dll", "Qvprnm32.dll"};

std::string Content(const std::string& path) {
    bool ok = false;
    std::string content = tst::ReadFile(path, &ok);
    return ok ? content : kMissing;
}

std::string SpoolerDirectory(bool printProcessors) {
    char directory[MAX_PATH] = "";
    DWORD needed = 0;
    BYTE* buffer = reinterpret_cast<BYTE*>(directory);
    BOOL ok = printProcessors ? GetPrintProcessorDirectoryA(nullptr, nullptr, 1, buffer, sizeof directory, &needed)
                              : GetPrinterDriverDirectoryA(nullptr, nullptr, 1, buffer, sizeof directory, &needed);
    EXPECT_TRUE(ok);
    return std::string(directory) + "\\";
}

std::string DriverDirectory() { return SpoolerDirectory(false); }
std::string PrintProcessorDirectory() { return SpoolerDirectory(true); }

// A value of HKEY_LOCAL_MACHINE as text (numbers in decimal); kMissing when absent.
std::string MachineValue(const char* key, const char* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return kMissing;
    BYTE data[2048];
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG result = RegQueryValueExA(handle, name, nullptr, &type, data, &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return kMissing;
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return std::string(reinterpret_cast<char*>(data));
}

void SetMachineText(const char* key, const char* name, const char* value) {
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &handle, nullptr));
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(handle);
}

void DeleteMachineValue(const char* key, const char* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueA(handle, name);
    RegCloseKey(handle);
}

void DeletePrinterNamed(const char* name) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &handle, &defaults)) return;
    DeletePrinter(handle);
    ClosePrinter(handle);
}

// The question that ends an installation, answered `answer`. The message
// before the question holds 200 characters at most.
tst::Expectation OutcomeQuestion(const std::string& label, const std::string& reason, int answer) {
    std::string message = "Unable to install " + label + ".\n" + reason + "\n";
    std::string textValue = message.substr(0, kMessageSize - 1) + kIgnoreSuffix;
    return tst::MessageBoxExpect(kErrorCaption, textValue.c_str(), {IDYES, IDNO}).Default(IDNO).Press(answer);
}

tst::Expectation SpoolerQuestion(int answer) {
    return tst::MessageBoxExpect("Telmora", prt::kSpoolerPrompt, {IDOK, IDCANCEL}).Press(answer);
}

// Wine's AddPrinterA refuses a printer without a data type (87), which
// Windows NT takes as "RAW"; this passes such a printer on with "RAW". Wine
// also hangs on a printer without a print processor: that call is refused
// here with 1798 (ERROR_UNKNOWN_PRINTPROCESSOR) and counted.
class WindowsLikeAddPrinter {
public:
    WindowsLikeAddPrinter() : hook_("WINSPOOL.DRV", "AddPrinterA", reinterpret_cast<void*>(&Fake)) {
        s_original = reinterpret_cast<AddPrinterFunction>(hook_.Original());
        s_withoutProcessor = 0;
    }
    int CallsWithoutProcessor() const { return s_withoutProcessor; }

private:
    typedef HANDLE(WINAPI* AddPrinterFunction)(LPSTR, DWORD, LPBYTE);

    static HANDLE WINAPI Fake(LPSTR server, DWORD level, LPBYTE info) {
        PRINTER_INFO_2A printer = *reinterpret_cast<PRINTER_INFO_2A*>(info);
        if (!printer.pPrintProcessor) {
            ++s_withoutProcessor;
            SetLastError(ERROR_UNKNOWN_PRINTPROCESSOR);
            return nullptr;
        }
        static char raw[] = "RAW";
        if (!printer.pDatatype) printer.pDatatype = raw;
        return s_original(server, level, reinterpret_cast<LPBYTE>(&printer));
    }

    static inline AddPrinterFunction s_original = nullptr;
    static inline int s_withoutProcessor = 0;
    tst::ImportHook hook_;
};

// A PC running Windows NT (4.0 unless a test says otherwise) with a share of
// the driver kits and the Multisend driver in I386\, the spooler service
// running and every retry pause counted instead of slept.
class NtPrinterTest : public testing::Test {
protected:
    void SetUp() override {
        savedSetup_ = g_setup;
        std::memcpy(savedWindows_, g_directories.windows, sizeof savedWindows_);

        g_setup = SetupContext();
        g_setup.appInstance = GetModuleHandleA(nullptr);
        text::Copy(g_directories.windows, kWindows);
        ResetRunState();
        for (const std::string& directory : {Share(), ShareI386(), Log()}) {
            ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr)) << directory;
        }
    }

    void TearDown() override {
        RemoveFaxMonitor();
        DeletePrinterNamed(kFaxPrinterName);
        DeletePrinterNamed(kMultisendPrinterName);
        for (const char* driver : {kFaxPrinterName, kMultisendDriver}) {
            DeletePrinterDriverA(nullptr, const_cast<char*>(prt::kX86Environment), const_cast<char*>(driver));
        }
        DeleteMachineValue(kNt40PortKey, kPort);
        DeleteMachineValue(kNt351PortKey, kPort);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kPrintersKey) + "\\" + kFaxPrinterName).c_str());
        WriteProfileStringA("ports", SpoolPath().c_str(), nullptr);
        for (const char* file : kDriverDirectoryFiles) DeleteFileA((DriverDirectory() + file).c_str());
        for (const char* file : kSystemFiles) DeleteFileA((std::string(kSystem) + file).c_str());
        DeleteFileA((PrintProcessorDirectory() + "imgfx3pr.dll").c_str());
        ResetRunState();

        g_setup = savedSetup_;
        std::memcpy(g_directories.windows, savedWindows_, sizeof savedWindows_);
    }

    static void RemoveFaxMonitor() { DeleteMonitorA(nullptr, nullptr, const_cast<char*>("Fax Monitor Port")); }

    static void ResetRunState() {
        g_printers.ntPrinterFlags = NtPrinterFlags();
        g_printers.ntDriverSet = nullptr;
        g_printers.ntVersionNumber = 0;
    }

    std::string Share() const { return root_.Path() + "SHARE\\"; }
    std::string ShareI386() const { return Share() + "I386\\"; }
    std::string Log() const { return root_.Path() + "LOG\\"; }
    std::string SpoolPath() const {
        std::string path = Log() + "telmora.spl";
        for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return path;
    }

    // A placeholder of `file` in the share; the port monitor is the demo
    // share's real one, which the spooler loads when it is added.
    void Put(const char* file) {
        if (std::strcmp(file, kMonitorFile) == 0) {
            ASSERT_TRUE(CopyFileA(kShareMonitor, (ShareI386() + file).c_str(), FALSE));
            return;
        }
        ASSERT_TRUE(tst::WriteFile(ShareI386() + file, std::string("share ") + file)) << file;
    }
    template <std::size_t N>
    void PutAll(const char* const (&files)[N]) {
        for (const char* file : files) Put(file);
    }
    void PutCompleteShare() {
        PutAll(kNt40Kit);
        PutAll(kNt351Kit);
        PutAll(kMultisendFiles);
    }

    int Install() { return InstallFaxPrinters(Share().c_str(), Log().c_str()); }

    // The fax printer as a reinstallation finds it: driver, printer and port there.
    void PutExistingFaxPrinter(const char* portKey) {
        ASSERT_TRUE(prt::AddTestDriver(kFaxPrinterName, prt::kX86Environment));
        ASSERT_TRUE(prt::AddTestPrinter(kFaxPrinterName, kFaxPrinterName, kPort));
        SetMachineText(portKey, kPort, "kept");
    }

    std::string Setting(const char* name) { return MachineValue(kSettingsKey, name); }

    prt::RunningSpooler spooler_;
    prt::SleepCounter pauses_;
    WindowsLikeAddPrinter addPrinter_;
    tst::FakeWindowsVersion version_{tst::kWindowsNT40};
    tst::TempDirectory root_;
    SetupContext savedSetup_;
    char savedWindows_[kPathFieldSize];
    tst::X86Processor x86_;
};

TEST_F(NtPrinterTest, StatusTellsPrinterAndPort) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    struct Case {
        bool printer;
        bool port;
        int status;
    };
    const Case cases[] = {{false, false, 0}, {true, false, 1}, {false, true, 2}, {true, true, 3}};
    ASSERT_TRUE(prt::AddTestDriver(kFaxPrinterName, prt::kX86Environment));
    for (const Case& c : cases) {
        if (c.printer) {
            ASSERT_TRUE(prt::AddTestPrinter(kFaxPrinterName, kFaxPrinterName, kPort));
        }
        if (c.port) SetMachineText(kNt40PortKey, kPort, "");
        ASSERT_EQ(1, PrepareNtFaxPrinter(kPort, kFaxPrinterName, 0));
        EXPECT_EQ(c.status, GetNtPrinterStatus(kFaxPrinterName, kPort)) << c.printer << c.port;
        DeletePrinterNamed(kFaxPrinterName);
        DeleteMachineValue(kNt40PortKey, kPort);
    }
}

TEST_F(NtPrinterTest, DirectoriesFromTheSystemDirectoryWhenTheSpoolerCannotTell) {
    // Wine's spooler always answers; these stand in for one that cannot.
    using DirectoryQuery = tst::CountingFake<BOOL, LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD>;
    DirectoryQuery drivers("WINSPOOL.DRV", "GetPrinterDriverDirectoryA", FALSE);
    char buffer[64];
    EXPECT_EQ(1, GetDriverDirectory(buffer, 41, "W32X86"));  // exactly the 40 characters
    EXPECT_STREQ("C:\\windows\\system32\\spool\\DRIVERS\\W32X86", buffer);
    GetDriverDirectory(buffer, 40, "W32X86");
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(2, drivers.Calls());
}

TEST_F(NtPrinterTest, PrintProcessorDirectoryFromTheSystemDirectory) {
    tst::CountingFake<BOOL, LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD> processors(
        "WINSPOOL.DRV", "GetPrintProcessorDirectoryA", FALSE);
    char buffer[64];
    EXPECT_EQ(1, GetPrintProcessorDirectory(buffer, 42, "W32X86"));
    EXPECT_STREQ("C:\\windows\\system32\\spool\\PRTPROCS\\W32X86", buffer);
    GetPrintProcessorDirectory(buffer, 41, "W32X86");
    EXPECT_STREQ("", buffer);
}

TEST_F(NtPrinterTest, FirstInstallationOnNt40) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    PutCompleteShare();
    tst::DialogDriver driver;
    driver.Expect(SpoolerQuestion(IDOK));

    EXPECT_EQ(1, Install());
    EXPECT_TRUE(driver.AllMet());

    // The port, added while the spooler was stopped, and the port monitor.
    EXPECT_EQ("", MachineValue(kNt40PortKey, kPort));
    EXPECT_TRUE(prt::PortListed(SpoolPath().c_str()));
    // Wine's spooler loads the monitor into this process, as Windows'
    // spooler loads it into its own, and registers it.
    EXPECT_EQ(kMonitorFile, MachineValue(kMonitorKey, "Driver"));
    EXPECT_NE(nullptr, GetModuleHandleA(kMonitorFile));

    // The kit: driver files and help in the driver directory, the rest in
    // SYSTEM32, the fax library under its installed name; no placeholder left.
    std::string drivers = DriverDirectory();
    EXPECT_EQ("share imgfaxdr.dll", Content(drivers + "imgfaxdr.dll"));
    EXPECT_EQ("share imgfb4ui.dll", Content(drivers + "imgfb4ui.dll"));
    EXPECT_EQ("share Imgfax.hlp", Content(drivers + "Imgfax.hlp"));
    EXPECT_FALSE(tst::FileExists(drivers + "DUMMY.DAT"));
    EXPECT_EQ(Content(kShareMonitor), Content(kSystem + std::string(kMonitorFile)));
    for (const char* file : {"Img32mfx.dll", "Qvprnctl.exe"}) {
        EXPECT_EQ(std::string("share ") + file, Content(kSystem + std::string(file))) << file;
    }
    EXPECT_EQ("share QVPRNM32.DLL", Content(kSystem + std::string("Img32mm.dll")));
    EXPECT_FALSE(tst::FileExists(kSystem + std::string("Qvprnm32.dll")));

    // Driver, printer and settings of the fax printer.
    EXPECT_TRUE(prt::DriverInstalled(prt::kX86Environment, kFaxPrinterName));
    EXPECT_TRUE(prt::PrinterExists(kFaxPrinterName));
    EXPECT_EQ("C:\\windows\\system32\\Qvprnctl.exe", Setting("Fax Dialog Loc"));
    EXPECT_EQ(Log() + "\\faxdll.log", Setting("Logfile"));
    EXPECT_EQ(Log(), Setting("Output Directory"));
    EXPECT_EQ("3600", Setting("Driver Timeout"));
    EXPECT_EQ("TIFF Group 3", Setting("File Type"));

    // The Multisend printer on the raster driver of NT 4.0.
    EXPECT_EQ("share RAS40.DLL", Content(drivers + "RASDD.DLL"));
    EXPECT_EQ("share RAS40UI.DLL", Content(drivers + "RASDDUI.DLL"));
    EXPECT_EQ("share RAS40UI.HLP", Content(drivers + "RASDDUI.HLP"));
    EXPECT_EQ("share QVPRNNT.DLL", Content(drivers + "QVPRNNT.DLL"));
    EXPECT_TRUE(prt::DriverInstalled(prt::kX86Environment, kMultisendDriver));
    EXPECT_TRUE(prt::PrinterExists(kMultisendPrinterName));

    // Each driver registration pauses once, and nothing else waited.
    EXPECT_EQ(2, pauses_.Calls());
    EXPECT_EQ(0, pauses_.OtherPauses());
    EXPECT_EQ(prt::SpoolerState(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(NtPrinterTest, ReinstallationRewritesOnlyTheKitFiles) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    PutCompleteShare();
    PutExistingFaxPrinter(kNt40PortKey);
    SetMachineText(kSettingsKey, "Output Directory", "D:\\EARLIER\\");
    std::string drivers = DriverDirectory();
    ASSERT_TRUE(tst::WriteFile(drivers + "imgfaxdr.dll", "earlier driver"));
    ASSERT_TRUE(CreateDirectoryA((drivers + "2").c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(tst::WriteFile(drivers + "2\\DUMMY.DAT", ""));
    tst::CountingFake<BOOL, LPSTR, DWORD, LPBYTE> monitor("WINSPOOL.DRV", "AddMonitorA", FALSE);
    tst::DialogDriver driver;
    driver.Expect(SpoolerQuestion(IDOK));

    EXPECT_EQ(1, Install());
    EXPECT_TRUE(driver.AllMet());

    EXPECT_EQ("share imgfaxdr.dll", Content(drivers + "imgfaxdr.dll"));
    EXPECT_EQ("share QVPRNM32.DLL", Content(kSystem + std::string("Img32mm.dll")));
    EXPECT_FALSE(tst::FileExists(drivers + "DUMMY.DAT"));
    EXPECT_FALSE(tst::FileExists(drivers + "2\\DUMMY.DAT"));
    // Port value, monitor, driver and settings stay as they were.
    EXPECT_EQ("kept", MachineValue(kNt40PortKey, kPort));
    EXPECT_EQ(0, monitor.Calls());
    EXPECT_EQ("tstdrv.dat", prt::DriverDataFile(prt::kX86Environment, kFaxPrinterName));
    EXPECT_EQ("D:\\EARLIER\\", Setting("Output Directory"));
    EXPECT_TRUE(prt::PrinterExists(kMultisendPrinterName));
}

TEST_F(NtPrinterTest, PrinterOrPortAloneIsInstalledAgain) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    PutCompleteShare();
    g_setup.quietSwitch = 1;
    ASSERT_TRUE(prt::AddTestDriver(kFaxPrinterName, prt::kX86Environment));
    for (bool printerThere : {true, false}) {
        if (printerThere) {
            ASSERT_TRUE(prt::AddTestPrinter(kFaxPrinterName, kFaxPrinterName, kPort));
        } else {
            SetMachineText(kNt40PortKey, kPort, "kept");
        }
        tst::DialogDriver driver;
        EXPECT_EQ(1, Install());
        EXPECT_EQ("", MachineValue(kNt40PortKey, kPort)) << printerThere;
        EXPECT_EQ(Log(), Setting("Output Directory")) << printerThere;
        EXPECT_TRUE(prt::PrinterExists(kFaxPrinterName));
        DeletePrinterNamed(kFaxPrinterName);
        DeleteMachineValue(kNt40PortKey, kPort);
        // Wine's spooler keeps the monitor loaded in this process, so its file
        // could not be copied again; Windows' spooler lets go of it when it
        // stops. Deleting the monitor unloads it.
        RemoveFaxMonitor();
    }
}

TEST_F(NtPrinterTest, DeclinedSpoolerStopInstallsNeitherPrinter) {
    PutCompleteShare();
    for (int answer : {IDNO, IDYES}) {
        tst::DialogDriver driver;
        driver.Expect(SpoolerQuestion(IDCANCEL));
        driver.Expect(OutcomeQuestion(kBothPrinters,
                                      "User requested not to shut down print spooler.\nTo install the Telmora "
                                      "printers, finish printing\nand then run the Workstation Setup program.",
                                      answer));
        EXPECT_EQ(answer == IDYES ? 1 : 0, Install());
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_FALSE(prt::PrinterExists(kFaxPrinterName));
    EXPECT_FALSE(prt::PrinterExists(kMultisendPrinterName));
    EXPECT_FALSE(prt::DriverInstalled(prt::kX86Environment, kMultisendDriver));
    EXPECT_EQ(kMissing, MachineValue(kNt40PortKey, kPort));
    EXPECT_FALSE(tst::FileExists(DriverDirectory() + "imgfaxdr.dll"));
    EXPECT_EQ(prt::SpoolerState(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(NtPrinterTest, SpoolerAlreadyStoppedDoesNoWork) {
    PutCompleteShare();
    prt::StopSpooler();
    g_setup.quietSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(OutcomeQuestion(kMultisendPrinterName, " (1062)", IDNO));

    EXPECT_EQ(0, Install());

    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ(kMissing, MachineValue(kNt40PortKey, kPort));
    EXPECT_FALSE(tst::FileExists(DriverDirectory() + "imgfaxdr.dll"));
    EXPECT_FALSE(prt::PrinterExists(kFaxPrinterName));
    EXPECT_FALSE(prt::PrinterExists(kMultisendPrinterName));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), prt::SpoolerState());
}

// Wine's service manager and spooler never refuse the administrator this
// process runs as; these stand in for the refusals of Windows NT.
SC_HANDLE WINAPI RefuseServiceManager(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

BOOL WINAPI RefuseDriver(LPSTR, DWORD, LPBYTE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(NtPrinterTest, AccessDeniedNamesBothPrinters) {
    PutCompleteShare();
    g_setup.quietSwitch = 1;
    const char* reason =
        "You do not have the correct access permissions.\nPlease login with Administrator permissions.";
    struct Refusal {
        const char* dll;
        const char* function;
        void* fake;
    };
    const Refusal refusals[] = {
        {"ADVAPI32.dll", "OpenSCManagerA", reinterpret_cast<void*>(&RefuseServiceManager)},
        {"WINSPOOL.DRV", "AddPrinterDriverA", reinterpret_cast<void*>(&RefuseDriver)},
    };
    for (const Refusal& refusal : refusals) {
        ResetRunState();
        tst::ImportHook hook(refusal.dll, refusal.function, refusal.fake);
        tst::DialogDriver driver;
        driver.Expect(OutcomeQuestion(kBothPrinters, reason, IDNO));
        EXPECT_EQ(0, Install()) << refusal.function;
        EXPECT_TRUE(driver.AllMet()) << refusal.function;
        EXPECT_FALSE(prt::PrinterExists(kMultisendPrinterName)) << refusal.function;
    }
}

// Wine always has "winprint"; this list stands in for a spooler without it.
BOOL WINAPI ListWithoutWinprint(LPSTR, LPSTR, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                                LPDWORD returned) {
    static char name[] = "faxprint";
    *needed = sizeof(PRINTPROCESSOR_INFO_1A);
    *returned = 0;
    if (level != 1 || size < sizeof(PRINTPROCESSOR_INFO_1A)) return FALSE;
    reinterpret_cast<PRINTPROCESSOR_INFO_1A*>(buffer)->pName = name;
    *returned = 1;
    return TRUE;
}

TEST_F(NtPrinterTest, MultisendPrinterWithoutWinprint) {
    PutAll(kMultisendFiles);
    g_setup.quietSwitch = 1;
    tst::ImportHook list("WINSPOOL.DRV", "EnumPrintProcessorsA", reinterpret_cast<void*>(&ListWithoutWinprint));
    tst::DialogDriver driver;
    driver.Expect(OutcomeQuestion(kMultisendPrinterName, "Unable to find print processor winprint. (1798)", IDYES));

    EXPECT_EQ(1, Install());

    // The printer is offered to the spooler without a print processor, with
    // every retry.
    EXPECT_EQ(11, addPrinter_.CallsWithoutProcessor());
    EXPECT_TRUE(prt::DriverInstalled(prt::kX86Environment, kMultisendDriver));
    EXPECT_TRUE(driver.AllMet());
}

// A driver registration that fails without saying why, which Wine's spooler
// never does.
BOOL WINAPI FailDriverSilently(LPSTR, DWORD, LPBYTE) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
}

TEST_F(NtPrinterTest, MultisendDriverFailingWithoutAnErrorCodeMakesNoPrinter) {
    PutAll(kMultisendFiles);
    g_setup.quietSwitch = 1;
    tst::ImportHook hook("WINSPOOL.DRV", "AddPrinterDriverA", reinterpret_cast<void*>(&FailDriverSilently));
    tst::DialogDriver driver;  // no error code: nothing to ask about

    EXPECT_EQ(1, Install());

    EXPECT_FALSE(prt::PrinterExists(kMultisendPrinterName));
    EXPECT_EQ(11, pauses_.Calls());  // every attempt at the driver, then no more
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(NtPrinterTest, ExistingRasterDriverIsKept) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    // RAS40UI.DLL is missing from the share: the share's RASDDUI.DLL is taken.
    Put("QVPRNNT.DLL");
    Put("RAS40.DLL");
    Put("RASDDUI.DLL");
    Put("RAS40UI.HLP");
    g_setup.quietSwitch = 1;
    std::string drivers = DriverDirectory();
    ASSERT_TRUE(tst::WriteFile(drivers + "RASDD.DLL", "the system's own"));
    tst::DialogDriver driver;

    EXPECT_EQ(1, Install());

    EXPECT_EQ("the system's own", Content(drivers + "RASDD.DLL"));
    EXPECT_EQ("share RASDDUI.DLL", Content(drivers + "RASDDUI.DLL"));
    EXPECT_EQ("share RAS40UI.HLP", Content(drivers + "RASDDUI.HLP"));
    EXPECT_TRUE(prt::PrinterExists(kMultisendPrinterName));
    EXPECT_FALSE(prt::PrinterExists(kFaxPrinterName));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(NtPrinterTest, KitWithoutMultisendDriverAsksAboutIt) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    PutAll(kNt40Kit);
    g_setup.quietSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(OutcomeQuestion(kMultisendPrinterName, "Unable to locate printer driver file. (2)", IDYES));

    EXPECT_EQ(1, Install());

    EXPECT_TRUE(driver.AllMet());
    EXPECT_TRUE(prt::PrinterExists(kFaxPrinterName));
    EXPECT_FALSE(prt::PrinterExists(kMultisendPrinterName));
}

TEST_F(NtPrinterTest, Windows2000IsNotRecognised) {
    tst::FakeWindowsVersion windows2000(kWindows2000);
    PutCompleteShare();
    g_setup.quietSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect(
        kErrorCaption, "Operating System unrecognized - make sure you are installing on the correct system", {IDOK}));
    // No version sources: the raster driver's own names are not in the share.
    driver.Expect(OutcomeQuestion(kMultisendPrinterName,
                                  "The universal printer driver has not been installed.\nTo create the DLLs install "
                                  "any Printer from Print\nManager.Then run Workstation Setup again. (2)",
                                  IDYES));

    EXPECT_EQ(1, Install());

    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(prt::PrinterExists(kFaxPrinterName));
    EXPECT_FALSE(tst::FileExists(DriverDirectory() + "imgfaxdr.dll"));
    EXPECT_EQ(kMissing, MachineValue(kNt40PortKey, kPort));
}

TEST_F(NtPrinterTest, Windows2000WithTheRasterDriverAsksAboutTheFaxPrinter) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    tst::FakeWindowsVersion windows2000(kWindows2000);
    PutCompleteShare();
    for (const char* file : {"RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP"}) Put(file);
    g_setup.quietSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect(
        kErrorCaption, "Operating System unrecognized - make sure you are installing on the correct system", {IDOK}));
    driver.Expect(OutcomeQuestion(kFaxPrinterName, "(50)", IDNO));

    EXPECT_EQ(0, Install());

    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ("share RASDD.DLL", Content(DriverDirectory() + "RASDD.DLL"));
    EXPECT_TRUE(prt::PrinterExists(kMultisendPrinterName));
}

}  // namespace
