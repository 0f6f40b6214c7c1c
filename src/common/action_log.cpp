// The action log of TELMORA_SETUP_LOG: see action_log.h.
#include "common/action_log.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/win_handles.h"

const char kLogStart[] = "start";
const char kLogBox[] = "box";
const char kLogCopy[] = "copy";
const char kLogKeep[] = "keep";
const char kLogDelete[] = "delete";
const char kLogIni[] = "ini";
const char kLogAutoexec[] = "autoexec";
const char kLogWinIni[] = "winini";
const char kLogRegistry[] = "registry";
const char kLogPrinter[] = "printer";
const char kLogSpooler[] = "spooler";
const char kLogGroup[] = "group";
const char kLogResult[] = "result";

namespace {

const char kLogVariable[] = "TELMORA_SETUP_LOG";
const char kLineEnd[] = "\r\n";
const std::size_t kLineEndLength = sizeof kLineEnd - 1;

// The open log, for the life of the process; empty when there is none.
win::KernelHandle s_log;

// Appends `source` to line[0..size) with its line breaks written as "\r" and
// "\n", stopping where the line would no longer hold its CR LF.
std::size_t AppendEscaped(char* line, std::size_t used, std::size_t size, const char* source) {
    for (; *source && used + 2 + kLineEndLength < size; ++source) {
        if (*source == '\n' || *source == '\r') {
            line[used++] = '\\';
            line[used++] = *source == '\n' ? 'n' : 'r';
        } else {
            line[used++] = *source;
        }
    }
    line[used] = '\0';
    return used;
}

}  // namespace

void OpenActionLog() {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(kLogVariable, path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    // Appending only: every write lands at the end of the file, whoever else
    // appends to it meanwhile.
    s_log.Attach(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CloseActionLog() { s_log.Close(); }

int IsActionLogOpen() { return s_log.IsOpen() ? 1 : 0; }

void LogActionList(const char* keyword, const char* format, va_list args) {
    if (!s_log.IsOpen()) return;
    // Callers log right after a Windows call and may read its error afterwards.
    DWORD callerError = GetLastError();
    char event[kLogLineSize];
    text::FormatList(event, format, args);

    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[kLogLineSize];
    std::size_t used = text::Format(line, "%04u-%02u-%02u %02u:%02u:%02u.%03u %s: ", now.wYear, now.wMonth, now.wDay,
                                    now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, keyword);
    used = AppendEscaped(line, used, sizeof line, event);
    text::Append(line, kLineEnd);
    used += kLineEndLength;

    DWORD written = 0;
    if (!WriteFile(s_log, line, static_cast<DWORD>(used), &written, nullptr) || written != used) s_log.Close();
    SetLastError(callerError);
}

void LogAction(const char* keyword, const char* format, ...) {
    va_list args;
    va_start(args, format);
    LogActionList(keyword, format, args);
    va_end(args);
}
