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
const DWORD kPollMs = 50;

// The next box to answer: one no answer was posted to. A box is not touched
// once answered: it may be closing, and under emulation a message reaching a
// box that Wine destroys can end the program. An answered box seen gone
// leaves the list, so its handle may serve a new one.
HWND NextBox(ChildProcess& child, std::vector<HWND>& answered) {
    for (DWORD start = GetTickCount();; child.WaitForExit(kPollMs, nullptr)) {
        answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND w) { return !IsWindow(w); }),
                       answered.end());
        HWND box = child.WaitForBox(0, answered);
        if (box || !child.Running() || GetTickCount() - start >= kSetupTimeoutMs) return box;
    }
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
    std::vector<HWND> answered;
    std::string shown;  // every box taken, in order
    for (const Expectation& expected : boxes) {
        HWND box = NextBox(child, answered);
        if (!box) {
            report.problems += "expected " + expected.Describe() + ", but none came\n";
            break;
        }
        shown += "\n  \"" + BoxText(box) + "\"";
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
    if (!report.problems.empty()) report.problems += child.Describe() + "; boxes answered:" + shown + "\n";
    return report;
}

void ExpectRun(const std::string& arguments, const std::vector<Expectation>& boxes,
               const std::vector<std::string>& environment) {
    RunReport report = RunSetupProgram(arguments, boxes, environment);
    EXPECT_EQ(report.problems, "") << "STNIN32.EXE " << arguments;
    EXPECT_EQ(report.exitCode, 0u) << "STNIN32.EXE " << arguments;
}

void UseWindows(const char* windows) {
    if (!windows) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaultsKey);
        return;
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, kAppDefaultsKey, "Version", REG_SZ, windows,
                    static_cast<DWORD>(std::strlen(windows) + 1));
}

void RunCases(const std::vector<RunCase>& cases, void (*clean)()) {
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        clean();
        UseWindows(c.windows);
        c.prepare();
        ExpectRun(c.arguments, c.boxes, c.environment);
        UseWindows(nullptr);
        c.check();
    }
    clean();
}

namespace {
ChildProcess* g_client = nullptr;
}  // namespace

bool StartClient() {
    CopyFileA("F:\\SYSTEM\\I386\\TELMORA.EXE", "C:\\windows\\TELMORA.EXE", FALSE);
    g_client = new ChildProcess;
    return g_client->Start("F:\\SYSTEM\\I386\\TELMORA.EXE", "") && g_client->WaitForWindow("Quen", kSetupTimeoutMs);
}

void StopClient() {
    delete g_client;
    g_client = nullptr;
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
