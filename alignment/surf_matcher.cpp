#include "alignment/surf_matcher.h"

#include <stdio.h>
#include <string.h>

double g_dMatchRatio = 0.4;

MatchWorkingSize ChooseMatchWorkingSize(int pass, int frameWidth, int frameHeight)
{
    MatchWorkingSize ws;
    int longSide;
    if (pass >= 3)
        longSide = 700, ws.ratio = 0.6;
    else if (pass == 2)
        longSide = 600, ws.ratio = 0.5;
    else
        longSide = 500, ws.ratio = 0.4;
    if (frameWidth > frameHeight) {
        ws.width = longSide;
        ws.height = (int)((long long)longSide * frameHeight / frameWidth);
        ws.scale = (float)frameWidth / (float)longSide;
    } else {
        ws.height = longSide;
        ws.width = frameHeight > 0 ? (int)((long long)longSide * frameWidth / frameHeight) : 0;
        ws.scale = (float)frameHeight / (float)longSide;
    }
    // A sliver of a frame still gets a one-pixel working image rather than
    // an empty one.
    if (ws.width < 1)
        ws.width = 1;
    if (ws.height < 1)
        ws.height = 1;
    return ws;
}

PackedDib *ScaleDibToGrey(HWND owner, const PackedDib *source, int width, int height)
{
    (void)owner;
    if (!source || DibBitCount(source) != 24 || width < 1 || height < 1)
        return nullptr;
    int srcWidth = DibWidth(source), srcHeight = DibHeight(source);
    if (srcWidth < 1 || srcHeight < 1)
        return nullptr;
    PackedDib *grey = CreateDib(width, height, 8, 0);
    if (!grey)
        return nullptr;
    RGBQUAD *palette = (RGBQUAD *)((BYTE *)grey + grey->biSize);
    for (int i = 0; i < 256; i++) {
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = (BYTE)i;
        palette[i].rgbReserved = 0;
    }
    int xStep = srcWidth * 1024 / width, yStep = srcHeight * 1024 / height;
    int srcRowBytes = DibRowBytes(srcWidth, 24), rowBytes = DibRowBytes(width, 8);
    const BYTE *srcBits = FindDibBits(source);
    BYTE *bits = FindDibBits(grey);
    for (int r = 0; r < height; r++) {
        const BYTE *src = srcBits + (size_t)((r * yStep) >> 10) * srcRowBytes;
        BYTE *out = bits + (size_t)(height - 1 - r) * rowBytes;
        for (int i = 0; i < width; i++) {
            const BYTE *p = src + 3 * ((i * xStep) >> 10);
            out[i] = (BYTE)(int)(0.587 * p[1] + 0.299 * p[2] + 0.114 * p[0]);
        }
        memset(out + width, 0, (size_t)(rowBytes - width));
    }
    return grey;
}

double DescriptorDistance(const float *a, const float *b, double bound, int length)
{
    double sum = 0;
    int k = 0;
    for (; k + 4 <= length; k += 4) {
        double d0 = (double)a[k] - b[k], d1 = (double)a[k + 1] - b[k + 1];
        double d2 = (double)a[k + 2] - b[k + 2], d3 = (double)a[k + 3] - b[k + 3];
        sum += (d0 * d0 + d1 * d1) + (d2 * d2 + d3 * d3);
        if (sum > bound)
            return sum;
    }
    // A length that is not a multiple of 4 ends with a shorter step.
    double step = 0;
    for (; k < length; k++) {
        double d = (double)a[k] - b[k];
        step += d * d;
    }
    return sum + step;
}

int FindNearestDescriptor(const float *descriptor, int laplacian, const std::vector<SurfPoint> &rightPoints,
                          const SurfDescriptors &rightDescriptors)
{
    int length = rightDescriptors.length;
    double d1 = 1e6, d2 = 1e6;
    int best = -1;
    int n = (int)rightPoints.size();
    for (int j = 0; j < n; j++) {
        if (rightPoints[j].laplacian != laplacian)
            continue;
        double d = DescriptorDistance(descriptor, rightDescriptors.At(j), d2, length);
        if (d < d1) {
            d2 = d1;
            d1 = d;
            best = j;
        } else if (d < d2) {
            d2 = d;
        }
    }
    return g_dMatchRatio * d2 > d1 ? best : -1;
}

void FindSurfPairs(const std::vector<SurfPoint> &leftPoints, const SurfDescriptors &leftDescriptors,
                   const std::vector<SurfPoint> &rightPoints, const SurfDescriptors &rightDescriptors,
                   std::vector<int> *pairs)
{
    int n = (int)leftPoints.size();
    for (int i = 0; i < n; i++) {
        int j = FindNearestDescriptor(leftDescriptors.At(i), leftPoints[i].laplacian, rightPoints, rightDescriptors);
        if (j >= 0) {
            pairs->push_back(i);
            pairs->push_back(j);
        }
    }
}

namespace {

bool ExtractFromGrey(const PackedDib *grey, std::vector<SurfPoint> *points, SurfDescriptors *descriptors)
{
    if (!grey || DibBitCount(grey) != 8)
        return false;
    int width = DibWidth(grey);
    return ExtractSurf(FindDibBits(grey), width, DibHeight(grey), DibRowBytes(width, 8),
                       MakeSurfParams(500, 1), points, descriptors);
}

}  // namespace

int MatchSurfFeatures(const PackedDib *leftGrey, const PackedDib *rightGrey, const char *path, float scale)
{
    std::vector<SurfPoint> leftPoints, rightPoints;
    SurfDescriptors leftDescriptors, rightDescriptors;
    std::vector<int> pairs;
    try {
        if (!ExtractFromGrey(leftGrey, &leftPoints, &leftDescriptors) ||
            !ExtractFromGrey(rightGrey, &rightPoints, &rightDescriptors))
            return 0;
        FindSurfPairs(leftPoints, leftDescriptors, rightPoints, rightDescriptors, &pairs);
    } catch (const std::bad_alloc &) {
        return 0;
    }

    FILE *f = fopen(path, "w");
    if (!f)
        return 0;
    int count = (int)(pairs.size() / 2);
    for (int k = 0; k < count; k++) {
        const SurfPoint &l = leftPoints[pairs[2 * k]], &r = rightPoints[pairs[2 * k + 1]];
        fprintf(f, "c x%f y%f X%f Y%f\n", scale * l.x, scale * l.y, scale * r.x, scale * r.y);
    }
    fprintf(f, "Found %d matches.\n", count);
    bool failed = ferror(f) != 0;
    if (fclose(f) != 0 || failed) {
        remove(path);
        return 0;
    }
    return 1;
}
