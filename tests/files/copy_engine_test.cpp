// The copy engine against real files: the processor subdirectory, and the rules of InstallFile, one row per
// case: the date and size rule with its replace question, the version text rule (the share's SNBD6W9S.DLL
// says 6.00, tests/files/data's VERSION10.DLL 10.00), and copies that fail (a missing source, a target held
// open: as root, Wine replaces a read-only target, so that cannot be the fault here).
#include <memory>

#include "files/copy_engine.h"
#include "files/file_test_support.h"
#include "support/import_hook.h"

namespace {

using ft::Content;

class CopyEngine : public ft::ScratchPc {};

TEST_F(CopyEngine, ArchitectureFile) {
    ft::PutFile(I386() + "X.DLL", "32");
    char directory[kPathFieldSize];
    text::Copy(directory, Share().substr(0, Share().size() - 1).c_str());
    EXPECT_EQ(1, FindArchitectureFile(directory, "X.DLL"));
    EXPECT_EQ(I386(), directory) << "a backslash is added";
    text::Copy(directory, Share().c_str());
    EXPECT_EQ(0, FindArchitectureFile(directory, "Y.DLL"));
    EXPECT_EQ(Share(), directory) << "unchanged when the file is not there";
    // An empty directory stands for the configured system area, when there is one.
    static std::string s_share;
    s_share = Share();
    const SystemAreaSource shareArea = [](char* area) { return text::CopyInto(area, kPathFieldSize, s_share.c_str()) > 0 ? 1 : 0; };
    for (SystemAreaSource source : {SystemAreaSource(nullptr), shareArea}) {
        SetSystemAreaSource(source);
        for (const char* name : {"Y.DLL", "X.DLL"}) {
            directory[0] = '\0';
            const std::string found = source && name[0] == 'X' ? "1" + I386() : "0";
            EXPECT_EQ(found, std::to_string(FindArchitectureFile(directory, name)) + directory) << name;
        }
    }
    text::Copy(directory, Share().c_str());
    // Without the variable the processor is an x86 on Windows 95 only.
    _putenv_s("PROCESSOR_ARCHITECTURE", "");
    for (DWORD version : {tst::kWindowsNT40, tst::kWindows95}) {
        tst::FakeWindowsVersion windows(version);
        EXPECT_EQ(version == tst::kWindows95, FindArchitectureFile(directory, "X.DLL") == 1) << std::hex << version;
    }
}

// One side of a copy: a library with that version text ("": none) and a mark of its own after it, written in
// `year`; no mark: no file.
struct Side {
    const char *version, *mark;
    int year = 2001;
    bool heldOpen = false;
};
const Side kNoFile = {"", nullptr};

enum Asked { kNoQuestion, kCopyQuestion, kDllQuestion };

struct CopyRule {
    const char *what, *name;
    int askReplace, checkVersion, ignoreCopyFailure;
    Side source, target;
    bool copied;
    int result = 1;
    int replaceAnswer = 0;  // 0: no replace question
    bool errorBox = false;  // "Cannot copy file"
    Asked question = kNoQuestion;
    int answer = 0;  // to the question
};

const CopyRule kRules[] = {
    {"ask: no target", "A.EXE", 1, 0, 0, {"", "new"}, kNoFile, true},
    {"ask: same size and time", "A.EXE", 1, 0, 0, {"", "new"}, {"", "NEW"}, false},
    {"ask: older target", "A.EXE", 1, 0, 0, {"", "new", 2002}, {"", "older"}, true},
    {"ask: same time, other size", "A.EXE", 1, 0, 0, {"", "new"}, {"", "longer"}, true, 1, IDC_ANSWER_YES},
    {"ask: newer target", "A.EXE", 1, 0, 0, {"", "new"}, {"", "NEW", 2003}, false, 1, IDC_ANSWER_NO},
    {"ask: aborted", "A.DLL", 1, 0, 0, {"", "new"}, {"", "NEW", 2003}, false, 0, IDC_ABORT, false, kCopyQuestion, IDNO},
    {"ask: aborted, ignored", "A.DLL", 1, 0, 0, {"", "new"}, {"", "NEW", 2003}, false, 1, IDC_ABORT, false,
     kCopyQuestion, IDYES},
    {"ask: no source", "A.DLL", 1, 0, 1, kNoFile, {"", "old"}, false, 0, 0, false, kCopyQuestion, IDNO},
    {"version: 6.00 over 10.00", "V.DLL", 0, 1, 0, {"6.00", "s"}, {"10.00", "t", 2003}, true},
    {"version: 10.00 over 6.00", "V.DLL", 0, 1, 0, {"10.00", "s", 2003}, {"6.00", "t"}, false},
    {"version: equal", "V.DLL", 0, 1, 0, {"6.00", "s", 2003}, {"6.00", "t"}, false},
    {"version: none on the target", "V.DLL", 0, 1, 0, {"6.00", "s"}, {"", "t", 2003}, true},
    {"version: none on the source", "V.DLL", 0, 1, 0, {"", "s"}, {"6.00", "t", 2003}, true},
    {"version: no target", "V.DLL", 0, 1, 0, {"10.00", "s"}, kNoFile, true},
    {"both: the newer date copied", "B.DLL", 1, 1, 0, {"10.00", "s", 2002}, {"6.00", "t"}, true},
    {"both: the older date asked", "B.DLL", 1, 1, 0, {"6.00", "s"}, {"10.00", "t", 2002}, false, 1, IDC_ANSWER_NO},
    {"neither: newer target", "N.EXE", 0, 0, 0, {"", "s"}, {"", "t", 2003}, true},
    {"no source", "QSPOOL.EXE", 0, 0, 0, kNoFile, kNoFile, false, 0, 0, true, kCopyQuestion, IDNO},
    {"no DLL source", "MFC42.DLL", 0, 0, 0, kNoFile, kNoFile, false, 1, 0, true, kDllQuestion, IDYES},
    {"no dll source", "mfc42.dll", 0, 0, 0, kNoFile, kNoFile, false, 1, 0, true, kCopyQuestion, IDYES},
    {"no source, ignored", "MFC42.DLL", 0, 0, 1, kNoFile, kNoFile, false, 1, 0, true},
    {"held target", "H.DLL", 0, 0, 0, {"", "s", 2002}, {"", "t", 2001, true}, false, 0, 0, true, kDllQuestion, IDNO},
    {"held target, ignored", "H.DLL", 0, 0, 1, {"", "s", 2002}, {"", "t", 2001, true}, false, 1, 0, true},
};

void PutSide(const std::string& path, const Side& side) {
    DeleteFileA(path.c_str());
    if (side.mark) ft::PutFile(path, ft::Library(side.version) + side.mark, side.year);
}

TEST_F(CopyEngine, CopyRules) {
    for (const CopyRule& rule : kRules) {
        SCOPED_TRACE(rule.what);
        const std::string source = Share() + rule.name;
        const std::string target = Programs() + rule.name;
        PutSide(source, rule.source);
        PutSide(target, rule.target);
        const std::string before = Content(target);
        std::unique_ptr<ft::HeldFile> held(rule.target.heldOpen ? new ft::HeldFile(target) : nullptr);

        tst::DialogDriver driver;
        if (rule.replaceAnswer) driver.Expect(ft::ReplaceQuestion(source, target, rule.replaceAnswer));
        if (rule.replaceAnswer == IDC_ABORT) {
            driver.Expect(tst::MessageBoxExpect("Telmora", "Abort installation?", {IDYES, IDNO}).Press(IDYES));
        }
        if (rule.errorBox) driver.Expect(ft::ErrorBox("Cannot copy file: " + source));
        if (rule.question) {
            driver.Expect(ft::Question(ft::CopyFailed(source, target, rule.question == kDllQuestion), rule.answer));
        }
        text::Copy(g_setup.displayProgress, "before");
        EXPECT_EQ(rule.result, InstallFile(Share().c_str(), rule.name, Programs().c_str(), nullptr, rule.askReplace,
                                           kSourceDirectoryOnly, rule.checkVersion, rule.ignoreCopyFailure));
        held.reset();
        EXPECT_EQ(rule.copied ? Content(source) : before, Content(target));
        // The copying line goes once a copy was tried; the checking line stays.
        const std::string line = rule.copied || rule.errorBox ? std::string()
                                 : rule.askReplace            ? "Checking version of " + target
                                                              : std::string("before");
        EXPECT_EQ(line, g_setup.displayProgress);
    }
}

}  // namespace
