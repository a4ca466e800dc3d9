#include "disc/disc_access.h"

#include <cstring>

#include "disc/cdrom_requests.h"
#include "disc/drive_io.h"
#include "disc/user_message.h"
#include "resources/resource.h"

const char kCannotCreateDevice[] = "Can not create the device!";
const char kInsertAudioDisc[] = "Please insert AUDIO-CD compact disk and try again!";
const char kDiscNotTheSame[] = "The Audio CD disk is not the same. Please try again.";

DiscContext discContext;

int OpenDrive(DiscContext& context) {
    char driveName[MAX_PATH] = "";
    char devicePath[MAX_PATH];
    const HWND driveList = GetDlgItem(context.ownerWindow, IDC_DRIVE_LIST);
    const LRESULT selection = SendMessageA(driveList, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR &&
        SendMessageA(driveList, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0) < MAX_PATH)
        SendMessageA(driveList, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                     reinterpret_cast<LPARAM>(driveName));
    HANDLE device = INVALID_HANDLE_VALUE;
    if (driveName[0] != '\0') {
        wsprintfA(devicePath, "\\\\.\\%s", driveName);
        device = DriveOpen(devicePath);
    }
    if (device == INVALID_HANDLE_VALUE) {
        context.device = NULL;
        ShowMessage(context, context.ownerWindow, kCannotCreateDevice, MB_ICONERROR);
        return 0;
    }
    context.device = device;
    return 1;
}

void CloseDrive(DiscContext& context) {
    if (context.device != NULL) {
        DriveClose(context.device);
        context.device = NULL;
    }
}

// Which session opens with which track, so that an Enhanced CD's last audio track ends
// at its own session's end. A drive that cannot tell leaves the table as the TOC gives it.
static SessionInfo ReadSessionInfo(DiscContext& context) {
    TocSessionRecord record = {};
    DWORD returned = 0;
    if (!DriveRequest(context.device, IOCTL_CDROM_GET_LAST_SESSION, NULL, 0, &record,
                      sizeof record, &returned) ||
        returned < sizeof record)
        return SessionInfo{};
    return SessionInfoFromRecord(record);
}

int ReadTrackTable(DiscContext& context) {
    context.trackCount = 0;
    std::memset(context.tracks, 0, sizeof context.tracks);
    if (!OpenDrive(context)) return 0;

    // Cleared first so that nothing of an earlier disc survives a short answer.
    std::memset(&context.tocBuffer, 0, sizeof context.tocBuffer);
    DWORD returned = 0;
    if (DriveRequest(context.device, IOCTL_CDROM_READ_TOC, NULL, 0, &context.tocBuffer,
                     sizeof context.tocBuffer, &returned)) {
        const SessionInfo sessions = ReadSessionInfo(context);
        context.trackCount = BuildTrackTable(context.tocBuffer, returned, sessions, context.tracks);
    }
    CloseDrive(context);
    if (context.trackCount == 0)
        ShowMessage(context, context.ownerWindow, kInsertAudioDisc, MB_ICONERROR);
    return context.trackCount;
}

int ConfirmSameDisc(DiscContext& context) {
    TrackEntry saved[kTrackTableSize];
    std::memcpy(saved, context.tracks, sizeof saved);
    if (!ReadTrackTable(context)) return 0;
    for (int i = 0; i < kTrackTableSize; ++i) {
        if (saved[i].startLba != context.tracks[i].startLba ||
            saved[i].lengthFrames != context.tracks[i].lengthFrames) {
            ShowMessage(context, context.ownerWindow, kDiscNotTheSame, MB_ICONINFORMATION);
            return 0;
        }
    }
    std::memcpy(context.tracks, saved, sizeof saved);
    return 1;
}
