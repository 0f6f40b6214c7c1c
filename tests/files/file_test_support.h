// What the file installation tests share: a PC of scratch directories (the
// share with its I386\ subdirectory, the Windows, SYSTEM and 16-bit system
// directories, a program directory), file contents and times, the libraries
// with version resources, and a second process that holds a library loaded
// or shows a window of a given class.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/setup_context.h"
#include "support/dialog_driver.h"
#include "support/process_driver.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace files_test {

extern const char kInstallationTitle[];  // the question dialogs' title
extern const char kErrorCaption[];
extern const char kWarningCaption[];
extern const char kIgnoreSuffix[];  // " - Ignore error and continue?"

// The run record and the directory buffers set to scratch directories for
// each test, on an x86 PC, and put back afterwards.
class ScratchPc : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The scratch PC's directories, each ending in a backslash.
    std::string Share() const { return root_.Path() + "SHARE\\"; }
    std::string ShareI386() const { return Share() + "I386\\"; }
    std::string Windows() const { return root_.Path() + "WIN\\"; }
    std::string System() const { return root_.Path() + "SYS32\\"; }
    std::string System16() const { return root_.Path() + "SYS\\"; }
    std::string Programs() const { return root_.Path() + "PROG\\"; }
    const tst::TempDirectory& Root() const { return root_; }

private:
    tst::TempDirectory root_;
    SetupContext savedSetup_;
    char savedDirectories_[3][kPathFieldSize];
    tst::X86Processor x86_;
};

// Sets PROCESSOR_ARCHITECTURE; null removes it.
void SetArchitecture(const char* value);

// Writes `content` into `path` and sets its last write time (UTC).
void PutFile(const std::string& path, const std::string& content, int year = 2001, int month = 1, int day = 1,
             int hour = 12, int minute = 0, int second = 0);
void SetWriteTime(const std::string& path, int year, int month, int day, int hour, int minute, int second);
std::string Content(const std::string& path);  // "<missing>" when it cannot be read

std::string WithoutBackslash(const std::string& directory);

// The copy engine's boxes: "Cannot copy file: <source>" (OK), and the
// questions whether to ignore a failed copy, answered with `answer`.
tst::Expectation CannotCopyBox(const std::string& source);
tst::Expectation IgnoreQuestion(const std::string& text, int answer);
std::string CopyQuestion(const std::string& source, const std::string& target);     // 3346
std::string DllCopyQuestion(const std::string& source, const std::string& target);  // 3471

// The replace question's size and time line for `path`, as the user sees it.
std::string DetailsLine(const std::string& path);

// The path of a library built with a version resource: "VERSION6.DLL"
// ("6.00"), "VERSION10.DLL" ("10.00"), "VERSION_LONG.DLL".
std::string VersionLibrary(const char* name);

// The German client language library the fixtures build.
std::string GermanLanguageLibrary();

// Starts a second process that loads `library` (when not empty) and shows a
// hidden top-level window of `windowClass`; true once the window is there.
bool StartHolder(tst::ChildProcess& child, const char* windowClass, const std::string& library);

}  // namespace files_test
