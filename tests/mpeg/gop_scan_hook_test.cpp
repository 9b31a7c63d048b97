// The default hook of the GOP-list scan under Windows: while a stream is
// scanned during its open, the thread's windows are repainted, but no
// other message (a command, input, a close) is dispatched inside the open.
#ifdef _WIN32
#include "mpeg/gop_scan_progress.h"
#include "mpeg/video_stream.h"
#include "resources/resource_ids.h"
#include "tests/mpeg/mpeg_test_util.h"
#include "tests/mpeg/settings_fixture.h"

#include <windows.h>

namespace {

int g_paints = 0, g_commands = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        g_paints++;
        return 0;
    }
    if (msg == WM_COMMAND) {
        g_commands++;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

using GopScanHook = DecoderSettingsFixture;

TEST_F(GopScanHook, DefaultPaintsAndDispatchesNothingElse)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TwrScanHookTest";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA("TwrScanHookTest", "scan", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(hwnd);
    UpdateWindow(hwnd);
    g_paints = g_commands = 0;
    InvalidateRect(hwnd, nullptr, FALSE);
    PostMessageA(hwnd, WM_COMMAND, IDM_EXIT, 0);  // any command: it must wait for the open
    Sleep(50); // past the hook's pause between two looks at the queue
    SetGopScanProgressHook(nullptr, nullptr);
    StoreDecoderDword("gl", kGlNoFile | kGlNoTimecodeIndex);
    const char *dir = getenv("TWR_MPEG_VIDEO_MEDIA");
    MpegVideoStream *s = OpenVideoStream(HostFile(dir ? dir : ".", "pulldown.m2v").c_str());
    ASSERT_TRUE(s);
    CloseVideoStream(s);
    EXPECT_GE(g_paints, 1) << "the window was not repainted during the scan";
    EXPECT_EQ(g_commands, 0) << "a command ran inside the open";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    DestroyWindow(hwnd);
}

} // namespace
#endif
