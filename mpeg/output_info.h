// What the output stages need to know of the picture: sizes, the planes'
// row stride, where the 4:2:2 chroma of a row begins, the luma range and
// the colour matrix (16.16 fixed point).
#ifndef TWR_MPEG_OUTPUT_INFO_H
#define TWR_MPEG_OUTPUT_INFO_H

#include <stdint.h>

struct OutputInfo {
    int32_t width, height;
    int32_t stride;       // row stride of the decoded (or resized) planes
    int32_t pitch;        // bytes from one output row to the next, may be negative
    int32_t chromaOffset; // column of a row's 4:2:2 chroma in a chroma plane
    int32_t lumaOffset, lumaGain;
    int32_t coefUB, coefUG, coefVG, coefVR;
};

#endif
