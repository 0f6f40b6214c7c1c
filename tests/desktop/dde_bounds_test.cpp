// Every wait of the Program Manager conversation ends: a top-level window
// whose thread has stopped taking messages, a server that answers too late,
// or a shell that crashed into the debugger costs at most a time-out.
//
// Wine's shell differs from Program Manager here: it crashes on a DeleteItem
// that comes before any CreateGroup or ShowGroup in its session (Program
// Manager applies the delete to its current group), and its windows then hang.
// A removal before any installation meets exactly that. It is run in a
// process of its own on a desktop of its own, which Wine gives a shell of its
// own, so the shell the other tests talk to stays whole.
#include <gtest/gtest.h>

#include <windows.h>
#include <dde.h>

#include <cstdlib>
#include <string>

#include "common/setup_context.h"
#include "desktop/dde_conversation.h"
#include "desktop/desktop_state.h"
#include "desktop/progman.h"
#include "support/dialog_driver.h"
#include "support/main_window_once.h"
#include "support/temp_directory.h"

namespace {

const DWORD kInitiateTimeoutMs = 3000;  // what one silent window may cost the initiate
const DWORD kAckWaitMs = 3000;          // what one unanswered execute costs
const DWORD kHungAfterMs = 5000;        // a thread that took no message this long counts as hung
const DWORD kThreadWindows = 2;         // a test window and its thread's input-method window
const DWORD kSlackMs = 1500;
// Well above the sum of one removal's waits: 3 s for each execute and the
// terminate, the management library's own initiate, request and disconnect.
const DWORD kRemovalBoundMs = 30000;
const DWORD kChildLimitMs = 90000;      // the child is killed after this
const DWORD kHangLimitMs = 30000;       // a hung test window takes messages again after this
const DWORD kPollMs = 20;

const char kChildVariable[] = "TELMORA_DDE_FRESH_SHELL";
const char kChildDesktop[] = "TelmoraFreshShell";
const char kChildTest[] = "DdeBoundsInFreshShell.RemovalBeforeAnyGroup";

DWORD MsSince(DWORD start) { return GetTickCount() - start; }

// Handles what comes to this thread's windows for `ms`.
void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    while (MsSince(start) < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

// A top-level window on a thread of its own. Hang() makes the thread stop
// taking messages until the window is destroyed or kHangLimitMs have passed.
class WindowThread {
public:
    WindowThread(const char* className, WNDPROC procedure) : className_(className), procedure_(procedure) {
        thread_ = CreateThread(nullptr, 0, &Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, kHangLimitMs);
    }
    ~WindowThread() {
        SetEvent(release_);
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, kHangLimitMs);
        for (HANDLE h : {thread_, ready_, hang_, release_}) CloseHandle(h);
    }
    HWND Window() const { return window_; }

    // Returns once the thread has stopped taking messages.
    void Hang() {
        SetEvent(hang_);
        WaitForSingleObject(ready_, kHangLimitMs);
        hungSince_ = GetTickCount();
    }
    DWORD HungForMs() const { return MsSince(hungSince_); }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<WindowThread*>(self)->Loop();
        return 0;
    }
    void Loop() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = procedure_;
        windowClass.lpszClassName = className_;
        RegisterClassA(&windowClass);
        window_ = CreateWindowA(className_, className_, WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr, nullptr,
                                nullptr);
        SetEvent(ready_);
        MSG msg;
        for (;;) {
            if (WaitForSingleObject(hang_, 0) == WAIT_OBJECT_0) {
                ResetEvent(hang_);
                SetEvent(ready_);
                WaitForSingleObject(release_, kHangLimitMs);
            }
            MsgWaitForMultipleObjects(1, &hang_, FALSE, kPollMs, QS_ALLINPUT);
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    DestroyWindow(window_);
                    return;
                }
                DispatchMessageA(&msg);
            }
        }
    }

    const char* className_;
    WNDPROC procedure_;
    HANDLE ready_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE hang_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    DWORD hungSince_ = 0;
};

// A DDE server of the test's own, answering the initiate for one service and
// topic, after `replyDelayMs` (during which its thread takes no message).
const char kTestService[] = "TelmoraBoundsService";
const char kTestTopic[] = "TelmoraBoundsTopic";
DWORD s_replyDelayMs = 0;

bool NamesAtom(ATOM atom, const char* name) {
    char text[64] = "";
    GlobalGetAtomNameA(atom, text, sizeof text);
    return lstrcmpiA(text, name) == 0;
}

LRESULT CALLBACK TestServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND client = reinterpret_cast<HWND>(wParam);
    if (message == WM_DDE_INITIATE && NamesAtom(LOWORD(lParam), kTestService) &&
        NamesAtom(HIWORD(lParam), kTestTopic)) {
        Sleep(s_replyDelayMs);
        // The reply's atoms are the client's to delete.
        LPARAM reply = MAKELPARAM(GlobalAddAtomA(kTestService), GlobalAddAtomA(kTestTopic));
        DWORD_PTR unused = 0;
        SendMessageTimeoutA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window), reply, SMTO_NORMAL, kHangLimitMs,
                            &unused);
        return 0;
    }
    if (message == WM_DDE_TERMINATE) {
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ReplyAtomsLeft() { return GlobalFindAtomA(kTestService) != 0 || GlobalFindAtomA(kTestTopic) != 0; }

// A server that answers in time becomes the partner; one that answers after
// its window's time-out is not taken. Either way the atoms of the reply are
// deleted.
TEST(DdeBoundsTest, InitiateTakesOnlyRepliesInTimeAndDeletesTheirAtoms) {
    tst::UseMainWindow();
    ASSERT_FALSE(ReplyAtomsLeft());
    WindowThread server("TelmoraBoundsServer", &TestServerProc);
    ASSERT_NE(server.Window(), nullptr);

    s_replyDelayMs = 0;
    EXPECT_EQ(InitiateDDE(kTestService, kTestTopic), 1);
    EXPECT_EQ(g_desktop.ddePartner, server.Window());
    EXPECT_FALSE(ReplyAtomsLeft()) << "the atoms of the reply were kept";
    EXPECT_EQ(TerminateDDE(), 1);

    // Its thread has two top-level windows, its own and the input method's,
    // and each costs the initiate its time-out; the reply comes after both.
    s_replyDelayMs = kThreadWindows * kInitiateTimeoutMs + 1000;
    DWORD start = GetTickCount();
    EXPECT_EQ(InitiateDDE(kTestService, kTestTopic), 0);
    DWORD waitedMs = MsSince(start);
    EXPECT_GE(waitedMs, kInitiateTimeoutMs - kSlackMs);
    EXPECT_LT(waitedMs, kThreadWindows * kInitiateTimeoutMs + kSlackMs);
    const DWORD replyDueMs = s_replyDelayMs + kSlackMs;
    if (waitedMs < replyDueMs) PumpFor(replyDueMs - waitedMs);  // the late reply arrives
    EXPECT_EQ(g_desktop.ddePartner, kNoDdePartner) << "a reply after the time-out was taken";
    EXPECT_FALSE(ReplyAtomsLeft()) << "the atoms of the late reply were kept";
}

// A thread that has just stopped taking messages costs the initiate the
// time-out of each of its windows, until it has been silent for five seconds;
// from then on its windows are passed over at once. Past them, the shell is
// still reached.
TEST(DdeBoundsTest, HungWindowDoesNotStopTheInitiate) {
    tst::UseMainWindow();
    WindowThread hung("TelmoraBoundsHung", &DefWindowProcA);
    ASSERT_NE(hung.Window(), nullptr);
    hung.Hang();

    DWORD start = GetTickCount();
    EXPECT_EQ(InitiateDDE("PROGMAN", "PROGMAN"), 1);
    DWORD waitedMs = MsSince(start);
    EXPECT_GE(waitedMs, kInitiateTimeoutMs - kSlackMs) << "the hung window was not asked";
    EXPECT_LT(waitedMs, kHungAfterMs + kInitiateTimeoutMs + kSlackMs);
    EXPECT_EQ(TerminateDDE(), 1);

    if (hung.HungForMs() < kHungAfterMs + kSlackMs) PumpFor(kHungAfterMs + kSlackMs - hung.HungForMs());
    start = GetTickCount();
    EXPECT_EQ(InitiateDDE("PROGMAN", "PROGMAN"), 1);
    EXPECT_LT(MsSince(start), kSlackMs) << "a window hung for " << hung.HungForMs() << " ms held the initiate";
    EXPECT_EQ(TerminateDDE(), 1);
}

// This executable again, running only kChildTest, on a desktop of its own;
// its results go to the report `reportPath`. Its output is dropped: the shell
// it starts inherits the handles and may hang holding them.
class ChildOnFreshDesktop {
public:
    explicit ChildOnFreshDesktop(const std::string& reportPath) {
        desktop_ = CreateDesktopA(kChildDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE nothing = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        char program[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string commandLine = std::string("\"") + program + "\" --gtest_filter=" + kChildTest +
                                  " --gtest_output=xml:" + reportPath;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.lpDesktop = const_cast<char*>(kChildDesktop);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = nothing;
        startup.hStdError = nothing;
        SetEnvironmentVariableA(kChildVariable, "1");
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
            process_ = info.hProcess;
            CloseHandle(info.hThread);
        }
        SetEnvironmentVariableA(kChildVariable, nullptr);
        CloseHandle(nothing);
    }
    ~ChildOnFreshDesktop() {
        if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, kHangLimitMs);
        }
        if (process_) CloseHandle(process_);
        if (desktop_) CloseDesktop(desktop_);
    }
    bool Started() const { return process_ != nullptr; }

    // Handles this thread's messages while it waits; false on time-out.
    bool WaitForExit(DWORD limitMs, DWORD* exitCode) {
        DWORD start = GetTickCount();
        while (MsSince(start) < limitMs) {
            if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return GetExitCodeProcess(process_, exitCode);
            PumpFor(kPollMs);
        }
        return false;
    }

private:
    HDESK desktop_ = nullptr;
    HANDLE process_ = nullptr;
};

TEST(DdeBoundsTest, RemovalBeforeAnyGroupEndsInAFreshShell) {
    tst::TempDirectory scratch;
    const std::string reportPath = scratch.File("CHILD.XML");
    {
        ChildOnFreshDesktop child(reportPath);
        ASSERT_TRUE(child.Started()) << GetLastError();
        DWORD exitCode = 1;
        bool ended = child.WaitForExit(kChildLimitMs, &exitCode);
        EXPECT_TRUE(ended) << "the removal did not end in " << kChildLimitMs << " ms";
        EXPECT_EQ(exitCode, 0u);
    }
    const std::string report = tst::ReadFile(reportPath);
    EXPECT_NE(report.find("name=\"RemovalBeforeAnyGroup\""), std::string::npos) << report;
    EXPECT_NE(report.find("result=\"completed\""), std::string::npos) << report;
    EXPECT_EQ(report.find("<failure"), std::string::npos) << report;
}

// Run by the test above, in the child on its fresh desktop.
TEST(DdeBoundsInFreshShell, RemovalBeforeAnyGroup) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs only in a process of its own on a fresh desktop";
    tst::UseMainWindow();
    tst::TempDirectory client;
    ASSERT_TRUE(tst::WriteFile(client.File("TELMORA.EXE"), "MZ"));
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", "Program manager not responding - Ignore error and continue?",
                                        {IDYES, IDNO})
                      .Press(IDNO));

    // The shell answers the initiate and then crashes on the first DeleteItem
    // (Wine only): that execute and the rest wait out their time.
    DWORD start = GetTickCount();
    EXPECT_EQ(RemoveProgmanItems(client.Path().c_str(), ""), 1);
    DWORD waitedMs = MsSince(start);
    EXPECT_GE(waitedMs, kAckWaitMs) << "the shell acknowledged a DeleteItem without a current group";
    EXPECT_LT(waitedMs, kRemovalBoundMs);

    // The hung shell answers no more: a plain broadcast initiate would wait
    // for it for ever; now the user is asked whether to go on.
    start = GetTickCount();
    EXPECT_EQ(RemoveProgmanItems(client.Path().c_str(), ""), 0);
    EXPECT_LT(MsSince(start), kRemovalBoundMs);
    EXPECT_TRUE(driver.AllMet());
}

}  // namespace
