// The emulated drive's answers over disc images written here by hand: table of contents,
// sessions, raw reads with their faults, play, and the journal's lines.
#include "emulator/emulated_disc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const int kSector = 2352;

// A fresh folder for the running test.
std::string TestDir() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) /
        ("korvello-disc-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
}

void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Bytes that differ from sector to sector and file to file.
std::vector<uint8_t> Pattern(size_t bytes, uint32_t seed) {
    std::vector<uint8_t> pattern(bytes);
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : pattern) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return pattern;
}

void Append(std::vector<uint8_t>* to, const std::vector<uint8_t>& bytes) {
    to->insert(to->end(), bytes.begin(), bytes.end());
}

// A disc loaded for one test, closed at its end.
struct LoadedDisc {
    EmulatedDisc disc;
    explicit LoadedDisc(const std::string& cuePath) { OpenEmulatedDisc(cuePath, &disc); }
    ~LoadedDisc() { CloseEmulatedDisc(&disc); }
};

int RawRead(EmulatedDisc* disc, int64_t lba, uint32_t count, std::vector<uint8_t>* out,
            DriveFailure* failure) {
    out->assign(static_cast<size_t>(count) * kSector, 0xEE);
    const RawReadRecord request{lba * 2048, count, kTrackModeCdda};
    return AnswerRawRead(disc, request, out->data(), static_cast<uint32_t>(out->size()), failure);
}

std::vector<uint8_t> Toc(const EmulatedDisc& disc) {
    std::vector<uint8_t> toc(sizeof(TocRecord), 0xEE);
    DriveFailure failure = kDriveNoFailure;
    const int bytes = AnswerReadToc(disc, toc.data(), static_cast<uint32_t>(toc.size()), &failure);
    EXPECT_GT(bytes, 0);
    EXPECT_TRUE(std::all_of(toc.begin() + bytes, toc.end(), [](uint8_t b) { return b == 0xEE; }))
        << "bytes past the answer are left alone";
    toc.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
    return toc;
}

std::vector<uint8_t> Session(const EmulatedDisc& disc) {
    std::vector<uint8_t> record(sizeof(TocSessionRecord));
    DriveFailure failure = kDriveNoFailure;
    const int bytes = AnswerLastSession(disc, record.data(), static_cast<uint32_t>(record.size()), &failure);
    EXPECT_EQ(bytes, 12);
    return record;
}

// Two audio tracks in session 1 (75 sectors each, one file), a MODE1/2352 track of 100
// sectors in session 2.
std::string WriteEnhancedDisc(const std::string& dir, const std::string& extraLines = "") {
    WriteFile(dir + "audio.bin", Pattern(150 * kSector, 1));
    WriteFile(dir + "data.bin", Pattern(100 * kSector, 2));
    WriteText(dir + "enhanced.cue",
              extraLines +
              "REM SESSION 01\nFILE \"audio.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n"
              "REM SESSION 02\nFILE \"data.bin\" BINARY\n  TRACK 03 MODE1/2352\n    INDEX 01 00:00:00\n");
    return dir + "enhanced.cue";
}

TEST(EmulatedDisc, TocOfAnAudioDisc) {
    const std::string dir = TestDir();
    WriteFile(dir + "one.bin", Pattern(100 * kSector, 1));
    WriteFile(dir + "two.bin", Pattern(200 * kSector, 2));
    WriteFile(dir + "three.bin", Pattern(300 * kSector, 3));
    WriteText(dir + "audio.cue",
              "FILE \"one.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
              "FILE \"two.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:00:10\n"
              "FILE \"three.bin\" BINARY\n  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n");
    LoadedDisc loaded(dir + "audio.cue");
    ASSERT_EQ(loaded.disc.state, kDiscReady) << loaded.disc.problem;
    // Starts at LBA 0, 110 and 300, lead-out at 600: MSF 00:02:00, 00:03:35, 00:06:00, 00:10:00.
    const std::vector<uint8_t> expected = {
        0x00, 0x22, 1, 3,
        0, 0x10, 1, 0, 0, 0, 2, 0,
        0, 0x10, 2, 0, 0, 0, 3, 35,
        0, 0x10, 3, 0, 0, 0, 6, 0,
        0, 0x10, 0xAA, 0, 0, 0, 10, 0};
    EXPECT_EQ(Toc(loaded.disc), expected);
    EXPECT_EQ(Session(loaded.disc), (std::vector<uint8_t>{0, 10, 1, 1, 0, 0x10, 1, 0, 0, 0, 2, 0}));
}

TEST(EmulatedDisc, TocOfAnEnhancedCd) {
    const std::string dir = TestDir();
    LoadedDisc loaded(WriteEnhancedDisc(dir, "REM EMULATOR CONTROL 1 6\n"));
    ASSERT_EQ(loaded.disc.state, kDiscReady) << loaded.disc.problem;
    // Session 1 ends at 150; the data track starts 11400 later, at 11550 (02:36:00), and
    // the lead-out follows it at 11650 (02:37:25).
    const std::vector<uint8_t> expected = {
        0x00, 0x22, 1, 3,
        0, 0x16, 1, 0, 0, 0, 2, 0,
        0, 0x10, 2, 0, 0, 0, 3, 0,
        0, 0x14, 3, 0, 0, 2, 36, 0,
        0, 0x14, 0xAA, 0, 0, 2, 37, 25};
    EXPECT_EQ(Toc(loaded.disc), expected);
    EXPECT_EQ(Session(loaded.disc), (std::vector<uint8_t>{0, 10, 1, 2, 0, 0x14, 3, 0, 0, 2, 36, 0}));
}

TEST(EmulatedDisc, TocCannotBeReadFromDiscsThatAreNotThere) {
    const std::string dir = TestDir();
    const std::string good = WriteEnhancedDisc(dir);
    WriteText(dir + "no-toc.cue", "REM EMULATOR NO_TOC\nFILE \"audio.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    WriteText(dir + "garbage.cue", "this is not a sheet\n");
    WriteText(dir + "missing.cue", "FILE \"nowhere.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    std::vector<uint8_t> cut = Pattern(100 * kSector - 1000, 4);
    WriteFile(dir + "cut.bin", cut);
    WriteText(dir + "cut.cue", "FILE \"cut.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    WriteText(dir + "before-index.cue",
              "FILE \"audio.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:02:00\n");
    struct Case { const char* why; std::string cuePath; DiscState state; };
    const Case cases[] = {
        {"no disc", "", kDiscAbsent},
        {"sheet gone", dir + "gone.cue", kDiscAbsent},
        {"NO_TOC", dir + "no-toc.cue", kDiscReady},
        {"garbage sheet", dir + "garbage.cue", kDiscUnreadable},
        {"missing BIN", dir + "missing.cue", kDiscUnreadable},
        {"BIN cut short", dir + "cut.cue", kDiscUnreadable},
        {"BIN ends before INDEX 01", dir + "before-index.cue", kDiscUnreadable},
    };
    for (const Case& c : cases) {
        LoadedDisc loaded(c.cuePath);
        EXPECT_EQ(loaded.disc.state, c.state) << c.why;
        EXPECT_EQ(loaded.disc.state == kDiscUnreadable, !loaded.disc.problem.empty()) << c.why;
        std::vector<uint8_t> out(sizeof(TocRecord));
        DriveFailure failure = kDriveNoFailure;
        EXPECT_EQ(AnswerReadToc(loaded.disc, out.data(), static_cast<uint32_t>(out.size()), &failure), 0) << c.why;
        EXPECT_EQ(failure, kDriveNotReady) << c.why;
        failure = kDriveNoFailure;
        EXPECT_EQ(AnswerLastSession(loaded.disc, out.data(), static_cast<uint32_t>(out.size()), &failure), 0) << c.why;
        EXPECT_EQ(failure, kDriveNotReady) << c.why;
        if (c.state != kDiscReady) {
            failure = kDriveNoFailure;
            EXPECT_EQ(RawRead(&loaded.disc, 0, 1, &out, &failure), 0) << c.why;
            EXPECT_EQ(failure, kDriveNotReady) << c.why;
        }
    }

    LoadedDisc loaded(good);
    std::vector<uint8_t> out(sizeof(TocRecord));
    DriveFailure failure = kDriveNoFailure;
    EXPECT_EQ(AnswerReadToc(loaded.disc, out.data(), sizeof(TocRecord) - 1, &failure), 0);
    EXPECT_EQ(failure, kDriveBufferTooSmall);
    EXPECT_EQ(AnswerLastSession(loaded.disc, out.data(), sizeof(TocSessionRecord) - 1, &failure), 0);
    EXPECT_EQ(failure, kDriveBufferTooSmall);
}

TEST(EmulatedDisc, ReopeningReadsTheSheetAnew) {
    const std::string dir = TestDir();
    const std::string cue = WriteEnhancedDisc(dir);
    EmulatedDisc disc;
    OpenEmulatedDisc(cue, &disc);
    EXPECT_EQ(disc.state, kDiscReady);
    EXPECT_EQ(disc.layout.tracks.size(), 3u);
    WriteText(cue, "FILE \"audio.bin\" BINARY\nTRACK 05 AUDIO\nINDEX 01 00:00:00\n");
    OpenEmulatedDisc(cue, &disc);
    ASSERT_EQ(disc.state, kDiscReady);
    ASSERT_EQ(disc.layout.tracks.size(), 1u);
    EXPECT_EQ(disc.layout.tracks[0].number, 5);
    std::filesystem::remove(cue);
    OpenEmulatedDisc(cue, &disc);
    EXPECT_EQ(disc.state, kDiscAbsent);
    EXPECT_TRUE(disc.files.empty());
    CloseEmulatedDisc(&disc);
}

TEST(EmulatedDisc, RawReadsGiveTheImagesSectors) {
    const std::string dir = TestDir();
    const std::vector<uint8_t> a = Pattern(100 * kSector, 1);
    const std::vector<uint8_t> b = Pattern(50 * kSector, 2);
    const std::vector<uint8_t> c = Pattern(20 * 2048, 3);
    WriteFile(dir + "a.bin", a);
    WriteFile(dir + "b.bin", b);
    WriteFile(dir + "c.iso", c);
    WriteText(dir + "disc.cue",
              "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    POSTGAP 00:00:05\n"
              "FILE \"b.bin\" BINARY\n  TRACK 02 AUDIO\n    PREGAP 00:00:03\n    INDEX 01 00:00:00\n"
              "FILE \"c.iso\" BINARY\n  TRACK 03 MODE1/2048\n    INDEX 01 00:00:00\n");
    // The disc as a drive reads it: a, 5 + 3 sectors of silence, b, then c's sectors framed
    // with sync pattern and header (BCD address, mode 1) and no error codes.
    std::vector<uint8_t> expected = a;
    expected.resize(expected.size() + 8 * kSector, 0);
    Append(&expected, b);
    for (int i = 0; i < 20; ++i) {
        const int address = 158 + i + 150;
        const int m = address / 4500, s = address / 75 % 60, f = address % 75;
        std::vector<uint8_t> sector = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
                                       static_cast<uint8_t>(m / 10 * 16 + m % 10),
                                       static_cast<uint8_t>(s / 10 * 16 + s % 10),
                                       static_cast<uint8_t>(f / 10 * 16 + f % 10), 1};
        sector.insert(sector.end(), c.begin() + i * 2048, c.begin() + (i + 1) * 2048);
        sector.resize(kSector, 0);
        Append(&expected, sector);
    }
    LoadedDisc loaded(dir + "disc.cue");
    ASSERT_EQ(loaded.disc.state, kDiscReady) << loaded.disc.problem;
    ASSERT_EQ(loaded.disc.layout.leadOutLba, 178);

    std::vector<uint8_t> out;
    DriveFailure failure = kDriveNoFailure;
    ASSERT_EQ(RawRead(&loaded.disc, 0, 178, &out, &failure), 178 * kSector);
    EXPECT_TRUE(out == expected) << "the whole disc in one read";

    for (uint32_t chunk : {1u, 7u, 26u}) {
        std::vector<uint8_t> joined;
        for (int lba = 0; lba < 178; lba += static_cast<int>(chunk)) {
            const uint32_t count = std::min<uint32_t>(chunk, static_cast<uint32_t>(178 - lba));
            ASSERT_EQ(RawRead(&loaded.disc, lba, count, &out, &failure), static_cast<int>(count * kSector));
            Append(&joined, out);
        }
        EXPECT_TRUE(joined == expected) << "in reads of " << chunk;
    }
    for (int lba = 177; lba >= 0; lba -= 13) {
        ASSERT_EQ(RawRead(&loaded.disc, lba, 1, &out, &failure), kSector);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), expected.begin() + lba * kSector)) << "backwards, at " << lba;
    }
}

TEST(EmulatedDisc, RawReadsFailOutsideTheDiscsSectors) {
    const std::string dir = TestDir();
    LoadedDisc loaded(WriteEnhancedDisc(dir, "REM EMULATOR READ_ERROR 30\n"));
    ASSERT_EQ(loaded.disc.state, kDiscReady) << loaded.disc.problem;
    struct Case { const char* why; int64_t diskOffset; uint32_t count; uint32_t mode; int outputShort; DriveFailure failure; };
    const Case cases[] = {
        {"before LBA 0", -2048, 1, kTrackModeCdda, 0, kDriveBadRequest},
        {"at the lead-out", 11650 * 2048, 1, kTrackModeCdda, 0, kDriveBadRequest},
        {"across the lead-out", 11649 * 2048, 2, kTrackModeCdda, 0, kDriveBadRequest},
        {"far past the disc", INT64_MAX, 1, kTrackModeCdda, 0, kDriveBadRequest},
        {"count past any disc", 0, 0xFFFFFFFFu, kTrackModeCdda, 0, kDriveBadRequest},
        {"session 1 lead-out", 150 * 2048, 1, kTrackModeCdda, 0, kDriveBadRequest},
        {"into the session gap", 149 * 2048, 2, kTrackModeCdda, 0, kDriveBadRequest},
        {"end of the session gap", 11549 * 2048, 1, kTrackModeCdda, 0, kDriveBadRequest},
        {"out of the session gap", 11549 * 2048, 2, kTrackModeCdda, 0, kDriveBadRequest},
        {"READ_ERROR inside", 28 * 2048, 5, kTrackModeCdda, 0, kDriveUnreadableSector},
        {"READ_ERROR itself", 30 * 2048, 1, kTrackModeCdda, 0, kDriveUnreadableSector},
        {"not CDDA", 0, 1, 0, 0, kDriveBadRequest},
        {"no sectors", 0, 0, kTrackModeCdda, 0, kDriveBadRequest},
        {"output too small", 0, 2, kTrackModeCdda, 1, kDriveBufferTooSmall},
    };
    std::vector<uint8_t> out(8 * kSector);
    for (const Case& c : cases) {
        const RawReadRecord request{c.diskOffset, c.count, c.mode};
        DriveFailure failure = kDriveNoFailure;
        const uint32_t size = std::min<uint32_t>(static_cast<uint32_t>(out.size()), c.count * kSector - c.outputShort);
        EXPECT_EQ(AnswerRawRead(&loaded.disc, request, out.data(), size, &failure), 0) << c.why;
        EXPECT_EQ(failure, c.failure) << c.why;
    }
    DriveFailure failure = kDriveNoFailure;
    EXPECT_EQ(RawRead(&loaded.disc, 11550, 1, &out, &failure), kSector) << "first sector of session 2";
    EXPECT_EQ(RawRead(&loaded.disc, 31, 2, &out, &failure), 2 * kSector) << "just past READ_ERROR";
}

TEST(EmulatedDisc, ShortReadStopsHalfWayIntoItsSector) {
    const std::string dir = TestDir();
    const std::vector<uint8_t> image = Pattern(50 * kSector, 9);
    WriteFile(dir + "a.bin", image);
    WriteText(dir + "a.cue", "REM EMULATOR SHORT_READ 12\nFILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    LoadedDisc loaded(dir + "a.cue");
    ASSERT_EQ(loaded.disc.state, kDiscReady) << loaded.disc.problem;
    struct Case { int lba; uint32_t count; int bytes; };
    const Case cases[] = {{10, 4, 2 * kSector + kSector / 2}, {12, 1, kSector / 2}, {13, 2, 2 * kSector}};
    for (const Case& c : cases) {
        std::vector<uint8_t> out;
        DriveFailure failure = kDriveNoFailure;
        ASSERT_EQ(RawRead(&loaded.disc, c.lba, c.count, &out, &failure), c.bytes) << c.lba;
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + c.bytes, image.begin() + c.lba * kSector)) << c.lba;
        EXPECT_TRUE(std::all_of(out.begin() + c.bytes, out.end(), [](uint8_t b) { return b == 0xEE; }))
            << "the rest of the buffer is left alone, at " << c.lba;
    }
}

// A disc of 1000 sectors: the lead-out is at 00:15:25.
struct PlayFixture {
    std::string dir = TestDir();
    LoadedDisc loaded{Write(dir, "")};
    static std::string Write(const std::string& dir, const std::string& extra) {
        WriteFile(dir + "a.bin", std::vector<uint8_t>(1000 * kSector));
        WriteText(dir + "a.cue", extra + "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
        return dir + "a.cue";
    }
};

TEST(EmulatedDisc, PlayPauseResumeAndStop) {
    PlayFixture fixture;
    ASSERT_EQ(fixture.loaded.disc.state, kDiscReady);
    enum Action { Play, Pause, Resume, Stop };
    struct Step { Action action; int64_t atMs; PlayAudioMsfRecord range; int answered; PlayMode mode; };
    const PlayAudioMsfRecord whole{0, 2, 0, 0, 15, 25};
    const PlayAudioMsfRecord second{0, 5, 0, 0, 9, 0};
    const Step steps[] = {
        {Pause, 0, {}, 0, kPlayStopped},
        {Resume, 0, {}, 0, kPlayStopped},
        {Stop, 0, {}, 1, kPlayStopped},
        {Play, 1000, whole, 1, kPlayPlaying},
        {Resume, 1100, {}, 0, kPlayPlaying},
        {Pause, 3000, {}, 1, kPlayPaused},
        {Pause, 3100, {}, 0, kPlayPaused},
        {Resume, 9000, {}, 1, kPlayPlaying},
        {Play, 9500, second, 1, kPlayPlaying},
        {Stop, 9600, {}, 1, kPlayStopped},
        {Stop, 9700, {}, 1, kPlayStopped},
        {Pause, 9800, {}, 0, kPlayStopped},
        {Resume, 9900, {}, 0, kPlayStopped},
    };
    PlayState play;
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const Step& step = steps[i];
        DriveFailure failure = kDriveNoFailure;
        int answered = 0;
        switch (step.action) {
        case Play: answered = AnswerPlayAudioMsf(&play, fixture.loaded.disc, step.range, step.atMs, &failure); break;
        case Pause: answered = AnswerPauseAudio(&play, step.atMs, &failure); break;
        case Resume: answered = AnswerResumeAudio(&play, step.atMs, &failure); break;
        case Stop: answered = AnswerStopAudio(&play); break;
        }
        EXPECT_EQ(answered, step.answered) << "step " << i;
        EXPECT_EQ(play.mode, step.mode) << "step " << i;
        if (i == 5) {
            EXPECT_EQ(play.positionLba, 150) << "paused 2 s into play from LBA 0";
        }
        if (i == 8) {
            EXPECT_EQ(play.endLba, MsfToLba(0, 9, 0)) << "the new play replaced the old";
        }
    }
}

TEST(EmulatedDisc, PlayStopsAtTheEndOfItsRange) {
    PlayFixture fixture;
    PlayState play;
    DriveFailure failure = kDriveNoFailure;
    // 150 sectors: two seconds of play.
    ASSERT_EQ(AnswerPlayAudioMsf(&play, fixture.loaded.disc, {0, 2, 0, 0, 4, 0}, 0, &failure), 1);
    ASSERT_EQ(AnswerPauseAudio(&play, 1999, &failure), 1);
    EXPECT_EQ(play.positionLba, 149);
    ASSERT_EQ(AnswerResumeAudio(&play, 50000, &failure), 1);
    UpdatePlay(&play, 50013);
    EXPECT_EQ(play.mode, kPlayPlaying) << "not yet a frame's time";
    UpdatePlay(&play, 50014);
    EXPECT_EQ(play.mode, kPlayStopped);
    EXPECT_EQ(AnswerPauseAudio(&play, 50020, &failure), 0) << "nothing plays to pause";
}

TEST(EmulatedDisc, PlayRangesAreChecked) {
    PlayFixture fixture;
    const std::string refusing = PlayFixture::Write(fixture.dir + "refuse-", "REM EMULATOR PLAY_REFUSED\n");
    LoadedDisc refused(refusing);
    LoadedDisc absent("");
    struct Case { const char* why; const EmulatedDisc* disc; PlayAudioMsfRecord range; int answered; DriveFailure failure; };
    const Case cases[] = {
        {"whole disc", &fixture.loaded.disc, {0, 2, 0, 0, 15, 25}, 1, kDriveNoFailure},
        {"empty range", &fixture.loaded.disc, {0, 5, 0, 0, 5, 0}, 1, kDriveNoFailure},
        {"before 00:02:00", &fixture.loaded.disc, {0, 1, 74, 0, 5, 0}, 0, kDriveBadRequest},
        {"past the lead-out", &fixture.loaded.disc, {0, 2, 0, 0, 15, 26}, 0, kDriveBadRequest},
        {"ends before it starts", &fixture.loaded.disc, {0, 5, 0, 0, 4, 74}, 0, kDriveBadRequest},
        {"second 60", &fixture.loaded.disc, {0, 60, 0, 0, 15, 0}, 0, kDriveBadRequest},
        {"frame 75", &fixture.loaded.disc, {0, 2, 0, 0, 5, 75}, 0, kDriveBadRequest},
        {"no disc", &absent.disc, {0, 2, 0, 0, 5, 0}, 0, kDriveNotReady},
        {"play refused", &refused.disc, {0, 2, 0, 0, 5, 0}, 0, kDrivePlayRefused},
    };
    for (const Case& c : cases) {
        PlayState play;
        DriveFailure failure = kDriveNoFailure;
        ASSERT_EQ(AnswerPlayAudioMsf(&play, fixture.loaded.disc, {0, 3, 0, 0, 14, 0}, 0, &failure), 1);
        EXPECT_EQ(AnswerPlayAudioMsf(&play, *c.disc, c.range, 0, &failure), c.answered) << c.why;
        if (!c.answered) {
            EXPECT_EQ(failure, c.failure) << c.why;
            EXPECT_EQ(play.mode, kPlayPlaying) << c.why << ": a failed play leaves play as it was";
            EXPECT_EQ(play.endLba, MsfToLba(0, 14, 0)) << c.why;
        }
    }
}

TEST(EmulatedDisc, JournalLines) {
    struct Case { std::string line; const char* expected; };
    const Case cases[] = {
        {JournalLine("OPEN", 'E', nullptr), "OPEN E:"},
        {JournalLine("OPEN", 'Q', "failed"), "OPEN Q: failed"},
        {JournalLine("CLOSE", 'F', nullptr), "CLOSE F:"},
        {JournalLine("READ_TOC", 'E', "ok"), "READ_TOC E: ok"},
        {JournalLine("GET_LAST_SESSION", 'E', "failed"), "GET_LAST_SESSION E: failed"},
        {RawReadJournalLine('E', {1200 * 2048, 26, 2}, 26 * kSector), "RAW_READ E: 1200 26 ok"},
        {RawReadJournalLine('E', {0, 4, 2}, 2 * kSector + kSector / 2), "RAW_READ E: 0 4 short"},
        {RawReadJournalLine('E', {-2048, 1, 2}, 0), "RAW_READ E: -1 1 failed"},
        {RawReadJournalLine('E', {330000LL * 2048, 4000000000u, 2}, 0), "RAW_READ E: 330000 4000000000 failed"},
        {PlayJournalLine('E', {0, 2, 0, 3, 5, 7}, 1), "PLAY_AUDIO_MSF E: 00:02:00 03:05:07 ok"},
        {PlayJournalLine('G', {74, 59, 74, 99, 0, 1}, 0), "PLAY_AUDIO_MSF G: 74:59:74 99:00:01 failed"},
        {UnknownRequestJournalLine('E', 0x00024000), "IOCTL 0x00024000 E: failed"},
        {UnknownRequestJournalLine('E', 0x2D1400), "IOCTL 0x002D1400 E: failed"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.line, c.expected);
}

TEST(EmulatedDisc, DriveLettersAndTheDriveList) {
    struct Letter { const char* text; char device; char root; };
    const Letter letters[] = {
        {"\\\\.\\E:", 'E', 0}, {"\\\\.\\e:", 'E', 0}, {"//./F:", 'F', 0},
        {"\\\\.\\E:\\", 0, 0}, {"\\\\.\\1:", 0, 0}, {"\\\\?\\E:", 0, 0}, {"", 0, 0},
        {"E:", 0, 'E'}, {"e:\\", 0, 'E'}, {"Z:/", 0, 'Z'}, {"E:\\x", 0, 0}, {"E", 0, 0}, {"EE:", 0, 0},
    };
    for (const Letter& l : letters) {
        EXPECT_EQ(DeviceDriveLetter(l.text), l.device) << l.text;
        EXPECT_EQ(RootDriveLetter(l.text), l.root) << l.text;
    }
    EXPECT_EQ(DeviceDriveLetter(nullptr), 0);
    EXPECT_EQ(RootDriveLetter(nullptr), 0);

    const std::string list = "E=C:\\discs\\demo disc.cue; f= ;G=D:\\x.cue;H";
    struct Drive { char letter; int named; const char* cuePath; };
    const Drive drives[] = {
        {'E', 1, "C:\\discs\\demo disc.cue"}, {'e', 1, "C:\\discs\\demo disc.cue"},
        {'F', 1, ""}, {'G', 1, "D:\\x.cue"}, {'H', 0, ""}, {'C', 0, ""}, {0, 0, ""},
    };
    for (const Drive& d : drives) {
        std::string cuePath;
        EXPECT_EQ(FindEmulatedDrive(list, d.letter, &cuePath), d.named) << d.letter;
        EXPECT_EQ(cuePath, d.cuePath) << d.letter;
    }
    std::string cuePath;
    EXPECT_EQ(FindEmulatedDrive("", 'E', &cuePath), 0);
}

}  // namespace
