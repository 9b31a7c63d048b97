// Decoded frames of streams made by ffmpeg and mpeg2enc against ffmpeg's
// and libmpeg2's decodes of the same streams, with every inverse DCT and
// instruction-set choice: at least 55 dB luma PSNR (independent decoders
// agree with each other at about 61 dB or more), the exact frame count and
// order.
#include "tests/mpeg/picture_media.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct StreamCase {
    const char *name;
    int w, h, cf;
};

const StreamCase kStreams[] = {
    {"m1.m1v", 352, 240, 1},    {"p420.m2v", 352, 288, 1}, {"il.m2v", 720, 576, 1},  {"altvlc.m2v", 320, 240, 1},
    {"odd.m2v", 198, 142, 1},   {"c422.m2v", 352, 288, 2}, {"enc_il.m2v", 352, 288, 1}, {"enc_p.m2v", 352, 288, 1},
};

struct Config {
    const char *name;
    int simd, idct;
};

const Config kConfigs[] = {
    {"double", 0, 0}, {"integer", 0, 1}, {"row-column", 0, 2}, {"row-column MMX", 1, 2},
    {"row-column MMX extension", 2, 2}, {"row-column SSE2", 7, 2}, {"float SSE", 2, 0},
};

class PictureDecode : public ::testing::TestWithParam<StreamCase> {};

TEST_P(PictureDecode, MatchesFfmpegAndLibmpeg2)
{
    const StreamCase &sc = GetParam();
    std::vector<uint8_t> es = ReadWholeFile(PictureMediaPath(sc.name));
    ASSERT_FALSE(es.empty()) << PictureMediaPath(sc.name);
    std::vector<Planes> ff = ReadRawYuv(PictureMediaPath(std::string(sc.name) + ".ffmpeg.yuv"), sc.w, sc.h, sc.cf);
    std::vector<Planes> m2 =
        ReadMpeg2decPgm(PictureMediaPath(std::string(sc.name) + ".mpeg2dec.pgm"), sc.w, sc.h, sc.cf);
    ASSERT_FALSE(ff.empty());
    for (const Config &c : kConfigs) {
        EsFeederOptions opt;
        opt.simd = c.simd;
        opt.idctFunc = c.idct;
        std::vector<Planes> ours = DecodePlanes(es, opt);
        ASSERT_EQ(ours.size(), ff.size()) << c.name;
        // mpeg2dec leaves out the last frames of a stream without a sequence
        // end code; the frames it gives are in order.
        ASSERT_GE(m2.size() + 2, ours.size()) << c.name;
        double minFf = 99, minM2 = 99, minChroma = 99;
        for (size_t i = 0; i < ours.size(); i++) {
            minFf = std::min(minFf, Psnr(ours[i].y, ff[i].y));
            minChroma = std::min({minChroma, Psnr(ours[i].u, ff[i].u), Psnr(ours[i].v, ff[i].v)});
            if (i < m2.size())
                minM2 = std::min(minM2, Psnr(ours[i].y, m2[i].y));
        }
        EXPECT_GE(minFf, 55) << sc.name << " " << c.name;
        EXPECT_GE(minM2, 55) << sc.name << " " << c.name;
        EXPECT_GE(minChroma, 50) << sc.name << " " << c.name;
        printf("  %-12s %-26s min luma PSNR: ffmpeg %.2f dB, mpeg2dec %.2f dB (%zu frames)\n", sc.name, c.name, minFf,
               minM2, ours.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, PictureDecode, ::testing::ValuesIn(kStreams),
                         [](const ::testing::TestParamInfo<StreamCase> &i) {
                             std::string n = i.param.name;
                             std::replace(n.begin(), n.end(), '.', '_');
                             return n;
                         });

} // namespace
