#include "pipeline/pair_region.h"

#include <string.h>

// A paletted frame expanded to 24 bits through its colour table, as GDI
// would draw it at its own size.
static PackedDib *PromoteToDib24(const PackedDib *src)
{
    int bits = DibBitCount(src);
    int w = DibWidth(src), h = DibHeight(src);
    if (bits != 1 && bits != 4 && bits != 8)
        return nullptr;
    if (src->biCompression != BI_RGB || src->biSize < sizeof(BITMAPINFOHEADER))
        return nullptr;
    PackedDib *dst = CreateDib(w, h, 24, 0);
    if (!dst)
        return nullptr;
    const RGBQUAD *palette = (const RGBQUAD *)((const BYTE *)src + src->biSize);
    int entries = DibColourEntries(src);
    const BYTE *srcBits = FindDibBits(src);
    int srcRow = DibRowBytes(w, bits);
    int mask = (1 << bits) - 1;
    for (int y = 0; y < h; y++) {
        const BYTE *s = srcBits + (size_t)y * srcRow;
        BYTE *d = DibRow(dst, y);
        for (int x = 0; x < w; x++) {
            int bitPos = x * bits;
            int index = (s[bitPos >> 3] >> (8 - bits - (bitPos & 7))) & mask;
            if (index < entries) {
                d[0] = palette[index].rgbBlue;
                d[1] = palette[index].rgbGreen;
                d[2] = palette[index].rgbRed;
            } else {
                d[0] = d[1] = d[2] = 0;
            }
            d += 3;
        }
    }
    return dst;
}

bool OpenFrameView(PackedDib *dib, FrameView *view)
{
    memset(view, 0, sizeof(*view));
    if (!dib)
        return false;
    int bits = DibBitCount(dib);
    if (bits <= 15) {
        view->promoted = PromoteToDib24(dib);
        if (!view->promoted)
            return false;
        dib = view->promoted;
        bits = 24;
    }
    if (bits != 24 && bits != 32)
        return false;
    view->bits = FindDibBits(dib);
    view->width = DibWidth(dib);
    view->height = DibHeight(dib);
    if (view->width <= 0 || view->height <= 0) {
        ReleaseFrameView(view);
        return false;
    }
    view->rowBytes = DibRowBytes(view->width, bits);
    view->pixelBytes = bits / 8;
    return true;
}

void ReleaseFrameView(FrameView *view)
{
    if (view->promoted)
        FreeDib(view->promoted);
    view->promoted = nullptr;
}

static int Max0(int v) { return v > 0 ? v : 0; }
static int Min(int a, int b) { return a < b ? a : b; }

PairRegion ResolvePairRegion(const FrameView &left, const FrameView &right, int rc, int rr, int lc, int lr,
                             const RECT *trim, int outWidth, int outHeight)
{
    return ResolvePairRegionForSizes(left.width, left.height, right.width, right.height, rc, rr, lc, lr, trim, outWidth,
                                     outHeight);
}

PairRegion ResolvePairRegionForSizes(int lw, int lh, int rw, int rh, int rc, int rr, int lc, int lr, const RECT *trim,
                                     int outWidth, int outHeight)
{
    PairRegion r;
    // Sizes come from the left frame; the right one is expected to match.
    int W = lw, H = lh;
    if (trim) {
        r.width = trim->right - trim->left;
        r.height = trim->bottom - trim->top;
        r.leftX = lc + trim->left;
        r.rightX = rc + trim->left;
        r.leftY = Max0(H - trim->bottom - rr);
        r.rightY = Max0(H - trim->bottom - lr);
    } else {
        r.width = W - lc - rc;
        r.height = H - lr - rr;
        r.leftX = lc;
        r.leftY = lr;
        r.rightX = rc;
        r.rightY = rr;
    }
    // Origins outside the frames, or a region reaching past them, are cut
    // back to what both frames hold.
    r.leftX = Max0(r.leftX);
    r.leftY = Max0(r.leftY);
    r.rightX = Max0(r.rightX);
    r.rightY = Max0(r.rightY);
    r.width = Min(r.width, Min(lw - r.leftX, rw - r.rightX));
    r.height = Min(r.height, Min(lh - r.leftY, rh - r.rightY));
    if (outWidth >= 0)
        r.width = Min(r.width, outWidth);
    if (outHeight >= 0)
        r.height = Min(r.height, outHeight);
    r.width = Max0(r.width);
    r.height = Max0(r.height);
    return r;
}

bool BeginPairKernel(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                     const RECT *trim, int outWidthFactor, PairKernelFrames *f)
{
    memset(f, 0, sizeof(*f));
    if (!out || !left || !right || DibBitCount(out) != 24)
        return false;
    if (!OpenFrameView(left, &f->left))
        return false;
    if (!OpenFrameView(right, &f->right)) {
        ReleaseFrameView(&f->left);
        return false;
    }
    int outWidth = DibWidth(out);
    int outHeight = DibHeight(out);
    f->outBits = FindDibBits(out);
    f->outRowBytes = DibRowBytes(outWidth, 24);
    f->region = ResolvePairRegion(f->left, f->right, rc, rr, lc, lr, trim, outWidth / outWidthFactor, outHeight);
    return true;
}

void EndPairKernel(PairKernelFrames *f)
{
    ReleaseFrameView(&f->left);
    ReleaseFrameView(&f->right);
}
