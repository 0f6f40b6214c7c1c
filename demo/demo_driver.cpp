// The demo on a fresh Wine PC that STNIN32.EXE sees as Windows 95, NT 3.51
// or NT 4.0, with the real program from the demo share (drive F:):
//   install    a standard installation, as an administrator would make it:
//              every box with the answer given and a picture of the screen at
//              each box, then what the installation changed on the PC:
//              TELMORA.INI, the files and where they went, the WIN.INI entries,
//              the spooler's printers, the registry and the Start Menu group;
//   lifecycle  the client's whole life: install, edit the configuration (a new
//              log area and German), copy the programs into a directory with a
//              blank in its name, update, uninstall; each step's changes, and
//              at the end what the uninstallation left compared with before.
// The steps are the lifecycle tests' own (tests/lifecycle/lifecycle_steps.h).
// A box the steps do not expect is reported and ends the run with exit code 1.
// Usage: demo_driver.exe install|lifecycle win95|nt351|nt40 [PICTURES_DIRECTORY]
//   Pictures (BMP) are saved only when a directory is given.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lifecycle/lifecycle_steps.h"
#include "support/setup_run.h"
#include "support/snapshot.h"
#include "support/x86_pc.h"
#include "ui/resource_ids.h"

namespace {

const char kConfigFile[] = "C:\\windows\\TELMORA.INI";
const DWORD kPaintSettleMs = 400;

int g_problems = 0;         // boxes and texts that were not as the steps expect
std::string g_pictures;     // where the screen pictures go; "" for none
int g_pictureNumber = 0;

// The program's texts are in the ANSI code page; the terminal reads UTF-8.
std::string ForTerminal(const std::string& text) {
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

// One line for the terminal: line breaks become blanks, '&' marks go.
std::string Shown(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '&') continue;
        shown += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return ForTerminal(shown);
}

void Problem(const std::string& what) {
    ++g_problems;
    std::printf("   !! %s\n", what.c_str());
}

// Writes the whole screen as a 24-bit BMP file.
bool SaveScreen(const std::string& path) {
    HWND desktop = GetDesktopWindow();
    RECT r;
    if (!GetWindowRect(desktop, &r)) return false;
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

// A picture of the screen as it is while `box` waits for its answer.
void Picture() {
    if (g_pictures.empty()) return;
    Sleep(kPaintSettleMs);
    char name[32];
    std::snprintf(name, sizeof name, "screen-%02d", ++g_pictureNumber);
    if (SaveScreen(g_pictures + name + ".bmp")) std::printf("      (picture %s)\n", name);
}

std::string ButtonText(HWND box, int id) {
    char text[256] = "";
    GetDlgItemTextA(box, id, text, sizeof text);
    return text;
}

// Prints each box the steps expect, with a picture of the screen, before it is answered.
void ShowBox(HWND box, const tst::Expectation& expected) {
    std::printf("   [%s]\n", Shown(tst::BoxText(box)).c_str());
    Picture();
    for (const auto& typed : expected.typed) std::printf("      typed \"%s\"\n", Shown(typed.second).c_str());
    for (const auto& selected : expected.selected) std::printf("      selected \"%s\"\n", Shown(selected.second).c_str());
    for (int id : expected.clicked) std::printf("      chose %s\n", Shown(ButtonText(box, id)).c_str());
    std::printf("      -> %s\n", Shown(ButtonText(box, expected.press ? expected.press : IDOK)).c_str());
}

// One step: its run, every box printed; problems end the demo after the step.
void RunStep(const lifecycle::Step& step, const lifecycle::Windows& windows) {
    if (step.before) step.before(windows);
    std::printf("   STNIN32.EXE %s\n", step.arguments.c_str());
    tst::RunReport report = tst::RunSetupProgram(step.arguments, step.boxes, {}, ShowBox);
    std::printf("   STNIN32.EXE ended with exit code %lu\n", static_cast<unsigned long>(report.exitCode));
    if (!report.problems.empty()) Problem(ForTerminal(report.problems));
    if (report.exitCode != 0) Problem("the exit code is not 0");
    if (step.after) step.after();
}

const char* const kStepTitles[] = {
    "Install the client from the demo share",
    "Edit the configuration: log area C:\\FaxLog, language German",
    "Copy the programs to C:\\Telmora Client",
    "Update the programs over files changed since the copy",
    "Uninstall the client",
};

void PrintChanges(const std::vector<tst::Change>& changes) {
    if (changes.empty()) std::printf("   (no change)\n");
    for (const tst::Change& change : changes) std::printf("   %s\n", ForTerminal(change.Describe()).c_str());
}

bool Contains(const std::string& text, const char* part) {
    std::string upper = text, wanted = part;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (char& c : wanted) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return upper.find(wanted) != std::string::npos;
}

// The headings of the installation report, each with the changes it shows.
struct Group {
    const char* heading;
    bool (*holds)(const tst::Change&);
};

bool IsStartMenu(const tst::Change& c) {
    return (c.kind == "file" || c.kind == "directory") && Contains(c.name, "\\Start Menu\\");
}
bool IsFile(const tst::Change& c) { return (c.kind == "file" || c.kind == "directory") && !IsStartMenu(c); }
bool IsRegistry(const tst::Change& c) { return c.kind == "key" || c.kind == "value"; }
// Wine keeps these WIN.INI sections in the registry, as Windows NT does.
bool IsMappedWinIni(const tst::Change& c) {
    const char* const sections[] = {"\\CurrentVersion\\Devices", "\\CurrentVersion\\PrinterPorts",
                                    "\\CurrentVersion\\Extensions", "\\CurrentVersion\\Windows\\",
                                    "\\CurrentVersion\\Ports"};
    if (!IsRegistry(c) || !Contains(c.name, "\\Windows NT\\")) return false;
    for (const char* section : sections) {
        if (Contains(c.name + "\\", section)) return true;
    }
    return false;
}
bool IsProfile(const tst::Change& c) { return IsMappedWinIni(c); }
bool IsSpooler(const tst::Change& c) { return IsRegistry(c) && Contains(c.name, "\\Control\\Print\\"); }
bool IsOtherRegistry(const tst::Change& c) { return IsRegistry(c) && !IsSpooler(c) && !IsMappedWinIni(c); }

const Group kGroups[] = {
    {"Files, and where they went", &IsFile},
    {"WIN.INI entries (Wine keeps [windows], [devices], [PrinterPorts], [Extensions] and [ports] in the "
     "registry, as Windows NT does)",
     &IsProfile},
    {"The spooler's printers, drivers, processors, monitors and ports", &IsSpooler},
    {"Registry entries: the uninstall entry, the fax graphics extensions", &IsOtherRegistry},
    {"The Start Menu group (made over DDE by the shell)", &IsStartMenu},
};

// A file by its size only; everything else as the snapshot describes it.
std::string Brief(const tst::Change& c) {
    if (c.kind != "file" || c.mark == '~') return c.Describe();
    const std::string& content = c.mark == '+' ? c.after : c.before;
    return c.Line() + ": " + content.substr(0, content.find(','));
}

void PrintConfigFile() {
    std::printf("\n-- %s\n", kConfigFile);
    FILE* file = std::fopen(kConfigFile, "rb");
    if (!file) {
        std::printf("   (missing)\n");
        return;
    }
    char line[1024];
    while (std::fgets(line, sizeof line, file)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        std::printf("   %s\n", ForTerminal(line).c_str());
    }
    std::fclose(file);
}

void PrintReport(const std::vector<tst::Change>& changes) {
    std::printf("\nWhat the installation changed on this PC:\n");
    PrintConfigFile();
    for (const Group& group : kGroups) {
        std::printf("\n-- %s\n", group.heading);
        int shown = 0;
        for (const tst::Change& change : changes) {
            if (!group.holds(change)) continue;
            std::printf("   %s\n", ForTerminal(Brief(change)).c_str());
            ++shown;
        }
        if (!shown) std::printf("   (none)\n");
    }
}

int RunInstall(const lifecycle::Windows& windows) {
    tst::Snapshot before = tst::Snapshot::Take();
    std::printf("\n== Standard installation from the demo share\n");
    RunStep(lifecycle::Steps(windows).front(), windows);
    PrintReport(before.ChangesTo(tst::Snapshot::Take()));
    if (g_problems) {
        std::fprintf(stderr, "demo: the installation did not complete as expected (%d problems)\n", g_problems);
        return 1;
    }
    std::printf("\ndemo: the installation completed\n");
    return 0;
}

int RunLifecycle(const lifecycle::Windows& windows) {
    tst::Snapshot start = tst::Snapshot::Take();
    tst::Snapshot before = start;
    int number = 0;
    for (const lifecycle::Step& step : lifecycle::Steps(windows)) {
        std::printf("\n== %d. %s\n", number + 1, kStepTitles[number]);
        ++number;
        RunStep(step, windows);
        tst::Snapshot after = tst::Snapshot::Take();
        std::printf("   What changed:\n");
        PrintChanges(before.ChangesTo(after));
        std::fflush(stdout);
        if (g_problems) {
            std::fprintf(stderr, "demo: step %d did not go as expected (%d problems)\n", number, g_problems);
            return 1;
        }
        before = after;
    }
    std::printf("\n== After the uninstallation, the PC differs from before the installation by:\n");
    PrintChanges(start.ChangesTo(before));
    return 0;
}

}  // namespace

namespace {

// The Windows of a personality's name ("win95", "nt351", "nt40"); null for another name.
const lifecycle::Windows* FindWindows(const std::string& wineVersion) {
    for (const lifecycle::Windows* windows : {&lifecycle::kWindows95, &lifecycle::kWindowsNT351, &lifecycle::kWindowsNT40}) {
        if (wineVersion == windows->wineVersion) return windows;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const bool install = argc >= 3 && std::strcmp(argv[1], "install") == 0;
    const bool life = argc >= 3 && std::strcmp(argv[1], "lifecycle") == 0;
    const lifecycle::Windows* windows = argc >= 3 ? FindWindows(argv[2]) : nullptr;
    if ((!install && !life) || !windows || argc > 4) {
        std::fprintf(stderr, "usage: demo_driver.exe install|lifecycle win95|nt351|nt40 [PICTURES_DIRECTORY]\n");
        return 2;
    }
    if (argc == 4) {
        g_pictures = argv[3];
        if (!g_pictures.empty() && g_pictures.back() != '\\') g_pictures += '\\';
    }
    if (!lifecycle::PreparePc(*windows)) {
        std::fprintf(stderr, "demo: cannot prepare the Wine PC for '%s'\n", argv[2]);
        return 1;
    }
    std::printf("A Wine PC that STNIN32.EXE sees as '%s'\n", argv[2]);
    return install ? RunInstall(*windows) : RunLifecycle(*windows);
}
