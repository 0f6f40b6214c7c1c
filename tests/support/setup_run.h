// Runs of the real STNIN32.EXE from the demo share (drive F: of every test
// prefix) as a 32-bit setup program sees the PC: F:\SYSTEM\WIN32\STNIN32.EXE
// started in F:\SYSTEM\ on an x86 PC (support/x86_pc.h). Its boxes are told in
// the vocabulary of support/dialog_driver.h: each box that comes is checked
// against the next expectation and answered; one beyond them fails the run
// and is closed (CloseBox), so that the program ends. A box once answered is
// not touched again while it exists: a program that asks again in the same
// window shows as a box that never came.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/dialog_driver.h"

namespace tst {

extern const char kSetupDirectory[];    // F:\SYSTEM\ (the program's working directory)
extern const char kSetupTitle[];        // "Telmora installation"
extern const char kFunctionQuestion[];  // the function box's first line
// For each box and the end of a run. The longest gap between boxes, the NT
// Multisend printer's retries, is 13 s natively, 14 s emulated (11 s pauses).
const DWORD kSetupTimeoutMs = 60000;

// The function box: `choice` clicked, then OK; for IDC_FUNCTION_QUIT, Quit
// must be what the box offers.
Expectation FunctionBox(int choice, const char* title = kSetupTitle, const char* question = kFunctionQuestion);

struct RunReport {
    DWORD exitCode = 1;
    std::string problems;  // "" when every box came as expected and the program ended
};

// One run; `observe`, when given, sees each expected box before it is answered.
RunReport RunSetupProgram(const std::string& arguments, const std::vector<Expectation>& boxes,
                          const std::vector<std::string>& environment = {},
                          void (*observe)(HWND box, const Expectation& expected) = nullptr);

// The run in a test: its problems and an exit code other than 0 fail the test.
void ExpectRun(const std::string& arguments, const std::vector<Expectation>& boxes,
               const std::vector<std::string>& environment = {});

// One end-to-end case: the PC made ready, the run with every box it must show,
// then what must hold. `windows`: the Windows Wine shows STNIN32.EXE ("win95",
// "nt40"...), null for Wine's own.
struct RunCase {
    const char* name;
    const char* windows;
    void (*prepare)();
    std::string arguments;
    std::vector<std::string> environment;
    std::vector<Expectation> boxes;
    void (*check)();
};

// Makes STNIN32.EXE see `windows` ("win95", "nt40"...); null: Wine's own.
void UseWindows(const char* windows);

// Runs the cases in order, each after `clean` and under SCOPED_TRACE of its name.
void RunCases(const std::vector<RunCase>& cases, void (*clean)());

// The share's fax client running on this PC (window class "Quen"), started
// from F:\SYSTEM\I386\ over a copy in the Windows directory, as installed,
// until StopClient; false when its window never came.
bool StartClient();
void StopClient();

// Deletes the WIN.INI entries of a Windows 95 installation's fax printers and
// the default printer: on Windows NT the removal would find the port and ask
// to stop the spooler.
void RemoveWin95PrinterEntries();

}  // namespace tst
