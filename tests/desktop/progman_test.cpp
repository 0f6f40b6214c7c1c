// The Program Manager group over DDE, against the shell's own PROGMAN server
// in the test prefix (Wine's explorer answers it). The group is a folder under
// the Start Menu's Programs folder and each item a .lnk file in it; what Wine
// does with each command is recorded here.
#include <gtest/gtest.h>

#include <windows.h>
#include <dde.h>
#include <ddeml.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "desktop/dde_conversation.h"
#include "desktop/desktop_state.h"
#include "desktop/progman.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/import_hook.h"
#include "support/main_window_once.h"
#include "support/temp_directory.h"

namespace {

const unsigned kAccepted = 0x8000;  // fAck in an acknowledgement's status

// The group's folder, "...\Start Menu\Programs\Telmora\".
std::string GroupFolder() {
    char programs[MAX_PATH] = "";
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
    return std::string(programs) + "\\Telmora\\";
}

// The names of the .lnk files in the group, sorted.
std::vector<std::string> GroupItems() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((GroupFolder() + "*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Upper(std::string s) {
    for (char& c : s) c = text::UpperChar(c);
    return s;
}

// True when the shortcut `item` of the group names `target`.
bool ItemStarts(const char* item, const std::string& target) {
    std::string link = tst::ReadFile(GroupFolder() + item + ".lnk");
    return Upper(link).find(Upper(target)) != std::string::npos;
}

// A fresh start: no group from an earlier test.
void RemoveGroup() {
    tst::RemoveTree(GroupFolder());
    ASSERT_FALSE(tst::FileExists(GroupFolder()));
}

// Every command the program posts, in order; the posts still go through.
class CommandLog {
public:
    CommandLog() : hook_("USER32.dll", "PostMessageA", reinterpret_cast<void*>(&RecordingPost)) {
        s_log = this;
        s_realPost = reinterpret_cast<decltype(&PostMessageA)>(hook_.Original());
    }
    ~CommandLog() { s_log = nullptr; }
    const std::vector<std::string>& Commands() const { return commands_; }

private:
    static BOOL WINAPI RecordingPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DDE_EXECUTE && s_log) {
            UINT_PTR unused = 0, memory = 0;
            UnpackDDElParam(WM_DDE_EXECUTE, lParam, &unused, &memory);
            const char* command = static_cast<const char*>(GlobalLock(reinterpret_cast<HGLOBAL>(memory)));
            s_log->commands_.push_back(command ? command : "<no memory>");
            if (command) GlobalUnlock(reinterpret_cast<HGLOBAL>(memory));
        }
        return s_realPost(window, message, wParam, lParam);
    }

    static inline CommandLog* s_log = nullptr;
    static inline decltype(&PostMessageA) s_realPost = nullptr;
    tst::ImportHook hook_;
    std::vector<std::string> commands_;
};

// A client directory and a system area holding the files the items start.
struct Areas {
    tst::TempDirectory root;
    std::string client = root.Path();
    std::string system = root.Path() + "SYSTEM\\";

    explicit Areas(std::vector<const char*> systemFiles) {
        CreateDirectoryA(system.c_str(), nullptr);
        tst::WriteFile(client + "TELMORA.EXE", "MZ");
        for (const char* file : systemFiles) tst::WriteFile(system + file, "x");
    }
    // A further client directory below the root, holding TELMORA.EXE.
    std::string ClientIn(const char* name) const {
        std::string directory = root.Path() + name;
        CreateDirectoryA(directory.c_str(), nullptr);
        tst::WriteFile(directory + "TELMORA.EXE", "MZ");
        return directory;
    }
};

void SetPreviousItemNames() {
    text::Copy(g_desktop.oldClientItemName, "Telmora Client");
    text::Copy(g_desktop.oldSetupItemName, "Workstation Setup");
    text::Copy(g_desktop.oldWelcomeItemName, "Welcome!");
}

using Commands = std::vector<std::string>;

// The commands AddProgmanItems or RemoveProgmanItems sends; each returns 1.
Commands AddCommands(const std::string& client, const std::string& system) {
    CommandLog log;
    EXPECT_EQ(AddProgmanItems(client.c_str(), system.c_str()), 1);
    EXPECT_EQ(g_desktop.ddePartner, kNoDdePartner) << "the conversation is closed";
    return log.Commands();
}

Commands RemoveCommands(const std::string& client, const std::string& system) {
    CommandLog log;
    EXPECT_EQ(RemoveProgmanItems(client.c_str(), system.c_str()), 1);
    EXPECT_EQ(g_desktop.ddePartner, kNoDdePartner) << "the conversation is closed";
    return log.Commands();
}

TEST(ProgmanTest, WineShellAnswersEachCommand) {
    tst::UseMainWindow();
    RemoveGroup();
    ASSERT_EQ(InitiateDDE("PROGMAN", "PROGMAN"), 1);
    ASSERT_NE(g_desktop.ddePartner, kNoDdePartner);
    char serverClass[64] = "";
    GetClassNameA(g_desktop.ddePartner, serverClass, sizeof serverClass);
    EXPECT_STREQ(serverClass, "WineDdeServerConvW");

    const std::string notepad = "C:\\windows\\notepad.exe";
    const std::string addNotepad = "[AddItem(" + notepad + ", Telmora Client)]";
    struct Case {
        std::string command;
        unsigned status;  // what Wine's shell acknowledges
        std::vector<std::string> items;
        bool groupExists;
    } cases[] = {
        {"[CreateGroup(Telmora)]", kAccepted, {}, true},
        {"[ShowGroup(Telmora, 4)]", kAccepted, {}, true},
        {addNotepad, kAccepted, {"Telmora Client.lnk"}, true},
        // ReplaceItem deletes the item; the next AddItem takes its place.
        {"[ReplaceItem(Telmora Client)]", kAccepted, {}, true},
        {"[ReplaceItem(Telmora Client)]", 0, {}, true},
        {addNotepad, kAccepted, {"Telmora Client.lnk"}, true},
        {"[DeleteItem(Telmora Client)]", kAccepted, {}, true},
        {"[DeleteItem(Telmora Client)]", 0, {}, true},
        {"[NoSuchCommand(Telmora)]", 0, {}, true},
        {"[DeleteGroup(Telmora)]", kAccepted, {}, false},
        {"[DeleteGroup(Telmora)]", 0, {}, false},
        // A group that does not exist is shown all the same.
        {"[ShowGroup(Telmora, 4)]", kAccepted, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(ExecuteDDECmd(c.command.c_str()), 1);
        EXPECT_EQ(LastDDEAckStatus() & kAccepted, c.status);
        EXPECT_EQ(GroupItems(), c.items);
        EXPECT_EQ(tst::FileExists(GroupFolder()), c.groupExists);
    }
    EXPECT_EQ(TerminateDDE(), 1);
    EXPECT_EQ(g_desktop.ddePartner, kNoDdePartner);
}

TEST(ProgmanTest, AddsAndRemovesTheGroupsItems) {
    tst::UseMainWindow();
    RemoveGroup();
    SetPreviousItemNames();
    Areas areas({"STNINST.EXE", "WELCOME.WRI", "WHATSNEW.HTM"});
    tst::FakeWindowsVersion version(tst::kWindowsNT351);  // Program Manager of 3.51
    const Commands added = {
        "[CreateGroup(Telmora)]",
        "[ShowGroup(Telmora, 4)]",
        "[ReplaceItem(Telmora Client)]",
        "[AddItem(" + areas.client + "TELMORA.EXE, Telmora Client)]",
        "[DeleteItem(Telmora)]",
        "[DeleteItem(Telmora Workstation)]",
        "[DeleteItem(Telmora Workstation)]",  // IDS_GROUP_WORKSTATION is that name too
        "[ReplaceItem(Workstation Setup)]",
        "[AddItem(" + areas.system + "STNINST.EXE, Workstation Setup)]",
        "[DeleteItem(Telmora Workstation Setup)]",
        "[ReplaceItem(Welcome!)]",
        "[AddItem(" + areas.system + "WELCOME.WRI, Welcome!)]",
    };
    EXPECT_EQ(AddCommands(areas.client, areas.system), added);
    const Commands items = {"Telmora Client.lnk", "Welcome!.lnk", "Workstation Setup.lnk"};
    EXPECT_EQ(GroupItems(), items);
    EXPECT_TRUE(ItemStarts("Telmora Client", areas.client + "TELMORA.EXE"));
    EXPECT_TRUE(ItemStarts("Workstation Setup", areas.system + "STNINST.EXE"));

    // Adding again replaces the items rather than doubling them.
    EXPECT_EQ(AddCommands(areas.client, areas.system), added);
    EXPECT_EQ(GroupItems(), items);

    const Commands removed = {
        "[DeleteItem(Telmora Client)]",
        "[DeleteItem(Telmora Workstation)]",
        "[DeleteItem(Workstation Setup)]",
        "[DeleteItem(Welcome!)]",
        "[DeleteItem(What's new in Telmora 6)]",
    };
    // Wine's shell does not answer the group request, so the group is never
    // taken for empty and stays.
    EXPECT_EQ(RemoveCommands(areas.client, areas.system), removed);
    EXPECT_EQ(GroupItems(), Commands());
    EXPECT_TRUE(tst::FileExists(GroupFolder()));
}

// Windows 95 and NT 4.0 show a new group by themselves: no ShowGroup.
// Windows 3.0 knows no ReplaceItem: nothing is replaced or deleted. Without
// setup files in the system area only the client item is made.
TEST(ProgmanTest, ShellVersionDecidesShowGroupAndReplacing) {
    tst::UseMainWindow();
    SetPreviousItemNames();
    Areas areas({});
    const std::string addClient = "[AddItem(" + areas.client + "TELMORA.EXE, Telmora Client)]";
    const struct {
        DWORD version;
        Commands added;
        Commands removed;
    } shells[] = {
        {tst::kWindows95,
         {"[CreateGroup(Telmora)]", "[ReplaceItem(Telmora Client)]", addClient, "[DeleteItem(Telmora)]",
          "[DeleteItem(Telmora Workstation)]", "[DeleteItem(Telmora Workstation)]"},
         {"[DeleteItem(Telmora Client)]", "[DeleteItem(Telmora Workstation)]"}},
        {0x00000003, {"[CreateGroup(Telmora)]", "[ShowGroup(Telmora, 4)]", addClient}, {}},
    };
    for (const auto& shell : shells) {
        SCOPED_TRACE(shell.version);
        RemoveGroup();
        tst::FakeWindowsVersion version(shell.version);
        EXPECT_EQ(AddCommands(areas.client, areas.system), shell.added);
        EXPECT_EQ(GroupItems(), Commands({"Telmora Client.lnk"}));
        EXPECT_EQ(RemoveCommands(areas.client, areas.system), shell.removed);
    }
}

// A directory with a blank is quoted, each directory decided apart. One with
// a comma but no blank is not, so the server splits the AddItem command at
// that comma: Wine refuses it (a negative acknowledgement) and makes no item.
TEST(ProgmanTest, OnlyADirectoryWithABlankIsQuoted) {
    const struct {
        const char* directory;
        const char* quote;
    } rules[] = {
        {"C:\\TELMORA\\", ""},
        {"C:\\PROGRAM FILES\\TELMORA\\", "\""},
        {"C:\\TELMORA (X86)\\", "\""},
        {"C:\\A,B\\", ""},
        {"", ""},
    };
    for (const auto& rule : rules) EXPECT_STREQ(CommandQuote(rule.directory), rule.quote) << rule.directory;

    tst::UseMainWindow();
    RemoveGroup();
    SetPreviousItemNames();
    Areas areas({"STNINST.EXE"});
    std::string client = areas.ClientIn("Program Files (x86)\\");
    Commands commands = AddCommands(client, areas.system);
    ASSERT_GE(commands.size(), 9u);
    EXPECT_EQ(commands[3], "[AddItem(\"" + client + "TELMORA.EXE\", Telmora Client)]");
    EXPECT_EQ(commands[8], "[AddItem(" + areas.system + "STNINST.EXE, Workstation Setup)]");
    // The quotes keep the blank and the parentheses inside the path.
    EXPECT_TRUE(ItemStarts("Telmora Client", client + "TELMORA.EXE"));
    EXPECT_TRUE(ItemStarts("Workstation Setup", areas.system + "STNINST.EXE"));

    RemoveGroup();
    client = areas.ClientIn("A,B\\");
    commands = AddCommands(client, "");
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(commands[3], "[AddItem(" + client + "TELMORA.EXE, Telmora Client)]");
    EXPECT_EQ(GroupItems(), Commands());
    ASSERT_EQ(InitiateDDE("PROGMAN", "PROGMAN"), 1);
    EXPECT_EQ(ExecuteDDECmd(commands[3].c_str()), 1);
    EXPECT_EQ(LastDDEAckStatus() & kAccepted, 0u);
    EXPECT_EQ(TerminateDDE(), 1);
}

// The group's description line as Program Manager gives it: Wine's shell
// never answers a group request (DMLERR_NOTPROCESSED), so the reply is
// handed in by a stand-in for the transaction.
class GroupReply {
public:
    explicit GroupReply(const char* reply)
        : initialize_("USER32.dll", "DdeInitializeA", reinterpret_cast<void*>(&KeepInstance)),
          transaction_("USER32.dll", "DdeClientTransaction", reinterpret_cast<void*>(&Reply)) {
        s_reply = reply;
        s_realInitialize = reinterpret_cast<decltype(&DdeInitializeA)>(initialize_.Original());
    }
    static std::string s_item;

private:
    static UINT WINAPI KeepInstance(LPDWORD instance, PFNCALLBACK callback, DWORD command, DWORD reserved) {
        UINT result = s_realInitialize(instance, callback, command, reserved);
        s_instance = *instance;
        return result;
    }
    static HDDEDATA WINAPI Reply(LPBYTE, DWORD, HCONV, HSZ item, UINT format, UINT type, DWORD, LPDWORD) {
        char name[64] = "";
        DdeQueryStringA(s_instance, item, name, sizeof name, CP_WINANSI);
        s_item = name;
        if (type != XTYP_REQUEST || format != CF_TEXT) return nullptr;
        return DdeCreateDataHandle(s_instance, reinterpret_cast<LPBYTE>(const_cast<char*>(s_reply)),
                                   static_cast<DWORD>(strlen(s_reply) + 1), 0, item, CF_TEXT, 0);
    }

    static inline const char* s_reply = "";
    static inline DWORD s_instance = 0;
    static inline decltype(&DdeInitializeA) s_realInitialize = nullptr;
    tst::ImportHook initialize_;
    tst::ImportHook transaction_;
};
std::string GroupReply::s_item;

TEST(ProgmanTest, GroupIsEmptyOnlyWhenItReportsNoItems) {
    const struct {
        const char* reply;
        int count;
    } replies[] = {
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,0,0,0,0,0,0,0", 0},
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,3,10,10,300,200,0,0", 3},
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP, 12", 12},
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,-2", -2},
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,70000", 70000 - 65536},  // 16 bits
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP", 0},  // fewer than two commas
        {"\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,x", 0},
        {"", 0},
    };
    for (const auto& r : replies) EXPECT_EQ(GroupItemCount(r.reply), r.count) << r.reply;

    tst::UseMainWindow();
    RemoveGroup();
    ASSERT_EQ(InitiateDDE("PROGMAN", "PROGMAN"), 1);
    ExecuteDDECmd("[CreateGroup(Telmora)]");
    ASSERT_TRUE(tst::FileExists(GroupFolder()));
    EXPECT_EQ(IsProgmanGroupEmpty(), 0) << "Wine does not answer the group request";
    {
        GroupReply reply("\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,0,0,0,0,0,0,0");
        EXPECT_EQ(IsProgmanGroupEmpty(), 1);
        EXPECT_EQ(GroupReply::s_item, "Telmora");
    }
    {
        GroupReply reply("\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,2,0,0,0,0,0,0");
        EXPECT_EQ(IsProgmanGroupEmpty(), 0);
    }
    EXPECT_EQ(TerminateDDE(), 1);

    // Removal deletes the group only when it is then empty: items of other
    // programs keep it.
    Areas areas({});
    const Commands deleteItems = {"[DeleteItem(Telmora Client)]", "[DeleteItem(Telmora Workstation)]"};
    {
        GroupReply reply("\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,1");
        EXPECT_EQ(RemoveCommands(areas.client, ""), deleteItems);
        EXPECT_TRUE(tst::FileExists(GroupFolder()));
    }
    {
        GroupReply reply("\"Telmora\",C:\\WINDOWS\\TELMORA.GRP,0");
        Commands deleteGroup = deleteItems;
        deleteGroup.push_back("[DeleteGroup(Telmora)]");
        EXPECT_EQ(RemoveCommands(areas.client, ""), deleteGroup);
        EXPECT_FALSE(tst::FileExists(GroupFolder()));
    }
}

// Nobody answers the initiate: the ignore question decides.
decltype(&SendMessageTimeoutA) s_realSend = nullptr;
LRESULT WINAPI SilentInitiate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                              PDWORD_PTR result) {
    if (message == WM_DDE_INITIATE) return 0;
    return s_realSend(window, message, wParam, lParam, flags, timeoutMs, result);
}

TEST(ProgmanTest, ProgramManagerNotRespondingAsksWhetherToGoOn) {
    tst::UseMainWindow();
    tst::ImportHook silent("USER32.dll", "SendMessageTimeoutA", reinterpret_cast<void*>(&SilentInitiate));
    s_realSend = reinterpret_cast<decltype(&SendMessageTimeoutA)>(silent.Original());
    CommandLog log;
    tst::DialogDriver driver;
    auto question = [] {
        return tst::MessageBoxExpect("Error!", "Program manager not responding - Ignore error and continue?",
                                     {IDYES, IDNO})
            .Default(IDNO);
    };
    driver.Expect(question().Press(IDNO));
    driver.Expect(question().Press(IDYES));
    driver.Expect(question().Press(IDNO));
    driver.Expect(question().Press(IDYES));
    EXPECT_EQ(AddProgmanItems("C:\\TELMORA\\", "C:\\SERVER\\SYSTEM\\"), 0);
    EXPECT_EQ(AddProgmanItems("C:\\TELMORA\\", "C:\\SERVER\\SYSTEM\\"), 1);
    EXPECT_EQ(RemoveProgmanItems("C:\\TELMORA\\", "C:\\SERVER\\SYSTEM\\"), 0);
    EXPECT_EQ(RemoveProgmanItems("C:\\TELMORA\\", "C:\\SERVER\\SYSTEM\\"), 1);
    EXPECT_TRUE(driver.AllMet());
    EXPECT_TRUE(log.Commands().empty());
}

// A window of another thread that takes every message and answers none.
class SilentPartner {
public:
    SilentPartner() : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = CreateThread(nullptr, 0, &Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, 5000);
    }
    ~SilentPartner() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HWND Window() const { return window_; }

private:
    static DWORD WINAPI Run(void* self) {
        auto* partner = static_cast<SilentPartner*>(self);
        partner->window_ = CreateWindowA("STATIC", "silent", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        SetEvent(partner->ready_);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(partner->window_);
        return 0;
    }

    HANDLE ready_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

// Without a partner nothing is sent; a partner that never answers costs at
// most three seconds per wait.
TEST(ProgmanTest, ExecuteNeedsAPartnerAndWaitsAtMostThreeSeconds) {
    tst::FreshRunState();
    tst::UseMainWindow();
    {
        tst::DialogDriver driver;
        driver.Expect(tst::MessageBoxExpect("Error!", "ExecuteDDECmd - no current server", {IDOK}));
        EXPECT_EQ(ExecuteDDECmd("[CreateGroup(Telmora)]"), 0);
        EXPECT_TRUE(driver.AllMet());
    }

    SilentPartner silent;
    ASSERT_NE(silent.Window(), nullptr);
    g_desktop.ddePartner = silent.Window();
    const struct {
        const char* what;
        int (*wait)();
    } waits[] = {
        {"execute", [] { return ExecuteDDECmd("[CreateGroup(Telmora)]"); }},
        {"terminate", [] { return TerminateDDE(); }},
    };
    for (const auto& w : waits) {
        DWORD start = GetTickCount();
        EXPECT_EQ(w.wait(), 0) << w.what;
        DWORD waitedMs = GetTickCount() - start;
        EXPECT_GE(waitedMs, 3000u) << w.what;
        EXPECT_LT(waitedMs, 4500u) << w.what;
    }
    EXPECT_EQ(g_desktop.ddePartner, silent.Window()) << "an unanswered terminate keeps the partner";
    tst::FreshRunState();
}

}  // namespace
