// The streamed in-memory WAVE: every append bounded by its block (the
// block of a short movie is far smaller than the refill limit), the header
// never announcing more than the block holds, and the chunk arithmetic of
// the own reader's sound from a record's chunk index.
#include "pipeline/sound_chunks.h"
#include "pipeline/streamed_sound.h"

#include <gtest/gtest.h>

#include <string.h>
#include <vector>

namespace {

std::vector<BYTE> Header(uint32_t dataBytes, uint16_t blockAlign)
{
    std::vector<BYTE> h(kWaveHeaderBytes, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            h[at + i] = (BYTE)(v >> (8 * i));
    };
    memcpy(&h[0], "RIFF", 4);
    put32(4, dataBytes + 36);
    memcpy(&h[8], "WAVEfmt ", 8);
    put32(16, 16);
    h[20] = 1;
    h[22] = 2;
    put32(24, 44100);
    put32(28, 44100 * blockAlign);
    h[32] = (BYTE)blockAlign;
    h[34] = 16;
    memcpy(&h[36], "data", 4);
    put32(40, dataBytes);
    return h;
}

uint32_t Get32(const BYTE *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

TEST(StreamedSound, AppendsStopAtTheEndOfTheBlock)
{
    // A block of 44 + 1000 bytes, 4-byte samples, a refill limit of 16 MB
    // (the cache budget): appends never pass byte 1044, and a guard after
    // the block stays untouched.
    std::vector<BYTE> header = Header(1000, 4);
    std::vector<BYTE> memory(44 + 1000 + 64, 0xA5);
    StreamedSound s;
    ASSERT_TRUE(BeginStreamedSound(&s, memory.data(), 44 + 1000, header.data(), 16000000));
    std::vector<BYTE> frame(300, 0x11);
    uint32_t total = 0;
    int appends = 0;
    while (StreamedSoundWantsMore(&s) && appends < 100) {
        total += AppendStreamedSound(&s, frame.data(), (uint32_t)frame.size());
        appends++;
    }
    EXPECT_EQ(total, 1000u);
    EXPECT_EQ(appends, 4);
    EXPECT_EQ(AppendStreamedSound(&s, frame.data(), 300), 0u);
    for (size_t i = 44 + 1000; i < memory.size(); i++)
        ASSERT_EQ(memory[i], 0xA5) << i;
    // Started again: room for the same again, and a shorter round ends in
    // silence rather than in the last round's sound.
    RestartStreamedSound(&s);
    EXPECT_EQ(AppendStreamedSound(&s, frame.data(), 300), 300u);
    for (size_t i = 44; i < 44 + 300; i++)
        ASSERT_EQ(memory[i], 0x11) << i;
    for (size_t i = 44 + 300; i < 44 + 1000; i++)
        ASSERT_EQ(memory[i], 0) << i;
}

TEST(StreamedSound, RefillLimitAndWholeBlocks)
{
    std::vector<BYTE> header = Header(100000, 4);
    std::vector<BYTE> memory(44 + 100000);
    StreamedSound s;
    ASSERT_TRUE(BeginStreamedSound(&s, memory.data(), memory.size(), header.data(), 1000));
    std::vector<BYTE> data(702, 1);
    // Partial sample blocks are never written: 702 bytes take 700.
    EXPECT_EQ(AppendStreamedSound(&s, data.data(), 702), 700u);
    EXPECT_TRUE(StreamedSoundWantsMore(&s));
    EXPECT_EQ(AppendStreamedSound(&s, data.data(), 700), 700u);
    EXPECT_FALSE(StreamedSoundWantsMore(&s));  // 1400 held, limit 1000
}

TEST(StreamedSound, HeaderNeverAnnouncesMoreThanTheBlock)
{
    static const struct {
        uint32_t announced;
        size_t block;
        uint32_t expected;
    } cases[] = {
        {5000, 44 + 1000, 1000},   // a record whose data size is larger than the block
        {500, 44 + 1000, 500},     // smaller: kept
        {5000, 44 + 1002, 1000},   // the room counts whole sample blocks
    };
    for (const auto &c : cases) {
        std::vector<BYTE> header = Header(c.announced, 4);
        std::vector<BYTE> memory(c.block);
        StreamedSound s;
        ASSERT_TRUE(BeginStreamedSound(&s, memory.data(), memory.size(), header.data(), 0xFFFFFFFFu));
        EXPECT_EQ(Get32(&memory[40]), c.expected);
        EXPECT_EQ(Get32(&memory[4]), c.expected + 36);
    }
    std::vector<BYTE> header = Header(10, 4);
    std::vector<BYTE> tiny(46);
    StreamedSound s;
    EXPECT_FALSE(BeginStreamedSound(&s, tiny.data(), tiny.size(), header.data(), 100));
    EXPECT_FALSE(BeginStreamedSound(&s, nullptr, 1000, header.data(), 100));
}

TEST(StreamedSound, ChunkOfAPosition)
{
    const uint32_t sizes[] = {1000, 1764, 1764, 0, 1764};
    static const struct {
        uint64_t at;
        int chunk;
        uint32_t offset;
    } cases[] = {
        {0, 0, 0},
        {999, 0, 996},   // rounded down to whole 4-byte blocks
        {1000, 1, 0},
        {2763, 1, 1760},
        {2764, 2, 0},
        {4528, 4, 0},    // the empty chunk is passed over
        {6292, 5, 0},    // beyond the end
    };
    for (const auto &c : cases) {
        SoundChunkPosition p = FindSoundChunk(sizes, 5, c.at, 4);
        EXPECT_EQ(p.chunk, c.chunk) << c.at;
        EXPECT_EQ(p.offset, c.offset) << c.at;
    }
    // Frame 30 of a 30 frames/s movie with 44.1 kHz stereo: one second.
    EXPECT_EQ(SoundBytePosition(30, 44100, 1, 4, 1, 30), 176400u);
    // 29.97 frames/s: frame 1 at 1471.47 samples, truncated in bytes.
    EXPECT_EQ(SoundBytePosition(1, 48000, 1001, 4, 1, 30000), 6406u);
    EXPECT_EQ(SoundBytePosition(5, 44100, 1, 4, 0, 30), 0u);
    // Products beyond 64 bits do not wrap.
    EXPECT_EQ(SoundBytePosition(0x7FFFFFFF, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 1, 1), UINT64_MAX);
}

TEST(StreamedSound, BlockOfWhatTheHeaderAnnounces)
{
    std::vector<BYTE> h = Header(10000, 4);
    EXPECT_EQ(AnnouncedSoundBlockBytes(h.data()), 10044u);
    EXPECT_EQ(AnnouncedSoundBlockBytes(nullptr), 0u);
}

TEST(StreamedSound, ChunkOfARecordsFrame)
{
    // 29.97 frames/s with 44.1 kHz stereo in chunks of 4,000 bytes: frame
    // 7 at byte 41,201 (taken down to 41,200), 1,200 bytes into chunk 10.
    std::vector<AviChunkEntry> index(20, AviChunkEntry{0, 4000, 0, 0});
    MovieSource m;
    memset(&m, 0, sizeof m);
    m.nAudioRate = 44100;
    m.nAudioScale = 1;
    m.nScale = 1001;
    m.nRate = 30000;
    m.nBlockAlign = 4;
    m.pAudioIndex = index.data();
    m.nAudioChunks = (int)index.size();
    static const struct {
        int frame, chunk;
        uint32_t offset;
    } cases[] = {{0, 0, 0}, {7, 10, 1200}, {13, 19, 516}, {14, 20, 0}};
    for (const auto &c : cases) {
        SoundChunkCursor at = SoundChunkAtFrame(&m, c.frame);
        EXPECT_EQ(at.chunk, c.chunk) << c.frame;
        EXPECT_EQ(at.offset, c.offset) << c.frame;
    }
    // No index: nothing to start from.
    m.pAudioIndex = nullptr;
    EXPECT_EQ(SoundChunkAtFrame(&m, 0).chunk, 20);
    m.nAudioChunks = 0;
    EXPECT_EQ(SoundChunkAtFrame(&m, 0).chunk, 0);
}

}  // namespace
