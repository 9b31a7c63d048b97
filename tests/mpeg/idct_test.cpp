#include "mpeg/idct.h"
#include "mpeg/simd.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

struct Variant {
    const char *name;
    IdctFunc fn;
};

// Every transform this processor can run: the portable ones and the
// processor forms.
std::vector<Variant> Variants()
{
    std::vector<Variant> v = {{"double", IdctDouble}, {"integer", IdctInteger}, {"row-column", IdctRowColumn}};
#ifdef TWR_HAVE_X86_SIMD
    int cpu = CpuSimdMask();
    if (cpu & kSimdMmx)
        v.push_back({"row-column MMX", IdctRowColumnMmx});
    if (cpu & kSimdMmxExt) {
        v.push_back({"row-column MMX extension", IdctRowColumnMmxExt});
        v.push_back({"float SSE", IdctFloatSse});
    }
    if (cpu & kSimdSse2)
        v.push_back({"row-column SSE2", IdctRowColumnSse2});
#endif
    return v;
}

// Runs one transform and leaves the MMX state, so that the x87 arithmetic
// of the reference can follow.
void RunTransform(const Variant &v, int16_t *block)
{
    v.fn(block);
    SimdLeaveMmx();
}

struct alignas(16) Block {
    int16_t v[64];
};

// The random generator of the IEEE 1180 procedure: values in [-lo, hi].
class Ieee1180Random {
public:
    int Next(int lo, int hi)
    {
        state_ = state_ * 1103515245u + 12345u;
        uint32_t i = state_ & 0x7ffffffeu;
        double x = (double)i / 2147483647.0 * (lo + hi + 1);
        return (int)x - lo;
    }

private:
    uint32_t state_ = 1;
};

// Reference transforms in long double from the library's cosine.
struct Reference {
    long double c[8][8]; // c[u][x]
    Reference()
    {
        const long double pi = 3.14159265358979323846264338327950288L;
        for (int u = 0; u < 8; u++)
            for (int x = 0; x < 8; x++)
                c[u][x] = (u ? 0.5L : 0.5L / sqrtl(2.0L)) * cosl((2 * x + 1) * u * pi / 16);
    }
    // Separable: rows, then columns, all in long double.
    void Forward(const int in[64], int16_t out[64]) const
    {
        long double t[64];
        for (int y = 0; y < 8; y++)
            for (int u = 0; u < 8; u++) {
                long double s = 0;
                for (int x = 0; x < 8; x++)
                    s += c[u][x] * in[y * 8 + x];
                t[y * 8 + u] = s;
            }
        for (int u = 0; u < 8; u++)
            for (int v = 0; v < 8; v++) {
                long double s = 0;
                for (int y = 0; y < 8; y++)
                    s += c[v][y] * t[y * 8 + u];
                out[v * 8 + u] = (int16_t)std::clamp<long>(lroundl(s), -2048, 2047);
            }
    }
    void Inverse(const int16_t in[64], int out[64]) const
    {
        long double t[64];
        for (int v = 0; v < 8; v++)
            for (int x = 0; x < 8; x++) {
                long double s = 0;
                for (int u = 0; u < 8; u++)
                    s += c[u][x] * in[v * 8 + u];
                t[v * 8 + x] = s;
            }
        for (int x = 0; x < 8; x++)
            for (int y = 0; y < 8; y++) {
                long double s = 0;
                for (int v = 0; v < 8; v++)
                    s += c[v][y] * t[v * 8 + x];
                out[y * 8 + x] = (int)std::clamp<long>(lroundl(s), -256, 255);
            }
    }
};

struct Errors {
    int peak = 0;
    double worstPositionMse = 0, overallMse = 0, worstPositionMean = 0, overallMean = 0;
};

// Runs the IEEE 1180 procedure for one input range and sign on every
// variant: 10,000 random blocks through the reference forward transform,
// each variant's inverse compared with the reference inverse.
std::vector<Errors> RunIeee1180(int lo, int hi, int sign)
{
    static const Reference ref;
    std::vector<Variant> vars = Variants();
    const int kBlocks = 10000;
    std::vector<std::vector<long>> sum(vars.size(), std::vector<long>(64)), sq(vars.size(), std::vector<long>(64));
    std::vector<int> peak(vars.size());
    Ieee1180Random rnd;
    for (int n = 0; n < kBlocks; n++) {
        int spatial[64], expect[64];
        int16_t coef[64];
        for (int i = 0; i < 64; i++)
            spatial[i] = sign * rnd.Next(lo, hi);
        ref.Forward(spatial, coef);
        ref.Inverse(coef, expect);
        for (size_t k = 0; k < vars.size(); k++) {
            Block b;
            memcpy(b.v, coef, sizeof b.v);
            RunTransform(vars[k], b.v);
            for (int i = 0; i < 64; i++) {
                int got = std::clamp<int>(b.v[i], -256, 255); // the writer saturates outputs
                int e = got - expect[i];
                sum[k][i] += e;
                sq[k][i] += e * e;
                peak[k] = std::max(peak[k], std::abs(e));
            }
        }
    }
    std::vector<Errors> out(vars.size());
    for (size_t k = 0; k < vars.size(); k++) {
        long ts = 0, tq = 0;
        for (int i = 0; i < 64; i++) {
            out[k].worstPositionMse = std::max(out[k].worstPositionMse, (double)sq[k][i] / kBlocks);
            out[k].worstPositionMean = std::max(out[k].worstPositionMean, fabs((double)sum[k][i] / kBlocks));
            ts += sum[k][i];
            tq += sq[k][i];
        }
        out[k].peak = peak[k];
        out[k].overallMse = (double)tq / (64.0 * kBlocks);
        out[k].overallMean = fabs((double)ts / (64.0 * kBlocks));
    }
    return out;
}

struct RangeCase {
    int lo, hi, sign;
};

class Ieee1180 : public ::testing::TestWithParam<RangeCase> {};

TEST_P(Ieee1180, EveryVariantStaysWithinOneLevel)
{
    RangeCase rc = GetParam();
    std::vector<Variant> vars = Variants();
    std::vector<Errors> errs = RunIeee1180(rc.lo, rc.hi, rc.sign);
    for (size_t k = 0; k < vars.size(); k++) {
        const Errors &e = errs[k];
        SCOPED_TRACE(vars[k].name);
        EXPECT_LE(e.peak, 1);
        EXPECT_LE(e.worstPositionMse, 0.06);
        EXPECT_LE(e.overallMse, 0.02);
        EXPECT_LE(e.worstPositionMean, 0.015);
        EXPECT_LE(e.overallMean, 0.0015);
        RecordProperty(std::string(vars[k].name) + "_peak", e.peak);
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, Ieee1180,
                         ::testing::Values(RangeCase{256, 255, 1}, RangeCase{256, 255, -1}, RangeCase{5, 5, 1},
                                           RangeCase{5, 5, -1}, RangeCase{300, 300, 1}, RangeCase{300, 300, -1}));

TEST(Idct, ZeroBlockStaysZero)
{
    for (const Variant &v : Variants()) {
        Block b = {};
        RunTransform(v, b.v);
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(b.v[i], 0) << v.name;
    }
}

// Blocks at the limits of the coefficient range: the arithmetic of every
// transform holds (the sanitizer build checks for overflow), and the
// portable double and integer forms stay within [-256, 255].
TEST(Idct, ExtremeBlocksStayWithinTheArithmetic)
{
    std::vector<Block> blocks;
    for (int pattern = 0; pattern < 6; pattern++) {
        Block b;
        for (int i = 0; i < 64; i++) {
            int r = i / 8, c = i % 8;
            switch (pattern) {
            case 0: b.v[i] = 2047; break;
            case 1: b.v[i] = -2048; break;
            case 2: b.v[i] = ((r + c) & 1) ? -2048 : 2047; break;
            case 3: b.v[i] = (r & 1) ? -2048 : 2047; break;
            case 4: b.v[i] = (c & 1) ? -2048 : 2047; break;
            default: b.v[i] = (int16_t)((i * 2654435761u >> 7) % 4096 - 2048); break;
            }
        }
        blocks.push_back(b);
    }
    for (const Variant &v : Variants())
        for (Block b : blocks) {
            RunTransform(v, b.v);
            if (v.fn == IdctDouble || v.fn == IdctInteger) {
                for (int i = 0; i < 64; i++)
                    ASSERT_TRUE(b.v[i] >= -256 && b.v[i] <= 255) << v.name;
            }
        }
}

#if defined(__i386__) || defined(__x86_64__)
// The transforms leave the floating-point state as they found it: the x87
// control word (precision and rounding) and the SSE control register.
struct FpState {
    unsigned short x87;
    unsigned mxcsr;
    bool operator==(const FpState &o) const { return x87 == o.x87 && mxcsr == o.mxcsr; }
};
FpState ReadFpState()
{
    FpState s;
    __asm__ volatile("fnstcw %0" : "=m"(s.x87));
    __asm__ volatile("stmxcsr %0" : "=m"(s.mxcsr));
    s.mxcsr &= ~0x3Fu; // the sticky exception flags are not state the program set
    return s;
}

TEST(Idct, FloatingPointStateIsLeftAlone)
{
    FpState before = ReadFpState();
    for (const Variant &v : Variants()) {
        Block b = {};
        b.v[0] = 100;
        b.v[9] = -37;
        RunTransform(v, b.v);
        EXPECT_TRUE(ReadFpState() == before) << v.name;
    }
}
#endif

TEST(Idct, DcOfEightGivesOneEverywhere)
{
    for (const Variant &v : Variants()) {
        Block b = {};
        b.v[0] = 8;
        RunTransform(v, b.v);
        for (int i = 0; i < 64; i++)
            ASSERT_EQ(b.v[i], 1) << v.name << " at " << i;
    }
}

// The integer transform's shortcut for a column with only its first value
// must round like the full path: F[0] / 8 to nearest, halves upward, for
// either sign (a floor for negative values put 1,828 of 2,048 negative
// DC-only blocks one level low).
TEST(Idct, IntegerDcOnlyRoundsToNearestForEitherSign)
{
    int wrong = 0;
    for (int f = -2048; f <= 2047; f++) {
        Block b = {};
        b.v[0] = (int16_t)f;
        IdctInteger(b.v);
        int expect = std::clamp((int)floor((f + 4) / 8.0), -256, 255);
        for (int i = 0; i < 64; i++)
            if (b.v[i] != expect) {
                wrong++;
                break;
            }
    }
    EXPECT_EQ(wrong, 0);
    Block b = {};
    b.v[0] = -8;
    IdctInteger(b.v);
    EXPECT_EQ(b.v[0], -1);
    b = {};
    b.v[0] = -1;
    IdctInteger(b.v);
    EXPECT_EQ(b.v[63], 0);
}

TEST(Idct, DoubleSaturatesAndRoundsHalfUp)
{
    Block b = {};
    b.v[0] = 2047;
    b.v[1] = 2047;
    IdctDouble(b.v);
    EXPECT_EQ(b.v[0], 255);
    // A DC of 4 gives exactly 0.5 in every position within double precision
    // of the basis; the direct form rounds it up.
    b = {};
    b.v[0] = 4;
    IdctDouble(b.v);
    EXPECT_EQ(b.v[0], 1);
}

TEST(QuantTables, ScalesByCodeAndType)
{
    struct Case {
        int code, type, scale;
    } cases[] = {{0, 0, 0}, {1, 0, 2}, {31, 0, 62}, {0, 1, 0}, {8, 1, 8}, {9, 1, 10}, {17, 1, 28}, {31, 1, 112}};
    for (const Case &c : cases)
        EXPECT_EQ(QuantiserScale(c.code, c.type), c.scale) << c.code << "/" << c.type;
}

TEST(QuantTables, ProductsOfEveryMatrixKeepLow16Bits)
{
    alignas(16) int16_t m[kQuantSetSize], out[kQuantSetSize];
    for (int i = 0; i < kQuantSetSize; i++)
        m[i] = (int16_t)(1 + i % 255);
    ScaleQuantMatrices(out, m, 112);
    for (int i = 0; i < kQuantSetSize; i++)
        ASSERT_EQ(out[i], (int16_t)((1 + i % 255) * 112)) << i;
    ScaleQuantMatrices(out, m, 0);
    for (int i = 0; i < kQuantSetSize; i++)
        ASSERT_EQ(out[i], 0);
}

} // namespace
