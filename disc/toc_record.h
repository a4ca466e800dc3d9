// The CD-ROM records that cross the drive interface, declared byte for byte so that
// platform-free code (the track table, the emulated drive) can read and write them.
// The Windows build checks them against the platform's own declarations.
#ifndef KORVELLO_TOC_RECORD_H
#define KORVELLO_TOC_RECORD_H

#include <cstdint>

enum : int {
    kFramesPerSecond = 75,
    kFramesPerMinute = 4500,
    kMsfLbaOffset = 150,        // MSF 00:02:00 is logical block 0
    kBytesPerFrame = 2352,      // one sector of 16-bit stereo samples
    kTocMaxEntries = 100,       // 99 tracks and the lead-out
    kLeadOutTrackNumber = 0xAA,
    kDataTrackControlBit = 0x4,
};

struct TocTrackData {
    uint8_t reserved;
    uint8_t controlAdr;     // Control in the low four bits, Adr in the high four
    uint8_t trackNumber;
    uint8_t reserved1;
    uint8_t address[4];     // 0, minutes, seconds, frames
};

struct TocRecord {          // CDROM_TOC, 804 bytes
    uint8_t length[2];      // big-endian count of the bytes that follow this field
    uint8_t firstTrack;
    uint8_t lastTrack;
    TocTrackData trackData[kTocMaxEntries];
};

struct TocSessionRecord {   // CDROM_TOC_SESSION_DATA, 12 bytes
    uint8_t length[2];
    uint8_t firstCompleteSession;
    uint8_t lastCompleteSession;
    TocTrackData trackData[1];  // the first track of the last session
};

struct PlayAudioMsfRecord { // CDROM_PLAY_AUDIO_MSF, 6 bytes
    uint8_t startingM, startingS, startingF;
    uint8_t endingM, endingS, endingF;
};

struct RawReadRecord {      // RAW_READ_INFO, 16 bytes
    int64_t diskOffset;     // logical block address x 2048
    uint32_t sectorCount;
    uint32_t trackMode;     // 2 for CD digital audio
};

enum : uint32_t { kTrackModeCdda = 2, kDiskOffsetBytesPerBlock = 2048 };

static_assert(sizeof(TocRecord) == 804, "CDROM_TOC is 804 bytes");
static_assert(sizeof(TocSessionRecord) == 12, "CDROM_TOC_SESSION_DATA is 12 bytes");
static_assert(sizeof(PlayAudioMsfRecord) == 6, "CDROM_PLAY_AUDIO_MSF is 6 bytes");
static_assert(sizeof(RawReadRecord) == 16, "RAW_READ_INFO is 16 bytes");

struct Msf {
    int minutes, seconds, frames;
};

inline int MsfToLba(int minutes, int seconds, int frames) {
    return minutes * kFramesPerMinute + seconds * kFramesPerSecond + frames - kMsfLbaOffset;
}

inline Msf LbaToMsf(int lba) {
    const int absolute = lba + kMsfLbaOffset;
    return Msf{absolute / kFramesPerMinute, absolute / kFramesPerSecond % 60,
               absolute % kFramesPerSecond};
}

#endif
