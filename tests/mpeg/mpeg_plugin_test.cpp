// The built-in plug-in through its records: registration, the exact size
// checks of every record, the file and stream information, reads, and the
// frame-type extension.
#include "mpeg/mpeg_plugin.h"
#include "tests/mpeg/settings_fixture.h"
#include "tests/mpeg/video_test_util.h"

#include <string.h>

#include <vector>

namespace {

using MpegPlugin = DecoderSettingsFixture;

TEST_F(MpegPlugin, RegistrationFillsTheRecord)
{
    VfPlugin p;
    memset(&p, 0xCD, sizeof p);
    ASSERT_EQ(RegisterBuiltinMpegPlugin(&p), 1);
    EXPECT_EQ(p.module, (HMODULE)0);
    EXPECT_EQ(p.info.size, 528u);
    EXPECT_EQ(p.info.interfaceVersion, 1u);
    EXPECT_EQ(p.info.pluginVersion, 1u);
    EXPECT_EQ(p.info.streamKinds, 3u);
    static const char name[] = "MPEG-2 VIDEO Plug-In";
    EXPECT_EQ(memcmp(p.info.name, name, sizeof name), 0);
    for (size_t i = sizeof name; i < sizeof p.info.name; i++)
        ASSERT_EQ(p.info.name[i], 0) << i;
    // The filter reads as a description, the patterns, then nothing.
    const char *f = p.info.fileTypes;
    EXPECT_STREQ(f, "MPEG-1/2 File ");
    f += strlen(f) + 1;
    EXPECT_STREQ(f, "*.mpeg;*.mpg;*.m2p;*.mp2;*.vob;*.vro;*.m2v;*.m1v;*.mpv;*.ves;*.m2t;*.ssg;*.ts;*.bs");
    f += strlen(f) + 1;
    EXPECT_STREQ(f, "");
    for (const char *q = f; q < p.info.fileTypes + sizeof p.info.fileTypes; q++)
        ASSERT_EQ(*q, 0);
    EXPECT_EQ(p.funcs.size, sizeof(void *) == 4 ? 24u : sizeof(VfPluginFunctions));
    EXPECT_EQ(p.funcs.openFile, &MpegOpenFile);
    EXPECT_EQ(p.funcs.closeFile, &MpegCloseFile);
    EXPECT_EQ(p.funcs.getFileInfo, &MpegGetFileInfo);
    EXPECT_EQ(p.funcs.getStreamInfo, &MpegGetStreamInfo);
    EXPECT_EQ(p.funcs.readData, &MpegReadData);
    EXPECT_EQ(p.ext.size, sizeof(void *) == 4 ? 12u : sizeof(VfPluginExtFunctions));
    EXPECT_EQ(p.ext.getFrameType, &MpegGetFrameType);
    EXPECT_EQ(p.ext.cutToFile, &MpegCutToFile);
    ClearPluginRecord(&p);
    const char *raw = (const char *)&p;
    for (size_t i = 0; i < sizeof p; i++)
        ASSERT_EQ(raw[i], 0);
}

TEST(SplitFilterList, BarsBecomeNulsBetweenDoubleByteCharacters)
{
    // "動画|*.mpg" in code page 932 (0x93 0xAE 0x89 0xE6), then a character
    // whose second byte is the code of '|' (0x83 0x7C): it stays whole.
#ifdef _WIN32
    if (GetACP() != 932)
        GTEST_SKIP() << "the walk follows the ANSI code page, which is not 932 here";
#endif
    char text[] = "\x93\xae\x89\xe6|*.mpg|\x83\x7c|x";
    SplitFilterList(text);
    EXPECT_EQ(memcmp(text, "\x93\xae\x89\xe6\0*.mpg\0\x83\x7c\0x", 16), 0);
}

// A block of bytes that must come back as it went when a call refuses it.
template <class T>
struct Guarded {
    T rec;
    Guarded(DWORD size)
    {
        memset(&rec, 0x5A, sizeof rec);
        rec.size = size;
    }
    bool Untouched(DWORD size) const
    {
        T expect;
        memset(&expect, 0x5A, sizeof expect);
        expect.size = size;
        return memcmp(&rec, &expect, sizeof rec) == 0;
    }
};

const DWORD kOff[] = {0, 1, 3, 4, 8, 0x80000000u, 0xFFFFFFFFu};

TEST_F(MpegPlugin, QueriesRefuseNullAndInexactSizes)
{
    EXPECT_EQ(MpegGetPluginInfo(nullptr), E_FAIL);
    EXPECT_EQ(MpegGetPluginFunc(nullptr), E_FAIL);
    EXPECT_EQ(MpegGetPluginExtFunc(nullptr), E_FAIL);
    for (DWORD d : kOff) {
        for (DWORD size : {kVfPluginInfoSize + d, kVfPluginInfoSize - d}) {
            if (size == kVfPluginInfoSize)
                continue;
            Guarded<VfPluginInfo> g(size);
            EXPECT_EQ(MpegGetPluginInfo(&g.rec), E_FAIL) << size;
            EXPECT_TRUE(g.Untouched(size)) << size;
        }
        for (DWORD size : {kVfPluginFunctionsSize + d, kVfPluginFunctionsSize - d}) {
            if (size == kVfPluginFunctionsSize)
                continue;
            Guarded<VfPluginFunctions> g(size);
            EXPECT_EQ(MpegGetPluginFunc(&g.rec), E_FAIL) << size;
            EXPECT_TRUE(g.Untouched(size)) << size;
        }
        for (DWORD size : {kVfPluginExtFunctionsSize + d, kVfPluginExtFunctionsSize - d}) {
            if (size == kVfPluginExtFunctionsSize)
                continue;
            Guarded<VfPluginExtFunctions> g(size);
            EXPECT_EQ(MpegGetPluginExtFunc(&g.rec), E_FAIL) << size;
            EXPECT_TRUE(g.Untouched(size)) << size;
        }
    }
}

struct FileCloser {
    void operator()(void *h) const { MpegCloseFile(h); }
};
using FilePtr = std::unique_ptr<void, FileCloser>;

FilePtr OpenFile(const std::string &path)
{
    VfFileHandle h = (VfFileHandle)1;
    HRESULT r = MpegOpenFile(path.c_str(), &h);
    EXPECT_TRUE(r == 0 ? h != nullptr : h == nullptr) << path;
    return FilePtr(r == 0 ? h : nullptr);
}

TEST_F(MpegPlugin, OperationsRefuseNullAndInexactSizes)
{
    StoreDecoderDword("gl", kGlNoFile);
    FilePtr f = OpenFile(VideoMedia("ps.mpg"));
    ASSERT_TRUE(f);
    VfFileHandle h = f.get();
    for (DWORD d : kOff) {
        if (d == 0)
            continue;
        for (DWORD size : {kVfFileInfoSize + d, kVfFileInfoSize - d}) {
            Guarded<VfFileInfo> g(size);
            EXPECT_EQ(MpegGetFileInfo(h, &g.rec), E_FAIL);
            EXPECT_TRUE(g.Untouched(size));
        }
        for (DWORD size : {kVfVideoStreamInfoSize + d, kVfVideoStreamInfoSize - d}) {
            Guarded<VfVideoStreamInfo> g(size);
            EXPECT_EQ(MpegGetStreamInfo(h, kVfVideo, &g.rec), E_FAIL);
            EXPECT_TRUE(g.Untouched(size));
        }
        for (DWORD size : {kVfAudioStreamInfoSize + d, kVfAudioStreamInfoSize - d}) {
            Guarded<VfAudioStreamInfo> g(size);
            EXPECT_EQ(MpegGetStreamInfo(h, kVfAudio, &g.rec), E_FAIL);
            EXPECT_TRUE(g.Untouched(size));
        }
        for (DWORD size : {kVfVideoReadRequestSize + d, kVfVideoReadRequestSize - d}) {
            std::vector<BYTE> pic(128 * 96 * 3, 0x77);
            Guarded<VfVideoReadRequest> g(size);
            g.rec.frameLo = g.rec.frameHi = 0;
            g.rec.buffer = pic.data();
            g.rec.pitch = 384;
            EXPECT_EQ(MpegReadData(h, kVfVideo, &g.rec), E_FAIL);
            EXPECT_EQ(pic, std::vector<BYTE>(pic.size(), 0x77));
        }
        for (DWORD size : {kVfAudioReadRequestSize + d, kVfAudioReadRequestSize - d}) {
            std::vector<BYTE> pcm(4000, 0x77);
            Guarded<VfAudioReadRequest> g(size);
            g.rec.positionLo = g.rec.positionHi = 0;
            g.rec.wanted = 1000;
            g.rec.read = 0x5A5A5A5A;
            g.rec.buffer = pcm.data();
            EXPECT_EQ(MpegReadData(h, kVfAudio, &g.rec), E_FAIL);
            EXPECT_EQ(g.rec.read, 0x5A5A5A5Au);
            EXPECT_EQ(pcm, std::vector<BYTE>(pcm.size(), 0x77));
        }
        for (DWORD size : {kVfFrameTypeRequestSize + d, kVfFrameTypeRequestSize - d}) {
            Guarded<VfFrameTypeRequest> g(size);
            g.rec.frameLo = g.rec.frameHi = 0;
            EXPECT_EQ(MpegGetFrameType(h, &g.rec), E_FAIL);
            EXPECT_EQ(g.rec.frameType, 0x5A5A5A5Au);
        }
        for (DWORD size : {kVfCutRequestSize + d, kVfCutRequestSize - d}) {
            Guarded<VfCutRequest> g(size);
            std::string out = ScratchPath("refused-cut.mpg");
            remove(out.c_str());
            g.rec.outputPath = out.c_str();
            g.rec.firstLo = g.rec.firstHi = g.rec.endHi = 0;
            g.rec.endLo = 10;
            g.rec.progress = nullptr;
            EXPECT_EQ(MpegCutToFile(h, &g.rec), E_FAIL);
            EXPECT_FALSE(fopen(out.c_str(), "rb"));
        }
    }
    // Null records and handles, and streams other than 1 and 2.
    VfFileInfo fi = {kVfFileInfoSize, 0};
    VfVideoStreamInfo vi = {};
    vi.size = kVfVideoStreamInfoSize;
    EXPECT_EQ(MpegGetFileInfo(h, nullptr), E_FAIL);
    EXPECT_EQ(MpegGetFileInfo(nullptr, &fi), E_FAIL);
    EXPECT_EQ(MpegGetStreamInfo(h, kVfVideo, nullptr), E_FAIL);
    EXPECT_EQ(MpegGetStreamInfo(h, 0, &vi), E_FAIL);
    EXPECT_EQ(MpegGetStreamInfo(h, 3, &vi), E_FAIL);
    EXPECT_EQ(MpegReadData(h, kVfVideo, nullptr), E_FAIL);
    EXPECT_EQ(MpegReadData(h, 3, &vi), E_FAIL);
    EXPECT_EQ(MpegGetFrameType(h, nullptr), E_FAIL);
    EXPECT_EQ(MpegCutToFile(h, nullptr), E_FAIL);
    EXPECT_EQ(MpegOpenFile(VideoMedia("ps.mpg").c_str(), nullptr), E_FAIL);
}

TEST_F(MpegPlugin, FilesStreamsAndReads)
{
    StoreDecoderDword("gl", kGlNoFile);
    struct Case {
        const char *file;
        DWORD flags; // 0: the open fails
    };
    const Case cases[] = {
        {"ps.mpg", 3}, {"open.m2v", 1}, {"audio.mpg", 2}, {"mplex.mpg", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        FilePtr f = OpenFile(VideoMedia(c.file));
        ASSERT_TRUE(f);
        VfFileInfo fi = {kVfFileInfoSize, 0xFFFF};
        ASSERT_EQ(MpegGetFileInfo(f.get(), &fi), 0);
        EXPECT_EQ(fi.streamFlags, c.flags);
        VfVideoStreamInfo vi = {};
        vi.size = kVfVideoStreamInfoSize;
        VfAudioStreamInfo ai = {};
        ai.size = kVfAudioStreamInfoSize;
        HRESULT vr = MpegGetStreamInfo(f.get(), kVfVideo, &vi), ar = MpegGetStreamInfo(f.get(), kVfAudio, &ai);
        EXPECT_EQ(vr, c.flags & 1 ? 0 : E_FAIL);
        EXPECT_EQ(ar, c.flags & 2 ? 0 : E_FAIL);
        std::vector<BYTE> pic(128 * 96 * 3);
        VfVideoReadRequest rq = {kVfVideoReadRequestSize, 0, 0, pic.data() + 128 * 3 * 95, -128 * 3};
        if (c.flags & 1) {
            StreamPtr s = Open(VideoMedia(c.file));
            EXPECT_EQ(VfJoin(vi.framesLo, vi.framesHi), s->frameCount);
            EXPECT_EQ(vi.rate, 25u);
            EXPECT_EQ(vi.scale, 1u);
            EXPECT_EQ(vi.width, 128u);
            EXPECT_EQ(vi.height, 96u);
            EXPECT_EQ(vi.bitCount, 24u);
            // Frame n as the stream gives it; a 64-bit frame number.
            std::vector<BYTE> direct(pic.size());
            rq.frameLo = 9;
            EXPECT_EQ(MpegReadData(f.get(), kVfVideo, &rq), 0);
            ASSERT_TRUE(ReadVideoFrameRgb24(s.get(), 9, direct.data() + 128 * 3 * 95, -128 * 3));
            EXPECT_EQ(pic, direct);
            rq.frameHi = 1;
            EXPECT_EQ(MpegReadData(f.get(), kVfVideo, &rq), E_FAIL);
            rq.frameLo = vi.framesLo;
            rq.frameHi = 0;
            EXPECT_EQ(MpegReadData(f.get(), kVfVideo, &rq), E_FAIL);
        } else {
            EXPECT_EQ(MpegReadData(f.get(), kVfVideo, &rq), E_FAIL);
        }
        std::vector<BYTE> pcm(4 * 1152, 0x33);
        VfAudioReadRequest aq = {kVfAudioReadRequestSize, 0, 0, 1152, 0, 0, pcm.data()};
        if (c.flags & 2) {
            EXPECT_EQ(ai.rate, 48000u);
            EXPECT_EQ(ai.scale, 1u);
            EXPECT_EQ(ai.channels, 2u);
            EXPECT_EQ(ai.bitsPerSample, 16u);
            EXPECT_EQ(ai.blockAlign, 4u);
            long long samples = VfJoin(ai.samplesLo, ai.samplesHi);
            EXPECT_GT(samples, 48000);
            EXPECT_EQ(MpegReadData(f.get(), kVfAudio, &aq), 0);
            EXPECT_EQ(aq.read, 1152u);
            VfSplit(samples + 10, &aq.positionLo, &aq.positionHi);
            EXPECT_EQ(MpegReadData(f.get(), kVfAudio, &aq), E_FAIL);
            aq.wanted = 0;
            EXPECT_EQ(MpegReadData(f.get(), kVfAudio, &aq), E_FAIL);
        } else {
            EXPECT_EQ(MpegReadData(f.get(), kVfAudio, &aq), E_FAIL);
        }
    }
    // The mono flag follows the file's sound (0 without sound).
    for (const auto &c : {std::make_pair("ps.mpg", 2), std::make_pair("mono.mpg", 1), std::make_pair("mplex.mpg", 2),
                          std::make_pair("open.m2v", 0)}) {
        g_bMonoMpegAudio = -1;
        FilePtr f = OpenFile(VideoMedia(c.first));
        ASSERT_TRUE(f);
        EXPECT_EQ(g_bMonoMpegAudio, c.second) << c.first;
    }
    // Neither video nor sound: the open fails and hands back no handle.
    EXPECT_FALSE(OpenFile(WriteScratch("nothing.mpg", std::vector<uint8_t>(4096, 0x11))));
    EXPECT_FALSE(OpenFile(ScratchPath("no such file.mpg")));
}

// Frame types: 3 I, 2 P, 1 a closed GOP's leading B, 0 other B; a frame
// that cannot be had is a failure with type 0.
TEST_F(MpegPlugin, FrameTypes)
{
    FilePtr f = OpenFile(WriteScratch("types.m2v", ClosedLeadingStream()));
    ASSERT_TRUE(f);
    const DWORD types[12] = {1, 1, 3, 0, 0, 2, 1, 1, 3, 0, 0, 2};
    for (long long n : {5, 0, 11, 2, 3, 4, 1, 6, 7, 8, 9, 10}) {
        VfFrameTypeRequest r = {kVfFrameTypeRequestSize, 0, 0, 0x5A};
        VfSplit(n, &r.frameLo, &r.frameHi);
        EXPECT_EQ(MpegGetFrameType(f.get(), &r), 0) << n;
        EXPECT_EQ(r.frameType, types[n]) << n;
    }
    for (long long n : {12LL, -1LL, 1LL << 32}) {
        VfFrameTypeRequest r = {kVfFrameTypeRequestSize, 0, 0, 0x5A};
        VfSplit(n, &r.frameLo, &r.frameHi);
        EXPECT_EQ(MpegGetFrameType(f.get(), &r), E_FAIL) << n;
        EXPECT_EQ(r.frameType, 0u) << n;
    }
    FilePtr sound = OpenFile(VideoMedia("audio.mpg"));
    ASSERT_TRUE(sound);
    VfFrameTypeRequest r = {kVfFrameTypeRequestSize, 0, 0, 0x5A};
    EXPECT_EQ(MpegGetFrameType(sound.get(), &r), E_FAIL);
}

} // namespace
