// The action log's WIN.INI lines: see win_ini_log.h.
#include "common/win_ini_log.h"

#include <windows.h>

#include "common/action_log.h"

void LogWinIniEntry(int written, const char* section, const char* key, const char* value) {
    if (!written) {
        LogAction(kLogWinIni, "[%s] %s could not be %s: Windows error %lu", section, key, value ? "written" : "removed",
                  GetLastError());
    } else if (value) {
        LogAction(kLogWinIni, "[%s] %s=%s", section, key, value);
    } else {
        LogAction(kLogWinIni, "[%s] %s removed (if it was there)", section, key);
    }
}
