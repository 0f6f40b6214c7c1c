// Runs of the real STNIN32.EXE from the demo share: see setup_run.h.
#include "support/setup_run.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/x86_pc.h"
#include "ui/resource_ids.h"

namespace tst {

const char kSetupProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kSetupTitle[] = "Telmora installation";
const char kFunctionQuestion[] = "What function do you want to perform?";
const char kSpoolerPrompt[] =
    "Workstation setup is about to stop the print spooler.\nThis may affect current printing.\nClick OK to continue.";
const char kMultisendNotInstalled[] =
    "Unable to install Telmora Multisend Printer.\n (1062)\n - Ignore error and continue?";
const char kPrintersKept[] =
    "Unable to install Telmora Multisend Printer and Telmora Printer.\nUser requested not to shut down print "
    "spooler.";
const char kUnknownWindows[] = "Operating System unrecognized - make sure you are installing on the correct system";

namespace {

const char kAppDefaultsKey[] = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
const DWORD kPollMs = 50;
const DWORD kExitPollMs = 100;
const int kMaxUnexpectedBoxes = 5;

bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kSetupTimeoutMs; waited += kPollMs) {
        if (!IsWindow(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}

}  // namespace

std::string WindowTitle(HWND window) {
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

std::string ProfileValue(const char* section, const char* key) {
    char value[512] = "";
    GetProfileStringA(section, key, "<missing>", value, sizeof value);
    return value;
}

void RemoveWin95PrinterEntries() {
    for (const char* printer : {"Telmora Printer", "Telmora Multisend Printer"}) {
        WriteProfileStringA("devices", printer, nullptr);
        WriteProfileStringA("PrinterPorts", printer, nullptr);
    }
    for (const char* port : {"TELMORA.SPL", "c:\\windows\\telmora.spl"}) WriteProfileStringA("ports", port, nullptr);
}

Personality::Personality(const char* wineVersion) {
    EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kAppDefaultsKey, "Version", REG_SZ, wineVersion,
                              static_cast<DWORD>(std::strlen(wineVersion) + 1)),
              ERROR_SUCCESS);
}

Personality::~Personality() { RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaultsKey); }

SetupRun::SetupRun(const std::string& arguments, const std::vector<std::string>& environment) {
    std::vector<std::string> all = environment;
    for (const std::string& entry : X86ChildEnvironment()) all.push_back(entry);
    child_.SetDirectory(kSetupDirectory);
    started_ = child_.Start(kSetupProgram, arguments, all);
    EXPECT_TRUE(started_) << "cannot start " << kSetupProgram;
}

HWND SetupRun::Expect(const char* caption, const char* text) {
    for (int unexpected = 0; started_ && unexpected <= kMaxUnexpectedBoxes;) {
        HWND box = child_.WaitForDialog(nullptr, kSetupTimeoutMs);
        if (!box) break;
        std::string shown = child_.DialogText(box) + child_.ControlText(box, IDC_TEXT_LINE1);
        std::string boxCaption = WindowTitle(box);
        if (boxCaption == caption && shown.find(text) != std::string::npos) return box;
        if (AnswerIncidental(box, boxCaption, shown)) continue;
        ADD_FAILURE() << "box '" << boxCaption << "': " << shown << "\nwhile waiting for '" << caption
                      << "': " << text;
        AnswerUnexpected(box);
        ++unexpected;
    }
    ADD_FAILURE() << "no '" << caption << "' box with '" << text << "'\n" << child_.Describe();
    return nullptr;
}

void SetupRun::Answer(HWND box, int id) {
    if (!box) return;
    child_.Press(box, id);
    EXPECT_TRUE(WaitUntilGone(box)) << child_.Describe();
}

void SetupRun::Type(HWND box, const char* text) {
    if (!box) return;
    EXPECT_TRUE(child_.Type(box, IDC_PATH_EDIT, text));
}

std::string SetupRun::Proposal(HWND box) { return box ? child_.ControlText(box, IDC_PATH_EDIT) : ""; }

void SetupRun::Choose(int functionButton, const char* caption, const char* question) {
    HWND box = Expect(caption, question);
    if (!box) return;
    child_.Press(box, functionButton);
    Answer(box, IDOK);
}

void SetupRun::Quit(const char* caption, const char* question) {
    HWND box = Expect(caption, question);
    if (!box) return;
    EXPECT_EQ(SendDlgItemMessageW(box, IDC_FUNCTION_QUIT, BM_GETCHECK, 0, 0), BST_CHECKED);
    Answer(box, IDOK);
}

void SetupRun::ExpectExit(DWORD expectedCode) {
    DWORD code = 1;
    for (DWORD waited = 0; started_ && waited < kSetupTimeoutMs; waited += kExitPollMs) {
        if (child_.WaitForExit(kExitPollMs, &code)) {
            EXPECT_EQ(code, expectedCode);
            return;
        }
        HWND box = child_.WaitForDialog(nullptr, 0);
        if (!box) continue;
        std::string shown = child_.DialogText(box) + child_.ControlText(box, IDC_TEXT_LINE1);
        if (AnswerIncidental(box, WindowTitle(box), shown)) continue;
        ADD_FAILURE() << "box '" << WindowTitle(box) << "': " << shown << "\nwhile waiting for the end";
        AnswerUnexpected(box);
    }
    ADD_FAILURE() << "the program did not end\n" << child_.Describe();
}

bool SetupRun::AnswerIncidental(HWND box, const std::string& caption, const std::string& shown) {
    for (const IncidentalBox& incidental : incidental_) {
        if (caption == incidental.caption && shown.find(incidental.text) != std::string::npos) {
            ++incidentalSeen_;
            Answer(box, incidental.answer);
            return true;
        }
    }
    return false;
}

void SetupRun::AnswerUnexpected(HWND box) {
    if (GetDlgItem(box, IDC_FUNCTION_QUIT)) {
        child_.Press(box, IDC_FUNCTION_QUIT);
    } else if (GetDlgItem(box, IDYES)) {
        child_.Press(box, IDYES);
    } else if (GetDlgItem(box, IDC_ANSWER_YES)) {
        child_.Press(box, IDC_ANSWER_YES);
    }
    Answer(box, IDOK);
}

}  // namespace tst
