// The scratch PC of the file installation tests, file helpers, and the
// holder process (this test executable started again with one test of its
// own selected).
#include "files/file_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"
#include "files/directories.h"

namespace files_test {

const char kInstallationTitle[] = "Telmora installation";
const char kErrorCaption[] = "Error!";
const char kWarningCaption[] = "Warning!";
const char kIgnoreSuffix[] = " - Ignore error and continue?";

namespace {

const char kArchitectureVariable[] = "PROCESSOR_ARCHITECTURE";
const char kHolderClassVariable[] = "TELMORA_HOLDER_CLASS";
const char kHolderLibraryVariable[] = "TELMORA_HOLDER_LIBRARY";
const char kHolderArguments[] = "--gtest_also_run_disabled_tests --gtest_filter=FilesHolder.DISABLED_Hold";
const DWORD kHolderStartMs = 30000;
const DWORD kHolderLifeMs = 120000;
const DWORD kHolderPollMs = 50;
const char kDllQuestionEnd[] =
    "\n\nPossibly it is in use by another application. Close down other applications and try again.\n\n";

char* const kDirectoryBuffers[] = {g_directories.windows, g_directories.system, g_directories.system16};

std::string BuildFile(const char* relative) {
    std::string path = tst::UnixToWinePath((std::string(TELMORA_BUILD_DIR) + "/" + relative).c_str());
    if (!tst::FileExists(path)) {
        ADD_FAILURE() << path << " is not built: the test build includes tests/files/data/version_dlls.cmake "
                      << "and the fixtures";
    }
    return path;
}

void SetDirectory(char* buffer, const std::string& directory) {
    text::CopyInto(buffer, kPathFieldSize, directory.c_str());
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr)) << directory;
}

}  // namespace

void ScratchPc::SetUp() {
    savedSetup_ = g_setup;
    for (int i = 0; i < 3; ++i) std::memcpy(savedDirectories_[i], kDirectoryBuffers[i], kPathFieldSize);

    g_setup = SetupContext();
    g_setup.appInstance = GetModuleHandleA(nullptr);
    g_setup.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_setup.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    text::Copy(g_setup.setupDirectory, Share().c_str());
    ASSERT_TRUE(CreateDirectoryA(Share().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(ShareI386().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(Programs().c_str(), nullptr));
    SetDirectory(g_directories.windows, Windows());
    SetDirectory(g_directories.system, System());
    SetDirectory(g_directories.system16, System16());
}

void ScratchPc::TearDown() {
    g_setup = savedSetup_;
    for (int i = 0; i < 3; ++i) std::memcpy(kDirectoryBuffers[i], savedDirectories_[i], kPathFieldSize);
}

void SetArchitecture(const char* value) {
    // An empty value removes the variable from the runtime's environment.
    _putenv_s(kArchitectureVariable, value ? value : "");
}

void SetWriteTime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    FILETIME fileTime;
    ASSERT_TRUE(SystemTimeToFileTime(&time, &fileTime));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &fileTime));
    CloseHandle(file);
}

void PutFile(const std::string& path, const std::string& content, int year, int month, int day, int hour,
             int minute, int second) {
    ASSERT_TRUE(tst::WriteFile(path, content)) << path;
    SetWriteTime(path, year, month, day, hour, minute, second);
}

std::string Content(const std::string& path) {
    bool ok = false;
    std::string content = tst::ReadFile(path, &ok);
    return ok ? content : "<missing>";
}

std::string WithoutBackslash(const std::string& directory) { return directory.substr(0, directory.size() - 1); }

tst::Expectation CannotCopyBox(const std::string& source) {
    return tst::MessageBoxExpect(kErrorCaption, ("Cannot copy file: " + source).c_str(), {IDOK}).Press(IDOK);
}

tst::Expectation IgnoreQuestion(const std::string& text, int answer) {
    return tst::MessageBoxExpect(kErrorCaption, text.c_str(), {IDYES, IDNO}).Default(IDNO).Press(answer);
}

std::string CopyQuestion(const std::string& source, const std::string& target) {
    return "Unable to copy file " + source + "\nto file " + target + "\n\n" + kIgnoreSuffix;
}

std::string DllCopyQuestion(const std::string& source, const std::string& target) {
    return "Unable to copy DLL file " + source + "\nto " + target + kDllQuestionEnd + kIgnoreSuffix;
}

std::string DetailsLine(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "<missing>";
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &time);
    char line[128];
    std::snprintf(line, sizeof line, "%lu bytes %02u/%02u/%u %02u:%02u:%02u", data.nFileSizeLow, time.wDay,
                  time.wMonth, time.wYear, time.wHour, time.wMinute, time.wSecond);
    return line;
}

std::string VersionLibrary(const char* name) { return BuildFile((std::string("tests/files/data/") + name).c_str()); }

std::string GermanLanguageLibrary() { return BuildFile("fixtures/languages/QVIGER32.DLL"); }

bool StartHolder(tst::ChildProcess& child, const char* windowClass, const std::string& library) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string classSetting = std::string(kHolderClassVariable) + "=" + windowClass;
    std::string librarySetting = std::string(kHolderLibraryVariable) + "=" + library;
    if (!child.Start(self, kHolderArguments, {classSetting, librarySetting})) return false;
    return child.WaitForWindow(windowClass, kHolderStartMs) != nullptr;
}

// The holder itself: runs only when StartHolder selects it. It keeps the
// library loaded and its window open until the window is closed or its time
// is up.
TEST(FilesHolder, DISABLED_Hold) {
    const char* windowClass = std::getenv(kHolderClassVariable);
    const char* library = std::getenv(kHolderLibraryVariable);
    if (!windowClass) GTEST_SKIP() << "started by StartHolder only";
    HMODULE held = library && *library ? LoadLibraryA(library) : nullptr;
    ASSERT_TRUE(held || !library || !*library) << library;

    WNDCLASSA windowClassRecord = {};
    windowClassRecord.lpfnWndProc = DefWindowProcA;
    windowClassRecord.hInstance = GetModuleHandleA(nullptr);
    windowClassRecord.lpszClassName = windowClass;
    ASSERT_TRUE(RegisterClassA(&windowClassRecord));
    HWND window = CreateWindowA(windowClass, "holder", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < kHolderLifeMs) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kHolderPollMs, QS_ALLINPUT);
    }
    if (held) FreeLibrary(held);
}

}  // namespace files_test
