// The steps of the fax client's life on one PC, shared by the lifecycle tests
// and the lifecycle demo: install from the demo share, edit the configuration
// (a new log area and German), copy the programs into a directory with a
// blank in its name, update them, uninstall. Each step is one run of the real
// STNIN32.EXE from the share and lists every box the run must show, in its
// order, with the answer given.
//
// A step is a template over the run that drives the program: the tests'
// LifecycleRun (a tst::SetupRun, where a box out of order is a test failure)
// or the demo's run (which prints every box and answer). A run offers:
//   Run(arguments)                           starts STNIN32.EXE
//   Choose(button, caption, question)        the function box: pick, OK
//   Quit(caption, question)                  the function box offering Quit: OK
//   Expect(caption, text) -> HWND            the next box
//   Answer(box, id), Answer(caption, text, id)
//   Type(box, text)                          the path field
//   ExpectText(box, control, expected)       what a field or list shows
//   Select(box, control, entry)              a list entry
//   ExpectExit()                             the end of the run, exit code 0
// This header needs no test framework.
#pragma once

#include <windows.h>

#include <string>

#include "ui/resource_ids.h"

namespace lifecycle {

const char kSetupDirectory[] = "F:\\SYSTEM\\";
const char kArchitectureDirectory[] = "F:\\SYSTEM\\I386\\";
const char kAppDefaultsKey[] = "Software\\Wine\\AppDefaults\\STNIN32.EXE";
const char kNewLogArea[] = "C:\\FaxLog";                   // stored as C:\FAXLOG\ .
const char kNewProgramDirectory[] = "C:\\Telmora Client";  // stored as C:\TELMORA CLIENT\ .
const char kCaption[] = "Telmora";

// The texts by which the steps know the program's boxes: the program's own
// English, and the German of the share's language library, which the program
// uses for itself once the edit step has installed it.
struct Texts {
    const char* title;
    const char* functionQuestion;
    const char* errorCaption;
    const char* spoolerPrompt;
    const char* multisendFailed;
};

const Texts kEnglish = {
    "Telmora installation",
    "What function do you want to perform?",
    "Error!",
    "Workstation setup is about to stop the print spooler.\nThis may affect current printing.\nClick OK to continue.",
    "Unable to install Telmora Multisend Printer.\n (87)\n - Ignore error and continue?",
};

const Texts kGerman = {
    "Telmora-Installation",
    "Welche Funktion m",  // ...öchten Sie ausführen?
    "Fehler!",
    "Klicken Sie auf OK, um fortzufahren.",
    "Telmora Multisend Printer kann nicht installiert werden.\n (87)\n - Fehler ignorieren und fortfahren?",
};

enum Family { kWindows95Family, kWindowsNTFamily };

// A Windows that Wine shows STNIN32.EXE.
struct Windows {
    const char* wineVersion;   // the Version value Wine reads for STNIN32.EXE
    Family family;
    bool uninstallWithSwitch;  // /X, as the uninstall entry's command runs it
};

const Windows kWindows95 = {"win95", kWindows95Family, false};
const Windows kWindowsNT351 = {"nt351", kWindowsNTFamily, false};
const Windows kWindowsNT40 = {"nt40", kWindowsNTFamily, true};

// The Windows whose Wine version name is `wineVersion`; null for another.
inline const Windows* FindWindows(const std::string& wineVersion) {
    for (const Windows* windows : {&kWindows95, &kWindowsNT351, &kWindowsNT40}) {
        if (wineVersion == windows->wineVersion) return windows;
    }
    return nullptr;
}

// Wine gives a program the Windows version named under its AppDefaults key,
// read when the program starts.
inline bool SetWineVersion(const char* version) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, kAppDefaultsKey, "Version", REG_SZ, version,
                           static_cast<DWORD>(lstrlenA(version) + 1)) == ERROR_SUCCESS;
}

// A Windows NT PC has its print spooler service running. Wine's stops
// whenever its server starts again; this starts it through the service
// control manager and waits (at most five seconds) until it runs.
inline bool StartSpooler() {
    const int kSteps = 250;
    const DWORD kStepMs = 20;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceA(manager, "spooler", SERVICE_START | SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status = {};
    bool running = false;
    if (service && (StartServiceA(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)) {
        for (int step = 0; step < kSteps && !running; ++step) {
            running = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
            if (!running) Sleep(kStepMs);
        }
    }
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return running;
}

// Makes the Wine PC the Windows that `windows` names, before the first run:
// its version, and on Windows NT a running spooler.
inline bool PreparePc(const Windows& windows) {
    return SetWineVersion(windows.wineVersion) && (windows.family != kWindowsNTFamily || StartSpooler());
}

// On the NT personalities every printer installation asks 3332 before it
// stops the print spooler (once per run), installs the fax printer through
// the spooler, and ends in question 3348 about the Multisend printer,
// answered Yes: Wine's AddPrinterA refuses a printer without a data type
// with 87 (ERROR_INVALID_PARAMETER), after the 11 attempts of the retry,
// where Windows NT takes the print processor's default, "RAW".
template <class Run>
void AnswerNtPrinterQuestions(Run& run, const Windows& windows, const Texts& texts) {
    if (windows.family != kWindowsNTFamily) return;
    run.Answer(kCaption, texts.spoolerPrompt, IDOK);
    run.Answer(texts.errorCaption, texts.multisendFailed, IDYES);
}

template <class Run>
void Install(const Windows& windows) {
    Run run("");
    run.Choose(IDC_FUNCTION_INSTALL, kEnglish.title, kEnglish.functionQuestion);
    HWND base = run.Expect(kEnglish.title, "Where are the Telmora files installed?");
    run.ExpectText(base, IDC_PATH_EDIT, "F:\\");
    run.Answer(base, IDOK);
    AnswerNtPrinterQuestions(run, windows, kEnglish);
    run.Quit(kEnglish.title, kEnglish.functionQuestion);
    run.ExpectExit();
}

// The advanced settings in their order; no TSR question on Windows 95 or NT.
template <class Run>
void Edit(const Windows& windows) {
    Run run("");
    run.Choose(IDC_FUNCTION_EDIT, kEnglish.title, kEnglish.functionQuestion);
    run.Answer(kEnglish.title, "If required, Telmora will determine the Telmora user name", IDOK);
    run.Answer(kEnglish.title, "Your TELMORA user name is normally determined", IDOK);
    HWND language = run.Expect(kEnglish.title, "Which language would you like to use for the");
    run.ExpectText(language, IDC_LANGUAGE_LIST, "English (British)");
    run.Select(language, IDC_LANGUAGE_LIST, "German");
    run.Answer(language, IDOK);
    HWND logArea = run.Expect(kEnglish.title, "Where do you want the spooled print files and");
    run.ExpectText(logArea, IDC_PATH_EDIT, "C:\\WINDOWS");
    run.Type(logArea, kNewLogArea);
    run.Answer(logArea, IDOK);
    // The printers move with the log area before the language changes.
    AnswerNtPrinterQuestions(run, windows, kEnglish);
    run.Quit(kGerman.title, kGerman.functionQuestion);
    run.ExpectExit();
}

template <class Run>
void Copy(const Windows& windows) {
    Run run("");
    run.Choose(IDC_FUNCTION_COPY, kGerman.title, kGerman.functionQuestion);
    HWND from = run.Expect(kGerman.title, "Von wo m");  // ...öchten Sie die Telmora
    run.ExpectText(from, IDC_PATH_EDIT, "F:\\SYSTEM");
    run.Answer(from, IDOK);
    HWND to = run.Expect(kGerman.title, "Wohin m");
    run.ExpectText(to, IDC_PATH_EDIT, "C:\\WINDOWS");
    run.Type(to, kNewProgramDirectory);
    run.Answer(to, IDOK);
    AnswerNtPrinterQuestions(run, windows, kGerman);
    // "Möchten Sie für das Client-Programm einen / neuen Eintrag im Windows Programm-Manager anlegen?"
    run.Answer(kGerman.title, "r das Client-Programm einen", IDC_ANSWER_YES);
    run.Quit(kGerman.title, kGerman.functionQuestion);
    run.ExpectExit();
}

template <class Run>
void Update(const Windows& windows) {
    Run run("");
    run.Choose(IDC_FUNCTION_UPDATE, kGerman.title, kGerman.functionQuestion);
    AnswerNtPrinterQuestions(run, windows, kGerman);
    run.Quit(kGerman.title, kGerman.functionQuestion);
    run.ExpectExit();
}

// On Windows 95 the AUTOEXEC.BAT questions come in their uninstall variants.
// Once the client is gone the program is back to its own English texts.
template <class Run>
void Uninstall(const Windows& windows) {
    Run run(windows.uninstallWithSwitch ? "/X" : "");
    if (!windows.uninstallWithSwitch) run.Choose(IDC_FUNCTION_UNINSTALL, kGerman.title, kGerman.functionQuestion);
    run.Answer(kCaption, "Telmora-Client wirklich deinstallieren?", IDOK);
    // The removal finds the fax printer and its port: the spooler is stopped again.
    if (windows.family == kWindowsNTFamily) run.Answer(kCaption, kGerman.spoolerPrompt, IDOK);
    if (windows.family == kWindows95Family) {
        run.Answer("Telmora Client-Deinstallation", "AUTOEXEC.BAT muss bearbeitet werden,", IDC_ANSWER_YES);
        HWND where = run.Expect("Telmora-Deinstallation", "Wo befindet sich AUTOEXEC.BAT?");
        run.ExpectText(where, IDC_PATH_EDIT, "C:\\");
        run.Answer(where, IDOK);
    }
    if (!windows.uninstallWithSwitch) run.Quit(kEnglish.title, kEnglish.functionQuestion);
    run.ExpectExit();
}

}  // namespace lifecycle
