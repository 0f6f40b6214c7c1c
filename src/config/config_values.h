// Value rules of TELMORA.INI: how each workstation key's value is taken into
// ClientSettings, the network words, the derived server areas and base
// directory, the setting lines the writer produces, the sections every
// rewrite drops, and the elements of the file's search list.
// Pure text: no windows.h, so these rules also build natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/bounded_text.h"
#include "common/client_settings.h"

extern const char kConfigFileName[];  // "TELMORA.INI"

// `directory` (ending in a backslash) + "TELMORA.INI", cut to the field.
template <std::size_t N>
inline void FormConfigPath(char (&path)[N], const char* directory) {
    text::Copy(path, directory);
    text::Append(path, kConfigFileName);
}

// The keys of a workstation section, in the order the writer adds missing
// lines. AdminArea is recognised (and dropped) but never written.
enum WorkstationKey : int {
    kKeyUserArea,
    kKeyAdminArea,
    kKeySystemArea,
    kKeyRequestArea,
    kKeyLogArea,
    kKeyDefaultUser,
    kKeyAccept,
    kKeySpool,
    kKeyRedirect,
    kKeyTimeout,
    kKeyStatusTimer,
    kKeyNetwork,
    kKeyHelp,
    kKeyLanguage,
    kWorkstationKeyCount,
    kKeyNone = -1,
};

// A setting line is at most a key, a directory of 256 characters and
// TELMORA.HLP; this holds any of them.
enum : int { kSettingLineSize = 320 };

// The key's name as it stands in the file, without its colon.
const char* WorkstationKeyName(WorkstationKey key);

// The key whose name equals `name` as a whole (any case), or kKeyNone.
WorkstationKey FindWorkstationKey(const char* name);

// 1 for the keys [WORKSTATION-1] does not hold (LogArea, Accept, Spool,
// Redirect, Timeout, Language).
int IsLeftOutOfSecondSection(WorkstationKey key);

// Takes `value` (null reads as empty) into the field of `key` by that key's
// rule: directories cut to 256 characters, given a trailing backslash and
// upper-cased; numbers only when they are numbers; the network by its word;
// Help by its directory part; Language by its first three characters.
void ApplyWorkstationValue(ClientSettings* settings, WorkstationKey key, const char* value);

// The setting line of `key` ("UserArea: Z:\TELMORA\USERS\%NAME%\r\n", ...)
// into line[0..size); empty for AdminArea. Returns the length.
std::size_t FormatSettingLine(WorkstationKey key, const ClientSettings* settings, char* line, std::size_t size);

// The file's word for a network code; "???" for a code outside the table.
const char* NetworkWord(std::uint16_t code);

// 1 with `code` set when the first token of `value` is one of the network
// words (any case); 0 with `code` unchanged otherwise.
int NetworkCodeFromValue(const char* value, std::uint16_t* code);

// A directory value: cut to the field, a trailing backslash added to a
// non-empty value when there is room, upper-cased.
void StoreDirectoryValue(char* field, std::size_t size, const char* value);

template <std::size_t N>
inline void StoreDirectoryValue(char (&field)[N], const char* value) {
    StoreDirectoryValue(field, N, value);
}

// The server area a system area implies: a final SYSTEM\ (text longer than
// 7 characters, any case) replaced by SERVER\; other texts unchanged.
void ExpectedServerArea(const char* systemArea, char* serverArea, std::size_t size);

// The directory of all users: the user area without a final %NAME%\ (text
// longer than 7 characters, any case); other texts unchanged.
void AllUserAreaOf(const char* userArea, char* allUserArea, std::size_t size);

// The user area the [SERVER] value AllUserArea stands for: the value (a
// directory value as above) followed by %NAME%\ .
void UserAreaFromAllUserArea(const char* value, char* userArea, std::size_t size);

// Sets serverBaseDir when the user, system and request areas are the
// directories USERS\%NAME%\, SYSTEM\ and REQUEST\ of one common base;
// otherwise leaves it as it is. Returns 1 when it was set.
int RecoverServerBaseDir(ClientSettings* settings);

// The rule every rewrite of TELMORA.INI applies to each line it copies:
// [SERVER-WKN] and, when `dropSecondSection` is set, [WORKSTATION-1] are
// dropped with their lines. `dropping` carries the state from line to line
// (start with 0). Returns 1 when `line` is dropped.
int IsDroppedLine(const char* line, int dropSecondSection, int* dropping);

// The next element of a ';'-separated search list, blanks at either end
// removed, empty elements skipped, cut to `limit` characters (and to the
// field). `position` starts at 0 and is advanced. Returns 0 when the list
// has no element left.
int NextSearchElement(const char* list, std::size_t* position, char* element, std::size_t size,
                      std::size_t limit);

// Maps a WIN.INI sLanguage code to the client's code in place ("DEU" ->
// "GER"); a code the table does not know stays as it is, an empty one
// becomes "ENG". `language` holds kLanguageSize bytes.
void MapWindowsLanguage(char* language);
