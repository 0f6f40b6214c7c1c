// The Windows directories of this PC, found once per run into the run-wide
// record g_directories, and the directory check that runs before the program
// reads from or puts files into a directory: it must exist (or be created),
// may have to hold a given file and may have to accept a test write.
#include "files/directories.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/bounded_text.h"
#include "common/directory_checks.h"
#include "common/path_helpers.h"
#include "common/win_handles.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

namespace {

enum : UINT { kDirectoryQuerySize = 256 };

const char kSystem32Ending[] = "SYSTEM32\\";
const char kSystem16Ending[] = "SYSTEM\\";
const char kBootRootPath[] = "C:\\";

using DirectoryQuery = UINT(WINAPI*)(LPSTR, UINT);

// Fills `buffer` from a system directory query; 0 after showing `errorId`.
int QueryDirectory(DirectoryQuery query, char (&buffer)[kPathFieldSize], UINT errorId) {
    UINT length = query(buffer, kDirectoryQuerySize);
    if (length == 0 || length > kDirectoryQuerySize) {
        buffer[0] = '\0';
        ShowError(errorId);
        return 0;
    }
    AddTrailingBackslash(buffer);
    return 1;
}

// The SYSTEM directory beside SYSTEM32 on Windows NT; the Windows directory
// where the SYSTEM directory is not a SYSTEM32.
void DeriveSystem16Directory() {
    const std::size_t endingLength = sizeof kSystem32Ending - 1;
    std::size_t length = std::strlen(g_directories.system);
    if (length < endingLength ||
        !text::EqualNoCase(g_directories.system + length - endingLength, kSystem32Ending)) {
        text::Copy(g_directories.system16, g_directories.windows);
        return;
    }
    text::Copy(g_directories.system16, g_directories.system);
    g_directories.system16[length - endingLength] = '\0';
    text::Append(g_directories.system16, kSystem16Ending);
}

// 1 when the required file opens for reading; otherwise the report's result.
int CheckRequiredFile(const char* directory, const char* name, int reportMode) {
    if (FileOpensIn(directory, name)) return 1;
    char path[kPathFieldSize];
    FormPath(path, directory, name);
    return ReportFailure(reportMode, IDS_FILE_NOT_FOUND, path);
}

// Writes two line ends into a new file at `path` and deletes it again; 1 when
// every step of the write succeeded.
int WriteTestFile(const char* path) {
    win::File file(std::fopen(path, "wb"));
    if (!file.IsOpen()) return 0;
    int written = std::fprintf(file, "\n\n") > 0;
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    written = file.Close() == 0 && written;
    std::remove(path);
    return written;
}

// 1 when the test write succeeds; otherwise the report's result. The report
// names `shownDirectory`, the directory without its backslash.
int CheckWritable(const char* directory, const char* shownDirectory, const char* name, int reportMode) {
    char path[kPathFieldSize];
    if (FormPath(path, directory, name) && WriteTestFile(path)) return 1;
    return ReportFailure(reportMode, IDS_DIRECTORY_NOT_WRITABLE, shownDirectory);
}

}  // namespace

int InitWindowsDirectories() {
    if (!QueryDirectory(&GetWindowsDirectoryA, g_directories.windows, IDS_WINDOWS_DIRECTORY_ERROR)) return 0;
    if (!QueryDirectory(&GetSystemDirectoryA, g_directories.system, IDS_SYSTEM_DIRECTORY_ERROR)) return 0;
    DeriveSystem16Directory();
    text::Copy(g_directories.bootRoot, kBootRootPath);
    // AUTOEXEC.BAT is looked for in the boot root until the user names
    // another directory; each start of a run proposes the boot root again.
    text::Copy(g_setup.autoexecDirectory, g_directories.bootRoot);
    return 1;
}

int CheckDirectory(const char* directory, int create, const char* requiredFile,
                   const char* writeTestFile, int reportMode) {
    char shown[kPathFieldSize];
    text::Copy(shown, directory);
    RemoveTrailingBackslash(shown);

    // A root keeps its backslash above and is taken as existing. A missing
    // directory ends the check at once: the file checks need the directory.
    if (!DirectoryExists(directory)) {
        if (!create) return ReportFailure(reportMode, IDS_DIRECTORY_NOT_FOUND, shown);
        if (!CreateDirectoryA(shown, nullptr)) {
            return ReportFailure(reportMode, IDS_CREATE_DIRECTORY_FAILED, shown);
        }
        ShowProgress(IDS_CREATED_DIRECTORY, shown);
    }

    if (requiredFile && !CheckRequiredFile(directory, requiredFile, reportMode)) return 0;
    if (writeTestFile && !CheckWritable(directory, shown, writeTestFile, reportMode)) return 0;
    return 1;
}
