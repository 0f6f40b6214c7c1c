// The workflow driver's run-wide record and its reset.
#include "workflow/driver_state.h"

namespace {

const DriverRunState kStartState = {kFunctionInstall, nullptr, kRebootRestart};

}  // namespace

DriverRunState g_driver = kStartState;

void ResetDriverRunState() { g_driver = kStartState; }
