// Value rules of TELMORA.INI: the per-key rules of the reader, the network
// words, the server areas derived from the workstation's, the setting lines
// of the writer with their written-marks, the sections a rewrite drops, the
// search-list elements and the language codes. Pure C runtime: no windows.h.
#include "config/config_values.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "common/path_helpers.h"
#include "config/config_file.h"
#include "config/config_state.h"

const char kConfigFileName[] = "TELMORA.INI";

namespace {

const char* const kKeyNames[kWorkstationKeyCount] = {
    "UserArea", "AdminArea", "SystemArea", "RequestArea", "LogArea",     "DefaultUser", "Accept",
    "Spool",    "Redirect",  "Timeout",    "StatusTimer", "Network",     "Help",        "Language",
};

// Network words by code; index 0 is no code.
const char* const kNetworkWords[] = {
    nullptr, "OTHER", "LANMANAGER", "WFW", "NETWARE", "NETBIOS", "PRIMARY", "SECONDARY", "TERTIARY",
};
const std::uint16_t kNetworkCodeCount = sizeof kNetworkWords / sizeof kNetworkWords[0];
const char kUnknownNetworkWord[] = "???";

// The order in which a Network value is matched against the words.
const std::uint16_t kNetworkReadOrder[] = {
    kNetworkPrimary, kNetworkSecondary, kNetworkTertiary, kNetworkLanManager,
    kNetworkWfw,     kNetworkNetware,   kNetworkNetbios,  kNetworkOther,
};

const char kNamePlaceholder[] = "%NAME%\\";
const char kUserNamePlaceholder[] = "%USERNAME%\\";
const char kSystemDirectory[] = "SYSTEM\\";
const char kServerDirectory[] = "SERVER\\";
const char kUsersDirectory[] = "USERS\\%NAME%\\";
const char kRequestDirectory[] = "REQUEST\\";
const char kHelpFileName[] = "TELMORA.HLP";
const char kEnglish[] = "ENG";

const char kSecondWorkstationSection[] = "[WORKSTATION-1]";
const char kServerWorkstationSection[] = "[SERVER-WKN]";

const std::size_t kDefaultUserLength = kDefaultUserSize - 1;
const std::size_t kAcceptLength = kAcceptSize - 1;
const std::size_t kDeviceLength = kDeviceSize - 1;
const std::size_t kLanguageLength = kLanguageSize - 1;

struct LanguageCode {
    const char* windows;
    const char* client;
};

// WIN.INI sLanguage codes, matched in this order over the Windows code's length.
const LanguageCode kLanguageCodes[] = {
    {"ENG", "ENG"}, {"ENU", "ENU"}, {"PL", "POL"}, {"FR", "FRE"}, {"DE", "GER"}, {"SV", "SWE"},
    {"NO", "NOR"},  {"ES", "SPA"},  {"IT", "ITA"}, {"DA", "DAN"}, {"EL", "GRE"}, {"FI", "FIN"},
    {"PT", "PTG"},  {"NL", "NLD"},  {"HU", "HUN"}, {"RO", "ROM"},
};

const std::uint32_t kShortRange = 0x10000;

std::size_t FormatInto(char* target, std::size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::size_t length = text::FormatListInto(target, size, format, args);
    va_end(args);
    return length;
}

// 1 when the last strlen(ending) characters of `value` equal `ending` (any case).
int EndsWithNoCase(const char* value, const char* ending) {
    std::size_t length = std::strlen(value);
    std::size_t endingLength = std::strlen(ending);
    return length >= endingLength && text::StartsWithNoCase(value + length - endingLength, ending);
}

// Replaces a final `ending` of `value` (any case) by `replacement`; the
// field is `size` bytes.
void ReplaceEnding(char* value, std::size_t size, const char* ending, const char* replacement) {
    if (!EndsWithNoCase(value, ending)) return;
    std::size_t kept = std::strlen(value) - std::strlen(ending);
    text::CopyInto(value + kept, size - kept, replacement);
}

// The same, only when the text is longer than the ending: a directory that
// is just SYSTEM\ or %NAME%\ has no base directory in front of it to keep.
void ReplaceLongerEnding(char* value, std::size_t size, const char* ending, const char* replacement) {
    if (std::strlen(value) > std::strlen(ending)) ReplaceEnding(value, size, ending, replacement);
}

void StoreUpperText(char* field, std::size_t size, const char* value, std::size_t limit) {
    text::CopyInto(field, limit + 1 < size ? limit + 1 : size, value);
    text::UpperCase(field);
}

// A decimal 16-bit number; 0 when the value does not begin with one.
int ParseShortNumber(const char* value, std::int16_t* number) {
    const char* digit = value;
    int negative = 0;
    if (*digit == '-' || *digit == '+') negative = *digit++ == '-';
    if (*digit < '0' || *digit > '9') return 0;
    std::uint32_t magnitude = 0;
    for (; *digit >= '0' && *digit <= '9'; ++digit) {
        magnitude = (magnitude * 10 + static_cast<std::uint32_t>(*digit - '0')) % kShortRange;
    }
    if (negative) magnitude = (kShortRange - magnitude) % kShortRange;
    *number = static_cast<std::int16_t>(static_cast<std::uint16_t>(magnitude));
    return 1;
}

void ApplyHelpValue(ClientSettings* settings, const char* value) {
    const char* lastSeparator = nullptr;
    for (const char* c = value; *c; ++c) {
        if (*c == '\\' || *c == ':') lastSeparator = c;
    }
    if (!lastSeparator) return;  // a bare file name keeps the program directory
    char directory[kAreaSize];
    std::size_t length = static_cast<std::size_t>(lastSeparator - value) + 1;
    text::CopyPrefix(directory, value, length);
    StoreDirectoryValue(settings->programDir, directory);
}

void ApplyLanguageValue(ClientSettings* settings, const char* value) {
    text::CopyPrefix(settings->language, text::IsEmpty(value) ? kEnglish : value, kLanguageLength);
}

void ApplyUserAreaValue(ClientSettings* settings, const char* value) {
    StoreDirectoryValue(settings->userArea, value);
    ReplaceEnding(settings->userArea, kAreaSize, kUserNamePlaceholder, kNamePlaceholder);
}

// An area as the file holds it: the directory without its trailing backslash.
std::size_t FormatAreaLine(const char* name, const char* area, char* line, std::size_t size) {
    char value[kAreaSize];
    text::Copy(value, area);
    RemoveTrailingBackslash(value);
    return FormatInto(line, size, "%s: %s\r\n", name, value);
}

const char* AreaField(WorkstationKey key, const ClientSettings* settings) {
    switch (key) {
        case kKeyUserArea: return settings->userArea;
        case kKeySystemArea: return settings->systemArea;
        case kKeyRequestArea: return settings->requestArea;
        case kKeyLogArea: return settings->logArea;
        default: return nullptr;
    }
}

const char* TextField(WorkstationKey key, const ClientSettings* settings) {
    switch (key) {
        case kKeyDefaultUser: return settings->defaultUser;
        case kKeyAccept: return settings->accept;
        case kKeySpool: return settings->spool;
        case kKeyRedirect: return settings->redirect;
        case kKeyLanguage: return settings->language;
        case kKeyNetwork: return NetworkWord(settings->network);
        default: return nullptr;
    }
}

int IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

}  // namespace

const char* WorkstationKeyName(WorkstationKey key) {
    return key >= 0 && key < kWorkstationKeyCount ? kKeyNames[key] : "";
}

WorkstationKey FindWorkstationKey(const char* name) {
    for (int key = 0; key < kWorkstationKeyCount; ++key) {
        if (text::EqualNoCase(name, kKeyNames[key])) return static_cast<WorkstationKey>(key);
    }
    return kKeyNone;
}

int IsLeftOutOfSecondSection(WorkstationKey key) {
    switch (key) {
        case kKeyLogArea:
        case kKeyAccept:
        case kKeySpool:
        case kKeyRedirect:
        case kKeyTimeout:
        case kKeyLanguage:
            return 1;
        default:
            return 0;
    }
}

void StoreDirectoryValue(char* field, std::size_t size, const char* value) {
    text::CopyInto(field, size, value);
    AddTrailingBackslash(field, size);
    text::UpperCase(field);
}

void ApplyWorkstationValue(ClientSettings* settings, WorkstationKey key, const char* value) {
    if (!value) value = "";
    switch (key) {
        case kKeyUserArea: ApplyUserAreaValue(settings, value); break;
        case kKeySystemArea: StoreDirectoryValue(settings->systemArea, value); break;
        case kKeyRequestArea: StoreDirectoryValue(settings->requestArea, value); break;
        case kKeyLogArea: StoreDirectoryValue(settings->logArea, value); break;
        case kKeyDefaultUser:
            StoreUpperText(settings->defaultUser, kDefaultUserSize, value, kDefaultUserLength);
            break;
        case kKeyAccept: StoreUpperText(settings->accept, kAcceptSize, value, kAcceptLength); break;
        case kKeySpool:
            StoreUpperText(settings->spool, kDeviceSize, value, kDeviceLength);
            settings->useTsr = settings->spool[0] != '\0';
            break;
        case kKeyRedirect: StoreUpperText(settings->redirect, kDeviceSize, value, kDeviceLength); break;
        case kKeyTimeout: ParseShortNumber(value, &settings->timeout); break;
        case kKeyStatusTimer: ParseShortNumber(value, &settings->statusTimer); break;
        case kKeyNetwork: NetworkCodeFromValue(value, &settings->network); break;
        case kKeyHelp: ApplyHelpValue(settings, value); break;
        case kKeyLanguage: ApplyLanguageValue(settings, value); break;
        default: break;  // AdminArea: not a setting of this program
    }
}

std::size_t FormatSettingLine(WorkstationKey key, const ClientSettings* settings, char* line, std::size_t size) {
    const char* name = WorkstationKeyName(key);
    if (const char* area = AreaField(key, settings)) return FormatAreaLine(name, area, line, size);
    if (const char* value = TextField(key, settings)) return FormatInto(line, size, "%s: %s\r\n", name, value);
    switch (key) {
        case kKeyTimeout: return FormatInto(line, size, "%s: %d\r\n", name, settings->timeout);
        case kKeyStatusTimer: return FormatInto(line, size, "%s: %d\r\n", name, settings->statusTimer);
        case kKeyHelp: return FormatInto(line, size, "%s: %s%s\r\n", name, settings->programDir, kHelpFileName);
        default: return FormatInto(line, size, "%s", "");
    }
}

const char* NetworkWord(std::uint16_t code) {
    return code > 0 && code < kNetworkCodeCount ? kNetworkWords[code] : kUnknownNetworkWord;
}

int NetworkCodeFromValue(const char* value, std::uint16_t* code) {
    short length = 0;
    const char* next = nullptr;
    const char* token = NextToken(value, &length, &next);
    if (!token) return 0;
    for (std::uint16_t candidate : kNetworkReadOrder) {
        const char* word = kNetworkWords[candidate];
        if (std::strlen(word) == static_cast<std::size_t>(length) && text::StartsWithNoCase(token, word)) {
            *code = candidate;
            return 1;
        }
    }
    return 0;
}

void ExpectedServerArea(const char* systemArea, char* serverArea, std::size_t size) {
    text::CopyInto(serverArea, size, systemArea);
    ReplaceLongerEnding(serverArea, size, kSystemDirectory, kServerDirectory);
}

void AllUserAreaOf(const char* userArea, char* allUserArea, std::size_t size) {
    text::CopyInto(allUserArea, size, userArea);
    ReplaceLongerEnding(allUserArea, size, kNamePlaceholder, "");
}

void UserAreaFromAllUserArea(const char* value, char* userArea, std::size_t size) {
    StoreDirectoryValue(userArea, size, value);
    std::size_t used = std::strlen(userArea);
    text::CopyInto(userArea + used, size - used, kNamePlaceholder);
}

int RecoverServerBaseDir(ClientSettings* settings) {
    const std::size_t usersLength = std::strlen(kUsersDirectory);
    std::size_t userLength = std::strlen(settings->userArea);
    if (userLength <= usersLength) return 0;
    std::size_t base = userLength - usersLength;
    if (std::strlen(settings->systemArea) != base + std::strlen(kSystemDirectory)) return 0;
    if (std::strlen(settings->requestArea) != base + std::strlen(kRequestDirectory)) return 0;

    char baseText[kAreaSize];
    text::CopyPrefix(baseText, settings->userArea, base);
    if (!text::StartsWithNoCase(settings->systemArea, baseText) ||
        !text::StartsWithNoCase(settings->requestArea, baseText)) {
        return 0;
    }
    if (!text::EqualNoCase(settings->userArea + base, kUsersDirectory) ||
        !text::EqualNoCase(settings->systemArea + base, kSystemDirectory) ||
        !text::EqualNoCase(settings->requestArea + base, kRequestDirectory)) {
        return 0;
    }
    text::Copy(settings->serverBaseDir, baseText);
    return 1;
}

int IsDroppedLine(const char* line, int dropSecondSection, int* dropping) {
    if (*dropping) {
        if (!IsSectionLine(line)) return 1;
        *dropping = 0;
    }
    if (text::StartsWithNoCase(line, kServerWorkstationSection) ||
        (dropSecondSection && text::StartsWithNoCase(line, kSecondWorkstationSection))) {
        *dropping = 1;
        return 1;
    }
    return 0;
}

int NextSearchElement(const char* list, std::size_t* position, char* element, std::size_t size,
                      std::size_t limit) {
    while (list[*position] != '\0') {
        const char* start = list + *position;
        const char* end = std::strchr(start, ';');
        if (!end) end = start + std::strlen(start);
        *position = static_cast<std::size_t>(end - list) + (*end == ';' ? 1 : 0);

        while (start < end && IsBlankOrTab(*start)) ++start;
        while (end > start && IsBlankOrTab(end[-1])) --end;
        std::size_t length = static_cast<std::size_t>(end - start);
        if (length == 0) continue;
        if (length > limit) length = limit;
        text::CopyInto(element, length + 1 < size ? length + 1 : size, start);
        return 1;
    }
    return 0;
}

void MapWindowsLanguage(char* language) {
    if (language[0] == '\0') {
        text::CopyInto(language, kLanguageSize, kEnglish);
        return;
    }
    for (const LanguageCode& code : kLanguageCodes) {
        if (text::StartsWithNoCase(language, code.windows)) {
            text::CopyInto(language, kLanguageSize, code.client);
            return;
        }
    }
}

namespace {

void WriteSetting(FILE* output, WorkstationKey key, const ClientSettings* settings) {
    g_config.settingWritten[key] = 1;
    if (settings->multiWorkstation && IsLeftOutOfSecondSection(key)) return;
    char line[kSettingLineSize];
    FormatSettingLine(key, settings, line, sizeof line);
    std::fputs(line, output);
}

}  // namespace

int WriteSettingLine(FILE* output, const char* key, const ClientSettings* settings) {
    if (!output) {
        ResetConfigRunState();
        return 1;
    }
    if (!key) {
        for (int each = 0; each < kWorkstationKeyCount; ++each) {
            if (!g_config.settingWritten[each]) WriteSetting(output, static_cast<WorkstationKey>(each), settings);
        }
        return 1;
    }
    WorkstationKey found = FindWorkstationKey(key);
    if (found == kKeyNone) return 0;
    WriteSetting(output, found, settings);
    return 1;
}
