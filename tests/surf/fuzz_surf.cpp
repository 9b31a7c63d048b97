// Extraction and matching on tiny pictures of odd sizes: the first bytes
// choose the size, the threshold and the octaves, the rest are the pixels
// (repeated when short).
#include "alignment/surf_features.h"
#include "alignment/surf_matcher.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    int w = 1 + data[0] % 96, h = 1 + data[1] % 96;
    int rowBytes = w + data[2] % 4;
    SurfParams params = MakeSurfParams(data[3] * 4.0, data[4] & 1);
    params.nOctaves = 1 + (data[4] >> 1) % kSurfMaxOctaves;
    params.nOctaveLayers = 1 + (data[4] >> 3) % kSurfMaxLayers;
    data += 5, size -= 5;
    std::vector<uint8_t> px((size_t)rowBytes * h);
    for (size_t i = 0; i < px.size(); i++)
        px[i] = size ? data[i % size] : 0;

    std::vector<SurfPoint> points;
    SurfDescriptors descriptors;
    if (!ExtractSurf(px.data(), w, h, rowBytes, params, &points, &descriptors))
        __builtin_trap();
    if (descriptors.Count() != (int)points.size())
        __builtin_trap();
    for (const SurfPoint &p : points)
        if (!(p.dir >= 0 && p.dir < 360) || p.x < 0 || p.y < 0 || p.x > w || p.y > h)
            __builtin_trap();
    // Matching the picture with itself: every pair joins equal signs. (The
    // search is quadratic; a tiny picture has few points.)
    if (points.size() > 3000)
        return 0;
    std::vector<int> pairs;
    FindSurfPairs(points, descriptors, points, descriptors, &pairs);
    for (size_t k = 0; k < pairs.size(); k += 2)
        if (points[pairs[k]].laplacian != points[pairs[k + 1]].laplacian)
            __builtin_trap();
    return 0;
}
