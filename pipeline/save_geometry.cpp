#include "pipeline/save_geometry.h"
#include "state/alignment_state.h"

RECT g_rcSaveRegion = {0, 0, 0, 0};

SaveSize SaveOutputSize(int layout, int w, int h, bool resize, int sw, int sh, const RECT &region)
{
    if (layout == kSaveRegionSideBySide) {
        int rw = region.right - region.left, rh = region.bottom - region.top;
        return {2 * (w < rw ? w : rw), h < rh ? h : rh};
    }
    if (resize) {
        w = sw;
        h = sh;
    }
    switch (layout) {
    case kSaveSideBySide: return {2 * w, h};
    case kSaveOverUnder: return {w, 2 * h};
    default: return {w, h};
    }
}

void ResetTrimToCommonRegion(int width, int height, int shiftX, int shiftY)
{
    if (g_nTrimState == kTrimApplied)
        return;
    int m[4];
    ShiftToCropMargins(m, width, height, shiftX, shiftY, g_bAllFrameAdjust);
    g_rcTrim.left = 0;
    g_rcTrim.top = 0;
    g_rcTrim.right = width - m[0] - m[2];
    g_rcTrim.bottom = height - m[1] - m[3];
}

MovieSource *SaveSoundRecord(const StereoPair *pair, MovieSource **other)
{
    bool right = (g_nSoundlr == 1) != (g_bSwapped == 1);
    if (other)
        *other = right ? pair->pLeft : pair->pRight;
    return right ? pair->pRight : pair->pLeft;
}

SaveSize FitAspect(int imageW, int imageH, int boxW, int boxH)
{
    SaveSize s = {boxW, boxH};
    if (imageW <= 0 || imageH <= 0)
        return s;
    // Width-limited unless the height then overflows the box.
    int64_t hAtWidth = (int64_t)boxW * imageH / imageW;
    if (hAtWidth <= boxH)
        s.height = (int)hAtWidth;
    else
        s.width = (int)((int64_t)boxH * imageW / imageH);
    if (s.width < 1)
        s.width = 1;
    if (s.height < 1)
        s.height = 1;
    return s;
}

SaveSize SavePreviewSize(int layout, int clientW, int clientH, int outW, int outH)
{
    if (outW <= 0 || outH <= 0)
        return {0, 0};
    if (layout == kSaveOverUnder)
        return {(int)((int64_t)clientH * outW / outH), clientH};
    return {clientW, (int)((int64_t)clientW * outH / outW)};
}
