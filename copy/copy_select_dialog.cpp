#include "copy/copy_select_dialog.h"

#include <commctrl.h>

#include "disc/user_message.h"
#include "resources/resource.h"

enum : UINT { kUnticked = 1, kTicked = 2 };

static DiscContext* selectContext;
static HWND selectList;

static void SetTick(HWND list, int row, UINT image) {
    ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
}

static void SetAllTicks(UINT image) {
    const int rows = ListView_GetItemCount(selectList);
    for (int row = 0; row < rows; ++row) SetTick(selectList, row, image);
}

static void InsertColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

static void SetCellText(HWND list, int row, int column, char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void FillTrackList(HWND list, const DiscContext& context, int lengthColumnWidth) {
    InsertColumn(list, 0, "Track", 50);
    InsertColumn(list, 1, "Length", lengthColumnWidth);
    for (int i = 0; i < context.trackCount; ++i) {
        LVITEMA item = {};
        item.iItem = i;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        SetTick(list, i, kTicked);
        char text[16];
        wsprintfA(text, "%02d", i + 1);
        SetCellText(list, i, 0, text);
        wsprintfA(text, "%02d:%02d", context.tracks[i].minutes, context.tracks[i].seconds);
        SetCellText(list, i, 1, text);
    }
}

// Stores every row's tick in its `selected` flag; returns 1 if any row is ticked.
static int StoreTicks() {
    int anyTicked = 0;
    for (int i = 0; i < selectContext->trackCount; ++i) {
        const UINT image = ListView_GetItemState(selectList, i, LVIS_STATEIMAGEMASK) >> 12;
        selectContext->tracks[i].selected = static_cast<int>(image) - 1;
        anyTicked |= selectContext->tracks[i].selected;
    }
    return anyTicked;
}

INT_PTR CALLBACK CopySelectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        selectContext = reinterpret_cast<DiscContext*>(lParam);
        selectList = GetDlgItem(dialog, IDC_TRACK_LIST);
        ListView_SetExtendedListViewStyle(
            selectList, LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        FillTrackList(selectList, *selectContext, 100);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (StoreTicks())
                EndDialog(dialog, 1);
            else
                ShowMessage(*selectContext, dialog, "Please check at least one track!",
                            MB_ICONINFORMATION);
            return FALSE;
        case IDC_SET_ALL_ON:
            SetAllTicks(kTicked);
            return FALSE;
        case IDC_SET_ALL_OFF:
            SetAllTicks(kUnticked);
            return FALSE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
