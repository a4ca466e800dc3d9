// copy-clock DIALOG OWNER SECONDS: times a copy job from the outside, on the same Wine
// desktop as the program. Prints "watching" once it watches; then, when the copy's
// selection dialog DIALOG has closed (Start) and a message box owned by OWNER (the main
// window) has shown, prints the seconds between the two, a tab and the box's text.
// Handles are as winprobe prints them (0x...). Exit status: 0 done, 1 timed out, 2 usage.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Short beside any copy worth timing, and light on the wineserver the copy also uses.
const DWORD kPollMs = 2;
const int kMessageBoxTextId = 0xFFFF;

HWND ParseHandle(const char* text) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoul(text, NULL, 16)));
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND MessageBoxOf(HWND owner) {
    HWND window = NULL;
    while ((window = FindWindowExA(NULL, window, "#32770", NULL)) != NULL) {
        if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window) &&
            GetDlgItem(window, kMessageBoxTextId) != NULL)
            return window;
    }
    return NULL;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strncmp(argv[1], "0x", 2) != 0 || std::strncmp(argv[2], "0x", 2) != 0) {
        std::fprintf(stderr, "usage: copy-clock DIALOG OWNER SECONDS\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n alone, as the script reads them
    const HWND dialog = ParseHandle(argv[1]);
    const HWND owner = ParseHandle(argv[2]);
    const double deadline = Seconds() + std::atof(argv[3]);
    std::printf("watching\n");
    std::fflush(stdout);

    while (IsWindowVisible(dialog)) {
        if (Seconds() > deadline) {
            std::fprintf(stderr, "copy-clock: the selection dialog is still open\n");
            return 1;
        }
        Sleep(kPollMs);
    }
    const double started = Seconds();
    HWND box = NULL;
    while ((box = MessageBoxOf(owner)) == NULL) {
        if (Seconds() > deadline) {
            std::fprintf(stderr, "copy-clock: no message box after the copy started\n");
            return 1;
        }
        Sleep(kPollMs);
    }
    const double shown = Seconds();
    // A box seen as soon as it shows may not answer, or have its text, yet.
    char text[1024] = "";
    while (!SendMessageTimeoutA(GetDlgItem(box, kMessageBoxTextId), WM_GETTEXT, sizeof text,
                                reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, NULL) ||
           text[0] == '\0') {
        if (Seconds() > deadline) {
            std::fprintf(stderr, "copy-clock: the message box has no text\n");
            return 1;
        }
        Sleep(kPollMs);
    }
    std::printf("%.6f\t%s\n", shown - started, text);
    return 0;
}
