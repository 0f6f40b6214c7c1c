// The program's main window for in-process tests (the Program Manager
// conversation and the progress line need it): registered and created on
// the first call, once per test executable, and made g_setup.mainWindow.
#pragma once

namespace tst {

void UseMainWindow();

}  // namespace tst
