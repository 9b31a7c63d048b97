#include "alignment/frame_adjustment.h"

#include "alignment/alignment_state.h"
#include "alignment/auto_align.h"
#include "alignment/frame_log.h"
#include "shell/app_state.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The region both aligned images of the left record's frame cover.
CropRect VisibleRegion(const PackedDib *frame)
{
    CropRect r = {0, 0, 0, 0};
    if (frame)
        ComputeCropRect(&r, frame, g_nRotationL, g_nRotationR, g_nPerspectiveVL, g_nPerspectiveVR, g_nPerspectiveHL,
                        g_nPerspectiveHR, g_nSize1000L + 1000, g_nSize1000R + 1000);
    return r;
}

// The passes of the automatic alignment on one frame of the records shown
// as left and right. The alignment sees the movies on their opened sides,
// so for an exchanged pair the frames are taken crosswise and the offsets
// negated around the passes, as the automatic alignment command does.
void AlignFramePair(HWND owner, MovieSource *left, MovieSource *right)
{
    MovieSource *openedL = g_bSwapped ? right : left, *openedR = g_bSwapped ? left : right;
    g_pAdjustDibL = openedL->pCurrent;
    g_pAdjustDibR = openedR->pCurrent;
    if (g_bSwapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    g_nAlvFileMode = kAlvPerFrame;
    g_nAlignPass = 1;
    for (int pass = 0; pass < 3; pass++) {
        AutoAlignPair(owner, left->szPath, g_pAdjustDibL, g_pAdjustDibR);
        g_nAlignPass++;
        if (g_nMatchedPoints > 50)
            break;
    }
    if (g_bSwapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
}

// The frame's visible region, for its log line.
void SetFrameCrop(const MovieSource *left)
{
    const CropRect r = VisibleRegion(left->pCurrent);
    g_rcFrameCrop.left = r.left;
    g_rcFrameCrop.top = r.top;
    g_rcFrameCrop.right = r.right - abs(g_nShiftX);
    g_rcFrameCrop.bottom = r.bottom - abs(g_nShiftY);
}

// One eye's frame through its mesh, cut back to the frame size when the
// eye is enlarged. Null when it cannot be made.
PackedDib *WarpEye(HWND owner, const DisplacementMesh *mesh, const PackedDib *frame, int size, const RECT &crop)
{
    PackedDib *warped = WarpDibByMesh(mesh, frame);
    if (!warped || size < 1)
        return warped;
    PackedDib *cut = CropDib(owner, warped, crop.left, crop.top, crop.right, crop.bottom);
    FreeDib(warped);
    return cut;
}

bool SameSize(const PackedDib *a, const PackedDib *b)
{
    return a && b && DibWidth(a) == DibWidth(b) && DibHeight(a) == DibHeight(b);
}

} // namespace

int AutoAlignFrame(HWND owner, MovieSource *left, MovieSource *right)
{
    AlignFramePair(owner, left, right);
    SetFrameCrop(left);
    PushFrameValues(g_nAdjustFrameNo);
    return 1;
}

int ApplyFrameAdjustments(HWND owner, MovieSource *left, MovieSource *right, int unused)
{
    (void)unused;
    if (!left || !right || !left->pCurrent || !right->pCurrent)
        return 0;
    MovieSource *openedL = g_bSwapped ? right : left, *openedR = g_bSwapped ? left : right;
    const bool adjustedL = openedL->pAligned && openedL->pCurrent == openedL->pAligned;
    const bool adjustedR = openedR->pAligned && openedR->pCurrent == openedR->pAligned;

    if (g_bAllFrameAdjust && !(adjustedL && adjustedR)) {
        g_nAlvFileMode = kAlvPerFrame;
        if (g_bFrameLogRead || g_bFrameLogWrite) {
            if (!LoadFrameLogValues(g_szFrameLogPath, g_nAdjustFrameNo)) {
                AlignFramePair(owner, left, right);
                if (g_bFrameLogWrite) {
                    SetFrameCrop(left);
                    PushFrameValues(g_nAdjustFrameNo);
                }
            }
        } else {
            AlignFramePair(owner, left, right);
        }
        FreeAlignmentMeshes();
        if (!AlignmentValuesAreZero())
            BuildAlignmentMeshes(owner, openedL->pCurrent, openedR->pCurrent);
    }
    if (!g_pMeshLeft || !g_pMeshRight)
        return 0;

    // The left mesh belongs to the movie opened as left.
    PackedDib *alignedL = nullptr, *alignedR = nullptr;
    if (!adjustedL) {
        FreeDib(openedL->pAligned);
        openedL->pAligned = nullptr;
        alignedL = WarpEye(owner, g_pMeshLeft, openedL->pCurrent, g_nSize1000L, g_rcEnlargeCropL);
    }
    if (!adjustedR) {
        FreeDib(openedR->pAligned);
        openedR->pAligned = nullptr;
        alignedR = WarpEye(owner, g_pMeshRight, openedR->pCurrent, g_nSize1000R, g_rcEnlargeCropR);
    }
    // Both eyes must stay one size: the composers read both at the left
    // size. A warp that failed for one eye leaves both unwarped.
    const PackedDib *newL = alignedL ? alignedL : openedL->pCurrent;
    const PackedDib *newR = alignedR ? alignedR : openedR->pCurrent;
    if (!SameSize(newL, newR)) {
        FreeDib(alignedL);
        FreeDib(alignedR);
        return 0;
    }
    if (alignedL) {
        openedL->pAligned = alignedL;
        openedL->pCurrent = alignedL;
    }
    if (alignedR) {
        openedR->pAligned = alignedR;
        openedR->pCurrent = alignedR;
    }
    return 0;
}
