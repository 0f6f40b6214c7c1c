// The language question's list of client language libraries on the share,
// the language table behind it, and the directory listing it is built with
// (the 12-character name rule, hidden entries, files or directories).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "support/dialog_driver.h"
#include "support/fresh_run_state.h"
#include "support/temp_directory.h"
#include "support/x86_pc.h"
#include "ui/language_list.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"

namespace {

const char kTitle[] = "Telmora installation";
const std::vector<std::string> kLanguageLines = {"Which language would you like to use for the",
                                                 "Telmora client program on this computer?"};

std::vector<std::string> ComboEntries(HWND list) {
    std::vector<std::string> entries;
    LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char entry[64] = "";
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        entries.push_back(entry);
    }
    return entries;
}

std::string SelectedEntry(HWND list) {
    LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return "<none>";
    char entry[64] = "";
    SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry));
    return entry;
}

// The names FindFirstFileA gives for `pattern` in `directory`, in its order.
std::vector<std::string> RawListing(const std::string& directory, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::vector<std::string> Listed(const std::string& directory, const char* pattern, int wantDirectories,
                                int size = kListNameSize) {
    std::vector<std::string> names;
    FileListScope list(OpenFileList(directory.c_str(), pattern, wantDirectories));
    EXPECT_NE(list.Get(), nullptr);
    char name[64];
    while (NextFileName(list.Get(), name, size)) names.push_back(name);
    EXPECT_EQ(NextFileName(list.Get(), name, size), 0) << "the end stays the end";
    return names;
}

void Touch(const tst::TempDirectory& dir, const char* name) { ASSERT_TRUE(tst::WriteFile(dir.File(name), "")); }

class LanguageListTest : public testing::Test {
protected:
    void SetUp() override {
        tst::FreshRunState();
        text::Copy(g_setup.setupDirectory, dir_.Path().c_str());
        ASSERT_TRUE(CreateDirectoryA(dir_.File("I386").c_str(), nullptr));
    }

    // Asks the language question with `current` offered; checks the list
    // and its selection, picks `pick` (or keeps the selection) and returns
    // the answer.
    std::string Ask(const char* current, std::vector<std::string> entries, const char* selected,
                    const char* pick = nullptr) {
        tst::Expectation expect = tst::DialogExpect(kTitle, kLanguageLines).OnShow([entries, selected](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
            EXPECT_EQ(ComboEntries(list), entries);
            EXPECT_EQ(SelectedEntry(list), selected);
        });
        if (pick) expect.Select(IDC_LANGUAGE_LIST, pick);
        tst::DialogDriver driver;
        driver.Expect(expect.Press(IDOK));
        char answer[kLanguageCodeSize] = "-";
        EXPECT_EQ(AskLanguage(IDD_LANGUAGE_BOX, current, answer, sizeof answer), 1);
        EXPECT_TRUE(driver.AllMet());
        return answer;
    }

    tst::TempDirectory dir_;
    tst::X86Processor x86_;
};

TEST_F(LanguageListTest, EnglishIsAlwaysListed) {
    EXPECT_EQ(Ask("eng", {"English (British)"}, "English (British)"), "ENG");
    EXPECT_EQ(Ask("ENGLISH", {"English (British)"}, "English (British)"), "ENG") << "three letters count";
    EXPECT_EQ(Ask("GER", {"English (British)"}, "<none>", "English (British)"), "ENG");
}

TEST_F(LanguageListTest, LibrariesInTheShareAndItsProcessorDirectoryAreListedOnce) {
    Touch(dir_, "QVIGER.DLL");
    Touch(dir_, "qvifre.dll");
    Touch(dir_, "QVIXYZ.DLL");
    Touch(dir_, "I386\\TELMORA.EXE");
    Touch(dir_, "I386\\QVIGER32.DLL");
    Touch(dir_, "I386\\QVIPOL32.DLL");
    Touch(dir_, "I386\\QVIXYZ32.DLL");
    // A code the table does not know is listed by each library that has it.
    const std::vector<std::string> all = {"English (British)", "French", "German", "Polish", "XYZ", "XYZ"};
    EXPECT_EQ(Ask("GER", all, "German"), "GER");
    EXPECT_EQ(Ask("pol", all, "Polish"), "POL");
    EXPECT_EQ(Ask("GER", all, "German", "XYZ"), "XYZ");
    EXPECT_EQ(Ask("XYZ", all, "XYZ", "French"), "FRE");

    // Without the client program there, the processor directory is not looked at;
    // nor is it for another processor.
    const std::vector<std::string> shareOnly = {"English (British)", "French", "German", "XYZ"};
    _putenv_s("PROCESSOR_ARCHITECTURE", "X86");
    EXPECT_EQ(Ask("POL", shareOnly, "<none>", "German"), "GER");
    _putenv_s("PROCESSOR_ARCHITECTURE", "x86");
    ASSERT_TRUE(DeleteFileA(dir_.File("I386\\TELMORA.EXE").c_str()));
    EXPECT_EQ(Ask("ENG", shareOnly, "English (British)"), "ENG");
}

TEST_F(LanguageListTest, AbortIsConfirmedAndNoKeepsTheChoice) {
    Touch(dir_, "QVIGER.DLL");
    tst::DialogDriver driver;
    driver.Expect(tst::DialogExpect(kTitle, kLanguageLines).Select(IDC_LANGUAGE_LIST, "German").Press(IDCANCEL));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDNO));
    driver.Expect(
        tst::DialogExpect(kTitle, kLanguageLines)
            .OnShow([](HWND dialog) { EXPECT_EQ(SelectedEntry(GetDlgItem(dialog, IDC_LANGUAGE_LIST)), "German"); })
            .Press(IDOK));
    char answer[kLanguageCodeSize] = "";
    EXPECT_EQ(AskLanguage(IDD_LANGUAGE_BOX, "ENG", answer, sizeof answer), 1);
    EXPECT_STREQ(answer, "GER");

    driver.Expect(tst::DialogExpect(kTitle, kLanguageLines).Press(IDC_ABORT));
    driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
    EXPECT_EQ(AskLanguage(IDD_LANGUAGE_BOX, "ENG", answer, sizeof answer), 0);
    EXPECT_STREQ(answer, "GER");
    EXPECT_TRUE(driver.AllMet());
}

TEST_F(LanguageListTest, ALongLibraryNameEndsTheListing) {
    Touch(dir_, "QVIFRE.DLL");
    Touch(dir_, "QVIGERMAN.DLL");  // 13 characters
    Touch(dir_, "QVISPA.DLL");
    std::vector<std::string> expected = {"English (British)"};
    for (const std::string& name : RawListing(dir_.Path(), "QVI*.DLL")) {
        if (name == "QVIGERMAN.DLL") break;
        expected.push_back(name == "QVIFRE.DLL" ? "French" : "Spanish");
    }
    std::sort(expected.begin(), expected.end());
    Ask("ENG", expected, "English (British)");
}

TEST_F(LanguageListTest, ListingGivesUpperCaseNamesOfTheKindAskedFor) {
    Touch(dir_, "qvifre.dll");
    Touch(dir_, "QVIGER32.DLL");  // 12 characters: fits
    ASSERT_TRUE(CreateDirectoryA(dir_.File("QVIDIR.DLL").c_str(), nullptr));
    std::vector<std::string> files = Listed(dir_.Path(), "QVI*.DLL", 0);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"QVIFRE.DLL", "QVIGER32.DLL"}));
    std::vector<std::string> directories = Listed(dir_.Path(), "*", 1);
    std::sort(directories.begin(), directories.end());
    EXPECT_EQ(directories, (std::vector<std::string>{"I386", "QVIDIR.DLL"})) << "no . or ..";

    // An 11-byte buffer: the first name of 11 characters or more ends the listing.
    std::vector<std::string> expected;
    for (std::string name : RawListing(dir_.Path(), "QVI*.DLL")) {
        if (name == "QVIDIR.DLL") continue;  // a directory
        if (name.size() >= 11) break;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        expected.push_back(name);
    }
    EXPECT_EQ(Listed(dir_.Path(), "QVI*.DLL", 0, 11), expected);

    // Hidden entries are skipped, when the file system keeps the attribute.
    ASSERT_TRUE(SetFileAttributesA(dir_.File("qvifre.dll").c_str(), FILE_ATTRIBUTE_HIDDEN));
    if (GetFileAttributesA(dir_.File("qvifre.dll").c_str()) & FILE_ATTRIBUTE_HIDDEN) {
        EXPECT_EQ(Listed(dir_.Path(), "QVI*.DLL", 0), (std::vector<std::string>{"QVIGER32.DLL"}));
    } else {
        GTEST_SKIP() << "the file system here does not keep the hidden attribute";
    }
}

TEST_F(LanguageListTest, ListingRefusesLongDirectoriesAndPatternsAndForeignRecords) {
    EXPECT_EQ(OpenFileList(std::string(257, 'D').c_str(), "*", 0), nullptr);
    EXPECT_EQ(OpenFileList(dir_.Path().c_str(), "ABCDEFGH.IJKL", 0), nullptr);
    FileListScope twelve(OpenFileList(dir_.Path().c_str(), "ABCDEFGH.IJK", 0));
    EXPECT_NE(twelve.Get(), nullptr);
    char name[kListNameSize];
    EXPECT_EQ(NextFileName(twelve.Get(), name, sizeof name), 0) << "no such file";

    FileListScope missing(OpenFileList("C:\\NO\\SUCH\\DIRECTORY\\", "*", 0));
    EXPECT_EQ(NextFileName(missing.Get(), name, sizeof name), 0);

    int foreign[1024] = {54321};
    EXPECT_EQ(NextFileName(reinterpret_cast<FileList*>(foreign), name, sizeof name), 0);
    CloseFileList(reinterpret_cast<FileList*>(foreign));  // refused, not freed
    EXPECT_EQ(NextFileName(nullptr, name, sizeof name), 0);
}

TEST(LanguageTableTest, CodesAndNames) {
    EXPECT_EQ(std::string(kLanguageTable[0].code), "ENG");
    EXPECT_EQ(std::string(kLanguageTable[15].name), "Romanian");
    EXPECT_EQ(FindLanguageByCode("ptg")->name, std::string("Portuguese"));
    EXPECT_EQ(FindLanguageByCode("NLDX")->name, std::string("Dutch")) << "first three characters";
    EXPECT_EQ(FindLanguageByCode("NL"), nullptr);
    EXPECT_EQ(FindLanguageByName("english (united states)")->code, std::string("ENU"));
    EXPECT_EQ(FindLanguageByName("English"), nullptr);
    char code[kLanguageCodeSize];
    LanguageCodeOfFile("QVIHUN32.DLL", code);
    EXPECT_STREQ(code, "HUN");
    LanguageCodeOfFile("QVI", code);
    EXPECT_STREQ(code, "");
}

}  // namespace
