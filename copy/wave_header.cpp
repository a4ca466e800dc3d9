#include "copy/wave_header.h"

#include <cstring>

namespace {

void PutTag(uint8_t* at, const char tag[4]) { std::memcpy(at, tag, 4); }

void PutLittle16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLittle32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void BuildWaveHeader(uint32_t byteCount, uint8_t header[kWaveHeaderBytes]) {
    const uint16_t channels = 2, bitsPerSample = 16;
    const uint32_t samplesPerSecond = 44100;
    const uint16_t blockAlign = channels * bitsPerSample / 8;
    PutTag(header + 0, "RIFF");
    PutLittle32(header + 4, byteCount + 36);
    PutTag(header + 8, "WAVE");
    PutTag(header + 12, "fmt ");
    PutLittle32(header + 16, 16);
    PutLittle16(header + 20, 1);  // PCM
    PutLittle16(header + 22, channels);
    PutLittle32(header + 24, samplesPerSecond);
    PutLittle32(header + 28, samplesPerSecond * blockAlign);
    PutLittle16(header + 32, blockAlign);
    PutLittle16(header + 34, bitsPerSample);
    PutTag(header + 36, "data");
    PutLittle32(header + 40, byteCount);
}
