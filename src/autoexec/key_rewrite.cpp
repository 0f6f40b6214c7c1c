// The copy of a TELMORA.INI-style file with one key of one section set: the
// line logic of the in-place key update. Lines it writes are the reader's
// normalised lines ending in CR LF. Pure C runtime: no windows.h.
#include "autoexec/key_rewrite.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/config_lines.h"

namespace {

const char kLineEnd[] = "\r\n";
const char kBlank[] = " ";

// 1 when the first strlen(prefix) characters of `line` equal `prefix` (any case).
int BeginsWithNoCase(const char* line, const char* prefix) {
    for (; *prefix; ++line, ++prefix) {
        if (*line == '\0' || text::UpperChar(*line) != text::UpperChar(*prefix)) return 0;
    }
    return 1;
}

struct KeyCopy {
    FILE* output;
    const char* section;
    const char* key;
    const char* value;
    int inSection;
    int found;
    int keyWritten;
    int lastWrittenEmpty;
};

void WriteLine(KeyCopy* copy, const char* line) {
    std::fputs(line, copy->output);
    std::fputs(kLineEnd, copy->output);
    copy->lastWrittenEmpty = line[0] == '\0';
}

void WriteKeyOnce(KeyCopy* copy) {
    if (copy->keyWritten) return;
    WriteKeyLine(copy->output, copy->key, copy->value);
    copy->keyWritten = 1;
    copy->lastWrittenEmpty = 0;
}

// A section line: it closes the target section (with its key and one empty
// line) or opens it.
void HandleSectionLine(KeyCopy* copy, const char* line) {
    if (copy->inSection) {
        WriteKeyOnce(copy);
        WriteLine(copy, "");
        copy->inSection = 0;
    } else if (!copy->found && BeginsWithNoCase(line, copy->section)) {
        copy->found = 1;
        copy->inSection = 1;
    }
    WriteLine(copy, line);
}

void HandleLine(KeyCopy* copy, const char* line) {
    if (IsSectionLine(line)) {
        HandleSectionLine(copy, line);
        return;
    }
    if (copy->inSection && line[0] == '\0') return;
    if (copy->inSection && IsSettingLine(line) && BeginsWithNoCase(line, copy->key)) {
        WriteKeyOnce(copy);  // a repeated key line goes
        return;
    }
    WriteLine(copy, line);
}

}  // namespace

void WriteKeyLine(FILE* output, const char* key, const char* value) {
    std::fprintf(output, "%s%s%s%s", key, text::IsEmpty(value) ? "" : kBlank, value ? value : "", kLineEnd);
}

int CopyWithKeySet(FILE* input, FILE* output, const char* section, const char* key,
                   const char* value, int (*yield)(int)) {
    KeyCopy copy = {output, section, key, value, 0, 0, 0, 1};
    char line[kKeyRewriteLineSize];
    while (ReadConfigLine(input, line, sizeof line, nullptr)) {
        HandleLine(&copy, line);
        if (yield) yield(0);
    }
    if (!copy.found) {
        if (!copy.lastWrittenEmpty) WriteLine(&copy, "");
        WriteLine(&copy, section);
    }
    WriteKeyOnce(&copy);
    return !std::ferror(input) && !std::ferror(output);
}
