// Choosing the tracks to copy; and the track list that the play-track dialog shares.
#ifndef KORVELLO_COPY_SELECT_DIALOG_H
#define KORVELLO_COPY_SELECT_DIALOG_H

#include <windows.h>

#include "disc/disc_context.h"

// Fills an empty report-view list with the track table: "Track" and "Length" columns,
// every row ticked.
void FillTrackList(HWND list, const DiscContext& context, int lengthColumnWidth);

// Dialog 132. Ends with 1 after Start with a track ticked, 0 for Cancel.
INT_PTR CALLBACK CopySelectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
