// Fuzz target of the command-line grammar: any text as the command line,
// scanned with a directory check that accepts, one that refuses and one that
// decides by the directory's length. The result must be one of the three
// error ids or 0; the directory must be held whole, upper case, ending in its
// backslash, and be what the check was asked about; an accepted line, written
// out again switch by switch, must scan to the same switches.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "startup/command_line.h"
#include "ui/resource_ids.h"

namespace {

struct CheckRecord {
    int mode;  // 0 refuses, 1 accepts, 2 accepts directories of even length
    int calls;
    std::string last;
};

int RecordingCheck(const char* directory, void* context) {
    CheckRecord* record = static_cast<CheckRecord*>(context);
    ++record->calls;
    record->last = directory;
    if (record->mode == 2) return std::strlen(directory) % 2 == 0;
    return record->mode;
}

int IsFlag(int value) { return value == 0 || value == 1; }

void CheckSwitches(const CommandLineSwitches& s) {
    FUZZ_CHECK(IsFlag(s.netBaseDirSwitch) && IsFlag(s.demoSwitch) && IsFlag(s.quietSwitch));
    FUZZ_CHECK(IsFlag(s.serverSwitch) && IsFlag(s.updateSwitch) && IsFlag(s.uninstallMode));
    FUZZ_CHECK(std::memchr(s.configDirectory, '\0', sizeof s.configDirectory) != nullptr);
    std::string directory = s.configDirectory;
    FUZZ_CHECK(directory == fuzz::UpperText(directory));
    FUZZ_CHECK(directory.empty() || directory.back() == '\\');
}

// The switches written out as a command line the grammar accepts.
std::string Written(const CommandLineSwitches& s) {
    std::string line;
    if (s.netBaseDirSwitch) line += " /B";
    if (s.demoSwitch) line += " -d";
    if (s.quietSwitch) line += " /Q";
    if (s.serverSwitch) line += " / s";
    if (s.updateSwitch) line += " /U";
    if (s.uninstallMode) line += " /X";
    if (s.configDirectory[0]) line += std::string(" /I ") + s.configDirectory;
    return line;
}

int SameSwitches(const CommandLineSwitches& a, const CommandLineSwitches& b) {
    return a.netBaseDirSwitch == b.netBaseDirSwitch && a.demoSwitch == b.demoSwitch &&
           a.quietSwitch == b.quietSwitch && a.serverSwitch == b.serverSwitch && a.updateSwitch == b.updateSwitch &&
           a.uninstallMode == b.uninstallMode && a.quietInstall == b.quietInstall &&
           std::strcmp(a.configDirectory, b.configDirectory) == 0;
}

void Scan(const std::string& text, int mode) {
    fuzz::CText line(text);
    CommandLineSwitches switches;
    std::memset(&switches, 0x5a, sizeof switches);
    CheckRecord record = {mode, 0, std::string()};
    int result = ScanCommandLine(line.Get(), switches, RecordingCheck, &record);
    FUZZ_CHECK(result == 0 || result == IDS_INVALID_DIRECTORY_SWITCH || result == IDS_INVALID_SWITCH ||
               result == IDS_INVALID_PARAMETER);
    CheckSwitches(switches);
    // The field holds the directory last asked about (a directory too long
    // for the field is refused before it is asked about or stored).
    if (record.calls > 0) FUZZ_CHECK(record.last == switches.configDirectory);
    if (mode == 0) FUZZ_CHECK(result == IDS_INVALID_DIRECTORY_SWITCH || record.calls == 0);
    if (result != 0) return;

    FUZZ_CHECK(switches.quietInstall == (switches.quietSwitch && !switches.updateSwitch && !switches.uninstallMode));
    std::string again = Written(switches);
    fuzz::CText written(again);
    CommandLineSwitches rescanned;
    CheckRecord accept = {1, 0, std::string()};
    FUZZ_CHECK(ScanCommandLine(written.Get(), rescanned, RecordingCheck, &accept) == 0);
    FUZZ_CHECK(SameSwitches(switches, rescanned));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text = fuzz::TextOf(data, size);
    for (int mode = 0; mode <= 2; ++mode) Scan(text, mode);

    CommandLineSwitches none;
    FUZZ_CHECK(ScanCommandLine(nullptr, none, nullptr, nullptr) == 0);
    return 0;
}
