// The copy job end to end on the test's thread: selection dialog, reads, progress, files
// and every way it can stop. Message boxes and dialogs are caught and answered.
#include "test_support.h"

#include <map>

#include "copy/copy_job.h"
#include "disc/disc_access.h"
#include "resources/resource.h"

namespace {

using Lines = std::vector<std::string>;

// What the copy showed in the main window, recorded from the controls themselves.
std::map<int, std::vector<std::string>> labelTexts;
std::map<int, std::vector<int>> barPositions;
std::map<int, WNDPROC> originalProcs;
std::function<void(int id, int position)> onBarMoved;

LRESULT CALLBACK RecordingControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(control);
    if (message == WM_SETTEXT) labelTexts[id].push_back(reinterpret_cast<const char*>(lParam));
    if (message == PBM_SETPOS) {
        barPositions[id].push_back(static_cast<int>(wParam));
        if (onBarMoved) onBarMoved(id, static_cast<int>(wParam));
    }
    return CallWindowProcA(originalProcs[id], control, message, wParam, lParam);
}

// The user, working in another window while the copy runs, holds Escape there (the key
// repeats while held): the copy watches the key whichever window has the focus.
HWND elsewhere = NULL;
bool escapeHeld = false;

void HoldEscapeElsewhere() {
    if (elsewhere == NULL) {
        elsewhere = CreateWindowA("STATIC", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400,
                                  120, 60, NULL, NULL, GetModuleHandleA(NULL), NULL);
        SetForegroundWindow(elsewhere);
        SetFocus(elsewhere);
    }
    escapeHeld = true;
    keybd_event(VK_ESCAPE, 0, 0, 0);
}

void ReleaseEscape() {
    escapeHeld = false;
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    if (elsewhere != NULL) DestroyWindow(elsewhere);
    elsewhere = NULL;
}

class CopyJob : public DriveTest {
protected:
    void SetUp() override {
        DriveTest::SetUp();
        labelTexts.clear();
        barPositions.clear();
        onBarMoved = nullptr;
    }
    void TearDown() override {
        onBarMoved = nullptr;
        if (escapeHeld) ReleaseEscape();
        DriveTest::TearDown();
    }

    // The disc in E:, and the main window's labels and bars recorded.
    void InsertDisc(const FixtureDisc& disc) {
        DriveTest::InsertDisc(disc);
        for (int id : {IDC_TRACK_LABEL, IDC_TOTAL_LABEL, IDC_TRACK_PROGRESS, IDC_TOTAL_PROGRESS}) {
            const HWND control = GetDlgItem(mainWindow_, id);
            originalProcs[id] = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingControlProc)));
        }
    }

    // Ticks the given table positions only, then presses Start.
    static std::function<void(HWND)> TickAndStart(std::vector<int> ticked) {
        return [ticked](HWND dialog) {
            const HWND list = GetDlgItem(dialog, IDC_TRACK_LIST);
            for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                const bool tick = std::find(ticked.begin(), ticked.end(), row) != ticked.end();
                ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(tick ? 2 : 1), LVIS_STATEIMAGEMASK);
            }
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
    }

public:
    static void StartWithAllTicked(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }

    // Runs the job as a user who leaves every track ticked and presses Start.
    static void CopyEveryTrack(UiCatcher& ui) {
        ui.onDialog = StartWithAllTicked;
        RunCopyJob(discContext);
    }

protected:

    std::string OnlyCopyFolder() {
        const Lines folders = CopyFoldersHere();
        EXPECT_EQ(1u, folders.size());
        return folders.empty() ? std::string() : folder_ + "\\" + folders[0];
    }

    // The file must be the 44-byte header and then exactly the disc's samples.
    void ExpectTrackFile(const std::string& path, int trackIndex) {
        SCOPED_TRACE(path);
        const std::vector<uint8_t> file = ReadWholeFile(path);
        const std::vector<uint8_t> samples = FixtureTrackSamples(disc_, trackIndex);
        ASSERT_EQ(44 + samples.size(), file.size());
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), file.begin() + 44));
    }

    Lines ReadsOf(const Lines& journal) {
        Lines reads;
        for (const std::string& line : journal)
            if (line.find("RAW_READ") == 0) reads.push_back(line);
        return reads;
    }

    std::string LastLineFor(const char* drive) {
        const Lines journal = Journal();
        for (auto line = journal.rbegin(); line != journal.rend(); ++line)
            if (line->find(drive) != std::string::npos) return *line;
        return "";
    }

};

uint32_t Little32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}
uint16_t Little16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::string Tag(const std::vector<uint8_t>& bytes, size_t at) {
    return std::string(bytes.begin() + at, bytes.begin() + at + 4);
}

TEST_F(CopyJob, CopiesEveryTrackExactly) {
    FixtureDisc disc = AudioDisc({150, 75, 201, 1});
    disc.tracks[0].toneHz = 440;
    InsertDisc(disc);
    UiCatcher ui;
    CopyEveryTrack(ui);

    ExpectOnlyMessage(ui, "The audio disk has copied successfully.", "information");
    const std::string folder = OnlyCopyFolder();
    EXPECT_EQ((Lines{"track 01.wav", "track 02.wav", "track 03.wav", "track 04.wav"}), FilesIn(folder));
    for (int i = 0; i < 4; ++i) ExpectTrackFile(folder + "\\track 0" + std::to_string(i + 1) + ".wav", i);

    // The header, field by field, as a player reads it.
    const std::vector<uint8_t> file = ReadWholeFile(folder + "\\track 03.wav");
    ASSERT_GE(file.size(), 44u);
    const uint32_t bytes = 201 * 2352;
    EXPECT_EQ("RIFF", Tag(file, 0));
    EXPECT_EQ(bytes + 36, Little32(file, 4));
    EXPECT_EQ(file.size() - 8, Little32(file, 4));
    EXPECT_EQ("WAVE", Tag(file, 8));
    EXPECT_EQ("fmt ", Tag(file, 12));
    EXPECT_EQ(16u, Little32(file, 16));
    EXPECT_EQ(1, Little16(file, 20));
    EXPECT_EQ(2, Little16(file, 22));
    EXPECT_EQ(44100u, Little32(file, 24));
    EXPECT_EQ(176400u, Little32(file, 28));
    EXPECT_EQ(4, Little16(file, 32));
    EXPECT_EQ(16, Little16(file, 34));
    EXPECT_EQ("data", Tag(file, 36));
    EXPECT_EQ(bytes, Little32(file, 40));

    // One request a sector, each sector once, in order; the drive closed at the end.
    const Lines reads = ReadsOf(Journal());
    ASSERT_EQ(427u, reads.size());
    for (int i = 0; i < 427; ++i) EXPECT_EQ("RAW_READ E: " + std::to_string(i) + " 1 ok", reads[i]);
    EXPECT_EQ("CLOSE E:", Journal().back());
}

TEST_F(CopyJob, SelectionDialogShowsEveryTrackTicked) {
    InsertDisc(AudioDisc({75 * 273, 4500 * 3, 4500 * 3 + 1}));
    UiCatcher ui;
    std::vector<std::string> rows;
    ui.onDialog = [&](HWND dialog) {
        char caption[64];
        GetWindowTextA(dialog, caption, sizeof caption);
        rows.push_back(caption);
        const HWND list = GetDlgItem(dialog, IDC_TRACK_LIST);
        EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                  ListView_GetExtendedListViewStyle(list) & 0x25);
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            char number[16], length[16];
            ListView_GetItemText(list, row, 0, number, sizeof number);
            ListView_GetItemText(list, row, 1, length, sizeof length);
            const UINT state = ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK);
            rows.push_back(std::string(number) + " " + length + (state == 0x2000 ? " ticked" : " unticked"));
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    RunCopyJob(discContext);
    const Lines expected = {"Please check tracks for record", "01 04:33 ticked", "02 03:00 ticked",
                            "03 03:01 ticked"};
    EXPECT_EQ(expected, rows);
}

TEST_F(CopyJob, OnlyTheTickedTracks) {
    InsertDisc(AudioDisc({100, 120, 140, 160}));
    UiCatcher ui;
    ui.onDialog = TickAndStart({0, 2, 3});
    RunCopyJob(discContext);

    ExpectOnlyMessage(ui, "The audio disk has copied successfully.", "information");
    const std::string folder = OnlyCopyFolder();
    EXPECT_EQ((Lines{"track 01.wav", "track 03.wav", "track 04.wav"}), FilesIn(folder));
    ExpectTrackFile(folder + "\\track 03.wav", 2);
    EXPECT_EQ((Lines{"Total progress: 0 / 3", "Total progress: 1 / 3", "Total progress: 2 / 3",
                     "Total progress: 3 / 3"}),
              labelTexts[IDC_TOTAL_LABEL]);
    EXPECT_EQ((Lines{"Current track: 1", "Current track: 3", "Current track: 4"}),
              labelTexts[IDC_TRACK_LABEL]);
    EXPECT_EQ((std::vector<int>{1, 0, 1, 1}),
              (std::vector<int>{discContext.tracks[0].selected, discContext.tracks[1].selected,
                                discContext.tracks[2].selected, discContext.tracks[3].selected}));
}

// Each bar shows exactly floor(100 x done / total) after every sector; it is told only
// when that value changes.
TEST_F(CopyJob, BarsFollowEverySector) {
    const std::vector<int> frames = {7, 250, 3};
    InsertDisc(AudioDisc(frames));
    UiCatcher ui;
    CopyEveryTrack(ui);

    std::vector<int> trackExpected, totalExpected;
    const int total = 7 + 250 + 3;
    int done = 0, lastTotal = -1;
    for (int length : frames) {
        int lastTrack = -1;
        for (int i = 0; i < length; ++i) {
            const int trackValue = 100 * (i + 1) / length;
            const int totalValue = 100 * (done + i + 1) / total;
            if (trackValue != lastTrack) trackExpected.push_back(lastTrack = trackValue);
            if (totalValue != lastTotal) totalExpected.push_back(lastTotal = totalValue);
        }
        done += length;
    }
    EXPECT_EQ(trackExpected, barPositions[IDC_TRACK_PROGRESS]);
    EXPECT_EQ(totalExpected, barPositions[IDC_TOTAL_PROGRESS]);
    EXPECT_EQ(100, SendDlgItemMessageA(mainWindow_, IDC_TOTAL_PROGRESS, PBM_GETPOS, 0, 0));
}

TEST_F(CopyJob, NothingTickedKeepsTheDialog) {
    InsertDisc(AudioDisc({100, 100}));
    UiCatcher ui;
    HWND selection = NULL;
    ui.onDialog = [&](HWND dialog) {
        selection = dialog;
        PostMessageA(dialog, WM_COMMAND, IDC_SET_ALL_OFF, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    // After the message the same dialog is still there to tick a track and start.
    ui.onMessage = [&](HWND, const ShownMessage& shown) {
        if (shown.text != "Please check at least one track!") return;
        const HWND list = GetDlgItem(selection, IDC_TRACK_LIST);
        ListView_SetItemState(list, 1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
        PostMessageA(selection, WM_COMMAND, IDOK, 0);
    };
    RunCopyJob(discContext);
    ASSERT_EQ(2u, ui.messages.size());
    EXPECT_EQ("Please check at least one track!", ui.messages[0].text);
    EXPECT_EQ("information", ui.messages[0].icon);
    EXPECT_EQ(selection, ui.messages[0].owner);
    EXPECT_EQ("The audio disk has copied successfully.", ui.messages[1].text);
    EXPECT_EQ(1, ui.dialogsShown);
    EXPECT_EQ(Lines{"track 02.wav"}, FilesIn(OnlyCopyFolder()));
}

TEST_F(CopyJob, SetAllToOnAfterOff) {
    InsertDisc(AudioDisc({100, 100}));
    UiCatcher ui;
    ui.onDialog = [&](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDC_SET_ALL_OFF, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_SET_ALL_ON, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    RunCopyJob(discContext);
    ExpectOnlyMessage(ui, "The audio disk has copied successfully.", "information");
    EXPECT_EQ(2u, FilesIn(OnlyCopyFolder()).size());
}

TEST_F(CopyJob, CancelAndEscapeEndQuietly) {
    InsertDisc(AudioDisc({100}));
    for (const char* how : {"Cancel", "Escape"}) {
        SCOPED_TRACE(how);
        UiCatcher ui;
        ui.onDialog = [how](HWND dialog) {
            if (std::string(how) == "Cancel")
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            else
                PostMessageA(GetDlgItem(dialog, IDC_TRACK_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
        };
        RunCopyJob(discContext);
        EXPECT_EQ(1, ui.dialogsShown);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(CopyFoldersHere().empty());
        EXPECT_TRUE(ReadsOf(Journal()).empty());
    }
}

TEST_F(CopyJob, DiscReplacedWhileChoosing) {
    InsertDisc(AudioDisc({100, 200}));
    UiCatcher ui;
    ui.onDialog = [&](HWND dialog) {
        MakeDisc("disc", AudioDisc({100, 201}));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    RunCopyJob(discContext);
    ExpectOnlyMessage(ui, "The Audio CD disk is not the same. Please try again.", "information");
    EXPECT_TRUE(CopyFoldersHere().empty());
}

TEST_F(CopyJob, ReadErrorInTheMiddleOfTrackTwo) {
    FixtureDisc disc = AudioDisc({100, 100, 100});
    disc.remLines.push_back("EMULATOR READ_ERROR 150");
    InsertDisc(disc);
    UiCatcher ui;
    CopyEveryTrack(ui);
    ExpectOnlyMessage(ui, "Can not read the sector. Error!", "error");
    const std::string folder = OnlyCopyFolder();
    EXPECT_EQ(Lines{"track 01.wav"}, FilesIn(folder));
    ExpectTrackFile(folder + "\\track 01.wav", 0);
    EXPECT_EQ("RAW_READ E: 150 1 failed", ReadsOf(Journal()).back());
    EXPECT_EQ("CLOSE E:", LastLineFor("E:"));
}

// A read that reports success with less than a sector is a failed read: the buffer's
// stale bytes never reach a file.
TEST_F(CopyJob, ShortReadIsAFailedRead) {
    FixtureDisc disc = AudioDisc({100, 100});
    disc.remLines.push_back("EMULATOR SHORT_READ 120");
    InsertDisc(disc);
    UiCatcher ui;
    CopyEveryTrack(ui);
    ExpectOnlyMessage(ui, "Can not read the sector. Error!", "error");
    EXPECT_EQ(Lines{"track 01.wav"}, FilesIn(OnlyCopyFolder()));
    EXPECT_EQ("RAW_READ E: 120 1 short", ReadsOf(Journal()).back());
    EXPECT_EQ("CLOSE E:", LastLineFor("E:"));
}

TEST_F(CopyJob, FileThatCannotBeCreated) {
    InsertDisc(AudioDisc({50, 50}));
    UiCatcher ui;
    ui.onDialog = StartWithAllTicked;
    // While track 2 is read, something else takes its file's name.
    onBarMoved = [&](int id, int position) {
        if (id == IDC_TOTAL_PROGRESS && position == 60) {
            const Lines folders = CopyFoldersHere();
            ASSERT_EQ(1u, folders.size());
            CreateDirectoryA((folders[0] + "\\track 02.wav").c_str(), NULL);
        }
    };
    RunCopyJob(discContext);
    ExpectOnlyMessage(ui, "Can not create the file for write!", "error");
    EXPECT_EQ(Lines{"track 01.wav"}, FilesIn(OnlyCopyFolder()));
    EXPECT_EQ("CLOSE E:", LastLineFor("E:"));
}

// Run by its own test entry under a file size limit of 147 KiB: track 2's samples (64
// sectors, exactly 147 KiB) fit on the disc image, but its WAV file, 44 bytes longer,
// fails part-way. That file is removed again; track 1's stays.
TEST_F(CopyJob, WriteThatFailsLeavesNoPartialFile) {
    InsertDisc(AudioDisc({30, 64}));
    UiCatcher ui;
    CopyEveryTrack(ui);
    ExpectOnlyMessage(ui, "Error of save file to disk!", "error");
    const std::string folder = OnlyCopyFolder();
    EXPECT_EQ(Lines{"track 01.wav"}, FilesIn(folder));
    ExpectTrackFile(folder + "\\track 01.wav", 0);
    EXPECT_EQ("CLOSE E:", LastLineFor("E:"));
}

// A 100 MB track in an address space with no such hole left: the allocation fails, and
// that is a message, not a crash.
TEST_F(CopyJob, AllocationThatFails) {
    const std::string bin = folder_ + "\\big.bin";
    const HANDLE file = CreateFileA(bin.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER size;
    size.QuadPart = 45000LL * 2352;  // ten minutes, sparse on disk
    SetFilePointerEx(file, size, NULL, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(WriteWholeFile(folder_ + "\\big.cue",
                               "FILE \"big.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"));
    SetDrives("E=" + folder_ + "\\big.cue");
    OpenMainWindow();
    ClearJournal();

    UiCatcher ui;
    std::vector<void*> reserved;
    ui.onDialog = [&](HWND dialog) {
        // Leave no free hole of 64 MiB or more.
        for (void* block; (block = VirtualAlloc(NULL, 64 << 20, MEM_RESERVE, PAGE_NOACCESS)) != NULL;)
            reserved.push_back(block);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    RunCopyJob(discContext);
    for (void* block : reserved) VirtualFree(block, 0, MEM_RELEASE);
    ExpectOnlyMessage(ui, "Not enogth memory. Error!", "error");
    EXPECT_TRUE(FilesIn(OnlyCopyFolder()).empty());
    EXPECT_TRUE(ReadsOf(Journal()).empty());
    EXPECT_EQ("CLOSE E:", LastLineFor("E:"));
}

// Escape held during a copy asks; No goes on from the same sector, Yes stops with the
// finished files kept.
// Paced reads: the key is polled a while after it goes down, as when a user holds it.
FixtureDisc PacedDisc(const std::vector<int>& frames) {
    FixtureDisc disc = AudioDisc(frames);
    disc.remLines.push_back("EMULATOR SPEED 2");
    return disc;
}

// Copies every track, holding Escape from 60% of the whole copy until the question shows,
// which is answered with `answer`.
void CopyWithEscapeHeld(UiCatcher& ui, int answer) {
    ui.onDialog = CopyJob::StartWithAllTicked;
    ui.answer = answer;
    bool pressed = false;
    onBarMoved = [&](int id, int position) {
        if (id == IDC_TOTAL_PROGRESS && ((position >= 60 && !pressed) || escapeHeld)) {
            pressed = true;
            HoldEscapeElsewhere();
        }
    };
    ui.onMessage = [](HWND, const ShownMessage&) { ReleaseEscape(); };
    RunCopyJob(discContext);
    onBarMoved = nullptr;
}

TEST_F(CopyJob, EscapeAnsweredNoGoesOn) {
    InsertDisc(PacedDisc({60, 80}));
    UiCatcher ui;
    CopyWithEscapeHeld(ui, IDNO);

    ASSERT_EQ(2u, ui.messages.size());
    EXPECT_EQ("Break copy. Are you sure?", ui.messages[0].text);
    EXPECT_EQ("question", ui.messages[0].icon);
    EXPECT_EQ(IDNO, ui.messages[0].defaultButton);
    EXPECT_EQ(mainWindow_, ui.messages[0].owner);
    EXPECT_EQ("The audio disk has copied successfully.", ui.messages[1].text);
    const Lines reads = ReadsOf(Journal());
    ASSERT_EQ(140u, reads.size());
    for (int i = 0; i < 140; ++i) EXPECT_EQ("RAW_READ E: " + std::to_string(i) + " 1 ok", reads[i]);
    const std::string folder = OnlyCopyFolder();
    ExpectTrackFile(folder + "\\track 02.wav", 1);
}

TEST_F(CopyJob, EscapeAnsweredYesStops) {
    InsertDisc(PacedDisc({60, 80, 40}));
    UiCatcher ui;
    CopyWithEscapeHeld(ui, IDYES);

    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ("Break copy. Are you sure?", ui.messages[0].text);
    const std::string folder = OnlyCopyFolder();
    EXPECT_EQ(Lines{"track 01.wav"}, FilesIn(folder));
    ExpectTrackFile(folder + "\\track 01.wav", 0);
    EXPECT_LT(ReadsOf(Journal()).size(), 140u);
    EXPECT_EQ("CLOSE E:", LastLineFor("E:"));
}

// Two copies within one minute each get a folder of their own; nothing is replaced.
TEST_F(CopyJob, SecondCopyNeverReplacesTheFirst) {
    InsertDisc(AudioDisc({30, 20}));
    // Whatever minute the copy lands in, a folder of that name already holds a copy.
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME asFile;
    SystemTimeToFileTime(&now, &asFile);
    for (int minute = 0; minute < 2; ++minute) {
        ULARGE_INTEGER t;
        t.LowPart = asFile.dwLowDateTime;
        t.HighPart = asFile.dwHighDateTime;
        t.QuadPart += minute * 60ULL * 10000000ULL;
        FILETIME later = {t.LowPart, t.HighPart};
        SYSTEMTIME s;
        FileTimeToSystemTime(&later, &s);
        char name[MAX_PATH];
        wsprintfA(name, "Audio Disk copy %d-%02d-%02d %d-%d", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute);
        CreateDirectoryA(name, NULL);
        WriteWholeFile(std::string(name) + "\\track 01.wav", "an earlier copy");
    }
    const Lines before = CopyFoldersHere();

    UiCatcher ui;
    CopyEveryTrack(ui);
    RunCopyJob(discContext);
    ASSERT_EQ(2u, ui.messages.size());

    Lines made;
    for (const std::string& name : CopyFoldersHere())
        if (std::find(before.begin(), before.end(), name) == before.end()) made.push_back(name);
    ASSERT_EQ(2u, made.size());
    for (const std::string& name : made) {
        EXPECT_NE(std::string::npos, name.find(" (")) << name;
        ExpectTrackFile(folder_ + "\\" + name + "\\track 02.wav", 1);
    }
    for (const std::string& name : before) {
        const std::vector<uint8_t> kept = ReadWholeFile(folder_ + "\\" + name + "\\track 01.wav");
        EXPECT_EQ("an earlier copy", std::string(kept.begin(), kept.end()));
    }
}

// The real command: the main window is disabled while the worker runs, and enabled again
// as its last act, after success and after failure alike.
TEST_F(CopyJob, MainWindowDisabledWhileTheWorkerRuns) {
    FixtureDisc disc = AudioDisc({40});
    InsertDisc(disc);
    for (const char* outcome : {"success", "read error"}) {
        SCOPED_TRACE(outcome);
        if (std::string(outcome) == "read error") {
            disc.remLines.push_back("EMULATOR READ_ERROR 10");
            MakeDisc("disc", disc);
        }
        SendMessageA(mainWindow_, WM_COMMAND, IDM_COPY, 0);
        EXPECT_FALSE(IsWindowEnabled(mainWindow_));
        // The worker's windows are owned by the main window: answer them as they come,
        // until the last one has gone and the main window is enabled again.
        std::vector<std::string> seen;
        bool lastShown = false, disabledUnderLast = false;
        PumpMessagesUntil(
            [&] {
                for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                    if (GetWindow(w, GW_OWNER) != mainWindow_ || !IsWindowVisible(w) ||
                        GetPropA(w, "korvello.answered"))
                        continue;
                    SetPropA(w, "korvello.answered", reinterpret_cast<HANDLE>(1));
                    char text[128] = "";
                    const HWND body = GetDlgItem(w, 0xFFFF);
                    GetWindowTextA(body ? body : w, text, sizeof text);
                    seen.push_back(text);
                    if (body != NULL) {
                        lastShown = true;
                        disabledUnderLast = !IsWindowEnabled(mainWindow_);
                    }
                    PostMessageA(w, WM_COMMAND, IDOK, 0);
                }
                return lastShown && IsWindowEnabled(mainWindow_);
            },
            30000);
        EXPECT_TRUE(disabledUnderLast);
        EXPECT_TRUE(IsWindowEnabled(mainWindow_));
        const Lines expected = {"Please check tracks for record",
                                std::string(outcome) == "success" ? "The audio disk has copied successfully."
                                                                  : "Can not read the sector. Error!"};
        EXPECT_EQ(expected, seen);
    }
}

}  // namespace
