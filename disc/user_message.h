// Every message box of the program: captioned with the program's title.
#ifndef KORVELLO_USER_MESSAGE_H
#define KORVELLO_USER_MESSAGE_H

#include <windows.h>

#include "disc/disc_context.h"

// Shows text with an OK button and the given icon (MB_ICONERROR, MB_ICONINFORMATION);
// returns what MessageBoxA returns.
int ShowMessage(const DiscContext& context, HWND owner, const char* text, UINT icon);

// Asks a Yes/No question with the question icon, No the default. Returns 1 for Yes.
int AskYesNo(const DiscContext& context, HWND owner, const char* text);

#endif
