// The client's desktop entries in the test prefix's own stores and shell,
// where the lifecycle's runs do not reach. The Program Manager group goes over
// DDE to Wine's explorer (a Start Menu folder of .lnk files), which never
// answers the group request (the group is never taken for empty) and crashes
// on a DeleteItem before any group of its session, its windows hung: that
// runs in a child on a desktop (and shell) of its own.
#include <gtest/gtest.h>

#include <windows.h>
#include <dde.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "desktop/dde_conversation.h"
#include "desktop/desktop_state.h"
#include "desktop/progman.h"
#include "desktop/registry_entries.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"

namespace {

using Texts = std::vector<std::string>;

std::string GroupFolder() {
    char programs[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Telmora\\";
}

Texts GroupItems() {  // the group's .lnk files, sorted
    Texts names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((GroupFolder() + "*.lnk").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

Texts g_commands;
decltype(&PostMessageA) g_post = nullptr;

BOOL WINAPI LogPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UINT_PTR unused = 0, memory = 0;
    if (message == WM_DDE_EXECUTE && UnpackDDElParam(message, lParam, &unused, &memory)) {
        g_commands.push_back(static_cast<const char*>(GlobalLock(reinterpret_cast<HGLOBAL>(memory))));
        GlobalUnlock(reinterpret_cast<HGLOBAL>(memory));
    }
    return g_post(window, message, wParam, lParam);
}

// The commands an AddProgmanItems or RemoveProgmanItems posts; it returns 1.
Texts Commands(int (*operation)(const char*, const char*), const std::string& client, const std::string& system) {
    tst::ImportHook log("USER32.dll", "PostMessageA", reinterpret_cast<void*>(&LogPost));
    g_post = reinterpret_cast<decltype(&PostMessageA)>(log.Original());
    g_commands.clear();
    EXPECT_EQ(1, operation(client.c_str(), system.c_str()));
    EXPECT_EQ(kNoDdePartner, g_desktop.ddePartner) << "the conversation is closed";
    return g_commands;
}

TEST(ProgmanTest, ShellVersionDecidesTheCommandsAndTheShellMakesTheItems) {
    tst::FreshRunState();
    tst::UseMainWindow();
    text::Copy(g_desktop.oldClientItemName, "Telmora Client");
    text::Copy(g_desktop.oldSetupItemName, "Workstation Setup");
    text::Copy(g_desktop.oldWelcomeItemName, "Welcome!");
    tst::TempDirectory root;
    const std::string client = root.Path(), system = root.File("SYSTEM\\");
    CreateDirectoryA(system.c_str(), nullptr);
    for (const char* file : {"TELMORA.EXE", "SYSTEM\\STNINST.EXE", "SYSTEM\\WELCOME.WRI", "SYSTEM\\WHATSNEW.HTM"})
        tst::WriteFile(root.File(file), "MZ");

    const Texts replaceAll = {"[ReplaceItem(Telmora Client)]", "[AddItem(" + client + "TELMORA.EXE, Telmora Client)]",
        "[DeleteItem(Telmora)]", "[DeleteItem(Telmora Workstation)]", "[DeleteItem(Telmora Workstation)]",  // 3421 also
        "[ReplaceItem(Workstation Setup)]", "[AddItem(" + system + "STNINST.EXE, Workstation Setup)]",
        "[DeleteItem(Telmora Workstation Setup)]", "[ReplaceItem(Welcome!)]",
        "[AddItem(" + system + "WELCOME.WRI, Welcome!)]"};
    const Texts removeAll = {"[DeleteItem(Telmora Client)]", "[DeleteItem(Telmora Workstation)]",
                             "[DeleteItem(Workstation Setup)]", "[DeleteItem(Welcome!)]",
                             "[DeleteItem(What's new in Telmora 6)]"};
    const Texts allItems = {"Telmora Client.lnk", "Welcome!.lnk", "Workstation Setup.lnk"};
    auto join = [](Texts first, const Texts& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const struct {
        DWORD version;
        std::string system;
        Texts added, removed;
    } rows[] = {
        {tst::kWindowsNT351, system, join({"[CreateGroup(Telmora)]", "[ShowGroup(Telmora, 4)]"}, replaceAll),
         removeAll},
        // A version 4 shell shows a new group itself; without setup files only the client item is made.
        {tst::kWindows95, system, join({"[CreateGroup(Telmora)]"}, replaceAll), removeAll},
        {tst::kWindowsNT40, "", join({"[CreateGroup(Telmora)]"}, Texts(replaceAll.begin(), replaceAll.begin() + 5)),
         {removeAll[0], removeAll[1]}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        tst::FakeWindowsVersion version(row.version);
        tst::RemoveTree(GroupFolder());
        for (int again = 0; again < 2; ++again) {  // adding again replaces the items rather than doubling them
            EXPECT_EQ(row.added, Commands(AddProgmanItems, client, row.system));
            EXPECT_EQ(row.system.empty() ? Texts{"Telmora Client.lnk"} : allItems, GroupItems());
        }
        EXPECT_EQ(row.removed, Commands(RemoveProgmanItems, client, row.system));
        EXPECT_EQ(Texts(), GroupItems());
        EXPECT_TRUE(tst::FileExists(GroupFolder())) << "Wine never reports the group empty";
    }
}

// The group's item count is the signed 16-bit number after the second comma of
// the shell's answer; the group is empty only on a count of 0, never when asking
// fails: no string handle for the service's name (1) or for the group's (2).
struct { int refuseCall, calls; void* create; DWORD instance; const char* reply; } g_dde;  // the fakes' state
HSZ WINAPI RefuseStringHandle(DWORD instance, LPCSTR text, int codePage) {
    auto real = reinterpret_cast<decltype(&DdeCreateStringHandleA)>(g_dde.create);
    g_dde.instance = instance;
    return ++g_dde.calls == g_dde.refuseCall ? nullptr : real(instance, text, codePage);
}
HDDEDATA WINAPI Answer(LPBYTE, DWORD, HCONV, HSZ, UINT, UINT, DWORD, LPDWORD) {  // Wine's shell never answers
    BYTE* reply = reinterpret_cast<BYTE*>(const_cast<char*>(g_dde.reply));
    return DdeCreateDataHandle(g_dde.instance, reply, lstrlenA(g_dde.reply) + 1, 0, nullptr, CF_TEXT, 0);
}
TEST(ProgmanTest, GroupIsEmptyOnlyWhenTheShellCountsNoItems) {
    const struct { int refuse; const char* reply; int count; } rows[] = {
        {0, "\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,0,0,0,0,0,0,0", 0}, {0, "\"Telmora\",C:\\T.GRP,3,10,10,300,200,0,0", 3},
        {0, "\"Telmora\",C:\\T.GRP, 12", 12}, {0, "\"Telmora\",C:\\T.GRP,-2", -2},
        {0, "\"Telmora\",C:\\T.GRP,70000", 70000 - 65536},  // 16 bits
        {0, "\"Telmora\",C:\\T.GRP", 0}, {0, "\"Telmora\",C:\\T.GRP,x", 0}, {0, "", 0}, {1, "", 0}, {2, "", 0}};
    tst::ImportHook answer("USER32.dll", "DdeClientTransaction", reinterpret_cast<void*>(&Answer));
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.refuse) + " " + row.reply);
        EXPECT_EQ(row.count, GroupItemCount(row.reply));
        tst::ImportHook refuse("USER32.dll", "DdeCreateStringHandleA", reinterpret_cast<void*>(&RefuseStringHandle));
        g_dde = {row.refuse, 0, refuse.Original(), 0, row.reply};
        EXPECT_EQ(!row.refuse && !row.count ? 1 : 0, IsProgmanGroupEmpty());
    }
}

const char kChildVariable[] = "TELMORA_DDE_FRESH_SHELL";
const DWORD kChildLimitMs = 120000;

// A top-level window whose thread takes no message for the rest of the child's life.
DWORD WINAPI HangWithAWindow(void* ready) {
    CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    SetEvent(ready);
    Sleep(kChildLimitMs);
    return 0;
}

// This executable again, running only the child test below, on a desktop of its own.
TEST(ProgmanTest, HungWindowAndCrashedShellDoNotHangTheRun) {
    tst::TempDirectory scratch;
    HDESK desktop = CreateDesktopA("TelmoraFreshShell", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string line = std::string("\"") + program + "\" --gtest_filter=ProgmanInFreshShell.EveryWaitEnds" +
                       " --gtest_output=xml:" + scratch.File("CHILD.XML");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<char*>("TelmoraFreshShell");
    PROCESS_INFORMATION child = {};
    SetEnvironmentVariableA(kChildVariable, "1");
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    SetEnvironmentVariableA(kChildVariable, nullptr);
    DWORD exitCode = 1, start = GetTickCount(), waited = WAIT_TIMEOUT;
    while (waited != WAIT_OBJECT_0 && GetTickCount() - start < kChildLimitMs) {  // this thread's windows answer
        waited = MsgWaitForMultipleObjects(1, &child.hProcess, FALSE, 100, QS_ALLINPUT);
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
    }
    if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
    EXPECT_TRUE(GetExitCodeProcess(child.hProcess, &exitCode) && exitCode == 0) << "waited: " << waited;
    for (HANDLE handle : {child.hProcess, child.hThread}) CloseHandle(handle);
    CloseDesktop(desktop);
    const std::string report = tst::ReadFile(scratch.File("CHILD.XML"));
    EXPECT_TRUE(report.find("result=\"completed\"") != report.npos && report.find("<failure") == report.npos) << report;
}

// Run by the test above, in the child on its fresh desktop.
TEST(ProgmanInFreshShell, EveryWaitEnds) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs only in a process of its own on a fresh desktop";
    tst::FreshRunState();
    tst::UseMainWindow();
    // A window that stopped taking messages would hold a plain broadcast for ever.
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, HangWithAWindow, ready, 0, nullptr));
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(ready, 10000));
    EXPECT_EQ(1, InitiateDDE("PROGMAN", "PROGMAN"));
    EXPECT_EQ(1, TerminateDDE());
    // The shell answers the initiate and crashes on the first DeleteItem (Wine
    // only): the executes wait out their time and the removal ends. The hung
    // shell answers no more, so the user is asked whether to go on.
    EXPECT_EQ(1, RemoveProgmanItems("C:\\TELMORA\\", ""));
    tst::DialogDriver driver;
    for (int answer : {IDNO, IDYES}) {
        driver.Expect(tst::MessageBoxExpect("Error!", "Program manager not responding - Ignore error and continue?",
                                            {IDYES, IDNO}).Default(IDNO).Press(answer));
    }
    EXPECT_EQ(0, RemoveProgmanItems("C:\\TELMORA\\", ""));
    EXPECT_EQ(1, AddProgmanItems("C:\\TELMORA\\", ""));
}

const char kMaker[] = "Software\\Norvale";
const char kOtherUser[] = ".Default\\Software\\Norvale";

void Create(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
}

class RegistryEntriesTest : public testing::Test {
    void SetUp() override {
        tst::FreshRunState();
        WriteProfileStringA("windows", "load", nullptr);
        for (const char* extension : {".G3F", ".G3N", ".G3S"}) {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, extension);
            WriteProfileStringA("Extensions", extension + 1, nullptr);
        }
        RegDeleteTreeA(HKEY_USERS, kOtherUser);
        RegDeleteTreeA(HKEY_CURRENT_USER, kMaker);
    }
};

BOOL WINAPI RefuseProfileWrite(LPCSTR, LPCSTR, LPCSTR) { return FALSE; }

TEST_F(RegistryEntriesTest, LoadLineLosesEveryClientElementAndGainsTheNewOne) {
    const std::string longLine(250, 'A');
    const struct {
        std::string before;
        const char* directory;
        std::string after;
    } rows[] = {
        {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", nullptr, "NOTEPAD.EXE"},
        {"NOTEPAD.EXE,C:\\TELMORA\\TELMORA.EXE", "D:\\NEW\\", "NOTEPAD.EXE,D:\\NEW\\TELMORA.EXE"},
        {"", "D:\\NEW\\", "D:\\NEW\\TELMORA.EXE"},
        {"MYTELMORA.EXE", "c:\\tm\\", "MYTELMORA.EXE,C:\\TM\\TELMORA.EXE"},  // a letter before the name
        // Other programs keep every byte but the case; the whole line is upper case.
        {"c:\\telmora\\telmora.exe,  clock.exe /min ,x:\\TELMORA.EXE", nullptr, "  CLOCK.EXE /MIN "},
        {"TELMORA,A.EXE,TELMORA.EXE,B.EXE,TELMORA", "E:\\", "A.EXE,B.EXE,E:\\TELMORA.EXE"},
        {longLine, nullptr, longLine.substr(0, 200)},  // the first 200 characters are read
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before + " + " + (row.directory ? row.directory : "(none)"));
        ASSERT_TRUE(WriteProfileStringA("windows", "load", row.before.c_str()));
        EXPECT_EQ(1, UpdateLoadList(row.directory));
        EXPECT_EQ(row.after, tst::ProfileValue("windows", "load"));
        EXPECT_STREQ("Windows initialisation file (WIN.INI) updated", g_setup.displayProgress);
    }
    // Wine cannot refuse a WIN.INI write (the registry behind it takes every value): refused at the import.
    tst::DialogDriver driver;
    driver.Expect(tst::MessageBoxExpect("Error!", "Error updating WIN.INI file", {IDOK}));
    tst::ImportHook refuse("KERNEL32.dll", "WriteProfileStringA", reinterpret_cast<void*>(&RefuseProfileWrite));
    EXPECT_EQ(0, UpdateLoadList("C:\\TELMORA\\"));
    EXPECT_STREQ("", g_setup.displayProgress);
}

TEST_F(RegistryEntriesTest, UnregisteringStopsAtTheFirstRefusedDeletion) {
    ASSERT_EQ(1, RegisterFaxExtensions("c:\\Telmora\\telmora.exe"));
    char value[300] = "";
    LONG size = sizeof value;
    RegQueryValueA(HKEY_CLASSES_ROOT, ".G3S\\shell\\printto\\command", value, &size);
    EXPECT_STREQ("C:\\TELMORA\\TELMORA.EXE /P %1 /S %2", value);
    // A key with a subkey of its own cannot be deleted: the print verb's key stops the removal.
    Create(HKEY_CLASSES_ROOT, ".G3N\\shell\\print\\command\\ddeexec");
    EXPECT_EQ(0, UnregisterExtension("G3N"));
    EXPECT_EQ("<missing>", tst::ProfileValue("Extensions", "G3N"));
    EXPECT_FALSE(tst::KeyExists(HKEY_CLASSES_ROOT, ".G3N\\shell\\open"));
    EXPECT_TRUE(tst::KeyExists(HKEY_CLASSES_ROOT, ".G3N\\shell\\printto\\command"));
    EXPECT_EQ("C:\\TELMORA\\TELMORA.EXE ^.G3F", tst::ProfileValue("Extensions", "G3F")) << "the others are untouched";
}

TEST_F(RegistryEntriesTest, ClientSettingsGoForEveryUserAndTheMakerKeyOnlyWhenEmpty) {
    const std::string other = kOtherUser, own = kMaker;
    for (const char* key : {"\\Telmora\\Settings", "\\Telmora Coversheet Editor", "\\Other Program"})
        Create(HKEY_USERS, other + key);
    for (const char* key : {"\\Telmora\\Fonts", "\\Telmora Coversheet Editor\\R"}) Create(HKEY_CURRENT_USER, own + key);
    ASSERT_EQ(1, WriteUninstallEntry("F:\\SYSTEM\\"));
    EXPECT_EQ(1, RemoveClientRegistryKeys());
    EXPECT_FALSE(tst::KeyExists(HKEY_USERS, other + "\\Telmora") || tst::KeyExists(HKEY_USERS, other + "\\Telmora Coversheet Editor"));
    EXPECT_TRUE(tst::KeyExists(HKEY_USERS, other + "\\Other Program"));
    EXPECT_FALSE(tst::KeyExists(HKEY_CURRENT_USER, own));
    EXPECT_EQ(0, RemoveClientRegistryKeys()) << "without the uninstall entry";

    // A subkey with subkeys of its own stays, and the deletion ends with 0.
    Create(HKEY_CURRENT_USER, own + "\\Telmora\\A\\Deeper");
    HKEY maker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kMaker, 0, KEY_ALL_ACCESS, &maker));
    EXPECT_EQ(0, DeleteKeyAndSubkeys(maker, "Telmora"));
    EXPECT_TRUE(tst::KeyExists(HKEY_CURRENT_USER, own + "\\Telmora\\A\\Deeper"));
    EXPECT_EQ(1, DeleteKeyAndSubkeys(maker, "Not There"));
    RegCloseKey(maker);
}

}  // namespace
