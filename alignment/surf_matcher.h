// The built-in feature matcher of the automatic alignment: both frames are
// reduced to small grey working images, SURF keypoints are paired by their
// nearest descriptor under a ratio test, and the pairs are written, in
// full-frame pixels, as a control-point file for the fit.
#ifndef TWR_ALIGNMENT_SURF_MATCHER_H
#define TWR_ALIGNMENT_SURF_MATCHER_H

#include "alignment/surf_features.h"
#include "shared/packed_dib.h"

#include <vector>

// Ratio of the ratio test: a pair is kept when ratio x second-best distance
// exceeds the best distance. Set for each pass by the alignment driver.
extern double g_dMatchRatio;

// Working image size and ratio of one alignment pass, for a W x H frame:
// the long side becomes 500, 600 or 700 pixels on passes 1 (and 0), 2 and
// 3 or more, the other side in proportion (truncated, at least 1), with
// ratios 0.4, 0.5 and 0.6. `scale` maps working pixels back to frame pixels.
struct MatchWorkingSize {
    int width, height;
    float scale;
    double ratio;
};
MatchWorkingSize ChooseMatchWorkingSize(int pass, int frameWidth, int frameHeight);

// Nearest-neighbour reduction of a 24-bit frame to an 8-bit grey image of
// width x height with a grey palette, rows stored top row first so that the
// pixel bytes read as an upright image. Null for a null or non-24-bit
// source, a size below 1 or short memory. The caller frees it.
PackedDib *ScaleDibToGrey(HWND owner, const PackedDib *source, int width, int height);

// Extracts the keypoints of both grey working images (hessian threshold
// 500, 128-element descriptors), pairs them with FindSurfPairs and writes
// each pair scaled by `scale` as a line "c x.. y.. X.. Y..", then the line
// "Found N matches.". Returns 1; 0 when an image is unusable or the file
// cannot be written completely (a partly written file is removed, so that
// no truncated coordinates reach the fit).
int MatchSurfFeatures(const PackedDib *leftGrey, const PackedDib *rightGrey, const char *path, float scale);

// For every left keypoint in order, its nearest right keypoint when the
// match is clear enough: the pair list gets left index, right index.
void FindSurfPairs(const std::vector<SurfPoint> &leftPoints, const SurfDescriptors &leftDescriptors,
                   const std::vector<SurfPoint> &rightPoints, const SurfDescriptors &rightDescriptors,
                   std::vector<int> *pairs);

// Index of the right keypoint of the same Laplacian sign whose descriptor is
// nearest, or -1 when none has that sign or g_dMatchRatio x the second-best
// distance does not exceed the best (equal bests are never clear).
int FindNearestDescriptor(const float *descriptor, int laplacian, const std::vector<SurfPoint> &rightPoints,
                          const SurfDescriptors &rightDescriptors);

// Squared distance summed four elements at a time; stops as soon as the sum
// exceeds `bound` and returns the partial sum.
double DescriptorDistance(const float *a, const float *b, double bound, int length);

#endif
