// The copy's folder and file names and its progress arithmetic.
#include <gtest/gtest.h>

#include <string>

#include "copy/copy_plan.h"

namespace {

TEST(CopyFolder, NamedAfterTheLocalTime) {
    struct Case {
        LocalTime time;
        int attempt;
        const char* folder;
    };
    const Case cases[] = {
        {{2026, 3, 7, 9, 5}, 1, ".\\Audio Disk copy 2026-03-07 9-5"},
        {{2026, 12, 31, 23, 59}, 1, ".\\Audio Disk copy 2026-12-31 23-59"},
        {{2026, 1, 1, 0, 0}, 1, ".\\Audio Disk copy 2026-01-01 0-0"},
        {{2026, 3, 7, 9, 5}, 2, ".\\Audio Disk copy 2026-03-07 9-5 (2)"},
        {{2026, 3, 7, 9, 5}, 12, ".\\Audio Disk copy 2026-03-07 9-5 (12)"},
    };
    for (const Case& c : cases) {
        char folder[kPathChars];
        FormatCopyFolder(c.time, c.attempt, folder);
        EXPECT_STREQ(c.folder, folder);
    }
}

TEST(TrackPath, NumberedFromOneWithTwoDigits) {
    char path[kPathChars];
    ASSERT_EQ(1, FormatTrackPath(".\\Audio Disk copy 2026-03-07 9-5", 3, path));
    EXPECT_STREQ(".\\Audio Disk copy 2026-03-07 9-5\\track 03.wav", path);
    ASSERT_EQ(1, FormatTrackPath("x", 99, path));
    EXPECT_STREQ("x\\track 99.wav", path);
}

TEST(TrackPath, RefusesAPathThatDoesNotFit) {
    const std::string longFolder(250, 'a');
    char path[kPathChars];
    EXPECT_EQ(0, FormatTrackPath(longFolder.c_str(), 1, path));
}

TEST(Progress, WholePercentRoundedDown) {
    struct Case {
        int64_t done, total;
        int percent;
    };
    const Case cases[] = {
        {1, 3, 33}, {2, 3, 66}, {3, 3, 100}, {0, 10, 0}, {1, 1, 100},
        {99, 100, 99}, {5, 0, 0},
        // 74 minutes of frames: 100 x done passes 2^31 well before the end.
        {333000, 333000, 100}, {21474837, 21474837 * 2, 50}, {332999, 333000, 99},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.percent, ProgressPercent(c.done, c.total)) << c.done << "/" << c.total;
}

TEST(TrackBuffer, SizeIn64Bits) {
    EXPECT_EQ(3ull * 4500 * 2352, TrackByteCount(3 * 4500));
    EXPECT_EQ(0u, TrackByteCount(0));
    EXPECT_EQ(0u, TrackByteCount(-5));
    // 2,000,000 frames would wrap a 32-bit size to a small positive number.
    EXPECT_EQ(2000000ull * 2352, TrackByteCount(2000000));
    EXPECT_EQ(1, FitsInOneBuffer(TrackByteCount(99 * 4500)));
    EXPECT_EQ(0, FitsInOneBuffer(TrackByteCount(2000000)));
    EXPECT_EQ(0, FitsInOneBuffer(0));
}

}  // namespace
