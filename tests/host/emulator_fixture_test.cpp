// Fixture discs: written, then read back through the emulated drive; their tones; and the
// short descriptions the make-disc tool takes.
#include "emulator/disc_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "emulator/emulated_disc.h"

namespace {

const int kSector = 2352;

std::string TestDir() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) /
        ("korvello-fixture-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

FixtureDisc Describe(const std::string& description) {
    FixtureDisc disc;
    std::string error;
    EXPECT_EQ(ParseFixtureDescription(description, &disc, &error), 1) << error;
    return disc;
}

std::vector<uint8_t> ReadSectors(EmulatedDisc* disc, int lba, int count) {
    std::vector<uint8_t> out(static_cast<size_t>(count) * kSector);
    DriveFailure failure = kDriveNoFailure;
    const RawReadRecord request{int64_t{lba} * 2048, static_cast<uint32_t>(count), kTrackModeCdda};
    EXPECT_EQ(AnswerRawRead(disc, request, out.data(), static_cast<uint32_t>(out.size()), &failure),
              count * kSector) << "at " << lba;
    return out;
}

// The left channel of 16-bit stereo samples.
std::vector<int> LeftChannel(const std::vector<uint8_t>& samples) {
    std::vector<int> left;
    for (size_t i = 0; i + 3 < samples.size(); i += 4) {
        left.push_back(static_cast<int16_t>(samples[i] | samples[i + 1] << 8));
    }
    return left;
}

TEST(DiscFixture, WrittenDiscsReadBackThroughTheEmulatedDrive) {
    const std::string common =
        "audio 100f 440Hz; audio 80f pregap 20f; data 30f; session 2; mode2 40f pregap 10f; "
        "audio 25f 1000Hz; session 3; ";
    struct Case { const char* why; std::string description; };
    const Case cases[] = {
        {"file per track", common + "data2048 12f; audio 6f"},
        {"one file", "onefile; " + common + "audio 6f"},
    };
    for (const Case& c : cases) {
        const FixtureDisc fixture = Describe(c.description);
        const std::string cuePath = WriteFixtureDisc(TestDir(), "disc", fixture);
        ASSERT_FALSE(cuePath.empty()) << c.why;
        EmulatedDisc disc;
        OpenEmulatedDisc(cuePath, &disc);
        ASSERT_EQ(disc.state, kDiscReady) << c.why << ": " << disc.problem;
        ASSERT_EQ(disc.layout.tracks.size(), fixture.tracks.size()) << c.why;
        EXPECT_EQ(disc.layout.leadOutLba, FixtureLeadOutLba(fixture)) << c.why;
        EXPECT_EQ(disc.layout.sessionCount, 3) << c.why;
        for (size_t i = 0; i < fixture.tracks.size(); ++i) {
            const FixtureTrack& track = fixture.tracks[i];
            const int index = static_cast<int>(i);
            const DiscTrack& placed = disc.layout.tracks[i];
            EXPECT_EQ(placed.startLba, FixtureTrackStartLba(fixture, index)) << c.why << ", track " << i + 1;
            EXPECT_EQ(placed.control, track.kind == FixtureTrack::Audio ? 0 : 4) << c.why << ", track " << i + 1;
            EXPECT_TRUE(ReadSectors(&disc, placed.startLba, track.frames) == FixtureTrackSamples(fixture, index))
                << c.why << ", track " << i + 1;
            if (track.pregapFrames > 0) {
                const std::vector<uint8_t> pregap = ReadSectors(&disc, placed.startLba - track.pregapFrames, 1);
                const std::vector<uint8_t> start = FixtureTrackSamples(fixture, index);
                EXPECT_FALSE(std::equal(pregap.begin(), pregap.end(), start.begin()))
                    << c.why << ": the pregap is not the track, track " << i + 1;
                EXPECT_NE(std::count(pregap.begin(), pregap.end(), 0), kSector) << c.why << ": nor silence";
            }
        }
        CloseEmulatedDisc(&disc);
    }
}

TEST(DiscFixture, RemLinesReachTheSheet) {
    FixtureDisc fixture = Describe("audio 50f; rem EMULATOR READ_ERROR 20; rem EMULATOR SPEED 4");
    const std::string cuePath = WriteFixtureDisc(TestDir(), "faulty", fixture);
    EmulatedDisc disc;
    OpenEmulatedDisc(cuePath, &disc);
    ASSERT_EQ(disc.state, kDiscReady) << disc.problem;
    EXPECT_EQ(disc.sheet.readErrorLbas, std::vector<int>{20});
    EXPECT_DOUBLE_EQ(disc.sheet.speed, 4);
    CloseEmulatedDisc(&disc);
}

TEST(DiscFixture, TracksLieWhereTheDrivePutsThem) {
    const FixtureDisc fixture =
        Describe("audio 75f; audio 30f pregap 15f; session 2; data 10f pregap 150f; session 3; audio 5f");
    // Session 1 ends at 120; session 2's track starts 11400 later, its pregap inside that
    // gap; session 3's starts 6900 after session 2 ends.
    const int expected[] = {0, 90, 11520, 18430};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(FixtureTrackStartLba(fixture, i), expected[i]) << i;
    EXPECT_EQ(FixtureLeadOutLba(fixture), 18435);
    EXPECT_EQ(FixtureTrackStartLba(fixture, 4), -1);
    EXPECT_EQ(FixtureTrackStartLba(fixture, -1), -1);
    EXPECT_TRUE(FixtureTrackSamples(fixture, 4).empty());
}

TEST(DiscFixture, TonesAreAudibleSinesOfTheirPitch) {
    const FixtureDisc fixture = Describe("audio 1s 440Hz; audio 1s 660Hz");
    for (int i = 0; i < 2; ++i) {
        const std::vector<uint8_t> samples = FixtureTrackSamples(fixture, i);
        ASSERT_EQ(samples.size(), 75u * kSector);
        const std::vector<int> left = LeftChannel(samples);
        int peak = 0, crossings = 0;
        for (size_t n = 0; n < left.size(); ++n) {
            peak = std::max(peak, std::abs(left[n]));
            if (n > 0 && (left[n - 1] < 0) != (left[n] < 0)) ++crossings;
            ASSERT_EQ(samples[n * 4], samples[n * 4 + 2]) << "both channels alike";
            ASSERT_EQ(samples[n * 4 + 1], samples[n * 4 + 3]) << "both channels alike";
        }
        EXPECT_GT(peak, 6000) << "audible";
        EXPECT_LT(peak, 16000) << "not harsh";
        const int expectedCrossings = static_cast<int>(2 * fixture.tracks[i].toneHz);
        EXPECT_NEAR(crossings, expectedCrossings, 2) << "a second of " << fixture.tracks[i].toneHz << " Hz";
    }
}

TEST(DiscFixture, PseudoRandomSamplesDifferFromTrackToTrack) {
    const FixtureDisc fixture = Describe("audio 10f; audio 10f");
    const std::vector<uint8_t> first = FixtureTrackSamples(fixture, 0);
    const std::vector<uint8_t> second = FixtureTrackSamples(fixture, 1);
    EXPECT_TRUE(first != second);
    EXPECT_TRUE(first == FixtureTrackSamples(Describe("audio 10f; audio 2s 440Hz"), 0))
        << "a track's samples depend on its number, not on the tracks around it";
}

TEST(DiscFixture, DescriptionsAreRead) {
    const FixtureDisc disc = Describe(
        "  audio 30s 440Hz ;audio 20f pregap 2s 554.37hz; session 2; data 10s; mode2 5f; data2048 1s;"
        " rem EMULATOR  SPEED 8 ; ");
    ASSERT_EQ(disc.tracks.size(), 5u);
    struct Expected { FixtureTrack::Kind kind; int frames; int pregap; int session; double hz; };
    const Expected expected[] = {
        {FixtureTrack::Audio, 2250, 0, 1, 440}, {FixtureTrack::Audio, 20, 150, 1, 554.37},
        {FixtureTrack::Mode1Raw, 750, 0, 2, 0}, {FixtureTrack::Mode2Raw, 5, 0, 2, 0},
        {FixtureTrack::Mode1Cooked, 75, 0, 2, 0},
    };
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(disc.tracks[i].kind, expected[i].kind) << i;
        EXPECT_EQ(disc.tracks[i].frames, expected[i].frames) << i;
        EXPECT_EQ(disc.tracks[i].pregapFrames, expected[i].pregap) << i;
        EXPECT_EQ(disc.tracks[i].session, expected[i].session) << i;
        EXPECT_DOUBLE_EQ(disc.tracks[i].toneHz, expected[i].hz) << i;
    }
    EXPECT_EQ(disc.remLines, std::vector<std::string>{"EMULATOR SPEED 8"});
    EXPECT_TRUE(disc.filePerTrack);
    EXPECT_FALSE(Describe("audio 1s; onefile").filePerTrack);
    EXPECT_EQ(Describe("audio").tracks[0].frames, 75) << "a length may be left out";
}

TEST(DiscFixture, BadDescriptionsAreRejected) {
    const char* const cases[] = {
        "", ";;", "vinyl 3s", "audio 30", "audio 30x", "audio 3.5s", "audio -3s", "audio 0f",
        "audio 99999999999s", "audio 100min", "audio 101m", "audio 3s pregap", "audio 3s pregap 3",
        "audio 3s 22050Hz", "audio 3s Hz", "audio 3s 1e3Hz", "audio 80m", "session 2; audio 3s",
        "audio 3s; session 3; data 1s", "audio 3s; session 2; session 1; audio 1s",
        "audio 1s; session x", "audio 1s; session 100", "rem", "onefile extra; audio 1s",
        "onefile; audio 1s; data2048 1s", "audio 1s; session 2; data 1s pregap 11401f",
        "audio 5000s; audio 1000s",
    };
    for (const char* text : cases) {
        FixtureDisc disc;
        disc.remLines.push_back("untouched");
        std::string error;
        EXPECT_EQ(ParseFixtureDescription(text, &disc, &error), 0) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(disc.remLines, std::vector<std::string>{"untouched"}) << text;
    }
}

TEST(DiscFixture, DiscsThatCannotBeWrittenAreNot) {
    const std::string dir = TestDir();
    FixtureDisc empty;
    EXPECT_EQ(WriteFixtureDisc(dir, "empty", empty), "");
    FixtureDisc twoLines = Describe("audio 1s");
    twoLines.remLines.push_back("A\nTRACK 02 AUDIO");
    EXPECT_EQ(WriteFixtureDisc(dir, "lines", twoLines), "");
    EXPECT_EQ(WriteFixtureDisc(dir + "/no/such/folder", "x", Describe("audio 1s")), "");
    EXPECT_FALSE(std::filesystem::exists(dir + "/empty.cue"));
}

}  // namespace
