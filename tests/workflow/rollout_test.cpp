// Rollouts: runs of the real program from the share with the action log
// (TELMORA_SETUP_LOG) and, but for a person's runs, unattended
// (TELMORA_SETUP_UNATTENDED=1), each ending in its result code from a real
// cause; the log's start lines, the box it did not wait for, its result line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/setup_run.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

using tst::ReadFile, tst::WriteFile;

const char kLog[] = "C:\\ROLLOUT.LOG";
const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kAutoexec[] = "C:\\AUTOEXEC.BAT";
const std::string kLogVariable = std::string("TELMORA_SETUP_LOG=") + kLog;
const std::vector<std::string> kUnattended = {kLogVariable, "TELMORA_SETUP_UNATTENDED=1"};
const char kAreas[] = "[WORKSTATION]\r\nSystemArea: %sSYSTEM\r\nRequestArea: %sREQUEST\r\n";
const std::size_t kTimeLength = 24;  // "2026-12-07 09:14:03.127 "

void Configure(const char* requestBase, const char* systemBase = "F:\\") {
    char config[256];
    snprintf(config, sizeof config, kAreas, systemBase, requestBase);
    WriteFile(kConfigFile, config);
}

// The log's lines without their times.
std::vector<std::string> LogLines() {
    std::string log = ReadFile(kLog);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(log.substr(at + kTimeLength, end - at - kTimeLength));
    }
    return lines;
}

bool Holds(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines) {
        if (line.find(part) != std::string::npos) return true;
    }
    return false;
}

struct Rollout {
    const char* name;
    const char* windows;
    void (*prepare)();
    const char* arguments;
    std::vector<std::string> environment;
    std::vector<tst::Expectation> boxes;
    DWORD exitCode;
    std::string result;     // the log's last line
    std::string boxLine;    // a box line the log must hold ("" none)
};

const char kMissingQuestion[] = "\"Error!\": \"Directory %s not found - Ignore error and continue?\"";
std::string Missing(const char* directory) {
    char words[200];
    snprintf(words, sizeof words, kMissingQuestion, directory);
    return words;
}
const std::string kGaveUp =
    "result: 1603 failed: the same question would come back and nobody can answer it otherwise: ";

std::vector<Rollout> Rollouts() {
    return {
        {"Windows 95 quiet installation", "win95", [] { Configure("F:\\"); }, "/Q", kUnattended, {}, 0,
         "result: 0 done: the installation completed", ""},
        // The client's window is open: the update stops, the tool tries later.
        {"quiet update, client running", nullptr, [] {
             Configure("F:\\");
             ASSERT_TRUE(tst::StartClient());
         }, "/Q /U",
         kUnattended, {}, 1618, "result: 1618 running: the fax client is running (its window is open)", ""},
        // No means the ignore question again: the run stops instead, naming it.
        {"request area missing", "win95", [] { Configure("F:\\MISSING\\"); }, "/Q", kUnattended, {}, 1603,
         kGaveUp + Missing("F:\\MISSING\\REQUEST"),
         Missing("F:\\MISSING\\REQUEST") + "; proposed No; answer No (unattended)"},
        {"unreachable share", "win95", [] { Configure("Q:\\FAX\\", "Q:\\FAX\\"); }, "/Q", kUnattended, {}, 1603,
         kGaveUp + Missing("Q:\\FAX\\REQUEST"), "box: not asked again"},
        // The quiet uninstallation takes the QVTLINIT line out: restart.
        {"quiet uninstallation on Windows 95", "win95",
         [] {
             Configure("F:\\");
             tst::ExpectRun("/Q", {});
             WriteFile(kAutoexec, "SET QVTLINIT=C:\\WINDOWS\r\n");
         },
         "/Q /X", kUnattended, {}, 3010,
         "result: 3010 restart: AUTOEXEC.BAT was changed: Windows must restart before the client works (the "
         "uninstallation completed)", ""},
        // A person's copy that completes: the log says so.
        {"a person's copy, log only", "win95", [] { Configure("F:\\"), tst::ExpectRun("/Q", {}); }, "", {kLogVariable},
         {tst::FunctionBox(IDC_FUNCTION_COPY), tst::DialogExpect(tst::kSetupTitle, {"Where do you want to copy the Telmora"}),
          tst::DialogExpect(tst::kSetupTitle, {"Where do you want to copy the Telmora"}),
          tst::DialogExpect(tst::kSetupTitle, {"Do you want to add a new entry in the"}), tst::FunctionBox(IDC_FUNCTION_QUIT)},
         0, "result: 0 done: the program copy completed", ""},
        // A person's Abort: the log says 1602, the exit code stays 0.
        {"a person's Abort, log only", "win95", [] {}, "", {kLogVariable},
         {tst::FunctionBox(IDC_FUNCTION_INSTALL),
          tst::DialogExpect(tst::kSetupTitle, {"Where are the Telmora files installed?"}).Press(IDC_ABORT),
          tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES),
          tst::FunctionBox(IDC_FUNCTION_QUIT)},
         0, "result: 1602 cancelled: Abort in the question \"Where are the Telmora files installed?\"",
         "dialog PathServerBaseDir \"Telmora installation\": \"Where are the Telmora files installed?\" / \"\" / "
         "\"Enter the full network path (including drive)\""},
    };
}

void Clean() {
    for (const char* file : {kLog, kConfigFile, kAutoexec, "C:\\windows\\TELMORA.EXE"}) DeleteFileA(file);
    tst::StopClient();
    tst::RemoveWin95PrinterEntries();
}

TEST(Rollout, ResultCodesFromRealCauses) {
    for (const Rollout& r : Rollouts()) {
        SCOPED_TRACE(r.name);
        Clean();
        tst::UseWindows(r.windows);
        r.prepare();
        DWORD start = GetTickCount();
        tst::RunReport report = tst::RunSetupProgram(r.arguments, r.boxes, r.environment);
        tst::UseWindows(nullptr);
        EXPECT_EQ(report.problems, "");
        EXPECT_EQ(report.exitCode, r.exitCode);
        EXPECT_LT(GetTickCount() - start, tst::kSetupTimeoutMs) << "ended by itself, in time";
        std::vector<std::string> lines = LogLines();
        ASSERT_FALSE(lines.empty());
        const char* unattended = r.environment.size() > 1 ? "yes; exit code: the result code" : "no; exit code: 0";
        for (const std::string& start : {std::string("command line: \"") + r.arguments + "\"",
                                         std::string(r.windows ? "Windows: Windows 95 4.0" : "Windows: "),
                                         std::string("unattended: ") + unattended,
                                         std::string("setup directory: F:\\SYSTEM\\"), r.boxLine}) {
            EXPECT_TRUE(Holds(lines, start)) << start << "\n" << ReadFile(kLog);
        }
        EXPECT_EQ(lines.back(), r.result) << ReadFile(kLog);
    }
    Clean();
}

}  // namespace
