#include "disc/playback.h"

#include "disc/cdrom_requests.h"
#include "disc/disc_access.h"
#include "disc/drive_io.h"
#include "disc/user_message.h"

// A request with neither input nor output, whose result nobody examines.
static void SendSimpleRequest(DiscContext& context, DWORD ioControlCode) {
    DWORD returned = 0;
    DriveRequest(context.device, ioControlCode, NULL, 0, NULL, 0, &returned);
}

void PlayRange(DiscContext& context, int index) {
    if (!ReadTrackTable(context)) return;
    if (index < 0 || index >= context.trackCount) {
        // The disc was changed after the caller chose its line.
        ShowMessage(context, context.ownerWindow, kDiscNotTheSame, MB_ICONINFORMATION);
        return;
    }
    if (!OpenDrive(context)) return;
    const TrackEntry& first = context.tracks[index];
    const TrackEntry& last = context.tracks[index == 0 ? context.trackCount : index + 1];
    CDROM_PLAY_AUDIO_MSF range;
    range.StartingM = static_cast<UCHAR>(first.startM);
    range.StartingS = static_cast<UCHAR>(first.startS);
    range.StartingF = static_cast<UCHAR>(first.startF);
    range.EndingM = static_cast<UCHAR>(last.startM);
    range.EndingS = static_cast<UCHAR>(last.startS);
    range.EndingF = static_cast<UCHAR>(last.startF);
    DWORD returned = 0;
    if (DriveRequest(context.device, IOCTL_CDROM_PLAY_AUDIO_MSF, &range, sizeof range, NULL, 0,
                     &returned))
        context.playing = 1;
    else
        ShowMessage(context, context.ownerWindow, kInsertAudioDisc, MB_ICONERROR);
    CloseDrive(context);
}

void TogglePause(DiscContext& context) {
    if (!OpenDrive(context)) return;
    SendSimpleRequest(context, context.playing ? IOCTL_CDROM_PAUSE_AUDIO : IOCTL_CDROM_RESUME_AUDIO);
    context.playing = context.playing ? 0 : 1;
    CloseDrive(context);
}

void StopAudio(DiscContext& context) {
    context.playing = 0;
    if (!OpenDrive(context)) return;
    SendSimpleRequest(context, IOCTL_CDROM_STOP_AUDIO);
    CloseDrive(context);
}
