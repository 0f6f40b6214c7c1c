// The text rules of the load= line: which bytes go when the client leaves
// the line, and how its program is added again. Pure text: no windows.h.
#include "desktop/load_line.h"

#include <cstring>

#include "common/bounded_text.h"
#include "config/load_list.h"

namespace {

const char kSeparator = ',';
const char kClientProgramFormat[] = "%sTELMORA.EXE";

// Removes list[start..end) and moves the rest of the text up.
void CutOut(char* list, std::size_t start, std::size_t end) {
    std::memmove(list + start, list + end, std::strlen(list + end) + 1);
}

}  // namespace

void RemoveClientElements(char* list) {
    if (!list) return;
    // Each pass removes at least the element's first byte, so the loop ends.
    for (const char* found = FindClientInLoadList(list); found; found = FindClientInLoadList(list)) {
        std::size_t start = static_cast<std::size_t>(found - list);
        const char* comma = std::strchr(found, kSeparator);
        std::size_t end = comma ? static_cast<std::size_t>(comma - list) + 1 : std::strlen(list);
        CutOut(list, start, end);
    }
    std::size_t length = std::strlen(list);
    if (length > 0 && list[length - 1] == kSeparator) list[length - 1] = '\0';
}

void AppendClientProgram(char* list, std::size_t size, const char* clientDirectory) {
    if (!list || size == 0) return;
    char program[kLoadLineSize];
    text::Format(program, kClientProgramFormat, clientDirectory ? clientDirectory : "");

    std::size_t used = std::strlen(list);
    if (used > 0 && used + 1 < size) {
        list[used++] = kSeparator;
        list[used] = '\0';
    }
    if (used < size) text::CopyInto(list + used, size - used, program);
}
