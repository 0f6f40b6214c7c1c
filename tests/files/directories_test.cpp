// The directory check against real directories in every report mode, and the
// Windows directories: as Wine gives them, and as other Windows versions give
// them (faked, since Wine always reports SYSTEM32).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "files/directories.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"

namespace {

const char kErrorCaption[] = "Error!";
const char kWarningCaption[] = "Warning!";
const char kIgnoreSuffix[] = " - Ignore error and continue?";
const char kWriteTestName[] = "TSTWRITE.TMP";

// One way of reporting, with the answer given in mode 1 and the result the
// failing check must return.
struct ReportCase {
    int mode;
    int answer;
    int result;
};

const ReportCase kReportCases[] = {
    {1, IDYES, 1}, {1, IDNO, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}, {0, 0, 0},
};

void ExpectReport(tst::DialogDriver& driver, const ReportCase& c, const std::string& text) {
    if (c.mode == 1) {
        std::string question = text + kIgnoreSuffix;
        driver.Expect(tst::MessageBoxExpect(kErrorCaption, question.c_str(), {IDYES, IDNO})
                          .Default(IDNO)
                          .Press(c.answer));
    } else if (c.mode == 2 || c.mode == 3) {
        driver.Expect(tst::MessageBoxExpect(c.mode == 2 ? kErrorCaption : kWarningCaption, text.c_str(), {IDOK})
                          .Press(IDOK));
    }
}

// Runs `check` in every report mode and expects the failure `text` to be
// reported as the mode says: no box other than the expected one may appear.
void ExpectReportedInEveryMode(const std::string& text, const std::function<int(int mode)>& check) {
    for (const ReportCase& c : kReportCases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " answer " + std::to_string(c.answer));
        g_setup.displayProgress[0] = '\0';
        tst::DialogDriver driver;
        ExpectReport(driver, c, text);
        EXPECT_EQ(c.result, check(c.mode));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(c.mode == 4 ? text : std::string(), g_setup.displayProgress);
    }
}

std::string WithoutBackslash(const std::string& directory) {
    return directory.substr(0, directory.size() - 1);
}

TEST(CheckDirectory, MissingDirectorySkipsTheFileChecks) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory dir;
    const std::string missing = dir.Path() + "MISSING\\";
    // Were the file checks run after a Yes, their own failures would show
    // further boxes, which the driver refuses.
    ExpectReportedInEveryMode("Directory " + WithoutBackslash(missing) + " not found", [&](int mode) {
        return CheckDirectory(missing.c_str(), 0, "TELMORA.INI", kWriteTestName, mode);
    });
    EXPECT_FALSE(tst::FileExists(missing));
}

TEST(CheckDirectory, RequiredFileMissing) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory dir;
    // A Yes goes on to the write test, which succeeds here.
    ExpectReportedInEveryMode("File " + dir.Path() + "TELMORA.INI not found", [&](int mode) {
        return CheckDirectory(dir.Path().c_str(), 0, "TELMORA.INI", kWriteTestName, mode);
    });

    ASSERT_TRUE(tst::WriteFile(dir.File("TELMORA.INI"), ""));
    tst::DialogDriver driver;
    EXPECT_EQ(1, CheckDirectory(dir.Path().c_str(), 0, "TELMORA.INI", kWriteTestName, 2));
    EXPECT_FALSE(tst::FileExists(dir.File(kWriteTestName)));
    EXPECT_TRUE(driver.Seen().empty());
}

// A write-test name that is taken by a directory: the file cannot be created,
// whoever runs the test.
TEST(CheckDirectory, WriteTestFailing) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory dir;
    ASSERT_TRUE(CreateDirectoryA(dir.File("BLOCKED").c_str(), nullptr));
    ExpectReportedInEveryMode("Unable to write to directory " + WithoutBackslash(dir.Path()), [&](int mode) {
        return CheckDirectory(dir.Path().c_str(), 0, nullptr, "BLOCKED", mode);
    });
    EXPECT_TRUE(tst::FileExists(dir.File("BLOCKED")));
}

TEST(CheckDirectory, ReadOnlyDirectory) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory dir;
    const std::string readOnly = dir.File("RO");
    ASSERT_TRUE(CreateDirectoryA(readOnly.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    g_setup.displayProgress[0] = '\0';
    int result = CheckDirectory((readOnly + "\\").c_str(), 0, nullptr, kWriteTestName, 4);
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (result == 1) {
        GTEST_SKIP() << "the directory accepts writes although read-only (Wine run as root)";
    }
    EXPECT_EQ(0, result);
    EXPECT_EQ("Unable to write to directory " + readOnly, g_setup.displayProgress);
}

TEST(CheckDirectory, CreatesAMissingDirectoryOnRequest) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory dir;
    const std::string created = dir.Path() + "NEW\\";
    {
        tst::DialogDriver driver;
        g_setup.displayProgress[0] = '\0';
        EXPECT_EQ(1, CheckDirectory(created.c_str(), 1, nullptr, kWriteTestName, 2));
        EXPECT_EQ("Created directory " + WithoutBackslash(created), g_setup.displayProgress);
        EXPECT_TRUE(driver.Seen().empty());
    }
    EXPECT_TRUE(tst::FileExists(created));
    EXPECT_FALSE(tst::FileExists(created + kWriteTestName));

    // Two levels at once cannot be created; a Yes in mode 1 skips the file checks.
    const std::string nested = dir.Path() + "A\\B\\";
    ExpectReportedInEveryMode("Unable to create directory " + WithoutBackslash(nested), [&](int mode) {
        return CheckDirectory(nested.c_str(), 1, "TELMORA.INI", kWriteTestName, mode);
    });
}

// A root is taken as existing without asking for its status; its write test
// still runs. The status query is faked to fail, so only a root can pass.
TEST(CheckDirectory, RootIsNotQueried) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory dir;
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect(kErrorCaption, "Unable to write to directory C:\\", {IDOK}).Press(IDOK));
    {
        tst::CountingFake<DWORD, LPCSTR> status("KERNEL32.dll", "GetFileAttributesA", INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(status.Installed());
        EXPECT_EQ(1, CheckDirectory("C:\\", 0, nullptr, kWriteTestName, 2));
        EXPECT_EQ(0, status.Calls());
        // C:\WINDOWS is a directory: the write test fails at the root.
        EXPECT_EQ(0, CheckDirectory("C:\\", 0, nullptr, "WINDOWS", 2));
        EXPECT_EQ(0, status.Calls());
        EXPECT_EQ(0, CheckDirectory(dir.Path().c_str(), 0, nullptr, nullptr, 5));
        EXPECT_EQ(1, status.Calls());
    }
    EXPECT_TRUE(driver.AllMet());
    EXPECT_FALSE(tst::FileExists(std::string("C:\\") + kWriteTestName));
}

TEST(InitWindowsDirectories, ValuesUnderWine) {
    char windows[MAX_PATH];
    char system[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, MAX_PATH));
    ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
    // A directory of AUTOEXEC.BAT answered earlier in the run: each new
    // start (the uninstallation makes one) proposes the boot root again.
    text::Copy(g_setup.autoexecDirectory, "D:\\EARLIER\\");

    ASSERT_EQ(1, InitWindowsDirectories());
    EXPECT_STREQ("C:\\", g_setup.autoexecDirectory);
    EXPECT_EQ(std::string(windows) + "\\", g_directories.windows);
    EXPECT_EQ(std::string(system) + "\\", g_directories.system);
    EXPECT_TRUE(text::EqualNoCase("C:\\WINDOWS\\", g_directories.windows)) << g_directories.windows;
    EXPECT_TRUE(text::EqualNoCase("C:\\WINDOWS\\SYSTEM32\\", g_directories.system)) << g_directories.system;
    // SYSTEM32\ is replaced by SYSTEM\ whatever case Wine gives.
    EXPECT_EQ(std::string(g_directories.system, std::strlen(g_directories.system) - 9) + "SYSTEM\\",
              g_directories.system16);
    EXPECT_STREQ("C:\\", g_directories.bootRoot);
}

// What the faked directory queries report; an empty text makes the query fail.
std::string g_fakeWindows;
std::string g_fakeSystem;

// Answers as Windows does: the length, or the size needed when the buffer is
// too small.
UINT AnswerDirectoryQuery(const std::string& value, LPSTR buffer, UINT size) {
    if (value.empty()) return 0;
    if (value.size() >= size) return static_cast<UINT>(value.size() + 1);
    std::strcpy(buffer, value.c_str());
    return static_cast<UINT>(value.size());
}

UINT WINAPI FakeGetWindowsDirectoryA(LPSTR buffer, UINT size) {
    return AnswerDirectoryQuery(g_fakeWindows, buffer, size);
}

UINT WINAPI FakeGetSystemDirectoryA(LPSTR buffer, UINT size) {
    return AnswerDirectoryQuery(g_fakeSystem, buffer, size);
}

struct FakeDirectories {
    tst::ImportHook windowsHook{"KERNEL32.dll", "GetWindowsDirectoryA",
                                reinterpret_cast<void*>(&FakeGetWindowsDirectoryA)};
    tst::ImportHook systemHook{"KERNEL32.dll", "GetSystemDirectoryA",
                               reinterpret_cast<void*>(&FakeGetSystemDirectoryA)};
    FakeDirectories(const std::string& windows, const std::string& system) {
        g_fakeWindows = windows;
        g_fakeSystem = system;
        EXPECT_TRUE(windowsHook.Installed() && systemHook.Installed());
    }
};

struct DirectoryCase {
    const char* windows;
    const char* system;
    const char* system16;
};

const DirectoryCase kDirectoryCases[] = {
    {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\"},       // Windows 95
    {"C:\\WINNT", "c:\\winnt\\System32", "c:\\winnt\\SYSTEM\\"},   // Windows NT
    {"C:\\WINNT\\", "C:\\WINNT\\SYSTEM32\\", "C:\\WINNT\\SYSTEM\\"},
    {"D:\\W", "SYSTEM32", "SYSTEM\\"},
    {"D:\\W", "YSTEM32", "D:\\W\\"},
};

TEST(InitWindowsDirectories, SixteenBitSystemDirectory) {
    tst::DialogDriver driver;
    for (const DirectoryCase& c : kDirectoryCases) {
        SCOPED_TRACE(c.system);
        FakeDirectories fake(c.windows, c.system);
        ASSERT_EQ(1, InitWindowsDirectories());
        EXPECT_STREQ(c.system16, g_directories.system16);
        EXPECT_STREQ("C:\\", g_directories.bootRoot);
    }
    EXPECT_TRUE(driver.Seen().empty());
}

TEST(InitWindowsDirectories, QueryFailuresShowAnError) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    const std::string longest(255, 'W');
    const std::string tooLong(256, 'W');
    struct FailureCase {
        std::string windows;
        std::string system;
        const char* error;  // null: accepted
    };
    const FailureCase cases[] = {
        {"", "C:\\WINDOWS\\SYSTEM32", "Error getting name of Windows directory"},
        {tooLong, "C:\\WINDOWS\\SYSTEM32", "Error getting name of Windows directory"},
        {"C:\\WINDOWS", "", "Error getting name of Windows SYSTEM directory"},
        {"C:\\WINDOWS", tooLong, "Error getting name of Windows SYSTEM directory"},
        {longest, longest, nullptr},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.windows.substr(0, 12) + " / " + c.system.substr(0, 20));
        tst::DialogDriver driver;
        if (c.error) driver.Expect(tst::MessageBoxExpect(kErrorCaption, c.error, {IDOK}).Press(IDOK));
        FakeDirectories fake(c.windows, c.system);
        EXPECT_EQ(c.error ? 0 : 1, InitWindowsDirectories());
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_EQ(longest + "\\", g_directories.windows);
}

}  // namespace
