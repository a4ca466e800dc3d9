// winprobe: looks at and pokes the windows of another program on the same Wine desktop,
// for the end-to-end scripts. Run it in the program's Wine prefix.
//
// A WINDOW argument is a handle as printed here (0x...) or the exact title of a visible
// top-level window; a title never matches a message box, so "Korvello" is the main
// window even while a message box captioned "Korvello" is up. Timeouts are in seconds.
// Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kMessageBoxTextId = 0xFFFF;
const DWORD kPollMs = 50;

std::string WindowText(HWND window) {
    char text[1024] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, NULL);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Tabs and line breaks written visibly, so that every answer stays on one line.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\t') line += "\\t";
        else if (c == '\n') line += "\\n";
        else if (c != '\r') line += c;
    }
    return line;
}

bool IsMessageBox(HWND window) {
    return ClassOf(window) == "#32770" && GetDlgItem(window, kMessageBoxTextId) != NULL;
}

BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(AddVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindByTitle(const char* title, const char* className) {
    for (HWND window : TopLevelWindows()) {
        if (IsMessageBox(window) || WindowText(window) != title) continue;
        if (className == NULL || ClassOf(window) == className) return window;
    }
    return NULL;
}

HWND ParseHandle(const char* text) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoul(text, NULL, 16)));
}

HWND Resolve(const char* windowName) {
    if (std::strncmp(windowName, "0x", 2) == 0) {
        const HWND window = ParseHandle(windowName);
        return IsWindow(window) ? window : NULL;
    }
    return FindByTitle(windowName, NULL);
}

HWND ResolveOrFail(const char* windowName) {
    const HWND window = Resolve(windowName);
    if (window == NULL) {
        std::fprintf(stderr, "winprobe: no window \"%s\"\n", windowName);
        std::exit(1);
    }
    return window;
}

HWND ControlOrFail(HWND window, const char* idText) {
    const HWND control = GetDlgItem(window, static_cast<int>(std::strtol(idText, NULL, 0)));
    if (control == NULL) {
        std::fprintf(stderr, "winprobe: window 0x%08lx has no control %s\n",
                     static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)), idText);
        std::exit(1);
    }
    return control;
}

void PrintHandle(HWND window) {
    std::printf("0x%08lx\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
}

// Polls `found` until it answers true or the timeout passes.
template <typename Check>
bool WaitFor(double seconds, Check found) {
    const DWORD limit = static_cast<DWORD>(seconds * 1000);
    const DWORD start = GetTickCount();
    for (;;) {
        if (found()) return true;
        if (GetTickCount() - start >= limit) return false;
        Sleep(kPollMs);
    }
}

// enabled, iconic (minimised) or active (the foreground window): 1 or 0.
int HasState(HWND window, const std::string& state) {
    if (state == "enabled") return IsWindowEnabled(window) != 0;
    if (state == "iconic") return IsIconic(window) != 0;
    if (state == "active") return GetForegroundWindow() == window;
    std::fprintf(stderr, "winprobe: no state \"%s\"\n", state.c_str());
    std::exit(2);
}

int TimedOut(const char* what) {
    std::fprintf(stderr, "winprobe: timed out waiting for %s\n", what);
    return 1;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

struct MessageBoxSeen {
    HWND window;
    std::string caption;
    std::string text;
};

// Message boxes, optionally only those owned by `owner`.
std::vector<MessageBoxSeen> MessageBoxes(HWND owner) {
    std::vector<MessageBoxSeen> boxes;
    for (HWND window : TopLevelWindows()) {
        if (!IsMessageBox(window)) continue;
        if (owner != NULL && GetWindow(window, GW_OWNER) != owner) continue;
        boxes.push_back({window, OneLine(WindowText(window)),
                         OneLine(WindowText(GetDlgItem(window, kMessageBoxTextId)))});
    }
    return boxes;
}

// "handle<TAB>caption<TAB>text"
void PrintMessageBox(const MessageBoxSeen& box) {
    std::printf("0x%08lx\t%s\t%s\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(box.window)),
                box.caption.c_str(), box.text.c_str());
}

// The menu resource `name` of a program file, read from the file itself: menus live in
// the memory of the process that made them and cannot be read from another one.
int PrintMenuResource(const char* program, const char* name) {
    const HMODULE module = LoadLibraryExA(program, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL) {
        std::fprintf(stderr, "winprobe: cannot load %s\n", program);
        return 1;
    }
    const char* resource = std::isdigit(static_cast<unsigned char>(name[0]))
                               ? MAKEINTRESOURCEA(std::atoi(name)) : name;
    const HMENU menu = LoadMenuA(module, resource);
    if (menu == NULL) {
        std::fprintf(stderr, "winprobe: %s has no menu %s\n", program, name);
        return 1;
    }
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        std::printf("%s\n", OneLine(text).c_str());
        const HMENU popup = GetSubMenu(menu, i);
        for (int k = 0; popup != NULL && k < GetMenuItemCount(popup); ++k) {
            if (GetMenuState(popup, k, MF_BYPOSITION) & MF_SEPARATOR) {
                std::printf("  ---\n");
                continue;
            }
            GetMenuStringA(popup, k, text, sizeof text, MF_BYPOSITION);
            std::printf("  %s\n", OneLine(text).c_str());
        }
    }
    return 0;
}

// A cell of a list view in another process: the request and the text buffer are placed
// in that process's memory, where the list view can read and write them.
std::string ListCellText(HWND list, HANDLE process, char* remote, int row, int column) {
    const SIZE_T textChars = 256;
    LVITEMA item = {};
    item.iSubItem = column;
    item.cchTextMax = textChars;
    item.pszText = remote + sizeof item;
    SIZE_T moved = 0;
    WriteProcessMemory(process, remote, &item, sizeof item, &moved);
    Send(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    char text[textChars] = "";
    ReadProcessMemory(process, remote + sizeof item, text, textChars - 1, &moved);
    return text;
}

// One line per row: index, then its flags (checked or unchecked when it has check boxes,
// selected, focused), then the texts of its first two columns, tab-separated.
int PrintList(HWND list) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    const HANDLE process = OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == NULL) {
        std::fprintf(stderr, "winprobe: cannot open the list's process\n");
        return 1;
    }
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == NULL) {
        std::fprintf(stderr, "winprobe: cannot reserve memory in the list's process\n");
        CloseHandle(process);
        return 1;
    }
    const int rows = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const UINT state = static_cast<UINT>(
            Send(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED));
        std::string flags;
        const UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
        if (image == 1) flags += "unchecked,";
        if (image == 2) flags += "checked,";
        if (state & LVIS_SELECTED) flags += "selected,";
        if (state & LVIS_FOCUSED) flags += "focused,";
        if (!flags.empty()) flags.pop_back();
        std::printf("%d\t%s\t%s\t%s\n", row, flags.empty() ? "-" : flags.c_str(),
                    OneLine(ListCellText(list, process, remote, row, 0)).c_str(),
                    OneLine(ListCellText(list, process, remote, row, 1)).c_str());
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
}

int Usage() {
    std::fputs(
        "usage: winprobe COMMAND ARGS\n"
        "  windows                          every visible top-level window\n"
        "  wait SECONDS TITLE [CLASS]       wait for a window; print its handle\n"
        "  gone SECONDS WINDOW              wait until the window is gone\n"
        "  title WINDOW | text WINDOW ID    a window's or a control's text\n"
        "  pos WINDOW ID                    a progress bar's position\n"
        "  watch-pos SECONDS WINDOW ID MAX  print 'watching', then each new position,\n"
        "                                   until the bar reaches MAX\n"
        "  combo WINDOW ID                  a combo box's items, '*' before the chosen one\n"
        "  list WINDOW ID                   a list view's rows\n"
        "  is WINDOW STATE                  1 or 0; STATE is enabled, iconic or active\n"
        "  wait-is SECONDS WINDOW STATE 1|0 wait until the window is (or is not) so\n"
        "  msgboxes                         the message boxes shown now\n"
        "  wait-msgbox SECONDS [OWNER]      wait for a message box; print it\n"
        "  click WINDOW ID                  post BM_CLICK to a button\n"
        "  close WINDOW                     post WM_SYSCOMMAND SC_CLOSE\n"
        "  activate WINDOW | minimize WINDOW\n"
        "  menu PROGRAM.exe NAME            a program's menu resource\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain line feeds, as the scripts reading the answers expect.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const int count = argc - 2;
    char** arg = argv + 2;

    if (command == "windows" && count == 0) {
        for (HWND window : TopLevelWindows()) {
            std::printf("0x%08lx\t%s\t%s\towner 0x%08lx\t%s\n",
                        static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)),
                        ClassOf(window).c_str(), OneLine(WindowText(window)).c_str(),
                        static_cast<unsigned long>(
                            reinterpret_cast<ULONG_PTR>(GetWindow(window, GW_OWNER))),
                        IsWindowEnabled(window) ? "enabled" : "disabled");
        }
        return 0;
    }
    if (command == "wait" && (count == 2 || count == 3)) {
        HWND found = NULL;
        if (!WaitFor(std::atof(arg[0]), [&] {
                return (found = FindByTitle(arg[1], count == 3 ? arg[2] : NULL)) != NULL;
            }))
            return TimedOut(arg[1]);
        PrintHandle(found);
        return 0;
    }
    if (command == "gone" && count == 2) {
        if (!WaitFor(std::atof(arg[0]), [&] { return Resolve(arg[1]) == NULL; }))
            return TimedOut("the window to go");
        return 0;
    }
    if (command == "title" && count == 1) {
        std::printf("%s\n", OneLine(WindowText(ResolveOrFail(arg[0]))).c_str());
        return 0;
    }
    if (command == "text" && count == 2) {
        const HWND control = ControlOrFail(ResolveOrFail(arg[0]), arg[1]);
        std::printf("%s\n", OneLine(WindowText(control)).c_str());
        return 0;
    }
    if (command == "pos" && count == 2) {
        std::printf("%d\n", static_cast<int>(
                                Send(ControlOrFail(ResolveOrFail(arg[0]), arg[1]), PBM_GETPOS, 0, 0)));
        return 0;
    }
    if (command == "watch-pos" && count == 4) {
        const HWND bar = ControlOrFail(ResolveOrFail(arg[1]), arg[2]);
        const int until = std::atoi(arg[3]);
        // Said at once, so that a script can start what is to be watched only then.
        std::printf("watching\n");
        std::fflush(stdout);
        int shown = -1;
        if (!WaitFor(std::atof(arg[0]), [&] {
                const int position = static_cast<int>(Send(bar, PBM_GETPOS, 0, 0));
                if (position != shown) {
                    std::printf("%d\n", position);
                    std::fflush(stdout);
                    shown = position;
                }
                return position >= until;
            }))
            return TimedOut("the progress bar");
        return 0;
    }
    if (command == "combo" && count == 2) {
        const HWND combo = ControlOrFail(ResolveOrFail(arg[0]), arg[1]);
        const int items = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
        const int chosen = static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0));
        for (int i = 0; i < items; ++i) {
            // Asked in UTF-16: Wine drops the last character of a narrow CB_GETLBTEXT
            // answer that crosses processes.
            wchar_t text[256] = L"";
            if (Send(combo, CB_GETLBTEXTLEN, i, 0) < 256)
                SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text),
                                    SMTO_ABORTIFHUNG, 5000, NULL);
            std::printf("%s%ls\n", i == chosen ? "* " : "  ", text);
        }
        return 0;
    }
    if (command == "list" && count == 2)
        return PrintList(ControlOrFail(ResolveOrFail(arg[0]), arg[1]));
    if (command == "is" && count == 2) {
        const HWND window = ResolveOrFail(arg[0]);
        std::printf("%d\n", HasState(window, arg[1]));
        return 0;
    }
    if (command == "wait-is" && count == 4) {
        const int wanted = std::atoi(arg[3]);
        if (!WaitFor(std::atof(arg[0]), [&] {
                const HWND window = Resolve(arg[1]);
                return window != NULL && HasState(window, arg[2]) == wanted;
            }))
            return TimedOut(arg[2]);
        return 0;
    }
    if (command == "msgboxes" && count == 0) {
        for (const MessageBoxSeen& box : MessageBoxes(NULL)) PrintMessageBox(box);
        return 0;
    }
    if (command == "wait-msgbox" && (count == 1 || count == 2)) {
        const HWND owner = count == 2 ? ResolveOrFail(arg[1]) : NULL;
        std::vector<MessageBoxSeen> boxes;
        // A box counts once its caption and text are set: it can be seen a moment before.
        const auto complete = [&] {
            boxes = MessageBoxes(owner);
            return !boxes.empty() && !boxes.front().caption.empty() && !boxes.front().text.empty();
        };
        if (!WaitFor(std::atof(arg[0]), complete)) return TimedOut("a message box");
        PrintMessageBox(boxes.front());
        return 0;
    }
    if (command == "click" && count == 2) {
        PostMessageA(ControlOrFail(ResolveOrFail(arg[0]), arg[1]), BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "close" && count == 1) {
        PostMessageA(ResolveOrFail(arg[0]), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (command == "activate" && count == 1) {
        const HWND window = ResolveOrFail(arg[0]);
        if (!SetForegroundWindow(window)) {
            std::fprintf(stderr, "winprobe: SetForegroundWindow failed\n");
            return 1;
        }
        return 0;
    }
    if (command == "minimize" && count == 1) {
        ShowWindowAsync(ResolveOrFail(arg[0]), SW_MINIMIZE);
        return 0;
    }
    if (command == "menu" && count == 2) return PrintMenuResource(arg[0], arg[1]);
    return Usage();
}
