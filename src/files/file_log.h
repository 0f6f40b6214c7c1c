// The action log's lines about files the program copies or deletes itself,
// in one form wherever that happens. Call each right after the operation: a
// failure is logged with the thread's last error.
#pragma once

// Rules that decide a copy, in the words of the log.
extern const char kCopyRuleNoFile[];     // "no file there"
extern const char kCopyRuleAlways[];     // "replaces whatever is there"

// "copy: <target> from <source>: <rule>" when `copied`; otherwise
// "copy: <target> from <source> failed: Windows error <n>".
void LogFileCopy(int copied, const char* source, const char* target, const char* rule);

// "delete: <path>" when `deleted`; otherwise the Windows error that kept
// it, except for a file or directory that was not there, which is not logged.
void LogFileDeletion(int deleted, const char* path);
