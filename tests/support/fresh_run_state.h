// The state a run of the program starts from, for in-process tests: every
// subsystem's run record put back by its own reset, so a test neither sees
// what an earlier test left nor resets fields by hand.
#pragma once

namespace tst {

// The run record as start-up leaves it with the main window shown (the
// application instance and the screen size set, no window, no switches) and
// every other run record at its start state: the Windows directories empty,
// no Program Manager conversation and no old item names, no source of the
// configured system area for the copy engine, no printer kit chosen nor
// printer flag set and the printer registry tables as shipped.
void FreshRunState();

}  // namespace tst
