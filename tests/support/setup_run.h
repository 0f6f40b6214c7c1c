// Runs of the real STNIN32.EXE from the demo share (drive F: of every test
// prefix) as a 32-bit setup program sees the PC: F:\SYSTEM\WIN32\STNIN32.EXE
// started in F:\SYSTEM\ on an x86 PC (support/x86_pc.h). Its boxes are told in
// the vocabulary of support/dialog_driver.h: each box that comes is checked
// against the next expectation and answered; one beyond them fails the run
// and is closed (CloseBox), so that the program ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/dialog_driver.h"

namespace tst {

extern const char kSetupDirectory[];    // F:\SYSTEM\ (the program's working directory)
extern const char kSetupTitle[];        // "Telmora installation"
extern const char kFunctionQuestion[];  // the function box's first line
const DWORD kSetupTimeoutMs = 30000;    // for each box and for the end of a run

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

// Runs the cases in order, each after `clean` and under SCOPED_TRACE of its name.
void RunCases(const std::vector<RunCase>& cases, void (*clean)());

// Deletes the WIN.INI entries of a Windows 95 installation's fax printers and
// the default printer: on Windows NT the removal would find the port and ask
// to stop the spooler.
void RemoveWin95PrinterEntries();

}  // namespace tst
