// A window for testing the end-to-end driver itself: it carries the
// program's menu "2REELS" from the resources, toggles the check of item 2179
// on that command, on command 2077 puts a 4 x 2 picture and a name on the
// clipboard, on 2000 shows an open dialog and on 2191 a question, is busy
// for 300 ms on 2180, and takes the key K for 2179, so the driver's steps can
// be shown to work before the program has those commands.
#include <windows.h>
#include <commdlg.h>

static LRESULT CALLBACK FixtureProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == 2179) {
        HMENU menu = GetMenu(hwnd);
        UINT was = GetMenuState(menu, 2179, MF_BYCOMMAND) & MF_CHECKED;
        CheckMenuItem(menu, 2179, MF_BYCOMMAND | (was ? MF_UNCHECKED : MF_CHECKED));
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == 2077) {
        const int w = 4, h = 2, row = 12;
        HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + row * h);
        BITMAPINFOHEADER *bi = (BITMAPINFOHEADER *)GlobalLock(dib);
        bi->biSize = sizeof *bi;
        bi->biWidth = w;
        bi->biHeight = h;
        bi->biPlanes = 1;
        bi->biBitCount = 24;
        BYTE *px = (BYTE *)(bi + 1);
        for (int i = 0; i < row * h; i++)
            px[i] = (BYTE)(i * 20);
        GlobalUnlock(dib);
        static const char name[] = "left_125.jpg";
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof name);
        lstrcpyA((char *)GlobalLock(text), name);
        GlobalUnlock(text);
        if (OpenClipboard(hwnd)) {
            EmptyClipboard();
            SetClipboardData(CF_DIB, dib);
            SetClipboardData(CF_TEXT, text);
            CloseClipboard();
        }
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == 2000) {
        // An open dialog; the chosen name becomes the title.
        wchar_t name[MAX_PATH] = {};
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd;
        ofn.lpstrFile = name;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
        SetWindowTextW(hwnd, GetOpenFileNameW(&ofn) ? name : L"cancelled");
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == 2191) {
        // A question; the answer becomes the title.
        int r = MessageBoxW(hwnd, L"\u6700\u8fd1\u4f7f\u3063\u305f\u30d5\u30a1\u30a4\u30eb", L"?",
                            MB_YESNO | MB_ICONWARNING);
        SetWindowTextW(hwnd, r == IDYES ? L"yes" : L"no");
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == 2180) {
        // Busy for a while: input sent meanwhile waits in the queue.
        Sleep(300);
        return 0;
    }
    if (msg == WM_KEYDOWN && wParam == 'K') {
        SendMessageW(hwnd, WM_COMMAND, 2179, 0);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FixtureProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszMenuName = L"2REELS";
    wc.lpszClassName = L"TwrDriverFixture";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"TwrDriverFixture", L"fixture", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400,
                              300, nullptr, nullptr, inst, nullptr);
    ShowWindow(hwnd, show);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
