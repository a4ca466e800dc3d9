// Opening the drive, the track table, the same-disc check and the play commands, each
// checked against what the emulated drive was asked and what the user was shown.
#include "test_support.h"

#include "disc/disc_access.h"
#include "disc/playback.h"

namespace {

using Lines = std::vector<std::string>;

class DiscAccess : public DriveTest {
protected:
    std::string PlayLine(int startLba, int endLba, const char* result = "ok") {
        return "PLAY_AUDIO_MSF E: " + MsfText(startLba) + " " + MsfText(endLba) + " " + result;
    }
};

const Lines kTocRead = {"OPEN E:", "READ_TOC E: ok", "GET_LAST_SESSION E: ok", "CLOSE E:"};

FixtureDisc EnhancedDisc() {
    FixtureDisc disc = AudioDisc({300, 450});
    FixtureTrack data;
    data.kind = FixtureTrack::Mode1Raw;
    data.frames = 200;
    data.session = 2;
    disc.tracks.push_back(data);
    return disc;
}

TEST_F(DiscAccess, ReadsTheAudioTracks) {
    InsertDisc(AudioDisc({13500, 13501, 75}));
    UiCatcher ui;
    ASSERT_EQ(3, ReadTrackTable(discContext));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(kTocRead, Journal());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(FixtureTrackStartLba(disc_, i), discContext.tracks[i].startLba);
        EXPECT_EQ(disc_.tracks[i].frames, discContext.tracks[i].lengthFrames);
        EXPECT_EQ(0, discContext.tracks[i].selected);
    }
    EXPECT_EQ(3, discContext.tracks[1].minutes);
    EXPECT_EQ(1, discContext.tracks[1].seconds);
    EXPECT_EQ(FixtureLeadOutLba(disc_), discContext.tracks[3].startLba);
    EXPECT_EQ(NULL, discContext.device);
}

// The last audio track of an Enhanced CD ends where its session does, so it can be read.
TEST_F(DiscAccess, EnhancedDiscEndsAtTheFirstSession) {
    InsertDisc(EnhancedDisc());
    ASSERT_EQ(2, ReadTrackTable(discContext));
    EXPECT_EQ(450, discContext.tracks[1].lengthFrames);
    EXPECT_EQ(FixtureTrackStartLba(disc_, 2) - 11400, discContext.tracks[2].startLba);
}

TEST_F(DiscAccess, CopyPermittedDataTrackIsNotAudio) {
    FixtureDisc disc = AudioDisc({300, 200, 100});
    disc.tracks[1].kind = FixtureTrack::Mode1Raw;
    disc.remLines.push_back("EMULATOR CONTROL 02 6");
    InsertDisc(disc);
    ASSERT_EQ(2, ReadTrackTable(discContext));
    EXPECT_EQ(FixtureTrackStartLba(disc, 2), discContext.tracks[1].startLba);
}

TEST_F(DiscAccess, NoReadableAudioTableOfContents) {
    struct Case {
        const char* what;
        std::function<std::string(DiscAccess&)> drives;
        Lines journal;
    };
    FixtureDisc dataOnly = AudioDisc({300});
    dataOnly.tracks[0].kind = FixtureTrack::Mode1Raw;
    FixtureDisc notReady = AudioDisc({300});
    notReady.remLines.push_back("EMULATOR NO_TOC");
    const Case cases[] = {
        {"empty drive", [](DiscAccess&) { return std::string("E="); },
         {"OPEN E:", "READ_TOC E: failed", "CLOSE E:"}},
        {"drive not ready", [&](DiscAccess& t) { return "E=" + t.MakeDisc("notready", notReady); },
         {"OPEN E:", "READ_TOC E: failed", "CLOSE E:"}},
        {"only data tracks", [&](DiscAccess& t) { return "E=" + t.MakeDisc("data", dataOnly); },
         kTocRead},
        {"sheet that cannot be read",
         [](DiscAccess& t) {
             WriteWholeFile(t.folder_ + "\\bad.cue", "this is not a cue sheet\r\n");
             return "E=" + t.folder_ + "\\bad.cue";
         },
         {"OPEN E:", "READ_TOC E: failed", "CLOSE E:"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetDrives(c.drives(*this));
        OpenMainWindow();
        ClearJournal();
        UiCatcher ui;
        EXPECT_EQ(0, ReadTrackTable(discContext));
        EXPECT_EQ(0, discContext.trackCount);
        ExpectOnlyMessage(ui, "Please insert AUDIO-CD compact disk and try again!", "error");
        EXPECT_EQ(c.journal, Journal());
        CloseMainWindow();
    }
}

TEST_F(DiscAccess, NoDriveToOpen) {
    OpenMainWindow();  // no CD-ROM drive at all: the list is empty
    UiCatcher ui;
    EXPECT_EQ(0, ReadTrackTable(discContext));
    ExpectOnlyMessage(ui, "Can not create the device!", "error");
    EXPECT_TRUE(Journal().empty());
}

TEST_F(DiscAccess, DriveThatCannotBeOpened) {
    SetDrives("E=");
    OpenMainWindow();
    SetDrives("");  // the drive went away after the list was made
    ClearJournal();
    UiCatcher ui;
    EXPECT_EQ(0, OpenDrive(discContext));
    ExpectOnlyMessage(ui, "Can not create the device!", "error");
    EXPECT_EQ(Lines{"OPEN E: failed"}, Journal());
}

TEST_F(DiscAccess, SameDiscKeepsTheTicks) {
    InsertDisc(AudioDisc({300, 400, 500}));
    ASSERT_EQ(3, ReadTrackTable(discContext));
    discContext.tracks[0].selected = 1;
    discContext.tracks[2].selected = 1;
    UiCatcher ui;
    EXPECT_EQ(1, ConfirmSameDisc(discContext));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(1, discContext.tracks[0].selected);
    EXPECT_EQ(0, discContext.tracks[1].selected);
    EXPECT_EQ(1, discContext.tracks[2].selected);
}

TEST_F(DiscAccess, ChangedDiscClearsTheTicks) {
    InsertDisc(AudioDisc({300, 400, 500}));
    ASSERT_EQ(3, ReadTrackTable(discContext));
    discContext.tracks[0].selected = 1;
    MakeDisc("disc", AudioDisc({300, 400, 501}));  // another disc in the same drive
    UiCatcher ui;
    EXPECT_EQ(0, ConfirmSameDisc(discContext));
    ExpectOnlyMessage(ui, "The Audio CD disk is not the same. Please try again.", "information");
    EXPECT_EQ(3, discContext.trackCount);
    EXPECT_EQ(501, discContext.tracks[2].lengthFrames);
    EXPECT_EQ(0, discContext.tracks[0].selected);
}

TEST_F(DiscAccess, DiscWithMoreTracksIsNotTheSame) {
    InsertDisc(AudioDisc({300, 400}));
    ASSERT_EQ(2, ReadTrackTable(discContext));
    MakeDisc("disc", AudioDisc({300, 400, 500}));
    UiCatcher ui;
    EXPECT_EQ(0, ConfirmSameDisc(discContext));
    ExpectOnlyMessage(ui, "The Audio CD disk is not the same. Please try again.", "information");
}

TEST_F(DiscAccess, DriveEmptiedBetweenTheReads) {
    InsertDisc(AudioDisc({300, 400}));
    ASSERT_EQ(2, ReadTrackTable(discContext));
    discContext.tracks[0].selected = 1;
    DeleteFileA(cue_.c_str());
    UiCatcher ui;
    EXPECT_EQ(0, ConfirmSameDisc(discContext));
    ExpectOnlyMessage(ui, "Please insert AUDIO-CD compact disk and try again!", "error");
    EXPECT_EQ(0, discContext.trackCount);
    EXPECT_EQ(0, discContext.tracks[0].selected);
    EXPECT_EQ(0, discContext.tracks[0].startLba);
}

TEST_F(DiscAccess, PlayRanges) {
    const FixtureDisc disc = AudioDisc({300, 400, 500, 600});
    struct Case {
        int index;
        int from;  // track whose start begins the range
        int to;    // track whose start ends it; 4 is the lead-out
    };
    const Case cases[] = {{0, 0, 4}, {1, 1, 2}, {2, 2, 3}, {3, 3, 4}};
    InsertDisc(disc);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        ClearJournal();
        discContext.playing = 0;
        UiCatcher ui;
        PlayRange(discContext, c.index);
        EXPECT_TRUE(ui.messages.empty());
        const int end = c.to == 4 ? FixtureLeadOutLba(disc) : FixtureTrackStartLba(disc, c.to);
        Lines expected = kTocRead;
        expected.insert(expected.end(),
                        {"OPEN E:", PlayLine(FixtureTrackStartLba(disc, c.from), end), "CLOSE E:"});
        EXPECT_EQ(expected, Journal());
        EXPECT_EQ(1, discContext.playing);
    }
}

TEST_F(DiscAccess, PlayingAnEnhancedDiscStopsAtItsAudio) {
    InsertDisc(EnhancedDisc());
    PlayRange(discContext, 0);
    const Lines journal = Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(PlayLine(0, FixtureTrackStartLba(disc_, 2) - 11400), journal[journal.size() - 2]);
}

TEST_F(DiscAccess, PlayRefused) {
    FixtureDisc disc = AudioDisc({300});
    disc.remLines.push_back("EMULATOR PLAY_REFUSED");
    InsertDisc(disc);
    UiCatcher ui;
    PlayRange(discContext, 0);
    ExpectOnlyMessage(ui, "Please insert AUDIO-CD compact disk and try again!", "error");
    EXPECT_EQ(0, discContext.playing);
    EXPECT_EQ("CLOSE E:", Journal().back());
}

TEST_F(DiscAccess, PauseAndResume) {
    InsertDisc(AudioDisc({300, 400}));
    // Nothing played since start: the first press resumes.
    TogglePause(discContext);
    EXPECT_EQ(1, discContext.playing);
    TogglePause(discContext);
    EXPECT_EQ(0, discContext.playing);
    PlayRange(discContext, 0);
    ClearJournal();
    TogglePause(discContext);
    TogglePause(discContext);
    const Lines expected = {"OPEN E:", "PAUSE_AUDIO E: ok",  "CLOSE E:",
                            "OPEN E:", "RESUME_AUDIO E: ok", "CLOSE E:"};
    EXPECT_EQ(expected, Journal());
    EXPECT_EQ(1, discContext.playing);
}

TEST_F(DiscAccess, FirstPressResumesThenPauses) {
    InsertDisc(AudioDisc({300}));
    TogglePause(discContext);
    TogglePause(discContext);
    const Lines journal = Journal();
    ASSERT_EQ(6u, journal.size());
    EXPECT_EQ(0u, journal[1].find("RESUME_AUDIO E: "));
    EXPECT_EQ(0u, journal[4].find("PAUSE_AUDIO E: "));
}

TEST_F(DiscAccess, StopWithNoDrive) {
    OpenMainWindow();
    discContext.playing = 1;
    UiCatcher ui;
    StopAudio(discContext);
    EXPECT_EQ(0, discContext.playing);
    ExpectOnlyMessage(ui, "Can not create the device!", "error");
}

TEST_F(DiscAccess, Stop) {
    InsertDisc(AudioDisc({300}));
    PlayRange(discContext, 0);
    ClearJournal();
    StopAudio(discContext);
    EXPECT_EQ(0, discContext.playing);
    EXPECT_EQ((Lines{"OPEN E:", "STOP_AUDIO E: ok", "CLOSE E:"}), Journal());
}

}  // namespace
