// Helpers shared by the printer tests: the retry pause counted instead of
// slept, the spooler service started for a test, and "ports" lookups.
#include "printer_test_support.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/win_handles.h"

namespace prt {

namespace {

const int kServiceWaitSteps = 250;  // 250 steps of 20 ms: five seconds at most
const DWORD kServiceWaitStepMs = 20;
const DWORD kRetryPauseMs = 1000;

// The waits here must not go through the Sleep import a test may replace.
void PauseBriefly() { SleepEx(kServiceWaitStepMs, FALSE); }

struct SpoolerService {
    win::Service manager;
    win::Service service;
    SpoolerService()
        : manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)),
          service(manager.IsOpen() ? OpenServiceA(manager, "spooler", SERVICE_ALL_ACCESS) : nullptr) {}
};

DWORD StateOf(SC_HANDLE service) {
    SERVICE_STATUS status = {};
    if (!service || !QueryServiceStatus(service, &status)) return 0;
    return status.dwCurrentState;
}

bool WaitForState(SC_HANDLE service, DWORD state) {
    for (int step = 0; step < kServiceWaitSteps; ++step) {
        if (StateOf(service) == state) return true;
        PauseBriefly();
    }
    return false;
}

}  // namespace

int SleepCounter::s_calls = 0;
int SleepCounter::s_otherPauses = 0;

SleepCounter::SleepCounter() : hook_("KERNEL32.dll", "Sleep", reinterpret_cast<void*>(&FakeSleep)) {
    s_calls = 0;
    s_otherPauses = 0;
}

SleepCounter::~SleepCounter() = default;

void WINAPI SleepCounter::FakeSleep(DWORD milliseconds) {
    ++s_calls;
    if (milliseconds != kRetryPauseMs) ++s_otherPauses;
}

DWORD SpoolerState() {
    SpoolerService spooler;
    return StateOf(spooler.service);
}

RunningSpooler::RunningSpooler() {
    SpoolerService spooler;
    if (!spooler.service.IsOpen()) {
        ADD_FAILURE() << "cannot open the spooler service, error " << GetLastError();
        return;
    }
    if (StateOf(spooler.service) != SERVICE_RUNNING && !StartServiceA(spooler.service, 0, nullptr)) {
        ADD_FAILURE() << "cannot start the spooler service, error " << GetLastError();
        return;
    }
    started_ = WaitForState(spooler.service, SERVICE_RUNNING);
    if (!started_) ADD_FAILURE() << "the spooler service did not start";
}

RunningSpooler::~RunningSpooler() { StopSpooler(); }

void StopSpooler() {
    SpoolerService spooler;
    if (StateOf(spooler.service) == SERVICE_STOPPED) return;
    SERVICE_STATUS status = {};
    // A spooler still starting takes the stop once it runs.
    WaitForState(spooler.service, SERVICE_RUNNING);
    ControlService(spooler.service, SERVICE_CONTROL_STOP, &status);
    EXPECT_TRUE(WaitForState(spooler.service, SERVICE_STOPPED)) << "the spooler service did not stop";
}

bool PortListed(const char* port) {
    char value[32];
    GetProfileStringA("ports", port, "(not listed)", value, sizeof value);
    return std::string(value) != "(not listed)";
}

const char kX86Environment[] = "Windows NT x86";

const char kSpoolerPrompt[] =
    "Workstation setup is about to stop the print spooler.\nThis may affect current printing.\nClick OK to continue.";

DriverInfo::DriverInfo(const char* driverName, const char* environmentName) {
    lstrcpynA(name, driverName, sizeof name);
    if (environmentName) lstrcpynA(environment, environmentName, sizeof environment);
    info.cVersion = 2;
    info.pName = name;
    info.pEnvironment = environmentName ? environment : nullptr;
    info.pDriverPath = path;
    info.pDataFile = data;
    info.pConfigFile = config;
}

bool AddTestDriver(const char* name, const char* environment) {
    DriverInfo driver(name, environment);
    return AddPrinterDriverA(nullptr, 2, driver.Bytes()) != FALSE;
}

std::string DriverDataFile(const char* environment, const char* name) {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 2, nullptr, 0, &needed, &count);
    if (needed == 0) return "";
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 2, buffer.data(), needed, &needed, &count)) {
        return "";
    }
    const DRIVER_INFO_2A* drivers = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (std::string(drivers[i].pName) != name) continue;
        std::string data = drivers[i].pDataFile ? drivers[i].pDataFile : "";
        return data.substr(data.find_last_of('\\') + 1);
    }
    return "";
}

bool DriverInstalled(const char* environment, const char* name) { return !DriverDataFile(environment, name).empty(); }

bool AddTestPrinter(const char* name, const char* driver, const char* port) {
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = const_cast<char*>(name);
    printer.pDriverName = const_cast<char*>(driver);
    printer.pPortName = const_cast<char*>(port);
    printer.pPrintProcessor = const_cast<char*>("winprint");
    printer.pDatatype = const_cast<char*>("RAW");
    win::Printer handle(AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer)));
    return handle.IsOpen();
}

bool PrinterExists(const char* name) {
    HANDLE handle = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &handle, nullptr)) return false;
    ClosePrinter(handle);
    return true;
}

}  // namespace prt
