#include "devices/device_frames.h"

#include "alignment/colour_match.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/compose.h"
#include "pipeline/compose_settings.h"
#include "pipeline/show_pair.h"
#include "sources/movie_source.h"
#include "sources/stereo_layouts.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <string.h>

namespace {

enum { kConvertInterleavedHalf = 100 };

bool FetchConverted(MovieSource *movie, int frame, bool halves, DeviceFileFrame &out)
{
    memset(&out, 0, sizeof out);
    if (FetchMovieFrame24(movie, frame) != 0 || !movie->pCurrent)
        return false;
    const PackedDib *src = movie->pCurrent;
    int w = DibWidth(src), h = DibHeight(src);
    W3DFileLayout lay = W3DFileLayoutOf(g_nBunkatu, w, h);
    if (halves && (g_nBunkatu == 2 || g_nBunkatu == 3))
        lay = {kW3DConvertNone, 0, w, h / 2, 0, h / 2};
    else if (halves && g_nBunkatu >= 8)
        lay = {kConvertInterleavedHalf, g_nBunkatu - 8, w, h / 2, 0, h / 2};
    switch (lay.conversion) {
    case kW3DConvertDoubleHeight: out.owned = DoubleDibHeight(src, lay.param); break;
    case kW3DConvertRotate: out.owned = RotateStereoFrame(src, lay.param); break;
    case kW3DConvertInterleaved: out.owned = InterleavedToOverUnder(src, lay.param); break;
    case kConvertInterleavedHalf: out.owned = InterleavedToOverUnderHalf(src, lay.param); break;
    default: break;
    }
    if (lay.conversion != kW3DConvertNone && !out.owned)
        return false;
    out.image = out.owned ? out.owned : src;
    out.eyeW = lay.eyeW;
    out.eyeH = lay.eyeH;
    out.secondX = lay.secondX;
    out.secondY = lay.secondY;
    return true;
}

}  // namespace

bool FetchDeviceFileFrame(MovieSource *movie, int frame, DeviceFileFrame &out)
{
    return FetchConverted(movie, frame, false, out);
}

bool FetchDeviceFileHalves(MovieSource *movie, int frame, DeviceFileFrame &out)
{
    return FetchConverted(movie, frame, true, out);
}

void FreeDeviceFileFrame(DeviceFileFrame &f)
{
    if (f.owned)
        FreeDib(f.owned);
    f.owned = nullptr;
    f.image = nullptr;
}

bool FetchDevicePairFrame(StereoPair *pair, int frame, DevicePairFrame &out, bool borderAtCrop)
{
    memset(&out, 0, sizeof out);
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    if (GetStereoFramePair(left, frame + left->nStart, right, frame + right->nStart) != 0)
        return false;
    if (PairFramesDiffer(left, right))
        return false;
    if (g_bAdjustActive)
        ApplyFrameAdjustments(g_hwndMain, left, right, 0);
    PackedDib *l = left->pCurrent, *r = right->pCurrent;
    int m[4];
    ShiftToCropMargins(m, DibWidth(l), DibHeight(l), g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    out.region = W3DPairRegionOf(DibWidth(l), DibHeight(l), m, g_nTrimState == kTrimApplied ? &g_rcTrim : nullptr);
    if (g_bBlurFrame == 1) {
        static const int kNone[4] = {0, 0, 0, 0};
        const int *b = borderAtCrop ? m : kNone;
        ApplySoftBorder(ComposeSettingsFromState(), l, r, b[0], b[1], b[2], b[3], 0);
    }
    if (g_nAutoColour != 0)
        MatchColours(l, r);
    out.left = l;
    out.right = r;
    return true;
}
