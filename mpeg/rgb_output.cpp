// Portable conversion of decoded pictures to 24-bit BGR rows.
#include "mpeg/frame_output.h"

#include <stddef.h>
#include <string.h>

#include <stdint.h>

#include <algorithm>

namespace {

inline uint8_t Sat(int v) { return (uint8_t)(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Every term of the conversion is a function of one sample value: tables
// of the four products for the 256 values leave additions per pixel (the
// same integers as multiplying each time).
struct ConvertTables {
    int32_t y[256], ub[256], ugvg[2][256], vr[256];
    explicit ConvertTables(const OutputInfo *info)
    {
        for (int i = 0; i < 256; i++) {
            y[i] = (i - info->luma_offset) * info->luma_gain;
            ub[i] = (i - 128) * info->u_to_b;
            ugvg[0][i] = (i - 128) * info->u_to_g;
            ugvg[1][i] = (i - 128) * info->v_to_g;
            vr[i] = (i - 128) * info->v_to_r;
        }
    }
};

// Saturation through a table of the sums -384 to 639 (every sum the
// colour matrices of the headers can give; checked per conversion).
struct ClipTable {
    uint8_t v[1024];
    ClipTable()
    {
        for (int i = 0; i < 1024; i++)
            v[i] = Sat(i - 384);
    }
};
const ClipTable g_clip;

// The same saturation with the byte already at its place in a pixel word
// (B in bits 0-7, G in 8-15, R in 16-23): a pixel is three loads and two
// ORs, stored as one 32-bit word whose top byte the next pixel overwrites.
struct PixelClipTables {
    uint32_t b[1024], g[1024], r[1024];
    PixelClipTables()
    {
        for (int i = 0; i < 1024; i++) {
            b[i] = Sat(i - 384);
            g[i] = b[i] << 8;
            r[i] = b[i] << 16;
        }
    }
};
const PixelClipTables g_pixelClip;

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const bool kPixelWords = true;
#else
const bool kPixelWords = false;
#endif

// Whether every sum of the tables lands inside the clip table.
bool SumsFitClipTable(const ConvertTables &t)
{
    auto range = [](const int32_t *a, int n, int64_t *lo, int64_t *hi) {
        *lo = *hi = a[0];
        for (int i = 1; i < n; i++) {
            *lo = std::min<int64_t>(*lo, a[i]);
            *hi = std::max<int64_t>(*hi, a[i]);
        }
    };
    int64_t ylo, yhi, lo, hi, lo2, hi2;
    range(t.y, 256, &ylo, &yhi);
    auto fits = [&](int64_t clo, int64_t chi) {
        return ((ylo + clo) >> 16) >= -384 && ((yhi + chi) >> 16) <= 639 && ylo + clo >= INT32_MIN &&
               yhi + chi <= INT32_MAX;
    };
    range(t.ub, 256, &lo, &hi);
    if (!fits(lo, hi))
        return false;
    range(t.vr, 256, &lo, &hi);
    if (!fits(lo, hi))
        return false;
    range(t.ugvg[0], 256, &lo, &hi);
    range(t.ugvg[1], 256, &lo2, &hi2);
    return fits(lo + lo2, hi + hi2);
}

template <bool k444>
void Convert(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    ConvertArea area = ConvertAreaOf(top, bottom, info, k444);
    const ConvertTables t(info);
    const bool clip = SumsFitClipTable(t);
    for (int r = 0; r < area.rows; r++) {
        const FrameBuffer *src = (r & 1) ? bottom : top;
        size_t row = (size_t)r * src->width;
        const uint8_t *py = src->y + row;
        const uint8_t *pu = src->u + row + area.chromaOffset, *pv = src->v + row + area.chromaOffset;
        uint8_t *o = out + (ptrdiff_t)r * info->pitch;
        if (k444) {
            for (int x = 0; x < area.cols; x++, o += 3) {
                int y = t.y[py[x]], u = pu[x], v = pv[x];
                o[0] = Sat((y + t.ub[u]) >> 16);
                o[1] = Sat((y + t.ugvg[0][u] + t.ugvg[1][v]) >> 16);
                o[2] = Sat((y + t.vr[v]) >> 16);
            }
            continue;
        }
        // Pairs of pixels share their chroma terms.
        int x = 0;
        if (clip && kPixelWords) {
            const uint32_t *cb = g_pixelClip.b + 384, *cg = g_pixelClip.g + 384, *cr = g_pixelClip.r + 384;
            // Up to the row's last pixel, whose word would pass the row's end.
            for (; x + 2 < area.cols; x += 2, o += 6) {
                int u = pu[x >> 1], v = pv[x >> 1];
                int b = t.ub[u], g = t.ugvg[0][u] + t.ugvg[1][v], r = t.vr[v];
                int y0 = t.y[py[x]], y1 = t.y[py[x + 1]];
                uint32_t p0 = cb[(y0 + b) >> 16] | cg[(y0 + g) >> 16] | cr[(y0 + r) >> 16];
                uint32_t p1 = cb[(y1 + b) >> 16] | cg[(y1 + g) >> 16] | cr[(y1 + r) >> 16];
                memcpy(o, &p0, 4);
                memcpy(o + 3, &p1, 4);
            }
        }
        if (clip) {
            const uint8_t *c = g_clip.v + 384;
            for (; x + 1 < area.cols; x += 2, o += 6) {
                int u = pu[x >> 1], v = pv[x >> 1];
                int cb = t.ub[u], cg = t.ugvg[0][u] + t.ugvg[1][v], cr = t.vr[v];
                int y0 = t.y[py[x]], y1 = t.y[py[x + 1]];
                o[0] = c[(y0 + cb) >> 16];
                o[1] = c[(y0 + cg) >> 16];
                o[2] = c[(y0 + cr) >> 16];
                o[3] = c[(y1 + cb) >> 16];
                o[4] = c[(y1 + cg) >> 16];
                o[5] = c[(y1 + cr) >> 16];
            }
        }
        for (; x + 1 < area.cols; x += 2, o += 6) {
            int u = pu[x >> 1], v = pv[x >> 1];
            int cb = t.ub[u], cg = t.ugvg[0][u] + t.ugvg[1][v], cr = t.vr[v];
            int y0 = t.y[py[x]], y1 = t.y[py[x + 1]];
            o[0] = Sat((y0 + cb) >> 16);
            o[1] = Sat((y0 + cg) >> 16);
            o[2] = Sat((y0 + cr) >> 16);
            o[3] = Sat((y1 + cb) >> 16);
            o[4] = Sat((y1 + cg) >> 16);
            o[5] = Sat((y1 + cr) >> 16);
        }
        if (x < area.cols) {
            int u = pu[x >> 1], v = pv[x >> 1], y = t.y[py[x]];
            o[0] = Sat((y + t.ub[u]) >> 16);
            o[1] = Sat((y + t.ugvg[0][u] + t.ugvg[1][v]) >> 16);
            o[2] = Sat((y + t.vr[v]) >> 16);
        }
    }
    FillOutsideArea(out, info, area);
}

} // namespace

ConvertArea ConvertAreaOf(const FrameBuffer *top, const FrameBuffer *bottom, const OutputInfo *info, bool chroma444)
{
    ConvertArea a;
    int w = std::min(top->width, bottom->width);
    a.rows = std::max(0, std::min({info->height, top->height, bottom->height}));
    a.cols = std::max(0, std::min(info->width, w));
    if (chroma444)
        a.chromaOffset = 0;
    else
        a.chromaOffset = std::max(0, std::min(info->chroma_offset, w - (a.cols + 1) / 2));
    return a;
}

void FillOutsideArea(uint8_t *out, const OutputInfo *info, const ConvertArea &area)
{
    for (int r = 0; r < info->height; r++) {
        uint8_t *o = out + (ptrdiff_t)r * info->pitch;
        int from = r < area.rows ? area.cols : 0;
        if (from < info->width)
            memset(o + 3 * from, 0, 3 * (size_t)(info->width - from));
    }
}

void ConvertRgb24From422(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    Convert<false>(top, bottom, out, info);
}

void ConvertRgb24From444(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    Convert<true>(top, bottom, out, info);
}
