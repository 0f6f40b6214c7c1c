// Tests of the client's registry and WIN.INI entries against the real stores
// of the test prefix: the load= line rebuilt, the nine verb keys and the
// [Extensions] entries, unregistering that stops at the first refused
// deletion, the uninstall entry, and the per-user settings keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/setup_context.h"
#include "desktop/registry_entries.h"
#include "support/dialog_driver.h"
#include "support/import_hook.h"

namespace {

const char kWinIniWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kWinIniExtensionsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Extensions";
const char kUninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation";
const char kMaker[] = "Software\\Norvale";
const char* const kExtensionKeys[] = {".G3F", ".G3N", ".G3S"};

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        << path;
    RegCloseKey(key);
}

// A REG_SZ value ("" for the default value); "<missing>" when it cannot be read.
std::string ReadText(HKEY root, const std::string& path, const char* name, DWORD* bytes = nullptr) {
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegGetValueA(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, value, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return "<missing>";
    }
    if (bytes) *bytes = size;
    return value;
}

std::string Profile(const char* section, const char* key) {
    char value[1024];
    GetProfileStringA(section, key, "<missing>", value, sizeof value);
    return value;
}

void DeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()); }

class RegistryEntriesTest : public testing::Test {
protected:
    void SetUp() override {
        g_setup.appInstance = GetModuleHandleA(nullptr);
        g_setup.mainWindow = nullptr;
        g_setup.languageLibrary = nullptr;
        Clean();
    }
    void TearDown() override { Clean(); }

    static void Clean() {
        WriteProfileStringA("windows", "load", nullptr);
        for (const char* extension : kExtensionKeys) {
            DeleteTree(HKEY_CLASSES_ROOT, extension);
            WriteProfileStringA("Extensions", extension + 1, nullptr);
        }
        DeleteTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
        DeleteTree(HKEY_USERS, std::string(".Default\\") + kMaker);
        DeleteTree(HKEY_CURRENT_USER, kMaker);
    }
};

TEST_F(RegistryEntriesTest, LoadLineLosesEveryClientElementAndGainsTheNewOne) {
    struct Case {
        const char* before;
        const char* directory;
        const char* after;
    };
    const std::string longLine(250, 'A');
    const std::string readPart(200, 'A');
    const Case cases[] = {
        {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", nullptr, "NOTEPAD.EXE"},
        {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", "D:\\NEW\\", "NOTEPAD.EXE,D:\\NEW\\TELMORA.EXE"},
        {"", "D:\\NEW\\", "D:\\NEW\\TELMORA.EXE"},
        {"", nullptr, ""},
        {"MYTELMORA.EXE", "c:\\tm\\", "MYTELMORA.EXE,C:\\TM\\TELMORA.EXE"},
        {"C:\\TELMORA\\OTHER.EXE,CLOCK.EXE", nullptr, "CLOCK.EXE"},
        // Other programs keep every byte (spaces too); the whole line is upper case.
        {"c:\\telmora\\telmora.exe,  clock.exe /min ,x:\\TELMORA.EXE", nullptr, "  CLOCK.EXE /MIN "},
        // Only the first 200 characters of the line are read.
        {longLine.c_str(), nullptr, readPart.c_str()},
        {"TELMORA,A.EXE,TELMORA.EXE,B.EXE,TELMORA", "E:\\", "A.EXE,B.EXE,E:\\TELMORA.EXE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " + " + (c.directory ? c.directory : "(none)"));
        ASSERT_TRUE(WriteProfileStringA("windows", "load", c.before));
        EXPECT_EQ(1, UpdateLoadList(c.directory));
        EXPECT_EQ(c.after, Profile("windows", "load"));
        EXPECT_STREQ("Windows initialisation file (WIN.INI) updated", g_setup.displayProgress);
    }
    // Wine keeps [windows] of WIN.INI in the registry.
    EXPECT_EQ("A.EXE,B.EXE,E:\\TELMORA.EXE", ReadText(HKEY_CURRENT_USER, kWinIniWindowsKey, "load"));
}

BOOL WINAPI RefuseProfileWrite(LPCSTR, LPCSTR, LPCSTR) { return FALSE; }

TEST_F(RegistryEntriesTest, UnwritableWinIniIsReportedAndFails) {
    // Wine cannot refuse a WIN.INI write (the registry behind it takes every
    // value), so the write is refused at the import.
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", "Error updating WIN.INI file", {IDOK}));
    {
        tst::ImportHook refuse("KERNEL32.dll", "WriteProfileStringA", reinterpret_cast<void*>(&RefuseProfileWrite));
        EXPECT_EQ(0, UpdateLoadList("C:\\TELMORA\\"));
    }
    EXPECT_STREQ("", g_setup.displayProgress);
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(RegistryEntriesTest, NineVerbKeysAndThreeExtensionsEntriesAreWrittenAndRemoved) {
    EXPECT_EQ(1, RegisterFaxExtensions("c:\\Program Files\\Telmora\\telmora.exe"));
    const std::string program = "C:\\PROGRAM FILES\\TELMORA\\TELMORA.EXE";
    for (const char* extension : kExtensionKeys) {
        SCOPED_TRACE(extension);
        const std::string shell = std::string(extension) + "\\shell\\";
        DWORD bytes = 0;
        EXPECT_EQ(program + " %1", ReadText(HKEY_CLASSES_ROOT, shell + "open\\command", nullptr, &bytes));
        EXPECT_EQ(program.size() + 4, bytes);  // with the terminator
        EXPECT_EQ(program + " /P %1", ReadText(HKEY_CLASSES_ROOT, shell + "print\\command", nullptr));
        EXPECT_EQ(program + " /P %1 /S %2", ReadText(HKEY_CLASSES_ROOT, shell + "printto\\command", nullptr));
        // [Extensions] of WIN.INI, which Wine keeps in the registry.
        EXPECT_EQ(program + " ^" + extension, Profile("Extensions", extension + 1));
        EXPECT_EQ(program + " ^" + extension, ReadText(HKEY_CURRENT_USER, kWinIniExtensionsKey, extension + 1));
    }

    for (const char* extension : kExtensionKeys) {
        EXPECT_EQ(1, UnregisterExtension(extension + 1)) << extension;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, extension)) << extension;
        EXPECT_EQ("<missing>", Profile("Extensions", extension + 1));
    }
}

TEST_F(RegistryEntriesTest, VerbBeyondItsLimitsIsNotRegistered) {
    struct Case {
        std::string program, extension, keyPath, arguments;
        int result;
    };
    const std::string path268 = "C:\\" + std::string(259, 'P') + "\\Q.EXE";  // 268 characters
    const std::string keyPath256 = ".G3F\\" + std::string(251, 'K');
    const Case cases[] = {
        {path268, ".G3F", ".G3F\\shell\\open\\command", "%1", 1},
        {path268 + "X", ".G3F", ".G3F\\shell\\open\\command", "%1", 0},
        {"C:\\Q.EXE", ".G3FX", ".G3F\\shell\\open\\command", "%1", 0},
        {"C:\\Q.EXE", ".G3F", keyPath256, "/P", 1},
        {"C:\\Q.EXE", ".G3F", keyPath256 + "K", "/P", 0},
        {"C:\\Q.EXE", ".G3F", ".G3F\\shell\\print\\command", std::string(32, 'A'), 1},
        {"C:\\Q.EXE", ".G3F", ".G3F\\shell\\print\\command", std::string(33, 'A'), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.program.size()) + " " + c.extension + " " + std::to_string(c.keyPath.size()) +
                     " " + std::to_string(c.arguments.size()));
        Clean();
        EXPECT_EQ(c.result, RegisterExtensionVerb(c.program.c_str(), c.extension.c_str(), c.keyPath.c_str(),
                                                  c.arguments.c_str()));
        EXPECT_EQ(c.result == 1, KeyExists(HKEY_CLASSES_ROOT, c.keyPath));
        EXPECT_EQ(c.result == 1 && c.arguments == "%1", Profile("Extensions", "G3F") != "<missing>");
    }
}

TEST_F(RegistryEntriesTest, UnregisteringStopsAtTheFirstRefusedDeletion) {
    ASSERT_EQ(1, RegisterFaxExtensions("C:\\TELMORA\\TELMORA.EXE"));
    // A key with a subkey of its own cannot be deleted: the print verb's
    // command key stops the removal there.
    CreateKey(HKEY_CLASSES_ROOT, ".G3N\\shell\\print\\command\\ddeexec");

    EXPECT_EQ(0, UnregisterExtension("G3N"));
    EXPECT_EQ("<missing>", Profile("Extensions", "G3N"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".G3N\\shell\\open"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".G3N\\shell\\print\\command"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".G3N\\shell\\printto\\command"));
    // The other extensions are untouched.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".G3F\\shell\\open\\command"));
    EXPECT_NE("<missing>", Profile("Extensions", "G3F"));
}

TEST_F(RegistryEntriesTest, UninstallEntryIsWrittenAndRemoved) {
    EXPECT_EQ(1, WriteUninstallEntry("\\\\FAXSERVER\\TELMORA\\SYSTEM\\"));
    EXPECT_EQ("Telmora Workstation", ReadText(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
    EXPECT_EQ("\\\\FAXSERVER\\TELMORA\\SYSTEM\\STNINST /X",
              ReadText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString"));

    EXPECT_EQ(1, RemoveClientRegistryKeys());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallEntry));
    // Without the entry the removal reports a failure.
    EXPECT_EQ(0, RemoveClientRegistryKeys());
}

TEST_F(RegistryEntriesTest, ClientSettingsGoForEveryUserAndTheMakerKeyOnlyWhenEmpty) {
    const std::string otherUser = std::string(".Default\\") + kMaker;
    CreateKey(HKEY_USERS, otherUser + "\\Telmora\\Settings");
    CreateKey(HKEY_USERS, otherUser + "\\Telmora Coversheet Editor");
    CreateKey(HKEY_USERS, otherUser + "\\Other Program");
    CreateKey(HKEY_CURRENT_USER, std::string(kMaker) + "\\Telmora\\Fonts");
    CreateKey(HKEY_CURRENT_USER, std::string(kMaker) + "\\Telmora Coversheet Editor\\Recent");

    // No uninstall entry: that part fails, every user is still cleaned.
    EXPECT_EQ(0, RemoveClientRegistryKeys());
    EXPECT_FALSE(KeyExists(HKEY_USERS, otherUser + "\\Telmora"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, otherUser + "\\Telmora Coversheet Editor"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, otherUser + "\\Other Program"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMaker));
}

TEST_F(RegistryEntriesTest, KeyWithDeeperSubkeysIsLeftAndReportedWithoutLooping) {
    const std::string client = std::string(kMaker) + "\\Telmora";
    CreateKey(HKEY_CURRENT_USER, client + "\\A\\Deeper");
    HKEY maker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kMaker, 0, KEY_ALL_ACCESS, &maker));

    EXPECT_EQ(0, DeleteKeyAndSubkeys(maker, "Telmora"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, client + "\\A\\Deeper"));
    EXPECT_EQ(1, DeleteKeyAndSubkeys(maker, "Not There"));
    RegCloseKey(maker);
}

}  // namespace
