// The run's outcome as deployment tools read it: the result code the program
// ends with under TELMORA_SETUP_UNATTENDED=1, and the reason the action log's
// last line gives for it. Each event is noted where it becomes known (a
// workflow's end, an error box, an Abort, a running client); the code is
// taken once, at the end of the run. Pure: no windows.h.
#pragma once

// The result codes, as Windows Installer and the deployment tools know them.
enum ResultCode : int {
    kResultDone = 0,
    kResultRestart = 3010,    // done; Windows must restart before the client works
    kResultCancelled = 1602,  // an answer stopped the run, without an error
    kResultFailed = 1603,     // a step failed or an error box was shown
    kResultRunning = 1618,    // the fax client is running: try again later
};

// What happened during the run, each with the words of its latest case.
enum OutcomeEvent : int {
    kOutcomeCompleted,      // a workflow completed
    kOutcomeCancelled,      // Abort or Cancel in a question that reports no error
    kOutcomeFailed,         // a step failed, an error box was shown, an unattended run gave up
    kOutcomeClientRunning,  // the fax client was found running and the operation stopped
    kOutcomeEventCount
};

enum : int {
    kOutcomeReasonSize = 400,
    kOutcomeTextSize = kOutcomeReasonSize + 32,  // "<code> <word>: <reason>"
};

struct RunOutcome {
    int noted[kOutcomeEventCount];
    char reasons[kOutcomeEventCount][kOutcomeReasonSize];
};

// Nothing noted: the state at program start.
void ResetRunOutcome(RunOutcome& outcome);

// Notes `event`; its reason becomes `reason` (cut to fit).
void NoteOutcome(RunOutcome& outcome, OutcomeEvent event, const char* reason);

// 1 when a stop is already explained: cancelled, failed or client running.
int OutcomeExplainsStop(const RunOutcome& outcome);

// By precedence: 1618, then 1603, then 1602, then 3010 when `restartNeeded`
// (AUTOEXEC.BAT changed outside Windows NT), then 0.
int OutcomeCode(const RunOutcome& outcome, int restartNeeded);

// "<code> <word>: <reason>", the word one of done, restart, cancelled,
// running, failed.
void DescribeOutcome(const RunOutcome& outcome, int restartNeeded, char (&words)[kOutcomeTextSize]);
