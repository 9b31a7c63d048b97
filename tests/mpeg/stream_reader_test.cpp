#include "mpeg/start_code.h"
#include "mpeg/stream_reader.h"
#include "tests/mpeg/mpeg_test_util.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<long long> NaiveStartCodes(const std::vector<unsigned char> &v)
{
    std::vector<long long> r;
    for (size_t i = 0; i + 2 < v.size(); i++)
        if (v[i] == 0 && v[i + 1] == 0 && v[i + 2] == 1)
            r.push_back((long long)i);
    return r;
}

// Data rich in zeros and ones, so that near-misses of every kind occur.
std::vector<unsigned char> ZeroRichBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<unsigned char> v(n);
    for (auto &b : v) {
        unsigned r = rng() % 8;
        b = r < 3 ? 0 : r < 5 ? 1 : (unsigned char)(rng() & 0xFF);
    }
    return v;
}

TEST(StartCodeSearch, ForwardAndBackwardFindWhatANaiveScanFinds)
{
    for (unsigned seed = 1; seed <= 20; seed++) {
        std::vector<unsigned char> v = ZeroRichBytes(300 + seed * 7, seed);
        std::vector<long long> want = NaiveStartCodes(v);
        std::vector<long long> got;
        const BYTE *b = v.data(), *e = v.data() + v.size();
        for (const BYTE *p = FindStartCodeForward(b, e); p; p = FindStartCodeForward(p + 1, e))
            got.push_back(p - b);
        EXPECT_EQ(got, want) << "seed " << seed;
        std::vector<long long> back;
        for (const BYTE *p = FindStartCodeBackward(e - 1, b); p; p = FindStartCodeBackward(p + 1, b))
            back.insert(back.begin(), p - b);
        EXPECT_EQ(back, want) << "seed " << seed;
    }
}

TEST(StartCodeSearch, EdgesOfTheRange)
{
    const BYTE a[] = {0, 0, 1};
    EXPECT_EQ(FindStartCodeForward(a, a + 3), a);
    EXPECT_EQ(FindStartCodeForward(a, a + 2), nullptr);
    EXPECT_EQ(FindStartCodeBackward(a + 2, a), a);
    EXPECT_EQ(FindStartCodeBackward(a + 1, a), nullptr);
    const BYTE b[] = {0, 0, 0, 0, 1, 0xB3};
    EXPECT_EQ(FindStartCodeForward(b, b + 6), b + 2);
    EXPECT_EQ(FindStartCodeBackward(b + 5, b), b + 2);
}

class StreamReaderFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Three blocks and a bit, with start codes placed across both block
        // boundaries in every split.
        data = ZeroRichBytes(3 * 0x80000 + 777, 99);
        for (auto &b : data)
            if (b == 1)
                b = 2;  // only the planted prefixes
        const long long plants[] = {0, 100, 0x80000 - 3, 0x80000 + 40, 0x100000 - 2, 0x100000 + 9,
                                    0x180000 - 1, (long long)data.size() - 4};
        for (long long p : plants) {
            data[p] = 0;
            data[p + 1] = 0;
            data[p + 2] = 1;
            data[p + 3] = 0xB3;
        }
        starts = NaiveStartCodes(data);
        path = ScratchPath("reader.bin");
        ASSERT_TRUE(WriteWholeFile(path, data));
    }
    std::vector<unsigned char> data;
    std::vector<long long> starts;
    std::string path;
};

TEST_F(StreamReaderFile, StartCodesAcrossBlocksForwardAndBackward)
{
    StreamReader *sr = OpenStreamReader(path.c_str(), 0);
    ASSERT_NE(sr, nullptr);
    std::vector<long long> got;
    while (NextReaderStartCode(&sr->rd)) {
        got.push_back(TellReader(sr));
        unsigned code = PeekReaderBits(&sr->rd, 32);
        EXPECT_EQ(code >> 8, 1u);
        EXPECT_EQ(code & 0xFF, data[TellReader(sr) + 3]);
        SkipReaderBits(&sr->rd, 8);
    }
    EXPECT_EQ(got, starts);

    SeekReader(sr, 0, 2);
    std::vector<long long> back;
    while (PrevReaderStartCode(&sr->rd)) {
        back.insert(back.begin(), TellReader(sr));
        EXPECT_EQ(PeekReaderBits(&sr->rd, 24), 1u);
    }
    EXPECT_EQ(back, starts);
    CloseStreamReader(sr);
}

TEST_F(StreamReaderFile, BitsBytesTellAndSeekAgree)
{
    StreamReader *sr = OpenStreamReader(path.c_str(), 0);
    ASSERT_NE(sr, nullptr);
    std::mt19937 rng(5);
    for (int i = 0; i < 200; i++) {
        long long p = rng() % data.size();
        EXPECT_EQ(SeekReader(sr, p, 0), p);
        unsigned want = 0;
        for (int k = 0; k < 4; k++)
            want = want << 8 | (p + k < (long long)data.size() ? data[p + k] : 0);
        EXPECT_EQ(PeekReaderBits(&sr->rd, 32), want);
        EXPECT_EQ(ReadReaderBits(&sr->rd, 3), want >> 29);
        EXPECT_EQ(ReadReaderBits(&sr->rd, 13), (want >> 16) & 0x1FFF);
        EXPECT_EQ(TellReader(sr), p + 2);
        // A partly read byte counts as read.
        EXPECT_EQ(ReadReaderBits(&sr->rd, 5), (want >> 11) & 31);
        EXPECT_EQ(TellReader(sr), p + 3);
        BYTE buf[2000];
        int n = ReadReaderBytes(&sr->rd, buf, sizeof buf);
        p++;
        int expect = (int)std::min<long long>(2000, (long long)data.size() - p - 2);
        ASSERT_EQ(n, expect);
        EXPECT_EQ(0, memcmp(buf, data.data() + p + 2, n));
        EXPECT_EQ(TellReader(sr), p + 2 + n);
        EXPECT_EQ(NextReaderByte(&sr->rd), p + 2 + n < (long long)data.size() ? data[p + 2 + n] : -1);
    }
    // Past the end: zero bits, short reads, no error.
    SeekReader(sr, -2, 2);
    EXPECT_EQ(PeekReaderBits(&sr->rd, 32), (unsigned)(data[data.size() - 2] << 24 | data.back() << 16));
    BYTE buf[8];
    EXPECT_EQ(ReadReaderBytes(&sr->rd, buf, 8), 2);
    EXPECT_EQ(NextReaderByte(&sr->rd), -1);
    CloseStreamReader(sr);
}

TEST_F(StreamReaderFile, ReadUntilStartCodeStopsAtEachPrefix)
{
    StreamReader *sr = OpenStreamReader(path.c_str(), 0);
    ASSERT_NE(sr, nullptr);
    std::vector<BYTE> buf(0x200000);
    size_t k = 1;  // data begins with a start code
    ASSERT_EQ(ReadReaderBytes(&sr->rd, buf.data(), 1), 1);
    long long pos = 1;
    while (k <= starts.size()) {
        int n = ReadUntilStartCode(&sr->rd, buf.data(), (int)buf.size());
        long long next = k < starts.size() ? starts[k] : (long long)data.size();
        ASSERT_EQ(n, next - pos) << "segment " << k;
        EXPECT_EQ(0, memcmp(buf.data(), data.data() + pos, n));
        pos += n;
        if (k == starts.size())
            break;
        ASSERT_EQ(ReadReaderBytes(&sr->rd, buf.data(), 1), 1);
        pos++;
        k++;
    }
    EXPECT_EQ(ReadUntilStartCode(&sr->rd, buf.data(), 10), 0);
    CloseStreamReader(sr);
}

TEST(StreamReader, MissingOrEmptyFileGivesNull)
{
    EXPECT_EQ(OpenStreamReader(ScratchPath("no-such-file.mpg").c_str(), 0), nullptr);
    std::string empty = ScratchPath("empty.mpg");
    ASSERT_TRUE(WriteWholeFile(empty, {}));
    EXPECT_EQ(OpenStreamReader(empty.c_str(), 0), nullptr);
}

}  // namespace
