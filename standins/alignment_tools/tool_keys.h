// What the stand-ins for the outside alignment tools share: reading a TIFF
// image as grey, reducing it, SURF keypoints of the project's own
// extractor, the gzip-compressed key files that "generatekeys" writes and
// "autopano" reads, the matching and the control-point file.
#ifndef TWR_STANDINS_ALIGNMENT_TOOLS_TOOL_KEYS_H
#define TWR_STANDINS_ALIGNMENT_TOOLS_TOOL_KEYS_H

#include "alignment/surf_features.h"

#include <stdint.h>
#include <string>
#include <vector>

struct GreyImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // rows from the top, width bytes each
};

// The keypoints of one image, positions in its full-size pixels.
struct ImageKeys {
    std::string image;  // the image file the keys were made from
    int width = 0, height = 0;
    std::vector<SurfPoint> points;
    SurfDescriptors descriptors;
};

// Reads a TIFF file (any layout libtiff reads as RGBA) as grey,
// trunc(0.587 G + 0.299 R + 0.114 B). False with a message in *error.
bool ReadTiffGrey(const char *path, GreyImage *image, std::string *error);

// Area-average reduction so that the long side is at most maxSide; the
// image itself when it is small enough. *scale maps the result's pixels
// back to the original's.
GreyImage ReduceImage(const GreyImage &image, int maxSide, double *scale);

// SURF keys of the image reduced to maxSide (0: full size), positions
// scaled back to full-size pixels.
bool MakeImageKeys(const char *path, int maxSide, ImageKeys *keys, std::string *error);
// The same on an image already read; `path` names it in the keys.
bool MakeGreyImageKeys(const GreyImage &full, const char *path, int maxSide, ImageKeys *keys, std::string *error);

// The key file: gzip-compressed text, "TWRKEYS 1", the image name, its
// size, the count and length, then one line per keypoint.
bool WriteKeyFile(const char *path, const ImageKeys &keys, std::string *error);
bool ReadKeyFile(const char *path, ImageKeys *keys, std::string *error);

// Pairs each keypoint of a with its nearest of b under the ratio test,
// kept only when it is also b's nearest in a; at most maxMatches pairs
// (0: all), the clearest first. Indices into a and b.
std::vector<std::pair<int, int>> MatchImageKeys(const ImageKeys &a, const ImageKeys &b, double ratio, int maxMatches);

// One control point: a position in each image, full-size pixels.
struct PointPair {
    double x, y, X, Y;
};

// The matched keypoints as control points. With both images at hand (empty
// ones are not), each pair is refined at full size: a patch around the
// first image's point is looked for around the second's by normalised
// cross-correlation, to a fraction of a pixel; pairs whose patch is not
// found clearly are dropped.
std::vector<PointPair> MakeControlPoints(const ImageKeys &a, const ImageKeys &b,
                                         const std::vector<std::pair<int, int>> &matches, const GreyImage &imageA,
                                         const GreyImage &imageB);

// Writes a control-point file for the images in order: a short project
// header, an 'i' line per image, then "c n0 N1 x.. y.. X.. Y.. t0" per
// control point of consecutive images.
bool WriteControlPointFile(const char *path, const std::vector<ImageKeys> &images,
                           const std::vector<std::vector<PointPair>> &points, std::string *error);

#endif
