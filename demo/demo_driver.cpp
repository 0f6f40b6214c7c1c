// The demo driver: runs a standard installation of the fax client from the
// demo share (drive F:) in the demo Wine PC with the real STNIN32.EXE,
// saving screenshots of the main window, the function box and the server
// question (BMP files that the demo script turns into PNG), then prints what
// the installation left on the PC.
// Usage: demo_driver.exe <STNIN32.EXE> <output directory>
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/process_driver.h"
#include "support/x86_pc.h"
#include "ui/resource_ids.h"

namespace {

const DWORD kWindowTimeoutMs = 30000;
const DWORD kPaintSettleMs = 1500;

// Writes the screen area of `window` as a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    std::string pixels(rowBytes * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && ok;
}

// Waits, bounded, until a window of the child has gone.
bool WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += 50) {
        if (!IsWindow(window)) return true;
        Sleep(50);
    }
    return false;
}

void PrintFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::printf("  %s: missing\n", path);
        return;
    }
    std::printf("--- %s ---\n", path);
    char line[512];
    while (std::fgets(line, sizeof line, file)) std::fputs(line, stdout);
    std::fclose(file);
}

void PrintSummary() {
    std::printf("\nThe PC after the installation:\n");
    PrintFile("C:\\windows\\TELMORA.INI");
    const char* const files[] = {"C:\\windows\\TELMORA.EXE", "C:\\windows\\QSPOOL.EXE", "C:\\windows\\TELMORA.HLP",
                                 "C:\\windows\\system32\\GEAR32SD.DLL", "C:\\windows\\system32\\SNBD6W9S.DLL",
                                 "C:\\windows\\system\\CTL3DV2.DLL"};
    for (const char* file : files) {
        std::printf("  %-40s %s\n", file, GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES ? "installed" : "missing");
    }
    HKEY key;
    bool uninstall = RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telmora Workstation", 0,
                                   KEY_READ, &key) == ERROR_SUCCESS;
    if (uninstall) RegCloseKey(key);
    std::printf("  uninstall entry %s\n", uninstall ? "registered" : "missing");
}

int Fail(tst::ChildProcess& child, const char* what) {
    std::fprintf(stderr, "demo: %s\n%s\n", what, child.Describe().c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_driver.exe <STNIN32.EXE> <output directory>\n");
        return 2;
    }
    std::string out = argv[2];
    if (!out.empty() && out.back() != '\\') out += '\\';

    tst::ChildProcess child;
    child.SetDirectory("F:\\SYSTEM\\");
    if (!child.Start(argv[1], "", tst::X86ChildEnvironment())) return Fail(child, "STNIN32.EXE did not start");
    HWND box = child.WaitForDialog("Telmora installation", kWindowTimeoutMs);
    if (!box) return Fail(child, "no function box");
    HWND mainWindow = child.WaitForWindow("TelmoraInstall", kWindowTimeoutMs);
    if (!mainWindow) return Fail(child, "no main window");
    Sleep(kPaintSettleMs);

    bool saved = SaveWindowBitmap(mainWindow, out + "main-window.bmp") &&
                 SaveWindowBitmap(box, out + "function-box.bmp") &&
                 SaveWindowBitmap(GetDesktopWindow(), out + "screen.bmp");
    if (!saved) return Fail(child, "screenshots could not be saved");

    // Install, with the server base the program proposes from the share.
    child.Press(box, IDOK);
    if (!WaitUntilGone(box)) return Fail(child, "the function box did not close");
    HWND question = child.WaitForDialog("Telmora installation", kWindowTimeoutMs);
    if (!question) return Fail(child, "no server question");
    Sleep(kPaintSettleMs);
    if (!SaveWindowBitmap(question, out + "server-question.bmp")) return Fail(child, "no screenshot");
    std::printf("demo: server base proposed: %s\n", child.ControlText(question, IDC_PATH_EDIT).c_str());
    child.Press(question, IDOK);
    if (!WaitUntilGone(question)) return Fail(child, "the server question did not close");

    box = child.WaitForDialog("Telmora installation", kWindowTimeoutMs * 4);
    if (!box) return Fail(child, "the function box did not come back after the installation");
    Sleep(kPaintSettleMs);
    SaveWindowBitmap(mainWindow, out + "installed.bmp");
    child.Press(box, IDC_FUNCTION_QUIT);
    child.Press(box, IDOK);
    DWORD exitCode = 1;
    if (!child.WaitForExit(kWindowTimeoutMs, &exitCode)) return Fail(child, "STNIN32.EXE did not end after Quit");
    std::printf("demo: STNIN32.EXE installed the client from F:\\SYSTEM\\ and ended with exit code %lu\n",
                static_cast<unsigned long>(exitCode));
    PrintSummary();
    return exitCode == 0 ? 0 : 1;
}
