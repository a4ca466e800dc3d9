// The shortcut hook, the drive list and the main window's commands.
#include "test_support.h"

#include "app/main_window.h"
#include "disc/disc_context.h"
#include "resources/resource.h"

namespace {

std::vector<int> commandsReceived;

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) commandsReceived.push_back(LOWORD(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window standing in for the main window, which records the commands it receives.
class ShortcutHook : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingWindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "KorvelloRecordingWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowA("KorvelloRecordingWindow", "recorder", WS_OVERLAPPEDWINDOW, 0, 0,
                                100, 100, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(window_ != NULL);
        discContext.ownerWindow = window_;
        commandsReceived.clear();
    }
    void TearDown() override {
        SetModifiers(false, false, false);
        DestroyWindow(window_);
        discContext.ownerWindow = NULL;
    }

    // The thread's key state, as the accelerator translation reads it.
    static void SetModifiers(bool control, bool alt, bool shift) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
        keys[VK_MENU] = keys[VK_LMENU] = alt ? 0x80 : 0;
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    LRESULT Offer(int code, UINT message, WPARAM key, LPARAM flags) {
        MSG msg = {};
        msg.hwnd = window_;
        msg.message = message;
        msg.wParam = key;
        msg.lParam = flags;
        return AcceleratorHook(code, 0, reinterpret_cast<LPARAM>(&msg));
    }

    HWND window_ = NULL;
};

const LPARAM kAltDown = 1 << 29;  // the context bit of a key pressed with Alt

TEST_F(ShortcutHook, TranslatesTheShortcuts) {
    struct Case {
        const char* keys;
        bool control, alt, shift;
        UINT message;
        WPARAM key;
        LPARAM flags;
        int command;
    };
    const Case cases[] = {
        {"Ctrl+P", true, false, false, WM_KEYDOWN, 'P', 1, IDM_PLAY},
        {"Ctrl+S", true, false, false, WM_KEYDOWN, 'S', 1, IDM_PAUSE_RESUME},
        {"Ctrl+T", true, false, false, WM_KEYDOWN, 'T', 1, IDM_PLAY_TRACK},
        {"Ctrl+C", true, false, false, WM_KEYDOWN, 'C', 1, IDM_COPY},
        {"Alt+/", false, true, false, WM_SYSCHAR, '/', 1 | kAltDown, IDM_ABOUT},
        {"Alt+?", false, true, true, WM_SYSCHAR, '?', 1 | kAltDown, IDM_ABOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        commandsReceived.clear();
        SetModifiers(c.control, c.alt, c.shift);
        EXPECT_EQ(1, Offer(MSGF_DIALOGBOX, c.message, c.key, c.flags));
        EXPECT_EQ(std::vector<int>{c.command}, commandsReceived);
    }
}

TEST_F(ShortcutHook, PassesOtherKeysOn) {
    struct Case {
        const char* keys;
        bool control, alt;
        UINT message;
        WPARAM key;
        LPARAM flags;
    };
    const Case cases[] = {
        {"P alone", false, false, WM_KEYDOWN, 'P', 1},
        {"Ctrl+X", true, false, WM_KEYDOWN, 'X', 1},
        {"Ctrl+Shift+P", true, false, WM_KEYDOWN, 'P', 1},  // shift set below
        {"Alt+P", false, true, WM_SYSKEYDOWN, 'P', 1 | kAltDown},
        {"/ typed", false, false, WM_CHAR, '/', 1},
        {"Escape", false, false, WM_KEYDOWN, VK_ESCAPE, 1},
        {"Return", false, false, WM_KEYDOWN, VK_RETURN, 1},
        {"mouse", false, false, WM_LBUTTONDOWN, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        commandsReceived.clear();
        SetModifiers(c.control, c.alt, std::string(c.keys) == "Ctrl+Shift+P");
        EXPECT_EQ(0, Offer(MSGF_DIALOGBOX, c.message, c.key, c.flags));
        EXPECT_TRUE(commandsReceived.empty());
    }
}

TEST_F(ShortcutHook, LeavesMenuLoopsAlone) {
    SetModifiers(true, false, false);
    for (int code : {MSGF_MENU, MSGF_SCROLLBAR, MSGF_NEXTWINDOW, -1}) {
        EXPECT_EQ(0, Offer(code, WM_KEYDOWN, 'P', 1)) << code;
    }
    EXPECT_TRUE(commandsReceived.empty());
}

class MainWindow : public DriveTest {};

TEST_F(MainWindow, ListsTheDrivesSortedWithTheFirstSelected) {
    SetDrives("F=;E=");
    const HWND window = OpenMainWindow();
    const HWND list = GetDlgItem(window, IDC_DRIVE_LIST);
    ASSERT_EQ(2, SendMessageA(list, CB_GETCOUNT, 0, 0));
    char name[16];
    SendMessageA(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ("E:", name);
    SendMessageA(list, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ("F:", name);
    EXPECT_EQ(0, SendMessageA(list, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(window, discContext.ownerWindow);
    char title[64];
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Korvello", title);
    EXPECT_TRUE(SendMessageA(window, WM_GETICON, ICON_BIG, 0) != 0);
    EXPECT_TRUE(SendMessageA(window, WM_GETICON, ICON_SMALL, 0) != 0);
}

TEST_F(MainWindow, EnterAndEscapeLeaveItOpen) {
    SetDrives("E=");
    const HWND window = OpenMainWindow();
    SendMessageA(window, WM_COMMAND, IDOK, 0);
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(MainWindow, PlayAndPauseCommands) {
    const FixtureDisc disc = AudioDisc({300, 200});
    SetDrives("E=" + MakeDisc("disc", disc));
    const HWND window = OpenMainWindow();
    ClearJournal();
    SendMessageA(window, WM_COMMAND, IDM_PLAY, 0);
    SendMessageA(window, WM_COMMAND, IDM_PAUSE_RESUME, 0);
    std::vector<std::string> commands;
    for (const std::string& line : Journal())
        if (line.find("OPEN") != 0 && line.find("CLOSE") != 0 && line.find("READ_TOC") != 0 &&
            line.find("GET_LAST_SESSION") != 0)
            commands.push_back(line);
    const std::vector<std::string> expected = {
        "PLAY_AUDIO_MSF E: 00:02:00 " + MsfText(FixtureLeadOutLba(disc)) + " ok", "PAUSE_AUDIO E: ok"};
    EXPECT_EQ(expected, commands);
}

TEST_F(MainWindow, ClosingStopsPlay) {
    SetDrives("E=" + MakeDisc("disc", AudioDisc({300})));
    OpenMainWindow();
    ClearJournal();
    CloseMainWindow();
    EXPECT_EQ((std::vector<std::string>{"OPEN E:", "STOP_AUDIO E: ok", "CLOSE E:"}), Journal());
}

}  // namespace
