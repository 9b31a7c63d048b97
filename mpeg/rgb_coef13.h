// The conversion factors of the processor RGB converters: the output
// information's 16-bit-fraction factors rounded to 13 fraction bits.
#ifndef TWR_MPEG_RGB_COEF13_H
#define TWR_MPEG_RGB_COEF13_H

#include "mpeg/video_headers.h"

#include <stdint.h>

struct Coef13 {
    int16_t off, gain, ub, ug, vg, vr;
    explicit Coef13(const OutputInfo *i)
        : off((int16_t)i->luma_offset), gain((int16_t)((i->luma_gain + 4) >> 3)), ub((int16_t)((i->u_to_b + 4) >> 3)),
          ug((int16_t)((i->u_to_g + 4) >> 3)), vg((int16_t)((i->v_to_g + 4) >> 3)), vr((int16_t)((i->v_to_r + 4) >> 3))
    {
    }
};

#endif
