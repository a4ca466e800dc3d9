#include "app/main_window.h"

#include "app/dialogs.h"
#include "copy/copy_job.h"
#include "disc/drive_io.h"
#include "disc/playback.h"
#include "resources/resource.h"

HACCEL acceleratorTable;
HHOOK acceleratorHook;

// The main window runs in the platform's modal dialog loop, which translates no
// accelerators; every dialog and message box loop of this thread calls this hook with
// MSGF_DIALOGBOX, so the shortcuts work wherever the keyboard is on this thread.
LRESULT CALLBACK AcceleratorHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code != MSGF_DIALOGBOX) return 0;
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
        TranslateAcceleratorA(discContext.ownerWindow, acceleratorTable, message))
        return 1;
    return CallNextHookEx(acceleratorHook, code, wParam, lParam);
}

static void FillDriveList(HWND window) {
    const HWND driveList = GetDlgItem(window, IDC_DRIVE_LIST);
    char rootName[3] = "A:";
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        rootName[0] = letter;
        if (DriveType(rootName) == DRIVE_CDROM)
            SendMessageA(driveList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rootName));
    }
    SendMessageA(driveList, CB_SETCURSEL, 0, 0);
}

static void SetWindowIcon(HWND window, WPARAM which, int iconId, int size) {
    const HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(NULL),
                                                     MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                                     size, size, LR_DEFAULTCOLOR));
    SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}

static void RunCommand(HWND window, int command) {
    switch (command) {
    case IDM_PLAY:
        PlayRange(discContext, 0);
        break;
    case IDM_PLAY_TRACK:
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PLAY_TRACK), window,
                        PlayTrackDialogProc, reinterpret_cast<LPARAM>(&discContext));
        break;
    case IDM_PAUSE_RESUME:
        TogglePause(discContext);
        break;
    case IDM_COPY:
        StartCopyJob(discContext);
        break;
    case IDM_ABOUT:
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), window,
                        AboutDialogProc, 0);
        break;
    case IDM_HOME_PAGE:
        OpenHomePage(window);
        break;
    case IDM_EXIT:
        // The menu's Exit closes the window just as its close box does.
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        discContext.ownerWindow = window;
        SetWindowTextA(window, discContext.caption);
        SetWindowIcon(window, ICON_SMALL, IDI_KORVELLO_SMALL, GetSystemMetrics(SM_CXSMICON));
        SetWindowIcon(window, ICON_BIG, IDI_KORVELLO, GetSystemMetrics(SM_CXICON));
        FillDriveList(window);
        return TRUE;
    case WM_COMMAND:
        RunCommand(window, LOWORD(wParam));
        return FALSE;
    case WM_CLOSE:
        EndDialog(window, LOWORD(wParam));
        return FALSE;
    case WM_DESTROY:
        StopAudio(discContext);
        return FALSE;
    }
    return FALSE;
}
