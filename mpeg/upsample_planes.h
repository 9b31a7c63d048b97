// The plane loops of the processor chroma upsamplers, for any row blender
// B with B::Row<WA, WB, SHIFT>(a, b, out, n) giving (WA a + WB b) >> SHIFT.
#ifndef TWR_MPEG_UPSAMPLE_PLANES_H
#define TWR_MPEG_UPSAMPLE_PLANES_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace upsample_detail {

template <class B>
void UpsampleProgressivePlane(uint8_t *plane, int width, int height)
{
    int half = width / 2, h = height / 2;
    if (h < 1)
        return;
    uint8_t *o = plane + half;
    memcpy(o, plane, half);
    for (int m = 0; m + 1 < h; m++) {
        const uint8_t *a = plane + (size_t)m * width, *b = a + width;
        uint8_t *o1 = o + (size_t)(2 * m + 1) * width;
        B::template Row<3, 1, 2>(a, b, o1, half);
        B::template Row<1, 3, 2>(a, b, o1 + width, half);
    }
    if (2 * h - 1 < height)
        memcpy(o + (size_t)(height - 1) * width, plane + (size_t)(h - 1) * width, half);
}

template <class B>
void UpsampleInterlacedPlane(uint8_t *plane, int width, int height)
{
    int half = width / 2, h = height / 2;
    if (h < 2) {
        UpsampleProgressivePlane<B>(plane, width, height);
        return;
    }
    uint8_t *o = plane + half;
    const uint8_t *c = plane;
    memcpy(o, c, half);
    memcpy(o + width, c + width, half);
    int lastOut = 1;
    if (height > 4)
        for (int k = 0; k <= (height - 5) >> 2; k++) {
            const uint8_t *t0 = c + (size_t)2 * k * width, *b0 = t0 + width, *t1 = b0 + width, *b1 = t1 + width;
            uint8_t *o2 = o + (size_t)(4 * k + 2) * width;
            B::template Row<5, 3, 3>(t0, t1, o2, half);
            B::template Row<7, 1, 3>(b0, b1, o2 + width, half);
            B::template Row<1, 7, 3>(t0, t1, o2 + 2 * width, half);
            B::template Row<3, 5, 3>(b0, b1, o2 + 3 * width, half);
            lastOut = 4 * k + 5;
        }
    for (int n = lastOut + 1; n < height; n++)
        memcpy(o + (size_t)n * width, c + (size_t)(h - 2 + ((height - n) & 1 ? 1 : 0)) * width, half);
}

} // namespace upsample_detail

#endif
