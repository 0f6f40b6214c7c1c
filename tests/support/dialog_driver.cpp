// In-process dialog driver: a WH_CBT hook notes every activated "#32770" window of
// the test's thread, and a thread timer compares it with the next expectation and
// answers it from the dialog's own modal loop.
#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tst {
namespace {

constexpr char kDialogClass[] = "#32770";
constexpr int kMessageTextId = 0xFFFF;   // the text static of a message box
constexpr int kFirstLineId = 3201;       // the static text lines of a question dialog
constexpr int kLastLineId = 3206;
constexpr int kMaxUnexpectedInRow = 3;   // then dialogs are ended without asking them
constexpr UINT kTimerDelayMs = 10;
constexpr int kTextSize = 2048;

DialogDriver* g_driver = nullptr;

std::string WindowText(HWND window) {
    char text[kTextSize] = "";
    if (window) GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsDialogWindow(HWND window) { return ClassOf(window) == kDialogClass; }

bool IsMessageBox(HWND dialog) { return GetDlgItem(dialog, kMessageTextId) != nullptr; }

std::string DialogLines(HWND dialog) {
    std::string text;
    for (int id = kFirstLineId; id <= kLastLineId; ++id) {
        HWND line = GetDlgItem(dialog, id);
        if (!line) break;
        if (id != kFirstLineId) text += '\n';
        text += WindowText(line);
    }
    return text;
}

std::string SeenText(HWND dialog) {
    std::string body = IsMessageBox(dialog) ? WindowText(GetDlgItem(dialog, kMessageTextId))
                                            : DialogLines(dialog);
    return WindowText(dialog) + ": " + body;
}

bool IsPushButton(HWND control) {
    if (ClassOf(control) != "Button") return false;
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (!(style & WS_VISIBLE)) return false;
    LONG type = style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

BOOL CALLBACK CollectPushButton(HWND control, LPARAM param) {
    if (IsPushButton(control)) reinterpret_cast<std::vector<int>*>(param)->push_back(GetDlgCtrlID(control));
    return TRUE;
}

std::vector<int> PushButtons(HWND dialog) {
    std::vector<int> ids;
    EnumChildWindows(dialog, CollectPushButton, reinterpret_cast<LPARAM>(&ids));
    return ids;
}

std::string IdList(std::vector<int> ids) {
    std::string text;
    for (int id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
    return "{" + text + "}";
}

BOOL CALLBACK FindDefPushButton(HWND control, LPARAM param) {
    if (IsPushButton(control) && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        *reinterpret_cast<int*>(param) = GetDlgCtrlID(control);
        return FALSE;
    }
    return TRUE;
}

// The button drawn as the default (a message box sets only that), else the dialog
// manager's default id; 0 if none.
int DefaultButton(HWND dialog) {
    int id = 0;
    EnumChildWindows(dialog, FindDefPushButton, reinterpret_cast<LPARAM>(&id));
    if (id != 0) return id;
    LRESULT result = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(result) == DC_HASDEFID ? LOWORD(result) : 0;
}

bool SameSet(std::vector<int> a, std::vector<int> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Every entry of a combo box or list box, in list order.
std::vector<std::string> ListEntries(HWND list, bool combo) {
    std::vector<std::string> entries;
    UINT countMessage = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT lengthMessage = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT textMessage = combo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT count = SendMessageA(list, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, lengthMessage, i, 0);
        std::string entry(length > 0 ? length + 1 : 1, '\0');
        SendMessageA(list, textMessage, i, reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(std::strlen(entry.c_str()));
        entries.push_back(entry);
    }
    return entries;
}

void SelectEntry(HWND dialog, int id, const std::string& entry, const std::string& where) {
    HWND list = GetDlgItem(dialog, id);
    if (!list) {
        ADD_FAILURE() << where << ": no list control " << id << " to select " << Quoted(entry) << " in";
        return;
    }
    bool combo = ClassOf(list) == "ComboBox";
    std::vector<std::string> entries = ListEntries(list, combo);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == entry) {
            SendMessageA(list, combo ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
            return;
        }
    }
    std::string available;
    for (const std::string& e : entries) available += " " + Quoted(e);
    ADD_FAILURE() << where << ": list " << id << " has no entry " << Quoted(entry) << "; it holds:" << available;
}

void TypeText(HWND dialog, int id, const std::string& text, const std::string& where) {
    if (!GetDlgItem(dialog, id)) {
        ADD_FAILURE() << where << ": no control " << id << " to type " << Quoted(text) << " into";
        return;
    }
    SetDlgItemTextA(dialog, id, text.c_str());
}

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Posted, so it reaches the button through the modal loop ahead of the press.
void PostClick(HWND dialog, int id, const std::string& where) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) {
        ADD_FAILURE() << where << ": no button " << id << " to click";
        return;
    }
    PostMessageA(button, BM_CLICK, 0, 0);
}

// A command we posted to `dialog` that it has not yet taken from the queue.
bool AnswerPending(HWND dialog) {
    MSG message;
    return PeekMessageA(&message, dialog, WM_COMMAND, WM_COMMAND, PM_NOREMOVE | PM_NOYIELD) != 0;
}

void CompareText(const char* what, const std::string& expected, const std::string& seen,
                 const std::string& where) {
    if (expected != seen) {
        ADD_FAILURE() << where << ": " << what << " differs\n  expected: " << Quoted(expected)
                      << "\n  seen:     " << Quoted(seen);
    }
}

void CheckLines(HWND dialog, const Expectation& expected, const std::string& where) {
    for (size_t i = 0; i < expected.lines.size(); ++i) {
        int id = kFirstLineId + static_cast<int>(i);
        HWND line = GetDlgItem(dialog, id);
        std::string seen = line ? WindowText(line) : std::string("<no control>");
        if (!line && expected.lines[i].empty()) continue;
        std::string what = "line " + std::to_string(id);
        CompareText(what.c_str(), expected.lines[i], seen, where);
    }
}

void CheckControls(HWND dialog, const Expectation& expected, const std::string& where) {
    if (expected.checkButtons && !SameSet(expected.buttons, PushButtons(dialog))) {
        ADD_FAILURE() << where << ": buttons differ\n  expected: " << IdList(expected.buttons)
                      << "\n  seen:     " << IdList(PushButtons(dialog));
    }
    if (expected.defaultButton != 0 && DefaultButton(dialog) != expected.defaultButton) {
        ADD_FAILURE() << where << ": default button is " << DefaultButton(dialog) << ", expected "
                      << expected.defaultButton;
    }
    for (int id : expected.checked) {
        if (IsDlgButtonChecked(dialog, id) != BST_CHECKED) {
            ADD_FAILURE() << where << ": button " << id << " is not checked";
        }
    }
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_driver) g_driver->OnTimer();
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_driver) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(window)) g_driver->OnActivate(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

Expectation& Expectation::Default(int id) {
    defaultButton = id;
    return *this;
}

Expectation& Expectation::Press(int id) {
    press = id;
    return *this;
}

Expectation& Expectation::Type(int controlId, const char* value) {
    typed.emplace_back(controlId, value);
    return *this;
}

Expectation& Expectation::Select(int controlId, const char* entry) {
    selected.emplace_back(controlId, entry);
    return *this;
}

Expectation& Expectation::Checked(int id) {
    checked.push_back(id);
    return *this;
}

Expectation& Expectation::Click(int id) {
    clicked.push_back(id);
    return *this;
}

Expectation& Expectation::OnShow(std::function<void(HWND)> action) {
    onShow = std::move(action);
    return *this;
}

Expectation& Expectation::Buttons(std::vector<int> ids) {
    buttons = std::move(ids);
    checkButtons = true;
    return *this;
}

std::string Expectation::Describe() const {
    std::string body = text;
    if (kind == kDialog) {
        body.clear();
        for (size_t i = 0; i < lines.size(); ++i) body += (i ? "\n" : "") + lines[i];
    }
    return std::string(kind == kMessageBox ? "message box " : "dialog ") + Quoted(title) + ": " + Quoted(body);
}

Expectation MessageBoxExpect(const char* caption, const char* text, std::vector<int> buttons) {
    Expectation expectation;
    expectation.kind = Expectation::kMessageBox;
    expectation.title = caption ? caption : "";
    expectation.checkTitle = caption != nullptr;
    expectation.text = text ? text : "";
    expectation.Buttons(std::move(buttons));
    return expectation;
}

Expectation DialogExpect(const char* title, std::vector<std::string> lines) {
    Expectation expectation;
    expectation.kind = Expectation::kDialog;
    expectation.title = title ? title : "";
    expectation.checkTitle = title != nullptr;
    expectation.lines = std::move(lines);
    return expectation;
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
    if (!AllMet()) {
        std::string unmet;
        for (const Expectation& e : expectations_) unmet += "\n  " + e.Describe();
        std::string seen;
        for (const std::string& s : seen_) seen += "\n  " + Quoted(s);
        ADD_FAILURE() << "dialogs expected but never shown:" << unmet << "\nshown:" << (seen.empty() ? " none" : seen);
    }
}

void DialogDriver::Expect(Expectation expectation) { expectations_.push_back(std::move(expectation)); }

bool DialogDriver::AllMet() const { return expectations_.empty(); }

std::vector<std::string> DialogDriver::Seen() const { return seen_; }

void DialogDriver::OnActivate(HWND window) {
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
    for (HWND queued : pending_) {
        if (queued == window) return;
    }
    pending_.push_back(window);
    ArmTimer();
}

void DialogDriver::ArmTimer() {
    if (!timer_) timer_ = SetTimer(nullptr, 0, kTimerDelayMs, TimerProc);
}

void DialogDriver::OnTimer() {
    KillTimer(nullptr, timer_);
    timer_ = 0;
    std::vector<HWND> windows;
    windows.swap(pending_);
    for (HWND window : windows) {
        if (IsWindow(window) && !AnswerPending(window)) Answer(window);
    }
}

void DialogDriver::Answer(HWND window) {
    std::string seen = SeenText(window);
    seen_.push_back(seen);
    bool isMessageBox = IsMessageBox(window);
    if (expectations_.empty()) {
        CloseUnexpected(window, isMessageBox, seen);
        return;
    }
    unexpectedInRow_ = 0;
    Expectation expected = std::move(expectations_.front());
    expectations_.pop_front();
    AnswerExpected(window, expected, seen);
}

void DialogDriver::AnswerExpected(HWND window, const Expectation& expected, const std::string& seen) {
    std::string where = "expected " + expected.Describe() + "\n  shown " + Quoted(seen) + "\n ";
    if (expected.onShow) expected.onShow(window);
    bool isMessageBox = IsMessageBox(window);
    if (isMessageBox != (expected.kind == Expectation::kMessageBox)) {
        ADD_FAILURE() << where << " a " << (isMessageBox ? "message box" : "dialog") << " appeared instead";
    }
    if (expected.checkTitle) CompareText("title", expected.title, WindowText(window), where);
    if (expected.kind == Expectation::kMessageBox) {
        CompareText("text", expected.text, WindowText(GetDlgItem(window, kMessageTextId)), where);
    } else {
        CheckLines(window, expected, where);
    }
    CheckControls(window, expected, where);
    for (const auto& typed : expected.typed) TypeText(window, typed.first, typed.second, where);
    for (const auto& selected : expected.selected) SelectEntry(window, selected.first, selected.second, where);
    for (int id : expected.clicked) PostClick(window, id, where);
    int press = expected.press;
    if (press == 0) press = DefaultButton(window);
    if (press == 0) press = IDOK;
    PostCommand(window, press);
}

void DialogDriver::CloseUnexpected(HWND window, bool isMessageBox, const std::string& seen) {
    ADD_FAILURE() << "unexpected " << (isMessageBox ? "message box " : "dialog ") << Quoted(seen)
                  << " (no expectation left); closing it";
    ++unexpectedInRow_;
    if (isMessageBox && unexpectedInRow_ <= kMaxUnexpectedInRow) {
        PostCommand(window, IDCANCEL);
    } else {
        EndDialog(window, -1);
    }
}

}  // namespace tst
