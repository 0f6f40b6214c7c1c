// What the desktop integration keeps from one call to the next during a run:
// the Program Manager conversation in progress (its partner, the command the
// server holds, the status of the last acknowledgement, whether the initiate
// is out) and the names the client's items had in the language in force
// before the language files were replaced. One record, one reset.
#pragma once

#include <windows.h>

#include "common/setup_context.h"

struct DesktopRunState {
    HWND ddePartner;         // the Program Manager server; kNoDdePartner when there is none
    HGLOBAL pendingCommand;  // the command posted last, while the server holds it
    unsigned lastAckStatus;  // status word of the last execute's acknowledgement
    bool initiating;         // the initiate's broadcast is out: acknowledgements answer it
    char oldClientItemName[kMessageSize];
    char oldSetupItemName[kMessageSize];
    char oldWelcomeItemName[kMessageSize];
};

// The partner of no conversation.
extern const HWND kNoDdePartner;  // (HWND)-1

extern DesktopRunState g_desktop;

// Puts g_desktop back to its state at program start: no partner, nothing
// pending, no old item names.
void ResetDesktopRunState();
