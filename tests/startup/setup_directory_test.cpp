// Start-up against a real file tree: the command line's error boxes (the /I
// directory checked on disk) and the setup directory found above the
// program's own directory, with the module path faked to point into a
// scratch distribution share.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "common/setup_context.h"
#include "startup/startup.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"

namespace {

const char kProductCaptionText[] = "Telmora";
const char kWarningCaption[] = "Warning!";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A command line that ParseCommandLine refuses: the boxes it shows, in order.
void ExpectRefused(const std::string& line, const std::vector<tst::Expectation>& boxes) {
    SCOPED_TRACE("line '" + line + "'");
    tst::DialogDriver driver;
    for (const tst::Expectation& box : boxes) driver.Expect(box);
    EXPECT_EQ(0, ParseCommandLine(line.c_str()));
    EXPECT_TRUE(driver.AllMet());
}

tst::Expectation ProductBox(const char* text) {
    return tst::MessageBoxExpect(kProductCaptionText, text, {IDOK}).Press(IDOK);
}

tst::Expectation WarningBox(const std::string& text) {
    return tst::MessageBoxExpect(kWarningCaption, text.c_str(), {IDOK}).Press(IDOK);
}

TEST(ParseCommandLine, ShowsOneBoxPerRefusedLine) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory share;
    const std::string missing = share.Path() + "NOWHERE";

    ExpectRefused("/Z", {ProductBox("Invalid command line switch")});
    ExpectRefused("/Q abc", {ProductBox("Invalid command line parameter")});
    ExpectRefused("/I " + Lower(missing),
                  {WarningBox("Directory " + missing + " not found"),
                   ProductBox("Invalid direcory following /i switch")});
    ExpectRefused("/I \"" + share.Path() + "\"",
                  {WarningBox("File " + share.Path() + "TELMORA.INI not found"),
                   ProductBox("Invalid direcory following /i switch")});
}

TEST(ParseCommandLine, StoresAnAcceptedLine) {
    g_setup.appInstance = GetModuleHandleA(nullptr);
    tst::TempDirectory share;
    ASSERT_TRUE(tst::WriteFile(share.File("TELMORA.INI"), "[SERVER]\r\n"));

    tst::DialogDriver driver;
    std::string line = "-b /I " + Lower(share.Path()) + " /Q";
    ASSERT_EQ(1, ParseCommandLine(line.c_str()));
    EXPECT_STREQ(share.Path().c_str(), g_setup.configDirectory);
    EXPECT_EQ(1, g_setup.netBaseDirSwitch);
    EXPECT_EQ(1, g_setup.quietSwitch);
    EXPECT_EQ(1, g_setup.quietInstall);

    // A later run starts from cleared fields.
    ASSERT_EQ(1, ParseCommandLine("/X"));
    EXPECT_STREQ("", g_setup.configDirectory);
    EXPECT_EQ(0, g_setup.netBaseDirSwitch);
    EXPECT_EQ(0, g_setup.quietInstall);
    EXPECT_EQ(1, g_setup.uninstallMode);
    EXPECT_TRUE(driver.Seen().empty());
}

// The module path that the faked GetModuleFileNameA reports; empty: it fails.
std::string g_fakeModulePath;

DWORD WINAPI FakeGetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (module != nullptr || g_fakeModulePath.empty() || size == 0) return 0;
    DWORD length = static_cast<DWORD>(g_fakeModulePath.size());
    if (length >= size) length = size - 1;
    g_fakeModulePath.copy(buffer, length);
    buffer[length] = '\0';
    return length;
}

// A distribution share in a scratch directory: FAX\WIN32\STNIN32.EXE, and
// FAX\STNINST.EXE when asked for.
struct Share {
    tst::TempDirectory root;
    std::string setupDirectory = root.Path() + "FAX\\";
    std::string programPath = setupDirectory + "WIN32\\STNIN32.EXE";

    explicit Share(bool withLauncher) {
        EXPECT_TRUE(CreateDirectoryA(setupDirectory.c_str(), nullptr));
        EXPECT_TRUE(CreateDirectoryA((setupDirectory + "WIN32").c_str(), nullptr));
        EXPECT_TRUE(tst::WriteFile(programPath, "MZ"));
        if (withLauncher) {
            EXPECT_TRUE(tst::WriteFile(setupDirectory + "STNINST.EXE", "MZ"));
        }
    }
};

std::string SetupDirectoryFor(const std::string& modulePath) {
    g_fakeModulePath = modulePath;
    tst::ImportHook hook("KERNEL32.dll", "GetModuleFileNameA",
                         reinterpret_cast<void*>(&FakeGetModuleFileNameA));
    EXPECT_TRUE(hook.Installed());
    std::strcpy(g_setup.setupDirectory, "STALE\\");
    EXPECT_EQ(1, FindSetupDirectory());
    return g_setup.setupDirectory;
}

TEST(FindSetupDirectory, FindsTheLauncherAboveTheProgram) {
    tst::DialogDriver driver;  // every check is silent: no box may appear
    Share share(true);
    EXPECT_EQ(share.setupDirectory, SetupDirectoryFor(share.programPath));
    EXPECT_EQ(share.setupDirectory, SetupDirectoryFor(Lower(share.programPath)));
    // STNIN32.EXE must be in the directory the module path names.
    EXPECT_EQ("", SetupDirectoryFor(share.setupDirectory + "OTHER.EXE"));
    EXPECT_EQ("", SetupDirectoryFor(""));
    EXPECT_EQ("", SetupDirectoryFor("STNIN32.EXE"));
    EXPECT_TRUE(driver.Seen().empty());
}

TEST(FindSetupDirectory, EmptyWithoutTheLauncherOrAtADriveRoot) {
    tst::DialogDriver driver;
    Share share(false);
    EXPECT_EQ("", SetupDirectoryFor(share.programPath));

    // Run from a drive root there is no directory above the program's own,
    // even with the launcher beside it. (The C: drive is the test run's own
    // scratch Wine PC.)
    const std::string program = "C:\\STNIN32.EXE";
    const std::string launcher = "C:\\STNINST.EXE";
    ASSERT_TRUE(tst::WriteFile(program, "MZ"));
    ASSERT_TRUE(tst::WriteFile(launcher, "MZ"));
    EXPECT_EQ("", SetupDirectoryFor(program));
    DeleteFileA(program.c_str());
    DeleteFileA(launcher.c_str());
    EXPECT_TRUE(driver.Seen().empty());
}

}  // namespace
