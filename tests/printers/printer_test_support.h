// Helpers shared by the printer tests: the retry pause counted instead of
// slept, the spooler service started for a test, and "ports" lookups.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

#include "support/import_hook.h"

namespace prt {

// Replaces KERNEL32 Sleep for its scope: every pause is counted, none is slept.
class SleepCounter {
public:
    SleepCounter();
    ~SleepCounter();
    int Calls() const { return s_calls; }
    // Calls that asked for anything but one second.
    int OtherPauses() const { return s_otherPauses; }

private:
    static void WINAPI FakeSleep(DWORD milliseconds);
    static int s_calls;
    static int s_otherPauses;
    tst::ImportHook hook_;
};

// The spooler service's current state (SERVICE_RUNNING, ...), 0 when unknown.
DWORD SpoolerState();

// Starts the spooler service (stopped in a fresh Wine prefix) and stops it
// again at the end of the scope. Every wait is bounded. Create it before a
// SleepCounter: its own waits do not go through Sleep.
class RunningSpooler {
public:
    RunningSpooler();
    ~RunningSpooler();
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

// Stops the spooler service if it runs, waiting at most a few seconds.
void StopSpooler();

// IDS_STOP_SPOOLER_PROMPT, the question before the spooler is stopped.
extern const char kSpoolerPrompt[];

// True when WIN.INI's section "ports" lists `port`.
bool PortListed(const char* port);

// The environment of the NT driver kits.
extern const char kX86Environment[];  // "Windows NT x86"

// A DRIVER_INFO_2A over placeholder files (Wine accepts them missing).
struct DriverInfo {
    DRIVER_INFO_2A info = {};
    char name[64];
    char environment[32];
    char path[MAX_PATH] = "C:\\windows\\system32\\spool\\drivers\\w32x86\\tstdrv.dll";
    char data[MAX_PATH] = "C:\\windows\\system32\\spool\\drivers\\w32x86\\tstdrv.dat";
    char config[MAX_PATH] = "C:\\windows\\system32\\spool\\drivers\\w32x86\\tstdrvui.dll";
    DriverInfo(const char* driverName, const char* environmentName);
    BYTE* Bytes() { return reinterpret_cast<BYTE*>(&info); }
};

// Adds driver `name` for `environment` (null: the spooler's own); true on success.
bool AddTestDriver(const char* name, const char* environment);
bool DriverInstalled(const char* environment, const char* name);
// The driver's data file without its directory; "" when it is not installed.
std::string DriverDataFile(const char* environment, const char* name);

// Adds printer `name` on port `port` with driver `driver`, which must exist
// for the spooler's own environment.
bool AddTestPrinter(const char* name, const char* driver, const char* port);
bool PrinterExists(const char* name);

}  // namespace prt
