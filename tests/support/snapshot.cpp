// Records the files and registry keys the setup program can touch (the list
// is in snapshot.h) and compares two records.
#include "snapshot.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "support/temp_directory.h"

namespace tst {
namespace {

constexpr DWORD kReadChunk = 64 * 1024;
constexpr DWORD kNameSize = 16384;

// Top-level directories of C:\ that are Wine's prefix; the program's parts in
// them are recorded by the narrower roots of RecordFiles.
const char* const kPrefixDirectories[] = {"windows", "users", "ProgramData", "Program Files", "Program Files (x86)"};

enum Depth { kFilesOnly, kWholeTree, kOwnDirectories };

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// FNV-1a over the file's bytes; "unreadable" when it cannot be read.
std::string HashFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "unreadable";
    unsigned long long hash = 14695981039346656037ull;
    std::string buffer(kReadChunk, '\0');
    DWORD read = 0;
    while (::ReadFile(file, &buffer[0], kReadChunk, &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i) hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
    }
    CloseHandle(file);
    char text[32];
    std::snprintf(text, sizeof text, "hash %016llx", hash);
    return text;
}

bool IsProfileFile(const std::string& path) { return path.size() > 4 && !_stricmp(path.c_str() + path.size() - 4, ".INI"); }

// A profile file's lines, each ended by '|' instead of its line end.
std::string ProfileLines(const std::string& path) {
    std::string lines;
    for (char c : ReadFile(path)) lines += c == '\n' ? "|" : c == '\r' ? "" : std::string(1, c);
    return "lines " + lines;
}

bool IsPrefixDirectory(const char* name) {
    for (const char* own : kPrefixDirectories) {
        if (_stricmp(name, own) == 0) return true;
    }
    return false;
}

// The entries of `directory` (no trailing backslash), descending as `depth` says.
void RecordDirectory(Snapshot& snapshot, const std::string& directory, Depth depth) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string path = directory + "\\" + found.cFileName;
        if (!std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot.Add("directory", path, "");
            bool descend = depth == kWholeTree || (depth == kOwnDirectories && !IsPrefixDirectory(found.cFileName));
            if (descend) RecordDirectory(snapshot, path, kWholeTree);
        } else {
            bool readOnly = found.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
            snapshot.Add("file", path, "size " + std::to_string(found.nFileSizeLow) + ", " +
                                           (IsProfileFile(path) ? ProfileLines(path) : HashFile(path)) +
                                           (readOnly ? ", read-only" : ""));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void RecordFiles(Snapshot& snapshot) {
    char windows[MAX_PATH] = "C:\\windows";
    GetWindowsDirectoryA(windows, MAX_PATH);
    RecordDirectory(snapshot, "C:", kOwnDirectories);
    RecordDirectory(snapshot, windows, kFilesOnly);
    RecordDirectory(snapshot, windows + std::string("\\system"), kWholeTree);
    RecordDirectory(snapshot, windows + std::string("\\system32"), kFilesOnly);
    RecordDirectory(snapshot, windows + std::string("\\system32\\spool"), kWholeTree);
    for (int folder : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        char path[MAX_PATH] = "";
        if (SHGetFolderPathA(nullptr, folder, nullptr, 0, path) == S_OK) RecordDirectory(snapshot, path, kWholeTree);
    }
}

// Text as REG_SZ "text" (REG_MULTI_SZ with '|' between), a REG_DWORD as its
// number, anything else as its type and bytes.
std::string DescribeValue(DWORD type, const BYTE* data, DWORD size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    std::replace(text.begin(), text.end(), '\0', '|');
    if (type == REG_SZ || type == REG_MULTI_SZ) return (type == REG_SZ ? "REG_SZ \"" : "REG_MULTI_SZ \"") + text + "\"";
    if (type == REG_DWORD && size == sizeof(DWORD)) return "REG_DWORD " + std::to_string(*reinterpret_cast<const DWORD*>(data));
    std::string hex = "type " + std::to_string(type) + ",";
    char byte[4];
    for (DWORD i = 0; i < size; ++i) hex += (std::snprintf(byte, sizeof byte, " %02x", data[i]), byte);
    return hex;
}

// A key, its values and every key below it, when it exists.
void RecordKey(Snapshot& snapshot, HKEY parent, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    snapshot.Add("key", name, "");
    std::vector<BYTE> data(1 << 16);
    char valueName[kNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = kNameSize, dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) break;
        snapshot.Add("value", name + "\\" + (nameSize ? valueName : "(default)"), DescribeValue(type, data.data(), dataSize));
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        DWORD size = kNameSize;
        if (RegEnumKeyExA(key, index, valueName, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(valueName, size);
    }
    for (const std::string& child : subkeys) RecordKey(snapshot, key, child, name + "\\" + child);
    RegCloseKey(key);
}

void RecordRegistry(Snapshot& snapshot) {
    const struct {
        HKEY root;
        const char* rootName;
        const char* path;
    } kRoots[] = {
        {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
        {HKEY_LOCAL_MACHINE, "HKLM", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports"},
        {HKEY_LOCAL_MACHINE, "HKLM", "System\\CurrentControlSet\\Control\\Print"},
        {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"},
        {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Extensions"},
        {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices"},
        {HKEY_CURRENT_USER, "HKCU", "Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts"},
        {HKEY_CLASSES_ROOT, "HKCR", ".G3F"},
        {HKEY_CLASSES_ROOT, "HKCR", ".G3N"},
        {HKEY_CLASSES_ROOT, "HKCR", ".G3S"},
    };
    for (const auto& root : kRoots) RecordKey(snapshot, root.root, root.path, std::string(root.rootName) + "\\" + root.path);
}

}  // namespace

std::string Change::Line() const { return std::string(1, mark) + " " + kind + " " + name; }

std::string Change::Describe() const {
    const std::string& content = mark == '-' ? before : after;
    if (mark == '~') return Line() + ": " + before + " -> " + after;
    return Line() + (content.empty() ? "" : ": " + content);
}

void Snapshot::Add(const std::string& kind, const std::string& name, const std::string& content) {
    // The first of two same-named entries counts, as Windows reads them.
    items_.emplace(Upper(kind + " " + name), Item{kind, name, content});
}

Snapshot Snapshot::Take() {
    Snapshot snapshot;
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
            changes.push_back(Change{'-', old->second.kind, old->second.name, old->second.content, ""});
            ++old;
        } else if (old == items_.end() || now->first < old->first) {
            changes.push_back(Change{'+', now->second.kind, now->second.name, "", now->second.content});
            ++now;
        } else {
            if (old->second.content != now->second.content) {
                changes.push_back(Change{'~', now->second.kind, now->second.name, old->second.content, now->second.content});
            }
            ++old;
            ++now;
        }
    }
    return changes;
}

std::string DescribeChanges(const std::vector<Change>& changes) {
    std::string text;
    for (const Change& change : changes) text += change.Describe() + "\n";
    return text;
}

}  // namespace tst
