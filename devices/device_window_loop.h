// The message loop of a full-screen device window: the window serves only
// its own messages until it is destroyed. Its WM_DESTROY ends the loop with
// a quit message; a window destroyed outside its loop (a failed start)
// must not leave that quit to the main loop, which would end the program
// without its close sequence.
#ifndef TWR_DEVICES_DEVICE_WINDOW_LOOP_H
#define TWR_DEVICES_DEVICE_WINDOW_LOOP_H

#include "shared/wintypes.h"

// Runs GetMessage filtered to window (TranslateMessage, DispatchMessage)
// until the window's WM_DESTROY ends it. A quit meant for the program that
// arrives meanwhile ends the loop too: the window is closed (WM_CLOSE, so
// it leaves as it always does) and the quit posted again for the main
// loop. Returns at once when window is null or gone. A message box the
// window owes after its destruction is shown once this returns: a box
// that finds the quit waiting closes at once, unread.
void RunDeviceWindowLoop(HWND window);
// Called from the window's WM_DESTROY: ends its running loop; nothing when
// no loop of this window runs.
void EndDeviceWindowLoop(HWND window);

#endif
