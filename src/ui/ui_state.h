// What the user-interface code keeps from one call to the next during a run:
// the start record of the dialog being created, the parameters of the open
// question, the UTF-16 scratch of ToWide, the clock of the yield and the
// words of the last box shown. One record, one reset.
#pragma once

#include <windows.h>

#include <ctime>

#include "ui/strings.h"

enum : int {
    kNamedNetworks = 3,  // network buttons that carry a network's name
    kLastBoxTextSize = 600,  // the last box's caption and text, quoted
};

// The parameters of the question being asked (ui/question_dialogs.cpp),
// valid from the question function's start until its dialog ends.
struct QuestionState {
    const char* defaultText;  // text or language code offered
    char* answer;             // text answer, answerSize bytes
    int answerSize;
    int defaultYes;
    unsigned short networkChoice;
    unsigned short* networkAnswer;
    const char* networkNames[kNamedNetworks];
    const char* const* lines;  // replace question, ended by null
};

// The time of the last yield (ui/progress_display.cpp).
struct YieldClock {
    int firstYield;  // the first yield of a run always looks at the queue
    __time64_t seconds;
    unsigned short milliseconds;
    DWORD lastTick;  // the tick count when YieldWhenTicked last asked the clock
};

// The record that RunDialog hands to WM_INITDIALOG (ui/dialogs.cpp).
struct DialogStartRecord;

struct UiRunState {
    DialogStartRecord* pendingDialogStart = nullptr;  // the dialog being started; no other is unwrapped
    QuestionState question = {};
    WideText wideText;                                // ToWide's result, valid until its next call
    YieldClock yieldClock = {1, 0, 0, 0};
    char lastBoxText[kLastBoxTextSize] = {};          // the last box's words (ui/box_log.cpp)
};

extern UiRunState g_ui;

// Puts g_ui back to its state at program start: no dialog starting, no
// question open, the wide-text scratch released, the next yield the first.
void ResetUiRunState();
