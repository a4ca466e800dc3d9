// The copy's names and progress arithmetic. Platform-free.
#ifndef KORVELLO_COPY_PLAN_H
#define KORVELLO_COPY_PLAN_H

#include <cstddef>
#include <cstdint>

enum : int { kPathChars = 260 };

struct LocalTime {
    int year, month, day, hour, minute;
};

// ".\Audio Disk copy Y-MM-DD H-M" for attempt 1; " (2)", " (3)", ... appended for later
// attempts, used when a folder of the earlier name already exists.
void FormatCopyFolder(const LocalTime& time, int attempt, char folder[kPathChars]);

// The folder, one backslash, "track NN.wav" with the track's table position from 1.
// Returns 0 when the path does not fit.
int FormatTrackPath(const char* folder, int number, char path[kPathChars]);

// Whole percent of done out of total, rounded down; 64-bit so a long disc cannot
// overflow 100 x done.
int ProgressPercent(int64_t done, int64_t total);

// Bytes of samples in a track of lengthFrames sectors.
uint64_t TrackByteCount(int64_t lengthFrames);

// 1 when a track buffer of byteCount bytes is one a 32-bit process could hold.
int FitsInOneBuffer(uint64_t byteCount);

#endif
