// The directories against real ones: each failure of the directory check in every report mode, and a
// Windows 95 PC's own layout, which Wine never shows.
#include "files/directories.h"
#include "files/file_test_support.h"
#include "support/import_hook.h"
#include "support/snapshot.h"
#include "workflow/workflow_driver.h"

namespace {

TEST(CheckDirectory, EachFailureInEveryReportMode) {
    tst::FreshRunState();
    tst::TempDirectory dir;
    const std::string d = dir.Path();
    const char* writeTest = "TSTWRITE.TMP";
    ASSERT_TRUE(CreateDirectoryA(dir.File("BLOCKED").c_str(), nullptr));  // a write test that cannot be made
    const struct {
        std::string directory;
        int create;
        const char *requiredFile, *writeTestFile;
        std::string text;
    } failures[] = {
        // A Yes after a directory that is missing or cannot be made skips the file checks (their boxes would
        // fail the test); after a missing file the write test runs and passes.
        {d + "MISSING\\", kDirectoryMustExist, "TELMORA.INI", writeTest, "Directory " + d + "MISSING not found"},
        {d + "A\\B\\", kCreateDirectory, "TELMORA.INI", writeTest, "Unable to create directory " + d + "A\\B"},
        {d, kDirectoryMustExist, "TELMORA.INI", writeTest, "File " + d + "TELMORA.INI not found"},
        {d, kDirectoryMustExist, nullptr, "BLOCKED", "Unable to write to directory " + d.substr(0, d.size() - 1)},
    };
    const int modes[][3] = {{1, IDYES, 1}, {1, IDNO, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}, {0, 0, 0}};
    for (const auto& f : failures) {
        for (const auto& m : modes) {
            SCOPED_TRACE(f.text + ", mode " + std::to_string(m[0]) + " answer " + std::to_string(m[1]));
            g_setup.displayProgress[0] = '\0';
            tst::DialogDriver driver;
            if (m[0] == 1) driver.Expect(ft::Question(f.text, m[1]));
            if (m[0] == 2 || m[0] == 3) {
                driver.Expect(tst::MessageBoxExpect(m[0] == 2 ? "Error!" : "Warning!", f.text.c_str(), {IDOK}));
            }
            EXPECT_EQ(m[2], CheckDirectory(f.directory.c_str(), f.create, f.requiredFile, f.writeTestFile, m[0]));
            EXPECT_EQ(m[0] == 4 ? f.text : "", std::string(g_setup.displayProgress));
        }
    }
    EXPECT_FALSE(tst::FileExists(d + "MISSING"));
    EXPECT_FALSE(tst::FileExists(d + writeTest));
}

// Wine answers the directory queries with C:\windows\system32 whatever Windows it reports; a Windows 95 PC
// has its SYSTEM directory and no SYSTEM32.
UINT WINAPI Windows95Directory(LPSTR buffer, UINT size) { return lstrlenA(lstrcpynA(buffer, "C:\\WINDOWS", size)); }
UINT WINAPI Windows95System(LPSTR buffer, UINT size) { return lstrlenA(lstrcpynA(buffer, "C:\\WINDOWS\\SYSTEM", size)); }

// A quiet installation in process on such a PC: the 16-bit system directory is the Windows directory.
TEST(Windows95Layout, AnInstallationPutsEachFileWhereWindows95HasIt) {
    tst::FreshRunState();
    tst::UseMainWindow();
    tst::DialogDriver noBoxExpected;
    text::Copy(g_setup.setupDirectory, "F:\\SYSTEM\\");
    g_setup.quietSwitch = g_setup.quietInstall = 1;
    ASSERT_TRUE(tst::WriteFile("C:\\windows\\TELMORA.INI", "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\n"
                                                            "SystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n"));
    const tst::Snapshot before = tst::Snapshot::Take();
    {
        tst::FakeWindowsVersion windows95(tst::kWindows95);
        tst::X86Processor x86;
        tst::ImportHook windows("KERNEL32.dll", "GetWindowsDirectoryA", reinterpret_cast<void*>(&Windows95Directory));
        tst::ImportHook system("KERNEL32.dll", "GetSystemDirectoryA", reinterpret_cast<void*>(&Windows95System));
        EXPECT_EQ(1, RunWorkflowDriver());
    }
    std::string added;  // the files added, deleted again
    for (const tst::Change& change : before.ChangesTo(tst::Snapshot::Take())) {
        if (change.mark == '+' && change.kind == "file" && DeleteFileA(change.name.c_str())) added += change.name + "\n";
    }
    for (const char* file : {"\\TELMORA.EXE", "\\CTL3DV2.DLL", "\\system\\GEAR32SD.DLL", "\\system\\QVPRIN.DRV"}) {
        EXPECT_NE(added.find(std::string("C:\\windows") + file + "\n"), std::string::npos) << file << " not among\n" << added;
    }
    EXPECT_EQ(added.find("system32"), std::string::npos) << added;
    DeleteFileA("C:\\windows\\TELMORA.INI");
}

}  // namespace
