// A whole quiet installation from the demo share on the Windows 95
// personality (F:\SYSTEM\WIN32\STNIN32.EXE /Q in F:\SYSTEM\, with a
// TELMORA.INI whose areas pass, on an x86 PC), against a
// plain CopyFileA loop over the files that installation copies from the
// share; and the installation's peak working set.
//
// The first installation finds a fresh PC; what it added to drive C: is then
// the set the later runs start without: before every run (not timed) those
// files are deleted again and TELMORA.INI is put back, so each installation
// and each copy loop does the whole work.
//
// Usage: install_bench.exe [repetitions (5)]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace {

const int kDefaultRepetitions = 5;
const DWORD kInstallTimeoutMs = 120000;
const DWORD kPollMs = 10;
const int kMessageTextId = 0xFFFF;  // the text of a message box

const char kProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kShare[] = "F:\\";
const char kDrive[] = "C:\\";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kExistingConfig[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n";
const char kPersonalityKey[] = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
const char kWindows95[] = "win95";
// Folder windows that the Program Manager conversation opens in Wine's shell.
const char* const kFolderWindowClasses[] = {"ExplorerWClass", "CabinetWClass"};

// A file as a directory listing shows it.
struct FileState {
    unsigned long long size;
    unsigned long long written;
};
using Tree = std::map<std::string, FileState>;  // upper-case path -> state

std::string Upper(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

void ListTree(const std::string& directory, Tree* tree) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = directory + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListTree(path + "\\", tree);
            continue;
        }
        FileState state = {(static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                           (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                               found.ftLastWriteTime.dwLowDateTime};
        (*tree)[Upper(path)] = state;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// ---------------------------------------------------------------------------

class InstallBench {
public:
    bool Prepare() {
        if (!SetWindows95Personality()) return false;
        if (!tst::WriteFile(kConfigFile, kExistingConfig)) return false;
        ListTree(kDrive, &before_);
        ListTree(kShare, &share_);
        return true;
    }

    // The first installation, on a fresh PC; it also finds what to reset.
    bool First(double* ms) {
        if (!Install(ms)) return false;
        Tree after;
        ListTree(kDrive, &after);
        for (const auto& entry : after) {
            auto old = before_.find(entry.first);
            bool added = old == before_.end();
            if (!added && old->second.size == entry.second.size && old->second.written == entry.second.written) {
                continue;
            }
            if (added) added_.push_back(entry.first);
            std::string source = ShareFileNamed(NameOf(entry.first));
            if (source.empty()) {
                written_.push_back(entry.first);
            } else {
                copies_.push_back({source, entry.first});
                copiedBytes_ += entry.second.size;
            }
        }
        return !copies_.empty();
    }

    bool Reset() {
        CloseFolderWindows();
        for (const std::string& path : added_) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        return tst::WriteFile(kConfigFile, kExistingConfig);
    }

    bool CopyLoop() {
        for (const auto& copy : copies_) {
            if (!CopyFileA(copy.first.c_str(), copy.second.c_str(), FALSE)) {
                std::fprintf(stderr, "CopyFileA %s %s: error %lu\n", copy.first.c_str(), copy.second.c_str(),
                             GetLastError());
                return false;
            }
        }
        return true;
    }

    // One quiet installation, timed from CreateProcess to the exit. A message
    // box it shows is answered (OK, else Yes) and recorded; any other dialog
    // is a question a quiet run must not ask, and fails the run.
    bool Install(double* ms) {
        tst::ChildProcess child;
        child.SetDirectory(kSetupDirectory);
        double start = bench::NowMs();
        if (!child.Start(kProgram, "/Q", tst::X86ChildEnvironment())) return Failed(child, "no start");
        HANDLE process = bench::OpenForWatching(child.ProcessId());
        DWORD id = child.ProcessId();
        unsigned long long polledPeak = 0;
        bool asked = false;
        bool ended = bench::WaitUntil(process, kInstallTimeoutMs, kPollMs, [&] {
            unsigned long long peak = bench::PeakWorkingSet(process);
            if (peak > polledPeak) polledPeak = peak;
            HWND box = bench::FindVisibleWindow(id, "#32770");
            if (box && !AnswerMessageBox(child, box)) asked = true;
            return asked || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        });
        *ms = bench::NowMs() - start;
        unsigned long long exitedPeak = bench::PeakWorkingSet(process);
        DWORD code = 1;
        if (process) GetExitCodeProcess(process, &code);
        if (process) CloseHandle(process);
        if (asked) return Failed(child, "the quiet installation asked a question");
        if (!ended) return Failed(child, "the installation did not end in time");
        if (code != 0) return Failed(child, "the installation ended with an error");
        RecordPeak(polledPeak, exitedPeak);
        return true;
    }

    void PrintFiles() const {
        std::printf("The installation copied %zu files (%s) from the share and wrote %zu more:\n", copies_.size(),
                    bench::FormatBytes(copiedBytes_).c_str(), written_.size());
        for (const auto& copy : copies_) std::printf("  copied  %s\n", copy.second.c_str());
        for (const std::string& path : written_) std::printf("  written %s\n", path.c_str());
        std::printf("\n");
    }

    void PrintBoxes() const {
        if (boxes_.empty()) return;
        std::printf("\nMessage boxes the quiet installation showed (answered with OK or Yes):\n");
        for (const std::string& box : boxes_) std::printf("  %s\n", box.c_str());
    }

    // Wine keeps a process's counters readable only for a moment after it
    // ends, so the peak is also polled while it runs.
    void PrintPeak() const {
        std::printf("\nPeak working set of the installation: %s, polled every %lu ms while it ran",
                    bench::FormatBytes(peakPolled_).c_str(), static_cast<unsigned long>(kPollMs));
        if (readableAfterExit_) {
            std::printf("; %s read from its handle after it ended (in %d of %d runs)",
                        bench::FormatBytes(peakAfterExit_).c_str(), readableAfterExit_, runs_);
        } else {
            std::printf("; not readable from its handle after it ended (%d runs)", runs_);
        }
        std::printf(".\n");
    }

    size_t CopyCount() const { return copies_.size(); }

private:
    static bool SetWindows95Personality() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kPersonalityKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        LONG result =
            RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kWindows95), sizeof kWindows95);
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    bool AnswerMessageBox(tst::ChildProcess& child, HWND box) {
        if (!GetDlgItem(box, kMessageTextId)) return false;
        char title[128] = "";
        GetWindowTextA(box, title, sizeof title);
        std::string seen = std::string(title) + ": " + child.DialogText(box);
        std::replace(seen.begin(), seen.end(), '\n', ' ');
        if (std::find(boxes_.begin(), boxes_.end(), seen) == boxes_.end()) boxes_.push_back(seen);
        child.Press(box, GetDlgItem(box, IDOK) ? IDOK : IDYES);
        return true;
    }

    static void CloseFolderWindows() {
        for (const char* windowClass : kFolderWindowClasses) {
            while (HWND folder = FindWindowA(windowClass, nullptr)) {
                DWORD_PTR ignored = 0;
                SendMessageTimeoutA(folder, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
                if (IsWindow(folder)) break;
            }
        }
    }

    std::string ShareFileNamed(const std::string& name) const {
        for (const auto& entry : share_) {
            if (NameOf(entry.first) == name) return entry.first;
        }
        return std::string();
    }

    bool Failed(tst::ChildProcess& child, const char* what) {
        std::fprintf(stderr, "bench: %s\n%s\n", what, child.Describe().c_str());
        return false;
    }

    void RecordPeak(unsigned long long polled, unsigned long long exited) {
        ++runs_;
        if (polled > peakPolled_) peakPolled_ = polled;
        if (exited) ++readableAfterExit_;
        if (exited > peakAfterExit_) peakAfterExit_ = exited;
    }

    Tree before_;
    Tree share_;
    std::vector<std::string> added_;
    std::vector<std::string> written_;
    std::vector<std::string> boxes_;                           // message boxes answered, "title text"
    std::vector<std::pair<std::string, std::string>> copies_;  // share file, installed file
    unsigned long long copiedBytes_ = 0;
    unsigned long long peakPolled_ = 0;
    unsigned long long peakAfterExit_ = 0;
    int runs_ = 0;
    int readableAfterExit_ = 0;  // runs whose counters could still be read after the exit
};

}  // namespace

int main(int argc, char** argv) {
    int repetitions = bench::ArgumentOr(argc, argv, 1, kDefaultRepetitions);
    InstallBench benchmark;
    if (!benchmark.Prepare()) return bench::Fail("cannot prepare the PC (personality, TELMORA.INI)");
    double first = 0;
    if (!benchmark.First(&first)) return bench::Fail("the first installation failed or copied nothing");
    benchmark.PrintFiles();

    bench::Samples installs;
    bench::Samples copies;
    for (int i = 0; i < repetitions; ++i) {
        if (!benchmark.Reset()) return bench::Fail("cannot put TELMORA.INI back");
        double start = bench::NowMs();
        if (!benchmark.CopyLoop()) return bench::Fail("the CopyFileA loop failed");
        copies.ms.push_back(bench::NowMs() - start);
        double ms = 0;
        if (!benchmark.Reset()) return bench::Fail("cannot put TELMORA.INI back");
        if (!benchmark.Install(&ms)) return bench::Fail("an installation failed");
        installs.ms.push_back(ms);
    }

    std::printf("Quiet installation on the Windows 95 personality, median of %d (min to max):\n\n", repetitions);
    bench::PrintHeader({"run", "time", "min to max", "over CopyFileA loop"});
    char loop[64];
    std::snprintf(loop, sizeof loop, "CopyFileA loop over the %zu files", benchmark.CopyCount());
    bench::PrintRow({loop, bench::FormatMs(copies.Median()), bench::FormatRange(copies), "1"});
    bench::PrintRow(
        {"STNIN32.EXE /Q (first, fresh PC)", bench::FormatMs(first), "-", bench::FormatRatio(first, copies.Median())});
    bench::PrintRow({"STNIN32.EXE /Q (again)", bench::FormatMs(installs.Median()), bench::FormatRange(installs),
                     bench::FormatRatio(installs.Median(), copies.Median())});
    benchmark.PrintPeak();
    benchmark.PrintBoxes();
    return 0;
}
