// Table cases of the pure text units, run natively under AddressSanitizer and
// UndefinedBehaviorSanitizer: the documented examples of each unit and the
// field widths where a value just fits or is one character too long. Files
// are memory streams (fmemopen, open_memstream), so every unit that works on
// a FILE* runs here exactly as it does on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "autoexec/key_rewrite.h"
#include "autoexec/rewrite_names.h"
#include "common/config_lines.h"
#include "config/config_values.h"
#include "desktop/extension_text.h"
#include "desktop/load_line.h"
#include "config/load_list.h"
#include "common/architecture.h"
#include "ui/language_table.h"
#include "../fuzz/fuzz_support.h"

namespace {

// `bytes` read through a FILE*, as a file opened "rb".
class MemoryFile {
public:
    explicit MemoryFile(const std::string& bytes) : bytes_(bytes.empty() ? std::string(1, '\0') : bytes) {
        file_ = fmemopen(&bytes_[0], bytes.size(), "rb");
    }
    ~MemoryFile() {
        if (file_) std::fclose(file_);
    }
    FILE* Get() const { return file_; }

private:
    std::string bytes_;
    FILE* file_;
};

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

TEST(NativeConfigLines, ReaderCutsAndCleansLinesForEveryBufferWidth) {
    struct Case {
        std::string bytes;
        int size;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"[TELMORA]\r\nType: Init\r\n", 201, {"[TELMORA]", "Type: Init"}},
        {Repeat('a', 200) + "\r\nb", 201, {Repeat('a', 200), "b"}},
        {Repeat('a', 199) + "\nb", 201, {Repeat('a', 199), "b"}},
        {Repeat('a', 280) + " \r\n", 281, {Repeat('a', 280)}},
        {Repeat('a', 281) + "\r\nnext", 281, {Repeat('a', 280), "next"}},
        {std::string("k\0y\x7f\x1a\n", 6), 201, {"k y"}},
        {"one\ntwo\n", 1, {"", ""}},
        {"one\ntwo", 2, {"o", "t"}},
        {"", 201, {}},
    };
    for (const Case& c : cases) {
        MemoryFile file(c.bytes);
        std::vector<char> buffer(static_cast<std::size_t>(c.size));
        std::vector<std::string> lines;
        while (ReadConfigLine(file.Get(), buffer.data(), c.size, nullptr) && lines.size() < 10) {
            lines.push_back(buffer.data());
        }
        EXPECT_EQ(c.lines, lines) << c.bytes.substr(0, 20) << " / " << c.size;
    }
}

TEST(NativeConfigLines, SectionAndKeyFoundInMemoryFile) {
    MemoryFile file("[TELMORA]\r\n[workstation]\r\n userarea: no\r\nuserarea:z:\\telmora\\users\\%username%\r\n[X]\r\n");
    char line[201];
    long position = 0;
    ASSERT_TRUE(FindSection(file.Get(), "[WORKSTATION]", line, sizeof line, &position));
    ASSERT_TRUE(FindKey(file.Get(), "UserArea:", line, sizeof line, position));
    EXPECT_STREQ("z:\\telmora\\users\\%username%", ValueStart(line));
    EXPECT_FALSE(FindKey(file.Get(), "Network:", line, sizeof line, position));
    EXPECT_EQ(position, std::ftell(file.Get()));
}

ClientSettings Defaults() {
    ClientSettings settings;
    std::memset(&settings, 0, sizeof settings);
    std::strcpy(settings.language, "ENG");
    settings.timeout = 60;
    settings.network = kNetworkPrimary;
    return settings;
}

TEST(NativeConfigValues, EveryKeyTakesItsValueByItsRule) {
    ClientSettings s = Defaults();
    ApplyWorkstationValue(&s, kKeyUserArea, "z:\\telmora\\users\\%username%");
    EXPECT_STREQ("Z:\\TELMORA\\USERS\\%NAME%\\", s.userArea);
    ApplyWorkstationValue(&s, kKeySystemArea, "Z:\\TELMORA\\SYSTEM");
    ApplyWorkstationValue(&s, kKeyRequestArea, "z:\\telmora\\request\\");
    EXPECT_EQ(1, RecoverServerBaseDir(&s));
    EXPECT_STREQ("Z:\\TELMORA\\", s.serverBaseDir);

    ApplyWorkstationValue(&s, kKeyDefaultUser, "abcdefghij");
    EXPECT_STREQ("ABCDEFGH", s.defaultUser);
    ApplyWorkstationValue(&s, kKeyNetwork, "netware");
    ApplyWorkstationValue(&s, kKeyNetwork, "primary, more text");
    EXPECT_EQ(kNetworkPrimary, s.network);
    ApplyWorkstationValue(&s, kKeyNetwork, "TOKENRING");
    EXPECT_EQ(kNetworkPrimary, s.network);
    ApplyWorkstationValue(&s, kKeyTimeout, "soon");
    EXPECT_EQ(60, s.timeout);
    ApplyWorkstationValue(&s, kKeyHelp, "c:\\fax\\telmora.hlp");
    ApplyWorkstationValue(&s, kKeyHelp, "TELMORA.HLP");
    EXPECT_STREQ("C:\\FAX\\", s.programDir);
    ApplyWorkstationValue(&s, kKeySpool, "lpt2");
    EXPECT_STREQ("LPT2", s.spool);
    EXPECT_EQ(1, s.useTsr);
    ApplyWorkstationValue(&s, kKeySpool, nullptr);
    EXPECT_EQ(0, s.useTsr);
    ApplyWorkstationValue(&s, kKeyLanguage, "german");
    EXPECT_STREQ("ger", s.language);
    ApplyWorkstationValue(&s, kKeyLanguage, "");
    EXPECT_STREQ("ENG", s.language);
}

TEST(NativeConfigValues, DirectoriesAtTheFieldWidth) {
    struct Case {
        std::string value;
        std::string stored;
    };
    const Case cases[] = {
        {Repeat('d', 255), Repeat('D', 255) + "\\"},
        {Repeat('d', 256), Repeat('D', 256)},  // full: the backslash does not fit
        {Repeat('d', 300), Repeat('D', 256)},
        {Repeat('d', 254) + "\\", Repeat('D', 254) + "\\"},
        {"", ""},
    };
    for (const Case& c : cases) {
        ClientSettings s = Defaults();
        ApplyWorkstationValue(&s, kKeyLogArea, c.value.c_str());
        EXPECT_EQ(c.stored, s.logArea) << c.value.size();
        char line[kSettingLineSize];
        std::size_t length = FormatSettingLine(kKeyLogArea, &s, line, sizeof line);
        EXPECT_EQ(std::strlen(line), length);
        EXPECT_EQ(0, std::strncmp(line + length - 2, "\r\n", 2)) << "a setting line is never cut";
    }
}

TEST(NativeConfigValues, SettingLinesAsTheWriterFormsThem) {
    ClientSettings s = Defaults();
    std::strcpy(s.systemArea, "C:\\");
    std::strcpy(s.programDir, "C:\\FAX\\");
    s.timeout = -5;
    struct Case {
        WorkstationKey key;
        std::uint16_t network;
        const char* line;
    };
    const Case cases[] = {
        {kKeySystemArea, kNetworkPrimary, "SystemArea: C:\\\r\n"},
        {kKeyDefaultUser, kNetworkPrimary, "DefaultUser: \r\n"},
        {kKeyTimeout, kNetworkPrimary, "Timeout: -5\r\n"},
        {kKeyHelp, kNetworkPrimary, "Help: C:\\FAX\\TELMORA.HLP\r\n"},
        {kKeyNetwork, kNetworkLanManager, "Network: LANMANAGER\r\n"},
        {kKeyNetwork, 99, "Network: ???\r\n"},
        {kKeyAdminArea, kNetworkPrimary, ""},
    };
    for (const Case& c : cases) {
        s.network = c.network;
        char line[kSettingLineSize];
        FormatSettingLine(c.key, &s, line, sizeof line);
        EXPECT_STREQ(c.line, line);
    }
}

TEST(NativeConfigValues, SearchListLanguagesAndDroppedSections) {
    const char list[] = "C:\\A; ;\t D:\\B ;;E:\\LONGER";
    std::vector<std::string> elements;
    std::size_t position = 0;
    char element[6];
    while (NextSearchElement(list, &position, element, sizeof element, 254)) elements.push_back(element);
    EXPECT_EQ((std::vector<std::string>{"C:\\A", "D:\\B", "E:\\LO"}), elements);

    const char* const languages[][2] = {{"DEU", "GER"}, {"ENA", "ENA"}, {"", "ENG"}, {"ptb", "PTG"}};
    for (const auto& pair : languages) {
        char code[kLanguageSize];
        std::strcpy(code, pair[0]);
        MapWindowsLanguage(code);
        EXPECT_STREQ(pair[1], code);
    }

    const char* const lines[] = {"[A]", "[server-wkn]", "x", "[WORKSTATION-1]", "y", "[B]", "z"};
    const int dropped[] = {0, 1, 1, 1, 1, 0, 0};
    int dropping = 0;
    for (std::size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        EXPECT_EQ(dropped[i], IsDroppedLine(lines[i], 1, &dropping)) << lines[i];
    }
}

std::string CopyWithKey(const std::string& bytes, const char* section, const char* key, const char* value) {
    MemoryFile input(bytes);
    fuzz::OutputFile output;
    EXPECT_EQ(1, CopyWithKeySet(input.Get(), output.Get(), section, key, value, nullptr));
    return output.Bytes();
}

TEST(NativeKeyRewrite, KeySetInSectionOrAppended) {
    struct Case {
        std::string before;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"[TELMORA]\nType: Init", "Z:\\T\\SERVER", "[TELMORA]\r\nType: Init\r\n\r\n[SERVER]\r\nServerArea: Z:\\T\\SERVER\r\n"},
        {"[A]\r\n\r\n", "X", "[A]\r\n\r\n[SERVER]\r\nServerArea: X\r\n"},
        {"[server]  \r\n\r\nserverarea: old\r\nA: 1\r\nServerArea: again\r\n[B]\r\n", "",
         "[server]\r\nServerArea:\r\nA: 1\r\n\r\n[B]\r\n"},
        {"[SERVER]\r\nA: 1\r\n", "X", "[SERVER]\r\nA: 1\r\nServerArea: X\r\n"},
        {"", "X", "[SERVER]\r\nServerArea: X\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.after, CopyWithKey(c.before, "[SERVER]", "ServerArea:", c.value)) << c.before;
    }
}

TEST(NativeRewriteNames, NamesFormedBesideTheFile) {
    char name[272];  // the program's path fields
    EXPECT_EQ(1, ReplacementTempName(name, "C:\\TELMORA.INI"));
    EXPECT_STREQ("C:\\TELMORA.TMP", name);
    EXPECT_EQ(1, ReplacementTempName(name, "C:\\A.B\\FOO"));
    EXPECT_STREQ("C:\\A.B\\FOO.TMP", name);
    EXPECT_EQ(1, BackupName(name, "C:\\AUTOEXEC.BAT", 7));
    EXPECT_STREQ("C:\\AUTOEXEC.007", name);
    EXPECT_EQ(1, InPlaceTempName(name, "X.tmp"));
    EXPECT_STREQ("X.TM2", name);
    EXPECT_EQ(1, InPlaceTempName(name, "D:FOO"));
    EXPECT_STREQ("D:FOO.TMP", name);
    EXPECT_EQ(1, RewritePath(name, "C:\\", "FOO"));
    EXPECT_STREQ("C:\\FOO.", name);

    // Exactly fitting, and one character too long: refused, cut and terminated.
    char exact[sizeof "C:\\X.TMP"];
    EXPECT_EQ(1, ReplacementTempName(exact, "C:\\X.INI"));
    EXPECT_STREQ("C:\\X.TMP", exact);
    char short_[sizeof "C:\\X.TMP" - 1];
    EXPECT_EQ(0, ReplacementTempName(short_, "C:\\X.INI"));
    EXPECT_STREQ("C:\\X.TM", short_);
}

TEST(NativeLoadLine, ClientCutOutAndPutBack) {
    struct Case {
        const char* before;
        const char* directory;
        const char* after;
    };
    const Case cases[] = {
        {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", "", "NOTEPAD.EXE"},
        {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", "D:\\NEW\\", "NOTEPAD.EXE,D:\\NEW\\TELMORA.EXE"},
        {"", "D:\\NEW\\", "D:\\NEW\\TELMORA.EXE"},
        {"TELMORA.EXE,MYTELMORA.EXE,TELMORA", "", "MYTELMORA.EXE"},
        {"A,,TELMORA", "", "A,"},
    };
    for (const Case& c : cases) {
        char list[kLoadLineSize];
        std::strcpy(list, c.before);
        RemoveClientElements(list);
        if (c.directory[0]) AppendClientProgram(list, sizeof list, c.directory);
        EXPECT_STREQ(c.after, list) << c.before;
    }

    // The longest line read and the longest directory still fit whole.
    std::string directory = "C:\\" + Repeat('D', 267) + "\\";
    char list[kLoadLineSize];
    std::strcpy(list, Repeat('A', 200).c_str());
    AppendClientProgram(list, sizeof list, directory.c_str());
    EXPECT_EQ(Repeat('A', 200) + "," + directory + "TELMORA.EXE", list);
}

TEST(NativeExtensionText, RegistrationTextsAndTheirLimits) {
    char command[kVerbCommandSize];
    FormatVerbCommand(command, sizeof command, "C:\\TELMORA\\TELMORA.EXE", "/P %1 /S %2");
    EXPECT_STREQ("C:\\TELMORA\\TELMORA.EXE /P %1 /S %2", command);
    char entry[kExtensionsEntrySize];
    FormatExtensionsEntry(entry, sizeof entry, "C:\\TELMORA\\TELMORA.EXE", ".G3F");
    EXPECT_STREQ("C:\\TELMORA\\TELMORA.EXE ^.G3F", entry);
    char keyPath[kKeyPathLimit];
    FormatVerbKeyPath(keyPath, sizeof keyPath, ".G3N", "printto");
    EXPECT_STREQ(".G3N\\shell\\printto\\command", keyPath);
    EXPECT_STREQ("G3S", ExtensionsEntryKey(".G3S"));
    EXPECT_EQ(1, CutAtLastBackslash(keyPath));
    EXPECT_STREQ(".G3N\\shell\\printto", keyPath);

    std::string longest = Repeat('P', kProgramPathLimit - 1);
    EXPECT_EQ(1, VerbFitsLimits(longest.c_str(), ".G3F", keyPath, "/P %1 /S %2"));
    EXPECT_EQ(0, VerbFitsLimits((longest + "P").c_str(), ".G3F", keyPath, "%1"));
    EXPECT_EQ(0, VerbFitsLimits("X", ".G3FX", keyPath, "%1"));
    FormatVerbCommand(command, sizeof command, longest.c_str(), Repeat('a', kArgumentsLimit - 1).c_str());
    EXPECT_EQ(std::strlen(command), longest.size() + kArgumentsLimit) << "the longest command is held whole";
}

TEST(NativeLookupTables, ArchitecturesAndLanguages) {
    const char* const architectures[][2] = {
        {"x86", "I386\\"}, {"X86", nullptr}, {"x86 ", nullptr}, {"MIPS R4000", "MIPS\\"},
        {"ALPHA", "ALPHA\\"}, {"ALPH", "ALPHA\\"}, {"PPC", "PPC\\"}, {"PP", nullptr}, {"", nullptr},
    };
    for (const auto& pair : architectures) {
        const char* subdirectory = ArchitectureSubdirectory(pair[0]);
        EXPECT_STREQ(pair[1], subdirectory) << pair[0];
    }
    EXPECT_EQ(nullptr, ArchitectureSubdirectory(nullptr));

    ASSERT_NE(nullptr, FindLanguageByCode("ger"));
    EXPECT_STREQ("German", FindLanguageByCode("gerMAN")->name);
    EXPECT_EQ(nullptr, FindLanguageByCode("GE"));
    ASSERT_NE(nullptr, FindLanguageByName("english (united states)"));
    EXPECT_STREQ("ENU", FindLanguageByName("english (united states)")->code);
    char code[kLanguageCodeSize];
    LanguageCodeOfFile("QVIGER32.DLL", code);
    EXPECT_STREQ("GER", code);
    LanguageCodeOfFile("QV", code);
    EXPECT_STREQ("", code);
}

}  // namespace
