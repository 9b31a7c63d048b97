#include "mpeg/frame_output.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct FbDeleter {
    void operator()(FrameBuffer *f) const { ReleaseFrameBuffer(f); }
};
using FbPtr = std::unique_ptr<FrameBuffer, FbDeleter>;

// Studio-range BT.601 with the luma expanded, as the decoder sets it up.
OutputInfo Bt601Studio(int w, int h)
{
    OutputInfo o = {};
    o.width = w;
    o.height = h;
    o.stride = w;
    o.pitch = 3 * w;
    o.chroma_offset = w / 2;
    o.luma_offset = 16;
    o.luma_gain = 76309;
    o.v_to_r = 104597;
    o.u_to_g = -25675;
    o.v_to_g = -53279;
    o.u_to_b = 132201;
    return o;
}

TEST(FrameBuffer, PlanesAreAlignedBlackAndCounted)
{
    FrameBuffer *fb = NewFrameBuffer(48, 32);
    ASSERT_NE(fb, nullptr);
    EXPECT_EQ((uintptr_t)fb->y % 16, 0u);
    EXPECT_GT(fb->y, fb->raw);
    EXPECT_LE(fb->y, fb->raw + 16);
    EXPECT_EQ(fb->u, fb->y + 48 * 32);
    EXPECT_EQ(fb->v, fb->u + 48 * 32);
    for (int i = 0; i < 48 * 32; i++) {
        ASSERT_EQ(fb->y[i], 16);
        ASSERT_EQ(fb->u[i], 128);
        ASSERT_EQ(fb->v[i], 128);
    }
    fb->y[5] = 200;
    fb->v[48 * 32 - 1] = 7;
    FrameBuffer *copy = CloneFrameBuffer(fb);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->refCount, 1);
    EXPECT_EQ(copy->y[5], 200);
    EXPECT_EQ(copy->v[48 * 32 - 1], 7);
    fb->refCount++;
    ReleaseFrameBuffer(fb);
    EXPECT_EQ(fb->refCount, 1); // still held
    ReleaseFrameBuffer(fb);
    ReleaseFrameBuffer(copy);
    ReleaseFrameBuffer(nullptr);
    EXPECT_EQ(CloneFrameBuffer(nullptr), nullptr);
    EXPECT_EQ(NewFrameBuffer(0, 16), nullptr);
    EXPECT_EQ(NewFrameBuffer(0x40000000, 0x40000000), nullptr);
}

TEST(ChromaUpsampling, ProgressiveOfFourRows)
{
    FbPtr fb(NewFrameBuffer(16, 4));
    for (int x = 0; x < 8; x++) {
        fb->u[x] = 10;
        fb->u[16 + x] = 201;
    }
    UpsampleChromaProgressive(fb.get());
    const int expect[4] = {10, (3 * 10 + 201 + 2) >> 2, (10 + 3 * 201 + 2) >> 2, 201};
    for (int r = 0; r < 4; r++)
        for (int x = 0; x < 8; x++)
            ASSERT_EQ(fb->u[r * 16 + 8 + x], expect[r]) << r;
    // The decoded samples that prediction reads stay as they were.
    EXPECT_EQ(fb->u[0], 10);
    EXPECT_EQ(fb->u[16], 201);
    EXPECT_EQ(fb->v[8], 128);
}

TEST(ChromaUpsampling, InterlacedKeepsFieldsApartAndRepeats)
{
    const int W = 32, H = 16;
    FbPtr fb(NewFrameBuffer(W, H));
    std::mt19937 rng(3);
    for (int r = 0; r < H / 2; r++)
        for (int x = 0; x < W / 2; x++)
            fb->u[r * W + x] = (uint8_t)rng();
    std::vector<uint8_t> c(fb->u, fb->u + W * H);
    UpsampleChromaInterlaced(fb.get());
    auto in = [&](int r, int x) { return (int)c[r * W + x]; };
    for (int x = 0; x < W / 2; x++) {
        std::vector<int> o(H);
        o[0] = in(0, x);
        o[1] = in(1, x);
        for (int k = 0; k <= (H - 5) >> 2; k++) {
            o[4 * k + 2] = (5 * in(2 * k, x) + 3 * in(2 * k + 2, x) + 4) >> 3;
            o[4 * k + 3] = (7 * in(2 * k + 1, x) + in(2 * k + 3, x) + 4) >> 3;
            o[4 * k + 4] = (in(2 * k, x) + 7 * in(2 * k + 2, x) + 4) >> 3;
            o[4 * k + 5] = (3 * in(2 * k + 1, x) + 5 * in(2 * k + 3, x) + 4) >> 3;
        }
        o[H - 2] = in(H / 2 - 2, x);
        o[H - 1] = in(H / 2 - 1, x);
        for (int r = 0; r < H; r++)
            ASSERT_EQ(fb->u[r * W + W / 2 + x], o[r]) << "row " << r << " x " << x;
    }
    std::vector<uint8_t> once(fb->u, fb->u + W * H);
    UpsampleChromaInterlaced(fb.get());
    EXPECT_EQ(std::vector<uint8_t>(fb->u, fb->u + W * H), once);
}

struct GreyCase {
    int y;
    int grey;
};

TEST(Rgb24, NeutralChromaGivesGreyOfTheLumaRange)
{
    const GreyCase cases[] = {{16, 0}, {235, 254}, {0, 0}, {255, 255}, {126, 128}};
    for (const GreyCase &gc : cases) {
        FbPtr fb(NewFrameBuffer(16, 2));
        for (int i = 0; i < 32; i++)
            fb->y[i] = (uint8_t)gc.y;
        OutputInfo o = Bt601Studio(16, 2);
        uint8_t out[16 * 3 * 2];
        ConvertRgb24From422(fb.get(), fb.get(), out, &o);
        for (int i = 0; i < 96; i++)
            ASSERT_EQ(out[i], gc.grey) << "Y " << gc.y;
    }
}

TEST(Rgb24, Bt601StudioSaturatedRed)
{
    FbPtr fb(NewFrameBuffer(16, 2));
    for (int i = 0; i < 32; i++) {
        fb->y[i] = 235;
        fb->v[i] = 240;
    }
    OutputInfo o = Bt601Studio(16, 2);
    uint8_t out[96];
    ConvertRgb24From422(fb.get(), fb.get(), out, &o);
    EXPECT_EQ(out[0], 254); // blue
    EXPECT_EQ(out[1], 163); // green
    EXPECT_EQ(out[2], 255); // red (433 saturated)
}

TEST(Rgb24, FieldPairingAndNegativePitch)
{
    const int W = 16, H = 4;
    FbPtr top(NewFrameBuffer(W, H)), bottom(NewFrameBuffer(W, H));
    for (int r = 0; r < H; r++)
        for (int x = 0; x < W; x++) {
            top->y[r * W + x] = (uint8_t)(16 + 10 * r);
            bottom->y[r * W + x] = (uint8_t)(116 + 10 * r);
        }
    OutputInfo o = Bt601Studio(W, H);
    OutputInfo plain = o;
    std::vector<uint8_t> a(3 * W * H), b(3 * W * H);
    ConvertRgb24From422(top.get(), bottom.get(), a.data(), &o);
    ConvertRgb24From422(top.get(), top.get(), b.data(), &plain);
    // Row 0 from the top source, row 1 from the bottom source's row 1.
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[3 * W], (uint8_t)(((116 + 10 - 16) * 76309) >> 16));
    EXPECT_EQ(a[2 * 3 * W], b[2 * 3 * W]);
    // A negative pitch from the last row upward gives the picture upright
    // in a bottom-up buffer.
    std::vector<uint8_t> c(3 * W * H);
    o.pitch = -3 * W;
    ConvertRgb24From422(top.get(), bottom.get(), c.data() + 3 * W * (H - 1), &o);
    for (int r = 0; r < H; r++)
        for (int i = 0; i < 3 * W; i++)
            ASSERT_EQ(c[(H - 1 - r) * 3 * W + i], a[r * 3 * W + i]);
}

// Every width (pairs of pixels sharing chroma, a last odd pixel) gives the
// saturated fixed-point sums of each pixel, and nothing is written between
// the rows of a wider pitch or after the last row's last pixel (the
// buffer ends there).
TEST(Rgb24, EveryWidthGivesTheSaturatedSumsWithinItsRows)
{
    const int FW = 48, H = 3;
    std::mt19937 rng(5);
    FbPtr fb(NewFrameBuffer(FW, H));
    for (int i = 0; i < FW * H; i++) {
        fb->y[i] = (uint8_t)rng();
        fb->u[i] = (uint8_t)rng();
        fb->v[i] = (uint8_t)rng();
    }
    auto sat = [](long long v) { return (int)(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int w : {1, 2, 3, 4, 5, 7, 16, 31, 48}) {
        OutputInfo o = Bt601Studio(w, H);
        o.chroma_offset = FW / 2;
        o.pitch = 3 * w + 5;
        std::vector<uint8_t> out((size_t)o.pitch * (H - 1) + 3 * w, 0xEE);
        ConvertRgb24From422(fb.get(), fb.get(), out.data(), &o);
        for (int r = 0; r < H; r++) {
            for (int x = 0; x < w; x++) {
                long long y = (long long)(fb->y[r * FW + x] - 16) * 76309;
                int u = fb->u[r * FW + FW / 2 + x / 2] - 128, v = fb->v[r * FW + FW / 2 + x / 2] - 128;
                const uint8_t *px = &out[(size_t)r * o.pitch + 3 * x];
                ASSERT_EQ(px[0], sat((y + u * 132201LL) >> 16)) << w << " " << r << " " << x;
                ASSERT_EQ(px[1], sat((y + u * -25675LL + v * -53279LL) >> 16)) << w << " " << r << " " << x;
                ASSERT_EQ(px[2], sat((y + v * 104597LL) >> 16)) << w << " " << r << " " << x;
            }
            if (r + 1 < H) {
                for (int i = 3 * w; i < o.pitch; i++)
                    ASSERT_EQ(out[(size_t)r * o.pitch + i], 0xEE) << w << " " << r;
            }
        }
    }
}

// Coefficients beyond any colour matrix (sums past the saturation table)
// still saturate: the converter checks its tables before using the fast path.
TEST(Rgb24, SumsBeyondTheClipTableStillSaturate)
{
    FbPtr fb(NewFrameBuffer(16, 2));
    for (int i = 0; i < 32; i++) {
        fb->y[i] = (uint8_t)(i & 1 ? 255 : 0);
        fb->u[i] = 255;
    }
    OutputInfo o = Bt601Studio(16, 2);
    o.luma_gain = 65536 * 40;
    o.u_to_b = 65536 * 30;
    uint8_t out[96];
    ConvertRgb24From422(fb.get(), fb.get(), out, &o);
    EXPECT_EQ(out[0], 255); // blue of Y 0: -16 x 40 + 127 x 30 = 3170
    EXPECT_EQ(out[2], 0);   // red of Y 0: (0 - 16) x 40 = -640
    EXPECT_EQ(out[5], 255); // red of Y 255: 239 x 40
}

// An output geometry larger than the buffer (a frame the resizer could not
// enlarge) is converted from what the buffer holds; the rest is black and
// nothing is read outside the planes.
TEST(Rgb24, GeometryBeyondTheBufferStaysInside)
{
    FbPtr fb(NewFrameBuffer(16, 4));
    for (int i = 0; i < 64; i++)
        fb->y[i] = 235;
    OutputInfo o = Bt601Studio(40, 6);
    o.chroma_offset = 30;
    std::vector<uint8_t> out(3 * 40 * 6, 77);
    ConvertRgb24From422(fb.get(), fb.get(), out.data(), &o);
    EXPECT_EQ(out[0], 254);
    EXPECT_EQ(out[3 * 15], 254);
    EXPECT_EQ(out[3 * 16], 0);
    EXPECT_EQ(out[3 * 40 * 5], 0);
    EXPECT_EQ(out.back(), 0);
}

#ifndef _WIN32
#include <unistd.h>

// Colour matrix and range against ffmpeg's own conversion: 4:4:4 input so
// that chroma siting plays no part.
std::vector<uint8_t> RunFfmpegToBgr(const std::vector<uint8_t> &yuv444, int w, int h, const char *matrix,
                                    const char *range)
{
    std::string dir = ::testing::TempDir();
    // Named per process: test runs of other checkouts share the folder.
    std::string tag = std::to_string(getpid());
    std::string in = dir + "/twr_rgb_in." + tag + ".yuv", out = dir + "/twr_rgb_out." + tag + ".bgr";
    FILE *f = fopen(in.c_str(), "wb");
    fwrite(yuv444.data(), 1, yuv444.size(), f);
    fclose(f);
    char cmd[1024];
    snprintf(cmd, sizeof cmd,
             "ffmpeg -v error -y -f rawvideo -pix_fmt yuv444p -s %dx%d -i %s -vf "
             "scale=in_color_matrix=%s:in_range=%s:out_range=full:flags=accurate_rnd+full_chroma_int+bitexact "
             "-f rawvideo -pix_fmt bgr24 %s",
             w, h, in.c_str(), matrix, range, out.c_str());
    if (system(cmd) != 0)
        return {};
    std::vector<uint8_t> bgr((size_t)w * h * 3);
    f = fopen(out.c_str(), "rb");
    if (!f || fread(bgr.data(), 1, bgr.size(), f) != bgr.size())
        bgr.clear();
    if (f)
        fclose(f);
    remove(in.c_str());
    remove(out.c_str());
    return bgr;
}

struct MatrixCase {
    const char *matrix, *range;
    int off, gain, ub, ug, vg, vr;
};

TEST(Rgb24, MatchesFfmpegConversionForEachMatrixAndRange)
{
    const MatrixCase cases[] = {
        {"bt601", "tv", 16, 76309, 132201, -25675, -53279, 104597},
        {"bt601", "pc", 0, 65536, 116129, -22553, -46801, 91881},
        {"bt709", "tv", 16, 76309, 138453, -13954, -34903, 117504},
        {"bt709", "pc", 0, 65536, 121621, -12257, -30659, 103219},
    };
    const int W = 64, H = 48;
    std::mt19937 rng(11);
    FbPtr fb(NewFrameBuffer(W, H));
    for (int i = 0; i < W * H; i++) {
        fb->y[i] = (uint8_t)(16 + rng() % 220);
        fb->u[i] = (uint8_t)(16 + rng() % 225);
        fb->v[i] = (uint8_t)(16 + rng() % 225);
    }
    std::vector<uint8_t> yuv(fb->y, fb->y + 3 * W * H);
    for (const MatrixCase &mc : cases) {
        std::vector<uint8_t> ref = RunFfmpegToBgr(yuv, W, H, mc.matrix, mc.range);
        ASSERT_FALSE(ref.empty()) << "ffmpeg failed";
        OutputInfo o = {W, H, W, 3 * W, 0, mc.off, mc.gain, mc.ub, mc.ug, mc.vg, mc.vr};
        std::vector<uint8_t> ours(3 * W * H);
        ConvertRgb24From444(fb.get(), fb.get(), ours.data(), &o);
        int worst = 0;
        for (size_t i = 0; i < ours.size(); i++)
            worst = std::max(worst, std::abs(ours[i] - ref[i]));
        // Ours truncates where ffmpeg rounds: one level.
        EXPECT_LE(worst, 1) << mc.matrix << " " << mc.range;
    }
}
#endif

} // namespace
