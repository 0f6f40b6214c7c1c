// Bounded text helpers for the program's fixed-size 8-bit text fields.
//
// Every text in the program lives in a char array of a fixed width (paths of
// 257 to 272 bytes, messages of 201). These templates take the destination as
// an array reference, so the width comes from the field itself and a copy can
// never run past it. Every result is zero-terminated, also when the source is
// cut. Pure text: no windows.h, so the parsers that use it build natively.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace text {

// Copies at most n-1 bytes of `source` (null counts as empty) into
// `target[0..n)` and terminates it. Returns the length copied.
inline std::size_t CopyInto(char* target, std::size_t n, const char* source) {
    if (n == 0) return 0;
    std::size_t length = 0;
    if (source) {
        while (length + 1 < n && source[length] != '\0') {
            target[length] = source[length];
            ++length;
        }
    }
    target[length] = '\0';
    return length;
}

template <std::size_t N>
inline std::size_t Copy(char (&target)[N], const char* source) {
    return CopyInto(target, N, source);
}

// Copies at most `limit` bytes of `source`, and never more than the field holds.
template <std::size_t N>
inline std::size_t CopyPrefix(char (&target)[N], const char* source, std::size_t limit) {
    return CopyInto(target, limit + 1 < N ? limit + 1 : N, source);
}

// Appends `source` to the text already in `target`, cut to the field.
// Returns the new length.
template <std::size_t N>
inline std::size_t Append(char (&target)[N], const char* source) {
    std::size_t used = std::strlen(target);
    if (used >= N) return used;
    return used + CopyInto(target + used, N - used, source);
}

// printf-rules formatting into the field; the result is cut to the field and
// always terminated. Returns the length written.
inline std::size_t FormatListInto(char* target, std::size_t n, const char* format, va_list args) {
    if (n == 0) return 0;
    int written = std::vsnprintf(target, n, format ? format : "", args);
    target[n - 1] = '\0';
    if (written < 0) {
        target[0] = '\0';
        return 0;
    }
    return static_cast<std::size_t>(written) < n ? static_cast<std::size_t>(written) : n - 1;
}

template <std::size_t N>
inline std::size_t FormatList(char (&target)[N], const char* format, va_list args) {
    return FormatListInto(target, N, format, args);
}

template <std::size_t N>
inline std::size_t Format(char (&target)[N], const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::size_t length = FormatListInto(target, N, format, args);
    va_end(args);
    return length;
}

// ASCII upper-casing in place (paths, switch letters, language codes).
inline void UpperCase(char* target) {
    for (; target && *target; ++target) {
        if (*target >= 'a' && *target <= 'z') *target = static_cast<char>(*target - 'a' + 'A');
    }
}

inline char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Case-insensitive (ASCII) comparison; 1 when equal.
inline int EqualNoCase(const char* a, const char* b) {
    if (!a || !b) return a == b;
    for (; *a && *b; ++a, ++b) {
        if (UpperChar(*a) != UpperChar(*b)) return 0;
    }
    return *a == *b;
}

// 1 when `text` begins with `prefix` (ASCII, any case, over the prefix's
// length); 0 for a null text or prefix.
inline int StartsWithNoCase(const char* text, const char* prefix) {
    if (!text || !prefix) return 0;
    for (; *prefix; ++text, ++prefix) {
        if (*text == '\0' || UpperChar(*text) != UpperChar(*prefix)) return 0;
    }
    return 1;
}

inline int IsEmpty(const char* s) { return !s || s[0] == '\0'; }

}  // namespace text
