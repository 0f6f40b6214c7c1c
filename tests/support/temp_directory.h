// Scratch directories and whole-file, profile and registry helpers for tests. A TempDirectory is a
// fresh, uniquely named directory C:\TSTxxxxx\ in the test prefix; it and
// everything below it (read-only files too) go when it goes out of scope.
#pragma once

#include <windows.h>

#include <string>

namespace tst {

class TempDirectory {
public:
    TempDirectory();  // fails the current test (ADD_FAILURE) when nothing can be created
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // Upper case, ends in a backslash: "C:\TST0A1B2\".
    const std::string& Path() const { return path_; }
    std::string File(const char* name) const { return path_ + name; }

private:
    std::string path_;
};

// Removes a directory and everything below it; true when it is gone.
bool RemoveTree(const std::string& directory);
// Creates or replaces `path` with exactly `bytes`; true on success.
bool WriteFile(const std::string& path, const std::string& bytes);
// The whole content of `path`; "" when it cannot be read (`ok`, when given, tells).
std::string ReadFile(const std::string& path, bool* ok = nullptr);
// True when `path` names an existing file or directory.
bool FileExists(const std::string& path);
// A value of WIN.INI, or of the profile file `file`, as the program left it; "<missing>" when there is none.
std::string ProfileValue(const char* section, const std::string& key, const char* file = nullptr);
// True when the registry key `path` below `root` exists.
bool KeyExists(HKEY root, const std::string& path);

}  // namespace tst
