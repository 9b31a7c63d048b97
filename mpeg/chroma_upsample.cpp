// Portable 4:2:0 to 4:2:2 chroma upsampling, rounded.
#include "mpeg/frame_output.h"

#include <string.h>

namespace {

// One output row from two input rows: (wa a + wb b + round) >> shift. The
// rows never overlap (input on the left half, output on the right half of
// the plane), which lets the compiler use vector instructions.
template <int WA, int WB, int SHIFT>
inline void Blend(const uint8_t *__restrict a, const uint8_t *__restrict b, uint8_t *__restrict o, int n)
{
    for (int x = 0; x < n; x++)
        o[x] = (uint8_t)((WA * a[x] + WB * b[x] + (1 << (SHIFT - 1))) >> SHIFT);
}

} // namespace

void UpsamplePlaneProgressive(uint8_t *plane, int width, int height)
{
    int half = width / 2, h = height / 2;
    if (h < 1)
        return;
    const uint8_t *c = plane;        // input row m at c + m * width
    uint8_t *o = plane + half;       // output row n at o + n * width
    memcpy(o, c, half);
    for (int m = 0; m + 1 < h; m++) {
        const uint8_t *a = c + m * width, *b = a + width;
        uint8_t *o1 = o + (2 * m + 1) * width, *o2 = o1 + width;
        Blend<3, 1, 2>(a, b, o1, half);
        Blend<1, 3, 2>(a, b, o2, half);
    }
    if (2 * h - 1 < height)
        memcpy(o + (height - 1) * width, c + (h - 1) * width, half);
}

void UpsamplePlaneInterlaced(uint8_t *plane, int width, int height)
{
    int half = width / 2, h = height / 2;
    if (h < 2) {
        UpsamplePlaneProgressive(plane, width, height);
        return;
    }
    const uint8_t *c = plane;
    uint8_t *o = plane + half;
    memcpy(o, c, half);
    memcpy(o + width, c + width, half);
    int lastOut = 1;
    if (height > 4)
        for (int k = 0; k <= (height - 5) >> 2; k++) {
            const uint8_t *t0 = c + 2 * k * width, *b0 = t0 + width, *t1 = b0 + width, *b1 = t1 + width;
            uint8_t *o2 = o + (4 * k + 2) * width, *o3 = o2 + width, *o4 = o3 + width, *o5 = o4 + width;
            Blend<5, 3, 3>(t0, t1, o2, half);
            Blend<7, 1, 3>(b0, b1, o3, half);
            Blend<1, 7, 3>(t0, t1, o4, half);
            Blend<3, 5, 3>(b0, b1, o5, half);
            lastOut = 4 * k + 5;
        }
    // The last two output rows copy the last two input rows; rows between
    // (a height that is not a multiple of 4) repeat them too.
    for (int n = lastOut + 1; n < height; n++)
        memcpy(o + n * width, c + (h - 2 + ((height - n) & 1 ? 1 : 0)) * width, half);
}

void UpsampleChromaProgressive(FrameBuffer *fb)
{
    UpsamplePlaneProgressive(fb->u, fb->width, fb->height);
    UpsamplePlaneProgressive(fb->v, fb->width, fb->height);
}

void UpsampleChromaInterlaced(FrameBuffer *fb)
{
    UpsamplePlaneInterlaced(fb->u, fb->width, fb->height);
    UpsamplePlaneInterlaced(fb->v, fb->width, fb->height);
}

void UpsampleChromaNone(FrameBuffer *) {}
