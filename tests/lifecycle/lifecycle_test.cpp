// The whole life of the fax client on one PC, under each Windows personality
// that Wine can give STNIN32.EXE (lifecycle_steps.h), each on a Wine PC of its
// own (one ctest entry each). A snapshot before and after each step gives the
// step's whole change list, which must be what expected_changes.txt lists for
// it; after the uninstallation the PC may differ from its state before the
// installation only by what that file lists as staying, each with its reason.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "lifecycle/lifecycle_steps.h"
#include "support/process_driver.h"
#include "support/snapshot.h"
#include "support/x86_pc.h"

namespace {

using lifecycle::Windows;

// A pattern of expected changes ('*' any text, '?' one character, no regard to
// case) and how many changes it must match (0: one or more).
struct Pattern {
    std::string text;
    int count;
};

bool Matches(const char* pattern, const char* text) {
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
    if (!*pattern || !*text) return !*pattern && !*text;
    return (*pattern == '?' || std::toupper(static_cast<unsigned char>(*pattern)) ==
                                   std::toupper(static_cast<unsigned char>(*text))) &&
           Matches(pattern + 1, text + 1);
}

// expected_changes.txt: "[step]" starts a step's list; each line is
// "PERSONALITY [xCOUNT] PATTERN", where $NAME stands for a long path and the
// first {a,b,...} makes one pattern of each alternative; '#' starts a comment.
std::map<std::string, std::vector<Pattern>> ExpectedChanges(const Windows& windows) {
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    const std::pair<std::string, std::string> kNames[] = {
        {"$PROGRAMS", programs},
        {"$WIN", "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion"},
        {"$PORTS", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports"},
        {"$PRINT", "HKLM\\System\\CurrentControlSet\\Control\\Print"},
        {"$UNINSTALL", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation"},
        {"$SYS", "C:\\windows\\system32"},
    };
    std::string version = windows.wineVersion, step, line;
    std::map<std::string, std::vector<Pattern>> steps;
    std::string data = tst::ReadFile(tst::UnixToWinePath(TELMORA_SOURCE_DIR "/tests/lifecycle/expected_changes.txt"));
    EXPECT_NE(data, "") << "no expected_changes.txt";
    for (size_t start = 0, end = 0; start < data.size(); start = end + 1) {
        end = std::min(data.find('\n', start), data.size());
        line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            steps[step = line.substr(1, line.find(']') - 1)];
            continue;
        }
        std::string who = line.substr(0, line.find(' ')), rest = line.substr(who.size() + 1);
        if (who != "all" && "win" + who != version && "nt" + who != version && (who != "nt" || !windows.nt)) continue;
        int count = rest[0] == 'x' ? std::stoi(rest.substr(1)) : 0;
        if (count) rest = rest.substr(rest.find(' ') + 1);
        for (const auto& name : kNames) {
            for (size_t at; (at = rest.find(name.first)) != std::string::npos;) rest.replace(at, name.first.size(), name.second);
        }
        size_t open = rest.find('{'), close = rest.find('}');
        std::string choices = open == std::string::npos ? "," : rest.substr(open + 1, close - open - 1) + ",";
        for (size_t from = 0, comma; (comma = choices.find(',', from)) != std::string::npos; from = comma + 1) {
            std::string one = choices.substr(from, comma - from);
            steps[step].push_back({open == std::string::npos ? rest : rest.substr(0, open) + one + rest.substr(close + 1), count});
        }
    }
    return steps;
}

// Every change matched by a pattern, every pattern by its number of changes.
void ExpectChanges(const std::vector<Pattern>& patterns, const std::vector<tst::Change>& changes) {
    std::string report;
    std::vector<bool> covered(changes.size());
    for (const Pattern& pattern : patterns) {
        int found = 0;
        for (size_t i = 0; i < changes.size(); ++i) {
            if (Matches(pattern.text.c_str(), changes[i].Describe().c_str())) found += (covered[i] = true);
        }
        if (pattern.count ? found != pattern.count : found == 0) {
            report += "  missing: " + pattern.text + " (" + std::to_string(found) + " found)\n";
        }
    }
    for (size_t i = 0; i < changes.size(); ++i) {
        if (!covered[i]) report += "  not expected: " + changes[i].Describe() + "\n";
    }
    EXPECT_EQ(report, "") << "all changes:\n" << tst::DescribeChanges(changes);
}

// The check must see a change it was not told of, and miss one it was.
void CheckOneWrongChange() { ExpectChanges({{"+ file A*", 0}}, {tst::Change{'+', "file", "B", "", ""}}); }

void LiveThrough(const Windows& windows) {
    EXPECT_NONFATAL_FAILURE(CheckOneWrongChange(), "missing: + file A*");
    EXPECT_NONFATAL_FAILURE(CheckOneWrongChange(), "not expected: + file B");
    if (windows.nt && !tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
    ASSERT_FALSE(tst::FileExists("C:\\windows\\TELMORA.INI")) << "the PC already has a client configuration";
    ASSERT_TRUE(lifecycle::PreparePc(windows));
    std::map<std::string, std::vector<Pattern>> expected = ExpectedChanges(windows);
    tst::Snapshot start = tst::Snapshot::Take(), pc = start;
    for (const lifecycle::Step& step : lifecycle::Steps(windows)) {
        SCOPED_TRACE(step.name);
        if (step.before) step.before(windows), pc = tst::Snapshot::Take();
        tst::ExpectRun(step.arguments, step.boxes);
        tst::Snapshot after = tst::Snapshot::Take();
        // The uninstallation is checked by what stays.
        if (std::string(step.name) != "uninstall") {
            ASSERT_TRUE(expected.count(step.name)) << "no expected changes for " << step.name;
            ExpectChanges(expected[step.name], pc.ChangesTo(after));
        }
        pc = step.after ? (step.after(), tst::Snapshot::Take()) : after;
    }
    SCOPED_TRACE("left after the uninstallation");
    ASSERT_TRUE(expected.count("left"));
    ExpectChanges(expected["left"], start.ChangesTo(pc));
}

TEST(Lifecycle, Windows95) { LiveThrough(lifecycle::kWindows95); }

TEST(Lifecycle, WindowsNT351) { LiveThrough(lifecycle::kWindowsNT351); }

TEST(Lifecycle, WindowsNT40) { LiveThrough(lifecycle::kWindowsNT40); }

}  // namespace
