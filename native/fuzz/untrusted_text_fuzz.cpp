// Fuzz target of the text that comes from files and programs we do not control, the input taken as each: an
// AUTOEXEC.BAT line (a command word lies in its line, the spooler line rebuilt from it has it at the same place,
// a formed QVTLINIT line is one), the WIN.INI load= line (cut out, the client leaves no element; appended, it
// stays in its field; cut out again, the line is as before), a TELMORA.INI whose [SERVER] key is set in place
// (every line ends in CR LF, the key reads back, a second copy changes nothing), [Intl] sLanguage, a language
// library's name, the Program Manager's group description and the command line (every field terminated in its
// size, a language found is the table's, a count 16-bit, a /I directory fits and ends in a backslash).
#include <cctype>

#include "autoexec/autoexec_lines.h"
#include "autoexec/key_rewrite.h"
#include "common/bounded_text.h"
#include "common/client_settings.h"
#include "common/config_lines.h"
#include "config/config_values.h"
#include "config/load_list.h"
#include "desktop/dde_conversation.h"
#include "desktop/load_line.h"
#include "fuzz_support.h"
#include "startup/command_line.h"
#include "ui/language_table.h"
#include "ui/resource_ids.h"

static void AutoexecLine(const std::string& text) {
    fuzz::Text line(text.substr(0, kAutoexecLineSize - 1));
    const char* word = FindCommandWord(kSpoolerName, line.Get());
    FUZZ_CHECK(IsSpoolerLine(line.Get()) == (word != nullptr) && (!word || (word >= line.Get() && *word)));
    char formed[kFormedLineSize], value[272];
    if (word) RebuildSpoolerLine(formed, line.Get(), word, "C:\\TELMORA\\");
    FUZZ_CHECK(!word || FindCommandWord(kSpoolerName, formed) == formed + (word - line.Get()));
    QvtlinitValueOf(value, sizeof value, line.Get());
    FormQvtlinitLine(formed, value);
    FUZZ_CHECK(IsQvtlinitLine(formed) == 1 && std::strlen(formed) == std::strlen(value) + 13);
}

static void LoadLine(std::string text) {
    text = text.substr(0, kLoadLineReadSize - 1);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    fuzz::Text list(text);
    RemoveClientElements(list.Get());
    const std::string removed = list.Get();
    FUZZ_CHECK(removed.size() <= text.size() && !FindClientInLoadList(list.Get()));
    for (std::size_t width : {std::size_t{1}, removed.size() + 1, std::size_t{kLoadLineSize}}) {
        fuzz::Text field(width);
        text::CopyInto(field.Get(), width, removed.c_str());
        AppendClientProgram(field.Get(), width, "C:\\TELMORA\\");
        FUZZ_CHECK(field.Terminated() && (width < kLoadLineSize || FindClientInLoadList(field.Get())));
        if (width == kLoadLineSize) RemoveClientElements(field.Get()), FUZZ_CHECK(removed == field.Get());
    }
}

static void KeySetInPlace(const std::string& bytes) {
    tbl::ByteFile input(bytes), output, again;
    FUZZ_CHECK(CopyWithKeySet(input.file, output.file, "[SERVER]", "ServerArea:", "Z:\\TELMORA", nullptr) == 1);
    const std::string copied = output.Bytes();
    for (std::size_t end = copied.find('\n'); end != std::string::npos; end = copied.find('\n', end + 1)) {
        FUZZ_CHECK(end > 0 && copied[end - 1] == '\r');
    }
    char read[kKeyRewriteLineSize];
    long section = 0;
    std::rewind(output.file);
    FUZZ_CHECK(FindSection(output.file, "[SERVER]", read, sizeof read, &section) &&
               FindKey(output.file, "ServerArea:", read, sizeof read, section) && !std::strcmp(read, "ServerArea: Z:\\TELMORA"));
    std::rewind(output.file);
    FUZZ_CHECK(CopyWithKeySet(output.file, again.file, "[SERVER]", "ServerArea:", "Z:\\TELMORA", nullptr) == 1);
    FUZZ_CHECK(again.Bytes() == copied);
}

static void LookUps(const std::string& text, int answer) {
    fuzz::Text language(kLanguageSize);
    text::CopyInto(language.Get(), kLanguageSize, text.c_str());
    MapWindowsLanguage(language.Get());
    char code[kLanguageCodeSize];
    LanguageCodeOfFile(text.c_str(), code);
    FUZZ_CHECK(language.Terminated() && strnlen(code, sizeof code) < sizeof code);
    for (const LanguageEntry* found : {FindLanguageByCode(code), FindLanguageByName(text.c_str())}) {
        FUZZ_CHECK(!found || (found >= kLanguageTable && found < kLanguageTable + kLanguageCount &&
                              FindLanguageByCode(found->code) == found));
    }
    FUZZ_CHECK(GroupItemCount(text.c_str()) >= -32768 && GroupItemCount(text.c_str()) <= 32767);
    auto asked = [](const char* directory, void* given) {
        std::size_t length = strnlen(directory, kConfigDirectorySize);
        FUZZ_CHECK(length < kConfigDirectorySize && (length == 0 || directory[length - 1] == '\\'));
        return *static_cast<int*>(given);
    };
    CommandLineSwitches switches;
    const int error = ScanCommandLine(text.c_str(), switches, asked, &answer);
    FUZZ_CHECK(error == 0 || error == IDS_INVALID_DIRECTORY_SWITCH || error == IDS_INVALID_SWITCH ||
               error == IDS_INVALID_PARAMETER);
    asked(switches.configDirectory, &answer);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::TextOf(data, size);
    AutoexecLine(text);
    LoadLine(text);
    KeySetInPlace(std::string(reinterpret_cast<const char*>(data), size));
    LookUps(text, static_cast<int>(size % 2));
    return 0;
}
