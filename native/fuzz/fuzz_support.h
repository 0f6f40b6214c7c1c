// What the fuzz targets of the pure text units share: a check that stops the
// run with a message, texts held in heap blocks of their exact size (so that
// AddressSanitizer sees every byte read past a terminator or written past a
// field), fuzz bytes read as a FILE*, a FILE* written into memory, and the
// small text rules the targets use to state what a result must look like.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                            \
    do {                                                                 \
        if (!(condition)) fuzz::Fail(#condition, __FILE__, __LINE__);    \
    } while (0)

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

// A writable block of exactly `size` bytes.
class Field {
public:
    explicit Field(std::size_t size, char fill = '#') : size_(size), bytes_(new char[size ? size : 1]) {
        std::memset(bytes_.get(), fill, size ? size : 1);
    }
    char* Get() { return bytes_.get(); }
    const char* Get() const { return bytes_.get(); }
    std::size_t Size() const { return size_; }
    // 1 when the block holds a terminator.
    int IsTerminated() const { return size_ > 0 && std::memchr(bytes_.get(), '\0', size_) != nullptr; }
    std::string Text() const { return IsTerminated() ? std::string(bytes_.get()) : std::string(); }

private:
    std::size_t size_;
    std::unique_ptr<char[]> bytes_;
};

// A terminated copy of `text` in a block of exactly its length plus one.
class CText {
public:
    explicit CText(const std::string& text) : field_(text.size() + 1) {
        std::memcpy(field_.Get(), text.c_str(), text.size() + 1);
    }
    char* Get() { return field_.Get(); }
    const char* Get() const { return field_.Get(); }

private:
    Field field_;
};

// The fuzz bytes up to the first zero byte, as the text a C string would hold.
inline std::string TextOf(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return std::string();
    const void* zero = std::memchr(data, '\0', size);
    std::size_t length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data) : size;
    return std::string(reinterpret_cast<const char*>(data), length);
}

// The pieces of `text` between `separator` characters, at most `count` of
// them (the last one keeps the rest); missing pieces are empty.
inline std::vector<std::string> Pieces(const std::string& text, char separator, std::size_t count) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (pieces.size() + 1 < count) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) break;
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    pieces.push_back(start <= text.size() ? text.substr(start) : std::string());
    while (pieces.size() < count) pieces.emplace_back();
    return pieces;
}

// Bytes read through a FILE* opened without line-end translation.
class InputFile {
public:
    InputFile(const void* data, std::size_t size) {
        static char empty[1];
        file_ = fmemopen(size ? const_cast<void*>(data) : empty, size, "rb");
        FUZZ_CHECK(file_ != nullptr);
    }
    explicit InputFile(const std::string& bytes) : InputFile(bytes.data(), bytes.size()) {}
    ~InputFile() { std::fclose(file_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    FILE* Get() const { return file_; }

private:
    FILE* file_;
};

// A FILE* that writes into memory; Bytes() is what was written so far.
class OutputFile {
public:
    OutputFile() {
        file_ = open_memstream(&buffer_, &size_);
        FUZZ_CHECK(file_ != nullptr);
    }
    ~OutputFile() {
        std::fclose(file_);
        std::free(buffer_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    FILE* Get() const { return file_; }
    std::string Bytes() {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    FILE* file_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
};

inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string UpperText(std::string text) {
    for (char& c : text) c = Upper(c);
    return text;
}

inline int BeginsNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && UpperText(text.substr(0, prefix.size())) == UpperText(prefix);
}

inline int IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The line the TELMORA.INI reader makes of raw line bytes (the line end
// included when there is one) with a buffer of `size` bytes: the first
// size-1 bytes, control characters and DEL as blanks, no trailing blanks.
inline std::string NormalisedLine(const std::string& raw, std::size_t size) {
    std::string line = raw.substr(0, size > 0 ? size - 1 : 0);
    for (char& c : line) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127) c = ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// One line of a file as the reader sees it: where its bytes lie and the
// text a buffer of the given size receives.
struct FileLine {
    long start;
    long end;  // behind its line feed, or the end of the file
    std::string text;
};

inline std::vector<FileLine> SplitLines(const std::string& bytes, std::size_t size) {
    std::vector<FileLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t feed = bytes.find('\n', start);
        std::size_t end = feed == std::string::npos ? bytes.size() : feed + 1;
        lines.push_back({static_cast<long>(start), static_cast<long>(end),
                         NormalisedLine(bytes.substr(start, end - start), size)});
        start = end;
    }
    return lines;
}

// A directory text of `length` characters ending in a backslash.
inline std::string LongDirectory(std::size_t length) {
    std::string directory = "C:\\";
    while (directory.size() + 1 < length) directory += static_cast<char>('A' + directory.size() % 26);
    return directory + "\\";
}

}  // namespace fuzz
