// The processor-architecture table of the distribution share: the client's
// 32-bit files for each processor lie in their own subdirectory.
// Pure text: no windows.h.
#include "common/architecture.h"

#include <cstddef>
#include <cstring>

const char kWindows95Architecture[] = "x86";

namespace {

const std::size_t kComparedBytes = 4;

struct ArchitectureEntry {
    const char* value;
    const char* subdirectory;
};

const ArchitectureEntry kArchitectures[] = {
    {"x86", "I386\\"},
    {"MIPS", "MIPS\\"},
    {"ALPHA", "ALPHA\\"},
    {"PPC", "PPC\\"},
};

}  // namespace

const char* ArchitectureSubdirectory(const char* value) {
    if (!value || value[0] == '\0') return nullptr;
    for (const ArchitectureEntry& entry : kArchitectures) {
        // strncmp stops at a terminating zero, so a shorter value only
        // matches a table value of the same length.
        if (std::strncmp(value, entry.value, kComparedBytes) == 0) return entry.subdirectory;
    }
    return nullptr;
}
