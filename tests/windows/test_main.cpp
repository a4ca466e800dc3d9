// The Windows tests' entry: the program's own start-up, less its main window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "disc/disc_context.h"
#include "resources/resource.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const HINSTANCE instance = GetModuleHandleA(NULL);
    LoadStringA(instance, IDS_APP_TITLE, discContext.caption, kCaptionChars);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    acceleratorTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAIN));
    return RUN_ALL_TESTS();
}
