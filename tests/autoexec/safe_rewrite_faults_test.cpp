// Every failure point of the safe rewrite, in one table, each met through the
// entry the program uses: WriteConfigFile and EditAutoexec replace TELMORA.INI
// and AUTOEXEC.BAT through a temporary file and a numbered backup, and
// UpdateServerSection sets the [SERVER] keys of TELMORA.INI in place. Each row
// makes one fault happen, shows what the user is told, and checks that the old
// file keeps its bytes and that no temporary (or parked) file is left behind.
//
// The faults are real where Wine can make them: a file held open by a second
// handle, a directory where the temporary file should go, 999 real backup
// files, a full 64 KiB drive. An import is faked only for what Wine cannot do
// on demand, and the row says what the fake stands in for.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/timeb.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "autoexec/autoexec_editor.h"
#include "autoexec/autoexec_lines.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "files/directories.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

const char kErrorCaption[] = "Error!";
const char kInstallTitle[] = "Telmora installation";
const char kAutoexecQuestion[] = "AUTOEXEC.BAT needs to be edited";
const char kAutoexecDirectoryQuestion[] = "Where is AUTOEXEC.BAT?";
const char kMsvcrt[] = "msvcrt.dll";

// The old files. Both hold lines the program does not own, with the bytes
// that a careless copy would change (trailing blanks, a tab, Ctrl-Z, LF-only
// ends, no LF on the last line), and more than the runtime's 4 KiB buffer, so
// a full disk is met while the copy is written, not only when it is closed.
std::string OldConfigFile() {
    return "; Telmora client configuration  \r\n[TELMORA]\r\nType: Init\r\n\r\n"
           "[WORKSTATION]\r\nUserArea: Y:\\OLD\\USERS\\%NAME%\r\nSystemArea: Y:\\OLD\\SYSTEM\r\n"
           "RequestArea: Y:\\OLD\\REQUEST\r\nPrivate:\tkept \x1a here\n\r\n"
           "[SERVER]\r\nServerArea: Y:\\OLD\\SERVER\r\nSystemArea: Y:\\OLD\\SYSTEM\r\n\r\n[NOTES]\r\n" +
           std::string(6000, ';') + "\r\nlast line";
}

// The last line, without its LF, fills the copy's 512-byte pieces exactly.
const std::string kLongLastLine = "last line " + std::string(1014, '_');

std::string OldAutoexec() {
    return "@ECHO OFF\r\nPROMPT $P$G  \r\nSET QVTLINIT=C:\\OLD\r\nSET\tTEMP=C:\\TEMP\n" + std::string(6000, ':') +
           "\r\nREM \x1a end\r\n" + kLongLastLine;
}

// The fault-free edit: the QVTLINIT line replaced, every other line byte for
// byte but for its Ctrl-Z, and an LF for the last line.
std::string NewAutoexec() {
    return "@ECHO OFF\r\nPROMPT $P$G  \r\nSET QVTLINIT=C:\\TELMORA\r\nSET\tTEMP=C:\\TEMP\n" +
           std::string(6000, ':') + "\r\nREM  end\r\n" + kLongLastLine + "\n";
}

// What the other rewrites write in the fault-free case, to prove that a
// row's fault, not a lack of anything to do, kept the old file.
const char kNewUserLine[] = "UserArea: Z:\\NEW\\USERS\\%NAME%\r\n";
const char kNewServerLine[] = "ServerArea: Z:\\NEW\\SERVER\r\n";

enum class Rewrite {
    kConfigFile,     // WriteConfigFile over an existing TELMORA.INI
    kAutoexec,       // EditAutoexec replacing the QVTLINIT line
    kServerSection,  // UpdateServerSection: four in-place key updates
};

enum class Fault {
    kNone,
    kOldFileLocked,        // held by another handle that shares nothing: not readable
    kTemporaryDirectory,   // a directory has the temporary file's name
    kWriteError,           // fake: a device error on write
    kFirstReadError,       // fake: a device error on the first read of the old file
    kFullDisk,             // a full 64 KiB drive (fake when none can be mounted)
    kBackupsTaken,         // X.001 to X.999 all exist
    kOldFileOpen,          // held by another handle: it cannot be renamed
    kSecondRenameFails,    // fake: the temporary file cannot take the old name
    kLockedFiveSeconds,    // held exclusively for the whole wait (fast clock)
};

struct Row {
    const char* name;
    Rewrite rewrite;
    Fault fault;
    // The error box, with {path}, {temp}, {backup} and {name} filled in;
    // null: none. The in-place update shows nothing.
    const char* box;
};

const Row kRows[] = {
    {"TELMORA.INI: no fault", Rewrite::kConfigFile, Fault::kNone, nullptr},
    {"TELMORA.INI: not readable", Rewrite::kConfigFile, Fault::kOldFileLocked, "Unable to read file '{path}'"},
    {"TELMORA.INI: temporary file not creatable", Rewrite::kConfigFile, Fault::kTemporaryDirectory,
     "Unable to create file {temp}"},
    {"TELMORA.INI: write error", Rewrite::kConfigFile, Fault::kWriteError, "File error modifying file '{name}'"},
    {"TELMORA.INI: full disk", Rewrite::kConfigFile, Fault::kFullDisk, "File error modifying file '{name}'"},
    {"TELMORA.INI: 999 backups taken", Rewrite::kConfigFile, Fault::kBackupsTaken,
     "Too many backup files exist for file {name}"},
    {"TELMORA.INI: first rename fails", Rewrite::kConfigFile, Fault::kOldFileOpen,
     "Error renaming '{path}' to '{backup}'"},
    {"TELMORA.INI: second rename fails", Rewrite::kConfigFile, Fault::kSecondRenameFails,
     "Error renaming '{temp}' to '{path}'"},

    {"AUTOEXEC.BAT: no fault", Rewrite::kAutoexec, Fault::kNone, nullptr},
    {"AUTOEXEC.BAT: not readable", Rewrite::kAutoexec, Fault::kOldFileLocked, "Unable to read file '{path}'"},
    {"AUTOEXEC.BAT: temporary file not creatable", Rewrite::kAutoexec, Fault::kTemporaryDirectory,
     "Unable to create file {temp}"},
    {"AUTOEXEC.BAT: write error", Rewrite::kAutoexec, Fault::kWriteError, "File error modifying file '{name}'"},
    // The editor reads the old file twice; an error in the first pass still
    // counts when the second pass has read the file without one.
    {"AUTOEXEC.BAT: read error in the first pass", Rewrite::kAutoexec, Fault::kFirstReadError,
     "File error modifying file '{name}'"},
    {"AUTOEXEC.BAT: full disk", Rewrite::kAutoexec, Fault::kFullDisk, "File error modifying file '{name}'"},
    {"AUTOEXEC.BAT: 999 backups taken", Rewrite::kAutoexec, Fault::kBackupsTaken,
     "Too many backup files exist for file {name}"},
    {"AUTOEXEC.BAT: first rename fails", Rewrite::kAutoexec, Fault::kOldFileOpen,
     "Error renaming '{path}' to '{backup}'"},
    {"AUTOEXEC.BAT: second rename fails", Rewrite::kAutoexec, Fault::kSecondRenameFails,
     "Error renaming '{temp}' to '{path}'"},

    // The in-place update interrupted before its copy-back: silent, and the
    // file keeps its old contents.
    {"[SERVER] in place: no fault", Rewrite::kServerSection, Fault::kNone, nullptr},
    {"[SERVER] in place: held by another program", Rewrite::kServerSection, Fault::kLockedFiveSeconds, nullptr},
    {"[SERVER] in place: temporary file not creatable", Rewrite::kServerSection, Fault::kTemporaryDirectory,
     nullptr},
    {"[SERVER] in place: write error in the copy", Rewrite::kServerSection, Fault::kWriteError, nullptr},
    {"[SERVER] in place: full disk in the copy", Rewrite::kServerSection, Fault::kFullDisk, nullptr},
};

// ---------------------------------------------------------------------------
// Faked imports

// A write that fails as a failing device makes it fail: nothing written, the
// stream's error indicator set, errno telling why. Wine's local disks never
// give EIO, and a full disk only where a small drive can be mounted. The
// test's own output streams keep working.
struct FailingWrites {
    static inline int s_errno = EIO;
    static inline void* s_fwrite = nullptr;
    static inline void* s_fputs = nullptr;

    static bool IsTestOutput(FILE* stream) { return stream == stdout || stream == stderr; }
    static void Fail(FILE* stream) {
        stream->_flag |= _IOERR;
        errno = s_errno;
    }
    static size_t __cdecl Fwrite(const void* data, size_t size, size_t count, FILE* stream) {
        if (IsTestOutput(stream)) {
            return reinterpret_cast<size_t(__cdecl*)(const void*, size_t, size_t, FILE*)>(s_fwrite)(data, size, count,
                                                                                                   stream);
        }
        Fail(stream);
        return 0;
    }
    static int __cdecl Fputs(const char* text, FILE* stream) {
        if (IsTestOutput(stream)) return reinterpret_cast<int(__cdecl*)(const char*, FILE*)>(s_fputs)(text, stream);
        Fail(stream);
        return EOF;
    }

    explicit FailingWrites(int error)
        : fwrite_(kMsvcrt, "fwrite", reinterpret_cast<void*>(&Fwrite)),
          fputs_(kMsvcrt, "fputs", reinterpret_cast<void*>(&Fputs)) {
        s_errno = error;
        s_fwrite = fwrite_.Original();
        s_fputs = fputs_.Original();
    }

    tst::ImportHook fwrite_;
    tst::ImportHook fputs_;
};

// The first read of the scope fails as a failing device makes it fail:
// nothing read, the stream's error indicator set. Later reads work again.
struct FailingFirstRead {
    static inline bool s_failed = false;
    static inline void* s_filbuf = nullptr;

    static int __cdecl Filbuf(FILE* stream) {
        if (!s_failed) {
            s_failed = true;
            stream->_flag |= _IOERR;
            errno = EIO;
            return EOF;
        }
        return reinterpret_cast<int(__cdecl*)(FILE*)>(s_filbuf)(stream);
    }

    FailingFirstRead() : hook_(kMsvcrt, "_filbuf", reinterpret_cast<void*>(&Filbuf)) {
        s_failed = false;
        s_filbuf = hook_.Original();
    }

    tst::ImportHook hook_;
};

// The second rename of a commit (the temporary file to the old name) fails
// as Wine's rename fails when another program has just opened the fresh
// temporary file. A real holder would also keep the program's DeleteFileA
// from removing the temporary file, so only the rename is faked.
struct FailingSecondRename {
    static inline int s_calls = 0;
    static inline void* s_rename = nullptr;

    static int __cdecl Rename(const char* from, const char* to) {
        if (++s_calls == 2) {
            errno = EACCES;
            return -1;
        }
        return reinterpret_cast<int(__cdecl*)(const char*, const char*)>(s_rename)(from, to);
    }

    FailingSecondRename() : hook_(kMsvcrt, "rename", reinterpret_cast<void*>(&Rename)) {
        s_calls = 0;
        s_rename = hook_.Original();
    }

    tst::ImportHook hook_;
};

// The runtime's clock (by which the shared open times its 5-second wait) runs
// a second ahead on every reading, so that the real hold is waited out at
// once: four key updates would otherwise take 20 seconds.
struct FastClock {
    static inline long long s_aheadMs = 0;
    static inline void* s_ftime = nullptr;

    static void __cdecl Ftime(struct __timeb64* now) {
        reinterpret_cast<void(__cdecl*)(struct __timeb64*)>(s_ftime)(now);
        s_aheadMs += 1000;
        long long ms = static_cast<long long>(now->time) * 1000 + now->millitm + s_aheadMs;
        now->time = ms / 1000;
        now->millitm = static_cast<unsigned short>(ms % 1000);
    }

    FastClock() : hook_(kMsvcrt, "_ftime64", reinterpret_cast<void*>(&Ftime)) {
        s_aheadMs = 0;
        s_ftime = hook_.Original();
    }

    tst::ImportHook hook_;
};

// ---------------------------------------------------------------------------
// A full disk: a 64 KiB tmpfs mounted on the Linux side and mapped as E:.

// Wine's own call into the Unix side. On 32-bit x86 it pops its arguments
// itself (stdcall); called as cdecl, the stack is off after it returns.
using UnixSpawn = LONG(WINAPI*)(char* const argv[], int wait);

bool RunUnixShell(const char* script) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto spawn = reinterpret_cast<UnixSpawn>(
        reinterpret_cast<void*>(ntdll ? GetProcAddress(ntdll, "__wine_unix_spawnvp") : nullptr));
    if (!spawn) return false;
    char shell[] = "/bin/sh", option[] = "-c";
    std::string command = script;
    char* argv[] = {shell, option, &command[0], nullptr};
    return spawn(argv, 1) == 0;
}

class FullDrive {
public:
    static constexpr ULONGLONG kBytes = 64 * 1024;

    FullDrive() {
        mounted_ = RunUnixShell(
            "d=\"$WINEPREFIX/faults-e\" && mkdir -p \"$d\" && mount -t tmpfs -o size=64k tmpfs \"$d\" && "
            "ln -sfn \"$d\" \"$WINEPREFIX/dosdevices/e:\"");
        ULARGE_INTEGER total = {};
        usable_ = mounted_ && GetDiskFreeSpaceExA("E:\\", nullptr, &total, nullptr) && total.QuadPart <= kBytes;
    }
    ~FullDrive() {
        if (!mounted_) return;
        RunUnixShell(
            "d=\"$WINEPREFIX/faults-e\"; rm -f \"$WINEPREFIX/dosdevices/e:\"; umount \"$d\" 2>/dev/null || "
            "umount -l \"$d\"; rmdir \"$d\"");
    }
    FullDrive(const FullDrive&) = delete;
    FullDrive& operator=(const FullDrive&) = delete;

    bool Usable() const { return usable_; }

    // Takes every byte left; the filler stays until the drive goes.
    static void Fill() {
        FILE* filler = std::fopen("E:\\FILLER", "wb");
        std::string block(1024, 'F');
        while (filler && std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
        }
        if (filler) std::fclose(filler);
    }

private:
    bool mounted_ = false;
    bool usable_ = false;
};

// ---------------------------------------------------------------------------
// One row

std::string Replace(std::string text, const std::string& name, const std::string& value) {
    std::string::size_type at = text.find(name);
    if (at != std::string::npos) text.replace(at, name.size(), value);
    return text;
}

// The file a row rewrites and the names formed from it.
struct Target {
    std::string directory;  // ends in a backslash
    std::string name;       // TELMORA.INI or AUTOEXEC.BAT
    std::string stem;       // the name without its extension

    std::string Path() const { return directory + name; }
    std::string Temporary() const { return directory + stem + ".TMP"; }
    std::string Backup(int number) const {
        char extension[8];
        std::snprintf(extension, sizeof extension, ".%03d", number);
        return directory + stem + extension;
    }
    std::string Box(const char* text) const {
        std::string box = Replace(Replace(text, "{path}", Path()), "{temp}", Temporary());
        return Replace(Replace(box, "{backup}", Backup(1)), "{name}", name);
    }
};

// Makes a row's fault happen for the scope; the real ones are undone at its
// end, so that the old file can be read and the directory removed.
class FaultScope {
public:
    FaultScope(Fault fault, const Target& target) : fault_(fault), target_(target) {
        switch (fault) {
        case Fault::kOldFileLocked:
        case Fault::kLockedFiveSeconds:
            holder_ = _sopen(target.Path().c_str(), _O_RDWR | _O_BINARY, _SH_DENYRW);
            EXPECT_NE(holder_, -1) << "cannot hold " << target.Path();
            if (fault == Fault::kLockedFiveSeconds) clock_ = std::make_unique<FastClock>();
            break;
        case Fault::kOldFileOpen:
            holder_ = _sopen(target.Path().c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO);
            EXPECT_NE(holder_, -1) << "cannot open " << target.Path();
            break;
        case Fault::kTemporaryDirectory:
            EXPECT_TRUE(CreateDirectoryA(target.Temporary().c_str(), nullptr));
            break;
        case Fault::kWriteError:
            writes_ = std::make_unique<FailingWrites>(EIO);
            break;
        case Fault::kFirstReadError:
            read_ = std::make_unique<FailingFirstRead>();
            break;
        case Fault::kFullDisk:
            // On the mounted drive the disk is full for real; without one, a
            // write fails as Wine's fwrite fails there: ENOSPC, error set.
            if (target.directory == "E:\\") {
                FullDrive::Fill();
            } else {
                writes_ = std::make_unique<FailingWrites>(ENOSPC);
            }
            break;
        case Fault::kBackupsTaken:
            for (int n = 1; n <= 999; ++n) EXPECT_TRUE(tst::WriteFile(target.Backup(n), ""));
            break;
        case Fault::kSecondRenameFails:
            rename_ = std::make_unique<FailingSecondRename>();
            break;
        case Fault::kNone:
            break;
        }
    }
    ~FaultScope() { Undo(); }

    // Ends the fault: holders closed, fakes removed, the directory gone.
    void Undo() {
        if (holder_ != -1) _close(holder_);
        holder_ = -1;
        writes_.reset();
        read_.reset();
        rename_.reset();
        clock_.reset();
        if (fault_ == Fault::kTemporaryDirectory) RemoveDirectoryA(target_.Temporary().c_str());
    }

private:
    Fault fault_;
    Target target_;
    int holder_ = -1;
    std::unique_ptr<FailingWrites> writes_;
    std::unique_ptr<FailingFirstRead> read_;
    std::unique_ptr<FailingSecondRename> rename_;
    std::unique_ptr<FastClock> clock_;
};

ClientSettings NewSettings() {
    ClientSettings settings = {};
    std::strcpy(settings.userArea, "Z:\\NEW\\USERS\\%NAME%\\");
    std::strcpy(settings.systemArea, "Z:\\NEW\\SYSTEM\\");
    std::strcpy(settings.requestArea, "Z:\\NEW\\REQUEST\\");
    std::strcpy(settings.logArea, "C:\\");
    std::strcpy(settings.programDir, "Z:\\NEW\\SYSTEM\\");
    std::strcpy(settings.accept, "*.DOC");
    std::strcpy(settings.redirect, "LPT1");
    std::strcpy(settings.language, "ENG");
    settings.timeout = 60;
    settings.statusTimer = 10;
    settings.network = 6;
    return settings;
}

void PrepareRun(const Target& target) {
    tst::FreshRunState();
    lstrcpynA(g_setup.autoexecDirectory, target.directory.c_str(), kPathFieldSize);
    lstrcpynA(g_setup.configDirectory, "C:\\TELMORA\\", kPathFieldSize);
    lstrcpynA(g_directories.windows, "C:\\WINDOWS\\", kPathFieldSize);
}

// The questions the row's rewrite asks before it touches the file: the
// AUTOEXEC.BAT edit asks whether to edit and where the file is.
void ExpectQuestions(const Row& row, tst::DialogDriver& driver) {
    if (row.rewrite != Rewrite::kAutoexec) return;
    driver.Expect(tst::DialogExpect(kInstallTitle, {kAutoexecQuestion}).Default(IDC_ANSWER_YES).Press(IDC_ANSWER_YES));
    driver.Expect(tst::DialogExpect(kInstallTitle, {kAutoexecDirectoryQuestion}).Press(IDOK));
}

// Runs the row's rewrite the way the program does; its result, or -1 for the
// in-place update, which has none.
int RunRewrite(const Row& row, const Target& target) {
    ClientSettings settings = NewSettings();
    switch (row.rewrite) {
    case Rewrite::kConfigFile:
        return WriteConfigFile(target.directory.c_str(), &settings, 0);
    case Rewrite::kAutoexec: {
        // AUTOEXEC.BAT is edited on Windows 95 only; Wine reports NT.
        tst::FakeWindowsVersion windows95(tst::kWindows95);
        return EditAutoexec(kRequestQvtlinit, "C:\\TELMORA\\", nullptr);
    }
    case Rewrite::kServerSection:
        g_setup.updateServerSection = 1;
        UpdateServerSection(target.directory.c_str(), &settings);
        return -1;
    }
    return -1;
}

// The new content the row's rewrite puts in the file when nothing fails.
bool HoldsNewContent(const Row& row, const std::string& bytes) {
    switch (row.rewrite) {
    case Rewrite::kConfigFile:
        // The section rebuilt; the lines around it copied byte for byte.
        return bytes.find(kNewUserLine) != std::string::npos &&
               bytes.rfind("; Telmora client configuration  \r\n", 0) == 0 &&
               bytes.find("Private:\tkept  here\n") != std::string::npos &&
               bytes.find(std::string(6000, ';') + "\r\nlast line\n") != std::string::npos;
    case Rewrite::kAutoexec:
        return bytes == NewAutoexec();
    case Rewrite::kServerSection:
        return bytes.find(kNewServerLine) != std::string::npos;
    }
    return false;
}

Target TargetFor(const Row& row, const std::string& directory) {
    if (row.rewrite == Rewrite::kAutoexec) return {directory, "AUTOEXEC.BAT", "AUTOEXEC"};
    return {directory, "TELMORA.INI", "TELMORA"};
}

void RunRow(const Row& row, const std::string& directory) {
    Target target = TargetFor(row, directory);
    const std::string before = row.rewrite == Rewrite::kAutoexec ? OldAutoexec() : OldConfigFile();
    ASSERT_TRUE(tst::WriteFile(target.Path(), before));
    PrepareRun(target);

    int result;
    {
        tst::DialogDriver driver;
        FaultScope fault(row.fault, target);
        ExpectQuestions(row, driver);
        if (row.box) {
            driver.Expect(tst::MessageBoxExpect(kErrorCaption, target.Box(row.box).c_str(), {IDOK}).Press(IDOK));
        }
        DWORD start = GetTickCount();
        result = RunRewrite(row, target);
        EXPECT_LT(GetTickCount() - start, 4000u) << "no row waits for real";
        fault.Undo();
        EXPECT_TRUE(driver.AllMet());
    }

    bool failed = row.fault != Fault::kNone;
    if (row.rewrite != Rewrite::kServerSection) {
        EXPECT_EQ(result, failed ? 0 : 1);
    }
    std::string after = tst::ReadFile(target.Path());
    if (failed) {
        EXPECT_TRUE(after == before) << "the old file lost its bytes:\n" << after.substr(0, 400);
        if (row.rewrite == Rewrite::kAutoexec) {
            EXPECT_EQ(g_setup.rebootNeeded, 0);
        }
    } else {
        EXPECT_TRUE(HoldsNewContent(row, after)) << after.substr(0, 400);
    }
    EXPECT_FALSE(tst::FileExists(target.Temporary())) << "temporary file left";
    if (row.fault != Fault::kBackupsTaken) {
        EXPECT_FALSE(tst::FileExists(target.Backup(1))) << "parked old file left";
    }
}

TEST(SafeRewriteFaults, EveryFailurePointKeepsTheOldFile) {
    FullDrive drive;
    std::printf("[ note     ] full disk: %s\n",
                drive.Usable() ? "a real 64 KiB drive E:" : "no drive could be mounted, a failing fwrite stands in");
    for (const Row& row : kRows) {
        bool onDrive = row.fault == Fault::kFullDisk && drive.Usable();
        SCOPED_TRACE(std::string(row.name) +
                     (row.fault == Fault::kFullDisk && !onDrive
                          ? " (no 64 KiB drive could be mounted: a failing fwrite stands in for the full disk)"
                          : ""));
        if (onDrive) {
            DeleteFileA("E:\\FILLER");
            RunRow(row, "E:\\");
            DeleteFileA("E:\\FILLER");
            DeleteFileA(TargetFor(row, "E:\\").Path().c_str());
        } else {
            tst::TempDirectory directory;
            RunRow(row, directory.Path());
        }
    }
}

}  // namespace
