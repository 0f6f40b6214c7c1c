// The state a run of the program starts from, for in-process tests: the run
// record as start-up leaves it (the application instance and the screen size
// set, no window, no switches) and every subsystem's record put back by its
// own reset, so a test neither sees what an earlier test left nor resets
// fields by hand.
#pragma once

namespace tst {

void FreshRunState();

}  // namespace tst
