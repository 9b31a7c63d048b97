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
                bool mirrorX, bool mirrorY)
{
    if (!scaled) {
        dw = w;
        dh = h;
    }
    if (!scaled && !mirrorX && !mirrorY) {
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
    if (mirrorY) {
        dy += dh - 1;
        dh = -dh;
    }
    StretchDIBits(dc, dx, dy, dw, dh, sx, sy, w, h, FindDibBits(src), (BITMAPINFO *)src, DIB_RGB_COLORS, SRCCOPY);
}

PairRegion RegionOf(PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return ResolvePairRegionForSizes(DibWidth(left), DibHeight(left), DibWidth(right), DibHeight(right), rc, rr, lc, lr,
                                     -1, -1);
}

}  // namespace

PackedDib *ComposeSideBySide(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                             int eyeWidth, int eyeHeight, int scale)
{
    if (!out || !left || !right)
        return nullptr;
    PairRegion g = RegionOf(left, right, rc, rr, lc, lr);
    GdiTarget t;
    if (!OpenTarget(out, left, &t))
        return nullptr;
    bool scaled = scale == 1;
    if (scaled)
        SetStretchBltMode(t.mem, COLORONCOLOR);
    bool mirrorLeft = g_nMirror == 2 || g_nMirror == 3;
    bool mirrorRight = g_nMirror == 1 || g_nMirror == 3;
    DrawRegion(t.mem, left, g.leftX, g.leftY, g.width, g.height, 0, 0, eyeWidth, eyeHeight, scaled, mirrorLeft, false);
    DrawRegion(t.mem, right, g.rightX, g.rightY, g.width, g.height, scaled ? eyeWidth : g.width, 0, eyeWidth, eyeHeight,
               scaled, mirrorRight, false);
    CloseTarget(out, scaled ? eyeHeight : g.height, &t);
    return out;
}

PackedDib *ComposeOverUnder(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                            int eyeWidth, int eyeHeight, int scale)
{
    if (!out || !left || !right)
        return nullptr;
    PairRegion g = RegionOf(left, right, rc, rr, lc, lr);
    GdiTarget t;
    if (!OpenTarget(out, left, &t))
        return nullptr;
    bool scaled = scale == 1;
    if (scaled)
        SetStretchBltMode(t.mem, COLORONCOLOR);
    int half = scaled ? eyeHeight : g.height;
    DrawRegion(t.mem, left, g.leftX, g.leftY, g.width, g.height, 0, 0, eyeWidth, eyeHeight, scaled, false, false);
    DrawRegion(t.mem, right, g.rightX, g.rightY, g.width, g.height, 0, half, eyeWidth, eyeHeight, scaled, false, false);
    CloseTarget(out, 2 * half, &t);
    return out;
}
