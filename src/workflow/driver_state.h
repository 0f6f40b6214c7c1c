// What the workflow driver keeps from one call to the next during a run: the
// parameters of the function box or reboot box that is open (one dialog at a
// time). One record, one reset.
#pragma once

#include "workflow/workflow_driver.h"

struct DriverRunState {
    SetupFunction functionChoice;   // the function box's checked choice
    SetupFunction* functionAnswer;  // where the function box puts its answer; null while closed
    RebootChoice rebootDefault;     // the reboot box's default button
};

extern DriverRunState g_driver;

// No box open, Install and Restart proposed: the state at program start.
void ResetDriverRunState();
