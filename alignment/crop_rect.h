// The region of the frame that both aligned images still cover: rotating,
// shrinking or turning an image leaves black borders, and the automatic
// trimming and the easy-adjustment dialog cut them away. Each step takes the
// larger angle of the two images, so the rectangle holds for both.
#ifndef TWR_ALIGNMENT_CROP_RECT_H
#define TWR_ALIGNMENT_CROP_RECT_H

#include "shared/packed_dib.h"

struct CropRect {
    int left, top, right, bottom;
};

// Chains rotation, vertical-axis perspective and either the horizontal-axis
// perspective or the size change. Size factors are 1000 + Size1000. The
// result always lies in the frame (taller by the canvas when the
// horizontal-axis perspective is used) with left < right and top < bottom.
CropRect *ComputeCropRect(CropRect *out, const PackedDib *frame, int rotationL, int rotationR, int perspectiveVL,
                          int perspectiveVR, int perspectiveHL, int perspectiveHR, int sizeFactorL, int sizeFactorR);

// The steps. The angle is in tenths of a degree; previous may be out.
CropRect *ComputeRotationCrop(CropRect *out, const PackedDib *frame, int angle);
CropRect *ComputePerspectiveCrop(CropRect *out, const PackedDib *frame, int angle, const CropRect *previous);
CropRect *ComputeKeystoneCrop(CropRect *out, const PackedDib *frame, int angle, const CropRect *previous);

#endif
