// Chroma-key composite: the left image with the parts near the key colour
// (by hue and saturation on a 0-100 scale) replaced by the right image,
// with a soft edge between an inner and an outer window.
#include "pipeline/compose.h"

#include "pipeline/pair_loop.h"
#include "pipeline/pipeline_state.h"

#include <math.h>
#include <stdlib.h>

namespace {

const double kDegreesPerRadian = 57.324840764331206;  // 180 / 3.14

struct HueSat {
    int cr, cb;
};

// Both colour differences lie in -100..100, so the hue of every pixel is
// looked up in a table of the same truncated atan2 values.
short g_hueTable[201 * 201];
bool g_hueTableBuilt = false;

int Hue(int cr, int cb)
{
    return (int)(atan2((double)cr, (double)cb) * kDegreesPerRadian);
}

void BuildHueTable()
{
    if (g_hueTableBuilt)
        return;
    for (int cr = -100; cr <= 100; cr++)
        for (int cb = -100; cb <= 100; cb++)
            g_hueTable[(cr + 100) * 201 + (cb + 100)] = (short)Hue(cr, cb);
    g_hueTableBuilt = true;
}

HueSat ColourDifference(int r, int g, int b)
{
    int y = (59 * g + 11 * b + 30 * r) / 255;
    return {r * 100 / 255 - y, b * 100 / 255 - y};
}

struct ChromaKeyOp {
    int t;
    bool shifted;
    int innerHueLo, innerHueHi, outerHueLo, outerHueHi;
    int innerSatLo, innerSatHi, outerSatLo, outerSatHi;

    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        o[0] = l[0], o[1] = l[1], o[2] = l[2];
        HueSat c = ColourDifference(l[2], l[1], l[0]);
        if (c.cb == 0)
            c.cb = 1;
        int r2 = c.cb * c.cb + c.cr * c.cr;
        int p = g_hueTable[(c.cr + 100) * 201 + (c.cb + 100)];
        if (shifted) {
            if (p > 90)
                p -= 360;
            p += 360;
        } else if (p < -90) {
            p += 360;
        }
        if (innerSatLo * innerSatLo < r2 && r2 < innerSatHi * innerSatHi && innerHueLo < p && p < innerHueHi) {
            o[0] = r[0], o[1] = r[1], o[2] = r[2];
            return;
        }
        if (outerSatLo * outerSatLo < r2 && r2 < outerSatHi * outerSatHi && outerHueLo < p && p < outerHueHi) {
            int u = abs(p - outerHueLo) < abs(p - outerHueHi) ? abs(p - outerHueLo) : abs(p - outerHueHi);
            int a = (int)(u * 255 / (t * 0.5));
            int q = (int)sqrt((double)r2);
            int v = abs(q - outerSatLo) < abs(q - outerSatHi) ? abs(q - outerSatLo) : abs(q - outerSatHi);
            int b = (int)(v * 255 / (t * 0.5));
            int w = a < b ? a : b;
            if (w > 255)
                w = 255;
            for (int c3 = 0; c3 < 3; c3++)
                o[c3] = (BYTE)((r[c3] * w + l[c3] * (255 - w)) / 255);
        }
    }
};

}  // namespace

PackedDib *ComposeChromaKey(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    BuildHueTable();
    ChromaKeyOp op;
    int t = g_nChromaTolerance;
    op.t = t;
    HueSat key = ColourDifference(GetRValue(g_rgbChromaKey), GetGValue(g_rgbChromaKey), GetBValue(g_rgbChromaKey));
    int h = Hue(key.cr, key.cb);
    int s = (int)sqrt((double)(key.cb * key.cb + key.cr * key.cr));

    op.innerHueLo = h - t;
    op.innerHueHi = h + t;
    op.innerSatLo = s - t > 0 ? s - t : 0;
    op.innerSatHi = s + t;
    op.outerHueLo = (int)(h - 1.5 * t);
    op.outerHueHi = (int)(h + 1.5 * t);
    op.outerSatLo = (int)(s - 1.5 * t);
    if (op.outerSatLo < 0)
        op.outerSatLo = 0;
    op.outerSatHi = (int)(s + 1.5 * t);

    op.shifted = op.outerHueLo < 0;
    if (op.shifted) {
        op.innerHueLo += 360;
        op.innerHueHi += 360;
        op.outerHueLo += 360;
        op.outerHueHi += 360;
    }
    return RunPixelPairKernel(out, left, right, rc, rr, lc, lr, op);
}
