// The own reader's index walk on files built in memory: both index kinds,
// stream choice, 64-bit offsets, and files whose headers lie.
#include "sources/avi_index.h"

#include "riff_builder.h"

#include <gtest/gtest.h>

namespace {

struct Tables {
    ChunkTable video{}, audio{};
    AviIndexTotals totals{};
    explicit Tables(int capacity = 100)
    {
        InitChunkTable(&video, capacity, false);
        InitChunkTable(&audio, 0, true);
    }
    ~Tables()
    {
        FreeChunkTable(&video);
        FreeChunkTable(&audio);
    }
};

int Idx1Walk(Bytes &bytes, Tables &t, AviStreamChoice s = {0, 1})
{
    AviMemory mem{bytes.data(), bytes.size()};
    return ReadAviIndexFrom(AviMemorySource(&mem), s, &t.video, &t.audio, &t.totals);
}

int OdmlWalk(Bytes &bytes, Tables &t, AviStreamChoice s = {0, 1})
{
    AviMemory mem{bytes.data(), bytes.size()};
    return ReadOpenDmlIndexFrom(AviMemorySource(&mem), s, &t.video, &t.audio, &t.totals);
}

Bytes Payload(size_t n, uint8_t v) { return Bytes(n, v); }

}  // namespace

TEST(AviIndex, Idx1GivesVideoAndSoundChunksAtTheirDataPositions)
{
    for (bool absolute : {false, true}) {
        SCOPED_TRACE(absolute ? "offsets from the file's start" : "offsets from 'movi'");
        SimpleAvi a = BuildSimpleAvi({{"00dc", Payload(10, 1)},
                                      {"01wb", Payload(6, 2)},
                                      {"01wb", Payload(4, 3)},
                                      {"00dc", Payload(7, 4)},
                                      {"01wb", Payload(9, 5)}},
                                     1, absolute);
        Tables t;
        ASSERT_EQ(Idx1Walk(a.bytes, t), 2);
        EXPECT_EQ(t.video.entries[0].Offset(), a.dataPos[0]);
        EXPECT_EQ(t.video.entries[0].size, 10u);
        EXPECT_EQ(t.video.entries[1].Offset(), a.dataPos[3]);
        EXPECT_EQ(t.video.entries[1].size, 7u);
        ASSERT_EQ(t.audio.count, 3);
        EXPECT_EQ(t.audio.entries[2].Offset(), a.dataPos[4]);
        EXPECT_EQ(t.totals.audioBytes, 19);
        EXPECT_EQ(t.totals.maxAudioChunk, 9);
        EXPECT_EQ(a.bytes[(size_t)t.video.entries[1].Offset()], 4);
    }
}

TEST(AviIndex, ChunkIdsChooseTheStream)
{
    // A two-stream 3D-AVI: first eye 00dc, sound 01wb, second eye 02dc.
    SimpleAvi a = BuildSimpleAvi(
        {{"00dc", Payload(4, 1)}, {"01wb", Payload(4, 2)}, {"02dc", Payload(6, 3)}, {"00dc", Payload(4, 4)},
         {"02dc", Payload(6, 5)}},
        2);
    Tables first, second;
    ASSERT_EQ(Idx1Walk(a.bytes, first, {0, 1}), 2);
    ASSERT_EQ(Idx1Walk(a.bytes, second, {2, 1}), 2);
    EXPECT_EQ(first.video.entries[1].Offset(), a.dataPos[3]);
    EXPECT_EQ(second.video.entries[0].Offset(), a.dataPos[2]);
    EXPECT_EQ(second.video.entries[1].Offset(), a.dataPos[4]);
    EXPECT_EQ(second.audio.count, 1);

    // Uncompressed chunks ('db') count only for an uncompressed stream.
    SimpleAvi db = BuildSimpleAvi({{"00db", Payload(4, 1)}, {"00db", Payload(4, 2)}});
    Tables none, raw;
    EXPECT_EQ(Idx1Walk(db.bytes, none), 0);
    EXPECT_EQ(Idx1Walk(db.bytes, raw, {0, 1, true}), 2);
}

TEST(AviIndex, VideoStopsAtTheCapacitySoundGoesOn)
{
    std::vector<std::pair<std::string, Bytes>> chunks;
    for (int i = 0; i < 5; i++) {
        chunks.push_back({"00dc", Payload(4, (uint8_t)i)});
        chunks.push_back({"01wb", Payload(2, 9)});
        chunks.push_back({"01wb", Payload(2, 9)});
    }
    SimpleAvi a = BuildSimpleAvi(chunks);
    Tables t(3);
    EXPECT_EQ(Idx1Walk(a.bytes, t), 3);
    EXPECT_EQ(t.video.count, 3);
    // Every sound chunk, beyond the video table's capacity.
    EXPECT_EQ(t.audio.count, 10);
    EXPECT_EQ(t.totals.audioBytes, 20);
}

TEST(AviIndex, PlainAviOneFileFallsBackToIdx1)
{
    SimpleAvi a = BuildSimpleAvi({{"00dc", Payload(4, 1)}, {"00dc", Payload(4, 2)}});
    Tables t;
    EXPECT_EQ(OdmlWalk(a.bytes, t), 2);
    EXPECT_EQ(t.video.entries[1].Offset(), a.dataPos[1]);
}

TEST(AviIndex, KeyFramesFollowTheIndexFlags)
{
    SimpleAvi a = BuildSimpleAvi({{"00dc", Payload(4, 1)}, {"00dc", Payload(4, 2)}});
    // Clear the key-frame flag of the second idx1 entry.
    size_t idx = a.bytes.size() - 32;
    a.bytes[idx + 16 + 4] = 0;
    Tables t;
    ASSERT_EQ(Idx1Walk(a.bytes, t), 2);
    EXPECT_TRUE(t.video.entries[0].flags & kChunkKeyFrame);
    EXPECT_FALSE(t.video.entries[1].flags & kChunkKeyFrame);

    // A writer that flags nothing: every frame is a key frame.
    a.bytes[idx + 4] = 0;
    Tables u;
    ASSERT_EQ(Idx1Walk(a.bytes, u), 2);
    EXPECT_TRUE(u.video.entries[0].flags & kChunkKeyFrame);
    EXPECT_TRUE(u.video.entries[1].flags & kChunkKeyFrame);
}

TEST(AviIndex, OpenDmlOffsetsCarryPast4GB)
{
    const uint64_t gb = 1ull << 30;
    const uint64_t ix1 = 0x10000, ix2 = 5 * gb, ix3 = 5 * gb + 0x1000;
    const uint64_t base1 = 0x20000;
    const uint64_t base2 = 4 * gb - 0x100;      // below 4 GB; its chunks cross it
    const uint64_t base3 = 6 * gb + 0x12345;    // above 4 GB
    SparseFile f;
    f.Put(0, OdmlHeader({SuperIndex("00dc", {{ix1, 64}, {ix2, 64}}), SuperIndex("01wb", {{ix3, 64}})},
                        {"vids", "auds"}));
    f.Put(ix1, StandardIndex("ix00", "00dc", base1, {{8, 100}, {116, 0x80000000u | 100}}));
    f.Put(ix2, StandardIndex("ix00", "00dc", base2, {{0x10, 200}, {0x1000, 300}}));
    f.Put(ix3, StandardIndex("ix01", "01wb", base3, {{8, 50}, {66, 70}}));
    f.Put(7 * gb, Bytes(1, 0));  // the file goes on past every chunk
    Tables t;
    AviByteSource src = f.Source();
    ASSERT_EQ(ReadOpenDmlIndexFrom(src, {0, 1}, &t.video, &t.audio, &t.totals), 4);
    EXPECT_EQ(t.video.entries[0].Offset(), base1 + 8);
    EXPECT_TRUE(t.video.entries[0].flags & kChunkKeyFrame);
    EXPECT_EQ(t.video.entries[1].size, 100u);
    EXPECT_FALSE(t.video.entries[1].flags & kChunkKeyFrame);
    EXPECT_EQ(t.video.entries[2].Offset(), base2 + 0x10);
    EXPECT_EQ(t.video.entries[2].offsetHigh, 0u);
    EXPECT_EQ(t.video.entries[3].Offset(), base2 + 0x1000);
    EXPECT_EQ(t.video.entries[3].offsetHigh, 1u);
    EXPECT_EQ(t.video.entries[3].offsetLow, (uint32_t)(base2 + 0x1000));
    ASSERT_EQ(t.audio.count, 2);
    EXPECT_EQ(t.audio.entries[1].Offset(), base3 + 66);
    EXPECT_EQ(t.totals.audioBytes, 120);
    EXPECT_EQ(t.totals.maxAudioChunk, 70);
}

TEST(AviIndex, OpenDmlFindsEachStreamsIndexByItsStreamList)
{
    // Sound first, video second: the video's standard index is 'ix01'.
    SparseFile f;
    f.Put(0, OdmlHeader({SuperIndex("00wb", {{0x9000, 64}}), SuperIndex("01dc", {{0x8000, 64}})},
                        {"auds", "vids"}));
    f.Put(0x8000, StandardIndex("ix01", "01dc", 0x100, {{8, 10}, {30, 12}, {60, 14}}));
    f.Put(0x9000, StandardIndex("ix00", "00wb", 0x100, {{100, 4}}));
    Tables t;
    AviByteSource src = f.Source();
    EXPECT_EQ(ReadOpenDmlIndexFrom(src, {1, 0}, &t.video, &t.audio, &t.totals), 3);
    EXPECT_EQ(t.video.entries[2].Offset(), 0x100u + 60);
    EXPECT_EQ(t.audio.count, 1);
}

TEST(AviIndex, LyingHeadersStayInsideTheirChunksAndTheFile)
{
    SparseFile f;
    // The super index claims 1,000,000 entries in a chunk that holds two;
    // the first points past the end of the file, the second at a standard
    // index claiming 1,000,000 entries in a chunk that holds three, one of
    // which lies beyond the end of the file and one is too large.
    f.Put(0, OdmlHeader({SuperIndex("00dc", {{1ull << 40, 64}, {0x8000, 64}}, 0, 1000000)}, {"vids"}));
    f.Put(0x8000, StandardIndex("ix00", "00dc", 0x100, {{8, 10}, {0x7FFFFF00u, 16}, {40, 0x7FFFFFFF}}, 1000000));
    f.Put(0x9000, Bytes(1, 0));
    Tables t;
    AviByteSource src = f.Source();
    ASSERT_EQ(ReadOpenDmlIndexFrom(src, {0, -1}, &t.video, &t.audio, &t.totals), 3);
    EXPECT_EQ(t.video.entries[0].size, 10u);
    // Chunks that cannot be in the file are read as dropped frames.
    EXPECT_EQ(t.video.entries[1].size, 0u);
    EXPECT_EQ(t.video.entries[2].size, 0u);
    EXPECT_EQ(t.totals.maxVideoChunk, 10);
}

TEST(AviIndex, RepeatedOrStrangeIndexesAreReadOnce)
{
    // A super index naming the same standard index 50 times over, and a
    // second super index for the same stream: the chunks are taken once.
    std::vector<std::pair<uint64_t, uint32_t>> same(50, {0x8000, 64});
    SparseFile f;
    Bytes twice = Cat({SuperIndex("01wb", same), SuperIndex("01wb", same)});
    f.Put(0, OdmlHeader({SuperIndex("00dc", {{0x9000, 64}}), twice}, {"vids", "auds"}));
    f.Put(0x8000, StandardIndex("ix01", "01wb", 0x100, {{8, 4}, {20, 4}, {40, 4}}));
    f.Put(0x9000, StandardIndex("ix00", "00dc", 0x100, {{60, 4}}));
    Tables t;
    AviByteSource src = f.Source();
    ASSERT_EQ(ReadOpenDmlIndexFrom(src, {0, 1}, &t.video, &t.audio, &t.totals), 1);
    EXPECT_EQ(t.audio.count, 3);

    // Entries of 0xFFFF words: not an index this reader knows; the walk ends.
    Bytes odd = StandardIndex("ix00", "00dc", 0x100, {{60, 4}});
    odd[8] = odd[9] = 0xFF;
    SparseFile g;
    g.Put(0, OdmlHeader({SuperIndex("00dc", {{0x9000, 64}})}, {"vids"}));
    g.Put(0x9000, odd);
    Tables u;
    AviByteSource gs = g.Source();
    EXPECT_EQ(ReadOpenDmlIndexFrom(gs, {0, 1}, &u.video, &u.audio, &u.totals), 0);
}

TEST(AviIndex, BrokenFilesGiveNothing)
{
    Tables t;
    Bytes empty;
    EXPECT_EQ(OdmlWalk(empty, t), 0);
    Bytes notRiff = {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
    EXPECT_EQ(OdmlWalk(notRiff, t), 0);

    SimpleAvi a = BuildSimpleAvi({{"00dc", Payload(4, 1)}, {"00dc", Payload(4, 2)}, {"00dc", Payload(4, 3)}});
    // Cut inside the index: the entries before the cut stay.
    for (size_t cut = 0; cut <= a.bytes.size(); cut++) {
        Bytes part(a.bytes.begin(), a.bytes.begin() + (long)cut);
        Tables u;
        int n = OdmlWalk(part, u);
        EXPECT_GE(n, 0);
        EXPECT_LE(n, 3);
        for (int i = 0; i < u.video.count; i++)
            if (u.video.entries[i].size > 0)
                EXPECT_LE(u.video.entries[i].Offset() + u.video.entries[i].size, part.size());
    }
}

TEST(AviIndex, ProbeCountsVideoStreamsAndReadsTheParallaxNote)
{
    auto note = [](int32_t h, uint32_t denH, int32_t v, uint32_t denV) {
        Bytes b;
        PutId(b, "FUJI");
        PutId(b, "FILM");
        b.push_back(0x0C);
        b.push_back(0);
        b.push_back(0);
        b.push_back(0);
        Put16(b, 2);
        Put16(b, 0xB211), Put16(b, 10), Put32(b, 1), Put32(b, 64);
        Put16(b, 0xB212), Put16(b, 10), Put32(b, 1), Put32(b, 72);
        b.resize(64, 0);
        Put32(b, (uint32_t)h), Put32(b, denH), Put32(b, (uint32_t)v), Put32(b, denV);
        return b;
    };
    struct Case {
        int streams;
        int32_t h;
        uint32_t denH;
        int32_t v;
        uint32_t denV;
        int result, wantH, wantV;
    } cases[] = {
        {2, 2150, 640, -330, 480, 1, 21, -3},
        {2, -150, 1280, 99, 720, 1, -1, 0},
        {2, 2150, 1920, 500, 240, 1, 0, 5},  // an unknown width leaves the horizontal value 0
        {1, 2150, 640, 700, 480, 0, 21, 7},
    };
    for (const Case &c : cases) {
        Bytes strls;
        for (int i = 0; i < c.streams; i++)
            strls = Cat({strls, StreamList("vids")});
        strls = Cat({strls, StreamList("auds")});
        Bytes file = Cat({List("RIFF", "AVI ", Cat({strls, note(0, 0, 0, 0), note(c.h, c.denH, c.v, c.denV)}))});
        int h = 99, v = 99;
        EXPECT_EQ(ProbeStereoAviBytes(file.data(), file.size(), &h, &v), c.result);
        EXPECT_EQ(h, c.wantH);
        EXPECT_EQ(v, c.wantV);
    }
    // A note whose value offset points outside the bytes read.
    Bytes file = Cat({StreamList("vids"), note(0, 0, 0, 0), note(1, 640, 1, 480)});
    file[file.size() - 16 - 64 + 12 + 2 + 8] = 0xFF;  // the 0xB211 offset
    file[file.size() - 16 - 64 + 12 + 2 + 9] = 0xFF;
    int h = 5, v = 5;
    ProbeStereoAviBytes(file.data(), file.size(), &h, &v);
    EXPECT_EQ(h, 0);
}
