// The output resizer: horizontal Lanczos-3 resampling to the width that
// gives square pixels (or a width fixed earlier), and the crop to the
// sequence's display size. Rows are never interpolated.
#ifndef TWR_MPEG_RESIZER_H
#define TWR_MPEG_RESIZER_H

#include "mpeg/frame_buffer.h"
#include "mpeg/video_headers.h"

#include <stdint.h>

struct ResizePlane {
    int32_t rows;
    int32_t outWidth;
    int32_t srcPitch;
    int32_t srcOffset;
    int32_t outPitch;
    int32_t outOffset;
    int32_t count; // output samples, equal to outWidth
    int32_t taps;  // per output sample
    int32_t srcWidth;
    int32_t **index;   // per output sample: source indices from srcOffset
    int32_t **weights; // per output sample: 16.16 weights
};

struct Resizer {
    int32_t targetWidth; // what the consumer is told (the luma planes are rounded to even)
    ResizePlane luma;
    ResizePlane chroma; // both chroma planes
};

// What the resizer takes from a sequence header.
struct ResizerSource {
    int horizontalSize, verticalSize;
    int codedWidth, codedHeight;
    int mpeg1; // no sequence extension: aspect code is a pixel aspect
    int aspectRatioInformation;
    int chromaFormat; // 1 4:2:0 (and MPEG-1), 2 4:2:2, 3 4:4:4
    int displayExtension;
    int displayHorizontalSize, displayVerticalSize;
};

// The square-pixel width of a sequence (display size first made valid).
int ResizerTargetWidth(const ResizerSource &src);
// Makes the display size usable: a size of 0 or beyond the coded size
// gives way to the picture size, and neither may exceed the picture (a
// larger display size is legal but has nothing to crop).
void ClampDisplaySize(ResizerSource &src);
// Null when there is nothing to do (target equals horizontal_size) or on
// failure. `maxRows` limits the rows (0 for no limit).
Resizer *CreateResizerFor(const ResizerSource &src, int targetWidth, int maxRows);
void FreeResizer(Resizer *r);
// The frame itself when `r` is null, when the frame is not the geometry
// the resizer was made for, or when the new buffer cannot be had.
FrameBuffer *ResizeFrame(FrameBuffer *frame, const Resizer *r);
// Target size into the output information.
void ApplyResizerToOutputInfo(const Resizer *r, OutputInfo *info);

// From a sequence header: no resizer when the "aspect_ratio" setting is 0
// or the square-pixel width equals horizontal_size. The record's display
// size is made usable in place (ClampDisplaySize).
Resizer *CreateResizer(SequenceRecord *seq, int aspectRatioSetting);
// To a width fixed earlier (a new sequence of another size), rows limited
// to maxRows; none when targetWidth equals the new horizontal_size.
Resizer *CreateResizerToSize(SequenceRecord *seq, int targetWidth, int maxRows);

// The Lanczos-3 kernel (exposed for its tests).
long double Lanczos3(long double x);

#endif
