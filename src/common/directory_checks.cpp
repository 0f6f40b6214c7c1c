// Whether a directory exists and whether a file in it opens: asked of the
// file system without a word to the user.
#include "common/directory_checks.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"

namespace {

const char kBackslash = '\\';

int EndsInBackslash(const char* path) {
    std::size_t length = std::strlen(path);
    return length > 0 && path[length - 1] == kBackslash;
}

}  // namespace

int DirectoryExists(const char* directory) {
    char shown[kPathFieldSize];
    text::Copy(shown, directory);
    RemoveTrailingBackslash(shown);
    if (EndsInBackslash(shown)) return 1;  // a root keeps its backslash
    DWORD attributes = GetFileAttributesA(shown);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int FileOpensIn(const char* directory, const char* name) {
    char path[kPathFieldSize];
    if (!FormPath(path, directory, name)) return 0;
    win::File file(std::fopen(path, "rb"));
    return file.IsOpen() ? 1 : 0;
}

int DirectoryHoldsFile(const char* directory, const char* name) {
    return DirectoryExists(directory) && FileOpensIn(directory, name);
}
