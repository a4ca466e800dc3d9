#include "disc/user_message.h"

int ShowMessage(const DiscContext& context, HWND owner, const char* text, UINT icon) {
    return MessageBoxA(owner, text, context.caption, MB_OK | icon);
}

int AskYesNo(const DiscContext& context, HWND owner, const char* text) {
    return MessageBoxA(owner, text, context.caption,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES ? 1 : 0;
}
