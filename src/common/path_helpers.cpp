// Directory text helpers: the trailing backslash that every directory held by
// the program ends in, added or removed. Pure text: no windows.h.
#include "common/path_helpers.h"

#include <cstring>

namespace {

const char kBackslash = '\\';
const char kDriveColon = ':';

}  // namespace

std::size_t AddTrailingBackslash(char* path, std::size_t size) {
    std::size_t length = std::strlen(path);
    if (length == 0 || path[length - 1] == kBackslash) return length;
    // A full field keeps its text: the backslash is cut, as any text that
    // does not fit its field.
    if (length + 1 >= size) return length;
    path[length] = kBackslash;
    path[length + 1] = '\0';
    return length + 1;
}

void RemoveTrailingBackslash(char* path) {
    std::size_t length = std::strlen(path);
    if (length < 2 || path[length - 1] != kBackslash) return;
    if (path[length - 2] == kDriveColon) return;
    path[length - 1] = '\0';
}
