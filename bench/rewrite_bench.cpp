// How the program's text file rewrites grow with the file: WriteConfigFile,
// SetKeyInSection and EditAutoexec (a quiet uninstallation on Windows 95,
// which asks nothing) on generated TELMORA.INI and AUTOEXEC.BAT files of
// 100 KB, 1 MB and 10 MB full of lines that belong to other software, each
// against a plain fgets/fputs line copy of the same file. Every repetition
// starts from a fresh copy of the generated file (not timed).
//
// Usage: rewrite_bench.exe [repetitions (5)] [largest size in MB (10)]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "autoexec/autoexec_editor.h"
#include "autoexec/safe_rewrite.h"
#include "bench_support.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"

namespace {

const int kDefaultRepetitions = 5;
const int kDefaultLargestMb = 10;
const int kLineCopyBufferSize = 4096;
const int kOverLongLineLength = 400;  // twice what the line reader keeps
const int kOverLongEverySections = 50;

struct FileSize {
    const char* label;
    size_t bytes;
};
const FileSize kSizes[] = {{"100 KB", 100 * 1000}, {"1 MB", 1000 * 1000}, {"10 MB", 10 * 1000 * 1000}};
const int kSizeCount = sizeof kSizes / sizeof kSizes[0];
const int kOneMbColumn = 1;
const int kTenMbColumn = 2;

// Deterministic pseudo-random numbers: every run measures the same files.
class Random {
public:
    int Below(int limit) {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 16) % static_cast<unsigned>(limit));
    }

private:
    unsigned state_ = 20240611u;
};

std::string Filler(Random& random, int length) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,\\_-";
    std::string text;
    for (int i = 0; i < length; ++i) text += kLetters[random.Below(sizeof kLetters - 1)];
    return text;
}

// ---------------------------------------------------------------------------
// Generated files

// A section of another program: settings, comments, empty lines and now and
// then a line longer than the reader keeps.
std::string ForeignSection(Random& random, int index) {
    char line[64];
    std::snprintf(line, sizeof line, "[APP-%05d]\r\n", index);
    std::string section = line;
    int lines = 6 + random.Below(10);
    for (int i = 0; i < lines; ++i) {
        int kind = random.Below(10);
        if (kind == 0) {
            section += "; " + Filler(random, 10 + random.Below(60)) + "\r\n";
        } else if (kind == 1) {
            section += "\r\n";
        } else {
            std::snprintf(line, sizeof line, "Key%02d=", i);
            section += line + Filler(random, 5 + random.Below(70)) + "\r\n";
        }
    }
    if (index % kOverLongEverySections == 0) section += "Long=" + Filler(random, kOverLongLineLength) + "\r\n";
    return section + "\r\n";
}

void AddForeignSections(std::string& file, Random& random, size_t untilSize, int& index) {
    while (file.size() < untilSize) file += ForeignSection(random, index++);
}

// TELMORA.INI: the workstation section in the middle, [SERVER-WKN] (which the
// writer drops) behind it and [SERVER] near the end, among foreign sections.
std::string ConfigFile(size_t size) {
    Random random;
    int index = 0;
    std::string file = "[TELMORA]\r\nType: Init\r\nRevision: A\r\n\r\n";
    AddForeignSections(file, random, size * 45 / 100, index);
    file +=
        "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\n"
        "RequestArea: F:\\REQUEST\r\n; kept by the administrator\r\nColor: blue\r\nTimeout: 60\r\n\r\n"
        "[SERVER-WKN]\r\nName: OLD\r\n\r\n";
    AddForeignSections(file, random, size * 90 / 100, index);
    file += "[SERVER]\r\nServerArea: F:\\SERVER\r\nSystemArea: F:\\SYSTEM\r\n\r\n";
    AddForeignSections(file, random, size, index);
    return file;
}

std::string BatchLine(Random& random, int index) {
    char line[64];
    switch (random.Below(6)) {
        case 0:
            std::snprintf(line, sizeof line, "SET VAR%05d=C:\\", index);
            return line + Filler(random, 5 + random.Below(40)) + "\r\n";
        case 1:
            return "REM " + Filler(random, 10 + random.Below(60)) + "\r\n";
        case 2:
            std::snprintf(line, sizeof line, "C:\\TOOLS\\PROG%05d.EXE /", index);
            return line + Filler(random, random.Below(20)) + "\r\n";
        case 3:
            std::snprintf(line, sizeof line, ":LABEL%05d\r\n", index);
            return line;
        case 4:
            return "IF EXIST C:\\" + Filler(random, 8) + " ECHO " + Filler(random, random.Below(30)) + "\r\n";
        default:
            return "LH C:\\DOS\\MOUSE.COM\r\n";
    }
}

void AddBatchLines(std::string& file, Random& random, size_t untilSize, int& index) {
    while (file.size() < untilSize) file += BatchLine(random, index++);
}

// AUTOEXEC.BAT: the QVTLINIT line in the middle, the spooler line at three
// quarters, both of which a quiet uninstallation removes.
std::string AutoexecFile(size_t size) {
    Random random;
    int index = 0;
    std::string file = "@ECHO OFF\r\n";
    AddBatchLines(file, random, size / 2, index);
    file += "SET QVTLINIT=C:\\TELMORA\r\n";
    AddBatchLines(file, random, size * 3 / 4, index);
    file += "LH C:\\TELMORA\\QSPOOL.EXE /A\r\n";
    AddBatchLines(file, random, size, index);
    return file;
}

int CountLines(const std::string& file) {
    int lines = 0;
    for (char c : file) lines += c == '\n';
    return lines;
}

// ---------------------------------------------------------------------------
// The operations

// The baseline: every line read with fgets and written with fputs.
bool LineCopy(const std::string& from, const std::string& to) {
    FILE* input = std::fopen(from.c_str(), "rb");
    FILE* output = std::fopen(to.c_str(), "wb");
    bool ok = input && output;
    static char line[kLineCopyBufferSize];
    while (ok && std::fgets(line, sizeof line, input)) std::fputs(line, output);
    if (output && std::fclose(output) != 0) ok = false;
    if (input) std::fclose(input);
    return ok;
}

long long SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The settings an installation writes into the workstation section.
ClientSettings InstalledSettings() {
    ClientSettings settings = {};
    SetDefaultSettings(&settings);
    text::Copy(settings.userArea, "F:\\USERS\\%NAME%\\");
    text::Copy(settings.systemArea, "F:\\SYSTEM\\");
    text::Copy(settings.requestArea, "F:\\REQUEST\\");
    text::Copy(settings.logArea, "C:\\WINDOWS\\");
    text::Copy(settings.programDir, "C:\\WINDOWS\\");
    return settings;
}

// One size's measurements, in milliseconds (median).
struct SizeResult {
    double configCopy = 0;
    double writeConfig = 0;
    double setKey = 0;
    double readConfig = 0;
    double autoexecCopy = 0;
    double editAutoexec = 0;
};

class RewriteBench {
public:
    RewriteBench(const std::string& directory, int repetitions)
        : directory_(directory), repetitions_(repetitions), settings_(InstalledSettings()) {}

    bool Run(const FileSize& size, SizeResult* result) {
        std::string config = ConfigFile(size.bytes);
        std::string autoexec = AutoexecFile(size.bytes);
        std::printf("%s: TELMORA.INI %zu bytes in %d lines, AUTOEXEC.BAT %zu bytes in %d lines\n", size.label,
                    config.size(), CountLines(config), autoexec.size(), CountLines(autoexec));
        std::fflush(stdout);
        if (!tst::WriteFile(File("MASTER.INI"), config) || !tst::WriteFile(File("MASTER.BAT"), autoexec)) {
            return false;
        }
        return MeasureConfig(result, static_cast<long long>(config.size())) && MeasureAutoexec(result);
    }

private:
    std::string File(const char* name) const { return directory_ + name; }

    void Fresh(const char* master, const char* target) const {
        CopyFileA(File(master).c_str(), File(target).c_str(), FALSE);
        DeleteFileA(File("COPY.TXT").c_str());
    }

    bool Time(const char* what, const char* master, const char* target, const std::function<bool()>& run,
              double* median) const {
        bool ok = false;
        bench::Samples samples = bench::Measure(
            repetitions_, [&] { Fresh(master, target); }, run, &ok);
        if (!ok) std::fprintf(stderr, "bench: %s failed\n", what);
        *median = samples.Median();
        return ok;
    }

    bool MeasureConfig(SizeResult* result, long long masterSize) {
        std::string path = File("TELMORA.INI");
        auto copy = [&] { return LineCopy(path, File("COPY.TXT")); };
        // The rebuilt file holds every foreign line: it cannot be much shorter.
        auto write = [&] {
            return WriteConfigFile(directory_.c_str(), &settings_, 0) == 1 && SizeOf(path) > masterSize * 9 / 10;
        };
        auto setKey = [&] { return SetKeyInSection(path.c_str(), "[SERVER]", "ServerArea:", "F:\\FAX\\SERVER") == 1; };
        auto read = [&] {
            ClientSettings read = {};
            return ReadConfigFile(directory_.c_str(), &read, kReadNormal) == 1 &&
                   text::EqualNoCase(read.systemArea, "F:\\SYSTEM\\");
        };
        return Time("line copy", "MASTER.INI", "TELMORA.INI", copy, &result->configCopy) &&
               Time("WriteConfigFile", "MASTER.INI", "TELMORA.INI", write, &result->writeConfig) &&
               Time("SetKeyInSection", "MASTER.INI", "TELMORA.INI", setKey, &result->setKey) &&
               Time("ReadConfigFile", "MASTER.INI", "TELMORA.INI", read, &result->readConfig);
    }

    bool MeasureAutoexec(SizeResult* result) {
        std::string path = File("AUTOEXEC.BAT");
        auto copy = [&] { return LineCopy(path, File("COPY.TXT")); };
        auto edit = [&] {
            g_setup.rebootNeeded = 0;
            return EditAutoexec(kRequestBoth, nullptr, nullptr) == 1 && g_setup.rebootNeeded == 1;
        };
        return Time("line copy", "MASTER.BAT", "AUTOEXEC.BAT", copy, &result->autoexecCopy) &&
               Time("EditAutoexec", "MASTER.BAT", "AUTOEXEC.BAT", edit, &result->editAutoexec);
    }

    std::string directory_;
    int repetitions_;
    ClientSettings settings_;
};

void PrintOperation(const char* name, double SizeResult::*field, double SizeResult::*baseline,
                    const SizeResult (&results)[kSizeCount], int measured) {
    std::vector<std::string> cells = {name};
    for (int i = 0; i < kSizeCount; ++i) cells.push_back(i < measured ? bench::FormatMs(results[i].*field) : "-");
    bool hasTen = measured > kTenMbColumn;
    cells.push_back(hasTen ? bench::FormatRatio(results[kTenMbColumn].*field, results[kOneMbColumn].*field) : "-");
    int last = measured - 1;
    cells.push_back(field == baseline ? "1" : bench::FormatRatio(results[last].*field, results[last].*baseline));
    bench::PrintRow(cells);
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = bench::ArgumentOr(argc, argv, 1, kDefaultRepetitions);
    int largestMb = bench::ArgumentOr(argc, argv, 2, kDefaultLargestMb);
    g_setup.appInstance = GetModuleHandleA(nullptr);

    tst::TempDirectory directory;
    if (directory.Path().empty()) return bench::Fail("no scratch directory");
    // A quiet uninstallation on Windows 95 edits AUTOEXEC.BAT without asking.
    tst::FakeWindowsVersion windows95(tst::kWindows95);
    g_setup.uninstallMode = 1;
    g_setup.quietSwitch = 1;
    text::Copy(g_setup.autoexecDirectory, directory.Path().c_str());

    RewriteBench benchmark(directory.Path(), repetitions);
    SizeResult results[kSizeCount];
    int measured = 0;
    for (const FileSize& size : kSizes) {
        if (size.bytes > static_cast<size_t>(largestMb) * 1000 * 1000) break;
        if (!benchmark.Run(size, &results[measured])) return bench::Fail(std::string("at ") + size.label);
        ++measured;
    }
    if (measured == 0) return bench::Fail("no file size to measure");

    std::printf("\nText file rewrites, median of %d (%s is the largest size measured):\n\n", repetitions,
                kSizes[measured - 1].label);
    bench::PrintHeader({"operation", "100 KB", "1 MB", "10 MB", "10 MB / 1 MB", "over line copy"});
    PrintOperation("line copy of TELMORA.INI (fgets/fputs)", &SizeResult::configCopy, &SizeResult::configCopy, results,
                   measured);
    PrintOperation("WriteConfigFile", &SizeResult::writeConfig, &SizeResult::configCopy, results, measured);
    PrintOperation("SetKeyInSection", &SizeResult::setKey, &SizeResult::configCopy, results, measured);
    PrintOperation("ReadConfigFile", &SizeResult::readConfig, &SizeResult::configCopy, results, measured);
    PrintOperation("line copy of AUTOEXEC.BAT (fgets/fputs)", &SizeResult::autoexecCopy, &SizeResult::autoexecCopy,
                   results, measured);
    PrintOperation("EditAutoexec", &SizeResult::editAutoexec, &SizeResult::autoexecCopy, results, measured);
    return 0;
}
