// The program's entry. For now it opens the main window of class "2REELS"
// with the application's name and serves it until it is closed.
#include "shared/string_table.h"
#include "shared/wintypes.h"
#include "shell/app_windows.h"

static LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    g_hInst = g_hInstPlayer = hInstance;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "2REELS";
    if (!RegisterClassA(&wc))
        return 1;
    g_hwndMain = CreateWindowA("2REELS", LoadStr(2305), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                               nullptr, nullptr, hInstance, nullptr);
    if (!g_hwndMain)
        return 1;
    ShowWindow(g_hwndMain, nCmdShow);
    UpdateWindow(g_hwndMain);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
