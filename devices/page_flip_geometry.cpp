#include "devices/page_flip_geometry.h"

W3DFileLayout W3DFileLayoutOf(int layout, int w, int h)
{
    W3DFileLayout f = {kW3DConvertNone, 0, w / 2, h, w / 2, 0};
    switch (layout) {
    case 1:
        f.eyeW = w;
        f.eyeH = h / 2;
        f.secondX = 0;
        f.secondY = h / 2;
        break;
    case 2:
    case 3:
        // Each half stretched to the full height: the converted image is
        // twice as high as the frame.
        f = {kW3DConvertDoubleHeight, layout - 2, w, h, 0, h};
        break;
    case 4:
    case 5:
    case 6:
    case 7:
        // The halves are turned a quarter and stacked: each is h wide and
        // w / 2 high.
        f = {kW3DConvertRotate, layout - 4, h, w / 2, 0, w / 2};
        break;
    case 8:
        f = {kW3DConvertInterleaved, 0, w, h, 0, h};
        break;
    default:
        break;
    }
    return f;
}

W3DPairRegion W3DPairRegionOf(int fw, int fh, const int *m, const RECT *trim)
{
    int cropW = fw - m[0] - m[2], cropH = fh - m[1] - m[3];
    W3DPairRegion r = {cropW, cropH, m[2], m[3], m[0], m[1]};
    if (trim) {
        // The trimming rectangle is top-down; rows in memory run bottom-up.
        int dx = trim->left, dy = cropH - trim->bottom;
        r.w = trim->right - trim->left;
        r.h = trim->bottom - trim->top;
        r.leftX += dx;
        r.rightX += dx;
        r.leftY += dy;
        r.rightY += dy;
    }
    return r;
}

W3DPlace PlaceW3DImage(int screenW, int screenH, int imageW, int imageH, bool stretch)
{
    W3DPlace p = {0, 0, imageW, imageH};
    if (stretch && imageW > 0 && imageH > 0) {
        if ((long long)screenW * imageH < (long long)imageW * screenH) {
            p.w = screenW;
            p.h = (int)((long long)imageH * screenW / imageW);
        } else {
            p.h = screenH;
            p.w = (int)((long long)imageW * screenH / imageH);
        }
    }
    p.x = (screenW - p.w) / 2;
    p.y = (screenH - p.h) / 2;
    return p;
}

W3DFrameStep StepW3DFrame(int frame, int last, int delta, int repeat)
{
    int next = frame + delta;
    if (next > last)
        return repeat == 1 ? W3DFrameStep{0, true} : W3DFrameStep{last, false};
    if (next < 0)
        return repeat == 1 ? W3DFrameStep{last, true} : W3DFrameStep{0, false};
    return {next, true};
}
