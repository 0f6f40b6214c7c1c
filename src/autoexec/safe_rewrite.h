// The two safe ways of changing a text file that other software owns
// (TELMORA.INI, AUTOEXEC.BAT), and the verbatim line copy both editors use.
//
// Replacement: OpenForRewrite opens the old file and creates its temporary
// file beside it (X.INI -> X.TMP); the caller copies and edits the lines into
// the temporary file; CommitRewrite parks the old file under the first free
// numbered name (X.001 .. X.999), moves the temporary file into its place and
// deletes the parked copy. Whatever fails, the old file survives intact.
//
// In-place update: SetKeyInSection writes a copy with one key set into a
// temporary file (X.TMP, or X.TM2 for X.TMP) and copies it back over the old
// file's own contents, so the file's directory entry stays the one that was
// there. The file is opened with exclusive sharing, retrying for 5 seconds
// while another program holds it; the window keeps repainting meanwhile.
#pragma once

#include <cstdio>

#include "autoexec/rewrite_names.h"

// CopyBack's failure result.
constexpr int kCopyBackFailed = -4084;

// Paths for the in-place update hold at most 264 characters.
constexpr int kInPlacePathLimit = 264;

// Opens `directory` + `fileName` ("." appended when it has no extension) for
// reading and creates its replacement temporary file for writing, both
// untranslated ("rb", "wb"). Returns 1 with both files handed to the caller,
// who must pass them to CommitRewrite; 0 after error box IDS_READ_FILE_FAILED
// (old file not readable) or IDS_CREATE_FILE_FAILED (temporary file not
// creatable), with nothing left open.
int OpenForRewrite(FILE** input, FILE** output, const char* directory, const char* fileName);

// What CommitRewrite does with the temporary file.
enum : int {
    kCommitReplacement = 0,   // it takes the old file's place
    kDiscardReplacement = 1,  // it is deleted, the old file stays untouched
};

// Takes over and closes both files. Unless `discard` is kDiscardReplacement
// or either file has its error indicator set, puts the temporary file in the
// old file's place and returns 1. With kDiscardReplacement the temporary file
// is deleted silently and `discard` is returned. A write error gives box
// IDS_MODIFY_FILE_ERROR, no free backup number IDS_TOO_MANY_BACKUPS, a
// failed rename IDS_RENAME_ERROR; each returns 0 with the old file unchanged
// and the temporary file deleted. The replacement, with the backup name it
// used, or its failure goes to the action log under `logKeyword` (kLogIni,
// kLogAutoexec); a discarded one is the caller's to log.
int CommitRewrite(FILE* input, FILE* output, const char* directory, const char* fileName,
                  int discard, const char* logKeyword);

// Copies one line of `input` (from `position` when it is not negative, else
// from where the file stands) to `output` byte for byte, up to and including
// its LF; Ctrl-Z (26) is dropped, and a last line without LF gains one.
void CopyLine(FILE* input, long position, FILE* output);

// Sets `key` (with its colon, "ServerArea:") in `section` ("[SERVER]") of the
// file at `path` to `value`, rewriting the file in place: every line ends in
// CR LF without trailing blanks, empty lines inside the section are dropped,
// a missing section is appended. Shows no messages. Returns 1 or 0; on 0 the
// file keeps its old contents unless the copy-back itself failed part-way.
int SetKeyInSection(const char* path, const char* section, const char* key, const char* value);

// Opens `path` like fopen, with the sharing that `mode` implies:
//   r   existing, read                   others may read and write
//   r+  existing, read and write         others may do neither
//   w/w+ created or emptied              others may do neither
//   a/a+ created if missing, appending   others may read only
//   c/c+ created, failing if it exists   others may do neither
// "t" or "b" pick text mode or untranslated bytes; a new file is readable and
// writable. While another program holds the file, yields to the window and
// retries for up to 5 seconds. Returns null on failure or for any other mode.
FILE* OpenShared(const char* path, const char* mode);

// Replaces the contents of `destination` by those of `source` (both opened
// for reading and writing, untranslated). Returns 0 or kCopyBackFailed; when
// the disk is full before the copy starts, the destination keeps its length.
int CopyBack(FILE* source, FILE* destination);
