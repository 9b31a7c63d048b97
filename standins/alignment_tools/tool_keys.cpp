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
    return MakeGreyImageKeys(full, path, maxSide, keys, error);
}

bool MakeGreyImageKeys(const GreyImage &full, const char *path, int maxSide, ImageKeys *keys, std::string *error)
{
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

namespace {

const double kPi = 3.14159265358979323846;
const int kPatchRadius = 12;   // 25 x 25 patches
const int kSearchRadius = 6;   // whole-pixel search around the matched point
const double kMinCorrelation = 0.7;

// The rotation and size of the second image against the first, as the
// median over pairs of matches of the turn and stretch of the line
// between them (robust against a minority of wrong matches).
struct Similarity {
    double c = 1, s = 0;  // size x cos, size x sin
};

Similarity EstimateSimilarity(const ImageKeys &a, const ImageKeys &b, const std::vector<std::pair<int, int>> &matches)
{
    std::vector<double> angles, sizes;
    const size_t n = matches.size();
    const size_t step = n > 80 ? n / 80 : 1;
    for (size_t i = 0; i < n; i += step)
        for (size_t j = i + 1; j < n; j += step) {
            const SurfPoint &a0 = a.points[matches[i].first], &a1 = a.points[matches[j].first];
            const SurfPoint &b0 = b.points[matches[i].second], &b1 = b.points[matches[j].second];
            const double ax = a1.x - a0.x, ay = a1.y - a0.y, bx = b1.x - b0.x, by = b1.y - b0.y;
            const double la = hypot(ax, ay), lb = hypot(bx, by);
            if (la < 40 || lb < 40)
                continue;
            double d = atan2(by, bx) - atan2(ay, ax);
            while (d > kPi)
                d -= 2 * kPi;
            while (d < -kPi)
                d += 2 * kPi;
            angles.push_back(d);
            sizes.push_back(lb / la);
        }
    Similarity sim;
    if (angles.size() < 5)
        return sim;
    std::nth_element(angles.begin(), angles.begin() + angles.size() / 2, angles.end());
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    const double angle = angles[angles.size() / 2], size = sizes[sizes.size() / 2];
    // Only what a pair of views can differ by is believed.
    if (fabs(angle) > 0.35 || size < 0.8 || size > 1.25)
        return sim;
    sim.c = size * cos(angle);
    sim.s = size * sin(angle);
    return sim;
}

double Sample(const GreyImage &im, double x, double y)
{
    const int x0 = (int)floor(x), y0 = (int)floor(y);
    const double fx = x - x0, fy = y - y0;
    const uint8_t *p = &im.pixels[(size_t)y0 * im.width + x0];
    return (p[0] * (1 - fx) + p[1] * fx) * (1 - fy) + (p[im.width] * (1 - fx) + p[im.width + 1] * fx) * fy;
}

// The first image's patch around (ax, ay) against the second image's patch
// centred at (bx, by), drawn through the similarity; normalised
// cross-correlation, or -2 when a patch leaves its image or is flat.
double Correlation(const GreyImage &a, int ax, int ay, const GreyImage &b, double bx, double by, const Similarity &m)
{
    const int r = kPatchRadius;
    const double reach = (fabs(m.c) + fabs(m.s)) * r + 2;
    if (ax - r < 0 || ay - r < 0 || ax + r >= a.width || ay + r >= a.height || bx - reach < 0 || by - reach < 0 ||
        bx + reach >= b.width - 1 || by + reach >= b.height - 1)
        return -2;
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    const int n = (2 * r + 1) * (2 * r + 1);
    for (int v = -r; v <= r; v++) {
        const uint8_t *pa = &a.pixels[(size_t)(ay + v) * a.width + ax];
        for (int u = -r; u <= r; u++) {
            const double va = pa[u];
            const double vb = Sample(b, bx + m.c * u - m.s * v, by + m.s * u + m.c * v);
            sa += va, sb += vb, saa += va * va, sbb += vb * vb, sab += va * vb;
        }
    }
    const double cov = sab - sa * sb / n, varA = saa - sa * sa / n, varB = sbb - sb * sb / n;
    if (varA < 1e-6 || varB < 1e-6)
        return -2;
    return cov / sqrt(varA * varB);
}

// The vertex of the parabola through (-1, l), (0, c), (1, r).
double PeakOffset(double l, double c, double r)
{
    const double den = l - 2 * c + r;
    if (den >= 0)
        return 0;
    const double off = 0.5 * (l - r) / den;
    return off < -0.5 ? -0.5 : off > 0.5 ? 0.5 : off;
}

bool Refine(const GreyImage &a, const GreyImage &b, const Similarity &m, double x, double y, double X, double Y,
            PointPair *out)
{
    // The first image's point on its pixel; the second's moved alike.
    const int ax = (int)floor(x + 0.5), ay = (int)floor(y + 0.5);
    const double bx0 = X + m.c * (ax - x) - m.s * (ay - y), by0 = Y + m.s * (ax - x) + m.c * (ay - y);
    const int s = kSearchRadius, span = 2 * s + 1;
    std::vector<double> score((size_t)span * span, -2);
    int best = -1;
    for (int dy = -s; dy <= s; dy++)
        for (int dx = -s; dx <= s; dx++) {
            const int k = (dy + s) * span + dx + s;
            score[k] = Correlation(a, ax, ay, b, bx0 + dx, by0 + dy, m);
            if (best < 0 || score[k] > score[best])
                best = k;
        }
    const int bdx = best % span - s, bdy = best / span - s;
    // A peak on the edge of the search, or a weak one, is no clear match.
    if (score[best] < kMinCorrelation || abs(bdx) == s || abs(bdy) == s)
        return false;
    const double subX = PeakOffset(score[best - 1], score[best], score[best + 1]);
    const double subY = PeakOffset(score[best - span], score[best], score[best + span]);
    *out = {(double)ax, (double)ay, bx0 + bdx + subX, by0 + bdy + subY};
    return true;
}

} // namespace

std::vector<PointPair> MakeControlPoints(const ImageKeys &a, const ImageKeys &b,
                                         const std::vector<std::pair<int, int>> &matches, const GreyImage &imageA,
                                         const GreyImage &imageB)
{
    std::vector<PointPair> out;
    if (imageA.pixels.empty() || imageB.pixels.empty()) {
        for (const auto &match : matches) {
            const SurfPoint &p = a.points[match.first], &q = b.points[match.second];
            out.push_back({p.x, p.y, q.x, q.y});
        }
        return out;
    }
    const Similarity m = EstimateSimilarity(a, b, matches);
    std::vector<char> used(a.points.size(), 0);
    std::vector<double> tx, ty;
    for (const auto &match : matches) {
        const SurfPoint &p = a.points[match.first], &q = b.points[match.second];
        PointPair pair;
        if (!Refine(imageA, imageB, m, p.x, p.y, q.x, q.y, &pair))
            continue;
        out.push_back(pair);
        used[match.first] = 1;
        tx.push_back(pair.X - (m.c * pair.x - m.s * pair.y));
        ty.push_back(pair.Y - (m.s * pair.x + m.c * pair.y));
    }
    if (tx.size() < 8)
        return out;

    // Guided matching: with the similarity and the median shift, every
    // other keypoint of the first image has a predicted place in the
    // second; its nearest descriptor among the second image's keypoints
    // near that place (rows within a few pixels, columns within the spread
    // of the disparities seen) is refined like the others.
    std::vector<double> sx = tx, sy = ty;
    std::nth_element(sx.begin(), sx.begin() + sx.size() / 2, sx.end());
    std::nth_element(sy.begin(), sy.begin() + sy.size() / 2, sy.end());
    const double mx = sx[sx.size() / 2], my = sy[sy.size() / 2];
    double spread = 0;
    for (size_t k = 0; k < tx.size(); k++)
        spread = std::max(spread, fabs(tx[k] - mx));
    const double reachX = std::min(std::max(spread * 1.5 + 8, 16.0), a.width / 8.0), reachY = 8;
    const int length = a.descriptors.length;
    for (size_t i = 0; i < a.points.size(); i++) {
        if (used[i])
            continue;
        const SurfPoint &p = a.points[i];
        const double px = m.c * p.x - m.s * p.y + mx, py = m.s * p.x + m.c * p.y + my;
        int best = -1;
        double d1 = 1e12, d2 = 1e12;
        for (size_t j = 0; j < b.points.size(); j++) {
            const SurfPoint &q = b.points[j];
            if (q.laplacian != p.laplacian || fabs(q.x - px) > reachX || fabs(q.y - py) > reachY)
                continue;
            const double d = DescriptorDistance(a.descriptors.At((int)i), b.descriptors.At((int)j), d2, length);
            if (d < d1) {
                d2 = d1;
                d1 = d;
                best = (int)j;
            } else if (d < d2) {
                d2 = d;
            }
        }
        if (best < 0 || !(0.9 * 0.9 * d2 > d1))
            continue;
        const SurfPoint &q = b.points[best];
        PointPair pair;
        if (Refine(imageA, imageB, m, p.x, p.y, q.x, q.y, &pair))
            out.push_back(pair);
    }
    return out;
}

bool WriteControlPointFile(const char *path, const std::vector<ImageKeys> &images,
                           const std::vector<std::vector<PointPair>> &points, std::string *error)
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
    for (size_t k = 0; k < points.size() && k + 1 < images.size() && ok; k++)
        for (const PointPair &p : points[k]) {
            ok = fprintf(f, "c n%d N%d x%f y%f X%f Y%f t0\n", (int)k, (int)k + 1, p.x, p.y, p.X, p.Y) > 0;
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
