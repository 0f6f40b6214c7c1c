// The line rules of AUTOEXEC.BAT and of the safe rewrite, one row per case: the spooler's command word, the
// lines formed, what an installation must edit, the names beside a rewritten file, the copy of TELMORA.INI
// with one key set. Pure: also built natively.
#include <gtest/gtest.h>

#include <string>

#include "autoexec/autoexec_lines.h"
#include "autoexec/key_rewrite.h"
#include "autoexec/rewrite_names.h"
#include "common/byte_file.h"

namespace {

TEST(AutoexecLinesTable, CommandWordAndFormedLines) {
    const struct { const char* line; int word; } words[] = {  // the word's position; -1: none
        {"QSPOOL", 0}, {"qspool /A", 0}, {"C:\\OLD\\QSPOOL.EXE", 0}, {"LH C:\\OLD\\QSPOOL.EXE /A", 3},
        {"LOADHIGH  qspool.com", 10}, {"X\tQSPOOL", 2}, {"@QSPOOL", 0}, {"SET X=QSPOOL", 4}, {"C:\\QSPOOL\\QSPOOL.EXE", 0},
        {"", -1}, {":QSPOOL", -1}, {"REM C:\\QSPOOL.EXE", -1}, {"rem QSPOOL", -1}, {"REMARK QSPOOL", -1},
        {"ECHO QSPOOL", -1}, {"echo.QSPOOL", -1}, {"C:\\MYQSPOOL.EXE", -1}, {"C:\\2QSPOOL.EXE", -1}, {"QSPOOLX", -1},
        {"C:\\QSPOOL1.EXE", -1}, {"C:\\QSPOOL-A.EXE", -1}, {"QSPOO", -1}, {"ZQSPOOL", -1}, {"zQSPOOL", -1}, {"9QSPOOL", -1},
    };
    for (const auto& row : words) {
        const char* word = FindCommandWord("QSPOOL", row.line);
        EXPECT_EQ(row.word, word ? static_cast<int>(word - row.line) : -1) << row.line;
        EXPECT_EQ(row.word != -1 ? 1 : 0, IsSpoolerLine(row.line)) << row.line;
    }
    const char* const spooler[][2] = {
        {"LH C:\\OLD\\QSPOOL.EXE /A", "LH C:\\TELMORA\\QSPOOL.EXE /A"}, {"QSPOOL", "C:\\TELMORA\\QSPOOL.EXE"},
        {"qspool /x  /y", "C:\\TELMORA\\QSPOOL.EXE /x  /y"},
        {"LOADHIGH C:\\OLD\\QSPOOL.COM /A", "LOADHIGH C:\\TELMORA\\QSPOOL.EXE /A"},
        {"C:\\OLD\\QSPOOL.EXE/A /B", "C:\\TELMORA\\QSPOOL.EXE /B"},  // the rest starts at white space
    };
    char line[kFormedLineSize];
    for (const auto& row : spooler) {
        RebuildSpoolerLine(line, row[0], FindCommandWord(kSpoolerName, row[0]), "C:\\TELMORA\\");
        EXPECT_STREQ(row[1], line);
    }
    FormSpoolerLine(line, "D:\\FAX\\");
    EXPECT_STREQ("D:\\FAX\\QSPOOL.EXE", line);
    const char* const qvtlinit[] = {"SET QVTLINIT=C:\\X", "set qvtlinit", "SET QVTLINITX=1",  // twelve characters decide
                                    "SET QVTLINI", "SET  QVTLINIT=C:\\X", " SET QVTLINIT=C:\\X"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(i < 3 ? 1 : 0, IsQvtlinitLine(qvtlinit[i])) << qvtlinit[i];
    const char* const values[][2] = {{"z:\\telmora\\", "Z:\\TELMORA"}, {"C:\\", "C:\\"}, {"", ""}};
    for (const auto& row : values) {
        char value[272];
        QvtlinitValueOf(value, sizeof value, row[0]);
        EXPECT_STREQ(row[1], value);
    }
    FormQvtlinitLine(line, "Z:\\TELMORA");
    EXPECT_STREQ("SET QVTLINIT=Z:\\TELMORA", line);
}

TEST(AutoexecLinesTable, StartupRequest) {
    const struct { int useTsr, tsrInFile; const char *qvtlinit, *configDir; int quiet, request; } rows[] = {
        {0, 0, "", "c:\\windows\\", 0, 0},                         // the client finds TELMORA.INI there
        {0, 0, "", "C:\\TELMORA\\", 0, kRequestQvtlinit},          // elsewhere it needs the variable
        {0, 0, "C:\\OLD\\", "C:\\TELMORA\\", 0, kRequestQvtlinit},  // set to another directory
        {0, 0, "C:\\OLD\\", "C:\\WINDOWS\\", 0, kRequestQvtlinit}, {0, 0, "C:\\TELMORA\\", "c:\\telmora\\", 0, 0},
        {1, 0, "", "C:\\WINDOWS\\", 0, kRequestBoth},               // the spooler needs the variable
        {7, 1, "C:\\TELMORA\\", "C:\\TELMORA\\", 0, 0},             // any non-zero is "use"
        {0, 1, "C:\\TELMORA\\", "C:\\TELMORA\\", 0, kRequestSpooler}, {1, 0, "", "C:\\TELMORA\\", 1, kRequestSpooler},
        {0, 0, "C:\\OLD\\", "C:\\TELMORA\\", 1, 0},                 // a quiet run leaves QVTLINIT
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.request,
                  StartupRequest(row.useTsr, row.tsrInFile, row.qvtlinit, row.configDir, "C:\\WINDOWS\\", row.quiet))
            << row.useTsr << row.tsrInFile << " '" << row.qvtlinit << "' " << row.configDir << " quiet " << row.quiet;
    }
}

TEST(AutoexecLinesTable, RewriteNames) {
    const char* const rows[][4] = {
        // path, replacement temporary, backup 7, in-place temporary
        {"C:\\T\\TELMORA.INI", "C:\\T\\TELMORA.TMP", "C:\\T\\TELMORA.007", "C:\\T\\TELMORA.TMP"},
        {"C:\\T\\FOO", "C:\\T\\FOO.TMP", "C:\\T\\FOO.007", "C:\\T\\FOO.TMP"},
        {"C:\\FOO.", "C:\\FOO.TMP", "C:\\FOO.007", "C:\\FOO.TMP"}, {"C:\\x.tmp", "C:\\x.TMP", "C:\\x.007", "C:\\x.TM2"},
        {"C:\\D.IR\\FOO", "C:\\D.IR\\FOO.TMP", "C:\\D.IR\\FOO.007", "C:\\D.IR\\FOO.TMP"},
        {"A:B.C.BAT", "A:B.C.TMP", "A:B.C.007", "A:B.C.TMP"}, {"C.D:FOO", "C.D:FOO.TMP", "C.D:FOO.007", "C.D:FOO.TMP"},
    };
    for (const auto& row : rows) {
        char temporary[272], backup[272], inPlace[272];
        EXPECT_TRUE(ReplacementTempName(temporary, row[0]) && BackupName(backup, row[0], 7) &&
                    InPlaceTempName(inPlace, row[0]));
        EXPECT_EQ(std::string(row[1]) + " " + row[2] + " " + row[3], std::string(temporary) + " " + backup + " " + inPlace);
    }
    // A name that does not fit is refused: cut, it could be another file's.
    char name[16];
    EXPECT_TRUE(BackupName(name, "A.BAT", 999) && std::string("A.999") == name);
    EXPECT_TRUE(RewritePath(name, "C:\\", "FOO") && std::string("C:\\FOO.") == name);
    EXPECT_TRUE(InPlaceTempName(name, "C:\\ABCDEFGH"));
    EXPECT_FALSE(InPlaceTempName(name, "C:\\ABCDEFGHI") || ReplacementTempName(name, "C:\\TELMORAXYZ.I") ||
                 RewritePath(name, "C:\\ABCDEFGH\\", "ABC"));
}

TEST(AutoexecLinesTable, CopyWithKeySet) {
    const struct {
        std::string before;
        const char *value, *after;
    } rows[] = {
        // the key replaced; empty lines and the key's repeats in the section dropped; every line clean, with CR LF
        {"; note  \n[OTHER]\r\nServerArea: keep\r\n\r\n[server]\r\n\r\nUserArea: U\t\r\nServerArea: OLD\r\n"
         "  ServerArea: indented\r\nserverarea:dup\r\n\r\n[NEXT]\nX=1",
         "Z:\\TELMORA",
         "; note\r\n[OTHER]\r\nServerArea: keep\r\n\r\n[server]\r\nUserArea: U\r\nServerArea: Z:\\TELMORA\r\n"
         "  ServerArea: indented\r\n\r\n[NEXT]\r\nX=1\r\n"},
        {"[SERVER]\r\nServerArea: old\r\n", "", "[SERVER]\r\nServerArea:\r\n"},  // empty: nothing after the colon
        {"[SERVER]\r\nA: 1\r\n\r\n[B]\r\n", "V", "[SERVER]\r\nA: 1\r\nServerArea: V\r\n\r\n[B]\r\n"},
        {"[SERVER-WKN]\r\nServerArea: w", "V", "[SERVER-WKN]\r\nServerArea: w\r\n\r\n[SERVER]\r\nServerArea: V\r\n"},
        {"[A]\r\n  \r\n", "V", "[A]\r\n\r\n[SERVER]\r\nServerArea: V\r\n"},  // the file ended with an empty line
        {"", "V", "[SERVER]\r\nServerArea: V\r\n"},
        {"[SERVER]\r\n[X]\r\n[SERVER]\r\nServerArea: b\r\n", "V",  // only the first section of that name
         "[SERVER]\r\nServerArea: V\r\n\r\n[X]\r\n[SERVER]\r\nServerArea: b\r\n"},
        {std::string("[SERVER]\rA:\x01x\0y\r\n", 17), "V", "[SERVER] A: x y\r\nServerArea: V\r\n"},
    };
    for (const auto& row : rows) {
        tbl::ByteFile input(row.before), output;
        EXPECT_EQ(1, CopyWithKeySet(input.file, output.file, "[SERVER]", "ServerArea:", row.value, nullptr));
        EXPECT_EQ(row.after, output.Bytes()) << row.before;
    }
}

}  // namespace
