// Fuzzes BuildTrackTable with arbitrary drive answers.
//
// The input is the TOC answer as the drive returned it: copied into a cleared 804-byte
// record, as the program clears its buffer before asking, with tocBytes = the input's size
// (at most 804). The session answer is the 12 bytes after the 804th when the input is
// longer, else the input's first 12 bytes (so short inputs reach the session rules too).
// The record's bytes past tocBytes are poisoned: reading them is an AddressSanitizer error.
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "disc/track_table.h"

namespace {

// Stops the run, so that libFuzzer keeps the input, when a property does not hold.
[[noreturn]] void Fail(const char* property, int line) {
    std::fprintf(stderr, "toc_fuzzer: %s failed at line %d\n", property, line);
    std::abort();
}
#define FUZZ_CHECK(property) ((property) ? void(0) : Fail(#property, __LINE__))

bool IsZero(const TrackEntry& entry) {
    const TrackEntry zero = {};
    return std::memcmp(&entry, &zero, sizeof zero) == 0;
}

// The shown start is the start address in minutes, seconds and frames.
void CheckStart(const TrackEntry& entry) {
    FUZZ_CHECK(entry.startLba >= 0);
    const Msf msf = LbaToMsf(entry.startLba);
    FUZZ_CHECK(entry.startM == msf.minutes && entry.startS == msf.seconds &&
               entry.startF == msf.frames);
}

// withData: the answer holds a data track, which may leave a gap between two entries.
void CheckTable(int count, const TrackEntry* tracks, bool withData) {
    FUZZ_CHECK(count >= 0 && count <= kMaxAudioTracks);
    for (int i = 0; i < kTrackTableSize; ++i) FUZZ_CHECK(tracks[i].selected == 0);
    if (count == 0) {
        for (int i = 0; i < kTrackTableSize; ++i) FUZZ_CHECK(IsZero(tracks[i]));
        return;
    }
    for (int i = 0; i < count; ++i) {
        const TrackEntry& track = tracks[i];
        CheckStart(track);
        FUZZ_CHECK(track.lengthFrames > 0);
        FUZZ_CHECK(track.seconds >= 0 && track.seconds <= 59 && track.minutes >= 0);
        // The shown length is the length rounded up to whole seconds.
        const int64_t shown = int64_t{track.minutes} * kFramesPerMinute +
                              int64_t{track.seconds} * kFramesPerSecond;
        FUZZ_CHECK(shown >= track.lengthFrames && shown - track.lengthFrames < kFramesPerSecond);
        // A track ends where the next begins, or before it when a data track lies between.
        const int64_t end = int64_t{track.startLba} + track.lengthFrames;
        if (i + 1 == count || !withData) {
            FUZZ_CHECK(tracks[i + 1].startLba == end);
        } else {
            FUZZ_CHECK(tracks[i + 1].startLba >= end);
        }
    }
    const TrackEntry& end = tracks[count];
    CheckStart(end);
    FUZZ_CHECK(end.lengthFrames == 0 && end.minutes == 0 && end.seconds == 0);
    for (int i = count + 1; i < kTrackTableSize; ++i) FUZZ_CHECK(IsZero(tracks[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t tocBytes = std::min(size, sizeof(TocRecord));
    std::unique_ptr<TocRecord> toc(new TocRecord());
    if (tocBytes > 0) std::memcpy(toc.get(), data, tocBytes);

    TocSessionRecord sessionRecord = {};
    const size_t sessionFrom = size > sizeof(TocRecord) ? sizeof(TocRecord) : 0;
    const size_t sessionBytes = std::min(sizeof sessionRecord, size - sessionFrom);
    if (sessionBytes > 0) std::memcpy(&sessionRecord, data + sessionFrom, sessionBytes);
    const SessionInfo sessions = SessionInfoFromRecord(sessionRecord);

    std::unique_ptr<TrackEntry[]> tracks(new TrackEntry[kTrackTableSize]);
    std::memset(tracks.get(), 0x5A, sizeof(TrackEntry) * kTrackTableSize);  // stale bytes

    uint8_t* const unanswered = reinterpret_cast<uint8_t*>(toc.get()) + tocBytes;
    ASAN_POISON_MEMORY_REGION(unanswered, sizeof(TocRecord) - tocBytes);
    const int count = BuildTrackTable(*toc, tocBytes, sessions, tracks.get());
    ASAN_UNPOISON_MEMORY_REGION(unanswered, sizeof(TocRecord) - tocBytes);

    bool withData = false;
    if (count > 0) {
        // A table is built only from an answer whose Length field covers every entry it
        // claims: the tracks from first to last and the lead-out.
        const int entries = toc->lastTrack - toc->firstTrack + 2;
        FUZZ_CHECK(2 + ((toc->length[0] << 8) | toc->length[1]) >= 4 + 8 * entries);
        for (int k = 0; k + 1 < entries; ++k) {
            withData = withData || (toc->trackData[k].controlAdr & kDataTrackControlBit) != 0;
        }
    }
    CheckTable(count, tracks.get(), withData);
    return 0;
}
