// The own reader's index walk on real files (ffmpeg's and the test
// writer's, up to a sparse file of 4.8 GB), checked against ffprobe's
// packets; the layout kernels and the YUY2 conversion against ffmpeg.
#include "sources/avi_index.h"

#include "shared/frame_conversions.h"
#include "sources/stereo_layouts.h"
#include "state/app_state.h"

#include "media_fixtures.h"

#include <gtest/gtest.h>

namespace {

void ExpectPackets(const ChunkTable &t, const std::vector<Packet> &packets)
{
    ASSERT_EQ(t.count, (int)packets.size());
    for (int i = 0; i < t.count; i++) {
        EXPECT_EQ(t.entries[i].Offset(), packets[i].pos) << i;
        EXPECT_EQ(t.entries[i].size, packets[i].size) << i;
    }
}

}  // namespace

TEST(MediaIndex, ChunkPositionsAgreeWithFfprobe)
{
    REQUIRE_MEDIA();
    struct Case {
        const char *name;
        int video, audio;
        bool openDml;  // the walk to use
    } cases[] = {
        {"raw", 0, 1, true},        // AVI 1.0: the OpenDML walk falls back to idx1
        {"mjpg", 0, 1, false},
        {"odml", 0, 1, true},
        {"odml_noidx1", 0, 1, true},
        {"odml_audiofirst", 1, 0, true},
        {"huge", 0, 1, true},       // bases below and above 4 GB, chunks across it
        {"stereo3d", 2, 1, false},  // the second eye's '02dc' chunks
        {"stereo3d", 0, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Packet> video = ReadPackets(c.name, c.video), audio = ReadPackets(c.name, c.audio);
        ChunkTable v, a;
        InitChunkTable(&v, (int)video.size() + 5, false);
        InitChunkTable(&a, 0, true);
        AviIndexTotals totals;
        std::string path = MediaPath(std::string(c.name) + ".avi");
        int n = c.openDml ? ReadOpenDmlIndex(path.c_str(), {c.video, c.audio}, &v, &a, &totals)
                          : ReadAviIndex(path.c_str(), {c.video, c.audio}, &v, &a, &totals);
        EXPECT_EQ(n, (int)video.size());
        ExpectPackets(v, video);
        ExpectPackets(a, audio);
        int64_t bytes = 0;
        for (const Packet &p : audio)
            bytes += p.size;
        EXPECT_EQ(totals.audioBytes, bytes);
        FreeChunkTable(&v);
        FreeChunkTable(&a);
    }
}

TEST(MediaIndex, ProbeFindsTheThreeDAviAndItsParallax)
{
    REQUIRE_MEDIA();
    EXPECT_EQ(ProbeStereoAvi(MediaPath("stereo3d.avi").c_str()), 1);
    EXPECT_EQ(g_nParallaxH, 21);
    EXPECT_EQ(g_nParallaxV, -3);
    EXPECT_EQ(ProbeStereoAvi(MediaPath("mjpg.avi").c_str()), 0);
    EXPECT_EQ(g_nParallaxH, 0);
    EXPECT_EQ(ProbeStereoAvi(MediaPath("absent.avi").c_str()), -1);
}

TEST(MediaLayouts, SplitsAndTurnsAgreeWithFfmpeg)
{
    REQUIRE_MEDIA();
    std::vector<uint8_t> src = ReadBytes("frame30x12.bgr");
    DibPtr frame = BgrFrame(src, 30, 12, 0);
    ASSERT_TRUE(frame);
    auto expect = [](const PackedDib *got, const char *file, int w, int h) {
        SCOPED_TRACE(file);
        DibPtr want = BgrFrame(ReadBytes(file), w, h, 0);
        ASSERT_TRUE(want);
        ASSERT_EQ(DibWidth(got), w);
        ASSERT_EQ(DibHeight(got), h);
        EXPECT_EQ(Compare(got, want.get()).max, 0);
    };
    DibPtr a(CreateDib(30, 12, 24, 1)), b(CreateDib(30, 12, 24, 1));
    SplitSideBySideFrame(a.get(), b.get(), frame.get(), 30, 12, 24);
    expect(a.get(), "sbs_left.bgr", 15, 12);
    expect(b.get(), "sbs_right.bgr", 15, 12);
    // Over/under: the first view is the first rows in memory, the lower
    // half of the picture.
    SplitOverUnderFrame(a.get(), b.get(), frame.get(), 30, 12, 24);
    expect(a.get(), "ou_bottom.bgr", 30, 6);
    expect(b.get(), "ou_top.bgr", 30, 6);

    // Interlaced: the first view keeps the rows 0, 2, ... in memory, which
    // are the picture's odd rows from the top: ffmpeg's second field.
    SplitInterlacedFrame(a.get(), b.get(), frame.get(), 30, 12, 24);
    DibPtr fields = BgrFrame(ReadBytes("il_fields.bgr"), 30, 12, 0);
    for (int k = 0; k < 6; k++) {
        // il puts the even picture rows (fields) in the top half: picture
        // row k of the top half is source row 2k from the top.
        const uint8_t *evenField = DibRow(fields.get(), 11 - k);       // picture row 2k
        const uint8_t *oddField = DibRow(fields.get(), 11 - (6 + k));  // picture row 2k + 1
        EXPECT_EQ(memcmp(DibRow(b.get(), 11 - 2 * k), evenField, 90), 0) << k;
        EXPECT_EQ(memcmp(DibRow(a.get(), 11 - (2 * k + 1)), oddField, 90), 0) << k;
    }

    struct Turn {
        int code;
        const char *file;
        int w, h;
    } turns[] = {{2, "turn_cw.bgr", 12, 30}, {1, "turn_ccw.bgr", 12, 30}, {3, "turn_half.bgr", 30, 12},
                 {4, "mirror_h.bgr", 30, 12}, {5, "mirror_v.bgr", 30, 12}};
    for (const Turn &t : turns) {
        DibPtr out(RotateDib(frame.get(), t.code));
        expect(out.get(), t.file, t.w, t.h);
    }
}

TEST(MediaLayouts, Yuy2AgreesWithFfmpeg)
{
    REQUIRE_MEDIA();
    std::vector<uint8_t> yuy2 = ReadBytes("frame32x8.yuy2");
    ASSERT_EQ(yuy2.size(), 32u * 8 * 2);
    std::vector<uint8_t> frame(sizeof(BITMAPINFOHEADER) + yuy2.size());
    BITMAPINFOHEADER h = {40, 32, 8, 1, 16, kFourccYuy2, (DWORD)yuy2.size(), 0, 0, 0, 0};
    memcpy(frame.data(), &h, sizeof h);
    memcpy(frame.data() + sizeof h, yuy2.data(), yuy2.size());
    DibPtr ours(CreateDib(32, 8, 24, 1));
    ASSERT_TRUE(ConvertFrameTo24Direct(ours.get(), (const PackedDib *)frame.data()));
    DibPtr theirs = BgrFrame(ReadBytes("frame32x8.bgr"), 32, 8, 0);
    FrameDiff d = Compare(ours.get(), theirs.get());
    // Both are BT.601 limited range; they round differently.
    EXPECT_LE(d.max, 3);
    EXPECT_LT(d.mean, 1.0);
}
