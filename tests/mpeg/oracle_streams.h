// Streams whose decoding involves no inverse DCT rounding: DC-only intra
// macroblocks and predicted macroblocks without coefficients, in frame and
// field pictures, with field, 16x8 and dual-prime prediction. Every
// conforming decoder must give the same samples.
#ifndef TWR_TESTS_MPEG_ORACLE_STREAMS_H
#define TWR_TESTS_MPEG_ORACLE_STREAMS_H

#include "tests/mpeg/es_writer.h"

#include <string.h>

#include <functional>
#include <vector>

// Motion type codes as written: frame pictures 1 field, 2 frame, 3 dual
// prime; field pictures 1 field, 2 16x8, 3 dual prime.
struct WMb {
    int flags = 0;
    int motionType = 2;
    int fs[2][2] = {};
    int mv[2][2][2] = {}; // [r][s][t]; vertical of field vectors in frame pictures in field units
    int dmv[2] = {};
    int dc[12] = {};      // intra: the DC level (0-255 at precision 0) of each block
};

class MbWriter {
public:
    MbWriter(BitWriter &w, const EsSequence &s, const EsPicture &p) : w_(w), s_(s), p_(p) {}

    void StartSlice(int vpos, int qcode = 8)
    {
        WriteSliceHeader(w_, vpos, qcode);
        memset(pmv_, 0, sizeof pmv_);
        ResetDc();
    }

    void Macroblock(const WMb &m, int addressIncrement)
    {
        WriteAddressIncrement(w_, addressIncrement);
        if (addressIncrement > 1) {
            ResetDc();
            if (p_.type == 2)
                memset(pmv_, 0, sizeof pmv_);
        }
        bool frame = p_.structure == 3;
        bool intra = m.flags & kWIntra;
        WriteMbType(w_, p_.type, m.flags);
        int mvCount = 1, fieldFormat = !frame, dual = 0;
        if (m.flags & (kWForward | kWBackward)) {
            if (!frame) {
                w_.Put(m.motionType, 2);
                mvCount = m.motionType == 2 ? 2 : 1;
                dual = m.motionType == 3;
            } else if (!p_.framePredFrameDct) {
                w_.Put(m.motionType, 2);
                mvCount = m.motionType == 1 ? 2 : 1;
                fieldFormat = m.motionType != 2;
                dual = m.motionType == 3;
            }
        } else {
            memset(pmv_, 0, sizeof pmv_); // intra, or P without motion compensation
        }
        if (frame && !p_.framePredFrameDct && (intra || (m.flags & kWPattern)))
            w_.Put(0, 1); // dct_type
        for (int s = 0; s < 2; s++) {
            if (!(m.flags & (s ? kWBackward : kWForward)))
                continue;
            int f[2] = {s_.mpeg2 ? p_.fCode[s][0] : (s ? p_.backwardFCode : p_.forwardFCode),
                        s_.mpeg2 ? p_.fCode[s][1] : (s ? p_.backwardFCode : p_.forwardFCode)};
            if (mvCount == 1) {
                if (fieldFormat && !dual)
                    w_.Put(m.fs[0][s], 1);
                for (int t = 0; t < 2; t++) {
                    bool halve = frame && t == 1 && fieldFormat;
                    int pred = halve ? pmv_[0][s][t] >> 1 : pmv_[0][s][t];
                    WriteMotionDelta(w_, m.mv[0][s][t] - pred, f[t]);
                    pmv_[0][s][t] = halve ? m.mv[0][s][t] * 2 : m.mv[0][s][t];
                    pmv_[1][s][t] = pmv_[0][s][t];
                    if (dual)
                        WriteDmvector(w_, m.dmv[t]);
                }
            } else {
                for (int r = 0; r < 2; r++) {
                    w_.Put(m.fs[r][s], 1);
                    for (int t = 0; t < 2; t++) {
                        bool halve = frame && t == 1;
                        int pred = halve ? pmv_[r][s][t] >> 1 : pmv_[r][s][t];
                        WriteMotionDelta(w_, m.mv[r][s][t] - pred, f[t]);
                        pmv_[r][s][t] = halve ? m.mv[r][s][t] * 2 : m.mv[r][s][t];
                    }
                }
            }
        }
        if (intra) {
            int blocks = s_.chromaFormat == 1 ? 6 : s_.chromaFormat == 2 ? 8 : 12;
            int shift = 3 - p_.intraDcPrecision;
            for (int b = 0; b < blocks; b++) {
                int cc = b < 4 ? 0 : 1 + (b & 1);
                int level = m.dc[b] << (3 - shift); // in units of the DC precision
                WriteIntraDc(w_, cc != 0, level - dc_[cc], p_.intraVlcFormat);
                dc_[cc] = level;
            }
        } else {
            ResetDc();
            if (m.flags & kWPattern)
                abort(); // coefficients would bring the inverse DCT in
        }
    }

private:
    void ResetDc() { dc_[0] = dc_[1] = dc_[2] = 1 << (7 + p_.intraDcPrecision); }
    BitWriter &w_;
    const EsSequence &s_;
    const EsPicture &p_;
    int pmv_[2][2][2] = {};
    int dc_[3] = {};
};

// A picture of mbw x mbh macroblocks (mbh counts the picture's own rows:
// half the frame's in a field picture), one slice per row; `mb` gives each
// macroblock, flags -1 for a skipped one (never the first or last of a row).
inline void WritePicture(BitWriter &w, const EsSequence &s, const EsPicture &p, int mbw, int mbh,
                         const std::function<WMb(int mx, int my)> &mb)
{
    WritePictureHeader(w, s, p);
    MbWriter mw(w, s, p);
    for (int my = 0; my < mbh; my++) {
        mw.StartSlice(my + 1);
        int last = -1;
        for (int mx = 0; mx < mbw; mx++) {
            WMb m = mb(mx, my);
            if (m.flags < 0 && mx > 0 && mx < mbw - 1)
                continue;
            if (m.flags < 0)
                abort();
            mw.Macroblock(m, mx - last);
            last = mx;
        }
    }
}

// The DC level of block b of the intra macroblock at (mx, my): a pattern
// that tells blocks, components and positions apart.
inline int DcPattern(int mx, int my, int b, int salt)
{
    return (37 * mx + 91 * my + 53 * b + 17 * salt) % 220 + 16;
}

#endif
