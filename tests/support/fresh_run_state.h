// The state a run of the program starts from, for in-process tests: the run
// record as start-up leaves it (the application instance and the screen size
// set, no window, no switches) and every subsystem's record put back by its
// own reset, so a test neither sees what an earlier test left nor resets
// fields by hand.
#pragma once

namespace tst {

void FreshRunState();

// The program's main window (the Program Manager conversation and the progress
// line need it): created on the first call, once per test executable, and made
// g_setup.mainWindow.
void UseMainWindow();

}  // namespace tst
