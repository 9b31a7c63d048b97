#include "pipeline/view_window.h"

#include "pipeline/compose_settings.h"
#include "pipeline/show_pair.h"
#include "pipeline/view_layout.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_source.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// ---- painting ----

// Draws w x h source pixels from (sx, sy) (rows from the bottom) into the
// destination rectangle, 1:1 when the sizes agree; mirrored pictures are
// drawn with a negative extent from their last pixel.
void DrawPicture(HDC dc, const PackedDib *src, int sx, int sy, int w, int h, const ViewRect &to, bool mirrorX,
                 bool mirrorY)
{
    if (!src || w <= 0 || h <= 0 || to.w <= 0 || to.h <= 0)
        return;
    const BYTE *bits = FindDibBits(src);
    if (to.w == w && to.h == h && !mirrorX && !mirrorY) {
        SetDIBitsToDevice(dc, to.x, to.y, (DWORD)w, (DWORD)h, sx, sy, 0, (UINT)DibHeight(src), bits,
                          (const BITMAPINFO *)src, DIB_RGB_COLORS);
        return;
    }
    ViewRect d = MirroredDestination(to, mirrorX, mirrorY);
    StretchDIBits(dc, d.x, d.y, d.w, d.h, sx, sy, w, h, bits, (const BITMAPINFO *)src, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace

ViewLayout LayOutView(HWND view, int mode, int playEye, int sourceW, int sourceH)
{
    RECT client;
    GetClientRect(view, &client);
    ViewLayoutRequest r = {};
    r.mode = mode;
    r.playEye = playEye;
    r.clientW = client.right;
    r.clientH = client.bottom;
    r.sourceW = sourceW;
    r.sourceH = sourceH;
    r.zoom = g_nZoom;
    r.waku = g_nWaku;
    r.wcent = g_nWcent;
    r.mirror = g_nMirror;
    POINT origin = {0, 0};
    ClientToScreen(view, &origin);
    r.screenTop = origin.y;
    ViewLayout v = ComputeViewLayout(r);
    g_nZoom = v.zoom;
    g_nViewImages = v.images;
    for (int k = 0; k < 3; k++) {
        const ViewRect &p = v.pic[k];
        SetRect(&g_rcViewImage[k], p.x, p.y, p.x + p.w, p.y + p.h);
    }
    return v;
}

void DrawHelpOverlay(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    for (int id = IDS_VIEW_HELP_FIRST; id <= IDS_VIEW_HELP_LAST; id++) {
        const char *text = LoadStr(id);
        int y = (id - IDS_VIEW_HELP_FIRST) * 20;
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 2, 22 + y, text, lstrlenA(text));
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, 3, 23 + y, text, lstrlenA(text));
    }
}

void DrawFrameAround(HDC dc, const ViewRect &p, HBRUSH brush)
{
    int k = g_nWaku;
    if (k <= 0)
        return;
    RECT r;
    SetRect(&r, p.x - k, p.y - k, p.x, p.y + p.h + k);
    FillRect(dc, &r, brush);
    SetRect(&r, p.x + p.w, p.y - k, p.x + p.w + k, p.y + p.h + k);
    FillRect(dc, &r, brush);
    SetRect(&r, p.x, p.y - k, p.x + p.w, p.y);
    FillRect(dc, &r, brush);
    SetRect(&r, p.x, p.y + p.h, p.x + p.w, p.y + p.h + k);
    FillRect(dc, &r, brush);
}

namespace {

void DrawLabel(HDC dc, int x, int y, const char *text)
{
    int n = lstrlenA(text);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x + 4, y + 4, text, n);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, x + 5, y + 5, text, n);
}

void PaintPair(HWND hwnd, HDC dc)
{
    g_nViewScale = 100;
    MovieSource *left = g_pLeft, *right = g_pRight;
    bool oneEye = g_nPlayEye == 1 || g_nPlayEye == 2;
    int sizeW = left->nWidth, sizeH = left->nHeight;
    if (oneEye && left->pCurrent) {
        sizeW = DibWidth(left->pCurrent);
        sizeH = DibHeight(left->pCurrent);
    }
    int m[4];
    ShiftToCropMargins(m, sizeW, sizeH, g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    int regionW = sizeW - m[0] - m[2], regionH = sizeH - m[1] - m[3];
    if (g_nTrimState != kTrimApplied)
        SetRect(&g_rcTrim, 0, 0, regionW, regionH);
    int t = regionH - g_rcTrim.bottom;
    int w = g_rcTrim.right - g_rcTrim.left, h = g_rcTrim.bottom - g_rcTrim.top;
    int lx = m[2] + g_rcTrim.left, ly = m[3] + t, rx = m[0] + g_rcTrim.left, ry = m[1] + t;

    bool eyes = oneEye || g_nDisplayMode == 0 || g_nDisplayMode == 1 || g_nDisplayMode == 5;
    ViewLayout v = LayOutView(hwnd, g_nDisplayMode, oneEye ? g_nPlayEye : 0, eyes ? w : DibWidth(g_pComposed),
                              eyes ? h : DibHeight(g_pComposed));
    if (!v.images)
        return;
    g_nViewScale = v.scale;
    g_nFieldParity = v.parity;
    SetStretchBltMode(dc, COLORONCOLOR);

    if (oneEye) {
        bool l = g_nPlayEye == 1;
        DrawPicture(dc, l ? left->pCurrent : right->pCurrent, l ? lx : rx, l ? ly : ry, w, h, v.pic[0], false, false);
        return;
    }
    HBRUSH frame = CreateSolidBrush(g_dwWCOL);
    switch (g_nDisplayMode) {
    case 0:
    case 1:
        DrawPicture(dc, left->pCurrent, lx, ly, w, h, v.pic[0], g_nDisplayMode == 0 && v.mirrorFirst,
                    g_nDisplayMode == 1 && v.mirrorFirst);
        DrawPicture(dc, right->pCurrent, rx, ry, w, h, v.pic[1], g_nDisplayMode == 0 && v.mirrorSecond,
                    g_nDisplayMode == 1 && v.mirrorSecond);
        break;
    case 5: {
        DrawPicture(dc, left->pCurrent, lx, ly, w, h, v.pic[0], false, false);
        DrawPicture(dc, right->pCurrent, rx, ry, w, h, v.pic[1], false, false);
        DrawPicture(dc, g_pComposed, 0, 0, DibWidth(g_pComposed), DibHeight(g_pComposed), v.pic[2], false, false);
        char first[16], second[16];
        lstrcpynA(first, LoadStr(g_bSwapped == 1 ? IDS_LABEL_RIGHT : IDS_LABEL_LEFT), sizeof first);
        lstrcpynA(second, LoadStr(g_bSwapped == 1 ? IDS_LABEL_LEFT : IDS_LABEL_RIGHT), sizeof second);
        SetBkMode(dc, TRANSPARENT);
        DrawLabel(dc, v.pic[0].x, v.pic[0].y, first);
        DrawLabel(dc, v.pic[1].x, v.pic[1].y, second);
        DrawLabel(dc, v.pic[2].x, v.pic[2].y, LoadStr(IDS_LABEL_BLEND));
        break;
    }
    case 4: {
        int W = DibWidth(g_pComposed), H = DibHeight(g_pComposed);
        if (v.zoom == 100) {
            ViewRect to = {v.pic[0].x, v.pic[0].y, W, H};
            DrawPicture(dc, g_pComposed, 0, 0, W, H, to, false, false);
        } else {
            // Rebuilt at the shown height, so that every line pair stays one
            // left row and one right row; stretched only horizontally.
            PackedDib *rows = ComposeInterlaceScaled(ComposeSettingsFromState(), left->pCurrent, right->pCurrent, m[0],
                                                     m[1], m[2], m[3], v.pic[0].h);
            if (rows) {
                DrawPicture(dc, rows, 0, 0, DibWidth(rows), DibHeight(rows), v.pic[0], false, false);
                FreeDib(rows);
            }
        }
        break;
    }
    case 7: {
        int W = DibWidth(g_pComposed), H = DibHeight(g_pComposed);
        DrawPicture(dc, g_pComposed, 0, 0, W / 2, H, v.pic[0], false, false);
        DrawPicture(dc, g_pComposed, W / 2, 0, W / 2, H, v.panel2, false, false);
        break;
    }
    default:
        DrawPicture(dc, g_pComposed, 0, 0, DibWidth(g_pComposed), DibHeight(g_pComposed), v.pic[0], false, false);
        break;
    }
    if (v.framed)
        for (int k = 0; k < v.images; k++)
            DrawFrameAround(dc, v.pic[k], frame);
    DeleteObject(frame);
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (g_nBusy != 0)
        g_bResizedForView = 1;
    if (g_nTrimState != kTrimNone && g_nTrimState != kTrimApplied)
        SendMessageA(g_hwndMain, WM_COMMAND, IDM_TRIM, 0);
    if (g_pComposed && g_nBusy == 0)
        PaintPair(hwnd, dc);
    if (g_bFullScreen == 1 && g_bHelpOverlay == 1)
        DrawHelpOverlay(dc);
    EndPaint(hwnd, &ps);
}

void Place(HWND hwnd)
{
    if (g_bFullScreen == 1) {
        HDC dc = GetDC(hwnd);
        int sw = GetDeviceCaps(dc, HORZRES), sh = GetDeviceCaps(dc, VERTRES);
        ReleaseDC(hwnd, dc);
        int x = 0, w = sw;
        if (g_nDualMonitor == 1 || g_nDualMonitor == 2) {
            x = g_nDualMonitor == 1 ? 0 : -sw;
            if (g_nDisplayMode == 0 || g_nDisplayMode == 5 || g_nDisplayMode == 7)
                w = 2 * sw;
        }
        MoveWindow(hwnd, x, 0, w, sh, TRUE);
        return;
    }
    // Between the two toolbars (32 and 28 pixels when they cannot be
    // measured).
    RECT rc;
    if (!g_hwndMain || !GetClientRect(g_hwndMain, &rc))
        return;
    int top = rc.top + 32, bottom = rc.bottom - 28;
    RECT bar;
    if (g_hwndFileToolbar && IsWindowVisible(g_hwndFileToolbar) && GetWindowRect(g_hwndFileToolbar, &bar)) {
        MapWindowPoints(HWND_DESKTOP, g_hwndMain, (POINT *)&bar, 2);
        top = bar.bottom;
    }
    if (g_hwndMainToolbar && IsWindowVisible(g_hwndMainToolbar) && GetWindowRect(g_hwndMainToolbar, &bar)) {
        MapWindowPoints(HWND_DESKTOP, g_hwndMain, (POINT *)&bar, 2);
        bottom = bar.top;
    }
    MoveWindow(hwnd, rc.left, top, rc.right - rc.left, bottom > top ? bottom - top : 0, TRUE);
}

// ---- the trimming rectangle ----

TrimPoint s_start[3], s_end[3];
int s_startImage = 0;

TrimPoint TopLeft(int k)
{
    return TrimPoint{(int)g_rcViewImage[k].left, (int)g_rcViewImage[k].top};
}

ViewRect ImageRect(int k)
{
    const RECT &r = g_rcViewImage[k];
    return ViewRect{(int)r.left, (int)r.top, (int)(r.right - r.left), (int)(r.bottom - r.top)};
}

// The view's drawing context set for erasable lines: R2_NOT, a one-pixel
// pen, no fill.
struct XorDc {
    HWND hwnd;
    HDC dc;
    HGDIOBJ oldPen, oldBrush;
    int oldRop;
    explicit XorDc(HWND w) : hwnd(w)
    {
        dc = GetDC(w);
        oldPen = SelectObject(dc, CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
        oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        oldRop = SetROP2(dc, R2_NOT);
    }
    ~XorDc()
    {
        SetROP2(dc, oldRop);
        SelectObject(dc, oldBrush);
        DeleteObject(SelectObject(dc, oldPen));
        ReleaseDC(hwnd, dc);
    }
};

void Crosses(HDC dc, const TrimPoint *p)
{
    for (int k = 0; k < g_nViewImages; k++) {
        const RECT &r = g_rcViewImage[k];
        DrawCross(dc, p[k].x, p[k].y, r.left, r.top, r.right, r.bottom);
    }
}

void Rectangles(HDC dc)
{
    for (int k = 0; k < g_nViewImages; k++)
        Rectangle(dc, s_start[k].x, s_start[k].y, s_end[k].x, s_end[k].y);
}

void TitleOfRectangle(int x1, int y1, int x2, int y2, int w, int h)
{
    char title[128];
    snprintf(title, sizeof title, "[%d,%d] - [%d,%d] => [%d x %d]", x1, y1, x2, y2, w, h);
    SetWindowTextA(g_hwndMain, title);
}

void TitleOfDrawing()
{
    int scale = g_nViewScale;
    TrimPoint o = TopLeft(0);
    int x1 = scale * (s_start[0].x - o.x) / 100, y1 = scale * (s_start[0].y - o.y) / 100;
    int x2 = scale * (s_end[0].x - o.x) / 100, y2 = scale * (s_end[0].y - o.y) / 100;
    TitleOfRectangle(x1, y1, x2, y2, x2 - x1, y2 - y1);
}

// Runs the capture loop until the button is released: other windows'
// messages are served, the view's own mouse messages go to onMove. False
// when the capture was lost before the release.
template <class OnMove>
bool TrackMouse(HWND hwnd, POINT *release, OnMove onMove)
{
    SetCapture(hwnd);
    for (;;) {
        if (GetCapture() != hwnd)
            return false;
        // One look at the whole queue: with a look for the view's mouse
        // messages first and one for the rest after it, a release arriving
        // between the two would be dispatched past this loop and lost.
        MSG m;
        if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (m.hwnd == hwnd && m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) {
            POINT p = {(short)LOWORD(m.lParam), (short)HIWORD(m.lParam)};
            if (m.message == WM_MOUSEMOVE) {
                onMove(p);
            } else if (m.message == WM_LBUTTONUP) {
                ReleaseCapture();
                *release = p;
                return true;
            }
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage((int)m.wParam);
            ReleaseCapture();
            return false;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void DrawTrimming(HWND hwnd, POINT click)
{
    int hit = -1;
    for (int k = 0; k < g_nViewImages; k++) {
        const RECT &r = g_rcViewImage[k];
        if (click.x < r.left && click.x > r.left - 10)
            click.x = r.left;
        if (click.y < r.top && click.y > r.top - 10)
            click.y = r.top;
    }
    for (int k = 0; k < g_nViewImages; k++) {
        const RECT &r = g_rcViewImage[k];
        if (click.x >= r.left && click.x <= r.right && click.y >= r.top && click.y <= r.bottom)
            hit = k;
    }
    if (hit < 0)
        return;
    s_startImage = hit;
    TrimPoint offset = {click.x - (int)g_rcViewImage[hit].left, click.y - (int)g_rcViewImage[hit].top};
    for (int k = 0; k < g_nViewImages; k++) {
        TrimPoint o = TopLeft(k);
        s_start[k] = s_end[k] = TrimPoint{o.x + offset.x, o.y + offset.y};
    }
    {
        XorDc x(hwnd);
        Crosses(x.dc, s_start);
    }
    int state = g_nTrimState;
    POINT release;
    bool released = TrackMouse(hwnd, &release, [&](POINT p) {
        XorDc x(hwnd);
        Crosses(x.dc, s_end);
        TrimPoint e = TrimEndPoint(state, s_start[hit], TrimPoint{(int)p.x, (int)p.y}, ImageRect(hit));
        TrimPoint o = TopLeft(hit);
        for (int k = 0; k < g_nViewImages; k++) {
            TrimPoint ok = TopLeft(k);
            s_end[k] = TrimPoint{ok.x + e.x - o.x, ok.y + e.y - o.y};
        }
        Crosses(x.dc, s_end);
        TitleOfDrawing();
    });
    XorDc x(hwnd);
    Crosses(x.dc, s_end);
    if (!released)
        return;
    if (abs(s_end[0].x - s_start[0].x) < 2 || abs(s_end[0].y - s_start[0].y) < 2)
        return;
    for (int k = 0; k < g_nViewImages; k++) {
        TrimPoint a = s_start[k], b = s_end[k];
        s_start[k] = TrimPoint{a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y};
        s_end[k] = TrimPoint{a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y};
    }
    Rectangles(x.dc);
    g_nTrimState += 10;
}

void MoveAndApplyTrimming(HWND hwnd, POINT click)
{
    POINT last = click;
    POINT release;
    bool released = TrackMouse(hwnd, &release, [&](POINT p) {
        XorDc x(hwnd);
        Rectangles(x.dc);
        int dx = p.x - last.x, dy = p.y - last.y;
        const RECT &img = g_rcViewImage[0];
        if (s_start[0].x + dx < img.left)
            dx = img.left - s_start[0].x;
        if (s_end[0].x + dx > img.right)
            dx = img.right - s_end[0].x;
        if (s_start[0].y + dy < img.top)
            dy = img.top - s_start[0].y;
        if (s_end[0].y + dy > img.bottom)
            dy = img.bottom - s_end[0].y;
        for (int k = 0; k < g_nViewImages; k++) {
            s_start[k].x += dx;
            s_start[k].y += dy;
            s_end[k].x += dx;
            s_end[k].y += dy;
        }
        last = p;
        Rectangles(x.dc);
        TitleOfDrawing();
    });
    {
        XorDc x(hwnd);
        Rectangles(x.dc);
    }
    if (!released)
        return;
    int left, top, right, bottom;
    if (!TrimRectFromDrawing(g_nTrimState, s_start[0], s_end[0], ImageRect(0), g_nViewScale, g_rcTrim.right,
                             g_rcTrim.bottom, &left, &top, &right, &bottom)) {
        // Too small to trim to: draw again.
        g_nTrimState -= 10;
        return;
    }
    TitleOfRectangle(left, top, right, bottom, right - left, bottom - top);
    SetRect(&g_rcTrim, left, top, right, bottom);
    g_nTrimState = kTrimApplied;
    SendMessageA(g_hwndMain, WM_COMMAND, IDM_RESHOW, 0);
    if (g_bBlurFrame == 1) {
        // The soft border is drawn on freshly fetched frames at the new
        // region: fetch the same position again.
        InvalidateRect(g_hwndMain, nullptr, TRUE);
        if (g_nBusy == 0 && ShowCurrentPair(&g_stereoPair) == 0)
            InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void LeftButtonDown(HWND hwnd, LPARAM lParam)
{
    if (g_nBusy != 0) {
        g_bCancel = 1;
        g_nPlayChain = 0;
        return;
    }
    POINT p = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (g_nViewImages == 0 || g_nTrimState == kTrimNone || g_nTrimState == kTrimApplied) {
        SendMessageA(g_hwndMain, WM_COMMAND, IDM_PLAY_PAIR, 0);
    } else if (g_nTrimState >= 10 && g_nTrimState <= 16) {
        DrawTrimming(hwnd, p);
    } else if (g_nTrimState >= 20 && g_nTrimState <= 26) {
        MoveAndApplyTrimming(hwnd, p);
    }
}

}  // namespace

void DrawCross(HDC dc, int x, int y, int left, int top, int right, int bottom)
{
    MoveToEx(dc, x, top, nullptr);
    LineTo(dc, x, bottom);
    MoveToEx(dc, left, y, nullptr);
    LineTo(dc, right, y);
}

LRESULT CALLBACK ViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        Place(hwnd);
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 1;
    case WM_CLOSE:
        g_hwndView = nullptr;
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            if (g_bFullScreen == 1)
                SetCursor(g_hCursorNone);
            else if (g_nTrimState >= 10 && g_nTrimState <= 16)
                SetCursor(g_hCursorSelect);
            else if (g_nTrimState >= 20 && g_nTrimState <= 26)
                SetCursor(g_hCursorMove);
            else
                SetCursor(g_hCursorArrow);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        LeftButtonDown(hwnd, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        if (g_nBusy != 0) {
            g_bCancel = 1;
            g_nPlayChain = 0;
        } else {
            g_nFrame = 0;
            SendMessageA(g_hwndMain, WM_COMMAND, IDM_PLAY_PAIR, 0);
        }
        return 0;
    case WM_MOUSEWHEEL:
        // The main window zooms; the default processing would hand the wheel
        // to it a second time.
        SendMessageA(g_hwndMain, msg, wParam, lParam);
        return 0;
    case WM_DROPFILES:
        SendMessageA(g_hwndMain, msg, wParam, lParam);
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
