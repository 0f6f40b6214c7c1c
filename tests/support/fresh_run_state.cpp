// The start state of a run, from each subsystem's own reset; and the one main
// window of a test executable.
#include "support/fresh_run_state.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/setup_context.h"
#include "common/windows_directories.h"
#include "config/config_state.h"
#include "desktop/desktop_state.h"
#include "files/copy_engine.h"
#include "printers/printer_state.h"
#include "startup/startup.h"
#include "ui/ui_state.h"
#include "workflow/driver_state.h"

namespace tst {

void FreshRunState() {
    g_setup = SetupContext();
    g_setup.appInstance = GetModuleHandleA(nullptr);
    g_setup.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_setup.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    g_directories = WindowsDirectories();
    ResetUiRunState();
    ResetConfigRunState();
    ResetDesktopRunState();
    SetSystemAreaSource(nullptr);
    ResetPrinterRunState();
    ResetDriverRunState();
}

void UseMainWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSA existing;
        if (!GetClassInfoA(g_setup.appInstance, kMainWindowClass, &existing)) {
            EXPECT_NE(RegisterMainWindowClass(g_setup.appInstance), 0);
        }
        EXPECT_EQ(CreateMainWindow(g_setup.appInstance, SW_SHOW), 1);
        window = g_setup.mainWindow;
    }
    g_setup.mainWindow = window;
}

}  // namespace tst
