// The client's registry and WIN.INI entries: the load= line, the uninstall
// entry, the fax graphics extensions and, on uninstallation, their removal
// with the per-user settings keys. Every key is opened and closed within one
// call; registry failures are only passed up, the callers report them.
#include "desktop/registry_entries.h"

#include <cstring>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/win_handles.h"
#include "common/win_ini_log.h"
#include "desktop/extension_text.h"
#include "desktop/load_line.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

namespace {

const char kWindowsSection[] = "windows";
const char kLoadKey[] = "load";
const char kExtensionsSection[] = "Extensions";

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallEntryKey[] = "Telmora Workstation";
const char kDisplayNameValue[] = "DisplayName";
const char kDisplayName[] = "Telmora Workstation";
const char kUninstallStringValue[] = "UninstallString";
const char kUninstallStringFormat[] = "%sSTNINST /X";

// The key of the client's maker under each user, and the client's keys in it.
const char kMakerKey[] = "Software\\Norvale";
const char* const kClientSettingsKeys[] = {"Telmora", "Telmora Coversheet Editor"};

// The class the program gives every key it creates.
const char kKeyClass[] = "REG_SZ";

enum : int {
    kSubkeyNameSize = 258,  // names of up to 257 characters
    kUserKeyPathSize = kSubkeyNameSize + sizeof kMakerKey,
    kSystemAreaSize = 272,  // room for the widest directory field
    kUninstallStringSize = kSystemAreaSize + sizeof "STNINST /X",
    kDottedExtensionSize = kKeyPathLimit,
};

int Succeeded(LONG status) { return status == ERROR_SUCCESS; }

int OpenKey(HKEY parent, const char* path, win::Key& key) {
    HKEY handle = nullptr;
    if (!Succeeded(RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &handle))) return 0;
    key.Attach(handle);
    return 1;
}

int OpenUninstallList(win::Key& key) {
    HKEY handle = nullptr;
    if (!Succeeded(RegOpenKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &handle))) return 0;
    key.Attach(handle);
    return 1;
}

int CreateKey(HKEY parent, const char* path, win::Key& key) {
    char keyClass[sizeof kKeyClass];
    text::Copy(keyClass, kKeyClass);
    HKEY handle = nullptr;
    DWORD disposition = 0;
    LONG status =
        RegCreateKeyExA(parent, path, 0, keyClass, 0, KEY_ALL_ACCESS, nullptr, &handle, &disposition);
    if (!Succeeded(status)) return 0;
    key.Attach(handle);
    return 1;
}

// Sets a REG_SZ value; `length` is the byte count the registry is given.
int SetText(HKEY key, const char* name, const char* value, std::size_t length) {
    return Succeeded(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                    static_cast<DWORD>(length)));
}

int DeleteKey(HKEY parent, const char* name) { return Succeeded(RegDeleteKeyA(parent, name)); }

LONG EnumSubkey(HKEY key, DWORD index, char (&name)[kSubkeyNameSize]) {
    DWORD size = kSubkeyNameSize;
    return RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
}

// The name of subkey number `index` of `key`; 0 when the enumeration fails.
int SubkeyName(HKEY key, DWORD index, char (&name)[kSubkeyNameSize]) {
    return Succeeded(EnumSubkey(key, index, name));
}

// Anything but "no more items" counts as a subkey, so a key is never
// deleted on a doubtful answer.
int HasSubkey(HKEY key) {
    char name[kSubkeyNameSize];
    return EnumSubkey(key, 0, name) != ERROR_NO_MORE_ITEMS;
}

// The upper-cased load= line, read with the limit of the line the program edits.
void ReadLoadLine(char (&list)[kLoadLineSize]) {
    GetProfileStringA(kWindowsSection, kLoadKey, "", list, kLoadLineReadSize);
    list[kLoadLineReadSize - 1] = '\0';
    text::UpperCase(list);
}

// Writes (or with `value` null removes) a WIN.INI entry of the client's; 1 when done.
int WriteClientEntry(const char* section, const char* key, const char* value) {
    int written = WriteProfileStringA(section, key, value) != FALSE;
    LogWinIniEntry(written, section, key, value);
    return written;
}

int WriteLoadLine(const char* list) { return WriteClientEntry(kWindowsSection, kLoadKey, list); }

int WriteExtensionsEntry(const char* programPath, const char* extension) {
    char entry[kExtensionsEntrySize];
    FormatExtensionsEntry(entry, sizeof entry, programPath, extension);
    return WriteClientEntry(kExtensionsSection, ExtensionsEntryKey(extension), entry);
}

int DeleteExtensionsEntry(const char* extension) { return WriteClientEntry(kExtensionsSection, extension, nullptr); }

// The verb's command key under HKEY_CLASSES_ROOT, its default value the
// command line with its terminator.
int WriteVerbCommand(const char* keyPath, const char* programPath, const char* arguments) {
    char command[kVerbCommandSize];
    FormatVerbCommand(command, sizeof command, programPath, arguments);
    win::Key key;
    int written = CreateKey(HKEY_CLASSES_ROOT, keyPath, key) && SetText(key, nullptr, command, std::strlen(command) + 1);
    LogAction(kLogRegistry, "HKEY_CLASSES_ROOT\\%s = %s%s", keyPath, command, written ? "" : ": could not be written");
    return written;
}

// The extension's keys under `root`, each verb's command key before the verb,
// then the shell key and the extension's own key; the first failure ends it.
int DeleteExtensionKeys(HKEY root, const char* extension) {
    char dotted[kDottedExtensionSize];
    text::Format(dotted, ".%s", extension);
    char path[kKeyPathLimit];
    for (const ExtensionVerb& verb : kExtensionVerbs) {
        FormatVerbKeyPath(path, sizeof path, dotted, verb.name);
        if (!DeleteKey(root, path)) return 0;
        CutAtLastBackslash(path);
        if (!DeleteKey(root, path)) return 0;
    }
    while (CutAtLastBackslash(path)) {
        if (!DeleteKey(root, path)) return 0;
    }
    return 1;
}

int RemoveUninstallEntry() {
    win::Key list;
    int removed = OpenUninstallList(list) && DeleteKey(list, kUninstallEntryKey);
    LogAction(kLogRegistry, "HKEY_LOCAL_MACHINE\\%s\\%s %s", kUninstallKey, kUninstallEntryKey,
              removed ? "removed" : "could not be removed");
    return removed;
}

// The client's keys under one user of HKEY_USERS, and the maker's key when
// nothing else is left in it.
int RemoveUserSettings(const char* user) {
    char path[kUserKeyPathSize];
    text::Format(path, "%s\\%s", user, kMakerKey);
    win::Key maker;
    if (!OpenKey(HKEY_USERS, path, maker)) return 1;

    int result = 1;
    for (const char* name : kClientSettingsKeys) {
        int removed = DeleteKeyAndSubkeys(maker, name);
        LogAction(kLogRegistry, "HKEY_USERS\\%s\\%s %s", path, name,
                  removed ? "removed (if it was there)" : "could not be removed");
        if (!removed) result = 0;
    }
    int keepMaker = HasSubkey(maker);
    maker.Close();
    if (keepMaker) return result;
    int removed = DeleteKey(HKEY_USERS, path);
    LogAction(kLogRegistry, "HKEY_USERS\\%s %s", path, removed ? "removed: nothing else was in it" : "could not be removed");
    return removed ? result : 0;
}

}  // namespace

int UpdateLoadList(const char* clientDirectory) {
    ShowProgress(IDS_UPDATING_WIN_INI);
    char list[kLoadLineSize];
    ReadLoadLine(list);
    RemoveClientElements(list);
    if (!text::IsEmpty(clientDirectory)) AppendClientProgram(list, sizeof list, clientDirectory);
    text::UpperCase(list);

    if (!WriteLoadLine(list)) {
        ShowProgress("");
        ShowError(IDS_WIN_INI_UPDATE_ERROR);
        return 0;
    }
    ShowProgress(IDS_WIN_INI_UPDATED);
    return 1;
}

int WriteUninstallEntry(const char* systemArea) {
    char uninstallString[kUninstallStringSize];
    text::Format(uninstallString, kUninstallStringFormat, systemArea ? systemArea : "");

    win::Key list;
    if (!OpenUninstallList(list)) return 0;
    win::Key entry;
    int result = CreateKey(list, kUninstallEntryKey, entry) &&
                 SetText(entry, kDisplayNameValue, kDisplayName, std::strlen(kDisplayName)) &&
                 SetText(entry, kUninstallStringValue, uninstallString, std::strlen(uninstallString));
    if (!Succeeded(entry.Close())) result = 0;
    if (!Succeeded(list.Close())) result = 0;
    LogAction(kLogRegistry, "HKEY_LOCAL_MACHINE\\%s\\%s: DisplayName = %s, UninstallString = %s%s", kUninstallKey,
              kUninstallEntryKey, kDisplayName, uninstallString, result ? "" : ": could not be written");
    return result;
}

int RegisterFaxExtensions(const char* programPath) {
    int result = 1;
    char keyPath[kKeyPathLimit];
    for (const ExtensionVerb& verb : kExtensionVerbs) {
        for (const char* extension : kFaxExtensions) {
            FormatVerbKeyPath(keyPath, sizeof keyPath, extension, verb.name);
            if (!RegisterExtensionVerb(programPath, extension, keyPath, verb.arguments)) result = 0;
        }
    }
    return result;
}

int RegisterExtensionVerb(const char* programPath, const char* extension, const char* keyPath,
                          const char* arguments) {
    if (!VerbFitsLimits(programPath, extension, keyPath, arguments)) return 0;
    char program[kProgramPathLimit];
    text::Copy(program, programPath);
    text::UpperCase(program);

    if (std::strcmp(arguments, kOpenArguments) == 0 && !WriteExtensionsEntry(program, extension)) return 0;
    return WriteVerbCommand(keyPath, program, arguments);
}

int UnregisterExtension(const char* extension) {
    if (!extension || !DeleteExtensionsEntry(extension)) return 0;
    win::Key root;
    int removed = OpenKey(HKEY_CLASSES_ROOT, nullptr, root) && DeleteExtensionKeys(root, extension);
    LogAction(kLogRegistry, "HKEY_CLASSES_ROOT\\.%s %s", extension,
              removed ? "removed with its verbs" : "not (wholly) removed: a key could not be deleted");
    return removed;
}

int RemoveClientRegistryKeys() {
    int result = RemoveUninstallEntry();
    char user[kSubkeyNameSize];
    for (DWORD index = 0; SubkeyName(HKEY_USERS, index, user); ++index) {
        if (!RemoveUserSettings(user)) result = 0;
    }
    return result;
}

// Only the direct subkeys are removed. A subkey that cannot be deleted (one
// with subkeys of its own, say) would stay at index 0 and be taken again for
// ever, so the first failed deletion ends the loop with the result 0; the key
// itself is then still tried, and its deletion fails while it holds that subkey.
int DeleteKeyAndSubkeys(HKEY parent, const char* name) {
    win::Key key;
    if (!OpenKey(parent, name, key)) return 1;

    int result = 1;
    char subkey[kSubkeyNameSize];
    while (SubkeyName(key, 0, subkey)) {
        if (!DeleteKey(key, subkey)) {
            result = 0;
            break;
        }
    }
    key.Close();
    if (!DeleteKey(parent, name)) result = 0;
    return result;
}
