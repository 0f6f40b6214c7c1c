// The command-line grammar of STNIN32.EXE: switches /B /D /N /Q /S /U /X and
// /I <directory>, introduced by '/' or '-', letters in any case, separated by
// blanks or by the next switch character. Pure text: no windows.h.
#include "startup/command_line.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "ui/resource_ids.h"

namespace {

const char kBlank = ' ';
const char kQuote = '"';
const char kSlash = '/';
const char kDash = '-';
const char kBackslash = '\\';
const char kConfigDirectoryLetter = 'I';

// The switches that only set a flag; /N is accepted and sets nothing.
struct SwitchFlag {
    char letter;
    int CommandLineSwitches::*field;
};

const SwitchFlag kSwitchFlags[] = {
    {'B', &CommandLineSwitches::netBaseDirSwitch},
    {'D', &CommandLineSwitches::demoSwitch},
    {'N', nullptr},
    {'Q', &CommandLineSwitches::quietSwitch},
    {'S', &CommandLineSwitches::serverSwitch},
    {'U', &CommandLineSwitches::updateSwitch},
    {'X', &CommandLineSwitches::uninstallMode},
};

int IsSwitchCharacter(char c) { return c == kSlash || c == kDash; }

std::size_t SkipBlanks(const char* line, std::size_t i) {
    while (line[i] == kBlank) ++i;
    return i;
}

std::size_t SkipBlanksAndQuotes(const char* line, std::size_t i) {
    while (line[i] == kBlank || line[i] == kQuote) ++i;
    return i;
}

// The character that ends a directory text starting at `begin`: a '-' or the
// end of the line, or the '/' right after a character of the directory. A
// directory that starts with '/' is empty.
std::size_t DirectoryTextEnd(const char* line, std::size_t begin) {
    std::size_t i = begin;
    if (line[i] == kSlash) return i;
    while (line[i] != '\0' && line[i] != kDash) {
        ++i;
        if (line[i] == kSlash) break;
    }
    return i;
}

// Reads the directory after /I into switches.configDirectory (trailing blanks
// and quotes dropped, upper case, ending in a backslash) and asks `check`
// about it. `next` receives the character that ended the directory, where
// scanning resumes. Returns 0 or the error id.
int ReadConfigDirectory(const char* line, std::size_t afterLetter, CommandLineSwitches& switches,
                        ConfigDirectoryCheck check, void* context, std::size_t& next) {
    std::size_t begin = SkipBlanksAndQuotes(line, afterLetter);
    std::size_t end = DirectoryTextEnd(line, begin);
    next = end;

    std::size_t length = end - begin;
    while (length > 0 && (line[begin + length - 1] == kBlank || line[begin + length - 1] == kQuote)) {
        --length;
    }

    // A directory that does not fit the field is refused rather than cut: a
    // cut text names some other directory, and the user is better served by
    // the error than by a run against a directory he did not name.
    int needsBackslash = length > 0 && line[begin + length - 1] != kBackslash;
    if (length + needsBackslash >= kConfigDirectorySize) return IDS_INVALID_DIRECTORY_SWITCH;

    text::CopyPrefix(switches.configDirectory, line + begin, length);
    text::UpperCase(switches.configDirectory);
    AddTrailingBackslash(switches.configDirectory);

    if (check && !check(switches.configDirectory, context)) return IDS_INVALID_DIRECTORY_SWITCH;
    return 0;
}

// Handles the switch whose letter is at `letter`; `next` receives the
// position where scanning goes on. Returns 0 or the error id.
int ApplySwitch(const char* line, std::size_t letter, CommandLineSwitches& switches,
                ConfigDirectoryCheck check, void* context, std::size_t& next) {
    char upper = text::UpperChar(line[letter]);
    if (upper == '\0') return IDS_INVALID_SWITCH;
    if (upper == kConfigDirectoryLetter) {
        return ReadConfigDirectory(line, letter + 1, switches, check, context, next);
    }
    for (const SwitchFlag& flag : kSwitchFlags) {
        if (flag.letter != upper) continue;
        if (flag.field) switches.*flag.field = 1;
        next = letter + 1;
        return 0;
    }
    return IDS_INVALID_SWITCH;
}

}  // namespace

int ScanCommandLine(const char* commandLine, CommandLineSwitches& switches,
                    ConfigDirectoryCheck check, void* context) {
    std::memset(&switches, 0, sizeof switches);
    const char* line = commandLine ? commandLine : "";

    std::size_t i = 0;
    while (line[i] != '\0') {
        if (line[i] == kBlank) {
            ++i;
            continue;
        }
        if (!IsSwitchCharacter(line[i])) return IDS_INVALID_PARAMETER;
        std::size_t letter = SkipBlanks(line, i + 1);
        int error = ApplySwitch(line, letter, switches, check, context, i);
        if (error) return error;
    }

    switches.quietInstall = switches.quietSwitch && !switches.updateSwitch && !switches.uninstallMode;
    return 0;
}
