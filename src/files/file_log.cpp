// The action log's lines about copied and deleted files: see file_log.h.
#include "files/file_log.h"

#include <windows.h>

#include "common/action_log.h"

const char kCopyRuleNoFile[] = "no file there";
const char kCopyRuleAlways[] = "replaces whatever is there";

void LogFileCopy(int copied, const char* source, const char* target, const char* rule) {
    if (copied) {
        LogAction(kLogCopy, "%s from %s: %s", target, source, rule);
    } else {
        LogAction(kLogCopy, "%s from %s failed: Windows error %lu", target, source, GetLastError());
    }
}

void LogFileDeletion(int deleted, const char* path) {
    DWORD error = deleted ? ERROR_SUCCESS : GetLastError();
    if (deleted) {
        LogAction(kLogDelete, "%s", path);
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        LogAction(kLogDelete, "%s could not be deleted: Windows error %lu", path, error);
    }
}
