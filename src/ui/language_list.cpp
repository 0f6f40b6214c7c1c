// The language question's list: the languages whose libraries lie on the
// distribution share, found with a small directory listing.
//
// The 16-bit libraries "QVI<code>.DLL" lie in the setup directory, the 32-bit
// ones "QVI<code>32.DLL" in its processor subdirectory (I386\ and so on). A
// language is shown by its name when the language table knows its code, else
// by the bare code.
#include "ui/language_list.h"

#include <cstring>
#include <new>

#include "common/architecture.h"
#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const int kFileListMarker = 12345;
const std::size_t kMaxListDirectory = 256;
const std::size_t kMaxListPattern = 12;

const char kLibraryPattern[] = "QVI*.DLL";
const char kLibrary32Pattern[] = "QVI*32.DLL";
const char kClientProgram[] = "TELMORA.EXE";

}  // namespace

struct FileList {
    int marker;  // kFileListMarker while the list is valid
    int notStarted;
    char directory[kMaxListDirectory + 1];
    char pattern[kMaxListPattern + 1];
    int wantDirectories;
    win::FindHandle search;
    WIN32_FIND_DATAA found;
};

namespace {

int IsFileList(const FileList* list) { return list && list->marker == kFileListMarker; }

// Moves to the next directory entry; 0 when there is none (more).
int NextEntry(FileList* list) {
    if (list->notStarted) {
        list->notStarted = 0;
        char path[kMaxListDirectory + kMaxListPattern + 1];
        text::Copy(path, list->directory);
        text::Append(path, list->pattern);
        list->search.Attach(FindFirstFileA(path, &list->found));
        return list->search.IsOpen() ? 1 : 0;
    }
    if (!list->search.IsOpen()) return 0;
    return FindNextFileA(list->search, &list->found) ? 1 : 0;
}

int IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

int IsWanted(const FileList* list) {
    const WIN32_FIND_DATAA& found = list->found;
    if (IsDotEntry(found.cFileName)) return 0;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) return 0;
    int isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    return isDirectory == list->wantDirectories ? 1 : 0;
}

// The list being filled and the entry it is to show selected.
struct LanguageListFill {
    HWND list;
    const char* currentLanguage;
    char selectText[kLanguageNameSize];
};

void AddEntry(const LanguageListFill& fill, const char* entry) { SendTextMessage(fill.list, CB_ADDSTRING, 0, entry); }

int IsListed(const LanguageListFill& fill, const char* entry) {
    return SendTextMessage(fill.list, CB_FINDSTRING, static_cast<WPARAM>(-1), entry) != CB_ERR ? 1 : 0;
}

// Whether a language name already in the list is added again (a bare code
// always is).
enum ListedNames : int { kAddListedNames = 0, kSkipListedNames = 1 };

// Adds one library file's language.
void AddLibrary(LanguageListFill& fill, const char* fileName, ListedNames listed) {
    char code[kLanguageCodeSize];
    LanguageCodeOfFile(fileName, code);
    const LanguageEntry* language = FindLanguageByCode(code);
    const char* entry = language ? language->name : code;
    if (!(listed == kSkipListedNames && language && IsListed(fill, entry))) AddEntry(fill, entry);
    if (SameLanguageCode(code, fill.currentLanguage)) text::Copy(fill.selectText, entry);
}

void AddLibraries(LanguageListFill& fill, const char* directory, const char* pattern, ListedNames listed) {
    FileListScope files(OpenFileList(directory, pattern, kListFiles));
    char name[kListNameSize];
    while (NextFileName(files.Get(), name, kListNameSize)) AddLibrary(fill, name, listed);
}

}  // namespace

FileList* OpenFileList(const char* directory, const char* pattern, int wantDirectories) {
    if (!directory || !pattern) return nullptr;
    if (std::strlen(directory) > kMaxListDirectory || std::strlen(pattern) > kMaxListPattern) return nullptr;
    FileList* list = new (std::nothrow) FileList();
    if (!list) return nullptr;
    list->marker = kFileListMarker;
    list->notStarted = 1;
    text::Copy(list->directory, directory);
    text::Copy(list->pattern, pattern);
    list->wantDirectories = wantDirectories ? 1 : 0;
    return list;
}

int NextFileName(FileList* list, char* name, int size) {
    if (!IsFileList(list) || !name || size <= 0) return 0;
    while (NextEntry(list)) {
        if (!IsWanted(list)) continue;
        const char* found = list->found.cFileName;
        if (std::strlen(found) >= static_cast<std::size_t>(size)) {
            list->search.Close();  // a name that does not fit ends the listing
            return 0;
        }
        text::CopyInto(name, static_cast<std::size_t>(size), found);
        text::UpperCase(name);
        return 1;
    }
    return 0;
}

void CloseFileList(FileList* list) {
    if (!IsFileList(list)) return;
    list->marker = 0;
    delete list;  // the search handle closes with it
}

void FillLanguageList(HWND dialog, const char* currentLanguage) {
    const LanguageEntry& english = kLanguageTable[0];
    LanguageListFill fill = {GetDlgItem(dialog, IDC_LANGUAGE_LIST), currentLanguage, ""};
    AddEntry(fill, english.name);
    if (SameLanguageCode(currentLanguage, english.code)) text::Copy(fill.selectText, english.name);

    // Without a setup directory there is no share to list.
    if (g_setup.setupDirectory[0] != '\0') {
        char directory[kPathFieldSize];
        text::Copy(directory, g_setup.setupDirectory);
        AddTrailingBackslash(directory);
        AddLibraries(fill, directory, kLibraryPattern, kAddListedNames);
        if (FindArchitectureSubdirectory(directory, kClientProgram)) {
            AddLibraries(fill, directory, kLibrary32Pattern, kSkipListedNames);
        }
    }

    if (fill.selectText[0] != '\0') SendTextMessage(fill.list, CB_SELECTSTRING, 0, fill.selectText);
}
