// The quiet tests behind the directory check: whether a directory exists and
// whether a file in it opens for reading. They report nothing; the check that
// reports, creates and test-writes is CheckDirectory (files/directories.h).
#pragma once

// 1 when `directory` (with or without its trailing backslash) is an existing
// directory. A root ("C:\", "\") counts as existing without being asked.
int DirectoryExists(const char* directory);

// 1 when `directory` (ending in a backslash) + `name` fits a path field and
// opens for reading.
int FileOpensIn(const char* directory, const char* name);

// 1 when `directory` exists and `name` opens in it: CheckDirectory with a
// required file and nothing reported.
int DirectoryHoldsFile(const char* directory, const char* name);
