// The safe rewrite of files that other software owns: replacement through a
// temporary file and a free numbered backup name, the in-place key update
// with its copy-back, the shared open that waits for another program's hold,
// and the verbatim line copy. The CRT's shared open, permission change,
// rename and length setting do the file work; DeleteFileA deletes.
#include "autoexec/safe_rewrite.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/timeb.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "autoexec/key_rewrite.h"
#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "ui/messages.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"

namespace {

const int kCtrlZ = 26;
const int kLineFeed = '\n';

// Room for an in-place path of kInPlacePathLimit characters and its
// temporary name (".TMP" may be appended).
const int kInPlaceNameSize = kInPlacePathLimit + 5;

const long long kShareWaitMs = 5000;
// Pause between two attempts to open a file another program holds, so the
// wait does not spin the processor.
const DWORD kShareRetryPauseMs = 20;

const int kCopyBlockSize = 512;
// CopyLine writes a line whole when it fits.
const int kCopyPieceSize = 512;
const int kNewFilePermission = _S_IREAD | _S_IWRITE;

// The next byte of `file`; the program's one thread needs no stream lock.
int NextByte(FILE* file) { return _getc_nolock(file); }

// ---------------------------------------------------------------------------
// Replacement through a temporary file

// Closes both files of a replacement; 1 when a read or write failed on
// either, including the last buffered bytes that only the close writes.
int CloseRewriteFiles(FILE* input, FILE* output) {
    win::File in(input);
    win::File out(output);
    int failed = 0;
    if (out.IsOpen() && std::fflush(out) != 0) failed = 1;
    if (in.IsOpen() && std::ferror(in)) failed = 1;
    if (out.IsOpen() && std::ferror(out)) failed = 1;
    if (out.Close() != 0) failed = 1;
    return failed;
}

int FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The first free backup name (number 1 to 999); 0 when all are taken.
int FindFreeBackupName(char (&backup)[kPathFieldSize], const char* path) {
    for (int number = kFirstBackupNumber; number <= kLastBackupNumber; ++number) {
        if (!BackupName(backup, path, number)) return 0;
        if (!FileExists(backup)) return 1;
    }
    return 0;
}

// Parks the old file under `backup`, moves the temporary file into its place
// and deletes the parked copy. On failure the old file is back in place.
// The outcome goes to the action log under `logKeyword`.
int SwapInTemporaryFile(const char* path, const char* temporary, const char* backup, const char* logKeyword) {
    _chmod(path, _S_IREAD | _S_IWRITE);
    if (std::rename(path, backup) != 0) {
        LogAction(logKeyword, "%s not rewritten: it could not be renamed to %s", path, backup);
        ShowError(IDS_RENAME_ERROR, path, backup);
        DeleteFileA(temporary);
        return 0;
    }
    if (std::rename(temporary, path) != 0) {
        LogAction(logKeyword, "%s not rewritten: %s could not take its place", path, temporary);
        ShowError(IDS_RENAME_ERROR, temporary, path);
        std::rename(backup, path);
        DeleteFileA(temporary);
        return 0;
    }
    DeleteFileA(backup);
    LogAction(logKeyword, "%s rewritten through %s; the old file, parked as %s meanwhile, deleted", path, temporary,
              backup);
    return 1;
}

// ---------------------------------------------------------------------------
// Shared open

struct ShareMode {
    int openFlags;
    int sharing;
    const char* streamMode;  // for _fdopen, without "b"/"t"
};

// Access and sharing from the first of r, w, a, c in `mode` and a "+"
// behind it; 0 for any other mode.
int ChooseShareMode(const char* mode, ShareMode* share) {
    const char* letter = std::strpbrk(mode, "rwac");
    if (!letter) return 0;
    int update = letter[1] == '+';
    int readWrite = update ? _O_RDWR : _O_WRONLY;
    switch (*letter) {
    case 'r':
        *share = update ? ShareMode{_O_RDWR, _SH_DENYRW, "r+"} : ShareMode{_O_RDONLY, _SH_DENYNO, "r"};
        break;
    case 'w':
        *share = {readWrite | _O_CREAT | _O_TRUNC, _SH_DENYRW, update ? "w+" : "w"};
        break;
    case 'a':
        *share = {readWrite | _O_CREAT | _O_APPEND, _SH_DENYWR, update ? "a+" : "a"};
        break;
    default:  // 'c'
        *share = {readWrite | _O_CREAT | _O_EXCL, _SH_DENYRW, update ? "w+" : "w"};
        break;
    }
    if (std::strchr(mode, 'b')) share->openFlags |= _O_BINARY;
    if (std::strchr(mode, 't')) share->openFlags |= _O_TEXT;
    return 1;
}

// One attempt; on failure errno and _doserrno tell why.
FILE* OpenSharedOnce(const char* path, const ShareMode& share, const char* streamMode) {
    int descriptor = _sopen(path, share.openFlags, share.sharing, kNewFilePermission);
    if (descriptor == -1) return nullptr;
    FILE* file = _fdopen(descriptor, streamMode);
    if (!file) _close(descriptor);
    return file;
}

// 1 when the last open failed only because another program holds the file.
int HeldByAnotherProgram() {
    return errno == EACCES && (_doserrno == ERROR_SHARING_VIOLATION || _doserrno == ERROR_LOCK_VIOLATION);
}

long long NowMs() {
    struct __timeb64 now;
    _ftime64(&now);
    return static_cast<long long>(now.time) * 1000 + now.millitm;
}

// ---------------------------------------------------------------------------
// Copy-back

long FileLength(FILE* file) { return _filelength(_fileno(file)); }

int SetFileLength(FILE* file, long length) { return _chsize(_fileno(file), length) == 0; }

// Flushes both files and proves the source readable; the lengths come back.
int PrepareCopyBack(FILE* source, FILE* destination, long* sourceLength, long* destinationLength) {
    if (std::fflush(source) != 0 || std::fflush(destination) != 0) return 0;
    if (std::fseek(source, 0, SEEK_SET) != 0) return 0;
    *sourceLength = FileLength(source);
    *destinationLength = FileLength(destination);
    if (*sourceLength < 0 || *destinationLength < 0) return 0;
    return *sourceLength == 0 || std::fgetc(source) != EOF;
}

// Copies the source in blocks, yielding after each; returns the bytes written.
long CopyBlocks(FILE* source, FILE* destination) {
    char block[kCopyBlockSize];
    long written = 0;
    while (!std::feof(source) && !std::ferror(source) && !std::ferror(destination)) {
        std::size_t count = std::fread(block, 1, sizeof block, source);
        written += static_cast<long>(std::fwrite(block, 1, count, destination));
        YieldWhenTicked(0);
    }
    return written;
}

}  // namespace

int OpenForRewrite(FILE** input, FILE** output, const char* directory, const char* fileName) {
    *input = nullptr;
    *output = nullptr;
    char path[kPathFieldSize];
    char temporary[kPathFieldSize];
    int pathFits = RewritePath(path, directory, fileName);
    win::File in(pathFits ? std::fopen(path, "rb") : nullptr);
    if (!in.IsOpen()) {
        ShowError(IDS_READ_FILE_FAILED, path);
        return 0;
    }
    // A file that is itself *.TMP would be its own temporary file.
    int temporaryFits = ReplacementTempName(temporary, path) && !text::EqualNoCase(temporary, path);
    win::File out(temporaryFits ? std::fopen(temporary, "wb") : nullptr);
    if (!out.IsOpen()) {
        ShowError(IDS_CREATE_FILE_FAILED, temporary);
        return 0;
    }
    *input = in.Release();
    *output = out.Release();
    return 1;
}

void CopyLine(FILE* input, long position, FILE* output) {
    if (position >= 0) std::fseek(input, position, SEEK_SET);
    // The line is gathered and written whole, as WriteLineBytes writes it
    // (Ctrl-Z dropped, the LF ensured); only a line longer than the buffer
    // goes out in pieces.
    char piece[kCopyPieceSize];
    long length = 0;
    int c;
    while ((c = NextByte(input)) != EOF) {
        if (c == kCtrlZ) continue;
        if (length == kCopyPieceSize) {
            std::fwrite(piece, 1, static_cast<std::size_t>(length), output);
            length = 0;
        }
        piece[length++] = static_cast<char>(c);
        if (c == kLineFeed) break;
    }
    WriteLineBytes(output, piece, length);
}

int CommitRewrite(FILE* input, FILE* output, const char* directory, const char* fileName, int discard,
                  const char* logKeyword) {
    int writeFailed = CloseRewriteFiles(input, output);
    char path[kPathFieldSize];
    char temporary[kPathFieldSize];
    char backup[kPathFieldSize];
    if (!RewritePath(path, directory, fileName) || !ReplacementTempName(temporary, path)) {
        // OpenForRewrite refused such a path: there is no temporary file.
        if (!discard) ShowError(IDS_MODIFY_FILE_ERROR, fileName);
        return discard;
    }
    if (writeFailed || discard) {
        if (!discard) {
            LogAction(logKeyword, "%s not rewritten: reading it or writing %s failed", path, temporary);
            ShowError(IDS_MODIFY_FILE_ERROR, fileName);
        }
        DeleteFileA(temporary);
        return discard;
    }
    if (!FindFreeBackupName(backup, path)) {
        LogAction(logKeyword, "%s not rewritten: every backup name from .001 to .999 is taken", path);
        ShowError(IDS_TOO_MANY_BACKUPS, fileName);
        DeleteFileA(temporary);
        return 0;
    }
    return SwapInTemporaryFile(path, temporary, backup, logKeyword);
}

FILE* OpenShared(const char* path, const char* mode) {
    ShareMode share;
    if (!ChooseShareMode(mode, &share)) return nullptr;
    char streamMode[4];
    text::Copy(streamMode, share.streamMode);
    if (share.openFlags & _O_BINARY) text::Append(streamMode, "b");
    if (share.openFlags & _O_TEXT) text::Append(streamMode, "t");

    long long start = NowMs();
    for (;;) {
        FILE* file = OpenSharedOnce(path, share, streamMode);
        if (file || !HeldByAnotherProgram()) return file;
        long long elapsed = NowMs() - start;
        if (elapsed < 0 || elapsed >= kShareWaitMs) return nullptr;
        YieldToWindows(0);
        Sleep(kShareRetryPauseMs);
    }
}

int CopyBack(FILE* source, FILE* destination) {
    long sourceLength = 0;
    long destinationLength = 0;
    if (!PrepareCopyBack(source, destination, &sourceLength, &destinationLength)) return kCopyBackFailed;

    std::fseek(destination, 0, SEEK_SET);
    if (!SetFileLength(destination, sourceLength)) {
        if (errno == ENOSPC && sourceLength > destinationLength) SetFileLength(destination, destinationLength);
        return kCopyBackFailed;
    }
    std::fseek(source, 0, SEEK_SET);
    std::fseek(destination, 0, SEEK_SET);
    long written = CopyBlocks(source, destination);
    std::fflush(destination);
    int result = (std::ferror(source) || std::ferror(destination)) ? kCopyBackFailed : 0;
    if (written < sourceLength) {
        SetFileLength(destination, written);
        std::fseek(destination, 0, SEEK_SET);
    }
    return result;
}

int SetKeyInSection(const char* path, const char* section, const char* key, const char* value) {
    char temporary[kInPlaceNameSize];
    if (static_cast<int>(std::strlen(path)) > kInPlacePathLimit) return 0;
    if (!InPlaceTempName(temporary, path)) return 0;

    win::File file(OpenShared(path, "r+b"));
    if (!file.IsOpen()) return 0;
    win::File copy(OpenShared(temporary, "w+b"));
    if (!copy.IsOpen()) return 0;

    int result = CopyWithKeySet(file, copy, section, key, value, YieldWhenTicked) && !std::ferror(file) &&
                 !std::ferror(copy);
    if (result) {
        result = CopyBack(copy, file) != kCopyBackFailed && !std::ferror(file) && !std::ferror(copy);
    }
    copy.Close();
    DeleteFileA(temporary);
    return result;
}
