#include "pipeline/show_pair.h"

#include "alignment/colour_match.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/compose_settings.h"
#include "pipeline/pair_position.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/string_table.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <stdio.h>
#include <string.h>

namespace {

// Steps shared by the operations: a negative offset repaired (true: stop
// here), the pair's length.
bool RepairAndMeasure(StereoPair *pair)
{
    if (RepairNegativeOffset(pair->pLeft, pair->pRight, &g_nEndOffset))
        return true;
    g_nFrameCount = PairFrameCount(pair->pLeft, pair->pRight, g_nEndOffset);
    return false;
}

void MovePositionBar()
{
    if (!g_hPosScroll)
        return;
    SetScrollPos(g_hPosScroll, SB_CTL, g_nFrame / (g_nPosScale > 0 ? g_nPosScale : 1), FALSE);
    InvalidateRect(g_hPosScroll, nullptr, TRUE);
    UpdateWindow(g_hPosScroll);
}

// The trimming rectangle follows the common region unless it is applied.
void ResetTrimToRegion(int width, int height, const int *m)
{
    if (g_nTrimState == kTrimApplied)
        return;
    g_rcTrim.left = 0;
    g_rcTrim.top = 0;
    g_rcTrim.right = width - m[2] - m[0];
    g_rcTrim.bottom = height - m[3] - m[1];
}

// A new composed frame of the region's size (twice as wide for iZ3D),
// composed for the display mode.
void Compose(StereoPair *pair, const ComposeSettings &cs, const int *m)
{
    FreeComposedFrame();
    int w = g_rcTrim.right - g_rcTrim.left, h = g_rcTrim.bottom - g_rcTrim.top;
    if (g_nDisplayMode == 7)
        w *= 2;
    g_pComposed = CreateDib(w, h, 24, 0);
    if (!g_pComposed)
        return;
    g_nShownWidth = DibWidth(g_pComposed);
    g_nShownHeight = DibHeight(g_pComposed);
    PackedDib *l = pair->pLeft->pCurrent, *r = pair->pRight->pCurrent;
    switch (g_nDisplayMode) {
    case 2: ComposeGreyAnaglyph(cs, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
    case 3: ComposeColourAnaglyph(cs, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
    case 4: ComposeInterlace(cs, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
    case 5: ComposeBlend(cs, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
    case 6: ComposeChromaKey(cs, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
    case 7: ComposeIz3d(cs, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
    default: break;  // the view draws the eye frames themselves
    }
}

}  // namespace

void FreeComposedFrame()
{
    if (g_pComposed)
        FreeDib(g_pComposed);
    g_pComposed = nullptr;
}

bool PairFramesDiffer(const MovieSource *left, const MovieSource *right)
{
    return !left->pCurrent || !right->pCurrent || left->nWidth != right->nWidth ||
           left->nHeight != right->nHeight || DibBitCount(left->pCurrent) != DibBitCount(right->pCurrent);
}

int RefusePairOfTwoSizes(const MovieSource *left, const MovieSource *right)
{
    if (!PairFramesDiffer(left, right))
        return 0;
    // Without a frame there is nothing to compare: the fetch's failure is
    // its caller's to report.
    if (left->pCurrent && right->pCurrent)
        AppMessageBox(g_hwndMain, LoadStr(IDS_SIZE_MISMATCH), LoadStr(IDS_ERROR_CAPTION), MB_ICONEXCLAMATION);
    return 1;
}

int ShowCurrentPair(StereoPair *pair)
{
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    if (RepairAndMeasure(pair))
        return 0;
    g_nFrame = ClampPositionWrap(g_nFrame, g_nFrameCount - 1, g_bRepeat);
    MovePositionBar();

    char label[64];
    lstrcpynA(label, LoadStr(g_bSwapped == 1 ? IDS_LABEL_CROSS : IDS_LABEL_PARALLEL), sizeof label);
    g_nAdjustFrameNo = left->nStart + g_nFrame;
    if (GetStereoFramePair(left, left->nStart + g_nFrame, right, right->nStart + g_nFrame))
        return 1;
    if (RefusePairOfTwoSizes(left, right))
        return 1;
    if (g_bAdjustActive)
        ApplyFrameAdjustments(g_hwndMain, left, right, 1);

    int m[4];
    ShiftToCropMargins(m, left->nWidth, left->nHeight, g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    ResetTrimToRegion(DibWidth(left->pCurrent), DibHeight(left->pCurrent), m);
    int regionW = g_rcTrim.right - g_rcTrim.left, regionH = g_rcTrim.bottom - g_rcTrim.top;
    ComposeSettings cs = ComposeSettingsFromState();
    if (g_bBlurFrame == 1)
        ApplySoftBorder(cs, left->pCurrent, right->pCurrent, m[0], m[1], m[2], m[3], 0);
    if (g_nAutoColour != 0)
        MatchColours(left->pCurrent, right->pCurrent);

    char title[1200];
    int n;
    if (g_nPlayEye == 1 || g_nPlayEye == 2) {
        const MovieSource *eye = g_nPlayEye == 1 ? left : right;
        n = snprintf(title, sizeof title, LoadStr(g_nPlayEye == 1 ? IDS_LEFT_LINE : IDS_RIGHT_LINE), eye->szName,
                     eye->nStart, eye->nStart + g_nFrame, eye->nStart + g_nFrameCount - 1, regionW, regionH);
    } else {
        n = snprintf(title, sizeof title, LoadStr(IDS_PAIR_LINE), left->szName, left->nStart,
                     left->nStart + g_nFrame, left->nStart + g_nFrameCount - 1, right->szName, right->nStart,
                     right->nStart + g_nFrame, right->nStart + g_nFrameCount - 1, regionW, regionH, label);
    }
    if (n >= 0 && (size_t)n < sizeof title && g_nAutoColour >= 0 && g_nAutoColour < 3)
        lstrcpynA(title + n, g_szAutoColourLabel[g_nAutoColour], (int)(sizeof title - n));
    SetWindowTextA(g_hwndMain, title);

    Compose(pair, cs, m);
    return 0;
}

int ComposeDisplayFrame(StereoPair *pair)
{
    MovieSource *left = pair->pLeft;
    int m[4];
    ShiftToCropMargins(m, left->nWidth, left->nHeight, g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    ResetTrimToRegion(left->nWidth, left->nHeight, m);
    char title[256];
    snprintf(title, sizeof title, LoadStr(IDS_SIZE_LINE), left->nWidth, left->nHeight,
             (int)(g_rcTrim.right - g_rcTrim.left), (int)(g_rcTrim.bottom - g_rcTrim.top));
    SetWindowTextA(g_hwndMain, title);
    Compose(pair, ComposeSettingsFromState(), m);
    return 1;
}

int ClampFramePosition(StereoPair *pair)
{
    if (RepairAndMeasure(pair))
        return 0;
    g_nFrame = ClampPositionWrap(g_nFrame, g_nFrameCount - 1, g_bRepeat);
    MovePositionBar();
    return 0;
}

int FetchPairAtPosition(StereoPair *pair)
{
    if (RepairAndMeasure(pair))
        return 0;
    g_nFrame = ClampPositionNoWrap(g_nFrame, g_nFrameCount - 1);
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    return GetStereoFramePair(left, left->nStart + g_nFrame, right, right->nStart + g_nFrame) ? 1 : 0;
}
