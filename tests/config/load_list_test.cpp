// The client in the WIN.INI load= line: which elements name it (a name start
// after a non-alphanumeric character, TELMORA.EXE before TELMORA), and the
// test that reads the line from WIN.INI in any case.
#include <gtest/gtest.h>

#include <windows.h>

#include "config/load_list.h"

namespace {

struct MatchCase {
    const char* list;
    int found;  // offset of the matching element, -1 for none
};

const MatchCase kMatchCases[] = {
    {"", -1},
    {"NOTEPAD.EXE", -1},
    {"TELMORA.EXE", 0},
    {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", 12},
    {"MYTELMORA.EXE", -1},
    {"C:\\TELMORA\\OTHER.EXE", 0},
    {"C:\\X\\MYTELMORA.EXE,D:\\NEW\\TELMORA.EXE", 19},
    {"MYTELMORA.EXE TELMORA.EXE", -1},     // only the first occurrence in an element counts
    {"A.EXE,,TELMORA", 7},
    {"TELMORA2.EXE", 0},                   // TELMORA as the start of a name
    {"X_TELMORA.EXE", 0},
    {"9TELMORA.EXE,TELMORA", 13},
    {"NOTEPAD.EXE,", -1},
    {"telmora.exe", -1},                    // the list is matched upper-cased
};

TEST(LoadList, FindClientInLoadListTable) {
    for (const MatchCase& c : kMatchCases) {
        const char* found = FindClientInLoadList(c.list);
        int offset = found ? static_cast<int>(found - c.list) : -1;
        EXPECT_EQ(c.found, offset) << c.list;
    }
    EXPECT_EQ(nullptr, FindClientInLoadList(nullptr));
}

TEST(LoadList, IsClientInLoadListReadsWinIni) {
    struct LoadCase {
        const char* load;  // null: no entry
        int flag;
    };
    const LoadCase cases[] = {
        {"notepad.exe,c:\\telmora\\telmora.exe", 1},
        {"notepad.exe,mytelmora.exe", 0},
        {"", 0},
        {nullptr, 0},
    };
    for (const LoadCase& c : cases) {
        ASSERT_TRUE(WriteProfileStringA("windows", "load", c.load));
        int flag = 7;
        EXPECT_EQ(1, IsClientInLoadList(&flag));
        EXPECT_EQ(c.flag, flag) << (c.load ? c.load : "(none)");
    }

    // Only the first 200 characters of the line count.
    std::string load = std::string(200, 'A') + ",TELMORA.EXE";
    ASSERT_TRUE(WriteProfileStringA("windows", "load", load.c_str()));
    int flag = 7;
    IsClientInLoadList(&flag);
    EXPECT_EQ(0, flag);
    WriteProfileStringA("windows", "load", nullptr);
}

}  // namespace
