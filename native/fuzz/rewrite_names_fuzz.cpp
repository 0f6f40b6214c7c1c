// Fuzz target of the names the safe rewrite forms beside a file: the input
// is a path (and, split at its first '|', a directory and a file name). Each
// name, formed into fields from 1 byte to well past its length, must be the
// name a plain model of the rules gives, reported as fitting exactly when it
// fits, and otherwise cut to the field and terminated.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "autoexec/rewrite_names.h"
#include "fuzz_support.h"

namespace {

const std::size_t kPathFieldSize = 272;

std::size_t LastComponent(const std::string& path) {
    std::size_t separator = path.find_last_of("\\:");
    return separator == std::string::npos ? 0 : separator + 1;
}

// The offset of the extension (behind its dot), or npos.
std::size_t ModelExtension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < LastComponent(path) ? std::string::npos : dot + 1;
}

std::string ModelReplaced(const std::string& path, const std::string& extension) {
    std::size_t old = ModelExtension(path);
    return old == std::string::npos ? path + "." + extension : path.substr(0, old) + extension;
}

std::string ModelInPlace(const std::string& path) {
    std::size_t old = ModelExtension(path);
    if (old == std::string::npos) return path + ".TMP";
    return path.substr(0, old - 1) + (fuzz::UpperText(path.substr(old)) == "TMP" ? ".TM2" : ".TMP");
}

std::string ModelRewritePath(const std::string& directory, const std::string& fileName) {
    std::string path = directory + fileName;
    return ModelExtension(path) == std::string::npos ? path + "." : path;
}

std::string BackupExtension(int number) {
    char extension[16];
    std::snprintf(extension, sizeof extension, "%.3d", number);
    return extension;
}

// Forms a name into fields of several sizes and compares each with the model.
template <typename Form>
void CheckName(const std::string& expected, Form form) {
    const std::size_t sizes[] = {1, 2, 8, kPathFieldSize, expected.size(), expected.size() + 1, expected.size() + 2};
    for (std::size_t size : sizes) {
        if (size == 0) continue;
        fuzz::Field target(size);
        int fits = form(target.Get(), size);
        FUZZ_CHECK(target.IsTerminated());
        FUZZ_CHECK(fits == (expected.size() < size));
        FUZZ_CHECK(target.Text() == expected.substr(0, size - 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text = fuzz::TextOf(data, size);
    fuzz::CText path(text);

    const char* extension = PathExtension(path.Get());
    std::size_t expectedExtension = ModelExtension(text);
    FUZZ_CHECK(extension ? static_cast<std::size_t>(extension - path.Get()) == expectedExtension
                         : expectedExtension == std::string::npos);

    CheckName(ModelReplaced(text, "TMP"),
              [&](char* target, std::size_t n) { return ReplacementTempName(target, n, path.Get()); });
    CheckName(ModelInPlace(text), [&](char* target, std::size_t n) { return InPlaceTempName(target, n, path.Get()); });
    const int numbers[] = {kFirstBackupNumber, kLastBackupNumber, static_cast<int>(size % 999) + 1, 0, INT_MIN};
    for (int number : numbers) {
        CheckName(ModelReplaced(text, BackupExtension(number)),
                  [&](char* target, std::size_t n) { return BackupName(target, n, path.Get(), number); });
    }

    std::vector<std::string> pieces = fuzz::Pieces(text, '|', 2);
    fuzz::CText directory(pieces[0]);
    fuzz::CText fileName(pieces[1]);
    CheckName(ModelRewritePath(pieces[0], pieces[1]), [&](char* target, std::size_t n) {
        return RewritePath(target, n, directory.Get(), fileName.Get());
    });
    return 0;
}
