// The function box, the workflow driver and the reboot box.
#pragma once

#include <windows.h>

enum SetupFunction : short {
    kFunctionInstall = 1,
    kFunctionEditConfig = 2,
    kFunctionCopyPrograms = 3,
    kFunctionUpdatePrograms = 4,
    kFunctionUninstall = 5,
    kFunctionQuit = 6,
};

enum RebootChoice : short {
    kRebootRestart = 1,
    kRebootReturnToDos = 2,
    kRebootLeave = 3,
};

int RunWorkflowDriver();

// Notes in the run's outcome how the workflow `name` ("installation"...)
// ended: completed, or, when nothing noted so far explains it, failed.
// Returns `result`.
int NoteWorkflowEnd(const char* name, int result);
int AskFunction(SetupFunction& choice);
int AskReboot(RebootChoice& choice);
INT_PTR CALLBACK FunctionDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RebootDlgBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The workflows the function box runs. Tests may point an entry at a stand-in
// for one scope; the program never changes them.
struct SetupWorkflows {
    int (*install)();
    int (*editConfiguration)();
    int (*copyPrograms)();
    int (*updatePrograms)();
    int (*uninstall)();
};
extern SetupWorkflows g_workflows;
