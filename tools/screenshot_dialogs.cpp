// Pictures of the setup program's windows for the documentation: the main
// window and every question dialog template, each captured from the screen
// into a 24-bit BMP file.
//
//   screenshot_dialogs.exe OUTPUT_DIRECTORY [LIBRARY_DIRECTORY]
//
// With LIBRARY_DIRECTORY the program's language starts from the QVINTL32.DLL
// found there, as STNIN32.EXE starts it, so the pictures show that language.
// Each template runs through RunDialog with sample answers filled in, and
// ends itself once it has been captured. Exit code 0 when every picture was
// written.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "common/bounded_text.h"
#include "common/path_helpers.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "startup/startup.h"
#include "ui/dialogs.h"
#include "ui/language.h"
#include "ui/messages.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"

namespace {

const char* const kTemplates[] = {
    IDD_BOOL_ADD_PROGMAN_ENTRY, IDD_BOOL_PROMPT_BOTH, IDD_BOOL_PROMPT_BOTH_UNINSTALL,
    IDD_BOOL_PROMPT_INIT, IDD_BOOL_PROMPT_INIT_UNINSTALL, IDD_BOOL_PROMPT_SHARE,
    IDD_BOOL_PROMPT_TSR, IDD_BOOL_PROMPT_TSR_UNINSTALL, IDD_BOOL_RUN_TSR,
    IDD_FUNCTION_BOX, IDD_LANGUAGE_BOX, IDD_NETWORK3_BOX,
    IDD_NETWORK_BOX, IDD_PATH_AUTOEXEC_DIR, IDD_PATH_AUTOEXEC_DIR_UNINSTALL,
    IDD_PATH_DISTRIB_DIR, IDD_PATH_LOG_AREA, IDD_PATH_NET_SERVER_BASE_DIR,
    IDD_PATH_PROG_AREA, IDD_PATH_QVTLINI_CREATE, IDD_PATH_QVTLINI_EXISTS,
    IDD_PATH_REQUEST_AREA, IDD_PATH_SERVER_BASE_DIR, IDD_PATH_SYSTEM_AREA,
    IDD_PATH_USER_AREA, IDD_REBOOT_BOX, IDD_REPLACE_BOX,
    IDD_STRING_DEFAULT_USER1, IDD_STRING_DEFAULT_USER2, IDD_STRING_REDIRECT_DEVICE,
    IDD_STRING_SPOOL_DEVICE,
};

const char kMainWindowPicture[] = "main-window";
const char kSamplePath[] = "C:\\TELMORA";
const char kSampleLanguage[] = "English (British)";
const char kInstalledFile[] = "C:\\TELMORA\\TELMORA.EXE";
const char kOfferedFile[] = "Z:\\TELMORA\\CLIENT\\TELMORA.EXE";
const UINT kPaintSettleMs = 300;  // X11 shows what was drawn a little later
const UINT_PTR kCaptureTimer = 1;
const INT_PTR kCaptured = 1;
const INT_PTR kNotCaptured = 2;
const int kPictureNameSize = MAX_PATH;
const WORD kBitmapSignature = 0x4D42;  // "BM"
const WORD kBitsPerPixel = 24;

char g_outputDirectory[kPictureNameSize];

// "<output directory>\<name in lower case>.bmp"
void PicturePath(char (&path)[kPictureNameSize], const char* name) {
    char lower[kPictureNameSize];
    text::Copy(lower, name);
    CharLowerA(lower);
    text::Format(path, "%s%s.bmp", g_outputDirectory, lower);
}

// Writes the screen's pixels under `window` into a BMP file.
bool SaveWindowBitmap(HWND window, const char* path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;

    win::WindowDc screen(nullptr);
    win::MemoryDc memory(CreateCompatibleDC(screen.Get()));
    win::GdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory.IsOpen() || !bitmap.IsOpen()) return false;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = kBitsPerPixel;
    info.biCompression = BI_RGB;
    DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(rowBytes) * height);
    int rows = GetDIBits(memory, static_cast<HBITMAP>(bitmap.Get()), 0, height, pixels.data(),
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (!copied || rows != height) return false;

    BITMAPFILEHEADER file = {};
    file.bfType = kBitmapSignature;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    win::File out(std::fopen(path, "wb"));
    if (!out.IsOpen()) return false;
    bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                   std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return out.Close() == 0 && written;
}

// One line of the program's own table, filled in as the program fills it.
template <std::size_t N>
void FormatLocal(char (&line)[N], UINT id, ...) {
    va_list args;
    va_start(args, id);
    FormatMessageText(line, static_cast<int>(N), MessageText(id), args);
    va_end(args);
}

void CheckButton(HWND dialog, int id) {
    if (GetDlgItem(dialog, id)) SendDlgItemMessageA(dialog, id, BM_SETCHECK, BST_CHECKED, 0);
}

// What a replace question shows: both files with their sizes and dates.
void FillReplaceLines(HWND dialog) {
    char line[kMessageSize];
    FormatLocal(line, IDS_REPLACE_FILE, kInstalledFile);
    SetDialogText(dialog, IDC_TEXT_LINE1, line);
    FormatLocal(line, IDS_FILE_DETAILS, 412672L, 24, 6, 1997, 10, 30, 0);
    SetDialogText(dialog, IDC_TEXT_LINE2, line);
    FormatLocal(line, IDS_WITH_FILE, kOfferedFile);
    SetDialogText(dialog, IDC_TEXT_LINE4, line);
    FormatLocal(line, IDS_FILE_DETAILS, 415744L, 1, 9, 1997, 8, 15, 0);
    SetDialogText(dialog, IDC_TEXT_LINE5, line);
}

// Sample answers, so the pictures show the controls in use.
void FillSampleAnswers(HWND dialog, const char* name) {
    if (GetDlgItem(dialog, IDC_PATH_EDIT)) SetDialogText(dialog, IDC_PATH_EDIT, kSamplePath);
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    if (list) {
        SendTextMessage(list, CB_ADDSTRING, 0, kSampleLanguage);
        SendTextMessage(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), kSampleLanguage);
    }
    CheckButton(dialog, IDC_FUNCTION_INSTALL);
    CheckButton(dialog, IDC_NETWORK_PRIMARY);
    if (text::EqualNoCase(name, IDD_REPLACE_BOX)) FillReplaceLines(dialog);
}

// Shows the template, captures it once it is on the screen, and ends it
// with kCaptured or kNotCaptured.
INT_PTR CALLBACK CaptureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            DialogCommonStart(dialog, wParam, &lParam);
            const char* name = reinterpret_cast<const char*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            FillSampleAnswers(dialog, name);
            SetTimer(dialog, kCaptureTimer, kPaintSettleMs, nullptr);
            return TRUE;
        }
        case WM_TIMER: {
            KillTimer(dialog, kCaptureTimer);
            char path[kPictureNameSize];
            PicturePath(path, reinterpret_cast<const char*>(GetWindowLongPtrA(dialog, DWLP_USER)));
            EndDialog(dialog, SaveWindowBitmap(dialog, path) ? kCaptured : kNotCaptured);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// Handles the window's messages for `ms` milliseconds.
void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

int CaptureMainWindow() {
    ShowMainWindow(SW_SHOWNORMAL);
    ShowProgress(IDS_CHECKING_VERSION, kInstalledFile);
    PumpMessages(kPaintSettleMs);
    char path[kPictureNameSize];
    PicturePath(path, kMainWindowPicture);
    if (SaveWindowBitmap(g_setup.mainWindow, path)) return 1;
    std::fprintf(stderr, "screenshot_dialogs: the main window could not be saved as %s\n", path);
    return 0;
}

int CaptureTemplate(const char* name) {
    INT_PTR result = RunDialog(g_setup.appInstance, name, g_setup.mainWindow, CaptureDialog,
                               reinterpret_cast<LPARAM>(name));
    if (result == kCaptured) return 1;
    std::fprintf(stderr, "screenshot_dialogs: template %s %s\n", name,
                 result == -1 ? "could not be created" : "could not be saved");
    return 0;
}

int StartProgramWindow(HINSTANCE instance, const char* libraryDirectory) {
    g_setup.appInstance = instance;
    if (!RegisterMainWindowClass(instance) || !CreateMainWindow(instance, SW_SHOWNORMAL)) return 0;
    if (libraryDirectory) SetDllDirectoryA(libraryDirectory);
    int started = StartLanguage();
    if (libraryDirectory && !g_setup.languageLibrary) {
        std::fprintf(stderr, "screenshot_dialogs: no usable QVINTL32.DLL in %s (%d)\n", libraryDirectory, started);
        return 0;
    }
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2 || __argc > 3) {
        std::fprintf(stderr, "usage: screenshot_dialogs.exe OUTPUT_DIRECTORY [LIBRARY_DIRECTORY]\n");
        return 2;
    }
    text::Copy(g_outputDirectory, __argv[1]);
    AddTrailingBackslash(g_outputDirectory);
    if (!StartProgramWindow(instance, __argc == 3 ? __argv[2] : nullptr)) return 1;

    int saved = CaptureMainWindow();
    for (const char* name : kTemplates) saved += CaptureTemplate(name);
    int expected = 1 + static_cast<int>(sizeof(kTemplates) / sizeof(kTemplates[0]));
    std::printf("screenshot_dialogs: %d of %d pictures saved in %s\n", saved, expected, g_outputDirectory);

    ReleaseLanguage();
    DestroyWindow(g_setup.mainWindow);
    return saved == expected ? 0 : 1;
}
