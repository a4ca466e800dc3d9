// The one record the whole program shares.
#ifndef KORVELLO_DISC_CONTEXT_H
#define KORVELLO_DISC_CONTEXT_H

#include <windows.h>

#include "disc/track_table.h"

enum : int { kCaptionChars = 260 };

struct DiscContext {
    HWND ownerWindow;        // the main window: owner of messages, holder of the drive list
    HANDLE device;           // the open drive, or NULL; open only within one operation
    TocRecord tocBuffer;     // the drive's last table of contents
    char caption[kCaptionChars];
    int playing;             // 1 after play or resume was sent, 0 after stop or pause
    TrackEntry tracks[kTrackTableSize];
    int trackCount;
};

// Static and zero-filled at start; used by one thread at a time (the main window is
// disabled while the copy worker runs).
extern DiscContext discContext;

#endif
