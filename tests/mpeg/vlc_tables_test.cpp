// The annex B tables as transcribed: every code space adds up, every value
// is reachable exactly once, and the two coefficient tables hold the same
// (run, level) pairs. (Decoding real streams checks the values against
// other decoders; these checks find a mistyped code at once.)
#include "mpeg/vlc_tables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace {

// The share of the code space a flat table covers, in units of 1/size:
// counted per distinct code (an n-bit code fills 2^(peek - n) entries).
template <size_t N>
double CodeSpace(const Vlc (&t)[N])
{
    size_t filled = 0;
    for (const Vlc &e : t)
        filled += e.len ? 1 : 0;
    return (double)filled / N;
}

template <size_t N>
std::map<int, int> Values(const Vlc (&t)[N], int peek)
{
    std::map<int, int> count;
    for (size_t i = 0; i < N;) {
        const Vlc &e = t[i];
        if (!e.len) {
            i++;
            continue;
        }
        count[e.value]++;
        i += (size_t)1 << (peek - e.len);
    }
    return count;
}

TEST(VlcTables, CodedBlockPatternHoldsEveryPatternOnce)
{
    std::map<int, int> v = Values(g_vlc.codedBlockPattern, 9);
    EXPECT_EQ(v.size(), 64u);
    for (auto &kv : v)
        EXPECT_EQ(kv.second, 1) << kv.first;
    // Only 0000 0000 0 is left out.
    EXPECT_DOUBLE_EQ(CodeSpace(g_vlc.codedBlockPattern), 1.0 - 1.0 / 512);
}

TEST(VlcTables, AddressIncrementsAndMotionCodes)
{
    std::map<int, int> inc = Values(g_vlc.mbAddressIncrement, 11);
    for (int i = 1; i <= 33; i++)
        EXPECT_EQ(inc[i], 1) << i;
    EXPECT_EQ(inc[kMbaEscape], 1);
    EXPECT_EQ(inc[kMbaStuffing], 1);
    // Values 0-23 of an 11-bit peek are no increment.
    for (int v = 0; v < 24; v++)
        EXPECT_TRUE(g_vlc.mbAddressIncrement[v].len == 0 || g_vlc.mbAddressIncrement[v].value < 0) << v;
    std::map<int, int> mv = Values(g_vlc.motionCode, 11);
    EXPECT_EQ(mv.size(), 33u);
    for (int m = -16; m <= 16; m++)
        EXPECT_EQ(mv[m], 1) << m;
    EXPECT_EQ(g_vlc.motionCode[0x400].value, 0); // "1"
    EXPECT_EQ(g_vlc.motionCode[0x200].value, 1); // "010"
    EXPECT_EQ(g_vlc.motionCode[0x300].value, -1); // "011"
}

TEST(VlcTables, DcSizes)
{
    std::map<int, int> l = Values(g_vlc.dcSizeLuma, 9), c = Values(g_vlc.dcSizeChroma, 10);
    EXPECT_EQ(l.size(), 12u);
    EXPECT_EQ(c.size(), 12u);
    EXPECT_DOUBLE_EQ(CodeSpace(g_vlc.dcSizeLuma), 1.0);
    EXPECT_DOUBLE_EQ(CodeSpace(g_vlc.dcSizeChroma), 1.0);
}

TEST(VlcTables, MacroblockTypes)
{
    EXPECT_EQ(Values(g_vlc.mbTypeP, 6).size(), 7u);
    EXPECT_EQ(Values(g_vlc.mbTypeB, 6).size(), 11u);
    EXPECT_DOUBLE_EQ(CodeSpace(g_vlc.mbTypeB), 1.0 - 1.0 / 64);
    EXPECT_DOUBLE_EQ(CodeSpace(g_vlc.mbTypeP), 1.0 - 1.0 / 64);
}

// Walks both parts of a coefficient table: the pairs it holds and the code
// space its codes fill (of what starts with 1 to 16 bits before the sign).
std::pair<std::set<std::pair<int, int>>, double> CoefTable(const CoefVlc *shortT, const CoefVlc *longT)
{
    std::set<std::pair<int, int>> pairs;
    double space = 0;
    for (int i = 0; i < 256;) {
        const CoefVlc &e = shortT[i];
        if (i < 4 || !e.len) { // the first six bits all zero: the long part
            i++;
            continue;
        }
        if (e.run < 64) {
            EXPECT_TRUE(pairs.insert({e.run, e.level}).second) << e.run << "," << e.level;
        }
        space += 1.0 / (1 << e.len);
        i += 1 << (8 - e.len);
    }
    for (int i = 0; i < 1024;) {
        const CoefVlc &e = longT[i];
        if (!e.len) {
            i++;
            continue;
        }
        pairs.insert({e.run, e.level});
        space += 1.0 / (1 << e.len);
        i += 1 << (16 - e.len);
    }
    return {pairs, space};
}

TEST(VlcTables, CoefficientTablesHoldTheSamePairs)
{
    auto b14 = CoefTable(g_vlc.coefShortB14, g_vlc.coefLongB14);
    auto b15 = CoefTable(g_vlc.coefShortB15, g_vlc.coefLongB15);
    // 111 run/level pairs besides end of block and escape (B-15 leaves some
    // long codes of B-14 unused but holds every pair).
    std::set<std::pair<int, int>> p14, p15;
    for (auto &p : b14.first)
        if (p.first < 64)
            p14.insert(p);
    for (auto &p : b15.first)
        if (p.first < 64)
            p15.insert(p);
    EXPECT_EQ(p14.size(), 111u);
    EXPECT_EQ(p14, p15);
    // All but the 12 all-zero bits fill the space.
    EXPECT_DOUBLE_EQ(b14.second, 1.0 - 1.0 / 4096);
    EXPECT_LT(b15.second, 1.0);
    // Largest levels by run.
    int maxLevel[32] = {};
    for (auto &p : p14)
        maxLevel[p.first] = std::max(maxLevel[p.first], p.second);
    EXPECT_EQ(maxLevel[0], 40);
    EXPECT_EQ(maxLevel[1], 18);
    EXPECT_EQ(maxLevel[31], 1);
}

} // namespace
