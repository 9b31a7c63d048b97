// Slice and macroblock decoding on streams of the project's own writer:
// exact agreement with ffmpeg and libmpeg2 where no inverse DCT rounding is
// involved, the concealment of lost slices, damaged data kept inside the
// buffers, and the inverse quantisation rules.
#include "tests/mpeg/oracle_builders.h"
#include "tests/mpeg/picture_media.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Config {
    const char *name;
    int simd, idct;
};
const Config kConfigs[] = {{"double", 0, 0},       {"integer", 0, 1},  {"row-column", 0, 2},
                           {"MMX", 1, 2},          {"MMX extension", 2, 2}, {"SSE2", 7, 2},
                           {"float SSE", 2, 0}};

#ifndef _WIN32
// (ffmpeg and mpeg2dec run natively only; the Windows build meets their
// decodes through the media folder in picture_decode_test.cpp.)
bool SamePlanes(const Planes &a, const Planes &b) { return a.y == b.y && a.u == b.u && a.v == b.v; }

// ffmpeg's and mpeg2dec's decodes of a stream written to a scratch file.
void ReferenceDecodes(const Bytes &es, const std::string &tag, int w, int h, int cf, std::vector<Planes> *ff,
                      std::vector<Planes> *m2)
{
    std::string dir = ::testing::TempDir();
    std::string in = dir + "/twr_oracle_" + tag + ".m2v";
    FILE *f = fopen(in.c_str(), "wb");
    fwrite(es.data(), 1, es.size(), f);
    fclose(f);
    std::string yuv = in + ".yuv", pgm = in + ".pgm";
    std::string cmd = "ffmpeg -nostdin -v error -y -i " + in + " -fps_mode passthrough -f rawvideo -pix_fmt " +
                      (cf == 1 ? "yuv420p " : "yuv422p ") + yuv + " && mpeg2dec -o pgmpipe " + in + " > " + pgm +
                      " 2>/dev/null";
    ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
    *ff = ReadRawYuv(yuv, w, h, cf);
    *m2 = ReadMpeg2decPgm(pgm, w, h, cf);
    remove(in.c_str());
    remove(yuv.c_str());
    remove(pgm.c_str());
}

struct OracleCase {
    const char *name;
    Bytes (*make)();
    int cf;
};

Bytes FrameMpeg2() { return oracle::FrameStream(true); }
Bytes FrameMpeg1() { return oracle::FrameStream(false); }
Bytes Frame422() { return oracle::FrameStream(true, 2); }
Bytes InterlacedTff() { return oracle::InterlacedFrameStream(1); }
Bytes InterlacedBff() { return oracle::InterlacedFrameStream(0); }
Bytes FieldsTff() { return oracle::FieldStream(1); }
Bytes FieldsBff() { return oracle::FieldStream(0); }

class Oracle : public ::testing::TestWithParam<OracleCase> {};

// Field pictures, 16x8 and dual prime (which no encoder here writes) and
// the rest of the prediction types: bit for bit the same as both.
TEST_P(Oracle, IdenticalToFfmpegAndLibmpeg2)
{
    const OracleCase &oc = GetParam();
    Bytes es = oc.make();
    std::vector<Planes> ff, m2;
    ReferenceDecodes(es, oc.name, 64, 64, oc.cf, &ff, &m2);
    ASSERT_EQ(ff.size(), 3u);
    for (const Config &c : kConfigs) {
        EsFeederOptions opt;
        opt.simd = c.simd;
        opt.idctFunc = c.idct;
        std::vector<Planes> ours = DecodePlanes(es, opt);
        ASSERT_EQ(ours.size(), ff.size()) << c.name;
        for (size_t i = 0; i < ours.size(); i++) {
            EXPECT_TRUE(SamePlanes(ours[i], ff[i])) << c.name << " frame " << i << " against ffmpeg";
            if (oc.cf == 1 && i < m2.size())
                EXPECT_TRUE(SamePlanes(ours[i], m2[i])) << c.name << " frame " << i << " against mpeg2dec";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, Oracle,
                         ::testing::Values(OracleCase{"frame_mpeg2", FrameMpeg2, 1},
                                           OracleCase{"frame_mpeg1", FrameMpeg1, 1},
                                           OracleCase{"frame_422", Frame422, 2},
                                           OracleCase{"interlaced_tff", InterlacedTff, 1},
                                           OracleCase{"interlaced_bff", InterlacedBff, 1},
                                           OracleCase{"fields_tff", FieldsTff, 1},
                                           OracleCase{"fields_bff", FieldsBff, 1}),
                         [](const ::testing::TestParamInfo<OracleCase> &i) { return std::string(i.param.name); });
#endif

// ---- concealment and damage ----

// Offsets of every start code with the given last byte (slices: 0x01-0xAF).
std::vector<size_t> StartCodes(const Bytes &b, int lo, int hi)
{
    std::vector<size_t> v;
    for (size_t i = 0; i + 3 < b.size(); i++)
        if (b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 1 && b[i + 3] >= lo && b[i + 3] <= hi)
            v.push_back(i);
    return v;
}

// Cuts the bytes from `from` up to the next start code (a lost slice).
Bytes DropUntilNextStartCode(const Bytes &b, size_t from)
{
    size_t to = from + 4;
    while (to + 3 < b.size() && !(b[to] == 0 && b[to + 1] == 0 && b[to + 2] == 1))
        to++;
    Bytes out(b.begin(), b.begin() + from);
    out.insert(out.end(), b.begin() + to, b.end());
    return out;
}

// A 64x64 stream: an intra picture, then P pictures whose macroblocks all
// copy the previous picture (forward, zero vector), each followed by an
// intra picture, so that what a lost slice leaves is easy to tell.
Bytes CopyStream(int pPictures)
{
    BitWriter w;
    EsSequence s;
    s.width = s.height = 64;
    WriteSequenceHeader(w, s);
    WriteGopHeader(w, true);
    EsPicture i;
    WritePicture(w, s, i, 4, 4, [](int mx, int my) { return oracle::Intra(mx, my, 0); });
    for (int n = 0; n < pPictures; n++) {
        EsPicture p;
        p.type = 2;
        p.temporalReference = n + 1;
        p.fCode[0][0] = p.fCode[0][1] = 1;
        WritePicture(w, s, p, 4, 4, [](int, int) {
            WMb m;
            m.flags = kWForward;
            return m;
        });
    }
    WriteSequenceEnd(w);
    return w.Bytes();
}

bool MacroblockIsBlack(const Planes &p, int mx, int my)
{
    for (int r = 0; r < 16; r++)
        for (int x = 0; x < 16; x++)
            if (p.y[(16 * my + r) * p.w + 16 * mx + x] != 16)
                return false;
    for (int r = 0; r < 8; r++)
        for (int x = 0; x < 8; x++)
            if (p.u[(8 * my + r) * p.cw + 8 * mx + x] != 128 || p.v[(8 * my + r) * p.cw + 8 * mx + x] != 128)
                return false;
    return true;
}

bool MacroblockEquals(const Planes &a, const Planes &b, int mx, int my)
{
    for (int r = 0; r < 16; r++)
        for (int x = 0; x < 16; x++)
            if (a.y[(16 * my + r) * a.w + 16 * mx + x] != b.y[(16 * my + r) * b.w + 16 * mx + x])
                return false;
    return true;
}

TEST(Concealment, LostLastSliceIsCopiedAndTheNextPictureDecodes)
{
    Bytes es = CopyStream(2);
    std::vector<size_t> slices = StartCodes(es, 0x01, 0xAF);
    ASSERT_EQ(slices.size(), 12u);
    // The last slice of the first P picture.
    Bytes damaged = DropUntilNextStartCode(es, slices[7]);
    std::vector<Planes> out = DecodePlanes(damaged, EsFeederOptions());
    ASSERT_EQ(out.size(), 3u);
    // Every macroblock of both P pictures equals the intra picture: the lost
    // row is concealed by copies from the reference, and the second P
    // picture (after the step back to its start code) decodes whole.
    for (int k = 1; k < 3; k++)
        for (int my = 0; my < 4; my++)
            for (int mx = 0; mx < 4; mx++)
                EXPECT_TRUE(MacroblockEquals(out[k], out[0], mx, my)) << k << ": " << mx << "," << my;
}

TEST(Concealment, LostSliceOfAnIntraPictureWithoutReferenceIsBlack)
{
    Bytes es = CopyStream(0);
    std::vector<size_t> slices = StartCodes(es, 0x01, 0xAF);
    Bytes damaged = DropUntilNextStartCode(es, slices[2]); // row 2 of the intra picture
    std::vector<Planes> out = DecodePlanes(damaged, EsFeederOptions());
    ASSERT_EQ(out.size(), 1u);
    Bytes clean = es;
    std::vector<Planes> good = DecodePlanes(clean, EsFeederOptions());
    // From the macroblock before the gap (the last of row 1) through row 2:
    // black; the rest as decoded.
    EXPECT_TRUE(MacroblockEquals(out[0], good[0], 2, 1));
    EXPECT_TRUE(MacroblockIsBlack(out[0], 3, 1));
    for (int mx = 0; mx < 4; mx++) {
        EXPECT_TRUE(MacroblockIsBlack(out[0], mx, 2)) << mx;
        EXPECT_TRUE(MacroblockEquals(out[0], good[0], mx, 3)) << mx;
    }
}

TEST(Concealment, TruncatedPictureLeavesTheRestBlack)
{
    Bytes es = CopyStream(0);
    std::vector<size_t> slices = StartCodes(es, 0x01, 0xAF);
    Bytes cut(es.begin(), es.begin() + slices[2] + 6); // a few bits into row 2
    std::vector<Planes> out = DecodePlanes(cut, EsFeederOptions());
    ASSERT_EQ(out.size(), 1u);
    for (int mx = 0; mx < 4; mx++)
        EXPECT_TRUE(MacroblockIsBlack(out[0], mx, 3)) << mx;
}

// A skipped macroblock of a B picture takes the vector of the macroblock
// before it; at its own position that vector may reach past the picture.
// Its prediction is kept inside (the edge block), not read from beyond the
// row or the plane.
TEST(Concealment, SkippedBMacroblockVectorsAreClamped)
{
    BitWriter w;
    EsSequence s;
    s.width = 80;
    s.height = 32;
    WriteSequenceHeader(w, s);
    WriteGopHeader(w, true);
    EsPicture i;
    WritePicture(w, s, i, 5, 2, [](int mx, int my) { return oracle::Intra(mx, my, 2); });
    EsPicture p;
    p.type = 2;
    p.temporalReference = 2;
    p.fCode[0][0] = p.fCode[0][1] = 1;
    WritePicture(w, s, p, 5, 2, [](int, int) {
        WMb m;
        m.flags = kWForward;
        return m;
    });
    EsPicture b;
    b.type = 3;
    b.temporalReference = 1;
    b.fCode[0][0] = b.fCode[0][1] = b.fCode[1][0] = b.fCode[1][1] = 4;
    WritePicture(w, s, b, 5, 2, [](int mx, int) {
        WMb m;
        m.flags = kWForward;
        if (mx == 2)
            m.mv[0][0][0] = 64; // 32 samples right: the block at x 64, the last one
        if (mx == 3)
            m.flags = -1;
        return m;
    });
    WriteSequenceEnd(w);
    Bytes es = w.Bytes();
    std::vector<Planes> out = DecodePlanes(es, EsFeederOptions());
    ASSERT_EQ(out.size(), 3u);
    const Planes &ref = out[0], &bp = out[1];
    for (int my = 0; my < 2; my++) {
        for (int r = 0; r < 16; r++)
            for (int x = 0; x < 16; x++) {
                int row = 16 * my + r;
                ASSERT_EQ(bp.y[row * 80 + 32 + x], ref.y[row * 80 + 64 + x]);
                ASSERT_EQ(bp.y[row * 80 + 48 + x], ref.y[row * 80 + 64 + x]) << "skipped, row " << row;
            }
    }
}

// Field pictures in a progressive sequence of 48 lines (an odd number of
// macroblock rows) would put their last field row outside the buffer: the
// standard forbids them, and they are not decoded.
TEST(Concealment, FieldPicturesOfAnOddMacroblockRowCountAreRefused)
{
    BitWriter w;
    EsSequence s;
    s.width = 32;
    s.height = 48;
    s.progressive = true;
    WriteSequenceHeader(w, s);
    for (int f = 0; f < 2; f++) {
        EsPicture i;
        i.structure = f ? 2 : 1;
        i.framePredFrameDct = 0;
        WritePicture(w, s, i, 2, 2, [](int mx, int my) { return oracle::Intra(mx, my, 1); });
    }
    WriteSequenceEnd(w);
    Bytes es = w.Bytes();
    std::vector<Planes> out = DecodePlanes(es, EsFeederOptions());
    ASSERT_EQ(out.size(), 1u);
    for (uint8_t v : out[0].y)
        ASSERT_EQ(v, 16);
}

// ---- coefficients ----

std::vector<std::vector<int16_t>> g_captured;
void CaptureIdct(int16_t *block)
{
    g_captured.emplace_back(block, block + 64);
    for (int i = 0; i < 64; i++)
        block[i] = 0;
}

std::vector<std::vector<int16_t>> CaptureBlocks(const Bytes &es)
{
    g_captured.clear();
    EsFeederOptions opt;
    opt.idctOverride = CaptureIdct;
    DecodePlanes(es, opt);
    return g_captured;
}

// One intra macroblock of 16x16 whose first luma block carries the given
// coefficient codes after its DC (written raw), the other blocks DC only.
Bytes OneIntraMacroblock(bool mpeg2, int qcode, int dcPrecision, int dcDiff, const char *acCodes,
                         bool endOfBlock = true)
{
    BitWriter w;
    EsSequence s;
    s.mpeg2 = mpeg2;
    s.width = s.height = 16;
    WriteSequenceHeader(w, s);
    EsPicture i;
    i.intraDcPrecision = dcPrecision;
    WritePictureHeader(w, s, i);
    WriteSliceHeader(w, 1, qcode);
    WriteAddressIncrement(w, 1);
    w.PutCode("1"); // intra
    // block 0: DC differential, the given codes, end of block
    int a = abs(dcDiff), size = 0;
    while (a >> size)
        size++;
    static const char *const luma[12] = {"100",    "00",      "01",       "101",       "110",       "1110",
                                         "11110",  "111110",  "1111110",  "11111110",  "111111110", "111111111"};
    w.PutCode(luma[size]);
    if (size)
        w.Put((uint32_t)(dcDiff > 0 ? dcDiff : dcDiff + (1 << size) - 1), size);
    w.PutCode(acCodes);
    if (endOfBlock)
        w.PutCode("10");
    for (int b = 1; b < 6; b++)
        WriteIntraDc(w, b >= 4, 0, false);
    WriteSequenceEnd(w);
    return w.Bytes();
}

TEST(Coefficients, Mpeg1IntraEvenValuesMoveTowardZero)
{
    // Level -1 at scan position 1 (raster 1, default matrix 16) with
    // quantiser_scale 2: (-1 x 32) / 16 = -2, even, becomes -1.
    auto blocks = CaptureBlocks(OneIntraMacroblock(false, 1, 0, 0, "111"));
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[0][1], -1);
    EXPECT_EQ(blocks[0][0], 128 * 8);
    EXPECT_EQ(blocks[0][63], 0); // no mismatch control in MPEG-1
}

TEST(Coefficients, Mpeg2MismatchControlMakesTheSumOdd)
{
    auto blocks = CaptureBlocks(OneIntraMacroblock(true, 1, 0, 0, ""));
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[0][0], 1024);
    EXPECT_EQ(blocks[0][63], 1);
}

TEST(Coefficients, DcOfElevenBitsSaturates)
{
    // intra_dc_precision 3: the predictor starts at 1024; +1024 gives 2048,
    // and F[0] is saturated to 2047 (odd: no mismatch correction).
    auto blocks = CaptureBlocks(OneIntraMacroblock(true, 1, 3, 1024, ""));
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[0][0], 2047);
    EXPECT_EQ(blocks[0][63], 0);
}

TEST(Coefficients, QuantiserScaleZeroGivesZeroCoefficients)
{
    // Level +3 at scan position 1 ("0010 1" + sign) with quantiser_scale_code 0.
    auto blocks = CaptureBlocks(OneIntraMacroblock(false, 0, 0, 0, "001010"));
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[0][1], 0);
}

TEST(Coefficients, RunPastTheBlockRejectsOnlyThatBlock)
{
    // Escape, run 63: the scan index would be 64. The block is dropped (not
    // transformed, nothing written); the macroblock's next block follows at
    // once in the bits and is decoded.
    auto blocks = CaptureBlocks(OneIntraMacroblock(true, 1, 0, 8, "000001 111111 000000000001", false));
    ASSERT_EQ(blocks.size(), 5u);
    // The dropped block's DC still moved the luma predictor to 136.
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(blocks[k][0], 136 * 8) << k;
    for (int k = 3; k < 5; k++)
        EXPECT_EQ(blocks[k][0], 128 * 8) << k;
}

// A picture taller than 2800 lines puts the high bits of its slice rows in
// slice_vertical_position_extension; a shorter one has no such field.
TEST(Slices, VerticalPositionExtensionOnlyInTallPictures)
{
    for (int height : {2816, 1088}) {
        BitWriter w;
        EsSequence s;
        s.width = 16;
        s.height = height;
        WriteSequenceHeader(w, s);
        EsPicture i;
        WritePictureHeader(w, s, i);
        const int row = height > 2800 ? 150 : 60;
        // Two rows: a picture that ends early conceals the last macroblock
        // decoded, so the row looked at is the first.
        for (int r = row; r < row + 2; r++) {
            WriteSliceHeader(w, r + 1, 1, height > 2800);
            WriteAddressIncrement(w, 1);
            w.PutCode("1");
            for (int b = 0; b < 6; b++)
                WriteIntraDc(w, b >= 4, b == 0 ? 100 : 0, false);
        }
        WriteSequenceEnd(w);
        Bytes es = w.Bytes();
        std::vector<Planes> out = DecodePlanes(es, EsFeederOptions());
        ASSERT_EQ(out.size(), 1u) << height;
        EXPECT_EQ(out[0].y[(16 * row) * 16], 128 + 100) << height;
        EXPECT_EQ(out[0].y[(16 * row - 16) * 16], 16) << height;
    }
}

// macroblock_stuffing in an MPEG-1 slice ends the slice; the macroblocks
// after it are concealed when the next slice starts.
TEST(Slices, Mpeg1StuffingEndsTheSlice)
{
    BitWriter w;
    EsSequence s;
    s.mpeg2 = false;
    s.width = 48;
    s.height = 32;
    WriteSequenceHeader(w, s);
    EsPicture i;
    WritePictureHeader(w, s, i);
    for (int row = 0; row < 2; row++) {
        WriteSliceHeader(w, row + 1, 1);
        for (int mx = 0; mx < 3; mx++) {
            if (row == 0 && mx == 2)
                w.PutCode("00000001111"); // stuffing before the last macroblock
            WriteAddressIncrement(w, 1);
            w.PutCode("1");
            for (int b = 0; b < 6; b++)
                WriteIntraDc(w, b >= 4, b == 0 && mx == 0 ? 50 : 0, false);
        }
    }
    WriteSequenceEnd(w);
    Bytes es = w.Bytes();
    std::vector<Planes> out = DecodePlanes(es, EsFeederOptions());
    ASSERT_EQ(out.size(), 1u);
    // Row 0: macroblocks 0 and 1 decoded; 1 (before the gap) and 2 black.
    EXPECT_EQ(out[0].y[0], 128 + 50);
    EXPECT_TRUE(MacroblockIsBlack(out[0], 1, 0));
    EXPECT_TRUE(MacroblockIsBlack(out[0], 2, 0));
    EXPECT_FALSE(MacroblockIsBlack(out[0], 0, 1));
}

} // namespace
