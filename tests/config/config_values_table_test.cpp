// The value rules of TELMORA.INI, one row per case: each workstation key's value taken and its setting line
// formed, the server areas and base directory derived, search-list elements, language codes, the sections a
// rewrite drops, the client's element in the WIN.INI load= line. Pure: also built natively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/config_values.h"
#include "config/load_list.h"

namespace {

TEST(ConfigValuesTable, ApplyAndFormat) {
    const std::string d255(255, 'd'), d256(256, 'd'), D255(255, 'D');
    const struct {
        WorkstationKey key;
        const char* value;
        std::string field;  // what the record holds then
        const char* line;   // the line the writer forms of it
    } rows[] = {
        {kKeyNetwork, "primary, more", "6", "Network: PRIMARY"}, {kKeyNetwork, "lanmanager", "2", "Network: LANMANAGER"},
        {kKeyNetwork, "PRIMARYX", "99", "Network: ???"}, {kKeyTimeout, "30 seconds", "30", "Timeout: 30"},
        {kKeyTimeout, "-5", "-5", "Timeout: -5"}, {kKeyTimeout, "soon", "99", "Timeout: 99"},
        {kKeyStatusTimer, nullptr, "99", "StatusTimer: 99"}, {kKeyHelp, "TELMORA.HLP", "OLD\\", "Help: OLD\\TELMORA.HLP"},
        {kKeyHelp, "d:t.hlp", "D:\\", "Help: D:\\TELMORA.HLP"}, {kKeyHelp, "c:\\p\\q\\x.HLP", "C:\\P\\Q\\", "Help: C:\\P\\Q\\TELMORA.HLP"},
        {kKeyUserArea, "c:\\u\\%UserName%", "C:\\U\\%NAME%\\", "UserArea: C:\\U\\%NAME%"},
        {kKeyUserArea, "c:\\u\\%UserName%\\x", "C:\\U\\%USERNAME%\\X\\", "UserArea: C:\\U\\%USERNAME%\\X"},
        {kKeyUserArea, "%username%", "%NAME%\\", "UserArea: %NAME%"}, {kKeyUserArea, "", "", "UserArea: "},
        {kKeySystemArea, "c:\\", "C:\\", "SystemArea: C:\\"}, {kKeyRequestArea, "z:\\r\\", "Z:\\R\\", "RequestArea: Z:\\R"},
        {kKeyLogArea, d255.c_str(), D255 + "\\", nullptr}, {kKeyLogArea, d256.c_str(), D255 + "D", nullptr},  // full
        {kKeyLanguage, "", "ENG", "Language: ENG"}, {kKeyLanguage, "german", "ger", "Language: ger"},
        {kKeyRedirect, "lpt3: and more", "LPT3: AND M", "Redirect: LPT3: AND M"},
        {kKeySpool, "lpt2", "LPT2 (QSPOOL used)", "Spool: LPT2"}, {kKeySpool, "", "", "Spool: "},
        {kKeyDefaultUser, "averylongname", "AVERYLON", "DefaultUser: AVERYLON"},
        {kKeyAccept, "*.doc,*.txt", "*.DOC,*.TXT", "Accept: *.DOC,*.TXT"}, {kKeyAdminArea, "C:\\", "", ""},
    };
    for (const auto& row : rows) {
        ClientSettings s = {};
        s.network = s.timeout = s.statusTimer = 99;
        s.useTsr = 1;
        std::strcpy(s.programDir, "OLD\\");
        ApplyWorkstationValue(&s, row.key, row.value);
        const std::string fields[] = {s.userArea, "", s.systemArea, s.requestArea, s.logArea, s.defaultUser, s.accept,
                                      std::string(s.spool) + (s.useTsr ? " (QSPOOL used)" : ""), s.redirect,
                                      std::to_string(s.timeout), std::to_string(s.statusTimer), std::to_string(s.network),
                                      s.programDir, s.language};
        EXPECT_EQ(row.field, fields[row.key]) << WorkstationKeyName(row.key) << ": " << (row.value ? row.value : "");
        char line[kSettingLineSize];
        FormatSettingLine(row.key, &s, line, sizeof line);
        EXPECT_EQ(row.line ? std::string(row.line) + (row.line[0] ? "\r\n" : "") : line, line);
    }
}

TEST(ConfigValuesTable, DerivedAreas) {
    const char* const bases[][4] = {
        // user area, system area, request area, the base recovered ("KEEP": none)
        {"Z:\\T\\USERS\\%NAME%\\", "Z:\\T\\SYSTEM\\", "Z:\\T\\REQUEST\\", "Z:\\T\\"},
        {"Z:\\T\\USERS\\%NAME%\\", "z:\\t\\system\\", "z:\\t\\Request\\", "Z:\\T\\"},
        {"Z:\\USERS\\%NAME%\\", "Z:\\SYSTEM\\", "Z:\\REQUEST\\", "Z:\\"}, {"USERS\\%NAME%\\", "SYSTEM\\", "REQUEST\\", "KEEP"},
        {"Z:\\T\\USERS\\%NAME%\\", "Z:\\U\\SYSTEM\\", "Z:\\T\\REQUEST\\", "KEEP"},
        {"Z:\\T\\USERS\\%NAME%\\", "Z:\\T\\SYS\\", "Z:\\T\\REQUEST\\", "KEEP"},
        {"Z:\\T\\PEOPLE\\%NAME%\\", "Z:\\T\\SYSTEMS\\", "Z:\\T\\REQUEST\\", "KEEP"},
    };
    for (const auto& row : bases) {
        ClientSettings s = {};
        std::strcpy(s.serverBaseDir, "KEEP");
        std::strcpy(s.userArea, row[0]);
        std::strcpy(s.systemArea, row[1]);
        std::strcpy(s.requestArea, row[2]);
        EXPECT_EQ(std::strcmp(row[3], "KEEP") != 0, RecoverServerBaseDir(&s) == 1) << row[0] << " " << row[1];
        EXPECT_STREQ(row[3], s.serverBaseDir) << row[0] << " " << row[1];
    }
    const struct {
        void (*derive)(const char*, char*, std::size_t);
        const char *from, *to;
    } areas[] = {
        {ExpectedServerArea, "z:\\t\\system\\", "z:\\t\\SERVER\\"}, {ExpectedServerArea, "SYSTEM\\", "SYSTEM\\"},
        {ExpectedServerArea, "Z:\\SYSTEMS\\", "Z:\\SYSTEMS\\"}, {AllUserAreaOf, "Z:\\T\\USERS\\%name%\\", "Z:\\T\\USERS\\"},
        {AllUserAreaOf, "%NAME%\\", "%NAME%\\"}, {UserAreaFromAllUserArea, "z:\\t\\users", "Z:\\T\\USERS\\%NAME%\\"},
        {UserAreaFromAllUserArea, "", "%NAME%\\"},
    };
    for (const auto& row : areas) {
        char area[kAreaSize];
        row.derive(row.from, area, sizeof area);
        EXPECT_STREQ(row.to, area) << row.from;
    }
}

TEST(ConfigValuesTable, SearchListLanguagesDroppedSectionsLoadList) {
    const struct {
        std::size_t size, limit;
        std::vector<std::string> elements;
    } lists[] = {{256, 254, {"C:\\A", "D:\\B", "E:\\LONGER"}}, {6, 254, {"C:\\A", "D:\\B", "E:\\LO"}},
                 {256, 3, {"C:\\", "D:\\", "E:\\"}}};
    for (const auto& row : lists) {
        std::vector<std::string> found;
        std::size_t position = 0;
        char element[256];
        while (found.size() < 5 &&
               NextSearchElement(" ; C:\\A; ;\t D:\\B ;;E:\\LONGER", &position, element, row.size, row.limit)) {
            found.push_back(element);
        }
        EXPECT_EQ(row.elements, found) << row.size << " " << row.limit;
    }
    const char* const languages[][2] = {{"DEU", "GER"}, {"deu", "GER"}, {"ENA", "ENA"}, {"FRA", "FRE"}, {"PTB", "PTG"},
                                        {"ENU", "ENU"}, {"", "ENG"},    {"SVE", "SWE"}, {"ESP", "SPA"}, {"ELL", "GRE"}};
    for (const auto& row : languages) {
        char code[kLanguageSize];
        std::strcpy(code, row[0]);
        MapWindowsLanguage(code);
        EXPECT_STREQ(row[1], code) << row[0];
    }
    const char* const lines[] = {"[A]", "[server-wkn]", "x", "[WORKSTATION-1]", "y", "[B]", "z", "[SERVER-WKN]x"};
    const std::vector<int> dropped[] = {{0, 1, 1, 0, 0, 0, 0, 1}, {0, 1, 1, 1, 1, 0, 0, 1}};
    for (int dropSecond = 0; dropSecond <= 1; ++dropSecond) {
        std::vector<int> seen;
        int dropping = 0;
        for (const char* line : lines) seen.push_back(IsDroppedLine(line, dropSecond, &dropping));
        EXPECT_EQ(dropped[dropSecond], seen) << "dropping [WORKSTATION-1]: " << dropSecond;
    }
    const struct {
        const char* list;
        int found;  // offset of the client's element, -1 for none
    } loads[] = {
        {"", -1}, {"NOTEPAD.EXE", -1}, {"TELMORA.EXE", 0}, {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", 12},
        {"MYTELMORA.EXE", -1}, {"C:\\TELMORA\\OTHER.EXE", 0}, {"C:\\X\\MYTELMORA.EXE,D:\\NEW\\TELMORA.EXE", 19},
        {"MYTELMORA.EXE TELMORA.EXE", -1},  // only the first occurrence in an element counts
        {"A.EXE,,TELMORA", 7}, {"TELMORA2.EXE", 0}, {"X_TELMORA.EXE", 0}, {"9TELMORA.EXE,ZTELMORA,TELMORA", 22},
        {"telmora.exe", -1},  // the list is matched upper-cased
    };
    for (const auto& row : loads) {
        const char* found = FindClientInLoadList(row.list);
        EXPECT_EQ(row.found, found ? static_cast<int>(found - row.list) : -1) << row.list;
    }
}

}  // namespace
