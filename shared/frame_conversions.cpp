#include "shared/frame_conversions.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Three tables of packed 10-bit fields (blue bits 0-9, green 10-19, red
// from 20) whose sums give each channel offset by the value of black, and
// one clamping table read at those offsets.
struct Yuy2Tables {
    DWORD y[256], u[256], v[256];
    BYTE clamp[1024 + 320];  // clamp[i] = i - 320 limited to 0..255

    Yuy2Tables()
    {
        auto round = [](double x) { return (int)floor(x + 0.5); };
        auto pack = [](int b, int g, int r) { return (DWORD)b | ((DWORD)g << 10) | ((DWORD)r << 20); };
        for (int i = 0; i < 256; i++) {
            int yy = round(1.164 * (i - 16)) + 20;
            y[i] = pack(yy, yy, yy);
            u[i] = pack(round(2.018 * (i - 128)) + 288, round(-0.391 * (i - 128)) + 56, 0);
            v[i] = pack(0, round(-0.813 * (i - 128)) + 128, round(1.596 * (i - 128)) + 224);
        }
        for (int i = 0; i < (int)sizeof clamp; i++) {
            int c = i - 320;
            clamp[i] = (BYTE)(c < 0 ? 0 : c > 255 ? 255 : c);
        }
    }
};

const Yuy2Tables &Tables()
{
    static const Yuy2Tables tables;
    return tables;
}

// Black's field values are 308 (blue), 204 (green), 244 (red).
inline void PutPixel(BYTE *d, DWORD s, const BYTE *clamp)
{
    d[0] = clamp[(s & 0x3FF) + 320 - 308];
    d[1] = clamp[((s >> 10) & 0x3FF) + 320 - 204];
    d[2] = clamp[(s >> 20) + 320 - 244];
}

}  // namespace

void Yuy2ToRgb24(BYTE *dst, const BYTE *src, int pairs, int rows, int dstSkip, int srcSkip)
{
    const Yuy2Tables &t = Tables();
    for (int r = 0; r < rows; r++) {
        for (int i = 0; i < pairs; i++) {
            DWORD chroma = t.u[src[1]] + t.v[src[3]];
            PutPixel(dst, t.y[src[0]] + chroma, t.clamp);
            PutPixel(dst + 3, t.y[src[2]] + chroma, t.clamp);
            src += 4;
            dst += 6;
        }
        dst += dstSkip;
        src += srcSkip;
    }
}

bool ConvertFrameTo24Direct(PackedDib *target, const PackedDib *source)
{
    if (!target || !source || source->biSize < sizeof(BITMAPINFOHEADER) || DibBitCount(target) != 24)
        return false;
    int w = source->biWidth;
    int h = source->biHeight;
    bool topDown = h < 0;
    if (topDown)
        h = -h;
    if (w <= 0 || h <= 0 || w > kDibMaxSide || h > kDibMaxSide)
        return false;
    int bits = source->biBitCount;
    DWORD compression = source->biCompression;
    bool yuy2 = compression == kFourccYuy2 && bits == 16;
    bool rgb = compression == BI_RGB && (bits == 24 || bits == 32);
    if (!yuy2 && !rgb)
        return false;
    int outRow = DibRowBytes(w, 24);
    if ((uint64_t)outRow * h > target->biSizeImage)
        return false;

    target->biWidth = w;
    target->biHeight = h;
    target->biSizeImage = (DWORD)(outRow * h);
    const BYTE *in = (const BYTE *)source + source->biSize;
    BYTE *out = FindDibBits(target);
    if (yuy2) {
        // YUY2 rows are stored top-down, without padding.
        int inRow = 2 * w;
        for (int row = 0; row < h; row++)
            Yuy2ToRgb24(out + (size_t)row * outRow, in + (size_t)(h - 1 - row) * inRow, w / 2, 1, 0, 0);
        return true;
    }
    int inRow = DibRowBytes(w, bits);
    int step = bits / 8;
    for (int row = 0; row < h; row++) {
        const BYTE *s = in + (size_t)(topDown ? h - 1 - row : row) * inRow;
        BYTE *d = out + (size_t)row * outRow;
        if (step == 3) {
            memcpy(d, s, (size_t)outRow);
        } else {
            for (int x = 0; x < w; x++, s += 4, d += 3)
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
            for (int pad = w * 3; pad < outRow; pad++)
                *d++ = 0;
        }
    }
    return true;
}

#ifndef _WIN32
// Without GDI only the direct conversions exist.
bool ConvertFrameTo24(PackedDib *target, const PackedDib *source)
{
    return ConvertFrameTo24Direct(target, source);
}
#endif

int DeinterlaceFields(PackedDib *frame, int bitCount)
{
    if (!frame || (bitCount != 24 && bitCount != 32))
        return 0;
    int w = DibWidth(frame);
    int h = abs(DibHeight(frame));
    int rowBytes = DibRowBytes(w, bitCount);
    int step = bitCount / 8;
    BYTE *bits = FindDibBits(frame);
    int changed = 0;
    for (int k = 1; k <= h / 2 - 1; k++) {
        BYTE *row = bits + (size_t)(2 * k) * rowBytes;
        const BYTE *below = row - rowBytes, *above = row + rowBytes;
        for (int x = 0; x < w; x++) {
            int o = x * step;
            row[o] = (BYTE)((below[o] + above[o]) / 2);
            row[o + 1] = (BYTE)((below[o + 1] + above[o + 1]) / 2);
            row[o + 2] = (BYTE)((below[o + 2] + above[o + 2]) / 2);
        }
        changed++;
    }
    return changed;
}

CropRegion EyeCropRegion(int frameWidth, int frameHeight, const int *margins, const RECT *trim, int flag,
                         bool clampRowOrigin)
{
    int x = flag ? margins[0] : margins[2];
    int y = flag ? margins[1] : margins[3];
    int otherX = flag ? margins[2] : margins[0];
    int otherY = flag ? margins[3] : margins[1];
    CropRegion r;
    if (trim) {
        r.x = x + trim->left;
        r.y = frameHeight - trim->bottom - otherY;
        if (clampRowOrigin && r.y < 0)
            r.y = 0;
        r.width = trim->right - trim->left;
        r.height = trim->bottom - trim->top;
    } else {
        r.x = x;
        r.y = y;
        r.width = frameWidth - x - otherX;
        r.height = frameHeight - y - otherY;
    }
    return r;
}

static bool RegionInside(const PackedDib *frame, CropRegion r)
{
    return frame && DibBitCount(frame) == 24 && r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 &&
           r.x + r.width <= DibWidth(frame) && r.y + r.height <= DibHeight(frame);
}

namespace {

// The source pixels a target pixel covers along one direction and their
// weights in 1/8192 of the target pixel, summing to 8192 exactly.
struct AreaTaps {
    int *first;   // first source pixel of each target pixel
    int *count;   // number of source pixels
    int *weight;  // weights, target after target
    int *offset;  // start of each target's weights in weight[]

    bool Build(int source, int target)
    {
        first = (int *)malloc(sizeof(int) * (size_t)target);
        count = (int *)malloc(sizeof(int) * (size_t)target);
        offset = (int *)malloc(sizeof(int) * (size_t)target);
        // A target pixel spans source/target + 1 source pixels at most, plus
        // one for the partial pixel at each end.
        weight = (int *)malloc(sizeof(int) * ((size_t)source + 2 * (size_t)target));
        if (!first || !count || !offset || !weight)
            return false;
        int used = 0;
        for (int i = 0; i < target; i++) {
            // In units of 1/target source pixel, target i covers
            // [i * source, (i + 1) * source).
            int64_t lo = (int64_t)i * source, hi = lo + source;
            int x0 = (int)(lo / target), x1 = (int)((hi - 1) / target);
            first[i] = x0;
            count[i] = x1 - x0 + 1;
            offset[i] = used;
            int64_t previous = 0;
            for (int x = x0; x <= x1; x++) {
                int64_t end = (int64_t)(x + 1) * target;
                if (end > hi)
                    end = hi;
                int64_t cumulative = (end - lo) * 8192 / source;
                weight[used++] = (int)(cumulative - previous);
                previous = cumulative;
            }
        }
        return true;
    }

    void Free()
    {
        free(first);
        free(count);
        free(offset);
        free(weight);
    }
};

}  // namespace

PackedDib *ReduceDib24ByArea(const PackedDib *frame, int width, int height, CropRegion region)
{
    if (!RegionInside(frame, region) || width <= 0 || height <= 0 || width > region.width || height > region.height)
        return nullptr;
    PackedDib *out = CreateDib(width, height, 24, 0);
    if (!out)
        return nullptr;
    AreaTaps tx = {}, ty = {};
    int *line = (int *)malloc(sizeof(int) * 3 * (size_t)width);  // a source row reduced across
    int *sum = (int *)malloc(sizeof(int) * 3 * (size_t)width);
    if (!tx.Build(region.width, width) || !ty.Build(region.height, height) || !line || !sum) {
        tx.Free();
        ty.Free();
        free(line);
        free(sum);
        FreeDib(out);
        return nullptr;
    }
    int inRow = DibRowBytes(DibWidth(frame), 24);
    const BYTE *in = FindDibBits(frame) + (size_t)region.y * inRow + (size_t)region.x * 3;
    for (int j = 0; j < height; j++) {
        memset(sum, 0, sizeof(int) * 3 * (size_t)width);
        const int *wy = ty.weight + ty.offset[j];
        for (int k = 0; k < ty.count[j]; k++) {
            const BYTE *src = in + (size_t)(ty.first[j] + k) * inRow;
            for (int i = 0; i < width; i++) {
                const int *wx = tx.weight + tx.offset[i];
                const BYTE *p = src + (size_t)tx.first[i] * 3;
                int b = 0, g = 0, r = 0;
                for (int m = 0; m < tx.count[i]; m++, p += 3) {
                    b += wx[m] * p[0];
                    g += wx[m] * p[1];
                    r += wx[m] * p[2];
                }
                line[3 * i] = b >> 13;
                line[3 * i + 1] = g >> 13;
                line[3 * i + 2] = r >> 13;
            }
            for (int i = 0; i < 3 * width; i++)
                sum[i] += wy[k] * line[i];
        }
        BYTE *d = DibRow(out, j);
        for (int i = 0; i < 3 * width; i++)
            d[i] = (BYTE)(sum[i] >> 13);
        for (int pad = 3 * width; pad < DibRowBytes(width, 24); pad++)
            d[pad] = 0;
    }
    tx.Free();
    ty.Free();
    free(line);
    free(sum);
    return out;
}

PackedDib *ResampleRegion24(const PackedDib *frame, int width, int height, CropRegion region)
{
    if (!RegionInside(frame, region) || width <= 0 || height <= 0)
        return nullptr;
    PackedDib *out = CreateDib(width, height, 24, 1);
    if (!out)
        return nullptr;
    // t[a][w] = a x w / 255, the product table of the interpolation.
    BYTE *t = (BYTE *)malloc(256 * 256);
    if (!t) {
        FreeDib(out);
        return nullptr;
    }
    for (int a = 0; a < 256; a++)
        for (int w = 0; w < 256; w++)
            t[a * 256 + w] = (BYTE)(a * w / 255);
    int W = DibWidth(frame), H = DibHeight(frame);
    int inRow = DibRowBytes(W, 24);
    const BYTE *in = FindDibBits(frame);
    int64_t stepX = (int64_t)region.width * 16384 / width;
    int64_t stepY = (int64_t)region.height * 16384 / height;
    for (int j = 0; j < height; j++) {
        int64_t py = (int64_t)region.y * 16384 + j * stepY;
        int sy = (int)(py >> 14);
        int fy = (int)((py & 16383) >> 6);
        // The region's last row and column have no neighbour beyond: they
        // repeat their own.
        int sy1 = sy + 1 < H ? sy + 1 : sy;
        if (sy1 == sy)
            fy = 0;
        const BYTE *r0 = in + (size_t)sy * inRow, *r1 = in + (size_t)sy1 * inRow;
        BYTE *d = DibRow(out, j);
        for (int i = 0; i < width; i++) {
            int64_t px = (int64_t)region.x * 16384 + i * stepX;
            int sx = (int)(px >> 14);
            int fx = (int)((px & 16383) >> 6);
            int sx1 = sx + 1 < W ? sx + 1 : sx;
            if (sx1 == sx)
                fx = 0;
            for (int c = 0; c < 3; c++) {
                int h0 = t[r0[sx * 3 + c] * 256 + (255 - fx)] + t[r0[sx1 * 3 + c] * 256 + fx];
                int h1 = t[r1[sx * 3 + c] * 256 + (255 - fx)] + t[r1[sx1 * 3 + c] * 256 + fx];
                d[i * 3 + c] = (BYTE)(t[h0 * 256 + (255 - fy)] + t[h1 * 256 + fy]);
            }
        }
    }
    free(t);
    return out;
}

PackedDib *ResampleDib24(const PackedDib *frame, int width, int height, const int *margins, const RECT *trim,
                         int flag)
{
    if (!frame)
        return nullptr;
    CropRegion r = EyeCropRegion(DibWidth(frame), DibHeight(frame), margins, trim, flag, true);
    return ResampleRegion24(frame, width, height, r);
}
