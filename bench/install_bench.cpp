// A whole quiet installation from the demo share on the Windows 95
// personality (F:\SYSTEM\WIN32\STNIN32.EXE /Q in F:\SYSTEM\, with a
// TELMORA.INI whose areas pass, on an x86 PC), side by side
// with an NSIS installer that does the same job (bench/telmora.nsi), a plain
// CopyFileA loop over the files the installation copies from the share, and
// a minimal window program; and the same quiet installation with the action
// log and the unattended run switched on (TELMORA_SETUP_LOG,
// TELMORA_SETUP_UNATTENDED), which must cost next to nothing.
//
// Each run is one process of this program in a fresh copy of the test prefix
// (scripts/bench.sh starts them in turn, interleaved). It warms the Wine
// server up, times its child from CreateProcess to the exit, and compares
// what the child changed on the PC (tst::Snapshot) with what the reference
// installation changed: a run that did not do the whole job is reported and
// not counted.
//
//   install_bench.exe job JOBFILE                   the reference installation:
//                                                   writes what it changed to JOBFILE
//   install_bench.exe run KIND JOBFILE PROGRAM      one timed run of KIND (program,
//                                                   logged, nsis, copy or window): prints
//                                                   "ok KIND MS PEAK" or "failed KIND MS why"
//   install_bench.exe copy SOURCE TARGET ...        the CopyFileA loop itself
//   install_bench.exe summary RESULTS               the table from the result lines
//                                                   ("ROUND ok KIND MS PEAK")
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "support/dialog_driver.h"
#include "support/process_driver.h"
#include "support/snapshot.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace {

const DWORD kRunTimeoutMs = 120000;
const DWORD kPollMs = 20;
const int kMessageTextId = 0xFFFF;  // the text of a message box

const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kShare[] = "F:\\";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kExistingConfig[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";
// The Windows version Wine reports to every program of the PC, so that all
// runs start as programs on Windows 95 do.
const char kPersonalityKey[] = "Software\\Wine";
const char kWindows95[] = "win95";
// The log lies in a subdirectory of the Windows directory, which the job does not look at.
const char kLogVariable[] = "TELMORA_SETUP_LOG=C:\\windows\\temp\\setup.log";
const char kUnattendedVariable[] = "TELMORA_SETUP_UNATTENDED=1";

// The kinds of run, in the order of the table.
struct Kind {
    const char* name;
    const char* arguments;  // what the child is started with
    const char* row;        // its row in the table
    bool logged;            // with the action log and the unattended run
};
const Kind kKinds[] = {
    {"program", "/Q", "STNIN32.EXE /Q", false},
    {"logged", "/Q", "STNIN32.EXE /Q, action log and unattended", true},
    {"nsis", "/S", "NSIS installer, same job", false},
    {"copy", "copy", "CopyFileA loop, same files", false},
    {"window", "/Q", "minimal window program", false},
};

std::string Upper(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool EndsWith(const std::string& text, const char* end) {
    size_t length = std::strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// ---------------------------------------------------------------------------
// What a run changed, one line per change, as the job file holds it: without
// file times, and shortcuts by name only (the shell and NSIS write different
// bytes into them).

std::string WithoutTime(const std::string& content) {
    size_t time = content.find(", time ");
    if (time == std::string::npos) return content;
    size_t next = content.find(',', time + 1);
    return content.substr(0, time) + (next == std::string::npos ? "" : content.substr(next));
}

std::string JobLine(const tst::Change& change) {
    std::string content = change.mark == '-' ? change.before : change.after;
    if (change.kind == "file") content = EndsWith(Upper(change.name), ".LNK") ? "" : WithoutTime(content);
    return change.Line() + (content.empty() ? "" : ": " + content);
}

std::vector<std::string> JobLines(const std::vector<tst::Change>& changes) {
    std::vector<std::string> lines;
    for (const tst::Change& change : changes) lines.push_back(JobLine(change));
    return lines;
}

// "+ file C:\windows\X.DLL: size 123, hash ..." -> the path and the size.
bool CopiedFile(const std::string& line, std::string* path, std::string* size) {
    if (line.compare(0, 7, "+ file ") != 0) return false;
    size_t colon = line.find(": size ");
    if (colon == std::string::npos) return false;
    *path = line.substr(7, colon - 7);
    *size = line.substr(colon + 7, line.find(',', colon) - colon - 7);
    return true;
}

std::string Stem(const std::string& name) { return Upper(name.substr(0, name.find('.'))); }

// The share file of this size with this name (or, `byStem`, with this name
// before the extension); "" when there is none.
std::string ShareFile(const std::string& directory, const std::string& name, const std::string& size, bool byStem) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    std::string match;
    do {
        std::string entry = found.cFileName;
        if (entry == "." || entry == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            match = ShareFile(directory + entry + "\\", name, size, byStem);
        } else if ((byStem ? Stem(entry) == Stem(name) : Upper(entry) == Upper(name)) &&
                   std::to_string(found.nFileSizeLow) == size) {
            match = directory + entry;
        }
    } while (match.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return match;
}

// The job's copies from the share: the lines the copy loop leaves, and its
// arguments (source and target of each file).
void CopyJob(const std::vector<std::string>& job, std::vector<std::string>* lines, std::string* arguments) {
    for (const std::string& line : job) {
        std::string path;
        std::string size;
        if (!CopiedFile(line, &path, &size)) continue;
        std::string name = path.substr(path.find_last_of('\\') + 1);
        // CTL3DV2.Z is installed as CTL3DV2.DLL.
        std::string source = ShareFile(kShare, name, size, false);
        if (source.empty()) source = ShareFile(kShare, name, size, true);
        if (source.empty()) continue;
        lines->push_back(line);
        *arguments += " \"" + source + "\" \"" + path + "\"";
    }
}

// ---------------------------------------------------------------------------

bool PreparePC() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPersonalityKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG result =
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kWindows95), sizeof kWindows95);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && tst::WriteFile(kConfigFile, kExistingConfig);
}

std::string OwnPath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// One child from CreateProcess to its exit. A message box it shows is a
// question the job must not ask: the run fails (the box is answered so that
// the child ends).
struct ChildRun {
    double ms = 0;
    unsigned long long peak = 0;
    std::string failure;
};

ChildRun RunChild(const std::string& program, const std::string& arguments, bool logged = false) {
    ChildRun run;
    tst::ChildProcess child;
    child.SetDirectory(kSetupDirectory);
    std::vector<std::string> environment = tst::X86ChildEnvironment();
    if (logged) environment.insert(environment.end(), {kLogVariable, kUnattendedVariable});
    double start = bench::NowMs();
    if (!child.Start(program, arguments, environment)) {
        run.failure = "no start: " + child.Describe();
        return run;
    }
    HANDLE process = bench::OpenForWatching(child.ProcessId());
    DWORD id = child.ProcessId();
    bool ended = bench::WaitUntil(process, kRunTimeoutMs, kPollMs, [&] {
        run.peak = std::max(run.peak, bench::PeakWorkingSet(process));
        HWND box = bench::FindVisibleWindow(id, "#32770");
        if (box && GetDlgItem(box, kMessageTextId)) {
            if (run.failure.empty()) run.failure = "it showed a box: " + tst::BoxText(box);
            bench::Press(box, GetDlgItem(box, IDOK) ? IDOK : IDYES);
        }
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    });
    run.ms = bench::NowMs() - start;
    run.peak = std::max(run.peak, bench::PeakWorkingSet(process));
    DWORD code = 1;
    if (process) {
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
    }
    if (!ended && run.failure.empty()) run.failure = "it did not end in time";
    if (code != 0 && run.failure.empty()) run.failure = "exit code " + std::to_string(code);
    return run;
}

// The Wine server and the desktop (with the shell's DDE server) of the fresh
// prefix are up, and a process has started and ended once.
bool WarmUp() {
    GetDesktopWindow();
    return RunChild(OwnPath(), "copy").failure.empty();
}

int WriteJob(const char* jobFile) {
    if (!PreparePC() || !WarmUp()) return bench::Fail("cannot prepare the PC");
    tst::Snapshot before = tst::Snapshot::Take();
    ChildRun run = RunChild(std::string(kSetupDirectory) + "WIN32\\STNIN32.EXE", "/Q");
    if (!run.failure.empty()) return bench::Fail("the reference installation failed: " + run.failure);
    std::string job;
    for (const std::string& line : JobLines(before.ChangesTo(tst::Snapshot::Take()))) job += line + "\n";
    if (!tst::WriteFile(jobFile, job)) return bench::Fail(std::string("cannot write ") + jobFile);
    std::printf("%s", job.c_str());
    return 0;
}

// The lines of `expected` that `seen` lacks ("missing") and the lines it has
// more ("unexpected").
std::string Difference(std::vector<std::string> expected, std::vector<std::string> seen) {
    std::sort(expected.begin(), expected.end());
    std::sort(seen.begin(), seen.end());
    std::string text;
    for (const std::string& line : expected) {
        if (!std::binary_search(seen.begin(), seen.end(), line)) text += "\n  missing    " + line;
    }
    for (const std::string& line : seen) {
        if (!std::binary_search(expected.begin(), expected.end(), line)) text += "\n  unexpected " + line;
    }
    return text;
}

int TimedRun(const std::string& kind, const char* jobFile, const std::string& program) {
    bool read = false;
    std::vector<std::string> job = SplitLines(tst::ReadFile(jobFile, &read));
    if (!read || job.empty()) return bench::Fail(std::string("no job in ") + jobFile);
    const Kind* found = nullptr;
    for (const Kind& candidate : kKinds) {
        if (kind == candidate.name) found = &candidate;
    }
    if (!found) return bench::Fail("unknown kind " + kind);
    if (!PreparePC() || !WarmUp()) return bench::Fail("cannot prepare the PC");

    std::vector<std::string> expected = job;
    std::string arguments = found->arguments;
    if (kind == "copy") {
        expected.clear();
        CopyJob(job, &expected, &arguments);
    } else if (kind == "window") {
        expected.clear();
    }
    tst::Snapshot before = tst::Snapshot::Take();
    ChildRun run = RunChild(kind == "copy" ? OwnPath() : program, arguments, found->logged);
    if (run.failure.empty()) run.failure = Difference(expected, JobLines(before.ChangesTo(tst::Snapshot::Take())));
    if (!run.failure.empty()) {
        std::printf("failed %s %.1f %s\n", kind.c_str(), run.ms, run.failure.c_str());
        return 1;
    }
    std::printf("ok %s %.1f %llu\n", kind.c_str(), run.ms, run.peak);
    return 0;
}

int CopyLoop(int count, char** paths) {
    for (int i = 0; i + 1 < count; i += 2) {
        if (!CopyFileA(paths[i], paths[i + 1], FALSE)) return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------

const char* KindRow(const char* name) {
    for (const Kind& kind : kKinds) {
        if (std::strcmp(kind.name, name) == 0) return kind.row;
    }
    return name;
}

struct Series {
    bench::Samples samples;
    unsigned long long peak = 0;
    int failed = 0;
};

int Summary(const char* resultsFile) {
    bool read = false;
    std::vector<std::string> lines = SplitLines(tst::ReadFile(resultsFile, &read));
    if (!read) return bench::Fail(std::string("cannot read ") + resultsFile);
    std::map<std::string, Series> series;
    std::map<int, std::map<std::string, double>> rounds;  // round -> kind -> ms of the counted runs
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        int round = 0;
        std::string status;
        std::string kind;
        double ms = 0;
        unsigned long long peak = 0;
        if (!(fields >> round >> status >> kind >> ms)) continue;
        Series& entry = series[kind];
        if (status != "ok") {
            ++entry.failed;
            continue;
        }
        fields >> peak;
        entry.samples.ms.push_back(ms);
        entry.peak = std::max(entry.peak, peak);
        rounds[round][kind] = ms;
    }
    bench::PrintHeader({"run", "median", "min", "max", "runs counted (not counted)", "peak working set"});
    for (const Kind& kind : kKinds) {
        const Series& entry = series[kind.name];
        bench::PrintRow({kind.row, bench::FormatMs(entry.samples.Median()), bench::FormatMs(entry.samples.Min()),
                         bench::FormatMs(entry.samples.Max()),
                         std::to_string(entry.samples.ms.size()) + " (" + std::to_string(entry.failed) + ")",
                         bench::FormatBytes(entry.peak)});
    }
    // Each ratio also as the median of the rounds' own ratios: the runs of
    // one round ran next to each other, under the same load.
    std::printf("\n");
    bench::PrintHeader({"ratio", "of the medians", "median of the rounds' ratios", "rounds"});
    const std::pair<const char*, const char*> kRatios[] = {
        {"logged", "program"}, {"program", "nsis"}, {"program", "copy"}, {"program", "window"}};
    for (const auto& ratio : kRatios) {
        const char* dividend = ratio.first;
        const char* divisor = ratio.second;
        bench::Samples ratios;
        for (auto& round : rounds) {
            auto& times = round.second;
            if (times.count(dividend) && times.count(divisor) && times[divisor] > 0) {
                ratios.ms.push_back(times[dividend] / times[divisor]);
            }
        }
        double divisorMedian = series[divisor].samples.Median();
        char ofMedians[32];
        char median[32];
        std::snprintf(ofMedians, sizeof ofMedians, "x %.2f",
                      divisorMedian > 0 ? series[dividend].samples.Median() / divisorMedian : 0);
        std::snprintf(median, sizeof median, "x %.2f", ratios.Median());
        bench::PrintRow({std::string(KindRow(dividend)) + " over " + KindRow(divisor), ofMedians,
                         ratios.ms.empty() ? "-" : median, std::to_string(ratios.ms.size())});
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "copy") return CopyLoop(argc - 2, argv + 2);
    if (mode == "job" && argc == 3) return WriteJob(argv[2]);
    if (mode == "run" && argc == 5) return TimedRun(argv[2], argv[3], argv[4]);
    if (mode == "summary" && argc == 3) return Summary(argv[2]);
    return bench::Fail("usage: install_bench.exe job JOBFILE | run KIND JOBFILE PROGRAM | copy SOURCE TARGET... | "
                       "summary RESULTS");
}
