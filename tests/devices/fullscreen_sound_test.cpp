// The full-screen play loops' in-memory sound, seen at each PlaySound
// through the stream's hook: what the image holds compared with ffmpeg's
// decode of the same movie (the own reader's AVI chunks, the built-in
// MPEG plug-in) and with the known samples of the stand-in "QTReader.vfp"
// (sample i of its movies is (i, -i)); where reading starts, how far it
// goes, the two-movie merge, the restart once the image is played out,
// and writes kept inside images whose header announces little room.
#include "devices/fullscreen_sound.h"
#include "mpeg/mpeg_plugin.h"
#include "mpeg/settings_store.h"
#include "pipeline/streamed_sound.h"
#include "sources/movie_open.h"
#include "sources/plugin_audio.h"
#include "sources/plugin_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vfw.h>

#include <string>
#include <vector>

namespace {

std::string PlayMedia(const char *name) { return HostFile(TWR_PLAY_MEDIA_DIR, name); }
std::string SoundMedia(const char *name) { return HostFile(TWR_SOUND_MEDIA_DIR, name); }
std::string Scratch(const std::string &name) { return HostFile(TWR_SOUND_SCRATCH, name); }

// A movie of the stand-in's raw format with tiny frames: sound sample i
// is (i, -i).
std::string WriteRawMovie(const std::string &name, int frames, int fps, int audioRate, int samples)
{
    std::vector<BYTE> b(8);
    memcpy(b.data(), "TWRMOV01", 8);
    for (DWORD v : {(DWORD)4, (DWORD)2, (DWORD)frames, (DWORD)fps, (DWORD)1, (DWORD)audioRate, (DWORD)samples})
        for (int k = 0; k < 4; k++)
            b.push_back((BYTE)(v >> (8 * k)));
    b.resize(b.size() + (size_t)frames * 4 * 2 * 3, 0x40);
    for (int i = 0; i < samples; i++) {
        short l = (short)i, r = (short)-i;
        b.insert(b.end(), {(BYTE)l, (BYTE)(l >> 8), (BYTE)r, (BYTE)(r >> 8)});
    }
    std::string path = Scratch(name);
    EXPECT_TRUE(WriteWholeFile(path, b));
    return path;
}

// The stand-in's sound from sample `first` on, count samples.
std::vector<BYTE> RawSamples(int first, int count)
{
    std::vector<BYTE> b;
    for (int i = first; i < first + count; i++) {
        short l = (short)i, r = (short)-i;
        b.insert(b.end(), {(BYTE)l, (BYTE)(l >> 8), (BYTE)r, (BYTE)(r >> 8)});
    }
    return b;
}

// Every PlaySound the stream made: the image and its size (null where
// the sound was stopped).
struct Played {
    const unsigned char *image;
    size_t bytes;
};
std::vector<Played> s_played;
void RecordPlay(const unsigned char *image, size_t bytes) { s_played.push_back(Played{image, bytes}); }

int Sample(const std::vector<BYTE> &b, size_t at) { return (int)(int16_t)(b[at] | b[at + 1] << 8); }

// got must equal want[from, from + got.size()) sample by sample, within
// tolerance (two decoders of lossy sound may differ by a rounding).
void ExpectSound(const std::vector<BYTE> &got, const std::vector<BYTE> &want, size_t from, int tolerance,
                 const std::string &what)
{
    ASSERT_LE(from + got.size(), want.size()) << what << ": more sound than the source holds";
    for (size_t i = 0; i + 2 <= got.size(); i += 2)
        if (abs(Sample(got, i) - Sample(want, from + i)) > tolerance) {
            ADD_FAILURE() << what << ": differs at byte " << i << " of " << got.size() << " (sample "
                          << (from + i) / 4 << "): " << Sample(got, i) << " against " << Sample(want, from + i);
            return;
        }
}

class FullScreenSoundTest : public testing::Test {
protected:
    MovieSource a, b;
    char error[kOpenErrorBytes];

    static void SetUpTestSuite()
    {
        // Plug-in movies are opened beside the placeholder AVI.
        snprintf(g_szTempAvi, sizeof g_szTempAvi, "%s", Scratch("avi.avi").c_str());
        WritePlaceholderAvi();
        AVIFileInit();
        RegisterBuiltinMpegPlugin(&g_mpegPlugin);
        g_pfnFullScreenSoundHook = RecordPlay;
    }
    static void TearDownTestSuite()
    {
        g_pfnFullScreenSoundHook = nullptr;
        if (g_nPlugins) {
            FreeLibrary(g_hPlugins[0]);
            g_hPlugins[0] = nullptr;
            g_nPlugins = 0;
            g_bPluginFound = 0;
        }
        AVIFileExit();
    }
    void SetUp() override
    {
        InitMovieSource(&a);
        InitMovieSource(&b);
        g_nCacheBudget = 16000000;
        g_bStereoSound = 0;
        g_nMovrate = 30;
        g_bOldQT = 1;  // the stand-in's sound is read
        StoreDecoderDword("gl", 1);  // no ".gl" files beside the shared media
        s_played.clear();
        error[0] = '\0';
    }
    void TearDown() override
    {
        CloseMovieSource(&a);
        CloseMovieSource(&b);
        DeleteDecoderValue("gl");
        g_nCacheBudget = 16000000;
        g_bStereoSound = 0;
    }
    // True when the movie opened with sound.
    bool Open(MovieSource &r, const std::string &path)
    {
        CloseMovieSource(&r);
        if (OpenMovieSource(nullptr, path.c_str(), &r, error, 0) != 0) {
            ADD_FAILURE() << path << ": " << error;
            return false;
        }
        EXPECT_TRUE(r.pWaveHeader) << path;
        return r.pWaveHeader != nullptr;
    }
    // Movies of the stand-in plug-in (".mov"), loaded once.
    bool OpenRaw(MovieSource &r, const std::string &path)
    {
        if (!g_nPlugins && !LoadOutsidePlugin(HostFile(TWR_STANDINS_DIR, "").c_str())) {
            ADD_FAILURE() << "no QTReader.vfp";
            return false;
        }
        if (!Open(r, path))
            return false;
        EXPECT_EQ(r.nKind, kSourcePlugin) << path;
        return r.nKind == kSourcePlugin;
    }
    // What the image holds behind its header now.
    static std::vector<BYTE> Held(const FullScreenSound *s)
    {
        if (s_played.empty() || !s_played.back().image)
            return {};
        const BYTE *data = s_played.back().image + kWaveHeaderBytes;
        return std::vector<BYTE>(data, data + FullScreenSoundBytes(s));
    }
};

TEST_F(FullScreenSoundTest, ImageHoldsTheSoundOfTheFramesAhead)
{
    // Ten frames from the start frame when PlaySound starts, more at each
    // step; the image as large as the header announces.
    static const struct {
        const char *movie, *pcm;
        int kind, start, tolerance;
    } cases[] = {
        {"raw_L.avi", "raw_L.pcm", kSourceOwnReader, 5, 0},
        {"raw_L.avi", "raw_L.pcm", kSourceOwnReader, 0, 0},
        // Through the built-in MPEG plug-in, compared with ffmpeg's Layer
        // II decoder.
        {"mpg_L.mpg", "mpg_L.pcm", kSourcePlugin, 4, 2},
        {"mpg_R.mpg", "mpg_R.pcm", kSourcePlugin, 0, 2},
    };
    for (const auto &c : cases) {
        std::string what = std::string(c.movie) + " from " + std::to_string(c.start);
        ASSERT_TRUE(Open(a, PlayMedia(c.movie)));
        ASSERT_EQ(a.nKind, c.kind) << what;
        std::vector<BYTE> source = ReadWholeFile(PlayMedia(c.pcm));
        s_played.clear();
        FullScreenSound *s = StartFullScreenSound(&a, nullptr, c.start, a.nFrames - c.start, 0);
        ASSERT_TRUE(s) << what;
        ASSERT_EQ(s_played.size(), 1u) << what;
        EXPECT_EQ(s_played[0].bytes, AnnouncedSoundBlockBytes(a.pWaveHeader)) << what;
        EXPECT_EQ(memcmp(s_played[0].image, a.pWaveHeader, kWaveHeaderBytes), 0) << what;
        // 44,100 samples a second at 25 frames a second: 1,764 a frame.
        size_t from = (size_t)c.start * 1764 * 4;
        std::vector<BYTE> held = Held(s);
        EXPECT_GE(held.size(), 10u * 1764 * 4) << what;
        ExpectSound(held, source, from, c.tolerance, what);
        KeepFullScreenSound(s, 1, 40);
        KeepFullScreenSound(s, 2, 80);
        held = Held(s);
        EXPECT_GE(held.size(), 12u * 1764 * 4) << what;
        ExpectSound(held, source, from, c.tolerance, what + " after two steps");
        EXPECT_EQ(s_played.size(), 1u) << what;
        EndFullScreenSound(s);
        ASSERT_EQ(s_played.size(), 2u) << what;
        EXPECT_FALSE(s_played[1].image) << what << ": the sound is stopped";
    }
}

TEST_F(FullScreenSoundTest, PartnerLeftChannelPlaysOnTheRight)
{
    // Two plug-in movies with 4-byte blocks and the stereo option: the
    // partner's left channel in bytes 2-3 of each block. With the option
    // off, or a partner of another kind, the record's sound unchanged.
    static const struct {
        const char *partner;
        int option;
        bool merged;
    } cases[] = {
        {"mpg_R.mpg", 1, true},
        {"mpg_R.mpg", 0, false},
        {"raw_R.avi", 1, false},
    };
    std::vector<BYTE> left = ReadWholeFile(PlayMedia("mpg_L.pcm"));
    std::vector<BYTE> right = ReadWholeFile(PlayMedia("mpg_R.pcm"));
    std::vector<BYTE> merged = left;
    for (size_t i = 0; i + 4 <= merged.size() && i + 4 <= right.size(); i += 4)
        memcpy(&merged[i + 2], &right[i], 2);
    for (const auto &c : cases) {
        std::string what = std::string(c.partner) + " option " + std::to_string(c.option);
        ASSERT_TRUE(Open(a, PlayMedia("mpg_L.mpg")));
        ASSERT_TRUE(Open(b, PlayMedia(c.partner)));
        g_bStereoSound = c.option;
        s_played.clear();
        FullScreenSound *s = StartFullScreenSound(&a, &b, 2, 18, 2);
        ASSERT_TRUE(s) << what;
        KeepFullScreenSound(s, 1, 40);
        std::vector<BYTE> held = Held(s);
        EXPECT_GE(held.size(), 11u * 1764 * 4) << what;
        ExpectSound(held, c.merged ? merged : left, 2 * 1764 * 4, 2, what);
        EndFullScreenSound(s);
    }
}

TEST_F(FullScreenSoundTest, PartnerFramesOfOtherSizesStayInTheirBlocks)
{
    // The partner's frame is read with its own sample count: twice the
    // record's at twice the rate, half of it at half the rate (the record's
    // right channel stays where the partner has no sample). The pair
    // position goes with the record's start frame through each record's
    // own offset.
    static const struct {
        int recordRate, partnerRate;
    } cases[] = {{22050, 44100}, {44100, 22050}};
    for (const auto &c : cases) {
        std::string what = std::to_string(c.recordRate) + " with " + std::to_string(c.partnerRate);
        std::string rec = "rec" + std::to_string(c.recordRate) + ".mov";
        std::string par = "par" + std::to_string(c.partnerRate) + ".mov";
        ASSERT_TRUE(OpenRaw(a, WriteRawMovie(rec, 50, 25, c.recordRate, c.recordRate * 2)));
        ASSERT_TRUE(OpenRaw(b, WriteRawMovie(par, 50, 25, c.partnerRate, c.partnerRate * 2)));
        ASSERT_EQ(a.nBlockAlign, 4);
        a.nStart = 3;
        b.nStart = 1;
        g_bStereoSound = 1;
        s_played.clear();
        int pairFrame = 4, start = a.nStart + pairFrame;
        FullScreenSound *s = StartFullScreenSound(&a, &b, start, 20, pairFrame);
        ASSERT_TRUE(s) << what;
        int perFrame = c.recordRate / 30, partnerPerFrame = c.partnerRate / 30;
        std::vector<BYTE> held = Held(s);
        ASSERT_EQ(held.size(), 10u * perFrame * 4) << what;
        std::vector<BYTE> want = RawSamples(start * perFrame, 10 * perFrame);
        for (int k = 0; k < 10; k++)
            for (int i = 0; i < perFrame && i < partnerPerFrame; i++) {
                short p = (short)((b.nStart + pairFrame + k) * partnerPerFrame + i);
                size_t at = ((size_t)k * perFrame + i) * 4 + 2;
                want[at] = (BYTE)p;
                want[at + 1] = (BYTE)(p >> 8);
            }
        ExpectSound(held, want, 0, 0, what);
        EndFullScreenSound(s);
    }
}

TEST_F(FullScreenSoundTest, LoadsNoFrameBeyondTheLimit)
{
    // 300 frames of 1,470 samples (the stand-in's 25 frames a second
    // shown at 30). A start on the last frames, or a pair shorter than the
    // movie, loads fewer than ten frames; the steps that follow load none
    // beyond.
    static const struct {
        int start, limit, frames;
    } cases[] = {
        {295, 5, 5},    // the file's last five frames
        {297, 50, 3},   // a limit beyond the movie's end
        {290, 50, 10},  // exactly ten left
        {100, 3, 3},    // the pair ends first
        {0, 1, 1},
    };
    ASSERT_TRUE(OpenRaw(a, WriteRawMovie("limit.mov", 250, 25, 44100, 441000)));
    ASSERT_EQ(a.nFrames, 300);
    for (const auto &c : cases) {
        std::string what = "from " + std::to_string(c.start) + " limit " + std::to_string(c.limit);
        s_played.clear();
        FullScreenSound *s = StartFullScreenSound(&a, nullptr, c.start, c.limit, c.start);
        ASSERT_TRUE(s) << what;
        std::vector<BYTE> want = RawSamples(c.start * 1470, c.frames * 1470);
        EXPECT_EQ(Held(s), want) << what;
        for (int d = 1; d <= 15; d++)
            KeepFullScreenSound(s, d, d * 1000.0 / 30);
        EXPECT_EQ(Held(s), want) << what << " after the steps";
        EXPECT_EQ(s_played.size(), 1u) << what << ": started again";
        EndFullScreenSound(s);
    }
}

TEST_F(FullScreenSoundTest, OwnReaderStartsAtTheChunkOfTheStartFrame)
{
    // Frame f's sound starts at byte f x 44,100 x 4 / frame rate, taken
    // down to a whole sample: inside a chunk reading starts there; where a
    // chunk ends exactly, at the next chunk's beginning.
    static const struct {
        const char *movie;
        int start, firstSample;
    } cases[] = {
        // 1,471.47 samples a frame in chunks of 1,000: sample 10,300.29
        // lies 300 samples into chunk 10.
        {"odd_chunks", 7, 10300},
        {"odd_chunks", 1, 1471},
        {"odd_chunks", 0, 0},
        // One chunk of 1,764 samples per frame: frame 3 starts where chunk
        // 2 ends.
        {"frame_chunks", 3, 5292},
        {"frame_chunks", 51, 89964},
    };
    for (const auto &c : cases) {
        std::string what = std::string(c.movie) + " from " + std::to_string(c.start);
        ASSERT_TRUE(Open(a, SoundMedia((std::string(c.movie) + ".avi").c_str())));
        ASSERT_EQ(a.nKind, kSourceOwnReader) << what;
        std::vector<BYTE> source = ReadWholeFile(SoundMedia((std::string(c.movie) + ".pcm").c_str()));
        s_played.clear();
        FullScreenSound *s = StartFullScreenSound(&a, nullptr, c.start, a.nFrames - c.start, 0);
        ASSERT_TRUE(s) << what;
        std::vector<BYTE> held = Held(s);
        EXPECT_FALSE(held.empty()) << what;
        ExpectSound(held, source, (size_t)c.firstSample * 4, 0, what);
        EndFullScreenSound(s);
    }
}

TEST_F(FullScreenSoundTest, NothingPlaysWithoutSoundAtTheStart)
{
    // The own reader's sound ends with frame 52 here (every frame one
    // chunk): a start there or beyond finds no chunk; nor does a record
    // without a sound index. A plug-in movie started at its end, or a
    // record of another kind, plays nothing either.
    ASSERT_TRUE(Open(a, SoundMedia("frame_chunks.avi")));
    size_t soundFrames = ReadWholeFile(SoundMedia("frame_chunks.pcm")).size() / (1764 * 4);
    ASSERT_EQ((size_t)a.nAudioChunks, soundFrames);
    for (int start : {(int)soundFrames, (int)soundFrames + 3})
        EXPECT_FALSE(StartFullScreenSound(&a, nullptr, start, 100, 0)) << start;
    int chunks = a.nAudioChunks;
    a.nAudioChunks = 0;
    EXPECT_FALSE(StartFullScreenSound(&a, nullptr, 0, 10, 0));
    a.nAudioChunks = chunks;
    a.nKind = kSourceAviFile;
    EXPECT_FALSE(StartFullScreenSound(&a, nullptr, 0, 10, 0));
    a.nKind = kSourceOwnReader;

    ASSERT_TRUE(OpenRaw(b, WriteRawMovie("end.mov", 25, 25, 44100, 44100)));
    EXPECT_FALSE(StartFullScreenSound(&b, nullptr, b.nFrames, 10, 0));
    EXPECT_FALSE(StartFullScreenSound(&b, nullptr, 0, 0, 0));
    EXPECT_TRUE(s_played.empty());
    EXPECT_FALSE(StartFullScreenSound(nullptr, nullptr, 0, 10, 0));
    KeepFullScreenSound(nullptr, 1, 40);
    EndFullScreenSound(nullptr);
    EXPECT_TRUE(s_played.empty());
}

// Drives a stream frame by frame with the play time of the due frame and
// gathers what each image held before it was started again: the sound the
// player was given, in order. restartMs: the play time at each restart,
// heardMs: the sound's length up to it.
struct Streamed {
    std::vector<BYTE> sound;
    std::vector<double> restartMs, heardMs;
};
Streamed DriveStream(FullScreenSound *s, int steps, double msPerFrame, int rate)
{
    Streamed out;
    size_t seen = 0, played = s_played.size();
    const BYTE *image = s_played.back().image;
    for (int d = 1; d <= steps; d++) {
        double ms = d * msPerFrame;
        KeepFullScreenSound(s, d, ms);
        if (s_played.size() != played) {
            // A restart: the last round ended where the image was seen
            // last (a restart comes only at a step that starts full).
            EXPECT_EQ(s_played.size(), played + 1) << "more than one restart in step " << d;
            EXPECT_EQ(s_played.back().image, image);
            played = s_played.size();
            seen = 0;
            out.restartMs.push_back(ms);
            out.heardMs.push_back((double)(out.sound.size() / 4) * 1000.0 / rate);
        }
        size_t now = FullScreenSoundBytes(s);
        out.sound.insert(out.sound.end(), image + kWaveHeaderBytes + seen, image + kWaveHeaderBytes + now);
        seen = now;
    }
    return out;
}

TEST_F(FullScreenSoundTest, LongSoundStartsTheImageAgainOncePlayedOut)
{
    // 10 s of sound against a budget of 100,000 bytes (0.57 s): the image
    // is started again from its beginning each time its sound has been
    // played, never before, and the player is given the whole sound in
    // order. The own reader's record is sized by its own header, though a
    // short movie was opened after it.
    g_nCacheBudget = 100000;
    for (int kind : {kSourceOwnReader, kSourcePlugin}) {
        std::string what = kind == kSourcePlugin ? "plug-in" : "own reader";
        std::vector<BYTE> source;
        double msPerFrame;
        if (kind == kSourcePlugin) {
            ASSERT_TRUE(OpenRaw(a, WriteRawMovie("long.mov", 250, 25, 44100, 441000)));
            source = RawSamples(0, 441000);
            msPerFrame = 1000.0 / 30;
        } else {
            ASSERT_TRUE(Open(a, SoundMedia("long.avi")));
            ASSERT_EQ(a.nKind, kSourceOwnReader);
            ASSERT_TRUE(Open(b, SoundMedia("short.avi")));
            ASSERT_LT(AnnouncedSoundBlockBytes(b.pWaveHeader), 100000u);
            source = ReadWholeFile(SoundMedia("long.pcm"));
            msPerFrame = 40;
        }
        s_played.clear();
        FullScreenSound *s = StartFullScreenSound(&a, &b, 0, a.nFrames, 0);
        ASSERT_TRUE(s) << what;
        ASSERT_EQ(s_played.size(), 1u);
        EXPECT_EQ(s_played[0].bytes, AnnouncedSoundBlockBytes(a.pWaveHeader)) << what;
        EXPECT_GT(s_played[0].bytes, 100000u) << what;
        int steps = a.nFrames - 12;
        Streamed got = DriveStream(s, steps, msPerFrame, 44100);
        // The player never runs out: given at least the sound of the play
        // time of the last step.
        double seconds = steps * msPerFrame / 1000;
        EXPECT_GE(got.sound.size(), (size_t)(seconds * 44100) * 4) << what;
        ExpectSound(got.sound, source, 0, 0, what);
        EXPECT_GE(got.restartMs.size(), 10u) << what;
        for (size_t i = 0; i < got.restartMs.size(); i++) {
            EXPECT_LE(got.heardMs[i], got.restartMs[i] + 1) << what << ": started again before played out";
            EXPECT_GE(got.heardMs[i], got.restartMs[i] - 2 * msPerFrame) << what << ": a gap before restart";
        }
        EndFullScreenSound(s);
        CloseMovieSource(&b);
    }
}

TEST_F(FullScreenSoundTest, WritesStayInsideTheImage)
{
    // Headers that announce less data than a frame or a chunk holds: the
    // image is that small and nothing is written past its end. The own
    // reader goes on inside the chunk that did not fit once the image
    // starts again; the plug-in's frame is cut at the end.
    ASSERT_TRUE(Open(a, SoundMedia("odd_chunks.avi")));
    std::vector<BYTE> source = ReadWholeFile(SoundMedia("odd_chunks.pcm"));
    const uint32_t room = 10000;  // two and a half chunks
    BYTE *h = a.pWaveHeader;
    h[40] = (BYTE)room, h[41] = (BYTE)(room >> 8), h[42] = 0, h[43] = 0;
    FullScreenSound *s = StartFullScreenSound(&a, nullptr, 1, a.nFrames - 1, 0);
    ASSERT_TRUE(s);
    EXPECT_EQ(s_played.back().bytes, room + kWaveHeaderBytes);
    EXPECT_EQ(FullScreenSoundBytes(s), room);
    // An image holds 57 ms: played out by the steps of 50 ms.
    Streamed got = DriveStream(s, 30, 50.0, 44100);
    EXPECT_GE(got.restartMs.size(), 5u);
    EXPECT_GE(got.sound.size(), 5u * room);
    ExpectSound(got.sound, source, 1471 * 4, 0, "own reader");
    EndFullScreenSound(s);

    ASSERT_TRUE(OpenRaw(b, WriteRawMovie("small.mov", 50, 25, 44100, 88200)));
    h = b.pWaveHeader;
    h[40] = 3000 & 0xFF, h[41] = 3000 >> 8, h[42] = 0, h[43] = 0;
    s_played.clear();
    s = StartFullScreenSound(&b, nullptr, 2, 20, 0);
    ASSERT_TRUE(s);
    EXPECT_EQ(s_played.back().bytes, 3000u + kWaveHeaderBytes);
    EXPECT_EQ(Held(s), RawSamples(2 * 1470, 750));
    EndFullScreenSound(s);
}

}  // namespace
