// Directory text helpers shared by every path the program builds.
// Pure text: no windows.h.
#pragma once

#include <cstddef>
#include <cstring>

#include "common/bounded_text.h"

// Appends a backslash unless the text is empty or already ends in one; the
// text is cut to the field. Returns the new length.
std::size_t AddTrailingBackslash(char* path, std::size_t size);

template <std::size_t N>
inline std::size_t AddTrailingBackslash(char (&path)[N]) {
    return AddTrailingBackslash(path, N);
}

// Removes a final backslash unless the character before it is a colon or the
// text is one character long ("C:\" and "\" keep theirs).
void RemoveTrailingBackslash(char* path);

// `directory` (ending in a backslash) followed by `name` in `path`. 1 when
// the whole path fits the field; 0 when it was cut (no such file can be
// opened then, and the cut text serves only a message).
template <std::size_t N>
inline int FormPath(char (&path)[N], const char* directory, const char* name) {
    text::Copy(path, directory);
    std::size_t expected = std::strlen(path) + std::strlen(name);
    return text::Append(path, name) == expected;
}
