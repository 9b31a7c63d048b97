#include "mpeg/file_layer.h"
#include "tests/mpeg/mpeg_test_util.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

std::string Next(const char *name)
{
    char buf[300];
    strcpy(buf, name);
    return NextNumberedName(buf) ? std::string(buf) : std::string("(end)");
}

TEST(NumberedNames, NextNameOfARun)
{
    struct Case {
        const char *name, *next;
    } cases[] = {
        {"movie1.mpg", "movie2.mpg"},
        {"movie09.mpg", "movie10.mpg"},
        {"movie9.mpg", "(end)"},     // a run of nines is not widened
        {"movie99.mpg", "(end)"},
        {"C:\\VIDEO_TS\\VTS_01_1.VOB", "C:\\VIDEO_TS\\VTS_01_2.VOB"},
        {"C:\\dir7\\movie.mpg", "(end)"},  // digits of folders do not count
        {"clip.2.mpg", "clip.3.mpg"},
        {"take19b.m2v", "take20b.m2v"},
        {"noext5", "noext6"},
        {"movie.mpg", "(end)"},
        // Shift-JIS: 0x83 0x5C is one character (its trail byte is a
        // backslash) and the digit after it still counts.
        {"\x83\x5C" "1.mpg", "\x83\x5C" "2.mpg"},
        {"C:\\\x83\x5C\\a3.mpg", "C:\\\x83\x5C\\a4.mpg"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Next(c.name), c.next) << c.name;
}

class NumberedRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        // movie1 .. movie9 with sizes 1000 + 37 i, each byte telling its file.
        for (int i = 1; i <= 9; i++) {
            std::vector<unsigned char> v(1000 + 37 * i);
            for (size_t k = 0; k < v.size(); k++)
                v[k] = (unsigned char)(i * 16 + k % 13);
            all.insert(all.end(), v.begin(), v.end());
            ASSERT_TRUE(WriteWholeFile(ScratchPath("movie" + std::to_string(i) + ".mpg"), v));
        }
    }
    std::vector<unsigned char> all;
};

TEST_F(NumberedRun, JoinedAsOneStreamEndingAtNine)
{
    FileLayer *fl = OpenFileLayer(ScratchPath("movie1.mpg").c_str(), 1);
    ASSERT_NE(fl, nullptr);
    EXPECT_EQ(FileLayerFileCount(fl), 9);
    EXPECT_EQ(fl->total, (long long)all.size());
    EXPECT_EQ(FileLayerFileEnd(fl, 0), 1037);
    EXPECT_EQ(FileLayerFileEnd(fl, 100), (long long)all.size());
    std::vector<unsigned char> got(all.size() + 10);
    int n = ReadFileLayer(fl, got.data(), (int)got.size());
    ASSERT_EQ(n, (int)all.size());
    got.resize(n);
    EXPECT_EQ(got, all);
    EXPECT_EQ(TellFileLayer(fl), (long long)all.size());
    // Seeks anywhere, reads across the joins.
    for (long long p : {0LL, 1036LL, 1037LL, 5000LL, (long long)all.size() - 3}) {
        EXPECT_EQ(SeekFileLayer(fl, p, 0), p);
        EXPECT_EQ(TellFileLayer(fl), p);
        unsigned char b[2000];
        int k = ReadFileLayer(fl, b, sizeof b);
        ASSERT_EQ(k, (int)std::min<long long>(2000, all.size() - p));
        EXPECT_EQ(0, memcmp(b, all.data() + p, k)) << p;
    }
    EXPECT_EQ(SeekFileLayer(fl, -10, 2), (long long)all.size() - 10);
    EXPECT_EQ(SeekFileLayer(fl, 5, 1), (long long)all.size() - 5);
    EXPECT_EQ(SeekFileLayer(fl, 100, 1), (long long)all.size());  // clamped
    EXPECT_EQ(SeekFileLayer(fl, -5, 0), 0);
    CloseFileLayer(fl);
}

TEST_F(NumberedRun, OneFileUnlessJoining)
{
    FileLayer *fl = OpenFileLayer(ScratchPath("movie3.mpg").c_str(), 0);
    ASSERT_NE(fl, nullptr);
    EXPECT_EQ(FileLayerFileCount(fl), 1);
    EXPECT_EQ(fl->total, 1000 + 37 * 3);
    CloseFileLayer(fl);
    fl = OpenFileLayer(ScratchPath("movie3.mpg").c_str(), 1);
    ASSERT_NE(fl, nullptr);
    EXPECT_EQ(FileLayerFileCount(fl), 7);  // 3 to 9
    CloseFileLayer(fl);
}

TEST(FileLayer, MissingFirstFileFails)
{
    EXPECT_EQ(OpenFileLayer(ScratchPath("absent1.mpg").c_str(), 1), nullptr);
}

TEST(FileLayer, NinePlusOneIsTen)
{
    ASSERT_TRUE(WriteWholeFile(ScratchPath("part09.mpg"), {1, 2, 3}));
    ASSERT_TRUE(WriteWholeFile(ScratchPath("part10.mpg"), {4, 5}));
    FileLayer *fl = OpenFileLayer(ScratchPath("part09.mpg").c_str(), 1);
    ASSERT_NE(fl, nullptr);
    EXPECT_EQ(FileLayerFileCount(fl), 2);
    unsigned char b[8];
    EXPECT_EQ(ReadFileLayer(fl, b, 8), 5);
    EXPECT_EQ(b[3], 4);
    CloseFileLayer(fl);
}

}  // namespace
