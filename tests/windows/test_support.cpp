#include "test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "disc/disc_context.h"
#include "disc/toc_record.h"
#include "resources/resource.h"

namespace {

UiCatcher* activeCatcher = NULL;

bool IsMessageBox(HWND window) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF) != NULL;
}

// A message box's icon is a static control holding one of the system's shared icons.
std::string IconOf(HWND box) {
    struct Known {
        LPCSTR id;
        const char* name;
    };
    const Known known[] = {{IDI_HAND, "error"}, {IDI_ASTERISK, "information"},
                           {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"}};
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        const HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (icon == NULL) continue;
        for (const Known& k : known)
            if (icon == LoadIconA(NULL, k.id)) return k.name;
        return "unknown";
    }
    return "none";
}

// The button drawn as the default one.
int DefaultButtonOf(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) return GetDlgCtrlID(child);
    return 0;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string TempRoot() {
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

UiCatcher::UiCatcher() : previous_(activeCatcher) {
    activeCatcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, NULL, GetCurrentThreadId());
}

UiCatcher::~UiCatcher() {
    UnhookWindowsHookEx(hook_);
    activeCatcher = previous_;
}

LRESULT CALLBACK UiCatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeCatcher != NULL)
        activeCatcher->Activated(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// Posted to a message box once it is up; posted messages come before input, so the
// box is read and answered before any key waiting in the queue can reach it.
const UINT answerMessage = RegisterWindowMessageA("korvello.answer");

void UiCatcher::Activated(HWND window) {
    if (window == discContext.ownerWindow) return;
    if (IsMessageBox(window)) {
        // Activation comes again when the box gets the focus back; take it once.
        if (GetPropA(window, "korvello.seen")) return;
        SetPropA(window, "korvello.seen", reinterpret_cast<HANDLE>(1));
        SetPropA(window, "korvello.proc", reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                                              window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MessageBoxProc))));
        PostMessageA(window, answerMessage, 0, 0);
        return;
    }
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || GetPropA(window, "korvello.seen")) return;
    SetPropA(window, "korvello.seen", reinterpret_cast<HANDLE>(1));
    ++dialogsShown;
    if (onDialog)
        onDialog(window);
    else
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
}

LRESULT CALLBACK UiCatcher::MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == answerMessage && activeCatcher != NULL) {
        activeCatcher->Answer(box);
        return 0;
    }
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetPropA(box, "korvello.proc")), box, message,
                           wParam, lParam);
}

// By now the box shows what the user sees, its default button included.
void UiCatcher::Answer(HWND box) {
    const ShownMessage shown = {WindowText(box), WindowText(GetDlgItem(box, 0xFFFF)), IconOf(box),
                                GetWindow(box, GW_OWNER), DefaultButtonOf(box)};
    messages.push_back(shown);
    if (onMessage) onMessage(box, shown);
    PostMessageA(box, WM_COMMAND, answer, 0);
}

void DriveTest::SetUp() {
    GetCurrentDirectoryA(MAX_PATH, previousDirectory_);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per run: a folder the shell still shows from an earlier run cannot be removed.
    folder_ = TempRoot() + "korvello-" + test->test_suite_name() + "-" + test->name() + "-" +
              std::to_string(GetCurrentProcessId());
    for (char& c : folder_)
        if (c == '/') c = '-';
    RemoveTree(folder_);
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), NULL)) << folder_;
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    journal_ = folder_ + "\\drive.log";
    SetEnvironmentVariableA("KORVELLO_DRIVE_LOG", journal_.c_str());
    SetEnvironmentVariableA("KORVELLO_DRIVES", "");
    const DiscContext fresh = {};
    char caption[kCaptionChars];
    lstrcpyA(caption, discContext.caption);
    discContext = fresh;
    lstrcpyA(discContext.caption, caption);
}

void DriveTest::TearDown() {
    CloseMainWindow();
    SetCurrentDirectoryA(previousDirectory_);
    SetEnvironmentVariableA("KORVELLO_DRIVE_LOG", NULL);
    SetEnvironmentVariableA("KORVELLO_DRIVES", NULL);
    if (!HasFailure()) RemoveTree(folder_);
}

std::string DriveTest::MakeDisc(const std::string& name, const FixtureDisc& disc) {
    const std::string cue = WriteFixtureDisc(folder_, name, disc);
    EXPECT_FALSE(cue.empty()) << "could not write disc " << name;
    return cue;
}

void DriveTest::SetDrives(const std::string& drives) {
    SetEnvironmentVariableA("KORVELLO_DRIVES", drives.c_str());
}

HWND DriveTest::OpenMainWindow() {
    mainWindow_ = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     MainDialogProc, 0);
    EXPECT_TRUE(mainWindow_ != NULL);
    ShowWindow(mainWindow_, SW_SHOWNORMAL);
    return mainWindow_;
}

void DriveTest::InsertDisc(const FixtureDisc& disc) {
    disc_ = disc;
    cue_ = MakeDisc("disc", disc);
    SetDrives("E=" + cue_);
    OpenMainWindow();
    ClearJournal();
}

void DriveTest::CloseMainWindow() {
    if (mainWindow_ == NULL) return;
    UiCatcher stopMessages;  // closing stops play, which may find no drive and say so
    DestroyWindow(mainWindow_);
    mainWindow_ = NULL;
    discContext.ownerWindow = NULL;
}

void DriveTest::ExpectOnlyMessage(const UiCatcher& ui, const char* text, const char* icon) const {
    ASSERT_EQ(1u, ui.messages.size()) << (ui.messages.empty() ? "" : ui.messages[0].text);
    EXPECT_EQ("Korvello", ui.messages[0].caption);
    EXPECT_EQ(text, ui.messages[0].text);
    EXPECT_EQ(icon, ui.messages[0].icon);
    EXPECT_EQ(mainWindow_, ui.messages[0].owner);
}

std::vector<std::string> DriveTest::Journal() const {
    std::vector<std::string> lines;
    std::ifstream in(journal_.c_str());
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void DriveTest::ClearJournal() const { DeleteFileA(journal_.c_str()); }

FixtureDisc AudioDisc(const std::vector<int>& frames) {
    FixtureDisc disc;
    for (int length : frames) {
        FixtureTrack track;
        track.frames = length;
        disc.tracks.push_back(track);
    }
    return disc;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> CopyFoldersHere() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA("Audio Disk copy *", &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MsfText(int lba) {
    const Msf msf = LbaToMsf(lba);
    char text[16];
    wsprintfA(text, "%02d:%02d:%02d", msf.minutes, msf.seconds, msf.frames);
    return text;
}

void PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

std::string ControlText(HWND window, int id) {
    char text[256] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}
