// Every failure point of the safe rewrite in one table, met through the entry
// the program uses (WriteConfigFile, EditAutoexec: a temporary file and a
// numbered backup, or a new file; SetKeyInSection: a [SERVER] key in place).
// Each row makes one fault happen and checks the box, the result, the old
// file's bytes (a failed new file is gone), no temporary or parked file left,
// other numbered files kept. The faults are real but where a row names a fake.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/timeb.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "autoexec/autoexec_editor.h"
#include "autoexec/safe_rewrite.h"
#include "common/setup_context.h"
#include "config/config_file.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

// The old files hold what a careless copy would change (trailing blanks, a tab,
// NUL, a lone CR, Ctrl-Z, LF-only ends, lines longer than the 200 characters
// read, no LF on the last line) and more than the runtime's 4 KiB buffer, so a
// full disk is met while the copy is written. Behind the 6000 bytes the last
// line of AUTOEXEC.BAT (without its LF) fills the copy's 512-byte pieces.
const std::string kLong(300, 'L'), kFill(6000, ';'), kLast = "last " + std::string(1019, '_');
const std::string kOldConfig = "; Telmora  \r\n[TELMORA]\r\n\r\n[WORKSTATION]\r\nUserArea: Y:\\OLD\r\nPrivate:\tkept \x1a here\n"
                               "Long: " + kLong + "\r\n\r\n[SERVER]\r\nServerArea: Y:\\OLD\r\n\r\n[NOTES]\r\n" +
                               std::string("N\0UL\rCR\r\n", 10) + kFill + "\r\nlast line";
const std::string kOldAutoexec = "@ECHO OFF\r\nPROMPT $P$G  \r\nSET QVTLINIT=C:\\OLD\r\nSET\tTEMP=C:\\T\n" + kFill +
                                 "\r\nREM \x1a end\r\n" + kLast;
const std::string kNewAutoexec = "@ECHO OFF\r\nPROMPT $P$G  \r\nSET QVTLINIT=C:\\TELMORA\r\nSET\tTEMP=C:\\T\n" + kFill +
                                 "\r\nREM  end\r\n" + kLast + "\n";

enum class Rewrite { kConfigFile, kNewConfigFile, kAutoexec, kSameAutoexec, kNewAutoexec, kServerKey };

// kReadOnly is no fault (AUTOEXEC.BAT often is read-only); FaultScope says how each other one is made.
enum class Fault { kNone, kReadOnly, kLocked, kNoDirectory, kTemporaryDirectory, kFullDisk, kBackupsTaken, kOpen,
                   kSecondRename, kHeldFiveSeconds, kHeldBriefly };

struct Row {
    const char* name;
    Rewrite rewrite;
    Fault fault;
    const char* box;  // the error box, {path}, {temp}, {backup} and {name} filled in; null: none
    int result;
};

const char kNotRead[] = "Unable to read file '{path}'", kNoTemporary[] = "Unable to create file {temp}",
           kModifyError[] = "File error modifying file '{name}'", kWriteFailed[] = "Error writing to file {path}",
           kTooMany[] = "Too many backup files exist for file {name}",
           kFirstRename[] = "Error renaming '{path}' to '{backup}'", kSecondRename[] = "Error renaming '{temp}' to '{path}'";

const Row kRows[] = {
    {"TELMORA.INI: no fault", Rewrite::kConfigFile, Fault::kNone, nullptr, 1},
    {"TELMORA.INI: not readable", Rewrite::kConfigFile, Fault::kLocked, kNotRead, 0},
    {"TELMORA.INI: temporary file not creatable", Rewrite::kConfigFile, Fault::kTemporaryDirectory, kNoTemporary, 0},
    {"TELMORA.INI: full disk", Rewrite::kConfigFile, Fault::kFullDisk, kModifyError, 0},
    {"TELMORA.INI: 999 backups taken", Rewrite::kConfigFile, Fault::kBackupsTaken, kTooMany, 0},
    {"TELMORA.INI: first rename fails", Rewrite::kConfigFile, Fault::kOpen, kFirstRename, 0},
    {"TELMORA.INI: second rename fails", Rewrite::kConfigFile, Fault::kSecondRename, kSecondRename, 0},
    {"new TELMORA.INI: no fault", Rewrite::kNewConfigFile, Fault::kNone, nullptr, 1},
    {"new TELMORA.INI: not creatable", Rewrite::kNewConfigFile, Fault::kNoDirectory, "Unable to create file {path}", 0},
    {"new TELMORA.INI: full disk", Rewrite::kNewConfigFile, Fault::kFullDisk, kWriteFailed, 0},
    {"AUTOEXEC.BAT: read-only, no fault", Rewrite::kAutoexec, Fault::kReadOnly, nullptr, 1},
    {"AUTOEXEC.BAT: not readable", Rewrite::kAutoexec, Fault::kLocked, kNotRead, 0},
    {"AUTOEXEC.BAT: temporary file not creatable", Rewrite::kAutoexec, Fault::kTemporaryDirectory, kNoTemporary, 0},
    {"AUTOEXEC.BAT: full disk", Rewrite::kAutoexec, Fault::kFullDisk, kModifyError, 0},
    {"AUTOEXEC.BAT unchanged: a discarded copy's write error is silent", Rewrite::kSameAutoexec, Fault::kFullDisk,
     nullptr, 1},
    {"new AUTOEXEC.BAT: no fault", Rewrite::kNewAutoexec, Fault::kNone, nullptr, 1},
    {"new AUTOEXEC.BAT: full disk", Rewrite::kNewAutoexec, Fault::kFullDisk, kWriteFailed, 0},
    // The in-place update is silent; stopped before its copy-back, the file keeps its contents.
    {"[SERVER] in place: no fault", Rewrite::kServerKey, Fault::kNone, nullptr, 1},
    {"[SERVER] in place: let go while the update waits", Rewrite::kServerKey, Fault::kHeldBriefly, nullptr, 1},
    {"[SERVER] in place: held for the whole 5 seconds", Rewrite::kServerKey, Fault::kHeldFiveSeconds, nullptr, 0},
    {"[SERVER] in place: temporary file not creatable", Rewrite::kServerKey, Fault::kTemporaryDirectory, nullptr, 0},
    {"[SERVER] in place: full disk in the copy", Rewrite::kServerKey, Fault::kFullDisk, nullptr, 0},
};

// The second rename of a commit (the temporary file to the old name) fails as
// Wine's rename fails when another program has just opened the fresh
// temporary file; a real holder would also keep DeleteFileA from removing it.
struct FailingSecondRename {
    static inline FailingSecondRename* s_active = nullptr;
    static int __cdecl Rename(const char* from, const char* to) {
        using Real = int(__cdecl*)(const char*, const char*);
        if (++s_active->calls != 2) return reinterpret_cast<Real>(s_active->hook.Original())(from, to);
        errno = EACCES;
        return -1;
    }
    FailingSecondRename() { s_active = this; }
    int calls = 0;
    tst::ImportHook hook{"msvcrt.dll", "rename", reinterpret_cast<void*>(&Rename)};
};

// The runtime's clock, by which the shared open times its wait, moves one
// second per open attempt, so the 5 seconds pass at once; the other program,
// holding `holder`, lets go just before the attempt `release`.
struct FakeClock {
    static inline FakeClock* s_active = nullptr;
    static void __cdecl Ftime(struct __timeb64* now) {
        *now = {};
        now->time = 1000000 + s_active->attempts;
    }
    static int __cdecl Sopen(const char* path, int flags, int sharing, int permission) {
        if (++s_active->attempts == s_active->release) s_active->Release();
        using Real = int(__cdecl*)(const char*, int, int, int);
        return reinterpret_cast<Real>(s_active->sopen.Original())(path, flags, sharing, permission);
    }
    FakeClock(int holder, int release) : holder(holder), release(release) { s_active = this; }
    ~FakeClock() { Release(); }
    void Release() {
        if (holder != -1) _close(holder);
        holder = -1;
    }
    int holder, release, attempts = 0;
    tst::ImportHook ftime{"msvcrt.dll", "_ftime64", reinterpret_cast<void*>(&Ftime)};
    tst::ImportHook sopen{"msvcrt.dll", "_sopen", reinterpret_cast<void*>(&Sopen)};
};

// Runs a shell command on the Linux side through Wine's own call, which on
// A 64 KiB tmpfs mounted on the Linux side, as drive E:.
struct FullDrive {
    FullDrive() {
        mounted = tst::RunUnixShell("d=\"$WINEPREFIX/faults-e\"; mkdir -p \"$d\" && mount -t tmpfs -o size=64k tmpfs \"$d\""
                               " && ln -sfn \"$d\" \"$WINEPREFIX/dosdevices/e:\"");
        ULARGE_INTEGER total = {};
        usable = mounted && GetDiskFreeSpaceExA("E:\\", nullptr, &total, nullptr) && total.QuadPart <= 64 * 1024;
    }
    ~FullDrive() {
        if (mounted) tst::RunUnixShell("d=\"$WINEPREFIX/faults-e\"; rm \"$WINEPREFIX/dosdevices/e:\"; umount -l \"$d\"; rmdir \"$d\"");
    }
    static void Fill() {  // takes every byte left
        FILE* filler = std::fopen("E:\\FILLER", "wb");
        const std::string block(1024, 'F');
        while (filler && std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
        }
        if (filler) std::fclose(filler);
    }
    bool mounted = false, usable = false;
};

bool IsAutoexec(Rewrite r) { return r >= Rewrite::kAutoexec && r <= Rewrite::kNewAutoexec; }
bool IsNewFile(Rewrite r) { return r == Rewrite::kNewConfigFile || r == Rewrite::kNewAutoexec; }

std::string Replace(std::string text, const std::string& name, const std::string& value) {
    return text.find(name) == std::string::npos ? text : text.replace(text.find(name), name.size(), value);
}

// The file a row writes and the names formed from it.
struct Target {
    std::string directory, name, stem;  // C:\TSTxxxxx\, TELMORA.INI, TELMORA
    std::string Path() const { return directory + name; }
    std::string Temporary() const { return directory + stem + ".TMP"; }
    std::string Backup(int number) const { return directory + stem + "." + std::to_string(1000 + number).substr(1); }
    // Backups 1 and 2 are somebody else's: the old file is parked as number 3.
    std::string Box(const char* text) const {
        std::string box = Replace(Replace(text, "{path}", Path()), "{temp}", Temporary());
        return Replace(Replace(box, "{backup}", Backup(3)), "{name}", name);
    }
};

// Makes a row's fault happen for its scope: the file held by a handle that shares nothing (not readable) or
// that shares all (not renamable), a directory in the temporary file's place, X.003 to X.999 taken, a full
// 64 KiB drive, a faked rename or clock.
struct FaultScope {
    FaultScope(Fault fault, const Target& target) : fault(fault), target(target) {
        const std::string path = target.Path();
        switch (fault) {
        case Fault::kReadOnly: EXPECT_EQ(0, _chmod(path.c_str(), _S_IREAD)); break;
        case Fault::kLocked: holder = _sopen(path.c_str(), _O_RDWR | _O_BINARY, _SH_DENYRW); break;
        case Fault::kOpen: holder = _sopen(path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO); break;
        case Fault::kHeldBriefly:
        case Fault::kHeldFiveSeconds:  // the open gives up when its fifth attempt finds 5 seconds gone
            clock = std::make_unique<FakeClock>(_sopen(path.c_str(), _O_RDWR | _O_BINARY, _SH_DENYRW),
                                                fault == Fault::kHeldBriefly ? 2 : 6);
            break;
        case Fault::kTemporaryDirectory: EXPECT_TRUE(CreateDirectoryA(target.Temporary().c_str(), nullptr)); break;
        case Fault::kSecondRename: rename = std::make_unique<FailingSecondRename>(); break;
        case Fault::kBackupsTaken: for (int n = 3; n <= 999; ++n) EXPECT_TRUE(tst::WriteFile(target.Backup(n), "")); break;
        case Fault::kFullDisk: FullDrive::Fill(); break;
        default: break;  // kNone, and kNoDirectory made by the row's directory
        }
    }
    ~FaultScope() {
        if (holder != -1) _close(holder);
        if (fault == Fault::kTemporaryDirectory) RemoveDirectoryA(target.Temporary().c_str());
        if (fault == Fault::kReadOnly) _chmod(target.Path().c_str(), _S_IREAD | _S_IWRITE);
    }
    Fault fault;
    Target target;
    int holder = -1;
    std::unique_ptr<FailingSecondRename> rename;
    std::unique_ptr<FakeClock> clock;
};

// Runs the row's rewrite the way the program does; its result.
int RunRewrite(const Row& row, const Target& target, tst::DialogDriver& driver) {
    tst::FreshRunState();
    lstrcpynA(g_setup.autoexecDirectory, target.directory.c_str(), kPathFieldSize);
    ClientSettings settings = {};
    std::strcpy(settings.userArea, "Z:\\NEW\\");
    if (IsAutoexec(row.rewrite)) {  // edited on Windows 95 only (Wine reports NT), after two questions
        driver.Expect(tst::DialogExpect("Telmora installation", {"AUTOEXEC.BAT needs to be edited"}).Press(IDC_ANSWER_YES));
        driver.Expect(tst::DialogExpect("Telmora installation", {"Where is AUTOEXEC.BAT?"}).Press(IDOK));
    }
    if (row.box) driver.Expect(tst::MessageBoxExpect("Error!", target.Box(row.box).c_str(), {IDOK}).Press(IDOK));
    if (row.rewrite == Rewrite::kServerKey) return SetKeyInSection(target.Path().c_str(), "[SERVER]", "ServerArea:", "Z:\\");
    if (!IsAutoexec(row.rewrite)) return WriteConfigFile(target.directory.c_str(), &settings, 0);
    tst::FakeWindowsVersion windows95(tst::kWindows95);
    int result = EditAutoexec(kRequestQvtlinit, "C:\\TELMORA\\", nullptr);
    EXPECT_EQ(row.result && row.rewrite != Rewrite::kSameAutoexec ? 1 : 0, g_setup.rebootNeeded);
    return result;
}

// What the row's rewrite puts in the file when nothing fails: for TELMORA.INI
// the section rebuilt and the lines around it byte for byte.
bool HoldsNewContent(const Row& row, const std::string& bytes) {
    switch (row.rewrite) {
    case Rewrite::kConfigFile:
        return bytes.rfind("; Telmora  \r\n[TELMORA]\r\n\r\n[WORKSTATION]\r\nUserArea: Z:\\NEW\r\n", 0) == 0 &&
               bytes.find("Private:\tkept  here\nLong: " + kLong + "\r\n") != std::string::npos &&
               bytes.find(std::string("N\0UL\rCR\r\n", 10) + kFill + "\r\nlast line\n") != std::string::npos;
    case Rewrite::kNewConfigFile: return bytes.rfind("[TELMORA]\r\nType: Init\r\nRevision: A\r\n\r\n[WORKSTATION]\r\n", 0) == 0;
    case Rewrite::kAutoexec:
    case Rewrite::kSameAutoexec: return bytes == kNewAutoexec;
    case Rewrite::kNewAutoexec: return bytes == "SET QVTLINIT=C:\\TELMORA\r\n";
    case Rewrite::kServerKey: return bytes.find("[SERVER]\r\nServerArea: Z:\\\r\n\r\n[NOTES]") != std::string::npos;
    }
    return false;
}

void RunRow(const Row& row, const std::string& directory) {
    const std::string where = directory + (row.fault == Fault::kNoDirectory ? "MISSING\\" : "");
    const Target target = IsAutoexec(row.rewrite) ? Target{where, "AUTOEXEC.BAT", "AUTOEXEC"}
                                                  : Target{where, "TELMORA.INI", "TELMORA"};
    const bool isNew = IsNewFile(row.rewrite);
    const std::string before = isNew ? ""
                               : row.rewrite == Rewrite::kSameAutoexec ? kNewAutoexec
                               : IsAutoexec(row.rewrite) ? kOldAutoexec : kOldConfig;
    for (int n = 1; n <= 2 && !isNew; ++n) EXPECT_TRUE(tst::WriteFile(target.Backup(n), "other"));
    EXPECT_TRUE(isNew || tst::WriteFile(target.Path(), before));
    tst::DialogDriver driver;
    {
        FaultScope fault(row.fault, target);
        EXPECT_EQ(row.result, RunRewrite(row, target, driver));
    }
    EXPECT_TRUE(driver.AllMet());
    bool exists = false;
    const std::string after = tst::ReadFile(target.Path(), &exists);
    EXPECT_TRUE(row.result ? HoldsNewContent(row, after) : isNew ? !exists : after == before) << after.substr(0, 300);
    EXPECT_FALSE(tst::FileExists(target.Temporary())) << "temporary file left";
    EXPECT_TRUE(row.fault == Fault::kBackupsTaken || !tst::FileExists(target.Backup(3))) << "parked old file left";
    for (int n = 1; n <= 2 && !isNew; ++n) EXPECT_EQ("other", tst::ReadFile(target.Backup(n)));
}

TEST(SafeRewriteFaults, EveryFailurePointKeepsTheOldFile) {
    for (const Row& row : kRows) {
        if (row.fault == Fault::kFullDisk) continue;
        SCOPED_TRACE(row.name);
        tst::TempDirectory directory;
        RunRow(row, directory.Path());
    }
}

TEST(SafeRewriteFaults, AFullDiskKeepsTheOldFile) {
    FullDrive drive;
    if (!drive.usable) GTEST_SKIP() << "no 64 KiB drive could be mounted as E:";
    for (const Row& row : kRows) {
        if (row.fault != Fault::kFullDisk) continue;
        SCOPED_TRACE(row.name);
        RunRow(row, "E:\\");
        tst::RunUnixShell("rm -rf \"$WINEPREFIX\"/faults-e/*");
    }
}

}  // namespace
