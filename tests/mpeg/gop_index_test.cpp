#include "mpeg/gop_index.h"
#include "tests/mpeg/bit_writer.h"
#include "tests/mpeg/mpeg_test_util.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>
#include <random>

namespace {

struct ReaderDeleter {
    void operator()(VideoBitReader *v) const
    {
        CloseVideoSource(v);
        free(v);
    }
};
using ReaderPtr = std::unique_ptr<VideoBitReader, ReaderDeleter>;

ReaderPtr OpenReader(const std::string &path)
{
    VideoBitReader *v = (VideoBitReader *)calloc(1, sizeof(VideoBitReader));
    VideoSourceOptions o = {0x800000, 0};
    if (!OpenVideoSource(v, path.c_str(), &o)) {
        free(v);
        return nullptr;
    }
    return ReaderPtr(v);
}

struct ListDeleter {
    void operator()(GopList *l) const { FreeGopList(l); }
};
using ListPtr = std::unique_ptr<GopList, ListDeleter>;

// A stream of headers only (the indexes read no slice data): sequence, GOP
// and picture headers, each picture with nine dummy slices.
struct StreamBuilder {
    BitWriter b;
    int fps = 25;
    void Seq(int w = 176, int h = 144, int rate = 3, bool mpeg2 = true, int progressive = 1)
    {
        b.StartCode(0xB3);
        b.Put(w, 12);
        b.Put(h, 12);
        b.Put(1, 4);
        b.Put(rate, 4);
        b.Put(1000, 18);
        b.Put(1, 1);
        b.Put(50, 10);
        b.Put(0, 3);
        if (mpeg2) {
            b.StartCode(0xB5);
            b.Put(1, 4);
            b.Put(0x48, 8);
            b.Put(progressive, 1);
            b.Put(1, 2);
            b.Put(0, 4);
            b.Put(0, 12);
            b.Put(1, 1);
            b.Put(0, 8);
            b.Put(0, 1);
            b.Put(0, 7);
        }
    }
    void Gop(long long frame, int closed, int broken = 0, int hoursOffset = 0)
    {
        b.StartCode(0xB8);
        long long s = frame / fps;
        b.Put(0, 1);
        b.Put((int)(s / 3600 + hoursOffset), 5);
        b.Put((int)(s / 60 % 60), 6);
        b.Put(1, 1);
        b.Put((int)(s % 60), 6);
        b.Put((int)(frame % fps), 6);
        b.Put(closed, 1);
        b.Put(broken, 1);
    }
    // type 'I', 'P', 'B'; structure 3 frame, 1/2 field.
    void Pic(char type, int tref = 0, int tff = 1, int rff = 0, int structure = 3, bool mpeg2 = true)
    {
        int t = type == 'I' ? 1 : type == 'P' ? 2 : type == 'B' ? 3 : type - '0';
        b.StartCode(0x00);
        b.Put(tref, 10);
        b.Put(t, 3);
        b.Put(0xFFFF, 16);
        if (t == 2 || t == 3)
            b.Put(7, 4);
        if (t == 3)
            b.Put(7, 4);
        b.Put(0, 1);
        if (mpeg2) {
            b.StartCode(0xB5);
            b.Put(8, 4);
            b.Put(t == 1 ? 15 : 2, 4);
            b.Put(t == 1 ? 15 : 2, 4);
            b.Put(t == 3 ? 2 : 15, 4);
            b.Put(t == 3 ? 2 : 15, 4);
            b.Put(0, 2);
            b.Put(structure, 2);
            b.Put(tff, 1);
            b.Put(1, 1);
            b.Put(0, 3);
            b.Put(0, 1);
            b.Put(rff, 1);
            b.Put(1, 1);
            b.Put(structure == 3 && !rff ? 1 : 0, 1);
            b.Put(0, 1);
        }
        for (int row = 1; row <= 9; row++) {
            b.StartCode(row);
            b.Put(0x12345678, 32);
        }
    }
    // A GOP in coded order from a display-order pattern like "IBBPBBP"
    // (leading B pictures of an open GOP before the I: "BBIBBP").
    void Pictures(const char *codedOrder)
    {
        for (int i = 0; codedOrder[i]; i++)
            Pic(codedOrder[i], i);
    }
    void End() { b.StartCode(0xB7); }
    std::string Write(const char *name)
    {
        std::string path = ScratchPath(name);
        WriteWholeFile(path, b.bytes);
        return path;
    }
};

ListPtr Scan(const std::string &path, int tff = 1)
{
    ReaderPtr v = OpenReader(path);
    if (!v)
        return nullptr;
    return ListPtr(BuildGopList(v.get(), tff, nullptr, nullptr));
}

long long TimecodeCount(const std::string &path, int tff = 1)
{
    ReaderPtr v = OpenReader(path);
    SeekVideo(v.get(), 0, 0);
    NextVideoStartCode(v.get());
    SequenceRecord seq;
    ParseSequenceHeader(v.get(), &seq);
    TimecodeIndex *t = NewTimecodeIndex(v.get(), &seq, tff);
    long long n = CountFramesByTimecode(t);
    FreeTimecodeIndex(t);
    return n;
}

struct CountCase {
    const char *what;
    std::function<void(StreamBuilder &)> build;
    long long frames;  // GOP list total
    std::vector<long long> firsts;
};

TEST(GopCounting, RulesOnHeaderOnlyStreams)
{
    std::vector<CountCase> cases = {
        {"closed GOPs, with end code",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 1);
             s.Pictures("IPBBPBB");
             s.Gop(7, 1);
             s.Pictures("IPBBPBB");
             s.End();
         },
         14, {0, 7}},
        {"without an end code the last GOP loses two",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 1);
             s.Pictures("IPBBPBB");
             s.Gop(7, 1);
             s.Pictures("IPBBPBB");
         },
         12, {0, 7}},
        {"open GOPs: leading B pictures of the first are dropped, later ones count before",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 0);
             s.Pictures("IBBPBBPBB");  // coded order I B B P: the first Bs lead the I
             s.Gop(7, 0);
             s.Pictures("IBBPBBPBB");
             s.End();
         },
         16, {0, 9}},
        {"broken link drops the leading B pictures",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 1);
             s.Pictures("IPBB");
             s.Gop(4, 0, 1);
             s.Pictures("IBBPBB");
             s.End();
         },
         8, {0, 4}},
        {"3:2 pulldown: 5 frames per 4 pictures",
         [](StreamBuilder &s) {
             s.Seq(176, 144, 4, true, 0);
             s.Gop(0, 1);
             for (int k = 0; k < 2; k++) {
                 s.Pic(k == 0 ? 'I' : 'P', 0, 1, 1);
                 s.Pic('P', 1, 0, 0);
                 s.Pic('P', 2, 0, 1);
                 s.Pic('P', 3, 1, 0);
             }
             s.End();
         },
         10, {0}},
        {"field pairs count once",
         [](StreamBuilder &s) {
             s.Seq(176, 144, 3, true, 0);
             s.Gop(0, 1);
             s.Pic('I', 0, 1, 0, 1);
             s.Pic('P', 0, 1, 0, 2);
             s.Pic('P', 1, 1, 0, 1);
             s.Pic('P', 1, 1, 0, 2);
             s.End();
         },
         2, {0}},
        {"identical repeated sequence headers",
         [](StreamBuilder &s) {
             for (int g = 0; g < 3; g++) {
                 s.Seq();
                 s.Gop(g * 4, 1);
                 s.Pictures("IPBB");
             }
             s.End();
         },
         12, {0, 4, 8}},
        {"a one-picture stream without end code has no frames, not 2^32 - 1",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 1);
             s.Pic('I');
         },
         0, {0}},
        {"undecodable pictures are not counted",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 1);
             s.Pictures("IP4PB");
             s.End();
         },
         4, {0}},
        {"time codes from one hour on: only the GOP list",
         [](StreamBuilder &s) {
             s.Seq();
             s.Gop(0, 1, 0, 1);
             s.Pictures("IPBB");
             s.Gop(4, 1, 0, 1);
             s.Pictures("IPBB");
             s.End();
         },
         8, {0, 4}},
    };
    int k = 0;
    for (const CountCase &c : cases) {
        StreamBuilder s;
        c.build(s);
        std::string path = s.Write(("count" + std::to_string(k++) + ".m2v").c_str());
        ListPtr list = Scan(path);
        ASSERT_TRUE(list) << c.what;
        EXPECT_EQ(list->totalFrames, c.frames) << c.what;
        ASSERT_EQ(list->gopCount, (int)c.firsts.size()) << c.what;
        for (int i = 0; i < list->gopCount; i++)
            EXPECT_EQ(list->entries[i].first, c.firsts[i]) << c.what << " GOP " << i;
        EXPECT_EQ(list->recordCount, 1) << c.what;
    }
}

// Twelve GOPs of each pattern: the time-code index accepts the stream and
// answers as the GOP list does, for every frame.
TEST(GopCounting, TimecodeIndexAgreesWithTheList)
{
    struct Pattern {
        const char *what;
        int closed;
        std::function<void(StreamBuilder &, int)> gop;  // pictures of GOP g
        int framesPerGop;
        int leading;  // leading B pictures (display before the I)
    };
    Pattern patterns[] = {
        {"closed IPBB", 1, [](StreamBuilder &s, int) { s.Pictures("IPBBPBB"); }, 7, 0},
        {"open GOPs", 0, [](StreamBuilder &s, int) { s.Pictures("IBBPBBPBB"); }, 9, 0},
        {"3:2 pulldown", 1,
         [](StreamBuilder &s, int) {
             s.Pic('I', 0, 1, 1);
             s.Pic('P', 1, 0, 0);
             s.Pic('P', 2, 0, 1);
             s.Pic('P', 3, 1, 0);
         },
         5, 0},
        {"field pairs", 1,
         [](StreamBuilder &s, int) {
             s.Pic('I', 0, 1, 0, 1);
             s.Pic('P', 0, 1, 0, 2);
             s.Pic('P', 1, 1, 0, 1);
             s.Pic('P', 1, 1, 0, 2);
         },
         2, 0},
    };
    for (const Pattern &p : patterns) {
        StreamBuilder s;
        s.Seq(176, 144, 3, true, 0);
        for (int g = 0; g < 12; g++) {
            // Time codes count display order from the first picture shown.
            s.Gop((long long)g * p.framesPerGop, g == 0 ? 1 : p.closed);
            p.gop(s, g);
        }
        s.End();
        std::string path = s.Write("regular.m2v");
        ListPtr list = Scan(path);
        ASSERT_TRUE(list) << p.what;
        long long expect = 12LL * p.framesPerGop - p.leading;
        EXPECT_EQ(list->totalFrames, expect) << p.what;
        ReaderPtr v = OpenReader(path);
        NextVideoStartCode(v.get());
        SequenceRecord seq;
        ParseSequenceHeader(v.get(), &seq);
        TimecodeIndex *t = NewTimecodeIndex(v.get(), &seq, 1);
        ASSERT_EQ(CountFramesByTimecode(t), expect) << p.what;
        for (long long f = 0; f < expect; f++) {
            GopEntry a = FindGopByTimecode(t, f), b = FindGopInList(list.get(), f);
            ASSERT_TRUE(GopEntryFound(a)) << p.what << " frame " << f;
            EXPECT_EQ(a.first, b.first) << p.what << " frame " << f;
            EXPECT_EQ(a.count, b.count) << p.what << " frame " << f;
        }
        FreeTimecodeIndex(t);
    }
}

TEST(GopCounting, ScanFailures)
{
    StreamBuilder noSecondField;
    noSecondField.Seq(176, 144, 3, true, 0);
    noSecondField.Gop(0, 1);
    noSecondField.Pic('I', 0, 1, 0, 1);
    EXPECT_FALSE(Scan(noSecondField.Write("lonely-field.m2v")));
    StreamBuilder noI;
    noI.Seq();
    noI.Gop(0, 0);
    noI.Pictures("PPBB");
    EXPECT_FALSE(Scan(noI.Write("no-i.m2v")));
    StreamBuilder badSeq;
    badSeq.Seq(0, 144);
    badSeq.Gop(0, 1);
    badSeq.Pictures("IPBB");
    EXPECT_FALSE(Scan(badSeq.Write("size-0.m2v")));
}

TEST(GopCounting, ProgressHookSeesEveryStartCodeAndCancels)
{
    StreamBuilder s;
    s.Seq();
    for (int g = 0; g < 5; g++) {
        s.Gop(g * 4, 1);
        s.Pictures("IPBB");
    }
    s.End();
    std::string path = s.Write("progress.m2v");
    struct Progress {
        int calls = 0, last = -1, cancelAt = 0;
        bool ordered = true;
    } p;
    auto hook = [](void *ctx, int percent) -> int {
        Progress *q = (Progress *)ctx;
        q->ordered &= percent >= q->last && percent <= 100;
        q->last = percent;
        return ++q->calls != q->cancelAt;
    };
    ReaderPtr v = OpenReader(path);
    GopList *list = BuildGopList(v.get(), 1, hook, &p);
    ASSERT_NE(list, nullptr);
    FreeGopList(list);
    EXPECT_TRUE(p.ordered);
    EXPECT_GT(p.calls, 5 * 4 * 10);
    Progress c;
    c.cancelAt = 30;
    EXPECT_EQ(BuildGopList(v.get(), 1, hook, &c), nullptr);
    EXPECT_EQ(c.calls, 30);
}

TEST(GopList, FindByFrame)
{
    SequenceRecord rec = {};
    GopEntry entries[3] = {{0, 0, 10, &rec}, {500, 10, 12, &rec}, {900, 22, 3, &rec}};
    GopList list = {1000, 25, 3, 1, entries, &rec};
    struct {
        long long frame, offset;
    } cases[] = {{0, 0}, {9, 0}, {10, 500}, {21, 500}, {22, 900}, {24, 900}, {25, -1}, {-1, -1}, {1000, -1}};
    for (auto c : cases) {
        GopEntry e = FindGopInList(&list, c.frame);
        if (c.offset < 0)
            EXPECT_FALSE(GopEntryFound(e)) << c.frame;
        else
            EXPECT_EQ(e.offset, c.offset) << c.frame;
    }
}

// Generated streams: the GOP list counts what ffprobe -count_frames counts,
// and the time-code index agrees with it wherever it accepts a stream.
TEST(GopCounting, GeneratedStreamsAgreeWithFfprobe)
{
    for (const char *name : {"es1.m1v", "es2.m2v", "es2i.m2v", "hd.m2v", "long.m2v", "ps2.mpg", "ps1.mpg", "ts.ts",
                             "mjpeg.m2v", "mplex.mpg"}) {
        ListPtr list = Scan(MediaPath(name), 0);
        ASSERT_TRUE(list) << name;
        // A stream without a sequence end code (ffmpeg's elementary streams)
        // reports two frames fewer than it holds.
        std::vector<unsigned char> es = ReadWholeFile(MediaPath(name));
        bool endCode = es.size() > 4 && es[es.size() - 4] == 0 && es[es.size() - 3] == 0 &&
                       es[es.size() - 2] == 1 && es[es.size() - 1] == 0xB7;
        long long probe = ReadProbeFrameCount(name);
        EXPECT_TRUE(list->totalFrames == probe || (!endCode && list->totalFrames == probe - 2))
            << name << ": " << list->totalFrames << " frames, ffprobe " << probe;
        ReaderPtr v = OpenReader(MediaPath(name));
        NextVideoStartCode(v.get());
        SequenceRecord seq;
        ParseSequenceHeader(v.get(), &seq);
        TimecodeIndex *t = NewTimecodeIndex(v.get(), &seq, 0);
        long long n = CountFramesByTimecode(t);
        if (n >= 0) {
            EXPECT_EQ(n, list->totalFrames) << name;
            for (long long f = 0; f < n; f++) {
                GopEntry a = FindGopByTimecode(t, f), b = FindGopInList(list.get(), f);
                ASSERT_TRUE(GopEntryFound(a)) << name << " frame " << f;
                EXPECT_EQ(a.first, b.first) << name << " frame " << f;
                EXPECT_EQ(a.count, b.count) << name << " frame " << f;
            }
            EXPECT_FALSE(GopEntryFound(FindGopByTimecode(t, n)));
        }
        FreeTimecodeIndex(t);
    }
}

TEST(TimecodeIndex, ForwardJumpOfJoinedRecordingsFallsBackToTheList)
{
    // Closed GOPs with time codes from 0, then from 00:10:00:00.
    std::vector<unsigned char> a = ReadWholeFile(MediaPath("long.m2v")), b = ReadWholeFile(MediaPath("tc10m.m2v"));
    a.resize(a.size() - 4);  // without its end code
    a.insert(a.end(), b.begin(), b.end());
    std::string path = ScratchPath("joined.m2v");
    ASSERT_TRUE(WriteWholeFile(path, a));
    EXPECT_EQ(TimecodeCount(path, 0), -1);
    ListPtr list = Scan(path, 0);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->totalFrames, 298);  // no end code
    EXPECT_EQ(TimecodeCount(MediaPath("long.m2v"), 0), 198);
    // Time codes that do not start at zero: always the list.
    EXPECT_EQ(TimecodeCount(MediaPath("tc10m.m2v"), 0), -1);
    EXPECT_EQ(TimecodeCount(MediaPath("tc1h.m2v"), 0), -1);
}

TEST(TimecodeIndex, DropFrameTimecodes)
{
    struct {
        GopTimecode tc;
        int fps;
        long long frames;
    } cases[] = {
        {{0, 0, 0, 0, 0}, 30, 0},
        {{0, 1, 2, 3, 4}, 25, 25 * 3723 + 4},
        {{1, 0, 1, 0, 2}, 30, 1800 - 2 + 2},   // 00:01:00;02 is the first frame of minute 1
        {{1, 0, 10, 0, 0}, 30, 18000 - 18},    // minute 10 drops nothing
        {{1, 1, 0, 0, 0}, 30, 108000 - 108},
    };
    for (auto c : cases)
        EXPECT_EQ(TimecodeToFrames(c.tc, c.fps), c.frames);
}

class GopListFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        movie = MediaPath("long.m2v");
        list = Scan(movie, 0);
        ASSERT_TRUE(list);
        ASSERT_TRUE(ComputeStreamFingerprint(movie.c_str(), 0, &fp));
        glPath = ScratchPath("long.gl");
        ASSERT_EQ(WriteGopListFile(list.get(), glPath.c_str(), &fp), 1);
        bytes = ReadWholeFile(glPath);
    }
    GopList *ReadBack(const std::vector<unsigned char> &v)
    {
        std::string p = ScratchPath("variant.gl");
        WriteWholeFile(p, v);
        return ReadGopListFile(p.c_str(), list->streamSize, &fp);
    }
    std::string movie, glPath;
    ListPtr list;
    StreamFingerprint fp;
    std::vector<unsigned char> bytes;
};

TEST_F(GopListFile, RoundTripAndLayout)
{
    EXPECT_EQ(0, memcmp(bytes.data(), "GOP_LIST\0\0\0\0\0\0\0\0" "00000003\0\0\0\0\0\0\0\0", 32));
    long long size = 0;
    for (int i = 7; i >= 0; i--)
        size = size << 8 | bytes[32 + i];
    EXPECT_EQ(size, list->streamSize);
    EXPECT_EQ(bytes[48], list->gopCount);
    EXPECT_GT(list->gopCount, 3);
    ListPtr back(ReadGopListFile(glPath.c_str(), list->streamSize, &fp));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->totalFrames, list->totalFrames);
    ASSERT_EQ(back->gopCount, list->gopCount);
    ASSERT_EQ(back->recordCount, list->recordCount);
    for (int i = 0; i < list->gopCount; i++) {
        EXPECT_EQ(back->entries[i].offset, list->entries[i].offset);
        EXPECT_EQ(back->entries[i].first, list->entries[i].first);
        EXPECT_EQ(back->entries[i].count, list->entries[i].count);
        EXPECT_EQ(back->entries[i].seq - back->records, list->entries[i].seq - list->records);
    }
    EXPECT_EQ(0, memcmp(back->records, list->records, sizeof(SequenceRecord) * list->recordCount));
}

TEST_F(GopListFile, EveryDamageIsRefused)
{
    struct Case {
        const char *what;
        std::function<void(std::vector<unsigned char> &)> damage;
    };
    auto put32 = [](std::vector<unsigned char> &v, size_t at, unsigned x) {
        for (int i = 0; i < 4; i++)
            v[at + i] = (unsigned char)(x >> (8 * i));
    };
    Case cases[] = {
        {"shortened", [](std::vector<unsigned char> &v) { v.resize(v.size() - 1); }},
        {"cut after the header", [](std::vector<unsigned char> &v) { v.resize(60); }},
        {"a header byte differs", [](std::vector<unsigned char> &v) { v[20] ^= 1; }},
        {"another stream size", [](std::vector<unsigned char> &v) { v[32] ^= 1; }},
        {"GOP count 2^31 - 1", [&](std::vector<unsigned char> &v) { put32(v, 48, 0x7FFFFFFF); }},
        {"GOP count 0", [&](std::vector<unsigned char> &v) { put32(v, 48, 0); }},
        {"record count negative", [&](std::vector<unsigned char> &v) { put32(v, 52, 0xFFFFFFFF); }},
        {"offset beyond the stream", [](std::vector<unsigned char> &v) { v[56 + 28 + 6] = 0x40; }},
        {"frames out of order", [](std::vector<unsigned char> &v) { v[56 + 28 + 8] ^= 0x20; }},
        {"record index out of range", [&](std::vector<unsigned char> &v) { put32(v, 56 + 24, 5); }},
        {"width 0", [&](std::vector<unsigned char> &v) { put32(v, 56 + 28 * v[48], 0); }},
        {"chroma_format 0", [&](std::vector<unsigned char> &v) {
             // the sequence extension follows the 9 fields and two matrix flags
             size_t rec = 56 + 28 * v[48];
             put32(v, rec + 4 * 11 + 4 * 3, 0);
         }},
        {"another stream of the same size", [](std::vector<unsigned char> &v) { v[v.size() - 1] ^= 1; }},
        {"no fingerprint (an older file)", [](std::vector<unsigned char> &v) { v.resize(v.size() - 24); }},
        {"trailing bytes", [](std::vector<unsigned char> &v) { v.push_back(0); }},
    };
    for (const Case &c : cases) {
        std::vector<unsigned char> v = bytes;
        c.damage(v);
        GopList *l = ReadBack(v);
        EXPECT_EQ(l, nullptr) << c.what;
        FreeGopList(l);
    }
    GopList *same = ReadBack(bytes);
    EXPECT_NE(same, nullptr);
    FreeGopList(same);
}

TEST(GopListFileName, ExtensionReplaced)
{
    char name[260];
    ASSERT_TRUE(GopListFileName("C:\\movies\\a.b\\clip.mpg", name));
    EXPECT_STREQ(name, "C:\\movies\\a.b\\clip.gl");
    ASSERT_TRUE(GopListFileName("C:\\movies\\a.b\\clip", name));
    EXPECT_STREQ(name, "C:\\movies\\a.b\\clip.gl");
    ASSERT_TRUE(GopListFileName("C:\\\x83\x5C.x\\\x83\x5C.m2v", name));
    EXPECT_STREQ(name, "C:\\\x83\x5C.x\\\x83\x5C.gl");
    std::string longName(257, 'a');
    EXPECT_FALSE(GopListFileName((longName + ".mpg").c_str(), name));
}

}  // namespace
