#include "alignment/surf_features.h"

#include <math.h>
#include <stdint.h>

#include <new>

namespace {

const double kPi = 3.14159265358979323846;

// Sums of the pixels above and to the left of each corner, (w+1) x (h+1).
// Kept 32-bit; ExtractSurf refuses images whose total could overflow it.
struct IntegralImage {
    int w = 0, h = 0;
    size_t stride = 0;
    std::vector<uint32_t> s;

    void Build(const BYTE *px, int width, int height, int rowBytes)
    {
        w = width, h = height, stride = (size_t)width + 1;
        s.assign(stride * ((size_t)height + 1), 0);
        for (int y = 0; y < height; y++) {
            const BYTE *row = px + (size_t)y * rowBytes;
            uint32_t *above = &s[(size_t)y * stride];
            uint32_t *cur = above + stride;
            uint32_t run = 0;
            for (int x = 0; x < width; x++) {
                run += row[x];
                cur[x + 1] = above[x + 1] + run;
            }
        }
    }

    // Pixels of [x0, x1) x [y0, y1); the box must lie inside the image.
    uint32_t Box(int x0, int y0, int x1, int y1) const
    {
        const uint32_t *a = &s[(size_t)y0 * stride], *b = &s[(size_t)y1 * stride];
        return b[x1] - b[x0] - a[x1] + a[x0];
    }

    // Box from the four corner sums, signed (x0 may pass x1) and exact: the
    // sums are integers well inside a double's mantissa.
    double Corners(int x0, int y0, int x1, int y1) const
    {
        const uint32_t *a = &s[(size_t)y0 * stride], *b = &s[(size_t)y1 * stride];
        return ((double)b[x1] - b[x0]) - ((double)a[x1] - a[x0]);
    }

    // Pixels of [x0, x1) x [y0, y1) with fractional edges, pixels cut by an
    // edge counted by the share inside. Made of whole-pixel boxes with the
    // edges' fractions as weights, so that an image moved by whole pixels
    // gives the same sum to the last bit. The box must lie inside the image.
    double FractionalBox(double x0, double y0, double x1, double y1) const
    {
        const int X0 = (int)floor(x0), Y0 = (int)floor(y0), X1 = (int)floor(x1), Y1 = (int)floor(y1);
        const double wx0[2] = {1 - (x0 - X0), x0 - X0}, wx1[2] = {1 - (x1 - X1), x1 - X1};
        const double wy0[2] = {1 - (y0 - Y0), y0 - Y0}, wy1[2] = {1 - (y1 - Y1), y1 - Y1};
        double sum = 0;
        for (int b = 0; b < 2; b++)
            for (int d = 0; d < 2; d++) {
                const double wy = wy0[b] * wy1[d];
                if (wy == 0)
                    continue;
                for (int a = 0; a < 2; a++)
                    for (int c = 0; c < 2; c++) {
                        const double wgt = wx0[a] * wx1[c] * wy;
                        if (wgt != 0)
                            sum += wgt * Corners(X0 + a, Y0 + b, X1 + c, Y1 + d);
                    }
            }
        return sum;
    }

    // The sum table at a fractional corner. The image is constant over each
    // pixel, so the table is bilinear inside each cell and this is exact.
    double At(double x, double y) const
    {
        int xi = (int)x, yi = (int)y;
        if (xi > w - 1)
            xi = w - 1;
        if (yi > h - 1)
            yi = h - 1;
        double fx = x - xi, fy = y - yi;
        const uint32_t *a = &s[(size_t)yi * stride + xi], *b = a + stride;
        double top = a[0] + fx * ((double)a[1] - a[0]);
        double bottom = b[0] + fx * ((double)b[1] - b[0]);
        return top + fy * (bottom - top);
    }

    // Mean over the box of side `side` centred at (x, y) in edge coordinates
    // (pixel k spans k..k+1). A box reaching past the image is moved inside,
    // which stands in for replicating the border pixels.
    double BoxMean(double x, double y, double side) const
    {
        double x0, x1, y0, y1;
        Fit(x, side, w, &x0, &x1);
        Fit(y, side, h, &y0, &y1);
        double sum = At(x1, y1) - At(x0, y1) - At(x1, y0) + At(x0, y0);
        return sum / ((x1 - x0) * (y1 - y0));
    }

    static void Fit(double c, double side, int n, double *lo, double *hi)
    {
        if (side >= n) {
            *lo = 0, *hi = n;
            return;
        }
        double a = c - side * 0.5;
        if (a < 0)
            a = 0;
        if (a + side > n)
            a = n - side;
        *lo = a, *hi = a + side;
    }
};

// Floor division for a possibly negative numerator.
inline int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// One rectangle of a box filter, relative to the filter's top-left corner,
// with its weight divided by its own area.
struct Lobe {
    int x0, y0, x1, y1;
    double weight;
};

// Second-derivative box filters at the base size 9, in cells: x0, y0, x1, y1,
// weight.
const int kDxx[3][5] = {{0, 2, 3, 7, 1}, {3, 2, 6, 7, -2}, {6, 2, 9, 7, 1}};
const int kDyy[3][5] = {{2, 0, 7, 3, 1}, {2, 3, 7, 6, -2}, {2, 6, 7, 9, 1}};
const int kDxy[4][5] = {{1, 1, 4, 4, 1}, {5, 1, 8, 4, -1}, {1, 5, 4, 8, -1}, {5, 5, 8, 8, 1}};

// The filter of size L: every coordinate c becomes c * L / 9 (truncated).
template <int N>
void ScaleLobes(const int (&base)[N][5], int size, Lobe *out)
{
    for (int k = 0; k < N; k++) {
        Lobe &l = out[k];
        l.x0 = base[k][0] * size / 9, l.y0 = base[k][1] * size / 9;
        l.x1 = base[k][2] * size / 9, l.y1 = base[k][3] * size / 9;
        l.weight = (double)base[k][4] / ((l.x1 - l.x0) * (l.y1 - l.y0));
    }
}

// Determinant and trace sign of one filter size, on a grid of step
// scale / 9 pixels. Grid index i has the filter's centre at (i + 0.5) * step,
// so its top-left pixel is floor(((2i + 1) * scale - 9 L) / 18). Indices
// whose filter would leave the image are outside [first, count).
struct Layer {
    int size = 0, scale = 0;
    int rowFirst = 0, rows = 0, colFirst = 0, cols = 0;
    std::vector<float> det;
    std::vector<signed char> sign;

    int Top(int i) const { return FloorDiv((2 * i + 1) * scale - 9 * size, 18); }

    // Valid indices along a side of n pixels.
    void Range(int n, int *first, int *count) const
    {
        int i = 0;
        while (Top(i) < 0)
            i++;
        *first = i;
        while (Top(i) + size <= n)
            i++;
        *count = i;
    }

    bool Valid(int i, int j) const { return i >= rowFirst && i < rows && j >= colFirst && j < cols; }
    float Det(int i, int j) const { return det[(size_t)i * cols + j]; }

    void Compute(const IntegralImage &ii, int filterSize)
    {
        size = filterSize;
        scale = size > 9 ? size : 9;
        Range(ii.h, &rowFirst, &rows);
        Range(ii.w, &colFirst, &cols);
        if (rows <= rowFirst || cols <= colFirst) {
            rows = cols = 0;
            return;
        }
        det.assign((size_t)rows * cols, 0.0f);
        sign.assign((size_t)rows * cols, 0);

        Lobe dxx[3], dyy[3], dxy[4];
        ScaleLobes(kDxx, size, dxx);
        ScaleLobes(kDyy, size, dyy);
        ScaleLobes(kDxy, size, dxy);
        // Corner offsets of every lobe from the filter's top-left sum entry.
        struct Corners {
            ptrdiff_t a, b, c, d;  // top-left, top-right, bottom-left, bottom-right
            double weight;
        } xx[3], yy[3], xy[4];
        auto corners = [&](const Lobe &l) {
            ptrdiff_t st = (ptrdiff_t)ii.stride;
            return Corners{l.y0 * st + l.x0, l.y0 * st + l.x1, l.y1 * st + l.x0, l.y1 * st + l.x1, l.weight};
        };
        for (int k = 0; k < 3; k++)
            xx[k] = corners(dxx[k]), yy[k] = corners(dyy[k]);
        for (int k = 0; k < 4; k++)
            xy[k] = corners(dxy[k]);
        std::vector<int> left((size_t)cols);
        for (int j = colFirst; j < cols; j++)
            left[j] = Top(j);

        for (int i = rowFirst; i < rows; i++) {
            const uint32_t *base = &ii.s[(size_t)Top(i) * ii.stride];
            float *d = &det[(size_t)i * cols];
            signed char *t = &sign[(size_t)i * cols];
            for (int j = colFirst; j < cols; j++) {
                const uint32_t *p = base + left[j];
                double fxx = 0, fyy = 0, fxy = 0;
                for (const Corners &c : xx)
                    fxx += c.weight * (uint32_t)(p[c.d] - p[c.b] - p[c.c] + p[c.a]);
                for (const Corners &c : yy)
                    fyy += c.weight * (uint32_t)(p[c.d] - p[c.b] - p[c.c] + p[c.a]);
                for (const Corners &c : xy)
                    fxy += c.weight * (uint32_t)(p[c.d] - p[c.b] - p[c.c] + p[c.a]);
                double cross = 0.9 * fxy;
                d[j] = (float)(fxx * fyy - cross * cross);
                double trace = fxx + fyy;
                t[j] = (signed char)(trace > 0 ? 1 : trace < 0 ? -1 : 0);
            }
        }
    }
};

// Where the grid's samples really lie: with a step that is not a whole
// number of pixels the filters sit on whole pixels, so the samples are
// unevenly spaced. Pixel-centre coordinates.
double SamplePosition(const Layer &l, int i) { return l.Top(i) + (l.size - 1) * 0.5; }

// Offset of the determinant's peak from sample (i, j) along y and x, from
// the quadratic through the 3 x 3 samples around it at their true
// positions. Without it every position would be a grid sample: a whole
// picture moved by a fraction of a step gives the same rounding at every
// point, an error the matches cannot average away. A peak the quadratic
// does not place within half the spacing to the neighbours keeps each axis
// to its own parabola; each offset stays between the midpoints to the
// neighbouring samples.
void PeakOffset(const Layer &l, int i, int j, double *oy, double *ox)
{
    const double y0 = SamplePosition(l, i), x0 = SamplePosition(l, j);
    const double ym = y0 - SamplePosition(l, i - 1), yp = SamplePosition(l, i + 1) - y0;
    const double xm = x0 - SamplePosition(l, j - 1), xp = SamplePosition(l, j + 1) - x0;
    double f[3][3];
    for (int di = 0; di < 3; di++)
        for (int dj = 0; dj < 3; dj++)
            f[di][dj] = l.Det(i + di - 1, j + dj - 1);
    // Derivatives of the quadratic through three unevenly spaced samples.
    auto slope = [](double fm, double f0, double fp, double hm, double hp) {
        return (hm * hm * fp - hp * hp * fm + (hp * hp - hm * hm) * f0) / (hm * hp * (hm + hp));
    };
    auto curve = [](double fm, double f0, double fp, double hm, double hp) {
        return 2 * (hm * fp - (hm + hp) * f0 + hp * fm) / (hm * hp * (hm + hp));
    };
    const double gx = slope(f[1][0], f[1][1], f[1][2], xm, xp), gy = slope(f[0][1], f[1][1], f[2][1], ym, yp);
    const double hxx = curve(f[1][0], f[1][1], f[1][2], xm, xp), hyy = curve(f[0][1], f[1][1], f[2][1], ym, yp);
    const double hxy = (f[2][2] - f[2][0] - f[0][2] + f[0][0]) / ((xm + xp) * (ym + yp));
    const double det = hxx * hyy - hxy * hxy;
    double dx = 0, dy = 0;
    bool inside = false;
    if (hxx < 0 && det > 0) {
        dx = -(hyy * gx - hxy * gy) / det;
        dy = -(hxx * gy - hxy * gx) / det;
        inside = dx >= -0.5 * xm && dx <= 0.5 * xp && dy >= -0.5 * ym && dy <= 0.5 * yp;
    }
    if (!inside) {
        dx = hxx < 0 ? -gx / hxx : 0;
        dy = hyy < 0 ? -gy / hyy : 0;
    }
    *ox = dx < -0.5 * xm ? -0.5 * xm : dx > 0.5 * xp ? 0.5 * xp : dx;
    *oy = dy < -0.5 * ym ? -0.5 * ym : dy > 0.5 * yp ? 0.5 * yp : dy;
}

// Index in layer m of the grid cell that holds the centre of cell i of a
// layer of the given scale.
inline int MapIndex(int i, int scale, const Layer &m) { return (2 * i + 1) * scale / (2 * m.scale); }

// No neighbour of (i, j) in the 3 x 3 block around the mapped position of
// layer m is strictly greater than v; false also when the block is not all
// inside m.
bool NotExceeded(const Layer &m, int i, int j, float v)
{
    if (!m.Valid(i - 1, j - 1) || !m.Valid(i + 1, j + 1))
        return false;
    for (int di = -1; di <= 1; di++)
        for (int dj = -1; dj <= 1; dj++)
            if (m.Det(i + di, j + dj) > v)
                return false;
    return true;
}

// Tables shared by every point of one extraction.
struct Tables {
    // Orientation: sample offsets (a, b) with a*a + b*b <= 16 on a grid of
    // L / 9, each with its Gaussian weight (sigma 2.5 grid units).
    int nSamples = 0;
    int offset[49][2];
    double sampleWeight[49];
    // Descriptor: Gaussian of sigma 3.3 over the 20 x 20 gradients of a
    // 21 x 21 patch, normalised to sum 1.
    double gradWeight[20][20];

    Tables()
    {
        for (int b = -4; b <= 4; b++)
            for (int a = -4; a <= 4; a++)
                if (a * a + b * b <= 16) {
                    offset[nSamples][0] = a, offset[nSamples][1] = b;
                    sampleWeight[nSamples] = exp(-(a * a + b * b) / (2 * 2.5 * 2.5));
                    nSamples++;
                }
        double total = 0;
        for (int v = 0; v < 20; v++)
            for (int u = 0; u < 20; u++) {
                double du = u - 9.5, dv = v - 9.5;
                gradWeight[v][u] = exp(-(du * du + dv * dv) / (2 * 3.3 * 3.3));
                total += gradWeight[v][u];
            }
        for (int v = 0; v < 20; v++)
            for (int u = 0; u < 20; u++)
                gradWeight[v][u] /= total;
    }
};

// Direction of the strongest Haar response within a 120-degree window slid
// round the circle in 5-degree steps, measured about the point's own
// centre (cx, cy in edge coordinates), not the grid sample it was found
// at: two pictures of one feature seldom put it at the same place between
// samples, and a direction measured a step away differs by several degrees,
// enough to spoil the descriptors' match.
float Orientation(const IntegralImage &ii, const Tables &t, double cx, double cy, int size)
{
    const double grid = size / 9.0, haar = 4 * grid, half = haar / 2;
    double dx[49], dy[49], angle[49];
    int n = 0;
    for (int k = 0; k < t.nSamples; k++) {
        const double x = cx + t.offset[k][0] * grid - half, y = cy + t.offset[k][1] * grid - half;
        if (x < 0 || y < 0 || x + haar > ii.w || y + haar > ii.h)
            continue;
        double gx = ii.FractionalBox(x + half, y, x + haar, y + haar) - ii.FractionalBox(x, y, x + half, y + haar);
        double gy = ii.FractionalBox(x, y + half, x + haar, y + haar) - ii.FractionalBox(x, y, x + haar, y + half);
        dx[n] = gx * t.sampleWeight[k];
        dy[n] = gy * t.sampleWeight[k];
        double a = atan2(dy[n], dx[n]) * (180 / kPi);
        angle[n] = a < 0 ? a + 360 : a;
        n++;
    }
    double best = -1, bx = 0, by = 0;
    for (int start = 0; start < 360; start += 5) {
        double sx = 0, sy = 0;
        for (int k = 0; k < n; k++) {
            double d = angle[k] - start;
            if (d < 0)
                d += 360;
            if (d < 120)
                sx += dx[k], sy += dy[k];
        }
        double norm = sx * sx + sy * sy;
        if (norm > best)
            best = norm, bx = sx, by = sy;
    }
    double a = atan2(by, bx) * (180 / kPi);
    if (a < 0)
        a += 360;
    float dir = (float)a;
    return dir >= 360.0f ? 0.0f : dir;
}

// Pixel value at (x, y) in pixel-centre coordinates, bilinear, with the
// border pixels replicated.
double Bilinear(const BYTE *px, int w, int h, int rowBytes, double x, double y)
{
    double fx0 = floor(x), fy0 = floor(y);
    double fx = x - fx0, fy = y - fy0;
    int x0 = (int)fx0, y0 = (int)fy0;
    int x1 = x0 + 1, y1 = y0 + 1;
    x0 = x0 < 0 ? 0 : x0 >= w ? w - 1 : x0;
    x1 = x1 < 0 ? 0 : x1 >= w ? w - 1 : x1;
    y0 = y0 < 0 ? 0 : y0 >= h ? h - 1 : y0;
    y1 = y1 < 0 ? 0 : y1 >= h ? h - 1 : y1;
    const BYTE *r0 = px + (size_t)y0 * rowBytes, *r1 = px + (size_t)y1 * rowBytes;
    double top = r0[x0] + fx * (r0[x1] - r0[x0]);
    double bottom = r1[x0] + fx * (r1[x1] - r1[x0]);
    return top + fy * (bottom - top);
}

// Same on a small float buffer of n x n.
double BilinearBuffer(const float *buf, int n, double x, double y)
{
    double fx0 = floor(x), fy0 = floor(y);
    double fx = x - fx0, fy = y - fy0;
    int x0 = (int)fx0, y0 = (int)fy0;
    int x1 = x0 + 1, y1 = y0 + 1;
    x0 = x0 < 0 ? 0 : x0 >= n ? n - 1 : x0;
    x1 = x1 < 0 ? 0 : x1 >= n ? n - 1 : x1;
    y0 = y0 < 0 ? 0 : y0 >= n ? n - 1 : y0;
    y1 = y1 < 0 ? 0 : y1 >= n ? n - 1 : y1;
    const float *r0 = buf + y0 * n, *r1 = buf + y1 * n;
    double top = r0[x0] + fx * (r0[x1] - r0[x0]);
    double bottom = r1[x0] + fx * (r1[x1] - r1[x0]);
    return top + fy * (bottom - top);
}

enum { kPatch = 21, kReduced = 30 };

// 21 x 21 samples along the rotated axes, spaced 1.2 L / 9, centred at
// (cx, cy) in edge coordinates. A patch wider than 31.5 pixels would skip
// pixels, so its area is first averaged into 30 x 30 cells and the patch
// sampled from those.
void SamplePatch(const BYTE *px, int rowBytes, const IntegralImage &ii, double cx, double cy, int size,
                 float dir, double patch[kPatch][kPatch])
{
    double step = 1.2 * size / 9;
    double theta = dir * (kPi / 180);
    double c = cos(theta), s = sin(theta);
    if (kPatch * step <= 31.5) {
        for (int v = 0; v < kPatch; v++)
            for (int u = 0; u < kPatch; u++) {
                double ou = (u - 10) * step, ov = (v - 10) * step;
                double x = cx + ou * c - ov * s, y = cy + ou * s + ov * c;
                patch[v][u] = Bilinear(px, ii.w, ii.h, rowBytes, x - 0.5, y - 0.5);
            }
        return;
    }
    float reduced[kReduced * kReduced];
    double cell = kPatch * step / kReduced;
    for (int b = 0; b < kReduced; b++)
        for (int a = 0; a < kReduced; a++) {
            double ou = -10.5 * step + (a + 0.5) * cell, ov = -10.5 * step + (b + 0.5) * cell;
            double x = cx + ou * c - ov * s, y = cy + ou * s + ov * c;
            reduced[b * kReduced + a] = (float)ii.BoxMean(x, y, cell);
        }
    const double toCell = (double)kReduced / kPatch;
    for (int v = 0; v < kPatch; v++)
        for (int u = 0; u < kPatch; u++)
            patch[v][u] = BilinearBuffer(reduced, kReduced, (u + 0.5) * toCell - 0.5, (v + 0.5) * toCell - 0.5);
}

// 4 x 4 cells of 5 x 5 weighted gradients; each cell's values normalised to
// unit length on their own.
void Describe(const double patch[kPatch][kPatch], const Tables &t, int extended, float *out)
{
    int per = extended ? 8 : 4;
    double cells[16][8] = {};
    for (int v = 0; v < 20; v++)
        for (int u = 0; u < 20; u++) {
            double w = t.gradWeight[v][u];
            double dx = w * ((patch[v][u + 1] - patch[v][u]) + (patch[v + 1][u + 1] - patch[v + 1][u]));
            double dy = w * ((patch[v + 1][u] - patch[v][u]) + (patch[v + 1][u + 1] - patch[v][u + 1]));
            double *c = cells[(v / 5) * 4 + u / 5];
            if (extended) {
                if (dy < 0)
                    c[0] += dx, c[1] += fabs(dx);
                else
                    c[2] += dx, c[3] += fabs(dx);
                if (dx < 0)
                    c[4] += dy, c[5] += fabs(dy);
                else
                    c[6] += dy, c[7] += fabs(dy);
            } else {
                c[0] += dx, c[1] += dy, c[2] += fabs(dx), c[3] += fabs(dy);
            }
        }
    for (int k = 0; k < 16; k++) {
        double norm = 0;
        for (int m = 0; m < per; m++)
            norm += cells[k][m] * cells[k][m];
        norm = sqrt(norm);
        double scale = norm > 0 ? 1 / norm : 0;
        for (int m = 0; m < per; m++)
            out[k * per + m] = (float)(cells[k][m] * scale);
    }
}

bool ValidParams(const SurfParams &p)
{
    return p.nOctaves >= 1 && p.nOctaves <= kSurfMaxOctaves && p.nOctaveLayers >= 1 &&
           p.nOctaveLayers <= kSurfMaxLayers && !isnan(p.hessianThreshold);
}

// Filter size of layer l of an octave: 7, then 9, 15, 21 ... doubled in each
// following octave. Layer 0 and the last layer only bound the search.
int FilterSize(int octave, int layer) { return (layer == 0 ? 7 : 9 + 6 * (layer - 1)) << octave; }

void Extract(const BYTE *pixels, int width, int height, int rowBytes, const SurfParams &params,
             std::vector<SurfPoint> *points, SurfDescriptors *descriptors)
{
    IntegralImage ii;
    ii.Build(pixels, width, height, rowBytes);
    Tables tables;
    int length = descriptors->length;
    double patch[kPatch][kPatch];
    std::vector<Layer> layers((size_t)params.nOctaveLayers + 2);

    for (int octave = 0; octave < params.nOctaves; octave++) {
        for (size_t l = 0; l < layers.size(); l++)
            layers[l].Compute(ii, FilterSize(octave, (int)l));
        for (int l = 1; l <= params.nOctaveLayers; l++) {
            const Layer &cur = layers[l], &below = layers[l - 1], &above = layers[l + 1];
            for (int i = cur.rowFirst + 1; i < cur.rows - 1; i++)
                for (int j = cur.colFirst + 1; j < cur.cols - 1; j++) {
                    float v = cur.Det(i, j);
                    if (!(v > params.hessianThreshold) || !NotExceeded(cur, i, j, v) ||
                        !NotExceeded(below, MapIndex(i, cur.scale, below), MapIndex(j, cur.scale, below), v) ||
                        !NotExceeded(above, MapIndex(i, cur.scale, above), MapIndex(j, cur.scale, above), v))
                        continue;
                    SurfPoint p;
                    double ox, oy;
                    PeakOffset(cur, i, j, &oy, &ox);
                    const double x = SamplePosition(cur, j) + ox, y = SamplePosition(cur, i) + oy;
                    p.x = (float)x;
                    p.y = (float)y;
                    p.laplacian = cur.sign[(size_t)i * cur.cols + j];
                    p.size = cur.size;
                    p.hessian = v;
                    p.dir = Orientation(ii, tables, x + 0.5, y + 0.5, cur.size);
                    SamplePatch(pixels, rowBytes, ii, x + 0.5, y + 0.5, cur.size, p.dir, patch);
                    points->push_back(p);
                    size_t at = descriptors->values.size();
                    descriptors->values.resize(at + length);
                    Describe(patch, tables, params.extended, &descriptors->values[at]);
                }
        }
    }
}

}  // namespace

SurfParams MakeSurfParams(double hessianThreshold, int extended)
{
    SurfParams p;
    p.extended = extended ? 1 : 0;
    p.hessianThreshold = hessianThreshold;
    p.nOctaves = 3;
    p.nOctaveLayers = 4;
    return p;
}

bool ExtractSurf(const BYTE *pixels, int width, int height, int rowBytes, const SurfParams &params,
                 std::vector<SurfPoint> *points, SurfDescriptors *descriptors)
{
    points->clear();
    descriptors->values.clear();
    descriptors->length = params.extended ? 128 : 64;
    if (!pixels || width < 1 || height < 1 || width > 32767 || height > 32767 || rowBytes < width ||
        !ValidParams(params))
        return false;
    // Every corner sum must fit the 32-bit integral image.
    if ((uint64_t)255 * ((uint64_t)width + 1) * ((uint64_t)height + 1) > UINT32_MAX)
        return false;
    try {
        Extract(pixels, width, height, rowBytes, params, points, descriptors);
    } catch (const std::bad_alloc &) {
        points->clear();
        descriptors->values.clear();
        return false;
    }
    return true;
}
