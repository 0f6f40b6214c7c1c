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
    // The child's topmost visible and enabled "#32770" window: the box that
    // waits for an answer. Null on time-out or exit.
    HWND WaitForBox(DWORD timeoutMs);

    DWORD ProcessId() const { return processId_; }

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    void Kill();
    std::string Describe();  // its state and every box seen while waiting

private:
    template <class Accept>
    HWND WaitFor(DWORD timeoutMs, Accept accept);

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::string directory_;
    std::vector<std::string> seen_;
};

// "/tmp/x/STNIN32.EXE" -> "Z:\tmp\x\STNIN32.EXE".
std::string UnixToWinePath(const char* unixPath);

}  // namespace tst
