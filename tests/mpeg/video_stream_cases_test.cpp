// The video stream object on streams of the project's own writer (field
// pictures, a change of coded size, closed GOPs with leading B pictures),
// its refusals, field pairing and resizing by the settings, and the scan's
// progress hook.
#include "mpeg/gop_scan_progress.h"
#include "mpeg/video_stream.h"
#include "tests/mpeg/mpeg_test_util.h"
#include "tests/mpeg/oracle_builders.h"
#include "tests/mpeg/picture_media.h"
#include "tests/mpeg/settings_fixture.h"
#include "tests/mpeg/video_test_util.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

namespace {

// The decoded planes of a frame, cropped as the reference decodes are
// (the 4:2:0 chroma as decoded, before upsampling).
Planes Crop(const FrameBuffer *fb, int w, int h)
{
    Planes p;
    p.w = w, p.h = h;
    ChromaSize(w, h, 1, &p.cw, &p.ch);
    for (int r = 0; r < h; r++)
        p.y.insert(p.y.end(), fb->y + (size_t)r * fb->width, fb->y + (size_t)r * fb->width + w);
    for (int r = 0; r < p.ch; r++) {
        p.u.insert(p.u.end(), fb->u + (size_t)r * fb->width, fb->u + (size_t)r * fb->width + p.cw);
        p.v.insert(p.v.end(), fb->v + (size_t)r * fb->width, fb->v + (size_t)r * fb->width + p.cw);
    }
    return p;
}

bool SamePlanes(const Planes &a, const Planes &b) { return a.y == b.y && a.u == b.u && a.v == b.v; }

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

using VideoStreamCases = DecoderSettingsFixture;

// Field pictures (no encoder here writes them): four GOPs of an I, a P and a
// B frame of two fields each, both field orders. Every frame, in order and
// after random seeks, is bit-exact with the picture decoder's own sequential
// decode of the stream (itself bit-exact with ffmpeg and libmpeg2 on these
// pictures).
TEST_F(VideoStreamCases, FieldPicturesAfterSeeks)
{
    std::vector<uint8_t> es = Concat({oracle::FieldStream(1), oracle::FieldStream(1), oracle::FieldStream(0),
                                      oracle::FieldStream(1)});
    EsFeederOptions opt;
    opt.idctFunc = 1;
    std::vector<Planes> ref = DecodePlanes(es, opt);
    ASSERT_EQ(ref.size(), 12u);
    StoreDecoderDword("gl", kGlNoFile);
    StreamPtr s = Open(WriteScratch("fields.m2v", es));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->frameCount, 12);
    for (long long n = 0; n < 12; n++) {
        const FrameCacheEntry *e = GetVideoFrame(s.get(), n);
        ASSERT_TRUE(e) << n;
        EXPECT_TRUE(SamePlanes(Crop(e->fb, 64, 64), ref[n])) << "frame " << n;
    }
    EXPECT_EQ(s->seeks, 1);
    std::mt19937 rng(7);
    for (int i = 0; i < 30; i++) {
        long long n = std::uniform_int_distribution<long long>(0, 11)(rng);
        const FrameCacheEntry *e = GetVideoFrame(s.get(), n);
        ASSERT_TRUE(e) << n;
        EXPECT_TRUE(SamePlanes(Crop(e->fb, 64, 64), ref[n])) << "frame " << n;
    }
}

// A sequence header that keeps the picture size but changes the coded size
// (progressive_sequence 0 to 1 at 48 rows: 64 coded rows, then 48): the
// references of the old geometry are let go, so the P picture that follows
// has nothing to predict from and gives no frame, while the frames around
// it keep the numbers the index gives them.
TEST_F(VideoStreamCases, CodedSizeChangeLetsTheReferencesGo)
{
    BitWriter w;
    EsSequence a;
    a.width = 64;
    a.height = 48;
    a.progressive = false;
    EsSequence b = a;
    b.progressive = true;
    WriteSequenceHeader(w, a);
    WriteGopHeader(w, true);
    WriteIntra(w, a, 4, 4, 0, 1);
    WriteCopy(w, a, 4, 4, 2, 1, kWForward);
    WriteSequenceHeader(w, b);
    WriteCopy(w, b, 4, 3, 2, 2, kWForward);
    WriteGopHeader(w, true);
    WriteIntra(w, b, 4, 3, 0, 2);
    WriteCopy(w, b, 4, 3, 2, 1, kWForward);
    WriteSequenceEnd(w);
    std::vector<uint8_t> es = w.Bytes();
    EsFeederOptions opt;
    std::vector<Planes> ref = DecodePlanes(es, opt); // I, P; (P passed over); I, P
    ASSERT_EQ(ref.size(), 4u);
    StreamPtr s = Open(WriteScratch("geometry.m2v", es));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->frameCount, 5);
    const int refOf[5] = {0, 1, -1, 2, 3};
    for (int pass = 0; pass < 2; pass++) {
        for (long long n : {0, 1, 2, 3, 4, 2, 0, 4, 3, 1}) {
            const FrameCacheEntry *e = GetVideoFrame(s.get(), n);
            if (refOf[n] < 0) {
                EXPECT_FALSE(e) << "frame " << n << " was predicted from a reference of another coded size";
                continue;
            }
            ASSERT_TRUE(e) << n;
            EXPECT_TRUE(SamePlanes(Crop(e->fb, 64, 48), ref[refOf[n]])) << "frame " << n;
        }
    }
}

// A closed GOP whose B pictures come before its I picture in display order:
// they predict from the I picture alone, and their coding type says so.
TEST_F(VideoStreamCases, CodingTypesOfClosedGopLeadingPictures)
{
    std::vector<uint8_t> es = ClosedLeadingStream();
    StreamPtr st = Open(WriteScratch("closed_leading.m2v", es));
    ASSERT_TRUE(st);
    ASSERT_EQ(st->frameCount, 12);
    std::vector<Planes> intra;
    for (long long n : {2, 8}) {
        const FrameCacheEntry *e = GetVideoFrame(st.get(), n);
        ASSERT_TRUE(e);
        intra.push_back(Crop(e->fb, 64, 64));
    }
    ASSERT_FALSE(SamePlanes(intra[0], intra[1]));
    // 4: a B picture of a closed GOP before its first reference after the I.
    const int types[12] = {4, 4, 1, 3, 3, 2, 4, 4, 1, 3, 3, 2};
    for (long long n : {11, 0, 5, 6, 1, 2, 3, 4, 7, 8, 9, 10}) {
        EXPECT_EQ(GetFrameCodingType(st.get(), n), types[n]) << "frame " << n;
        // Every picture copies its GOP's intra picture.
        const FrameCacheEntry *e = GetVideoFrame(st.get(), n);
        ASSERT_TRUE(e);
        EXPECT_TRUE(SamePlanes(Crop(e->fb, 64, 64), intra[n / 6])) << "frame " << n;
    }
    EXPECT_EQ(GetFrameCodingType(st.get(), 12), 0);
    EXPECT_EQ(GetFrameCodingType(st.get(), -1), 0);
}

TEST_F(VideoStreamCases, RefusedStreams)
{
    std::vector<uint8_t> es = ReadWholeFile(VideoMedia("open.m2v"));
    ASSERT_GT(es.size(), 100u);
    ASSERT_EQ(es[3], 0xB3);
    auto withRateCode = [&](int code) {
        std::vector<uint8_t> v = es;
        v[7] = (uint8_t)((v[7] & 0xF0) | code);
        return v;
    };
    struct Case {
        const char *what;
        std::string path;
        DWORD limit;
    };
    // Every sequence extension stating the largest sizes it can (16383 x
    // 16383): no picture of that size could be held.
    auto withHugeSizes = [&] {
        std::vector<uint8_t> v = es;
        int found = 0;
        for (size_t i = 0; i + 6 < v.size(); i++)
            if (v[i] == 0 && v[i + 1] == 0 && v[i + 2] == 1 && v[i + 3] == 0xB5 && (v[i + 4] >> 4) == 1) {
                v[i + 5] |= 0x01;
                v[i + 6] |= 0xE0;
                found++;
            }
        EXPECT_GT(found, 0);
        return v;
    };
    const Case cases[] = {
        {"not an MPEG extension", WriteScratch("movie.avi", es), 0},
        {"sequence extension sizes of 16383 x 16383", WriteScratch("huge.m2v", withHugeSizes()), 0},
        {"no extension", WriteScratch("movie", es), 0},
        {"no file", ScratchPath("missing.mpg"), 0},
        {"empty file", WriteScratch("empty.mpg", {}), 0},
        {"no start codes", WriteScratch("zeros.m2v", std::vector<uint8_t>(5000, 0)), 0},
        {"frame_rate_code 0", WriteScratch("rate0.m2v", withRateCode(0)), 0},
        {"frame_rate_code 9", WriteScratch("rate9.m2v", withRateCode(9)), 0},
        {"first picture beyond the limit", WriteScratch("limit.m2v", es), 16},
    };
    for (const Case &c : cases) {
        if (c.limit)
            StoreDecoderDword("limit", c.limit);
        else
            DeleteDecoderValue("limit");
        EXPECT_FALSE(Open(c.path)) << c.what;
    }
    DeleteDecoderValue("limit");
    EXPECT_TRUE(Open(WriteScratch("limit.m2v", es))) << "the same stream with the default limit";
    EXPECT_TRUE(Open(WriteScratch("UPPER.M2V", es))) << "extensions without case";
}

// "gl": bit 0 set scans every time and writes no file; clear, the file
// written by one open serves the next.
TEST_F(VideoStreamCases, GlSettingBetweenOpens)
{
    static int calls;
    SetGopScanProgressHook([](void *, int) { return ++calls, 1; }, nullptr);
    std::string path = WriteScratch("glsetting.m2v", ReadWholeFile(VideoMedia("enc.m2v")));
    char gl[260];
    ASSERT_TRUE(GopListFileName(path.c_str(), gl));
    auto exists = [&] {
        FILE *f = fopen(gl, "rb");
        if (f)
            fclose(f);
        return f != nullptr;
    };
    const struct {
        DWORD gl;
        bool scans, fileAfter;
    } steps[] = {{kGlNoFile, true, false}, {0, true, true}, {0, false, true}, {kGlNoFile, true, true}, {2, false, true}};
    for (const auto &st : steps) {
        StoreDecoderDword("gl", st.gl);
        calls = 0;
        StreamPtr s = Open(path);
        ASSERT_TRUE(s);
        EXPECT_EQ(calls > 0, st.scans) << "gl " << st.gl;
        EXPECT_EQ(exists(), st.fileAfter) << "gl " << st.gl;
        EXPECT_EQ(s->frameCount, 40);
    }
    SetGopScanProgressHook(nullptr, nullptr);
    remove(gl);
}

// A scan that its hook cancels fails the open.
TEST_F(VideoStreamCases, CancelledScanFailsTheOpen)
{
    SetGopScanProgressHook([](void *, int percent) { return percent < 50 ? 1 : 0; }, nullptr);
    StoreDecoderDword("gl", kGlNoFile | kGlNoTimecodeIndex);
    EXPECT_FALSE(Open(VideoMedia("enc.m2v")));
    SetGopScanProgressHook(nullptr, nullptr);
    EXPECT_TRUE(Open(VideoMedia("enc.m2v")));
}

// ".gl" files that pass every check of the file itself but whose GOP
// offsets do not lead to the GOPs: the stream is scanned anew, its frames
// decode and the file is written again as a scan makes it.
TEST_F(VideoStreamCases, GopListPointingElsewhereIsRebuilt)
{
    static int calls;
    SetGopScanProgressHook([](void *, int) { return ++calls, 1; }, nullptr);
    StoreDecoderDword("gl", 0);
    std::vector<uint8_t> es = ReadWholeFile(VideoMedia("enc.m2v"));
    std::string path = WriteScratch("pointing.m2v", es);
    char gl[260];
    ASSERT_TRUE(GopListFileName(path.c_str(), gl));
    ASSERT_TRUE(Open(path));
    const std::vector<uint8_t> good = ReadWholeFile(gl);
    ASSERT_GT(good.size(), 56u);
    const int gops = good[48] | good[49] << 8;
    ASSERT_GE(gops, 3);
    auto setOffset = [](std::vector<uint8_t> &f, int i, long long offset) {
        for (int b = 0; b < 8; b++)
            f[56 + 28 * i + b] = (uint8_t)(offset >> (8 * b));
    };
    auto offsetOf = [&](int i) {
        long long o = 0;
        for (int b = 7; b >= 0; b--)
            o = o << 8 | good[56 + 28 * i + b];
        return o;
    };
    const long long size = (long long)es.size();
    struct Case {
        const char *what;
        std::function<void(std::vector<uint8_t> &)> damage;
    };
    const Case cases[] = {
        {"every offset 100 bytes before the end",
         [&](std::vector<uint8_t> &f) {
             for (int i = 0; i < gops; i++)
                 setOffset(f, i, size - 100 + i);
         }},
        {"a middle GOP one byte late", [&](std::vector<uint8_t> &f) { setOffset(f, gops / 2, offsetOf(gops / 2) + 1); }},
        {"the last GOP at its second picture",
         [&](std::vector<uint8_t> &f) {
             // The next picture start code after the last GOP's own.
             long long at = offsetOf(gops - 1);
             int pictures = 0;
             for (long long p = at; p + 3 < size; p++)
                 if (es[p] == 0 && es[p + 1] == 0 && es[p + 2] == 1 && es[p + 3] == 0 && ++pictures == 2) {
                     at = p;
                     break;
                 }
             ASSERT_NE(at, offsetOf(gops - 1));
             setOffset(f, gops - 1, at);
         }},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> damaged = good;
        c.damage(damaged);
        ASSERT_TRUE(WriteWholeFile(gl, damaged));
        calls = 0;
        {
            StreamPtr s = Open(path);
            ASSERT_TRUE(s) << c.what;
            EXPECT_GT(calls, 0) << c.what << ": scanned";
            EXPECT_EQ(s->frameCount, 40) << c.what;
            for (long long n : {39LL, 0LL, 20LL})
                EXPECT_TRUE(GetVideoFrame(s.get(), n)) << c.what << ", frame " << n;
        }
        EXPECT_EQ(ReadWholeFile(gl), good) << c.what << ": written anew";
        calls = 0;
        EXPECT_TRUE(Open(path)) << c.what;
        EXPECT_EQ(calls, 0) << c.what << ": the new file serves the next open";
    }
    SetGopScanProgressHook(nullptr, nullptr);
    remove(gl);
}

// A list longer than what an open checks, with one GOP misplaced by a
// byte where the open does not look: the request that seeks to that GOP
// gives no frame, the file is removed and the next open scans anew.
TEST_F(VideoStreamCases, MisplacedGopFoundWhenSought)
{
    static int calls;
    SetGopScanProgressHook([](void *, int) { return ++calls, 1; }, nullptr);
    StoreDecoderDword("gl", kGlNoTimecodeIndex);
    std::vector<uint8_t> one = ReadWholeFile(VideoMedia("enc.m2v")), es;
    for (int i = 0; i < 24; i++)
        es.insert(es.end(), one.begin(), one.end());
    std::string path = WriteScratch("manygops.m2v", es);
    char gl[260];
    ASSERT_TRUE(GopListFileName(path.c_str(), gl));
    ASSERT_TRUE(Open(path));
    const std::vector<uint8_t> good = ReadWholeFile(gl);
    ASSERT_GT(good.size(), 56u);
    const int gops = good[48] | good[49] << 8;
    ASSERT_GT(gops, (int)kCheckedGopEntries);
    auto field = [&](int i, int at) {
        long long o = 0;
        for (int b = 7; b >= 0; b--)
            o = o << 8 | good[56 + 28 * i + at + b];
        return o;
    };
    bool found = false;
    for (int j = 1; j < gops - 1 && !found; j++) {
        std::vector<uint8_t> damaged = good;
        long long offset = field(j, 0) + 1;
        for (int b = 0; b < 8; b++)
            damaged[56 + 28 * j + b] = (uint8_t)(offset >> (8 * b));
        ASSERT_TRUE(WriteWholeFile(gl, damaged));
        calls = 0;
        StreamPtr s = Open(path);
        ASSERT_TRUE(s);
        if (calls > 0)
            continue;  // an entry the open checks
        found = true;
        EXPECT_TRUE(GetVideoFrame(s.get(), 0)) << "a GOP where the list says";
        EXPECT_FALSE(GetVideoFrame(s.get(), field(j, 8))) << "GOP " << j;
        EXPECT_TRUE(ReadWholeFile(gl).empty()) << "the file removed";
        EXPECT_TRUE(GetVideoFrame(s.get(), 1)) << "the stream serves on";
        s.reset();
        calls = 0;
        EXPECT_TRUE(Open(path));
        EXPECT_GT(calls, 0) << "scanned anew";
        EXPECT_EQ(ReadWholeFile(gl), good);
    }
    EXPECT_TRUE(found);
    SetGopScanProgressHook(nullptr, nullptr);
    remove(gl);
}

std::vector<uint8_t> ReadRgb(MpegVideoStream *s, long long n, int pitch)
{
    int w = s->outWidth, h = s->outHeight, row = std::abs(pitch);
    std::vector<uint8_t> buf((size_t)row * h + 64, 0xA5);
    uint8_t *first = pitch > 0 ? buf.data() : buf.data() + (size_t)row * (h - 1);
    if (!ReadVideoFrameRgb24(s, n, first, pitch))
        return {};
    // Nothing beyond the picture is written.
    for (int r = 0; r < h; r++)
        for (int x = w * 3; x < row; x++)
            EXPECT_EQ(buf[(size_t)r * row + x], 0xA5);
    for (size_t i = (size_t)row * h; i < buf.size(); i++)
        EXPECT_EQ(buf[i], 0xA5);
    return buf;
}

// Rows of a picture read with the given pitch, top row first.
std::vector<uint8_t> RowOf(const std::vector<uint8_t> &buf, int pitch, int h, int r, int w)
{
    int row = std::abs(pitch);
    size_t at = pitch > 0 ? (size_t)r * row : (size_t)(h - 1 - r) * row;
    return std::vector<uint8_t>(buf.begin() + at, buf.begin() + at + 3 * w);
}

// "field_order" 2 on a top-field-first stream: frame n's even rows come
// from frame n + 1 and its odd rows from frame n, one frame fewer is
// reported; 1 changes nothing there; a progressive sequence ignores it.
TEST_F(VideoStreamCases, FieldOrderPairsFrames)
{
    StoreDecoderDword("gl", kGlNoFile);
    StoreDecoderDword("field_order", 0);
    StreamPtr plain = Open(VideoMedia("il.m2v"));
    ASSERT_TRUE(plain);
    const int w = plain->outWidth, h = plain->outHeight, pitch = -(3 * w + 4);
    StoreDecoderDword("field_order", 2);
    StreamPtr paired = Open(VideoMedia("il.m2v"));
    ASSERT_TRUE(paired);
    EXPECT_EQ(paired->frameCount, plain->frameCount - 1);
    std::mt19937 rng(3);
    std::vector<long long> frames = {0, paired->frameCount - 1};
    for (int i = 0; i < 8; i++)
        frames.push_back(std::uniform_int_distribution<long long>(0, paired->frameCount - 1)(rng));
    for (long long n : frames) {
        std::vector<uint8_t> both = ReadRgb(paired.get(), n, pitch);
        std::vector<uint8_t> top = ReadRgb(plain.get(), n + 1, pitch), bottom = ReadRgb(plain.get(), n, pitch);
        ASSERT_FALSE(both.empty() || top.empty() || bottom.empty()) << n;
        for (int r = 0; r < h; r++)
            ASSERT_TRUE(RowOf(both, pitch, h, r, w) == RowOf(r % 2 ? bottom : top, pitch, h, r, w))
                << "frame " << n << " row " << r;
    }
    StoreDecoderDword("field_order", 1);
    StreamPtr same = Open(VideoMedia("il.m2v"));
    ASSERT_TRUE(same);
    EXPECT_EQ(same->frameCount, plain->frameCount);
    EXPECT_TRUE(ReadRgb(same.get(), 5, pitch) == ReadRgb(plain.get(), 5, pitch));
    StoreDecoderDword("field_order", 2);
    StreamPtr progressive = Open(VideoMedia("closed.m2v"));
    ASSERT_TRUE(progressive);
    EXPECT_EQ(progressive->settings.field_order, 0);
}

// The RGB rows: a negative pitch fills a bottom-up picture upright; with
// "aspect_ratio" a 16:9 stream of 128 x 96 is widened to 170 samples.
TEST_F(VideoStreamCases, RgbOutputAndResize)
{
    StoreDecoderDword("gl", kGlNoFile);
    StreamPtr s = Open(VideoMedia("open.m2v"));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->outWidth, 128);
    std::vector<uint8_t> down = ReadRgb(s.get(), 7, 3 * 128);
    std::vector<uint8_t> up = ReadRgb(s.get(), 7, -3 * 128);
    for (int r = 0; r < 96; r++)
        ASSERT_TRUE(RowOf(down, 384, 96, r, 128) == RowOf(up, -384, 96, r, 128)) << r;
    EXPECT_FALSE(ReadVideoFrameRgb24(s.get(), s->frameCount, down.data(), 384));
    StoreDecoderDword("aspect_ratio", 1);
    StreamPtr wide = Open(VideoMedia("open.m2v"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->outWidth, 96 * 16 / 9);
    EXPECT_EQ(wide->outHeight, 96);
    std::vector<uint8_t> pic = ReadRgb(wide.get(), 7, 3 * 170 + 2);
    ASSERT_FALSE(pic.empty());
    // The picture is there: testsrc's colour bars, not black.
    int bright = 0;
    for (int x = 0; x < 170 * 3; x++)
        bright += pic[(size_t)48 * (3 * 170 + 2) + x] > 128;
    EXPECT_GT(bright, 100);
}

} // namespace
