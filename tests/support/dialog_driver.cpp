// Reading and answering boxes through window messages that work within the
// thread and across processes alike; and the in-process driver: a WH_CBT hook
// notes every activated "#32770" window of the thread, a thread timer answers it.
#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ui/resource_ids.h"

namespace tst {
namespace {

constexpr int kMessageTextId = 0xFFFF;  // the text static of a message box
constexpr int kFirstLineId = 3201;      // the static lines of a question dialog
constexpr int kLastLineId = 3206;
constexpr int kMaxUnexpectedInRow = 3;  // then message boxes are ended, not cancelled
constexpr int kTextSize = 4096;

DialogDriver* g_driver = nullptr;

// Not SMTO_ABORTIFHUNG: a program that has just paused for longer than five
// seconds (the spooler retries) counts as hung until its new box has taken its
// first message, and the box's texts would read as empty.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result) ? result : -1;
}

// Texts are read wide and converted to the ANSI code page: the ANSI forms of
// some list messages return UTF-16 across processes.
std::string Narrow(const wchar_t* wide) {
    char text[kTextSize] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, kTextSize - 1, nullptr, nullptr);
    return text;
}

std::string TextOf(HWND window) {
    wchar_t text[kTextSize] = L"";
    Send(window, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text));
    return Narrow(text);
}

bool IsCombo(HWND control) {
    char name[16] = "";
    GetClassNameA(control, name, sizeof name);
    return _stricmp(name, "ComboBox") == 0;
}

std::vector<std::string> Entries(HWND list) {
    bool combo = IsCombo(list);
    std::vector<std::string> entries;
    for (LRESULT i = 0, count = Send(list, combo ? CB_GETCOUNT : LB_GETCOUNT); i < count; ++i) {
        wchar_t entry[kTextSize] = L"";
        if (Send(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i) < kTextSize) {
            Send(list, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
        }
        entries.push_back(Narrow(entry));
    }
    return entries;
}

// A control's text; for a combo box the selected entry.
std::string ControlText(HWND box, int id) {
    HWND control = GetDlgItem(box, id);
    if (!control || !IsCombo(control)) return control ? TextOf(control) : "<no control>";
    LRESULT index = Send(control, CB_GETCURSEL);
    std::vector<std::string> entries = Entries(control);
    return index >= 0 && index < static_cast<LRESULT>(entries.size()) ? entries[index] : "";
}

bool IsMessageBox(HWND box) { return GetDlgItem(box, kMessageTextId) != nullptr; }

struct Buttons {
    std::string ids;  // the visible push buttons, "{1,2}" in id order
    int drawnDefault = 0;
};

BOOL CALLBACK CollectButton(HWND control, LPARAM found) {
    LONG style = GetWindowLongA(control, GWL_STYLE), type = style & BS_TYPEMASK;
    char name[16] = "";
    GetClassNameA(control, name, sizeof name);
    if (!std::strcmp(name, "Button") && (style & WS_VISIBLE) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
        auto* ids = reinterpret_cast<std::vector<int>*>(found);
        ids->push_back(GetDlgCtrlID(control) * (type == BS_DEFPUSHBUTTON ? -1 : 1));
    }
    return TRUE;
}

std::string IdList(std::vector<int> ids) {
    std::sort(ids.begin(), ids.end());
    std::string text;
    for (int id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
    return "{" + text + "}";
}

// The button drawn as the default (a message box sets only that), else the
// dialog manager's default id.
Buttons ButtonsOf(HWND box) {
    std::vector<int> ids;
    EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&ids));
    Buttons buttons;
    for (int& id : ids) id < 0 ? (buttons.drawnDefault = id = -id) : id;
    buttons.ids = IdList(ids);
    LRESULT defId = buttons.drawnDefault ? 0 : Send(box, DM_GETDEFID);
    if (defId != -1 && HIWORD(defId) == DC_HASDEFID) buttons.drawnDefault = LOWORD(defId);
    return buttons;
}

std::string Differs(const std::string& what, const std::string& expected, const std::string& seen) {
    if (expected == seen) return "";
    return what + " differs\n  expected: \"" + expected + "\"\n  seen:     \"" + seen + "\"\n";
}

void PostCommand(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

std::string Mismatches(HWND box, const Expectation& e) {
    std::string problems;
    if (IsMessageBox(box) != e.messageBox) problems += "another kind of box appeared\n";
    problems += Differs("title", e.title, TextOf(box));
    if (e.messageBox) problems += Differs("text", e.text, TextOf(GetDlgItem(box, kMessageTextId)));
    if (e.messageBox) problems += Differs("buttons", IdList(e.buttons), ButtonsOf(box).ids);
    for (size_t i = 0; i < e.lines.size(); ++i) {
        int id = kFirstLineId + static_cast<int>(i);
        if (GetDlgItem(box, id) || !e.lines[i].empty()) problems += Differs("line " + std::to_string(id), e.lines[i], ControlText(box, id));
    }
    for (const auto& shown : e.shown) {
        problems += Differs("control " + std::to_string(shown.first), shown.second, ControlText(box, shown.first));
    }
    if (e.defaultButton) {
        problems += Differs("default button", std::to_string(e.defaultButton), std::to_string(ButtonsOf(box).drawnDefault));
    }
    for (int id : e.checked) {
        if (Send(GetDlgItem(box, id), BM_GETCHECK) != BST_CHECKED) problems += "button " + std::to_string(id) + " is not checked\n";
    }
    return problems;
}

std::string SelectEntry(HWND box, int id, const std::string& entry) {
    HWND list = GetDlgItem(box, id);
    std::vector<std::string> entries = list ? Entries(list) : std::vector<std::string>();
    auto found = std::find(entries.begin(), entries.end(), entry);
    if (found != entries.end()) return Send(list, IsCombo(list) ? CB_SETCURSEL : LB_SETCURSEL, found - entries.begin()), "";
    std::string held;
    for (const std::string& e : entries) held += " \"" + e + "\"";
    return "list " + std::to_string(id) + " has no entry \"" + entry + "\"; it holds:" + held + "\n";
}

std::string Answer(HWND box, const Expectation& e) {
    std::string problems;
    for (const auto& typed : e.typed) {
        wchar_t wide[kTextSize] = L"";
        MultiByteToWideChar(CP_ACP, 0, typed.second.c_str(), -1, wide, kTextSize - 1);
        if (Send(GetDlgItem(box, typed.first), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide)) != TRUE) {
            problems += "cannot type into control " + std::to_string(typed.first) + "\n";
        }
    }
    for (const auto& selected : e.selected) problems += SelectEntry(box, selected.first, selected.second);
    int press = e.press ? e.press : ButtonsOf(box).drawnDefault;  // asked before any command is posted
    for (int id : e.clicked) {
        if (!GetDlgItem(box, id)) problems += "no button " + std::to_string(id) + " to click\n";
        PostCommand(box, id);
    }
    PostCommand(box, press ? press : IDOK);
    return problems;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_driver) g_driver->OnTimer();
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    char name[16] = "";
    if (code == HCBT_ACTIVATE && g_driver && GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) &&
        !std::strcmp(name, "#32770")) {
        g_driver->OnActivate(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::string Expectation::Describe() const {
    std::string body = text;
    for (size_t i = 0; i < lines.size(); ++i) body += (i ? "\n" : "") + lines[i];
    return std::string(messageBox ? "message box \"" : "dialog \"") + title + "\": \"" + body + "\"";
}

Expectation MessageBoxExpect(const char* caption, const char* text, std::vector<int> buttons) {
    Expectation e = DialogExpect(caption, {});
    e.messageBox = true;
    e.text = text;
    e.buttons = std::move(buttons);
    return e;
}

Expectation DialogExpect(const char* title, std::vector<std::string> lines) {
    Expectation e;
    e.title = title;
    e.lines = std::move(lines);
    return e;
}

std::string BoxText(HWND box) {
    std::string body = TextOf(GetDlgItem(box, kMessageTextId));
    for (int id = kFirstLineId; !IsMessageBox(box) && id <= kLastLineId && GetDlgItem(box, id); ++id) {
        body += (id == kFirstLineId ? "" : "\n") + TextOf(GetDlgItem(box, id));
    }
    return TextOf(box) + ": " + body;
}

std::string CheckAndAnswer(HWND box, const Expectation& expected) {
    if (expected.onShow) expected.onShow(box);
    std::string seen = BoxText(box), problems = Mismatches(box, expected);
    problems += Answer(box, expected);  // last: the answer closes the box
    return problems.empty() ? "" : "expected " + expected.Describe() + "\n  shown \"" + seen + "\"\n" + problems;
}

void CloseBox(HWND box) {
    Expectation close;
    if (GetDlgItem(box, IDC_FUNCTION_QUIT)) close.Click(IDC_FUNCTION_QUIT);
    for (int id : {IDYES, IDC_ANSWER_YES, IDOK, IDCANCEL}) {
        if (!close.press && GetDlgItem(box, id)) close.Press(id);
    }
    Answer(box, close);
}

DialogDriver::DialogDriver() : previous_(g_driver) {
    g_driver = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    if (!hook_) ADD_FAILURE() << "SetWindowsHookExA(WH_CBT) failed, error " << GetLastError();
}

DialogDriver::~DialogDriver() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (timer_) KillTimer(nullptr, timer_);
    g_driver = previous_;
    if (AllMet()) return;
    std::string report = "dialogs expected but never shown:";
    for (const Expectation& e : expectations_) report += "\n  " + e.Describe();
    for (const std::string& s : seen_) report += "\nshown: \"" + s + "\"";
    ADD_FAILURE() << report;
}

void DialogDriver::OnActivate(HWND window) {
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
    if (std::find(pending_.begin(), pending_.end(), window) != pending_.end()) return;
    pending_.push_back(window);
    if (!timer_) timer_ = SetTimer(nullptr, 0, 10, TimerProc);
}

// A box that already has a command of ours queued (re-activated when a box
// over it closed) is not answered again.
void DialogDriver::OnTimer() {
    KillTimer(nullptr, timer_);
    timer_ = 0;
    std::vector<HWND> windows;
    windows.swap(pending_);
    MSG queued;
    for (HWND box : windows) {
        if (!IsWindow(box) || PeekMessageA(&queued, box, WM_COMMAND, WM_COMMAND, PM_NOREMOVE | PM_NOYIELD)) continue;
        seen_.push_back(BoxText(box));
        if (expectations_.empty()) {
            ADD_FAILURE() << "unexpected " << (IsMessageBox(box) ? "message box \"" : "dialog \"") << seen_.back()
                          << "\" (no expectation left); closing it";
            bool cancel = IsMessageBox(box) && ++unexpectedInRow_ <= kMaxUnexpectedInRow;
            cancel ? PostCommand(box, IDCANCEL) : (void)EndDialog(box, -1);
            continue;
        }
        unexpectedInRow_ = 0;
        Expectation expected = std::move(expectations_.front());
        expectations_.pop_front();
        std::string problems = CheckAndAnswer(box, expected);
        if (!problems.empty()) ADD_FAILURE() << problems;
    }
}

}  // namespace tst
