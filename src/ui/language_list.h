// The language question's list of the client language libraries on the
// distribution share, and the small directory listing it is built with.
#pragma once

#include <windows.h>

#include "ui/language_table.h"

// A directory listing in progress (see OpenFileList).
struct FileList;

enum : int {
    kListNameSize = 13,  // the names listed are 8.3 names: at most 12 characters
};

// What a listing lists.
enum : int {
    kListFiles = 0,
    kListDirectories = 1,
};

// Starts a listing of the plain files (or, with kListDirectories, the
// directories) of `directory`, which ends in a backslash, that match
// `pattern`. Null when the directory has more than 256 characters, the
// pattern more than 12, or memory is short. No search runs yet.
FileList* OpenFileList(const char* directory, const char* pattern, int wantDirectories);

// The next name, upper-cased, in name[0..size); 0 at the end. "." and "..",
// hidden entries and entries of the other kind are skipped. A name that does
// not fit the buffer ends the listing.
int NextFileName(FileList* list, char* name, int size);

// Ends the search and releases the list (null is accepted).
void CloseFileList(FileList* list);

// Closes a file list when it goes out of scope.
class FileListScope {
public:
    explicit FileListScope(FileList* list) : list_(list) {}
    ~FileListScope() { CloseFileList(list_); }
    FileListScope(const FileListScope&) = delete;
    FileListScope& operator=(const FileListScope&) = delete;
    FileList* Get() const { return list_; }

private:
    FileList* list_;
};

// Fills the language list (IDC_LANGUAGE_LIST) of the language question: "English
// (British)" and one entry for each language library in the setup directory
// and in its processor subdirectory, and selects the entry of
// `currentLanguage`. Changes nothing but the list.
void FillLanguageList(HWND dialog, const char* currentLanguage);
