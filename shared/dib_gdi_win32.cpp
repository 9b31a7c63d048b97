#include "shared/dib_gdi.h"

#include "shared/frame_conversions.h"
#include "shared/message_box.h"
#include "shared/string_table.h"

#include <stdint.h>
#include <stdlib.h>

HPALETTE CreateDibPalette(HWND owner, const PackedDib *frame, BYTE entryFlags)
{
    if (!frame)
        return nullptr;
    bool core = frame->biSize == sizeof(BITMAPCOREHEADER);
    int bits = core ? ((const BITMAPCOREHEADER *)frame)->bcBitCount : frame->biBitCount;
    // Deeper frames carry no colour table to read.
    if (bits > 8)
        return nullptr;
    int entries = core ? 1 << bits : DibColourEntries(frame);
    if (entries <= 0 || entries > 256)
        entries = 1 << bits;

    LOGPALETTE *pal = (LOGPALETTE *)malloc(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
    if (!pal)
        return nullptr;
    pal->palVersion = 0x300;
    pal->palNumEntries = (WORD)entries;
    const BYTE *table = (const BYTE *)frame + frame->biSize;
    int stride = core ? 3 : 4;
    for (int i = 0; i < entries; i++) {
        const BYTE *e = table + i * stride;
        pal->palPalEntry[i].peBlue = e[0];
        pal->palPalEntry[i].peGreen = e[1];
        pal->palPalEntry[i].peRed = e[2];
        pal->palPalEntry[i].peFlags = entryFlags;
    }
    HPALETTE h = CreatePalette(pal);
    free(pal);
    if (!h)
        AppMessageBox(owner, LoadStr(2350), "PAL2", MB_ICONWARNING);
    return h;
}

namespace {

// A DIB section with the header of a frame, selected into a memory DC
// compatible with the window's DC (the screen's when there is no window;
// the section's pixels are the same either way), with the palette of a
// paletted source.
struct Surface {
    HDC screen = nullptr, mem = nullptr;
    HBITMAP section = nullptr, oldBitmap = nullptr;
    HPALETTE palette = nullptr, oldPalette = nullptr;

    HWND window = nullptr;

    bool Open(HWND owner, const PackedDib *header, const PackedDib *paletteSource)
    {
        window = owner;
        screen = GetDC(window);
        mem = CreateCompatibleDC(screen);
        void *bits = nullptr;
        section = CreateDIBSection(screen, (const BITMAPINFO *)header, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!section || !mem) {
            if (section)
                DeleteObject(section);
            if (mem)
                DeleteDC(mem);
            ReleaseDC(window, screen);
            section = nullptr;
            mem = nullptr;
            return false;
        }
        oldBitmap = (HBITMAP)SelectObject(mem, section);
        palette = CreateDibPalette(window, paletteSource, 0);
        if (palette) {
            oldPalette = SelectPalette(mem, palette, FALSE);
            RealizePalette(mem);
        }
        return true;
    }

    // Reads the section's pixels into the frame and releases everything.
    void Close(PackedDib *into)
    {
        if (palette) {
            SelectPalette(mem, oldPalette, FALSE);
            DeleteObject(palette);
        }
        SelectObject(mem, oldBitmap);
        if (into)
            GetDIBits(mem, section, 0, (UINT)DibHeight(into), FindDibBits(into), (BITMAPINFO *)into, DIB_RGB_COLORS);
        DeleteDC(mem);
        ReleaseDC(window, screen);
        DeleteObject(section);
    }
};

int SourceHeight(const PackedDib *source)
{
    if (source->biSize == sizeof(BITMAPCOREHEADER))
        return ((const BITMAPCOREHEADER *)source)->bcHeight;
    return abs(source->biHeight);
}

int SourceWidth(const PackedDib *source)
{
    if (source->biSize == sizeof(BITMAPCOREHEADER))
        return ((const BITMAPCOREHEADER *)source)->bcWidth;
    return source->biWidth;
}

void ReportNoBitmap(HWND owner)
{
    AppMessageBox(owner, LoadStr(2325), LoadStr(2300), MB_ICONWARNING);
}

// A new 24-bit frame with the source rectangle (sx, sy, sw, sh; rows from
// the bottom) stretched over it in the given mode.
PackedDib *StretchToNew(HWND owner, const PackedDib *source, int width, int height, int sx, int sy, int sw, int sh,
                        int mode, bool report)
{
    PackedDib *out = CreateDib(width, height, 24, 0);
    if (!out)
        return nullptr;
    Surface s;
    if (!s.Open(owner, out, source)) {
        if (report)
            ReportNoBitmap(owner);
        FreeDib(out);
        return nullptr;
    }
    SetStretchBltMode(s.mem, mode);
    if (mode == HALFTONE)
        SetBrushOrgEx(s.mem, 0, 0, nullptr);
    StretchDIBits(s.mem, 0, 0, width, height, sx, sy, sw, sh, FindDibBits(source), (const BITMAPINFO *)source,
                  DIB_RGB_COLORS, SRCCOPY);
    s.Close(out);
    return out;
}

}  // namespace

bool ConvertFrameTo24(PackedDib *target, const PackedDib *source)
{
    if (!target || !source)
        return false;
    if (ConvertFrameTo24Direct(target, source))
        return true;
    int w = SourceWidth(source), h = SourceHeight(source);
    if (w <= 0 || h <= 0 || w > kDibMaxSide || h > kDibMaxSide || DibBitCount(target) != 24 ||
        (uint64_t)DibRowBytes(w, 24) * h > target->biSizeImage)
        return false;
    LONG oldWidth = target->biWidth, oldHeight = target->biHeight;
    DWORD oldSize = target->biSizeImage;
    target->biWidth = w;
    target->biHeight = h;
    target->biSizeImage = (DWORD)DibRowBytes(w, 24) * h;
    Surface s;
    if (!s.Open(nullptr, target, source->biBitCount < 16 ? source : nullptr)) {
        target->biWidth = oldWidth;
        target->biHeight = oldHeight;
        target->biSizeImage = oldSize;
        return false;
    }
    SetDIBitsToDevice(s.mem, 0, 0, (DWORD)w, (DWORD)h, 0, 0, 0, (UINT)h, FindDibBits(source),
                      (const BITMAPINFO *)source, DIB_RGB_COLORS);
    s.Close(target);
    return true;
}

PackedDib *StretchDibToNew24(HWND owner, const PackedDib *source, int width, int height, int x1, int y1, int x2,
                             int y2, int flag)
{
    if (!source)
        return nullptr;
    int sw = SourceWidth(source) - x1 - x2, sh = SourceHeight(source) - y1 - y2;
    return StretchToNew(owner, source, width, height, flag ? x1 : x2, flag ? y1 : y2, sw, sh, COLORONCOLOR, true);
}

PackedDib *StretchDibToNew24Region(HWND owner, const PackedDib *source, int width, int height, const int *margins,
                                   const RECT *trim, int flag)
{
    if (!source)
        return nullptr;
    CropRegion r = EyeCropRegion(SourceWidth(source), SourceHeight(source), margins, trim, flag, false);
    return StretchToNew(owner, source, width, height, r.x, r.y, r.width, r.height, COLORONCOLOR, true);
}

PackedDib *StretchDibForSave(HWND owner, const PackedDib *frame, int width, int height, const int *margins,
                             const RECT *trim, int flag)
{
    if (!frame)
        return nullptr;
    CropRegion r = EyeCropRegion(SourceWidth(frame), SourceHeight(frame), margins, trim, flag, true);
    if (width == 0 || height == 0) {
        width = r.width;
        height = r.height;
    }
    if (r.width <= 0 || r.height <= 0 || width <= 0 || height <= 0)
        return nullptr;
    return StretchToNew(owner, frame, width, height, r.x, r.y, r.width, r.height, HALFTONE, false);
}

PackedDib *ResizeFrameForSave(HWND owner, const PackedDib *frame, int width, int height, const int *margins,
                              const RECT *trim, int flag)
{
    if (!frame)
        return nullptr;
    if (DibBitCount(frame) != 24)
        return StretchDibForSave(owner, frame, width, height, margins, trim, flag);
    CropRegion r = EyeCropRegion(DibWidth(frame), DibHeight(frame), margins, trim, flag, true);
    if (width == 0 || height == 0) {
        width = r.width;
        height = r.height;
    }
    if (r.width < width || r.height < height)
        return ResampleRegion24(frame, width, height, r);
    return ReduceDib24ByArea(frame, width, height, r);
}

PackedDib *CentreDibOnCanvas(HWND owner, PackedDib *source, int width, int height)
{
    if (!source)
        return nullptr;
    PackedDib *out = CreateDib(width, height, 24, 1);
    if (!out) {
        FreeDib(source);
        return nullptr;
    }
    Surface s;
    if (!s.Open(owner, out, source)) {
        ReportNoBitmap(owner);
        FreeDib(out);
        FreeDib(source);
        return nullptr;
    }
    int sw = SourceWidth(source), sh = SourceHeight(source);
    // The section is zero-filled: black around the picture.
    SetDIBitsToDevice(s.mem, (width - sw) / 2, (height - sh) / 2, (DWORD)sw, (DWORD)sh, 0, 0, 0, (UINT)sh,
                      FindDibBits(source), (const BITMAPINFO *)source, DIB_RGB_COLORS);
    s.Close(out);
    FreeDib(source);
    return out;
}

void ClearWindowBlack(HWND window)
{
    RECT rc;
    if (!GetClientRect(window, &rc))
        return;
    HDC dc = GetDC(window);
    FillRect(dc, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
    ReleaseDC(window, dc);
}
