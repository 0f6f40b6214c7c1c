// Looking for a file in this PC's processor subdirectory of a directory: the
// subdirectory by PROCESSOR_ARCHITECTURE (or Windows 95's x86), the path
// tested with a file status query.
#include <sys/stat.h>

#include <cstdlib>

#include "common/architecture.h"
#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/windows_version.h"

namespace {

const char kArchitectureVariable[] = "PROCESSOR_ARCHITECTURE";

// The processor subdirectory of this PC: by PROCESSOR_ARCHITECTURE, which
// Windows 95 does not set; its processor is taken as "x86".
const char* ThisArchitectureSubdirectory() {
    const char* value = std::getenv(kArchitectureVariable);
    if (!value) value = IsWindows95() ? kWindows95Architecture : "";
    return ArchitectureSubdirectory(value);
}

int PathExists(const char* path) {
    struct _stat64 status;
    return _stat64(path, &status) == 0;
}

}  // namespace

int FindArchitectureSubdirectory(char* directory, const char* fileName) {
    const char* subdirectory = ThisArchitectureSubdirectory();
    if (!subdirectory) return 0;

    char base[kPathFieldSize];
    text::CopyInto(base, kPathFieldSize, directory);
    AddTrailingBackslash(base);
    text::Append(base, subdirectory);
    char path[kPathFieldSize];
    text::Copy(path, base);
    text::Append(path, fileName);
    if (!PathExists(path)) return 0;

    text::CopyInto(directory, kPathFieldSize, base);
    return 1;
}
