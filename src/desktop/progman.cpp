// The client's Program Manager group "Telmora" and its items: the command
// series that adds and removes them over the raw DDE conversation, and the
// question to the DDE management library whether the group is empty.
//
// On shells of Windows 3.1 and later every item of an older version is
// replaced or deleted as the new one is added; the names of the items to
// replace are those of the language that was in force before this run.
#include "desktop/progman.h"

#include <windows.h>
#include <ddeml.h>

#include <cstdarg>
#include <cstring>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "common/directory_checks.h"
#include "desktop/dde_conversation.h"
#include "desktop/desktop_state.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char kProgmanName[] = "PROGMAN";  // service and topic
const char kGroupName[] = "Telmora";
const char kShellFolderClass[] = "CabinetWClass";

const DWORD kFirstItemReplacingVersion = 0x30A;  // Windows 3.1
const int kShellMajorVersion4 = 4;
const int kItemNameSize = 306;
const int kCommandSize = 1024;
const int kGroupReplySize = 1001;
const DWORD kRequestTimeoutMs = 5000;

// Names the items of older versions had.
const char kOldGroupNamedItem[] = "Telmora";
const char kOldClientItem[] = "Telmora Workstation";

typedef char ItemName[kItemNameSize];

// One item: the file it starts, its name in the string table, the name it
// had in the previous language (null for an item that is only removed) and
// the fixed name an older version gave it.
struct ProgmanItem {
    const char* file;
    UINT nameId;
    const char* previousName;
    const char* formerName;
};

const ProgmanItem kClientItem = {"TELMORA.EXE", IDS_ITEM_CLIENT, g_desktop.oldClientItemName, kOldClientItem};

// The items of the fax server's system area.
const ProgmanItem kSystemItems[] = {
    {"STNINST.EXE", IDS_ITEM_WORKSTATION_SETUP, g_desktop.oldSetupItemName, "Telmora Workstation Setup"},
    {"WELCOME.WRI", IDS_ITEM_WELCOME, g_desktop.oldWelcomeItemName, "Welcome!"},
    {"WHATSNEW.HTM", IDS_ITEM_WHATS_NEW, nullptr, nullptr},
};

DWORD WindowsVersion() { return GetVersion(); }

// True on shells that know ReplaceItem and keep items of older versions.
bool ReplacesOldItems() { return WindowsVersion() >= kFirstItemReplacingVersion; }

bool IsMajorVersion4() { return LOBYTE(LOWORD(WindowsVersion())) == kShellMajorVersion4; }

// Formats one command and executes it; whether it was acknowledged is not used.
__attribute__((format(printf, 1, 2))) void Execute(const char* format, ...) {
    char command[kCommandSize];
    va_list args;
    va_start(args, format);
    text::FormatList(command, format, args);
    va_end(args);
    int acknowledged = ExecuteDDECmd(command) ? 1 : 0;
    LogAction(kLogGroup, "%s%s", command, acknowledged ? "" : " (the shell did not acknowledge it)");
}

// No shell answered the Program Manager's name: the question follows.
int AskAboutSilentShell() {
    LogAction(kLogGroup, "no shell answered as Program Manager: the group is not changed");
    return AskIgnoreError(IDS_PROGMAN_NOT_RESPONDING);
}

void LoadItemName(UINT id, ItemName& name) { LoadLocalString(g_setup.appInstance, id, name); }

void DeleteNamedItem(UINT nameId) {
    ItemName name;
    LoadItemName(nameId, name);
    Execute("[DeleteItem(%s)]", name);
}

// Deletes the item an older version called `formerName`, unless the new
// item has that very name.
void DeleteFormerItem(const char* name, const char* formerName) {
    if (std::strcmp(name, formerName) != 0) Execute("[DeleteItem(%s)]", formerName);
}

// Replaces the item of the previous language with `item` for `directory`;
// its loaded name is left in `name`.
void AddItem(const ProgmanItem& item, const char* directory, bool replaceOld, ItemName& name) {
    if (!directory) return;
    if (replaceOld && item.previousName) Execute("[ReplaceItem(%s)]", item.previousName);
    LoadItemName(item.nameId, name);
    const char* quote = CommandQuote(directory);
    Execute("[AddItem(%s%s%s%s, %s)]", quote, directory, item.file, quote, name);
}

void AddClientItem(const char* clientDirectory, bool replaceOld) {
    ItemName name;
    AddItem(kClientItem, clientDirectory, replaceOld, name);
    if (!replaceOld) return;
    Execute("[DeleteItem(%s)]", kOldGroupNamedItem);
    DeleteFormerItem(name, kClientItem.formerName);
    DeleteNamedItem(IDS_GROUP_WORKSTATION);
}

void AddSystemItems(const char* systemArea, bool replaceOld) {
    for (const ProgmanItem& item : kSystemItems) {
        if (!item.previousName || !DirectoryHoldsFile(systemArea, item.file)) continue;
        ItemName name;
        AddItem(item, systemArea, replaceOld, name);
        if (replaceOld) DeleteFormerItem(name, item.formerName);
    }
}

// The shell opens a folder window for a new group; it is closed again.
void CloseGroupFolderWindow() {
    HWND folder = FindWindowA(kShellFolderClass, kGroupName);
    if (folder) PostMessageA(folder, WM_DESTROY, 0, 0);
}

HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// Requests the group's description line over `conversation` and reads its
// item count into `count`; 0 when the request or the reading fails.
int RequestGroupItemCount(DWORD instance, HCONV conversation, int* count) {
    HSZ item = DdeCreateStringHandleA(instance, kGroupName, CP_WINANSI);
    if (!item) return 0;
    char reply[kGroupReplySize] = "";
    HDDEDATA data =
        DdeClientTransaction(nullptr, 0, conversation, item, CF_TEXT, XTYP_REQUEST, kRequestTimeoutMs, nullptr);
    int ok = data != nullptr;
    if (data) {
        DdeGetData(data, reinterpret_cast<LPBYTE>(reply), sizeof reply - 1, 0);
        DdeFreeDataHandle(data);
    }
    ok = DdeGetLastError(instance) == DMLERR_NO_ERROR && ok;
    *count = GroupItemCount(reply);
    ok = DdeFreeStringHandle(instance, item) && ok;
    return ok;
}

// Connects to PROGMAN within `instance` and asks for the group's item count.
int QueryGroupItemCount(DWORD instance, int* count) {
    HSZ progman = DdeCreateStringHandleA(instance, kProgmanName, CP_WINANSI);
    if (!progman) return 0;
    CONVCONTEXT context;
    std::memset(&context, 0, sizeof context);
    context.cb = sizeof context;
    HCONV conversation = DdeConnect(instance, progman, progman, &context);
    int ok = conversation && RequestGroupItemCount(instance, conversation, count);
    ok = DdeFreeStringHandle(instance, progman) && ok;
    if (conversation) ok = DdeDisconnect(conversation) && ok;
    return ok;
}

}  // namespace

void KeepProgmanItemNames() {
    LoadLocalString(g_setup.appInstance, IDS_ITEM_CLIENT, g_desktop.oldClientItemName);
    LoadLocalString(g_setup.appInstance, IDS_ITEM_WORKSTATION_SETUP, g_desktop.oldSetupItemName);
    LoadLocalString(g_setup.appInstance, IDS_ITEM_WELCOME, g_desktop.oldWelcomeItemName);
}

int AddProgmanItems(const char* clientDirectory, const char* systemArea) {
    bool replaceOld = ReplacesOldItems();
    if (!InitiateDDE(kProgmanName, kProgmanName)) return AskAboutSilentShell();

    Execute("[CreateGroup(%s)]", kGroupName);
    if (!IsMajorVersion4()) Execute("[ShowGroup(%s, 4)]", kGroupName);
    if (!text::IsEmpty(clientDirectory)) AddClientItem(clientDirectory, replaceOld);
    if (!text::IsEmpty(systemArea)) AddSystemItems(systemArea, replaceOld);
    TerminateDDE();

    if (IsMajorVersion4()) CloseGroupFolderWindow();
    return 1;
}

// The deletes name no group: Program Manager takes its current one. A shell
// that has none may refuse them or stop answering altogether; every wait of
// the conversation is bounded, so the removal still ends, with 1.
int RemoveProgmanItems(const char* clientDirectory, const char* systemArea) {
    bool deleteItems = ReplacesOldItems();
    if (!InitiateDDE(kProgmanName, kProgmanName)) return AskAboutSilentShell();

    if (deleteItems && !text::IsEmpty(clientDirectory)) {
        DeleteNamedItem(IDS_ITEM_CLIENT);
        DeleteNamedItem(IDS_GROUP_WORKSTATION);
    }
    if (deleteItems && !text::IsEmpty(systemArea)) {
        for (const ProgmanItem& item : kSystemItems) {
            if (DirectoryHoldsFile(systemArea, item.file)) DeleteNamedItem(item.nameId);
        }
    }
    if (IsProgmanGroupEmpty()) {
        Execute("[DeleteGroup(%s)]", kGroupName);
    } else {
        LogAction(kLogGroup, "group %s kept: it still holds items, or the shell did not say", kGroupName);
    }
    TerminateDDE();
    return 1;
}

// The management library bounds its own waits: the request has 5 seconds.
int IsProgmanGroupEmpty() {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreDdeEvent, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
    int count = 0;
    int ok = QueryGroupItemCount(instance, &count);
    ok = DdeUninitialize(instance) && ok;
    return ok && count == 0 ? 1 : 0;
}
