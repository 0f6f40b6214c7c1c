// The client language files. English is built into the client; every other
// language comes as a 16-bit library in the setup directory and a 32-bit one
// in its processor subdirectory, with an optional help file. The chosen
// library is installed under the fixed names the client loads (QVINTL.DLL,
// QVINTL32.DLL); the setup program loads the same QVINTL32.DLL for its own
// texts, so it lets go of it while the files are replaced.
#include "files/language_files.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/directory_checks.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/windows_directories.h"
#include "desktop/progman.h"
#include "files/copy_engine.h"
#include "files/file_log.h"
#include "ui/language.h"
#include "ui/language_list.h"
#include "ui/language_table.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char kClientWindowClass[] = "Quen";
const char kViewerWindowClass[] = "QuenViewer";

const char kLibrary16Format[] = "QVI%s.DLL";
const char kLibrary32Format[] = "QVI%s32.DLL";
const char kHelpFileFormat[] = "QVI%s.HLP";
const char kInstalledLibrary16[] = "QVINTL.DLL";
const char kInstalledLibrary32[] = "QVINTL32.DLL";
const char kHelpFile[] = "TELMORA.HLP";

// Caption and icon of the box about a file that stays.
const UINT kInformationStyle = MB_ICONINFORMATION;

// A share file name: "QVI" + code + "32.DLL" at most.
enum : int { kShareNameSize = 16 };

// Loads the program's language library again when the language files are
// done with, whichever way they end.
class LanguageReload {
public:
    LanguageReload() { ReleaseLanguage(); }
    ~LanguageReload() { StartLanguage(); }
    LanguageReload(const LanguageReload&) = delete;
    LanguageReload& operator=(const LanguageReload&) = delete;
};

int IsEnglish(const char* language) { return SameLanguageCode(language, kEnglishCode); }

// The setup directory, ending in a backslash, in a field of its own.
void SetupDirectoryCopy(char (&directory)[kPathFieldSize]) {
    text::Copy(directory, g_setup.setupDirectory);
    AddTrailingBackslash(directory);
}

// 1 when `name` lies in the processor subdirectory of the setup directory.
int InArchitectureDirectory(const char* name) {
    char directory[kPathFieldSize];
    SetupDirectoryCopy(directory);
    return FindArchitectureFile(directory, name);
}

// 1 when `name` lies in the setup directory itself (asked silently).
int InSetupDirectory(const char* name) {
    char directory[kPathFieldSize];
    SetupDirectoryCopy(directory);
    return DirectoryHoldsFile(directory, name);
}

// Deletes an installed library. A library that is in the way (not simply
// missing) asks whether to go on, unless an earlier question was answered
// with Yes already. 0 when the user said No.
int DeleteInstalledLibrary(const char* directory, const char* name, int* ignoring) {
    char path[kPathFieldSize];
    text::Copy(path, directory);
    text::Append(path, name);
    int deleted = DeleteFileA(path) ? 1 : 0;
    LogFileDeletion(deleted, path);
    if (deleted) return 1;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || *ignoring) return 1;
    if (!AskIgnoreError(IDS_LANGUAGE_FILE_IN_USE, path)) return 0;
    *ignoring = 1;
    return 1;
}

int DeleteInstalledLibraries() {
    int ignoring = 0;
    return DeleteInstalledLibrary(g_directories.system16, kInstalledLibrary16, &ignoring) &&
           DeleteInstalledLibrary(g_directories.system, kInstalledLibrary32, &ignoring);
}

// Copies `name` from the setup directory (or its processor subdirectory)
// into `directory` as `installedName`, over whatever is there. 1 when done.
int InstallFromShare(const char* name, const char* directory, const char* installedName) {
    return InstallFile(g_setup.setupDirectory, name, directory, installedName, kNoReplaceQuestion, kUseArchitecture,
                       kAnyVersion, kAskAboutCopyFailure);
}

// The help file of the language (TELMORA.HLP when there is none), installed
// into the Windows directory as TELMORA.HLP. Its result does not count.
void InstallHelpFile(const char* language) {
    if (!DirectoryExists(g_setup.setupDirectory)) return;
    AddTrailingBackslash(g_setup.setupDirectory);

    char name[kShareNameSize];
    text::Copy(name, kHelpFile);
    if (!IsEnglish(language)) {
        text::Format(name, kHelpFileFormat, language);
        if (!InSetupDirectory(name)) text::Copy(name, kHelpFile);
    }
    InstallFromShare(name, g_directories.windows, kHelpFile);
}

// Installs the 16-bit and 32-bit libraries of a language other than English.
// When the 16-bit library cannot be copied and the user does not ignore it,
// the language becomes English.
void InstallLibraries(char (&language)[kLanguageSize]) {
    char name[kShareNameSize];
    int fallBack = 0;
    text::Format(name, kLibrary16Format, language);
    if (InSetupDirectory(name) &&
        !InstallFromShare(name, g_directories.system16, kInstalledLibrary16)) {
        fallBack = 1;
        text::Copy(language, kEnglishCode);
    }

    text::Format(name, kLibrary32Format, language);
    if (InArchitectureDirectory(name)) {
        InstallFromShare(name, g_directories.system, kInstalledLibrary32);
    }
    if (fallBack) ShowWarning(IDS_DEFAULT_ENGLISH);
}

}  // namespace

// Every caller stops when the client runs: the run's result is 1618.
int IsClientRunning() {
    if (!FindWindowA(kClientWindowClass, nullptr) && !FindWindowA(kViewerWindowClass, nullptr)) return 0;
    NoteOutcome(g_setup.outcome, kOutcomeClientRunning, "the fax client is running (its window is open)");
    return 1;
}

int GetLanguageLibraryKind(const char* language) {
    if (IsEnglish(language)) return kLanguageEnglish;
    char name[kShareNameSize];
    text::Format(name, kLibrary32Format, language);
    if (InArchitectureDirectory(name)) return kLanguageLibrary32;
    text::Format(name, kLibrary16Format, language);
    return InSetupDirectory(name) ? kLanguageLibrary16 : kLanguageLibraryNone;
}

int InstallLanguageFiles(char (&language)[kLanguageSize]) {
    if (IsClientRunning()) {
        if (!g_setup.quietSwitch) ShowError(IDS_LANGUAGE_DLL_COPY_FAILED);
        return 0;
    }

    KeepProgmanItemNames();
    LanguageReload reload;
    if (GetLanguageLibraryKind(language) == kLanguageLibraryNone) text::Copy(language, kEnglishCode);
    if (!DeleteInstalledLibraries()) return 0;
    InstallHelpFile(language);
    if (!IsEnglish(language)) InstallLibraries(language);
    return 1;
}

int DeleteClientFiles(const char* directory, const char* pattern) {
    if (DeleteMatchingFiles(directory, pattern) == 0) return 1;
    char format[kMessageSize];
    char message[kMessageSize];
    LoadLocalString(g_setup.appInstance, IDS_CANNOT_DELETE_FILE, format);
    text::Format(message, format, pattern);
    ShowMessageBox(nullptr, message, kProductCaption, kInformationStyle);
    return 0;
}

int DeleteMatchingFiles(const char* directory, const char* pattern) {
    FileListScope files(OpenFileList(directory, pattern, kListFiles));
    int failures = 0;
    char name[kListNameSize];
    while (NextFileName(files.Get(), name, kListNameSize)) {
        char path[kPathFieldSize];
        text::Copy(path, directory);
        text::Append(path, name);
        int deleted = DeleteFileA(path) ? 1 : 0;
        LogFileDeletion(deleted, path);
        failures += !deleted;
    }
    return failures;
}
