// The run's record for administrators: the action log's start and result
// lines, and the exit code an unattended run ends with. See startup.h.
#include <windows.h>

#include <cstring>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/windows_version.h"
#include "startup/startup.h"
#include "ui/progress_display.h"

namespace {

const char kUnattendedVariable[] = "TELMORA_SETUP_UNATTENDED";
const char kUnattendedOn[] = "1";
const int kWindowsWordsSize = 64;

int UnattendedRequested() {
    char value[sizeof kUnattendedOn + 1];
    DWORD length = GetEnvironmentVariableA(kUnattendedVariable, value, sizeof value);
    return length > 0 && length < sizeof value && std::strcmp(value, kUnattendedOn) == 0 ? 1 : 0;
}

// The Windows the program sees, as the version tests read it: "Windows 95
// 4.0", "Windows NT 4.0", "Windows NT 3.51".
void DescribeWindows(char (&words)[kWindowsWordsSize]) {
    DWORD version = GetVersion();
    unsigned major = LOBYTE(LOWORD(version));
    unsigned minor = HIBYTE(LOWORD(version));
    const char* family = IsWindowsNT() ? "Windows NT" : IsWindows95() ? "Windows 95" : "Windows (Win32s)";
    text::Format(words, "%s %u.%u", family, major, minor);
}

}  // namespace

void StartRunRecord(const char* commandLine) {
    g_setup.unattended = UnattendedRequested();
    OpenActionLog();
    if (!IsActionLogOpen()) return;
    char windows[kWindowsWordsSize];
    DescribeWindows(windows);
    LogAction(kLogStart, "Telmora workstation setup STNIN32.EXE version %s", kProgramVersion);
    LogAction(kLogStart, "command line: \"%s\"", commandLine ? commandLine : "");
    LogAction(kLogStart, "Windows: %s", windows);
    LogAction(kLogStart, "unattended: %s; exit code: %s", g_setup.unattended ? "yes" : "no",
              g_setup.unattended ? "the result code" : "0");
}

void LogSetupDirectory() {
    LogAction(kLogStart, "setup directory: %s",
              g_setup.setupDirectory[0] ? g_setup.setupDirectory : "none (no STNINST.EXE above the program)");
}

int EndRun(int exitCode) {
    int restartNeeded = g_setup.rebootNeeded && !IsWindowsNT();
    char words[kOutcomeTextSize];
    DescribeOutcome(g_setup.outcome, restartNeeded, words);
    LogAction(kLogResult, "%s", words);
    CloseActionLog();
    return g_setup.unattended ? OutcomeCode(g_setup.outcome, restartNeeded) : exitCode;
}

int EndRunFailed(const char* reason) {
    NoteOutcome(g_setup.outcome, kOutcomeFailed, reason);
    return EndRun(0);
}
