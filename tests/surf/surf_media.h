// Pictures for the SURF tests: the PGM/PPM files make_media.sh writes at
// build time, read into grey buffers or 24-bit frames, and a few helpers
// to crop, invert and draw them.
#ifndef TWR_TESTS_SURF_SURF_MEDIA_H
#define TWR_TESTS_SURF_SURF_MEDIA_H

#include "alignment/surf_features.h"
#include "tests/support/host_files.h"
#include "tests/test_frames.h"

#include <stdio.h>

#include <string>
#include <vector>

struct GreyImage {
    int w = 0, h = 0;
    std::vector<BYTE> px;  // rows top first, w bytes each
    BYTE &At(int x, int y) { return px[(size_t)y * w + x]; }
    BYTE At(int x, int y) const { return px[(size_t)y * w + x]; }
};

inline std::string MediaPath(const char *name) { return HostFile(SURF_MEDIA_DIR, name); }

// Binary PNM (P5 grey or P6 colour) with a maximum of 255; channels 1 or 3.
inline bool ReadPnm(const std::string &path, int *w, int *h, int *channels, std::vector<BYTE> *data)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char magic[3] = {};
    int maxval = 0;
    bool ok = fscanf(f, "%2s %d %d %d", magic, w, h, &maxval) == 4 && maxval == 255;
    *channels = magic[1] == '5' ? 1 : magic[1] == '6' ? 3 : 0;
    ok = ok && magic[0] == 'P' && *channels && fgetc(f) != EOF;
    if (ok) {
        data->resize((size_t)*w * *h * *channels);
        ok = fread(data->data(), 1, data->size(), f) == data->size();
    }
    fclose(f);
    return ok;
}

inline GreyImage LoadGrey(const char *name)
{
    GreyImage g;
    int channels = 0;
    if (!ReadPnm(MediaPath(name), &g.w, &g.h, &channels, &g.px) || channels != 1)
        g = GreyImage();
    return g;
}

// A colour PPM as a bottom-up 24-bit frame.
inline DibPtr LoadFrame(const char *name)
{
    int w, h, channels;
    std::vector<BYTE> rgb;
    if (!ReadPnm(MediaPath(name), &w, &h, &channels, &rgb) || channels != 3)
        return nullptr;
    return MakeFrame(w, h, [&](int x, int row) {
        const BYTE *p = &rgb[((size_t)(h - 1 - row) * w + x) * 3];
        return Bgr{p[2], p[1], p[0]};
    });
}

inline GreyImage Crop(const GreyImage &src, int x0, int y0, int w, int h)
{
    GreyImage g;
    g.w = w, g.h = h;
    g.px.resize((size_t)w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            g.At(x, y) = src.At(x0 + x, y0 + y);
    return g;
}

inline GreyImage Inverted(GreyImage g)
{
    for (BYTE &v : g.px)
        v = (BYTE)(255 - v);
    return g;
}

struct Features {
    bool ok = false;
    std::vector<SurfPoint> points;
    SurfDescriptors descriptors;
};

inline Features Extract(const GreyImage &g, double threshold = 500, int extended = 1)
{
    Features f;
    f.ok = ExtractSurf(g.px.data(), g.w, g.h, g.w, MakeSurfParams(threshold, extended), &f.points, &f.descriptors);
    return f;
}

// A keypoint's position in edge coordinates (pixel k spans k to k + 1, as
// in ImageMagick's distortions); positions are reported with pixel centres
// at whole numbers.
inline double CentreX(const SurfPoint &p) { return p.x + 0.5; }
inline double CentreY(const SurfPoint &p) { return p.y + 0.5; }

#endif
