// The print spooler cycle against Wine's real "spooler" service, the question
// asked once per run, and the retry wrappers with their pauses counted.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>

#include "common/setup_context.h"
#include "printer_test_support.h"
#include "printers/printer_state.h"
#include "printers/spooler_control.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"

namespace {

const char kPort[] = "c:\\fax\\log\\telmora.spl";
const char kKitDirectory[] = "F:\\SYSTEM\\I386";

// What the stopped-spooler work saw when the cycle called it.
struct WorkRecord {
    int calls = 0;
    std::string sourceDirectory;
    int faxPrinterPresent = -1;
    DWORD spoolerState = 0;
    int result = 1;
};
WorkRecord g_work;

int RecordWork(const char* sourceDirectory, int faxPrinterPresent) {
    ++g_work.calls;
    g_work.sourceDirectory = sourceDirectory ? sourceDirectory : "(null)";
    g_work.faxPrinterPresent = faxPrinterPresent;
    g_work.spoolerState = prt::SpoolerState();
    return g_work.result;
}

// Every test starts a fresh run: no flags, no earlier answer, no port.
class SpoolerControl : public testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        g_work = WorkRecord();
        WriteProfileStringA("ports", kPort, nullptr);
    }
    void TearDown() override {
        tst::FreshRunState();
        WriteProfileStringA("ports", kPort, nullptr);
    }
};

TEST_F(SpoolerControl, TheQuestionIsAskedUntilTheUserAgreesAndThenNeverAgain) {
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Telmora", prt::kSpoolerPrompt, {IDOK, IDCANCEL}).Press(IDCANCEL));
    EXPECT_EQ(ConfirmSpoolerStop(), 0);
    EXPECT_EQ(g_printers.ntPrinterFlags.spoolerStopAgreed, 0);

    driver.Expect(tst::MessageBoxExpect("Telmora", prt::kSpoolerPrompt, {IDOK, IDCANCEL}).Press(IDOK));
    EXPECT_EQ(ConfirmSpoolerStop(), 1);
    EXPECT_EQ(g_printers.ntPrinterFlags.spoolerStopAgreed, 1);

    EXPECT_EQ(ConfirmSpoolerStop(), 1);  // no box: the driver would fail the test
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(SpoolerControl, TheQuietSwitchAgreesWithoutAsking) {
    g_setup.quietSwitch = 1;
    tst::DialogDriver driver;
    EXPECT_EQ(ConfirmSpoolerStop(), 1);
    EXPECT_EQ(g_printers.ntPrinterFlags.spoolerStopAgreed, 1);
    EXPECT_TRUE(driver.Seen().empty());
}

// Wine's spooler service is stopped in a fresh prefix, as a Windows spooler
// is after it was stopped by hand.
TEST_F(SpoolerControl, AStoppedSpoolerPassesBack1062AndNothingIsDone) {
    ASSERT_EQ(prt::SpoolerState(), static_cast<DWORD>(SERVICE_STOPPED));
    g_printers.ntPrinterFlags.faxKitFound = 1;
    g_printers.ntPrinterFlags.multisendDriverFound = 1;

    DWORD errorCode = 0;
    EXPECT_EQ(StopAndRestartSpooler(kPort, &errorCode, kKitDirectory, kSpoolerCycleInstall, 0, &RecordWork), 1);
    EXPECT_EQ(errorCode, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_EQ(g_work.calls, 0);
    EXPECT_FALSE(prt::PortListed(kPort));
    EXPECT_EQ(g_printers.ntPrinterFlags.faxPrinterFailed, 0);
    EXPECT_EQ(prt::SpoolerState(), static_cast<DWORD>(SERVICE_STOPPED));  // not started

    // Removal: the port listed before stays.
    WriteProfileStringA("ports", kPort, "");
    errorCode = 0;
    StopAndRestartSpooler(kPort, &errorCode, nullptr, kSpoolerCycleRemoval, 0, nullptr);
    EXPECT_EQ(errorCode, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_TRUE(prt::PortListed(kPort));
}

TEST_F(SpoolerControl, InstallationWorksWhileTheSpoolerIsStoppedAndStartsItAgain) {
    prt::RunningSpooler spooler;
    ASSERT_TRUE(spooler.Started());
    g_printers.ntPrinterFlags.faxKitFound = 1;
    g_printers.ntPrinterFlags.multisendDriverFound = 1;

    DWORD errorCode = 0;
    StopAndRestartSpooler(kPort, &errorCode, kKitDirectory, kSpoolerCycleInstall, 1, &RecordWork);
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(g_work.calls, 1);
    EXPECT_EQ(g_work.sourceDirectory, kKitDirectory);
    EXPECT_EQ(g_work.faxPrinterPresent, 1);
    EXPECT_EQ(g_work.spoolerState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_TRUE(prt::PortListed(kPort));  // the Multisend driver was found
    EXPECT_EQ(g_printers.ntPrinterFlags.faxPrinterFailed, 0);
    DWORD state = prt::SpoolerState();
    EXPECT_TRUE(state == SERVICE_RUNNING || state == SERVICE_START_PENDING) << state;

    // A failing step marks the fax printer failed; a failed fax printer
    // gets no more work.
    g_work.result = 0;
    StopAndRestartSpooler(kPort, &errorCode, kKitDirectory, kSpoolerCycleInstall, 0, &RecordWork);
    EXPECT_EQ(g_work.calls, 2);
    EXPECT_EQ(g_printers.ntPrinterFlags.faxPrinterFailed, 1);
    StopAndRestartSpooler(kPort, &errorCode, kKitDirectory, kSpoolerCycleInstall, 0, &RecordWork);
    EXPECT_EQ(g_work.calls, 2);
    EXPECT_EQ(errorCode, 0u);
}

TEST_F(SpoolerControl, RemovalDeletesThePortWhileTheSpoolerIsStopped) {
    prt::RunningSpooler spooler;
    ASSERT_TRUE(spooler.Started());
    g_printers.ntPrinterFlags.faxKitFound = 1;
    WriteProfileStringA("ports", kPort, "");

    DWORD errorCode = 0;
    StopAndRestartSpooler(kPort, &errorCode, kKitDirectory, kSpoolerCycleRemoval, 0, &RecordWork);
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(g_work.calls, 0);  // the installation's work is not done in removal
    EXPECT_FALSE(prt::PortListed(kPort));

    // With the Multisend driver found the port is added and deleted again.
    g_printers.ntPrinterFlags.multisendDriverFound = 1;
    StopAndRestartSpooler(kPort, &errorCode, nullptr, kSpoolerCycleRemoval, 0, nullptr);
    EXPECT_EQ(errorCode, 0u);
    EXPECT_FALSE(prt::PortListed(kPort));
}

// ---- Retry wrappers

TEST(RetryWrappers, FailingCallsAreTriedElevenTimesWithASecondsPauseAfterEach) {
    prt::SleepCounter sleeps;

    char monitorName[] = "Telmora Retry Monitor";
    char environment[] = "Windows NT x86";
    char dll[] = "tstnomon.dll";  // not there: AddMonitorA fails
    MONITOR_INFO_2A monitor = {monitorName, environment, dll};
    EXPECT_EQ(AddMonitorRetry(nullptr, 2, reinterpret_cast<BYTE*>(&monitor)), 0);
    EXPECT_EQ(sleeps.Calls(), 11);

    prt::DriverInfo bogus("Telmora Retry Test Driver", "Windows NT R4000");  // an environment no spooler knows
    EXPECT_FALSE(AddPrinterDriverRetry(nullptr, 2, bogus.Bytes()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ENVIRONMENT));  // the last attempt's error
    EXPECT_EQ(sleeps.Calls(), 22);

    char printerName[] = "Telmora Retry Printer";
    char driverName[] = "No Such Driver";
    char port[] = "c:\\temp\\retry.spl";
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = printerName;
    printer.pDriverName = driverName;
    printer.pPortName = port;
    printer.pPrintProcessor = const_cast<char*>("winprint");
    EXPECT_EQ(AddPrinterRetry(nullptr, 2, reinterpret_cast<BYTE*>(&printer)), nullptr);
    EXPECT_EQ(sleeps.Calls(), 33);
    EXPECT_EQ(sleeps.OtherPauses(), 0);
}

TEST(RetryWrappers, ACopyThatKeepsFailingNamesBothFilesOnce) {
    tst::TempDirectory dir;
    const std::string source = dir.File("MISSING.DLL");
    const std::string target = dir.File("TARGET.DLL");
    prt::SleepCounter sleeps;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect(
        "Error!", ("Unable to copy file " + source + "\nto file " + target + "\n\n").c_str(), {IDOK}));

    EXPECT_EQ(CopyFileRetry(source.c_str(), target.c_str(), FALSE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sleeps.Calls(), 11);
    EXPECT_TRUE(driver.AllMet());

    ASSERT_TRUE(tst::WriteFile(source, "kit"));
    EXPECT_EQ(CopyFileRetry(source.c_str(), target.c_str(), FALSE), 1);
    EXPECT_EQ(tst::ReadFile(target), "kit");
    EXPECT_EQ(sleeps.Calls(), 11);  // no pause after a success
}

TEST(RetryWrappers, AddingADriverPausesAfterItsSuccessToo) {
    prt::SleepCounter sleeps;
    prt::DriverInfo driver("Telmora Retry Test Driver", prt::kX86Environment);
    ASSERT_TRUE(AddPrinterDriverRetry(nullptr, 2, driver.Bytes()));
    EXPECT_EQ(sleeps.Calls(), 1);
    EXPECT_TRUE(prt::DriverInstalled(prt::kX86Environment, driver.name));

    EXPECT_EQ(DeletePrinterDriverRetry(nullptr, prt::kX86Environment, driver.name), 1);
    EXPECT_EQ(sleeps.Calls(), 1);  // deleted at the first attempt, no pause
    EXPECT_FALSE(prt::DriverInstalled(prt::kX86Environment, driver.name));
}

// DeletePrinterDriverA as Windows answers it: Wine's fails for a missing
// driver without setting any error, where Windows sets 1797.
struct DeleteDriverFake {
    static int calls;
    static DWORD error;
    static BOOL WINAPI Fake(LPSTR, LPSTR, LPSTR) {
        ++calls;
        SetLastError(error);
        return FALSE;
    }
};
int DeleteDriverFake::calls = 0;
DWORD DeleteDriverFake::error = 0;

TEST(RetryWrappers, DeletingADriverThatIsNotInstalledSucceedsAtOnce) {
    prt::SleepCounter sleeps;
    tst::ImportHook hook("WINSPOOL.DRV", "DeletePrinterDriverA", reinterpret_cast<void*>(&DeleteDriverFake::Fake));
    ASSERT_TRUE(hook.Installed());

    DeleteDriverFake::calls = 0;
    DeleteDriverFake::error = ERROR_UNKNOWN_PRINTER_DRIVER;
    EXPECT_EQ(DeletePrinterDriverRetry(nullptr, nullptr, "Telmora Printer"), 1);
    EXPECT_EQ(DeleteDriverFake::calls, 1);
    EXPECT_EQ(sleeps.Calls(), 0);

    DeleteDriverFake::calls = 0;
    DeleteDriverFake::error = ERROR_PRINTER_DRIVER_IN_USE;
    EXPECT_EQ(DeletePrinterDriverRetry(nullptr, nullptr, "Telmora Printer"), 0);
    EXPECT_EQ(DeleteDriverFake::calls, 11);
    EXPECT_EQ(sleeps.Calls(), 11);
}

// A spooler that refuses the first two calls after a restart.
struct RefusingProcessorFake {
    static int calls;
    static BOOL WINAPI Fake(LPSTR, LPSTR, LPSTR, LPSTR) {
        if (++calls <= 2) {
            SetLastError(RPC_S_SERVER_UNAVAILABLE);
            return FALSE;
        }
        return TRUE;
    }
};
int RefusingProcessorFake::calls = 0;

TEST(RetryWrappers, ACallThatSucceedsLaterEndsTheRetries) {
    prt::SleepCounter sleeps;
    tst::ImportHook hook("WINSPOOL.DRV", "AddPrintProcessorA",
                         reinterpret_cast<void*>(&RefusingProcessorFake::Fake));
    ASSERT_TRUE(hook.Installed());
    RefusingProcessorFake::calls = 0;
    EXPECT_EQ(AddPrintProcessorRetry(nullptr, prt::kX86Environment, "imgfx3pr.dll", "faxprint"), 1);
    EXPECT_EQ(RefusingProcessorFake::calls, 3);
    EXPECT_EQ(sleeps.Calls(), 2);
}

}  // namespace
