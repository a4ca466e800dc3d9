// Korvello's entry point: one instance per desktop, the shortcuts, the main window.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "disc/disc_context.h"
#include "resources/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LoadStringA(instance, IDS_APP_TITLE, discContext.caption, kCaptionChars);

    const HWND running = FindWindowA(NULL, discContext.caption);
    if (running != NULL) {
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        return 0;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    acceleratorTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAIN));
    acceleratorHook = SetWindowsHookExA(WH_MSGFILTER, AcceleratorHook, NULL, GetCurrentThreadId());
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc, 0);
    UnhookWindowsHookEx(acceleratorHook);
    return 1;
}
