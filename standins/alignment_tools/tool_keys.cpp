#include "tool_keys.h"

#include "alignment/surf_matcher.h"

#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

bool ReadTiffGrey(const char *path, GreyImage *image, std::string *error)
{
    TIFF *tif = TIFFOpen(path, "r");
    if (!tif) {
        *error = std::string("cannot open ") + path;
        return false;
    }
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    if (w < 1 || h < 1 || w > 32767 || h > 32767) {
        TIFFClose(tif);
        *error = std::string("unusable image size in ") + path;
        return false;
    }
    std::vector<uint32_t> rgba((size_t)w * h);
    const int ok = TIFFReadRGBAImageOriented(tif, w, h, rgba.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tif);
    if (!ok) {
        *error = std::string("cannot read the pixels of ") + path;
        return false;
    }
    image->width = (int)w;
    image->height = (int)h;
    image->pixels.resize((size_t)w * h);
    for (size_t i = 0; i < rgba.size(); i++) {
        const uint32_t p = rgba[i];
        image->pixels[i] = (uint8_t)(0.587 * TIFFGetG(p) + 0.299 * TIFFGetR(p) + 0.114 * TIFFGetB(p));
    }
    return true;
}

GreyImage ReduceImage(const GreyImage &image, int maxSide, double *scale)
{
    const int longSide = image.width > image.height ? image.width : image.height;
    if (maxSide <= 0 || longSide <= maxSide) {
        *scale = 1.0;
        return image;
    }
    GreyImage out;
    if (image.width >= image.height) {
        out.width = maxSide;
        out.height = (int)((long long)image.height * maxSide / image.width);
    } else {
        out.height = maxSide;
        out.width = (int)((long long)image.width * maxSide / image.height);
    }
    if (out.width < 1)
        out.width = 1;
    if (out.height < 1)
        out.height = 1;
    *scale = (double)longSide / maxSide;
    out.pixels.resize((size_t)out.width * out.height);
    // Each output pixel: the mean of the source pixels its area covers
    // (fractional coverage at the edges of the box).
    const double sx = (double)image.width / out.width, sy = (double)image.height / out.height;
    for (int y = 0; y < out.height; y++) {
        const double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < out.width; x++) {
            const double x0 = x * sx, x1 = (x + 1) * sx;
            double sum = 0, area = 0;
            for (int j = (int)y0; j < (int)ceil(y1) && j < image.height; j++) {
                const double wy = std::min(y1, (double)j + 1) - std::max(y0, (double)j);
                for (int i = (int)x0; i < (int)ceil(x1) && i < image.width; i++) {
                    const double wx = std::min(x1, (double)i + 1) - std::max(x0, (double)i);
                    sum += wx * wy * image.pixels[(size_t)j * image.width + i];
                    area += wx * wy;
                }
            }
            out.pixels[(size_t)y * out.width + x] = (uint8_t)(area > 0 ? sum / area + 0.5 : 0);
        }
    }
    return out;
}

bool MakeImageKeys(const char *path, int maxSide, ImageKeys *keys, std::string *error)
{
    GreyImage full;
    if (!ReadTiffGrey(path, &full, error))
        return false;
    double scale = 1.0;
    const GreyImage work = ReduceImage(full, maxSide, &scale);
    keys->image = path;
    keys->width = full.width;
    keys->height = full.height;
    keys->points.clear();
    if (!ExtractSurf(work.pixels.data(), work.width, work.height, work.width, MakeSurfParams(500, 1), &keys->points,
                     &keys->descriptors)) {
        *error = std::string("cannot find the keypoints of ") + path;
        return false;
    }
    // Pixel centres: a working pixel covers `scale` full-size pixels.
    for (SurfPoint &p : keys->points) {
        p.x = (float)((p.x + 0.5) * scale - 0.5);
        p.y = (float)((p.y + 0.5) * scale - 0.5);
    }
    return true;
}

bool WriteKeyFile(const char *path, const ImageKeys &keys, std::string *error)
{
    gzFile f = gzopen(path, "wb");
    if (!f) {
        *error = std::string("cannot create ") + path;
        return false;
    }
    bool ok = gzprintf(f, "TWRKEYS 1\n%s\n%d %d\n%d %d\n", keys.image.c_str(), keys.width, keys.height,
                       (int)keys.points.size(), keys.descriptors.length) > 0;
    for (size_t i = 0; i < keys.points.size() && ok; i++) {
        const SurfPoint &p = keys.points[i];
        ok = gzprintf(f, "%.4f %.4f %d %d %.4f %.6g", p.x, p.y, p.laplacian, p.size, p.dir, p.hessian) > 0;
        const float *d = keys.descriptors.At((int)i);
        for (int k = 0; k < keys.descriptors.length && ok; k++)
            ok = gzprintf(f, " %.7g", d[k]) > 0;
        ok = ok && gzputs(f, "\n") > 0;
    }
    ok = gzclose(f) == Z_OK && ok;
    if (!ok) {
        remove(path);
        *error = std::string("cannot write ") + path;
    }
    return ok;
}

bool ReadKeyFile(const char *path, ImageKeys *keys, std::string *error)
{
    gzFile f = gzopen(path, "rb");
    if (!f) {
        *error = std::string("cannot open ") + path;
        return false;
    }
    std::vector<char> line(16384);
    auto next = [&]() { return gzgets(f, line.data(), (int)line.size()) != nullptr; };
    int count = 0, length = 0;
    bool ok = next() && strncmp(line.data(), "TWRKEYS 1", 9) == 0 && next();
    if (ok) {
        keys->image = line.data();
        while (!keys->image.empty() && (keys->image.back() == '\n' || keys->image.back() == '\r'))
            keys->image.pop_back();
    }
    ok = ok && next() && sscanf(line.data(), "%d %d", &keys->width, &keys->height) == 2;
    ok = ok && next() && sscanf(line.data(), "%d %d", &count, &length) == 2 && count >= 0 && count <= 1000000 &&
         (length == 64 || length == 128);
    keys->points.clear();
    keys->descriptors.length = length;
    keys->descriptors.values.clear();
    for (int i = 0; i < count && ok; i++) {
        ok = next();
        SurfPoint p;
        char *s = line.data();
        ok = ok && sscanf(s, "%f %f %d %d %f %f", &p.x, &p.y, &p.laplacian, &p.size, &p.dir, &p.hessian) == 6;
        for (int skip = 0; skip < 6 && ok; skip++) {
            while (*s == ' ')
                s++;
            while (*s && *s != ' ')
                s++;
        }
        for (int k = 0; k < length && ok; k++) {
            char *end;
            const float v = strtof(s, &end);
            ok = end != s;
            s = end;
            keys->descriptors.values.push_back(v);
        }
        keys->points.push_back(p);
    }
    gzclose(f);
    if (!ok)
        *error = std::string("not a key file, or damaged: ") + path;
    return ok;
}

namespace {

// Nearest and second-nearest of descriptor d (sign `laplacian`) in keys.
int Nearest(const float *d, int laplacian, const ImageKeys &keys, double *best, double *second)
{
    int index = -1;
    *best = *second = 1e12;
    const int length = keys.descriptors.length;
    for (size_t j = 0; j < keys.points.size(); j++) {
        if (keys.points[j].laplacian != laplacian)
            continue;
        const double dist = DescriptorDistance(d, keys.descriptors.At((int)j), *second, length);
        if (dist < *best) {
            *second = *best;
            *best = dist;
            index = (int)j;
        } else if (dist < *second) {
            *second = dist;
        }
    }
    return index;
}

} // namespace

std::vector<std::pair<int, int>> MatchImageKeys(const ImageKeys &a, const ImageKeys &b, double ratio, int maxMatches)
{
    struct Match {
        int i, j;
        double clarity;
    };
    std::vector<Match> found;
    if (a.descriptors.length != b.descriptors.length)
        return {};
    for (size_t i = 0; i < a.points.size(); i++) {
        double d1, d2;
        const int j = Nearest(a.descriptors.At((int)i), a.points[i].laplacian, b, &d1, &d2);
        if (j < 0 || !(ratio * ratio * d2 > d1))
            continue;
        double e1, e2;
        if (Nearest(b.descriptors.At(j), b.points[j].laplacian, a, &e1, &e2) != (int)i)
            continue;
        found.push_back({(int)i, j, d2 > 0 ? d1 / d2 : 0});
    }
    std::stable_sort(found.begin(), found.end(), [](const Match &x, const Match &y) { return x.clarity < y.clarity; });
    if (maxMatches > 0 && (int)found.size() > maxMatches)
        found.resize((size_t)maxMatches);
    std::vector<std::pair<int, int>> out;
    for (const Match &m : found)
        out.push_back({m.i, m.j});
    return out;
}

bool WriteControlPointFile(const char *path, const std::vector<ImageKeys> &images,
                           const std::vector<std::vector<std::pair<int, int>>> &matches, std::string *error)
{
    FILE *f = fopen(path, "w");
    if (!f) {
        *error = std::string("cannot create ") + path;
        return false;
    }
    bool ok = fprintf(f, "# Control points\np f2 w%d h%d v360 n\"TIFF\"\nm g1 i0\n\n",
                      images.empty() ? 0 : images[0].width, images.empty() ? 0 : images[0].height) > 0;
    for (const ImageKeys &im : images)
        ok = ok && fprintf(f, "i w%d h%d f0 r0 p0 y0 v50 n\"%s\"\n", im.width, im.height, im.image.c_str()) > 0;
    ok = ok && fputs("\n# Control points of consecutive images\n", f) >= 0;
    for (size_t k = 0; k < matches.size() && k + 1 < images.size() && ok; k++)
        for (const auto &m : matches[k]) {
            const SurfPoint &p = images[k].points[m.first], &q = images[k + 1].points[m.second];
            ok = fprintf(f, "c n%d N%d x%f y%f X%f Y%f t0\n", (int)k, (int)k + 1, p.x, p.y, q.x, q.y) > 0;
            if (!ok)
                break;
        }
    ok = fclose(f) == 0 && ok;
    if (!ok) {
        remove(path);
        *error = std::string("cannot write ") + path;
    }
    return ok;
}
