// The exact-oracle streams of the tests: small pictures that together use
// every prediction type.
#ifndef TWR_TESTS_MPEG_ORACLE_BUILDERS_H
#define TWR_TESTS_MPEG_ORACLE_BUILDERS_H

#include "tests/mpeg/oracle_streams.h"

#include <algorithm>

namespace oracle {

inline int ClampTo(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

// A vector component in half samples kept inside: a block of `size` at `pos`
// in a plane of `extent`.
inline int Inside(int v, int pos, int size, int extent) { return ClampTo(v, -2 * pos, 2 * (extent - pos - size)); }

inline WMb Intra(int mx, int my, int salt)
{
    WMb m;
    m.flags = kWIntra;
    for (int b = 0; b < 12; b++)
        m.dc[b] = DcPattern(mx, my, b, salt);
    return m;
}

// Progressive frame pictures: I, P (forward vectors with half samples,
// skipped and not-compensated macroblocks), B (forward, backward, both,
// skipped). 4 x 4 macroblocks; display order I B P.
inline std::vector<uint8_t> FrameStream(bool mpeg2, int chromaFormat = 1)
{
    BitWriter w;
    EsSequence s;
    s.mpeg2 = mpeg2;
    s.chromaFormat = chromaFormat;
    const int W = 64, H = 64, mbw = 4, mbh = 4;
    s.width = W;
    s.height = H;
    WriteSequenceHeader(w, s);
    WriteGopHeader(w, true);
    EsPicture i;
    i.type = 1;
    WritePicture(w, s, i, mbw, mbh, [](int mx, int my) { return Intra(mx, my, 0); });
    EsPicture p;
    p.type = 2;
    p.temporalReference = 2;
    p.fCode[0][0] = p.fCode[0][1] = 2;
    p.forwardFCode = 2;
    WritePicture(w, s, p, mbw, mbh, [&](int mx, int my) {
        WMb m;
        int k = mx + 4 * my;
        if (k == 5 || k == 10)
            m.flags = -1; // skipped: a copy
        else if (k == 6)
            m = Intra(mx, my, 3);
        else
            m.flags = kWForward;
        if (m.flags == kWForward) {
            m.mv[0][0][0] = Inside((k * 7) % 19 - 9, 16 * mx, 16, W);
            m.mv[0][0][1] = Inside((k * 5) % 17 - 8, 16 * my, 16, H);
        }
        return m;
    });
    EsPicture b;
    b.type = 3;
    b.temporalReference = 1;
    b.fCode[0][0] = b.fCode[0][1] = b.fCode[1][0] = b.fCode[1][1] = 2;
    b.forwardFCode = b.backwardFCode = 2;
    WritePicture(w, s, b, mbw, mbh, [&](int mx, int my) {
        WMb m;
        int k = mx + 4 * my;
        static const int kinds[16] = {2, 4, 6, 6, 2, -1, 4, 6, 6, -1, 2, 4, 4, 6, 2, 6};
        int f = kinds[k];
        if (f < 0) {
            m.flags = -1;
            return m;
        }
        m.flags = f;
        bool beforeSkip = k == 4 || k == 8;
        for (int sdir = 0; sdir < 2; sdir++)
            if (!beforeSkip) {
                m.mv[0][sdir][0] = Inside((k * 3 + 5 * sdir) % 13 - 6, 16 * mx, 16, W);
                m.mv[0][sdir][1] = Inside((k * 11 + 3 * sdir) % 15 - 7, 16 * my, 16, H);
            }
        return m;
    });
    WriteSequenceEnd(w);
    return w.Bytes();
}

// Interlaced frame pictures with field-based and dual-prime prediction
// (frame_pred_frame_dct 0): I, P, B; display order I B P.
inline std::vector<uint8_t> InterlacedFrameStream(int topFieldFirst)
{
    BitWriter w;
    EsSequence s;
    s.progressive = false;
    const int W = 64, H = 64, mbw = 4, mbh = 4;
    s.width = W;
    s.height = H;
    WriteSequenceHeader(w, s);
    WriteGopHeader(w, true);
    EsPicture i;
    i.type = 1;
    i.framePredFrameDct = 0;
    i.progressiveFrame = 0;
    i.topFieldFirst = topFieldFirst;
    WritePicture(w, s, i, mbw, mbh, [](int mx, int my) { return Intra(mx, my, 1); });
    EsPicture p = i;
    p.type = 2;
    p.temporalReference = 2;
    p.fCode[0][0] = p.fCode[0][1] = 2;
    WritePicture(w, s, p, mbw, mbh, [&](int mx, int my) {
        WMb m;
        int k = mx + 4 * my;
        m.flags = kWForward;
        bool interior = mx >= 1 && mx <= 2 && my >= 1 && my <= 2;
        if (interior && (k & 1)) {
            m.motionType = 3; // dual prime
            m.mv[0][0][0] = (k % 5) - 2;
            m.mv[0][0][1] = -2;
            m.dmv[0] = (k % 3) - 1;
            m.dmv[1] = ((k + 1) % 3) - 1;
        } else if (k % 3 == 0) {
            m.motionType = 2; // frame
            m.mv[0][0][0] = Inside((k * 7) % 11 - 5, 16 * mx, 16, W);
            m.mv[0][0][1] = Inside((k * 3) % 9 - 4, 16 * my, 16, H);
        } else {
            m.motionType = 1; // two field vectors
            for (int r = 0; r < 2; r++) {
                m.fs[r][0] = (k + r) & 1;
                m.mv[r][0][0] = Inside((k * 5 + r) % 9 - 4, 16 * mx, 16, W);
                m.mv[r][0][1] = Inside((k * 3 + 2 * r) % 7 - 3, 8 * my, 8, H / 2);
            }
        }
        return m;
    });
    EsPicture b = i;
    b.type = 3;
    b.temporalReference = 1;
    b.fCode[0][0] = b.fCode[0][1] = b.fCode[1][0] = b.fCode[1][1] = 2;
    WritePicture(w, s, b, mbw, mbh, [&](int mx, int my) {
        WMb m;
        int k = mx + 4 * my;
        m.flags = (k % 3 == 0) ? kWForward : (k % 3 == 1) ? kWBackward : (kWForward | kWBackward);
        m.motionType = (k & 1) ? 1 : 2;
        for (int sdir = 0; sdir < 2; sdir++)
            for (int r = 0; r < 2; r++) {
                m.fs[r][sdir] = (k + r + sdir) & 1;
                m.mv[r][sdir][0] = Inside((k * 3 + r + sdir) % 7 - 3, 16 * mx, 16, W);
                if (m.motionType == 1)
                    m.mv[r][sdir][1] = Inside((k + 2 * r + sdir) % 5 - 2, 8 * my, 8, H / 2);
                else
                    m.mv[r][sdir][1] = Inside((k + sdir) % 5 - 2, 16 * my, 16, H);
            }
        return m;
    });
    WriteSequenceEnd(w);
    return w.Bytes();
}

// Field pictures: an I frame, a P frame and a B frame of two fields each,
// with field, 16x8 and dual-prime prediction, the second P field also
// predicting from the first field of its own frame. 4 x 2 macroblocks a
// field; display order I B P.
inline std::vector<uint8_t> FieldStream(int topFieldFirst)
{
    BitWriter w;
    EsSequence s;
    s.progressive = false;
    const int W = 64, FH = 32, mbw = 4, mbh = 2;
    s.width = W;
    s.height = 2 * FH;
    WriteSequenceHeader(w, s);
    WriteGopHeader(w, true);
    int first = topFieldFirst ? 1 : 2, second = 3 - first;
    for (int f = 0; f < 2; f++) {
        EsPicture i;
        i.type = 1;
        i.structure = f ? second : first;
        i.topFieldFirst = topFieldFirst;
        i.framePredFrameDct = 0;
        i.progressiveFrame = 0;
        WritePicture(w, s, i, mbw, mbh, [&](int mx, int my) { return Intra(mx, my, 5 + f); });
    }
    for (int f = 0; f < 2; f++) {
        EsPicture p;
        p.type = 2;
        p.temporalReference = 2;
        p.structure = f ? second : first;
        p.topFieldFirst = topFieldFirst;
        p.framePredFrameDct = 0;
        p.progressiveFrame = 0;
        p.fCode[0][0] = p.fCode[0][1] = 2;
        WritePicture(w, s, p, mbw, mbh, [&](int mx, int my) {
            WMb m;
            int k = mx + 4 * my + 8 * f;
            m.flags = kWForward;
            if (my == 1 && (mx == 1 || mx == 2)) {
                m.motionType = 3; // dual prime
                m.mv[0][0][0] = (k % 5) - 2;
                m.mv[0][0][1] = -4;
                m.dmv[0] = (k % 3) - 1;
                m.dmv[1] = ((k + 2) % 3) - 1;
            } else if (k % 3 == 0) {
                m.motionType = 2; // 16x8
                for (int r = 0; r < 2; r++) {
                    m.fs[r][0] = (k + r) & 1;
                    m.mv[r][0][0] = Inside((k * 5 + r) % 9 - 4, 16 * mx, 16, W);
                    m.mv[r][0][1] = Inside((k * 3 + r) % 9 - 4, 16 * my + 8 * r, 8, FH);
                }
            } else {
                m.motionType = 1; // field
                m.fs[0][0] = (k >> 1) & 1;
                m.mv[0][0][0] = Inside((k * 7) % 11 - 5, 16 * mx, 16, W);
                m.mv[0][0][1] = Inside((k * 5) % 9 - 4, 16 * my, 16, FH);
            }
            return m;
        });
    }
    for (int f = 0; f < 2; f++) {
        EsPicture b;
        b.type = 3;
        b.temporalReference = 1;
        b.structure = f ? second : first;
        b.topFieldFirst = topFieldFirst;
        b.framePredFrameDct = 0;
        b.progressiveFrame = 0;
        b.fCode[0][0] = b.fCode[0][1] = b.fCode[1][0] = b.fCode[1][1] = 2;
        WritePicture(w, s, b, mbw, mbh, [&](int mx, int my) {
            WMb m;
            int k = mx + 4 * my + 8 * f;
            m.flags = (k % 3 == 0) ? kWForward : (k % 3 == 1) ? kWBackward : (kWForward | kWBackward);
            m.motionType = (k & 1) ? 2 : 1;
            for (int sdir = 0; sdir < 2; sdir++)
                for (int r = 0; r < 2; r++) {
                    m.fs[r][sdir] = (k + r + 2 * sdir) & 1;
                    m.mv[r][sdir][0] = Inside((k * 3 + r + sdir) % 7 - 3, 16 * mx, 16, W);
                    if (m.motionType == 2)
                        m.mv[r][sdir][1] = Inside((k + r + sdir) % 7 - 3, 16 * my + 8 * r, 8, FH);
                    else
                        m.mv[r][sdir][1] = Inside((k + sdir) % 7 - 3, 16 * my, 16, FH);
                }
            return m;
        });
    }
    WriteSequenceEnd(w);
    return w.Bytes();
}

} // namespace oracle

#endif
