// What the TELMORA.INI code keeps from one call to the next: the written-marks
// of the setting lines of the section being written (WriteSettingLine). The
// reader's verdict whether [SERVER] is to be brought up to date is the run
// record's updateServerSection. Pure: no windows.h.
#pragma once

#include "config/config_values.h"

struct ConfigRunState {
    int settingWritten[kWorkstationKeyCount];  // 1 once the section holds the key's line
};

extern ConfigRunState g_config;

// No setting line written: the state at program start and at the start of
// every section the writer rebuilds.
void ResetConfigRunState();
