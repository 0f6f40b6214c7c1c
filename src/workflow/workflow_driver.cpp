// The workflow driver: what the program does with its first command. It
// prepares the run state that all workflows share, runs what the switches ask
// for, shows the function box until the user picks Quit, and at the end offers
// to restart Windows when AUTOEXEC.BAT was changed.
#include "workflow/workflow_driver.h"

#include <cstdlib>

#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/windows_version.h"
#include "files/copy_engine.h"
#include "files/directories.h"
#include "ui/dialogs.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "workflow/config_location.h"
#include "workflow/driver_state.h"
#include "workflow/workflows.h"

SetupWorkflows g_workflows = {InstallClient, EditConfiguration, CopyPrograms, UpdatePrograms, UninstallClient};

namespace {

const std::size_t kQvtlinitCopyLimit = 254;
const UINT kLogOffFlags = EWX_LOGOFF;       // 0: the user is logged off, Windows restarts DOS
const DWORD kExitWindowsReserved = 0xFFFFFFFF;

// Reboot box end values.
const INT_PTR kRebootEndRestart = 3;
const INT_PTR kRebootEndReturnToDos = 4;
const INT_PTR kRebootEndLeave = 5;

struct FunctionButton {
    int buttonId;
    SetupFunction function;
    const char* words;     // the choice, for the action log
    const char* workflow;  // what it runs, for the run's outcome
};

const FunctionButton kFunctionButtons[] = {
    {IDC_FUNCTION_INSTALL, kFunctionInstall, "Install", "installation"},
    {IDC_FUNCTION_EDIT, kFunctionEditConfig, "Edit configuration", "configuration editing"},
    {IDC_FUNCTION_COPY, kFunctionCopyPrograms, "Copy programs", "program copy"},
    {IDC_FUNCTION_UPDATE, kFunctionUpdatePrograms, "Update programs", "update"},
    {IDC_FUNCTION_UNINSTALL, kFunctionUninstall, "Uninstall", "uninstallation"},
    {IDC_FUNCTION_QUIT, kFunctionQuit, "Quit", nullptr},
};

// The reboot box's buttons: the choice each stands for, the value the box
// ends with and its words.
struct RebootButton {
    RebootChoice choice;
    int buttonId;
    INT_PTR end;
    const char* words;
};
const RebootButton kRebootButtons[] = {
    {kRebootRestart, IDC_REBOOT, kRebootEndRestart, "Reboot"},
    {kRebootReturnToDos, IDC_RETURN_TO_DOS, kRebootEndReturnToDos, "Return to DOS"},
    {kRebootLeave, IDC_REBOOT_EXIT, kRebootEndLeave, "Exit"},
};
const char kNoBoxWords[] = "none: the dialog could not be created";

void ReadQvtlinit() {
    text::CopyPrefix(g_setup.qvtlinitValue, std::getenv("QVTLINIT"), kQvtlinitCopyLimit);
    if (g_setup.qvtlinitValue[0] != '\0') AddTrailingBackslash(g_setup.qvtlinitValue);
}

const FunctionButton& FunctionRow(SetupFunction function) {
    for (const FunctionButton& button : kFunctionButtons) {
        if (button.function == function) return button;
    }
    return kFunctionButtons[0];
}

// Runs the workflow of `choice`; Quit runs nothing and keeps `lastResult`.
int RunChoice(SetupFunction choice, int lastResult) {
    int (*workflow)() = nullptr;
    switch (choice) {
        case kFunctionInstall:
            workflow = g_workflows.install;
            break;
        case kFunctionEditConfig:
            workflow = g_workflows.editConfiguration;
            break;
        case kFunctionCopyPrograms:
            workflow = g_workflows.copyPrograms;
            break;
        case kFunctionUpdatePrograms:
            workflow = g_workflows.updatePrograms;
            break;
        case kFunctionUninstall:
            g_setup.uninstallMode = 1;  // stays set for the rest of the run
            workflow = g_workflows.uninstall;
            break;
        default:
            return lastResult;
    }
    return NoteWorkflowEnd(FunctionRow(choice).workflow, workflow());
}

// The first box offers Install, every later one Quit. A failed workflow puts
// "Installation aborted" on the progress line, and so does a Quit right after it.
int RunFunctionLoop() {
    SetupFunction choice = kFunctionInstall;
    int lastResult = 1;
    for (int pass = 0;; ++pass) {
        if (pass > 0) choice = kFunctionQuit;
        if (!AskFunction(choice)) return 0;
        lastResult = RunChoice(choice, lastResult);
        if (!lastResult) ShowProgress(IDS_INSTALLATION_ABORTED);
        if (choice == kFunctionQuit) return 1;
    }
}

void RunRebootLoop() {
    RebootChoice choice = kRebootRestart;
    while (choice == kRebootRestart || choice == kRebootReturnToDos) {
        if (!AskReboot(choice)) return;
        if (choice == kRebootRestart || choice == kRebootReturnToDos) {
            ExitWindowsEx(kLogOffFlags, kExitWindowsReserved);
        }
    }
}

// Any other choice is Exit.
const RebootButton& RebootRow(RebootChoice choice) {
    for (const RebootButton& button : kRebootButtons) {
        if (button.choice == choice) return button;
    }
    return kRebootButtons[kRebootLeave - 1];
}

// The button whose value the box ended with; null for none (-1, no box).
const RebootButton* RebootButtonEndingWith(INT_PTR end) {
    for (const RebootButton& button : kRebootButtons) {
        if (button.end == end) return &button;
    }
    return nullptr;
}

void CheckFunctionButtons(HWND dialog, SetupFunction current) {
    for (const FunctionButton& button : kFunctionButtons) {
        SendDlgItemMessageA(dialog, button.buttonId, BM_SETCHECK,
                            button.function == current ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int FunctionForButton(int buttonId, SetupFunction* function) {
    for (const FunctionButton& button : kFunctionButtons) {
        if (button.buttonId == buttonId) {
            *function = button.function;
            return 1;
        }
    }
    return 0;
}

void EndFunctionBoxAnswer(SetupFunction answer) {
    if (g_driver.functionAnswer) *g_driver.functionAnswer = answer;
}

void EndFunctionBox(HWND dialog, SetupFunction answer) {
    EndFunctionBoxAnswer(answer);
    EndDialog(dialog, 0);
}

BOOL StartFunctionBox(HWND dialog) {
    CheckFunctionButtons(dialog, g_driver.functionChoice);
    return TRUE;
}

// OK answers with the checked function, Escape, the close box and Abort with
// Quit (no confirmation in this box); a function's button checks it.
void FunctionCommand(HWND dialog, int id) {
    SetupFunction function;
    if (id == IDOK) {
        EndFunctionBox(dialog, g_driver.functionChoice);
    } else if (id == IDCANCEL || id == IDC_ABORT) {
        EndFunctionBox(dialog, kFunctionQuit);
    } else if (FunctionForButton(id, &function)) {
        g_driver.functionChoice = function;
        CheckFunctionButtons(dialog, function);
    }
}

// The proposed choice as the default button, with the focus on it.
BOOL StartRebootBox(HWND dialog) {
    int defaultButton = RebootRow(g_driver.rebootDefault).buttonId;
    SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultButton), 0);
    SetFocus(GetDlgItem(dialog, defaultButton));
    return FALSE;
}

void RebootCommand(HWND dialog, int id) {
    switch (id) {
        case IDC_REBOOT:
            EndDialog(dialog, kRebootEndRestart);
            break;
        case IDC_RETURN_TO_DOS:
            EndDialog(dialog, kRebootEndReturnToDos);
            break;
        case IDC_REBOOT_EXIT:
        case IDCANCEL:
            EndDialog(dialog, kRebootEndLeave);
            break;
        default:
            break;
    }
}

void DescribeFunctionOffer(char (&words)[kAnswerWordsSize]) {
    text::Copy(words, FunctionRow(g_driver.functionChoice).words);
}

// The function box answered unattended: the proposed function, but Quit
// once the update of /U has run (every later box proposes Quit itself).
INT_PTR AnswerFunction(UnattendedRule rule) {
    int workflowRan = g_setup.updateSwitch;
    EndFunctionBoxAnswer(rule == kChooseQuitAfterWork && workflowRan ? kFunctionQuit : g_driver.functionChoice);
    return 0;
}

void DescribeFunctionEnd(INT_PTR end, char (&words)[kAnswerWordsSize]) {
    const SetupFunction* answer = g_driver.functionAnswer;
    text::Copy(words, end == -1 || !answer ? kNoBoxWords : FunctionRow(*answer).words);
}

void DescribeRebootOffer(char (&words)[kAnswerWordsSize]) {
    text::Copy(words, RebootRow(g_driver.rebootDefault).words);
}

// The reboot box answered unattended: Exit (see the unattended answers).
INT_PTR AnswerReboot(UnattendedRule rule) {
    return rule == kChooseExit ? kRebootEndLeave : RebootRow(g_driver.rebootDefault).end;
}

void DescribeRebootEnd(INT_PTR end, char (&words)[kAnswerWordsSize]) {
    const RebootButton* button = RebootButtonEndingWith(end);
    text::Copy(words, button ? button->words : kNoBoxWords);
}

const DialogReply kFunctionReply = {DescribeFunctionOffer, AnswerFunction, DescribeFunctionEnd};
const DialogReply kRebootReply = {DescribeRebootOffer, AnswerReboot, DescribeRebootEnd};

}  // namespace

int RunWorkflowDriver() {
    g_setup.updateServerSection = 0;
    ReadQvtlinit();
    g_setup.tsrInStartupFile = 0;
    g_setup.rebootNeeded = 0;
    if (!InitWindowsDirectories()) return 0;
    SetSystemAreaSource(ConfiguredSystemArea);

    if (g_setup.quietInstall) NoteWorkflowEnd(FunctionRow(kFunctionInstall).workflow, g_workflows.install());
    if (g_setup.updateSwitch) {
        NoteWorkflowEnd(FunctionRow(kFunctionUpdatePrograms).workflow, g_workflows.updatePrograms());
    }
    if (!g_setup.quietSwitch && !RunFunctionLoop()) return 0;

    if (g_setup.rebootNeeded && !g_setup.quietSwitch && !IsWindowsNT()) RunRebootLoop();
    return 1;
}

int NoteWorkflowEnd(const char* name, int result) {
    char reason[kOutcomeReasonSize];
    if (result) {
        text::Format(reason, "the %s completed", name);
        NoteOutcome(g_setup.outcome, kOutcomeCompleted, reason);
    } else if (!OutcomeExplainsStop(g_setup.outcome)) {
        text::Format(reason, "the %s stopped", name);
        NoteOutcome(g_setup.outcome, kOutcomeFailed, reason);
    }
    return result;
}

int AskFunction(SetupFunction& choice) {
    g_driver.functionChoice = choice;
    g_driver.functionAnswer = &choice;
    INT_PTR result = AskDialog(IDD_FUNCTION_BOX, FunctionDlgBox, kFunctionReply);
    g_driver.functionAnswer = nullptr;
    return result != -1 ? 1 : 0;
}

INT_PTR CALLBACK FunctionDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartFunctionBox, FunctionCommand});
}

int AskReboot(RebootChoice& choice) {
    g_driver.rebootDefault = choice;
    const RebootButton* button = RebootButtonEndingWith(AskDialog(IDD_REBOOT_BOX, RebootDlgBox, kRebootReply));
    choice = button ? button->choice : kRebootLeave;
    return button ? 1 : 0;
}

INT_PTR CALLBACK RebootDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartRebootBox, RebootCommand});
}
