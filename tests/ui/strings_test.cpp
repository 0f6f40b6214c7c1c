// Tests of localised string loading (language library first, then the
// program's own table), the UTF-16 conversion buffer behind ToWide, and the
// dialog text calls on the Windows NT and Windows 95 paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "common/setup_context.h"
#include "common/win_handles.h"
#include "support/import_hook.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const int kEditId = IDC_PATH_EDIT;

// A module with no string table of ours: the language library that lacks
// every string.
const char kModuleWithoutStrings[] = "version.dll";

class StringsTest : public testing::Test {
protected:
    void SetUp() override {
        g_setup.appInstance = GetModuleHandleA(nullptr);
        g_setup.languageLibrary = nullptr;
    }
    void TearDown() override {
        g_setup.languageLibrary = nullptr;
        ToWide(nullptr);
        std::setlocale(LC_ALL, "C");
    }
};

HGLOBAL WINAPI FailingGlobalAlloc(UINT, SIZE_T) { return nullptr; }

TEST_F(StringsTest, LoadLocalStringFallsBackToTheProgramsTableAndCutsToTheBuffer) {
    win::Module empty(LoadLibraryA(kModuleWithoutStrings));
    ASSERT_TRUE(empty.IsOpen());
    char probe[16];
    ASSERT_EQ(0, LoadStringA(empty.Get(), IDS_INSTALLATION_ABORTED, probe, sizeof(probe)));

    struct Row {
        const char* name;
        HMODULE library;
        DWORD version;
    };
    const Row rows[] = {
        {"no library, NT", nullptr, tst::kWindowsNT40},
        {"no library, 95", nullptr, tst::kWindows95},
        {"library without the strings, NT", empty.Get(), tst::kWindowsNT40},
        {"library without the strings, 95", empty.Get(), tst::kWindows95},
        // The program's own module as the library: its strings come through
        // the library's path (UTF-16 and back on NT).
        {"library with the strings, NT", g_setup.appInstance, tst::kWindowsNT40},
        {"library with the strings, 95", g_setup.appInstance, tst::kWindows95},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        tst::FakeWindowsVersion version(row.version);
        g_setup.languageLibrary = row.library;

        char buffer[kMessageSize];
        EXPECT_EQ(20, LoadLocalString(g_setup.appInstance, IDS_INSTALLATION_ABORTED, buffer));
        EXPECT_STREQ("Installation aborted", buffer);

        std::memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(9, LoadLocalString(g_setup.appInstance, IDS_INSTALLATION_ABORTED, buffer, 10));
        EXPECT_STREQ("Installat", buffer);
        EXPECT_EQ('x', buffer[10]);

        std::memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(0, LoadLocalString(g_setup.appInstance, 3300, buffer));
        EXPECT_STREQ("", buffer);

        EXPECT_EQ(44, LoadLocalString(g_setup.appInstance, IDS_INVALID_DEVICE_NAME, buffer));
        EXPECT_STREQ("Device names can not contain '.', '\\' or ':'", buffer);
    }
}

TEST_F(StringsTest, ToWideUsesAHeapBlockForLongTextsAndReleasesIt) {
    EXPECT_EQ(std::wstring(L"C:\\TELMORA\\"), ToWide("C:\\TELMORA\\"));

    const std::string inlineLimit(512, 'a');
    EXPECT_EQ(std::wstring(512, L'a'), ToWide(inlineLimit.c_str()));

    const std::string longText(600, 'b');
    EXPECT_EQ(std::wstring(600, L'b'), ToWide(longText.c_str()));

    const std::string longer(5000, 'c');
    EXPECT_EQ(std::wstring(5000, L'c'), ToWide(longer.c_str()));
    EXPECT_EQ(std::wstring(700, L'd'), ToWide(std::string(700, 'd').c_str())) << "the larger block is reused";

    EXPECT_STREQ(L"", ToWide(nullptr));
    EXPECT_EQ(std::wstring(L"short"), ToWide("short"));
}

TEST_F(StringsTest, WideTextKeepsALargeEnoughBlockAndFallsBackWhenMemoryFails) {
    WideText wide;
    EXPECT_EQ(wide.inlineUnits, wide.Reserve(1026));
    EXPECT_EQ(513u, wide.capacity);

    wchar_t* block = wide.Reserve(4000);
    EXPECT_NE(wide.inlineUnits, block);
    EXPECT_GE(wide.capacity, 2000u);
    EXPECT_EQ(block, wide.Reserve(3000)) << "a smaller request keeps the block";
    EXPECT_EQ(wide.inlineUnits, wide.Reserve(100)) << "a short request gives the block back";
    EXPECT_EQ(nullptr, wide.heapBlock);

    // Without memory the inline array takes what fits: 512 units.
    ToWide(nullptr);
    tst::ImportHook noMemory("KERNEL32.dll", "GlobalAlloc", reinterpret_cast<void*>(&FailingGlobalAlloc));
    ASSERT_TRUE(noMemory.Installed());
    EXPECT_EQ(wide.inlineUnits, wide.Reserve(4000));
    EXPECT_EQ(513u, wide.capacity);
    EXPECT_EQ(std::wstring(512, L'e'), ToWide(std::string(600, 'e').c_str()));
}

TEST_F(StringsTest, ToWideConvertsUnderTheCurrentLocale) {
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, ".1252"));
    EXPECT_EQ(std::wstring(L"\x20AC \x00E9"), ToWide("\x80 \xE9"));
}

// A parent window with one edit control of the dialogs' path edit id.
class EditWindow {
public:
    EditWindow()
        : parent_(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr, nullptr, nullptr)),
          edit_(CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 200, 20, parent_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr)) {}
    ~EditWindow() { DestroyWindow(parent_); }
    HWND Parent() const { return parent_; }
    HWND Edit() const { return edit_; }

private:
    HWND parent_;
    HWND edit_;
};

TEST_F(StringsTest, DialogTextRoundTripsOnBothPaths) {
    for (DWORD versionValue : {tst::kWindowsNT40, tst::kWindows95}) {
        SCOPED_TRACE(versionValue == tst::kWindows95 ? "Windows 95" : "Windows NT");
        tst::FakeWindowsVersion version(versionValue);
        EditWindow window;
        ASSERT_NE(nullptr, window.Edit());

        EXPECT_TRUE(SetDialogText(window.Parent(), kEditId, "C:\\TELMORA\\FAX\\"));
        char buffer[272];
        EXPECT_EQ(15, GetDialogText(window.Parent(), kEditId, buffer, sizeof(buffer)));
        EXPECT_STREQ("C:\\TELMORA\\FAX\\", buffer);

        std::memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(4, GetDialogText(window.Parent(), kEditId, buffer, 5));
        EXPECT_STREQ("C:\\T", buffer);

        EXPECT_TRUE(SendTextMessage(window.Edit(), WM_SETTEXT, 0, "QVTLINIT"));
        EXPECT_EQ(8, GetDialogText(window.Parent(), kEditId, buffer, sizeof(buffer)));
        EXPECT_STREQ("QVTLINIT", buffer);
    }
}

TEST_F(StringsTest, DialogTextOnNtIsConvertedUnderTheProgramsLocale) {
    // On Windows NT the control holds UTF-16; the program's 8-bit text is in
    // the runtime library's locale, here code page 1252, both ways.
    tst::FakeWindowsVersion version(tst::kWindowsNT40);
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, ".1252"));
    EditWindow window;
    ASSERT_NE(nullptr, window.Edit());
    SetDlgItemTextW(window.Parent(), kEditId, L"\x20AC\x00E9");
    char buffer[16];
    EXPECT_EQ(2, GetDialogText(window.Parent(), kEditId, buffer, sizeof(buffer)));
    EXPECT_STREQ("\x80\xE9", buffer);

    ASSERT_TRUE(SetDialogText(window.Parent(), kEditId, "\xE9\x80"));
    wchar_t wide[16];
    GetDlgItemTextW(window.Parent(), kEditId, wide, 16);
    EXPECT_EQ(std::wstring(L"\x00E9\x20AC"), wide);
}

}  // namespace
