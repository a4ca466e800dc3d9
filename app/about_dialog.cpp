#include <windows.h>
#include <shellapi.h>

#include "app/dialogs.h"
#include "disc/disc_context.h"
#include "resources/resource.h"

const char kHomePageAddress[] = "https://korvello.org/";

enum : int { kAboutTextChars = 100 };

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        const HINSTANCE module = GetModuleHandleA(NULL);
        char text[kAboutTextChars];
        LoadStringA(module, IDS_AUTHOR, text, kAboutTextChars);
        SetDlgItemTextA(dialog, IDC_ABOUT_AUTHOR, text);
        LoadStringA(module, IDS_RIGHTS, text, kAboutTextChars);
        SetDlgItemTextA(dialog, IDC_ABOUT_RIGHTS, text);
        char version[kAboutTextChars];
        LoadStringA(module, IDS_VERSION, version, kAboutTextChars);
        char line[kCaptionChars + sizeof " version " + kAboutTextChars];
        wsprintfA(line, "%s version %s", discContext.caption, version);
        SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, line);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void OpenHomePage(HWND owner) {
    ShellExecuteA(owner, "open", kHomePageAddress, NULL, NULL, SW_SHOWNORMAL);
}
