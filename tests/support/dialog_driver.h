// In-process dialog driver for tests of the setup program's dialogs and message boxes.
//
// A DialogDriver watches the current thread with a WH_CBT hook. Every dialog or
// message box (window class "#32770") that is activated is compared with the next
// expectation and answered: edit texts typed, list entries selected, buttons
// clicked, then the expected button's command posted, all through the dialog's own
// modal loop.
// The work is done from a short thread timer, outside the hook call, once the
// dialog has finished its start-up.
//
//   tst::DialogDriver driver;
//   driver.Expect(tst::MessageBoxExpect("Error!", "text", {IDYES, IDNO}).Default(IDNO).Press(IDYES));
//   driver.Expect(tst::DialogExpect("Telmora installation", {"line 3201", ""}).Type(3220, "C:\\X").Press(IDOK));
//   ... code that shows them ...
//   EXPECT_TRUE(driver.AllMet());
//
// A mismatch is reported with ADD_FAILURE and the dialog is still answered with the
// expectation's button. A dialog with no expectation left fails the test and is
// closed: a message box gets IDCANCEL, a dialog is ended with EndDialog(dialog, -1),
// so no further question follows. One driver per thread at a time.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <utility>
#include <string>
#include <vector>

namespace tst {

// What the next dialog or message box must look like and how to answer it.
struct Expectation {
    enum Kind { kMessageBox, kDialog };

    Kind kind = kDialog;
    std::string title;                       // caption of the box or dialog
    bool checkTitle = true;
    std::string text;                        // message box: the full text (static 0xFFFF)
    std::vector<std::string> lines;          // dialog: static lines 3201, 3202, ...
    std::vector<int> buttons;                // push buttons that must be present (exactly)
    bool checkButtons = false;
    int defaultButton = 0;                   // 0: not checked
    int press = 0;                           // 0: the default button, else IDOK
    std::vector<std::pair<int, std::string>> typed;     // edit control, text
    std::vector<std::pair<int, std::string>> selected;  // combo or list box, entry
    std::vector<int> checked;                // radio buttons that must be checked
    std::vector<int> clicked;                // buttons clicked before the press
    std::function<void(HWND)> onShow;        // called first when the dialog is seen

    Expectation& Default(int id);
    Expectation& Press(int id);
    Expectation& Type(int controlId, const char* text);
    Expectation& Select(int controlId, const char* entry);
    Expectation& Checked(int id);
    Expectation& Buttons(std::vector<int> ids);
    // Clicks a button or radio button (BM_CLICK, so the dialog gets its command)
    // after typing and selecting, before the press; clicks keep their order.
    Expectation& Click(int id);
    // Runs `action` with the dialog as soon as it is seen, before anything is checked.
    Expectation& OnShow(std::function<void(HWND)> action);

    // "message box 'caption': text" or "dialog 'title': lines", for failure reports.
    std::string Describe() const;
};

// A message box with its caption, its full text ('\n' between lines) and its buttons.
Expectation MessageBoxExpect(const char* caption, const char* text, std::vector<int> buttons);

// A dialog with its title and the texts of its static lines 3201, 3202, ...; only
// as many lines as given are compared, "" means the line must be empty.
Expectation DialogExpect(const char* title, std::vector<std::string> lines);

class DialogDriver {
public:
    DialogDriver();
    ~DialogDriver();  // reports unmet expectations with ADD_FAILURE

    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    void Expect(Expectation expectation);
    bool AllMet() const;

    // "title: text" for every dialog that appeared, in order; a dialog's text is its
    // static lines 3201, ... joined with '\n'.
    std::vector<std::string> Seen() const;

    // Implementation hooks, called from the hook and timer procedures.
    void OnActivate(HWND window);
    void OnTimer();

private:
    void Answer(HWND window);
    void AnswerExpected(HWND window, const Expectation& expected, const std::string& seen);
    void CloseUnexpected(HWND window, bool isMessageBox, const std::string& seen);
    void ArmTimer();

    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    DialogDriver* previous_ = nullptr;
    std::deque<Expectation> expectations_;
    std::vector<HWND> pending_;
    std::vector<std::string> seen_;
    int unexpectedInRow_ = 0;
};

}  // namespace tst
