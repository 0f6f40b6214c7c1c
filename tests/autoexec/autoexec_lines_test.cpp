// The line rules of AUTOEXEC.BAT, table by table: the spooler's command
// word, the QVTLINIT line, the lines the editor forms, and which lines an
// installation must edit.
#include <gtest/gtest.h>

#include "autoexec/autoexec_lines.h"

namespace {

const int kNone = -1;

TEST(AutoexecLines, FindCommandWordFindsOnlyTheProgramItself) {
    struct Case {
        const char* line;
        int position;  // kNone: no command word
    };
    const Case cases[] = {
        {"QSPOOL", 0},
        {"qspool", 0},
        {"QSPOOL /A", 0},
        {"C:\\OLD\\QSPOOL.EXE", 0},
        {"LH C:\\OLD\\QSPOOL.EXE /A", 3},
        {"LOADHIGH  qspool.com", 10},
        {"X\tQSPOOL", 2},                     // a tab is white space
        {"@QSPOOL", 0},                       // '@' belongs to the word
        {"SET X=QSPOOL", 4},                  // '=' is no letter: the word runs back to the blank
        {"C:\\QSPOOL\\QSPOOL.EXE", 0},        // the directory QSPOOL\ does not count, the file does
        {"", kNone},
        {":QSPOOL", kNone},                   // a label
        {"REM C:\\OLD\\QSPOOL.EXE", kNone},
        {"rem QSPOOL", kNone},
        {"REMARK QSPOOL", kNone},             // the first three characters decide
        {"ECHO QSPOOL", kNone},
        {"echo.QSPOOL", kNone},
        {"C:\\OLD\\MYQSPOOL.EXE", kNone},     // a letter before the name
        {"C:\\OLD\\2QSPOOL.EXE", kNone},      // a digit before the name
        {"C:\\OLD\\QSPOOLX.EXE", kNone},      // a letter behind the name
        {"C:\\OLD\\QSPOOL1.EXE", kNone},
        {"C:\\OLD\\QSPOOL-A.EXE", kNone},     // only '.', white space or the end may follow
        {"QSPOO", kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const char* word = FindCommandWord("QSPOOL", c.line);
        EXPECT_EQ(word ? static_cast<int>(word - c.line) : kNone, c.position);
        EXPECT_EQ(IsSpoolerLine(c.line), c.position != kNone ? 1 : 0);
    }
    EXPECT_EQ(FindCommandWord("", "QSPOOL"), nullptr);
}

TEST(AutoexecLines, SpoolerLinesAreRebuiltAroundTheNewDirectory) {
    struct Case {
        const char* oldLine;
        const char* newLine;
    };
    const Case cases[] = {
        {"LH C:\\OLD\\QSPOOL.EXE /A", "LH C:\\TELMORA\\QSPOOL.EXE /A"},
        {"QSPOOL", "C:\\TELMORA\\QSPOOL.EXE"},
        {"qspool /x  /y", "C:\\TELMORA\\QSPOOL.EXE /x  /y"},
        {"LOADHIGH C:\\OLD\\QSPOOL.COM /A", "LOADHIGH C:\\TELMORA\\QSPOOL.EXE /A"},
        {"C:\\OLD\\QSPOOL.EXE/A /B", "C:\\TELMORA\\QSPOOL.EXE /B"},  // the rest starts at white space
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oldLine);
        char line[kFormedLineSize];
        const char* word = FindCommandWord(kSpoolerName, c.oldLine);
        ASSERT_NE(word, nullptr);
        RebuildSpoolerLine(line, c.oldLine, word, "C:\\TELMORA\\");
        EXPECT_STREQ(line, c.newLine);
    }
    char line[kFormedLineSize];
    FormSpoolerLine(line, "D:\\FAX\\");
    EXPECT_STREQ(line, "D:\\FAX\\QSPOOL.EXE");
}

TEST(AutoexecLines, QvtlinitLineAndValue) {
    struct Case {
        const char* line;
        int isQvtlinit;
    };
    const Case cases[] = {
        {"SET QVTLINIT=C:\\TELMORA", 1}, {"set qvtlinit=c:\\x", 1}, {"SET QVTLINIT", 1},
        {"SET QVTLINITX=1", 1},  // twelve characters decide
        {"SET QVTLINI", 0},      {"SET  QVTLINIT=C:\\X", 0}, {" SET QVTLINIT=C:\\X", 0}, {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(IsQvtlinitLine(c.line), c.isQvtlinit);
    }
    struct ValueCase {
        const char* initDir;
        const char* value;
    };
    const ValueCase values[] = {{"z:\\telmora\\", "Z:\\TELMORA"}, {"C:\\", "C:\\"}, {"", ""}};
    for (const ValueCase& v : values) {
        SCOPED_TRACE(v.initDir);
        char value[272];
        QvtlinitValueOf(value, sizeof value, v.initDir);
        EXPECT_STREQ(value, v.value);
    }
    char line[kFormedLineSize];
    FormQvtlinitLine(line, "Z:\\TELMORA");
    EXPECT_STREQ(line, "SET QVTLINIT=Z:\\TELMORA");
}

TEST(AutoexecLines, StartupRequestAsksOnlyForWhatDiffers) {
    const char* windows = "C:\\WINDOWS\\";
    struct Case {
        int useTsr;
        int tsrInFile;
        const char* qvtlinit;
        const char* configDir;
        int quiet;
        int request;
    };
    const Case cases[] = {
        {0, 0, "", "C:\\WINDOWS\\", 0, 0},                           // the client finds TELMORA.INI there
        {0, 0, "", "c:\\windows\\", 0, 0},
        {0, 0, "", "C:\\TELMORA\\", 0, kRequestQvtlinit},            // elsewhere it needs the variable
        {0, 0, "C:\\OLD\\", "C:\\TELMORA\\", 0, kRequestQvtlinit},    // set to another directory
        {0, 0, "C:\\OLD\\", "C:\\WINDOWS\\", 0, kRequestQvtlinit},
        {0, 0, "C:\\TELMORA\\", "c:\\telmora\\", 0, 0},              // already right
        {1, 0, "", "C:\\WINDOWS\\", 0, kRequestBoth},                // the spooler needs the variable
        {1, 1, "C:\\TELMORA\\", "C:\\TELMORA\\", 0, 0},
        {7, 1, "C:\\TELMORA\\", "C:\\TELMORA\\", 0, 0},              // any non-zero is "use"
        {0, 1, "C:\\TELMORA\\", "C:\\TELMORA\\", 0, kRequestSpooler},  // the spooler line must go
        {1, 0, "", "C:\\TELMORA\\", 1, kRequestSpooler},             // a quiet run leaves QVTLINIT
        {0, 0, "C:\\OLD\\", "C:\\TELMORA\\", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.useTsr << c.tsrInFile << " '" << c.qvtlinit << "' " << c.configDir
                                        << " quiet " << c.quiet);
        EXPECT_EQ(StartupRequest(c.useTsr, c.tsrInFile, c.qvtlinit, c.configDir, windows, c.quiet), c.request);
    }
}

}  // namespace
