// Horizontal Lanczos-3 resizer and display-size crop.
#include "mpeg/resizer.h"

#include "mpeg/simd.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

long double Lanczos3(long double x)
{
    static const long double pi = 4 * atanl(1.0L);
    long double ax = fabsl(x);
    if (ax < 2.220446e-16L)
        return 1;
    if (ax >= 3)
        return 0;
    return sinl(pi * x) * sinl(pi * x / 3) / (pi * pi * x * x / 3);
}

namespace {

void FreePlane(ResizePlane &p)
{
    if (p.index)
        for (int i = 0; i < p.count; i++)
            free(p.index[i]);
    if (p.weights)
        for (int i = 0; i < p.count; i++)
            free(p.weights[i]);
    free(p.index);
    free(p.weights);
    p.index = nullptr;
    p.weights = nullptr;
}

// Taps from a source width S to N output samples; false when memory runs out.
bool BuildTaps(ResizePlane &p, int S, int N)
{
    p.count = N;
    p.srcWidth = S;
    if (N > S)
        p.taps = 6;
    else if (N < S)
        p.taps = (6 * S + N - 1) / N - (S % N == 0 ? 1 : 0);
    else
        p.taps = 1;
    p.index = (int32_t **)calloc((size_t)N, sizeof(int32_t *));
    p.weights = (int32_t **)calloc((size_t)N, sizeof(int32_t *));
    if (!p.index || !p.weights)
        return false;
    long double *w = (long double *)malloc(sizeof(long double) * (size_t)p.taps);
    if (!w)
        return false;
    bool ok = true;
    for (int i = 0; i < N && ok; i++) {
        p.index[i] = (int32_t *)malloc(sizeof(int32_t) * (size_t)p.taps);
        p.weights[i] = (int32_t *)malloc(sizeof(int32_t) * (size_t)p.taps);
        if (!p.index[i] || !p.weights[i]) {
            ok = false;
            break;
        }
        if (p.taps == 1) {
            p.index[i][0] = i;
            p.weights[i][0] = 65536;
            continue;
        }
        long double first, sum = 0;
        if (N > S) {
            long double centre = (i + 0.5L) * S / N;
            first = floorl(centre - 2.5L);
            for (int j = 0; j < p.taps; j++)
                w[j] = Lanczos3(first + j + 0.5L - centre);
        } else {
            first = floorl((long double)S * (i - 2.5L) / N + 0.5L);
            for (int j = 0; j < p.taps; j++)
                w[j] = Lanczos3((first + j + 0.5L) * N / S - (i + 0.5L));
        }
        for (int j = 0; j < p.taps; j++)
            sum += w[j];
        for (int j = 0; j < p.taps; j++) {
            long idx = (long)first + j;
            p.index[i][j] = (int32_t)std::max(0L, std::min(idx, (long)S - 1));
            p.weights[i][j] = sum != 0 ? (int32_t)(w[j] / sum * 65536) : (j == p.taps / 2 ? 65536 : 0);
        }
    }
    free(w);
    return ok;
}

void ResamplePlane(const ResizePlane &p, const uint8_t *src, uint8_t *dst)
{
    for (int r = 0; r < p.rows; r++) {
        const uint8_t *s = src + p.srcOffset + (size_t)r * p.srcPitch;
        uint8_t *o = dst + p.outOffset + (size_t)r * p.outPitch;
        for (int x = 0; x < p.count; x++) {
            const int32_t *idx = p.index[x], *wt = p.weights[x];
            int32_t sum = 0;
            for (int j = 0; j < p.taps; j++)
                sum += s[idx[j]] * wt[j];
            int v = (sum + 32768) >> 16;
            o[x] = (uint8_t)(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
}

} // namespace

void ClampDisplaySize(ResizerSource &s)
{
    if (!s.displayExtension)
        return;
    if (s.displayHorizontalSize <= 0 || s.displayVerticalSize <= 0 || s.displayHorizontalSize > s.codedWidth ||
        s.displayVerticalSize > s.codedHeight) {
        s.displayHorizontalSize = s.horizontalSize;
        s.displayVerticalSize = s.verticalSize;
    }
    s.displayHorizontalSize = std::min(s.displayHorizontalSize, s.horizontalSize);
    s.displayVerticalSize = std::min(s.displayVerticalSize, s.verticalSize);
}

int ResizerTargetWidth(const ResizerSource &in)
{
    ResizerSource s = in;
    ClampDisplaySize(s);
    int R = s.displayExtension ? s.displayVerticalSize : s.verticalSize;
    int S = s.displayExtension ? s.displayHorizontalSize : s.horizontalSize;
    if (!s.mpeg1) {
        switch (s.aspectRatioInformation) {
        case 2: return R * 4 / 3;
        case 3: return R * 16 / 9;
        case 4: return R * 221 / 100;
        default: return S;
        }
    }
    static const int k[16] = {0, 0, 6735, 7031, 7615, 8055, 8437, 8935, 0, 9815, 10255, 10695, 0, 11575, 12015, 0};
    int code = s.aspectRatioInformation & 15;
    if (code == 8)
        return S * 59 / 54;
    if (code == 12)
        return S * 10 / 11;
    if (k[code])
        return (int)((int64_t)S * 10000 / k[code]);
    return S;
}

Resizer *CreateResizerFor(const ResizerSource &in, int T, int maxRows)
{
    ResizerSource s = in;
    ClampDisplaySize(s);
    if (T == s.horizontalSize || T <= 0 || s.horizontalSize <= 0 || s.verticalSize <= 0)
        return nullptr;
    int R = s.displayExtension ? s.displayVerticalSize : s.verticalSize;
    int S = s.displayExtension ? s.displayHorizontalSize : s.horizontalSize;
    if (maxRows > 0)
        R = std::min(R, maxRows);
    if (R <= 0 || S <= 0)
        return nullptr;
    Resizer *r = (Resizer *)calloc(1, sizeof(Resizer));
    if (!r)
        return nullptr;
    const bool c444 = s.chromaFormat == 3, c420 = s.chromaFormat <= 1;
    int lumaOut = (T + 1) & ~1;
    int chromaOut = c444 ? lumaOut : (T + 1) / 2;
    int pitch = (lumaOut + 15) & ~15;
    int chromaS = c444 ? S : S / 2;
    int rowOffset = 0, lumaOff = 0, chromaOff = 0;
    if (s.displayExtension) {
        rowOffset = s.codedWidth * ((s.verticalSize - s.displayVerticalSize) / 2);
        lumaOff = rowOffset + (s.horizontalSize - s.displayHorizontalSize) / 2;
        chromaOff = rowOffset + (s.horizontalSize - s.displayHorizontalSize) / (c444 ? 2 : 4);
    }
    int chromaOutOff = 0;
    if (c420) {
        chromaOff += s.codedWidth / 2;
        chromaOutOff = pitch / 2;
    }
    r->targetWidth = T;
    r->luma = {R, lumaOut, s.codedWidth, lumaOff, pitch, 0, 0, 0, 0, nullptr, nullptr};
    r->chroma = {R, chromaOut, s.codedWidth, chromaOff, pitch, chromaOutOff, 0, 0, 0, nullptr, nullptr};
    // Tap construction is the only floating point of the decoder's inner
    // work: leave any MMX state first.
    SimdLeaveMmx();
    if (!BuildTaps(r->luma, S, lumaOut) || !BuildTaps(r->chroma, std::max(1, chromaS), chromaOut)) {
        FreeResizer(r);
        return nullptr;
    }
    return r;
}

namespace {

ResizerSource SourceOf(SequenceRecord *seq)
{
    ResizerSource s;
    s.horizontalSize = seq->horizontal_size;
    s.verticalSize = seq->vertical_size;
    s.codedWidth = seq->coded_width;
    s.codedHeight = seq->coded_height;
    s.mpeg1 = !seq->has_sequence_extension;
    s.aspectRatioInformation = seq->aspect_ratio_information;
    s.chromaFormat = ChromaFormatOf(seq);
    s.displayExtension = seq->has_display_extension;
    s.displayHorizontalSize = seq->display_horizontal_size;
    s.displayVerticalSize = seq->display_vertical_size;
    ClampDisplaySize(s);
    if (s.displayExtension) {
        seq->display_horizontal_size = s.displayHorizontalSize;
        seq->display_vertical_size = s.displayVerticalSize;
    }
    return s;
}

} // namespace

Resizer *CreateResizer(SequenceRecord *seq, int aspectRatioSetting)
{
    if (!aspectRatioSetting)
        return nullptr;
    ResizerSource s = SourceOf(seq);
    return CreateResizerFor(s, ResizerTargetWidth(s), 0);
}

Resizer *CreateResizerToSize(SequenceRecord *seq, int targetWidth, int maxRows)
{
    ResizerSource s = SourceOf(seq);
    return CreateResizerFor(s, targetWidth, maxRows);
}

void FreeResizer(Resizer *r)
{
    if (!r)
        return;
    FreePlane(r->luma);
    FreePlane(r->chroma);
    free(r);
}

FrameBuffer *ResizeFrame(FrameBuffer *frame, const Resizer *r)
{
    if (!r || !frame)
        return frame;
    // Reads must stay inside the frame: the last row's last tap.
    for (const ResizePlane *p : {&r->luma, &r->chroma}) {
        if (frame->width != p->srcPitch)
            return frame;
        int64_t last = (int64_t)p->srcOffset + (int64_t)(p->rows - 1) * p->srcPitch + (p->srcWidth - 1);
        if (p->srcOffset < 0 || last >= (int64_t)frame->width * frame->height)
            return frame;
    }
    FrameBuffer *out = NewFrameBuffer(r->luma.outPitch, r->luma.rows);
    if (!out)
        return frame;
    ResamplePlane(r->luma, frame->y, out->y);
    ResamplePlane(r->chroma, frame->u, out->u);
    ResamplePlane(r->chroma, frame->v, out->v);
    return out;
}

void ApplyResizerToOutputInfo(const Resizer *r, OutputInfo *info)
{
    if (!r)
        return;
    info->width = r->targetWidth;
    info->height = r->luma.rows;
    info->stride = r->luma.outPitch;
    info->chroma_offset = r->chroma.outOffset;
}
