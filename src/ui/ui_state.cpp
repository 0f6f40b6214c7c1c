// The user-interface code's run-wide record and its reset.
#include "ui/ui_state.h"

UiRunState g_ui;

void ResetUiRunState() {
    g_ui.pendingDialogStart = nullptr;
    g_ui.question = QuestionState();
    ToWide(nullptr);  // releases the wide-text scratch
    g_ui.yieldClock = {1, 0, 0, 0};
    g_ui.lastBoxText[0] = '\0';
}
