// WAVE headers and the walk through a WAVE file's chunks.
#include "pipeline/wave_image.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

// A WAVE file from its chunks: id and body, each padded to an even size.
std::vector<BYTE> Riff(const std::vector<std::pair<std::string, std::vector<BYTE>>> &chunks, const char *form = "WAVE")
{
    std::vector<BYTE> body(form, form + 4);
    for (const auto &c : chunks) {
        body.insert(body.end(), c.first.begin(), c.first.end());
        DWORD n = (DWORD)c.second.size();
        for (int i = 0; i < 4; i++)
            body.push_back((BYTE)(n >> (8 * i)));
        body.insert(body.end(), c.second.begin(), c.second.end());
        if (n & 1)
            body.push_back(0);
    }
    std::vector<BYTE> file = {'R', 'I', 'F', 'F'};
    DWORD n = (DWORD)body.size();
    for (int i = 0; i < 4; i++)
        file.push_back((BYTE)(n >> (8 * i)));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<BYTE> Format(WORD tag, WORD channels, DWORD rate, WORD bits, size_t extra = 0)
{
    WORD align = (WORD)(channels * bits / 8);
    DWORD avg = rate * align;
    std::vector<BYTE> f(16 + extra);
    memcpy(&f[0], &tag, 2);
    memcpy(&f[2], &channels, 2);
    memcpy(&f[4], &rate, 4);
    memcpy(&f[8], &avg, 4);
    memcpy(&f[12], &align, 2);
    memcpy(&f[14], &bits, 2);
    return f;
}

}  // namespace

TEST(WaveImage, ChunksAreWalkedToTheSamples)
{
    std::vector<BYTE> pcm = Format(1, 2, 48000, 16);
    std::vector<BYTE> samples(40);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = (BYTE)(i + 1);
    std::vector<BYTE> list(26, 'L');  // ffmpeg's "LIST" "INFO" "ISFT" ...
    std::vector<BYTE> odd(5, 'j');
    struct Case {
        const char *name;
        std::vector<BYTE> file;
        bool found;
        size_t offset, bytes;
    } cases[] = {
        {"plain 44-byte header", Riff({{"fmt ", pcm}, {"data", samples}}), true, 44, 40},
        {"ffmpeg's LIST chunk: 78 bytes", Riff({{"fmt ", pcm}, {"LIST", list}, {"data", samples}}), true, 78, 40},
        {"odd chunk padded", Riff({{"fmt ", pcm}, {"junk", odd}, {"data", samples}}), true, 58, 40},
        {"18-byte format", Riff({{"fmt ", Format(1, 2, 48000, 16, 2)}, {"data", samples}}), true, 46, 40},
        {"data before its format", Riff({{"data", samples}, {"fmt ", pcm}}), false, 0, 0},
        {"no data", Riff({{"fmt ", pcm}}), false, 0, 0},
        {"not WAVE", Riff({{"fmt ", pcm}, {"data", samples}}, "AVI "), false, 0, 0},
        {"format of no blocks", Riff({{"fmt ", Format(1, 0, 48000, 16)}, {"data", samples}}), false, 0, 0},
        {"short format", Riff({{"fmt ", std::vector<BYTE>(pcm.begin(), pcm.begin() + 14)}, {"data", samples}}),
         false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WaveLayout w = {};
        ASSERT_EQ(FindWaveData(c.file.data(), c.file.size(), &w), c.found);
        if (!c.found)
            continue;
        EXPECT_EQ(w.dataOffset, c.offset);
        EXPECT_EQ(w.dataBytes, c.bytes);
        EXPECT_EQ(c.file[w.dataOffset], 1);
        EXPECT_EQ(w.channels, 2);
        EXPECT_EQ(w.samplesPerSec, 48000u);
        EXPECT_EQ(w.bitsPerSample, 16);
        EXPECT_EQ(w.blockAlign, 4);
    }
}

// A data size beyond the file (a WAVE written to a pipe says 0xFFFFFFFF)
// is cut to the whole blocks the file holds.
TEST(WaveImage, DataSizeIsCutToTheFile)
{
    std::vector<BYTE> file = Riff({{"fmt ", Format(1, 2, 44100, 16)}, {"data", std::vector<BYTE>(40)}});
    file.resize(file.size() - 3);
    for (DWORD declared : {40u, 0xFFFFFFFFu}) {
        memcpy(&file[40], &declared, 4);
        WaveLayout w;
        ASSERT_TRUE(FindWaveData(file.data(), file.size(), &w));
        EXPECT_EQ(w.dataBytes, 36u);
    }
}

TEST(WaveImage, HeaderOfAnInMemoryWave)
{
    std::vector<BYTE> format = Format(1, 1, 22050, 8, 2);
    BYTE header[64];
    ASSERT_EQ(WriteWaveHeader(header, format.data(), 18, 1000), 46u);
    // RIFF size 38 + 1000.
    const BYTE expected[] = {'R', 'I', 'F', 'F', 0x0E, 0x04, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 18, 0, 0, 0};
    EXPECT_EQ(memcmp(header, expected, sizeof expected), 0);
    EXPECT_EQ(memcmp(header + 20, format.data(), 18), 0);
    EXPECT_EQ(memcmp(header + 38, "data\xe8\x03\0\0", 8), 0);
    std::vector<BYTE> file(header, header + 46);
    file.resize(46 + 1000);
    WaveLayout w;
    ASSERT_TRUE(FindWaveData(file.data(), file.size(), &w));
    EXPECT_EQ(w.dataOffset, 46u);
    EXPECT_EQ(w.dataBytes, 1000u);
}

TEST(WaveImage, PartnerSoundGoesToTheRightChannel)
{
    BYTE blocks[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const BYTE partner[] = {11, 12, 13, 14, 15, 16, 17, 18};
    TakePartnerChannel(blocks, partner, 2);
    const BYTE expected[] = {1, 2, 11, 12, 5, 6, 15, 16};
    EXPECT_EQ(memcmp(blocks, expected, 8), 0);
}
