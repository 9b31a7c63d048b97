#include "devices/device_window_loop.h"

namespace {

// The window whose loop runs (device windows do not nest), and whether its
// WM_DESTROY has posted the quit that ends the loop.
HWND s_loopWindow = nullptr;
bool s_ownQuitPosted = false;

}  // namespace

void RunDeviceWindowLoop(HWND window)
{
    if (!window || !IsWindow(window))
        return;
    HWND outer = s_loopWindow;
    bool outerPosted = s_ownQuitPosted;
    s_loopWindow = window;
    s_ownQuitPosted = false;
    MSG msg;
    int got;
    // GetMessage takes the thread's quit whatever window it is filtered to.
    while ((got = GetMessageA(&msg, window, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    bool ours = s_ownQuitPosted;
    s_loopWindow = outer;
    s_ownQuitPosted = outerPosted;
    if (got < 0 && ours) {
        // The filter named a window that no longer exists, so the loop
        // ended before it took its own quit: take it now.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    if (got == 0 && !ours) {
        // The program was asked to end while the window ran: that quit
        // belongs to the main loop. The window goes first, through its
        // own close (its leaving sequence restores what it changed).
        if (IsWindow(window))
            SendMessageA(window, WM_CLOSE, 0, 0);
        if (IsWindow(window))
            DestroyWindow(window);
        PostQuitMessage((int)msg.wParam);
    }
}

void EndDeviceWindowLoop(HWND window)
{
    if (!window || window != s_loopWindow || s_ownQuitPosted)
        return;
    s_ownQuitPosted = true;
    PostQuitMessage(0);
}
