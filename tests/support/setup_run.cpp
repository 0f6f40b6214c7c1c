// Runs of the real STNIN32.EXE from the demo share: see setup_run.h.
#include "support/setup_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/process_driver.h"
#include "support/x86_pc.h"
#include "ui/resource_ids.h"

namespace tst {

const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kSetupTitle[] = "Telmora installation";
const char kFunctionQuestion[] = "What function do you want to perform?";

namespace {

const char kSetupProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kAppDefaultsKey[] = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
const int kMaxUnexpectedBoxes = 5;
const DWORD kSettleMs = 200;

// The next box to answer. One answered before counts again only when it stays:
// a question under a box that has just closed is enabled again for a moment
// before it ends too.
HWND NextBox(ChildProcess& child, const std::vector<HWND>& answered) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kSetupTimeoutMs;) {
        HWND box = child.WaitForBox(kSetupTimeoutMs);
        if (!box || std::find(answered.begin(), answered.end(), box) == answered.end()) return box;
        child.WaitForExit(kSettleMs, nullptr);
        if (child.WaitForBox(0) == box && box != answered.back()) return box;
    }
    return nullptr;
}

}  // namespace

Expectation FunctionBox(int choice, const char* title, const char* question) {
    Expectation box = DialogExpect(title, {question}).Press(IDOK);
    return choice == IDC_FUNCTION_QUIT ? box.Checked(choice) : box.Click(choice);
}

RunReport RunSetupProgram(const std::string& arguments, const std::vector<Expectation>& boxes,
                          const std::vector<std::string>& environment,
                          void (*observe)(HWND box, const Expectation& expected)) {
    RunReport report;
    ChildProcess child;
    std::vector<std::string> all = environment;
    for (const std::string& entry : X86ChildEnvironment()) all.push_back(entry);
    child.SetDirectory(kSetupDirectory);
    if (!child.Start(kSetupProgram, arguments, all)) return {1, "cannot start STNIN32.EXE " + arguments};
    std::vector<HWND> answered = {nullptr};
    for (const Expectation& expected : boxes) {
        HWND box = NextBox(child, answered);
        if (!box) {
            report.problems += "expected " + expected.Describe() + ", but none came\n";
            break;
        }
        if (observe) observe(box, expected);
        report.problems += CheckAndAnswer(box, expected);
        answered.push_back(box);
    }
    for (int unexpected = 0; !child.WaitForExit(0, &report.exitCode) && unexpected < kMaxUnexpectedBoxes; ++unexpected) {
        HWND box = NextBox(child, answered);
        if (!box) break;
        report.problems += "unexpected box \"" + BoxText(box) + "\"; closing it\n";
        CloseBox(box);
        answered.push_back(box);
    }
    if (!child.WaitForExit(kSetupTimeoutMs, &report.exitCode)) {
        report.problems += "the program did not end\n";
        child.Kill();
    }
    if (!report.problems.empty()) report.problems += child.Describe() + "\n";
    return report;
}

void ExpectRun(const std::string& arguments, const std::vector<Expectation>& boxes,
               const std::vector<std::string>& environment) {
    RunReport report = RunSetupProgram(arguments, boxes, environment);
    EXPECT_EQ(report.problems, "") << "STNIN32.EXE " << arguments;
    EXPECT_EQ(report.exitCode, 0u) << "STNIN32.EXE " << arguments;
}

void RunCases(const std::vector<RunCase>& cases, void (*clean)()) {
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        clean();
        if (c.windows) {
            RegSetKeyValueA(HKEY_CURRENT_USER, kAppDefaultsKey, "Version", REG_SZ, c.windows,
                            static_cast<DWORD>(std::strlen(c.windows) + 1));
        }
        c.prepare();
        ExpectRun(c.arguments, c.boxes, c.environment);
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaultsKey);
        c.check();
    }
    clean();
}

void RemoveWin95PrinterEntries() {
    for (const char* printer : {"Telmora Printer", "Telmora Multisend Printer"}) {
        WriteProfileStringA("devices", printer, nullptr);
        WriteProfileStringA("PrinterPorts", printer, nullptr);
    }
    for (const char* port : {"TELMORA.SPL", "c:\\windows\\telmora.spl"}) WriteProfileStringA("ports", port, nullptr);
    WriteProfileStringA("windows", "device", nullptr);
}

}  // namespace tst
