// The copy engine against real files: the processor subdirectory, version
// texts, the date and size rule with its replace question, the text
// comparison of versions, and copies that fail (a missing source, a library
// loaded by another process, a read-only target).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/architecture.h"
#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "files/copy_engine.h"
#include "files/file_test_support.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"
#include "ui/resource_ids.h"
#include "workflow/config_location.h"

namespace {

using files_test::CannotCopyBox;
using files_test::Content;
using files_test::CopyQuestion;
using files_test::DetailsLine;
using files_test::DllCopyQuestion;
using files_test::IgnoreQuestion;
using files_test::kInstallationTitle;
using files_test::PutFile;
using files_test::SetArchitecture;
using files_test::VersionLibrary;
using files_test::WithoutBackslash;

const char kLongVersion[] = "7.00 built from the long branch of the sources, revision 12345";

// Leaves `byte` in the stack below the caller's frame, where the locals of
// the caller's next call will lie.
__attribute__((noinline)) void FillStack(char byte) {
    volatile char area[32 * 1024];
    for (std::size_t i = 0; i < sizeof area; ++i) area[i] = byte;
}

TEST(ArchitectureSubdirectory, FirstFourBytesCaseSensitive) {
    struct Case {
        const char* value;
        const char* subdirectory;
    };
    const Case cases[] = {
        {"x86", "I386\\"},     {"X86", nullptr},         {"x86 ", nullptr},      {"x8", nullptr},
        {"x866", nullptr},     {"MIPS", "MIPS\\"},       {"MIPSR4000", "MIPS\\"}, {"mips", nullptr},
        {"MIP", nullptr},      {"ALPHA", "ALPHA\\"},     {"ALPH", "ALPHA\\"},    {"ALPHA_AXP", "ALPHA\\"},
        {"ALP", nullptr},      {"Alpha", nullptr},       {"PPC", "PPC\\"},       {"PPC601", nullptr},
        {"ppc", nullptr},      {"AMD64", nullptr},       {"", nullptr},          {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.subdirectory, ArchitectureSubdirectory(c.value)) << (c.value ? c.value : "(unset)");
    }
}

class CopyEngineTest : public files_test::ScratchPc {
protected:
    std::string Source(const char* name) const { return Share() + name; }
    std::string Target(const char* name) const { return Programs() + name; }

    // InstallFile from the share into the program directory.
    int Install(const char* name, int askReplace, int useArchitecture, int checkVersion, int ignoreCopyFailure) {
        return InstallFile(Share().c_str(), name, Programs().c_str(), nullptr, askReplace, useArchitecture,
                           checkVersion, ignoreCopyFailure);
    }

    // The replace question about `name`, answered with `press`.
    tst::Expectation ReplaceQuestion(const char* name, int press) {
        std::string target = Target(name);
        std::vector<std::string> lines = {"Replace file " + target, DetailsLine(target), "",
                                          "with file " + Source(name) + "?", DetailsLine(Source(name))};
        std::string checking = "Checking version of " + target;
        return tst::DialogExpect(kInstallationTitle, lines)
            .Default(IDC_ANSWER_YES)
            .OnShow([checking](HWND) { EXPECT_EQ(checking, g_setup.displayProgress); })
            .Press(press);
    }
};

TEST_F(CopyEngineTest, ArchitectureFileInTheShare) {
    PutFile(ShareI386() + "X.DLL", "32");
    char directory[kPathFieldSize];
    text::Copy(directory, Share().c_str());
    EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL"));
    EXPECT_EQ(ShareI386(), directory);
    text::Copy(directory, WithoutBackslash(Share()).c_str());
    EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL")) << "a backslash is added";
    EXPECT_EQ(ShareI386(), directory);
    text::Copy(directory, Share().c_str());
    EXPECT_EQ(0, FindArchitectureFile(directory, "Y.DLL"));
    EXPECT_EQ(Share(), directory) << "unchanged when the file is not there";

    SetArchitecture("X86");
    EXPECT_EQ(0, FindArchitectureFile(directory, "X.DLL"));
    SetArchitecture("ALPHA_AXP");
    EXPECT_EQ(0, FindArchitectureFile(directory, "X.DLL"));
    ASSERT_TRUE(CreateDirectoryA((Share() + "ALPHA").c_str(), nullptr));
    PutFile(Share() + "ALPHA\\X.DLL", "alpha");
    EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL"));
    EXPECT_EQ(Share() + "ALPHA\\", directory);

    // Windows 95 does not set the variable: its processor is an x86.
    SetArchitecture(nullptr);
    text::Copy(directory, Share().c_str());
    {
        tst::FakeWindowsVersion version(tst::kWindowsNT40);
        EXPECT_EQ(0, FindArchitectureFile(directory, "X.DLL"));
    }
    {
        tst::FakeWindowsVersion version(tst::kWindows95);
        EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL"));
        EXPECT_EQ(ShareI386(), directory);
    }
}

TEST_F(CopyEngineTest, ArchitectureFileOfTheConfiguredSystemArea) {
    SetSystemAreaSource(ConfiguredSystemArea);  // as the workflow driver does
    std::string configDirectory = Root().File("CFG\\");
    ASSERT_TRUE(CreateDirectoryA(configDirectory.c_str(), nullptr));
    PutFile(configDirectory + "TELMORA.INI", "[WORKSTATION]\r\nSystemArea: " + WithoutBackslash(Share()) + "\r\n");
    text::Copy(g_setup.configDirectory, configDirectory.c_str());
    PutFile(ShareI386() + "X.DLL", "32");

    char directory[kPathFieldSize] = "";
    EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL"));
    EXPECT_EQ(ShareI386(), directory);
    EXPECT_EQ(1, FindArchitectureFile(nullptr, "X.DLL"));
    EXPECT_EQ(0, FindArchitectureFile(nullptr, "Y.DLL"));

    // Without a SystemArea key the area is empty, whatever the memory it is
    // read into held before: the subdirectory is looked for where the
    // program runs.
    PutFile(configDirectory + "TELMORA.INI", "[WORKSTATION]\r\n");
    char current[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(MAX_PATH, current));
    ASSERT_TRUE(SetCurrentDirectoryA(Share().c_str()));
    FillStack('Q');
    directory[0] = '\0';
    EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL"));
    EXPECT_STREQ("I386\\", directory);
    SetCurrentDirectoryA(current);
    SetSystemAreaSource(nullptr);
}

TEST_F(CopyEngineTest, VersionTextOfTheFirstTranslation) {
    char version[kVersionTextSize];
    EXPECT_EQ(1, GetFileVersionText(VersionLibrary("VERSION6.DLL").c_str(), version));
    EXPECT_STREQ("6.00", version);
    EXPECT_EQ(1, GetFileVersionText(VersionLibrary("VERSION10.DLL").c_str(), version));
    EXPECT_STREQ("10.00", version) << "block 040904B0";
    EXPECT_EQ(1, GetFileVersionText(VersionLibrary("VERSION_LONG.DLL").c_str(), version));
    EXPECT_EQ(std::string(kLongVersion).substr(0, kVersionTextSize - 1), version)
        << "the first translation's text, cut to 51 characters";

    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION6.DLL").c_str(), Source("SNBD6W9S.DLL").c_str(), FALSE));
    EXPECT_EQ(1, GetFileVersionText(Source("SNBD6W9S.DLL").c_str(), version));
    EXPECT_STREQ("6.00", version);
    PutFile(Source("TEXT.DLL"), "no resources");
    EXPECT_EQ(0, GetFileVersionText(Source("TEXT.DLL").c_str(), version));
    EXPECT_EQ(0, GetFileVersionText(Source("MISSING.DLL").c_str(), version));
}

TEST_F(CopyEngineTest, SameSizeAndTimeSkippedOlderReplacedMissingCopied) {
    tst::DialogDriver driver;
    PutFile(Source("SAME.EXE"), "same");
    PutFile(Target("SAME.EXE"), "SAME");
    EXPECT_EQ(1, Install("SAME.EXE", 1, 0, 0, 0));
    EXPECT_EQ("SAME", Content(Target("SAME.EXE")));
    EXPECT_EQ("Checking version of " + Target("SAME.EXE"), g_setup.displayProgress) << "no copying line";

    PutFile(Source("OLD.EXE"), "newer", 2002);
    PutFile(Target("OLD.EXE"), "older file", 2001, 12, 31, 23, 59, 59);
    EXPECT_EQ(1, Install("OLD.EXE", 1, 0, 0, 0));
    EXPECT_EQ("newer", Content(Target("OLD.EXE")));
    EXPECT_STREQ("", g_setup.displayProgress) << "cleared after the copy";

    PutFile(Source("NEW.EXE"), "new");
    EXPECT_EQ(1, Install("NEW.EXE", 1, 0, 0, 0));
    EXPECT_EQ("new", Content(Target("NEW.EXE")));

    int copy = -1;
    EXPECT_EQ(0, AskReplaceFile(Source("NONE.EXE").c_str(), Target("NEW.EXE").c_str(), &copy));
    EXPECT_EQ(0, copy);
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(CopyEngineTest, NewerTargetOrOtherSizeAsks) {
    struct Case {
        const char* name;
        int targetYear;
        const char* targetContent;
        int press;
        bool copied;
    };
    const Case cases[] = {
        {"NEWER1.EXE", 2003, "target", IDC_ANSWER_YES, true},
        {"NEWER2.EXE", 2003, "SOURCE", IDC_ANSWER_NO, false},  // same size, newer
        {"SIZE1.EXE", 2001, "longer target", IDC_ANSWER_YES, true},
        {"SIZE2.EXE", 2001, "short", IDC_ANSWER_NO, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutFile(Source(c.name), "source", 2001);
        PutFile(Target(c.name), c.targetContent, c.targetYear);
        tst::DialogDriver driver;
        driver.Expect(ReplaceQuestion(c.name, c.press));
        EXPECT_EQ(1, Install(c.name, 1, 0, 0, 0));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(c.copied ? "source" : c.targetContent, Content(Target(c.name)));
    }
}

TEST_F(CopyEngineTest, AbortedReplaceQuestionAsksToIgnore) {
    PutFile(Source("ABORT.EXE"), "source", 2001);
    PutFile(Target("ABORT.EXE"), "target", 2003);
    for (int answer : {IDNO, IDYES}) {
        tst::DialogDriver driver;
        driver.Expect(ReplaceQuestion("ABORT.EXE", IDC_ABORT));
        driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
        driver.Expect(IgnoreQuestion(CopyQuestion(Source("ABORT.EXE"), Target("ABORT.EXE")), answer));
        EXPECT_EQ(answer == IDYES ? 1 : 0, Install("ABORT.EXE", 1, 0, 0, 0));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ("target", Content(Target("ABORT.EXE")));
    }
}

// Version 6.00 is newer than 10.00: the texts are compared, not the numbers.
TEST_F(CopyEngineTest, VersionTextsComparedAsText) {
    const std::string v6 = VersionLibrary("VERSION6.DLL");
    const std::string v10 = VersionLibrary("VERSION10.DLL");
    const std::string none = Root().File("PLAIN.DLL");
    PutFile(none, "no version resource");
    struct Case {
        const char* name;
        std::string source;
        std::string target;  // "" for none
        bool copied;
    };
    const Case cases[] = {
        {"V1.DLL", v6, v10, true},   {"V2.DLL", v10, v6, false}, {"V3.DLL", v6, v6, false},
        {"V4.DLL", v6, none, true},  {"V5.DLL", none, v6, true}, {"V6.DLL", v6, "", true},
    };
    tst::DialogDriver driver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(CopyFileA(c.source.c_str(), Source(c.name).c_str(), FALSE));
        std::string before = "<missing>";
        if (!c.target.empty()) {
            // Bytes after the image tell the old target apart; its version stays.
            before = Content(c.target) + "old";
            ASSERT_TRUE(tst::WriteFile(Target(c.name), before));
        }
        EXPECT_EQ(1, Install(c.name, 0, 0, 1, 0));
        EXPECT_EQ(c.copied ? Content(Source(c.name)) : before, Content(Target(c.name)));
    }
    EXPECT_TRUE(driver.Seen().empty());
}

TEST_F(CopyEngineTest, WithBothFlagsTheDateDecides) {
    // The older text over the newer one, but the source is newer: copied.
    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION10.DLL").c_str(), Source("B1.DLL").c_str(), FALSE));
    files_test::SetWriteTime(Source("B1.DLL"), 2002, 1, 1, 0, 0, 0);
    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION6.DLL").c_str(), Target("B1.DLL").c_str(), FALSE));
    files_test::SetWriteTime(Target("B1.DLL"), 2001, 1, 1, 0, 0, 0);
    tst::DialogDriver driver;
    EXPECT_EQ(1, Install("B1.DLL", 1, 0, 1, 0));
    EXPECT_EQ(Content(Source("B1.DLL")), Content(Target("B1.DLL")));

    // The newer text, but the target is newer: the question.
    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION6.DLL").c_str(), Source("B2.DLL").c_str(), FALSE));
    files_test::SetWriteTime(Source("B2.DLL"), 2001, 1, 1, 0, 0, 0);
    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION10.DLL").c_str(), Target("B2.DLL").c_str(), FALSE));
    files_test::SetWriteTime(Target("B2.DLL"), 2002, 1, 1, 0, 0, 0);
    driver.Expect(ReplaceQuestion("B2.DLL", IDC_ANSWER_NO));
    EXPECT_EQ(1, Install("B2.DLL", 1, 0, 1, 0));
    EXPECT_TRUE(driver.AllMet());
    EXPECT_EQ(Content(VersionLibrary("VERSION10.DLL")), Content(Target("B2.DLL")));
}

TEST_F(CopyEngineTest, OntoItselfAndFromTheProcessorDirectory) {
    tst::DialogDriver driver;
    PutFile(Source("SELF.DLL"), "self");
    text::Copy(g_setup.displayProgress, "before");
    std::string lowerShare = Share();
    CharLowerA(&lowerShare[0]);
    EXPECT_EQ(1, InstallFile(Share().c_str(), "SELF.DLL", lowerShare.c_str(), "self.dll", 1, 0, 1, 0));
    EXPECT_STREQ("before", g_setup.displayProgress) << "no line at all";

    PutFile(Source("ARCH.DLL"), "16-bit");
    PutFile(ShareI386() + "ARCH.DLL", "32-bit");
    EXPECT_EQ(1, Install("ARCH.DLL", 0, 1, 0, 0));
    EXPECT_EQ("32-bit", Content(Target("ARCH.DLL")));
    SetArchitecture("X86");
    EXPECT_EQ(1, Install("ARCH.DLL", 0, 1, 0, 0));
    EXPECT_EQ("16-bit", Content(Target("ARCH.DLL")));

    PutFile(Source("CTL3DV2.Z"), "controls");
    EXPECT_EQ(1, InstallFile(Share().c_str(), "CTL3DV2.Z", Programs().c_str(), "CTL3DV2.DLL", 1, 1, 0, 0));
    EXPECT_EQ("controls", Content(Target("CTL3DV2.DLL")));
    EXPECT_TRUE(driver.Seen().empty());
}

// A missing source: the error box while the copying line shows, then the
// question chosen by "DLL" in capitals anywhere in the source path.
TEST_F(CopyEngineTest, FailedCopyAsksByTheDllRule) {
    ASSERT_TRUE(CreateDirectoryA((Share() + "DLL").c_str(), nullptr));
    struct Case {
        std::string directory;
        const char* name;
        bool dllQuestion;
        int answer;
    };
    const Case cases[] = {
        {Share(), "QSPOOL.EXE", false, IDNO},
        {Share(), "MFC42.DLL", true, IDYES},
        {Share(), "mfc42.dll", false, IDYES},
        {Share() + "DLL\\", "QSPOOL.EXE", true, IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory + c.name);
        std::string source = c.directory + c.name;
        std::string target = Target(c.name);
        std::string copying = std::string("Copying file ") + c.name + " to directory " + WithoutBackslash(Programs());
        tst::DialogDriver driver;
        driver.Expect(CannotCopyBox(source).OnShow([copying](HWND) {
            EXPECT_EQ(copying, g_setup.displayProgress);
        }));
        driver.Expect(IgnoreQuestion(c.dllQuestion ? DllCopyQuestion(source, target) : CopyQuestion(source, target),
                                     c.answer));
        EXPECT_EQ(c.answer == IDYES ? 1 : 0,
                  InstallFile(c.directory.c_str(), c.name, Programs().c_str(), nullptr, 0, 0, 0, 0));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_STREQ("", g_setup.displayProgress);

        // Ignoring copy failures leaves only the error box.
        driver.Expect(CannotCopyBox(source));
        EXPECT_EQ(1, InstallFile(c.directory.c_str(), c.name, Programs().c_str(), nullptr, 0, 0, 0, 1));
        EXPECT_TRUE(driver.AllMet());
    }

    // With the replace check a missing source asks at once, DLL or not.
    tst::DialogDriver driver;
    driver.Expect(IgnoreQuestion(CopyQuestion(Source("MFC42.DLL"), Target("MFC42.DLL")), IDNO));
    EXPECT_EQ(0, Install("MFC42.DLL", 1, 0, 0, 1));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(CopyEngineTest, LibraryLoadedByAnotherProcess) {
    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION6.DLL").c_str(), Target("HELD.DLL").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(VersionLibrary("VERSION10.DLL").c_str(), Source("HELD.DLL").c_str(), FALSE));
    const std::string held = Content(Target("HELD.DLL"));
    {
        tst::ChildProcess holder;
        ASSERT_TRUE(files_test::StartHolder(holder, "TelmoraLibraryHolder", Target("HELD.DLL"))) << holder.Describe();
        tst::DialogDriver driver;
        driver.Expect(CannotCopyBox(Source("HELD.DLL")));
        driver.Expect(IgnoreQuestion(DllCopyQuestion(Source("HELD.DLL"), Target("HELD.DLL")), IDNO));
        EXPECT_EQ(0, Install("HELD.DLL", 0, 0, 0, 0));
        driver.Expect(CannotCopyBox(Source("HELD.DLL")));
        EXPECT_EQ(1, Install("HELD.DLL", 0, 0, 0, 1));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_EQ(held, Content(Target("HELD.DLL")));
        holder.Kill();
        DWORD code = 0;
        EXPECT_TRUE(holder.WaitForExit(10000, &code));
    }
    tst::DialogDriver driver;
    EXPECT_EQ(1, Install("HELD.DLL", 0, 0, 0, 0)) << "free once the holder has ended";
    EXPECT_EQ(Content(Source("HELD.DLL")), Content(Target("HELD.DLL")));
}

// As root, Wine (like Unix) lets CopyFileA overwrite a read-only file; as
// any other user the copy fails as on Windows. Both are checked here, by what
// this run does with a read-only file of its own.
TEST_F(CopyEngineTest, ReadOnlyTarget) {
    PutFile(Root().File("PROBE.SRC"), "probe");
    PutFile(Root().File("PROBE.DST"), "read-only");
    ASSERT_TRUE(SetFileAttributesA(Root().File("PROBE.DST").c_str(), FILE_ATTRIBUTE_READONLY));
    const bool overwrites = CopyFileA(Root().File("PROBE.SRC").c_str(), Root().File("PROBE.DST").c_str(), FALSE);

    PutFile(Source("RO.EXE"), "new", 2002);
    PutFile(Target("RO.EXE"), "old", 2001);
    ASSERT_TRUE(SetFileAttributesA(Target("RO.EXE").c_str(), FILE_ATTRIBUTE_READONLY));
    tst::DialogDriver driver;
    if (overwrites) {
        RecordProperty("read_only_target", "overwritten: Wine run as root");
        EXPECT_EQ(1, Install("RO.EXE", 0, 0, 0, 0));
        EXPECT_EQ("new", Content(Target("RO.EXE")));
    } else {
        driver.Expect(CannotCopyBox(Source("RO.EXE")));
        driver.Expect(IgnoreQuestion(CopyQuestion(Source("RO.EXE"), Target("RO.EXE")), IDNO));
        EXPECT_EQ(0, Install("RO.EXE", 0, 0, 0, 0));
        EXPECT_EQ("old", Content(Target("RO.EXE")));
    }
    EXPECT_TRUE(driver.AllMet());
}

}  // namespace
