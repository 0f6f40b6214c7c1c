// Running a dialog template: from the client language library when one is
// loaded, otherwise (or when the library cannot create it) from the
// program's own English templates.
//
// The caller's parameter travels to WM_INITDIALOG wrapped in a start record,
// which may also carry a caption to put on the dialog: when the language's
// script cannot be shown in the caption font, the English title of the
// program's own template is used instead. Every dialog procedure unwraps the
// record with DialogStart.
#include "ui/dialogs.h"

#include <cstdlib>
#include <cstring>

#include "common/action_log.h"
#include "common/setup_context.h"
#include "common/windows_version.h"
#include "ui/language.h"
#include "ui/strings.h"
#include "ui/ui_state.h"

// The record of the dialog being started is g_ui.pendingDialogStart.
// DialogStart unwraps only that one, so a dialog created elsewhere keeps its
// lParam, and RunDialog frees a record that no WM_INITDIALOG took.
struct DialogStartRecord {
    const wchar_t* captionOverride;  // UTF-16 title, or null
    LPARAM userParam;
};

namespace {

const INT_PTR kNoDialog = -1;
const int kCaptionFont = 1;

// Classic DLGTEMPLATE: style, extended style, item count and the four
// coordinates take 18 bytes; an empty menu and class take two WORDs each;
// the title follows.
const std::size_t kClassicMenuOffset = 18;
const std::size_t kClassicTitleOffset = 22;
const WORD kExtendedTemplateSignature = 0xFFFF;

// The title of the program's own classic template `name`, or null.
const wchar_t* OwnTemplateTitle(HINSTANCE instance, const char* name) {
    HRSRC resource = FindResourceA(instance, name, RT_DIALOG);
    if (!resource) return nullptr;
    HGLOBAL loaded = LoadResource(instance, resource);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes || SizeofResource(instance, resource) < kClassicTitleOffset) return nullptr;

    WORD words[2];
    std::memcpy(words, bytes + kClassicMenuOffset, sizeof(words));
    WORD signature;
    std::memcpy(&signature, bytes + sizeof(WORD), sizeof(signature));
    if (signature == kExtendedTemplateSignature || words[0] != 0 || words[1] != 0) return nullptr;
    return reinterpret_cast<const wchar_t*>(bytes + kClassicTitleOffset);
}

// On Windows NT: the dialog's English caption when the PC's caption font
// cannot show the language library's script.
const wchar_t* CaptionOverride(HINSTANCE instance, const char* name) {
    if (!LocaleDiffersFromUser() || FontForCharsetExists(kCaptionFont)) return nullptr;
    return OwnTemplateTitle(instance, name);
}

INT_PTR Run(HINSTANCE module, const char* name, HWND owner, DLGPROC procedure, LPARAM param, int onNt) {
    if (!onNt) return DialogBoxParamA(module, name, owner, procedure, param);
    LPCWSTR wideName = IS_INTRESOURCE(name) ? reinterpret_cast<LPCWSTR>(name) : ToWide(name);
    return DialogBoxParamW(module, wideName, owner, procedure, param);
}

// The record while no dialog has taken it yet, else the caller's parameter.
LPARAM StartParam(DialogStartRecord* record, LPARAM param) {
    return record && record == g_ui.pendingDialogStart ? reinterpret_cast<LPARAM>(record) : param;
}

INT_PTR RunWithRecord(HINSTANCE instance, const char* name, HWND owner, DLGPROC procedure,
                      DialogStartRecord* record, LPARAM param) {
    int onNt = IsWindowsNT();
    HMODULE library = g_setup.languageLibrary;
    if (library) {
        if (onNt && record) record->captionOverride = CaptionOverride(instance, name);
        INT_PTR result = Run(library, name, owner, procedure, StartParam(record, param), onNt);
        if (result != kNoDialog) return result;
    }
    return Run(instance, name, owner, procedure, StartParam(record, param), onNt);
}

}  // namespace

INT_PTR RunDialog(HINSTANCE instance, const char* name, HWND owner, DLGPROC procedure, LPARAM param) {
    // Without memory for the record the dialog still runs, with its
    // parameter passed directly.
    DialogStartRecord* record = static_cast<DialogStartRecord*>(std::calloc(1, sizeof(DialogStartRecord)));
    if (record) record->userParam = param;

    DialogStartRecord* outer = g_ui.pendingDialogStart;
    g_ui.pendingDialogStart = record;
    INT_PTR result = RunWithRecord(instance, name, owner, procedure, record, param);
    if (g_ui.pendingDialogStart == record) std::free(record);  // no dialog got as far as WM_INITDIALOG
    g_ui.pendingDialogStart = outer;
    return result;
}

int DialogStart(HWND dialog, WPARAM, LPARAM* lParamSlot) {
    if (!lParamSlot || *lParamSlot == 0) return 1;
    DialogStartRecord* record = reinterpret_cast<DialogStartRecord*>(*lParamSlot);
    if (record != g_ui.pendingDialogStart || IsBadReadPtr(record, sizeof(DialogStartRecord))) return 1;

    if (record->captionOverride) SetWindowTextW(dialog, record->captionOverride);
    *lParamSlot = record->userParam;
    std::free(record);
    g_ui.pendingDialogStart = nullptr;
    return 1;
}

INT_PTR RunDialogSteps(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, const DialogSteps& steps) {
    if (message == WM_INITDIALOG) {
        DialogCommonStart(dialog, wParam, &lParam);
        return steps.start(dialog);
    }
    if (message != WM_COMMAND) return FALSE;
    steps.command(dialog, LOWORD(wParam));
    return TRUE;
}

void DialogCommonStart(HWND dialog, WPARAM wParam, LPARAM* lParamSlot) {
    DialogStart(dialog, wParam, lParamSlot);
    RECT rect;
    if (!GetWindowRect(dialog, &rect)) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    MoveWindow(dialog, (g_setup.screenWidth - width) / 2, (g_setup.screenHeight - height) / 2, width, height,
               FALSE);
}

INT_PTR AskDialog(const char* name, DLGPROC procedure, const DialogReply& reply) {
    char offer[kAnswerWordsSize];
    char answer[kAnswerWordsSize];
    reply.describeOffer(offer);
    if (IsUnattendedRun()) {
        const UnattendedAnswer& row = DialogAnswerRow(name);
        INT_PTR end = reply.answer(row.rule);
        reply.describeEnd(end, answer);
        LogDialog(name, offer, answer, &row);
        return end;
    }
    INT_PTR end = RunDialog(g_setup.appInstance, name, g_setup.mainWindow, procedure, 0);
    if (IsActionLogOpen()) {
        reply.describeEnd(end, answer);
        LogDialog(name, offer, answer, nullptr);
    }
    return end;
}
