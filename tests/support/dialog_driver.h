// What a dialog or message box must look like and how to answer it: one
// vocabulary for the in-process driver below and for runs of the real program
// in a child process (support/setup_run.h). A box that differs fails the test
// and is still answered with the expectation's button; a box with no
// expectation left fails it and is closed (a message box with IDCANCEL, a
// dialog ended with -1), so that nothing hangs.
//
//   tst::DialogDriver driver;  // this thread, from a WH_CBT hook and a thread timer
//   driver.Expect(tst::MessageBoxExpect("Error!", "text", {IDYES, IDNO}).Default(IDNO).Press(IDYES));
//   driver.Expect(tst::DialogExpect("Telmora installation", {"line 3201"}).Type(3220, "C:\\X"));
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tst {

struct Expectation {
    bool messageBox = false;
    std::string title;                  // the caption
    std::string text;                   // message box: the whole text
    std::vector<std::string> lines;     // dialog: lines 3201, 3202, ... as many as given
    std::vector<int> buttons;           // message box: exactly these push buttons
    int defaultButton = 0;              // 0: not checked
    int press = 0;                      // 0: the default button
    std::vector<std::pair<int, std::string>> shown, typed, selected;  // control, text (a combo's selection)
    std::vector<int> checked, clicked;  // clicks come after typing and selecting
    std::function<void(HWND)> onShow;   // called first when the box is seen

    Expectation& Default(int id) { return defaultButton = id, *this; }
    Expectation& Press(int id) { return press = id, *this; }
    Expectation& Shows(int id, const char* value) { return shown.emplace_back(id, value), *this; }
    Expectation& Type(int id, const char* value) { return typed.emplace_back(id, value), *this; }
    Expectation& Select(int id, const char* entry) { return selected.emplace_back(id, entry), *this; }
    Expectation& Checked(int id) { return checked.push_back(id), *this; }
    Expectation& Click(int id) { return clicked.push_back(id), *this; }
    Expectation& OnShow(std::function<void(HWND)> action) { return onShow = std::move(action), *this; }
    std::string Describe() const;  // for reports
};

Expectation MessageBoxExpect(const char* caption, const char* text, std::vector<int> buttons);
Expectation DialogExpect(const char* title, std::vector<std::string> lines);

// "caption: text" of a box, of this process or another: a message box's text
// or a dialog's lines 3201... joined by '\n'.
std::string BoxText(HWND box);

// Runs onShow, compares the box with `expected` and answers it as told; what
// differed ("" when all matched). Works on boxes of other processes too; the
// box is read only before the answer's first command is posted.
std::string CheckAndAnswer(HWND box, const Expectation& expected);

// Closes a box nobody expected so that the run can end: Quit in the function
// box, else the first of Yes, OK, Cancel it has.
void CloseBox(HWND box);

class DialogDriver {
public:
    DialogDriver();
    ~DialogDriver();  // fails the test for every expectation never met
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    void Expect(Expectation expectation) { expectations_.push_back(std::move(expectation)); }
    bool AllMet() const { return expectations_.empty(); }
    std::vector<std::string> Seen() const { return seen_; }  // BoxText() of every box, in order

    void OnActivate(HWND window);  // from the hook
    void OnTimer();                // from the timer

private:
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    DialogDriver* previous_ = nullptr;
    std::deque<Expectation> expectations_;
    std::vector<HWND> pending_;
    std::vector<std::string> seen_;
    int unexpectedInRow_ = 0;
};

}  // namespace tst
