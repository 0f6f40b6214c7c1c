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
};

const FunctionButton kFunctionButtons[] = {
    {IDC_FUNCTION_INSTALL, kFunctionInstall},
    {IDC_FUNCTION_EDIT, kFunctionEditConfig},
    {IDC_FUNCTION_COPY, kFunctionCopyPrograms},
    {IDC_FUNCTION_UPDATE, kFunctionUpdatePrograms},
    {IDC_FUNCTION_UNINSTALL, kFunctionUninstall},
    {IDC_FUNCTION_QUIT, kFunctionQuit},
};

void ReadQvtlinit() {
    text::CopyPrefix(g_setup.qvtlinitValue, std::getenv("QVTLINIT"), kQvtlinitCopyLimit);
    if (g_setup.qvtlinitValue[0] != '\0') AddTrailingBackslash(g_setup.qvtlinitValue);
}

// Runs the workflow of `choice`; Quit runs nothing and keeps `lastResult`.
int RunChoice(SetupFunction choice, int lastResult) {
    switch (choice) {
        case kFunctionInstall:
            return g_workflows.install();
        case kFunctionEditConfig:
            return g_workflows.editConfiguration();
        case kFunctionCopyPrograms:
            return g_workflows.copyPrograms();
        case kFunctionUpdatePrograms:
            return g_workflows.updatePrograms();
        case kFunctionUninstall:
            g_setup.uninstallMode = 1;  // stays set for the rest of the run
            return g_workflows.uninstall();
        default:
            return lastResult;
    }
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

void EndFunctionBox(HWND dialog, SetupFunction answer) {
    if (g_driver.functionAnswer) *g_driver.functionAnswer = answer;
    EndDialog(dialog, 0);
}

int RebootDefaultButton(RebootChoice choice) {
    if (choice == kRebootRestart) return IDC_REBOOT;
    if (choice == kRebootReturnToDos) return IDC_RETURN_TO_DOS;
    return IDC_REBOOT_EXIT;
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
    int defaultButton = RebootDefaultButton(g_driver.rebootDefault);
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

}  // namespace

int RunWorkflowDriver() {
    g_setup.updateServerSection = 0;
    ReadQvtlinit();
    g_setup.tsrInStartupFile = 0;
    g_setup.rebootNeeded = 0;
    if (!InitWindowsDirectories()) return 0;
    SetSystemAreaSource(ConfiguredSystemArea);

    if (g_setup.quietInstall) g_workflows.install();
    if (g_setup.updateSwitch) g_workflows.updatePrograms();
    if (!g_setup.quietSwitch && !RunFunctionLoop()) return 0;

    if (g_setup.rebootNeeded && !g_setup.quietSwitch && !IsWindowsNT()) RunRebootLoop();
    return 1;
}

int AskFunction(SetupFunction& choice) {
    g_driver.functionChoice = choice;
    g_driver.functionAnswer = &choice;
    INT_PTR result = RunDialog(g_setup.appInstance, IDD_FUNCTION_BOX, g_setup.mainWindow, FunctionDlgBox, 0);
    g_driver.functionAnswer = nullptr;
    return result != -1 ? 1 : 0;
}

INT_PTR CALLBACK FunctionDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartFunctionBox, FunctionCommand});
}

int AskReboot(RebootChoice& choice) {
    g_driver.rebootDefault = choice;
    INT_PTR result = RunDialog(g_setup.appInstance, IDD_REBOOT_BOX, g_setup.mainWindow, RebootDlgBox, 0);
    if (result == kRebootEndRestart) {
        choice = kRebootRestart;
    } else if (result == kRebootEndReturnToDos) {
        choice = kRebootReturnToDos;
    } else {
        choice = kRebootLeave;
    }
    return result == kRebootEndRestart || result == kRebootEndReturnToDos || result == kRebootEndLeave ? 1 : 0;
}

INT_PTR CALLBACK RebootDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogSteps(dialog, message, wParam, lParam, {StartRebootBox, RebootCommand});
}
