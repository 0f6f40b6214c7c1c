// Cross-process driver: starts a program, finds its windows by process id.
#include "process_driver.h"

#include <algorithm>
#include <cstring>

namespace tst {
namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kKillWaitMs = 5000;

// Waits up to `ms` for the process to end, meanwhile handling the messages
// other processes send to this thread's windows. Posted messages stay queued,
// so nothing of the test itself runs inside a wait.
bool WaitHandlingSentMessages(HANDLE process, DWORD ms) {
    for (DWORD start = GetTickCount(), elapsed; (elapsed = GetTickCount() - start) < ms;) {
        if (MsgWaitForMultipleObjects(1, &process, FALSE, ms - elapsed, QS_SENDMESSAGE) == WAIT_OBJECT_0) return true;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

struct Search {
    DWORD processId;
    std::vector<HWND> windows;  // in Z order, topmost first
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->windows.push_back(window);
    return TRUE;
}

bool HasClass(HWND window, const char* className) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return _stricmp(name, className) == 0;
}

// The name part of "NAME=value"; entries such as "=C:=C:\" keep their leading '='.
std::string EntryName(const std::string& entry) { return entry.substr(0, entry.find('=', 1)); }

std::string EnvironmentBlock(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; entry && *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
    if (block) FreeEnvironmentStringsA(block);
    for (const std::string& added : extra) {
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const std::string& e) {
                          return _stricmp(EntryName(e).c_str(), EntryName(added).c_str()) == 0;
                      }), entries.end());
        entries.push_back(added);
    }
    std::string text;
    for (const std::string& entry : entries) text += entry + '\0';
    return text + '\0';
}

}  // namespace

ChildProcess::~ChildProcess() {
    Kill();
    if (process_) CloseHandle(process_);
}

bool ChildProcess::Start(const std::string& exePath, const std::string& arguments,
                         const std::vector<std::string>& extraEnvironment) {
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::string environment = EnvironmentBlock(extraEnvironment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (process_ || !CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0],
                                    directory_.empty() ? nullptr : directory_.c_str(), &startup, &info)) {
        startError_ = "CreateProcessA(" + commandLine + ") failed, error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

template <class Accept>
HWND ChildProcess::WaitFor(DWORD timeoutMs, Accept accept) {
    for (DWORD start = GetTickCount(); process_;) {
        Search search{processId_, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.windows) {
            if (accept(window)) return window;
        }
        if (!Running() || GetTickCount() - start >= timeoutMs) break;
        WaitHandlingSentMessages(process_, kPollMs);
    }
    return nullptr;
}

HWND ChildProcess::WaitForWindow(const char* className, DWORD timeoutMs) {
    return WaitFor(timeoutMs, [className](HWND w) { return HasClass(w, className); });
}

HWND ChildProcess::WaitForBox(DWORD timeoutMs, const std::vector<HWND>& passed) {
    return WaitFor(timeoutMs, [&passed](HWND w) {
        return HasClass(w, "#32770") && IsWindowVisible(w) && IsWindowEnabled(w) &&
               std::find(passed.begin(), passed.end(), w) == passed.end();
    });
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_ || !WaitHandlingSentMessages(process_, timeoutMs)) return false;
    if (exitCode) GetExitCodeProcess(process_, exitCode);
    return true;
}

void ChildProcess::Kill() {
    if (Running() && TerminateProcess(process_, 1)) WaitHandlingSentMessages(process_, kKillWaitMs);
}

std::string ChildProcess::Describe() {
    DWORD code = 0;
    std::string text = "child process " + std::to_string(processId_);
    if (!process_) return text + " not started: " + startError_;
    if (Running()) return text + " running";
    return text + " exited with code " + std::to_string((GetExitCodeProcess(process_, &code), code));
}

std::string UnixToWinePath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// 32-bit x86 pops its arguments itself (stdcall; as cdecl the stack is off).
bool RunUnixShell(const char* script) {
    using UnixSpawn = LONG(WINAPI*)(char* const argv[], int wait);
    auto spawn = reinterpret_cast<UnixSpawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    char shell[] = "/bin/sh", option[] = "-c";
    std::string command = script;
    char* argv[] = {shell, option, &command[0], nullptr};
    return spawn && spawn(argv, 1) == 0;
}

}  // namespace tst
