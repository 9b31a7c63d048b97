// Every message box of the program goes through AppMessageBox, so that an
// unattended run (the tests) can answer them instead of a user.
#ifndef TWR_SHARED_MESSAGE_BOX_H
#define TWR_SHARED_MESSAGE_BOX_H

#include "shared/wintypes.h"

int AppMessageBox(HWND owner, const char *text, const char *caption, UINT type);

// When set, called instead of MessageBoxA; its result is the answer.
typedef int (*MessageBoxHook)(HWND owner, const char *text, const char *caption, UINT type);
extern MessageBoxHook g_pfnMessageBoxHook;

#endif
