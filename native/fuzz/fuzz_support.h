// What the fuzz targets share: a check that stops the run, texts in blocks of their exact size (so that
// AddressSanitizer sees a read past a terminator or a write past a field); bytes as a FILE* are the table
// tests' tbl::ByteFile. The targets check invariants (no overrun, termination, round trips, idempotence),
// never a second implementation of a unit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/byte_file.h"

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : (std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition), std::abort()))

namespace fuzz {

struct Text {  // a terminated copy of a text, or `size` unterminated bytes to write into
    explicit Text(const std::string& text) : bytes(text.c_str(), text.c_str() + text.size() + 1) {}
    explicit Text(std::size_t size) : bytes(size, '#') {}
    char* Get() { return bytes.data(); }
    bool Terminated() const { return std::memchr(bytes.data(), '\0', bytes.size()) != nullptr; }
    std::vector<char> bytes;
};

inline std::string TextOf(const std::uint8_t* data, std::size_t size) {  // up to the first zero byte
    return std::string(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
}

}  // namespace fuzz
