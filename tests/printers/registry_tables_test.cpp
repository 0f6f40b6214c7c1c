// The NT fax printer's settings table against Wine's registry, below a scratch key of HKEY_CURRENT_USER:
// loaded over what the registry holds, then saved, every value.
#include "files/file_test_support.h"
#include "printers/printer_state.h"
#include "printers/registry_tables.h"

namespace {

const char kRoot[] = "Software\\TelmoraTableTests";
const char kPath[] = "HKEY_CURRENT_USER/Software/TelmoraTableTests/Key";
const char kKey[] = "Software\\TelmoraTableTests\\Key";

class RegistryTables : public testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        RegDeleteTreeA(HKEY_CURRENT_USER, kRoot);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kRoot);
        tst::FreshRunState();
    }
    // "REG_SZ text" or "REG_DWORD number" of value `name` below kKey; "" when missing.
    static std::string Value(const char* name) {
        DWORD type = 0;
        char data[kRegValueDataSize] = {};
        DWORD size = sizeof data;
        if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS) return "";
        if (type == REG_DWORD) return "REG_DWORD " + std::to_string(*reinterpret_cast<DWORD*>(data));
        return (type == REG_SZ ? "REG_SZ " : "other ") + std::string(data);
    }
};

TEST_F(RegistryTables, TheSettingsLoadedOverTheRegistrysAndSaved) {
    DWORD timeout = 120;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Driver Timeout", REG_DWORD, &timeout, 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Logfile", REG_DWORD, &timeout, 4));  // wrong type
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Output Directory", REG_SZ, "", 0));  // empty
    RegKeyTable* table = g_printers.printerSettingsTable;
    text::Copy(table[0].path, kPath);
    LoadRegistryTable(table, kOpenExistingKeys);
    ASSERT_EQ(1, SaveRegistryTable(table));
    const char* const expected[][2] = {
        {"Fax Dialog Loc", "REG_SZ C:\\FAX_DLG.EXE"}, {"Logfile", "REG_SZ C:\\temp\\faxdll.log"},
        {"Output Directory", "REG_SZ C:\\temp\\"}, {"Debug Flag", "REG_DWORD 0"}, {"Erase Log Flag", "REG_DWORD 0"},
        {"File Type", "REG_SZ TIFF Group 3"}, {"MPPF Flag", "REG_DWORD 1"}, {"Output Prefix", "REG_SZ QVTL"},
        {"Reverse Fill Flag", "REG_DWORD 1"}, {"Color Mode", "REG_SZ Color - Dither from 256 Colors"},
        {"Dither Pattern", "REG_SZ Big 8x8 (65 shades)"}, {"Gray Intensity", "REG_DWORD 50"},
        {"Driver Timeout", "REG_DWORD 120"}, {"Permission", "REG_DWORD 1"},
    };
    for (const auto& value : expected) EXPECT_EQ(value[1], Value(value[0])) << value[0];
    EXPECT_STREQ("120", FindRegistryValue(table, "Driver Timeout")->data);
}

}  // namespace
