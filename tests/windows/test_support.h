// What the Windows tests share: a scratch folder per test as the current directory, the
// emulated drives and their journal, disc images, and a catcher for the dialogs and
// message boxes that the program shows on the test's thread.
#ifndef KORVELLO_TEST_SUPPORT_H
#define KORVELLO_TEST_SUPPORT_H

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "emulator/disc_fixture.h"

// One message box as the user saw it.
struct ShownMessage {
    std::string caption;
    std::string text;
    std::string icon;  // "error", "information", "question" or "none"
    HWND owner;
    int defaultButton;
};

// Catches every dialog and message box activated on this thread (a WH_CBT hook).
// Message boxes are recorded and answered; other dialogs go to onDialog, which scripts
// them (it runs before the dialog's modal loop takes its first message).
class UiCatcher {
public:
    UiCatcher();
    ~UiCatcher();

    std::vector<ShownMessage> messages;
    int answer = IDOK;  // the button that answers every message box
    std::function<void(HWND box, const ShownMessage&)> onMessage;  // runs before answering
    std::function<void(HWND dialog)> onDialog;
    int dialogsShown = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void Activated(HWND window);
    void Answer(HWND box);
    HHOOK hook_;
    UiCatcher* previous_;
};

// The base of the tests that use the emulated drives.
class DriveTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

public:  // also for the lambdas of table-driven cases
    // Writes a disc image into the scratch folder; returns its CUE path.
    std::string MakeDisc(const std::string& name, const FixtureDisc& disc);
    // KORVELLO_DRIVES, e.g. "E=" + cue.
    void SetDrives(const std::string& drives);
    // Makes the main window (modeless, on this thread) with the drives set now.
    HWND OpenMainWindow();
    // Puts a disc image in drive E: and opens the main window over it, with an empty journal.
    void InsertDisc(const FixtureDisc& disc);
    void CloseMainWindow();

    // The one message box shown: captioned with the program's title, owned by the main window.
    void ExpectOnlyMessage(const UiCatcher& ui, const char* text, const char* icon) const;

    std::vector<std::string> Journal() const;
    void ClearJournal() const;

    std::string folder_;   // the scratch folder, also the current directory
    std::string journal_;
    HWND mainWindow_ = NULL;
    FixtureDisc disc_;     // the disc InsertDisc put in E:
    std::string cue_;

private:
    char previousDirectory_[MAX_PATH] = "";
};

// A disc of audio tracks of the given lengths in frames.
FixtureDisc AudioDisc(const std::vector<int>& frames);

// Every file of a folder (names only), and the folders of the current directory.
std::vector<std::string> FilesIn(const std::string& folder);
std::vector<std::string> CopyFoldersHere();

std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// "MM:SS:FF" of a disc address.
std::string MsfText(int lba);

// Pumps this thread's messages for a while, or until done() holds.
void PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The texts a window's control shows.
std::string ControlText(HWND window, int id);

#endif
