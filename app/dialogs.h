// The Help menu's and the play-track command's windows.
#ifndef KORVELLO_DIALOGS_H
#define KORVELLO_DIALOGS_H

#include <windows.h>

// Dialog 133: one track chosen and played.
INT_PTR CALLBACK PlayTrackDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog 130: the program's picture, name, version, credit and rights notice.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The project's web page in the user's browser.
extern const char kHomePageAddress[];
void OpenHomePage(HWND owner);

#endif
