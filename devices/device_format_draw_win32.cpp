#include "devices/device_format_draw.h"

#include "devices/stereo_player_state.h"
#include "pipeline/compose.h"
#include "pipeline/compose_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

void DrawDeviceEye(HDC dc, const PackedDib *dib, int srcX, int srcY, int w, int h, int dx, int dy, int dw, int dh,
                   HDRAWDIB drawDib, UINT flags)
{
    if (!dib || w <= 0 || h <= 0 || dw <= 0 || dh <= 0)
        return;
    BYTE *bits = FindDibBits(dib);
    if (drawDib) {
        int top = DibHeight(dib) - srcY - h;
        DrawDibDraw(drawDib, dc, dx, dy, dw, dh, (BITMAPINFOHEADER *)dib, bits, srcX, top, w, h, flags);
        return;
    }
    StretchDIBits(dc, dx, dy, dw, dh, srcX, srcY, w, h, bits, (const BITMAPINFO *)dib, DIB_RGB_COLORS, SRCCOPY);
}

namespace {

// The anaglyphs and the interlace of both eye images; null for the
// other formats or when it cannot be made.
PackedDib *ComposeDeviceFormat(const PlayerFormat &format, const DeviceFileFrame &file)
{
    int m[4];
    ShiftToCropMargins(m, file.eyeW, file.eyeH, g_nFileShiftX, g_nFileShiftY, g_bAllFrameAdjust);
    ComposeSettings cs = ComposeSettingsFromState();
    PackedDib *image = const_cast<PackedDib *>(file.image);
    int dx = file.secondX, dy = file.secondY;
    switch (format.composition) {
    case kPlayerGrey:
        return ComposeGreyAnaglyphSbs(cs, image, m[0], m[1], m[2], m[3], g_nPlayerSwap, dx, dy, format.variant);
    case kPlayerColour:
        return ComposeColourAnaglyphSbs(cs, image, m[0], m[1], m[2], m[3], g_nPlayerSwap, dx, dy, format.variant);
    case kPlayerSideBySide:
    case kPlayerNothing: return nullptr;
    default: return ComposeInterlaceSbs(image, m[0], m[1], m[2], m[3], g_nPlayerSwap, dx, dy);
    }
}

}  // namespace

PlayerCopy DrawDeviceFormat(HDC dc, int W, int H, const DeviceFileFrame &file, HDRAWDIB drawDib)
{
    PlayerCopy shown = {0, 0, 0, 0, 0, 0};
    const int w = file.eyeW, h = file.eyeH;
    PlayerFormat format = PlayerFormatOf(g_nDispFormat);
    if (format.composition == kPlayerSideBySide) {
        PlayerSbsRequest r = {W, H, w, h, g_nWaku, g_nFileShiftX, g_nFileShiftY, g_nPlayerSwap, file.secondX,
                              file.secondY};
        PlayerSbsLayout l = ComputePlayerSbs(r);
        if (!l.drawn)
            return shown;
        const PlayerDibDraw *draws[2] = {&l.left, &l.right};
        for (const PlayerDibDraw *d : draws)
            DrawDeviceEye(dc, file.image, d->srcX, d->srcY, w, h, d->x, d->y, d->w, d->h, drawDib, 0);
        return l.show;
    }
    PackedDib *composed = ComposeDeviceFormat(format, file);
    if (!composed)
        return shown;
    int cw = DibWidth(composed), ch = DibHeight(composed);
    SetDIBitsToDevice(dc, 0, 0, (DWORD)cw, (DWORD)ch, 0, 0, 0, (UINT)ch, FindDibBits(composed),
                      (const BITMAPINFO *)composed, DIB_RGB_COLORS);
    shown = ShowComposedPicture(W, H, cw, ch);
    FreeDib(composed);
    return shown;
}
