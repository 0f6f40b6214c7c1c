// The shared text rules, one row per case: how the bytes of TELMORA.INI or AUTOEXEC.BAT become lines (and
// how many bytes each took), where sections and keys are found and where a failed search leaves the file,
// values, tokens, directories' trailing backslash, the processor subdirectory. Pure: also built natively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/architecture.h"
#include "common/byte_file.h"
#include "common/config_lines.h"
#include "common/path_helpers.h"

namespace {

using Texts = std::vector<std::string>;

TEST(TextRulesTable, ReadConfigLine) {
    const struct {
        std::string bytes;
        int size;
        Texts lines;
        std::vector<long> starts;
    } rows[] = {
        {"", 201, {}, {}},
        {"abc\r\ndef\n", 201, {"abc", "def"}, {0, 5}},                   // CR LF and LF
        {"abc\r\nlast", 201, {"abc", "last"}, {0, 5}},                   // no final line end
        {"a\rb\rc\r", 201, {"a b c"}, {0}},                               // a lone CR ends no line
        {std::string("k\0e\ty\x7fz\n", 8), 201, {"k e y z"}, {0}},        // NUL, tab, DEL read as blanks
        {"key: v \t \r\r\n  k\xff\n", 201, {"key: v", "  k\xff"}, {0, 12}},  // trailing blanks go, the rest stays
        {"[A]\r\n\x1a", 201, {"[A]", ""}, {0, 5}},                        // Ctrl-Z reads as an empty line
        {std::string(300, 'x') + "\r\nn\n", 201, {std::string(200, 'x'), "n"}, {0, 302}},
        {std::string(200, 'y') + "\nn\n", 201, {std::string(200, 'y'), "n"}, {0, 201}},
        {std::string(281, 'a') + "\r\nb", 281, {std::string(280, 'a'), "b"}, {0, 283}},
        {"one\ntwo", 1, {"", ""}, {0, 4}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 12));
        tbl::ByteFile file(row.bytes), again(row.bytes);
        Texts lines, counted;
        std::vector<long> starts;
        std::vector<char> buffer(row.size, '#'), bytes(row.size);
        long start = -1, position = 0;
        while (lines.size() < 10 && ReadConfigLine(file.file, buffer.data(), row.size, &start)) {
            lines.push_back(buffer.data());
            starts.push_back(start);
        }
        EXPECT_STREQ("", buffer.data()) << "the buffer at the end";
        // The counting form: the same lines, and the bytes each line took.
        for (long count; (count = ReadConfigLineBytes(again.file, buffer.data(), row.size, bytes.data())) > 0;) {
            EXPECT_EQ(counted.size() < starts.size() ? starts[counted.size()] : -1, position);
            counted.push_back(buffer.data());
            position += count;
        }
        EXPECT_EQ(row.lines, lines);
        EXPECT_EQ(row.starts, starts);
        EXPECT_EQ(row.lines, counted);
        EXPECT_EQ(static_cast<long>(row.bytes.size()), position);
    }
}

TEST(TextRulesTable, FindSectionAndFindKey) {
    const char sample[] = "[TELMORA]\r\nType: Init\r\n[server]\r\n  SystemArea: indented\r\n;SystemArea: comment\r\n"
                          "SystemAreaX: other\r\nsystemarea:Z:\\T\r\nSystemArea: second\r\n[SERVER-WKN]\r\nRequestArea: w\r\n";
    const struct {
        long from;
        const char *section, *key, *found;  // section null: any; key null: none; found "": none
    } rows[] = {
        {0, "[SERVER]", nullptr, "[server]"},  {0, "[SERVER]", "SystemArea", "SystemAreaX: other"},
        {0, "[SERVER]", "SystemArea:", "systemarea:Z:\\T"}, {0, "[SERVER]", "RequestArea:", ""},
        {24, nullptr, "RequestArea:", "RequestArea: w"}, {11, "[WORKSTATION]", nullptr, ""}, {136, "[SERVER]", nullptr, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.section ? row.section : "any") + " " + (row.key ? row.key : ""));
        tbl::ByteFile file(sample);
        std::fseek(file.file, row.from, SEEK_SET);
        char line[201];
        long section = -1;
        int found = FindSection(file.file, row.section, line, sizeof line, &section);
        if (row.key && found) found = FindKey(file.file, row.key, line, sizeof line, section);
        EXPECT_EQ(row.found[0] != '\0', found == 1);
        EXPECT_STREQ(row.found, line);
        // Found, the file stands behind the section line; not found, where the search began.
        if (!found || !row.key) {
            EXPECT_EQ(row.key || found ? section : row.from, std::ftell(file.file));
        }
    }
}

TEST(TextRulesTable, ValuesTokensDirectories) {
    const char* const values[][2] = {{"Key: value", "value"}, {"Key:a b", "a b"}, {"Key=  \t v", "v"}, {"Key: a:b", "a:b"},
                                     {"Key = x: y", "x: y"}, {"Key:", nullptr}, {"Key:   ", nullptr}, {"none", nullptr}};
    for (const auto& row : values) {
        const char* value = ValueStart(row[0]);
        EXPECT_EQ(std::string(row[1] ? row[1] : "(none)"), value ? value : "(none)") << row[0];
    }
    const std::pair<const char*, Texts> tokens[] = {
        {"primary, more text", {"primary", "more", "text"}}, {"a,b ,  c", {"a", "b", "c"}}, {"tab\tnext", {"tab", "next"}},
        {"\"quoted, text\" rest", {"\"quoted, text\"", "rest"}}, {"\"\",x", {"\"\"", "x"}}, {"\"unclosed", {"\"unclosed"}},
        {",lead", {"", "lead"}}, {"", {""}},
    };
    for (const auto& row : tokens) {
        Texts found;
        for (const char* next = row.first; next && found.size() < 10;) {
            short length = -1;
            const char* token = NextToken(next, &length, &next);
            found.emplace_back(token, length);
        }
        EXPECT_EQ(row.second, found) << row.first;
    }
    const char* next = "x";
    short length = 0;
    EXPECT_TRUE(NextToken(nullptr, &length, &next) == nullptr && next == nullptr);

    const char* const backslash[][3] = {  // text, after AddTrailingBackslash, after RemoveTrailingBackslash
        {"", "", ""}, {"\\", "\\", "\\"}, {"C:", "C:\\", "C:"}, {"C:\\", "C:\\", "C:\\"}, {"C:\\FAX", "C:\\FAX\\", "C:\\FAX"},
        {"C:\\FAX\\", "C:\\FAX\\", "C:\\FAX"}, {"\\\\", "\\\\", "\\"}, {"C:\\ABCD", "C:\\ABCD", "C:\\ABCD"},  // a full field
    };
    for (const auto& row : backslash) {
        char added[8], removed[8];
        std::strcpy(added, row[0]);
        std::strcpy(removed, row[0]);
        EXPECT_EQ(std::strlen(row[1]), AddTrailingBackslash(added));
        RemoveTrailingBackslash(removed);
        EXPECT_EQ(std::string(row[1]) + " " + row[2], std::string(added) + " " + removed) << row[0];
    }
    const char* const architectures[][2] = {{"x86", "I386\\"}, {"X86", nullptr}, {"x86 ", nullptr}, {"MIPS R4000", "MIPS\\"},
                                            {"ALPH", "ALPHA\\"}, {"PPC", "PPC\\"}, {"PPC601", nullptr}, {"", nullptr}};
    for (const auto& row : architectures) {
        const char* subdirectory = ArchitectureSubdirectory(row[0]);
        EXPECT_EQ(std::string(row[1] ? row[1] : "(none)"), subdirectory ? subdirectory : "(none)") << row[0];
    }
}

}  // namespace
