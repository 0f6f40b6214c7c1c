// Given bytes as a FILE* (a temporary file, untranslated, rewound), for the
// table tests of the line code. Pure C runtime: such tests build natively too.
#pragma once

#include <cstdio>
#include <string>

namespace tbl {

struct ByteFile {
    explicit ByteFile(const std::string& bytes = "") : file(std::tmpfile()) {
        if (!file) return;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
    }
    ~ByteFile() { if (file) std::fclose(file); }
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;
    std::string Bytes() const {  // all the file holds now
        std::string bytes;
        std::rewind(file);
        for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
        return bytes;
    }
    FILE* file;
};

}  // namespace tbl
