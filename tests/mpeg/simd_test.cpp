// Each processor twin against its portable routine, for the results that
// must agree exactly and for the documented one-level differences.
#include "mpeg/simd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string.h>
#include <vector>

#ifdef TWR_HAVE_X86_SIMD

namespace {

struct FbDeleter {
    void operator()(FrameBuffer *f) const { ReleaseFrameBuffer(f); }
};
using FbPtr = std::unique_ptr<FrameBuffer, FbDeleter>;

bool Has(int set) { return (CpuSimdMask() & set) == set; }

struct alignas(16) Block {
    int16_t v[64];
};

// Coefficient blocks as the decoder meets them: a DC and a few AC values
// of falling size, saturated to [-2048, 2047].
Block NaturalBlock(std::mt19937 &rng)
{
    Block b = {};
    b.v[0] = (int16_t)((int)(rng() % 4096) - 2048);
    int n = rng() % 12;
    for (int i = 0; i < n; i++) {
        int pos = rng() % 64;
        int mag = 1 + rng() % (pos < 10 ? 600 : 120);
        b.v[pos] = (int16_t)(rng() & 1 ? mag : -mag);
    }
    return b;
}

TEST(SimdIdct, RowColumnFormsEqualThePortableForm)
{
    std::vector<std::pair<const char *, IdctFunc>> forms;
    if (Has(kSimdMmx))
        forms.push_back({"MMX", IdctRowColumnMmx});
    if (Has(kSimdMmxExt))
        forms.push_back({"MMX extension", IdctRowColumnMmxExt});
    if (Has(kSimdSse2))
        forms.push_back({"SSE2", IdctRowColumnSse2});
    std::mt19937 rng(1);
    for (int n = 0; n < 20000; n++) {
        Block in = NaturalBlock(rng), ref = in;
        IdctRowColumn(ref.v);
        for (auto &f : forms) {
            Block b = in;
            f.second(b.v);
            SimdLeaveMmx();
            // Identical while the sums fit 16 bits; beyond that the processor
            // forms saturate (outputs past +-511), which the block writer's
            // saturation to 0-255 makes equal again.
            bool inRange = std::all_of(ref.v, ref.v + 64, [](int16_t v) { return v >= -400 && v <= 400; });
            for (int i = 0; i < 64; i++) {
                if (inRange) {
                    ASSERT_EQ(b.v[i], ref.v[i]) << f.first << " block " << n << " at " << i;
                }
                ASSERT_EQ(std::clamp<int>(b.v[i], -256, 255), std::clamp<int>(ref.v[i], -256, 255))
                    << f.first << " block " << n << " at " << i;
            }
        }
    }
}

// The single-precision form: the same arithmetic written out in scalar
// floats (products rounded, then the pair sums in their order).
void FloatReference(int16_t *block)
{
    static const float mag[9] = {0.353553f, 0.490393f, 0.461940f, 0.415735f, 0.353553f,
                                 0.277785f, 0.191342f, 0.097545f, 0.0f};
    float c[64];
    for (int u = 0; u < 8; u++)
        for (int x = 0; x < 8; x++) {
            int k = (2 * x + 1) * u % 32;
            float s = 1;
            if (k > 16)
                k = 32 - k;
            if (k > 8)
                k = 16 - k, s = -1;
            c[u * 8 + x] = u ? s * mag[k] : mag[0];
        }
    float f[64], t[64];
    for (int i = 0; i < 64; i++)
        f[i] = block[i];
    auto dot = [](const float *a, int as, const float *cc, int cs) {
        volatile float s[4];
        for (int k = 0; k < 4; k++) {
            float p = a[k * as] * cc[k * cs];
            float q = a[(k + 4) * as] * cc[(k + 4) * cs];
            s[k] = p + q;
        }
        float l = s[0] + s[1], r = s[2] + s[3];
        return l + r;
    };
    for (int r = 0; r < 8; r++)
        for (int x = 0; x < 8; x++)
            t[r * 8 + x] = dot(f + r * 8, 1, c + x, 8);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            float s = dot(t + x, 8, c + y, 8);
            long v = lrintf(s);
            block[y * 8 + x] = (int16_t)std::clamp<long>(v, -256, 255);
        }
}

TEST(SimdIdct, SseFloatFormFollowsItsArithmetic)
{
    if (!Has(kSimdMmxExt))
        GTEST_SKIP() << "no SSE";
    std::mt19937 rng(2);
    for (int n = 0; n < 5000; n++) {
        Block in = NaturalBlock(rng), ref = in, b = in;
        FloatReference(ref.v);
        IdctFloatSse(b.v);
        SimdLeaveMmx();
        ASSERT_EQ(memcmp(b.v, ref.v, sizeof b.v), 0) << "block " << n;
    }
    // Rounding half to even: a DC-only block gives F[0] x 0.353553^2.
    Block b = {};
    b.v[0] = 8;
    IdctFloatSse(b.v);
    SimdLeaveMmx();
    EXPECT_EQ(b.v[0], 1);
}

TEST(SimdBlocks, PutAndAddEqualThePortableWriters)
{
    if (!Has(kSimdMmx))
        GTEST_SKIP();
    std::mt19937 rng(3);
    for (int n = 0; n < 2000; n++) {
        Block b;
        for (auto &v : b.v)
            v = (int16_t)((int)(rng() % 8192) - 4096);
        alignas(16) uint8_t d1[8 * 24], d2[8 * 24];
        for (int i = 0; i < 8 * 24; i++)
            d1[i] = d2[i] = (uint8_t)rng();
        AddBlock(b.v, d1 + 3, 24);
        AddBlockMmx(b.v, d2 + 3, 24);
        SimdLeaveMmx();
        ASSERT_EQ(memcmp(d1, d2, sizeof d1), 0);
        PutBlock(b.v, d1 + 8, 24);
        PutBlockMmx(b.v, d2 + 8, 24);
        SimdLeaveMmx();
        ASSERT_EQ(memcmp(d1, d2, sizeof d1), 0);
    }
}

TEST(SimdBlocks, QuantScalersEqualThePortableScaler)
{
    alignas(16) int16_t m[kQuantSetSize], a[kQuantSetSize], b[kQuantSetSize];
    std::mt19937 rng(4);
    for (auto &v : m)
        v = (int16_t)(1 + rng() % 255);
    for (int code = 0; code < 32; code++)
        for (int type = 0; type < 2; type++) {
            int s = QuantiserScale(code, type);
            ScaleQuantMatrices(a, m, s);
            if (Has(kSimdMmx)) {
                ScaleQuantMatricesMmx(b, m, s);
                SimdLeaveMmx();
                ASSERT_EQ(memcmp(a, b, sizeof a), 0);
            }
            if (Has(kSimdSse2)) {
                ScaleQuantMatricesSse2(b, m, s);
                ASSERT_EQ(memcmp(a, b, sizeof a), 0);
            }
        }
}

// Upsampling: the processor forms truncate where the portable form rounds.
TEST(SimdUpsampling, TruncatesAndStaysWithinOneLevel)
{
    struct Form {
        const char *name;
        ChromaUpsampleFunc progressive, interlaced;
        int set;
    } forms[] = {{"MMX", UpsampleChromaProgressiveMmx, UpsampleChromaInterlacedMmx, kSimdMmx},
                 {"SSE2", UpsampleChromaProgressiveSse2, UpsampleChromaInterlacedSse2, kSimdSse2}};
    const int W = 80, H = 48; // W/2 of 40: a tail after 16-sample steps
    std::mt19937 rng(5);
    FbPtr src(NewFrameBuffer(W, H));
    for (int r = 0; r < H / 2; r++)
        for (int x = 0; x < W / 2; x++) {
            src->u[r * W + x] = (uint8_t)rng();
            src->v[r * W + x] = (uint8_t)rng();
        }
    for (const Form &f : forms) {
        if (!Has(f.set))
            continue;
        for (int interlaced = 0; interlaced < 2; interlaced++) {
            FbPtr port(CloneFrameBuffer(src.get())), simd(CloneFrameBuffer(src.get()));
            (interlaced ? UpsampleChromaInterlaced : UpsampleChromaProgressive)(port.get());
            (interlaced ? f.interlaced : f.progressive)(simd.get());
            int worst = 0;
            for (int i = 0; i < W * H; i++) {
                worst = std::max(worst, std::abs(port->u[i] - simd->u[i]));
                worst = std::max(worst, std::abs(port->v[i] - simd->v[i]));
            }
            EXPECT_LE(worst, 1) << f.name << " interlaced " << interlaced;
            // Progressive second row: (3 c0 + c1) >> 2 without the rounding term.
            if (!interlaced) {
                for (int x = 0; x < W / 2; x++)
                    ASSERT_EQ(simd->u[W + W / 2 + x], (3 * src->u[x] + src->u[W + x]) >> 2) << f.name;
            }
        }
    }
}

// The 13-bit converters: exactly their own arithmetic, one level from the
// portable converter, and Y 235 becomes 255.
TEST(SimdRgb24, ThirteenBitConvertersAgree)
{
    const int W = 48, H = 6, cols = 43; // a partial last group
    std::mt19937 rng(6);
    FbPtr fb(NewFrameBuffer(W, H));
    for (int i = 0; i < W * H; i++) {
        fb->y[i] = (uint8_t)rng();
        fb->u[i] = (uint8_t)rng();
        fb->v[i] = (uint8_t)rng();
    }
    OutputInfo o = {cols, H, W, 3 * cols + 5, W / 2, 16, 76309, 132201, -25675, -53279, 104597};
    std::vector<uint8_t> port(o.pitch * H + 1, 9), mmx = port, sse2 = port;
    ConvertRgb24From422(fb.get(), fb.get(), port.data(), &o);
    auto k13 = [](int v) { return (v + 4) >> 3; };
    auto sat = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    std::vector<uint8_t> expect = port;
    for (int r = 0; r < H; r++)
        for (int x = 0; x < cols; x++) {
            int y = (fb->y[r * W + x] - 16) * k13(76309);
            int u = fb->u[r * W + W / 2 + x / 2] - 128, v = fb->v[r * W + W / 2 + x / 2] - 128;
            uint8_t *p = &expect[r * o.pitch + 3 * x];
            p[0] = (uint8_t)sat((y + u * k13(132201) + 4096) >> 13);
            p[1] = (uint8_t)sat((y + u * k13(-25675) + v * k13(-53279) + 4096) >> 13);
            p[2] = (uint8_t)sat((y + v * k13(104597) + 4096) >> 13);
        }
    if (Has(kSimdMmx)) {
        ConvertRgb24Mmx(fb.get(), fb.get(), mmx.data(), &o);
        EXPECT_EQ(mmx, expect);
    }
    if (Has(kSimdSse2)) {
        ConvertRgb24Sse2(fb.get(), fb.get(), sse2.data(), &o);
        EXPECT_EQ(sse2, expect);
    }
    int worst = 0;
    for (size_t i = 0; i < port.size(); i++)
        worst = std::max(worst, std::abs(port[i] - expect[i]));
    EXPECT_LE(worst, 1);

    FbPtr white(NewFrameBuffer(16, 2));
    memset(white->y, 235, 32);
    OutputInfo w = {16, 2, 16, 48, 8, 16, 76309, 132201, -25675, -53279, 104597};
    uint8_t out[96];
    if (Has(kSimdSse2)) {
        ConvertRgb24Sse2(white.get(), white.get(), out, &w);
        EXPECT_EQ(out[0], 255);
    }
}

TEST(SimdPrediction, EveryTableEqualsThePortableTable)
{
    struct Table {
        const char *name;
        const PredictRoutine *t;
        int set;
    } tables[] = {{"MMX", g_predictMmx, kSimdMmx},
                  {"MMX extension", g_predictMmxExt, kSimdMmx | kSimdMmxExt},
                  {"SSE2", g_predictSse2, kSimdMmx | kSimdMmxExt | kSimdSse2}};
    std::mt19937 rng(7);
    for (const Table &tb : tables) {
        if (!Has(tb.set))
            continue;
        for (int slot = 0; slot < kPredictSlots; slot++)
            for (int rows : {4, 8, 16}) {
                alignas(16) uint8_t src[64 * 20], d1[64 * 18], d2[64 * 18];
                for (auto &v : src)
                    v = (uint8_t)rng();
                for (size_t i = 0; i < sizeof d1; i++)
                    d1[i] = d2[i] = (uint8_t)rng();
                int so = 1 + rng() % 20;
                g_predictPortable[slot](src + so, d1 + 16, 64, 64, rows);
                tb.t[slot](src + so, d2 + 16, 64, 64, rows);
                SimdLeaveMmx();
                ASSERT_EQ(memcmp(d1, d2, sizeof d1), 0) << tb.name << " slot " << slot << " rows " << rows;
            }
    }
}

struct SelectCase {
    int simd, idct, chroma;
    IdctFunc idctFn;
    PredictDispatcher dispatch;
    BlockStoreFunc put;
    Rgb24ConvertFunc convert;
    ChromaUpsampleFunc progressive;
};

TEST(SimdSelection, SlotsFollowTheSettingWithinWhatTheProcessorHas)
{
    const int all = kSimdMmx | kSimdMmxExt | kSimdSse2;
    const SelectCase cases[] = {
        {0, 2, 1, IdctRowColumn, DispatchPortable, PutBlock, ConvertRgb24From422, UpsampleChromaProgressive},
        {1, 2, 1, IdctRowColumnMmx, DispatchMmx, PutBlockMmx, ConvertRgb24Mmx, UpsampleChromaProgressiveMmx},
        {2, 2, 1, IdctRowColumnMmxExt, DispatchMmxExt, PutBlock, ConvertRgb24From422, UpsampleChromaProgressive},
        {4, 2, 1, IdctRowColumnSse2, DispatchSse2, PutBlock, ConvertRgb24Sse2, UpsampleChromaProgressiveSse2},
        {7, 2, 2, IdctRowColumnSse2, DispatchSse2, PutBlockMmx, ConvertRgb24Sse2, UpsampleChromaNone},
        {7, 0, 3, IdctFloatSse, DispatchSse2, PutBlockMmx, ConvertRgb24From444, UpsampleChromaNone},
        {1, 0, 1, IdctDouble, DispatchMmx, PutBlockMmx, ConvertRgb24Mmx, UpsampleChromaProgressiveMmx},
        {7, 1, 1, IdctInteger, DispatchSse2, PutBlockMmx, ConvertRgb24Sse2, UpsampleChromaProgressiveSse2},
        {1, 9, 1, IdctRowColumnMmx, DispatchMmx, PutBlockMmx, ConvertRgb24Mmx, UpsampleChromaProgressiveMmx},
    };
    for (const SelectCase &c : cases) {
        DecoderRoutines r = SelectDecoderRoutinesFor(c.simd, c.idct, c.chroma, all);
        EXPECT_EQ(r.idct, c.idctFn) << c.simd << "/" << c.idct;
        EXPECT_EQ(r.dispatch, c.dispatch) << c.simd;
        EXPECT_EQ(r.putAdd[1], c.put) << c.simd;
        EXPECT_EQ(r.convert, c.convert) << c.simd;
        EXPECT_EQ(r.upsampleProgressive, c.progressive) << c.simd;
    }
    // A processor without SSE2 (or with MMX only) never gets those routines,
    // whatever the setting says.
    DecoderRoutines mmxOnly = SelectDecoderRoutinesFor(7, 2, 1, kSimdMmx);
    EXPECT_EQ(mmxOnly.idct, IdctRowColumnMmx);
    EXPECT_EQ(mmxOnly.dispatch, DispatchMmx);
    EXPECT_EQ(mmxOnly.convert, ConvertRgb24Mmx);
    DecoderRoutines none = SelectDecoderRoutinesFor(7, 0, 1, 0);
    EXPECT_EQ(none.idct, IdctDouble);
    EXPECT_EQ(none.dispatch, DispatchPortable);
    EXPECT_EQ(EffectiveSimdMask(7) & ~CpuSimdMask(), 0);
    EXPECT_EQ(EffectiveSimdMaskFor(4, kSimdSse2), 0); // SSE2 tables borrow the other sets
}

} // namespace

#endif
