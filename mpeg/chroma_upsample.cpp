// Portable 4:2:0 to 4:2:2 chroma upsampling, rounded.
#include "mpeg/frame_output.h"

#include <string.h>

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
        for (int x = 0; x < half; x++) {
            o1[x] = (uint8_t)((3 * a[x] + b[x] + 2) >> 2);
            o2[x] = (uint8_t)((a[x] + 3 * b[x] + 2) >> 2);
        }
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
            for (int x = 0; x < half; x++) {
                o2[x] = (uint8_t)((5 * t0[x] + 3 * t1[x] + 4) >> 3);
                o3[x] = (uint8_t)((7 * b0[x] + b1[x] + 4) >> 3);
                o4[x] = (uint8_t)((t0[x] + 7 * t1[x] + 4) >> 3);
                o5[x] = (uint8_t)((3 * b0[x] + 5 * b1[x] + 4) >> 3);
            }
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
