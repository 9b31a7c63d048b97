#include "shell/toolbars.h"

#include "pipeline/compose_gdi.h"
#include "pipeline/compose_settings.h"
#include "resources/resource_ids.h"
#include "shared/packed_dib.h"
#include "shared/string_table.h"
#include "shell/open_names.h"
#include "shell/view_commands.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

namespace {

const COLORREF kMaskColour = RGB(192, 192, 192);
HIMAGELIST s_fileImages, s_mainImages, s_playerImages;

TBBUTTON Button(int image, int command, BYTE style = TBSTYLE_BUTTON)
{
    TBBUTTON b = {};
    b.iBitmap = image;
    b.idCommand = command;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = style;
    return b;
}

TBBUTTON Separator()
{
    TBBUTTON b = {};
    b.fsStyle = TBSTYLE_SEP;
    return b;
}

HWND MakeToolbar(HWND main, HINSTANCE instance, DWORD style, int bitmap, int images, int imageW, int imageH,
                 const TBBUTTON *buttons, int count, HIMAGELIST *list, bool flat = true)
{
    HWND bar = CreateToolbarEx(main, style, IDC_TOOLBAR, images, instance, bitmap, buttons, count, 0, 0, imageW,
                               imageH, sizeof(TBBUTTON));
    if (!bar)
        return nullptr;
    if (flat)
        SetWindowLongA(bar, GWL_STYLE, GetWindowLongA(bar, GWL_STYLE) | TBSTYLE_FLAT);
    *list = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(bitmap), imageW, 0, kMaskColour, IMAGE_BITMAP,
                                 LR_CREATEDIBSECTION);
    if (*list)
        SendMessageA(bar, TB_SETIMAGELIST, 0, (LPARAM)*list);
    return bar;
}

}  // namespace

HWND CreateFileToolbar(HWND main, HINSTANCE instance)
{
    const TBBUTTON buttons[] = {
        Separator(),
        Button(0, IDM_OPEN_STEREO), Button(1, IDM_OPEN_PAIR), Button(2, IDM_SAVE_STEREO),
        Separator(),
        Button(3, IDM_STOP),
        Separator(),
        Button(4, IDM_PLAY_PAIR), Button(5, IDM_PLAY_LEFT), Button(6, IDM_PLAY_RIGHT),
        Button(7, IDM_PLAY_FILE_FULLSCREEN), Button(8, IDM_PLAY_SAVED),
        Separator(),
        Button(9, IDM_SHUTTER_PLAY_PAIR), Button(10, IDM_SHUTTER_PLAY_FILE), Button(11, IDM_SHUTTER_PLAY_SAVED),
        Separator(),
    };
    HWND bar = MakeToolbar(main, instance, WS_CHILD | WS_VISIBLE | WS_THICKFRAME | TBSTYLE_TOOLTIPS,
                           IDB_FILE_TOOLBAR, 12, 18, 17, buttons, (int)(sizeof buttons / sizeof buttons[0]),
                           &s_fileImages);
    if (bar)
        ShowWindow(bar, SW_SHOW);
    return bar;
}

HWND CreateMainToolbar(HWND main, HINSTANCE instance)
{
    const BYTE drop = TBSTYLE_DROPDOWN;
    const TBBUTTON buttons[] = {
        Separator(),
        Button(2, IDM_MODE_BLEND), Button(3, IDM_MODE_INTERLACE),
        Button(4, IDM_MODE_ANAGLYPH, drop), Button(5, IDM_MODE_COLOUR_ANAGLYPH, drop),
        Button(6, IDM_MODE_SIDE_BY_SIDE, drop), Button(7, IDM_MODE_OVER_UNDER, drop),
        Button(23, IDM_MODE_CHROMA_KEY),
        Separator(),
        Button(8, IDM_EXCHANGE),
        Separator(),
        Button(9, IDM_LEFT_START_BACK), Button(10, IDM_LEFT_START_FORWARD), Button(11, IDM_RIGHT_START_BACK),
        Button(12, IDM_RIGHT_START_FORWARD), Button(13, IDM_END_EARLIER), Button(14, IDM_END_LATER),
        Separator(),
        Button(15, IDM_START_TO_FIRST), Button(16, IDM_START_HERE), Button(17, IDM_END_HERE),
        Button(18, IDM_END_TO_LAST),
        Separator(),
        Button(19, IDM_SHIFT_UP), Button(20, IDM_SHIFT_DOWN), Button(21, IDM_SHIFT_LEFT), Button(22, IDM_SHIFT_RIGHT),
        Button(24, IDM_SHIFT_RESET),
        Separator(),
        Button(25, IDM_TRIM, TBSTYLE_CHECK),
    };
    HWND bar = MakeToolbar(main, instance,
                           WS_CHILD | WS_VISIBLE | WS_THICKFRAME | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_BOTTOM,
                           IDB_MAIN_TOOLBAR, 26, 16, 17, buttons, (int)(sizeof buttons / sizeof buttons[0]),
                           &s_mainImages);
    if (bar) {
        SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
        ShowWindow(bar, SW_SHOW);
    }
    return bar;
}

HWND CreatePlayerToolbar(HWND player, HINSTANCE instance)
{
    const TBBUTTON buttons[] = {
        Separator(),
        Button(0, IDM_PLAYER_CLOSE),
        Separator(),
        Button(1, IDM_PLAYER_PAUSE), Button(2, IDM_PLAYER_PLAY),
        Separator(),
        Button(3, IDM_PLAYER_MUTE),
        Separator(),
        Button(4, IDM_PLAYER_FULLSCREEN),
        Separator(),
        Button(5, IDM_PLAYER_SIZE_50), Button(6, IDM_PLAYER_SIZE_75), Button(7, IDM_PLAYER_SIZE_100),
        Button(8, IDM_PLAYER_SIZE_200), Button(10, IDM_PLAYER_CUSTOM_SIZE),
        Separator(),
    };
    if (s_playerImages) {
        ImageList_Destroy(s_playerImages);
        s_playerImages = nullptr;
    }
    return MakeToolbar(player, instance, WS_CHILD | WS_VISIBLE | WS_THICKFRAME | TBSTYLE_TOOLTIPS, IDB_PLAYER_TOOLBAR,
                       11, 20, 17, buttons, (int)(sizeof buttons / sizeof buttons[0]), &s_playerImages, false);
}

void DestroyPlayerToolbarImages()
{
    if (s_playerImages)
        ImageList_Destroy(s_playerImages);
    s_playerImages = nullptr;
}

void DestroyToolbarImageLists()
{
    if (s_fileImages)
        ImageList_Destroy(s_fileImages);
    if (s_mainImages)
        ImageList_Destroy(s_mainImages);
    s_fileImages = s_mainImages = nullptr;
}

void ShowToolbarDropDown(HWND main, const NMTOOLBARA *nm)
{
    const char *name;
    int check = -1;
    switch (nm->iItem) {
    case IDM_MODE_ANAGLYPH:
        name = "toolsm";
        check = IDM_ANAGLYPH_RED_CYAN + g_nAnatype;
        break;
    case IDM_MODE_COLOUR_ANAGLYPH:
        name = "toolsmc";
        check = IDM_COLOUR_RED_CYAN + g_nAnactype;
        break;
    case IDM_MODE_SIDE_BY_SIDE: {
        name = "toolsbs";
        static const int items[4] = {IDM_MODE_SIDE_BY_SIDE, IDM_SBS_MIRROR_RIGHT, IDM_SBS_MIRROR_LEFT,
                                     IDM_SBS_MIRROR_BOTH};
        if (g_nDisplayMode == 0 && g_nMirror >= 0 && g_nMirror < 4)
            check = items[g_nMirror];
        break;
    }
    case IDM_MODE_OVER_UNDER: {
        name = "toolab";
        static const int items[4] = {IDM_MODE_OVER_UNDER, IDM_OU_MIRROR_BOTTOM, IDM_OU_MIRROR_TOP,
                                     IDM_OU_MIRROR_BOTH};
        if (g_nDisplayMode == 1 && g_nMirror >= 0 && g_nMirror < 4)
            check = items[g_nMirror];
        break;
    }
    default:
        return;
    }
    RECT rc;
    SendMessageA(nm->hdr.hwndFrom, TB_GETRECT, nm->iItem, (LPARAM)&rc);
    MapWindowPoints(nm->hdr.hwndFrom, HWND_DESKTOP, (POINT *)&rc, 2);
    // The toolbar sits at the bottom of the window: the menu opens above.
    int up = nm->iItem == IDM_MODE_OVER_UNDER ? 105 : 130;
    rc.top -= up;
    rc.bottom -= up;
    HMENU menu = LoadMenuA(g_hInst, name);
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    if (check >= 0)
        CheckMenuItem(popup, check, MF_BYCOMMAND | MF_CHECKED);
    TPMPARAMS params = {};
    params.cbSize = sizeof params;
    params.rcExclude = rc;
    TrackPopupMenuEx(popup, TPM_VERTICAL, rc.left, rc.bottom, main, &params);
    DestroyMenu(menu);
}

// ---- tool tips of a bar ----

namespace {

struct TipBar {
    HWND bar;
    HWND tip;
    HHOOK hook;
    const int *controls;  // control id, string id pairs, ending with 0
    const char *(*load)(int id);
};

const int kPositionTips[] = {IDC_POS_FIRST, IDS_TIP_FIRST_FRAME, IDC_POS_LAST, IDS_TIP_LAST_FRAME,
                             IDC_POS_SCROLL, IDS_TIP_POSITION, 0};
const int kPlayerTips[] = {IDC_SEEK_FIRST, IDS_TIP_FIRST_FRAME, IDC_SEEK_LAST, IDS_TIP_LAST_FRAME,
                           IDC_SEEK_SCROLL, IDS_TIP_POSITION, 0};
TipBar s_positionTips = {nullptr, nullptr, nullptr, kPositionTips, LoadStr};
TipBar s_playerTips = {nullptr, nullptr, nullptr, kPlayerTips, LoadResString};

BOOL AddTip(TipBar *t, HWND child)
{
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (!lstrcmpiA(cls, "STATIC"))
        return TRUE;
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;  // 44 bytes in the 32-bit program
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = t->bar;
    ti.uId = (UINT_PTR)child;
    ti.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(t->tip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
    return TRUE;
}

int CreateTips(TipBar *t, HWND bar, WNDENUMPROC add, HOOKPROC hook)
{
    t->bar = bar;
    t->tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, bar, nullptr, g_hInst, nullptr);
    if (!t->tip)
        return 0;
    if (!EnumChildWindows(bar, add, (LPARAM)t))
        return 0;
    t->hook = SetWindowsHookExA(WH_GETMESSAGE, hook, nullptr, GetCurrentThreadId());
    return t->hook ? 1 : 0;
}

LRESULT Relay(TipBar *t, int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *m = (const MSG *)lParam;
    if (code >= 0 && m && t->bar && IsChild(t->bar, m->hwnd) && t->tip) {
        switch (m->message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            MSG copy = {};
            copy.hwnd = m->hwnd;
            copy.message = m->message;
            copy.wParam = m->wParam;
            copy.lParam = m->lParam;
            SendMessageA(t->tip, TTM_RELAYEVENT, 0, (LPARAM)&copy);
            break;
        }
        }
    }
    return CallNextHookEx(t->hook, code, wParam, lParam);
}

void TipText(TipBar *t, NMTTDISPINFOA *info)
{
    int id = GetDlgCtrlID((HWND)info->hdr.idFrom);
    for (const int *p = t->controls; *p; p += 2) {
        if (p[0] == id) {
            info->lpszText = (LPSTR)t->load(p[1]);
            return;
        }
    }
}

void RemoveTips(TipBar *t)
{
    if (t->hook)
        UnhookWindowsHookEx(t->hook);
    if (t->tip)
        DestroyWindow(t->tip);
    t->hook = nullptr;
    t->tip = nullptr;
    t->bar = nullptr;
}

}  // namespace

int PositionBarCreateTips(HWND bar)
{
    return CreateTips(&s_positionTips, bar, PositionBarAddTipProc, PositionBarTipHookProc);
}
BOOL CALLBACK PositionBarAddTipProc(HWND child, LPARAM lParam)
{
    return AddTip((TipBar *)lParam, child);
}
LRESULT CALLBACK PositionBarTipHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    return Relay(&s_positionTips, code, wParam, lParam);
}
void PositionBarTipText(NMTTDISPINFOA *info)
{
    TipText(&s_positionTips, info);
}
void PositionBarRemoveTips()
{
    RemoveTips(&s_positionTips);
}
int PlayerCreateTips(HWND bar)
{
    return CreateTips(&s_playerTips, bar, PlayerAddTipProc, PlayerTipHookProc);
}
BOOL CALLBACK PlayerAddTipProc(HWND child, LPARAM lParam)
{
    return AddTip((TipBar *)lParam, child);
}
LRESULT CALLBACK PlayerTipHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    return Relay(&s_playerTips, code, wParam, lParam);
}
void PlayerTipText(NMTTDISPINFOA *info)
{
    TipText(&s_playerTips, info);
}
void PlayerRemoveTips()
{
    RemoveTips(&s_playerTips);
}

// ---- the frame-position bar ----

namespace {

int s_posStart = 0, s_posEnd = 100, s_position = 0;

void SetRange(bool redraw)
{
    SetScrollRange(g_hPosScroll, SB_CTL, s_posStart / g_nPosScale, s_posEnd / g_nPosScale, FALSE);
    SetScrollPos(g_hPosScroll, SB_CTL, s_position / g_nPosScale, redraw);
}

// The position was moved by the bar: tell the main window.
void Moved(HWND dialog)
{
    SetScrollPos(g_hPosScroll, SB_CTL, s_position / g_nPosScale, TRUE);
    g_nFrame = s_position;
    SendMessageA(g_hwndMain, WM_COMMAND, IDM_POSITION_MOVED, 0);
    SetFocus(g_hwndMain);
    (void)dialog;
}

// The two buttons at the left, the scroll bar over the rest.
void LayOut(HWND dialog, int width, int height)
{
    const int button = 36;
    MoveWindow(GetDlgItem(dialog, IDC_POS_FIRST), 0, 0, button, height, TRUE);
    MoveWindow(GetDlgItem(dialog, IDC_POS_LAST), button, 0, button, height, TRUE);
    int rest = width - 2 * button - 2;
    MoveWindow(GetDlgItem(dialog, IDC_POS_SCROLL), 2 * button + 2, 0, rest > 0 ? rest : 0, height, TRUE);
}

}  // namespace

INT_PTR CALLBACK PositionBarDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        PositionBarCreateTips(dialog);
        s_posStart = 0;
        s_posEnd = 100;
        s_position = 0;
        g_nPosScale = 1;
        g_hPosScroll = GetDlgItem(dialog, IDC_POS_SCROLL);
        SetRange(false);
        return TRUE;
    case WM_SIZE:
        LayOut(dialog, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_POS_RESET:
            s_posEnd = g_nFrameCount - 1;
            s_posStart = 0;
            g_nPosScale = PositionBarScale(s_posEnd);
            if (g_nFrame > s_posEnd)
                g_nFrame = s_posEnd;
            s_position = g_nFrame;
            SetRange(false);
            InvalidateRect(dialog, nullptr, TRUE);
            return TRUE;
        case IDC_POS_FIRST:
        case IDC_POS_LAST:
            s_position = LOWORD(wParam) == IDC_POS_FIRST ? s_posStart : s_posEnd;
            Moved(dialog);
            return TRUE;
        }
        break;
    case WM_HSCROLL: {
        int code = LOWORD(wParam);
        if (code < SB_LINELEFT || code > SB_RIGHT)
            return FALSE;
        s_position = PositionAfterScroll(code, s_position, s_posStart, s_posEnd, g_nPosScale, HIWORD(wParam));
        Moved(dialog);
        return FALSE;
    }
    case WM_NOTIFY: {
        NMHDR *hdr = (NMHDR *)lParam;
        if (hdr->code == TTN_GETDISPINFOA)
            PositionBarTipText((NMTTDISPINFOA *)lParam);
        return TRUE;
    }
    case WM_CLOSE:
        PositionBarRemoveTips();
        DestroyWindow(dialog);
        g_hPosScroll = nullptr;
        return TRUE;
    }
    return FALSE;
}

// ---- the clipboard copy ----

bool HandToClipboard(HWND owner, HGLOBAL dib, HGLOBAL text)
{
    bool dibTaken = false, textTaken = false;
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        dibTaken = dib && SetClipboardData(CF_DIB, dib);
        textTaken = text && SetClipboardData(CF_TEXT, text);
        CloseClipboard();
    }
    if (dib && !dibTaken)
        GlobalFree(dib);
    if (text && !textTaken)
        GlobalFree(text);
    return dibTaken && textTaken;
}

void CopyPairToClipboard(HWND main)
{
    PackedDib *left = g_pLeft->pCurrent, *right = g_pRight->pCurrent;
    if (!left || !right)
        return;
    int w = DibWidth(left), h = DibHeight(left);
    // Cleared: an applied trimming fills only its own region.
    PackedDib *out = CreateDib(2 * w, h, 24, 1);
    if (!out)
        return;
    if (!ComposeSideBySide(ComposeSettingsFromState(), g_hwndMain, out, left, right, 0, 0, 0, 0, 0, 0, 0)) {
        FreeDib(out);
        return;
    }
    HGLOBAL dib = GlobalHandle(out);
    GlobalUnlock(dib);

    int frame = g_pLeft->nStart + g_nFrame;
    char name[300];
    MakeClipboardName(g_pLeft->szName, frame, name, sizeof name);
    size_t n = strlen(name) + 1;
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n);
    if (text) {
        char *p = (char *)GlobalLock(text);
        memcpy(p, name, n);
        GlobalUnlock(text);
    }
    HandToClipboard(main, dib, text);

    char title[600];
    snprintf(title, sizeof title, LoadStr(IDS_COPIED), g_pLeft->szName, frame);
    SetWindowTextA(main, title);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}
