#include "devices/stereo_player_geometry.h"

#include <string.h>

PlayerEyePlace PlacePlayerEye(int halfW, int halfH, int imageW, int imageH, bool stretch)
{
    PlayerEyePlace p = {0, 0, imageW, imageH, 0, imageW};
    if (stretch && imageW > 0 && imageH > 0) {
        if ((long long)halfW * imageH < (long long)imageW * halfH) {
            p.w = halfW;
            p.h = (int)((long long)imageH * halfW / imageW);
        } else {
            p.h = halfH;
            p.w = (int)((long long)imageW * halfH / imageH);
        }
        p.x = (halfW - p.w) / 2;
        p.y = (halfH - p.h) / 2;
        return p;
    }
    p.y = (halfH - imageH) / 2;
    if (imageW > halfW) {
        p.srcX = (imageW - halfW) / 2;
        p.srcW = p.w = halfW;
        p.x = 0;
    } else {
        p.x = (halfW - imageW) / 2;
    }
    return p;
}

PlayerFormat PlayerFormatOf(int format)
{
    switch (format) {
    case 0: return {kPlayerSideBySide, 0};
    case 1: return {kPlayerGrey, 0};
    case 2: return {kPlayerGrey, 1};
    case 3: return {kPlayerGrey, 2};
    case 8: return {kPlayerGrey, 3};
    case 4: return {kPlayerColour, 0};
    case 5: return {kPlayerColour, 1};
    case 9: return {kPlayerColour, 2};
    case 10: return {kPlayerColour, 3};
    case 6: return {kPlayerInterlace, 0};
    default: return {kPlayerNothing, 0};
    }
}

namespace {

// One axis of ShowComposedPicture: source start, destination start, extent.
void ShowAxis(int screen, int picture, int *src, int *dst, int *extent)
{
    if (picture > screen) {
        *src = (picture - screen) / 2;
        *dst = 0;
        *extent = screen;
    } else {
        *src = 0;
        *dst = (screen - picture) / 2;
        *extent = picture;
    }
}

}  // namespace

PlayerCopy ShowComposedPicture(int screenW, int screenH, int pictureW, int pictureH)
{
    PlayerCopy c;
    ShowAxis(screenW, pictureW, &c.srcX, &c.dstX, &c.w);
    ShowAxis(screenH, pictureH, &c.srcY, &c.dstY, &c.h);
    return c;
}

PlayerSbsLayout ComputePlayerSbs(const PlayerSbsRequest &r)
{
    PlayerSbsLayout l;
    memset(&l, 0, sizeof l);
    int W = r.screenW, H = r.screenH, w = r.eyeW, h = r.eyeH, g = r.gap;
    // Nothing to scale (and nothing to divide by).
    if (W <= 0 || H <= 0 || w <= 0 || h <= 0 || w + g <= 0)
        return l;
    l.drawn = true;
    // Two pictures and their gaps wider than the screen's aspect: they
    // fill its width; otherwise its height.
    if (W * 100 / H < w * 200 / h) {
        l.pictureH = W * h / ((w + g) * 2);
        l.y0 = (H - l.pictureH) / 2;
        l.x0 = 0;
    } else {
        l.pictureH = H;
        l.y0 = 0;
        l.x0 = (W - H * (w + g) * 2 / h) / 2;
        if (l.x0 < 0)
            l.x0 = 0;
    }
    l.pictureW = w * l.pictureH / h;
    int P = l.pictureH, Q = l.pictureW;
    PlayerDibDraw first = {l.x0 + r.shiftX, l.y0 - r.shiftY, Q, P, 0, 0};
    PlayerDibDraw second = {l.x0, l.y0, Q, P, r.secondX, r.secondY};
    int rightX = l.x0 + 2 * g + Q;
    if (!r.swap) {
        l.left = first;
        l.right = second;
        l.right.x = rightX;
    } else {
        l.left = second;
        l.right = first;
        l.right.x = rightX + r.shiftX;
    }
    l.show = {l.x0, l.y0, l.x0, l.y0, W - l.x0, P};
    return l;
}

bool WriteNv3dSignature(BYTE *pixels, long pitch, int rows, DWORD width, DWORD height, DWORD bits, DWORD flags)
{
    if (!pixels || height == 0 || (long long)height > rows || pitch < 20)
        return false;
    BYTE *p = pixels + (long long)(height - 1) * pitch;
    const DWORD words[5] = {kNv3dSignature, width, height, bits, flags};
    for (int i = 0; i < 5; i++) {
        p[4 * i] = (BYTE)words[i];
        p[4 * i + 1] = (BYTE)(words[i] >> 8);
        p[4 * i + 2] = (BYTE)(words[i] >> 16);
        p[4 * i + 3] = (BYTE)(words[i] >> 24);
    }
    return true;
}
