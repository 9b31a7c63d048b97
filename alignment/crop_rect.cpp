#include "alignment/crop_rect.h"

#include "alignment/fixed_point.h"
#include "alignment/perspective_model.h"
#include "state/alignment_state.h"

#include <math.h>
#include <stdlib.h>

namespace {

inline int Clamp(int64_t v, int64_t lo, int64_t hi)
{
    return (int)(v < lo ? lo : v > hi ? hi : v);
}

// Into 0..width x 0..height with at least one pixel each way.
void ClampIntoFrame(CropRect *r, int width, int height)
{
    r->left = Clamp(r->left, 0, width - 1);
    r->right = Clamp(r->right, r->left + 1, width);
    r->top = Clamp(r->top, 0, height - 1);
    r->bottom = Clamp(r->bottom, r->top + 1, height);
}

inline int LargerMagnitude(int left, int right)
{
    return abs(left) > abs(right) ? left : right;
}

// Extra rows of the horizontal-axis perspective's canvas.
int CanvasExtra(int height)
{
    return (int)(((int64_t)g_nCanvasHeight + 10) * height / 10 - height);
}

// The turned image's edge model along one axis (size n, half size half) and
// the ramp across it, for the lens in force.
struct TurnedAxis {
    PerspectiveRamp ramp;
    double c, s, t, f;
    int half;
    bool ok;

    TurnedAxis(int angle, int half_, int acrossHalf) : half(half_)
    {
        if (angle < -899)
            angle = -899;
        if (angle > 899)
            angle = 899;
        const double radians = angle * kTenthDegreeToRadian;
        t = tan(LensHalfFov() * kTenthDegreeToRadian);
        c = cos(radians);
        s = sin(radians);
        f = half / t;
        ok = ComputePerspectiveRamp(half, acrossHalf, (int64_t)(1024.0 * t), radians, &ramp);
    }

    // Source position (1/1024 pixel) of output position p along the axis.
    int64_t Source(int p) const
    {
        const int u = p - half;
        return TruncSat64(1024.0 * (half + half * u * c / (t * (u * s + f))), INT64_MIN / 2);
    }

    // Ramp across the image at output position p (1/16384 pixel).
    int64_t Ramp(int p) const
    {
        return MulSat64(16, ramp.b) - MulSat64(MulSat64(Source(p), ramp.k), 16) / 1024;
    }
};

// First and last output positions 0..n-1 whose source lies in lo..hi-1.
void ScanAlong(const TurnedAxis &axis, int n, int lo, int hi, int *first, int *last)
{
    *first = 0;
    for (int p = 0; p < n; p++)
        if ((axis.Source(p) >> 10) >= lo) {
            *first = p;
            break;
        }
    *last = n - 1;
    for (int p = 0; p < n; p++)
        if ((axis.Source(p) >> 10) > hi - 1) {
            *last = p - 1;
            break;
        }
}

// The same across the image, at the ramp of one position along it.
void ScanAcross(int64_t ramp, int n, int halfAcross, int lo, int hi, int *first, int *last)
{
    const int64_t step = 2 * ramp / n;
    const int64_t base = (int64_t)16384 * halfAcross - ramp;
    *first = 0;
    for (int i = 0; i < n; i++)
        if ((base + i * step) >> 14 >= lo) {
            *first = i;
            break;
        }
    *last = n - 1;
    for (int i = 0; i < n; i++)
        if ((base + i * step) >> 14 > hi - 1) {
            *last = i - 1;
            break;
        }
}

// Both margins along the axis become the larger one; returns the position
// whose ramp decides the extent across.
int SymmetricMargins(int first, int last, int n, int angle, int *lo, int *hi)
{
    if (first < n - 1 - last) {
        *lo = n - 1 - last;
        *hi = last;
        return last;
    }
    if (first <= 0) {
        *lo = first;
        *hi = last;
        return angle <= 0 ? n - 1 : 0;
    }
    *lo = first;
    *hi = n - 1 - first;
    return first;
}

} // namespace

CropRect *ComputeRotationCrop(CropRect *out, const PackedDib *frame, int angle)
{
    const int w = DibWidth(frame), h = DibHeight(frame);
    const double theta = angle * kTenthDegreeToRadian;
    const double c = cos(theta), s = sin(theta);
    const int64_t g = (int64_t)(fabs(w * c) + fabs(h * s) + 0.5);
    const int64_t l = (int64_t)(fabs(c * h) + fabs(w * s) + 0.5);
    double m, o;
    if (angle < 0) {
        const double phi = -theta, r = sin(phi), cp = cos(phi), t = r / cp;
        m = (w * r - h * cp) / (t - cp / r) + 0.5;
        o = w * r - t * trunc(m) + 0.5;
    } else {
        const double hs = w * s;
        m = (hs - c * h) / (s / c - c / s) + 0.5;
        o = hs - (s / c) * trunc(m) + 0.5;
    }
    // Far beyond any frame is as good as infinite here.
    const double kFar = 1e12;
    int64_t mi = s == 0.0 ? 0 : TruncSat64(fmax(-kFar, fmin(kFar, m)), 0);
    int64_t oi = s == 0.0 ? 0 : TruncSat64(fmax(-kFar, fmin(kFar, o)), 0);
    mi += (g - w) / -2;
    oi += (l - h) / -2;
    if (!isfinite(m) || !isfinite(o) || w - 2 * mi <= 0 || h - 2 * oi <= 0) {
        // Near 45 degrees the corner equations have no solution (their
        // divisor passes through 0): take the largest centred rectangle of
        // the frame's shape that the turned image covers.
        const double ac = fabs(c), as = fabs(s);
        double k = 1.0;
        if (w * ac + h * as > 0)
            k = fmin(w / (w * ac + h * as), h / (w * as + h * ac));
        mi = (int64_t)((w - k * w) / 2 + 0.5);
        oi = (int64_t)((h - k * h) / 2 + 0.5);
    }
    out->left = Clamp(mi, INT32_MIN / 2, INT32_MAX / 2);
    out->top = Clamp(oi, INT32_MIN / 2, INT32_MAX / 2);
    out->right = Clamp(w - mi, INT32_MIN / 2, INT32_MAX / 2);
    out->bottom = Clamp(h - oi, INT32_MIN / 2, INT32_MAX / 2);
    return out;
}

CropRect *ComputePerspectiveCrop(CropRect *out, const PackedDib *frame, int angle, const CropRect *previous)
{
    const CropRect prev = *previous;
    const int w = DibWidth(frame), h = DibHeight(frame);
    const TurnedAxis axis(angle, w / 2, h / 2);
    if (!axis.ok) {
        *out = prev;
        return out;
    }
    int first, last, left, right, top, bottom;
    ScanAlong(axis, w, prev.left, prev.right, &first, &last);
    const int rampAt = SymmetricMargins(first, last, w, angle, &left, &right);
    ScanAcross(axis.Ramp(rampAt), h, h / 2, prev.top, prev.bottom, &top, &bottom);
    *out = {left, top, right, bottom};
    return out;
}

CropRect *ComputeKeystoneCrop(CropRect *out, const PackedDib *frame, int angle, const CropRect *previous)
{
    const CropRect prev = *previous;
    const int w = DibWidth(frame), h = DibHeight(frame);
    const TurnedAxis axis(angle, h / 2, w / 2);
    if (!axis.ok) {
        *out = prev;
        return out;
    }
    int first, last, top, bottom, left, right;
    ScanAlong(axis, h, prev.top, prev.bottom, &first, &last);
    const int rampAt = SymmetricMargins(first, last, h, angle, &top, &bottom);
    ScanAcross(axis.Ramp(rampAt), w, w / 2, prev.left, prev.right, &left, &right);
    const int extra = CanvasExtra(h);
    if (angle < 0) {
        top = extra / 2 + top;
        bottom = h + (extra & ~1);
    } else {
        bottom = extra / 2 + bottom;
        top = 0;
    }
    *out = {left, top, right, bottom};
    return out;
}

CropRect *ComputeCropRect(CropRect *out, const PackedDib *frame, int rotationL, int rotationR, int perspectiveVL,
                          int perspectiveVR, int perspectiveHL, int perspectiveHR, int sizeFactorL, int sizeFactorR)
{
    const int w = DibWidth(frame), h = DibHeight(frame);
    CropRect r = {0, 0, w, h};
    int height = h;
    if (rotationL != 0 || rotationR != 0)
        ComputeRotationCrop(&r, frame, LargerMagnitude(rotationL, rotationR));
    if (perspectiveVL != 0 || perspectiveVR != 0)
        ComputePerspectiveCrop(&r, frame, LargerMagnitude(perspectiveVL, perspectiveVR), &r);
    if (perspectiveHL != 0 || perspectiveHR != 0) {
        ComputeKeystoneCrop(&r, frame, LargerMagnitude(perspectiveHL, perspectiveHR), &r);
        const int extra = CanvasExtra(h);
        if (extra > 0)
            height = h + (extra & ~1);
    } else {
        const int64_t f = sizeFactorL <= sizeFactorR ? sizeFactorL : sizeFactorR;
        if (f < 1000) {
            const int64_t a = f * (r.right - r.left) / 1000, b = f * (r.bottom - r.top) / 1000;
            const int64_t left = (w - a) / 2, top = (h - b) / 2;
            r.left = Clamp(left, INT32_MIN / 2, INT32_MAX / 2);
            r.top = Clamp(top, INT32_MIN / 2, INT32_MAX / 2);
            r.right = Clamp(left + a, INT32_MIN / 2, INT32_MAX / 2);
            r.bottom = Clamp(top + b, INT32_MIN / 2, INT32_MAX / 2);
        }
    }
    ClampIntoFrame(&r, w, height);
    *out = r;
    return out;
}
