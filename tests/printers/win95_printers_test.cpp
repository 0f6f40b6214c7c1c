// The fax printers on Windows 95 against Wine's real WIN.INI and profile
// files: the driver files copied from the share (its I386\ subdirectory
// first), QVPRIN.INI, the printer entries and ports, the default printer
// rewritten, the older QVTL printer, shared driver files kept, the Word
// settings, copy failures and their questions, the broadcast of the change.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "files/directories.h"
#include "printers/fax_printers.h"
#include "printers/win95_printers.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"

namespace {

const char kWindows[] = "C:\\WINDOWS\\";  // Wine's Windows directory: WIN.INI, QVPRIN.INI
const char kMissing[] = "<missing>";
const char kErrorCaption[] = "Error!";
const char kIgnoreSuffix[] = " - Ignore error and continue?";
const char kMultisendPort[] = "C:\\WINDOWS\\TELMORA.SPL";
const DWORD kOlderWindows = 0x80000003;  // a non-NT Windows before Windows 95

const char* const kFaxSupportFiles[] = {"QVPRNMRG.DLL", "QVPRNCTL.EXE", "THK16MFX.DLL",
                                        "THK32MFX.DLL", "IMG16MFX.DLL", "IMG32MFX.DLL"};
const char* const kSharedFiles[] = {"UNIDRV.DLL", "UNIDRV.HLP", "ICONLIB.DLL"};

struct Entry {
    const char* section;
    const char* key;
    std::string value;
};

std::string ProfileValue(const char* section, const char* key) {
    char value[256];
    GetProfileStringA(section, key, kMissing, value, sizeof value);
    return value;
}

std::string PrivateValue(const char* file, const char* section, const char* key) {
    char value[256];
    GetPrivateProfileStringA(section, key, kMissing, value, sizeof value, file);
    return value;
}

std::string Lower(std::string textValue) {
    for (char& c : textValue) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return textValue;
}

// The IDS_INSTALL_FAILED question after a failed copy, answered with `answer`.
tst::Expectation InstallQuestion(const std::string& label, const std::string& file, int answer) {
    std::string textValue = "Unable to install " + label + ".\nFailure copying file '" + file + "'\n" + kIgnoreSuffix;
    return tst::MessageBoxExpect(kErrorCaption, textValue.c_str(), {IDYES, IDNO}).Default(IDNO).Press(answer);
}

// The copy engine's question about a source that is missing, answered No.
tst::Expectation MissingSourceQuestion(const std::string& source, const std::string& target) {
    std::string textValue = "Unable to copy file " + source + "\nto file " + target + "\n\n" + kIgnoreSuffix;
    return tst::MessageBoxExpect(kErrorCaption, textValue.c_str(), {IDYES, IDNO}).Default(IDNO).Press(IDNO);
}

// A Windows 95 PC whose SYSTEM directory and share are scratch directories
// and whose WIN.INI holds none of the printers' entries.
class Win95PrinterTest : public testing::Test {
protected:
    void SetUp() override {

        tst::FreshRunState();
        text::Copy(g_directories.windows, kWindows);
        text::Copy(g_directories.system, System().c_str());
        for (const std::string& directory : {Share(), ShareI386(), System(), Log()}) {
            ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr)) << directory;
        }
        ClearWinIni();
        ClearPorts();
    }

    void TearDown() override {
        ClearWinIni();
        ClearPorts();
        tst::FreshRunState();
    }

    std::string Share() const { return root_.Path() + "SHARE\\"; }
    std::string ShareI386() const { return Share() + "I386\\"; }
    std::string System() const { return root_.Path() + "SYS32\\"; }
    std::string Log() const { return root_.Path() + "LOG\\"; }

    // Every printer driver file of a complete share; the fax driver and the
    // Multisend driver lie in I386\, the others beside it.
    void PutCompleteShare() {
        PutDriver(ShareI386(), "QVPRIN.DRV");
        PutDriver(ShareI386(), "QVPRN95.DRV");
        for (const char* file : kFaxSupportFiles) PutDriver(Share(), file);
        for (const char* file : kSharedFiles) PutDriver(Share(), file);
    }

    void PutDriver(const std::string& directory, const char* file) {
        ASSERT_TRUE(tst::WriteFile(directory + file, std::string("driver file ") + file));
    }

    std::string InSystem(const char* file) const { return tst::ReadFile(System() + file); }

    int Install(const std::string& logArea) { return InstallFaxPrinters(Share().c_str(), logArea.c_str()); }

    static void ClearWinIni() {
        for (const char* section : {"PrinterPorts", "devices"}) {
            for (const char* key : {"Telmora", "Telmora Printer", "Telmora Multisend Printer"}) {
                WriteProfileStringA(section, key, nullptr);
            }
        }
        WriteProfileStringA("windows", "device", nullptr);
        DeleteFileA("C:\\WINDOWS\\QVPRIN.INI");
        DeleteFileA("C:\\WINDOWS\\WINWORD6.INI");
    }

    // The [ports] keys of this test: the bare spool file, the Windows
    // directory's and the log area's spool paths.
    void ClearPorts() {
        for (const std::string& key : {std::string("TELMORA.SPL"), std::string(kMultisendPort)}) {
            WriteProfileStringA("ports", key.c_str(), nullptr);
        }
        WriteProfileStringA("ports", (Log() + "TELMORA.SPL").c_str(), nullptr);
    }

    void ExpectEntries(const std::vector<Entry>& entries) {
        for (const Entry& entry : entries) {
            EXPECT_EQ(entry.value, ProfileValue(entry.section, entry.key)) << entry.section << " / " << entry.key;
        }
    }

    tst::FakeWindowsVersion version_{tst::kWindows95};
    tst::TempDirectory root_;
    tst::X86Processor x86_;
};

TEST_F(Win95PrinterTest, CompleteInstallationWithTheLogAreaInTheWindowsDirectory) {
    PutCompleteShare();
    tst::DialogDriver driver;
    tst::CountingFake<BOOL, HWND, UINT, WPARAM, LPARAM> post("USER32.dll", "PostMessageA", TRUE);

    EXPECT_EQ(1, Install(kWindows));

    ExpectEntries({
        {"PrinterPorts", "Telmora Printer", "QVPRIN,TELMORA.SPL,15,45"},
        {"devices", "Telmora Printer", "QVPRIN,TELMORA.SPL"},
        {"ports", "TELMORA.SPL", ""},
        {"ports", "c:\\windows\\telmora.spl", ""},
        {"Devices", "Telmora Multisend Printer", "QVPRN95,C:\\WINDOWS\\TELMORA.SPL"},
        {"PrinterPorts", "Telmora Multisend Printer", "QVPRN95,C:\\WINDOWS\\TELMORA.SPL,15,45"},
        {"windows", "device", kMissing},
    });
    EXPECT_EQ("Windows initialisation settings updated", std::string(g_setup.displayProgress));

    // Every driver file is in the SYSTEM directory, the ones from I386\ too.
    std::vector<const char*> copied = {"QVPRIN.DRV", "QVPRN95.DRV"};
    copied.insert(copied.end(), std::begin(kFaxSupportFiles), std::end(kFaxSupportFiles));
    copied.insert(copied.end(), std::begin(kSharedFiles), std::end(kSharedFiles));
    for (const char* file : copied) EXPECT_EQ(std::string("driver file ") + file, InSystem(file));

    const char* settings = "QVPRIN.INI";
    EXPECT_EQ("QVPRNCTL.EXE", PrivateValue(settings, "Owner", "ControlDialogEXE"));
    EXPECT_EQ("C:\\WINDOWS\\QVPRINT1.SPL", PrivateValue(settings, "Owner", "DefaultFileName"));
    EXPECT_EQ("0", PrivateValue(settings, "Owner", "FileType"));
    EXPECT_EQ("0", PrivateValue(settings, "Owner", "BreakPages"));
    EXPECT_EQ("1", PrivateValue(settings, "Owner", "OverwriteIfFileExist"));
    EXPECT_EQ("QVPRNMRG.DLL", PrivateValue(settings, "FaxBatch", "LibraryName"));

    // Every top-level window is told twice that WIN.INI changed.
    EXPECT_EQ(2, post.Calls());
    EXPECT_EQ(HWND_BROADCAST, std::get<0>(post.LastArguments()));
    EXPECT_EQ(static_cast<UINT>(WM_WININICHANGE), std::get<1>(post.LastArguments()));
    EXPECT_EQ(0u, std::get<2>(post.LastArguments()));
    EXPECT_EQ(0, std::get<3>(post.LastArguments()));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(Win95PrinterTest, LogAreaElsewhereIsTheLowerCasePortOnce) {
    PutCompleteShare();
    tst::DialogDriver driver;

    EXPECT_EQ(1, Install(Log()));

    std::string port = Lower(Log() + "TELMORA.SPL");
    ExpectEntries({
        {"PrinterPorts", "Telmora Printer", "QVPRIN," + port + ",15,45"},
        {"devices", "Telmora Printer", "QVPRIN," + port},
        {"ports", port.c_str(), ""},
        {"ports", "TELMORA.SPL", kMissing},
        {"PrinterPorts", "Telmora Multisend Printer", "QVPRN95,C:\\WINDOWS\\TELMORA.SPL,15,45"},
    });
    EXPECT_EQ(Log() + "QVPRINT1.SPL", PrivateValue("QVPRIN.INI", "Owner", "DefaultFileName"));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(Win95PrinterTest, DefaultPrinterInAnotherCaseIsRewritten) {
    PutCompleteShare();
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"TELMORA PRINTER,OLD,LPT1:", "Telmora printer,QVPRIN,TELMORA.SPL"},
        {"telmora printer", "Telmora printer,QVPRIN,TELMORA.SPL"},
        {"telmora multisend printer,OLD,LPT1:", "Telmora Multisend Printer,QVPRN95,C:\\WINDOWS\\TELMORA.SPL"},
        {"Telmora Print", "Telmora Print"},
        {"Other Printer,winspool,LPT1:", "Other Printer,winspool,LPT1:"},
    };
    for (const Case& c : cases) {
        WriteProfileStringA("windows", "device", c.before);
        tst::DialogDriver driver;
        EXPECT_EQ(1, Install(kWindows));
        EXPECT_EQ(c.after, ProfileValue("windows", "device")) << c.before;
    }
}

TEST_F(Win95PrinterTest, WithoutQvprinTheOlderPrinterIsInstalled) {
    // The older driver from I386\ (the copy engine finds it there), the
    // Multisend driver missing: the shared files stay in the share.
    PutDriver(ShareI386(), "QVTL.DRV");
    for (const char* file : kSharedFiles) PutDriver(Share(), file);
    WriteProfileStringA("PrinterPorts", "Telmora", "QVTL,OLD.SPL,15,45");
    WriteProfileStringA("devices", "Telmora", "QVTL,OLD.SPL");
    tst::DialogDriver driver;

    EXPECT_EQ(1, Install(kWindows));

    ExpectEntries({
        {"PrinterPorts", "Telmora printer", "QVTL,TELMORA.SPL,15,45"},
        {"devices", "Telmora printer", "QVTL,TELMORA.SPL"},
        {"PrinterPorts", "Telmora", kMissing},
        {"devices", "Telmora", kMissing},
        {"ports", "TELMORA.SPL", ""},
        {"ports", "c:\\windows\\telmora.spl", ""},  // the spool path too, though no Multisend port
        {"PrinterPorts", "Telmora Multisend Printer", kMissing},
        {"Devices", "Telmora Multisend Printer", kMissing},
    });
    EXPECT_EQ("driver file QVTL.DRV", InSystem("QVTL.DRV"));
    for (const char* file : kSharedFiles) EXPECT_FALSE(tst::FileExists(System() + file)) << file;
    EXPECT_FALSE(tst::FileExists("C:\\WINDOWS\\QVPRIN.INI"));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(Win95PrinterTest, OlderWindowsTakesTheOlderPrinterEvenWithQvprin) {
    tst::FakeWindowsVersion older(kOlderWindows);
    PutCompleteShare();
    PutDriver(Share(), "QVTL.DRV");
    tst::DialogDriver driver;

    EXPECT_EQ(1, Install(kWindows));

    ExpectEntries({
        {"devices", "Telmora printer", "QVTL,TELMORA.SPL"},
        {"PrinterPorts", "Telmora Multisend Printer", kMissing},
    });
    for (const char* file : {"QVPRIN.DRV", "QVPRN95.DRV", "UNIDRV.DLL"}) {
        EXPECT_FALSE(tst::FileExists(System() + file)) << file;
    }
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(Win95PrinterTest, SharedDriverFilesAlreadyPresentAreNotCopiedAgain) {
    PutCompleteShare();
    ASSERT_TRUE(tst::WriteFile(System() + "UNIDRV.DLL", "the system's own"));
    ASSERT_TRUE(tst::WriteFile(System() + "ICONLIB.DLL", "the system's own"));
    tst::DialogDriver driver;

    EXPECT_EQ(1, Install(kWindows));

    EXPECT_EQ("the system's own", InSystem("UNIDRV.DLL"));
    EXPECT_EQ("the system's own", InSystem("ICONLIB.DLL"));
    EXPECT_EQ("driver file UNIDRV.HLP", InSystem("UNIDRV.HLP"));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(Win95PrinterTest, WordSettingsKeepAnExistingFlagsEntry) {
    PutCompleteShare();
    const char* word = "C:\\WINDOWS\\WINWORD6.INI";
    tst::DialogDriver driver;

    EXPECT_EQ(1, Install(kWindows));
    EXPECT_FALSE(tst::FileExists(word));  // without Word's settings none are made

    ASSERT_TRUE(tst::WriteFile(word, "[Telmora Printer]\r\nFlags=+2\r\n"));
    EXPECT_EQ(1, Install(kWindows));
    EXPECT_EQ("+2", PrivateValue("WINWORD6.INI", "Telmora Printer", "Flags"));
    EXPECT_EQ("+64", PrivateValue("WINWORD6.INI", "Telmora Multisend Printer", "Flags"));
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(Win95PrinterTest, SupportFileCopyFailureAsksWhetherToGoOn) {
    // QVPRNMRG.DLL is missing from the share: the copy engine's question and
    // then the printer's, answered Yes (the next file follows) or No (the end).
    PutCompleteShare();
    ASSERT_TRUE(DeleteFileA((Share() + "QVPRNMRG.DLL").c_str()));
    std::string source = Share() + "QVPRNMRG.DLL";
    std::string target = System() + "QVPRNMRG.DLL";

    {
        tst::DialogDriver driver;
        driver.Expect(MissingSourceQuestion(source, target));
        driver.Expect(InstallQuestion("Telmora Printer", "QVPRNMRG.DLL", IDNO));
        EXPECT_EQ(0, Install(kWindows));
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_FALSE(tst::FileExists(System() + "QVPRNCTL.EXE"));
    EXPECT_EQ(kMissing, ProfileValue("devices", "Telmora Printer"));

    {
        tst::DialogDriver driver;
        driver.Expect(MissingSourceQuestion(source, target));
        driver.Expect(InstallQuestion("Telmora Printer", "QVPRNMRG.DLL", IDYES));
        EXPECT_EQ(1, Install(kWindows));
        EXPECT_TRUE(driver.AllMet());
    }
    EXPECT_EQ("driver file QVPRNCTL.EXE", InSystem("QVPRNCTL.EXE"));
    EXPECT_EQ("QVPRIN,TELMORA.SPL", ProfileValue("devices", "Telmora Printer"));
}

TEST_F(Win95PrinterTest, SharedFileCopyFailureEndsBeforeAnyEntry) {
    // UNIDRV.HLP is missing: whatever the answer, no WIN.INI entry is written.
    PutCompleteShare();
    ASSERT_TRUE(DeleteFileA((Share() + "UNIDRV.HLP").c_str()));
    std::string source = Share() + "UNIDRV.HLP";
    std::string target = System() + "UNIDRV.HLP";

    for (int answer : {IDYES, IDNO}) {
        tst::DialogDriver driver;
        driver.Expect(MissingSourceQuestion(source, target));
        driver.Expect(InstallQuestion("Telmora printer(s)", "UNIDRV.HLP", answer));
        EXPECT_EQ(answer == IDYES ? 1 : 0, Install(kWindows));
        EXPECT_TRUE(driver.AllMet());
        EXPECT_FALSE(tst::FileExists(System() + "ICONLIB.DLL"));
        ExpectEntries({
            {"devices", "Telmora Printer", kMissing},
            {"ports", "TELMORA.SPL", kMissing},
            {"PrinterPorts", "Telmora Multisend Printer", kMissing},
        });
    }
}

}  // namespace
