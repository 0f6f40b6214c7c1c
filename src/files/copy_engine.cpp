// The copy engine: every file the setup program puts on the PC goes through
// InstallFile, which decides from the flags its caller gives whether the
// file is copied (version text, date and size, the replace question), copies
// it and reports each failure with the question whether to go on.
#include "files/copy_engine.h"

#include <windows.h>

#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <ctime>

#include "common/action_log.h"
#include "common/architecture.h"
#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "files/file_log.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"

namespace {

const char kTranslationPath[] = "\\VarFileInfo\\Translation";
const char kFileVersionPathFormat[] = "\\StringFileInfo\\%s\\FileVersion";
const char kTranslationKeyFormat[] = "%04X%04X";  // language, code page
const char kDllMark[] = "DLL";                    // case-sensitive, anywhere in the source path
const int kYearBase = 1900;

enum : int {
    kTranslationKeySize = 9,  // eight hexadecimal digits
    kVersionValuePathSize = 64,
    kReplaceQuestionLines = 5,
};

// What decided a file, in the words of the action log. A rule of the version
// test holds the share's version text and then the installed one (%s, %s).
const char kRuleOlder[] = "existing file is older";
const char kRuleSameSizeAndDate[] = "existing file has the same size and date";
const char kRuleAnsweredYes[] = "replace question answered Yes";
const char kRuleAnsweredNo[] = "replace question answered No";
const char kRuleReplaceAborted[] = "replace question aborted";
const char kRuleSourceMissing[] = "source file missing";
const char kRuleItself[] = "it is its own source";
const char kRuleNewerVersion[] = "the share's version %s is newer than the existing %s";
const char kRuleNotNewerVersion[] = "existing file is the same or a newer version (the share's %s, existing %s)";
const char kRuleSourceUnversioned[] = "the share's file has no version";
const char kRuleTargetUnversioned[] = "existing file has no version";

// One file's verdict for the action log: the rule and, when the version
// test decided, both version texts.
struct CopyVerdict {
    const char* rule;
    char sourceVersion[kVersionTextSize];
    char targetVersion[kVersionTextSize];
};

// Where the configured system area comes from (SetSystemAreaSource).
SystemAreaSource s_systemAreaSource = nullptr;

int SystemAreaOfCaller(char (&systemArea)[kPathFieldSize]) {
    systemArea[0] = '\0';
    return s_systemAreaSource ? s_systemAreaSource(systemArea) : 0;
}

// Formats string `id` with its arguments into a line of the replace question.
void FormatLine(char (&line)[kMessageSize], UINT id, ...) {
    va_list args;
    va_start(args, id);
    FormatMessageText(line, kMessageSize, id, args);
    va_end(args);
}

// "<size> bytes <day>/<month>/<year> <h>:<m>:<s>" in local time.
void FormatFileDetails(char (&line)[kMessageSize], const struct _stat64& status) {
    __time64_t modified = status.st_mtime;
    const struct tm* local = _localtime64(&modified);
    if (!local) {
        line[0] = '\0';
        return;
    }
    FormatLine(line, IDS_FILE_DETAILS, static_cast<long>(status.st_size), local->tm_mday, local->tm_mon + 1,
               local->tm_year + kYearBase, local->tm_hour, local->tm_min, local->tm_sec);
}

// The replace question about `target` (as new or newer than `source`), Yes
// proposed. 0 when aborted; else 1 with `copy` the answer.
int AskReplaceQuestion(const char* source, const struct _stat64& sourceStatus, const char* target,
                       const struct _stat64& targetStatus, int* copy) {
    char lines[kReplaceQuestionLines][kMessageSize];
    FormatLine(lines[0], IDS_REPLACE_FILE, target);
    FormatFileDetails(lines[1], targetStatus);
    lines[2][0] = '\0';
    FormatLine(lines[3], IDS_WITH_FILE, source);
    FormatFileDetails(lines[4], sourceStatus);
    const char* shown[kReplaceQuestionLines + 1] = {lines[0], lines[1], lines[2], lines[3], lines[4], nullptr};

    int answer = 0;
    if (!AskReplace(shown, kProposeYes, answer)) return 0;
    *copy = answer;
    return 1;
}

// The rule for a target without a version text: a missing file has none.
const char* UnversionedTargetRule() {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kCopyRuleNoFile : kRuleTargetUnversioned;
}

// 0 when the source's version text is not greater than the target's; 1 when
// either has none (a missing target has none).
int NewerVersion(const char* source, const char* target, CopyVerdict* verdict) {
    if (!GetFileVersionText(source, verdict->sourceVersion)) {
        verdict->rule = kRuleSourceUnversioned;
        return 1;
    }
    if (!GetFileVersionText(target, verdict->targetVersion)) {
        verdict->rule = UnversionedTargetRule();
        return 1;
    }
    int newer = std::strcmp(verdict->sourceVersion, verdict->targetVersion) > 0 ? 1 : 0;
    verdict->rule = newer ? kRuleNewerVersion : kRuleNotNewerVersion;
    return newer;
}

// The date and size rule with the replace question, and the rule that
// decided. 0 only when the question was aborted or `source` is missing.
int DecideByDate(const char* source, const char* target, int* copy, const char** rule) {
    *copy = 0;
    struct _stat64 sourceStatus;
    struct _stat64 targetStatus;
    if (_stat64(source, &sourceStatus) != 0) {
        *rule = kRuleSourceMissing;
        return 0;
    }
    if (_stat64(target, &targetStatus) != 0) {
        *rule = kCopyRuleNoFile;
        *copy = 1;
        return 1;
    }
    if (sourceStatus.st_size == targetStatus.st_size && sourceStatus.st_mtime == targetStatus.st_mtime) {
        *rule = kRuleSameSizeAndDate;
        return 1;
    }
    if (targetStatus.st_mtime < sourceStatus.st_mtime) {
        *rule = kRuleOlder;
        *copy = 1;
        return 1;
    }
    int answered = AskReplaceQuestion(source, sourceStatus, target, targetStatus, copy);
    *rule = !answered ? kRuleReplaceAborted : *copy ? kRuleAnsweredYes : kRuleAnsweredNo;
    return answered;
}

// The action log's line for a file copied or left as it was, with what decided.
void LogVerdict(int copied, const char* source, const char* target, const CopyVerdict& verdict) {
    if (!IsActionLogOpen()) return;
    char rule[kLogLineSize];
    text::Format(rule, verdict.rule, verdict.sourceVersion, verdict.targetVersion);
    if (copied) {
        LogFileCopy(1, source, target, rule);
    } else {
        LogAction(kLogKeep, "%s, not from %s: %s", target, source, rule);
    }
}

// The question after a failed copy: the DLL text when the source path says
// "DLL" in capitals, the plain one otherwise.
int AskIgnoreCopyFailure(const char* source, const char* target) {
    UINT question = std::strstr(source, kDllMark) ? IDS_DLL_COPY_FAILED : IDS_COPY_FILE_FAILED;
    return AskIgnoreError(question, source, target);
}

}  // namespace

void SetSystemAreaSource(SystemAreaSource source) { s_systemAreaSource = source; }

int FindArchitectureFile(char* directory, const char* fileName) {
    if (!text::IsEmpty(directory)) return FindArchitectureSubdirectory(directory, fileName);
    char systemArea[kPathFieldSize];
    if (!SystemAreaOfCaller(systemArea)) return 0;
    if (!FindArchitectureSubdirectory(systemArea, fileName)) return 0;
    if (directory) text::CopyInto(directory, kPathFieldSize, systemArea);
    return 1;
}

int GetFileVersionText(const char* path, char* versionText) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return 0;

    win::LocalMemory block(LocalAlloc(LPTR, size));
    if (!block.IsOpen() || !GetFileVersionInfoA(path, 0, size, block.Get())) return 0;
    void* translation = nullptr;
    UINT translationLength = 0;
    if (!VerQueryValueA(block.Get(), kTranslationPath, &translation, &translationLength) || !translation ||
        translationLength < sizeof(DWORD)) {
        return 0;
    }

    DWORD first = *static_cast<const DWORD*>(translation);
    char key[kTranslationKeySize];
    text::Format(key, kTranslationKeyFormat, static_cast<unsigned>(LOWORD(first)),
                 static_cast<unsigned>(HIWORD(first)));
    char valuePath[kVersionValuePathSize];
    text::Format(valuePath, kFileVersionPathFormat, key);

    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(block.Get(), valuePath, &value, &valueLength) || !value) return 0;
    text::CopyInto(versionText, kVersionTextSize, static_cast<const char*>(value));
    return 1;
}

int AskReplaceFile(const char* source, const char* target, int* copy) {
    const char* rule = nullptr;
    return DecideByDate(source, target, copy, &rule);
}

int InstallFile(const char* sourceDirectory, const char* sourceName, const char* targetDirectory,
                const char* targetName, int askReplace, int useArchitecture, int checkVersion,
                int ignoreCopyFailure) {
    if (!targetName) targetName = sourceName;
    char sourceCopy[kPathFieldSize];
    char targetCopy[kPathFieldSize];
    text::Copy(sourceCopy, sourceDirectory);
    text::Copy(targetCopy, targetDirectory);
    if (useArchitecture) FindArchitectureFile(sourceCopy, sourceName);

    char source[kPathFieldSize];
    char target[kPathFieldSize];
    text::Copy(source, sourceCopy);
    text::Append(source, sourceName);
    text::Copy(target, targetCopy);
    text::Append(target, targetName);
    CopyVerdict verdict = {kCopyRuleAlways, "", ""};
    if (text::EqualNoCase(source, target)) {
        verdict.rule = kRuleItself;
        LogVerdict(0, source, target, verdict);
        return 1;
    }

    char shownDirectory[kPathFieldSize];
    text::Copy(shownDirectory, targetCopy);
    RemoveTrailingBackslash(shownDirectory);

    int copy = 1;
    if (checkVersion) copy = NewerVersion(source, target, &verdict);
    if (askReplace) {
        // The date and size rule replaces the version's verdict.
        ShowProgress(IDS_CHECKING_VERSION, target);
        if (!DecideByDate(source, target, &copy, &verdict.rule)) {
            LogVerdict(0, source, target, verdict);
            return AskIgnoreError(IDS_COPY_FILE_FAILED, source, target);
        }
    }
    if (!copy) {
        LogVerdict(0, source, target, verdict);
        return 1;
    }

    ShowProgress(IDS_COPYING_FILE, targetName, shownDirectory);
    int copied = CopyOneFile(source, target);
    if (copied) LogVerdict(1, source, target, verdict);
    ShowProgress("");
    if (ignoreCopyFailure || copied) return 1;
    return AskIgnoreCopyFailure(source, target);
}

int CopyOneFile(const char* source, const char* target) {
    if (CopyFileA(source, target, FALSE)) return 1;
    LogFileCopy(0, source, target, nullptr);
    ShowError(IDS_CANNOT_COPY_FILE, source);
    return 0;
}
