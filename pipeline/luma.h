// Luma of a 24-bit pixel as the anaglyphs use it: trunc((0.114 B +
// 0.587 G) + 0.299 R) in double precision, computed in integers wherever
// that is certainly equal. The exact value is s / 1000 with
// s = 114 B + 587 G + 299 R, and the double evaluation errs by far less
// than 0.001, so only sums that are whole multiples of 1000 can truncate
// differently and take the double path.
#ifndef TWR_PIPELINE_LUMA_H
#define TWR_PIPELINE_LUMA_H

#include "pipeline/compose.h"

inline int FastPixelLuma(const unsigned char *bgr)
{
    unsigned s = 114u * bgr[0] + 587u * bgr[1] + 299u * bgr[2];
    unsigned q = s / 1000;
    if (s == q * 1000)
        return PixelLuma(bgr[0], bgr[1], bgr[2]);
    return (int)q;
}

#endif
