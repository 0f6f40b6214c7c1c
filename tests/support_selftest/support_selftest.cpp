// The test bed where a broken harness would let a failing test pass: both
// drivers of boxes must fail on a box they were not told of (and close it), on
// a box that differs and on one that never came. (The lifecycle checks that
// its change lists fail on a change they were not told of.)
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/dialog_driver.h"
#include "support/setup_run.h"

namespace {

int s_result = 0;

INT_PTR CALLBACK EmptyDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The box shown while a driver with `expected` (if any) watches.
void Show(bool messageBox, const char* text, const char* expected = nullptr) {
    tst::DialogDriver driver;
    if (expected) driver.Expect(tst::MessageBoxExpect("Error!", expected, {IDYES, IDNO}).Default(IDYES).Press(IDNO));
    struct {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } empty = {{WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 0, 100, 50}, 0, 0, 0};
    if (!text) return;
    s_result = messageBox ? MessageBoxA(nullptr, text, "Error!", MB_YESNO | MB_DEFBUTTON2)
                          : static_cast<int>(DialogBoxIndirectParamA(nullptr, &empty.dialog, nullptr, EmptyDialog, 0));
}

TEST(DialogDriver, FailsOnBoxesItWasNotToldOfAndClosesThem) {
    EXPECT_NONFATAL_FAILURE(Show(true, "Surprise"), "unexpected message box \"Error!: Surprise\"");
    EXPECT_EQ(s_result, IDCANCEL);
    EXPECT_NONFATAL_FAILURE(Show(false, "dialog"), "unexpected dialog");
    EXPECT_EQ(s_result, -1) << "ended, so that no further question follows";
    EXPECT_NONFATAL_FAILURE(Show(true, "Real text", "Other text"), "text differs");
    EXPECT_EQ(s_result, IDNO) << "still answered with the expectation's button";
    EXPECT_NONFATAL_FAILURE(Show(true, "Real text", "Real text"), "default button differs");
    EXPECT_NONFATAL_FAILURE(Show(true, nullptr, "Never shown"), "Never shown");
}

// The real program with a bad switch shows one box.
TEST(RunSetupProgram, FailsOnBoxesItWasNotToldOf) {
    const tst::Expectation shown = tst::MessageBoxExpect("Telmora", "Invalid command line switch", {IDOK});
    const struct {
        std::vector<tst::Expectation> boxes;
        const char* report;
    } cases[] = {
        {{}, "unexpected box \"Telmora: Invalid command line switch\""},
        {{tst::MessageBoxExpect("Telmora", "Other text", {IDOK})}, "text differs"},
        {{shown, tst::MessageBoxExpect("Telmora", "Never shown", {IDOK})}, "\"Never shown\", but none came"},
    };
    for (const auto& c : cases) {
        tst::RunReport report = tst::RunSetupProgram("/Z", c.boxes);
        EXPECT_NE(report.problems.find(c.report), std::string::npos) << report.problems;
        EXPECT_EQ(report.exitCode, 0u) << "closed, so that the program ends";
    }
}

}  // namespace
