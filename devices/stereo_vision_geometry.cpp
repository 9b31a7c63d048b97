#include "devices/stereo_vision_geometry.h"

#include "devices/stereo_player_geometry.h"

#include <string.h>

int VisionZoomIn(int zoom)
{
    int z = (int)((long long)zoom * 110 / 100);
    if (z < 10)
        z++;
    return z;
}

int VisionZoomOut(int zoom)
{
    int z = (int)((long long)zoom * 100 / 110);
    return z < kVisionZoomMin ? kVisionZoomMin : z;
}

int VisionZoomWheel(int zoom, unsigned wheelWord)
{
    if (wheelWord < 1000)
        return VisionZoomIn(zoom);
    if (wheelWord > 1000)
        return VisionZoomOut(zoom);
    return zoom;
}

VisionPlace PlaceVisionFileEye(int halfW, int halfH, int eyeW, int eyeH, int zoom)
{
    VisionPlace p = {zoom, 0, 0, 0, 0};
    if (halfW <= 0 || halfH <= 0 || eyeW <= 0 || eyeH <= 0)
        return p;
    if (p.zoom < 1)
        p.zoom = 1;
    // W < ew x H / eh in the integers the drawing uses.
    if (halfW < (int)((long long)eyeW * halfH / eyeH)) {
        int most = (int)((long long)halfW * 100 / eyeW);
        if (p.zoom > most)
            p.zoom = most;
        p.w = (int)((long long)p.zoom * eyeW / 100);
        p.h = (int)((long long)p.w * eyeH / eyeW);
    } else {
        int most = (int)((long long)halfH * 100 / eyeH);
        if (p.zoom > most)
            p.zoom = most;
        p.h = (int)((long long)p.zoom * eyeH / 100);
        p.w = (int)((long long)p.h * eyeW / eyeH);
    }
    p.x = (halfW - p.w) / 2;
    p.y = (halfH - p.h) / 2;
    return p;
}

VisionPairPlace PlaceVisionPair(int halfW, int halfH, int shownW, int shownH, int gap, int zoom)
{
    VisionPairPlace p;
    memset(&p, 0, sizeof p);
    p.zoom = zoom;
    if (shownW <= 0 || shownH <= 0)
        return p;
    if (zoom == kVisionZoomActual) {
        PlayerEyePlace e = PlacePlayerEye(halfW, halfH, shownW, shownH, false);
        p.x = e.x;
        p.y = e.y;
        p.w = e.w;
        p.h = e.h;
        p.srcX = e.srcX;
        p.srcW = e.srcW;
        return p;
    }
    p.scaled = true;
    int room = halfW - 2 * gap;
    int most = (int)((long long)room * 100 / shownW);
    if (most < 1)
        most = 1;
    if (p.zoom <= 0 || p.zoom > most)
        p.zoom = most;
    p.w = (int)((long long)shownW * p.zoom / 100);
    p.h = (int)((long long)shownH * p.w / shownW);
    p.x = (halfW - p.w) / 2;
    p.y = (halfH - p.h) / 2;
    p.srcX = 0;
    p.srcW = shownW;
    return p;
}

bool SignVisionRow(BYTE *row, long rowBytes, int eyeW, int eyeH)
{
    if (!row || eyeW <= 0 || eyeH <= 0 || rowBytes < 8L * eyeW)
        return false;
    memset(row, 0xFF, (size_t)rowBytes);
    const DWORD words[5] = {kNv3dSignature, (DWORD)(2 * eyeW), (DWORD)eyeH, 32, kNv3dScaleToFit};
    for (int i = 0; i < 5; i++)
        for (int b = 0; b < 4; b++)
            row[4 * i + b] = (BYTE)(words[i] >> (8 * b));
    return true;
}

bool SignVisionSurface(BYTE *pixels, long pitch, int rows, int eyeW, int eyeH)
{
    if (!pixels || eyeW <= 0 || eyeH <= 0 || rows < eyeH + 1 || pitch < 8L * eyeW)
        return false;
    return SignVisionRow(pixels + (long long)eyeH * pitch, pitch, eyeW, eyeH);
}
