// Movies read through plug-ins: the placeholder movie, MPEG files through
// the built-in decoder, and ".mov" files through the outside plug-in
// "QTReader.vfp" (the project's stand-in, built beside the tests).
#include "mpeg/audio_stream.h"
#include "mpeg/mpeg_plugin.h"
#include "mpeg/settings_store.h"
#include "sources/frame_fetch.h"
#include "sources/movie_open.h"
#include "sources/plugin_audio.h"
#include "sources/plugin_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"

#include <gtest/gtest.h>

#include <string.h>
#include <vfw.h>

#include <string>
#include <vector>

namespace {

std::string VideoMedia(const std::string &name) { return HostFile(TWR_MPEG_VIDEO_MEDIA, name); }
std::string Scratch(const std::string &name) { return HostFile(TWR_PLUGIN_SCRATCH, name); }

// A movie of the stand-in's raw format: frame k filled with one colour
// (blue k, green 255 - k, red 3k), sound sample i = (i, -i).
std::string WriteRawMovie(const std::string &name, int width, int height, int frames, int fpsNum, int fpsDen,
                          int audioRate, int samples)
{
    std::vector<BYTE> b(8);
    memcpy(b.data(), "TWRMOV01", 8);
    for (DWORD v : {(DWORD)width, (DWORD)height, (DWORD)frames, (DWORD)fpsNum, (DWORD)fpsDen, (DWORD)audioRate,
                    (DWORD)samples})
        for (int k = 0; k < 4; k++)
            b.push_back((BYTE)(v >> (8 * k)));
    for (int f = 0; f < frames; f++)
        for (int p = 0; p < width * height; p++) {
            b.push_back((BYTE)f);
            b.push_back((BYTE)(255 - f));
            b.push_back((BYTE)(3 * f));
        }
    for (int i = 0; i < samples; i++) {
        short l = (short)i, r = (short)-i;
        b.insert(b.end(), {(BYTE)l, (BYTE)(l >> 8), (BYTE)r, (BYTE)(r >> 8)});
    }
    std::string path = Scratch(name);
    FILE *f = fopen(path.c_str(), "wb");
    EXPECT_TRUE(f);
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
    return path;
}

class PluginSource : public testing::Test {
protected:
    MovieSource m, other;
    char error[kOpenErrorBytes];

    static void SetUpTestSuite()
    {
        snprintf(g_szTempAvi, sizeof g_szTempAvi, "%s", Scratch("avi.avi").c_str());
        WritePlaceholderAvi();
        AVIFileInit();
        RegisterBuiltinMpegPlugin(&g_mpegPlugin);
    }
    static void TearDownTestSuite() { AVIFileExit(); }
    void SetUp() override
    {
        InitMovieSource(&m);
        InitMovieSource(&other);
        g_bDeinterlaceOpt = g_nFieldMode = 0;
        g_nCacheBudget = 16000000;
        g_nMovrate = 30;
        g_bOldQT = 0;
        StoreDecoderDword("gl", 1); // no ".gl" files beside the shared media
        error[0] = '\0';
    }
    void TearDown() override
    {
        CloseMovieSource(&m);
        CloseMovieSource(&other);
        DeleteDecoderValue("gl");
    }
    int Open(MovieSource &r, const std::string &path) { return OpenMovieSource(nullptr, path.c_str(), &r, error, 0); }
};

TEST_F(PluginSource, PlaceholderMovie)
{
    FILE *f = fopen(g_szTempAvi, "rb");
    ASSERT_TRUE(f);
    fseek(f, 0, SEEK_END);
    EXPECT_EQ(ftell(f), 11776);
    fclose(f);
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, g_szTempAvi, OF_SHARE_DENY_NONE, nullptr), 0);
    AVIFILEINFOA fi;
    ASSERT_EQ(AVIFileInfoA(file, &fi, sizeof fi), 0);
    EXPECT_EQ(fi.dwStreams, 2u);
    EXPECT_EQ(fi.dwWidth, 352u);
    EXPECT_EQ(fi.dwHeight, 288u);
    for (LONG i = 0; i < 2; i++) {
        PAVISTREAM s = nullptr;
        ASSERT_EQ(AVIFileGetStream(file, &s, 0, i), 0);
        AVISTREAMINFOA si;
        ASSERT_EQ(AVIStreamInfoA(s, &si, sizeof si), 0);
        std::vector<BYTE> format(64);
        LONG size = (LONG)format.size();
        ASSERT_EQ(AVIStreamReadFormat(s, 0, format.data(), &size), 0);
        if (si.fccType == streamtypeVIDEO) {
            EXPECT_EQ(si.fccHandler, mmioFOURCC('V', 'I', 'F', 'P'));
            EXPECT_EQ(si.dwRate, 25u);
            EXPECT_EQ(si.dwScale, 1u);
            EXPECT_EQ(si.dwLength, 1u);
            const BITMAPINFOHEADER *bih = (const BITMAPINFOHEADER *)format.data();
            EXPECT_EQ(bih->biWidth, 352);
            EXPECT_EQ(bih->biHeight, 288);
            EXPECT_EQ(bih->biBitCount, 24);
            EXPECT_EQ(bih->biCompression, mmioFOURCC('v', 'i', 'f', 'p'));
        } else {
            EXPECT_EQ(si.fccType, streamtypeAUDIO);
            EXPECT_EQ(si.dwLength, 2304u);
            const PCMWAVEFORMAT *wf = (const PCMWAVEFORMAT *)format.data();
            EXPECT_EQ(wf->wf.wFormatTag, WAVE_FORMAT_PCM);
            EXPECT_EQ(wf->wf.nChannels, 2);
            EXPECT_EQ(wf->wf.nSamplesPerSec, 44100u);
            EXPECT_EQ(wf->wf.nBlockAlign, 4);
            EXPECT_EQ(wf->wBitsPerSample, 16);
        }
        AVIStreamRelease(s);
    }
    AVIFileRelease(file);
}

TEST_F(PluginSource, MpegThroughTheBuiltInDecoder)
{
    ASSERT_EQ(Open(m, VideoMedia("ps.mpg")), 0) << error;
    MpegVideoStream *s = OpenVideoStream(VideoMedia("ps.mpg").c_str());
    ASSERT_TRUE(s);
    EXPECT_EQ(m.nKind, kSourcePlugin);
    EXPECT_EQ(m.bOpen, 1);
    EXPECT_EQ(m.nPluginMode, 0);
    EXPECT_EQ(m.nStep, 1);
    EXPECT_EQ(m.nRate, 25u);
    EXPECT_EQ(m.nScale, 1u);
    EXPECT_EQ(m.nMsPerFrame, 40);
    EXPECT_EQ(m.nFrames, (int)s->frameCount);
    EXPECT_EQ(m.nWidth, 128);
    EXPECT_EQ(m.nHeight, 96);
    EXPECT_EQ(m.nBitCount, 24);
    EXPECT_TRUE(m.pVideo && m.pAudio && m.pAviFile);
    // Sound: 16-bit stereo at 48 kHz, 1,920 samples a frame.
    EXPECT_EQ(m.nAudioRate, 48000u);
    EXPECT_EQ(m.nAudioScale, 1u);
    EXPECT_EQ(m.nBlockAlign, 4);
    EXPECT_EQ(m.nChannels, 2);
    EXPECT_EQ(m.nAudioPerFrame, 1920);
    EXPECT_EQ(m.nAudioBytes, 2) << "stereo";
    int expectedData = (int)std::min<long long>(16000000LL + 3 * 1920 * 4, (long long)m.nPluginAudioSamples * 4);
    EXPECT_EQ(m.nWaveBufSize, expectedData + 100);
    ASSERT_TRUE(m.pWaveHeader);
    EXPECT_EQ(memcmp(m.pWaveHeader, "RIFF", 4), 0);
    const WAVEFORMATEX *wf = (const WAVEFORMATEX *)(m.pWaveHeader + 20);
    EXPECT_EQ(wf->wFormatTag, 1);
    EXPECT_EQ(wf->nChannels, 2);
    EXPECT_EQ(wf->nSamplesPerSec, 48000u);
    EXPECT_EQ(wf->nAvgBytesPerSec, 192000u);
    EXPECT_EQ(wf->wBitsPerSample, 16);
    // A frame lands upright in the bottom-up frame, as the stream gives it.
    for (int n : {9, 0, m.nFrames - 1}) {
        ASSERT_EQ(FetchMovieFrame(&m, n), 0) << n;
        const BITMAPINFOHEADER *h = m.pDecoded;
        EXPECT_EQ(h->biSize, 40u);
        EXPECT_EQ(h->biWidth, 128);
        EXPECT_EQ(h->biHeight, 96);
        EXPECT_EQ(h->biBitCount, 24);
        EXPECT_EQ(h->biXPelsPerMeter, 2400);
        EXPECT_EQ(h->biSizeImage, 128u * 3 * 96);
        std::vector<BYTE> direct(128 * 3 * 96);
        ASSERT_TRUE(ReadVideoFrameRgb24(s, n, direct.data() + 128 * 3 * 95, -128 * 3));
        EXPECT_EQ(memcmp(h + 1, direct.data(), direct.size()), 0) << n;
    }
    EXPECT_NE(FetchMovieFrame(&m, m.nFrames + 5), 0);
    CloseVideoStream(s);
}

TEST_F(PluginSource, RefusedAndSoundlessFiles)
{
    // No video: the file is closed and refused (with no text).
    EXPECT_EQ(Open(m, VideoMedia("audio.mpg")), 1);
    EXPECT_STREQ(error, "");
    EXPECT_EQ(m.hFile, -1);
    CloseMovieSource(&m);
    EXPECT_EQ(Open(m, Scratch("missing.mpg")), 1);
    CloseMovieSource(&m);
    // An elementary stream has no sound: the placeholder's sound stream goes.
    ASSERT_EQ(Open(m, VideoMedia("open.m2v")), 0);
    EXPECT_FALSE(m.pAudio);
    EXPECT_TRUE(m.pVideo);
    BYTE pcm[16];
    EXPECT_EQ(ReadPluginAudio(&m, pcm, 4, 0), 1);
}

// An MPEG-2 stream whose sequence extension states sizes no picture of
// which could be held (16383 x 16383) is refused at open, so that the
// shell reports it, rather than opened to give no frame.
TEST_F(PluginSource, MpegOfUnusablePictureSizeIsRefused)
{
    std::vector<unsigned char> es = ReadWholeFile(VideoMedia("open.m2v"));
    int extensions = 0;
    for (size_t i = 0; i + 6 < es.size(); i++)
        if (es[i] == 0 && es[i + 1] == 0 && es[i + 2] == 1 && es[i + 3] == 0xB5 && (es[i + 4] >> 4) == 1) {
            es[i + 5] |= 0x01;  // horizontal_size_extension 3
            es[i + 6] |= 0xE0;  // and vertical_size_extension 3
            extensions++;
        }
    ASSERT_GT(extensions, 0);
    std::string huge = Scratch("huge.m2v");
    ASSERT_TRUE(WriteWholeFile(huge, es));
    EXPECT_EQ(Open(m, huge), 1);
    EXPECT_STREQ(error, "");
    EXPECT_EQ(m.hFile, -1);
    EXPECT_FALSE(m.bOpen);
    CloseMovieSource(&m);
    // The same stream with its own sizes opens.
    ASSERT_EQ(Open(m, VideoMedia("open.m2v")), 0) << error;
    EXPECT_TRUE(m.bOpen);
}

TEST_F(PluginSource, SoundReads)
{
    ASSERT_EQ(Open(m, VideoMedia("ps.mpg")), 0) << error;
    DWORD samples = m.nPluginAudioSamples;
    ASSERT_GT(samples, 100000u);
    // 1,000 asked 400 before the end: the plug-in is asked for 400 (and
    // writes only those).
    std::vector<BYTE> buf(4000, 0xAB);
    ASSERT_EQ(ReadPluginAudio(&m, buf.data(), 1000, (int)samples - 400), 0);
    for (size_t i = 1600; i < buf.size(); i++)
        ASSERT_EQ(buf[i], 0xAB) << i;
    EXPECT_EQ(ReadPluginAudio(&m, buf.data(), 10, (int)samples + 1), 1);
    // The samples are those of the stream.
    MpegAudioStream *a = OpenAudioStream(VideoMedia("ps.mpg").c_str(), 0);
    ASSERT_TRUE(a);
    std::vector<BYTE> direct(4 * 3000), through(4 * 3000);
    ASSERT_EQ(ReadAudioSamples(a, 5000, direct.data(), 3000), 3000);
    ASSERT_EQ(ReadPluginAudio(&m, through.data(), 3000, 5000), 0);
    EXPECT_EQ(direct, through);
    CloseAudioStream(a);
}

// Each record keeps the length of its own sound: the longer movie of a pair
// reads past the shorter one's end.
TEST_F(PluginSource, SoundBoundPerRecord)
{
    ASSERT_EQ(Open(m, VideoMedia("ps.mpg")), 0) << error;
    ASSERT_EQ(Open(other, VideoMedia("mono.mpg")), 0) << error;
    ASSERT_LT(other.nPluginAudioSamples, m.nPluginAudioSamples);
    std::vector<BYTE> buf(4 * 1152);
    int beyond = (int)other.nPluginAudioSamples + 4800;
    EXPECT_EQ(ReadPluginAudio(&m, buf.data(), 1152, beyond), 0);
    EXPECT_EQ(ReadPluginAudio(&other, buf.data(), 1152, beyond), 1);
}

TEST_F(PluginSource, MonoSoundOnBothSides)
{
    ASSERT_EQ(Open(m, VideoMedia("mono.mpg")), 0) << error;
    EXPECT_EQ(m.nAudioBytes, 1);
    EXPECT_EQ(m.nAudioRate, 44100u);
    std::vector<BYTE> buf(4 * 2000);
    ASSERT_EQ(ReadPluginAudio(&m, buf.data(), 2000, 3000), 0);
    int loud = 0;
    for (int i = 0; i < 2000; i++) {
        ASSERT_EQ(memcmp(&buf[4 * i], &buf[4 * i + 2], 2), 0) << i;
        loud += buf[4 * i + 1] != 0 && buf[4 * i + 1] != 0xFF;
    }
    EXPECT_GT(loud, 100) << "the tone is there";
}

TEST_F(PluginSource, OutsidePlugin)
{
    std::string movie = WriteRawMovie("clip.mov", 16, 8, 250, 25, 1, 44100, 44100 * 10);
    // Not loaded yet: "mov" files do not open.
    g_nPlugins = 0;
    g_hPlugins[0] = nullptr;
    EXPECT_EQ(Open(m, movie), 1);
    CloseMovieSource(&m);

    const char *filter = LoadOutsidePlugin(HostFile(TWR_STANDINS_DIR, "").c_str());
    ASSERT_TRUE(filter);
    EXPECT_STREQ(filter, "QuickTime Movie (*.mov;*.mp4)|*.mov;*.mp4");
    EXPECT_EQ(g_nPlugins, 1);
    EXPECT_EQ(g_bPluginFound, 1);
    EXPECT_TRUE(g_hPlugins[0]);
    EXPECT_EQ(((VfPluginInfo *)g_pluginInfo)->size, 528u);
    HMODULE loaded = g_hPlugins[0];
    EXPECT_FALSE(LoadOutsidePlugin(Scratch("nowhere/").c_str()));
    EXPECT_EQ(g_bPluginFound, 0);
    g_hPlugins[0] = loaded;
    g_nPlugins = 1;
    g_bPluginFound = 1;

    // 250 frames at 25 fps are 6,000 ticks of 1/600 s: at "nMovrate" 30
    // every 20th tick is shown, 300 frames of 33 ms.
    ASSERT_EQ(Open(m, movie), 0) << error;
    EXPECT_EQ(m.nPluginMode, 2);
    EXPECT_EQ(m.nStep, 20);
    EXPECT_EQ(m.nFrames, 300);
    EXPECT_EQ(m.nRate, 30u);
    EXPECT_EQ(m.nScale, 1u);
    EXPECT_EQ(m.nMsPerFrame, 33);
    EXPECT_FALSE(m.pAudio) << "no sound without the older-QuickTime mode";
    for (int i : {0, 1, 7, 150, 299}) {
        ASSERT_EQ(FetchMovieFrame(&m, i), 0) << i;
        int shown = i * 20 * 25 / 600;
        const BYTE *px = (const BYTE *)(m.pDecoded + 1);
        EXPECT_EQ(px[0], (BYTE)shown) << i;
        EXPECT_EQ(px[1], (BYTE)(255 - shown)) << i;
        EXPECT_EQ(px[2], (BYTE)(3 * shown)) << i;
    }
    CloseMovieSource(&m);

    // With "nOldQT" the plug-in's sound is read.
    g_bOldQT = 1;
    std::string mp4 = WriteRawMovie("clip.MP4", 16, 8, 50, 25, 1, 44100, 88200);
    ASSERT_EQ(Open(m, mp4), 0) << error;
    EXPECT_EQ(m.nPluginMode, 1);
    ASSERT_TRUE(m.pAudio);
    EXPECT_EQ(m.nAudioRate, 44100u);
    EXPECT_EQ(m.nAudioPerFrame, 44100 / 30);
    EXPECT_EQ(m.nAudioBytes, 0);
    std::vector<BYTE> buf(4 * 10);
    ASSERT_EQ(ReadPluginAudio(&m, buf.data(), 10, 1000), 0);
    EXPECT_EQ(buf[0] | buf[1] << 8, 1000);
    EXPECT_EQ((short)(buf[2] | buf[3] << 8), -1000);
    CloseMovieSource(&m);

    // A sound of 32 samples per second is not used.
    std::string odd = WriteRawMovie("odd.mov", 16, 8, 10, 25, 1, 32, 64);
    ASSERT_EQ(Open(m, odd), 0) << error;
    EXPECT_FALSE(m.pAudio);
    CloseMovieSource(&m);
    g_bOldQT = 0;
    FreeLibrary(g_hPlugins[0]);
    g_hPlugins[0] = nullptr;
    g_nPlugins = 0;
    g_bPluginFound = 0;
}

} // namespace
