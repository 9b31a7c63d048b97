#include "alignment/control_points.h"

#include "alignment/fixed_point.h"
#include "alignment/perspective_model.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"

#include <algorithm>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

ControlPoint g_aControlPoints[kMaxControlPoints];
int g_nControlPoints = 0;
int g_nPerspVPair[2] = {0, 0};
int g_nPerspHPair[2] = {0, 0};

namespace {

// No frame is this large; a coordinate beyond it (or not a number) cannot
// come from a matcher and would only poison the sums.
const double kCoordinateLimit = 1e6;

inline bool Plausible(double v)
{
    return v == v && fabs(v) <= kCoordinateLimit;
}

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads the values of one "c" line into the point; true once its Y is read.
bool ParsePointLine(const char *line, ControlPoint *p)
{
    const char *s = line;
    while (*s) {
        while (IsBlank(*s))
            s++;
        if (!*s)
            break;
        const char letter = *s;
        const char *end = s;
        while (*end && !IsBlank(*end))
            end++;
        if (letter == 'x' || letter == 'y' || letter == 'X' || letter == 'Y') {
            char number[512];
            const size_t n = (size_t)(end - s - 1);
            memcpy(number, s + 1, n);
            number[n] = 0;
            const double v = atof(number);
            switch (letter) {
            case 'x': p->x = v; break;
            case 'y': p->y = v; break;
            case 'X': p->X = v; break;
            default: p->Y = v; return true;
            }
        }
        s = end;
    }
    return false;
}

inline int HalfW() { return g_nImageWidth / 2; }
inline int HalfH() { return g_nImageHeight / 2; }

// Candidate index k to the angles (or size changes) of the two images.
inline void SplitCandidate(int k, int *left, int *right)
{
    const int s = k - 100;
    *left = s / 2;
    *right = *left - s;
}

// The lens model of the perspective steps for one image and one angle:
// 35 mm film's half field of view, turned about the vertical axis
// (vertical == true: points move along x, the rows' heights follow the
// ramp) or about the horizontal axis.
struct PointTurn {
    PerspectiveRamp ramp;
    double c, s, t, f;
    int along, across;   // half sizes
    bool ok;

    PointTurn(int angle, bool vertical)
    {
        const double radians = angle * kTenthDegreeToRadian;
        t = tan(0.4747295565424572);   // 27.2 degrees
        c = cos(radians);
        s = sin(radians);
        along = vertical ? HalfW() : HalfH();
        across = vertical ? HalfH() : HalfW();
        f = along / t;
        ok = ComputePerspectiveRamp(along, across, (int64_t)(1024.0 * t), radians, &ramp);   // ti 526
    }

    // Position along the turn (1/1024 pixel from the edge) of coordinate p.
    int64_t Along(double p) const
    {
        return TruncSat64(1024.0 * (along + along * p * c / ((p * s + f) * t)), 0);
    }

    // Coordinate q across the turn, moved by the ramp at position m, in
    // pixels from the edge; size is the frame's size across.
    double Across(int64_t m, double q, int size) const
    {
        const int64_t r = MulSat64(16, ramp.b) - MulSat64(MulSat64(m, ramp.k), 16) / 1024;
        const double scaled = trunc((q + across) * (double)(2 * r / size));
        return (scaled + 16384.0 * across - (double)r) / 16384.0;
    }
};

// Moves a point (u, v) by a turn about the vertical axis.
inline void TurnV(const PointTurn &m, double *u, double *v)
{
    const int64_t mx = m.Along(*u);
    const double y = m.Across(mx, *v, g_nImageHeight);
    *u = mx / 1024.0 - m.along;
    *v = y - m.across;
}

inline void TurnH(const PointTurn &m, double *u, double *v)
{
    const int64_t my = m.Along(*v);
    const double x = m.Across(my, *u, g_nImageWidth);
    *u = x - m.across;
    *v = my / 1024.0 - m.along;
}

inline int PerspectivePairAngle(int k)
{
    return (5 * k - 495) / 10;
}

const double kNoCost = 1e16;

} // namespace

int ReadControlPoints(FILE *file)
{
    int n = 0;
    char line[512];
    while (n < kMaxControlPoints && fgets(line, sizeof line, file)) {
        if (line[0] != 'c')
            continue;
        ControlPoint *p = &g_aControlPoints[n];
        if (ParsePointLine(line, p) && Plausible(p->x) && Plausible(p->y) && Plausible(p->X) && Plausible(p->Y))
            n++;
    }
    g_nControlPoints = n;
    const double cx = g_nImageWidth * 0.5, cy = g_nImageHeight * 0.5;
    for (int i = 0; i < n; i++) {
        ControlPoint &p = g_aControlPoints[i];
        p.x -= cx;
        p.X -= cx;
        p.y -= cy;
        p.Y -= cy;
    }
    return n;
}

int LoadControlPoints(const char *path)
{
    g_nControlPoints = 0;
    FILE *f = fopen(path, "r");
    if (!f)
        return 0;
    const int n = ReadControlPoints(f);
    fclose(f);
    return n;
}

void RejectOutliersByHistogram()
{
    const int n = g_nControlPoints;
    const int bw = g_nImageWidth / 10, bh = g_nImageHeight / 20;
    if (bw <= 0 || bh <= 0)
        return;
    std::vector<int64_t> hi(n), vi(n);
    int hHist[20] = {0}, vHist[40] = {0};
    for (int i = 0; i < n; i++) {
        ControlPoint &p = g_aControlPoints[i];
        p.bExcluded = 0;
        hi[i] = TruncSat64((p.X - p.x) / bw) + 10;
        vi[i] = TruncSat64((p.Y - p.y) / bh) + 20;
        if (hi[i] >= 0 && hi[i] < 20)
            hHist[hi[i]]++;
        if (vi[i] >= 0 && vi[i] < 40)
            vHist[vi[i]]++;
    }
    int hc = 2, vc = 2, best = 0;
    for (int c = 2; c <= 17; c++) {
        const int sum = hHist[c - 2] + hHist[c - 1] + hHist[c] + hHist[c + 1] + hHist[c + 2];
        if (sum > best)
            best = sum, hc = c;
    }
    best = 0;
    for (int c = 2; c <= 37; c++) {
        const int sum = vHist[c - 2] + vHist[c - 1] + vHist[c] + vHist[c + 1] + vHist[c + 2];
        if (sum > best)
            best = sum, vc = c;
    }
    for (int i = 0; i < n; i++)
        if (hi[i] < hc - 2 || hi[i] > hc + 2 || vi[i] < vc - 2 || vi[i] > vc + 2)
            g_aControlPoints[i].bExcluded = 1;
}

void RejectOutliersByDisparity(int step)
{
    const int n = g_nControlPoints;
    int b = g_nImageWidth / 100;
    if (b < 5)
        b = 5;
    const double limitY = 25 - 10 * step;
    for (int i = 0; i < n; i++) {
        ControlPoint &p = g_aControlPoints[i];
        p.bExcluded = fabs(p.Y - p.y) > limitY;
    }
    // The bin of a disparity; 100 and above lie past every limit.
    auto bin = [b](double d) -> int64_t { return TruncSat64(fabs(d)) / b; };
    int pos[100] = {0}, neg[100] = {0};
    int nP = 0, nN = 0;
    for (int i = 0; i < n; i++) {
        const ControlPoint &p = g_aControlPoints[i];
        if (p.bExcluded)
            continue;
        const double d = p.X - p.x;
        const int64_t k = bin(d);
        if (d >= 0) {
            nP++;
            if (k < 100)
                pos[k]++;
        } else {
            nN++;
            if (k < 100)
                neg[k]++;
        }
    }
    if (nP == 0)
        nP = 1;
    if (nN == 0)
        nN = 1;
    auto limit = [](const int *hist, int count) {
        if (count <= 10)
            return 0;
        int remainder = count;
        for (int i = 0; i < 100; i++) {
            remainder -= hist[i];
            if (hist[i] < 3 && remainder < count / 2)
                return i - 1;
        }
        return 99;
    };
    const int limitP = limit(pos, nP), limitN = limit(neg, nN);
    for (int i = 0; i < n; i++) {
        ControlPoint &p = g_aControlPoints[i];
        const double d = p.X - p.x;
        if (bin(d) > (d >= 0 ? limitP : limitN))
            p.bExcluded = 1;
    }
}

double MeanVerticalOffset()
{
    double sum = 0;
    int n = 0;
    for (int i = 0; i < g_nControlPoints; i++)
        if (!g_aControlPoints[i].bExcluded) {
            sum += g_aControlPoints[i].Y - g_aControlPoints[i].y;
            n++;
        }
    return n ? sum / n : 0.0;
}

void ShiftControlPointsVertically(double v)
{
    for (int i = 0; i < g_nControlPoints; i++)
        g_aControlPoints[i].Y -= v;
}

int FindBestRotation()
{
    double best = kNoCost;
    int bestK = 100;
    for (int k = 0; k <= 200; k++) {
        int a, b;
        SplitCandidate(k, &a, &b);
        const double ar = a * kTenthDegreeToRadian, br = b * kTenthDegreeToRadian;
        const double sa = sin(ar), ca = cos(ar), sb = sin(br), cb = cos(br);
        double cost = 0;
        for (int i = 0; i < g_nControlPoints; i++) {
            const ControlPoint &p = g_aControlPoints[i];
            if (!p.bExcluded)
                cost += fabs((p.X * sb + p.Y * cb) - (p.x * sa + p.y * ca));
        }
        if (cost < best)
            best = cost, bestK = k;
    }
    return bestK - 100;
}

void RotateControlPoints(int s)
{
    int a, b;
    SplitCandidate(s + 100, &a, &b);
    const double ar = a * kTenthDegreeToRadian, br = b * kTenthDegreeToRadian;
    const double sa = sin(ar), ca = cos(ar), sb = sin(br), cb = cos(br);
    for (int i = 0; i < g_nControlPoints; i++) {
        ControlPoint &p = g_aControlPoints[i];
        const double x = p.x, y = p.y, X = p.X, Y = p.Y;
        p.x = x * ca - y * sa;
        p.y = x * sa + y * ca;
        p.X = X * cb - Y * sb;
        p.Y = X * sb + Y * cb;
    }
}

int FindBestScale()
{
    double best = kNoCost;
    int bestK = 100;
    for (int k = 0; k < 200; k++) {
        int a, b;
        SplitCandidate(k, &a, &b);
        double cost = 0;
        for (int i = 0; i < g_nControlPoints; i++) {
            const ControlPoint &p = g_aControlPoints[i];
            if (!p.bExcluded)
                cost += fabs((1000 + b) * p.Y * 0.001 - (1000 + a) * p.y * 0.001);
        }
        if (cost < best)
            best = cost, bestK = k;
    }
    return bestK - 100;
}

void ScaleControlPoints(int s)
{
    int a, b;
    SplitCandidate(s + 100, &a, &b);
    const double fa = (1000 + a) * 0.001, fb = (1000 + b) * 0.001;
    for (int i = 0; i < g_nControlPoints; i++) {
        ControlPoint &p = g_aControlPoints[i];
        p.x *= fa;
        p.y *= fa;
        p.X *= fb;
        p.Y *= fb;
    }
}

int FindBestPerspectiveV()
{
    double best = kNoCost;
    int bestK = 100;
    for (int k = 0; k <= 200; k++) {
        int a, b;
        SplitCandidate(k, &a, &b);
        const PointTurn left(a, true), right(b, true);
        if (!left.ok || !right.ok)
            continue;
        double cost = 0;
        for (int i = 0; i < g_nControlPoints; i++) {
            const ControlPoint &p = g_aControlPoints[i];
            if (p.bExcluded)
                continue;
            const double yl = left.Across(left.Along(p.x), p.y, g_nImageHeight);
            const double yr = right.Across(right.Along(p.X), p.Y, g_nImageHeight);
            cost += fabs(yr - yl);
        }
        if (cost < best)
            best = cost, bestK = k;
    }
    const int r = PerspectivePairAngle(bestK);
    g_nPerspVPair[0] = r;
    g_nPerspVPair[1] = -r;
    return bestK;
}

void ApplyPerspectiveV()
{
    const PointTurn left(g_nPerspVPair[0], true), right(g_nPerspVPair[1], true);
    if (!left.ok || !right.ok)
        return;
    for (int i = 0; i < g_nControlPoints; i++) {
        ControlPoint &p = g_aControlPoints[i];
        TurnV(left, &p.x, &p.y);
        TurnV(right, &p.X, &p.Y);
    }
}

int FindBestPerspectiveH()
{
    double best = kNoCost;
    int bestK = 100;
    for (int k = 0; k <= 200; k++) {
        int a, b;
        SplitCandidate(k, &a, &b);
        const PointTurn left(a, false), right(b, false);
        if (!left.ok || !right.ok)
            continue;
        double cost = 0;
        for (int i = 0; i < g_nControlPoints; i++) {
            const ControlPoint &p = g_aControlPoints[i];
            if (!p.bExcluded)
                cost += fabs(right.Along(p.Y) / 1024.0 - left.Along(p.y) / 1024.0);
        }
        if (cost < best)
            best = cost, bestK = k;
    }
    const int r = PerspectivePairAngle(bestK);
    g_nPerspHPair[0] = r;
    g_nPerspHPair[1] = -r;
    return bestK;
}

void ApplyPerspectiveH()
{
    const PointTurn left(g_nPerspHPair[0], false), right(g_nPerspHPair[1], false);
    if (!left.ok || !right.ok)
        return;
    for (int i = 0; i < g_nControlPoints; i++) {
        ControlPoint &p = g_aControlPoints[i];
        TurnH(left, &p.x, &p.y);
        TurnH(right, &p.X, &p.Y);
    }
}

void ComputeAlignmentError()
{
    const int w = g_nImageWidth;
    double nearD = w, farD = -w, sum = 0;
    int n = 0;
    for (int i = 0; i < g_nControlPoints; i++) {
        const ControlPoint &p = g_aControlPoints[i];
        if (p.bExcluded)
            continue;
        const double d = p.X - p.x;
        nearD = std::min(nearD, d);
        farD = std::max(farD, d);
        sum += fabs(p.Y - p.y);
        n++;
    }
    g_nNearFarPoint = abs(TruncSat32(farD - nearD));
    g_dMeanErrorH = n ? sum / n : 0.0;
}

int FindHorizontalPosition()
{
    const int w = g_nImageWidth, h = g_nImageHeight;
    std::vector<double> d;
    double sum = 0;
    for (int i = 0; i < g_nControlPoints; i++) {
        const ControlPoint &p = g_aControlPoints[i];
        if (p.bExcluded)
            continue;
        d.push_back(p.X - p.x);
        sum += fabs(p.Y - p.y);
    }
    const int n = (int)d.size();
    std::sort(d.begin(), d.end());
    g_nMatchedPoints = n;
    double nearD = w, farD = -w;
    if (n > 50) {
        nearD = (d[1] + d[2] + d[3] + d[4] + d[5]) / 5;
        farD = (d[n - 6] + d[n - 5] + d[n - 4] + d[n - 3] + d[n - 2]) / 5;
    }
    g_nNearFarPoint = abs(TruncSat32(farD - nearD));
    if (g_nAutopara == 0 || g_nAutopara == 1) {
        const bool parallel = g_nAutopara == 0;
        switch (g_nDeviationMode) {
        case 1:
            if (g_nNearFarPoint > w / 25) {
                if (parallel)
                    nearD = farD - w / 25;
                else
                    farD = nearD + w / 25;
            }
            break;
        case 2:
            if (parallel)
                nearD = 0;
            else
                farD = 0;
            break;
        case 3: {
            const int share = (int)((int64_t)w * g_nDeviationPercent / 1000);
            if (parallel)
                nearD = farD - share;
            else
                farD = nearD + share;
            break;
        }
        default:
            break;
        }
    }
    g_dMeanErrorH = n ? sum / n : 0.0;
    if (g_nAutopara == 0)
        return TruncSat32(nearD);
    if (g_nAutopara == 1)
        return TruncSat32(farD);

    // Automatic arrangement: the nearest points lie in the lower part of a
    // parallel pair and in the upper part of a crossed one.
    double lower = 0, upper = 0;
    int nLower = 0, nUpper = 0, nNearHalf = 0;
    const int quarter = h / 4;
    for (int i = 0; i < g_nControlPoints; i++) {
        const ControlPoint &p = g_aControlPoints[i];
        if (p.bExcluded)
            continue;
        const double dd = p.X - p.x;
        if (p.y > quarter)
            lower += fabs(dd - nearD), nLower++;
        else if (p.y < -quarter)
            upper += fabs(dd - nearD), nUpper++;
        if (dd - nearD < (farD - nearD) * 0.5)
            nNearHalf++;
    }
    if (nLower > 0 && nUpper > 0) {
        const double s1 = lower / nLower, s2 = upper / nUpper;
        if (s1 < s2) {
            if (s1 == 0 || 10 * s2 / s1 > 16)
                return TruncSat32(nearD);
        } else if (s2 == 0 ? s1 > 0 : 10 * s1 / s2 > 16) {
            return TruncSat32(farD);
        }
    }
    return TruncSat32(nNearHalf > n - nNearHalf ? nearD : farD);
}
