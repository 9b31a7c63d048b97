#include "pipeline/luma.h"

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
