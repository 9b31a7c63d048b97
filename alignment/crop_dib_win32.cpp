#include "alignment/frame_adjustment.h"

#include "shared/dib_gdi.h"

#include <string.h>

PackedDib *CropDib(HWND owner, const PackedDib *frame, int left, int top, int right, int bottom)
{
    if (!frame)
        return nullptr;
    const int w = DibWidth(frame), h = DibHeight(frame), bits = DibBitCount(frame);
    if (left < 0 || top < 0 || right > w || bottom > h || right <= left || bottom <= top)
        return nullptr;
    const int cw = right - left, ch = bottom - top;
    PackedDib *out = CreateDib(cw, ch, bits, 0);
    if (!out)
        return nullptr;
    // The frame's header and colour table, with the new size.
    if (bits <= 8) {
        int entries = DibColourEntries(frame);
        if (entries > 1 << bits)
            entries = 1 << bits;
        out->biClrUsed = (DWORD)entries;
        memcpy((BYTE *)out + out->biSize, (const BYTE *)frame + frame->biSize, (size_t)entries * sizeof(RGBQUAD));
    }
    out->biXPelsPerMeter = frame->biXPelsPerMeter;
    out->biYPelsPerMeter = frame->biYPelsPerMeter;

    HDC screen = GetDC(owner);
    HDC mem = CreateCompatibleDC(screen);
    void *sectionBits = nullptr;
    HBITMAP section = CreateDIBSection(screen, (const BITMAPINFO *)out, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (!section || !mem) {
        if (section)
            DeleteObject(section);
        if (mem)
            DeleteDC(mem);
        ReleaseDC(owner, screen);
        FreeDib(out);
        return nullptr;
    }
    HGDIOBJ oldBitmap = SelectObject(mem, section);
    HPALETTE palette = CreateDibPalette(owner, frame, 0), oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(mem, palette, FALSE);
        RealizePalette(mem);
    }
    SetStretchBltMode(mem, COLORONCOLOR);
    // Source rows are counted from the bottom.
    StretchDIBits(mem, 0, 0, cw, ch, left, h - bottom, cw, ch, FindDibBits(frame), (const BITMAPINFO *)frame,
                  DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
    if (palette) {
        SelectPalette(mem, oldPalette, FALSE);
        DeleteObject(palette);
    }
    SelectObject(mem, oldBitmap);
    GetDIBits(mem, section, 0, (UINT)ch, FindDibBits(out), (BITMAPINFO *)out, DIB_RGB_COLORS);
    DeleteDC(mem);
    ReleaseDC(owner, screen);
    DeleteObject(section);
    return out;
}
