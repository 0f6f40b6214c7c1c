// The lifecycle demo: the fax client's whole life on the demo Wine PC, under
// one Windows personality. Runs the lifecycle steps of the tests
// (tests/lifecycle/lifecycle_steps.h: install, edit the configuration with a
// new log area and German, copy the programs into a directory with a blank
// in its name, update, uninstall), each a run of the real STNIN32.EXE from
// the demo share, and prints every box with the answer given and what each
// step changed on the PC; at the end, what the uninstallation left compared
// with the PC before. A box the steps do not expect is reported and ends the
// run; the demo then stops after that step's changes, with exit code 1.
// Usage: lifecycle_driver.exe [win95|nt351|nt40]   (default win95)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lifecycle/lifecycle_steps.h"
#include "support/process_driver.h"
#include "support/snapshot.h"
#include "support/x86_pc.h"
#include "ui/resource_ids.h"

namespace {

const char kProgram[] = "F:\\SYSTEM\\WIN32\\STNIN32.EXE";
const char kDefaultWindows[] = "win95";
const DWORD kWindowTimeoutMs = 60000;
const DWORD kPollMs = 50;
const DWORD kExitPollMs = 100;

int g_problems = 0;  // boxes and texts that were not as the steps expect

// The program's texts are in the ANSI code page; the terminal reads UTF-8.
std::string ForTerminal(const std::string& text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

// One line for the terminal: line breaks become blanks, '&' marks go.
std::string Shown(std::string text) {
    std::string shown;
    for (char c : text) {
        if (c == '&') continue;
        shown += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return ForTerminal(shown);
}

void Problem(const std::string& what) {
    ++g_problems;
    std::printf("   !! %s\n", what.c_str());
}

bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += kPollMs) {
        if (!IsWindow(window)) return true;
        Sleep(kPollMs);
    }
    return false;
}

std::string TitleOf(HWND window) {
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// One run of STNIN32.EXE for a lifecycle step (the run the steps expect, see
// lifecycle_steps.h), printing every box and answer.
class DemoRun {
public:
    explicit DemoRun(const std::string& arguments) {
        std::printf("   STNIN32.EXE %s\n", arguments.c_str());
        child_.SetDirectory(lifecycle::kSetupDirectory);
        started_ = child_.Start(kProgram, arguments, tst::X86ChildEnvironment());
        if (!started_) Problem("STNIN32.EXE did not start");
    }

    tst::ChildProcess& Child() { return child_; }

    HWND Expect(const char* caption, const char* text) {
        HWND box = started_ ? child_.WaitForDialog(nullptr, kWindowTimeoutMs) : nullptr;
        if (!box) {
            if (started_) Stop("no box [" + Shown(caption) + "] " + Shown(text) + "\n" + child_.Describe());
            return nullptr;
        }
        std::string shown = TextOf(box);
        std::printf("   [%s] %s\n", Shown(TitleOf(box)).c_str(), Shown(shown).c_str());
        if (TitleOf(box) == caption && shown.find(text) != std::string::npos) return box;
        Stop(std::string("expected [") + Shown(caption) + "] " + Shown(text));
        return nullptr;
    }
    void Answer(HWND box, int id) {
        if (!box) return;
        std::printf("      -> %s\n", Shown(child_.ControlText(box, id)).c_str());
        child_.Press(box, id);
        if (!WaitUntilGone(box)) Problem("the box did not close");
    }
    void Answer(const char* caption, const char* text, int id) { Answer(Expect(caption, text), id); }
    void Type(HWND box, const char* text) {
        if (!box) return;
        std::printf("      typed \"%s\"\n", Shown(text).c_str());
        if (!child_.Type(box, IDC_PATH_EDIT, text)) Problem("cannot type into the path field");
    }
    void ExpectText(HWND box, int control, const std::string& expected) {
        if (!box) return;
        std::string text = child_.ControlText(box, control);
        std::printf("      proposes \"%s\"\n", Shown(text).c_str());
        if (text != expected) Problem("expected the proposal \"" + Shown(expected) + "\"");
    }
    void Select(HWND box, int control, const char* entry) {
        if (!box) return;
        std::printf("      selected \"%s\"\n", Shown(entry).c_str());
        if (!child_.Select(box, control, entry)) Problem("no such entry");
    }
    void Choose(int functionButton, const char* caption, const char* question) {
        HWND box = Expect(caption, question);
        if (!box) return;
        std::printf("      chose %s\n", Shown(child_.ControlText(box, functionButton)).c_str());
        child_.Press(box, functionButton);
        Answer(box, IDOK);
    }
    void Quit(const char* caption, const char* question) { Choose(IDC_FUNCTION_QUIT, caption, question); }
    void ExpectExit() {
        DWORD code = 1;
        for (DWORD waited = 0; started_ && waited < kWindowTimeoutMs; waited += kExitPollMs) {
            if (child_.WaitForExit(kExitPollMs, &code)) {
                std::printf("   STNIN32.EXE ended with exit code %lu\n", static_cast<unsigned long>(code));
                if (code != 0) Problem("the exit code is not 0");
                return;
            }
            HWND box = child_.WaitForDialog(nullptr, 0);
            if (!box) continue;
            std::printf("   [%s] %s\n", Shown(TitleOf(box)).c_str(), Shown(TextOf(box)).c_str());
            Stop("expected the end of the run");
        }
        if (started_) Stop("STNIN32.EXE did not end\n" + child_.Describe());
    }

private:
    std::string TextOf(HWND box) { return child_.DialogText(box) + child_.ControlText(box, IDC_TEXT_LINE1); }

    // A run that has left the steps' path ends here; the demo stops after the step.
    void Stop(const std::string& what) {
        Problem(what);
        child_.Kill();
        started_ = false;
    }

    tst::ChildProcess child_;
    bool started_ = false;
};

struct Step {
    const char* title;
    void (*run)(const lifecycle::Windows&);
};

const Step kSteps[] = {
    {"Install the client from the demo share", &lifecycle::Install<DemoRun>},
    {"Edit the configuration: log area C:\\FaxLog, language German", &lifecycle::Edit<DemoRun>},
    {"Copy the programs to C:\\Telmora Client", &lifecycle::Copy<DemoRun>},
    {"Update the programs", &lifecycle::Update<DemoRun>},
    {"Uninstall the client", &lifecycle::Uninstall<DemoRun>},
};

void PrintChanges(const std::vector<tst::Change>& changes) {
    if (changes.empty()) std::printf("   (no change)\n");
    for (const tst::Change& change : changes) std::printf("   %s\n", ForTerminal(change.Describe()).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const char* name = argc == 2 ? argv[1] : kDefaultWindows;
    const lifecycle::Windows* windows = argc <= 2 ? lifecycle::FindWindows(name) : nullptr;
    if (!windows) {
        std::fprintf(stderr, "usage: lifecycle_driver.exe [win95|nt351|nt40]\n");
        return 2;
    }
    if (!lifecycle::SetWineVersion(windows->wineVersion) ||
        (windows->family == lifecycle::kWindowsNTFamily && !lifecycle::StartSpooler())) {
        std::fprintf(stderr, "lifecycle demo: cannot prepare the Wine PC for '%s'\n", name);
        return 1;
    }
    std::printf("The Telmora client's lifecycle on a Wine PC that STNIN32.EXE sees as '%s'\n", name);

    tst::Snapshot start = tst::Snapshot::Take();
    tst::Snapshot before = start;
    int number = 0;
    for (const Step& step : kSteps) {
        std::printf("\n== %d. %s\n", ++number, step.title);
        step.run(*windows);
        tst::Snapshot after = tst::Snapshot::Take();
        std::printf("   What changed:\n");
        PrintChanges(before.ChangesTo(after));
        std::fflush(stdout);
        if (g_problems) {
            std::fprintf(stderr, "lifecycle demo: step %d did not go as expected (%d problems)\n", number, g_problems);
            return 1;
        }
        before = after;
    }
    std::printf("\n== After the uninstallation, the PC differs from before the installation by:\n");
    PrintChanges(start.ChangesTo(before));
    return 0;
}
