// The raw window-message DDE conversation with the Program Manager server:
// the broadcast initiate, one execute at a time with its bounded wait for the
// acknowledgement, and the terminate handshake.
//
// The initiate goes to every top-level window, so one window whose thread has
// stopped taking messages (a shell that crashed into the debugger, say) would
// hold a plain broadcast SendMessage for ever; each window therefore gets a
// time-out, and a hung one is passed over at once.
//
// The command text travels in DDE-shared global memory. Once the execute is
// posted the memory belongs to the server until it acknowledges: the
// acknowledgement hands the handle back and it is freed then. A command that
// is never acknowledged leaves its memory with the server.
#include "desktop/dde_conversation.h"

#include <windows.h>
#include <dde.h>

#include <cstring>

#include "common/setup_context.h"
#include "common/win_handles.h"
#include "desktop/desktop_state.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kAckWaitMs = 3000;
const UINT kCommandMemoryFlags = GMEM_MOVEABLE | GMEM_DDESHARE;
const UINT_PTR kNoPartnerLowWord = 0xFFFF;

// The initiate's broadcast: each window may take this long to answer.
const UINT kInitiateTimeoutMs = 3000;
// Not SMTO_BLOCK: the server's acknowledgement is sent to the main window
// while the broadcast is still out, and this thread must take it then; a
// blocked thread would take it only after that server's time-out, too late.
// SMTO_ABORTIFHUNG passes over a window whose thread has stopped taking
// messages without waiting for its time-out.
const UINT kInitiateFlags = SMTO_NORMAL | SMTO_ABORTIFHUNG;

bool HasPartner() { return LOWORD(reinterpret_cast<UINT_PTR>(g_desktop.ddePartner)) != kNoPartnerLowWord; }

void ForgetPartner() { g_desktop.ddePartner = kNoDdePartner; }

WPARAM OwnWindow() { return reinterpret_cast<WPARAM>(g_setup.mainWindow); }

// A DDE-shared copy of `command` with its terminator; empty when no memory.
win::GlobalMemory CommandMemory(const char* command) {
    SIZE_T size = std::strlen(command) + 1;
    win::GlobalMemory memory(GlobalAlloc(kCommandMemoryFlags, size));
    if (!memory.IsOpen()) return memory;
    void* bytes = GlobalLock(memory);
    if (!bytes) {
        memory.Close();
        return memory;
    }
    std::memcpy(bytes, command, size);
    GlobalUnlock(memory);
    return memory;
}

// A reply to WM_DDE_INITIATE carries the server's application and topic
// atoms unpacked; they are the receiver's to delete.
void DeleteInitiateAtoms(LPARAM lParam) {
    if (LOWORD(lParam)) GlobalDeleteAtom(LOWORD(lParam));
    if (HIWORD(lParam)) GlobalDeleteAtom(HIWORD(lParam));
}

// An execute's acknowledgement: keeps its status and takes back the command
// memory it returns, then frees the packed parameter.
void AcceptExecuteAck(LPARAM lParam) {
    UINT_PTR status = 0;
    UINT_PTR commandHandle = 0;
    if (!lParam || !UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commandHandle)) return;
    if (g_desktop.pendingCommand && reinterpret_cast<HGLOBAL>(commandHandle) == g_desktop.pendingCommand) {
        g_desktop.lastAckStatus = LOWORD(status);
        GlobalFree(g_desktop.pendingCommand);
        g_desktop.pendingCommand = nullptr;
    }
    FreeDDElParam(WM_DDE_ACK, lParam);
}

// Takes the next message of the DDE range from the queue and dispatches it,
// polling until `limitMs` have passed since `start`. 0 when none came.
int NextDdeMessage(MSG* msg, DWORD start, DWORD limitMs) {
    for (;;) {
        if (PeekMessageA(msg, nullptr, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
            DispatchMessageA(msg);
            return 1;
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed > limitMs) return 0;
        // Sleeps until something new arrives instead of spinning; the next
        // peek looks again either way.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, limitMs - elapsed + 1, QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
}

}  // namespace

int InitiateDDE(const char* application, const char* topic) {
    ATOM applicationAtom = GlobalAddAtomA(application);
    ATOM topicAtom = GlobalAddAtomA(topic);
    ForgetPartner();
    // The server's acknowledgement is sent to the main window during this
    // call; its handler keeps the partner.
    g_desktop.initiating = true;
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, OwnWindow(), MAKELPARAM(applicationAtom, topicAtom),
                        kInitiateFlags, kInitiateTimeoutMs, &unused);
    g_desktop.initiating = false;
    if (applicationAtom) GlobalDeleteAtom(applicationAtom);
    if (topicAtom) GlobalDeleteAtom(topicAtom);
    return HasPartner() ? 1 : 0;
}

void AcceptDDEAck(std::uintptr_t wParam, std::intptr_t lParam) {
    HWND sender = reinterpret_cast<HWND>(wParam);
    if (g_desktop.initiating) {
        // The last server to answer becomes the partner.
        DeleteInitiateAtoms(lParam);
        g_desktop.ddePartner = sender;
    } else if (InSendMessage()) {
        // A server that answers the initiate only after its time-out is not
        // taken. It is not sent WM_DDE_TERMINATE either: its reply would
        // end the conversation in progress, as any WM_DDE_TERMINATE does.
        DeleteInitiateAtoms(lParam);
    } else {
        g_desktop.ddePartner = sender;
        AcceptExecuteAck(lParam);
    }
}

void AcceptDDETerminate() { ForgetPartner(); }

int ExecuteDDECmd(const char* command) {
    if (!HasPartner()) {
        ShowError(IDS_DDE_NO_SERVER);
        return 0;
    }
    g_desktop.lastAckStatus = 0;
    win::GlobalMemory memory = CommandMemory(command);
    if (!memory.IsOpen()) return 0;
    LPARAM lParam = PackDDElParam(WM_DDE_EXECUTE, 0, reinterpret_cast<UINT_PTR>(memory.Get()));
    if (!PostMessageA(g_desktop.ddePartner, WM_DDE_EXECUTE, OwnWindow(), lParam)) {
        FreeDDElParam(WM_DDE_EXECUTE, lParam);
        return 0;
    }
    g_desktop.pendingCommand = memory.Release();

    DWORD start = GetTickCount();
    MSG msg;
    while (NextDdeMessage(&msg, start, kAckWaitMs)) {
        if (msg.message == WM_DDE_ACK) return 1;
    }
    return 0;
}

unsigned LastDDEAckStatus() { return g_desktop.lastAckStatus; }

int TerminateDDE() {
    if (HasPartner()) PostMessageA(g_desktop.ddePartner, WM_DDE_TERMINATE, OwnWindow(), 0);
    DWORD start = GetTickCount();
    MSG msg;
    while (HasPartner()) {
        if (!NextDdeMessage(&msg, start, kAckWaitMs)) return 0;
        if (msg.message == WM_DDE_TERMINATE || msg.message == WM_DDE_ACK) ForgetPartner();
    }
    // The shell's group window may have come up over the main window. A
    // hidden main window (a quiet run that asked nothing) is not brought up:
    // there is nothing to see, and activating it would only take the focus
    // from the window the user works in.
    if (IsWindowVisible(g_setup.mainWindow)) BringWindowToTop(g_setup.mainWindow);
    return 1;
}
