// A child process for end-to-end tests, its windows found by process id. Every
// wait is bounded; while it waits, the test's thread handles the messages
// other processes send to its own windows, so it cannot deadlock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tst {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // kills the child when it is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `exePath` in the directory set before ("": the test's own) with
    // this process's environment, `extraEnvironment` ("NAME=value") added or replacing.
    void SetDirectory(const std::string& directory) { directory_ = directory; }
    bool Start(const std::string& exePath, const std::string& arguments,
               const std::vector<std::string>& extraEnvironment = {});

    // A top-level window of the child with that class, visible or not.
    HWND WaitForWindow(const char* className, DWORD timeoutMs);
    // The child's topmost visible and enabled "#32770" window, not one of
    // `passed`: the box that waits for an answer. Finding it sends the child
    // nothing. Null on time-out or exit.
    HWND WaitForBox(DWORD timeoutMs, const std::vector<HWND>& passed = {});

    DWORD ProcessId() const { return processId_; }

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    void Kill();
    std::string Describe();  // its state

private:
    template <class Accept>
    HWND WaitFor(DWORD timeoutMs, Accept accept);

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::string directory_;
    std::string startError_;
};

// "/tmp/x/STNIN32.EXE" -> "Z:\tmp\x\STNIN32.EXE".
std::string UnixToWinePath(const char* unixPath);

// Runs `script` with /bin/sh on the Linux side of Wine and waits for it; true
// when it exited with 0 (with $WINEPREFIX the test's own prefix). For the
// faults Wine makes no other way, such as a full or read-only tmpfs mounted
// as a drive: as root, Wine ignores Unix permissions.
bool RunUnixShell(const char* script);
}  // namespace tst
