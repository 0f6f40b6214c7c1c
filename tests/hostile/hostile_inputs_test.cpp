// Hostile input to the real STNIN32.EXE, started from the demo share: a
// QVTLINIT and a PATH of 10 000 characters, an /I directory of 1 000, a
// WIN.INI load line of 1 000, registry values of the wrong type, and a
// TELMORA.INI of random bytes. The program must report (the expected box,
// answered) or ignore, never crash (exit code 0), and must
// not change what it has no business changing. Each case says which changes
// the program's own rules allow and why.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/setup_run.h"
#include "support/snapshot.h"
#include "support/temp_directory.h"
#include "ui/resource_ids.h"

namespace {

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const char kAutoexecFile[] = "C:\\AUTOEXEC.BAT";
const char kWinIniFile[] = "C:\\windows\\win.ini";
// Wine keeps WIN.INI's [windows] and [Intl] sections in the registry.
const char kWindowsSectionKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kIntlSectionKey[] = "Control Panel\\International";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation";
const char kMakerKey[] = "Software\\Norvale";
const char kSettingsKey[] = "Software\\Norvale\\Telmora";

const char kServerQuestion[] = "Where are the Telmora files installed?";
const char kProductCaption[] = "Telmora";
const char kWarningCaption[] = "Warning!";

// The workstation section a standard installation from the share writes
// behind the lines of an old TELMORA.INI that has neither a workstation nor
// a server section. The reader found the file, so the configuration
// directory is the Windows directory as the search names it, upper case.
// With no section read there is no [SERVER] agreement to keep, so the server
// section is not added and empty settings keep the blank after the colon.
const char kInstalledSection[] =
    "[WORKSTATION]\r\nUserArea: F:\\USERS\\%NAME%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: F:\\REQUEST\r\n"
    "LogArea: C:\\WINDOWS\r\nDefaultUser: \r\nAccept: *.DOC,*.WRI,*.TXT,*.ASC\r\nSpool: \r\nRedirect: LPT1\r\n"
    "Timeout: 60\r\nStatusTimer: 10\r\nNetwork: PRIMARY\r\nHelp: C:\\windows\\TELMORA.HLP\r\nLanguage: ENG\r\n";

// Deterministic bytes: every run sees the same hostile input.
class Random {
public:
    explicit Random(unsigned seed) : state_(seed) {}
    unsigned Next() {
        state_ = state_ * 1103515245u + 12345u;
        return state_ >> 16;
    }

private:
    unsigned state_;
};

std::string RandomBytes(unsigned seed, size_t count) {
    Random random(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random.Next() & 0xFF);
    return bytes;
}

// `count` characters of `pattern` repeated.
std::string Repeat(const std::string& pattern, size_t count) {
    std::string text;
    while (text.size() < count) text += pattern;
    text.resize(count);
    return text;
}

// ---------------------------------------------------------------------------
// The registry as the program sees it

bool SetValue(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetKeyValueA(root, key, name, type, data, size) == ERROR_SUCCESS;
}

bool SetText(HKEY root, const char* key, const char* name, const std::string& text) {
    return SetValue(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// A value's type and bytes; type REG_NONE and no bytes when it is missing.
struct Value {
    DWORD type = REG_NONE;
    std::string bytes;
};

Value ReadValue(HKEY root, const char* key, const char* name) {
    Value value;
    DWORD size = 0;
    if (RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr, &size) != ERROR_SUCCESS) {
        value.type = REG_NONE;
        return value;
    }
    value.bytes.resize(size);
    RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, &value.bytes[0], &size);
    value.bytes.resize(size);
    return value;
}

// A REG_SZ value's text without its terminating zero.
std::string Text(const Value& value) {
    std::string text = value.bytes;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

bool KeyExists(HKEY root, const char* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// ---------------------------------------------------------------------------
// Runs of the program

// The function box: Install, the server base proposed from the share, OK.
void InstallFromTheFunctionBox(tst::SetupRun& run) {
    run.Choose(IDC_FUNCTION_INSTALL);
    HWND base = run.Expect(tst::kSetupTitle, kServerQuestion);
    EXPECT_EQ(run.Proposal(base), "F:\\");
    run.Answer(base, IDOK);
}

// An installation from the function box, then Quit.
void Install(const std::vector<std::string>& environment = {}) {
    tst::SetupRun run("", environment);
    InstallFromTheFunctionBox(run);
    run.Quit();
    run.ExpectExit();
}

// An installation aborted at its first question; the program only read.
void InstallAndAbort() {
    tst::SetupRun run("");
    run.Choose(IDC_FUNCTION_INSTALL);
    HWND base = run.Expect(tst::kSetupTitle, kServerQuestion);
    if (base) run.Child().Press(base, IDC_ABORT);  // stays open under the confirmation
    run.Answer(kProductCaption, "Abort installation?", IDYES);
    run.Quit();
    run.ExpectExit();
}

// Every test starts from a PC without the client's configuration, load line
// or AUTOEXEC.BAT (the tests of this program share one Wine PC).
// Every run sees Windows 95, where the fax printers are WIN.INI entries and
// ask nothing; under Wine's default Windows the printer steps would add their
// own questions to every run.
class HostileInputs : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        tst::RemoveWin95PrinterEntries();
        DeleteFileA(kConfigFile);
        DeleteFileA(kAutoexecFile);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kWindowsSectionKey, "load");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kWindowsSectionKey, "run");
    }

    tst::Personality windows95_{"win95"};
};

// Puts a registry value back as it was when the scope began.
class SavedValue {
public:
    SavedValue(HKEY root, const char* key, const char* name)
        : root_(root), key_(key), name_(name), value_(ReadValue(root, key, name)) {}
    ~SavedValue() {
        if (value_.type == REG_NONE) {
            RegDeleteKeyValueA(root_, key_, name_);
        } else {
            SetValue(root_, key_, name_, value_.type, value_.bytes.data(), static_cast<DWORD>(value_.bytes.size()));
        }
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY root_;
    const char* key_;
    const char* name_;
    Value value_;
};

// ---------------------------------------------------------------------------

// QVTLINIT, INIT and PATH are read into a search list of 511 characters, each
// element cut to 254, and QVTLINIT into a value of 254: all is cut, nothing
// overruns. A TELMORA.INI in a PATH directory beyond the list's end is not
// found (and not touched); the installation makes a new one in the Windows
// directory, as it does when none exists. On Windows 95 a cut QVTLINIT differs
// from that directory, so the program offers to edit AUTOEXEC.BAT; answered
// No, it names the line to add and leaves AUTOEXEC.BAT alone. Nothing here
// touches the WIN.INI file.
TEST_F(HostileInputs, EnvironmentVariablesOf10000CharactersAreCut) {
    const char kFarDirectory[] = "C:\\FARAWAY";
    const std::string farConfig = std::string(kFarDirectory) + "\\TELMORA.INI";
    const std::string farBytes = "[WORKSTATION]\r\nSystemArea: Q:\\FAR\\SYSTEM\r\n";
    const std::string qvtlinit = "Z:\\" + Repeat("QVTLINIT\\", 9997);
    const std::string junk = Repeat("C:\\TOOLS\\BIN; ;;\"C:\\" + std::string(300, 'P') + "\";", 600);
    const std::string path = junk + ";" + kFarDirectory + ";" + Repeat(junk, 10000 - junk.size() - 12);
    ASSERT_EQ(path.size(), 10000u);
    struct Case {
        const char* name;
        std::vector<std::string> environment;
        bool asksForAutoexec;
    };
    const Case cases[] = {
        {"QVTLINIT and PATH", {"QVTLINIT=" + qvtlinit, "PATH=" + path}, true},
        {"INIT and PATH", {"INIT=" + qvtlinit, "PATH=" + path}, false},
        {"PATH alone", {"PATH=" + path}, false},
    };
    const std::string autoexec = "@ECHO OFF\r\nSET QVTLINIT=Z:\\OLD\r\nPATH C:\\DOS\r\n";
    ASSERT_TRUE(CreateDirectoryA(kFarDirectory, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(tst::WriteFile(farConfig, farBytes));
    ASSERT_TRUE(tst::WriteFile(kAutoexecFile, autoexec));
    const std::string winIni = tst::ReadFile(kWinIniFile);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(kConfigFile);
        tst::SetupRun run("", c.environment);
        InstallFromTheFunctionBox(run);
        if (c.asksForAutoexec) {
            run.Answer(tst::kSetupTitle, "AUTOEXEC.BAT needs to be edited", IDC_ANSWER_NO);
            run.Answer(kWarningCaption, "Ensure that the line\n'SET QVTLINIT=C:\\WINDOWS'\nis in AUTOEXEC.BAT", IDOK);
        }
        run.Quit();
        run.ExpectExit();

        EXPECT_TRUE(tst::FileExists(kConfigFile));
        EXPECT_EQ(tst::ReadFile(farConfig), farBytes);
        EXPECT_EQ(tst::ReadFile(kAutoexecFile), autoexec);
        EXPECT_EQ(tst::ReadFile(kWinIniFile), winIni);
    }
    tst::RemoveTree(std::string(kFarDirectory) + "\\");
}

// An /I directory that does not fit the 272-byte field is refused with the
// command-line error, never cut to name some other directory: one box, no
// main window, exit code 0, and nothing on the PC changed.
TEST_F(HostileInputs, ConfigDirectorySwitchOf1000CharactersIsRefused) {
    const std::string longDirectory = "C:\\" + std::string(997, 'D');
    const std::vector<std::string> commandLines = {
        "/I " + longDirectory,
        "/I \"" + longDirectory.substr(0, 998) + "\"",
        "/Q /I " + std::string("C:\\") + std::string(300, 'D') + "-" + std::string(696, 'E'),
        "/I " + longDirectory + "/Q",
    };
    for (const std::string& commandLine : commandLines) {
        SCOPED_TRACE(commandLine.substr(0, 40) + "...");
        tst::Snapshot before = tst::Snapshot::Take();
        tst::SetupRun run(commandLine);
        run.Answer(kProductCaption, "Invalid direcory following /i switch", IDOK);
        run.ExpectExit();
        EXPECT_EQ(tst::DescribeChanges(before.ChangesTo(tst::Snapshot::Take())), "");
    }
}

// The load line is read with a limit of 200 characters. Reading it changes
// nothing. An installation owns the line's update and writes back what it
// read, without the client, as the load line's rule says: upper case, cut
// after 200 characters. The other 800 characters, and the end of the program
// name the cut falls into, are lost by that rule, not overrun or garbled.
// The other entries of [windows] and the WIN.INI file keep their bytes.
TEST_F(HostileInputs, LoadLineOf1000Characters) {
    const std::string last = "C:\\X\\TELMORA.EXE";
    std::string load = "notepad.exe,C:\\OLD\\TELMORA.EXE,";
    load += Repeat("c:\\util\\tool.exe,", 1000 - load.size() - last.size()) + last;
    ASSERT_EQ(load.size(), 1000u);
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kWindowsSectionKey, "load", load));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, kWindowsSectionKey, "run", "C:\\UTIL\\RUN.EXE"));
    const std::string winIni = tst::ReadFile(kWinIniFile);

    {
        SCOPED_TRACE("read only: an installation aborted at its first question");
        tst::Snapshot before = tst::Snapshot::Take();
        InstallAndAbort();
        EXPECT_EQ(tst::DescribeChanges(before.ChangesTo(tst::Snapshot::Take())), "");
    }
    {
        SCOPED_TRACE("written back by an installation");
        Install();
        std::string expected = load.substr(0, 200);
        CharUpperBuffA(&expected[0], static_cast<DWORD>(expected.size()));
        expected.erase(expected.find("C:\\OLD\\TELMORA.EXE,"), 19);
        Value written = ReadValue(HKEY_CURRENT_USER, kWindowsSectionKey, "load");
        EXPECT_EQ(written.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(Text(written), expected);
        EXPECT_EQ(Text(ReadValue(HKEY_CURRENT_USER, kWindowsSectionKey, "run")), "C:\\UTIL\\RUN.EXE");
        EXPECT_EQ(tst::ReadFile(kWinIniFile), winIni);
    }
}

// Values of the wrong type where the program reads text: the load line as a
// number and as bytes without an end, the Windows language as bytes. The
// profile calls read such a value as missing, so the installation goes on
// with an empty load line and the default language; the load line it writes
// back is text again. The uninstallation then meets its own keys holding
// values of the wrong type, and removes them all the same.
TEST_F(HostileInputs, RegistryValuesOfTheWrongType) {
    const std::string bytes = RandomBytes(7, 1000);
    const DWORD number = 0xC0FFEE;
    SavedValue language(HKEY_CURRENT_USER, kIntlSectionKey, "sLanguage");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kIntlSectionKey, "sLanguage", REG_BINARY, "DEU", 3));

    for (DWORD type : {static_cast<DWORD>(REG_DWORD), static_cast<DWORD>(REG_BINARY)}) {
        SCOPED_TRACE(type == REG_DWORD ? "load as REG_DWORD" : "load as REG_BINARY");
        ASSERT_TRUE(type == REG_DWORD ? SetValue(HKEY_CURRENT_USER, kWindowsSectionKey, "load", type, &number, 4)
                                      : SetValue(HKEY_CURRENT_USER, kWindowsSectionKey, "load", type, bytes.data(),
                                                 static_cast<DWORD>(bytes.size())));
        Install();
        Value written = ReadValue(HKEY_CURRENT_USER, kWindowsSectionKey, "load");
        EXPECT_EQ(written.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(Text(written), "");
        EXPECT_NE(tst::ReadFile(kConfigFile).find("Language: ENG\r\n"), std::string::npos);
    }

    SCOPED_TRACE("uninstallation over keys with values of the wrong type");
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", REG_DWORD, &number, 4));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", REG_BINARY, bytes.data(), 300));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kSettingsKey, "Window", REG_BINARY, bytes.data(), 64));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\Printer").c_str(), "Copies", REG_DWORD,
                         &number, 4));
    // On Windows 95 the uninstallation also edits AUTOEXEC.BAT; without one
    // it would count as incomplete and keep the keys on purpose.
    ASSERT_TRUE(tst::WriteFile(kAutoexecFile, "@ECHO OFF\r\n"));
    tst::SetupRun run("/Q /X");
    run.ExpectExit();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMakerKey));
}

// What the installation makes of an old TELMORA.INI without any section it
// knows: every line copied byte for byte (Ctrl-Z dropped, an LF for the last
// line), then an empty line and the new workstation section.
std::string InstalledOver(const std::string& old) {
    std::string copied;
    size_t start = 0;
    while (start < old.size()) {
        size_t end = old.find('\n', start);
        if (end == std::string::npos) end = old.size();
        for (size_t i = start; i < end; ++i) {
            if (old[i] != '\x1a') copied += old[i];
        }
        copied += '\n';
        start = end + 1;
    }
    return copied + "\r\n" + kInstalledSection;
}

// A TELMORA.INI of random bytes: reading it changes nothing, and an
// installation keeps every one of its lines byte for byte. The random bytes
// hold no line that begins with a section name the program knows.
TEST_F(HostileInputs, ConfigFileOfRandomBytes) {
    const std::string old = RandomBytes(20240611, 64 * 1024);
    ASSERT_TRUE(tst::WriteFile(kConfigFile, old));
    {
        SCOPED_TRACE("read only: an installation aborted at its first question");
        InstallAndAbort();
        EXPECT_TRUE(tst::ReadFile(kConfigFile) == old) << "TELMORA.INI changed";
    }
    {
        SCOPED_TRACE("rewritten by an installation");
        Install();
        std::string installed = tst::ReadFile(kConfigFile);
        std::string expected = InstalledOver(old);
        EXPECT_EQ(installed.size(), expected.size());
        EXPECT_TRUE(installed == expected) << "first difference at byte "
                                           << std::mismatch(installed.begin(), installed.end(), expected.begin(),
                                                            expected.end()).first - installed.begin();
    }
}

}  // namespace
