// The main window and the hook that gives its modal loop keyboard shortcuts.
#ifndef KORVELLO_MAIN_WINDOW_H
#define KORVELLO_MAIN_WINDOW_H

#include <windows.h>

// Accelerator table 109 and the message-filter hook, set up by the entry point.
extern HACCEL acceleratorTable;
extern HHOOK acceleratorHook;

// Offers dialog-loop keyboard messages to the main window's accelerators.
LRESULT CALLBACK AcceleratorHook(int code, WPARAM wParam, LPARAM lParam);

// Dialog 131.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
