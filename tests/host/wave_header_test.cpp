// The WAV header, read back field by field as a player would read it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "copy/wave_header.h"

namespace {

uint32_t Read32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}
uint16_t Read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
std::string Tag(const uint8_t* at) { return std::string(reinterpret_cast<const char*>(at), 4); }

TEST(WaveHeader, DescribesCdAudio) {
    const uint32_t byteCount = 3 * 4500 * 2352;
    uint8_t header[kWaveHeaderBytes];
    std::memset(header, 0xCC, sizeof header);
    BuildWaveHeader(byteCount, header);
    EXPECT_EQ("RIFF", Tag(header + 0));
    EXPECT_EQ(byteCount + 36, Read32(header + 4));  // the file's size less 8
    EXPECT_EQ("WAVE", Tag(header + 8));
    EXPECT_EQ("fmt ", Tag(header + 12));
    EXPECT_EQ(16u, Read32(header + 16));
    EXPECT_EQ(1, Read16(header + 20));       // PCM
    EXPECT_EQ(2, Read16(header + 22));       // stereo
    EXPECT_EQ(44100u, Read32(header + 24));
    EXPECT_EQ(176400u, Read32(header + 28));
    EXPECT_EQ(4, Read16(header + 32));
    EXPECT_EQ(16, Read16(header + 34));
    EXPECT_EQ("data", Tag(header + 36));
    EXPECT_EQ(byteCount, Read32(header + 40));
}

TEST(WaveHeader, SizeFieldsOfTheLongestTrack) {
    const uint32_t byteCount = 99u * 4500 * 2352;  // a 99-minute track
    uint8_t header[kWaveHeaderBytes];
    BuildWaveHeader(byteCount, header);
    EXPECT_EQ(byteCount + 36, Read32(header + 4));
    EXPECT_EQ(byteCount, Read32(header + 40));
}

}  // namespace
