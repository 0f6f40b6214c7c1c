// Shared pieces of the benchmark programs: a high-resolution clock, repeated
// measurements with their median, and the Markdown rows the programs print.
// Every measurement is taken side by side with its baseline in one run, so the
// ratios compare like with like on whatever machine runs them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

// Milliseconds from an arbitrary start, from QueryPerformanceCounter.
double NowMs();

// The times of one operation's repetitions.
struct Samples {
    std::vector<double> ms;

    double Median() const;
    double Min() const;
    double Max() const;
};

// Runs `prepare` (untimed) and then `run` (timed) `repetitions` times. A run
// that returns false stops the measurement; `ok` (when given) tells.
Samples Measure(int repetitions, const std::function<void()>& prepare, const std::function<bool()>& run,
                bool* ok = nullptr);

// "12.3 ms" style cells: milliseconds with a precision that suits their size.
std::string FormatMs(double ms);
// "12.3 ms to 45.6 ms": the smallest and the largest sample.
std::string FormatRange(const Samples& samples);
// "x 4.2" style cells for a ratio; "-" when the divisor is zero.
std::string FormatRatio(double numerator, double denominator);
// "12.3 MiB" style cells for a byte count.
std::string FormatBytes(unsigned long long bytes);

// Prints one Markdown table row from its cells.
void PrintRow(const std::vector<std::string>& cells);
// Prints the header row and the separator row of a Markdown table.
void PrintHeader(const std::vector<std::string>& cells);

// --- Child processes

// A handle to process `processId` for waiting and for its memory counters;
// null when it cannot be opened. The caller closes it.
HANDLE OpenForWatching(DWORD processId);

// The peak working set of `process` in bytes; 0 when it cannot be read.
unsigned long long PeakWorkingSet(HANDLE process);

// A visible top-level window of class `className` owned by `processId`;
// null when there is none.
HWND FindVisibleWindow(DWORD processId, const char* className);

// Posts the command of button `id` to `box`, a box of another process.
void Press(HWND box, int id);

// Calls `probe` every `pollMs` until it returns true (then true), the time
// runs out or `process` ends (then false). Messages that other processes send
// to this thread meanwhile are handled, so a child that broadcasts cannot
// block on the benchmark.
bool WaitUntil(HANDLE process, DWORD timeoutMs, DWORD pollMs, const std::function<bool()>& probe);

// A positive whole number from argv[index], or `fallback` when absent or bad.
int ArgumentOr(int argc, char** argv, int index, int fallback);

// Reports a failed step on stderr and returns 1, for main's exit status.
int Fail(const std::string& what);

}  // namespace bench
