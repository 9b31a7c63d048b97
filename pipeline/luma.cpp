#include "pipeline/luma.h"

#include <string.h>

namespace {

struct LumaDrops {
    unsigned char drop[65536];
    LumaDrops()
    {
        for (int b = 0; b < 256; b++)
            for (int g = 0; g < 256; g++) {
                // r = -(114 b + 587 g) / 299 modulo 1000; 699 x 299 = 1 (mod 1000).
                unsigned r = (1000 - (114u * b + 587u * g) % 1000) % 1000 * 699u % 1000;
                drop[b * 256 + g] = r < 256 && PixelLuma(b, g, (int)r) != (int)((114u * b + 587u * g + 299u * r) / 1000);
            }
    }
};

}  // namespace

const unsigned char *LumaDropTable()
{
    static const LumaDrops table;
    return table.drop;
}

void RowLumaPortable(const unsigned char *src, int width, int pixelBytes, unsigned char *out)
{
    for (int x = 0; x < width; x++, src += pixelBytes)
        out[x] = (unsigned char)FastPixelLuma(src);
}

void RowLuma(const unsigned char *src, int width, int pixelBytes, unsigned char *out)
{
#if defined(__SSE2__)
    if (pixelBytes == 3) {
        RowLumaSse2(src, width, out);
        return;
    }
#endif
    RowLumaPortable(src, width, pixelBytes, out);
}

void RowFastGreyPortable(const unsigned char *src, int width, int pixelBytes, unsigned char *out)
{
    for (int x = 0; x < width; x++, src += pixelBytes)
        out[x] = (unsigned char)PixelFastGrey(src[1], src[2]);
}

void RowFastGrey(const unsigned char *src, int width, int pixelBytes, unsigned char *out)
{
#if defined(__SSE2__)
    if (pixelBytes == 3) {
        RowFastGreySse2(src, width, out);
        return;
    }
#endif
    RowFastGreyPortable(src, width, pixelBytes, out);
}

namespace {

// One output pixel as a little-endian word: blue, green, red, and a fourth
// byte that the next pixel's word overwrites.
template <int Layout>
inline unsigned GreyPixelWord(unsigned l, unsigned r)
{
    switch (Layout) {
    case 1: return (r << 8) | (l << 16);
    case 2: return r | (l << 16);
    case 3: return l | (r << 8) | (r << 16);
    default: return r | (r << 8) | (l << 16);
    }
}

template <int Layout>
void GreyRowAs(unsigned char *o, const unsigned char *gl, const unsigned char *gr, int width)
{
    int x = 0;
    for (; x + 1 < width; x++, o += 3) {
        unsigned w = GreyPixelWord<Layout>(gl[x], gr[x]);
        memcpy(o, &w, 4);
    }
    if (x < width) {
        unsigned w = GreyPixelWord<Layout>(gl[x], gr[x]);
        o[0] = (unsigned char)w, o[1] = (unsigned char)(w >> 8), o[2] = (unsigned char)(w >> 16);
    }
}

}  // namespace

void GreyRowPortable(unsigned char *out, const unsigned char *gl, const unsigned char *gr, int width, int layout)
{
    switch (layout) {
    case 1: GreyRowAs<1>(out, gl, gr, width); break;
    case 2: GreyRowAs<2>(out, gl, gr, width); break;
    case 3: GreyRowAs<3>(out, gl, gr, width); break;
    default: GreyRowAs<0>(out, gl, gr, width); break;
    }
}

void GreyRow(unsigned char *out, const unsigned char *gl, const unsigned char *gr, int width, int layout)
{
#if defined(__SSE2__)
    GreyRowSse2(out, gl, gr, width, layout);
#else
    GreyRowPortable(out, gl, gr, width, layout);
#endif
}

void BlendBytesPortable(unsigned char *out, const unsigned char *a, const unsigned char *b, int n)
{
    for (int i = 0; i < n; i++)
        out[i] = (unsigned char)((a[i] >> 1) + (b[i] >> 1));
}

void BlendBytes(unsigned char *out, const unsigned char *a, const unsigned char *b, int n)
{
#if defined(__SSE2__)
    BlendBytesSse2(out, a, b, n);
#else
    BlendBytesPortable(out, a, b, n);
#endif
}
