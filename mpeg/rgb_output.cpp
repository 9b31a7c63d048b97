// Portable conversion of decoded pictures to 24-bit BGR rows.
#include "mpeg/frame_output.h"

#include <stddef.h>
#include <string.h>

#include <algorithm>

namespace {

inline uint8_t Sat(int v) { return (uint8_t)(v < 0 ? 0 : (v > 255 ? 255 : v)); }

template <bool k444>
void Convert(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    ConvertArea area = ConvertAreaOf(top, bottom, info, k444);
    const int off = info->luma_offset, gain = info->luma_gain;
    const int kub = info->u_to_b, kug = info->u_to_g, kvg = info->v_to_g, kvr = info->v_to_r;
    for (int r = 0; r < area.rows; r++) {
        const FrameBuffer *src = (r & 1) ? bottom : top;
        size_t row = (size_t)r * src->width;
        const uint8_t *py = src->y + row;
        const uint8_t *pu = src->u + row + area.chromaOffset, *pv = src->v + row + area.chromaOffset;
        uint8_t *o = out + (ptrdiff_t)r * info->pitch;
        for (int x = 0; x < area.cols; x++) {
            int c = k444 ? x : x >> 1;
            int y = (py[x] - off) * gain, u = pu[c] - 128, v = pv[c] - 128;
            o[3 * x + 0] = Sat((y + u * kub) >> 16);
            o[3 * x + 1] = Sat((y + u * kug + v * kvg) >> 16);
            o[3 * x + 2] = Sat((y + v * kvr) >> 16);
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
