// One copied track as a WAV file.
#ifndef KORVELLO_TRACK_FILE_H
#define KORVELLO_TRACK_FILE_H

#include <cstdint>

enum WriteResult { Written, CannotCreate, CannotSave };

// Creates (or replaces) the file at path with the WAV header and byteCount bytes of
// samples. A file that could not be written in full or closed is deleted again, so no
// file ever promises more samples than it holds.
WriteResult WriteTrackFile(const char* path, const uint8_t* samples, uint32_t byteCount);

#endif
