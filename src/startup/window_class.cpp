// The main window's class and window, and the optional 3-D controls library
// (CTL3D32.DLL) that gives dialogs the raised look on Windows NT 3.x.
#include <windows.h>

#include "common/setup_context.h"
#include "common/win_handles.h"
#include "common/windows_version.h"
#include "startup/main_window.h"
#include "startup/startup.h"
#include "ui/progress_display.h"
#include "ui/resource_ids.h"

const char kMainWindowClass[] = "TelmoraInstall";
const char kMainWindowTitle[] = "Telmora Installation";

namespace {

const char kCtl3dLibraryName[] = "CTL3D32.DLL";
const UINT_PTR kFirstValidModule = 32;  // a handle below 32 counts as not loaded

HMODULE s_ctl3d = nullptr;

typedef BOOL(WINAPI* Ctl3dInstanceProc)(HANDLE);

Ctl3dInstanceProc Ctl3dExport(const char* name) {
    if (!s_ctl3d) return nullptr;
    return reinterpret_cast<Ctl3dInstanceProc>(reinterpret_cast<void*>(GetProcAddress(s_ctl3d, name)));
}

void CallCtl3d(const char* name, HINSTANCE instance) {
    Ctl3dInstanceProc proc = Ctl3dExport(name);
    if (proc) proc(instance);
}

// Any of this may fail silently: the controls then keep the system look.
void LoadCtl3d(HINSTANCE instance) {
    HMODULE library;
    {
        win::ErrorModeScope noOpenFileBox(SEM_NOOPENFILEERRORBOX);
        library = LoadLibraryA(kCtl3dLibraryName);
    }
    if (reinterpret_cast<UINT_PTR>(library) < kFirstValidModule) return;
    s_ctl3d = library;
    CallCtl3d("Ctl3dRegister", instance);
    CallCtl3d("Ctl3dAutoSubclass", instance);
}

}  // namespace

HMODULE Ctl3dLibrary() { return s_ctl3d; }

void ReleaseCtl3d(HINSTANCE instance) {
    if (!s_ctl3d) return;
    CallCtl3d("Ctl3dUnregister", instance);
    FreeLibrary(s_ctl3d);
    s_ctl3d = nullptr;
}

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    if (!IsWindows95()) LoadCtl3d(instance);

    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = InstallWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, IDI_INSTALL);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassA(&windowClass);
}

int CreateMainWindow(HINSTANCE instance, int showCommand) {
    (void)showCommand;  // the window is placed and shown by ShowMainWindow
    SetDisplayLine("", kDisplayBoth);
    g_setup.mainWindow = CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, WS_POPUP, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                         nullptr);
    return g_setup.mainWindow != nullptr ? 1 : 0;
}
