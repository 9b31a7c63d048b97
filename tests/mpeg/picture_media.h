// The reference decodes of the picture tests: ffmpeg's raw planar output
// and mpeg2dec's PGM frames, and our decodes, as planes cropped to the
// picture size, with PSNR between them.
#ifndef TWR_TESTS_MPEG_PICTURE_MEDIA_H
#define TWR_TESTS_MPEG_PICTURE_MEDIA_H

#include "tests/mpeg/es_feeder.h"
#include "tests/support/host_files.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

struct Planes {
    int w = 0, h = 0, cw = 0, ch = 0;
    std::vector<uint8_t> y, u, v;
};

inline std::string PictureMediaPath(const std::string &name)
{
    const char *dir = getenv("TWR_PICTURE_MEDIA");
    return HostFile(dir ? dir : ".", name);
}

// chromaFormat 1 or 2; the chroma of odd sizes rounds up as ffmpeg's does.
inline void ChromaSize(int w, int h, int cf, int *cw, int *ch)
{
    *cw = (w + 1) / 2;
    *ch = cf == 1 ? (h + 1) / 2 : h;
}

inline std::vector<Planes> ReadRawYuv(const std::string &path, int w, int h, int cf)
{
    std::vector<Planes> out;
    std::vector<uint8_t> d = ReadWholeFile(path);
    int cw, ch;
    ChromaSize(w, h, cf, &cw, &ch);
    size_t fs = (size_t)w * h + 2 * (size_t)cw * ch;
    for (size_t off = 0; off + fs <= d.size(); off += fs) {
        Planes p;
        p.w = w, p.h = h, p.cw = cw, p.ch = ch;
        p.y.assign(d.begin() + off, d.begin() + off + (size_t)w * h);
        p.u.assign(d.begin() + off + (size_t)w * h, d.begin() + off + (size_t)w * h + (size_t)cw * ch);
        p.v.assign(d.begin() + off + (size_t)w * h + (size_t)cw * ch, d.begin() + off + fs);
        out.push_back(std::move(p));
    }
    return out;
}

// mpeg2dec's PGM: the coded-size luma, then rows holding U and V side by side.
inline std::vector<Planes> ReadMpeg2decPgm(const std::string &path, int w, int h, int cf)
{
    std::vector<Planes> out;
    std::vector<uint8_t> d = ReadWholeFile(path);
    size_t p = 0;
    while (p < d.size()) {
        int fields[3], n = 0;
        size_t q = p + 2;
        while (n < 3 && q < d.size()) {
            while (q < d.size() && (d[q] == ' ' || d[q] == '\n'))
                q++;
            int v = 0;
            while (q < d.size() && d[q] >= '0' && d[q] <= '9')
                v = v * 10 + (d[q++] - '0');
            fields[n++] = v;
        }
        q++; // the single white space after the maximum value
        if (n < 3)
            break;
        int W = fields[0], Ht = fields[1];
        if (q + (size_t)W * Ht > d.size())
            break;
        const uint8_t *img = d.data() + q;
        int H = cf == 1 ? Ht * 2 / 3 : Ht / 2;
        Planes pl;
        pl.w = w, pl.h = h;
        ChromaSize(w, h, cf, &pl.cw, &pl.ch);
        for (int r = 0; r < h; r++)
            pl.y.insert(pl.y.end(), img + (size_t)r * W, img + (size_t)r * W + w);
        for (int r = 0; r < pl.ch; r++) {
            const uint8_t *row = img + (size_t)(H + r) * W;
            pl.u.insert(pl.u.end(), row, row + pl.cw);
        }
        for (int r = 0; r < pl.ch; r++) {
            const uint8_t *row = img + (size_t)(H + r) * W + W / 2;
            pl.v.insert(pl.v.end(), row, row + pl.cw);
        }
        out.push_back(std::move(pl));
        p = q + (size_t)W * Ht;
    }
    return out;
}

// Our decode of a stream, frames in display order, cropped like ffmpeg's.
inline std::vector<Planes> DecodePlanes(const std::vector<uint8_t> &es, const EsFeederOptions &opt,
                                        EsFeeder **keep = nullptr)
{
    std::vector<Planes> out;
    EsFeeder f(es.data(), es.size(), opt);
    f.Run([&](const FrameBuffer *fb, const SequenceRecord &seq, const PictureHeader &) {
        Planes p;
        int cf = seq.has_sequence_extension ? seq.chroma_format : 1;
        p.w = seq.horizontal_size, p.h = seq.vertical_size;
        ChromaSize(p.w, p.h, cf, &p.cw, &p.ch);
        for (int r = 0; r < p.h; r++)
            p.y.insert(p.y.end(), fb->y + (size_t)r * fb->width, fb->y + (size_t)r * fb->width + p.w);
        for (int r = 0; r < p.ch; r++) {
            p.u.insert(p.u.end(), fb->u + (size_t)r * fb->width, fb->u + (size_t)r * fb->width + p.cw);
            p.v.insert(p.v.end(), fb->v + (size_t)r * fb->width, fb->v + (size_t)r * fb->width + p.cw);
        }
        out.push_back(std::move(p));
    });
    (void)keep;
    return out;
}

inline double Psnr(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    if (a.size() != b.size() || a.empty())
        return 0;
    double se = 0;
    for (size_t i = 0; i < a.size(); i++) {
        double d = (double)a[i] - b[i];
        se += d * d;
    }
    if (se == 0)
        return 99;
    return 10 * log10(255.0 * 255.0 * a.size() / se);
}

#endif
