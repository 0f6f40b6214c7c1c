// The client's file set on a scratch PC of Windows NT 4.0: one row per file with what must happen to it, what
// the set does without some of its files, and the checks that end an installation. The share has no printer
// files: the printer steps find nothing to install and ask nothing.
#include "files/file_test_support.h"
#include "support/import_hook.h"
#include "workflow/program_files.h"

namespace {

enum OverNewer { kReplaced, kKept, kAsked };   // an installed copy with a newer date and version text
enum OnFailure { kIgnored, kGoesOn, kStops };  // its copy fails: no question, or No and then

struct FileRow {
    const char* language;  // ENG: the 32-bit set; FRE (only QVIFRE.DLL): the 16-bit set
    const char* name;
    const char* installedAs;  // in the program directory, SYSTEM (SYS32\) or 16-bit system (SYS\) directory
    bool fromI386;            // where the copy comes from when the share and I386\ both hold the file
    OverNewer overNewer;
    OnFailure onFailure;
};

const FileRow kFileSet[] = {
    {"ENG", "TELMORA.EXE", "PROG\\TELMORA.EXE", true, kReplaced, kStops},
    {"ENG", "SNBD6W9S.DLL", "SYS32\\SNBD6W9S.DLL", true, kReplaced, kGoesOn},
    {"ENG", "GEAR32SD.DLL", "SYS32\\GEAR32SD.DLL", true, kReplaced, kStops},
    {"ENG", "MSVCRT40.DLL", "SYS32\\MSVCRT40.DLL", true, kKept, kIgnored},  // never over an installed copy
    {"ENG", "MSVCRT.DLL", "SYS32\\MSVCRT.DLL", true, kKept, kIgnored},      // only over an older version
    {"ENG", "MFC42.DLL", "SYS32\\MFC42.DLL", true, kKept, kIgnored},
    {"ENG", "QSPOOL.EXE", "PROG\\QSPOOL.EXE", true, kReplaced, kStops},
    {"ENG", "TELMORA.HLP", "PROG\\TELMORA.HLP", true, kAsked, kStops},
    {"ENG", "CTL3DV2.Z", "SYS\\CTL3DV2.DLL", true, kKept, kStops},  // never over an installed copy
    {"FRE", "TELMORA.EXE", "PROG\\TELMORA.EXE", false, kReplaced, kStops},
    {"FRE", "SNBD6W3S.DLL", "SYS\\SNBD6W3S.DLL", true, kAsked, kStops},
    {"FRE", "ACCUSFT5.DLL", "SYS\\ACCUSFT5.DLL", true, kAsked, kStops},
};

class ProgramFiles : public ft::ScratchPc {
protected:
    // Every file of both sets in the share and in I386\, each copy a library with the version text 10.00
    // followed by a mark of its own, from 2001; the PC without any of them.
    void PutShareOnly() {
        for (const FileRow& row : kFileSet) {
            ft::PutFile(Share() + row.name, SourceContent(row, false));
            ft::PutFile(I386() + row.name, SourceContent(row, true));
            DeleteFileA(root_.File(row.installedAs).c_str());
        }
        ft::PutFile(Share() + "QVIFRE.DLL", "French, 16-bit only");
    }
    static std::string SourceContent(const FileRow& row, bool inI386) {
        return ft::Library("10.00") + (inI386 ? "I386 " : "share ") + row.name;
    }
    int InstallAll(const char* language) {
        return InstallProgramFiles(Share().c_str(), Programs().c_str(), Programs().c_str(), language, kKeepPrinters);
    }

    tst::FakeWindowsVersion version_{tst::kWindowsNT40};
};

TEST_F(ProgramFiles, EachFileOfTheSet) {
    for (const FileRow& row : kFileSet) {
        SCOPED_TRACE(std::string(row.name) + " for " + row.language);
        const std::string source = (row.fromI386 ? I386() : Share()) + row.name;
        const std::string target = root_.File(row.installedAs);
        {
            // An installed copy from 2005 whose version text, 6.00, is the greater text.
            PutShareOnly();
            const std::string installed = ft::Library("6.00") + "installed";
            ft::PutFile(target, installed, 2005);
            ft::PutFile(Programs() + "TELMORA.GID", "help index");
            tst::DialogDriver driver;
            if (row.overNewer == kAsked) driver.Expect(ft::ReplaceQuestion(source, target, IDC_ANSWER_NO));
            EXPECT_EQ(1, InstallAll(row.language));
            EXPECT_EQ(row.overNewer == kReplaced ? SourceContent(row, row.fromI386) : installed, ft::Content(target));
            EXPECT_FALSE(tst::FileExists(Programs() + "TELMORA.GID"));
        }
        // An older installed copy held open: its copy fails.
        PutShareOnly();
        ft::PutFile(target, "held", 1990);
        ft::HeldFile held(target);
        tst::DialogDriver driver;
        driver.Expect(ft::ErrorBox("Cannot copy file: " + source));
        const bool dll = std::string(row.name).find(".DLL") != std::string::npos;
        if (row.onFailure != kIgnored) driver.Expect(ft::Question(ft::CopyFailed(source, target, dll), IDNO));
        EXPECT_EQ(row.onFailure == kStops ? 0 : 1, InstallAll(row.language));
    }
}

TEST_F(ProgramFiles, WithoutSomeOfItsFiles) {
    const struct {
        const char* language;
        const char* removed;  // from the share and from I386\ .
        int result;
        const char* notInstalled;
        bool errorBox;  // "Cannot copy file", and no question
    } cases[] = {
        {"ENG", "SNBD6W9S.DLL", 1, "SYS32\\SNBD6W9S.DLL", false}, {"ENG", "MSVCRT40.DLL", 1, "SYS32\\MSVCRT40.DLL", true},
        {"ENG", "GEAR32SD.DLL", 1, "SYS32\\MSVCRT40.DLL", false},  // the old run-time goes with it
        {"ENG", "MSVCRT.DLL", 0, "PROG\\QSPOOL.EXE", false},  // stops without a message
        {"ENG", "CTL3DV2.Z", 1, "SYS\\CTL3DV2.DLL", false}, {"FRE", "SNBD6W3S.DLL", 1, "SYS\\SNBD6W3S.DLL", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.removed);
        PutShareOnly();
        ASSERT_TRUE(DeleteFileA((Share() + c.removed).c_str()) && DeleteFileA((I386() + c.removed).c_str()));
        tst::DialogDriver driver;
        if (c.errorBox) driver.Expect(ft::ErrorBox("Cannot copy file: " + Share() + c.removed));
        EXPECT_EQ(c.result, InstallAll(c.language));
        EXPECT_FALSE(tst::FileExists(root_.File(c.notInstalled)));
        EXPECT_TRUE(tst::FileExists(Programs() + "TELMORA.EXE"));
    }
}

TEST_F(ProgramFiles, FinishingNeedsTheClientProgram) {
    text::Copy(g_setup.configDirectory, Windows().c_str());
    ClientSettings settings = {};
    text::Copy(settings.programDir, Programs().c_str());
    text::Copy(settings.systemArea, Share().c_str());
    ClientSettings notebook = settings;
    text::Copy(notebook.programDir, Share().c_str());
    ft::PutFile(Programs() + "TELMORA.EXE", "client");
    // With a network server the notebook record's directories count.
    g_setup.netBaseDirSwitch = 1;
    tst::DialogDriver driver;
    driver.Expect(ft::ErrorBox("Client files have not been copied successfully"));
    EXPECT_EQ(0, FinishClientSetup(&settings, &notebook, kWithoutProgmanQuestion));
    EXPECT_FALSE(tst::FileExists(Windows() + "TELMORA.INI"));
    // Aborting the Program Manager question stops after the configuration.
    g_setup.netBaseDirSwitch = 0;
    driver.Expect(tst::DialogExpect("Telmora installation", {"Do you want to add a new entry in the"}).Press(IDC_ABORT));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(0, FinishClientSetup(&settings, &notebook, kWithProgmanQuestion));
    EXPECT_TRUE(tst::FileExists(Windows() + "TELMORA.INI"));
}

}  // namespace
