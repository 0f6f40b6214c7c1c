// The run's outcome and its result code: see run_outcome.h.
#include "common/run_outcome.h"

#include "common/bounded_text.h"

namespace {

const char kRestartReason[] = "AUTOEXEC.BAT was changed: Windows must restart before the client works";
const char kNothingRun[] = "no workflow ran";

// The code of each event that can decide it, in order of precedence.
struct CodeRule {
    OutcomeEvent event;
    int code;
    const char* word;
};
const CodeRule kCodeRules[] = {
    {kOutcomeClientRunning, kResultRunning, "running"},
    {kOutcomeFailed, kResultFailed, "failed"},
    {kOutcomeCancelled, kResultCancelled, "cancelled"},
};

}  // namespace

void ResetRunOutcome(RunOutcome& outcome) { outcome = RunOutcome(); }

void NoteOutcome(RunOutcome& outcome, OutcomeEvent event, const char* reason) {
    outcome.noted[event] = 1;
    text::Copy(outcome.reasons[event], reason);
}

int OutcomeExplainsStop(const RunOutcome& outcome) {
    for (const CodeRule& rule : kCodeRules) {
        if (outcome.noted[rule.event]) return 1;
    }
    return 0;
}

int OutcomeCode(const RunOutcome& outcome, int restartNeeded) {
    for (const CodeRule& rule : kCodeRules) {
        if (outcome.noted[rule.event]) return rule.code;
    }
    return restartNeeded ? kResultRestart : kResultDone;
}

void DescribeOutcome(const RunOutcome& outcome, int restartNeeded, char (&words)[kOutcomeTextSize]) {
    for (const CodeRule& rule : kCodeRules) {
        if (outcome.noted[rule.event]) {
            text::Format(words, "%d %s: %s", rule.code, rule.word, outcome.reasons[rule.event]);
            return;
        }
    }
    const char* done = outcome.noted[kOutcomeCompleted] ? outcome.reasons[kOutcomeCompleted] : kNothingRun;
    if (restartNeeded) {
        text::Format(words, "%d restart: %s (%s)", kResultRestart, kRestartReason, done);
    } else {
        text::Format(words, "%d done: %s", kResultDone, done);
    }
}
