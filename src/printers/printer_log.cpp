// The action log's spooler lines: see printer_log.h.
#include "printers/printer_log.h"

#include "common/action_log.h"

int LogPrinterAddition(int added, DWORD alreadyThere, const char* what, const char* name) {
    DWORD error = added ? ERROR_SUCCESS : GetLastError();
    if (added) {
        LogAction(kLogPrinter, "%s %s added", what, name);
    } else if (error == alreadyThere) {
        LogAction(kLogPrinter, "%s %s already there", what, name);
    } else {
        LogAction(kLogPrinter, "%s %s could not be added: Windows error %lu", what, name, error);
    }
    return added || error == alreadyThere;
}

void LogPrinterRemoval(int removed, const char* what, const char* name) {
    if (removed) {
        LogAction(kLogPrinter, "%s %s removed", what, name);
    } else {
        LogAction(kLogPrinter, "%s %s could not be removed: Windows error %lu", what, name, GetLastError());
    }
}
