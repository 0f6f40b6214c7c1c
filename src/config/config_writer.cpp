// Writing TELMORA.INI: a new file, or the one workstation section rebuilt
// through the safe rewrite while every line the program does not own is
// copied byte for byte; [SERVER-WKN] (and on request [WORKSTATION-1]) go.
// Afterwards the [SERVER] areas are brought up to date when the reader found
// them in step with this workstation.
#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>

#include "autoexec/safe_rewrite.h"
#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "config/config_file.h"
#include "config/config_values.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

namespace {

const char kServerSection[] = "[SERVER]";
const char kWorkstationSection[] = "[WORKSTATION]";
const char kSecondWorkstationSection[] = "[WORKSTATION-1]";
const char kFileHeader[] = "[TELMORA]\r\nType: Init\r\nRevision: A\r\n";
const char kLineEnd[] = "\r\n";

const int kLineSize = 201;  // 200 significant characters
const int kFileExists = 0;

// A new section at the end of what was written: an empty line, the header.
void WriteNewSection(FILE* output, const char* section) {
    std::fputs(kLineEnd, output);
    std::fputs(section, output);
    std::fputs(kLineEnd, output);
}

// The key of a setting line: the text before its first ':' or '='.
void SettingKeyOf(const char* line, char (&key)[kLineSize]) {
    text::CopyPrefix(key, line, std::strcspn(line, ":="));
}

// The old file of a rewrite, read line by line. Where each line starts is
// counted from the bytes read rather than asked of the file, and the line's
// bytes are kept for its verbatim copy, so a copied line costs no seek.
struct InputLines {
    FILE* file;
    long position;          // where the next line starts
    long start;             // where the current line starts
    long count;             // bytes the current line took from the file
    char text[kLineSize];   // the current line, normalised
    char bytes[kLineSize];  // its first bytes as read
};

void StartInputLines(InputLines& input, FILE* file) {
    input.file = file;
    input.position = std::ftell(file);
    input.start = input.position;
    input.count = 0;
}

int ReadInputLine(InputLines& input) {
    input.start = input.position;
    input.count = ReadConfigLineBytes(input.file, input.text, kLineSize, input.bytes);
    input.position += input.count;
    return input.count > 0;
}

// Copies the current line byte for byte; a line longer than its kept bytes
// is read again from the file.
void CopyInputLine(const InputLines& input, FILE* output) {
    if (input.count <= kLineSize) {
        WriteLineBytes(output, input.bytes, input.count);
    } else {
        CopyLine(input.file, input.start, output);
    }
}

// Goes back to the start of the current line: the next read returns it again.
void UnreadInputLine(InputLines& input) {
    std::fseek(input.file, input.start, SEEK_SET);
    input.position = input.start;
}

// Rebuilds the target section's lines behind its header: settings are
// written in place of their old lines, empty lines dropped, other lines
// copied. The input is left at the next section's header, or at its end.
void RebuildSection(InputLines& input, FILE* output, const ClientSettings* settings) {
    while (ReadInputLine(input)) {
        if (IsSectionLine(input.text)) {
            UnreadInputLine(input);
            return;
        }
        if (input.text[0] == '\0') continue;
        char key[kLineSize];
        SettingKeyOf(input.text, key);
        if (!WriteSettingLine(output, key, settings)) CopyInputLine(input, output);
    }
}

// Copies the input's lines under the dropping rules until the section
// `target` (null: none) has been rebuilt or the input ends. Returns 1 when
// the target section was met.
int CopyLines(InputLines& input, FILE* output, const char* target, const ClientSettings* settings,
              int dropSecondSection) {
    int dropping = 0;
    while (ReadInputLine(input)) {
        if (IsDroppedLine(input.text, dropSecondSection, &dropping)) continue;
        if (target && text::StartsWithNoCase(input.text, target)) {
            std::fputs(target, output);
            std::fputs(kLineEnd, output);
            WriteSettingLine(nullptr, nullptr, settings);
            RebuildSection(input, output, settings);
            return 1;
        }
        CopyInputLine(input, output);
    }
    return 0;
}

int IsAtEnd(FILE* input) {
    int c = std::getc(input);
    if (c == EOF) return 1;
    std::ungetc(c, input);
    return 0;
}

// The sections after the target, copied under the dropping rules behind one
// empty line.
void CopyRemainingSections(InputLines& input, FILE* output, int dropSecondSection) {
    if (IsAtEnd(input.file)) return;
    std::fputs(kLineEnd, output);
    CopyLines(input, output, nullptr, nullptr, dropSecondSection);
}

// Writes the target section into the replacement of an existing file and
// commits it. Takes over both files.
int RewriteConfigFile(FILE* input, FILE* output, const char* directory, const char* target,
                      const ClientSettings* settings, int dropSecondSection) {
    InputLines lines;
    StartInputLines(lines, input);
    if (!CopyLines(lines, output, target, settings, dropSecondSection)) WriteNewSection(output, target);
    WriteSettingLine(output, nullptr, settings);
    CopyRemainingSections(lines, output, dropSecondSection);
    return CommitRewrite(input, output, directory, kConfigFileName, kCommitReplacement, kLogIni);
}

// Writes a new file holding the file header and the target section.
// Takes over the file. A failed write deletes the file.
int WriteNewConfigFile(FILE* output, const char* path, const char* target, const ClientSettings* settings) {
    win::File file(output);
    std::fputs(kFileHeader, file);
    ShowProgress(IDS_CREATED_FILE, path);
    WriteNewSection(file, target);
    WriteSettingLine(file, nullptr, settings);

    int written = std::fflush(file) == 0 && !std::ferror(file);
    if (file.Close() != 0) written = 0;
    LogAction(kLogIni, written ? "%s created with %s" : "%s could not be written: deleted again", path, target);
    if (written) return 1;
    ShowError(IDS_WRITE_FILE_ERROR, path);
    DeleteFileA(path);
    return 0;
}

// One key of [SERVER], its value a directory without its trailing backslash.
void SetServerKey(const char* path, const char* key, const char* directory) {
    char value[kAreaSize];
    text::Copy(value, directory);
    RemoveTrailingBackslash(value);
    int set = SetKeyInSection(path, kServerSection, key, value);
    LogAction(kLogIni, set ? "%s %s %s %s: set in place" : "%s %s %s %s: could not be set", path, kServerSection, key,
              value);
}

}  // namespace

int WriteConfigFile(const char* directory, const ClientSettings* settings, int dropSecondSection) {
    WriteSettingLine(nullptr, nullptr, settings);
    const char* target = settings->multiWorkstation ? kSecondWorkstationSection : kWorkstationSection;
    char path[kPathFieldSize];
    FormConfigPath(path, directory);

    int result = 0;
    if (_access(path, kFileExists) == 0) {
        FILE* input = nullptr;
        FILE* output = nullptr;
        if (!OpenForRewrite(&input, &output, directory, kConfigFileName)) return 0;
        result = RewriteConfigFile(input, output, directory, target, settings, dropSecondSection);
    } else {
        FILE* output = std::fopen(path, "wb");
        if (!output) {
            LogAction(kLogIni, "%s could not be created", path);
            ShowError(IDS_CREATE_FILE_FAILED, path);
            return 0;
        }
        result = WriteNewConfigFile(output, path, target, settings);
    }
    UpdateServerSection(directory, settings);
    return result;
}

void UpdateServerSection(const char* directory, const ClientSettings* settings) {
    if (!g_setup.updateServerSection) return;
    char path[kPathFieldSize];
    FormConfigPath(path, directory);

    char area[kAreaSize];
    ExpectedServerArea(settings->systemArea, area, kAreaSize);
    SetServerKey(path, "ServerArea:", area);
    SetServerKey(path, "SystemArea:", settings->systemArea);
    AllUserAreaOf(settings->userArea, area, kAreaSize);
    SetServerKey(path, "AllUserArea:", area);
    SetServerKey(path, "RequestArea:", settings->requestArea);
}
