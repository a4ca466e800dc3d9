// The resources as the program finds them in its own module: dialog templates, menu,
// accelerators, strings, icons, picture and manifest.
#include "test_support.h"

#include <cstring>

#include "resources/resource.h"

namespace {

// One control of a DLGTEMPLATEEX, as read back from the module.
struct Control {
    int id;
    std::string className;  // predefined classes by their names
    std::string text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

struct Dialog {
    DWORD style;
    std::string caption;
    short x, y, cx, cy;
    int menu;
    int pointSize;
    std::string font;
    std::vector<Control> controls;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* at) : at_(at) {}
    WORD Word() { WORD w; std::memcpy(&w, at_, 2); at_ += 2; return w; }
    DWORD Dword() { DWORD d; std::memcpy(&d, at_, 4); at_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    // A string, or an ordinal (0xFFFF then the number) given back as "#number".
    std::string SzOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c != 0; c = Word()) text += static_cast<char>(c);
        return text;
    }
    void AlignDword() { at_ = reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(at_) + 3) & ~UINT_PTR(3)); }

private:
    const BYTE* at_;
};

std::string ClassName(const std::string& raw) {
    static const std::pair<const char*, const char*> predefined[] = {
        {"#128", "Button"}, {"#129", "Edit"}, {"#130", "Static"},
        {"#131", "ListBox"}, {"#132", "ScrollBar"}, {"#133", "ComboBox"}};
    for (const auto& p : predefined)
        if (raw == p.first) return p.second;
    return raw;
}

Dialog ReadDialog(int id) {
    const HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    EXPECT_TRUE(found != NULL) << id;
    Dialog dialog = {};
    if (found == NULL) return dialog;
    TemplateReader read(static_cast<const BYTE*>(LockResource(LoadResource(NULL, found))));
    EXPECT_EQ(1, read.Word());       // DLGTEMPLATEEX
    EXPECT_EQ(0xFFFF, read.Word());
    read.Dword();                    // help id
    read.Dword();                    // extended style
    dialog.style = read.Dword();
    const int count = read.Word();
    dialog.x = read.Short();
    dialog.y = read.Short();
    dialog.cx = read.Short();
    dialog.cy = read.Short();
    const std::string menu = read.SzOrOrdinal();
    dialog.menu = menu.empty() ? 0 : std::stoi(menu.substr(1));
    read.SzOrOrdinal();              // class
    dialog.caption = read.SzOrOrdinal();
    dialog.pointSize = read.Word();
    read.Word();                     // weight
    read.Word();                     // italic, charset
    dialog.font = read.SzOrOrdinal();
    for (int i = 0; i < count; ++i) {
        read.AlignDword();
        Control control;
        read.Dword();                // help id
        control.exStyle = read.Dword();
        control.style = read.Dword();
        control.x = read.Short();
        control.y = read.Short();
        control.cx = read.Short();
        control.cy = read.Short();
        control.id = static_cast<int>(read.Dword());
        control.className = ClassName(read.SzOrOrdinal());
        control.text = read.SzOrOrdinal();
        const WORD extra = read.Word();
        for (WORD b = 0; b < extra; ++b) read.AlignDword();
        dialog.controls.push_back(control);
    }
    return dialog;
}

const DWORD kModalPopup = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
const DWORD kListStyle = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER |
                         LVS_ALIGNLEFT | WS_BORDER | WS_TABSTOP;

void ExpectDialog(int id, DWORD style, const char* caption, short cx, short cy, int menu) {
    SCOPED_TRACE(id);
    const Dialog dialog = ReadDialog(id);
    EXPECT_EQ(style, dialog.style & (kModalPopup | DS_CENTER | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                                     WS_THICKFRAME | WS_VISIBLE));
    EXPECT_EQ(caption, dialog.caption);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(cx, dialog.cx);
    EXPECT_EQ(cy, dialog.cy);
    EXPECT_EQ(menu, dialog.menu);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Shell Dlg", dialog.font);
}

// id, class, text, rectangle, and the style bits that must be set (besides WS_CHILD and
// WS_VISIBLE); whether it is a tab stop is checked exactly.
struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

void ExpectControls(int dialogId, const std::vector<ExpectedControl>& expected) {
    SCOPED_TRACE(dialogId);
    const Dialog dialog = ReadDialog(dialogId);
    ASSERT_EQ(expected.size(), dialog.controls.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExpectedControl& e = expected[i];
        const Control& c = dialog.controls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(e.id, static_cast<short>(c.id));
        EXPECT_EQ(0, lstrcmpiA(e.className, c.className.c_str())) << c.className;  // class names ignore case
        EXPECT_EQ(e.text, c.text);
        EXPECT_EQ(e.x, c.x);
        EXPECT_EQ(e.y, c.y);
        EXPECT_EQ(e.cx, c.cx);
        EXPECT_EQ(e.cy, c.cy);
        EXPECT_EQ(e.style, c.style & e.style);
        EXPECT_EQ(e.style & WS_TABSTOP, c.style & WS_TABSTOP);
        EXPECT_EQ(e.exStyle, c.exStyle);
    }
}

TEST(Resources, MainWindowTemplate) {
    ExpectDialog(IDD_MAIN, kModalPopup | DS_CENTER | WS_MINIMIZEBOX, "Main", 250, 145, IDR_MAIN);
    ExpectControls(IDD_MAIN,
                   {{IDC_DRIVE_LIST, "ComboBox", "", 43, 7, 35, 51, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0},
                    {-1, "Static", "Drive:", 7, 8, 35, 12, SS_LEFT, 0},
                    {IDC_TRACK_PROGRESS, "msctls_progress32", "", 7, 47, 236, 17, PBS_SMOOTH, WS_EX_CLIENTEDGE},
                    {IDC_TRACK_LABEL, "Static", "Current track", 7, 33, 233, 10, SS_CENTER, 0},
                    {IDC_TOTAL_PROGRESS, "msctls_progress32", "", 7, 86, 236, 17, PBS_SMOOTH, 0},
                    {IDC_TOTAL_LABEL, "Static", "Total progress", 7, 70, 233, 10, SS_CENTER, 0}});
}

TEST(Resources, CopySelectionTemplate) {
    ExpectDialog(IDD_COPY_SELECT, kModalPopup, "Please check tracks for record", 235, 142, 0);
    ExpectControls(IDD_COPY_SELECT,
                   {{IDC_TRACK_LIST, "SysListView32", "", 7, 7, 161, 128, kListStyle, 0},
                    {IDOK, "Button", "Start", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
                    {IDC_SET_ALL_ON, "Button", "Set all to on", 178, 24, 50, 14, WS_TABSTOP, 0},
                    {IDC_SET_ALL_OFF, "Button", "Set all to off", 178, 42, 50, 14, WS_TABSTOP, 0},
                    {IDCANCEL, "Button", "Cancel", 178, 69, 50, 14, WS_TABSTOP, 0}});
}

TEST(Resources, PlayTrackTemplate) {
    ExpectDialog(IDD_PLAY_TRACK, kModalPopup, "Select a track", 232, 142, 0);
    ExpectControls(IDD_PLAY_TRACK,
                   {{IDC_TRACK_LIST, "SysListView32", "", 7, 7, 160, 128, kListStyle, 0},
                    {IDOK, "Button", "OK", 175, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
                    {IDCANCEL, "Button", "Cancel", 175, 24, 50, 14, WS_TABSTOP, 0}});
}

TEST(Resources, AboutTemplate) {
    ExpectDialog(IDD_ABOUT, kModalPopup, "Dialog", 207, 106, 0);
    const DWORD framedText = SS_CENTER | SS_CENTERIMAGE;
    ExpectControls(IDD_ABOUT, {{IDOK, "Button", "OK", 150, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
                               {-1, "Static", "#134", 7, 7, 135, 38, SS_BITMAP, WS_EX_STATICEDGE},
                               {IDC_ABOUT_VERSION, "Static", "", 7, 52, 135, 13, framedText, WS_EX_STATICEDGE},
                               {IDC_ABOUT_AUTHOR, "Static", "", 7, 69, 135, 13, framedText, WS_EX_STATICEDGE},
                               {IDC_ABOUT_RIGHTS, "Static", "", 7, 86, 135, 13, framedText, WS_EX_STATICEDGE}});
}

TEST(Resources, Menu) {
    const HMENU menu = LoadMenuA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAIN));
    ASSERT_TRUE(menu != NULL);
    std::vector<std::string> items;
    for (int top = 0; top < GetMenuItemCount(menu); ++top) {
        char text[64] = "";
        GetMenuStringA(menu, top, text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
        const HMENU popup = GetSubMenu(menu, top);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            text[0] = '\0';
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            const UINT id = GetMenuItemID(popup, i);
            items.push_back(text[0] ? "  " + std::string(text) + " = " + std::to_string(id) : "  ----");
        }
    }
    DestroyMenu(menu);
    const std::vector<std::string> expected = {
        "Disk",
        "  &Play\tCTRL+P = 32774",
        "  Play &track...\tCTRL+T = 32776",
        "  P&ause / Resume\tCTRL+S = 32775",
        "  ----",
        "  &Copy...\tCTRL+C = 32773",
        "  ----",
        "  E&xit\tALT+F4 = 105",
        "&Help",
        "  &About ...\tALT+? = 104",
        "  ----",
        "  Home page = 32777",
    };
    EXPECT_EQ(expected, items);
}

TEST(Resources, AcceleratorsInOrder) {
    const HACCEL table = LoadAcceleratorsA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAIN));
    ASSERT_TRUE(table != NULL);
    ACCEL entries[16];
    ASSERT_EQ(6, CopyAcceleratorTableA(table, entries, 16));
    struct Expected {
        WORD key;
        BYTE flags;
        WORD command;
    };
    const Expected expected[] = {
        {'S', FVIRTKEY | FCONTROL | FNOINVERT, IDM_PAUSE_RESUME},
        {'T', FVIRTKEY | FCONTROL | FNOINVERT, IDM_PLAY_TRACK},
        {'/', FALT | FNOINVERT, IDM_ABOUT},
        {'?', FALT | FNOINVERT, IDM_ABOUT},
        {'P', FVIRTKEY | FCONTROL | FNOINVERT, IDM_PLAY},
        {'C', FVIRTKEY | FCONTROL | FNOINVERT, IDM_COPY},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].key, entries[i].key);
        EXPECT_EQ(expected[i].flags, entries[i].fVirt & ~0x80);
        EXPECT_EQ(expected[i].command, entries[i].cmd);
    }
}

TEST(Resources, Strings) {
    struct Expected {
        int id;
        const char* text;
    };
    char text[260];
    for (const Expected& e : {Expected{IDS_APP_TITLE, "Korvello"}, Expected{IDS_VERSION, "1.2"}}) {
        ASSERT_GT(LoadStringA(GetModuleHandleA(NULL), e.id, text, sizeof text), 0) << e.id;
        EXPECT_STREQ(e.text, text);
    }
    // The credit and the rights notice fit the About box's 100-character buffers.
    for (int id : {IDS_AUTHOR, IDS_RIGHTS}) {
        const int length = LoadStringA(GetModuleHandleA(NULL), id, text, sizeof text);
        EXPECT_GT(length, 0) << id;
        EXPECT_LT(length, 100) << id;
    }
}

BOOL CALLBACK KeepLowestId(HMODULE, LPCSTR, LPSTR name, LONG_PTR lowest) {
    int* low = reinterpret_cast<int*>(lowest);
    const int id = IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<UINT_PTR>(name)) : 0;
    if (*low == 0 || id < *low) *low = id;
    return TRUE;
}

// The icon groups hold the sizes asked for, in 32-bit colour; 107 is the lowest group.
TEST(Resources, IconsAndPicture) {
    struct Group {
        int id;
        std::vector<int> sizes;
    };
    for (const Group& group : {Group{IDI_KORVELLO, {16, 32, 64}}, Group{IDI_KORVELLO_SMALL, {16}}}) {
        SCOPED_TRACE(group.id);
        const HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(group.id), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
        ASSERT_TRUE(found != NULL);
        const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(NULL, found)));
        WORD count;
        std::memcpy(&count, directory + 4, 2);
        std::vector<int> sizes;
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = directory + 6 + 14 * i;  // GRPICONDIRENTRY
            WORD bitCount;
            std::memcpy(&bitCount, entry + 6, 2);
            EXPECT_EQ(32, bitCount);
            sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        }
        std::sort(sizes.begin(), sizes.end());
        EXPECT_EQ(group.sizes, sizes);
    }
    int lowestGroup = 0;
    EnumResourceNamesA(NULL, reinterpret_cast<LPCSTR>(RT_GROUP_ICON), KeepLowestId,
                       reinterpret_cast<LONG_PTR>(&lowestGroup));
    EXPECT_EQ(IDI_KORVELLO, lowestGroup);

    const HBITMAP picture = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_PICTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(picture != NULL);
    BITMAP info;
    GetObjectA(picture, sizeof info, &info);
    EXPECT_EQ(203, info.bmWidth);
    EXPECT_EQ(61, info.bmHeight);
    EXPECT_EQ(24, info.bmBitsPixel);
    DeleteObject(picture);
}

// The manifest asks for nothing, so the classic common controls are used.
TEST(Resources, ManifestDeclaresNothing) {
    const HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(found != NULL);
    const char* text = static_cast<const char*>(LockResource(LoadResource(NULL, found)));
    const std::string manifest(text, SizeofResource(NULL, found));
    EXPECT_NE(std::string::npos, manifest.find("<assembly"));
    EXPECT_EQ(std::string::npos, manifest.find("dependency"));
    EXPECT_EQ(std::string::npos, manifest.find("Common-Controls"));
}

TEST(Resources, VersionInformation) {
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));
    char* value = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductName",
                               reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ("Korvello", value);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductVersion",
                               reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ("1.2", value);
}

}  // namespace
