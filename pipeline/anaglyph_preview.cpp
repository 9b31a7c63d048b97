#include "pipeline/anaglyph_preview.h"

#include "pipeline/compose.h"

#include <stdint.h>

namespace {

// The right eye's luma is summed red first here, which truncates
// differently from PixelLuma for a few colours.
inline int RightLuma(const BYTE *p)
{
    return (int)((0.299 * p[2] + 0.587 * p[1]) + 0.114 * p[0]);
}

struct EyeValues {
    int r, g, b;         // output channels before the view's switches
    int leftDensity, rightDensity;
};

// One pixel of the type's picture; tl and tr are the eyes' gamma tables.
EyeValues PreviewPixel(int type, const BYTE *l, const BYTE *r, const int *tl, const int *tr)
{
    EyeValues v;
    switch (type) {
    case 0:
    case 1:
    case 2: {
        int right = tr[RightLuma(r)];
        v = {tl[PixelLuma(l[0], l[1], l[2])], right, right, 0, right};
        v.leftDensity = v.r;
        break;
    }
    case 3:
    case 4:
        v.r = type == 3 ? tl[l[2]] : tl[PixelLuma(l[0], l[1], l[2])];
        v.g = tr[r[1]];
        v.b = tr[r[0]];
        v.leftDensity = v.r;
        v.rightDensity = tr[(int)(0.837 * r[1] + 0.163 * r[0])];
        break;
    case 5: {
        int right = tr[RightLuma(r)];
        v = {right, right, tl[PixelLuma(l[0], l[1], l[2])], 0, right};
        v.leftDensity = v.b;
        break;
    }
    default:  // 6, 7
        v.r = tr[r[2]];
        v.g = tr[r[1]];
        v.b = type == 6 ? tl[l[0]] : tl[PixelLuma(l[0], l[1], l[2])];
        v.leftDensity = v.b;
        v.rightDensity = tr[(int)(0.667 * r[1] + 0.333 * r[2])];
        break;
    }
    return v;
}

PackedDib *ComposePreview(const PackedDib *left, int gammaLeft, int *meanLeft, const PackedDib *right,
                          int gammaRight, int *meanRight, int type, int view)
{
    if (!left || !right || type < 0 || type >= kAnaglyphDialogTypes)
        return nullptr;
    int lb = DibBitCount(left), rb = DibBitCount(right);
    if ((lb != 24 && lb != 32) || (rb != 24 && rb != 32))
        return nullptr;
    int w = DibWidth(left), h = DibHeight(left);
    if (DibWidth(right) < w || DibHeight(right) < h)
        return nullptr;
    PackedDib *out = CreateDib(w, h, 24, 0);
    if (!out)
        return nullptr;

    int tl[256], tr[256];
    BuildAnaglyphGammaTable(gammaLeft, tl);
    BuildAnaglyphGammaTable(gammaRight, tr);

    // Which output channels each eye feeds: red for the left eye of the
    // red types, blue for the left eye of the yellow-blue ones.
    bool leftOn = view != kPreviewRightOnly, rightOn = view != kPreviewLeftOnly;
    bool yellowBlue = type >= 5;
    bool onR = yellowBlue ? rightOn : leftOn;
    bool onG = rightOn && type != 2;
    bool onB = yellowBlue ? leftOn : rightOn && type != 1;

    int lp = lb / 8, rp = rb / 8;
    int64_t sumLeft = 0, sumRight = 0;
    for (int k = 0; k < h; k++) {
        const BYTE *l = DibRow(left, k), *r = DibRow(right, k);
        BYTE *o = DibRow(out, k);
        for (int x = 0; x < w; x++, l += lp, r += rp, o += 3) {
            EyeValues v = PreviewPixel(type, l, r, tl, tr);
            o[0] = onB ? (BYTE)v.b : 0;
            o[1] = onG ? (BYTE)v.g : 0;
            o[2] = onR ? (BYTE)v.r : 0;
            sumLeft += v.leftDensity;
            sumRight += v.rightDensity;
        }
    }
    int64_t pixels = (int64_t)w * h;
    if (meanLeft)
        *meanLeft = (int)(sumLeft / pixels);
    if (meanRight)
        *meanRight = (int)(sumRight / pixels);
    return out;
}

}  // namespace

PackedDib *ComposeAnaglyphPreview(const PackedDib *left, int gammaLeft, int *meanLeft, const PackedDib *right,
                                  int gammaRight, int *meanRight, int type, int view)
{
    if (type >= 5)
        return ComposeAnaglyphPreviewYellowBlue(left, gammaLeft, meanLeft, right, gammaRight, meanRight, type, view);
    return ComposePreview(left, gammaLeft, meanLeft, right, gammaRight, meanRight, type, view);
}

PackedDib *ComposeAnaglyphPreviewYellowBlue(const PackedDib *left, int gammaLeft, int *meanLeft,
                                            const PackedDib *right, int gammaRight, int *meanRight, int type,
                                            int view)
{
    if (type < 5)
        return nullptr;
    return ComposePreview(left, gammaLeft, meanLeft, right, gammaRight, meanRight, type, view);
}
