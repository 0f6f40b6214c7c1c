// The TELMORA.INI code's run-wide record and its reset. Pure: no windows.h.
#include "config/config_state.h"

ConfigRunState g_config;

void ResetConfigRunState() { g_config = ConfigRunState(); }
