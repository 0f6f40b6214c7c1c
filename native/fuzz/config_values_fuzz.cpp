// Fuzz target of the TELMORA.INI value rules and the setting-line rebuild.
// The input is read as a workstation section ("Key: value" lines, looked up
// the way the reader looks them up) and is also given whole, unnormalised,
// to every key's rule. Every field must stay terminated inside its width
// with its form (directories upper case with their backslash); every setting
// line must be formed whole; a line the reader can read back whole must give
// the same line again; the search list, dropped sections and language codes
// must keep to their rules.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/config_lines.h"
#include "config/config_file.h"
#include "config/config_values.h"
#include "fuzz_support.h"

namespace {

const int kReaderSize = 201;
const std::size_t kReadableLength = kReaderSize - 1;
const std::size_t kSmallLineSizes[] = {1, 8, 40};
const std::size_t kDirectoryFieldSizes[] = {1, 2, 3, kAreaSize};

ClientSettings DefaultSettings() {
    ClientSettings settings;
    std::memset(&settings, 0, sizeof settings);
    std::strcpy(settings.language, "ENG");
    std::strcpy(settings.redirect, "LPT1");
    settings.timeout = 60;
    settings.statusTimer = 10;
    settings.network = kNetworkPrimary;
    return settings;
}

int HasLowerCase(const char* text) {
    for (; *text; ++text) {
        if (*text >= 'a' && *text <= 'z') return 1;
    }
    return 0;
}

template <std::size_t N>
int Terminated(const char (&field)[N]) {
    return std::memchr(field, '\0', N) != nullptr;
}

template <std::size_t N>
void CheckDirectoryField(const char (&field)[N]) {
    FUZZ_CHECK(Terminated(field));
    std::size_t length = std::strlen(field);
    FUZZ_CHECK(!HasLowerCase(field));
    // A directory ends in its backslash unless it fills the whole field.
    FUZZ_CHECK(length == 0 || field[length - 1] == '\\' || length == N - 1);
}

void CheckFields(const ClientSettings& s) {
    CheckDirectoryField(s.userArea);
    CheckDirectoryField(s.systemArea);
    CheckDirectoryField(s.requestArea);
    CheckDirectoryField(s.logArea);
    CheckDirectoryField(s.programDir);
    FUZZ_CHECK(Terminated(s.serverBaseDir) && Terminated(s.defaultUser) && Terminated(s.accept));
    FUZZ_CHECK(Terminated(s.spool) && Terminated(s.redirect) && Terminated(s.language));
    FUZZ_CHECK(!HasLowerCase(s.defaultUser) && !HasLowerCase(s.accept) && !HasLowerCase(s.spool));
    FUZZ_CHECK(s.useTsr == (s.spool[0] != '\0'));
    FUZZ_CHECK(s.network >= kNetworkOther && s.network <= kNetworkTertiary);
}

std::string KeyWithColon(WorkstationKey key) { return std::string(WorkstationKeyName(key)) + ":"; }

// Takes every key's value from the input the way the reader does.
ClientSettings ReadSettings(const std::string& bytes) {
    ClientSettings settings = DefaultSettings();
    fuzz::InputFile file(bytes);
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        WorkstationKey key = static_cast<WorkstationKey>(each);
        char line[kReaderSize];
        if (FindKey(file.Get(), KeyWithColon(key).c_str(), line, kReaderSize, 0)) {
            ApplyWorkstationValue(&settings, key, ValueStart(line));
        }
    }
    return settings;
}

std::string FormatLine(WorkstationKey key, const ClientSettings& settings, std::size_t size) {
    fuzz::Field line(size);
    std::size_t length = FormatSettingLine(key, &settings, line.Get(), size);
    FUZZ_CHECK(line.IsTerminated());
    FUZZ_CHECK(length == std::strlen(line.Get()));
    return line.Text();
}

// The area a key stands for, or null.
const char* AreaOf(WorkstationKey key, const ClientSettings& s) {
    switch (key) {
        case kKeyUserArea: return s.userArea;
        case kKeySystemArea: return s.systemArea;
        case kKeyRequestArea: return s.requestArea;
        case kKeyLogArea: return s.logArea;
        default: return nullptr;
    }
}

// An area is written without its last backslash (a root such as C:\ keeps
// it) and read back without trailing blanks, with a backslash added. Odd
// areas do not survive that: two backslashes at the end lose one, blanks
// before the last backslash are lost. 1 when the area comes back the same;
// only then is its line expected to come back the same.
int AreaComesBack(const char* area) {
    std::string written = area;
    std::size_t length = written.size();
    if (length >= 2 && written[length - 1] == '\\' && written[length - 2] != ':') written.pop_back();
    while (!written.empty() && written.back() == ' ') written.pop_back();
    if (!written.empty() && written.back() != '\\') written += '\\';
    return written == area;
}

int ShrinksWhenRead(WorkstationKey key, const ClientSettings& s) {
    const char* area = AreaOf(key, s);
    return area && !AreaComesBack(area);
}

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

// Every setting line is formed whole; a short field gets its beginning; a
// line short enough for the reader gives the same line when read back.
void CheckSettingLines(const ClientSettings& settings) {
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        WorkstationKey key = static_cast<WorkstationKey>(each);
        std::string line = FormatLine(key, settings, kSettingLineSize);
        if (key == kKeyAdminArea) {
            FUZZ_CHECK(line.empty());
            continue;
        }
        FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
        FUZZ_CHECK(fuzz::BeginsNoCase(line, KeyWithColon(key) + " "));
        for (std::size_t size : kSmallLineSizes) {
            FUZZ_CHECK(FormatLine(key, settings, size) == line.substr(0, size - 1));
        }

        std::string read = WithoutTrailingBlanks(line);
        if (read.size() > kReadableLength || ShrinksWhenRead(key, settings)) continue;
        ClientSettings again = settings;
        ApplyWorkstationValue(&again, key, ValueStart(read.c_str()));
        FUZZ_CHECK(WithoutTrailingBlanks(FormatLine(key, again, kSettingLineSize)) == read);
    }
}

void CheckWrittenMarks(const ClientSettings& settings) {
    fuzz::OutputFile output;
    WriteSettingLine(nullptr, nullptr, &settings);
    FUZZ_CHECK(WriteSettingLine(output.Get(), "timeout", &settings) == 1);
    FUZZ_CHECK(WriteSettingLine(output.Get(), "Timeout:", &settings) == 0);
    WriteSettingLine(output.Get(), nullptr, &settings);
    std::string all = output.Bytes();
    WriteSettingLine(output.Get(), nullptr, &settings);
    FUZZ_CHECK(output.Bytes() == all);  // every mark is set now

    std::string expected;
    if (!(settings.multiWorkstation && IsLeftOutOfSecondSection(kKeyTimeout))) {
        expected = FormatLine(kKeyTimeout, settings, kSettingLineSize);
    }
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        WorkstationKey key = static_cast<WorkstationKey>(each);
        if (key == kKeyTimeout || (settings.multiWorkstation && IsLeftOutOfSecondSection(key))) continue;
        expected += FormatLine(key, settings, kSettingLineSize);
    }
    FUZZ_CHECK(all == expected);
}

void CheckDerivedAreas(const std::string& text, ClientSettings settings) {
    fuzz::CText value(text);
    for (std::size_t size : kDirectoryFieldSizes) {
        fuzz::Field field(size);
        StoreDirectoryValue(field.Get(), size, value.Get());
        FUZZ_CHECK(field.IsTerminated() && !HasLowerCase(field.Get()));
        ExpectedServerArea(value.Get(), field.Get(), size);
        FUZZ_CHECK(field.IsTerminated());
        AllUserAreaOf(value.Get(), field.Get(), size);
        FUZZ_CHECK(field.IsTerminated());
        UserAreaFromAllUserArea(value.Get(), field.Get(), size);
        FUZZ_CHECK(field.IsTerminated());
    }

    char server[kAreaSize];
    ExpectedServerArea(settings.systemArea, server, sizeof server);
    std::string system = settings.systemArea;
    if (system.size() > 7 && fuzz::BeginsNoCase(system.substr(system.size() - 7), "SYSTEM\\")) {
        FUZZ_CHECK(server == system.substr(0, system.size() - 7) + "SERVER\\");
    } else {
        FUZZ_CHECK(server == system);
    }

    if (RecoverServerBaseDir(&settings)) {
        std::string base = settings.serverBaseDir;
        FUZZ_CHECK(!base.empty());
        FUZZ_CHECK(fuzz::UpperText(settings.userArea) == fuzz::UpperText(base + "USERS\\%NAME%\\"));
        FUZZ_CHECK(fuzz::UpperText(settings.systemArea) == fuzz::UpperText(base + "SYSTEM\\"));
        FUZZ_CHECK(fuzz::UpperText(settings.requestArea) == fuzz::UpperText(base + "REQUEST\\"));
    }
}

void CheckNetworkWords(const std::string& text, const std::uint8_t* data, std::size_t size) {
    fuzz::CText value(text);
    std::uint16_t code = 0;
    if (NetworkCodeFromValue(value.Get(), &code)) {
        FUZZ_CHECK(code >= kNetworkOther && code <= kNetworkTertiary);
        FUZZ_CHECK(fuzz::BeginsNoCase(text, NetworkWord(code)));
    } else {
        FUZZ_CHECK(code == 0);
    }
    std::uint16_t any = size >= 2 ? static_cast<std::uint16_t>(data[0] | data[1] << 8) : 0;
    FUZZ_CHECK(NetworkWord(any) != nullptr);
    FUZZ_CHECK(FindWorkstationKey(value.Get()) == kKeyNone ||
               fuzz::UpperText(WorkstationKeyName(FindWorkstationKey(value.Get()))) == fuzz::UpperText(text));
}

// The elements of the list split at ';', trimmed of blanks and tabs.
std::vector<std::string> ModelElements(const std::string& list, std::size_t limit, std::size_t size) {
    std::vector<std::string> elements;
    for (const std::string& piece : fuzz::Pieces(list, ';', list.size() + 1)) {
        std::size_t first = piece.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        std::size_t last = piece.find_last_not_of(" \t");
        std::string element = piece.substr(first, last - first + 1).substr(0, limit);
        elements.push_back(element.substr(0, size - 1));
    }
    return elements;
}

void CheckSearchList(const std::string& text) {
    fuzz::CText list(text);
    const std::size_t limits[][2] = {{254, 256}, {254, 2}, {3, 256}};
    for (const auto& limit : limits) {
        std::vector<std::string> found;
        std::size_t position = 0;
        fuzz::Field element(limit[1]);
        while (NextSearchElement(list.Get(), &position, element.Get(), limit[1], limit[0])) {
            FUZZ_CHECK(element.IsTerminated() && position <= text.size());
            found.push_back(element.Text());
            FUZZ_CHECK(found.size() <= text.size());
        }
        FUZZ_CHECK(found == ModelElements(text, limit[0], limit[1]));
    }
}

void CheckDroppedLines(const std::string& bytes) {
    for (int dropSecond = 0; dropSecond <= 1; ++dropSecond) {
        int dropping = 0;
        for (const fuzz::FileLine& line : fuzz::SplitLines(bytes, kReaderSize)) {
            int wasDropping = dropping;
            int dropped = IsDroppedLine(line.text.c_str(), dropSecond, &dropping);
            int opensDropped = fuzz::BeginsNoCase(line.text, "[SERVER-WKN]") ||
                               (dropSecond && fuzz::BeginsNoCase(line.text, "[WORKSTATION-1]"));
            int isSection = !line.text.empty() && line.text[0] == '[';
            FUZZ_CHECK(dropped == (opensDropped || (wasDropping && !isSection)));
            FUZZ_CHECK(dropping == (opensDropped || (wasDropping && !isSection)));
        }
    }
}

void CheckLanguageCode(const std::string& text) {
    fuzz::Field language(kLanguageSize);
    std::string code = text.substr(0, kLanguageSize - 1);
    std::memcpy(language.Get(), code.c_str(), code.size() + 1);
    MapWindowsLanguage(language.Get());
    FUZZ_CHECK(language.IsTerminated());
    if (code.empty()) FUZZ_CHECK(language.Text() == "ENG");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string text = fuzz::TextOf(data, size);

    ClientSettings settings = ReadSettings(bytes);
    CheckFields(settings);
    CheckSettingLines(settings);
    settings.multiWorkstation = size % 2;
    CheckWrittenMarks(settings);
    CheckDerivedAreas(text, settings);

    // The whole text as every key's value, unnormalised and over-long.
    ClientSettings raw = DefaultSettings();
    fuzz::CText value(text);
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        ApplyWorkstationValue(&raw, static_cast<WorkstationKey>(each), value.Get());
    }
    ApplyWorkstationValue(&raw, kKeyNone, value.Get());
    CheckFields(raw);
    for (int each = 0; each < kWorkstationKeyCount; ++each) {
        FormatLine(static_cast<WorkstationKey>(each), raw, kSettingLineSize);
    }

    CheckNetworkWords(text, data, size);
    CheckSearchList(text);
    CheckDroppedLines(bytes);
    CheckLanguageCode(text);
    return 0;
}
