#include "disc/track_table.h"

#include <cstring>

namespace {

int ControlOf(const TocTrackData& entry) { return entry.controlAdr & 0x0F; }

bool IsDataTrack(const TocTrackData& entry) {
    return (ControlOf(entry) & kDataTrackControlBit) != 0;
}

bool HasValidMsf(const TocTrackData& entry) {
    return entry.address[2] < 60 && entry.address[3] < kFramesPerSecond;
}

int StartLbaOf(const TocTrackData& entry) {
    return MsfToLba(entry.address[1], entry.address[2], entry.address[3]);
}

void SetStart(TrackEntry& entry, int lba) {
    const Msf msf = LbaToMsf(lba);
    entry.startLba = lba;
    entry.startM = msf.minutes;
    entry.startS = msf.seconds;
    entry.startF = msf.frames;
}

void SetStartFromToc(TrackEntry& entry, const TocTrackData& toc) {
    entry.startLba = StartLbaOf(toc);
    entry.startM = toc.address[1];
    entry.startS = toc.address[2];
    entry.startF = toc.address[3];
}

// Frames between the end of the session before `session` and its first track.
int SessionGapFrames(int session) {
    return session == 2 ? kFirstSessionGapFrames : kLaterSessionGapFrames;
}

// The table of contents is trusted only when every entry it claims is present, in range
// and in order; otherwise lengths could come out negative or absurd.
bool IsWellFormed(const TocRecord& toc, size_t tocBytes, int entryCount) {
    const size_t needed = 4 + 8 * static_cast<size_t>(entryCount);
    const size_t declared = 2 + ((static_cast<size_t>(toc.length[0]) << 8) | toc.length[1]);
    if (tocBytes < needed || declared < needed) return false;
    int previousLba = -1;  // no track starts before 00:02:00
    for (int k = 0; k < entryCount; ++k) {
        const TocTrackData& entry = toc.trackData[k];
        if (!HasValidMsf(entry)) return false;
        const int lba = StartLbaOf(entry);
        if (lba <= previousLba) return false;
        previousLba = lba;
    }
    return true;
}

}  // namespace

SessionInfo SessionInfoFromRecord(const TocSessionRecord& record) {
    SessionInfo info = {};
    if (record.firstCompleteSession < 1 || record.lastCompleteSession < record.firstCompleteSession)
        return info;
    info.known = 1;
    info.lastSession = record.lastCompleteSession;
    info.firstTrackOfLastSession = record.trackData[0].trackNumber;
    return info;
}

void SetTrackLength(TrackEntry& entry, int32_t lengthFrames) {
    entry.lengthFrames = lengthFrames;
    entry.minutes = lengthFrames / kFramesPerMinute;
    const int32_t remainder = lengthFrames - entry.minutes * kFramesPerMinute;
    entry.seconds = (remainder + kFramesPerSecond - 1) / kFramesPerSecond;
    if (entry.seconds == 60) {
        entry.minutes += 1;
        entry.seconds = 0;
    }
}

int BuildTrackTable(const TocRecord& toc, size_t tocBytes, const SessionInfo& sessions,
                    TrackEntry tracks[kTrackTableSize]) {
    std::memset(tracks, 0, sizeof(TrackEntry) * kTrackTableSize);
    if (tocBytes < 4 || toc.firstTrack < 1 || toc.lastTrack > kMaxAudioTracks ||
        toc.lastTrack < toc.firstTrack)
        return 0;
    const int trackCountOnDisc = toc.lastTrack - toc.firstTrack + 1;
    if (!IsWellFormed(toc, tocBytes, trackCountOnDisc + 1)) return 0;

    int count = 0;
    for (int k = 0; k < trackCountOnDisc; ++k) {
        const TocTrackData& entry = toc.trackData[k];
        if (IsDataTrack(entry)) continue;
        const TocTrackData& next = toc.trackData[k + 1];
        TrackEntry& track = tracks[count];
        TrackEntry& end = tracks[count + 1];
        SetStartFromToc(track, entry);
        // An audio track followed by the data track that opens the last session ends
        // where its own session's lead-out begins, not at that data track.
        if (sessions.known && sessions.lastSession >= 2 && k + 1 < trackCountOnDisc &&
            IsDataTrack(next) && next.trackNumber == sessions.firstTrackOfLastSession &&
            StartLbaOf(next) - SessionGapFrames(sessions.lastSession) > track.startLba) {
            SetStart(end, StartLbaOf(next) - SessionGapFrames(sessions.lastSession));
        } else {
            SetStartFromToc(end, next);
        }
        SetTrackLength(track, end.startLba - track.startLba);
        ++count;
    }
    return count;
}
