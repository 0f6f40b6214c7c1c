// Scratch directories under C:\ and whole-file helpers for tests.
#include "temp_directory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace tst {

TempDirectory::TempDirectory() {
    static unsigned serial = GetCurrentProcessId() * 7919u + GetTickCount();
    for (int attempt = 0; attempt < 1000 && path_.empty(); ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "C:\\TST%05X\\", ++serial & 0xFFFFFu);
        if (CreateDirectoryA(name, nullptr)) path_ = name;
    }
    if (path_.empty()) ADD_FAILURE() << "cannot create a temporary directory under C:\\, error " << GetLastError();
}

TempDirectory::~TempDirectory() {
    if (!path_.empty() && !RemoveTree(path_)) ADD_FAILURE() << "cannot remove " << path_;
}

bool RemoveTree(const std::string& directory) {
    std::string base = directory.empty() || directory.back() == '\\' ? directory : directory + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    bool ok = true;
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string path = base + found.cFileName;
        if (!std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")) continue;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveTree(path) : DeleteFileA(path.c_str())) && ok;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return RemoveDirectoryA(base.c_str()) && ok;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(file) && ok && written == bytes.size();
}

std::string ReadFile(const std::string& path, bool* ok) {
    if (ok) *ok = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    BOOL read = TRUE;
    while ((read = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    if (ok) *ok = read != 0;
    return content;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ProfileValue(const char* section, const std::string& key, const char* file) {
    char value[512] = "";
    if (file) GetPrivateProfileStringA(section, key.c_str(), "<missing>", value, sizeof value, file);
    if (!file) GetProfileStringA(section, key.c_str(), "<missing>", value, sizeof value);
    return value;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

}  // namespace tst
