// The track table built from TOC records as drives return them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "disc/track_table.h"

namespace {

struct TocLine {
    int control;
    int lba;  // start; the last line is the lead-out
};

struct TocAnswer {
    TocRecord record;
    size_t bytes;
};

// A TOC answer as a drive fills it: tracks numbered from firstTrack, then the lead-out.
TocAnswer MakeToc(int firstTrack, const std::vector<TocLine>& lines) {
    TocAnswer answer;
    std::memset(&answer.record, 0, sizeof answer.record);
    const int entries = static_cast<int>(lines.size());
    const int length = 2 + 8 * entries;
    answer.record.length[0] = static_cast<uint8_t>(length >> 8);
    answer.record.length[1] = static_cast<uint8_t>(length);
    answer.record.firstTrack = static_cast<uint8_t>(firstTrack);
    answer.record.lastTrack = static_cast<uint8_t>(firstTrack + entries - 2);
    for (int k = 0; k < entries; ++k) {
        TocTrackData& entry = answer.record.trackData[k];
        const Msf msf = LbaToMsf(lines[k].lba);
        entry.controlAdr = static_cast<uint8_t>(0x10 | lines[k].control);
        entry.trackNumber = static_cast<uint8_t>(k == entries - 1 ? kLeadOutTrackNumber : firstTrack + k);
        entry.address[1] = static_cast<uint8_t>(msf.minutes);
        entry.address[2] = static_cast<uint8_t>(msf.seconds);
        entry.address[3] = static_cast<uint8_t>(msf.frames);
    }
    answer.bytes = static_cast<size_t>(length) + 2;
    return answer;
}

const SessionInfo kNoSessions = {};

struct Table {
    TrackEntry tracks[kTrackTableSize];
    int count;
};

Table Build(const TocAnswer& toc, const SessionInfo& sessions = kNoSessions) {
    Table table;
    std::memset(table.tracks, 0x5A, sizeof table.tracks);  // stale bytes must not survive
    table.count = BuildTrackTable(toc.record, toc.bytes, sessions, table.tracks);
    return table;
}

void ExpectZeroFrom(const Table& table, int first) {
    const TrackEntry zero = {};
    for (int i = first; i < kTrackTableSize; ++i)
        EXPECT_EQ(0, std::memcmp(&zero, &table.tracks[i], sizeof zero)) << "entry " << i;
}

TEST(TrackTable, AudioOnlyDisc) {
    const Table table = Build(MakeToc(1, {{0, 0}, {0, 13500}, {0, 13501 + 13500}, {0, 40000}}));
    ASSERT_EQ(3, table.count);
    EXPECT_EQ(0, table.tracks[0].startLba);
    EXPECT_EQ(13500, table.tracks[0].lengthFrames);
    EXPECT_EQ(3, table.tracks[0].minutes);
    EXPECT_EQ(0, table.tracks[0].seconds);
    EXPECT_EQ(0, table.tracks[0].startM);
    EXPECT_EQ(2, table.tracks[0].startS);
    EXPECT_EQ(0, table.tracks[0].startF);
    EXPECT_EQ(13501, table.tracks[1].lengthFrames);
    EXPECT_EQ(3, table.tracks[1].minutes);
    EXPECT_EQ(1, table.tracks[1].seconds);
    // The end entry carries the lead-out's address and nothing else.
    const TrackEntry& end = table.tracks[3];
    EXPECT_EQ(40000, end.startLba);
    EXPECT_EQ(8, end.startM);
    EXPECT_EQ(55, end.startS);
    EXPECT_EQ(25, end.startF);
    EXPECT_EQ(0, end.lengthFrames);
    EXPECT_EQ(0, end.minutes);
    EXPECT_EQ(0, end.seconds);
    for (int i = 0; i <= 3; ++i) EXPECT_EQ(0, table.tracks[i].selected);
    ExpectZeroFrom(table, 4);
}

TEST(TrackTable, DataTrackFirstShiftsPositions) {
    const Table table = Build(MakeToc(1, {{4, 0}, {0, 3000}, {0, 9000}, {0, 12000}}));
    ASSERT_EQ(2, table.count);
    EXPECT_EQ(3000, table.tracks[0].startLba);  // disc track 2 at position 0
    EXPECT_EQ(6000, table.tracks[0].lengthFrames);
    EXPECT_EQ(12000, table.tracks[2].startLba);
}

TEST(TrackTable, DataTrackBetweenAudioTracks) {
    const Table table = Build(MakeToc(1, {{0, 0}, {4, 1000}, {0, 2000}, {0, 3000}}));
    ASSERT_EQ(2, table.count);
    EXPECT_EQ(1000, table.tracks[0].lengthFrames);  // ends where the data track starts
    EXPECT_EQ(2000, table.tracks[1].startLba);
    EXPECT_EQ(3000, table.tracks[2].startLba);
}

// A copy-permitted data track carries Control 6: it is data, not audio.
TEST(TrackTable, ControlSixIsData) {
    const Table table = Build(MakeToc(1, {{0, 0}, {6, 1000}, {0, 2000}}));
    ASSERT_EQ(1, table.count);
    EXPECT_EQ(1000, table.tracks[0].lengthFrames);
    EXPECT_EQ(1000, table.tracks[1].startLba);
}

TEST(TrackTable, CopyPermittedAudioStaysAudio) {
    const Table table = Build(MakeToc(1, {{2, 0}, {0, 1000}}));
    EXPECT_EQ(1, table.count);
}

// Enhanced CD: the last audio track of session 1 ends at that session's lead-out.
TEST(TrackTable, DataTrackInLastSession) {
    struct Case {
        int lastSession;
        int gap;
    };
    for (const Case& c : {Case{2, 11400}, Case{3, 6900}}) {
        const int sessionEnd = 20000;
        const TocAnswer toc = MakeToc(1, {{0, 0}, {0, 9000}, {4, sessionEnd + c.gap}, {0, 60000}});
        const SessionInfo sessions = {1, c.lastSession, 3};
        const Table table = Build(toc, sessions);
        ASSERT_EQ(2, table.count) << "session " << c.lastSession;
        EXPECT_EQ(sessionEnd - 9000, table.tracks[1].lengthFrames);
        const Msf end = LbaToMsf(sessionEnd);
        EXPECT_EQ(sessionEnd, table.tracks[2].startLba);
        EXPECT_EQ(end.minutes, table.tracks[2].startM);
        EXPECT_EQ(end.seconds, table.tracks[2].startS);
        EXPECT_EQ(end.frames, table.tracks[2].startF);

        // A drive that cannot tell its sessions: the track runs to the data track.
        const Table unknown = Build(toc);
        EXPECT_EQ(sessionEnd + c.gap - 9000, unknown.tracks[1].lengthFrames);
    }
}

TEST(TrackTable, SessionRecordIsRead) {
    TocSessionRecord record = {};
    record.firstCompleteSession = 1;
    record.lastCompleteSession = 2;
    record.trackData[0].trackNumber = 5;
    const SessionInfo info = SessionInfoFromRecord(record);
    EXPECT_EQ(1, info.known);
    EXPECT_EQ(2, info.lastSession);
    EXPECT_EQ(5, info.firstTrackOfLastSession);
    EXPECT_EQ(0, SessionInfoFromRecord(TocSessionRecord{}).known);
}

TEST(TrackTable, NinetyNineTracks) {
    std::vector<TocLine> lines;
    for (int k = 0; k <= 99; ++k) lines.push_back({0, k * 300});
    const Table table = Build(MakeToc(1, lines));
    ASSERT_EQ(99, table.count);
    EXPECT_EQ(98 * 300, table.tracks[98].startLba);
    EXPECT_EQ(300, table.tracks[98].lengthFrames);
    EXPECT_EQ(99 * 300, table.tracks[99].startLba);
}

TEST(TrackTable, OnlyDataTracksHaveNoAudio) {
    EXPECT_EQ(0, Build(MakeToc(1, {{4, 0}, {4, 1000}, {0, 2000}})).count);
}

// Every malformed answer is a table of contents that cannot be read: count 0 and a
// table with nothing in it.
TEST(TrackTable, MalformedAnswersAreRejected) {
    const TocAnswer good = MakeToc(1, {{0, 0}, {0, 1000}, {0, 2000}});
    struct Case {
        const char* what;
        void (*spoil)(TocAnswer&);
    };
    const Case cases[] = {
        {"empty track range", [](TocAnswer& t) { t.record.lastTrack = 0; }},
        {"last below first", [](TocAnswer& t) { t.record.firstTrack = 3; t.record.lastTrack = 2; }},
        {"first track 0", [](TocAnswer& t) { t.record.firstTrack = 0; }},
        {"last track above 99", [](TocAnswer& t) { t.record.lastTrack = 100; }},
        {"last track 0xFF", [](TocAnswer& t) { t.record.firstTrack = 1; t.record.lastTrack = 255; }},
        {"Length short of the entries", [](TocAnswer& t) { t.record.length[1] = 2 + 8 * 2; }},
        {"answer shorter than the entries", [](TocAnswer& t) { t.bytes = 4 + 8 * 2; }},
        {"answer of two bytes", [](TocAnswer& t) { t.bytes = 2; }},
        {"seconds 60", [](TocAnswer& t) { t.record.trackData[1].address[2] = 60; }},
        {"frames 75", [](TocAnswer& t) { t.record.trackData[0].address[3] = 75; }},
        {"start before 00:02:00", [](TocAnswer& t) { t.record.trackData[0].address[2] = 1; }},
        {"addresses decreasing", [](TocAnswer& t) { t.record.trackData[2].address[1] = 0; t.record.trackData[2].address[2] = 3; }},
        {"two tracks at one address", [](TocAnswer& t) { t.record.trackData[1] = t.record.trackData[0]; }},
    };
    ASSERT_EQ(2, Build(good).count);
    for (const Case& c : cases) {
        TocAnswer toc = good;
        c.spoil(toc);
        const Table table = Build(toc);
        EXPECT_EQ(0, table.count) << c.what;
        ExpectZeroFrom(table, 0);
    }
}

TEST(TrackLength, RoundsUpAndCarries) {
    struct Case {
        int32_t frames;
        int minutes, seconds;
    };
    const Case cases[] = {
        {3 * 4500, 3, 0},
        {3 * 4500 + 1, 3, 1},
        {3 * 4500 + 59 * 75, 3, 59},
        {3 * 4500 + 59 * 75 + 10, 4, 0},  // not 03:60
        {4500 - 1, 1, 0},
        {1, 0, 1},
        {74 * 4500, 74, 0},
    };
    for (const Case& c : cases) {
        TrackEntry entry = {};
        SetTrackLength(entry, c.frames);
        EXPECT_EQ(c.frames, entry.lengthFrames);
        EXPECT_EQ(c.minutes, entry.minutes) << c.frames;
        EXPECT_EQ(c.seconds, entry.seconds) << c.frames;
    }
}

}  // namespace
