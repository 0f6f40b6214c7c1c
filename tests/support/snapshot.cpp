// Records the files, text files and registry keys the setup program can touch
// (the list is in snapshot.h), compares two records and takes additions away.
#include "snapshot.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace tst {
namespace {

constexpr DWORD kHashLimit = 1024 * 1024;  // bigger files: size and time only
constexpr DWORD kReadChunk = 64 * 1024;
constexpr size_t kShownBinaryBytes = 32;
constexpr DWORD kRegistryNameSize = 16384;

// Top-level directories of C:\ that belong to Wine's prefix; the program's
// parts in them are recorded by the narrower roots below.
const char* const kPrefixDirectories[] = {"windows", "users", "ProgramData", "Program Files", "Program Files (x86)"};

// How far a directory is recorded: its files only; everything below it; or,
// for the drive root, everything below it except in Wine's prefix directories.
enum Depth { kFilesOnly, kWholeTree, kOwnDirectories };

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool EqualNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

std::string WindowsDirectory() {
    char directory[MAX_PATH] = "C:\\windows";
    GetWindowsDirectoryA(directory, MAX_PATH);
    return directory;
}

// ---- files ----

std::string FormatTime(const FILETIME& time) {
    SYSTEMTIME t = {};
    FileTimeToSystemTime(&time, &t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

// FNV-1a over the file's bytes; "" when the file cannot be read.
std::string HashFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    unsigned long long hash = 14695981039346656037ull;
    std::string buffer(kReadChunk, '\0');
    DWORD read = 0;
    while (::ReadFile(file, &buffer[0], kReadChunk, &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ull;
        }
    }
    CloseHandle(file);
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return text;
}

std::string DescribeFile(const std::string& path, const WIN32_FIND_DATAA& found) {
    unsigned long long size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    std::string text = "size " + std::to_string(size) + ", time " + FormatTime(found.ftLastWriteTime);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) text += ", read-only";
    if (size <= kHashLimit) {
        std::string hash = HashFile(path);
        text += hash.empty() ? ", unreadable" : ", hash " + hash;
    }
    return text;
}

std::string ReadWholeFile(const std::string& path, bool* ok) {
    std::string bytes;
    *ok = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char chunk[4096];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, read);
    *ok = !std::ferror(file);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// An INI file by its sections and entries: "ini PATH [section]" and
// "ini PATH [section] key" holding the value.
void RecordIniContents(Snapshot& snapshot, const std::string& path, const std::string& bytes) {
    std::string section;
    for (const std::string& raw : SplitLines(bytes)) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            snapshot.Add("ini", path + " [" + section + "]", "", path);
            continue;
        }
        size_t equals = line.find('=');
        std::string key = Trim(line.substr(0, equals));
        std::string value = equals == std::string::npos ? "" : Trim(line.substr(equals + 1));
        snapshot.Add("ini", path + " [" + section + "] " + key, value, path);
    }
}

// A batch file by its lines, each with the number of times it occurs.
void RecordLines(Snapshot& snapshot, const std::string& path, const std::string& bytes) {
    std::map<std::string, int> counts;
    for (const std::string& line : SplitLines(bytes)) ++counts[line];
    for (const auto& line : counts) {
        snapshot.Add("line", path + ": " + line.first, line.second == 1 ? "" : std::to_string(line.second) + " times",
                     path);
    }
}

enum TextKind { kNotText, kIniText, kBatchText };

TextKind TextKindOf(const std::string& path) {
    std::string windows = WindowsDirectory();
    if (EqualNoCase(path, windows + "\\win.ini") || EqualNoCase(path, windows + "\\system.ini")) return kIniText;
    if (EqualNoCase(path, "C:\\AUTOEXEC.BAT")) return kBatchText;
    return kNotText;
}

// A text file counts by its content only: a rewrite with the same content is no change.
void RecordFile(Snapshot& snapshot, const std::string& path, const WIN32_FIND_DATAA& found) {
    TextKind textKind = TextKindOf(path);
    if (textKind == kNotText) {
        snapshot.Add("file", path, DescribeFile(path, found));
        return;
    }
    bool ok = false;
    std::string bytes = ReadWholeFile(path, &ok);
    snapshot.Add("file", path, ok ? "" : "unreadable");
    if (textKind == kIniText) {
        RecordIniContents(snapshot, path, bytes);
    } else {
        RecordLines(snapshot, path, bytes);
    }
}

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

bool IsPrefixDirectory(const char* name) {
    for (const char* own : kPrefixDirectories) {
        if (_stricmp(name, own) == 0) return true;
    }
    return false;
}

bool Descends(Depth depth, const char* name) {
    return depth == kWholeTree || (depth == kOwnDirectories && !IsPrefixDirectory(name));
}

// The entries of `directory` (no trailing backslash); subdirectories are
// listed, and descended into as `depth` says.
void RecordDirectory(Snapshot& snapshot, const std::string& directory, Depth depth) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDotEntry(found.cFileName)) continue;
        std::string path = directory + "\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot.Add("directory", path, "");
            if (Descends(depth, found.cFileName)) RecordDirectory(snapshot, path, kWholeTree);
        } else {
            RecordFile(snapshot, path, found);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string FolderPath(int csidl) {
    char path[MAX_PATH] = "";
    if (SHGetFolderPathA(nullptr, csidl, nullptr, 0, path) != S_OK) return "";
    return path;
}

void RecordFiles(Snapshot& snapshot) {
    RecordDirectory(snapshot, "C:", kOwnDirectories);
    std::string windows = WindowsDirectory();
    RecordDirectory(snapshot, windows, kFilesOnly);
    RecordDirectory(snapshot, windows + "\\system", kWholeTree);
    RecordDirectory(snapshot, windows + "\\system32", kFilesOnly);
    RecordDirectory(snapshot, windows + "\\system32\\spool", kWholeTree);
    for (int folder : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        std::string path = FolderPath(folder);
        if (!path.empty()) RecordDirectory(snapshot, path, kWholeTree);
    }
}

// ---- registry ----

std::string HexBytes(const BYTE* data, DWORD size) {
    std::string text;
    char byte[4];
    for (DWORD i = 0; i < size && i < kShownBinaryBytes; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", data[i]);
        text += byte;
    }
    if (size > kShownBinaryBytes) text += " ... (" + std::to_string(size) + " bytes)";
    return text;
}

// Text data without the terminators the registry keeps.
std::string RegistryText(const BYTE* data, DWORD size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::string DescribeValue(DWORD type, const BYTE* data, DWORD size) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return std::string(type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ") + " \"" + RegistryText(data, size) + "\"";
        case REG_MULTI_SZ: {
            std::string text = RegistryText(data, size);
            std::replace(text.begin(), text.end(), '\0', '|');
            return "REG_MULTI_SZ \"" + text + "\"";
        }
        case REG_DWORD: {
            DWORD number = 0;
            std::memcpy(&number, data, std::min<DWORD>(size, sizeof number));
            return "REG_DWORD " + std::to_string(number);
        }
        case REG_BINARY:
            return "REG_BINARY " + HexBytes(data, size);
        default:
            return "type " + std::to_string(type) + " " + HexBytes(data, size);
    }
}

void RecordValues(Snapshot& snapshot, HKEY key, const std::string& name) {
    DWORD longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::string valueName(longestName + 2, '\0');
    std::vector<BYTE> data(longestData + 2);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(valueName.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG result = RegEnumValueA(key, index, &valueName[0], &nameSize, nullptr, &type, data.data(), &dataSize);
        if (result != ERROR_SUCCESS) break;
        std::string shownName = nameSize ? valueName.substr(0, nameSize) : "(default)";
        snapshot.Add("value", name + "\\" + shownName, DescribeValue(type, data.data(), dataSize), name);
    }
}

// A key, its values and every key below it, when it exists.
void RecordKey(Snapshot& snapshot, HKEY parent, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    snapshot.Add("key", name, "");
    RecordValues(snapshot, key, name);
    std::vector<std::string> subkeys;
    char subkey[kRegistryNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof subkey;
        if (RegEnumKeyExA(key, index, subkey, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(subkey, size);
    }
    for (const std::string& child : subkeys) RecordKey(snapshot, key, child, name + "\\" + child);
    RegCloseKey(key);
}

std::vector<std::string> SubkeyNames(HKEY root) {
    std::vector<std::string> names;
    char name[kRegistryNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(root, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

// The class a file extension names in its default value, if any.
std::string ExtensionClass(const char* extension) {
    char name[MAX_PATH] = "";
    LONG size = sizeof name;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, extension, name, &size) != ERROR_SUCCESS) return "";
    return name;
}

struct RegistryRoot {
    HKEY root;
    const char* rootName;
    const char* path;
};

const RegistryRoot kRegistryRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports"},
    {HKEY_LOCAL_MACHINE, "HKLM", "System\\CurrentControlSet\\Control\\Print"},
    {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"},
    {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Extensions"},
    {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices"},
    {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts"},
};

const char* const kFaxExtensions[] = {".G3F", ".G3N", ".G3S"};

void RecordRegistry(Snapshot& snapshot) {
    for (const RegistryRoot& root : kRegistryRoots) {
        RecordKey(snapshot, root.root, root.path, std::string(root.rootName) + "\\" + root.path);
    }
    for (const char* extension : kFaxExtensions) {
        RecordKey(snapshot, HKEY_CLASSES_ROOT, extension, std::string("HKCR\\") + extension);
        std::string className = ExtensionClass(extension);
        if (!className.empty()) RecordKey(snapshot, HKEY_CLASSES_ROOT, className, "HKCR\\" + className);
    }
    // Per-user settings of every user, as the uninstallation walks them.
    for (const std::string& user : SubkeyNames(HKEY_USERS)) {
        std::string path = user + "\\Software\\Norvale";
        RecordKey(snapshot, HKEY_USERS, path, "HKU\\" + path);
    }
}

// ---- spooler ----

// The environments whose drivers are recorded: the one of the fax printer
// kits, and the spooler's own (the same under 32-bit Wine).
const char* const kDriverEnvironments[] = {"Windows NT x86", nullptr};

std::string Shown(const char* text) { return text ? text : "(none)"; }

// An Enum* call's records, read into `buffer`; their number.
template <typename Enumerate>
DWORD EnumerateInto(std::vector<BYTE>& buffer, Enumerate enumerate) {
    DWORD needed = 0, count = 0;
    enumerate(nullptr, 0, &needed, &count);
    if (needed == 0) return 0;
    buffer.resize(needed);
    return enumerate(buffer.data(), needed, &needed, &count) ? count : 0;
}

void RecordSpooler(Snapshot& snapshot) {
    std::vector<BYTE> buffer;
    DWORD count = EnumerateInto(buffer, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, returned);
    });
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2A& p = printers[i];
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, ", attributes 0x%lx, priority %lu", p.Attributes, p.Priority);
        snapshot.Add("printer", Shown(p.pPrinterName),
                     "port " + Shown(p.pPortName) + ", driver " + Shown(p.pDriverName) + ", print processor " +
                         Shown(p.pPrintProcessor) + ", data type " + Shown(p.pDatatype) + numbers);
    }
    for (const char* environment : kDriverEnvironments) {
        count = EnumerateInto(buffer, [environment](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 2, data, size, needed, returned);
        });
        const auto* drivers = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            const DRIVER_INFO_2A& d = drivers[i];
            snapshot.Add("driver", Shown(d.pEnvironment) + "\\" + Shown(d.pName),
                         "version " + std::to_string(d.cVersion) + ", driver " + Shown(d.pDriverPath) +
                             ", data file " + Shown(d.pDataFile) + ", configuration file " + Shown(d.pConfigFile));
        }
    }
}

std::string Detail(const std::string& content) { return content.empty() ? "" : ": " + content; }

// ---- taking additions away ----

struct RootName {
    const char* name;
    HKEY key;
};

const RootName kRootNames[] = {{"HKLM", HKEY_LOCAL_MACHINE},
                               {"HKCU", HKEY_CURRENT_USER},
                               {"HKCR", HKEY_CLASSES_ROOT},
                               {"HKU", HKEY_USERS}};

// "HKLM\Software\X" -> HKEY_LOCAL_MACHINE and "Software\X".
bool SplitKeyName(const std::string& name, HKEY* root, std::string* path) {
    size_t backslash = name.find('\\');
    if (backslash == std::string::npos) return false;
    for (const RootName& candidate : kRootNames) {
        if (name.compare(0, backslash, candidate.name) == 0) {
            *root = candidate.key;
            *path = name.substr(backslash + 1);
            return true;
        }
    }
    return false;
}

bool IsGone(LONG result) { return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND; }

bool RemoveKey(const std::string& name) {
    HKEY root = nullptr;
    std::string path;
    if (!SplitKeyName(name, &root, &path)) return false;
    RegDeleteTreeA(root, path.c_str());
    return IsGone(RegDeleteKeyA(root, path.c_str()));
}

bool RemoveValue(const Change& change) {
    HKEY root = nullptr;
    std::string path;
    if (!SplitKeyName(change.parent, &root, &path)) return false;
    std::string valueName = change.name.substr(change.parent.size() + 1);
    if (valueName == "(default)") valueName.clear();
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key);
    if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND;
    LONG deleted = RegDeleteValueA(key, valueName.c_str());
    RegCloseKey(key);
    return IsGone(deleted);
}

bool RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path.c_str())) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The shell's delete takes what is inside too (no questions, no recycle bin).
bool RemoveDirectoryTree(const std::string& path) {
    std::string from = path + '\0';  // the shell wants a list ending in two NULs
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&operation);
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool PrinterThere(const std::string& name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) return false;
    ClosePrinter(printer);
    return true;
}

bool RemovePrinter(const std::string& name) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    return !PrinterThere(name);
}

// "ENVIRONMENT\NAME"; the spooler's answer decides, not a later listing.
bool RemoveDriver(const std::string& name) {
    size_t backslash = name.find('\\');
    if (backslash == std::string::npos) return false;
    std::string environment = name.substr(0, backslash);
    std::string driver = name.substr(backslash + 1);
    return DeletePrinterDriverA(nullptr, &environment[0], &driver[0]) || GetLastError() == ERROR_UNKNOWN_PRINTER_DRIVER;
}

bool RemoveAddition(const Change& change) {
    if (change.kind == "printer") return RemovePrinter(change.name);
    if (change.kind == "driver") return RemoveDriver(change.name);
    if (change.kind == "directory") return RemoveDirectoryTree(change.name);
    if (change.kind == "file") return RemoveFile(change.name);
    if (change.kind == "key") return RemoveKey(change.name);
    if (change.kind == "value") return RemoveValue(change);
    return false;
}

}  // namespace

std::string Change::Line() const { return std::string(1, mark) + " " + kind + " " + name; }

std::string Change::Describe() const {
    switch (mark) {
        case '+':
            return Line() + Detail(after);
        case '-':
            return Line() + Detail(before);
        default:
            return Line() + ": " + before + " -> " + after;
    }
}

void Snapshot::Add(const std::string& kind, const std::string& name, const std::string& content,
                   const std::string& parent) {
    // The first of two same-named entries counts, as Windows reads them.
    items_.emplace(Upper(kind + " " + name), Item{kind, name, content, parent});
}

Snapshot Snapshot::Take() {
    Snapshot snapshot;
    // The spooler first: Wine's makes the driver keys of an environment it is
    // asked about, and these then count as there before, not as a change.
    RecordSpooler(snapshot);
    RecordFiles(snapshot);
    RecordRegistry(snapshot);
    return snapshot;
}

std::vector<Change> Snapshot::ChangesTo(const Snapshot& later) const {
    std::vector<Change> changes;
    auto old = items_.begin();
    auto now = later.items_.begin();
    while (old != items_.end() || now != later.items_.end()) {
        if (now == later.items_.end() || (old != items_.end() && old->first < now->first)) {
            const Item& item = old->second;
            changes.push_back(Change{'-', item.kind, item.name, item.parent, item.content, ""});
            ++old;
        } else if (old == items_.end() || now->first < old->first) {
            const Item& item = now->second;
            changes.push_back(Change{'+', item.kind, item.name, item.parent, "", item.content});
            ++now;
        } else {
            const Item& item = now->second;
            if (old->second.content != item.content) {
                changes.push_back(Change{'~', item.kind, item.name, item.parent, old->second.content, item.content});
            }
            ++old;
            ++now;
        }
    }
    return changes;
}

std::vector<std::string> ChangeLines(const std::vector<Change>& changes) {
    std::vector<std::string> lines;
    for (const Change& change : changes) lines.push_back(change.Line());
    return lines;
}

std::vector<std::string> RemoveAdditions(const std::vector<Change>& changes) {
    std::vector<std::string> left;
    for (const Change& change : changes) {
        if (change.mark == '+' && !RemoveAddition(change)) left.push_back(change.Line());
    }
    return left;
}

std::string DescribeChanges(const std::vector<Change>& changes) {
    std::string text;
    for (const Change& change : changes) text += change.Describe() + "\n";
    return text;
}

}  // namespace tst
