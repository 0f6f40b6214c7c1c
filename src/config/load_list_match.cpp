// Finds the client's element in the WIN.INI load= line. An element names the
// client when TELMORA.EXE (or else TELMORA) stands in it as the start of a
// name: at the element's start or behind a character that is neither letter
// nor digit, so C:\TELMORA\OTHER.EXE names it and MYTELMORA.EXE does not.
// Pure text: no windows.h.
#include "config/load_list.h"

#include <cstring>

namespace {

const char kClientProgram[] = "TELMORA.EXE";
const char kClientName[] = "TELMORA";
const char kSeparator = ',';

int IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// 1 when the first occurrence of `name` at or after `start` lies before `end`
// and starts a name there.
int ElementNames(const char* start, const char* end, const char* name) {
    const char* found = std::strstr(start, name);
    if (!found || found >= end) return 0;
    return found == start || !IsLetterOrDigit(found[-1]);
}

}  // namespace

const char* FindClientInLoadList(const char* list) {
    if (!list) return nullptr;
    for (const char* start = list; *start;) {
        const char* end = std::strchr(start, kSeparator);
        if (!end) end = start + std::strlen(start);
        if (ElementNames(start, end, kClientProgram) || ElementNames(start, end, kClientName)) return start;
        if (*end == '\0') break;
        start = end + 1;
    }
    return nullptr;
}
