#include <windows.h>
#include <commctrl.h>

#include "app/dialogs.h"
#include "copy/copy_select_dialog.h"
#include "disc/disc_access.h"
#include "disc/playback.h"
#include "disc/user_message.h"
#include "resources/resource.h"

static DiscContext* playContext;
static HWND playList;

static void PlayChosenLine(HWND dialog) {
    const int line = ListView_GetNextItem(playList, -1, LVNI_FOCUSED | LVNI_SELECTED);
    if (line < 0) {
        ShowMessage(*playContext, dialog, "Please select a line in list box!", MB_ICONINFORMATION);
        return;
    }
    if (ConfirmSameDisc(*playContext)) PlayRange(*playContext, line);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK PlayTrackDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        playContext = reinterpret_cast<DiscContext*>(lParam);
        if (!ReadTrackTable(*playContext)) {
            EndDialog(dialog, 0);
            return FALSE;
        }
        playList = GetDlgItem(dialog, IDC_TRACK_LIST);
        ListView_SetExtendedListViewStyle(playList, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        FillTrackList(playList, *playContext, 160);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            PlayChosenLine(dialog);
            return FALSE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(NM_DBLCLK))
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        return FALSE;
    }
    return FALSE;
}
