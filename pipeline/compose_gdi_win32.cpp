// Side-by-side and over/under pictures at any size, drawn through GDI into
// a DIB section and copied into the caller's output frame.
#include "pipeline/compose_gdi.h"

#include "pipeline/pair_loop.h"
#include "pipeline/pair_region.h"
#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "shared/string_table.h"

namespace {

struct GdiTarget {
    HWND window = nullptr;
    HDC screen = nullptr, mem = nullptr;
    HBITMAP section = nullptr, oldBitmap = nullptr;
    HPALETTE palette = nullptr, oldPalette = nullptr;
};

bool OpenTarget(HWND window, PackedDib *out, PackedDib *paletteSource, GdiTarget *t)
{
    t->window = window;
    t->screen = GetDC(window);
    t->mem = CreateCompatibleDC(t->screen);
    void *bits = nullptr;
    t->section = CreateDIBSection(t->screen, (BITMAPINFO *)out, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!t->section) {
        AppMessageBox(window, LoadStr(2325), LoadStr(2300), MB_ICONWARNING);
        DeleteDC(t->mem);
        ReleaseDC(window, t->screen);
        return false;
    }
    t->oldBitmap = (HBITMAP)SelectObject(t->mem, t->section);
    t->palette = CreateDibPalette(window, paletteSource, 0);
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
    ReleaseDC(t->window, t->screen);
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

bool PlainFrame(const PackedDib *d)
{
    return d->biSize >= sizeof(BITMAPINFOHEADER) && d->biCompression == BI_RGB && d->biHeight > 0 &&
           (d->biBitCount == 24 || d->biBitCount == 32);
}

// The drawing at 1:1 of two plain frames into an output of exactly the two
// regions is a copy of rows: done without GDI, which would spend a DIB
// section, two draws and a read-back on it (most of a 1080p save's time).
// In memory order the output holds the second image's rows first, then the
// first's when stacked (the picture's top is the last row in memory), or
// the two side by side. False when the drawing needs GDI.
bool CopyRegions(PackedDib *out, PackedDib *left, PackedDib *right, const PairRegion &g, bool stacked)
{
    int ow = DibWidth(out), oh = DibHeight(out);
    if (!PlainFrame(left) || !PlainFrame(right) || !PlainFrame(out) || out->biBitCount != 24 || g.width <= 0 ||
        g.height <= 0 || ow != (stacked ? 1 : 2) * g.width || oh != (stacked ? 2 : 1) * g.height)
        return false;
    FrameView l, r;
    if (!OpenFrameView(left, &l) || !OpenFrameView(right, &r))
        return false;
    BYTE *bits = FindDibBits(out);
    int rowBytes = DibRowBytes(ow, 24);
    for (int k = 0; k < g.height; k++) {
        BYTE *lo = bits + (size_t)(stacked ? g.height + k : k) * rowBytes;
        BYTE *ro = stacked ? bits + (size_t)k * rowBytes : lo + (size_t)g.width * 3;
        CopyRowTo24(lo, l.Pixel(g.leftX, g.leftY + k), g.width, l.pixelBytes);
        CopyRowTo24(ro, r.Pixel(g.rightX, g.rightY + k), g.width, r.pixelBytes);
    }
    ReleaseFrameView(&l);
    ReleaseFrameView(&r);
    return true;
}

// Draws the two regions of a pair, one beside (or above) the other: the
// second image starts one eye further along x (side by side) or y.
PackedDib *ComposeTwoImages(const ComposeSettings &cs, HWND window, PackedDib *out, PackedDib *left, PackedDib *right,
                            int rc, int rr, int lc, int lr, int eyeWidth, int eyeHeight, int scale, bool overUnder)
{
    if (!out || !left || !right)
        return nullptr;
    PairRegion g = ResolvePairRegionForSizes(DibWidth(left), DibHeight(left), DibWidth(right), DibHeight(right), rc, rr,
                                             lc, lr, cs.Trim(), -1, -1);
    bool scaled = scale == 1;
    // Over/under is never mirrored.
    bool mirrorLeft = !overUnder && (cs.mirror == 2 || cs.mirror == 3);
    bool mirrorRight = !overUnder && (cs.mirror == 1 || cs.mirror == 3);
    if (!scaled && !mirrorLeft && !mirrorRight && CopyRegions(out, left, right, g, overUnder))
        return out;
    GdiTarget t;
    if (!OpenTarget(window, out, left, &t))
        return nullptr;
    if (scaled)
        SetStretchBltMode(t.mem, COLORONCOLOR);
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

PackedDib *ComposeSideBySide(const ComposeSettings &cs, HWND window, PackedDib *out, PackedDib *left,
                             PackedDib *right, int rc, int rr, int lc, int lr, int eyeWidth, int eyeHeight, int scale)
{
    return ComposeTwoImages(cs, window, out, left, right, rc, rr, lc, lr, eyeWidth, eyeHeight, scale, false);
}

PackedDib *ComposeOverUnder(const ComposeSettings &cs, HWND window, PackedDib *out, PackedDib *left,
                            PackedDib *right, int rc, int rr, int lc, int lr, int eyeWidth, int eyeHeight, int scale)
{
    return ComposeTwoImages(cs, window, out, left, right, rc, rr, lc, lr, eyeWidth, eyeHeight, scale, true);
}
