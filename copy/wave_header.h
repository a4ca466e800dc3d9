// The 44-byte header of a track's WAV file: 16-bit stereo PCM at 44100 Hz. Platform-free.
#ifndef KORVELLO_WAVE_HEADER_H
#define KORVELLO_WAVE_HEADER_H

#include <cstdint>

enum : int { kWaveHeaderBytes = 44 };

// Fills header with the RIFF/WAVE header for byteCount bytes of samples.
void BuildWaveHeader(uint32_t byteCount, uint8_t header[kWaveHeaderBytes]);

#endif
