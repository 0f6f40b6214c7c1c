// Runs of the real STNIN32.EXE from the demo share (drive F: of every test
// prefix), the way a 32-bit setup program sees the PC: started as
// F:\SYSTEM\WIN32\STNIN32.EXE in F:\SYSTEM\ on an x86 PC (support/x86_pc.h).
//
//   tst::Personality windows95("win95");        // for the scope of the test
//   tst::SetupRun run("");                       // starts the program
//   run.Choose(IDC_FUNCTION_INSTALL);            // the function box
//   run.Answer("Telmora installation", "Where are the Telmora files installed?", IDOK);
//   run.Quit();
//   run.ExpectExit();
//
// Expect() waits for the next box. A box that comes instead fails the test
// and is answered so that the run goes on (the function box with Quit, a
// question with Yes, anything else with OK) - unless it is one the test has
// declared incidental with Tolerate(): those are answered and counted only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/process_driver.h"

namespace tst {

extern const char kSetupProgram[];      // F:\SYSTEM\WIN32\STNIN32.EXE
extern const char kSetupDirectory[];    // F:\SYSTEM\ (the program's working directory)
extern const char kSetupTitle[];        // "Telmora installation"
extern const char kFunctionQuestion[];  // the function box's first line
const DWORD kSetupTimeoutMs = 30000;    // for each box and for the end of a run

// The fax printer boxes of Windows NT (and of a Windows the program does not
// know) in the test PC, whose spooler service is not running:
extern const char kSpoolerPrompt[];          // 3332 before the spooler is stopped: OK or Cancel
extern const char kMultisendNotInstalled[];  // 3348 after the stop failed with 1062: Yes or No
extern const char kPrintersKept[];           // 3348 with 3451 (its start): the stop was declined
extern const char kUnknownWindows[];         // 3443

// The Windows version Wine reports to STNIN32.EXE (read at process start):
// "win95", "nt40", "nt351", ... under HKCU\Software\Wine\AppDefaults; removed
// again at the end of the scope.
class Personality {
public:
    explicit Personality(const char* wineVersion);
    ~Personality();
    Personality(const Personality&) = delete;
    Personality& operator=(const Personality&) = delete;
};

// A box a test lets pass: its caption, a part of its text, the button pressed.
struct IncidentalBox {
    const char* caption;
    const char* text;
    int answer;
};

class SetupRun {
public:
    explicit SetupRun(const std::string& arguments, const std::vector<std::string>& environment = {});

    ChildProcess& Child() { return child_; }
    bool Started() const { return started_; }

    // Boxes that may appear anywhere in this run; each is answered and counted.
    void Tolerate(const std::vector<IncidentalBox>& boxes) { incidental_ = boxes; }
    int IncidentalBoxesSeen() const { return incidentalSeen_; }

    // The next box with this caption whose message, or first text line,
    // contains `text`; nullptr (and a failure) when none comes.
    HWND Expect(const char* caption, const char* text);
    void Answer(HWND box, int id);
    void Answer(const char* caption, const char* text, int id) { Answer(Expect(caption, text), id); }
    void Type(HWND box, const char* text);    // the path field
    std::string Proposal(HWND box);            // the path field's text

    // The function box (with `caption` and `question` in the program's
    // current language): picks `functionButton` and OK.
    void Choose(int functionButton, const char* caption = kSetupTitle, const char* question = kFunctionQuestion);
    // The function box after a workflow, which must offer Quit: OK.
    void Quit(const char* caption = kSetupTitle, const char* question = kFunctionQuestion);
    // Waits for the end (answering incidental boxes) and checks the exit code.
    void ExpectExit(DWORD expectedCode = 0);

private:
    bool AnswerIncidental(HWND box, const std::string& caption, const std::string& shown);
    void AnswerUnexpected(HWND box);

    ChildProcess child_;
    bool started_ = false;
    std::vector<IncidentalBox> incidental_;
    int incidentalSeen_ = 0;
};

// The caption of a window.
std::string WindowTitle(HWND window);

// A WIN.INI value as the program left it; "<missing>" when there is none.
std::string ProfileValue(const char* section, const char* key);

// Deletes the WIN.INI entries that a Windows 95 installation with the log
// area in the Windows directory leaves for the fax printers. Tests that share
// a prefix start from a PC without them: Windows NT would find the port and
// ask to stop the spooler to remove it.
void RemoveWin95PrinterEntries();

}  // namespace tst
