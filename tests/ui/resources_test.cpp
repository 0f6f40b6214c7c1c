// Checks the program's own resources for slips in the data: every question
// dialog template found by the name the code passes, with the common style,
// its title where the language-library code expects it, its size and its
// control ids; a sample of the English strings, exactly; exactly the listed
// string ids present between 3301 and 3555; the "Install" icon.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "common/setup_context.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kQuestionStyle = 0x90C800C4;
const int kTitleOffset = 22;  // classic DLGTEMPLATE without menu and class
const char kInstallTitle[] = "Telmora installation";

enum class Layout { YesNo, Path, Language, Network, Network3, Function, Reboot };

struct TemplateCase {
    const char* name;
    Layout layout;
    const char* title;
};

const TemplateCase kTemplates[] = {
    {IDD_FUNCTION_BOX, Layout::Function, kInstallTitle},
    {IDD_REBOOT_BOX, Layout::Reboot, kInstallTitle},
    {IDD_REPLACE_BOX, Layout::YesNo, kInstallTitle},
    {IDD_LANGUAGE_BOX, Layout::Language, kInstallTitle},
    {IDD_NETWORK_BOX, Layout::Network, kInstallTitle},
    {IDD_NETWORK3_BOX, Layout::Network3, kInstallTitle},
    {IDD_BOOL_ADD_PROGMAN_ENTRY, Layout::YesNo, kInstallTitle},
    {IDD_BOOL_PROMPT_BOTH, Layout::YesNo, kInstallTitle},
    {IDD_BOOL_PROMPT_BOTH_UNINSTALL, Layout::YesNo, "Telmora Client Uninstallation"},
    {IDD_BOOL_PROMPT_INIT, Layout::YesNo, kInstallTitle},
    {IDD_BOOL_PROMPT_INIT_UNINSTALL, Layout::YesNo, "Telmora Client Uninstallation"},
    {IDD_BOOL_PROMPT_SHARE, Layout::YesNo, kInstallTitle},
    {IDD_BOOL_PROMPT_TSR, Layout::YesNo, kInstallTitle},
    {IDD_BOOL_PROMPT_TSR_UNINSTALL, Layout::YesNo, "Telmora Client Uninstallation"},
    {IDD_BOOL_RUN_TSR, Layout::YesNo, kInstallTitle},
    {IDD_PATH_AUTOEXEC_DIR, Layout::Path, kInstallTitle},
    {IDD_PATH_AUTOEXEC_DIR_UNINSTALL, Layout::Path, "Telmora Uninstallation"},
    {IDD_PATH_DISTRIB_DIR, Layout::Path, kInstallTitle},
    {IDD_PATH_LOG_AREA, Layout::Path, kInstallTitle},
    {IDD_PATH_NET_SERVER_BASE_DIR, Layout::Path, kInstallTitle},
    {IDD_PATH_PROG_AREA, Layout::Path, kInstallTitle},
    {IDD_PATH_REQUEST_AREA, Layout::Path, kInstallTitle},
    {IDD_PATH_SERVER_BASE_DIR, Layout::Path, kInstallTitle},
    {IDD_PATH_SYSTEM_AREA, Layout::Path, kInstallTitle},
    {IDD_PATH_USER_AREA, Layout::Path, kInstallTitle},
    {IDD_PATH_QVTLINI_CREATE, Layout::Path, kInstallTitle},
    {IDD_PATH_QVTLINI_EXISTS, Layout::Path, kInstallTitle},
    {IDD_STRING_DEFAULT_USER1, Layout::Path, kInstallTitle},
    {IDD_STRING_DEFAULT_USER2, Layout::Path, kInstallTitle},
    {IDD_STRING_REDIRECT_DEVICE, Layout::Path, kInstallTitle},
    {IDD_STRING_SPOOL_DEVICE, Layout::Path, kInstallTitle},
};

struct LayoutFacts {
    short width, height;
    std::vector<int> controls;  // ids that must be there
    std::vector<int> radios;    // ids that must be plain radio buttons
};

const std::vector<int> kAllLines = {IDC_TEXT_LINE1, IDC_TEXT_LINE2, IDC_TEXT_LINE3,
                                    IDC_TEXT_LINE4, IDC_TEXT_LINE5, IDC_TEXT_LINE6};

std::vector<int> Join(std::vector<int> first, const std::vector<int>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

LayoutFacts FactsOf(Layout layout) {
    const std::vector<int> network = {IDC_NETWORK_PRIMARY, IDC_NETWORK_SECOND, IDC_NETWORK_NONE};
    const std::vector<int> function = {IDC_FUNCTION_INSTALL, IDC_FUNCTION_EDIT, IDC_FUNCTION_COPY,
                                       IDC_FUNCTION_UPDATE, IDC_FUNCTION_UNINSTALL, IDC_FUNCTION_QUIT};
    switch (layout) {
    case Layout::YesNo:
        return {200, 100, Join(kAllLines, {IDC_ANSWER_YES, IDC_ANSWER_NO, IDC_ABORT}), {}};
    case Layout::Path:
        return {200, 115, Join(kAllLines, {IDC_PATH_EDIT, IDOK, IDC_ABORT}), {}};
    case Layout::Language:
        return {200, 115, {IDC_TEXT_LINE1, IDC_TEXT_LINE2, IDC_LANGUAGE_LIST, IDOK, IDC_ABORT}, {}};
    case Layout::Network:
        return {250, 128, Join(network, {IDC_TEXT_LINE1, IDC_TEXT_LINE4, IDOK, IDC_ABORT}), network};
    case Layout::Network3:
        return {250, 140, Join(network, {IDC_NETWORK_THIRD, IDC_TEXT_LINE1, IDC_TEXT_LINE4, IDOK, IDC_ABORT}),
                Join(network, {IDC_NETWORK_THIRD})};
    case Layout::Function:
        return {220, 124, Join(function, {IDC_TEXT_LINE1, IDOK}), function};
    case Layout::Reboot:
        return {200, 100, {IDC_TEXT_LINE1, IDC_TEXT_LINE2, IDC_REBOOT, IDC_RETURN_TO_DOS, IDC_REBOOT_EXIT}, {}};
    }
    return {};
}

const DLGTEMPLATE* FindTemplate(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

std::string NarrowTitle(const DLGTEMPLATE* dialog) {
    const wchar_t* title = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(dialog) + kTitleOffset);
    char text[128] = "";
    WideCharToMultiByte(CP_ACP, 0, title, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct WindowCloser {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using DialogWindow = std::unique_ptr<std::remove_pointer<HWND>::type, WindowCloser>;

std::string LoadText(UINT id) {
    char text[512] = "";
    int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

// The string ids of the English table, as ranges of consecutive ids.
struct IdRange { UINT first, last; };
const IdRange kListedStrings[] = {
    {3301, 3302}, {3311, 3313}, {3321, 3323}, {3331, 3338}, {3341, 3359}, {3361, 3366}, {3371, 3381},
    {3391, 3393}, {3401, 3413}, {3421, 3433}, {3440, 3472}, {3500, 3509}, {3525, 3530}, {3550, 3555},
};
const size_t kListedStringCount = 136;

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { g_setup.appInstance = GetModuleHandleA(nullptr); }
};

TEST_F(ResourcesTest, EveryTemplateHasTheCommonFormTitleAndSize) {
    EXPECT_EQ(31u, sizeof kTemplates / sizeof kTemplates[0]);
    for (const TemplateCase& test : kTemplates) {
        SCOPED_TRACE(test.name);
        const DLGTEMPLATE* dialog = FindTemplate(test.name);
        ASSERT_NE(nullptr, dialog) << "template not found by its mixed-case name";
        EXPECT_EQ(kQuestionStyle, dialog->style);
        EXPECT_EQ(20, dialog->x);
        EXPECT_EQ(20, dialog->y);
        const WORD* menuAndClass = reinterpret_cast<const WORD*>(dialog + 1);
        EXPECT_EQ(0, menuAndClass[0]) << "a menu moves the title";
        EXPECT_EQ(0, menuAndClass[1]) << "a window class moves the title";
        EXPECT_EQ(test.title, NarrowTitle(dialog));
        LayoutFacts facts = FactsOf(test.layout);
        EXPECT_EQ(facts.width, dialog->cx);
        EXPECT_EQ(facts.height, dialog->cy);
    }
}

TEST_F(ResourcesTest, EveryTemplateHasItsControls) {
    for (const TemplateCase& test : kTemplates) {
        SCOPED_TRACE(test.name);
        DialogWindow dialog(CreateDialogParamA(GetModuleHandleA(nullptr), test.name, nullptr, QuietDialogProc, 0));
        ASSERT_TRUE(dialog) << "error " << GetLastError();
        LayoutFacts facts = FactsOf(test.layout);
        for (int id : facts.controls) EXPECT_NE(nullptr, GetDlgItem(dialog.get(), id)) << "control " << id;
        for (int id : facts.radios) {
            LONG style = GetWindowLongA(GetDlgItem(dialog.get(), id), GWL_STYLE);
            EXPECT_EQ(BS_RADIOBUTTON, style & BS_TYPEMASK) << "radio " << id << " must not check itself";
        }
        if (test.layout == Layout::Network) {
            EXPECT_EQ(nullptr, GetDlgItem(dialog.get(), IDC_NETWORK_THIRD));
        }
        if (test.layout == Layout::Path) {
            LONG style = GetWindowLongA(GetDlgItem(dialog.get(), IDC_PATH_EDIT), GWL_STYLE);
            EXPECT_EQ(ES_AUTOHSCROLL, style & ES_AUTOHSCROLL);
        }
        if (test.layout == Layout::Language) {
            LONG style = GetWindowLongA(GetDlgItem(dialog.get(), IDC_LANGUAGE_LIST), GWL_STYLE);
            EXPECT_EQ(CBS_DROPDOWNLIST, style & 3);
            EXPECT_EQ(CBS_SORT, style & CBS_SORT);
        }
    }
}

TEST_F(ResourcesTest, TemplateTextsSample) {
    DialogWindow dialog(CreateDialogParamA(GetModuleHandleA(nullptr), IDD_REBOOT_BOX, nullptr, QuietDialogProc, 0));
    ASSERT_TRUE(dialog);
    char text[128] = "";
    GetDlgItemTextA(dialog.get(), IDC_TEXT_LINE2, text, sizeof text);
    EXPECT_STREQ("AUTOEXEC.BAT to take effect", text);
    GetDlgItemTextA(dialog.get(), IDC_RETURN_TO_DOS, text, sizeof text);
    EXPECT_STREQ("Return to &DOS", text);

    DialogWindow replace(CreateDialogParamA(GetModuleHandleA(nullptr), IDD_REPLACE_BOX, nullptr, QuietDialogProc, 0));
    ASSERT_TRUE(replace);
    for (int id : kAllLines) {
        GetDlgItemTextA(replace.get(), id, text, sizeof text);
        EXPECT_STREQ("", text) << "replace box line " << id << " is filled in by the program";
    }
}

TEST_F(ResourcesTest, StringSampleIsExact) {
    EXPECT_EQ("Invalid direcory following /i switch", LoadText(IDS_INVALID_DIRECTORY_SWITCH));
    EXPECT_EQ("Installation aborted", LoadText(IDS_INSTALLATION_ABORTED));
    EXPECT_EQ("Unable to copy file %s\nto file %s\n\n", LoadText(IDS_COPY_FILE_FAILED));
    EXPECT_EQ("Fax graphics (*.g3*)|*.G3*|EPSON", LoadText(IDS_FILTER1_G3));
    EXPECT_EQ("TIFF - uncomp (*.tif)|*.TIF|TIFF-UNCOMPRESSED", LoadText(IDS_FILTER3_TIFF_UNCOMP));
    EXPECT_EQ("Device names can not contain '.', '\\' or ':'", LoadText(IDS_INVALID_DEVICE_NAME));
    EXPECT_EQ(" - Ignore error and continue?", LoadText(IDS_IGNORE_ERROR_SUFFIX));
}

TEST_F(ResourcesTest, ExactlyTheListedStringIdsExistAndFitAMessageBuffer) {
    std::set<UINT> listed;
    for (const IdRange& range : kListedStrings)
        for (UINT id = range.first; id <= range.last; ++id) listed.insert(id);
    ASSERT_EQ(kListedStringCount, listed.size());
    for (UINT id = IDS_FIRST_STRING; id <= IDS_LAST_STRING; ++id) {
        std::string text = LoadText(id);
        if (listed.count(id)) {
            EXPECT_FALSE(text.empty()) << "string " << id << " missing";
            EXPECT_GE(size_t(kMessageSize - 1), text.size()) << "string " << id << " too long for its buffer";
        } else {
            EXPECT_TRUE(text.empty()) << "unexpected string " << id << ": " << text;
        }
    }
    EXPECT_TRUE(LoadText(IDS_LIBRARY_LOCALE).empty()) << "only a language library holds 2821";
    EXPECT_TRUE(LoadText(IDS_LIBRARY_CHARSET).empty()) << "only a language library holds 2822";
}

TEST_F(ResourcesTest, InstallIconLoadsByName) {
    EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), IDI_INSTALL));
    HANDLE small = LoadImageA(GetModuleHandleA(nullptr), IDI_INSTALL, IMAGE_ICON, 16, 16, 0);
    EXPECT_NE(nullptr, small);
    if (small) DestroyIcon(static_cast<HICON>(small));
}

}  // namespace
