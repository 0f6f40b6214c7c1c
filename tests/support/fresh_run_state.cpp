// The start state of a run, from each subsystem's own reset.
#include "support/fresh_run_state.h"

#include <windows.h>

#include "common/setup_context.h"
#include "common/windows_directories.h"
#include "config/config_state.h"
#include "desktop/desktop_state.h"
#include "files/copy_engine.h"
#include "printers/printer_state.h"
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

}  // namespace tst
