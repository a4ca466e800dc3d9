// The drive requests of korvello-emulated.exe: CD-ROM drives emulated over CUE/BIN images.
//   KORVELLO_DRIVES     "E=C:\discs\demo.cue;F=": the drives and their discs ("F=": no disc)
//   KORVELLO_DRIVE_LOG  a file to which each request is appended as it is answered
// The drive list is read at each call, so a test can change discs between requests. The
// journal is the one named when the drive was opened, until it is closed: looking the
// variable up for each request would cost more than reading the sector. The answers
// themselves are made by the platform-free emulated disc; this file keeps the handles,
// the play state of each drive, the journal and the pacing of reads.
#include "disc/drive_io.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "disc/cdrom_requests.h"
#include "emulator/emulated_disc.h"

namespace {

// Handles are kHandleBase + the slot of the open drive: never a real handle's value.
const uintptr_t kHandleBase = 0x4B0E0000;
const int kMaxOpenDrives = 64;

struct OpenDrive {
    bool inUse = false;
    char letter = 0;
    EmulatedDisc disc;
    std::string journalPath;   // empty: no journal
    LONGLONG readyTicks = 0;   // when a drive of the disc's speed would have read what it was asked
};

std::mutex g_lock;
OpenDrive g_drives[kMaxOpenDrives];
PlayState g_plays[26];         // by drive letter: a drive keeps playing after its handle closes

bool ReadEnvironment(const char* name, std::string* value) {
    char small[512];
    const DWORD length = GetEnvironmentVariableA(name, small, sizeof small);
    if (length == 0) return false;
    if (length < sizeof small) {
        value->assign(small, length);
        return true;
    }
    value->assign(length, '\0');
    const DWORD copied = GetEnvironmentVariableA(name, &(*value)[0], length);
    if (copied == 0 || copied >= length) return false;
    value->resize(copied);
    return true;
}

bool NamedDrive(char letter, std::string* cuePath) {
    std::string drives;
    return letter && ReadEnvironment("KORVELLO_DRIVES", &drives) &&
           FindEmulatedDrive(drives, letter, cuePath);
}

std::string JournalPath() {
    std::string path;
    ReadEnvironment("KORVELLO_DRIVE_LOG", &path);
    return path;
}

// Appends a line to the journal at path; the line is made only when there is a journal.
template <typename MakeLine>
void Journal(const std::string& path, MakeLine makeLine) {
    if (path.empty()) return;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return;
    const std::string line = makeLine() + "\n";
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

OpenDrive* DriveOf(HANDLE handle) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value < kHandleBase || value >= kHandleBase + kMaxOpenDrives) return nullptr;
    OpenDrive* drive = &g_drives[value - kHandleBase];
    return drive->inUse ? drive : nullptr;
}

// How long to wait, in milliseconds, for a drive of the disc's speed to have read the
// sectors. Debt carries from read to read, so waits shorter than Sleep's step add up right.
DWORD PaceRead(OpenDrive* drive, uint32_t sectors) {
    const double speed = drive->disc.sheet.speed;
    if (speed <= 0) return 0;
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const double seconds = sectors / (kFramesPerSecond * speed);
    drive->readyTicks = std::max(drive->readyTicks, now.QuadPart) +
                        static_cast<LONGLONG>(seconds * static_cast<double>(frequency.QuadPart));
    return static_cast<DWORD>((drive->readyTicks - now.QuadPart) * 1000 / frequency.QuadPart);
}

DWORD ErrorCode(DriveFailure failure) {
    switch (failure) {
    case kDriveNotReady: return ERROR_NOT_READY;
    case kDriveBufferTooSmall: return ERROR_INSUFFICIENT_BUFFER;
    case kDriveUnreadableSector: return ERROR_CRC;
    case kDrivePlayRefused: return ERROR_IO_DEVICE;
    case kDriveBadRequest:
    case kDriveNoFailure: break;
    }
    return ERROR_INVALID_PARAMETER;
}

const char* Outcome(int answered) { return answered ? "ok" : "failed"; }

}  // namespace

HANDLE DriveOpen(const char* devicePath) {
    const char letter = DeviceDriveLetter(devicePath);
    std::string cuePath;
    std::lock_guard<std::mutex> hold(g_lock);
    OpenDrive* drive = nullptr;
    const bool named = NamedDrive(letter, &cuePath);
    if (named) {
        drive = std::find_if(g_drives, g_drives + kMaxOpenDrives, [](const OpenDrive& d) { return !d.inUse; });
        if (drive == g_drives + kMaxOpenDrives) drive = nullptr;
    }
    if (!drive) {
        Journal(JournalPath(), [&] {
            return letter ? JournalLine("OPEN", letter, "failed")
                          : "OPEN " + std::string(devicePath ? devicePath : "") + " failed";
        });
        SetLastError(named ? ERROR_TOO_MANY_OPEN_FILES : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    drive->inUse = true;
    drive->letter = letter;
    drive->journalPath = JournalPath();
    drive->readyTicks = 0;
    OpenEmulatedDisc(cuePath, &drive->disc);
    Journal(drive->journalPath, [&] { return JournalLine("OPEN", letter, nullptr); });
    return reinterpret_cast<HANDLE>(kHandleBase + static_cast<uintptr_t>(drive - g_drives));
}

BOOL DriveRequest(HANDLE handle, DWORD ioControlCode, void* input, DWORD inputSize,
                  void* output, DWORD outputSize, DWORD* bytesReturned) {
    if (bytesReturned) *bytesReturned = 0;
    int answered = 0;
    DWORD bytes = 0;
    DWORD error = 0;
    DWORD waitMs = 0;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        OpenDrive* drive = DriveOf(handle);
        if (!drive) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        const char letter = drive->letter;
        const std::string& journal = drive->journalPath;
        PlayState* play = &g_plays[letter - 'A'];
        const int64_t nowMs = static_cast<int64_t>(GetTickCount64());
        DriveFailure failure = kDriveNoFailure;
        switch (ioControlCode) {
        case IOCTL_CDROM_READ_TOC:
            answered = AnswerReadToc(drive->disc, output, outputSize, &failure);
            bytes = static_cast<DWORD>(answered);
            Journal(journal, [&] { return JournalLine("READ_TOC", letter, Outcome(answered)); });
            break;
        case IOCTL_CDROM_GET_LAST_SESSION:
            answered = AnswerLastSession(drive->disc, output, outputSize, &failure);
            bytes = static_cast<DWORD>(answered);
            Journal(journal, [&] { return JournalLine("GET_LAST_SESSION", letter, Outcome(answered)); });
            break;
        case IOCTL_CDROM_RAW_READ: {
            RawReadRecord request{};
            if (input && inputSize >= sizeof(RAW_READ_INFO)) {
                RAW_READ_INFO info;
                std::memcpy(&info, input, sizeof info);
                request.diskOffset = info.DiskOffset.QuadPart;
                request.sectorCount = info.SectorCount;
                request.trackMode = static_cast<uint32_t>(info.TrackMode);
                answered = AnswerRawRead(&drive->disc, request, output, outputSize, &failure);
            } else {
                failure = kDriveBadRequest;
            }
            bytes = static_cast<DWORD>(answered);
            if (answered) waitMs = PaceRead(drive, request.sectorCount);
            Journal(journal, [&] { return RawReadJournalLine(letter, request, answered); });
            break;
        }
        case IOCTL_CDROM_PLAY_AUDIO_MSF: {
            PlayAudioMsfRecord range{};
            if (input && inputSize >= sizeof(CDROM_PLAY_AUDIO_MSF)) {
                CDROM_PLAY_AUDIO_MSF msf;
                std::memcpy(&msf, input, sizeof msf);
                range = PlayAudioMsfRecord{msf.StartingM, msf.StartingS, msf.StartingF,
                                           msf.EndingM, msf.EndingS, msf.EndingF};
                answered = AnswerPlayAudioMsf(play, drive->disc, range, nowMs, &failure);
            } else {
                failure = kDriveBadRequest;
            }
            Journal(journal, [&] { return PlayJournalLine(letter, range, answered); });
            break;
        }
        case IOCTL_CDROM_PAUSE_AUDIO:
            answered = AnswerPauseAudio(play, nowMs, &failure);
            Journal(journal, [&] { return JournalLine("PAUSE_AUDIO", letter, Outcome(answered)); });
            break;
        case IOCTL_CDROM_RESUME_AUDIO:
            answered = AnswerResumeAudio(play, nowMs, &failure);
            Journal(journal, [&] { return JournalLine("RESUME_AUDIO", letter, Outcome(answered)); });
            break;
        case IOCTL_CDROM_STOP_AUDIO:
            answered = AnswerStopAudio(play);
            Journal(journal, [&] { return JournalLine("STOP_AUDIO", letter, Outcome(answered)); });
            break;
        default:
            Journal(journal, [&] { return UnknownRequestJournalLine(letter, ioControlCode); });
            error = ERROR_INVALID_FUNCTION;
            break;
        }
        if (!answered && error == 0) error = ErrorCode(failure);
    }
    if (waitMs > 0) Sleep(waitMs);
    if (!answered) {
        SetLastError(error);
        return FALSE;
    }
    if (bytesReturned) *bytesReturned = bytes;
    return TRUE;
}

void DriveClose(HANDLE handle) {
    std::lock_guard<std::mutex> hold(g_lock);
    OpenDrive* drive = DriveOf(handle);
    if (!drive) return;
    const char letter = drive->letter;
    Journal(drive->journalPath, [&] { return JournalLine("CLOSE", letter, nullptr); });
    CloseEmulatedDisc(&drive->disc);
    drive->inUse = false;
}

UINT DriveType(const char* rootName) {
    std::string cuePath;
    return NamedDrive(RootDriveLetter(rootName), &cuePath) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
}
