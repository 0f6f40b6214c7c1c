// The steps of the fax client's life on one PC, shared by the lifecycle tests
// and the lifecycle demo: install from the demo share, edit the configuration
// (a new log area and German), copy the programs into a directory with a
// blank in its name, update them over files changed since, uninstall. Each
// step is one run of the real STNIN32.EXE with every box it must show, in
// order, with its answer (support/setup_run.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/setup_run.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace lifecycle {

// A Windows that Wine shows STNIN32.EXE: its version name for Wine, whether
// it is Windows NT, and whether the uninstallation runs with /X, as the
// uninstall entry's command runs it.
struct Windows {
    const char* wineVersion;
    bool nt;
    bool uninstallWithSwitch;
};

const Windows kWindows95 = {"win95", false, false};
const Windows kWindowsNT351 = {"nt351", true, false};
const Windows kWindowsNT40 = {"nt40", true, true};

// Makes the Wine PC that Windows before the first run: the version Wine gives
// STNIN32.EXE, and on Windows NT a running print spooler (Wine's stops whenever
// its server starts again), waited for at most five seconds.
inline bool PreparePc(const Windows& windows) {
    const char* version = windows.wineVersion;
    if (RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\STNIN32.EXE", "Version", REG_SZ, version,
                        static_cast<DWORD>(lstrlenA(version) + 1)) != ERROR_SUCCESS) {
        return false;
    }
    SC_HANDLE manager = windows.nt ? OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT) : nullptr;
    SC_HANDLE service = manager ? OpenServiceA(manager, "spooler", SERVICE_START | SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status = {};
    bool running = !windows.nt;
    if (service && (StartServiceA(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)) {
        for (int step = 0; step < 250 && !running; ++step, Sleep(running ? 0 : 20)) {
            running = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
        }
    }
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return running;
}

// The program's texts: its own English, and the German of the share's
// language library, which it uses for itself once the edit has installed it.
struct Texts {
    const char* title;
    const char* function;
    const char* error;
    const char* spoolerPrompt;
    const char* multisendFailed;
};

const Texts kEnglish = {"Telmora installation", "What function do you want to perform?", "Error!",
                        "Workstation setup is about to stop the print spooler.\nThis may affect current printing.\n"
                        "Click OK to continue.",
                        "Unable to install Telmora Multisend Printer.\n (87)\n - Ignore error and continue?"};
const Texts kGerman = {"Telmora-Installation", "Welche Funktion m\xf6" "chten Sie ausf\xfchren?", "Fehler!",
                       "Das Arbeitsplatz-Setup h\xe4lt jetzt die Druckwarteschlange an.\nLaufende Druckauftr\xe4ge "
                       "k\xf6nnen davon betroffen sein.\nKlicken Sie auf OK, um fortzufahren.",
                       "Telmora Multisend Printer kann nicht installiert werden.\n (87)\n - Fehler ignorieren und "
                       "fortfahren?"};

inline tst::Expectation Question(const Texts& t, const char* line, int press = IDOK) {
    return tst::DialogExpect(t.title, {line}).Press(press);
}

inline tst::Expectation Function(const Texts& t, int choice) { return tst::FunctionBox(choice, t.title, t.function); }

// On Windows NT every printer installation asks before it stops the print
// spooler (once per run) and ends in question 3348 about the Multisend
// printer, answered Yes: Wine's AddPrinterA refuses a printer without a data
// type with 87 after the 11 attempts of the retry, where Windows NT takes the
// print processor's default, "RAW". Then `more`.
inline std::vector<tst::Expectation> Printers(const Windows& w, const Texts& t, std::vector<tst::Expectation> more) {
    if (w.nt) {
        more.insert(more.begin(), {tst::MessageBoxExpect("Telmora", t.spoolerPrompt, {IDOK, IDCANCEL}).Press(IDOK),
                                   tst::MessageBoxExpect(t.error, t.multisendFailed, {IDYES, IDNO}).Press(IDYES)});
    }
    return more;
}

inline std::vector<tst::Expectation> Then(std::vector<tst::Expectation> boxes, const std::vector<tst::Expectation>& more) {
    boxes.insert(boxes.end(), more.begin(), more.end());
    return boxes;
}

const std::string kProgramDirectory = "C:\\TELMORA CLIENT\\";
const std::string kSystem = "C:\\windows\\system32\\";

// What has changed since the copy when the update runs: the help file, the
// DOS spooler and the client program edited (newer than the share's), the
// libraries of other versions, the 3-D controls newer; on Windows 95 a printer
// driver gone; and where the old run-time library was, a directory of that
// name, so that copying it fails (Wine's own copy moved aside for the step).
inline void ChangeSinceCopy(const Windows& w) {
    std::string newerVersion = tst::ReadFile(std::string(tst::kSetupDirectory) + "I386\\SNBD6W9S.DLL");  // "6.00"
    for (const char* file : {"TELMORA.HLP", "QSPOOL.EXE", "TELMORA.EXE"}) tst::WriteFile(kProgramDirectory + file, "edited\r\n");
    tst::WriteFile(kSystem + "GEAR32SD.DLL", newerVersion);
    tst::WriteFile(kSystem + "MFC42.DLL", newerVersion);
    tst::WriteFile("C:\\windows\\system\\CTL3DV2.DLL", "newer 3-D controls\r\n");
    MoveFileA((kSystem + "MSVCRT40.DLL").c_str(), (kSystem + "MSVCRT40.KEPT").c_str());
    CreateDirectoryA((kSystem + "MSVCRT40.DLL").c_str(), nullptr);
    if (!w.nt) DeleteFileA((kSystem + "QVPRN95.DRV").c_str());
}

inline void RestoreRuntime() {
    RemoveDirectoryA((kSystem + "MSVCRT40.DLL").c_str());
    MoveFileA((kSystem + "MSVCRT40.KEPT").c_str(), (kSystem + "MSVCRT40.DLL").c_str());
}

struct Step {
    const char* name;  // as the expected changes name it
    std::string arguments;
    std::vector<tst::Expectation> boxes;
    void (*before)(const Windows&) = nullptr;
    void (*after)() = nullptr;
};

inline std::vector<Step> Steps(const Windows& w) {
    const Texts &en = kEnglish, &de = kGerman;
    std::vector<tst::Expectation> uninstall = {
        tst::MessageBoxExpect("Telmora", "M\xf6" "chten Sie den Telmora-Client wirklich deinstallieren?", {IDOK, IDCANCEL})};
    if (!w.uninstallWithSwitch) uninstall.insert(uninstall.begin(), Function(de, IDC_FUNCTION_UNINSTALL));
    if (w.nt) {
        // The removal finds the fax printer and its port: the spooler is stopped again.
        uninstall.push_back(Printers(w, de, {}).front());
    } else {
        // The AUTOEXEC.BAT questions come in their uninstall variants.
        uninstall.push_back(tst::DialogExpect("Telmora Client-Deinstallation", {"AUTOEXEC.BAT muss bearbeitet werden,"})
                                .Press(IDC_ANSWER_YES));
        uninstall.push_back(tst::DialogExpect("Telmora-Deinstallation", {"Wo befindet sich AUTOEXEC.BAT?"})
                                .Shows(IDC_PATH_EDIT, "C:\\").Press(IDOK));
    }
    // Once the client is gone, the program is back to its own English.
    if (!w.uninstallWithSwitch) uninstall.push_back(Function(en, IDC_FUNCTION_QUIT));
    return {
        {"install", "",
         Then({Function(en, IDC_FUNCTION_INSTALL),
               Question(en, "Where are the Telmora files installed?").Shows(IDC_PATH_EDIT, "F:\\")},
              Printers(w, en, {Function(en, IDC_FUNCTION_QUIT)}))},
        // The advanced settings in their order; no TSR question on Windows 95 or
        // NT. The printers move with the log area before the language changes.
        {"edit", "",
         Then({Function(en, IDC_FUNCTION_EDIT), Question(en, "If required, Telmora will determine the Telmora user name"),
               Question(en, "Your TELMORA user name is normally determined"),
               Question(en, "Which language would you like to use for the")
                   .Shows(IDC_LANGUAGE_LIST, "English (British)").Select(IDC_LANGUAGE_LIST, "German"),
               Question(en, "Where do you want the spooled print files and")
                   .Shows(IDC_PATH_EDIT, "C:\\WINDOWS").Type(IDC_PATH_EDIT, "C:\\FaxLog")},
              Printers(w, en, {Function(de, IDC_FUNCTION_QUIT)}))},
        {"copy", "",
         Then({Function(de, IDC_FUNCTION_COPY), Question(de, "Von wo m\xf6" "chten Sie die Telmora").Shows(IDC_PATH_EDIT, "F:\\SYSTEM"),
               Question(de, "Wohin m\xf6" "chten Sie die Telmora").Shows(IDC_PATH_EDIT, "C:\\WINDOWS").Type(IDC_PATH_EDIT, "C:\\Telmora Client")},
              Printers(w, de, {Question(de, "M\xf6" "chten Sie f\xfcr das Client-Programm einen", IDC_ANSWER_YES),
                               Function(de, IDC_FUNCTION_QUIT)}))},
        // The newer help file is replaced only when the user agrees.
        {"update", "",
         Then({Function(de, IDC_FUNCTION_UPDATE),
               tst::MessageBoxExpect(de.error, "Datei kann nicht kopiert werden: F:\\SYSTEM\\I386\\MSVCRT40.DLL", {IDOK}),
               Question(de, "Datei C:\\TELMORA CLIENT\\TELMORA.HLP ersetzen", IDC_ANSWER_NO)},
              Printers(w, de, {Function(de, IDC_FUNCTION_QUIT)})),
         ChangeSinceCopy, RestoreRuntime},
        {"uninstall", w.uninstallWithSwitch ? "/X" : "", uninstall},
    };
}

}  // namespace lifecycle
