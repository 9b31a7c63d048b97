// From a decoded picture to what the consumer receives: in-place 4:2:0 to
// 4:2:2 chroma upsampling, and conversion of one frame (or of two frames
// whose fields are paired) to 24-bit BGR rows.
#ifndef TWR_MPEG_FRAME_OUTPUT_H
#define TWR_MPEG_FRAME_OUTPUT_H

#include "mpeg/frame_buffer.h"
#include "mpeg/video_headers.h"

#include <stdint.h>

// Upsampling reads the decoded 4:2:0 chroma (left half of the first
// height/2 rows) and writes 4:2:2 chroma into the right half of every row,
// so a picture can be output while it still serves as a reference.
typedef void (*ChromaUpsampleFunc)(FrameBuffer *fb);
void UpsampleChromaProgressive(FrameBuffer *fb);
void UpsampleChromaInterlaced(FrameBuffer *fb);
void UpsampleChromaNone(FrameBuffer *fb);
// One plane of pitch W with `height` output rows.
void UpsamplePlaneProgressive(uint8_t *plane, int width, int height);
void UpsamplePlaneInterlaced(uint8_t *plane, int width, int height);

// Output rows 0, 2, 4, ... come from the same rows of `top`, rows 1, 3, 5,
// ... from `bottom`; pass one buffer twice for a plain frame. Writes
// exactly info->width x info->height pixels from `out` on, rows
// info->pitch apart; what the buffers do not cover is black.
typedef void (*Rgb24ConvertFunc)(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out,
                                 const OutputInfo *info);
void ConvertRgb24From422(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info);
void ConvertRgb24From444(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info);

// The part of the output a conversion can take from the buffers, kept
// inside both buffers whatever `info` says (a frame that could not be
// resized still carries the resizer's geometry in `info`).
struct ConvertArea {
    int rows, cols;
    int chromaOffset;
};
ConvertArea ConvertAreaOf(const FrameBuffer *top, const FrameBuffer *bottom, const OutputInfo *info, bool chroma444);
// Paints the output outside `area` black.
void FillOutsideArea(uint8_t *out, const OutputInfo *info, const ConvertArea &area);

#endif
