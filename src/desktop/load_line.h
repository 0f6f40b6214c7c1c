// Rebuilding the WIN.INI load= line: the client's elements cut out, its
// program put back at the end. Pure text: no windows.h.
#pragma once

#include <cstddef>

enum : int {
    kLoadLineReadSize = 201,  // how much of load= is read (200 characters)
    kClientDirectorySize = 272,
    // The line read, a comma, a client directory and TELMORA.EXE: the
    // rebuilt line never has to be cut.
    kLoadLineSize = kLoadLineReadSize + 1 + kClientDirectorySize + 12,
};

// Cuts every client element out of the upper-cased `list`, each together with
// the comma that follows it, then drops one trailing comma. Every other byte
// stays as it was.
void RemoveClientElements(char* list);

// Appends the client program of `clientDirectory` (which ends in a
// backslash): a comma when `list` is not empty, then "<directory>TELMORA.EXE".
// The result is cut to `size` and always terminated.
void AppendClientProgram(char* list, std::size_t size, const char* clientDirectory);
