// The state a run of the program starts from, for in-process tests: every
// subsystem's run record put back by its own reset, so a test neither sees
// what an earlier test left nor resets fields by hand.
#pragma once

namespace tst {

// The run record as start-up leaves it with the main window shown (the
// application instance and the screen size set, no window, no switches), and
// every subsystem's record at its start state:
// - common: the Windows directories empty;
// - ui: no dialog starting, no question open, the wide-text scratch
//   released, the next yield the first;
// - config: no TELMORA.INI setting line marked written;
// - desktop: no Program Manager conversation, no old item names;
// - files: no source of the configured system area for the copy engine;
// - printers: no kit chosen, no flag set, the registry tables as shipped;
// - workflow: no function or reboot box open.
void FreshRunState();

}  // namespace tst
