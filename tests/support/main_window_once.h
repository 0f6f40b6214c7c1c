// The program's main window for in-process tests: created once per test
// executable (the Program Manager conversation and the progress line need
// it) and put back into the run record for every test that asks.
#pragma once

namespace tst {

// Makes g_setup.mainWindow the executable's one main window, registering its
// class and creating it on the first call.
void UseMainWindow();

}  // namespace tst
