// The raw window-message DDE conversation with the shell's Program Manager
// server, and the two text rules of its commands and replies.
//
// One conversation at a time: InitiateDDE finds the partner (the main window's
// WM_DDE_ACK handler passes each acknowledgement to AcceptDDEAck, which keeps
// it in g_desktop.ddePartner, desktop/desktop_state.h), ExecuteDDECmd sends one command and waits at most 3
// seconds for its acknowledgement, TerminateDDE closes the conversation. No
// wait is unbounded: a window that does not answer the broadcast initiate
// costs at most its time-out. The waits poll the DDE message range only, so
// other window messages stay queued until the conversation ends.
//
// This header includes no windows.h: the text rules are plain text logic.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

// 1 when a server answered the initiate for `application` and `topic`. Each
// top-level window has at most 3 seconds to answer, a hung one none.
int InitiateDDE(const char* application, const char* topic);

// The main window's WM_DDE_ACK (its wParam and lParam). A reply to the
// initiate names the partner and hands over two atoms, which are deleted; a
// reply that comes after the initiate gave up on its window is not taken. An
// execute's acknowledgement keeps its status and gives back the command
// memory, which is freed.
void AcceptDDEAck(std::uintptr_t wParam, std::intptr_t lParam);

// The main window's WM_DDE_TERMINATE: the conversation has no partner any more.
void AcceptDDETerminate();

// Posts `command` to the partner; 1 when it acknowledged within 3 seconds
// (positively or not). Without a partner, error IDS_DDE_NO_SERVER is shown and 0 returned.
int ExecuteDDECmd(const char* command);

// The status word of the last acknowledgement ExecuteDDECmd received (bit 15
// set when the server accepted the command).
unsigned LastDDEAckStatus();

// 1 when the conversation closed within 3 seconds.
int TerminateDDE();

// The quote character written around a directory in a command: a directory
// that contains a blank is wrapped in double quotes, any other is not.
inline const char* CommandQuote(const char* directory) {
    return directory && std::strchr(directory, ' ') ? "\"" : "";
}

// The item count in a group's description line ("name",path,count,...): the
// signed 16-bit decimal number after the second comma, 0 when there is none.
inline int GroupItemCount(const char* reply) {
    if (!reply) return 0;
    int commas = 0;
    while (*reply != '\0' && commas < 2) {
        if (*reply == ',') ++commas;
        ++reply;
    }
    short count = 0;
    if (std::sscanf(reply, "%hd", &count) != 1) return 0;
    return count;
}
