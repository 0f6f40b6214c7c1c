// STNIN32.EXE's entry point: parse the command line, find the setup
// directory, create the main window, start the language library and post the
// first command; the whole job then runs inside that command's handler.
#include <windows.h>

#include "common/setup_context.h"
#include "startup/startup.h"
#include "ui/language.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    (void)previousInstance;
    SetErrorMode(SetErrorMode(0) | SEM_NOALIGNMENTFAULTEXCEPT);
    g_setup.appInstance = instance;
    StartRunRecord(commandLine);
    if (!ParseCommandLine(commandLine)) return EndRun(0);
    FindSetupDirectory();
    LogSetupDirectory();
    if (!RegisterMainWindowClass(instance)) return EndRunFailed("the main window class could not be registered");
    if (!CreateMainWindow(instance, showCommand)) return EndRunFailed("the main window could not be created");
    StartLanguage();
    // An unattended run never shows its window: nobody is there to see it.
    if (!g_setup.quietSwitch && !g_setup.unattended) ShowMainWindow(showCommand);
    PostMessageA(g_setup.mainWindow, WM_COMMAND, g_setup.uninstallMode ? IDM_UNINSTALL : IDM_RUN_DRIVER, 0);

    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ReleaseLanguage();
    ReleaseCtl3d(instance);
    ToWide(nullptr);
    return EndRun(static_cast<int>(msg.wParam));
}
