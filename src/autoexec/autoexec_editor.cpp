// AUTOEXEC.BAT editing: decides which of the program's two lines must
// change, asks, finds the file, and writes the new content through the safe
// rewrite (or into a new file). A first pass over the old file looks for the
// QVTLINIT line, so that a missing one can become the new first line; the
// second pass replaces or drops the program's lines and copies every other
// line byte for byte. When nothing differs the temporary file is discarded
// and the old file is not touched.
#include "autoexec/autoexec_editor.h"

#include <windows.h>

#include <cstdio>

#include "autoexec/safe_rewrite.h"
#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "common/win_handles.h"
#include "common/windows_directories.h"
#include "common/windows_version.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"

namespace {

const char kAutoexecName[] = "AUTOEXEC.BAT";
const char kLineEnd[] = "\r\n";

// The yes/no question for each request, for installing and uninstalling.
struct PromptTemplates {
    int request;
    const char* install;
    const char* uninstall;
};
const PromptTemplates kPromptTemplates[] = {
    {kRequestBoth, IDD_BOOL_PROMPT_BOTH, IDD_BOOL_PROMPT_BOTH_UNINSTALL},
    {kRequestQvtlinit, IDD_BOOL_PROMPT_INIT, IDD_BOOL_PROMPT_INIT_UNINSTALL},
    {kRequestSpooler, IDD_BOOL_PROMPT_TSR, IDD_BOOL_PROMPT_TSR_UNINSTALL},
};

// One edit of AUTOEXEC.BAT, from the question to the commit.
struct AutoexecEdit {
    int request;
    const char* initDir;   // null: the QVTLINIT line goes
    const char* spoolDir;  // null: the spooler line goes
    char value[kPathFieldSize];  // QVTLINIT's new value
    FILE* input;   // the old file; null when the file is new
    FILE* output;  // the temporary or the new file
    int changed;
    int spoolerFound;
};

int Wants(const AutoexecEdit& edit, int requestBit) { return (edit.request & requestBit) != 0; }

// An unattended uninstallation neither asks nor looks anywhere but in the
// directory already known.
int IsQuietUninstall() { return g_setup.uninstallMode && g_setup.quietSwitch; }

int FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void WriteLine(FILE* output, const char* line) {
    std::fputs(line, output);
    std::fputs(kLineEnd, output);
}

// Writes a line of the program's own in place of `oldLine`; a line that
// reads the same in any case leaves the file unchanged.
void WriteOwnedLine(AutoexecEdit& edit, const char* newLine, const char* oldLine) {
    WriteLine(edit.output, newLine);
    if (text::EqualNoCase(newLine, oldLine)) return;
    edit.changed = 1;
    LogAction(kLogAutoexec, "line replaced: %s by %s", oldLine, newLine);
}

// A line of the program's own that goes.
void DropOwnedLine(AutoexecEdit& edit, const char* oldLine) {
    edit.changed = 1;
    LogAction(kLogAutoexec, "line removed: %s", oldLine);
}

// A line of the program's own that is new.
void AddOwnedLine(AutoexecEdit& edit, const char* newLine) {
    WriteLine(edit.output, newLine);
    edit.changed = 1;
    LogAction(kLogAutoexec, "line added: %s", newLine);
}

// AUTOEXEC.BAT stays as it is, for `reason`.
void LogLeftAlone(const char* reason) {
    LogAction(kLogAutoexec, "%s%s left alone: %s", g_setup.autoexecDirectory, kAutoexecName, reason);
}

// The user answered No: names the lines the user must see to.
void WarnUnedited(const AutoexecEdit& edit) {
    if (Wants(edit, kRequestQvtlinit) && edit.initDir) ShowWarning(IDS_ENSURE_QVTLINIT_LINE, edit.value);
    if (!Wants(edit, kRequestSpooler)) return;
    if (edit.spoolDir) {
        ShowWarning(IDS_ENSURE_QSPOOL_LINE, edit.spoolDir);
    } else {
        ShowWarning(IDS_ENSURE_NO_QSPOOL);
    }
}

// Finds AUTOEXEC.BAT's path: asked for, or in a quiet uninstallation the
// file that is already in the known directory. 0 on Abort or no such file.
int LocateAutoexec(char (&path)[kPathFieldSize]) {
    // The boot root (InitWindowsDirectories) until the user names another.
    char(&directory)[kPathFieldSize] = g_setup.autoexecDirectory;
    if (!IsQuietUninstall() && !AskAutoexecDirectory(directory)) return 0;
    text::Copy(path, directory);
    text::Append(path, kAutoexecName);
    if (!IsQuietUninstall() || FileExists(path)) return 1;
    LogLeftAlone("there is no such file");
    return 0;
}

int HasQvtlinitLine(FILE* input) {
    char line[kAutoexecLineSize];
    while (ReadConfigLine(input, line, kAutoexecLineSize, nullptr)) {
        if (IsQvtlinitLine(line)) return 1;
    }
    return 0;
}

// Whether a file without the QVTLINIT line gets one as its first line.
int AddsQvtlinitLine(const AutoexecEdit& edit) { return Wants(edit, kRequestQvtlinit) && edit.initDir; }

void AddQvtlinitLine(AutoexecEdit& edit) {
    if (!AddsQvtlinitLine(edit)) return;
    char line[kFormedLineSize];
    FormQvtlinitLine(line, edit.value);
    AddOwnedLine(edit, line);
}

void AppendSpoolerLine(AutoexecEdit& edit) {
    if (!Wants(edit, kRequestSpooler) || edit.spoolerFound || !edit.spoolDir) return;
    char line[kFormedLineSize];
    FormSpoolerLine(line, edit.spoolDir);
    AddOwnedLine(edit, line);
}

void ReplaceQvtlinitLine(AutoexecEdit& edit, const char* oldLine) {
    if (text::IsEmpty(edit.initDir)) {
        DropOwnedLine(edit, oldLine);
        return;
    }
    char line[kFormedLineSize];
    FormQvtlinitLine(line, edit.value);
    WriteOwnedLine(edit, line, oldLine);
}

void ReplaceSpoolerLine(AutoexecEdit& edit, const char* oldLine, const char* word) {
    edit.spoolerFound = 1;
    if (text::IsEmpty(edit.spoolDir)) {
        DropOwnedLine(edit, oldLine);
        return;
    }
    char line[kFormedLineSize];
    RebuildSpoolerLine(line, oldLine, word, edit.spoolDir);
    WriteOwnedLine(edit, line, oldLine);
}

// Replaces or drops `line` when it is one of the requested lines; 0 when
// the line belongs to somebody else.
int EditOwnedLine(AutoexecEdit& edit, const char* line) {
    if (IsQvtlinitLine(line) && Wants(edit, kRequestQvtlinit)) {
        ReplaceQvtlinitLine(edit, line);
        return 1;
    }
    const char* word = FindCommandWord(kSpoolerName, line);
    if (word && Wants(edit, kRequestSpooler)) {
        ReplaceSpoolerLine(edit, line, word);
        return 1;
    }
    return 0;
}

// Copies a line that belongs to somebody else byte for byte: from the bytes
// the reader kept, or, for a line longer than those, again from the file.
void CopyOtherLine(AutoexecEdit& edit, const char* bytes, long count, long lineStart) {
    if (count <= kAutoexecLineSize) {
        WriteLineBytes(edit.output, bytes, count);
    } else {
        CopyLine(edit.input, lineStart, edit.output);
    }
}

// The second pass, from the start of the old file. Line starts are counted
// from the bytes each line took rather than asked of the file, and a copied
// line is written from the bytes read, so a line costs no seek.
void EditLines(AutoexecEdit& edit) {
    char line[kAutoexecLineSize];
    char bytes[kAutoexecLineSize];
    long lineStart = 0;
    long count;
    while ((count = ReadConfigLineBytes(edit.input, line, kAutoexecLineSize, bytes)) > 0) {
        if (!EditOwnedLine(edit, line)) CopyOtherLine(edit, bytes, count, lineStart);
        lineStart += count;
    }
}

// Both passes over the existing file; the rewrite is committed only when
// something changed, else the old file stays exactly as it was.
int RewriteAutoexec(AutoexecEdit& edit) {
    const char* directory = g_setup.autoexecDirectory;
    if (!OpenForRewrite(&edit.input, &edit.output, directory, kAutoexecName)) return 0;
    // The first pass is only needed when its answer can add a line.
    if (AddsQvtlinitLine(edit) && !HasQvtlinitLine(edit.input)) AddQvtlinitLine(edit);
    // A seek, not a rewind: a read error of the first pass stays noted for
    // the commit, which then keeps the old file.
    std::fseek(edit.input, 0, SEEK_SET);
    EditLines(edit);
    AppendSpoolerLine(edit);
    if (!edit.changed) LogLeftAlone("its lines are already as they should be");
    return CommitRewrite(edit.input, edit.output, directory, kAutoexecName,
                         edit.changed ? kCommitReplacement : kDiscardReplacement, kLogAutoexec);
}

// A new AUTOEXEC.BAT with the requested lines; not kept when it would be
// empty.
int CreateAutoexec(AutoexecEdit& edit, const char* path) {
    win::File output(std::fopen(path, "wb"));
    if (!output.IsOpen()) {
        LogAction(kLogAutoexec, "%s could not be created", path);
        return AskIgnoreError(IDS_CREATE_FILE_FAILED, path);
    }
    edit.output = output;
    AddQvtlinitLine(edit);
    AppendSpoolerLine(edit);
    int failed = std::fflush(output) != 0 || std::ferror(output);
    if (output.Close() != 0) failed = 1;
    if (!edit.changed) {
        DeleteFileA(path);
        return 1;
    }
    if (failed) {
        LogAction(kLogAutoexec, "%s could not be written: deleted again", path);
        ShowError(IDS_WRITE_FILE_ERROR, path);
        DeleteFileA(path);
        return 0;
    }
    LogAction(kLogAutoexec, "%s created", path);
    ShowProgress(IDS_CREATED_FILE, path);
    return 1;
}

// What the file now says, for later edits of this run.
void RecordEdit(const AutoexecEdit& edit) {
    g_setup.rebootNeeded = 1;
    if (Wants(edit, kRequestQvtlinit) && edit.initDir) text::Copy(g_setup.qvtlinitValue, edit.initDir);
    if (Wants(edit, kRequestSpooler)) g_setup.tsrInStartupFile = edit.spoolDir ? 1 : 0;
}

// Windows NT does not run AUTOEXEC.BAT: 1 there, after saying so.
int LeftAloneOnNt() {
    if (!IsWindowsNT()) return 0;
    LogLeftAlone("Windows NT does not run it");
    return 1;
}

}  // namespace

int UpdateStartupFile(int useTsr, const char* programDir) {
    if (LeftAloneOnNt()) return 1;
    int request = StartupRequest(useTsr, g_setup.tsrInStartupFile, g_setup.qvtlinitValue, g_setup.configDirectory,
                                 g_directories.windows, g_setup.quietSwitch);
    if (request == 0) {
        LogLeftAlone(g_setup.quietSwitch ? "a quiet run does not edit it" : "its lines need no change");
        return 1;
    }
    return EditAutoexec(request, g_setup.configDirectory, useTsr ? programDir : nullptr) ? 1 : 0;
}

int EditAutoexec(int request, const char* initDir, const char* spoolDir) {
    if (LeftAloneOnNt()) return 1;
    AutoexecEdit edit = {};
    edit.request = request;
    edit.initDir = initDir;
    edit.spoolDir = spoolDir;
    if (initDir) QvtlinitValueOf(edit.value, sizeof edit.value, initDir);

    int answer = 1;
    if (!IsQuietUninstall() && !AskAutoexecPrompt(request, answer)) return 0;
    if (!answer) {
        LogLeftAlone("the question was answered No");
        WarnUnedited(edit);
        return 1;
    }
    char path[kPathFieldSize];
    if (!LocateAutoexec(path)) return 0;
    int result = FileExists(path) ? RewriteAutoexec(edit) : CreateAutoexec(edit, path);
    if (result && edit.changed) RecordEdit(edit);
    return result;
}

int AskAutoexecPrompt(int request, int& answer) {
    const PromptTemplates* prompt = &kPromptTemplates[0];
    for (const PromptTemplates& candidate : kPromptTemplates) {
        if (candidate.request == (request & kRequestBoth)) prompt = &candidate;
    }
    const char* name = g_setup.uninstallMode ? prompt->uninstall : prompt->install;
    return AskYesNo(name, answer, answer);
}

int AskAutoexecDirectory(char (&directory)[kPathFieldSize]) {
    const char* name = g_setup.uninstallMode ? IDD_PATH_AUTOEXEC_DIR_UNINSTALL : IDD_PATH_AUTOEXEC_DIR;
    // The answer takes 256 characters and its backslash where they fit, as
    // every path answer does, although the field holds more.
    return AskDirectory(name, directory, kProposalAsHeld, directory, kPathAnswerSize);
}
