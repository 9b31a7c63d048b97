#include "pipeline/save_geometry.h"
#include "state/alignment_state.h"

#include "state/alignment_state.h"
RECT g_rcSaveRegion = {0, 0, 0, 0};
#include "state/alignment_state.h"

#include "state/alignment_state.h"
SaveSize SaveOutputSize(int layout, int w, int h, bool resize, int sw, int sh, const RECT &region)
#include "state/alignment_state.h"
{
#include "state/alignment_state.h"
    if (layout == kSaveRegionSideBySide) {
#include "state/alignment_state.h"
        int rw = region.right - region.left, rh = region.bottom - region.top;
#include "state/alignment_state.h"
        return {2 * (w < rw ? w : rw), h < rh ? h : rh};
#include "state/alignment_state.h"
    }
#include "state/alignment_state.h"
    if (resize) {
#include "state/alignment_state.h"
        w = sw;
#include "state/alignment_state.h"
        h = sh;
#include "state/alignment_state.h"
    }
#include "state/alignment_state.h"
    switch (layout) {
#include "state/alignment_state.h"
    case kSaveSideBySide: return {2 * w, h};
#include "state/alignment_state.h"
    case kSaveOverUnder: return {w, 2 * h};
#include "state/alignment_state.h"
    default: return {w, h};
#include "state/alignment_state.h"
    }
#include "state/alignment_state.h"
}
#include "state/alignment_state.h"

#include "state/alignment_state.h"
void ResetTrimToCommonRegion(int width, int height, int shiftX, int shiftY)
#include "state/alignment_state.h"
{
#include "state/alignment_state.h"
    if (g_nTrimState == kTrimApplied)
#include "state/alignment_state.h"
        return;
#include "state/alignment_state.h"
    int m[4];
#include "state/alignment_state.h"
    ShiftToCropMargins(m, width, height, shiftX, shiftY, g_bAllFrameAdjust);
#include "state/alignment_state.h"
    g_rcTrim.left = 0;
#include "state/alignment_state.h"
    g_rcTrim.top = 0;
#include "state/alignment_state.h"
    g_rcTrim.right = width - m[0] - m[2];
#include "state/alignment_state.h"
    g_rcTrim.bottom = height - m[1] - m[3];
#include "state/alignment_state.h"
}
#include "state/alignment_state.h"

#include "state/alignment_state.h"
MovieSource *SaveSoundRecord(const StereoPair *pair, MovieSource **other)
#include "state/alignment_state.h"
{
#include "state/alignment_state.h"
    bool right = (g_nSoundlr == 1) != (g_bSwapped == 1);
#include "state/alignment_state.h"
    if (other)
#include "state/alignment_state.h"
        *other = right ? pair->pLeft : pair->pRight;
#include "state/alignment_state.h"
    return right ? pair->pRight : pair->pLeft;
#include "state/alignment_state.h"
}
#include "state/alignment_state.h"

#include "state/alignment_state.h"
SaveSize FitAspect(int imageW, int imageH, int boxW, int boxH)
#include "state/alignment_state.h"
{
#include "state/alignment_state.h"
    SaveSize s = {boxW, boxH};
#include "state/alignment_state.h"
    if (imageW <= 0 || imageH <= 0)
#include "state/alignment_state.h"
        return s;
#include "state/alignment_state.h"
    // Width-limited unless the height then overflows the box.
#include "state/alignment_state.h"
    int64_t hAtWidth = (int64_t)boxW * imageH / imageW;
#include "state/alignment_state.h"
    if (hAtWidth <= boxH)
#include "state/alignment_state.h"
        s.height = (int)hAtWidth;
#include "state/alignment_state.h"
    else
#include "state/alignment_state.h"
        s.width = (int)((int64_t)boxH * imageW / imageH);
#include "state/alignment_state.h"
    if (s.width < 1)
#include "state/alignment_state.h"
        s.width = 1;
#include "state/alignment_state.h"
    if (s.height < 1)
#include "state/alignment_state.h"
        s.height = 1;
#include "state/alignment_state.h"
    return s;
#include "state/alignment_state.h"
}
#include "state/alignment_state.h"

#include "state/alignment_state.h"
SaveSize SavePreviewSize(int layout, int clientW, int clientH, int outW, int outH)
#include "state/alignment_state.h"
{
#include "state/alignment_state.h"
    if (outW <= 0 || outH <= 0)
#include "state/alignment_state.h"
        return {0, 0};
#include "state/alignment_state.h"
    if (layout == kSaveOverUnder)
#include "state/alignment_state.h"
        return {(int)((int64_t)clientH * outW / outH), clientH};
#include "state/alignment_state.h"
    return {clientW, (int)((int64_t)clientW * outH / outW)};
#include "state/alignment_state.h"
}
