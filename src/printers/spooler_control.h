// The print spooler service on Windows NT, and the retry wrappers of the
// spooler and kit-file calls.
//
// The fax printer's port is written, its driver kit copied and its port
// deleted while the "spooler" service is stopped. The user is asked once per
// run before the first stop; a freshly restarted spooler may refuse calls for
// a while, so the calls that follow a cycle are retried: at most 11 attempts
// with a one-second pause after each failure.
#pragma once

#include <windows.h>

// Run-wide flags of the printer work on Windows NT, kept in
// g_printers.ntPrinterFlags (printers/printer_state.h): 0 at program start,
// set once and never reset during a run.
struct NtPrinterFlags {
    int spoolerStopAgreed;     // the user agreed to stop the spooler, or /Q was given
    int multisendDriverFound;  // the NT installation found QVPRNNT.DLL
    int faxKitFound;           // the NT installation found QVPRNM32.DLL
    int faxPrinterFailed;      // the NT installation of the fax printer failed
    int faxRemovalFailed;      // the NT removal of the fax printer failed
};

// Asks once per run (IDS_STOP_SPOOLER_PROMPT, OK/Cancel) whether the spooler may be
// stopped; with /Q or after an earlier agreement there is no question.
// 1: go on (the agreement is recorded); 0: the user declined.
int ConfirmSpoolerStop();

// Modes of a spooler cycle.
enum SpoolerCycleMode : int {
    kSpoolerCycleRemoval = 0,
    kSpoolerCycleInstall = 1,
};

// The installation's work while the spooler is stopped: the fax printer's
// port value and driver kit, from `sourceDirectory`. 1 on success.
typedef int (*StoppedSpoolerWork)(const char* sourceDirectory, int faxPrinterPresent);

// Stops the "spooler" service, waits for it to stop (at most 10 000 status
// polls), does the work of `mode` and starts the service again. Work while
// stopped: with the Multisend driver found, `portName` is added to the
// profile section "ports"; installation: `work` (when the fax kit was found
// and the fax printer has not failed; a failure marks it failed);
// removal: the port is deleted from the spooler and from "ports".
// Always returns 1; `*errorCode` receives the last error of a failing
// service call and is left alone otherwise. When the stop fails (1062: the
// spooler is not running) nothing is done and the service is not started.
int StopAndRestartSpooler(const char* portName, DWORD* errorCode, const char* sourceDirectory,
                          int mode, int faxPrinterPresent, StoppedSpoolerWork work);

// The retry wrappers. Each calls its function until it succeeds, at most 11
// times, with Sleep(1000) after every failed attempt; the thread's last error
// is that of the last attempt.

// AddPrinterDriverA; pauses after every attempt, the successful one too.
// The last call's result.
BOOL AddPrinterDriverRetry(const char* server, DWORD level, BYTE* driverInfo);
// AddPrinterA; the printer handle, null when every attempt failed.
HANDLE AddPrinterRetry(const char* server, DWORD level, BYTE* printerInfo);
// AddPrintProcessorA. 1 or 0.
int AddPrintProcessorRetry(const char* server, const char* environment, const char* file,
                           const char* processorName);
// AddMonitorA (level 2 in practice). 1 or 0.
int AddMonitorRetry(const char* server, DWORD level, BYTE* monitorInfo);
// CopyFileA; after the last failed attempt error IDS_COPY_FILE_FAILED names
// both files. 1 or 0.
int CopyFileRetry(const char* source, const char* target, BOOL failIfExists);
// DeletePrinterDriverA; a driver that is not installed (1797) counts as
// deleted. 1 or 0.
int DeletePrinterDriverRetry(const char* server, const char* environment, const char* driverName);
