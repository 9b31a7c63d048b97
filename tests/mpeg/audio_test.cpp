#include "mpeg/audio_stream.h"
#include "mpeg/layer2_tables.h"
#include "tests/mpeg/mpeg_test_util.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <random>

namespace {

// Decodes a raw Layer II file frame by frame: pairs, and the channel count.
std::vector<short> DecodeRaw(const std::vector<unsigned char> &d, int *channels)
{
    std::vector<short> out;
    Layer2Synthesis s;
    ResetLayer2Synthesis(&s);
    size_t i = 0;
    while (i + 4 <= d.size()) {
        DWORD w = (DWORD)d[i] << 24 | d[i + 1] << 16 | d[i + 2] << 8 | d[i + 3];
        Layer2Header h;
        if (!ParseLayer2Header(w, &h)) {
            i++;
            continue;
        }
        *channels = h.channels;
        short buf[2 * kLayer2FrameSamples];
        int n = (int)std::min<size_t>(h.frameLength - 4, d.size() - i - 4);
        DecodeLayer2Frame(&h, d.data() + i + 4, n, &s, buf);
        out.insert(out.end(), buf, buf + 2 * kLayer2FrameSamples);
        i += h.frameLength;
    }
    return out;
}

std::vector<float> ReadF32(const std::string &name)
{
    std::vector<unsigned char> b = ReadWholeFile(MediaPath(name));
    std::vector<float> f(b.size() / 4);
    memcpy(f.data(), b.data(), f.size() * 4);
    return f;
}

std::vector<short> ReadS16(const std::string &name)
{
    std::vector<unsigned char> b = ReadWholeFile(MediaPath(name));
    std::vector<short> s(b.size() / 2);
    memcpy(s.data(), b.data(), s.size() * 2);
    return s;
}

int TruncToLsb(float f)
{
    double y = (double)f * 32768.0;
    if (y > 32767)
        return 32767;
    if (y < -32768)
        return -32768;
    return (int)y;
}

// Ours (pairs) against a reference of `channels` interleaved channels,
// starting at our pair `from`; the largest difference.
template <typename T, typename F>
int MaxDifference(const std::vector<short> &ours, size_t from, const std::vector<T> &ref, int channels, F toInt,
                  double *snr = nullptr)
{
    size_t pairs = std::min(ours.size() / 2 - from, ref.size() / channels);
    int worst = 0;
    double sig = 0, err = 0;
    for (size_t k = 0; k < pairs; k++)
        for (int c = 0; c < 2; c++) {
            int r = toInt(ref[k * channels + (channels == 2 ? c : 0)]);
            int o = ours[2 * (from + k) + c];
            worst = std::max(worst, abs(o - r));
            sig += (double)r * r;
            err += (double)(o - r) * (o - r);
        }
    if (snr)
        *snr = err > 0 ? 10 * log10(sig / err) : 200;
    return worst;
}

TEST(Layer2Decoder, AgreesWithFfmpegsDecoders)
{
    for (const char *name : {"a48", "m44", "s32", "s44lo", "s44hi", "j48"}) {
        int channels = 0;
        std::vector<short> ours = DecodeRaw(ReadWholeFile(MediaPath(std::string(name) + ".mp2")), &channels);
        std::vector<float> ref = ReadF32(std::string(name) + ".f32");
        std::vector<short> fixed = ReadS16(std::string(name) + ".s16");
        ASSERT_FALSE(ours.empty()) << name;
        ASSERT_FALSE(ref.empty()) << name;
        // ffmpeg passes over the first frame of twolame's files: align on the
        // end, and compare from the frame after (its filter starts empty there).
        long long extra = (long long)(ours.size() / 2) - (long long)(ref.size() / channels);
        ASSERT_GE(extra, 0) << name;
        ASSERT_EQ(extra % kLayer2FrameSamples, 0) << name;
        if (extra) {
            ref.erase(ref.begin(), ref.begin() + kLayer2FrameSamples * channels);
            fixed.erase(fixed.begin(), fixed.begin() + kLayer2FrameSamples * 2);
            extra += kLayer2FrameSamples;
        }
        EXPECT_LE(MaxDifference(ours, extra, ref, channels, TruncToLsb), 1) << name << " against mp2float";
        double snr;
        EXPECT_LE(MaxDifference(ours, extra, fixed, channels, [](short v) { return (int)v; }, &snr), 2)
            << name << " against mp2";
        EXPECT_GE(snr, 65.0) << name;
        if (channels == 1) {
            for (size_t k = 0; k < ours.size(); k += 2)
                ASSERT_EQ(ours[k], ours[k + 1]);
        }
    }
}

DWORD Header(int id, int layer, int bitrate, int rate, int mode, int ext = 0, int padding = 0, int protection = 1)
{
    return 0xFFF00000u | id << 19 | layer << 17 | protection << 16 | bitrate << 12 | rate << 10 | padding << 9 |
           mode << 6 | ext << 4;
}

TEST(Layer2Decoder, HeaderAcceptance)
{
    struct Case {
        const char *what;
        DWORD header;
        int ok, sblimit, bound, length, mono;
    } cases[] = {
        {"48 kHz stereo 192", Header(1, 2, 10, 1, 0), 1, 27, 27, 576, 2},
        {"44.1 kHz stereo 192 padded", Header(1, 2, 10, 0, 0, 0, 1), 1, 30, 30, 627, 2},
        {"44.1 kHz stereo 160", Header(1, 2, 9, 0, 0), 1, 27, 27, 522, 2},
        {"44.1 kHz stereo 384", Header(1, 2, 14, 0, 0), 1, 30, 30, 1253, 2},
        {"48 kHz stereo 384", Header(1, 2, 14, 1, 0), 1, 27, 27, 1152, 2},
        {"32 kHz stereo 64", Header(1, 2, 4, 2, 0), 1, 12, 12, 288, 2},
        {"44.1 kHz stereo 64", Header(1, 2, 4, 0, 0), 1, 8, 8, 208, 2},
        {"joint stereo bound 12", Header(1, 2, 10, 1, 1, 2), 1, 27, 12, 576, 2},
        {"mono 64", Header(1, 2, 4, 0, 3), 1, 27, 32 > 27 ? 27 : 32, 208, 1},
        {"mono 32", Header(1, 2, 1, 1, 3), 1, 8, 8, 96, 1},
        {"32 kHz, 384, padded", Header(1, 2, 14, 2, 0, 0, 1), 1, 30, 30, 1729, 2},
        {"mono above 192", Header(1, 2, 11, 1, 3), 0, 0, 0, 0, 1},
        {"stereo below 64", Header(1, 2, 3, 1, 0), 0, 0, 0, 0, 2},
        // refused before the mode is read
        {"free format", Header(1, 2, 0, 1, 0), 0, 0, 0, 0, 0},
        {"bit rate index 15", Header(1, 2, 15, 1, 0), 0, 0, 0, 0, 0},
        {"reserved rate", Header(1, 2, 10, 3, 0), 0, 0, 0, 0, 0},
        {"MPEG-2 lower sampling rate", Header(0, 2, 10, 1, 0), 0, 0, 0, 0, 0},
        {"Layer I", Header(1, 3, 10, 1, 0), 0, 0, 0, 0, 0},
        {"Layer III", Header(1, 1, 10, 1, 0), 0, 0, 0, 0, 0},
        {"no sync", Header(1, 2, 10, 1, 0) & 0xFFEFFFFF, 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        g_bMonoMpegAudio = 0;
        Layer2Header h;
        EXPECT_EQ(ParseLayer2Header(c.header, &h), c.ok) << c.what;
        EXPECT_EQ(g_bMonoMpegAudio, c.mono) << c.what;
        if (!c.ok) {
            EXPECT_EQ(h.frameLength, 0) << c.what;
            continue;
        }
        EXPECT_EQ(h.sblimit, c.sblimit) << c.what;
        EXPECT_EQ(h.bound, c.bound) << c.what;
        EXPECT_EQ(h.frameLength, c.length) << c.what;
    }
}

TEST(Layer2Decoder, DamagedFramesStayInBounds)
{
    Layer2Header h;
    ASSERT_TRUE(ParseLayer2Header(Header(1, 2, 14, 2, 1, 0, 1, 0), &h));  // joint stereo, CRC
    std::mt19937 rng(9);
    Layer2Synthesis s;
    ResetLayer2Synthesis(&s);
    short out[2 * kLayer2FrameSamples];
    for (int fill : {0x00, 0xFF, -1}) {
        std::vector<BYTE> body(h.frameLength - 4);
        for (auto &b : body)
            b = fill >= 0 ? (BYTE)fill : (BYTE)rng();
        // Only part of the frame: the rest reads as zero bits.
        for (int n : {(int)body.size(), 7, 0}) {
            std::vector<BYTE> cut(body.begin(), body.begin() + n);
            EXPECT_LE(DecodeLayer2Frame(&h, cut.data(), n, &s, out), n);
        }
    }
    // All ones: every scale factor is index 63 (none), every grouped code
    // beyond its levels: silence.
    std::vector<BYTE> ones(h.frameLength - 4, 0xFF);
    ResetLayer2Synthesis(&s);
    DecodeLayer2Frame(&h, ones.data(), (int)ones.size(), &s, out);
    for (short v : out)
        ASSERT_EQ(v, 0);
}

TEST(Layer2Tables, AsTheStandardDefinesThem)
{
    for (int i = 0; i < 63; i++)
        EXPECT_NEAR(kLayer2ScaleFactors[i], pow(2.0, 1 - i / 3.0), 1e-14) << i;
    // The window: D[i] = -D[512 - i], except at multiples of 64 where the
    // sign stays; D[256] is the peak.
    for (int i = 1; i < 256; i++)
        EXPECT_EQ(kLayer2SynthesisWindow[512 - i], i % 64 ? -kLayer2SynthesisWindow[i] : kLayer2SynthesisWindow[i]);
    EXPECT_EQ(kLayer2SynthesisWindow[256], 75038);
    for (const Layer2QuantClass &q : kLayer2QuantClasses) {
        EXPECT_NEAR(q.c, (double)(1 << q.sampleBits) / q.steps, 1e-10) << q.steps;
        EXPECT_NEAR(q.d, q.grouped ? 0.5 : 1.0 / (1 << (q.sampleBits - 1)), 1e-10) << q.steps;
    }
    const Layer2AllocTable *tables[4] = {&kLayer2AllocA, &kLayer2AllocB, &kLayer2AllocC, &kLayer2AllocD};
    const int limits[4] = {27, 30, 8, 12};
    for (int t = 0; t < 4; t++) {
        EXPECT_EQ(tables[t]->sblimit, limits[t]);
        for (int sb = 0; sb < tables[t]->sblimit; sb++)
            for (int k = 1; k < (1 << tables[t]->nbal[sb]); k++)
                EXPECT_NE(tables[t]->steps[sb][k], 0) << t << " " << sb << " " << k;
    }
}

TEST(AudioTime, SamplesTicksAndWrap)
{
    EXPECT_EQ(PtsToSamples(90000, 48000), 48000);
    EXPECT_EQ(PtsToSamples(902, 48000), 481);
    EXPECT_EQ(PtsToSamples(90000LL * 100000 + 45000, 44100), 4410000000LL + 22050);
    EXPECT_EQ(SamplesToPts(1152, 48000), 2160);
    EXPECT_EQ(SamplesToPts(44100LL * 50000, 44100), 4500000000LL);
    const long long wrap = 1LL << 33;
    EXPECT_EQ(PtsDifference(100, wrap - 200), 300);
    EXPECT_EQ(PtsDifference(wrap - 200, 100), -300);
    EXPECT_EQ(PtsDifference(5000, 3000), 2000);
}

struct StreamDeleter {
    void operator()(MpegAudioStream *a) const { CloseAudioStream(a); }
};
using StreamPtr = std::unique_ptr<MpegAudioStream, StreamDeleter>;

std::vector<short> ReadAll(MpegAudioStream *a, int chunk)
{
    std::vector<short> all;
    std::vector<BYTE> buf(chunk * 4);
    for (long long pos = 0;;) {
        int n = ReadAudioSamples(a, pos, buf.data(), chunk);
        short *s = (short *)buf.data();
        all.insert(all.end(), s, s + 2 * n);
        pos += n;
        if (n < chunk)
            break;
    }
    return all;
}

// The first video PTS ffprobe reports minus the first audio PTS, in samples.
long long AnchorShift(const std::string &name, int rate)
{
    long long video = -1, audio = -1;
    for (const ProbePacket &p : ReadProbePackets(name)) {
        if (p.type == "video" && p.pts >= 0 && (video < 0 || p.pts < video))
            video = p.pts;
        if (p.type == "audio" && p.pts >= 0 && (audio < 0 || p.pts < audio))
            audio = p.pts;
    }
    return PtsToSamples(video - audio, rate);
}

TEST(AudioStream, ProgramStreamsAgainstFfmpeg)
{
    struct Case {
        const char *name;
        int rate, channels;
        long long shift;  // -1: from ffprobe's first timestamps
    } cases[] = {{"ps2.mpg", 48000, 2, 481}, {"ps1.mpg", 44100, 1, -1}, {"mplex.mpg", 48000, 2, -1}};
    for (const Case &c : cases) {
        g_bMonoMpegAudio = 0;
        StreamPtr a(OpenAudioStream(MediaPath(c.name).c_str(), 0));
        ASSERT_TRUE(a) << c.name;
        EXPECT_EQ(a->rate, c.rate) << c.name;
        EXPECT_EQ(a->channels, c.channels) << c.name;
        EXPECT_EQ(g_bMonoMpegAudio, c.channels == 1 ? 1 : 2) << c.name;
        std::vector<short> ours = ReadAll(a.get(), 1000);
        EXPECT_EQ((long long)ours.size() / 2, a->sampleCount) << c.name;
        long long shift = c.shift >= 0 ? c.shift : AnchorShift(c.name, c.rate);
        if (c.shift >= 0) {
            EXPECT_EQ(AnchorShift(c.name, c.rate), c.shift) << c.name;
        }
        std::vector<float> ref = ReadF32(std::string(c.name) + ".f32");
        // ours[k] is ffmpeg's sample k + shift
        ASSERT_GE(shift, 0) << c.name;
        std::vector<float> shifted(ref.begin() + shift * c.channels, ref.end());
        EXPECT_LE(MaxDifference(ours, 0, shifted, c.channels, TruncToLsb), 1) << c.name;
        long long refPairs = (long long)shifted.size() / c.channels;
        EXPECT_LE(llabs(refPairs - a->sampleCount), kLayer2FrameSamples) << c.name;
    }
}

TEST(AudioStream, RandomAccessGivesTheSequentialSamples)
{
    StreamPtr a(OpenAudioStream(MediaPath("ps2.mpg").c_str(), 0));
    ASSERT_TRUE(a);
    std::vector<short> all = ReadAll(a.get(), 4096);
    // 0 and 3456 read separately and in one piece.
    StreamPtr b(OpenAudioStream(MediaPath("ps2.mpg").c_str(), 0));
    std::vector<BYTE> one(5000 * 4), first(3456 * 4), second(1544 * 4);
    ASSERT_EQ(ReadAudioSamples(b.get(), 0, one.data(), 5000), 5000);
    StreamPtr c(OpenAudioStream(MediaPath("ps2.mpg").c_str(), 0));
    ASSERT_EQ(ReadAudioSamples(c.get(), 3456, second.data(), 1544), 1544);
    ASSERT_EQ(ReadAudioSamples(c.get(), 0, first.data(), 3456), 3456);
    EXPECT_EQ(0, memcmp(one.data(), first.data(), first.size()));
    EXPECT_EQ(0, memcmp(one.data() + first.size(), second.data(), second.size()));
    // Seeks anywhere, in any order, give the same samples.
    std::mt19937 rng(4);
    StreamPtr d(OpenAudioStream(MediaPath("ps2.mpg").c_str(), 0));
    long long total = (long long)all.size() / 2;
    for (int i = 0; i < 40; i++) {
        long long p = rng() % total;
        int n = 1 + rng() % 3000;
        std::vector<BYTE> buf(n * 4);
        int got = ReadAudioSamples(d.get(), p, buf.data(), n);
        ASSERT_EQ(got, (int)std::min<long long>(n, total - p)) << p;
        EXPECT_EQ(0, memcmp(buf.data(), all.data() + 2 * p, got * 4)) << "at " << p;
    }
    // Past the end: nothing, and a zeroed buffer.
    std::vector<BYTE> tail(400 * 4, 0x55);
    EXPECT_EQ(ReadAudioSamples(d.get(), total + 5000, tail.data(), 400), 0);
    EXPECT_EQ(tail[7], 0);
}

TEST(AudioStream, NoSoundItCannotPlay)
{
    for (const char *name : {"lsf.mpg", "mp3.mpg", "ts.ts", "es2.m2v"})
        EXPECT_EQ(OpenAudioStream(MediaPath(name).c_str(), 0), nullptr) << name;
}

// Splits a program stream at a pack boundary near its middle.
void SplitAtPack(const std::vector<unsigned char> &ps, std::vector<unsigned char> *a, std::vector<unsigned char> *b)
{
    size_t cut = ps.size() / 2;
    while (cut < ps.size() - 4 && !(ps[cut] == 0 && ps[cut + 1] == 0 && ps[cut + 2] == 1 && ps[cut + 3] == 0xBA))
        cut++;
    a->assign(ps.begin(), ps.begin() + cut);
    b->assign(ps.begin() + cut, ps.end());
}

TEST(AudioStream, NumberedFiles)
{
    std::vector<unsigned char> ps = ReadWholeFile(MediaPath("ps2.mpg")), first, second;
    StreamPtr whole(OpenAudioStream(MediaPath("ps2.mpg").c_str(), 0));
    ASSERT_TRUE(whole);
    std::vector<short> all = ReadAll(whole.get(), 4096);
    // Continuing timestamps: one stream without a gap.
    SplitAtPack(ps, &first, &second);
    WriteWholeFile(ScratchPath("cont1.mpg"), first);
    WriteWholeFile(ScratchPath("cont2.mpg"), second);
    StreamPtr joined(OpenAudioStream(ScratchPath("cont1.mpg").c_str(), 1));
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->sampleCount, whole->sampleCount);
    std::vector<short> j = ReadAll(joined.get(), 4096);
    ASSERT_EQ(j.size(), all.size());
    EXPECT_TRUE(j == all);
    // Restarting timestamps: the files are placed end to end.
    WriteWholeFile(ScratchPath("again1.mpg"), ps);
    WriteWholeFile(ScratchPath("again2.mpg"), ps);
    StreamPtr twice(OpenAudioStream(ScratchPath("again1.mpg").c_str(), 1));
    ASSERT_TRUE(twice);
    long long one = whole->sampleCount;
    EXPECT_NEAR((double)twice->sampleCount, 2.0 * one, 2 * kLayer2FrameSamples);
    std::vector<BYTE> buf(2000 * 4);
    // Well inside the second copy, the same sound as in the first, one
    // file length (in its own timestamps) later.
    long long fileSamples = PtsToSamples(twice->source->files[1].start, twice->rate);
    // The second file starts with its first audio frame; the first file
    // with its first picture, `lead` samples into its sound.
    long long lead = -PtsToSamples(PtsDifference(twice->source->firstAudioTimestamp, twice->source->files[0].firstTimestamp),
                                   twice->rate);
    EXPECT_EQ(lead, 481);
    ASSERT_EQ(ReadAudioSamples(twice.get(), fileSamples + 20000, buf.data(), 2000), 2000);
    EXPECT_EQ(0, memcmp(buf.data(), all.data() + 2 * (20000 - lead), buf.size()));
}

}  // namespace
