// The CUE sheet reader and the disc layout it leads to.
#include "emulator/cue_sheet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const int64_t kSector = 2352;

CueSheet ParseOk(const std::string& text) {
    CueSheet sheet;
    std::string error;
    EXPECT_EQ(ParseCueSheet(text, &sheet, &error), 1) << error;
    return sheet;
}

DiscLayout LayOutOk(const CueSheet& sheet, const std::vector<int64_t>& fileBytes) {
    DiscLayout layout;
    std::string error;
    EXPECT_EQ(LayOutDisc(sheet, fileBytes, &layout, &error), 1) << error;
    return layout;
}

std::vector<int> StartLbas(const DiscLayout& layout) {
    std::vector<int> starts;
    for (const DiscTrack& track : layout.tracks) starts.push_back(track.startLba);
    return starts;
}

TEST(CueSheet, OneFileWithManyTracks) {
    const CueSheet sheet = ParseOk(
        "FILE \"my disc.bin\" BINARY\n"
        "  TRACK 01 AUDIO\n"
        "    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n"
        "    INDEX 00 00:10:00\n"
        "    INDEX 01 00:12:00\n"
        "  TRACK 03 MODE1/2352\n"
        "    INDEX 01 01:00:00\n");
    ASSERT_EQ(sheet.files, std::vector<std::string>{"my disc.bin"});
    ASSERT_EQ(sheet.tracks.size(), 3u);
    EXPECT_EQ(sheet.tracks[1].index00, 750);
    EXPECT_EQ(sheet.tracks[1].index01, 900);
    EXPECT_EQ(sheet.tracks[2].mode, kCueMode1Raw);
    EXPECT_EQ(sheet.tracks[0].control, 0);
    EXPECT_EQ(sheet.tracks[2].control, 4);

    const DiscLayout layout = LayOutOk(sheet, {5000 * kSector});
    EXPECT_EQ(StartLbas(layout), (std::vector<int>{0, 900, 4500}));
    EXPECT_EQ(layout.leadOutLba, 5000);
    EXPECT_EQ(layout.sessionCount, 1);
    // Track 1 ends where track 2's INDEX 00 begins; track 2's INDEX 00 sectors are its own.
    ASSERT_EQ(layout.extents.size(), 3u);
    EXPECT_EQ(layout.extents[0].sectorCount, 750);
    EXPECT_EQ(layout.extents[1].firstLba, 750);
    EXPECT_EQ(layout.extents[1].fileOffset, 750 * kSector);
    EXPECT_EQ(layout.extents[2].fileOffset, 4500 * kSector);
}

TEST(CueSheet, FilePerTrackRunsOnAcrossFiles) {
    const CueSheet sheet = ParseOk(
        "FILE \"a.bin\" BINARY\r\n"
        "  TRACK 01 AUDIO\r\n"
        "    INDEX 01 00:00:00\r\n"
        "FILE \"sub\\b.bin\" BINARY\r\n"
        "  TRACK 02 AUDIO\r\n"
        "    INDEX 00 00:00:00\r\n"
        "    INDEX 01 00:02:00\r\n"
        "FILE c.bin BINARY\r\n"
        "  TRACK 03 AUDIO\r\n"
        "    INDEX 01 00:00:00\r\n");
    ASSERT_EQ(sheet.files.size(), 3u);
    EXPECT_EQ(sheet.tracks[1].fileIndex, 1);
    EXPECT_EQ(sheet.files[2], "c.bin");
    const DiscLayout layout = LayOutOk(sheet, {1000 * kSector, 450 * kSector, 80 * kSector});
    EXPECT_EQ(StartLbas(layout), (std::vector<int>{0, 1150, 1450}));
    EXPECT_EQ(layout.leadOutLba, 1530);
    ASSERT_EQ(layout.extents.size(), 3u);
    EXPECT_EQ(layout.extents[1].fileIndex, 1);
    EXPECT_EQ(layout.extents[1].fileOffset, 0);
}

TEST(CueSheet, FilePathsAreTakenFromTheSheetsFolder) {
    struct Case { const char* cue; const char* file; const char* expected; };
    const Case cases[] = {
        {"/discs/x.cue", "x.bin", "/discs/x.bin"},
        {"/discs/x.cue", "sub\\x.bin", "/discs/sub/x.bin"},
        {"C:\\discs\\x.cue", "sub/x.bin", "C:\\discs\\sub/x.bin"},
        {"x.cue", "x.bin", "x.bin"},
        {"/discs/x.cue", "/elsewhere/x.bin", "/elsewhere/x.bin"},
        {"C:\\discs\\x.cue", "D:\\x.bin", "D:/x.bin"},
    };
    for (const Case& c : cases) EXPECT_EQ(CueFilePath(c.cue, c.file), c.expected) << c.file;
}

TEST(CueSheet, PregapAndPostgapAreSilenceOutsideTheFile) {
    const CueSheet sheet = ParseOk(
        "FILE \"a.bin\" BINARY\n"
        "  TRACK 01 AUDIO\n"
        "    INDEX 01 00:00:00\n"
        "    POSTGAP 00:01:00\n"
        "  TRACK 02 AUDIO\n"
        "    PREGAP 00:02:00\n"
        "    INDEX 01 00:04:00\n");
    EXPECT_EQ(sheet.tracks[0].postgapFrames, 75);
    EXPECT_EQ(sheet.tracks[1].pregapFrames, 150);
    const DiscLayout layout = LayOutOk(sheet, {500 * kSector});
    // Track 1: file 0..299, postgap 300..374; track 2: pregap 375..524, file 525..724.
    EXPECT_EQ(StartLbas(layout), (std::vector<int>{0, 525}));
    EXPECT_EQ(layout.leadOutLba, 725);
    ASSERT_EQ(layout.extents.size(), 4u);
    EXPECT_EQ(layout.extents[1].fileIndex, -1);
    EXPECT_EQ(layout.extents[1].firstLba, 300);
    EXPECT_EQ(layout.extents[2].fileIndex, -1);
    EXPECT_EQ(layout.extents[2].sectorCount, 150);
    EXPECT_EQ(layout.extents[3].firstLba, 525);
    EXPECT_EQ(layout.extents[3].fileOffset, 300 * kSector);
}

TEST(CueSheet, CookedModeOneHas2048ByteSectors) {
    const CueSheet sheet = ParseOk(
        "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
        "FILE \"b.iso\" BINARY\n  TRACK 02 MODE1/2048\n    INDEX 01 00:00:00\n");
    EXPECT_EQ(sheet.tracks[1].mode, kCueMode1Cooked);
    EXPECT_EQ(CueSectorBytes(kCueMode1Cooked), 2048);
    EXPECT_EQ(CueSectorBytes(kCueMode2Raw), 2352);
    const DiscLayout layout = LayOutOk(sheet, {100 * kSector, 300 * 2048});
    EXPECT_EQ(layout.leadOutLba, 400);
    std::string error;
    DiscLayout ignored;
    EXPECT_EQ(LayOutDisc(sheet, {100 * kSector, 300 * kSector}, &ignored, &error), 0)
        << "a 2352-multiple that is not a 2048-multiple";
}

TEST(CueSheet, LaterSessionsStartAfterLeadOutLeadInAndPregap) {
    const CueSheet sheet = ParseOk(
        "REM SESSION 01\n"
        "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n"
        "REM SESSION 02\n"
        "FILE \"b.bin\" BINARY\n  TRACK 03 MODE1/2352\n    INDEX 01 00:00:00\n"
        "REM SESSION 03\n"
        "FILE \"c.bin\" BINARY\n  TRACK 04 MODE2/2352\n    INDEX 00 00:00:00\n    INDEX 01 00:02:00\n");
    EXPECT_EQ(sheet.tracks[1].session, 1);
    EXPECT_EQ(sheet.tracks[2].session, 2);
    EXPECT_EQ(sheet.tracks[3].session, 3);
    const DiscLayout layout = LayOutOk(sheet, {200 * kSector, 100 * kSector, 400 * kSector});
    // Session 1 ends at 200; session 2 runs 11600..11699; session 3's INDEX 01 lies
    // 6900 on, its 150 INDEX 00 sectors inside that gap.
    EXPECT_EQ(StartLbas(layout), (std::vector<int>{0, 75, 11600, 11700 + 6900}));
    EXPECT_EQ(layout.leadOutLba, 18600 + 250);
    EXPECT_EQ(layout.sessionCount, 3);
    ASSERT_EQ(layout.extents.size(), 4u);
    EXPECT_EQ(layout.extents[1].firstLba + layout.extents[1].sectorCount, 200);
    EXPECT_EQ(layout.extents[2].firstLba, 11600);
    EXPECT_EQ(layout.extents[3].firstLba, 18600 - 150);
}

TEST(CueSheet, LinesThatDoNotShapeTheDiscAreIgnored) {
    const std::string plain =
        "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    const std::string decorated =
        "\xEF\xBB\xBFREM GENRE Rock\n"
        "REM COMMENT \"made by hand\"\n"
        "CATALOG 0123456789012\n"
        "PERFORMER \"Someone\"\n"
        "TITLE \"Some Title\"\n"
        "\n"
        "file \"a.bin\" binary\n"
        "  track 01 audio\n"
        "    TITLE \"First\"\n"
        "    SONGWRITER \"Someone Else\"\n"
        "    ISRC ABCDE1234567\n"
        "    FLAGS DCP\n"
        "\tINDEX 01 00:00:00\r";
    const CueSheet a = ParseOk(plain);
    const CueSheet b = ParseOk(decorated);
    ASSERT_EQ(b.tracks.size(), 1u);
    EXPECT_EQ(b.files, a.files);
    EXPECT_EQ(b.tracks[0].control, a.tracks[0].control);
    EXPECT_EQ(b.tracks[0].index01, a.tracks[0].index01);
    EXPECT_FALSE(b.noToc || b.playRefused);
    EXPECT_EQ(b.speed, 0);
}

TEST(CueSheet, EmulatorFaultsAreRead) {
    const CueSheet sheet = ParseOk(
        "REM EMULATOR READ_ERROR 1200\n"
        "REM EMULATOR SHORT_READ 40\n"
        "REM EMULATOR READ_ERROR 7\n"
        "REM EMULATOR NO_TOC\n"
        "REM EMULATOR PLAY_REFUSED\n"
        "REM EMULATOR CONTROL 2 6\n"
        "REM EMULATOR SPEED 0.5\n"
        "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
        "  TRACK 02 MODE1/2352\n    INDEX 01 00:10:00\n");
    EXPECT_EQ(sheet.readErrorLbas, (std::vector<int>{7, 1200}));
    EXPECT_EQ(sheet.shortReadLbas, std::vector<int>{40});
    EXPECT_TRUE(sheet.noToc);
    EXPECT_TRUE(sheet.playRefused);
    EXPECT_EQ(sheet.tracks[0].control, 0);
    EXPECT_EQ(sheet.tracks[1].control, 6);
    EXPECT_DOUBLE_EQ(sheet.speed, 0.5);
    EXPECT_DOUBLE_EQ(ParseOk("REM EMULATOR SPEED 8\nFILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n").speed, 8);
}

TEST(CueSheet, BadSheetsAreRejected) {
    const std::string track1 = "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    struct Case { const char* why; std::string text; };
    const Case cases[] = {
        {"empty", ""},
        {"garbage", "hello world\n"},
        {"binary noise", std::string("\x01\xff\x00\x7f TRACK", 11)},
        {"no tracks", "FILE \"a.bin\" BINARY\n"},
        {"TRACK before FILE", "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"},
        {"INDEX before TRACK", "FILE \"a.bin\" BINARY\nINDEX 01 00:00:00\n"},
        {"INDEX in a new FILE", track1 + "FILE \"b.bin\" BINARY\nINDEX 01 00:00:00\n"},
        {"no INDEX 01", "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n"},
        {"no INDEX 01 mid-sheet", "FILE a.bin BINARY\nTRACK 01 AUDIO\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"},
        {"numbers out of order", track1 + "TRACK 03 AUDIO\nINDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:20:00\n"},
        {"number repeated", track1 + "TRACK 01 AUDIO\nINDEX 01 00:10:00\n"},
        {"track 0", "FILE a.bin BINARY\nTRACK 00 AUDIO\nINDEX 01 00:00:00\n"},
        {"track 100", "FILE a.bin BINARY\nTRACK 100 AUDIO\nINDEX 01 00:00:00\n"},
        {"unknown mode", "FILE a.bin BINARY\nTRACK 01 CDG\nINDEX 01 00:00:00\n"},
        {"INDEX 00 after 01", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nINDEX 00 00:00:00\n"},
        {"INDEX going back", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:05:00\nINDEX 01 00:04:00\n"},
        {"track before the last ends", track1 + "TRACK 02 AUDIO\nINDEX 01 00:00:00\n"},
        {"seconds 60", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:60:00\n"},
        {"frames 75", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n"},
        {"huge minutes", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 99999999999999999999:00:00\n"},
        {"negative time", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 -1:00:00\n"},
        {"huge track number", "FILE a.bin BINARY\nTRACK 4294967297 AUDIO\nINDEX 01 00:00:00\n"},
        {"huge fault address", "REM EMULATOR READ_ERROR 99999999999999\n" + track1},
        {"fault address past any disc", "REM EMULATOR SHORT_READ 450000\n" + track1},
        {"unknown fault", "REM EMULATOR EJECT\n" + track1},
        {"fault without address", "REM EMULATOR READ_ERROR\n" + track1},
        {"control too large", "REM EMULATOR CONTROL 1 16\n" + track1},
        {"control of a missing track", "REM EMULATOR CONTROL 2 4\n" + track1},
        {"speed 0", "REM EMULATOR SPEED 0\n" + track1},
        {"speed negative", "REM EMULATOR SPEED -2\n" + track1},
        {"speed absurd", "REM EMULATOR SPEED 1e300\n" + track1},
        {"speed not a number", "REM EMULATOR SPEED nan\n" + track1},
        {"unclosed quote", "FILE \"a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"},
        {"not BINARY", "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"},
        {"FILE without TRACK", "FILE \"x.bin\" BINARY\n" + track1},
        {"last FILE without TRACK", track1 + "FILE \"x.bin\" BINARY\n"},
        {"2048 and 2352 in one file", track1 + "TRACK 02 MODE1/2048\nINDEX 01 00:10:00\n"},
        {"first track in session 2", "REM SESSION 02\n" + track1},
        {"session skipped", track1 + "REM SESSION 03\nFILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"},
        {"session going back", "REM SESSION 01\n" + track1 + "REM SESSION 02\nFILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"
                               "REM SESSION 01\nFILE c.bin BINARY\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n"},
        {"session 0", "REM SESSION 0\n" + track1},
        {"PREGAP after INDEX", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nPREGAP 00:02:00\n"},
        {"POSTGAP before INDEX 01", "FILE a.bin BINARY\nTRACK 01 AUDIO\nPOSTGAP 00:02:00\nINDEX 01 00:00:00\n"},
        {"INDEX after POSTGAP", track1 + "POSTGAP 00:02:00\nINDEX 02 00:03:00\n"},
        {"PREGAP without time", "FILE a.bin BINARY\nTRACK 01 AUDIO\nPREGAP\nINDEX 01 00:00:00\n"},
    };
    for (const Case& c : cases) {
        CueSheet sheet;
        std::string error;
        EXPECT_EQ(ParseCueSheet(c.text, &sheet, &error), 0) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
}

TEST(CueSheet, LayoutRejectsFilesThatDoNotHoldTheSheet) {
    const CueSheet twoFiles = ParseOk(
        "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:10:00\n"
        "FILE b.bin BINARY\nTRACK 03 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00\n");
    const CueSheet enhanced = ParseOk(
        "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
        "REM SESSION 02\nFILE b.bin BINARY\nTRACK 02 MODE1/2352\nINDEX 00 00:00:00\nINDEX 01 03:00:00\n");
    struct Case { const char* why; const CueSheet* sheet; std::vector<int64_t> bytes; };
    const Case cases[] = {
        {"not whole sectors", &twoFiles, {1000 * kSector - 1000, 500 * kSector}},
        {"ends before a track's INDEX 01", &twoFiles, {1000 * kSector, 100 * kSector}},
        {"ends at a track's INDEX 01", &twoFiles, {1000 * kSector, 150 * kSector}},
        {"ends before the next track", &twoFiles, {700 * kSector, 500 * kSector}},
        {"empty file", &twoFiles, {0, 500 * kSector}},
        {"size unknown", &twoFiles, {-1, 500 * kSector}},
        {"wrong number of sizes", &twoFiles, {1000 * kSector}},
        {"longer than 99:59:74", &twoFiles, {1000 * kSector, 449000 * kSector}},
        {"absurd size", &twoFiles, {1000 * kSector, INT64_MAX / kSector * kSector}},
        {"pregap longer than the session gap", &enhanced, {100 * kSector, 20000 * kSector}},
    };
    for (const Case& c : cases) {
        DiscLayout layout;
        std::string error;
        EXPECT_EQ(LayOutDisc(*c.sheet, c.bytes, &layout, &error), 0) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
    EXPECT_EQ(LayOutOk(twoFiles, {1000 * kSector, 151 * kSector}).leadOutLba, 1151);
}

// Mangled sheets, from a valid one, must be read or rejected, never crash or overrun.
TEST(CueSheet, MangledSheetsNeverCrash) {
    const std::string valid =
        "REM SESSION 01\nREM EMULATOR READ_ERROR 20\nFILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n"
        "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    PREGAP 00:00:10\n    INDEX 00 00:01:00\n"
        "    INDEX 01 00:01:10\n    POSTGAP 00:00:05\nREM SESSION 02\nFILE \"b.bin\" BINARY\n"
        "  TRACK 03 MODE1/2352\n    INDEX 01 00:00:00\n";
    const char replacements[] = {'0', '9', ' ', '\n', '"', ':', '\0', '\xff', 'A', '/'};
    uint32_t state = 12345;
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = valid;
        for (int edit = 0; edit < 1 + round % 4; ++edit) {
            state = state * 1664525u + 1013904223u;
            const size_t at = (state >> 8) % text.size();
            const char with = replacements[(state >> 24) % sizeof replacements];
            if (state & 1) {
                text[at] = with;
            } else {
                text.insert(at, 1, with);
            }
        }
        CueSheet sheet;
        DiscLayout layout;
        std::string error;
        if (!ParseCueSheet(text, &sheet, &error)) continue;
        std::vector<int64_t> sizes(sheet.files.size(), 3000 * kSector);
        accepted += LayOutDisc(sheet, sizes, &layout, &error);
        if (!layout.tracks.empty()) {
            EXPECT_LE(layout.leadOutLba, kMaxLeadOutLba);
        }
    }
    EXPECT_GT(accepted, 0);
}

}  // namespace
