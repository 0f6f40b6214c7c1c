// The line primitives of TELMORA.INI on real files: how raw bytes become
// lines (control characters, line ends, over-long lines, a missing last line
// end), where sections and keys are found and where the file stands after a
// failed search; values and tokens taken apart.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/config_lines.h"
#include "support/temp_directory.h"

namespace {

// Opens `bytes` as a file read without line-end translation.
class ByteFile {
public:
    explicit ByteFile(const std::string& bytes) {
        path_ = directory_.File("LINES.INI");
        EXPECT_TRUE(tst::WriteFile(path_, bytes));
        file_ = std::fopen(path_.c_str(), "rb");
        EXPECT_NE(nullptr, file_);
    }
    ~ByteFile() {
        if (file_) std::fclose(file_);
    }
    FILE* Get() const { return file_; }

private:
    tst::TempDirectory directory_;
    std::string path_;
    FILE* file_ = nullptr;
};

struct LineCase {
    const char* name;
    std::string bytes;
    int size;
    std::vector<std::string> lines;
    std::vector<long> starts;  // empty: not checked
};

std::vector<LineCase> LineCases() {
    const std::string longLine(300, 'x');
    const std::string exactLine(200, 'y');
    const std::string hugeLine(100000, 'z');
    return {
        {"empty file", "", 201, {}, {}},
        {"CR LF and LF", "abc\r\ndef\n", 201, {"abc", "def"}, {0, 5}},
        {"no final line end", "abc\r\nlast", 201, {"abc", "last"}, {0, 5}},
        {"CR-only line ends make one line", "a\rb\rc\r", 201, {"a b c"}, {0}},
        {"NUL, tab, DEL read as blanks", std::string("k\0e\ty\x7fz\n", 8), 201, {"k e y z"}, {}},
        {"trailing blanks, tabs and CRs go", "key: v \t \r\r\n", 201, {"key: v"}, {}},
        {"Ctrl-Z reads as a blank line", "[A]\r\n\x1a", 201, {"[A]", ""}, {0, 5}},
        {"empty lines", "\n\r\n\n", 201, {"", "", ""}, {0, 1, 3}},
        {"characters from 128 up stay", "\xe4\xf6\xfc\xff\n", 201, {"\xe4\xf6\xfc\xff"}, {}},
        {"over-long line cut, next line intact", longLine + "\r\nnext\n", 201,
         {std::string(200, 'x'), "next"}, {0, 302}},
        {"line of exactly 200 characters", exactLine + "\nnext\n", 201, {exactLine, "next"}, {0, 201}},
        {"100 000 characters", hugeLine + "\r\n[S]\r\n", 201, {std::string(200, 'z'), "[S]"}, {0, 100002}},
        {"tiny buffer", "abcdef\nxy\n", 4, {"abc", "xy"}, {0, 7}},
        {"indented line keeps its blank", "  key: v\n", 201, {"  key: v"}, {}},
    };
}

TEST(ConfigLines, ReadConfigLineTurnsBytesIntoLines) {
    for (const LineCase& c : LineCases()) {
        ByteFile file(c.bytes);
        std::vector<std::string> lines;
        std::vector<long> starts;
        std::vector<char> buffer(c.size, '#');
        long start = -1;
        while (ReadConfigLine(file.Get(), buffer.data(), c.size, &start)) {
            lines.push_back(buffer.data());
            starts.push_back(start);
            ASSERT_LT(lines.size(), 10u) << c.name;
        }
        EXPECT_EQ(c.lines, lines) << c.name;
        if (!c.starts.empty()) {
            EXPECT_EQ(c.starts, starts) << c.name;
        }
        EXPECT_STREQ("", buffer.data()) << c.name << ": buffer after the end";
    }
}

const char kSample[] =
    "[TELMORA]\r\n"                 // 0
    "Type: Init\r\n"                // 11
    "[server]\r\n"                  // 23
    "  SystemArea: indented\r\n"    // 33
    ";SystemArea: comment\r\n"      // 57
    "SystemAreaX: other\r\n"        // 79
    "systemarea:Z:\\T\\SYSTEM\r\n"  // 99
    "SystemArea: second\r\n"        // 123
    "[SERVER-WKN]\r\n"              // 143
    "RequestArea: wkn\r\n";         // 157

TEST(ConfigLines, FindSectionAndFindKeyStopWhereTheyShould) {
    ByteFile file(kSample);
    char line[201];
    long position = -1;

    ASSERT_TRUE(FindSection(file.Get(), "[SERVER]", line, sizeof line, &position));
    EXPECT_STREQ("[server]", line);
    EXPECT_EQ(33, position);

    // Indented and comment lines are no settings; a longer key is only a prefix match.
    ASSERT_TRUE(FindKey(file.Get(), "SystemArea", line, sizeof line, position));
    EXPECT_STREQ("SystemAreaX: other", line);
    ASSERT_TRUE(FindKey(file.Get(), "SystemArea:", line, sizeof line, position));
    EXPECT_STREQ("systemarea:Z:\\T\\SYSTEM", line);

    // The next section ends the search: the file is back at the section's start.
    EXPECT_FALSE(FindKey(file.Get(), "RequestArea:", line, sizeof line, position));
    EXPECT_STREQ("", line);
    EXPECT_EQ(position, std::ftell(file.Get()));

    // From here the next section of any name is [SERVER-WKN].
    ASSERT_TRUE(FindSection(file.Get(), nullptr, line, sizeof line, &position));
    EXPECT_STREQ("[SERVER-WKN]", line);
    ASSERT_TRUE(FindKey(file.Get(), "RequestArea:", line, sizeof line, position));

    // A failed search leaves the file where it stood.
    std::fseek(file.Get(), 11, SEEK_SET);
    EXPECT_FALSE(FindSection(file.Get(), "[WORKSTATION]", line, sizeof line, &position));
    EXPECT_STREQ("", line);
    EXPECT_EQ(11, std::ftell(file.Get()));
    // "[SERVER]" is no prefix of "[SERVER-WKN]" and vice versa.
    std::fseek(file.Get(), 143, SEEK_SET);
    EXPECT_FALSE(FindSection(file.Get(), "[SERVER]", line, sizeof line, nullptr));
}

struct ValueCase {
    const char* line;
    const char* value;  // null: none
};

const ValueCase kValueCases[] = {
    {"Key: value", "value"},
    {"Key:value with blanks", "value with blanks"},
    {"Key=  \t value", "value"},
    {"Key: a:b", "a:b"},
    {"Key = x: y", "x: y"},
    {"Key:", nullptr},
    {"Key:   ", nullptr},
    {"no separator", nullptr},
    {"", nullptr},
};

TEST(ConfigLines, ValueStartTable) {
    for (const ValueCase& c : kValueCases) {
        const char* value = ValueStart(c.line);
        if (!c.value) {
            EXPECT_EQ(nullptr, value) << c.line;
        } else {
            ASSERT_NE(nullptr, value) << c.line;
            EXPECT_STREQ(c.value, value) << c.line;
        }
    }
    EXPECT_EQ(nullptr, ValueStart(nullptr));
}

struct TokenCase {
    const char* text;
    std::vector<std::string> tokens;
};

const TokenCase kTokenCases[] = {
    {"PRIMARY", {"PRIMARY"}},
    {"primary, more text", {"primary", "more", "text"}},
    {"a,b ,  c", {"a", "b", "c"}},
    {"\"quoted, text\" rest", {"\"quoted, text\"", "rest"}},
    {"\"\",x", {"\"\"", "x"}},
    {"\"unclosed", {"\"unclosed"}},
    {",lead", {"", "lead"}},
    {"tab\tnext", {"tab", "next"}},
    {"", {""}},
};

TEST(ConfigLines, NextTokenTable) {
    for (const TokenCase& c : kTokenCases) {
        std::vector<std::string> tokens;
        const char* next = c.text;
        while (next && tokens.size() < 10) {
            short length = -1;
            const char* token = NextToken(next, &length, &next);
            ASSERT_NE(nullptr, token) << c.text;
            tokens.emplace_back(token, length);
        }
        EXPECT_EQ(c.tokens, tokens) << c.text;
    }
    short length = 5;
    const char* next = "x";
    EXPECT_EQ(nullptr, NextToken(nullptr, &length, &next));
    EXPECT_EQ(nullptr, next);
}

}  // namespace
