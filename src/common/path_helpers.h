// Directory text helpers shared by every path the program builds.
// Pure text: no windows.h.
#pragma once

#include <cstddef>

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
