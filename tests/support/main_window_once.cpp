// The program's main window for in-process tests: see main_window_once.h.
#include "support/main_window_once.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/setup_context.h"
#include "startup/startup.h"

namespace tst {

void UseMainWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSEXA existing = {};
        existing.cbSize = sizeof existing;
        if (!GetClassInfoExA(g_setup.appInstance, kMainWindowClass, &existing)) {
            EXPECT_NE(RegisterMainWindowClass(g_setup.appInstance), 0);
        }
        EXPECT_EQ(CreateMainWindow(g_setup.appInstance, SW_SHOW), 1);
        window = g_setup.mainWindow;
    }
    g_setup.mainWindow = window;
}

}  // namespace tst
