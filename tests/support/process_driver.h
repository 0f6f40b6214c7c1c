// Drives a real STNIN32.EXE child process for end-to-end tests.
//
// Windows of the child are found with EnumWindows and the child's process id,
// polled every 50 ms until a time-out. While it waits, the test's thread handles
// the messages the child sends to the test's own windows, so it cannot deadlock. Texts are read with the wide calls and
// converted to the ANSI code page (the ANSI forms of some list messages return
// UTF-16 across processes). A click waits (at most a few seconds) until the child
// has handled it, but not for a modal box the click opens, so it cannot block the test.
//
//   tst::ChildProcess child;
//   ASSERT_TRUE(child.Start(exe, "/Q", {"QVTLINIT=C:\\TELMORA"}));
//   HWND box = child.WaitForDialog("Error!", 10000);
//   ASSERT_TRUE(box) << child.Describe();
//   EXPECT_EQ(child.DialogText(box), "...");
//   child.Press(box, IDOK);
//   DWORD code; EXPECT_TRUE(child.WaitForExit(10000, &code));
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

    // The working directory for Start(); by default the test's own.
    void SetDirectory(const std::string& directory) { directory_ = directory; }

    // Starts `exePath` with `arguments`; the child gets this process's environment
    // with `extraEnvironment` ("NAME=value") added or replacing same-named entries.
    bool Start(const std::string& exePath, const std::string& arguments,
               const std::vector<std::string>& extraEnvironment = {});

    // A visible "#32770" window of the child with exactly that title (any title when
    // null). NULL on time-out or when the child has exited; Describe() then tells
    // what windows it saw.
    HWND WaitForDialog(const char* title, DWORD timeoutMs);

    // A top-level window of the child with that class, visible or not.
    HWND WaitForWindow(const char* className, DWORD timeoutMs);

    // The message box text (static 0xFFFF, '\n' between lines).
    std::string DialogText(HWND box);
    // A control's text; for a combo box the selected entry.
    std::string ControlText(HWND dialog, int id);
    // Sends the dialog button `id`'s click command (WM_COMMAND BN_CLICKED). Returns
    // once the child has handled it or opened another box; false when the dialog
    // is gone.
    bool Press(HWND dialog, int id);
    // Sets an edit control's text.
    bool Type(HWND dialog, int id, const char* text);
    // Selects the combo box entry that equals `entry` in full (ignoring case).
    bool Select(HWND dialog, int id, const char* entry);

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool Running() const;
    void Kill();

    DWORD ProcessId() const { return processId_; }

    // The child's state and every window seen while waiting (class, title, texts).
    std::string Describe();

private:
    std::vector<HWND> Windows() const;
    void Remember(HWND window);

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::string directory_;
    std::vector<std::string> seen_;
};

// "/tmp/x/STNIN32.EXE" -> "Z:\tmp\x\STNIN32.EXE".
std::string UnixToWinePath(const char* unixPath);

}  // namespace tst
