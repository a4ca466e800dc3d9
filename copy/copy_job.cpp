#include "copy/copy_job.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "copy/copy_plan.h"
#include "copy/copy_select_dialog.h"
#include "copy/track_file.h"
#include "disc/cdrom_requests.h"
#include "disc/disc_access.h"
#include "disc/drive_io.h"
#include "disc/playback.h"
#include "disc/user_message.h"
#include "resources/resource.h"

namespace {

// Folders of earlier copies are never reused: a second copy within the same minute gets
// " (2)", and so on. A folder that cannot be made for another reason is left to the
// file creation to report.
void CreateCopyFolder(char folder[kPathChars]) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const LocalTime time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
    for (int attempt = 1;; ++attempt) {
        FormatCopyFolder(time, attempt, folder);
        if (CreateDirectoryA(folder, NULL) || GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

// Bars are set only when their value changes: each message to the main window's
// thread costs far more than reading a sector from a fast drive.
struct ProgressBars {
    HWND track;
    HWND total;
    int trackShown;
    int totalShown;
};

void ShowProgress(ProgressBars& bars, int trackPercent, int totalPercent) {
    if (trackPercent != bars.trackShown) {
        SendMessageA(bars.track, PBM_SETPOS, trackPercent, 0);
        bars.trackShown = trackPercent;
    }
    if (totalPercent != bars.totalShown) {
        SendMessageA(bars.total, PBM_SETPOS, totalPercent, 0);
        bars.totalShown = totalPercent;
    }
}

void ShowTotalLabel(const DiscContext& context, int done, int selectedCount) {
    char text[64];
    wsprintfA(text, "Total progress: %d / %d", done, selectedCount);
    SetDlgItemTextA(context.ownerWindow, IDC_TOTAL_LABEL, text);
}

// A modal dialog or message box may enable its owner again when it closes, even an owner
// that was disabled before it opened (Wine does): the main window stays disabled for as
// long as the job runs, so that no second job can start on the same record.
void KeepMainWindowDisabled(const DiscContext& context) {
    EnableWindow(context.ownerWindow, FALSE);
}

void ShowError(const DiscContext& context, const char* text) {
    ShowMessage(context, context.ownerWindow, text, MB_ICONERROR);
}

// A read counts only when the drive hands over the whole sector.
bool ReadSector(DiscContext& context, int lba, uint8_t* into) {
    RAW_READ_INFO request = {};
    request.DiskOffset.QuadPart = static_cast<LONGLONG>(lba) * kDiskOffsetBytesPerBlock;
    request.SectorCount = 1;
    request.TrackMode = CDDA;
    DWORD returned = 0;
    return DriveRequest(context.device, IOCTL_CDROM_RAW_READ, &request, sizeof request, into,
                        kBytesPerFrame, &returned) &&
           returned == kBytesPerFrame;
}

enum TrackOutcome { TrackCopied, JobStopped };

// Reads one chosen track into memory and writes its file. On JobStopped the user has
// been told (or has chosen to break off) and the caller ends the job.
TrackOutcome CopyTrack(DiscContext& context, const TrackEntry& track, int number,
                       const char* folder, int64_t framesDone, int64_t totalFrames,
                       ProgressBars& bars) {
    const uint64_t byteCount = TrackByteCount(track.lengthFrames);
    uint8_t* buffer = NULL;
    if (FitsInOneBuffer(byteCount))
        buffer = static_cast<uint8_t*>(VirtualAlloc(NULL, static_cast<SIZE_T>(byteCount),
                                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (buffer == NULL) {
        ShowError(context, "Not enogth memory. Error!");
        return JobStopped;
    }

    bars.trackShown = -1;
    for (int i = 0; i < track.lengthFrames; ++i) {
        if (GetAsyncKeyState(VK_ESCAPE) & 0x8000) {
            if (AskYesNo(context, context.ownerWindow, "Break copy. Are you sure?")) {
                VirtualFree(buffer, 0, MEM_RELEASE);
                return JobStopped;
            }
            KeepMainWindowDisabled(context);
        }
        if (!ReadSector(context, track.startLba + i, buffer + static_cast<size_t>(i) * kBytesPerFrame)) {
            VirtualFree(buffer, 0, MEM_RELEASE);
            ShowError(context, "Can not read the sector. Error!");
            return JobStopped;
        }
        ShowProgress(bars, ProgressPercent(i + 1, track.lengthFrames),
                     ProgressPercent(framesDone + i + 1, totalFrames));
    }

    char path[kPathChars];
    WriteResult result = CannotCreate;
    if (FormatTrackPath(folder, number, path))
        result = WriteTrackFile(path, buffer, static_cast<uint32_t>(byteCount));
    VirtualFree(buffer, 0, MEM_RELEASE);
    if (result == CannotCreate) {
        ShowError(context, "Can not create the file for write!");
        return JobStopped;
    }
    if (result == CannotSave) {
        ShowError(context, "Error of save file to disk!");
        return JobStopped;
    }
    return TrackCopied;
}

DWORD WINAPI CopyWorker(LPVOID parameter) {
    DiscContext& context = *static_cast<DiscContext*>(parameter);
    RunCopyJob(context);
    EnableWindow(context.ownerWindow, TRUE);
    return 0;
}

}  // namespace

void RunCopyJob(DiscContext& context) {
    if (!ReadTrackTable(context)) return;
    if (DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_COPY_SELECT),
                        context.ownerWindow, CopySelectDialogProc,
                        reinterpret_cast<LPARAM>(&context)) != 1)
        return;
    KeepMainWindowDisabled(context);
    if (!ConfirmSameDisc(context)) return;
    StopAudio(context);
    if (!OpenDrive(context)) return;

    char folder[kPathChars];
    CreateCopyFolder(folder);

    int selectedCount = 0;
    int64_t totalFrames = 0;
    for (int p = 0; p < context.trackCount; ++p) {
        if (!context.tracks[p].selected) continue;
        ++selectedCount;
        totalFrames += context.tracks[p].lengthFrames;
    }

    ProgressBars bars = {GetDlgItem(context.ownerWindow, IDC_TRACK_PROGRESS),
                         GetDlgItem(context.ownerWindow, IDC_TOTAL_PROGRESS), -1, -1};
    int done = 0;
    int64_t framesDone = 0;
    for (int p = 0; p < context.trackCount; ++p) {
        const TrackEntry& track = context.tracks[p];
        if (!track.selected) continue;
        char text[64];
        wsprintfA(text, "Current track: %d", p + 1);
        SetDlgItemTextA(context.ownerWindow, IDC_TRACK_LABEL, text);
        ShowTotalLabel(context, done, selectedCount);
        if (CopyTrack(context, track, p + 1, folder, framesDone, totalFrames, bars) != TrackCopied) {
            CloseDrive(context);
            return;
        }
        framesDone += track.lengthFrames;
        ++done;
    }

    ShowTotalLabel(context, done, selectedCount);
    ShowMessage(context, context.ownerWindow, "The audio disk has copied successfully.",
                MB_ICONINFORMATION);
    ShellExecuteA(context.ownerWindow, "open", folder, NULL, NULL, SW_SHOWNORMAL);
    CloseDrive(context);
}

void StartCopyJob(DiscContext& context) {
    EnableWindow(context.ownerWindow, FALSE);
    DWORD threadId = 0;
    const HANDLE worker = CreateThread(NULL, 0, CopyWorker, &context, 0, &threadId);
    if (worker == NULL) {
        EnableWindow(context.ownerWindow, TRUE);
        ShowError(context, "Can not create thread. Error!");
        return;
    }
    CloseHandle(worker);  // nothing waits for the worker; it ends by itself
}
