#include "copy/copy_plan.h"

#include <cstdio>

#include "disc/toc_record.h"

void FormatCopyFolder(const LocalTime& time, int attempt, char folder[kPathChars]) {
    int used = std::snprintf(folder, kPathChars, ".\\Audio Disk copy %d-%02d-%02d %d-%d",
                             time.year, time.month, time.day, time.hour, time.minute);
    if (attempt > 1 && used > 0 && used < kPathChars)
        std::snprintf(folder + used, kPathChars - used, " (%d)", attempt);
}

int FormatTrackPath(const char* folder, int number, char path[kPathChars]) {
    const int used = std::snprintf(path, kPathChars, "%s\\track %02d.wav", folder, number);
    return used > 0 && used < kPathChars ? 1 : 0;
}

int ProgressPercent(int64_t done, int64_t total) {
    if (total <= 0) return 0;
    return static_cast<int>(100 * done / total);
}

uint64_t TrackByteCount(int64_t lengthFrames) {
    return lengthFrames > 0 ? static_cast<uint64_t>(lengthFrames) * kBytesPerFrame : 0;
}

int FitsInOneBuffer(uint64_t byteCount) {
    // A WAV file's size field is 32 bits, and a 32-bit process cannot hold more than
    // 2 GiB in one block anyway.
    return byteCount > 0 && byteCount <= 0x7FFFFFFFull - 44 ? 1 : 0;
}
