// The media player's window: its creation and closing, the open of a
// file, the commands, keys and mouse, the video's size and place, the seek
// bar "AVIPLAY" and the custom-size dialog.
#include "shell/media_player.h"

#include "resources/resource_ids.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "shell/player_rules.h"
#include "shell/toolbars.h"
#include "state/app_windows.h"

#include <commdlg.h>
#include <mbstring.h>
#include <string.h>

namespace {

const int kClipItems[] = {IDM_PLAYER_PLAY,     IDM_PLAYER_PAUSE,    IDM_PLAYER_MUTE,         IDM_PLAYER_STEP,
                          IDM_PLAYER_SIZE_50,  IDM_PLAYER_SIZE_200, IDM_PLAYER_SIZE_100,     IDM_PLAYER_SIZE_75,
                          IDM_PLAYER_FULLSCREEN, IDM_PLAYER_FASTER, IDM_PLAYER_SLOWER,       IDM_PLAYER_RATE_NORMAL,
                          IDM_PLAYER_RATE_HALF, IDM_PLAYER_RATE_DOUBLE};
const int kSizeItems[] = {IDM_PLAYER_SIZE_50, IDM_PLAYER_SIZE_75, IDM_PLAYER_SIZE_100, IDM_PLAYER_SIZE_200};
const UINT kPlayerTimerMs = 100;
const double kRateStep = 0.25;
const int kMaxCustomPercent = 1000;

// The file dialog's initial folder is the root only the first time.
bool s_chosenBefore;

void EnableClipItems(bool enable)
{
    HMENU menu = ghApp ? GetMenu(ghApp) : nullptr;
    if (!menu)
        return;
    for (int id : kClipItems)
        EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void StartTimer()
{
    SetTimer(ghApp, kPlayerTimer, kPlayerTimerMs, nullptr);
    g_bPlayerTimer = 1;
}

void StopTimer()
{
    KillTimer(ghApp, kPlayerTimer);
    g_bPlayerTimer = 0;
}

void HideBars()
{
    if (g_hwndPlayerToolbar)
        ShowWindow(g_hwndPlayerToolbar, SW_HIDE);
    if (g_hwndSeekBar)
        ShowWindow(g_hwndSeekBar, SW_HIDE);
}

// Whether the name is a play list ("*.asx" anywhere in it, any case; the
// lower-casing is multibyte-aware so that a trail byte is never changed).
bool IsPlayList(const char *name)
{
    char lower[MAX_PATH];
    lstrcpynA(lower, name, sizeof lower);
    _mbslwr((unsigned char *)lower);
    return _mbsstr((const unsigned char *)lower, (const unsigned char *)".asx") != nullptr;
}

// The open dialog of the player: the chosen name (MAX_PATH bytes); false
// when cancelled or refused.
bool PlayerChooseFile(char *name)
{
    name[0] = 0;
    char title[256];
    lstrcpynA(title, LoadResString(IDS_PLAYER_OPEN_TITLE), sizeof title);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes in the 32-bit program
    ofn.hwndOwner = ghApp;
    ofn.lpstrFilter = "Video Files (*.avi; *.qt; *.mov; *.mpg; *.mpeg; *.m1v; *.mp4)\0"
                      "*.avi; *.qt; *.mov; *.mpg; *.mpeg; *.m1v; *.mp4\0"
                      "All Files (*.*)\0*.*;\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = "*";
    ofn.lpstrInitialDir = s_chosenBefore ? nullptr : "\\";
    ofn.Flags = OFN_READONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    s_chosenBefore = true;
    if (!GetOpenFileNameA(&ofn)) {
        if (CommDlgExtendedError())
            PlayerErrorBox(LoadResString(IDS_PLAYER_NAME_ERROR), (unsigned)GetLastError());
        return false;
    }
    if (IsPlayList(name)) {
        char text[1024];
        lstrcpynA(text, LoadResString(IDS_PLAYER_NO_ASX), sizeof text);
        lstrcatA(text, LoadResString(IDS_PLAYER_CHOOSE_MEDIA));
        PlayerErrorBox("%s", text);
        return false;
    }
    return true;
}

bool ClipLoaded() { return pGB != nullptr; }

void CloseClip()
{
    StopTimer();
    PlayerCloseFile();
}

// Opens g_szClipName (asks for a name when it is empty); 1 on success.
int PlayerOpenFile()
{
    if (!g_szClipName[0]) {
        PlayerUpdateTitle();
        PlayerInitWindow();
        ShowWindow(ghApp, SW_SHOWNORMAL);
        SetForegroundWindow(ghApp);
        char name[MAX_PATH];
        if (!PlayerChooseFile(name) || !ghApp)
            return 0;
        // The main window may have handed over a file while the dialog was
        // open: that clip gives way to the chosen one.
        if (ClipLoaded())
            CloseClip();
        lstrcpynA(g_szClipName, name, sizeof g_szClipName);
    }
    g_nPlayerState = kPlayerStopped;
    g_lVolume = 0;
    g_bPlayerAtEnd = 0;
    if (FAILED(PlayerRenderAndRun(g_szClipName))) {
        PlayerCloseFile();
        return 0;
    }
    return 1;
}

void Open(const char *name)
{
    if (ClipLoaded())
        CloseClip();
    if (name) {
        lstrcpynA(g_szClipName, name, sizeof g_szClipName);
        HideBars();
    }
    if (PlayerOpenFile())
        StartTimer();
}

void RewindAtEnd()
{
    if (!g_bPlayerAtEnd)
        return;
    g_bPlayerAtEnd = 0;
    PlayerRewind();
}

void SizeCommand(int id)
{
    static const int kRatio[][4] = {{1, 2, 1, 2}, {3, 4, 3, 4}, {1, 1, 1, 1}, {2, 1, 2, 1}};
    const int *r = kRatio[id - IDM_PLAYER_SIZE_50];
    InitVideoWindow(r[0], r[1], r[2], r[3]);
    PlayerCheckSizeItem(id);
}

void CustomSize()
{
    if (DialogBoxParamA(g_hInstPlayer, "CUSTSIZE", ghApp, PlayerCustomSizeDlgProc, 0) != 1)
        return;
    // Below 1 % no video is left to show; far above 1000 % the window
    // passes what a screen (and X) can hold.
    auto within = [](int percent) { return percent < 1 ? 1 : percent > kMaxCustomPercent ? kMaxCustomPercent : percent; };
    int w = within(g_nCustomWidth), h = within(g_nCustomHeight);
    InitVideoWindow(w, 100, h, 100);
    PlayerCheckSizeItem(0);
}

void Command(HWND hwnd, int id, LPARAM lParam)
{
    switch (id) {
    case IDM_PLAYER_CLOSE: SendMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case IDM_PLAYER_PAUSE: PlayerPause(); break;
    case IDM_PLAYER_PLAY:
        RewindAtEnd();
        PlayerRun();
        break;
    case IDM_PLAYER_MUTE: PlayerToggleMute(); break;
    case IDM_PLAYER_FULLSCREEN: PlayerToggleFullScreen(); break;
    case IDM_PLAYER_SIZE_50:
    case IDM_PLAYER_SIZE_75:
    case IDM_PLAYER_SIZE_100:
    case IDM_PLAYER_SIZE_200: SizeCommand(id); break;
    case IDM_PLAYER_SIZE_HALF_HEIGHT: InitVideoWindow(1, 1, 1, 2); break;
    case IDM_PLAYER_CUSTOM_SIZE: CustomSize(); break;
    case IDM_PLAYER_TO_START:
        g_bPlayerAtEnd = 0;
        PlayerRewind();
        break;
    case IDM_PLAYER_TO_END:
        g_bPlayerAtEnd = 1;
        g_nSeekMs = g_nClipLengthMs - 1;
        PlayerSeek();
        break;
    case IDM_POSITION_MOVED: PlayerSeek(); break;
    case IDM_PLAYER_OPEN: Open(nullptr); break;
    case IDM_PLAYER_CLOSE_CLIP:
        CloseClip();
        HideBars();
        break;
    case IDM_PLAYER_FASTER: PlayerChangeRate(kRateStep); break;
    case IDM_PLAYER_SLOWER: PlayerChangeRate(-kRateStep); break;
    case IDM_PLAYER_RATE_NORMAL: PlayerSetRate(1.0); break;
    case IDM_PLAYER_RATE_DOUBLE: PlayerSetRate(2.0); break;
    case IDM_PLAYER_RATE_HALF: PlayerSetRate(0.5); break;
    case IDM_PLAYER_STEP: PlayerStepFrames(1); break;
    case IDM_PLAYER_OPEN_NAME: Open((const char *)lParam); break;
    }
}

void Key(HWND hwnd, unsigned vk)
{
    PlayerKey key = PlayerKeyFor(vk);
    switch (key.action) {
    case kPlayerKeyNone: break;
    case kPlayerKeyFullScreen: PlayerToggleFullScreen(); break;
    case kPlayerKeyLeave:
        if (g_bPlayerFullScreen) {
            PlayerToggleFullScreen();
        } else {
            CloseClip();
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        break;
    case kPlayerKeyStep:
        if (key.frames == 1)
            RewindAtEnd();
        PlayerStepFrames(key.frames);
        break;
    case kPlayerKeySlower: PlayerChangeRate(-kRateStep); break;
    case kPlayerKeyFaster: PlayerChangeRate(kRateStep); break;
    case kPlayerKeyRateNormal: PlayerSetRate(1.0); break;
    case kPlayerKeySize: SizeCommand(key.command); break;
    case kPlayerKeyMute: PlayerToggleMute(); break;
    case kPlayerKeyPlay:
        RewindAtEnd();
        PlayerRun();
        break;
    case kPlayerKeyPause: PlayerPause(); break;
    }
}

LRESULT Create(HWND hwnd, const CREATESTRUCTA *cs)
{
    g_bPlayerTimer = 0;
    g_bFirstPlacement = 1;
    ghApp = hwnd;
    const char *name = cs ? (const char *)cs->lpCreateParams : nullptr;
    lstrcpynA(g_szClipName, name ? name : "", sizeof g_szClipName);
    if (FAILED(CoInitialize(nullptr))) {
        PlayerErrorBox("%s", LoadResString(IDS_PLAYER_INIT_ERROR));
        ExitProcess(1);
    }
    g_hwndPlayerToolbar = CreatePlayerToolbar(hwnd, g_hInstPlayer);
    g_hwndSeekBar = CreateDialogParamA(g_hInstPlayer, "AVIPLAY", hwnd, PlayerSeekBarDlgProc, 0);
    HideBars();
    g_nPlayerState = kPlayerNoClip;
    return 0;
}

void Close(HWND hwnd)
{
    StopTimer();
    PlayerCloseFile();
    CoUninitialize();
    g_hwndPlayer = nullptr;
    PlayerRemoveTips();
    DestroyPlayerToolbarImages();
    if (g_hwndPlayerToolbar) {
        HWND tip = (HWND)SendMessageA(g_hwndPlayerToolbar, TB_GETTOOLTIPS, 0, 0);
        if (tip)
            DestroyWindow(tip);
        DestroyWindow(g_hwndPlayerToolbar);
    }
    if (g_hwndSeekBar)
        DestroyWindow(g_hwndSeekBar);
    g_hwndPlayerToolbar = g_hwndSeekBar = nullptr;
    // Where the player stands when restored (a minimised one stands off
    // the screen).
    WINDOWPLACEMENT at = {};
    at.length = sizeof at;
    if (g_hwndMain && GetWindowPlacement(hwnd, &at)) {
        SetWindowPos(g_hwndMain, nullptr, at.rcNormalPosition.left, at.rcNormalPosition.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(g_hwndMain, SW_SHOW);
        if (g_hwndPosBar)
            ShowWindow(g_hwndPosBar, SW_SHOW);
        SetFocus(g_hwndMain);
    }
    ghApp = nullptr;
    DestroyWindow(hwnd);
}

}  // namespace

int OpenPlayerWindow(const char *name)
{
    if (g_hwndPlayer) {
        PostMessageA(g_hwndPlayer, WM_COMMAND, IDM_PLAYER_OPEN_NAME, (LPARAM)name);
        return 1;
    }
    // The title at creation, in the ANSI code page (動画再生).
    g_hwndPlayer = CreateWindowExA(0, "PLAYAVI", "\x93\xae\x89\xe6\x8d\xc4\x90\xb6",
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, g_hInst, (void *)name);
    if (g_hwndPlayer)
        PostMessageA(g_hwndPlayer, WM_COMMAND, IDM_PLAYER_OPEN, 0);
    return 1;
}

HRESULT PlayerInitWindow()
{
    PlayerCheckSizeItem(IDM_PLAYER_SIZE_100);
    EnableClipItems(false);
    return S_OK;
}

void PlayerCheckSizeItem(int id)
{
    HMENU menu = ghApp ? GetMenu(ghApp) : nullptr;
    if (!menu)
        return;
    for (int item : kSizeItems)
        CheckMenuItem(menu, item, MF_BYCOMMAND | (item == id ? MF_CHECKED : MF_UNCHECKED));
}

void PlayerMoveSeekBar()
{
    RECT player, bar;
    if (!g_hwndSeekBar || !g_hwndPlayerToolbar || !GetWindowRect(ghApp, &player) ||
        !GetWindowRect(g_hwndPlayerToolbar, &bar))
        return;
    // The seek bar is an owned popup: screen coordinates.
    int width = player.right - player.left - 324;
    MoveWindow(g_hwndSeekBar, player.left + 320, bar.top + 8, width > 0 ? width : 0, bar.bottom - bar.top - 12,
               TRUE);
}

HRESULT InitVideoWindow(int a, int b, int c, int d)
{
    long nativeW = 0, nativeH = 0;
    if (!pBV || pBV->GetVideoSize(&nativeW, &nativeH) == E_NOINTERFACE)
        return S_OK;
    EnableClipItems(true);
    int w = (int)((long long)a * nativeW / b), h = (int)((long long)c * nativeH / d);
    RECT main;
    if (g_bFirstPlacement == 1 && g_hwndMain && GetWindowRect(g_hwndMain, &main)) {
        SetWindowPos(ghApp, nullptr, main.left, main.top, w, h, SWP_NOOWNERZORDER | SWP_NOZORDER);
        g_bFirstPlacement = 0;
    } else {
        SetWindowPos(ghApp, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER);
    }
    // The outer size that gives a client area of the video plus the strip.
    RECT window, client;
    GetWindowRect(ghApp, &window);
    GetClientRect(ghApp, &client);
    int frameW = (window.right - window.left) - client.right, frameH = (window.bottom - window.top) - client.bottom;
    SetWindowPos(ghApp, nullptr, 0, 0, w + frameW, h + TOOLHIGHT + frameH,
                 SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER);
    GetClientRect(ghApp, &client);
    HRESULT hr = pVW->SetWindowPosition(client.left, client.top + TOOLHIGHT, w, h);
    if (FAILED(hr))
        PlayerErrorBox("FAILED(hr=0x%x) in pVW->SetWindowPosition(rect.left, rect.top+TOOLHIGHT, lWidth, lHeight)\n",
                       (unsigned)hr);
    PlayerMoveSeekBar();
    ShowWindow(g_hwndSeekBar, SW_SHOW);
    ShowWindow(g_hwndPlayerToolbar, SW_SHOW);
    if (g_hwndMain)
        ShowWindow(g_hwndMain, SW_HIDE);
    if (g_hwndPosBar)
        ShowWindow(g_hwndPosBar, SW_HIDE);
    SetForegroundWindow(g_hwndSeekBar);
    SetFocus(ghApp);
    return hr;
}

void PlayerFitVideo()
{
    if (!pVW)
        return;
    RECT client;
    GetClientRect(ghApp, &client);
    pVW->SetWindowPosition(client.left, client.top + TOOLHIGHT, client.right, client.bottom - TOOLHIGHT);
    PlayerMoveSeekBar();
}

LRESULT CALLBACK PlayerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: Create(hwnd, (const CREATESTRUCTA *)lParam); break;
    case WM_CLOSE:
        Close(hwnd);
        return 0;
    case WM_COMMAND:
    case WM_KEYDOWN:
        if (msg == WM_COMMAND)
            Command(hwnd, LOWORD(wParam), lParam);
        else
            Key(hwnd, (unsigned)wParam);
        if (!IsWindow(hwnd))  // closed by the command or key
            return 0;
        break;
    case WM_LBUTTONDOWN: PlayerToggleFullScreen(); break;
    case WM_TIMER:
        if (wParam == kPlayerTimer)
            PlayerTimerTick();
        break;
    case WM_GRAPHNOTIFY: PlayerHandleGraphEvents(); break;
    case WM_SIZE:
    case WM_MOVE:
        if (g_hwndPlayerToolbar)
            SendMessageA(g_hwndPlayerToolbar, msg, wParam, lParam);
        PlayerFitVideo();
        break;
    case WM_GETMINMAXINFO: {
        MINMAXINFO *info = (MINMAXINFO *)lParam;
        info->ptMinTrackSize.x = 200;
        info->ptMinTrackSize.y = 120;
        break;
    }
    case WM_NOTIFY: {
        NMTTDISPINFOA *info = (NMTTDISPINFOA *)lParam;
        if (info->hdr.code == TTN_GETDISPINFOA) {
            info->hinst = g_hInstPlayer;
            info->lpszText = MAKEINTRESOURCEA(info->hdr.idFrom - IDS_PLAYER_TOOLTIP_OFFSET);
        }
        break;
    }
    }
    if (pVW && ghApp == hwnd)
        pVW->NotifyOwnerMessage((OAHWND)hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- the seek bar ----

namespace {

SeekBarRange s_seek = {0, 100, 0, 1};
HWND s_seekScroll;

void SetSeekScroll(bool redraw)
{
    if (!s_seekScroll)
        return;
    SetScrollRange(s_seekScroll, SB_CTL, 0, SeekBarUnits(s_seek, s_seek.end, g_nFrameMs), FALSE);
    SetScrollPos(s_seekScroll, SB_CTL, SeekBarUnits(s_seek, s_seek.pos, g_nFrameMs), redraw);
}

// The scroll bar takes the strip's width after its buttons.
void LayOutSeekBar(HWND dialog, int width, int height)
{
    RECT r;
    if (!s_seekScroll || !GetWindowRect(s_seekScroll, &r))
        return;
    POINT at = {r.left, r.top};
    ScreenToClient(dialog, &at);
    int w = width - at.x;
    MoveWindow(s_seekScroll, at.x, 0, w > 0 ? w : 0, height, TRUE);
}

}  // namespace

INT_PTR CALLBACK PlayerSeekBarDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        g_nFrameMs = 1;
        s_seek = {0, 100, 0, 1};
        PlayerCreateTips(dialog);
        s_seekScroll = GetDlgItem(dialog, IDC_SEEK_SCROLL);
        SetSeekScroll(false);
        return TRUE;
    case WM_SIZE:
        LayOutSeekBar(dialog, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_POS_RESET:
            ResetSeekBar(&s_seek, g_nClipLengthMs, g_nFrameMs, g_nSeekMs);
            g_nSeekMs = s_seek.pos;
            SetSeekScroll(false);
            InvalidateRect(dialog, nullptr, TRUE);
            return TRUE;
        case IDC_SEEK_TICK:
            s_seek.pos = g_nSeekMs;
            if (s_seekScroll) {
                SetScrollPos(s_seekScroll, SB_CTL, SeekBarUnits(s_seek, s_seek.pos, g_nFrameMs), FALSE);
                InvalidateRect(s_seekScroll, nullptr, FALSE);
            }
            return TRUE;
        case IDC_SEEK_FIRST:
        case IDC_SEEK_LAST:
            SendMessageA(ghApp, WM_COMMAND, LOWORD(wParam), 0);
            SetFocus(ghApp);
            return TRUE;
        }
        break;
    case WM_HSCROLL: {
        int code = LOWORD(wParam);
        if (code < SB_LINELEFT || code > SB_RIGHT)
            return FALSE;
        // Where each seek stops the graph, a drag seeks when it ends.
        if (code == SB_THUMBTRACK && GraphSeeksOnlyWhenStopped())
            return FALSE;
        s_seek.pos = SeekBarScroll(s_seek, code, HIWORD(wParam), g_nFrameMs);
        SetScrollPos(s_seekScroll, SB_CTL, SeekBarUnits(s_seek, s_seek.pos, g_nFrameMs), TRUE);
        g_nSeekMs = s_seek.pos;
        SendMessageA(ghApp, WM_COMMAND, IDM_POSITION_MOVED, 0);
        SetFocus(ghApp);
        return FALSE;
    }
    case WM_NOTIFY: {
        NMHDR *hdr = (NMHDR *)lParam;
        if (hdr->code == TTN_GETDISPINFOA)
            PlayerTipText((NMTTDISPINFOA *)lParam);
        return TRUE;
    }
    case WM_DESTROY:
        s_seekScroll = nullptr;
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK PlayerCustomSizeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemInt(dialog, IDC_CUSTSIZE_WIDTH, (UINT)g_nCustomWidth, TRUE);
        SetDlgItemInt(dialog, IDC_CUSTSIZE_HEIGHT, (UINT)g_nCustomHeight, TRUE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            g_nCustomWidth = (int)GetDlgItemInt(dialog, IDC_CUSTSIZE_WIDTH, nullptr, TRUE);
            g_nCustomHeight = (int)GetDlgItemInt(dialog, IDC_CUSTSIZE_HEIGHT, nullptr, TRUE);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
