// The header checks that keep damaged AVI files away from AVIFile and from
// the own reader, on headers built in memory.
#include "sources/avi_headers.h"

#include "riff_builder.h"

#include <gtest/gtest.h>

namespace {

Bytes MainHeader(uint32_t streams)
{
    Bytes avih(56, 0);
    avih[24] = (uint8_t)streams;
    avih[25] = (uint8_t)(streams >> 8);
    avih[26] = (uint8_t)(streams >> 16);
    avih[27] = (uint8_t)(streams >> 24);
    return Chunk("avih", avih);
}

Bytes SoundList(const Bytes &format)
{
    Bytes strh;
    PutId(strh, "auds");
    strh.resize(56, 0);
    return List("LIST", "strl", Cat({Chunk("strh", strh), Chunk("strf", format)}));
}

Bytes WaveFormat(uint32_t samplesPerSec)
{
    Bytes f;
    Put16(f, 1);  // PCM
    Put16(f, 2);
    Put32(f, samplesPerSec);
    Put32(f, samplesPerSec * 4);
    Put16(f, 4);
    Put16(f, 16);
    return f;
}

AviHeaderFault Check(const Bytes &hdrlBody, AviHeaders *headers)
{
    Bytes file = List("RIFF", "AVI ", Cat({List("LIST", "hdrl", hdrlBody), List("LIST", "movi", Bytes())}));
    AviMemory mem{file.data(), file.size()};
    EXPECT_TRUE(ReadAviHeaders(AviMemorySource(&mem), headers));
    return CheckAviHeaders(*headers);
}

Bytes Bitmap(uint32_t headerSize, uint16_t bits, uint32_t compression, uint32_t colours, size_t paletteBytes)
{
    Bytes f;
    Put32(f, headerSize);
    Put32(f, 64);
    Put32(f, 48);
    Put16(f, 1);
    Put16(f, bits);
    Put32(f, compression);
    Put32(f, 0);
    Put32(f, 0);
    Put32(f, 0);
    Put32(f, colours);
    Put32(f, 0);
    f.resize(f.size() + paletteBytes, 0x55);
    return f;
}

}  // namespace

TEST(AviHeaderCheck, StreamCountsAndSoundRates)
{
    struct Case {
        const char *what;
        uint32_t declared;
        bool withSound;
        Bytes soundFormat;
        AviHeaderFault fault;
    } cases[] = {
        {"video and sound, counted", 2, true, WaveFormat(44100), kAviHeadersFit},
        {"video alone", 1, false, Bytes(), kAviHeadersFit},
        {"more counted than listed", 3, true, WaveFormat(44100), kAviStreamCountWrong},
        {"no stream counted", 0, true, WaveFormat(44100), kAviStreamCountWrong},
        {"no stream counted, video alone", 0, false, Bytes(), kAviStreamCountWrong},
        {"fewer counted than listed", 1, true, WaveFormat(44100), kAviStreamCountWrong},
        {"sound of 0 samples a second", 2, true, WaveFormat(0), kAviSoundWithoutRate},
        {"sound format too short for a rate", 2, true, Bytes(6, 1), kAviSoundWithoutRate},
        {"sound without a format", 2, true, Bytes(), kAviSoundWithoutRate},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes body = Cat({MainHeader(c.declared), StreamList("vids")});
        if (c.withSound)
            body = Cat({body, SoundList(c.soundFormat)});
        AviHeaders headers;
        EXPECT_EQ(Check(body, &headers), c.fault);
        EXPECT_EQ(headers.declaredStreams, c.declared);
        EXPECT_EQ(headers.streamLists, c.withSound ? 2u : 1u);
    }
}

TEST(AviHeaderCheck, UncompressedFormats)
{
    const uint32_t kRgb = 0, kMjpg = 0x47504A4D;
    struct Case {
        const char *what;
        Bytes format;
        bool usable;
    } cases[] = {
        {"24 bits", Bitmap(40, 24, kRgb, 0, 0), true},
        {"32 bits", Bitmap(40, 32, kRgb, 0, 0), true},
        {"16 bits", Bitmap(40, 16, kRgb, 0, 0), true},
        {"8 bits, full palette", Bitmap(40, 8, kRgb, 0, 1024), true},
        {"8 bits, 16 colours", Bitmap(40, 8, kRgb, 16, 64), true},
        {"1 bit, 2 colours", Bitmap(40, 1, kRgb, 0, 8), true},
        {"compressed: its decoder's to judge", Bitmap(40, 0, kMjpg, 0, 0), true},
        {"0 bits", Bitmap(40, 0, kRgb, 0, 0), false},
        {"7 bits", Bitmap(40, 7, kRgb, 0, 0), false},
        {"8 bits without a palette", Bitmap(40, 8, kRgb, 0, 0), false},
        {"8 bits, palette short by one colour", Bitmap(40, 8, kRgb, 0, 1020), false},
        {"8 bits, a million colours", Bitmap(40, 8, kRgb, 1000000, 1024), false},
        {"8 bits, 257 colours", Bitmap(40, 8, kRgb, 257, 1028), false},
        {"header size past the format", Bitmap(4000, 8, kRgb, 0, 1024), false},
        {"shorter than a header", Bytes(39, 0), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UncompressedFormatUsable(c.format.data(), c.format.size()), c.usable);
    }
}
