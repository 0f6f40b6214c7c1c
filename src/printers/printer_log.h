// The action log's lines about what the spooler was asked to add or take
// away (printers, drivers, port monitors, print processors, ports), in one
// form for installation and removal. Call each right after the spooler call:
// a refusal is logged with the thread's last error, which stays as it was.
#pragma once

#include <windows.h>

// "printer: <what> <name> added", "... already there" when the call failed
// with `alreadyThere`, else "... could not be added: Windows error <n>".
// Returns 1 when it was added or already there.
int LogPrinterAddition(int added, DWORD alreadyThere, const char* what, const char* name);

// "printer: <what> <name> removed", else "... could not be removed:
// Windows error <n>".
void LogPrinterRemoval(int removed, const char* what, const char* name);
