// The play-track dialog and the About box, run modally as the main window runs them.
#include "test_support.h"

#include "app/dialogs.h"
#include "disc/disc_context.h"
#include "resources/resource.h"

namespace {

using Lines = std::vector<std::string>;

class PlayTrack : public DriveTest {
protected:
    INT_PTR RunDialog() {
        return DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PLAY_TRACK), mainWindow_,
                               PlayTrackDialogProc, reinterpret_cast<LPARAM>(&discContext));
    }

    // Chooses a line as a click does: focused and selected.
    static void ChooseLine(HWND dialog, int line) {
        const HWND list = GetDlgItem(dialog, IDC_TRACK_LIST);
        ListView_SetItemState(list, line, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }

    Lines PlayRequests() {
        Lines plays;
        for (const std::string& line : Journal())
            if (line.find("PLAY_AUDIO_MSF") == 0) plays.push_back(line);
        return plays;
    }

    std::string PlayLine(int fromTrack, int toTrack) {
        const int end = toTrack == static_cast<int>(disc_.tracks.size()) ? FixtureLeadOutLba(disc_)
                                                                         : FixtureTrackStartLba(disc_, toTrack);
        return "PLAY_AUDIO_MSF E: " + MsfText(FixtureTrackStartLba(disc_, fromTrack)) + " " + MsfText(end) + " ok";
    }
};

TEST_F(PlayTrack, ListsTheTracks) {
    InsertDisc(AudioDisc({4500 * 3, 75 * 61 + 1}));
    UiCatcher ui;
    Lines rows;
    ui.onDialog = [&](HWND dialog) {
        char caption[64];
        GetWindowTextA(dialog, caption, sizeof caption);
        rows.push_back(caption);
        const HWND list = GetDlgItem(dialog, IDC_TRACK_LIST);
        EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, ListView_GetExtendedListViewStyle(list) & 0x25);
        EXPECT_EQ(160, ListView_GetColumnWidth(list, 1));
        EXPECT_EQ(50, ListView_GetColumnWidth(list, 0));
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            char number[16], length[16];
            ListView_GetItemText(list, row, 0, number, sizeof number);
            ListView_GetItemText(list, row, 1, length, sizeof length);
            rows.push_back(std::string(number) + " " + length);
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(0, RunDialog());
    EXPECT_EQ((Lines{"Select a track", "01 03:00", "02 01:02"}), rows);
    EXPECT_TRUE(PlayRequests().empty());
}

// Line 01 plays the whole disc; any other line its track alone, the last one to the end.
TEST_F(PlayTrack, PlaysTheChosenLine) {
    InsertDisc(AudioDisc({300, 400, 500, 600}));
    struct Case {
        int line;
        int from, to;
    };
    for (const Case& c : {Case{2, 2, 3}, Case{0, 0, 4}, Case{3, 3, 4}, Case{1, 1, 2}}) {
        SCOPED_TRACE(c.line);
        ClearJournal();
        UiCatcher ui;
        ui.onDialog = [&](HWND dialog) {
            ChooseLine(dialog, c.line);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(1, RunDialog());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(Lines{PlayLine(c.from, c.to)}, PlayRequests());
        EXPECT_EQ("CLOSE E:", Journal().back());
    }
}

TEST_F(PlayTrack, DoubleClickPlaysAndCloses) {
    InsertDisc(AudioDisc({300, 400, 500}));
    UiCatcher ui;
    ui.onDialog = [&](HWND dialog) {
        ChooseLine(dialog, 1);
        NMHDR click = {GetDlgItem(dialog, IDC_TRACK_LIST), IDC_TRACK_LIST, static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(dialog, WM_NOTIFY, IDC_TRACK_LIST, reinterpret_cast<LPARAM>(&click));
    };
    EXPECT_EQ(1, RunDialog());
    EXPECT_EQ(Lines{PlayLine(1, 2)}, PlayRequests());
}

// OK, or a double click, with no line chosen: the message, and the dialog stays open.
TEST_F(PlayTrack, NothingChosen) {
    InsertDisc(AudioDisc({300, 400}));
    for (const char* how : {"OK", "double click"}) {
        SCOPED_TRACE(how);
        UiCatcher ui;
        HWND shown = NULL;
        ui.onDialog = [&](HWND dialog) {
            shown = dialog;
            if (std::string(how) == "OK") {
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            } else {
                NMHDR click = {GetDlgItem(dialog, IDC_TRACK_LIST), IDC_TRACK_LIST, static_cast<UINT>(NM_DBLCLK)};
                SendMessageA(dialog, WM_NOTIFY, IDC_TRACK_LIST, reinterpret_cast<LPARAM>(&click));
            }
        };
        bool stillOpen = false;
        ui.onMessage = [&](HWND, const ShownMessage&) {
            stillOpen = IsWindow(shown) != FALSE;
            PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
        };
        EXPECT_EQ(0, RunDialog());
        ASSERT_EQ(1u, ui.messages.size());
        EXPECT_EQ("Please select a line in list box!", ui.messages[0].text);
        EXPECT_EQ("information", ui.messages[0].icon);
        EXPECT_EQ(shown, ui.messages[0].owner);
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(PlayRequests().empty());
    }
}

TEST_F(PlayTrack, DiscChangedWhileOpen) {
    InsertDisc(AudioDisc({300, 400}));
    UiCatcher ui;
    ui.onDialog = [&](HWND dialog) {
        MakeDisc("disc", AudioDisc({300, 401}));
        ChooseLine(dialog, 1);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(1, RunDialog());
    ExpectOnlyMessage(ui, "The Audio CD disk is not the same. Please try again.", "information");
    EXPECT_TRUE(PlayRequests().empty());
}

TEST_F(PlayTrack, NoDiscWhenOpened) {
    SetDrives("E=");
    OpenMainWindow();
    UiCatcher ui;
    EXPECT_EQ(0, RunDialog());
    EXPECT_EQ(0, ui.dialogsShown);
    ExpectOnlyMessage(ui, "Please insert AUDIO-CD compact disk and try again!", "error");
}

TEST_F(PlayTrack, CancelEscapeAndCloseBoxPlayNothing) {
    InsertDisc(AudioDisc({300, 400}));
    struct Case {
        const char* how;
        void (*press)(HWND);
    };
    const Case cases[] = {
        {"Cancel", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
        {"Escape", [](HWND d) { PostMessageA(GetDlgItem(d, IDC_TRACK_LIST), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        UiCatcher ui;
        ui.onDialog = [&](HWND dialog) {
            ChooseLine(dialog, 1);
            c.press(dialog);
        };
        EXPECT_EQ(0, RunDialog());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(PlayRequests().empty());
    }
}

class AboutBox : public DriveTest {};

TEST_F(AboutBox, ShowsNameVersionCreditAndRights) {
    OpenMainWindow();
    for (const char* how : {"OK", "Escape", "close box"}) {
        SCOPED_TRACE(how);
        UiCatcher ui;
        Lines texts;
        ui.onDialog = [&](HWND dialog) {
            char caption[64];
            GetWindowTextA(dialog, caption, sizeof caption);
            texts = {caption, ControlText(dialog, IDC_ABOUT_VERSION), ControlText(dialog, IDC_ABOUT_AUTHOR),
                     ControlText(dialog, IDC_ABOUT_RIGHTS)};
            if (std::string(how) == "OK")
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            else if (std::string(how) == "Escape")
                PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
            else
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        };
        const INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT),
                                               mainWindow_, AboutDialogProc, 0);
        EXPECT_EQ(std::string(how) == "OK" ? IDOK : IDCANCEL, result);
        char author[100], rights[100];
        LoadStringA(GetModuleHandleA(NULL), IDS_AUTHOR, author, sizeof author);
        LoadStringA(GetModuleHandleA(NULL), IDS_RIGHTS, rights, sizeof rights);
        EXPECT_EQ((Lines{"Dialog", "Korvello version 1.2", author, rights}), texts);
        EXPECT_STRNE("", author);
        EXPECT_STRNE("", rights);
    }
}

}  // namespace
