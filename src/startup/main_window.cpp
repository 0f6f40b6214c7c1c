// The main window: a captionless strip across the bottom of the work area
// that shows the program's icon, a title line and one progress line. It runs
// the first command (the whole job happens inside that one message), hands
// the DDE messages to the Program Manager conversation, and paints itself; placing it
// and setting its lines is the progress display's (ui/progress_display.cpp).
#include "startup/main_window.h"

#include <dde.h>

#include <cstring>
#include <cwchar>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "desktop/dde_conversation.h"
#include "startup/startup.h"
#include "ui/language.h"
#include "ui/resource_ids.h"
#include "ui/strings.h"
#include "workflow/workflow_driver.h"

namespace {

const char kMainFontFace[] = "Arial";

void NotifyCtl3dColorChange() {
    typedef BOOL(WINAPI * ColorChangeProc)();
    HMODULE ctl3d = Ctl3dLibrary();
    if (!ctl3d) return;
    ColorChangeProc colorChange =
        reinterpret_cast<ColorChangeProc>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dColorChange")));
    if (colorChange) colorChange();
}

LRESULT RunFirstCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case IDM_RUN_DRIVER:
            if (!RunWorkflowDriver()) NoteWorkflowEnd("setup", 0);
            PostQuitMessage(0);
            return 0;
        case IDM_UNINSTALL:
            NoteWorkflowEnd("uninstallation", g_workflows.uninstall());
            PostQuitMessage(0);
            return 0;
        default:
            DefWindowProcA(window, message, wParam, lParam);
            return 0;
    }
}

// One 1-pixel ring: the right and bottom edges in `bottomRight`, the left and
// top edges in `topLeft`, each edge a 1-pixel rectangle.
void FillRing(HDC dc, const RECT& r, HBRUSH topLeft, HBRUSH bottomRight) {
    RECT right = {r.right - 1, r.top, r.right, r.bottom};
    RECT bottom = {r.left, r.bottom - 1, r.right - 1, r.bottom};
    RECT left = {r.left, r.top, r.left + 1, r.bottom - 1};
    RECT top = {r.left + 1, r.top, r.right - 1, r.top + 1};
    FillRect(dc, &right, bottomRight);
    FillRect(dc, &bottom, bottomRight);
    FillRect(dc, &left, topLeft);
    FillRect(dc, &top, topLeft);
}

RECT Inset(RECT r, int by) {
    r.left += by;
    r.top += by;
    r.right -= by;
    r.bottom -= by;
    return r;
}

struct BorderBrushes {
    HBRUSH frame;
    HBRUSH face;
    HBRUSH shadow;
    HBRUSH light;
};

// The frame line, a 2-pixel band in the face colour and a 3-pixel sunken bevel.
void DrawBorder(HDC dc, RECT r, const BorderBrushes& b) {
    FillRing(dc, r, b.frame, b.frame);
    r.top += 2;
    FillRing(dc, r, b.face, b.face);
    FillRing(dc, Inset(r, 1), b.face, b.face);
    r = Inset(r, 2);
    FillRing(dc, r, b.shadow, b.light);
    FillRing(dc, Inset(r, 1), b.shadow, b.light);
    FillRing(dc, Inset(r, 2), b.frame, b.face);
}

// The count drawn is the 8-bit length; for multi-byte code pages the UTF-16
// form is shorter, and drawing past its end would show garbage, so the count
// never exceeds the converted text.
void DrawLine(HDC dc, int x, int y, const char* line) {
    const wchar_t* wide = ToWide(line);
    size_t count = std::strlen(line);
    size_t wideCount = std::wcslen(wide);
    if (wideCount < count) count = wideCount;
    TextOutW(dc, x, y, wide, static_cast<int>(count));
}

void DrawTextLines(HDC dc, int baseX, int baseY) {
    int x = GetSystemMetrics(SM_CXICON) + 2 * baseX;
    DrawLine(dc, x, baseY / 2, g_setup.displayTitle);
    DrawLine(dc, x, 2 * baseY, g_setup.displayProgress);
}

}  // namespace

LRESULT CALLBACK InstallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            PaintMainWindow(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SYSCOLORCHANGE:
            NotifyCtl3dColorChange();
            return 0;
        case WM_COMMAND:
            return RunFirstCommand(window, message, wParam, lParam);
        case WM_DDE_TERMINATE:
            AcceptDDETerminate();
            return 0;
        case WM_DDE_ACK:
            AcceptDDEAck(wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void PaintMainWindow(HWND window, PAINTSTRUCT* paintStruct) {
    HDC dc = paintStruct->hdc;
    LONG baseUnits = GetDialogBaseUnits();
    int baseX = LOWORD(baseUnits);
    int baseY = HIWORD(baseUnits);

    win::GdiObject font(CreateFontA(baseY, 0, 0, 0, 0, FALSE, FALSE, FALSE, static_cast<DWORD>(LanguageCharset()),
                                    OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                    VARIABLE_PITCH | FF_SWISS, kMainFontFace));
    HGDIOBJ previousFont = font.IsOpen() ? SelectObject(dc, font.Get()) : nullptr;

    COLORREF faceColour = GetSysColor(COLOR_BTNFACE);
    const COLORREF kPureWhite = 0xFFFFFF;
    win::GdiObject frame(CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME)));
    win::GdiObject face(CreateSolidBrush(faceColour));
    win::GdiObject shadow(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    win::GdiObject light(CreateSolidBrush(GetSysColor(faceColour == kPureWhite ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT)));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));

    RECT client;
    GetClientRect(window, &client);
    BorderBrushes brushes = {static_cast<HBRUSH>(frame.Get()), static_cast<HBRUSH>(face.Get()),
                             static_cast<HBRUSH>(shadow.Get()), static_cast<HBRUSH>(light.Get())};
    DrawBorder(dc, client, brushes);
    DrawIcon(dc, baseX, GetSystemMetrics(SM_CYICON) / 2, LoadIconA(g_setup.appInstance, IDI_INSTALL));
    DrawTextLines(dc, baseX, baseY);

    if (previousFont) SelectObject(dc, previousFont);
}
