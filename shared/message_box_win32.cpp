#include "shared/message_box.h"

MessageBoxHook g_pfnMessageBoxHook = nullptr;

int AppMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (g_pfnMessageBoxHook)
        return g_pfnMessageBoxHook(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}
