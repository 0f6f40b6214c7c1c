// The print spooler service on Windows NT: the once-per-run question, the
// stop-work-restart cycle, and the retry wrappers of the spooler and kit-file
// calls that follow a restart.
#include "printers/spooler_control.h"

#include <winspool.h>

#include "common/action_log.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "common/win_ini_log.h"
#include "printers/printer_log.h"
#include "printers/printer_state.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char kSpoolerServiceName[] = "spooler";
const char kPortsSection[] = "ports";
const UINT kSpoolerPromptStyle = MB_OKCANCEL | MB_ICONINFORMATION;

// Status polls while waiting for the spooler to stop; there is no pause
// between them.
const int kStopPollLimit = 10000;

// Each attempt counts one pause; no attempt starts once more than the limit
// has been counted, which allows 11 attempts.
const DWORD kRetryPauseMs = 1000;
const DWORD kRetryLimitMs = 10000;

// Whether a wrapper also pauses after its successful attempt.
enum PauseRule { kPauseAfterFailure, kPauseAfterEveryAttempt };

// The pause between attempts; the attempt's last error survives it.
void PauseBeforeRetry() {
    DWORD error = GetLastError();
    Sleep(kRetryPauseMs);
    SetLastError(error);
}

// Runs `attempt` until it reports success, at most 11 times. 1 on success.
template <typename Attempt>
int Retry(Attempt attempt, PauseRule pauseRule) {
    for (DWORD elapsed = 0; elapsed <= kRetryLimitMs; elapsed += kRetryPauseMs) {
        int succeeded = attempt();
        if (!succeeded || pauseRule == kPauseAfterEveryAttempt) PauseBeforeRetry();
        if (succeeded) return 1;
    }
    return 0;
}

// Polls the service status until it reports "stopped" or the poll limit is
// reached; the cycle goes on either way.
void WaitForSpoolerStop(SC_HANDLE spooler, SERVICE_STATUS* status) {
    for (int poll = 0; poll < kStopPollLimit && status->dwCurrentState != SERVICE_STOPPED; ++poll) {
        QueryServiceStatus(spooler, status);
    }
}

// Writes (or with `value` null removes) the port's entry in "ports".
void WritePortEntry(const char* portName, const char* value) {
    LogWinIniEntry(WriteProfileStringA(kPortsSection, portName, value), kPortsSection, portName, value);
}

void DeleteSpoolerPort(const char* portName) {
    LogPrinterRemoval(DeletePortA(nullptr, g_setup.mainWindow, const_cast<char*>(portName)), "port", portName);
    WritePortEntry(portName, nullptr);
}

// The spooler cycle could not go on: what failed, with its error.
void LogSpoolerFailure(const char* what, DWORD error) {
    LogAction(kLogSpooler, "%s: Windows error %lu", what, error);
}

void DoStoppedSpoolerWork(const char* portName, const char* sourceDirectory, int mode,
                          int faxPrinterPresent, StoppedSpoolerWork work) {
    NtPrinterFlags& flags = g_printers.ntPrinterFlags;
    if (flags.multisendDriverFound) WritePortEntry(portName, "");
    if (mode == kSpoolerCycleInstall) {
        if (flags.faxKitFound && !flags.faxPrinterFailed && work && !work(sourceDirectory, faxPrinterPresent)) {
            flags.faxPrinterFailed = 1;
        }
    } else {
        DeleteSpoolerPort(portName);
    }
}

}  // namespace

int ConfirmSpoolerStop() {
    NtPrinterFlags& flags = g_printers.ntPrinterFlags;
    LoadLocalString(g_setup.appInstance, IDS_STOP_SPOOLER_PROMPT, g_printers.spoolerPrompt);
    if (!g_setup.quietSwitch && !flags.spoolerStopAgreed &&
        ShowMessageBox(g_setup.mainWindow, g_printers.spoolerPrompt, kProductCaption, kSpoolerPromptStyle) != IDOK) {
        LogAction(kLogSpooler, "not stopped: the user keeps it running, so the fax printers stay as they are");
        return 0;
    }
    flags.spoolerStopAgreed = 1;
    return 1;
}

int StopAndRestartSpooler(const char* portName, DWORD* errorCode, const char* sourceDirectory, int mode,
                          int faxPrinterPresent, StoppedSpoolerWork work) {
    win::Service manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.IsOpen()) {
        *errorCode = GetLastError();
        LogSpoolerFailure("not stopped: the service manager could not be opened", *errorCode);
        return 1;
    }
    win::Service spooler(OpenServiceA(manager, kSpoolerServiceName, SERVICE_ALL_ACCESS));
    if (!spooler.IsOpen()) {
        *errorCode = GetLastError();
        LogSpoolerFailure("not stopped: the service could not be opened", *errorCode);
        return 1;
    }
    SERVICE_STATUS status = {};
    if (!ControlService(spooler, SERVICE_CONTROL_STOP, &status)) {
        *errorCode = GetLastError();
        LogSpoolerFailure("not stopped, and its work not done", *errorCode);
        return 1;
    }
    WaitForSpoolerStop(spooler, &status);
    LogAction(kLogSpooler, status.dwCurrentState == SERVICE_STOPPED ? "stopped" : "asked to stop (still stopping)");
    DoStoppedSpoolerWork(portName, sourceDirectory, mode, faxPrinterPresent, work);
    if (StartServiceA(spooler, 0, nullptr)) {
        LogAction(kLogSpooler, "started again");
    } else {
        *errorCode = GetLastError();
        LogSpoolerFailure("not started again", *errorCode);
    }
    return 1;
}

BOOL AddPrinterDriverRetry(const char* server, DWORD level, BYTE* driverInfo) {
    BOOL result = FALSE;
    Retry(
        [&] {
            result = AddPrinterDriverA(const_cast<char*>(server), level, driverInfo);
            return result != FALSE;
        },
        kPauseAfterEveryAttempt);
    return result;
}

HANDLE AddPrinterRetry(const char* server, DWORD level, BYTE* printerInfo) {
    HANDLE printer = nullptr;
    Retry(
        [&] {
            printer = AddPrinterA(const_cast<char*>(server), level, printerInfo);
            return printer != nullptr;
        },
        kPauseAfterFailure);
    return printer;
}

int AddPrintProcessorRetry(const char* server, const char* environment, const char* file,
                           const char* processorName) {
    return Retry(
        [&] {
            return AddPrintProcessorA(const_cast<char*>(server), const_cast<char*>(environment),
                                      const_cast<char*>(file), const_cast<char*>(processorName)) != FALSE;
        },
        kPauseAfterFailure);
}

int AddMonitorRetry(const char* server, DWORD level, BYTE* monitorInfo) {
    return Retry([&] { return AddMonitorA(const_cast<char*>(server), level, monitorInfo) != FALSE; },
                 kPauseAfterFailure);
}

int CopyFileRetry(const char* source, const char* target, BOOL failIfExists) {
    if (Retry([&] { return CopyFileA(source, target, failIfExists) != FALSE; }, kPauseAfterFailure)) return 1;
    DWORD error = GetLastError();
    ShowError(IDS_COPY_FILE_FAILED, source, target);
    SetLastError(error);
    return 0;
}

int DeletePrinterDriverRetry(const char* server, const char* environment, const char* driverName) {
    return Retry(
        [&] {
            return DeletePrinterDriverA(const_cast<char*>(server), const_cast<char*>(environment),
                                        const_cast<char*>(driverName)) != FALSE ||
                   GetLastError() == ERROR_UNKNOWN_PRINTER_DRIVER;
        },
        kPauseAfterFailure);
}
