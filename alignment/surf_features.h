// SURF keypoints and descriptors of an 8-bit grey image: box-filter Hessian
// detector over octaves of filter sizes, a dominant direction per point and
// a 64- or 128-element descriptor sampled along that direction.
// The alignment matcher only ever compares descriptors made here, so what
// counts is stable behaviour: comparable keypoint counts at a threshold of
// 500, positions within a working pixel, the Laplacian sign, and every
// descriptor cell normalised to unit length.
#ifndef TWR_ALIGNMENT_SURF_FEATURES_H
#define TWR_ALIGNMENT_SURF_FEATURES_H

#include "shared/wintypes.h"

#include <vector>

struct SurfPoint {
    float x, y;      // pixels, origin at the top-left corner
    int laplacian;   // sign of the Hessian's trace: -1, 0 or +1
    int size;        // box filter size the point was found at
    float dir;       // dominant direction in degrees, 0 <= dir < 360
    float hessian;   // determinant of the approximated Hessian
};

struct SurfParams {
    int extended;             // 1: 128 values a descriptor, 0: 64
    double hessianThreshold;  // keep points whose determinant exceeds it
    int nOctaves;             // 1..kSurfMaxOctaves
    int nOctaveLayers;        // layers searched per octave, 1..kSurfMaxLayers
};

enum { kSurfMaxOctaves = 4, kSurfMaxLayers = 8 };

// The usual set: 3 octaves of 4 layers.
SurfParams MakeSurfParams(double hessianThreshold, int extended);

// Descriptors back to back, `length` floats each, in keypoint order.
struct SurfDescriptors {
    int length = 0;
    std::vector<float> values;
    int Count() const { return length ? (int)(values.size() / length) : 0; }
    const float *At(int i) const { return values.data() + (size_t)i * length; }
};

// Finds the keypoints of a grey image (rows top first, rowBytes apart) and
// their descriptors, ordered by octave, layer, row and column. An image too
// small for the smallest filter simply has none. Returns false, with both
// lists empty, for a null image, sides below 1, rows shorter than the
// width, parameters out of range, an image of more than about 16 million
// pixels (the integral image is 32-bit) or short memory.
bool ExtractSurf(const BYTE *pixels, int width, int height, int rowBytes, const SurfParams &params,
                 std::vector<SurfPoint> *points, SurfDescriptors *descriptors);

#endif
