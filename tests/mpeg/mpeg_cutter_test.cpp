// The cut extension of the built-in plug-in: elementary and program
// streams cut into files whose frames are the input's frames from the
// starting I picture on (decoded by our decoder, and natively by ffmpeg
// too), the sound at the program stream's ends trimmed to whole frames,
// and the refusals (transport streams, an end frame of 0, the output being
// an input file) and the progress callback.
#include "mpeg/layer2_decoder.h"
#include "mpeg/mpeg_cutter.h"
#include "mpeg/mpeg_cutter_ps.h"
#include "mpeg/mpeg_plugin.h"
#include "tests/mpeg/picture_media.h"
#include "tests/mpeg/settings_fixture.h"
#include "tests/mpeg/video_test_util.h"

#include <stdio.h>
#include <string.h>

#include <map>
#include <vector>

namespace {

struct FileCloser {
    void operator()(void *h) const { MpegCloseFile(h); }
};
using FilePtr = std::unique_ptr<void, FileCloser>;

FilePtr OpenFile(const std::string &path)
{
    VfFileHandle h = nullptr;
    return FilePtr(MpegOpenFile(path.c_str(), &h) == 0 ? h : nullptr);
}

HRESULT Cut(VfFileHandle file, const std::string &out, long long first, long long end,
            VfCutProgress progress = nullptr)
{
    VfCutRequest r = {kVfCutRequestSize, out.c_str(), 0, 0, 0, 0, progress};
    VfSplit(first, &r.firstLo, &r.firstHi);
    VfSplit(end, &r.endLo, &r.endHi);
    return MpegCutToFile(file, &r);
}

// Picture types in display order, from ffprobe.
std::string DisplayTypes(const std::string &name)
{
    std::vector<unsigned char> v = ReadWholeFile(VideoMedia(name + ".fields"));
    std::string types;
    for (size_t i = 0; i < v.size(); i++)
        if ((i == 0 || v[i - 1] == '\n') && v[i] >= 'A' && v[i] <= 'Z')
            types += (char)v[i];
    return types;
}

// The frames a cut [first, end) holds: from the first I picture at or after
// the first frame (the first I for 0) to the reference picture before the
// first reference at or after the end frame (the B pictures shown before
// that one are coded after it).
void ExpectedRange(const std::string &types, long long first, long long end, long long *from, long long *to)
{
    long long n = (long long)types.size();
    *from = -1;
    for (long long i = 0; i < n && *from < 0; i++)
        if (types[i] == 'I' && (first == 0 || i >= first))
            *from = i;
    *to = n - 1;
    long long lastRef = -1;
    for (long long i = *from; i < n; i++) {
        if (types[i] == 'B')
            continue;
        if (i >= end) {
            *to = lastRef;
            break;
        }
        lastRef = i;
    }
}

std::vector<std::vector<uint8_t>> DecodeAll(MpegVideoStream *s)
{
    std::vector<std::vector<uint8_t>> frames;
    for (long long n = 0; n < s->frameCount; n++) {
        const FrameCacheEntry *e = GetVideoFrame(s, n);
        if (!e)
            break;
        size_t plane = (size_t)e->fb->width * e->fb->height;
        frames.emplace_back(e->fb->y, e->fb->y + 3 * plane);
    }
    return frames;
}

bool EndsWithSequenceEnd(const std::vector<unsigned char> &es)
{
    size_t n = es.size();
    return n >= 4 && es[n - 4] == 0 && es[n - 3] == 0 && es[n - 2] == 1 && es[n - 1] == 0xB7;
}

#ifndef _WIN32
// ffmpeg's view of a file: its decoded frames (raw 4:2:0) and, with
// -count_frames, its count.
std::vector<Planes> FfmpegFrames(const std::string &path, int w, int h)
{
    std::string yuv = path + ".ff.yuv";
    std::string cmd = "ffmpeg -nostdin -v error -y -i '" + path + "' -map 0:v:0 -fps_mode passthrough -f rawvideo "
                      "-pix_fmt yuv420p '" + yuv + "'";
    EXPECT_EQ(system(cmd.c_str()), 0) << cmd;
    return ReadRawYuv(yuv, w, h, 1);
}

std::string FfmpegErrors(const std::string &path)
{
    std::string cmd = "ffmpeg -nostdin -v error -i '" + path + "' -f null - 2>&1";
    std::string out;
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}
#endif

using MpegCut = DecoderSettingsFixture;

struct CutCase {
    const char *file;
    long long first, end;
};

TEST_F(MpegCut, OutputHoldsTheInputFrames)
{
    StoreDecoderDword("gl", kGlNoFile);
    const CutCase cases[] = {
        {"open.m2v", 10, 30}, {"open.m2v", 0, 12},   {"closed.m2v", 11, 40}, {"m1.m1v", 25, 1000},
        {"enc.m2v", 7, 20},   {"ps.mpg", 10, 30},    {"ps.mpg", 20, 1000},   {"mplex.mpg", 4, 33},
    };
    for (const CutCase &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " [" + std::to_string(c.first) + ", " + std::to_string(c.end) + ")");
        std::string input = VideoMedia(c.file);
        std::string out = ScratchPath(std::string("cut-") + std::to_string(c.first) + "-" + c.file);
        remove(out.c_str());
        FilePtr f = OpenFile(input);
        ASSERT_TRUE(f);
        ASSERT_EQ(Cut(f.get(), out, c.first, c.end), 0);
        long long from, to;
        ExpectedRange(DisplayTypes(c.file), c.first, c.end, &from, &to);
        ASSERT_GE(from, 0);
        long long count = to - from + 1;
        // Our decoder: the output's frames are the input's, bit for bit.
        StreamPtr in = Open(input), cut = Open(out);
        ASSERT_TRUE(in && cut);
        std::vector<std::vector<uint8_t>> a = DecodeAll(in.get()), b = DecodeAll(cut.get());
        // The output ends with a sequence end code (an elementary stream's
        // always; a program stream's unless its input ran out first without
        // one, when the decoder reports two frames fewer).
        bool ranOut = c.end > (long long)DisplayTypes(c.file).size();
        bool elementary = std::string(c.file).find(".mpg") == std::string::npos;
        bool endCode = !ranOut || elementary ||
                       EndsWithSequenceEnd(ReadWholeFile(VideoMedia(std::string(c.file) + ".es")));
        EXPECT_EQ((long long)b.size(), endCode ? count : count - 2);
        for (size_t k = 0; k < b.size() && from + (long long)k < (long long)a.size(); k++)
            EXPECT_TRUE(b[k] == a[from + k]) << "output frame " << k << " is not input frame " << from + k;
#ifndef _WIN32
        // ffmpeg decodes the output to the same pictures it decodes from the input.
        std::vector<Planes> ffIn = FfmpegFrames(input, 128, 96), ffOut = FfmpegFrames(out, 128, 96);
        ASSERT_EQ((long long)ffOut.size(), count);
        double worst = 99;
        for (long long k = 0; k < count; k++)
            worst = std::min(worst, Psnr(ffOut[k].y, ffIn[from + k].y));
        EXPECT_GE(worst, 55);
        EXPECT_EQ(FfmpegErrors(out), "");
#endif
    }
}

// When the packs since the sequence header are more than the cutter holds,
// the header is written in a pack of its own: the output still decodes to
// the input's frames.
TEST_F(MpegCut, SequenceHeaderNoLongerHeld)
{
    StoreDecoderDword("gl", kGlNoFile);
    SetProgramCutHoldLimit(1);
    std::string out = ScratchPath("held.mpg");
    FilePtr f = OpenFile(VideoMedia("ps.mpg"));
    ASSERT_TRUE(f);
    HRESULT r = Cut(f.get(), out, 10, 30);
    SetProgramCutHoldLimit(0);
    ASSERT_EQ(r, 0);
    long long from, to;
    ExpectedRange(DisplayTypes("ps.mpg"), 10, 30, &from, &to);
    StreamPtr in = Open(VideoMedia("ps.mpg")), cut = Open(out);
    ASSERT_TRUE(in && cut);
    std::vector<std::vector<uint8_t>> a = DecodeAll(in.get()), b = DecodeAll(cut.get());
    ASSERT_EQ((long long)b.size(), to - from + 1);
    for (size_t k = 0; k < b.size(); k++)
        EXPECT_TRUE(b[k] == a[from + k]) << k;
#ifndef _WIN32
    EXPECT_EQ(FfmpegErrors(out), "");
#endif
}

// A program stream's packets, as the test reads them back.
struct PsPacket {
    int id;
    std::vector<uint8_t> payload;
};

std::vector<PsPacket> ReadPackets(const std::vector<unsigned char> &d)
{
    std::vector<PsPacket> out;
    size_t i = 0;
    while (i + 6 <= d.size()) {
        if (!(d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1)) {
            i++;
            continue;
        }
        int id = d[i + 3];
        if (id == 0xBA) {
            i += (d[i + 4] & 0xC0) == 0x40 ? 14 + (d[i + 13] & 7) : 12;
            continue;
        }
        if (id < 0xBB) {
            i += 4;
            continue;
        }
        size_t len = (size_t)d[i + 4] << 8 | d[i + 5];
        if (i + 6 + len > d.size())
            break;
        PsPacket p;
        p.id = id;
        size_t h = 6;
        if (id >= 0xC0 && id <= 0xEF)
            h = 9 + d[i + 8];
        p.payload.assign(d.begin() + i + h, d.begin() + i + 6 + len);
        out.push_back(p);
        i += 6 + len;
    }
    return out;
}

bool FrameHeaderAt(const std::vector<uint8_t> &b, size_t i, int *length)
{
    if (i + 4 > b.size())
        return false;
    Layer2Header h;
    if (!ParseLayer2Header((DWORD)b[i] << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3], &h))
        return false;
    *length = h.frameLength;
    return true;
}

// The sound of a cut program stream begins with a frame header and ends
// after a whole frame; its size stays that of the packs it came in.
TEST_F(MpegCut, ProgramStreamSoundTrimmedToWholeFrames)
{
    StoreDecoderDword("gl", kGlNoFile);
    for (const char *file : {"ps.mpg", "mplex.mpg"}) {
        SCOPED_TRACE(file);
        std::string out = ScratchPath(std::string("sound-") + file);
        FilePtr f = OpenFile(VideoMedia(file));
        ASSERT_TRUE(f);
        ASSERT_EQ(Cut(f.get(), out, 5, 35), 0);
        std::vector<unsigned char> bytes = ReadWholeFile(out);
        ASSERT_GT(bytes.size(), 4u);
        EXPECT_EQ(bytes[bytes.size() - 1], 0xB9) << "program end code";
        std::vector<uint8_t> sound;
        std::vector<PsPacket> packets = ReadPackets(bytes);
        const PsPacket *firstAudio = nullptr;
        for (const PsPacket &p : packets)
            if (p.id >= 0xC0 && p.id <= 0xDF) {
                if (!firstAudio)
                    firstAudio = &p;
                sound.insert(sound.end(), p.payload.begin(), p.payload.end());
            }
        ASSERT_TRUE(firstAudio);
        int length = 0;
        ASSERT_TRUE(FrameHeaderAt(sound, 0, &length)) << "the sound does not begin with a frame";
        size_t at = 0;
        while (FrameHeaderAt(sound, at, &length))
            at += length;
        EXPECT_EQ(at, sound.size()) << "the sound does not end after a whole frame";
        // Its frames open as the file's sound.
        FilePtr back = OpenFile(out);
        ASSERT_TRUE(back);
        VfFileInfo fi = {kVfFileInfoSize, 0};
        ASSERT_EQ(MpegGetFileInfo(back.get(), &fi), 0);
        EXPECT_EQ(fi.streamFlags, 3u);
#ifndef _WIN32
        EXPECT_EQ(FfmpegErrors(out), "");
#endif
    }
}

std::vector<std::pair<std::string, LONG>> g_calls;
LONG g_abandonAt = -1;
LONG WINAPI Progress(const char *path, LONG percent)
{
    g_calls.emplace_back(path, percent);
    return g_abandonAt >= 0 && (LONG)g_calls.size() > g_abandonAt ? 1 : 0;
}

TEST_F(MpegCut, ProgressAndAbandon)
{
    StoreDecoderDword("gl", kGlNoFile);
    FilePtr f = OpenFile(VideoMedia("closed.m2v"));
    ASSERT_TRUE(f);
    std::string out = ScratchPath("progress.m2v");
    g_calls.clear();
    g_abandonAt = -1;
    ASSERT_EQ(Cut(f.get(), out, 5, 40, Progress), 0);
    ASSERT_GE(g_calls.size(), 10u);
    for (size_t i = 0; i < g_calls.size(); i++) {
        EXPECT_EQ(g_calls[i].first, out);
        if (i) {
            EXPECT_GE(g_calls[i].second, g_calls[i - 1].second);
        }
    }
    EXPECT_EQ(g_calls.back().second, 100);
    // Abandoned at the fourth call: a failure, and the file keeps what was
    // written by then.
    remove(out.c_str());
    g_calls.clear();
    g_abandonAt = 3;
    EXPECT_EQ(Cut(f.get(), out, 5, 40, Progress), E_FAIL);
    EXPECT_EQ(g_calls.size(), 4u);
    std::vector<unsigned char> partial = ReadWholeFile(out);
    EXPECT_GT(partial.size(), 100u);
    EXPECT_FALSE(EndsWithSequenceEnd(partial));
    g_abandonAt = -1;
}

TEST_F(MpegCut, Refusals)
{
    StoreDecoderDword("gl", kGlNoFile);
    std::string ps = WriteScratch("refuse.mpg", ReadWholeFile(VideoMedia("ps.mpg")));
    std::vector<unsigned char> before = ReadWholeFile(ps);
    FilePtr f = OpenFile(ps);
    ASSERT_TRUE(f);
    std::string out = ScratchPath("refused.mpg");
    remove(out.c_str());
    std::string sep = HostPath("/").substr(HostPath("/").size() - 1);
    std::string folder = ps.substr(0, ps.rfind(sep[0]) + 1);
    struct Case {
        const char *what;
        std::string out;
        long long first, end;
    } cases[] = {
        {"end frame 0", out, 0, 0},
        {"end before the first frame", out, 20, 10},
        {"end at the first frame", out, 10, 10},
        {"the input itself", ps, 0, 20},
        {"the input by another name", folder + "." + sep + "refuse.mpg", 0, 20},
        {"a folder that does not exist", folder + "no-such-folder" + sep + "x.mpg", 0, 20},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Cut(f.get(), c.out, c.first, c.end), E_FAIL) << c.what;
        EXPECT_TRUE(ReadWholeFile(ps) == before) << c.what << ": the input changed";
    }
    EXPECT_FALSE(fopen(out.c_str(), "rb"));
    // Transport streams are not cut, and nothing is written for them.
    FilePtr ts = OpenFile(VideoMedia("ts.ts"));
    ASSERT_TRUE(ts);
    EXPECT_EQ(Cut(ts.get(), out, 0, 20), E_FAIL);
    EXPECT_FALSE(fopen(out.c_str(), "rb"));
    // A numbered run: none of its files may be the output.
    StoreDecoderDword("file", 1);
    std::string run1 = WriteScratch("cutrun1.mpg", ReadWholeFile(VideoMedia("run1.mpg")));
    std::string run2 = WriteScratch("cutrun2.mpg", ReadWholeFile(VideoMedia("run2.mpg")));
    WriteScratch("cutrun3.mpg", ReadWholeFile(VideoMedia("run3.mpg")));
    std::vector<unsigned char> second = ReadWholeFile(run2);
    FilePtr run = OpenFile(run1);
    ASSERT_TRUE(run);
    EXPECT_EQ(Cut(run.get(), run2, 0, 20), E_FAIL);
    EXPECT_TRUE(ReadWholeFile(run2) == second);
    EXPECT_EQ(Cut(run.get(), out, 0, 20), 0) << "the run itself cuts";
    // Fewer than eight start codes.
    MpegCutter *tiny = PrepareMpegCut(WriteScratch("tiny.m2v", {0, 0, 1, 0xB3, 0, 0, 1, 0xB8}).c_str(), 0);
    EXPECT_FALSE(tiny);
    CloseMpegCut(tiny);
}

TEST(LooksLikeTransportStream, PacketPatterns)
{
    std::vector<BYTE> ts(188 * 40, 0x11), shifted(ts), ps(4096, 0x11);
    for (size_t i = 0; i < ts.size(); i += 188)
        ts[i] = 0x47;
    EXPECT_TRUE(LooksLikeTransportStream(ts.data(), (int)ts.size()));
    // no 0x47 within the first 189 bytes, or a gap of more than 375 bytes
    for (size_t i = 200; i < shifted.size(); i += 188)
        shifted[i] = 0x47;
    EXPECT_FALSE(LooksLikeTransportStream(shifted.data(), (int)shifted.size()));
    ps[10] = 0x47;
    EXPECT_FALSE(LooksLikeTransportStream(ps.data(), (int)ps.size()));
}

} // namespace
