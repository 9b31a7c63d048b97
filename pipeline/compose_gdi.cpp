// Side-by-side and over/under pictures at any size, drawn through GDI into
// a DIB section and copied into the caller's output frame.
#include "pipeline/compose_gdi.h"

#include "pipeline/pair_region.h"
#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "shared/string_table.h"
#include "shell/app_state.h"
#include "shell/app_windows.h"

namespace {

struct GdiTarget {
    HDC screen = nullptr, mem = nullptr;
    HBITMAP section = nullptr, oldBitmap = nullptr;
    HPALETTE palette = nullptr, oldPalette = nullptr;
};

bool OpenTarget(PackedDib *out, PackedDib *paletteSource, GdiTarget *t)
{
    t->screen = GetDC(g_hwndMain);
    t->mem = CreateCompatibleDC(t->screen);
    void *bits = nullptr;
    t->section = CreateDIBSection(t->screen, (BITMAPINFO *)out, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!t->section) {
        AppMessageBox(g_hwndMain, LoadStr(2325), LoadStr(2300), MB_ICONWARNING);
        DeleteDC(t->mem);
        ReleaseDC(g_hwndMain, t->screen);
        return false;
    }
    t->oldBitmap = (HBITMAP)SelectObject(t->mem, t->section);
    t->palette = CreateDibPalette(g_hwndMain, paletteSource, 0);
    if (t->palette) {
        t->oldPalette = SelectPalette(t->mem, t->palette, FALSE);
        RealizePalette(t->mem);
    }
    return true;
}

// Copies rows of the section into the output and releases everything.
void CloseTarget(PackedDib *out, int rows, GdiTarget *t)
{
    if (t->palette) {
        SelectPalette(t->mem, t->oldPalette, FALSE);
        DeleteObject(t->palette);
    }
    SelectObject(t->mem, t->oldBitmap);
    GetDIBits(t->mem, t->section, 0, (UINT)rows, FindDibBits(out), (BITMAPINFO *)out, DIB_RGB_COLORS);
    DeleteDC(t->mem);
    ReleaseDC(g_hwndMain, t->screen);
    DeleteObject(t->section);
}

// Draws w x h source pixels from (sx, sy) (rows from the bottom) at
// (dx, dy): stretched to dw x dh when scaled, else 1:1. Mirrored pictures
// are drawn with a negative width from their right edge.
void DrawRegion(HDC dc, PackedDib *src, int sx, int sy, int w, int h, int dx, int dy, int dw, int dh, bool scaled,
                bool mirrorX)
{
    if (!scaled) {
        dw = w;
        dh = h;
    }
    if (!scaled && !mirrorX) {
        SetDIBitsToDevice(dc, dx, dy, (DWORD)w, (DWORD)h, sx, sy, 0, (UINT)DibHeight(src), FindDibBits(src),
                          (BITMAPINFO *)src, DIB_RGB_COLORS);
        return;
    }
    // A negative extent counts back from the start pixel, so the start is
    // the last pixel of the picture's own rectangle.
    if (mirrorX) {
        dx += dw - 1;
        dw = -dw;
    }
    StretchDIBits(dc, dx, dy, dw, dh, sx, sy, w, h, FindDibBits(src), (BITMAPINFO *)src, DIB_RGB_COLORS, SRCCOPY);
}

// Draws the two regions of a pair, one beside (or above) the other: the
// second image starts one eye further along x (side by side) or y.
PackedDib *ComposeTwoImages(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                            int eyeWidth, int eyeHeight, int scale, bool overUnder)
{
    if (!out || !left || !right)
        return nullptr;
    PairRegion g = ResolvePairRegionForSizes(DibWidth(left), DibHeight(left), DibWidth(right), DibHeight(right), rc, rr,
                                             lc, lr, -1, -1);
    GdiTarget t;
    if (!OpenTarget(out, left, &t))
        return nullptr;
    bool scaled = scale == 1;
    if (scaled)
        SetStretchBltMode(t.mem, COLORONCOLOR);
    // Over/under is never mirrored.
    bool mirrorLeft = !overUnder && (g_nMirror == 2 || g_nMirror == 3);
    bool mirrorRight = !overUnder && (g_nMirror == 1 || g_nMirror == 3);
    int stepX = overUnder ? 0 : (scaled ? eyeWidth : g.width);
    int stepY = overUnder ? (scaled ? eyeHeight : g.height) : 0;
    DrawRegion(t.mem, left, g.leftX, g.leftY, g.width, g.height, 0, 0, eyeWidth, eyeHeight, scaled, mirrorLeft);
    DrawRegion(t.mem, right, g.rightX, g.rightY, g.width, g.height, stepX, stepY, eyeWidth, eyeHeight, scaled,
               mirrorRight);
    int rows = scaled ? eyeHeight : g.height;
    CloseTarget(out, overUnder ? 2 * rows : rows, &t);
    return out;
}

}  // namespace

PackedDib *ComposeSideBySide(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                             int eyeWidth, int eyeHeight, int scale)
{
    return ComposeTwoImages(out, left, right, rc, rr, lc, lr, eyeWidth, eyeHeight, scale, false);
}

PackedDib *ComposeOverUnder(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                            int eyeWidth, int eyeHeight, int scale)
{
    return ComposeTwoImages(out, left, right, rc, rr, lc, lr, eyeWidth, eyeHeight, scale, true);
}
