// The directory check against real directories: each failure in every report mode.
#include "files/directories.h"
#include "files/file_test_support.h"

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

}  // namespace
