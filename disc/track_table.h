// The track table: the disc's audio tracks with their addresses and lengths, built from
// the drive's table of contents. Platform-free.
#ifndef KORVELLO_TRACK_TABLE_H
#define KORVELLO_TRACK_TABLE_H

#include <cstddef>
#include <cstdint>

#include "disc/toc_record.h"

enum : int {
    kMaxAudioTracks = 99,
    kTrackTableSize = 100,  // the tracks and the end entry
    kFirstSessionGapFrames = 11400,  // lead-out, lead-in and pregap before session 2
    kLaterSessionGapFrames = 6900,   // the same before session 3 and later
};

struct TrackEntry {
    int32_t startLba;
    int32_t lengthFrames;
    int32_t minutes;
    int32_t seconds;
    int32_t selected;
    int32_t startM;
    int32_t startS;
    int32_t startF;
};

// What the drive told of its sessions; `known` is 0 when it could not tell.
struct SessionInfo {
    int known;
    int lastSession;
    int firstTrackOfLastSession;
};

// Reads the session answer of a drive (CDROM_TOC_SESSION_DATA).
SessionInfo SessionInfoFromRecord(const TocSessionRecord& record);

// Fills tracks[0..99] from a TOC answer of tocBytes bytes: the audio tracks, then the
// end entry, then zeros, every `selected` 0. Returns the number of audio tracks, or 0
// when the answer is not a readable audio table of contents (malformed, or no audio).
int BuildTrackTable(const TocRecord& toc, size_t tocBytes, const SessionInfo& sessions,
                    TrackEntry tracks[kTrackTableSize]);

// Shown length of a track: rounded up to whole seconds, carried into the minutes.
void SetTrackLength(TrackEntry& entry, int32_t lengthFrames);

#endif
