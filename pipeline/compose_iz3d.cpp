// The two-panel picture of an iZ3D monitor: the front panel (left half of
// the output) in colour, the back panel (right half) in grey, both looked
// up in the linear-light iZ3D table and turned back to display gamma.
#include "pipeline/compose.h"

#include "pipeline/pair_region.h"

#include <math.h>

enum { kLinearMax = 32640, kRowEntries = 512 * 3 };

PackedDib *ComposeIz3d(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                       int lc, int lr)
{
    const unsigned short *T = cs.iz3dTable;
    if (!T)
        return nullptr;
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 2, &f))
        return nullptr;

    // Output gamma 1/2.2 of every linear value; the same every call, so it
    // is built once.
    static BYTE E[kLinearMax + 1];
    static bool built = false;
    if (!built) {
        for (int i = 0; i <= kLinearMax; i++)
            E[i] = (BYTE)(int)(pow(i * 3.0637254901960784e-05, 0.45454545454545453) * 255 + 0.5);
        built = true;
    }
    // The back panel of a pixel black in both eyes: the mean of the back
    // values of row 0, column 511.
    unsigned blackBack = ((unsigned)T[511 * 3 + 0] + T[511 * 3 + 1] + T[511 * 3 + 2]) / 3;

    const PairRegion &g = f.region;
    int lb = f.left.pixelBytes, rb = f.right.pixelBytes;
    for (int k = 0; k < g.height; k++) {
        BYTE *front = f.outBits + (size_t)k * f.outRowBytes;
        BYTE *back = front + (size_t)g.width * 3;
        const BYTE *l = f.left.Pixel(g.leftX, g.leftY + k);
        const BYTE *r = f.right.Pixel(g.rightX, g.rightY + k);
        for (int x = 0; x < g.width; x++, front += 3, back += 3, l += lb, r += rb) {
            unsigned fsum = 0, weighted = 0;
            for (int c = 0; c < 3; c++) {
                const unsigned short *row = T + (size_t)(255 - r[c]) * kRowEntries;
                unsigned fv = row[l[c] * 3 + c];
                unsigned bv = row[(256 + l[c]) * 3 + c];
                front[c] = E[fv];
                fsum += fv;
                weighted += fv * bv;
            }
            BYTE grey = E[fsum ? weighted / fsum : blackBack];
            back[0] = back[1] = back[2] = grey;
        }
    }
    EndPairKernel(&f);
    return out;
}
