// A small writer of MPEG-1/2 video elementary streams for tests: the
// syntax that no encoder on these machines writes (field pictures, 16x8
// and dual-prime prediction) and pictures whose decoding does not depend
// on the inverse DCT (DC-only intra blocks, predicted macroblocks without
// coefficients), so that independent decoders must agree bit for bit.
// Codes are written from the standard's tables, apart from the decoder's.
#ifndef TWR_TESTS_MPEG_ES_WRITER_H
#define TWR_TESTS_MPEG_ES_WRITER_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

class BitWriter {
public:
    void Put(uint32_t v, int bits)
    {
        for (int i = bits - 1; i >= 0; i--)
            PutBit((v >> i) & 1);
    }
    void PutCode(const char *code)
    {
        for (; *code; code++)
            if (*code == '0' || *code == '1')
                PutBit(*code == '1');
    }
    void Align()
    {
        while (n_)
            PutBit(0);
    }
    void StartCode(uint8_t code)
    {
        Align();
        bytes_.push_back(0);
        bytes_.push_back(0);
        bytes_.push_back(1);
        bytes_.push_back(code);
    }
    const std::vector<uint8_t> &Bytes()
    {
        Align();
        return bytes_;
    }

private:
    void PutBit(int b)
    {
        cur_ = (uint8_t)((cur_ << 1) | b);
        if (++n_ == 8) {
            bytes_.push_back(cur_);
            n_ = 0;
            cur_ = 0;
        }
    }
    std::vector<uint8_t> bytes_;
    uint8_t cur_ = 0;
    int n_ = 0;
};

struct EsSequence {
    int width = 64, height = 64;
    bool mpeg2 = true;
    int chromaFormat = 1;
    bool progressive = true;
    int aspect = 1, frameRateCode = 3;
};

struct EsPicture {
    int type = 1; // 1 I, 2 P, 3 B
    int temporalReference = 0;
    int structure = 3;
    int topFieldFirst = 1;
    int framePredFrameDct = 1;
    int intraDcPrecision = 0;
    int fCode[2][2] = {{15, 15}, {15, 15}};
    int concealment = 0;
    int qScaleType = 0;
    int intraVlcFormat = 0;
    int alternateScan = 0;
    int progressiveFrame = 1;
    // MPEG-1
    int forwardFCode = 1, backwardFCode = 1;
};

inline void WriteSequenceHeader(BitWriter &w, const EsSequence &s)
{
    w.StartCode(0xB3);
    w.Put(s.width & 0xFFF, 12);
    w.Put(s.height & 0xFFF, 12);
    w.Put(s.aspect, 4);
    w.Put(s.frameRateCode, 4);
    w.Put(0x3FFFF, 18); // bit rate
    w.Put(1, 1);
    w.Put(112, 10); // vbv buffer size
    w.Put(0, 1);    // constrained parameters
    w.Put(0, 1);    // default intra matrix
    w.Put(0, 1);    // default non-intra matrix
    if (!s.mpeg2)
        return;
    w.StartCode(0xB5);
    w.Put(1, 4);    // sequence extension
    w.Put(0x44, 8); // main profile, high level
    w.Put(s.progressive ? 1 : 0, 1);
    w.Put(s.chromaFormat, 2);
    w.Put(s.width >> 12, 2);
    w.Put(s.height >> 12, 2);
    w.Put(0, 12);
    w.Put(1, 1);
    w.Put(0, 8);
    w.Put(0, 1); // low delay
    w.Put(0, 2);
    w.Put(0, 5);
}

inline void WriteGopHeader(BitWriter &w, bool closed)
{
    w.StartCode(0xB8);
    w.Put(0, 12); // drop_frame_flag, hours, minutes
    w.Put(1, 1);  // marker
    w.Put(0, 12); // seconds, pictures
    w.Put(closed ? 1 : 0, 1);
    w.Put(0, 1);
}

inline void WritePictureHeader(BitWriter &w, const EsSequence &s, const EsPicture &p)
{
    w.StartCode(0x00);
    w.Put(p.temporalReference & 1023, 10);
    w.Put(p.type, 3);
    w.Put(0xFFFF, 16); // vbv delay
    if (p.type == 2 || p.type == 3) {
        w.Put(0, 1);
        w.Put(s.mpeg2 ? 7 : p.forwardFCode, 3);
    }
    if (p.type == 3) {
        w.Put(0, 1);
        w.Put(s.mpeg2 ? 7 : p.backwardFCode, 3);
    }
    w.Put(0, 1); // no extra information
    if (!s.mpeg2)
        return;
    w.StartCode(0xB5);
    w.Put(8, 4);
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 2; j++)
            w.Put(p.fCode[i][j], 4);
    w.Put(p.intraDcPrecision, 2);
    w.Put(p.structure, 2);
    w.Put(p.topFieldFirst, 1);
    w.Put(p.framePredFrameDct, 1);
    w.Put(p.concealment, 1);
    w.Put(p.qScaleType, 1);
    w.Put(p.intraVlcFormat, 1);
    w.Put(p.alternateScan, 1);
    w.Put(0, 1); // repeat_first_field
    w.Put(1, 1); // chroma_420_type
    w.Put(p.progressiveFrame, 1);
    w.Put(0, 1); // composite display
}

// A picture taller than 2800 lines carries the row's high bits in
// slice_vertical_position_extension.
inline void WriteSliceHeader(BitWriter &w, int verticalPosition, int quantiserScaleCode, bool tall = false)
{
    w.StartCode((uint8_t)(tall ? ((verticalPosition - 1) & 127) + 1 : verticalPosition));
    if (tall)
        w.Put((uint32_t)((verticalPosition - 1) >> 7), 3);
    w.Put(quantiserScaleCode, 5);
    w.Put(0, 1);
}

inline void WriteAddressIncrement(BitWriter &w, int inc)
{
    static const char *const codes[34] = {
        "",            "1",           "011",         "010",         "0011",        "0010",        "00011",
        "00010",       "0000111",     "0000110",     "00001011",    "00001010",    "00001001",    "00001000",
        "00000111",    "00000110",    "0000010111",  "0000010110",  "0000010101",  "0000010100",  "0000010011",
        "0000010010",  "00000100011", "00000100010", "00000100001", "00000100000", "00000011111", "00000011110",
        "00000011101", "00000011100", "00000011011", "00000011010", "00000011001", "00000011000"};
    while (inc > 33) {
        w.PutCode("00000001000");
        inc -= 33;
    }
    w.PutCode(codes[inc]);
}

// macroblock_type flags as the decoder names them.
enum { kWQuant = 1, kWForward = 2, kWBackward = 4, kWPattern = 8, kWIntra = 16 };

inline void WriteMbType(BitWriter &w, int pictureType, int flags)
{
    struct E {
        int flags;
        const char *code;
    };
    static const E p[] = {{kWForward | kWPattern, "1"},
                          {kWPattern, "01"},
                          {kWForward, "001"},
                          {kWIntra, "00011"},
                          {kWQuant | kWForward | kWPattern, "00010"},
                          {kWQuant | kWPattern, "00001"},
                          {kWQuant | kWIntra, "000001"}};
    static const E b[] = {{kWForward | kWBackward, "10"},
                          {kWForward | kWBackward | kWPattern, "11"},
                          {kWBackward, "010"},
                          {kWBackward | kWPattern, "011"},
                          {kWForward, "0010"},
                          {kWForward | kWPattern, "0011"},
                          {kWIntra, "00011"},
                          {kWQuant | kWForward | kWBackward | kWPattern, "00010"},
                          {kWQuant | kWForward | kWPattern, "000011"},
                          {kWQuant | kWBackward | kWPattern, "000010"},
                          {kWQuant | kWIntra, "000001"}};
    if (pictureType == 1) {
        w.PutCode(flags & kWQuant ? "01" : "1");
        return;
    }
    const E *t = pictureType == 2 ? p : b;
    size_t n = pictureType == 2 ? sizeof p / sizeof p[0] : sizeof b / sizeof b[0];
    for (size_t i = 0; i < n; i++)
        if (t[i].flags == flags) {
            w.PutCode(t[i].code);
            return;
        }
    abort();
}

// One motion vector component: the difference from the predictor as the
// decoder forms it (already in the predictor's units), f_code f.
inline void WriteMotionDelta(BitWriter &w, int delta, int f)
{
    static const char *const mag[17] = {"1",          "01",         "001",        "0001",      "000011",
                                        "0000101",    "0000100",    "0000011",    "000001011", "000001010",
                                        "000001001",  "0000010001", "0000010000", "0000001111", "0000001110",
                                        "0000001101", "0000001100"};
    int r = f - 1, range = 16 << r;
    if (delta < -range)
        delta += 2 * range;
    else if (delta > range - 1)
        delta -= 2 * range;
    if (delta == 0) {
        w.PutCode("1");
        return;
    }
    int a = abs(delta), code = f == 1 ? a : ((a - 1) >> r) + 1;
    w.PutCode(mag[code]);
    w.Put(delta < 0 ? 1 : 0, 1);
    if (f != 1)
        w.Put((uint32_t)((a - 1) & ((1 << r) - 1)), r);
}

inline void WriteDmvector(BitWriter &w, int d) { w.PutCode(d == 0 ? "0" : d > 0 ? "10" : "11"); }

// A DC-only intra block: the differential from the predictor, then
// end_of_block of the table in force.
inline void WriteIntraDc(BitWriter &w, bool chroma, int diff, bool intraVlcFormat)
{
    static const char *const luma[12] = {"100",     "00",       "01",        "101",        "110",        "1110",
                                         "11110",   "111110",   "1111110",   "11111110",   "111111110",  "111111111"};
    static const char *const chrom[12] = {"00",       "01",        "10",         "110",         "1110",        "11110",
                                          "111110",   "1111110",   "11111110",   "111111110",   "1111111110",  "1111111111"};
    int a = abs(diff), size = 0;
    while (a >> size)
        size++;
    w.PutCode(chroma ? chrom[size] : luma[size]);
    if (size)
        w.Put((uint32_t)(diff > 0 ? diff : diff + (1 << size) - 1), size);
    w.PutCode(intraVlcFormat ? "0110" : "10");
}

inline void WriteSequenceEnd(BitWriter &w) { w.StartCode(0xB7); }

#endif
