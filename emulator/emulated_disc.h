// The emulated CD-ROM drive's answers, platform-free: a disc image loaded from its CUE
// sheet answers the table-of-contents, session and raw-read requests; a play state per
// drive follows play, pause, resume and stop; and each request's journal line is made here.
#ifndef KORVELLO_EMULATED_DISC_H
#define KORVELLO_EMULATED_DISC_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "disc/toc_record.h"
#include "emulator/cue_sheet.h"

enum DiscState { kDiscAbsent, kDiscUnreadable, kDiscReady };

// A loaded disc. Its files stay open until CloseEmulatedDisc; do not copy it.
struct EmulatedDisc {
    DiscState state = kDiscAbsent;
    std::string problem;                  // why the disc is unreadable
    CueSheet sheet;
    DiscLayout layout;
    std::vector<std::FILE*> files;        // the sheet's files, in its order
    std::vector<int64_t> filePositions;   // where each file stands, to spare needless seeks
};

// Loads the disc a CUE sheet describes. An empty path, or one that names no file, is a
// drive with no disc; a sheet that cannot be parsed, or a file missing or cut short, is a
// disc whose table of contents cannot be read.
void OpenEmulatedDisc(const std::string& cuePath, EmulatedDisc* disc);
void CloseEmulatedDisc(EmulatedDisc* disc);

enum DriveFailure {
    kDriveNoFailure,
    kDriveNotReady,          // no disc, or none that can be read
    kDriveBufferTooSmall,
    kDriveBadRequest,        // a range outside the disc, a mode not supported
    kDriveUnreadableSector,
    kDrivePlayRefused,
};

// The answers return the bytes they wrote to output, or 1 when they write none; 0 when
// the request fails, with *failure saying why.

// CDROM_TOC: one entry per track then the lead-out; needs an 804-byte output.
int AnswerReadToc(const EmulatedDisc& disc, void* output, uint32_t outputSize,
                  DriveFailure* failure);
// CDROM_TOC_SESSION_DATA: the sessions and the first track of the last one.
int AnswerLastSession(const EmulatedDisc& disc, void* output, uint32_t outputSize,
                      DriveFailure* failure);
// 2352 bytes a sector. A SHORT_READ sector in the range ends the read half-way into it,
// and the answer is then short; the rest of output is left as it was.
int AnswerRawRead(EmulatedDisc* disc, const RawReadRecord& request, void* output,
                  uint32_t outputSize, DriveFailure* failure);

// Writes the sync pattern and the header (the address of lba, the mode) of a raw data
// sector; its user data follows from byte 16.
void WriteDataSectorHeader(int lba, int mode, uint8_t* sector);

enum PlayMode { kPlayStopped, kPlayPlaying, kPlayPaused };

// What a drive is playing. Times are milliseconds of any steady clock the caller keeps.
struct PlayState {
    PlayMode mode = kPlayStopped;
    int positionLba = 0;     // where play stood when it last started, resumed or paused
    int endLba = 0;          // where play stops (not played)
    int64_t sinceMs = 0;     // when play last started or resumed
};

// Brings play up to nowMs at 75 sectors a second: play that reached its end has stopped.
void UpdatePlay(PlayState* play, int64_t nowMs);
// A new play replaces the current one. Fails without a readable disc, on a range that
// starts before 00:02:00, ends after the lead-out or ends before it starts, and when the
// disc refuses play.
int AnswerPlayAudioMsf(PlayState* play, const EmulatedDisc& disc, const PlayAudioMsfRecord& range,
                       int64_t nowMs, DriveFailure* failure);
int AnswerPauseAudio(PlayState* play, int64_t nowMs, DriveFailure* failure);   // while playing
int AnswerResumeAudio(PlayState* play, int64_t nowMs, DriveFailure* failure);  // while paused
int AnswerStopAudio(PlayState* play);                                           // always

// The drive letter (upper case) of a device path "\\.\E:", or 0 when it is not one.
char DeviceDriveLetter(const char* devicePath);
// The drive letter (upper case) of a root name "E:", "E:\" or "e:/", or 0.
char RootDriveLetter(const char* rootName);
// Looks a letter up in a drive list such as "E=C:\discs\a.cue;F=" and gives the path of
// its sheet, empty for a drive with no disc. 1 when the list names the letter.
int FindEmulatedDrive(const std::string& driveList, char letter, std::string* cuePath);

// The journal's lines. A null outcome leaves it out: JournalLine("OPEN", 'E', nullptr)
// is "OPEN E:", JournalLine("READ_TOC", 'E', "ok") is "READ_TOC E: ok".
std::string JournalLine(const char* request, char letter, const char* outcome);
// "RAW_READ E: lba count ok|short|failed", from the bytes the read answered.
std::string RawReadJournalLine(char letter, const RawReadRecord& request, int answeredBytes);
// "PLAY_AUDIO_MSF E: MM:SS:FF MM:SS:FF ok|failed".
std::string PlayJournalLine(char letter, const PlayAudioMsfRecord& range, int answered);
// "IOCTL 0x00024000 E: failed", for any request the drive does not know.
std::string UnknownRequestJournalLine(char letter, uint32_t controlCode);

#endif
