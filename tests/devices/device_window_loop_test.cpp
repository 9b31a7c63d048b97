// The loop of a full-screen device window: it ends when its window is
// destroyed, and the quit that ends it never reaches the program's own
// loop; a quit meant for the program closes the window and is handed back
// to the program.
#include "devices/device_window_loop.h"

#include <gtest/gtest.h>

namespace {

const UINT kQuitFromInside = WM_APP + 1;
int s_closes = 0;  // WM_CLOSE seen by the windows

LRESULT CALLBACK DeviceLikeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        s_closes++;
        break;  // DefWindowProc destroys the window
    case WM_DESTROY:
        EndDeviceWindowLoop(hwnd);
        return 0;
    case kQuitFromInside:
        PostQuitMessage((int)wParam);  // the program is asked to end
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakeWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DeviceLikeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TwrDeviceLoopTest";
        registered = RegisterClassA(&wc) != 0;
    }
    return CreateWindowExA(0, "TwrDeviceLoopTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The quit waiting for the program's loop, if any: its exit code, or -1.
int PendingQuit()
{
    MSG m;
    if (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return (int)m.wParam;
    return -1;
}

TEST(DeviceWindowLoop, WindowDestroyedOutsideItsLoopLeavesNoQuit)
{
    HWND w = MakeWindow();
    ASSERT_TRUE(w);
    DestroyWindow(w);  // a start that failed before the loop ran
    EXPECT_EQ(PendingQuit(), -1);
}

TEST(DeviceWindowLoop, LoopEndsWhenItsWindowCloses)
{
    HWND w = MakeWindow();
    ASSERT_TRUE(w);
    PostMessageA(w, WM_CLOSE, 0, 0);  // DefWindowProc destroys the window
    RunDeviceWindowLoop(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(PendingQuit(), -1);
}

TEST(DeviceWindowLoop, QuitMeantForTheProgramIsHandedBack)
{
    HWND w = MakeWindow();
    ASSERT_TRUE(w);
    PostMessageA(w, kQuitFromInside, 7, 0);
    s_closes = 0;
    RunDeviceWindowLoop(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(s_closes, 1);  // it left through its own close
    EXPECT_EQ(PendingQuit(), 7);
}

TEST(DeviceWindowLoop, NoWindowNoLoop)
{
    RunDeviceWindowLoop(nullptr);
    HWND w = MakeWindow();
    DestroyWindow(w);
    RunDeviceWindowLoop(w);  // gone: returns at once
    EXPECT_EQ(PendingQuit(), -1);
}

}  // namespace
