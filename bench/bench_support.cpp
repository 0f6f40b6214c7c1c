// Clock, medians and table rows for the benchmark programs.
#include "bench_support.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Samples::Median() const {
    if (ms.empty()) return 0;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double Samples::Min() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }

double Samples::Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }

Samples Measure(int repetitions, const std::function<void()>& prepare, const std::function<bool()>& run, bool* ok) {
    Samples samples;
    if (ok) *ok = true;
    for (int i = 0; i < repetitions; ++i) {
        if (prepare) prepare();
        double start = NowMs();
        bool done = run();
        double elapsed = NowMs() - start;
        if (!done) {
            if (ok) *ok = false;
            break;
        }
        samples.ms.push_back(elapsed);
    }
    return samples;
}

std::string FormatMs(double ms) {
    char cell[32];
    if (ms >= 100) {
        std::snprintf(cell, sizeof cell, "%.0f ms", ms);
    } else if (ms >= 10) {
        std::snprintf(cell, sizeof cell, "%.1f ms", ms);
    } else {
        std::snprintf(cell, sizeof cell, "%.2f ms", ms);
    }
    return cell;
}

std::string FormatRange(const Samples& samples) { return FormatMs(samples.Min()) + " to " + FormatMs(samples.Max()); }

std::string FormatRatio(double numerator, double denominator) {
    if (denominator <= 0) return "-";
    char cell[32];
    std::snprintf(cell, sizeof cell, "x %.1f", numerator / denominator);
    return cell;
}

std::string FormatBytes(unsigned long long bytes) {
    char cell[32];
    std::snprintf(cell, sizeof cell, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return cell;
}

void PrintRow(const std::vector<std::string>& cells) {
    std::string row = "|";
    for (const std::string& cell : cells) row += " " + cell + " |";
    std::printf("%s\n", row.c_str());
    std::fflush(stdout);
}

void PrintHeader(const std::vector<std::string>& cells) {
    PrintRow(cells);
    PrintRow(std::vector<std::string>(cells.size(), "---"));
}

HANDLE OpenForWatching(DWORD processId) {
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, processId);
}

unsigned long long PeakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = "";
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindVisibleWindow(DWORD processId, const char* className) {
    WindowSearch search = {processId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Press(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

bool WaitUntil(HANDLE process, DWORD timeoutMs, DWORD pollMs, const std::function<bool()>& probe) {
    DWORD start = GetTickCount();
    for (;;) {
        if (probe()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, pollMs, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) return probe();
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

int ArgumentOr(int argc, char** argv, int index, int fallback) {
    if (index >= argc) return fallback;
    int value = std::atoi(argv[index]);
    return value > 0 ? value : fallback;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "bench: %s\n", what.c_str());
    return 1;
}

}  // namespace bench
