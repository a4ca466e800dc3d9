// The only calls through which the program reaches a CD-ROM drive. The product links
// the platform's implementation; the emulated build links the emulated drive's.
#ifndef KORVELLO_DRIVE_IO_H
#define KORVELLO_DRIVE_IO_H

#include <windows.h>

// Opens a drive by its device path ("\\.\E:") for reading, shared for reading.
// Returns INVALID_HANDLE_VALUE on failure.
HANDLE DriveOpen(const char* devicePath);

// Sends one synchronous device control request. Non-zero on success.
BOOL DriveRequest(HANDLE drive, DWORD ioControlCode, void* input, DWORD inputSize,
                  void* output, DWORD outputSize, DWORD* bytesReturned);

void DriveClose(HANDLE drive);

// The drive type of a root name such as "E:", as GetDriveTypeA reports it.
UINT DriveType(const char* rootName);

#endif
