// Which sound samples belong to which frame, for movies of every kind.
#include "sources/plugin_audio.h"

#include <gtest/gtest.h>

#include <stdint.h>

namespace {

MovieSource Timing(unsigned audioRate, unsigned audioScale, unsigned rate, unsigned scale)
{
    MovieSource m = {};
    m.nAudioRate = audioRate;
    m.nAudioScale = audioScale;
    m.nRate = rate;
    m.nScale = scale;
    return m;
}

// The rule with its products in 32 bits, where they do not overflow.
int Reference32(const MovieSource &m, int n)
{
    uint32_t top = m.nAudioRate * m.nScale * (uint32_t)n, bottom = m.nAudioScale * m.nRate;
    return (int)((double)top / (double)bottom);
}

TEST(AudioFrames, SamplesOfFrames)
{
    // 48 kHz sound, 30 frames per second: 1,600 samples a frame.
    MovieSource m = Timing(48000, 1, 30, 1);
    for (int n : {0, 1, 2, 1000, 1000000})
        EXPECT_EQ(AudioSampleAtFrame(&m, n), 1600 * n);
    for (int n : {0, 1, 77, 500000})
        EXPECT_EQ(AudioSamplesInFrame(&m, n), 1600);
    // NTSC rates: the frames' sample counts add up to the next frame's start.
    MovieSource ntsc = Timing(44100, 1, 30000, 1001);
    int sum = 0;
    for (int n = 0; n < 3000; n++) {
        EXPECT_EQ(AudioSampleAtFrame(&ntsc, n), sum) << n;
        sum += AudioSamplesInFrame(&ntsc, n);
    }
    // Wherever the 32-bit products fit, the same results.
    const MovieSource cases[] = {Timing(44100, 1, 30000, 1001), Timing(48000, 1, 25, 1), Timing(32000, 1, 24000, 1001),
                                 Timing(22050, 1, 15, 1)};
    for (const MovieSource &c : cases)
        for (int n = 0; n < 40000; n += 37) {
            uint64_t product = (uint64_t)c.nAudioRate * c.nScale * (uint64_t)n;
            if (product > UINT32_MAX)
                break;
            EXPECT_EQ(AudioSampleAtFrame(&c, n), Reference32(c, n)) << c.nAudioRate << " " << n;
        }
}

// Time bases whose products pass 32 bits: frame 100,000 of a 29.97 fps
// movie with 48 kHz sound starts at sample 160,160,000, not at what the
// wrapped product would give.
TEST(AudioFrames, LargeTimeBases)
{
    MovieSource m = Timing(48000, 1, 30000, 1001);
    EXPECT_EQ(AudioSampleAtFrame(&m, 100000), 160160000);
    EXPECT_NE(AudioSampleAtFrame(&m, 100000), Reference32(m, 100000));
    int total = 0;
    for (int n = 100000; n < 100030; n++)
        total += AudioSamplesInFrame(&m, n);
    EXPECT_EQ(total, AudioSampleAtFrame(&m, 100030) - AudioSampleAtFrame(&m, 100000));
    // A plug-in's own time units: 600 ticks a second, sound at 96 kHz.
    MovieSource q = Timing(96000, 1, 30, 20);
    EXPECT_EQ(AudioSampleAtFrame(&q, 30000), (int)(96000LL * 20 * 30000 / 30));
    MovieSource none = Timing(48000, 0, 0, 1);
    EXPECT_EQ(AudioSampleAtFrame(&none, 10), 0);
    EXPECT_EQ(AudioSamplesInFrame(&none, 10), 0);
}

} // namespace
