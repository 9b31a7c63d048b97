// The three roads of the audio preparation: ffmpeg (the stand-in beside
// this program hands the work to the machine's ffmpeg), an AVIFile sound
// stream and raw PCM through the audio compression manager.
#include "pipeline/audio_prepare.h"

#include "pipeline/wave_image.h"
#include "shared/global_memory.h"
#include "state/app_state.h"
#include "tests/pipeline/save_fixture.h"

#include <math.h>
#include <string.h>

namespace {

struct Block {
    BYTE *p = nullptr;
    int size = 0;
    ~Block() { FreeGlobalBlock(p); }
    std::vector<unsigned char> Bytes(size_t n) const { return std::vector<unsigned char>(p, p + n); }
};

class AudioPrepareTest : public SaveTest {
protected:
    void SetUp() override
    {
        SaveTest::SetUp();
        g_nOutRate = 48000;
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        *strrchr(self, '\\') = '\0';
        snprintf(g_szFfmpegPath, sizeof g_szFfmpegPath, "%s\\ffmpeg.exe", self);
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        temp = folder;
    }
    std::string temp;

    static PAVISTREAM SoundOf(const std::string &name)
    {
        PAVISTREAM s = nullptr;
        if (AVIStreamOpenFromFileA(&s, SaveMedia(name).c_str(), streamtypeAUDIO, 0, OF_READ | OF_SHARE_DENY_NONE,
                                   nullptr) != 0)
            return nullptr;
        return s;
    }
};

// Root mean square of a - b over the first n 16-bit samples, and of a.
double Rms(const std::vector<short> &a, const std::vector<short> *b, size_t n, size_t channel)
{
    double sum = 0;
    size_t count = 0;
    for (size_t i = channel; i < n && i < a.size(); i += 2, count++) {
        double d = a[i] - (b ? (*b)[i] : 0);
        sum += d * d;
    }
    return count ? sqrt(sum / count) : 0;
}

}  // namespace

TEST_F(AudioPrepareTest, BatchLineCarriesTheExactCommand)
{
    std::string batch = OutPath("st.bat");
    struct Case {
        int rate;
        const char *wave, *movie, *ffmpeg, *line;
    } cases[] = {
        {48000, "C:\\t\\outffmpg.wav", "D:\\my movies\\a.avi", "C:\\Program Files\\tr\\ffmpeg.exe",
         "\"C:\\Program Files\\tr\\ffmpeg.exe\" -y -i \"D:\\my movies\\a.avi\" -ac 2 -ar 48000 -acodec pcm_s16le "
         "\"C:\\t\\outffmpg.wav\"\r\n"},
        {44100, "o.wav", "m.mpg", "f.exe", "\"f.exe\" -y -i \"m.mpg\" -ac 2 -ar 44100 -acodec pcm_s16le \"o.wav\"\r\n"},
    };
    for (const Case &c : cases) {
        g_nOutRate = c.rate;
        ASSERT_EQ(WriteFfmpegBatch(batch.c_str(), c.wave, c.movie, c.ffmpeg), 0);
        std::vector<unsigned char> got = ReadWholeFile(batch);
        EXPECT_EQ(std::string(got.begin(), got.end()), c.line);
    }
    EXPECT_EQ(WriteFfmpegBatch(OutPath("missing/st.bat").c_str(), "o", "m", "f"), 1);
}

// ffmpeg's WAVE header is 78 bytes (a LIST chunk before the samples):
// taking the samples from byte 44 would start them 34 bytes early, half a
// block off, swapping the channels with a click at the start.
TEST_F(AudioPrepareTest, FfmpegRoadTakesTheSamplesWhereTheChunksPutThem)
{
    std::vector<unsigned char> wav = ReadWholeFile(SaveMedia("snd44_48k.wav"));
    WaveLayout layout;
    ASSERT_TRUE(FindWaveData(wav.data(), wav.size(), &layout));
    ASSERT_EQ(layout.dataOffset, 78u) << "the premise: ffmpeg's header carries a LIST chunk";

    std::vector<unsigned char> expected = ReadWholeFile(SaveMedia("snd44_48k.s16"));
    Block b;
    b.p = PrepareAudioWithFfmpeg(SaveMedia("snd44.avi").c_str(), g_szFfmpegPath, &b.size);
    ASSERT_NE(b.p, nullptr);
    EXPECT_EQ(b.size, (int)expected.size() + kAudioTailBytes);
    EXPECT_TRUE(b.Bytes(expected.size()) == expected);
    for (int i = (int)expected.size(); i < b.size; i++)
        ASSERT_EQ(b.p[i], 0) << i;
    // The wait showed its counter; the work files are gone.
    std::string title = WindowTitle(g_hwndMain);
    EXPECT_EQ(title.rfind("Preparing the Audio data with ffmpeg.exe (", 0), 0u) << title;
    EXPECT_FALSE(FileExists(temp + "stffmpg.bat"));
    EXPECT_FALSE(FileExists(temp + "outffmpg.wav"));
}

TEST_F(AudioPrepareTest, FfmpegRoadWithoutOutputGivesNull)
{
    // A file left by an earlier run is not taken for this movie's sound.
    ASSERT_TRUE(WriteWholeFile(temp + "outffmpg.wav", ReadWholeFile(SaveMedia("snd44_48k.wav"))));
    Block b;
    b.p = PrepareAudioWithFfmpeg(SaveMedia("no-such-movie.avi").c_str(), g_szFfmpegPath, &b.size);
    EXPECT_EQ(b.p, nullptr);
    EXPECT_FALSE(FileExists(temp + "stffmpg.bat"));
    EXPECT_FALSE(FileExists(temp + "outffmpg.wav"));
    // No ffmpeg at all.
    b.p = PrepareAudioWithFfmpeg(SaveMedia("snd44.avi").c_str(), OutPath("none\\ffmpeg.exe").c_str(), &b.size);
    EXPECT_EQ(b.p, nullptr);
}

TEST_F(AudioPrepareTest, AviRoadCopiesOutputFormatUnchanged)
{
    PAVISTREAM s = SoundOf("snd48.avi");
    ASSERT_NE(s, nullptr);
    Block b;
    b.p = PrepareAudioFromAviStream(s, &b.size);
    AVIStreamRelease(s);
    ASSERT_NE(b.p, nullptr);
    std::vector<unsigned char> expected = ReadWholeFile(SaveMedia("snd48.s16"));
    EXPECT_EQ(b.size, (int)expected.size() + kAudioTailBytes);
    EXPECT_TRUE(b.Bytes(expected.size()) == expected);
}

// Other sound goes through two conversions and loses its last 0.2
// second: one second of it gives 0.8 second at 48 kHz. The converter is
// the system's, so its samples are compared with ffmpeg's resampling of
// the same sound by their difference, channel by channel.
TEST_F(AudioPrepareTest, AviRoadConvertsOtherSound)
{
    std::vector<short> reference = Samples16(ReadWholeFile(SaveMedia("snd44_48k.s16")));
    struct Case {
        const char *name;
        bool stereo;
    } cases[] = {{"snd44.avi", true}, {"snd22m8.avi", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PAVISTREAM s = SoundOf(c.name);
        ASSERT_NE(s, nullptr);
        Block b;
        b.p = PrepareAudioFromAviStream(s, &b.size);
        AVIStreamRelease(s);
        ASSERT_NE(b.p, nullptr);
        EXPECT_EQ(b.size, 38400 * 4 + kAudioTailBytes);
        EXPECT_EQ(WindowTitle(g_hwndMain), "Preparing the Audio data (5/5)");
        std::vector<short> got = Samples16(b.Bytes(38400 * 4));
        if (c.stereo) {
            for (size_t ch = 0; ch < 2; ch++) {
                double signal = Rms(reference, nullptr, got.size(), ch);
                EXPECT_LT(Rms(got, &reference, got.size(), ch), 0.05 * signal) << "channel " << ch;
            }
        } else {
            // One channel heard on both sides; 440 Hz still: 352 rising zero
            // crossings in 0.8 second.
            int crossings = 0;
            for (size_t i = 2; i < got.size(); i += 2) {
                ASSERT_EQ(got[i], got[i + 1]);
                crossings += got[i - 2] < 0 && got[i] >= 0;
            }
            EXPECT_NEAR(crossings, 352, 2);
        }
    }
}

// Raw PCM in the record's format takes the same conversions as the AVIFile
// road: the same samples come out.
TEST_F(AudioPrepareTest, RawPcmRoadMatchesTheAviRoad)
{
    PAVISTREAM s = SoundOf("snd44.avi");
    ASSERT_NE(s, nullptr);
    LONG length = AVIStreamLength(s);
    std::vector<BYTE> raw((size_t)length * 4);
    LONG bytes = 0, samples = 0;
    ASSERT_EQ(AVIStreamRead(s, 0, length, raw.data(), (LONG)raw.size(), &bytes, &samples), 0);
    Block viaAvi;
    viaAvi.p = PrepareAudioFromAviStream(s, &viaAvi.size);
    AVIStreamRelease(s);
    ASSERT_NE(viaAvi.p, nullptr);

    MovieSource m;
    InitMovieSource(&m);
    m.nChannels = 2;
    m.nBlockAlign = 4;
    m.nAudioRate = 44100;
    m.nAudioScale = 1;
    Block viaPcm;
    viaPcm.size = bytes;
    viaPcm.p = ConvertPcmForSave(&m, raw.data(), &viaPcm.size);
    ASSERT_NE(viaPcm.p, nullptr);
    EXPECT_EQ(WindowTitle(g_hwndMain), "Preparing the Audio data (95 %)");
    EXPECT_EQ(viaPcm.size, viaAvi.size);
    EXPECT_EQ(memcmp(viaPcm.p, viaAvi.p, (size_t)viaAvi.size), 0);

    m.nChannels = 0;
    int size = bytes;
    EXPECT_EQ(ConvertPcmForSave(&m, raw.data(), &size), nullptr);
}
