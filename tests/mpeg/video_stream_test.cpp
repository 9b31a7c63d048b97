// The video stream object on streams made by ffmpeg and mpeg2enc: the frame
// count against ffprobe's, every frame of a sequential decode against
// ffmpeg's decode (at least 55 dB luma), and frames fetched in random order
// bit-exact with the sequential decode, through each index (time codes, the
// GOP list scanned, the GOP list read back from its ".gl" file).
#include "mpeg/gop_scan_progress.h"
#include "mpeg/video_stream.h"
#include "tests/mpeg/mpeg_test_util.h"
#include "tests/mpeg/oracle_builders.h"
#include "tests/mpeg/picture_media.h"
#include "tests/mpeg/settings_fixture.h"
#include "tests/mpeg/video_test_util.h"

#include <algorithm>
#include <memory>
#include <random>

namespace {


// A frame as the cache holds it: all three planes, whole.
std::vector<uint8_t> WholeFrame(const FrameBuffer *fb)
{
    size_t plane = (size_t)fb->width * fb->height;
    std::vector<uint8_t> v(fb->y, fb->y + plane);
    v.insert(v.end(), fb->u, fb->u + plane);
    v.insert(v.end(), fb->v, fb->v + plane);
    return v;
}

std::vector<uint8_t> Luma(const FrameBuffer *fb, int w, int h)
{
    std::vector<uint8_t> y;
    for (int r = 0; r < h; r++)
        y.insert(y.end(), fb->y + (size_t)r * fb->width, fb->y + (size_t)r * fb->width + w);
    return y;
}

int g_scanCalls = 0;
int CountingHook(void *, int)
{
    g_scanCalls++;
    return 1;
}

struct StreamCase {
    const char *file;      // what is opened
    const char *reference; // ffmpeg's notes and decode of the same pictures
    int join;              // "file" setting
    int w, h;
};

const StreamCase kStreams[] = {
    {"open.m2v", "open.m2v", 0, 128, 96},     {"closed.m2v", "closed.m2v", 0, 128, 96},
    {"m1.m1v", "m1.m1v", 0, 128, 96},         {"il.m2v", "il.m2v", 0, 128, 96},
    {"enc.m2v", "enc.m2v", 0, 128, 96},       {"pulldown.m2v", "pulldown.m2v", 0, 128, 96},
    {"ps.mpg", "ps.mpg", 0, 128, 96},         {"ts.ts", "ts.ts", 0, 128, 96},
    {"ts192.m2t", "ts192.m2t", 0, 128, 96},   {"mplex.mpg", "mplex.mpg", 0, 128, 96},
    {"run1.mpg", "ps.mpg", 1, 128, 96},
};

// Our frame k shows ffmpeg's picture map[k]: a picture that repeats its
// first field in the stream's field order is two frames. A stream without
// a sequence end code reports two frames fewer, but never fewer than reach
// its last I picture (a last GOP does not count below nothing).
std::vector<int> FrameToPicture(const StreamCase &c)
{
    std::vector<unsigned char> fields = ReadWholeFile(VideoMedia(std::string(c.reference) + ".fields"));
    std::istringstream in(std::string(fields.begin(), fields.end()));
    std::string line;
    std::vector<int> map;
    int streamTff = -1, picture = 0;
    size_t lastI = 0;
    while (std::getline(in, line)) {
        char type = 0;
        int tff = 0, repeat = 0;
        if (sscanf(line.c_str(), "%c,%d,%d", &type, &tff, &repeat) != 3)
            continue;
        if (streamTff < 0)
            streamTff = tff;
        if (type == 'I')
            lastI = map.size();
        map.push_back(picture);
        if (repeat && tff == streamTff)
            map.push_back(picture);
        picture++;
    }
    std::vector<unsigned char> es = ReadWholeFile(VideoMedia(std::string(c.reference) + ".es"));
    size_t n = es.size();
    bool endCode = n >= 4 && es[n - 4] == 0 && es[n - 3] == 0 && es[n - 2] == 1 && es[n - 1] == 0xB7;
    if (!endCode)
        map.resize(std::max(map.size() > 2 ? map.size() - 2 : 0, lastI));
    return map;
}

void RemoveGlFile(const std::string &movie)
{
    char gl[260];
    ASSERT_TRUE(GopListFileName(movie.c_str(), gl));
    remove(gl);
}

bool GlFileExists(const std::string &movie)
{
    char gl[260];
    GopListFileName(movie.c_str(), gl);
    FILE *f = fopen(gl, "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

struct IndexMode {
    const char *name;
    DWORD gl;
};
const IndexMode kModes[] = {
    {"time codes where regular", 0},
    {"GOP list with its .gl file", kGlNoTimecodeIndex},
    {"GOP list scanned, no file", kGlNoTimecodeIndex | kGlNoFile},
};

class VideoStreamFrames : public DecoderSettingsFixture, public ::testing::WithParamInterface<StreamCase> {
protected:
    void TearDown() override
    {
        SetGopScanProgressHook(nullptr, nullptr);
        DecoderSettingsFixture::TearDown();
    }
};

TEST_P(VideoStreamFrames, CountSequentialAndRandomAccess)
{
    const StreamCase &c = GetParam();
    const std::string path = VideoMedia(c.file);
    std::vector<Planes> ff = ReadRawYuv(VideoMedia(std::string(c.reference) + ".yuv"), c.w, c.h, 1);
    std::vector<int> map = FrameToPicture(c);
    ASSERT_FALSE(ff.empty()) << c.reference;
    std::vector<unsigned char> count = ReadWholeFile(VideoMedia(std::string(c.reference) + ".count"));
    long long probe = atoll(std::string(count.begin(), count.end()).c_str());
    ASSERT_EQ((long long)ff.size(), probe);
    SetGopScanProgressHook(CountingHook, nullptr);
    StoreDecoderDword("file", c.join);
    std::vector<std::vector<uint8_t>> sequential;
    for (const IndexMode &m : kModes) {
        SCOPED_TRACE(std::string(c.file) + ", " + m.name);
        StoreDecoderDword("gl", m.gl);
        // The last mode finds the file of the one before it: it must scan
        // all the same.
        if (!(m.gl & kGlNoFile))
            RemoveGlFile(path);
        g_scanCalls = 0;
        StreamPtr s = Open(path);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->frameCount, (long long)map.size()) << "ffprobe counts " << probe << " pictures";
        EXPECT_EQ(s->outWidth, c.w);
        EXPECT_EQ(s->outHeight, c.h);
        if (m.gl & kGlNoTimecodeIndex) {
            EXPECT_TRUE(s->usesGopList);
            EXPECT_GT(g_scanCalls, 0);
            EXPECT_TRUE(GlFileExists(path));
        }
        // Sequential: decoded once, one seek (the first request).
        if (sequential.empty()) {
            double worst = 99;
            for (long long n = 0; n < s->frameCount; n++) {
                const FrameCacheEntry *e = GetVideoFrame(s.get(), n);
                ASSERT_TRUE(e) << "frame " << n;
                EXPECT_EQ(e->rec.frame, n);
                sequential.push_back(WholeFrame(e->fb));
                worst = std::min(worst, Psnr(Luma(e->fb, c.w, c.h), ff[map[n]].y));
            }
            EXPECT_EQ(s->seeks, 1);
            EXPECT_GE(worst, 55) << "luma PSNR against ffmpeg";
            printf("  %-14s %3lld frames, %s index, least luma PSNR against ffmpeg %.2f dB\n", c.file, s->frameCount,
                   s->usesGopList ? "GOP-list" : "time-code", worst);
        }
        // A second open with the file in place reads it instead of scanning.
        if (m.gl == kGlNoTimecodeIndex) {
            s.reset();
            g_scanCalls = 0;
            s = Open(path);
            ASSERT_TRUE(s);
            EXPECT_EQ(g_scanCalls, 0) << "the .gl file was not used";
            EXPECT_EQ(s->frameCount, (long long)map.size());
        }
        // Random access: every answer equals the sequential decode.
        std::mt19937 rng(1234 + (unsigned)m.gl);
        std::vector<long long> asks = {s->frameCount - 1, 0, s->frameCount / 2, s->frameCount / 2 - 1};
        for (int i = 0; i < 16; i++)
            asks.push_back(std::uniform_int_distribution<long long>(0, s->frameCount - 1)(rng));
        for (long long n : asks) {
            const FrameCacheEntry *e = GetVideoFrame(s.get(), n);
            ASSERT_TRUE(e) << "frame " << n;
            EXPECT_TRUE(WholeFrame(e->fb) == sequential[n]) << "frame " << n;
        }
        EXPECT_FALSE(GetVideoFrame(s.get(), s->frameCount));
        EXPECT_FALSE(GetVideoFrame(s.get(), -1));
        // Still right after the refusals.
        const FrameCacheEntry *e = GetVideoFrame(s.get(), 3);
        ASSERT_TRUE(e);
        EXPECT_TRUE(WholeFrame(e->fb) == sequential[3]);
    }
    RemoveGlFile(path);
}

INSTANTIATE_TEST_SUITE_P(Streams, VideoStreamFrames, ::testing::ValuesIn(kStreams),
                         [](const ::testing::TestParamInfo<StreamCase> &i) {
                             std::string n = i.param.file;
                             std::replace(n.begin(), n.end(), '.', '_');
                             return n;
                         });

} // namespace
