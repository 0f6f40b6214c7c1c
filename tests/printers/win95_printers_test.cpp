// The fax printers on Windows 95 against Wine's WIN.INI and profile files: the entries for a log area of its
// own, the default printer, the Word settings, copy failures and their questions, and the removal of entries
// that only older installations made.
#include <vector>

#include "files/file_test_support.h"
#include "printers/fax_printers.h"
#include "support/import_hook.h"

namespace {

const char kWindows[] = "C:\\WINDOWS\\";  // Wine's Windows directory: WIN.INI, QVPRIN.INI, WINWORD6.INI
const char kMultisendPort[] = "C:\\WINDOWS\\TELMORA.SPL";
const char* const kSupportFiles[] = {"QVPRNMRG.DLL", "QVPRNCTL.EXE", "THK16MFX.DLL", "THK32MFX.DLL", "IMG16MFX.DLL",
                                     "IMG32MFX.DLL", "UNIDRV.DLL", "UNIDRV.HLP", "ICONLIB.DLL"};

struct Entry {
    const char* section;
    std::string key, value;
};

// Windows 95 with a share of every printer driver file (the drivers of both printers in I386\), the SYSTEM
// directory a scratch one, and a WIN.INI without entries of the printers, before and after.
class Win95Printers : public ft::ScratchPc {
protected:
    void SetUp() override {
        ScratchPc::SetUp();
        text::Copy(g_directories.windows, kWindows);
        Clear();
        for (const char* file : {"QVPRIN.DRV", "QVPRN95.DRV"}) ft::PutFile(I386() + file, file);
        for (const char* file : kSupportFiles) ft::PutFile(Share() + file, file);
    }
    void TearDown() override {
        Clear();
        ScratchPc::TearDown();
    }
    void Clear() {
        for (const char* section : {"PrinterPorts", "devices"}) {
            for (const char* key : {"Telmora", "Telmora Printer", "Telmora Multisend Printer"}) {
                WriteProfileStringA(section, key, nullptr);
            }
        }
        for (const std::string& port : {std::string("TELMORA.SPL"), std::string(kMultisendPort), SpoolPath()}) {
            WriteProfileStringA("ports", port.c_str(), nullptr);
        }
        WriteProfileStringA("windows", "device", nullptr);
        DeleteFileA("C:\\WINDOWS\\QVPRIN.INI");
        DeleteFileA("C:\\WINDOWS\\WINWORD6.INI");
    }
    std::string SpoolPath() const {
        std::string path = Programs() + "telmora.spl";
        CharLowerA(&path[0]);
        return path;
    }
    int Install(const std::string& logArea = kWindows) { return InstallFaxPrinters(Share().c_str(), logArea.c_str()); }
    void ExpectEntries(const std::vector<Entry>& entries) {
        for (const Entry& e : entries) EXPECT_EQ(e.value, tst::ProfileValue(e.section, e.key)) << e.section << " " << e.key;
    }

    tst::FakeWindowsVersion version_{tst::kWindows95};
};

// A log area elsewhere than the Windows directory (the lifecycle installs into it): the fax printer's
// port is its lower-case spool path, once; a driver file already there and Word's own flags stay; the
// default printer, when it is the fax printer, is rewritten for the new driver and port.
TEST_F(Win95Printers, TheEntriesForALogAreaElsewhere) {
    ft::PutFile(System() + "UNIDRV.DLL", "the system's own");
    ASSERT_TRUE(tst::WriteFile("C:\\WINDOWS\\WINWORD6.INI", "[Telmora Printer]\r\nFlags=+2\r\n"));
    WriteProfileStringA("windows", "device", "TELMORA PRINTER,QVTL,LPT1:");
    ASSERT_EQ(1, Install(Programs()));
    ExpectEntries({{"PrinterPorts", "Telmora Printer", "QVPRIN," + SpoolPath() + ",15,45"},
                   {"devices", "Telmora Printer", "QVPRIN," + SpoolPath()},
                   {"ports", SpoolPath(), ""},
                   {"ports", "TELMORA.SPL", ft::kMissing},
                   {"Devices", "Telmora Multisend Printer", std::string("QVPRN95,") + kMultisendPort},
                   {"windows", "device", "Telmora printer,QVPRIN," + SpoolPath()}});
    EXPECT_STREQ("Windows initialisation settings updated", g_setup.displayProgress);
    EXPECT_EQ(Programs() + "QVPRINT1.SPL", tst::ProfileValue("Owner", "DefaultFileName", "QVPRIN.INI"));
    EXPECT_EQ("the system's own", ft::Content(System() + "UNIDRV.DLL"));
    EXPECT_EQ("UNIDRV.HLP", ft::Content(System() + "UNIDRV.HLP"));
    EXPECT_EQ("+2", tst::ProfileValue("Telmora Printer", "Flags", "WINWORD6.INI"));
    EXPECT_EQ("+64", tst::ProfileValue("Telmora Multisend Printer", "Flags", "WINWORD6.INI"));
}

// A file missing from the share: the copy engine's question, then the printer's, answered Yes (the next file
// follows) or No (the end). A failed shared driver file ends the work before any entry, whatever the answer.
TEST_F(Win95Printers, ACopyFailureAsksWhetherToGoOn) {
    const struct {
        const char *file, *label;
        int answer;
        const char* devices;  // the fax printer's entry afterwards
    } cases[] = {{"QVPRNMRG.DLL", "Telmora Printer", IDNO, ft::kMissing},
                 {"QVPRNMRG.DLL", "Telmora Printer", IDYES, "QVPRIN,TELMORA.SPL"},
                 {"UNIDRV.HLP", "Telmora printer(s)", IDYES, ft::kMissing},
                 {"UNIDRV.HLP", "Telmora printer(s)", IDNO, ft::kMissing}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.answer));
        Clear();
        DeleteFileA((Share() + c.file).c_str());
        DeleteFileA((System() + c.file).c_str());
        tst::DialogDriver driver;
        driver.Expect(ft::Question(ft::CopyFailed(Share() + c.file, System() + c.file), IDNO));
        driver.Expect(ft::Question(std::string("Unable to install ") + c.label + ".\nFailure copying file '" + c.file +
                                       "'\n", c.answer));
        EXPECT_EQ(c.answer == IDYES ? 1 : 0, Install());
        EXPECT_EQ(c.devices, tst::ProfileValue("devices", "Telmora Printer"));
        ft::PutFile(Share() + c.file, c.file);
    }
}

// The removal recognises a default printer of ours by any of its names in any letter case, the oldest bare
// name "Telmora," too, and deletes only that.
TEST_F(Win95Printers, TheRemovalDeletesOnlyADefaultPrinterOfOurs) {
    const std::pair<const char*, bool> cases[] = {
        {"telmora,QVTL,LPT1:", true}, {"TELMORA PRINTER,QVPRIN,TELMORA.SPL", true},
        {"Telmora printer,QVTL,c:\\fax\\telmora.spl", true}, {"telmora multisend printer,QVPRN95,C:\\X", true},
        {"TelmoraX,TMX,LPT1:", false}, {"HP LaserJet 4,HPPCL5MS,LPT1:", false}};
    for (const auto& c : cases) {
        WriteProfileStringA("windows", "device", c.first);
        WriteProfileStringA("PrinterPorts", "Telmora", "QVTL,TELMORA.SPL,15,45");
        WriteProfileStringA("devices", "Telmora", "QVTL,TELMORA.SPL");
        EXPECT_EQ(1, RemoveFaxPrinters(kWindows));
        EXPECT_EQ(c.second ? ft::kMissing : c.first, tst::ProfileValue("windows", "device"));
        ExpectEntries({{"PrinterPorts", "Telmora", ft::kMissing}, {"devices", "Telmora", ft::kMissing}});
        EXPECT_STREQ("Windows initialisation settings updated", g_setup.displayProgress);
    }
}

}  // namespace
