#include "sources/movie_source.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

TEST(MovieSource, InitKeepsThePluginTableAndRequests)
{
    MovieSource m;
    memset(&m, 0x5A, sizeof m);
    void *funcs = m.pluginFuncs[3];
    InitMovieSource(&m);
    EXPECT_EQ(m.bOpen, 0);
    EXPECT_EQ(m.nStep, 1);
    EXPECT_EQ(m.hFile, -1);
    EXPECT_EQ(m.pCurrent, nullptr);
    EXPECT_EQ(m.pWaveHeader, nullptr);
    EXPECT_EQ(m.nAudioBytes, 0);
    EXPECT_STREQ(m.szPath, "");
    EXPECT_EQ(m.pluginFuncs[3], funcs);
}

TEST(MovieSource, FourccText)
{
    char text[5];
    EXPECT_STREQ(FourccToText(0x64737664, text), "dvsd");
    EXPECT_STREQ(FourccToText(0, text), "");
}

TEST(MovieSource, SoundSizesDoNotOverflow)
{
    // 48 kHz stereo 16-bit at 29.97 frames per second (2997 a hundred s).
    EXPECT_EQ(SoundBytesPerFrame(4, 48000, 2997), 6400);  // 6406.4, down to a multiple of 8
    EXPECT_EQ(SoundBytesPerFrame(4, 48000, 0), 0);
    // A three-hour movie: (bytes + 8) x frames passes 2^31; the budget rules.
    EXPECT_EQ(WaveDataSize(64000000, 6400, 323676), 64000000 + 192000);
    EXPECT_EQ(WaveDataSize(64000000, 6400, 100), 6408 * 100 + 1000);
    // Huge values stay positive and below the limit.
    EXPECT_GT(WaveDataSize(0x7FFFFFFF, 0x7FFFFFF8, 0x7FFFFFFF), 0);
    EXPECT_EQ(SoundBytesPerFrame(0xFFFF, 0xFFFFFFFF, 1), 0x7FFFFFF8);
}

TEST(MovieSource, WaveHeader)
{
    BYTE h[44];
    FillWaveHeader(h, 1000, 1, 2, 44100, 176400, 4);
    auto u32 = [&](int at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | (uint32_t)h[at + 3] << 24; };
    auto u16 = [&](int at) { return h[at] | h[at + 1] << 8; };
    EXPECT_EQ(memcmp(h, "RIFF", 4), 0);
    EXPECT_EQ(u32(4), 1044u);
    EXPECT_EQ(memcmp(h + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u16(20), 1);
    EXPECT_EQ(u16(22), 2);
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 176400u);
    EXPECT_EQ(u16(32), 4);
    EXPECT_EQ(u16(34), 16);
    EXPECT_EQ(memcmp(h + 36, "data", 4), 0);
    EXPECT_EQ(u32(40), 1000u);
}

TEST(MovieSource, AviSynthScriptLine)
{
    std::string path = testing::TempDir() + "twr_test.avs";
    ASSERT_EQ(WriteAvisynthScript(path.c_str(), "C:\\m\\a.mpg", 1), 1);
    char line[200] = {};
    FILE *f = fopen(path.c_str(), "r");
    ASSERT_TRUE(f);
    ASSERT_TRUE(fgets(line, sizeof line, f));
    fclose(f);
    EXPECT_STREQ(line, "AviSource(\"C:\\m\\a.mpg\",pixel_type=\"RGB24\")\n");
    ASSERT_EQ(WriteAvisynthScript(path.c_str(), "x.vob", 2), 1);
    f = fopen(path.c_str(), "r");
    ASSERT_TRUE(fgets(line, sizeof line, f));
    fclose(f);
    EXPECT_STREQ(line, "DirectShowSource(\"x.vob\",pixel_type=\"RGB24\")\n");
    remove(path.c_str());
    EXPECT_EQ(WriteAvisynthScript("/no/such/folder/x.avs", "a", 1), 0);
}
