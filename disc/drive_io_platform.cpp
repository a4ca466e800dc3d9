// The product's drive requests: straight to the platform.
#include "disc/drive_io.h"

HANDLE DriveOpen(const char* devicePath) {
    return CreateFileA(devicePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
}

BOOL DriveRequest(HANDLE drive, DWORD ioControlCode, void* input, DWORD inputSize,
                  void* output, DWORD outputSize, DWORD* bytesReturned) {
    return DeviceIoControl(drive, ioControlCode, input, inputSize, output, outputSize,
                           bytesReturned, NULL);
}

void DriveClose(HANDLE drive) { CloseHandle(drive); }

UINT DriveType(const char* rootName) { return GetDriveTypeA(rootName); }
