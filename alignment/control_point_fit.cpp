#include "alignment/control_points.h"
#include "alignment/fixed_point.h"
#include "shared/packed_dib.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <math.h>
#include <vector>

namespace {

bool AnyIncluded()
{
    for (int i = 0; i < g_nControlPoints; i++)
        if (!g_aControlPoints[i].bExcluded)
            return true;
    return false;
}

// The vertical step of the iterations: the mean vertical offset, rounded to
// whole pixels, taken out of the right points. (Truncated toward zero it
// left up to a whole pixel of the vertical disparity: points 14.8 pixels
// apart gave an offset of 14.) False when no point is left to take a
// mean of.
bool TakeOutVerticalOffset(int64_t *total)
{
    if (!AnyIncluded())
        return false;
    const int d = TruncSat32(floor(MeanVerticalOffset() + 0.5));
    ShiftControlPointsVertically(d);
    *total += d;
    return true;
}

struct Totals {
    int64_t dy = 0;
    int rotation = 0, size = 0;
    int pVL = 0, pVR = 0, pHL = 0, pHR = 0;
};

// Each step runs the searches five times over: one search at a time, the
// rotation, size and the two turns trade against one another (a turn
// about the horizontal axis takes what is left of the rows' offset as a
// curve), and a single round stops far from where they agree.
const int kSearchRounds = 5;

bool RunStep(int step, Totals &t, const std::vector<ControlPoint> &original)
{
    if (!TakeOutVerticalOffset(&t.dy))
        return false;
    for (int round = 0; round < kSearchRounds; round++) {
        if (g_bAdjustRotation) {
            const int s = FindBestRotation();
            RotateControlPoints(s);
            t.rotation += s;
        }
        if (g_bAdjustSize) {
            const int s = FindBestScale();
            ScaleControlPoints(s);
            t.size += s;
        }
        if (g_bAdjustPerspectiveH) {
            FindBestPerspectiveH();
            ApplyPerspectiveH();
            t.pHL += g_nPerspHPair[0];
            t.pHR += g_nPerspHPair[1];
        }
        if (g_bAdjustPerspectiveV) {
            FindBestPerspectiveV();
            ApplyPerspectiveV();
            t.pVL += g_nPerspVPair[0];
            t.pVR += g_nPerspVPair[1];
        }
    }
    if (!TakeOutVerticalOffset(&t.dy))
        return false;

    // Start again from the points as read, with everything found so far.
    for (int i = 0; i < g_nControlPoints; i++) {
        ControlPoint &p = g_aControlPoints[i];
        p.x = original[i].x;
        p.y = original[i].y;
        p.X = original[i].X;
        p.Y = original[i].Y;
    }
    if (g_bAdjustRotation)
        RotateControlPoints(t.rotation);
    if (g_bAdjustSize)
        ScaleControlPoints(t.size);
    if (g_bAdjustPerspectiveV) {
        g_nPerspVPair[0] = t.pVL;
        g_nPerspVPair[1] = t.pVR;
        ApplyPerspectiveV();
    }
    if (g_bAdjustPerspectiveH) {
        g_nPerspHPair[0] = t.pHL;
        g_nPerspHPair[1] = t.pHR;
        ApplyPerspectiveH();
    }
    ShiftControlPointsVertically((double)t.dy);
    RejectOutliersByDisparity(step);
    return true;
}

inline int ClampInt(int64_t v)
{
    return ClampToInt32(v);
}

} // namespace

int FitLoadedControlPoints()
{
    const int w = g_nImageWidth, h = g_nImageHeight;
    const int n = g_nControlPoints;
    g_nMatchedPoints = 0;
    // Smaller frames make empty disparity bins; no frame is larger.
    if (n <= 0 || w < 10 || h < 20 || w > kDibMaxSide || h > kDibMaxSide)
        return 0;
    const std::vector<ControlPoint> original(g_aControlPoints, g_aControlPoints + n);
    g_bReversePerspective = 0;
    g_nPersShiftL = g_nPersShiftR = 0;
    RejectOutliersByHistogram();

    Totals t;
    bool ok = true;
    int lastError = 0;
    for (int iteration = 0; ok && iteration < 10; iteration++) {
        for (int step = 0; ok && step < 3; step++)
            ok = RunStep(step, t, original);
        if (!ok || !AnyIncluded()) {
            ok = false;
            break;
        }
        ComputeAlignmentError();
        const int error = TruncSat32(g_dMeanErrorH * 10000);
        if (error == lastError)
            break;
        lastError = error;
    }
    if (ok && TakeOutVerticalOffset(&t.dy)) {
        const int64_t vertical = t.dy;
        const int horizontal = FindHorizontalPosition();
        if (vertical > -(h / 3) && vertical < h / 3 && horizontal > -(w / 3) && horizontal < w / 3) {
            if (g_bAdjustRotation) {
                g_nRotationR = -(t.rotation / 2);
                g_nRotationL = t.rotation - t.rotation / 2;
            }
            if (g_bAdjustSize) {
                g_nSize1000L = t.size / 2;
                g_nSize1000R = t.size / 2 - t.size;
            }
            if (g_bAdjustV)
                g_nShiftY = ClampInt(-vertical);
            if (g_bAdjustH)
                g_nShiftX = horizontal;
            if (g_bAdjustPerspectiveV) {
                g_nPerspectiveVL = t.pVR;
                g_nPerspectiveVR = t.pVL;
            }
            if (g_bAdjustPerspectiveH) {
                g_nPerspectiveHL = -t.pHR;
                g_nPerspectiveHR = -t.pHL;
            }
        }
    }
    g_nHalfFov = kHalfFovAfterFit;
    g_nBarrelL = g_nBarrelR = BarrelPreCorrectionOn(g_nBarrel) ? BarrelSettingValue(g_nBarrel) : 0;
    return n;
}

int FitControlPoints(const char *path)
{
    // A fit that ends before its horizontal step included no point.
    g_nMatchedPoints = 0;
    if (g_nImageWidth < 10 || g_nImageHeight < 20 || g_nImageWidth > kDibMaxSide || g_nImageHeight > kDibMaxSide)
        return 0;
    if (LoadControlPoints(path) == 0)
        return 0;
    return FitLoadedControlPoints();
}
