// Registry value tables of the NT fax printer against Wine's real registry:
// the path walk, loading over existing values, saving, and the exists-test.
// Each test works below its own key of HKEY_CURRENT_USER, removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/bounded_text.h"
#include "printers/printer_state.h"
#include "printers/registry_tables.h"
#include "support/fresh_run_state.h"

namespace {

const char kTestRoot[] = "Software\\TelmoraTableTests";

// A scratch key HKCU\Software\TelmoraTableTests\<name>; the whole test root
// is removed afterwards.
class ScratchKey {
public:
    explicit ScratchKey(const char* name)
        : subkey_(std::string(kTestRoot) + "\\" + name),
          path_(std::string("HKEY_CURRENT_USER/Software/TelmoraTableTests/") + name) {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
    }
    ~ScratchKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }

    // The table path of this key ("/" separated).
    const std::string& Path() const { return path_; }

    void SetNumber(const char* name, DWORD value) const { Set(name, REG_DWORD, &value, sizeof value); }
    void SetText(const char* name, const char* value) const {
        Set(name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
    }
    void Set(const char* name, DWORD type, const void* data, DWORD size) const {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, subkey_.c_str(), name, type, data, size), ERROR_SUCCESS);
    }
    // Type of value `name`, 0 when missing; its bytes in `data`.
    DWORD Get(const char* name, std::string* data = nullptr) const {
        DWORD type = 0;
        char buffer[kRegValueDataSize] = {};
        DWORD size = sizeof buffer;
        if (RegGetValueA(HKEY_CURRENT_USER, subkey_.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer,
                         &size) != ERROR_SUCCESS) {
            return 0;
        }
        if (data) data->assign(buffer, size);
        return type;
    }
    DWORD GetNumber(const char* name) const {
        std::string data;
        EXPECT_EQ(Get(name, &data), static_cast<DWORD>(REG_DWORD)) << name;
        DWORD value = 0;
        if (data.size() == sizeof value) std::memcpy(&value, data.data(), sizeof value);
        return value;
    }

private:
    std::string subkey_;
    std::string path_;
};

// The fax printer's settings table as shipped, moved to a scratch key.
TEST(RegistryTables, LoadKeepsTheRegistrysValuesAndSaveWritesThemBack) {
    ScratchKey key("Load");
    key.SetNumber("Driver Timeout", 120);
    key.SetNumber("Logfile", 7);                 // wrong type: a number where the table holds text
    key.SetText("Fax Dialog Loc", "");           // empty text: keeps the table's data
    tst::FreshRunState();
    RegKeyTable* table = g_printers.printerSettingsTable;
    text::Copy(table[0].path, key.Path().c_str());

    LoadRegistryTable(table, 0);
    EXPECT_STREQ(FindRegistryValue(table, "Driver Timeout")->data, "120");
    EXPECT_STREQ(FindRegistryValue(table, "Logfile")->data, "C:\\temp\\faxdll.log");
    EXPECT_STREQ(FindRegistryValue(table, "MPPF Flag")->data, "0x1");  // missing in the registry

    ASSERT_EQ(SaveRegistryTable(table), 1);
    EXPECT_EQ(key.GetNumber("Driver Timeout"), 120u);
    EXPECT_EQ(key.GetNumber("MPPF Flag"), 1u);           // "0x1" read as hexadecimal
    EXPECT_EQ(key.GetNumber("Gray Intensity"), 50u);     // "0x32"
    EXPECT_EQ(key.GetNumber("Debug Flag"), 0u);
    std::string logfile;
    EXPECT_EQ(key.Get("Logfile", &logfile), static_cast<DWORD>(REG_SZ));  // the wrong type overwritten
    EXPECT_EQ(logfile, std::string("C:\\temp\\faxdll.log", 19));
    tst::FreshRunState();
}

TEST(RegistryTables, PathsOpenOnlyWhatExistsAndCreateTheRest) {
    ScratchKey key("Walk");
    const std::string deep = key.Path() + "/One/Two";
    int missing = 0;
    {
        win::Key opened = OpenRegistryPath(deep.c_str(), &missing);
        EXPECT_EQ(missing, 1);  // nothing was created
    }
    EXPECT_EQ(key.Get("anything"), 0u);
    {
        win::Key created = CreateRegistryPath(deep.c_str());
        ASSERT_TRUE(created.IsOpen());
        const char value[] = "here";
        EXPECT_EQ(RegSetValueExA(created, "Mark", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
                  ERROR_SUCCESS);
    }
    missing = 0;
    win::Key opened = OpenRegistryPath(deep.c_str(), &missing);
    EXPECT_EQ(missing, 0);
    ASSERT_TRUE(opened.IsOpen());
    EXPECT_EQ(RegQueryValueExA(opened, "Mark", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    // A missing last component: the flag is set and the deepest key that did
    // open (the one holding "Mark") comes back.
    missing = 0;
    win::Key partial = OpenRegistryPath((deep + "/Three").c_str(), &missing);
    EXPECT_EQ(missing, 1);
    ASSERT_TRUE(partial.IsOpen());
    EXPECT_EQ(RegQueryValueExA(partial, "Mark", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST(RegistryTables, AnUnknownRootNameFailsTheKey) {
    const char* const badPaths[] = {"HKEY_LOCAL_MACHINES/Software", "hkey_current_user/Software",
                                    "HKLM/Software", "Software/Microsoft", ""};
    for (const char* path : badPaths) {
        SCOPED_TRACE(path);
        int missing = 0;
        SetLastError(0);
        EXPECT_FALSE(OpenRegistryPath(path, &missing).IsOpen());
        EXPECT_EQ(missing, 1);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
        SetLastError(0);
        EXPECT_FALSE(CreateRegistryPath(path).IsOpen());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));

        RegValueEntry values[] = {{"Port", 0, REG_SZ, "kept"}, {"", 0, 0, ""}};
        RegKeyTable keys[2] = {};
        std::strcpy(keys[0].path, path[0] ? path : "x");
        keys[0].values = values;
        LoadRegistryTable(keys, 1);
        EXPECT_STREQ(values[0].data, "kept");
        EXPECT_EQ(SaveRegistryTable(keys), 0);
        EXPECT_EQ(RegistryTableExists(keys), 0);
    }
}

TEST(RegistryTables, ExistsNeedsEveryKeyAndEveryValue) {
    ScratchKey key("Ports");
    RegValueEntry values[] = {{"c:\\fax\\log\\telmora.spl", 0, REG_SZ, ""}, {"", 0, 0, ""}};
    RegKeyTable keys[2] = {};
    std::strcpy(keys[0].path, key.Path().c_str());
    keys[0].values = values;

    EXPECT_EQ(RegistryTableExists(keys), 0);  // no key
    key.SetText("another port", "");
    EXPECT_EQ(RegistryTableExists(keys), 0);  // the key without the port's value
    ASSERT_EQ(SaveRegistryTable(keys), 1);
    EXPECT_EQ(RegistryTableExists(keys), 1);
    std::string data;
    EXPECT_EQ(key.Get("c:\\fax\\log\\telmora.spl", &data), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("", 1));  // an empty text with its terminator
}

}  // namespace
