// What the file and printer tests share: a scratch PC in a fresh run on an x86 processor (the share with its
// I386\ subdirectory, the Windows, SYSTEM, 16-bit system and program directories), files with their contents
// and times, a file held open, and the copy engine's boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/windows_directories.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"
#include "ui/resource_ids.h"

namespace ft {

const char kMissing[] = "<missing>";

// Writes `content` into `path`, last written at noon on 1 January of `year` (UTC).
inline void PutFile(const std::string& path, const std::string& content, int year = 2001) {
    ASSERT_TRUE(tst::WriteFile(path, content)) << path;
    SYSTEMTIME time = {static_cast<WORD>(year), 1, 0, 1, 12, 0, 0, 0};
    FILETIME written;
    SystemTimeToFileTime(&time, &written);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &written) && CloseHandle(file)) << path;
}

inline std::string Content(const std::string& path) {
    bool ok = false;
    std::string content = tst::ReadFile(path, &ok);
    return ok ? content : kMissing;
}

// The bytes of a library whose version text is "6.00" (the demo share's SNBD6W9S.DLL) or "10.00"
// (tests/files/data); none for "".
inline std::string Library(const std::string& version) {
    if (version.empty()) return "";
    if (version == "6.00") return tst::ReadFile("F:\\SYSTEM\\I386\\SNBD6W9S.DLL");
    return tst::ReadFile(tst::UnixToWinePath(TELMORA_BUILD_DIR "/tests/files/data/VERSION10.DLL"));
}

// A file kept open without sharing: it can be neither replaced nor deleted.
struct HeldFile {
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { CloseHandle(handle); }
    HANDLE handle;
};

inline tst::Expectation ErrorBox(const std::string& text) {
    return tst::MessageBoxExpect("Error!", text.c_str(), {IDOK}).Press(IDOK);
}

// AskIgnoreError's question about `text`, answered `answer`.
inline tst::Expectation Question(const std::string& text, int answer) {
    return tst::MessageBoxExpect("Error!", (text + " - Ignore error and continue?").c_str(), {IDYES, IDNO})
        .Default(IDNO).Press(answer);
}

inline std::string CopyFailed(const std::string& source, const std::string& target, bool dll = false) {
    if (!dll) return "Unable to copy file " + source + "\nto file " + target + "\n\n";
    return "Unable to copy DLL file " + source + "\nto " + target +
           "\n\nPossibly it is in use by another application. Close down other applications and try again.\n\n";
}

// The replace question about `target`, Yes proposed, answered `answer`; its lines of size and local time as
// the user sees them.
inline tst::Expectation ReplaceQuestion(const std::string& source, const std::string& target, int answer) {
    auto details = [](const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        FILETIME local;
        SYSTEMTIME t;
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &t);
        char line[96];
        std::snprintf(line, sizeof line, "%lu bytes %02u/%02u/%u %02u:%02u:%02u", data.nFileSizeLow, t.wDay,
                      t.wMonth, t.wYear, t.wHour, t.wMinute, t.wSecond);
        return std::string(line);
    };
    return tst::DialogExpect("Telmora installation",
                             {"Replace file " + target, details(target), "", "with file " + source + "?", details(source)})
        .Default(IDC_ANSWER_YES)
        .Press(answer);
}

// The scratch PC, its directories in the run's buffers.
class ScratchPc : public testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        text::Copy(g_setup.setupDirectory, Share().c_str());
        text::Copy(g_directories.windows, Windows().c_str());
        text::Copy(g_directories.system, System().c_str());
        text::Copy(g_directories.system16, System16().c_str());
        for (const std::string& directory : {Share(), I386(), Windows(), System(), System16(), Programs()}) {
            ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr)) << directory;
        }
    }
    void TearDown() override { tst::FreshRunState(); }

    std::string Share() const { return root_.File("SHARE\\"); }
    std::string I386() const { return Share() + "I386\\"; }
    std::string Windows() const { return root_.File("WIN\\"); }
    std::string System() const { return root_.File("SYS32\\"); }
    std::string System16() const { return root_.File("SYS\\"); }
    std::string Programs() const { return root_.File("PROG\\"); }

    tst::TempDirectory root_;
    tst::X86Processor x86_;
    tst::DialogDriver noBoxExpected_;  // outside a test's own driver a box fails the test and is closed
};

}  // namespace ft
