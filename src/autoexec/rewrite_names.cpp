// Names the safe rewrite forms beside a file: its replacement temporary
// file, its numbered backups and its in-place temporary file. Every name is
// built whole or refused, never silently cut. Pure text: no windows.h.
#include "autoexec/rewrite_names.h"

#include <cstring>

#include "common/bounded_text.h"

namespace {

const char kDot[] = ".";
const char kBackslash = '\\';
const char kDriveColon = ':';
const char kReplacementExtension[] = "TMP";
const char kInPlaceSuffix[] = ".TMP";
const char kInPlaceSuffixForTmp[] = ".TM2";
const char kBackupFormat[] = "%.3d";

// Fills a fixed field piece by piece and remembers whether everything fitted;
// the field is always terminated.
class NameBuilder {
public:
    NameBuilder(char* target, std::size_t size) : target_(target), size_(size), fits_(size > 0) {
        if (size_ > 0) target_[0] = '\0';
    }

    NameBuilder& Add(const char* piece, std::size_t length) {
        if (!fits_) return *this;
        if (used_ + length >= size_) {
            length = size_ - 1 - used_;
            fits_ = 0;
        }
        std::memcpy(target_ + used_, piece, length);
        used_ += length;
        target_[used_] = '\0';
        return *this;
    }
    NameBuilder& Add(const char* piece) { return Add(piece, std::strlen(piece)); }

    int Fits() const { return fits_; }

private:
    char* target_;
    std::size_t size_;
    std::size_t used_ = 0;
    int fits_;
};

// The start of the last path component.
const char* LastComponent(const char* path) {
    const char* start = path;
    for (const char* p = path; *p; ++p) {
        if (*p == kBackslash || *p == kDriveColon) start = p + 1;
    }
    return start;
}

// The path with the text after its extension's dot replaced by `extension`;
// a path without extension gets "." and `extension` appended.
int ReplaceExtension(char* target, std::size_t size, const char* path, const char* extension) {
    NameBuilder name(target, size);
    const char* old = PathExtension(path);
    if (old) {
        name.Add(path, static_cast<std::size_t>(old - path));
    } else {
        name.Add(path).Add(kDot);
    }
    return name.Add(extension).Fits();
}

}  // namespace

const char* PathExtension(const char* path) {
    const char* dot = std::strrchr(LastComponent(path), kDot[0]);
    return dot ? dot + 1 : nullptr;
}

int RewritePath(char* target, std::size_t size, const char* directory, const char* fileName) {
    NameBuilder name(target, size);
    name.Add(directory).Add(fileName);
    if (name.Fits() && !PathExtension(target)) name.Add(kDot);
    return name.Fits();
}

int ReplacementTempName(char* target, std::size_t size, const char* path) {
    return ReplaceExtension(target, size, path, kReplacementExtension);
}

int BackupName(char* target, std::size_t size, const char* path, int number) {
    char extension[16];
    text::Format(extension, kBackupFormat, number);
    return ReplaceExtension(target, size, path, extension);
}

int InPlaceTempName(char* target, std::size_t size, const char* path) {
    NameBuilder name(target, size);
    const char* extension = PathExtension(path);
    if (!extension) return name.Add(path).Add(kInPlaceSuffix).Fits();
    const char* suffix = text::EqualNoCase(extension, kReplacementExtension) ? kInPlaceSuffixForTmp : kInPlaceSuffix;
    // The extension's dot is replaced too.
    return name.Add(path, static_cast<std::size_t>(extension - 1 - path)).Add(suffix).Fits();
}
