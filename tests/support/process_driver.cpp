// Cross-process driver: starts STNIN32.EXE, finds its windows by process id,
// reads their texts with the wide calls and clicks their buttons.
#include "process_driver.h"

#include <algorithm>
#include <cstring>

namespace tst {
namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kMessageTimeoutMs = 5000;
constexpr DWORD kKillWaitMs = 5000;
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFirstLineId = 3201;
constexpr int kLastLineId = 3206;
constexpr char kDialogClass[] = "#32770";

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
    return text;
}

std::wstring Widen(const char* text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], size);
    wide.resize(std::wcslen(wide.c_str()));
    return wide;
}

// A message to another process's window that gives up instead of hanging.
// Not SMTO_ABORTIFHUNG: a program that has just paused for longer than five
// seconds (the spooler retries) counts as hung until its new box has taken
// its first message, and the box's texts would read as empty.
bool SendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeoutMs, result) != 0;
}

std::string Title(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return Narrow(text);
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND control) {
    DWORD_PTR length = 0;
    if (!control || !SendTimed(control, WM_GETTEXTLENGTH, 0, 0, &length)) return std::string();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendTimed(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), &copied)) return std::string();
    text.resize(std::min<size_t>(copied, length));
    return Narrow(text);
}

std::string SelectedEntry(HWND combo) {
    DWORD_PTR index = 0, length = 0;
    if (!SendTimed(combo, CB_GETCURSEL, 0, 0, &index) || static_cast<LRESULT>(index) == CB_ERR) return TextOf(combo);
    if (!SendTimed(combo, CB_GETLBTEXTLEN, index, 0, &length) || static_cast<LRESULT>(length) == CB_ERR) return "";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendTimed(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]), &copied);
    text.resize(std::wcslen(text.c_str()));
    return Narrow(text);
}

std::string DialogBody(HWND dialog) {
    HWND message = GetDlgItem(dialog, kMessageTextId);
    if (message) return TextOf(message);
    std::string lines;
    for (int id = kFirstLineId; id <= kLastLineId && GetDlgItem(dialog, id); ++id) {
        lines += (id == kFirstLineId ? "" : " / ") + TextOf(GetDlgItem(dialog, id));
    }
    return lines;
}

// Waits up to `ms` for the child to end, meanwhile handling the messages other
// processes send to this thread's windows (a child that sends to every top-level
// window, or activates its own, would otherwise hang until the wait ends). Posted
// messages stay queued, so nothing of the test itself runs inside a wait.
bool WaitHandlingSentMessages(HANDLE process, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        DWORD handles = process ? 1 : 0;
        DWORD result = MsgWaitForMultipleObjects(handles, &process, FALSE, ms - elapsed, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0 && process) return true;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

struct Search {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->windows.push_back(window);
    return TRUE;
}

std::vector<std::string> EnvironmentEntries() {
    std::vector<std::string> entries;
    char* block = GetEnvironmentStringsA();
    if (!block) return entries;
    for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
    FreeEnvironmentStringsA(block);
    return entries;
}

// The name part of "NAME=value"; entries such as "=C:=C:\" keep their leading '='.
std::string EntryName(const std::string& entry) {
    size_t equals = entry.find('=', 1);
    return entry.substr(0, equals);
}

std::string EnvironmentBlock(const std::vector<std::string>& extra) {
    std::vector<std::string> entries = EnvironmentEntries();
    for (const std::string& added : extra) {
        std::string name = EntryName(added);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::string& e) { return _stricmp(EntryName(e).c_str(), name.c_str()) == 0; }),
                      entries.end());
        entries.push_back(added);
    }
    std::string block;
    for (const std::string& entry : entries) block += entry + '\0';
    return block + '\0';
}

}  // namespace

ChildProcess::~ChildProcess() {
    Kill();
    if (process_) CloseHandle(process_);
}

bool ChildProcess::Start(const std::string& exePath, const std::string& arguments,
                         const std::vector<std::string>& extraEnvironment) {
    if (process_) return false;
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::string environment = EnvironmentBlock(extraEnvironment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0],
                        directory_.empty() ? nullptr : directory_.c_str(), &startup, &info)) {
        seen_.push_back("CreateProcessA(" + commandLine + ") failed, error " + std::to_string(GetLastError()));
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

std::vector<HWND> ChildProcess::Windows() const {
    Search search{processId_, {}};
    if (processId_) EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

void ChildProcess::Remember(HWND window) {
    std::string text = ClassOf(window) + " \"" + Title(window) + "\"";
    if (!IsWindowVisible(window)) text += " (hidden)";
    if (ClassOf(window) == kDialogClass) text += ": " + DialogBody(window);
    if (std::find(seen_.begin(), seen_.end(), text) == seen_.end()) seen_.push_back(text);
}

bool ChildProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND ChildProcess::WaitForDialog(const char* title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : Windows()) {
            Remember(window);
            if (ClassOf(window) != kDialogClass || !IsWindowVisible(window)) continue;
            if (!title || Title(window) == title) return window;
        }
        if (!Running() || GetTickCount() - start >= timeoutMs) return nullptr;
        WaitHandlingSentMessages(process_, kPollMs);
    }
}

HWND ChildProcess::WaitForWindow(const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : Windows()) {
            Remember(window);
            if (_stricmp(ClassOf(window).c_str(), className) == 0) return window;
        }
        if (!Running() || GetTickCount() - start >= timeoutMs) return nullptr;
        WaitHandlingSentMessages(process_, kPollMs);
    }
}

std::string ChildProcess::DialogText(HWND box) { return TextOf(GetDlgItem(box, kMessageTextId)); }

std::string ChildProcess::ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return std::string();
    return _stricmp(ClassOf(control).c_str(), "ComboBox") == 0 ? SelectedEntry(control) : TextOf(control);
}

bool ChildProcess::Press(HWND dialog, int id) {
    if (!IsWindow(dialog)) return false;
    // The command goes to the dialog itself, as a click would send it: a
    // BM_CLICK to a box that is still starting up can be lost under load.
    HWND button = GetDlgItem(dialog, id);
    bool sent = SendNotifyMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    // Sent messages are handled in order, also inside a modal box the click opens:
    // once this one returns, the click has been handled or has led to a new box.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kMessageTimeoutMs, &ignored);
    return sent;
}

bool ChildProcess::Type(HWND dialog, int id, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    std::wstring wide = Widen(text);
    DWORD_PTR result = 0;
    return control && SendTimed(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &result) && result;
}

bool ChildProcess::Select(HWND dialog, int id, const char* entry) {
    HWND combo = GetDlgItem(dialog, id);
    std::wstring wide = Widen(entry);
    DWORD_PTR index = 0, selected = 0;
    if (!combo || !SendTimed(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()), &index) ||
        static_cast<LRESULT>(index) == CB_ERR) {
        return false;
    }
    return SendTimed(combo, CB_SETCURSEL, index, 0, &selected) && selected == index;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_ || !WaitHandlingSentMessages(process_, timeoutMs)) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode) *exitCode = code;
    return true;
}

void ChildProcess::Kill() {
    if (!Running()) return;
    TerminateProcess(process_, 1);
    WaitHandlingSentMessages(process_, kKillWaitMs);
}

std::string ChildProcess::Describe() {
    std::string text = "child process " + std::to_string(processId_);
    DWORD code = 0;
    if (!process_) {
        text += " not started";
    } else if (Running()) {
        text += " running";
        for (HWND window : Windows()) Remember(window);
    } else {
        GetExitCodeProcess(process_, &code);
        text += " exited with code " + std::to_string(code);
    }
    text += "; windows seen:";
    if (seen_.empty()) text += " none";
    for (const std::string& window : seen_) text += "\n  " + window;
    return text;
}

std::string UnixToWinePath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace tst
