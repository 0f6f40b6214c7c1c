// Start-up: the time from CreateProcess until STNIN32.EXE shows its main
// window (class "TelmoraInstall"), and until its function box is up, against
// the time a minimal Win32 program needs to show its window. The program runs
// from the demo share (F:\SYSTEM\WIN32\STNIN32.EXE in F:\SYSTEM\) as a user
// would start it. The two alternate; one untimed start of each comes first.
//
// Usage: startup_bench.exe <minimal window program> [repetitions (10)]
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "support/process_driver.h"
#include "support/x86_pc.h"

namespace {

const int kDefaultRepetitions = 10;
const DWORD kStartTimeoutMs = 30000;
const DWORD kPollMs = 1;
const DWORD kSettleMs = 200;  // lets the killed child's windows go

const char kProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kMainWindowClass[] = "TelmoraInstall";
const char kDialogClass[] = "#32770";
const char kMinimalWindowClass[] = "TelmoraBenchWindow";

struct StartTimes {
    double window = 0;            // CreateProcess to the visible main window
    double box = 0;               // CreateProcess to the visible function box
    unsigned long long peak = 0;  // peak working set once the last window is up
};

// Starts `program` and times its windows: `windowClass`, then (when given)
// `nextClass`. The child is killed afterwards.
bool TimeStart(const std::string& program, const char* directory, const char* windowClass, const char* nextClass,
               StartTimes* times) {
    tst::ChildProcess child;
    if (directory) child.SetDirectory(directory);
    double start = bench::NowMs();
    if (!child.Start(program, "", tst::X86ChildEnvironment())) {
        std::fprintf(stderr, "%s\n", child.Describe().c_str());
        return false;
    }
    HANDLE process = bench::OpenForWatching(child.ProcessId());
    DWORD id = child.ProcessId();
    bool ok = bench::WaitUntil(process, kStartTimeoutMs, kPollMs,
                               [&] { return bench::FindVisibleWindow(id, windowClass) != nullptr; });
    times->window = bench::NowMs() - start;
    if (ok && nextClass) {
        ok = bench::WaitUntil(process, kStartTimeoutMs, kPollMs,
                              [&] { return bench::FindVisibleWindow(id, nextClass) != nullptr; });
        times->box = bench::NowMs() - start;
    }
    times->peak = bench::PeakWorkingSet(process);
    if (!ok) std::fprintf(stderr, "no window of %s\n%s\n", program.c_str(), child.Describe().c_str());
    if (process) CloseHandle(process);
    child.Kill();
    Sleep(kSettleMs);
    return ok;
}

struct Series {
    bench::Samples window;
    bench::Samples box;
    unsigned long long peak = 0;

    void Add(const StartTimes& times) {
        window.ms.push_back(times.window);
        box.ms.push_back(times.box);
        if (times.peak > peak) peak = times.peak;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return bench::Fail("usage: startup_bench.exe <minimal window program> [repetitions]");
    std::string minimal = argv[1];
    int repetitions = bench::ArgumentOr(argc, argv, 2, kDefaultRepetitions);

    auto startSetup = [&](StartTimes* times) {
        return TimeStart(kProgram, kSetupDirectory, kMainWindowClass, kDialogClass, times);
    };
    auto startMinimal = [&](StartTimes* times) {
        return TimeStart(minimal, nullptr, kMinimalWindowClass, nullptr, times);
    };
    StartTimes first;
    if (!startMinimal(&first) || !startSetup(&first)) return bench::Fail("a warm-up start failed");

    Series setup;
    Series baseline;
    for (int i = 0; i < repetitions; ++i) {
        StartTimes times;
        if (!startMinimal(&times)) return bench::Fail("the minimal program did not show its window");
        baseline.Add(times);
        if (!startSetup(&times)) return bench::Fail("STNIN32.EXE did not show its windows");
        setup.Add(times);
    }

    std::printf("Start-up from CreateProcess, median of %d (min to max):\n\n", repetitions);
    bench::PrintHeader({"program", "window shown", "min to max", "over minimal", "peak working set"});
    bench::PrintRow({"minimal Win32 program", bench::FormatMs(baseline.window.Median()),
                     bench::FormatRange(baseline.window), "1", bench::FormatBytes(baseline.peak)});
    bench::PrintRow({"STNIN32.EXE main window", bench::FormatMs(setup.window.Median()),
                     bench::FormatRange(setup.window),
                     bench::FormatRatio(setup.window.Median(), baseline.window.Median()), "-"});
    bench::PrintRow({"STNIN32.EXE function box", bench::FormatMs(setup.box.Median()), bench::FormatRange(setup.box),
                     bench::FormatRatio(setup.box.Median(), baseline.window.Median()), bench::FormatBytes(setup.peak)});
    return 0;
}
