// The desktop integration's run-wide record and its reset.
#include "desktop/desktop_state.h"

const HWND kNoDdePartner = reinterpret_cast<HWND>(-1);

namespace {

DesktopRunState StartState() {
    DesktopRunState state = {};
    state.ddePartner = kNoDdePartner;
    return state;
}

}  // namespace

DesktopRunState g_desktop = StartState();

void ResetDesktopRunState() { g_desktop = StartState(); }
