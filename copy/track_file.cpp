#include "copy/track_file.h"

#include <windows.h>

#include "copy/wave_header.h"

static bool WriteAll(HANDLE file, const void* bytes, DWORD count) {
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, NULL) && written == count;
}

WriteResult WriteTrackFile(const char* path, const uint8_t* samples, uint32_t byteCount) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return CannotCreate;
    uint8_t header[kWaveHeaderBytes];
    BuildWaveHeader(byteCount, header);
    bool saved = WriteAll(file, header, sizeof header);
    saved = saved && WriteAll(file, samples, byteCount);
    saved = CloseHandle(file) && saved;
    if (!saved) {
        DeleteFileA(path);
        return CannotSave;
    }
    return Written;
}
