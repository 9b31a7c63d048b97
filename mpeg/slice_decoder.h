// Slice and macroblock decoding of one coded picture, written once for any
// bit reader R that offers:
//   unsigned Peek(int n), void Skip(int n), unsigned Read(int n)  (n <= 32;
//       past the end of the data the bits read as zero)
//   int NextStartCode()   the next start code's last byte (0x00-0xFF), the
//       reader standing after it; -1 at the end of the data
//   void RewindToPreviousStartCode()   so that the next search finds the
//       start code found last again
// The stream's video reader is one; tests and the fuzzer use an in-memory
// one over the same start-code search.
#ifndef TWR_MPEG_SLICE_DECODER_H
#define TWR_MPEG_SLICE_DECODER_H

#include "mpeg/decoder_state.h"
#include "mpeg/vlc_tables.h"

#include <string.h>

#include <algorithm>

// The macroblock values carried from one macroblock to the next within a
// picture.
struct MacroblockRecord {
    int32_t quant, forward, backward, pattern, intra, stwcFlag;
    int32_t weightClass;
    int32_t motionType, mvCount, mvFormat, dualPrime;
    int32_t fieldSelect[2][2];
    int32_t pmv[2][2][2];
    int32_t dmv[2][2];
    int32_t dctType, quantiserScaleCode;
    int32_t blockCount;
    int32_t blockKind[12]; // how each block is decoded (BlockKind)
};

enum BlockKind { kBlockNotCoded, kBlockIntraY, kBlockIntraCb, kBlockIntraCr, kBlockNonIntraY, kBlockNonIntraC,
                 kBlockMpeg1IntraY, kBlockMpeg1IntraCb, kBlockMpeg1IntraCr, kBlockMpeg1NonIntra };

// Vectors clamped for the macroblock at (x, y) so that its prediction stays
// inside the reference (frame pictures: the frame; field pictures: the
// field), applied to a copy: the decoded values stay as they are.
void ClampMotionVectors(PredictionState *ps, int x, int y, int width, int height);
// Paints one macroblock black (luma 16, chroma 128), its own field only in
// a field picture.
void FillMacroblockBlack(FrameBuffer *cur, int chromaFormat, int structure, int x, int y);
// Stores or adds one transformed block at its place in the macroblock.
void WriteBlock(const DecoderState *st, const int16_t *block, FrameBuffer *cur, int x, int y, int b);

namespace slice_detail {

inline int SignExtend(unsigned v, int bits) { return (int)(v << (32 - bits)) >> (32 - bits); }

template <class R>
int ReadAddressIncrement(R &rd)
{
    int inc = 0;
    for (;;) {
        unsigned v = rd.Peek(11);
        const Vlc &e = g_vlc.mbAddressIncrement[v];
        if (e.value == kMbaEscape && e.len) {
            rd.Skip(11);
            inc += 33;
            if (inc > 1 << 20)
                return 0;
            continue;
        }
        if (v < 24 || !e.len || e.value <= 0)
            return 0; // start code prefix, stuffing or no code
        rd.Skip(e.len);
        return inc + e.value;
    }
}

template <class R>
int DecodeMotionComponent(R &rd, int fcode, int pred, bool halve)
{
    fcode = std::max(1, std::min(fcode, 9)); // 15 (unused) and damaged codes stay in range
    int rsize = fcode - 1;
    const Vlc &e = g_vlc.motionCode[rd.Peek(11)];
    int code = 0;
    if (e.len) {
        rd.Skip(e.len);
        code = e.value;
    } else {
        rd.Skip(1);
    }
    int delta = code;
    if (fcode != 1 && code != 0) {
        int residual = (int)rd.Read(rsize);
        int mag = ((std::abs(code) - 1) << rsize) + residual + 1;
        delta = code < 0 ? -mag : mag;
    }
    if (halve)
        pred >>= 1;
    int range = 16 << rsize;
    int v = pred + delta;
    if (v < -range)
        v += 2 * range;
    else if (v > range - 1)
        v -= 2 * range;
    v = std::max(-range, std::min(v, range - 1)); // damaged predictors
    return halve ? v * 2 : v;
}

template <class R>
int ReadDmvector(R &rd)
{
    if (!rd.Read(1))
        return 0;
    return rd.Read(1) ? -1 : 1;
}

template <class R>
class SliceDecoder {
public:
    SliceDecoder(R &rd, DecoderState *st, const PictureBuffers &bufs) : rd_(rd), st_(st), bufs_(bufs) {}
    int Run();

private:
    R &rd_;
    DecoderState *st_;
    PictureBuffers bufs_;
    MacroblockRecord mb_;
    alignas(16) int16_t block_[64];
    int mbWidth_ = 0, total_ = 0;

    void Position(int addr, int *x, int *y) const
    {
        *x = 16 * (addr % mbWidth_);
        *y = (st_->pic.pictureStructure == kPictureFrame ? 16 : 32) * (addr / mbWidth_);
    }
    void ResetDc()
    {
        int v = 1 << (7 + st_->intraDcPrecision);
        st_->dcPred[0] = st_->dcPred[1] = st_->dcPred[2] = v;
    }
    void ResetPmv() { memset(mb_.pmv, 0, sizeof mb_.pmv); }
    void SetQuant(int code)
    {
        const int16_t *s = st_->scaled[code & 31];
        st_->intraLuma = s;
        st_->nonIntraLuma = s + 64;
        st_->intraChroma = s + 128;
        st_->nonIntraChroma = s + 192;
    }
    bool ParseSliceHeader(int code, int *vpos);
    bool DecodeMacroblockHeader();
    bool ReadMbType();
    void ReadMotionVectors(int s);
    void ChooseBlocks();
    int DecodeBlock(int kind);
    int DecodeIntra(int cc, bool mpeg1);
    int DecodeNonIntra(bool chroma, bool mpeg1);
    // The run and level after an escape code (its 6 bits not yet skipped):
    // MPEG-1's 8- or 16-bit level, MPEG-2's 12-bit one.
    void ReadEscape(bool mpeg1, int *run, int *level);
    void LoadPrediction();
    void PredictAt(int x, int y);
    void LoadConcealmentState();
    void Conceal(int from, int to);
    void InitRecordAsAfterIntra();
};

template <class R>
void SliceDecoder<R>::InitRecordAsAfterIntra()
{
    memset(&mb_, 0, sizeof mb_);
    mb_.intra = 1;
    mb_.motionType = st_->pic.pictureStructure == kPictureFrame ? kMotionFrame : kMotionField;
    mb_.mvCount = 1;
    mb_.mvFormat = mb_.motionType == kMotionFrame ? 2 : 1;
    mb_.blockCount = st_->chromaFormat == 1 ? 6 : st_->chromaFormat == 2 ? 8 : 12;
}

template <class R>
bool SliceDecoder<R>::ParseSliceHeader(int code, int *vpos)
{
    *vpos = code;
    if (st_->codedHeight > 2800)
        *vpos += (int)rd_.Read(3) << 7;
    if (st_->scalableMode == 0)
        rd_.Skip(7); // priority_breakpoint
    int q = (int)rd_.Read(5);
    mb_.quantiserScaleCode = q;
    if (rd_.Read(1)) {
        rd_.Skip(8); // intra_slice and reserved bits
        for (int n = 0; rd_.Read(1); n++) {
            rd_.Skip(8);
            if (n > 1 << 20)
                return false;
        }
    }
    SetQuant(q);
    return true;
}

template <class R>
bool SliceDecoder<R>::ReadMbType()
{
    const Vlc *e;
    switch (st_->pic.mbTypeTable) {
    case kMbTypesI: e = &g_vlc.mbTypeI[rd_.Peek(2)]; break;
    case kMbTypesP: e = &g_vlc.mbTypeP[rd_.Peek(6)]; break;
    case kMbTypesB: e = &g_vlc.mbTypeB[rd_.Peek(6)]; break;
    case kMbTypesSnr: e = &g_vlc.mbTypeSnr[rd_.Peek(3)]; break;
    default: return false;
    }
    if (!e->len)
        return false;
    rd_.Skip(e->len);
    int f = e->value;
    mb_.quant = (f & kMbQuant) != 0;
    mb_.forward = (f & kMbForward) != 0;
    mb_.backward = (f & kMbBackward) != 0;
    mb_.pattern = (f & kMbPattern) != 0;
    mb_.intra = (f & kMbIntra) != 0;
    mb_.stwcFlag = 0;
    mb_.weightClass = 0;
    return true;
}

template <class R>
void SliceDecoder<R>::ReadMotionVectors(int s)
{
    const PictureCodingInfo &pc = st_->pic;
    bool frame = pc.pictureStructure == kPictureFrame;
    if (mb_.mvCount == 1) {
        if (mb_.mvFormat == 1 && !mb_.dualPrime)
            mb_.fieldSelect[0][s] = (int)rd_.Read(1);
        for (int t = 0; t < 2; t++) {
            bool halve = (frame && t == 1 && mb_.mvFormat == 1) || (pc.mpeg1 && pc.fullPel[s]);
            mb_.pmv[0][s][t] = DecodeMotionComponent(rd_, pc.fCode[s][t], mb_.pmv[0][s][t], halve);
            if (mb_.dualPrime) {
                int dm = ReadDmvector(rd_);
                int m = mb_.pmv[0][s][t];
                if (frame && t == 1)
                    m >>= 1;
                int a = (m + (m > 0)) >> 1, b = (3 * m + (m > 0)) >> 1;
                int e = t == 1 ? 1 : 0;
                if (frame) {
                    if (pc.topFieldFirst) {
                        mb_.dmv[0][t] = a + dm - e;
                        mb_.dmv[1][t] = b + dm + e;
                    } else {
                        mb_.dmv[0][t] = b + dm - e;
                        mb_.dmv[1][t] = a + dm + e;
                    }
                } else {
                    mb_.dmv[0][t] = a + dm + (pc.pictureStructure == kPictureTop ? -e : e);
                }
            }
            mb_.pmv[1][s][t] = mb_.pmv[0][s][t];
        }
    } else {
        for (int r = 0; r < 2; r++) {
            mb_.fieldSelect[r][s] = (int)rd_.Read(1);
            for (int t = 0; t < 2; t++)
                mb_.pmv[r][s][t] =
                    DecodeMotionComponent(rd_, pc.fCode[s][t], mb_.pmv[r][s][t], frame && t == 1);
        }
    }
}

template <class R>
void SliceDecoder<R>::ChooseBlocks()
{
    const int cf = st_->chromaFormat;
    const int count = cf == 1 ? 6 : cf == 2 ? 8 : 12;
    mb_.blockCount = count;
    bool mpeg1 = st_->pic.mpeg1;
    if (mb_.intra) {
        for (int b = 0; b < count; b++) {
            int kind = b < 4 ? kBlockIntraY : ((b & 1) ? kBlockIntraCr : kBlockIntraCb);
            if (mpeg1)
                kind += kBlockMpeg1IntraY - kBlockIntraY;
            mb_.blockKind[b] = kind;
        }
        return;
    }
    int cbp = 0;
    if (mb_.pattern) {
        const Vlc &e = g_vlc.codedBlockPattern[rd_.Peek(9)];
        if (e.len) {
            rd_.Skip(e.len);
            cbp = e.value;
        } else {
            rd_.Skip(9); // not a code: the block loop will meet what follows
        }
        if (cf == 2)
            cbp = (cbp << 2) | (int)rd_.Read(2);
        else if (cf == 3)
            cbp = (cbp << 6) | (int)rd_.Read(6);
    }
    for (int b = 0; b < count; b++) {
        if (!(cbp & (1 << (count - 1 - b))))
            mb_.blockKind[b] = kBlockNotCoded;
        else if (mpeg1)
            mb_.blockKind[b] = kBlockMpeg1NonIntra;
        else
            mb_.blockKind[b] = b < 4 ? kBlockNonIntraY : kBlockNonIntraC;
    }
}

template <class R>
bool SliceDecoder<R>::DecodeMacroblockHeader()
{
    const PictureCodingInfo &pc = st_->pic;
    bool frame = pc.pictureStructure == kPictureFrame;
    if (!ReadMbType())
        return false;
    mb_.dualPrime = 0;
    if (mb_.forward || mb_.backward) {
        if (!frame) {
            int t = (int)rd_.Read(2);
            if (t == 0)
                return false;
            mb_.motionType = t == 1 ? kMotionField : t == 2 ? kMotion16x8 : kMotionDualPrime;
            mb_.mvCount = t == 2 ? 2 : 1;
            mb_.mvFormat = 1;
            mb_.dualPrime = t == 3;
        } else if (pc.framePredFrameDct) {
            mb_.motionType = kMotionFrame;
            mb_.mvCount = 1;
            mb_.mvFormat = 2;
        } else {
            int t = (int)rd_.Read(2);
            if (t == 0)
                return false;
            mb_.motionType = t == 1 ? kMotionField : t == 2 ? kMotionFrame : kMotionDualPrime;
            mb_.mvCount = t == 1 ? 2 : 1;
            mb_.mvFormat = t == 2 ? 2 : 1;
            mb_.dualPrime = t == 3;
        }
    } else if (mb_.intra && pc.concealmentMotionVectors) {
        mb_.motionType = frame ? kMotionFrame : kMotionField;
        mb_.mvCount = 1;
        mb_.mvFormat = frame ? 2 : 1;
    } else {
        ResetPmv();
        mb_.motionType = frame ? kMotionFrame : kMotionField;
        mb_.mvCount = 1;
        mb_.mvFormat = frame ? 2 : 1;
        if (!frame)
            mb_.fieldSelect[0][0] = pc.pictureStructure == kPictureBottom ? 1 : 0;
    }
    mb_.dctType = 0;
    if (frame && !pc.framePredFrameDct && (mb_.intra || mb_.pattern))
        mb_.dctType = (int)rd_.Read(1);
    if (mb_.quant)
        mb_.quantiserScaleCode = (int)rd_.Read(5);
    if (mb_.forward || (mb_.intra && pc.concealmentMotionVectors))
        ReadMotionVectors(0);
    if (mb_.backward)
        ReadMotionVectors(1);
    if (mb_.intra && pc.concealmentMotionVectors)
        rd_.Skip(1); // marker
    ChooseBlocks();
    return true;
}

template <class R>
int SliceDecoder<R>::DecodeIntra(int cc, bool mpeg1)
{
    int16_t *f = block_;
    memset(f, 0, sizeof block_);
    int size;
    if (cc == 0) {
        const Vlc &e = g_vlc.dcSizeLuma[rd_.Peek(9)];
        if (!e.len)
            return 0;
        rd_.Skip(e.len);
        size = e.value;
    } else {
        const Vlc &e = g_vlc.dcSizeChroma[rd_.Peek(10)];
        if (!e.len)
            return 0;
        rd_.Skip(e.len);
        size = e.value;
    }
    int diff = 0;
    if (size) {
        diff = (int)rd_.Read(size);
        if (diff < (1 << (size - 1)))
            diff -= (1 << size) - 1;
    }
    int precision = mpeg1 ? 0 : st_->intraDcPrecision;
    int &pred = st_->dcPred[cc];
    pred = std::max(-(1 << 20), std::min(pred + diff, 1 << 20));
    f[0] = (int16_t)std::max(-2048, std::min(pred * (1 << (3 - precision)), 2047));
    const int16_t *w = cc == 0 ? st_->intraLuma : st_->intraChroma;
    if (mpeg1)
        w = st_->intraLuma; // one intra matrix
    const BYTE *scan = (!mpeg1 && st_->alternateScan) ? kAlternateScan : kZigzagScan;
    bool b15 = !mpeg1 && st_->intraVlcFormat;
    const CoefVlc *shortTable = b15 ? g_vlc.coefShortB15 : g_vlc.coefShortB14;
    const CoefVlc *longTable = b15 ? g_vlc.coefLongB15 : g_vlc.coefLongB14;
    int sum = f[0];
    for (int i = 0;;) {
        // The code and the sign bit after it in one look.
        unsigned v17 = rd_.Peek(17), v = v17 >> 1;
        const CoefVlc &e = v >= 0x400 ? shortTable[v >> 8] : longTable[v & 0x3FF];
        if (!e.len || e.run == kCoefEob) {
            if (e.len)
                rd_.Skip(e.len);
            break;
        }
        int run, level;
        if (e.run == kCoefEscape) {
            ReadEscape(mpeg1, &run, &level);
        } else {
            rd_.Skip(e.len + 1);
            run = e.run;
            level = (v17 >> (16 - e.len)) & 1 ? -e.level : e.level;
        }
        i += run + 1;
        if (i > 63)
            return 0;
        int pos = scan[i];
        int val = level * w[pos] / 16;
        if (mpeg1 && !(val & 1) && val)
            val -= val > 0 ? 1 : -1;
        val = std::max(-2048, std::min(val, 2047));
        f[pos] = (int16_t)val;
        sum += val;
    }
    if (!mpeg1 && !(sum & 1))
        f[63] ^= 1;
    return 1;
}

template <class R>
inline void SliceDecoder<R>::ReadEscape(bool mpeg1, int *run, int *level)
{
    rd_.Skip(6);
    *run = (int)rd_.Read(6);
    if (!mpeg1) {
        *level = SignExtend(rd_.Read(12), 12);
        return;
    }
    int l = (int)rd_.Read(8);
    if (l == 0)
        *level = (int)rd_.Read(8);
    else if (l == 128)
        *level = (int)rd_.Read(8) - 256;
    else
        *level = SignExtend((unsigned)l, 8);
}

template <class R>
int SliceDecoder<R>::DecodeNonIntra(bool chroma, bool mpeg1)
{
    int16_t *f = block_;
    memset(f, 0, sizeof block_);
    const int16_t *w = chroma ? st_->nonIntraChroma : st_->nonIntraLuma;
    const BYTE *scan = (!mpeg1 && st_->alternateScan) ? kAlternateScan : kZigzagScan;
    int sum = 0;
    bool first = true;
    for (int i = -1;;) {
        // The code and the sign bit after it in one look.
        unsigned v17 = rd_.Peek(17), v = v17 >> 1;
        int run, level;
        if (first && (v & 0x8000)) {
            // "1s": run 0, level 1
            rd_.Skip(2);
            run = 0;
            level = (v17 >> 15) & 1 ? -1 : 1;
        } else {
            const CoefVlc &e = v >= 0x400 ? g_vlc.coefShortB14[v >> 8] : g_vlc.coefLongB14[v & 0x3FF];
            if (!e.len || e.run == kCoefEob) {
                if (e.len)
                    rd_.Skip(e.len);
                break;
            }
            if (e.run == kCoefEscape) {
                ReadEscape(mpeg1, &run, &level);
            } else {
                rd_.Skip(e.len + 1);
                run = e.run;
                level = (v17 >> (16 - e.len)) & 1 ? -e.level : e.level;
            }
        }
        first = false;
        i += run + 1;
        if (i > 63)
            return 0;
        int pos = scan[i];
        int val = (2 * level + (level > 0 ? 1 : -1)) * w[pos] / 32;
        if (mpeg1 && !(val & 1) && val)
            val -= val > 0 ? 1 : -1;
        val = std::max(-2048, std::min(val, 2047));
        f[pos] = (int16_t)val;
        sum += val;
    }
    if (!mpeg1 && !(sum & 1))
        f[63] ^= 1;
    return 1;
}

template <class R>
int SliceDecoder<R>::DecodeBlock(int kind)
{
    switch (kind) {
    case kBlockIntraY: return DecodeIntra(0, false);
    case kBlockIntraCb: return DecodeIntra(1, false);
    case kBlockIntraCr: return DecodeIntra(2, false);
    case kBlockMpeg1IntraY: return DecodeIntra(0, true);
    case kBlockMpeg1IntraCb: return DecodeIntra(1, true);
    case kBlockMpeg1IntraCr: return DecodeIntra(2, true);
    case kBlockNonIntraY: return DecodeNonIntra(false, false);
    case kBlockNonIntraC: return DecodeNonIntra(true, false);
    case kBlockMpeg1NonIntra: return DecodeNonIntra(false, true);
    default: return 0;
    }
}

template <class R>
void SliceDecoder<R>::LoadPrediction()
{
    PredictionState &p = st_->pred;
    p.forward = mb_.forward;
    p.backward = mb_.backward;
    p.motionType = mb_.motionType;
    memcpy(p.fieldSelect, mb_.fieldSelect, sizeof p.fieldSelect);
    memcpy(p.vectors, mb_.pmv, sizeof p.vectors);
    memcpy(p.dualPrime, mb_.dmv, sizeof p.dualPrime);
}

template <class R>
void SliceDecoder<R>::PredictAt(int x, int y)
{
    PredictionState clamped = st_->pred;
    ClampMotionVectors(&clamped, x, y, bufs_.current->width, std::min(st_->codedHeight, bufs_.current->height));
    PredictMacroblock(bufs_.forward, bufs_.backward, bufs_.current, &clamped, x, y);
}

template <class R>
void SliceDecoder<R>::LoadConcealmentState()
{
    PredictionState &p = st_->pred;
    if (mb_.intra) {
        p.forward = 1;
        p.backward = 0;
        memset(p.vectors, 0, sizeof p.vectors);
        memset(p.dualPrime, 0, sizeof p.dualPrime);
        memset(p.fieldSelect, 0, sizeof p.fieldSelect);
        if (st_->pic.pictureStructure == kPictureBottom)
            p.fieldSelect[0][0] = 1;
        p.motionType = st_->pic.pictureStructure == kPictureFrame ? kMotionFrame : kMotionField;
    } else {
        LoadPrediction();
    }
}

template <class R>
void SliceDecoder<R>::Conceal(int from, int to)
{
    const PredictionState &p = st_->pred;
    for (int a = std::max(0, from); a < to && a < total_; a++) {
        int x, y;
        Position(a, &x, &y);
        if ((p.forward && !bufs_.forward) || (!p.forward && !(p.backward && bufs_.backward) &&
                                              !(p.pictureCodingType == kCodingP && bufs_.forward)))
            FillMacroblockBlack(bufs_.current, st_->chromaFormat, st_->pic.pictureStructure, x, y);
        else
            PredictAt(x, y);
    }
}

template <class R>
int SliceDecoder<R>::Run()
{
    FrameBuffer *cur = bufs_.current;
    const PictureCodingInfo &pc = st_->pic;
    if (!cur || cur->width < 16 || st_->codedHeight < 16)
        return 1;
    // Field pictures need a whole number of macroblock rows per field: a
    // coded height that is an odd multiple of 16 (possible only in a
    // progressive sequence, where the standard forbids field pictures)
    // would put the last field row outside the buffer.
    if (pc.pictureStructure != kPictureFrame && st_->codedHeight % 32)
        return 1;
    if (pc.pictureCodingType < kCodingI || pc.pictureCodingType > kCodingB)
        return 1; // D pictures are not decoded
    mbWidth_ = cur->width / 16;
    int rows = std::min(st_->codedHeight, cur->height) / 16;
    total_ = mbWidth_ * (pc.pictureStructure == kPictureFrame ? rows : rows / 2);
    // References of another size cannot be predicted from.
    if (bufs_.forward && (bufs_.forward->width != cur->width || bufs_.forward->height != cur->height))
        bufs_.forward = nullptr;
    if (bufs_.backward && (bufs_.backward->width != cur->width || bufs_.backward->height != cur->height))
        bufs_.backward = nullptr;
    InitRecordAsAfterIntra();
    int next = 0;
    int code = rd_.NextStartCode();
    for (;;) {
        if (code < 0)
            return 1;
        if (code < 0x01 || code > 0xAF) {
            // A start code that is not a slice ends the picture.
            if (next > 0)
                next--;
            LoadConcealmentState();
            Conceal(next, total_);
            rd_.RewindToPreviousStartCode();
            return 0;
        }
        int vpos;
        if (!ParseSliceHeader(code, &vpos)) {
            code = rd_.NextStartCode();
            continue;
        }
        ResetDc();
        ResetPmv();
        int inc = ReadAddressIncrement(rd_);
        if (inc == 0) {
            code = rd_.NextStartCode();
            continue;
        }
        int s = (vpos - 1) * mbWidth_ + inc - 1;
        if (s == next || (s < next && next < s + mbWidth_)) {
            next = s;
        } else {
            LoadConcealmentState();
            if (s >= total_ || s < next)
                s = total_;
            if (next > 0)
                next--;
            Conceal(next, s);
            if (s == total_) {
                rd_.RewindToPreviousStartCode();
                return 0;
            }
            next = s;
        }
        // The macroblocks of the slice.
        for (;;) {
            int x, y;
            Position(next, &x, &y);
            if (!DecodeMacroblockHeader())
                break;
            if (!mb_.intra) {
                LoadPrediction();
                PredictAt(x, y);
            }
            st_->mbIntra = mb_.intra;
            st_->dctType = mb_.dctType;
            if (mb_.quant)
                SetQuant(mb_.quantiserScaleCode);
            if (!mb_.intra)
                ResetDc();
            for (int b = 0; b < mb_.blockCount; b++)
                if (DecodeBlock(mb_.blockKind[b])) {
                    st_->idct(block_);
                    WriteBlock(st_, block_, cur, x, y, b);
                }
            if (++next >= total_) {
                SimdLeaveMmx();
                return 1;
            }
            int i = ReadAddressIncrement(rd_);
            if (i == 0)
                break;
            if (i > 1) {
                ResetDc();
                if (pc.pictureCodingType == kCodingP || pc.pictureCodingType == kCodingI) {
                    // Zero vectors from the forward reference (an I picture
                    // has no skipped macroblocks; a damaged one copies too).
                    ResetPmv();
                    LoadPrediction();
                    st_->pred.forward = 1;
                    st_->pred.backward = 0;
                } else {
                    // B: the previous macroblock's directions and vectors.
                    memcpy(st_->pred.vectors, mb_.pmv, sizeof st_->pred.vectors);
                }
                if (pc.pictureStructure == kPictureFrame) {
                    st_->pred.motionType = kMotionFrame;
                } else {
                    st_->pred.motionType = kMotionField;
                    st_->pred.fieldSelect[0][0] = st_->pred.fieldSelect[0][1] =
                        pc.pictureStructure == kPictureBottom ? 1 : 0;
                }
                for (int k = 1; k < i; k++) {
                    int sx, sy;
                    Position(next, &sx, &sy);
                    PredictAt(sx, sy);
                    if (++next >= total_) {
                        SimdLeaveMmx();
                        return 1; // skipped past the last macroblock: the picture ends here
                    }
                }
            }
        }
        code = rd_.NextStartCode();
    }
}

} // namespace slice_detail

// Decodes the slices of one picture into bufs.current. Returns 1 when the
// picture ended regularly (its last macroblock decoded, or the end of the
// data reached) and 0 when it ended with concealment; the reader is then
// left so that the next start-code search finds the start code that ended
// the picture.
template <class R>
int DecodeSlices(R &rd, DecoderState *st, const PictureBuffers &bufs)
{
    slice_detail::SliceDecoder<R> d(rd, st, bufs);
    int r = d.Run();
    SimdLeaveMmx();
    return r;
}

#endif
