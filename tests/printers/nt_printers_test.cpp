// The NT fax printers against Wine's spooler service, spooler and registry, for what the lifecycle cannot
// show: retries, the faults that end an installation, a reinstallation over the printers with a newer kit on
// the share, the spooler kept running while they are replaced, a printer that cannot be opened for its
// removal; and the printer's settings table loaded over a scratch key. Import hooks stand in only where Wine
// cannot make the fault.
#include <memory>

#include "common/win_handles.h"
#include "files/file_test_support.h"
#include "printers/fax_printers.h"
#include "printers/nt_printers.h"
#include "printers/printer_removal.h"
#include "printers/printer_state.h"
#include "printers/registry_tables.h"
#include "printers/spooler_control.h"
#include "support/import_hook.h"
#include "workflow/program_files.h"

namespace {

const char kX86[] = "Windows NT x86";
const char kPortKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\Fax Monitor Port\\Ports";
const char kSettingsKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Telmora Printer\\PrinterDriverData";

// The retry pauses counted, none slept; a pause of another length counts 1000.
int g_pauses = 0;
void WINAPI CountPause(DWORD milliseconds) { g_pauses += milliseconds == 1000 ? 1 : 1000; }

// The spooler service brought to the state wanted, in bounded waits (SleepEx is not the counted Sleep).
bool SetSpooler(bool running) {
    win::Service manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    win::Service service(OpenServiceA(manager, "spooler", SERVICE_ALL_ACCESS));
    SERVICE_STATUS status = {};
    for (int step = 0; step < 250 && QueryServiceStatus(service, &status); ++step, SleepEx(20, FALSE)) {
        if (status.dwCurrentState == (running ? SERVICE_RUNNING : SERVICE_STOPPED)) return true;
        if (running && status.dwCurrentState == SERVICE_STOPPED) StartServiceA(service, 0, nullptr);
        if (!running && status.dwCurrentState == SERVICE_RUNNING) ControlService(service, SERVICE_CONTROL_STOP, &status);
    }
    return false;
}

// The printer `name` opened with `access` (0: no defaults); not open when it is not there.
win::Printer OpenNamed(const char* name, DWORD access = 0) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, access};
    HANDLE handle = nullptr;
    OpenPrinterA(const_cast<char*>(name), &handle, access ? &defaults : nullptr);
    return win::Printer(handle);
}

// A driver over placeholder files for `environment` (null: the spooler's own).
bool AddTestDriver(const char* name, const char* environment) {
    char driver[] = "tstdrv.dll", data[] = "tstdrv.dat", config[] = "tstdrvui.dll";
    DRIVER_INFO_2A info = {2, const_cast<char*>(name), const_cast<char*>(environment), driver, data, config};
    return AddPrinterDriverA(nullptr, 2, reinterpret_cast<BYTE*>(&info)) != FALSE;
}

// A fresh run with the spooler running and a share of the NT 4.0 kit and the Multisend driver in I386\ (the
// port monitor is the demo share's real one).
class NtPrinters : public ft::ScratchPc {
protected:
    void SetUp() override {
        ScratchPc::SetUp();
        ASSERT_TRUE(SetSpooler(true));
        for (const char* file : {"imgfaxdr.dll", "imgfb4ui.dll", "Img32mfx.dll", "Qvprnctl.exe", "QVPRNM32.DLL",
                                 "QVPRNNT.DLL", "RAS40.DLL", "RAS40UI.DLL", "RAS40UI.HLP"})
            ft::PutFile(I386() + file, std::string("share ") + file);
        ASSERT_TRUE(CopyFileA("F:\\SYSTEM\\I386\\imgfb4mn.dll", (I386() + "imgfb4mn.dll").c_str(), FALSE));
        char directory[kDriverDirectorySize];
        GetDriverDirectory(directory, sizeof directory, kDriverEnvironmentFolder);
        drivers_ = std::string(directory) + "\\";
    }
    void TearDown() override {
        for (const char* printer : {kFaxPrinterName, kMultisendPrinterName})
            DeletePrinter(OpenNamed(printer, PRINTER_ALL_ACCESS));
        for (const char* driver : {kFaxPrinterName, kMultisendDriverName})
            DeletePrinterDriverA(nullptr, const_cast<char*>(kX86), const_cast<char*>(driver));
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kPortKey, kFaxPortName);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
        for (const char* file : {"RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP", "QVPRNNT.DLL", "imgfaxdr.dll", "imgfb3dr.dll"})
            DeleteFileA((drivers_ + file).c_str());
        ScratchPc::TearDown();
    }
    int Install() { return InstallFaxPrinters(Share().c_str(), Programs().c_str()); }

    std::string drivers_;
    tst::ImportHook pauses_{"KERNEL32.dll", "Sleep", reinterpret_cast<void*>(&CountPause)};
    tst::FakeWindowsVersion version_{tst::kWindowsNT40};
};

// A spooler that refuses the first `g_refusals` calls with `g_error`, as a freshly restarted one may, and
// then succeeds; Wine's answers at once.
int g_calls = 0, g_refusals = 0;
DWORD g_error = 0;
template <typename Result, typename... Args>
Result WINAPI Refusing(Args...) {
    if (++g_calls > g_refusals) return (Result)1;
    SetLastError(g_error);
    return Result();
}

TEST_F(NtPrinters, TheRetriesOfEachCall) {
    const std::string source = Share() + "MISSING.DLL";
    const std::string target = Share() + "TARGET.DLL";
    const struct {
        const char* function;  // of WINSPOOL.DRV, or CopyFileA
        int refusals;
        DWORD error;
        int attempts, pauses;
        bool result;
    } retries[] = {
        {"AddPrinterDriverA", 99, 5, 11, 11, false},  {"AddPrinterDriverA", 0, 0, 1, 1, true},  // a pause after success too
        {"AddPrinterA", 99, 1722, 11, 11, false},     {"AddPrintProcessorA", 2, 1722, 3, 2, true},
        {"AddMonitorA", 10, 1722, 11, 10, true},      {"AddMonitorA", 11, 1722, 11, 11, false},
        {"CopyFileA", 99, 2, 11, 11, false},          {"CopyFileA", 0, 0, 1, 0, true},
        {"DeletePrinterDriverA", 99, ERROR_UNKNOWN_PRINTER_DRIVER, 1, 0, true},  // nothing to delete
        {"DeletePrinterDriverA", 99, ERROR_PRINTER_DRIVER_IN_USE, 11, 11, false},
    };
    for (const auto& r : retries) {
        const std::string function = r.function;
        SCOPED_TRACE(function + " refused " + std::to_string(r.refusals) + " times");
        void* fake = reinterpret_cast<void*>(&Refusing<BOOL, LPSTR, DWORD, LPBYTE>);
        if (function == "AddPrinterA") fake = reinterpret_cast<void*>(&Refusing<HANDLE, LPSTR, DWORD, LPBYTE>);
        if (function == "AddPrintProcessorA") fake = reinterpret_cast<void*>(&Refusing<BOOL, LPSTR, LPSTR, LPSTR, LPSTR>);
        if (function == "CopyFileA") fake = reinterpret_cast<void*>(&Refusing<BOOL, LPCSTR, LPCSTR, BOOL>);
        if (function == "DeletePrinterDriverA") fake = reinterpret_cast<void*>(&Refusing<BOOL, LPSTR, LPSTR, LPSTR>);
        tst::ImportHook hook(function == "CopyFileA" ? "KERNEL32.dll" : "WINSPOOL.DRV", r.function, fake);
        g_calls = g_pauses = 0;
        g_refusals = r.refusals;
        g_error = r.error;
        tst::DialogDriver boxes;  // a copy's failure reported once, after the last attempt
        if (function == "CopyFileA" && !r.result) boxes.Expect(ft::ErrorBox(ft::CopyFailed(source, target)));
        BYTE info[256] = {};
        bool result = function == "AddPrinterDriverA"  ? AddPrinterDriverRetry(nullptr, 2, info) != FALSE
                      : function == "AddPrinterA"      ? AddPrinterRetry(nullptr, 2, info) != nullptr
                      : function == "AddMonitorA"      ? AddMonitorRetry(nullptr, 2, info) == 1
                      : function == "CopyFileA"        ? CopyFileRetry(source.c_str(), target.c_str(), FALSE) == 1
                      : function == "AddPrintProcessorA" ? AddPrintProcessorRetry(nullptr, kX86, "x.dll", "x") == 1
                                                         : DeletePrinterDriverRetry(nullptr, kX86, "x") == 1;
        EXPECT_EQ(r.result, result);
        EXPECT_EQ(r.result ? 0 : r.error, r.result ? 0 : GetLastError()) << "the last attempt's error";
        EXPECT_EQ(r.attempts, g_calls);
        EXPECT_EQ(r.pauses, g_pauses) << "one second each";
    }
}

// The question that ends an installation; its message holds 200 characters at most.
tst::Expectation Outcome(const std::string& printers, const std::string& reason, int answer) {
    return ft::Question(("Unable to install " + printers + ".\n" + reason + "\n").substr(0, kMessageSize - 1), answer);
}

const char kSpoolerKept[] = "User requested not to shut down print spooler.\nTo install the Telmora printers, finish "
                           "printing\nand then run the Workstation Setup program.";
const char kSpoolerQuestion[] = "Workstation setup is about to stop the print spooler.\nThis may affect current "
                                "printing.\nClick OK to continue.";

// "REG_SZ text" or "REG_DWORD number" of value `name` of `key`; "" when missing.
std::string Setting(const char* name, HKEY root = HKEY_LOCAL_MACHINE, const char* key = kSettingsKey) {
    DWORD type = 0;
    char data[kRegValueDataSize] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(root, key, name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS) return "";
    if (type == REG_DWORD) return "REG_DWORD " + std::to_string(*reinterpret_cast<DWORD*>(data));
    return (type == REG_SZ ? "REG_SZ " : "other ") + std::string(data);
}

// Installed again over the printers (a copy or an update), the fax printer keeps its settings and takes the
// share's kit, newer now; replacing them (an installation, a new log area) with the spooler kept running
// leaves them, and the answer to the question decides. Wine refuses the Multisend printer (87) each time.
// NT 3.51's kit: Wine keeps NT 4.0's port monitor loaded in this process, so its file could not be replaced.
TEST_F(NtPrinters, InstalledAgainTheyKeepTheirSettingsAndTakeANewerKit) {
    if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    tst::FakeWindowsVersion nt351(tst::kWindowsNT351);
    for (const char* file : {"imgfb3dr.dll", "imgfb3ui.dll", "imgfx3pr.dll", "RAS351.DLL", "RAS351UI.DLL", "RAS351UI.HLP"})
        ft::PutFile(I386() + file, file);
    g_setup.quietSwitch = 1;
    tst::DialogDriver driver;
    for (int run = 0; run < 2; ++run) driver.Expect(Outcome(kMultisendPrinterName, " (87)", IDYES));
    ASSERT_EQ(1, Install());
    ft::PutFile(I386() + "imgfb3dr.dll", "newer kit");
    ASSERT_EQ(1, InstallFaxPrinters(Share().c_str(), Windows().c_str()));
    EXPECT_EQ("newer kit", ft::Content(drivers_ + "imgfb3dr.dll"));
    EXPECT_EQ("REG_SZ " + Programs() + "\\faxdll.log", Setting("Logfile"));
    g_setup.quietSwitch = 0;
    for (int answer : {IDNO, IDYES}) {
        ResetPrinterRunState();
        driver.Expect(tst::MessageBoxExpect("Telmora", kSpoolerQuestion, {IDOK, IDCANCEL}).Press(IDCANCEL));
        driver.Expect(Outcome(std::string(kMultisendPrinterName) + " and " + kFaxPrinterName, kSpoolerKept, answer));
        EXPECT_EQ(answer == IDYES ? 1 : 0, ReplaceFaxPrinters(Share().c_str(), Windows().c_str(), nullptr));
        EXPECT_EQ("REG_SZ " + Programs(), Setting("Output Directory")) << "the fax printer is still there";
    }
}

// Each fault with the question that ends the installation; none makes a printer. Wine's service manager never
// refuses the administrator this test runs as: that refusal is an import hook.
TEST_F(NtPrinters, EachFaultAsksWhetherToGoOn) {
    const std::string both = std::string(kMultisendPrinterName) + " and " + kFaxPrinterName;
    const struct {
        const char* what;
        DWORD version;
        bool accessDenied;
        int spoolerAnswer;  // 0: /Q, no question
        std::vector<tst::Expectation> boxes;
        int result;
    } faults[] = {
        {"the spooler must keep running", tst::kWindowsNT40, false, IDCANCEL, {Outcome(both, kSpoolerKept, IDNO)}, 0},
        {"no access to the service manager", tst::kWindowsNT40, true, 0,
         {Outcome(both, "You do not have the correct access permissions.\nPlease login with Administrator "
                        "permissions.", IDYES)}, 1},
        {"Windows 2000", 0x08930005, false, 0,
         {ft::ErrorBox("Operating System unrecognized - make sure you are installing on the correct system"),
          Outcome(kMultisendPrinterName, "The universal printer driver has not been installed.\nTo create the DLLs "
                  "install any Printer from Print\nManager.Then run Workstation Setup again. (2)", IDYES)}, 1},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.what);
        tst::FreshRunState();
        g_setup.quietSwitch = f.spoolerAnswer ? 0 : 1;
        tst::FakeWindowsVersion version(f.version);
        g_refusals = f.accessDenied ? 99 : 0;
        g_error = ERROR_ACCESS_DENIED;
        tst::ImportHook serviceManager("ADVAPI32.dll", "OpenSCManagerA",
            f.accessDenied ? reinterpret_cast<void*>(&Refusing<SC_HANDLE, LPCSTR, LPCSTR, DWORD>)
                           : reinterpret_cast<void*>(&OpenSCManagerA));
        tst::DialogDriver driver;
        if (f.spoolerAnswer) {
            driver.Expect(tst::MessageBoxExpect("Telmora", kSpoolerQuestion, {IDOK, IDCANCEL}).Press(f.spoolerAnswer));
        }
        for (const tst::Expectation& box : f.boxes) driver.Expect(box);
        EXPECT_EQ(f.result, Install());
        EXPECT_FALSE(OpenNamed(kFaxPrinterName).IsOpen() || OpenNamed(kMultisendPrinterName).IsOpen());
    }
}

// What OpenPrinterA answers: Wine opens every printer for an administrator, 1801 for a missing one.
BOOL WINAPI RefuseOpen(LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA) {
    SetLastError(g_error);
    return FALSE;
}

TEST_F(NtPrinters, APrinterThatCannotBeOpenedLosesItsDriverWhenGoneOrOnNt40) {
    const DWORD cases[][3] = {// version, OpenPrinterA's error (0: Wine's answer for a missing printer), result
                              {tst::kWindowsNT40, 0, 1}, {tst::kWindowsNT351, 0, 1}, {tst::kWindowsNT40, 5, 1},
                              {tst::kWindowsNT351, 5, 0}, {tst::kWindowsNT40, ERROR_INVALID_HANDLE, 0}};
    tst::DialogDriver driver;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c[0] << std::dec << " error " << c[1]);
        tst::FakeWindowsVersion version(c[0]);
        ASSERT_EQ(1, PrepareNtFaxPrinter(kFaxPortName, kFaxPrinterName, 0));
        ASSERT_TRUE(AddTestDriver(kFaxPrinterName, nullptr));
        g_error = c[1];
        // No hook for Wine's own answer: &OpenPrinterA is the import thunk, which would jump to itself.
        std::unique_ptr<tst::ImportHook> open(
            c[1] ? new tst::ImportHook("WINSPOOL.DRV", "OpenPrinterA", reinterpret_cast<void*>(&RefuseOpen)) : nullptr);
        EXPECT_EQ(static_cast<int>(c[2]), RemovePrinterAndDriver(kFaxPrinterName));
        EXPECT_EQ(c[2] == 0, DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kFaxPrinterName)) != FALSE)
            << "the driver was still there";
    }
}

// The settings table loaded over what the registry holds, then saved: the registry's own value is kept, one of
// the wrong type or empty gives way to the table's (the lifecycle names every value an installation saves).
TEST(RegistryTables, TheSettingsLoadedOverTheRegistrysAndSaved) {
    const char kKey[] = "Software\\TelmoraTableTests";
    tst::FreshRunState();
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    DWORD timeout = 120;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Driver Timeout", REG_DWORD, &timeout, 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Logfile", REG_DWORD, &timeout, 4));  // wrong type
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Output Directory", REG_SZ, "", 0));  // empty
    RegKeyTable* table = g_printers.printerSettingsTable;
    text::Copy(table[0].path, "HKEY_CURRENT_USER/Software/TelmoraTableTests");
    LoadRegistryTable(table, kOpenExistingKeys);
    ASSERT_EQ(1, SaveRegistryTable(table));
    EXPECT_EQ("REG_DWORD 120|REG_SZ C:\\temp\\faxdll.log|REG_SZ C:\\temp\\|REG_DWORD 50",
              Setting("Driver Timeout", HKEY_CURRENT_USER, kKey) + "|" + Setting("Logfile", HKEY_CURRENT_USER, kKey) + "|" +
                  Setting("Output Directory", HKEY_CURRENT_USER, kKey) + "|" + Setting("Gray Intensity", HKEY_CURRENT_USER, kKey));
    EXPECT_STREQ("120", FindRegistryValue(table, "Driver Timeout")->data);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

}  // namespace
