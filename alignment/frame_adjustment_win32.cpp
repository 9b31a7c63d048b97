#include "alignment/frame_adjustment.h"

#include "alignment/auto_align.h"
#include "alignment/frame_log.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
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
    if (!warped || size < 1 ||
        (crop.left == 0 && crop.top == 0 && crop.right == DibWidth(warped) && crop.bottom == DibHeight(warped)))
        return warped;
    PackedDib *cut = CropDib(owner, warped, crop.left, crop.top, crop.right, crop.bottom);
    FreeDib(warped);
    return cut;
}

bool SameSize(const PackedDib *a, const PackedDib *b)
{
    return a && b && DibWidth(a) == DibWidth(b) && DibHeight(a) == DibHeight(b);
}

// The analysis line in the main window's title: both movies' names with
// their first, current and last frame, and the colour-matching label.
void ShowAnalysisLine(HWND owner, const MovieSource *l, const MovieSource *r, int f, int e)
{
    char title[1100];
    snprintf(title, sizeof title, LoadStr(IDS_ANALYSIS_LINE), l->szName, l->nStart, f + l->nStart,
             l->nStart + e - 1, r->szName, r->nStart, f + r->nStart, r->nStart + e - 1);
    const int colour = g_nAutoColour >= 0 && g_nAutoColour <= 2 ? g_nAutoColour : 0;
    strncat(title, g_szAutoColourLabel[colour], sizeof title - strlen(title) - 1);
    SetWindowTextA(owner, title);
}

// Every waiting message, the main window's accelerators first.
void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (g_hAccel && g_hwndMain && TranslateAcceleratorA(g_hwndMain, g_hAccel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

int AutoAlignFrame(HWND owner, MovieSource *left, MovieSource *right)
{
    AlignFramePair(owner, left, right);
    SetFrameCrop(left);
    PushFrameValues(g_nAdjustFrameNo);
    return 1;
}

int AnalyseMoviePositions(HWND owner, StereoPair *pair)
{
    g_nBusy = kBusySaving;
    g_bCancel = 0;
    g_nLogWindowCount = 0;
    BeginAlignmentReports();
    MovieSource *l = pair->pLeft, *r = pair->pRight;
    const int e = (l->nFrames - l->nStart < r->nFrames - r->nStart ? l->nFrames - l->nStart : r->nFrames - r->nStart) -
                  g_nEndOffset;
    g_nFrameCount = e;
    InvalidateRect(owner, nullptr, TRUE);
    UpdateWindow(owner);

    bool cancelled = false;
    if (!g_bFrameLogRead) {
        const int scale = g_nPosScale > 0 ? g_nPosScale : 1;
        for (int f = 0; f < e && !cancelled; f++) {
            ShowAnalysisLine(owner, l, r, f, e);
            if (g_hPosScroll) {
                SetScrollPos(g_hPosScroll, SB_CTL, (f + 1) / scale, FALSE);
                InvalidateRect(g_hPosScroll, nullptr, TRUE);
            }
            g_nAdjustFrameNo = f + l->nStart;
            // A frame that cannot be fetched ends the movie here.
            if (GetStereoFramePair(l, f + l->nStart, r, f + r->nStart) != 0)
                break;
            if (g_bAdjustActive)
                AutoAlignFrame(owner, l, r);
            PumpMessages();
            cancelled = g_bCancel != 0;
        }
    }
    g_nBusy = kBusyIdle;
    if (cancelled) {
        g_bCancel = 0;
        return 1;
    }
    SmoothFrameLog();
    // (A region that the offsets leave empty is not applied.)
    if (g_bAllFrameAdjust && g_bAutoCrop && LoadFrameLogCrop() && g_rcFrameCrop.right - g_rcFrameCrop.left >= 4 &&
        g_rcFrameCrop.bottom - g_rcFrameCrop.top >= 2) {
        const CropRect &c = g_rcFrameCrop;
        g_rcTrim.left = c.left;
        g_rcTrim.top = c.top;
        g_rcTrim.right = c.left + (c.right - c.left) / 4 * 4;
        g_rcTrim.bottom = c.top + (c.bottom - c.top) / 2 * 2;
        g_nTrimState = kTrimApplied;
    }
    return 0;
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
