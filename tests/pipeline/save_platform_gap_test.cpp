// The gaps of Wine's AVIFile that the savers work around (see
// shared/platform_compat.h): each shown as Wine has it, and the fallback
// giving what Windows gives.
#include "shared/platform_compat.h"

#include "pipeline/wave_image.h"
#include "shared/global_memory.h"
#include "tests/pipeline/save_fixture.h"

#include <stdlib.h>
#include <string.h>

namespace {

class AviWriteGapTest : public SaveTest {
protected:
    static PAVISTREAM Stream(PAVIFILE file, DWORD type)
    {
        PAVISTREAM s = nullptr;
        return AVIFileGetStream(file, &s, type, 0) == 0 ? s : nullptr;
    }
    static std::vector<BYTE> Sample(PAVISTREAM s, LONG pos)
    {
        LONG bytes = 0, samples = 0;
        std::vector<BYTE> data(1 << 16);
        if (AVIStreamRead(s, pos, 1, data.data(), (LONG)data.size(), &bytes, &samples) != 0)
            return {};
        data.resize((size_t)bytes);
        return data;
    }
};

// Reads a little-endian word of a file at pos.
DWORD Word32(const std::vector<unsigned char> &b, size_t pos)
{
    return b[pos] | b[pos + 1] << 8 | b[pos + 2] << 16 | (DWORD)b[pos + 3] << 24;
}

// 'avih' microseconds per frame and the sound 'strh' length of a file.
void HeaderFacts(const std::string &path, DWORD *microseconds, DWORD *soundLength)
{
    std::vector<unsigned char> b = ReadWholeFile(path);
    std::string text(b.begin(), b.end());
    size_t avih = text.find("avih");
    *microseconds = avih == std::string::npos ? 0 : Word32(b, avih + 8);
    *soundLength = 0;
    for (size_t strh = text.find("strh"); strh != std::string::npos; strh = text.find("strh", strh + 4))
        if (text.compare(strh + 8, 4, "auds") == 0)
            *soundLength = Word32(b, strh + 8 + 32);
}

}  // namespace

TEST_F(AviWriteGapTest, EditStreamCopyGivesAnotherRangeUnderWine)
{
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, SaveMedia("Lm.avi").c_str(), OF_SHARE_DENY_NONE, nullptr), 0);
    PAVISTREAM video = Stream(file, streamtypeVIDEO);
    ASSERT_NE(video, nullptr);
    if (IsRunningOnWine()) {
        // Wine answers with another range than the one asked for, and the
        // stream it hands back is not fit to be called (it crashes the
        // process): it is left alone.
        PAVISTREAM editable = nullptr, copy = nullptr;
        ASSERT_EQ(CreateEditableStream(&editable, video), 0);
        LONG start = 3, length = 5;
        HRESULT hr = EditStreamCopy(editable, &start, &length, &copy);
        EXPECT_TRUE(FAILED(hr) || start != 3 || length != 5)
            << "Wine's EditStreamCopy copies the range asked for now: the fallback can go";
        EXPECT_TRUE(EditStreamCopyUnusable());
    }
    PAVISTREAM editable = nullptr, copy = nullptr;
    ASSERT_EQ(CopyStreamRange(video, 3, 5, &editable, &copy), 0);
    EXPECT_EQ(AVIStreamStart(copy), 0);
    EXPECT_EQ(AVIStreamLength(copy), 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(Sample(copy, i), Sample(video, 3 + i)) << i;
    EXPECT_TRUE(Sample(copy, 5).empty());
    // Asked beyond the end, the range stops there.
    PAVISTREAM tail = nullptr, tailEdit = nullptr;
    ASSERT_EQ(CopyStreamRange(video, 10, 50, &tailEdit, &tail), 0);
    EXPECT_EQ(AVIStreamLength(tail), 2);
    AVIStreamRelease(tail);
    if (tailEdit)
        AVIStreamRelease(tailEdit);
    AVIStreamRelease(copy);
    if (editable)
        AVIStreamRelease(editable);
    AVIStreamRelease(video);
    AVIFileRelease(file);
}

TEST_F(AviWriteGapTest, WaveStreamFromMemory)
{
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 8000, 32000, 4, 16, 0};
    const DWORD samples = 800;
    BYTE *wave = (BYTE *)AllocGlobalBlock(WaveHeaderBytes(18) + samples * 4, 1);
    size_t header = WriteWaveHeader(wave, &format, 18, samples * 4);
    for (DWORD i = 0; i < samples * 4; i++)
        wave[header + i] = (BYTE)(i * 13);
    PAVISTREAM s = nullptr;
    if (IsRunningOnWine()) {
        EXPECT_NE(AVIMakeStreamFromClipboard(CF_WAVE, GlobalHandle(wave), &s), 0)
            << "Wine's AVIMakeStreamFromClipboard works now: the fallback can go";
        if (s)
            AVIStreamRelease(s);
        s = nullptr;
    }
    ASSERT_EQ(MakeWaveStream(wave, &s), 0);
    EXPECT_EQ(AVIStreamLength(s), (LONG)samples);
    std::vector<BYTE> read(samples * 4);
    LONG bytes = 0, got = 0;
    ASSERT_EQ(AVIStreamRead(s, 0, samples, read.data(), (LONG)read.size(), &bytes, &got), 0);
    EXPECT_EQ(got, (LONG)samples);
    EXPECT_EQ(memcmp(read.data(), wave + header, read.size()), 0);
    ReleaseWaveStream(s);
    FreeGlobalBlock(wave);
}

// A sound stream written block by block at its running position, and a
// stream added after the first frame: what Wine refuses, and the file the
// fallbacks give, with the header values Windows writes.
TEST_F(AviWriteGapTest, SoundWrittenInBlocksAndHeadersRepaired)
{
    std::string path = OutPath("gap_blocks.avi");
    DeleteFileA(path.c_str());
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_DENY_NONE, nullptr), 0);
    AVISTREAMINFOA vi = {};
    vi.fccType = streamtypeVIDEO;
    vi.dwScale = 1;
    vi.dwRate = 25;
    SetRect(&vi.rcFrame, 0, 0, 16, 16);
    PAVISTREAM video = nullptr, sound = nullptr, late = nullptr;
    ASSERT_EQ(AVIFileCreateStreamA(file, &video, &vi), 0);
    BITMAPINFOHEADER bi = {sizeof bi, 16, 16, 1, 24, BI_RGB, 16 * 16 * 3, 0, 0, 0, 0};
    ASSERT_EQ(AVIStreamSetFormat(video, 0, &bi, sizeof bi), 0);
    AVISTREAMINFOA ai = {};
    ai.fccType = streamtypeAUDIO;
    ai.dwScale = 4;
    ai.dwRate = 32000;
    ai.dwSampleSize = 4;
    ASSERT_EQ(AVIFileCreateStreamA(file, &sound, &ai), 0);
    WAVEFORMATEX wf = {WAVE_FORMAT_PCM, 2, 8000, 32000, 4, 16, 0};
    ASSERT_EQ(AVIStreamSetFormat(sound, 0, &wf, sizeof wf), 0);
    std::vector<BYTE> frame(16 * 16 * 3, 90), block(320 * 4, 7);
    for (int i = 0; i < 10; i++)
        ASSERT_EQ(AVIStreamWrite(video, i, 1, frame.data(), (LONG)frame.size(), AVIIF_KEYFRAME, nullptr, nullptr), 0);
    if (IsRunningOnWine()) {
        EXPECT_NE(AVIFileCreateStreamA(file, &late, &ai), 0) << "Wine adds streams after data now";
        if (late)
            AVIStreamRelease(late);
        EXPECT_TRUE(AviStreamsMustPrecedeData());
    }
    LONG samples = 0;
    ASSERT_EQ(WriteSoundBlocks(sound, 0, 320, block.data(), (LONG)block.size(), &samples, nullptr), 0);
    if (IsRunningOnWine()) {
        EXPECT_NE(AVIStreamWrite(sound, 320, 320, block.data(), (LONG)block.size(), AVIIF_KEYFRAME, nullptr, nullptr), 0)
            << "Wine writes positioned sound now";
    }
    for (LONG pos = 320; pos < 960; pos += 320)
        ASSERT_EQ(WriteSoundBlocks(sound, pos, 320, block.data(), (LONG)block.size(), &samples, nullptr), 0);
    AVIStreamRelease(sound);
    AVIStreamRelease(video);
    AVIFileRelease(file);

    DWORD microseconds = 0, soundLength = 0;
    HeaderFacts(path, &microseconds, &soundLength);
    if (IsRunningOnWine()) {
        EXPECT_EQ(microseconds, 25000000u) << "Wine's frame time";
        EXPECT_EQ(soundLength, 3u) << "Wine counts the writes";
    }
    ASSERT_TRUE(RepairAviHeaders(path.c_str()));
    HeaderFacts(path, &microseconds, &soundLength);
    EXPECT_EQ(microseconds, 40000u);
    EXPECT_EQ(soundLength, 960u);
    PAVISTREAM check = nullptr;
    ASSERT_EQ(AVIStreamOpenFromFileA(&check, path.c_str(), streamtypeAUDIO, 0, OF_READ | OF_SHARE_DENY_NONE, nullptr), 0);
    EXPECT_EQ(AVIStreamLength(check), 960);
    AVIStreamRelease(check);
}

namespace {

// The 'idx1' entries of a file: chunk id and offset, in the index's order.
std::vector<std::pair<std::string, DWORD>> IndexEntries(const std::string &path)
{
    std::vector<unsigned char> b = ReadWholeFile(path);
    std::string text(b.begin(), b.end());
    std::vector<std::pair<std::string, DWORD>> entries;
    size_t at = text.rfind("idx1");
    if (at == std::string::npos)
        return entries;
    DWORD bytes = Word32(b, at + 4);
    for (size_t e = at + 8; e + 16 <= at + 8 + bytes && e + 16 <= b.size(); e += 16)
        entries.push_back({text.substr(e, 4), Word32(b, e + 8)});
    return entries;
}

}  // namespace

// Sound first, then a frame of each of two video streams, twice: Wine
// indexes them stream by stream; OrderAviIndex lists them as written.
TEST_F(AviWriteGapTest, IndexInTheOrderOfWriting)
{
    std::string path = OutPath("gap_index.avi");
    DeleteFileA(path.c_str());
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_DENY_NONE, nullptr), 0);
    AVISTREAMINFOA vi = {};
    vi.fccType = streamtypeVIDEO;
    vi.dwScale = 1;
    vi.dwRate = 25;
    SetRect(&vi.rcFrame, 0, 0, 16, 16);
    AVISTREAMINFOA ai = {};
    ai.fccType = streamtypeAUDIO;
    ai.dwScale = 1;
    ai.dwRate = 8000;
    ai.dwSampleSize = 4;
    BITMAPINFOHEADER bi = {sizeof bi, 16, 16, 1, 24, BI_RGB, 16 * 16 * 3, 0, 0, 0, 0};
    WAVEFORMATEX wf = {WAVE_FORMAT_PCM, 2, 8000, 32000, 4, 16, 0};
    PAVISTREAM left = nullptr, sound = nullptr, right = nullptr;
    ASSERT_EQ(AVIFileCreateStreamA(file, &left, &vi), 0);
    ASSERT_EQ(AVIStreamSetFormat(left, 0, &bi, sizeof bi), 0);
    ASSERT_EQ(AVIFileCreateStreamA(file, &sound, &ai), 0);
    ASSERT_EQ(AVIStreamSetFormat(sound, 0, &wf, sizeof wf), 0);
    ASSERT_EQ(AVIFileCreateStreamA(file, &right, &vi), 0);
    ASSERT_EQ(AVIStreamSetFormat(right, 0, &bi, sizeof bi), 0);
    std::vector<BYTE> frame(16 * 16 * 3, 90), block(320 * 4, 7);
    for (int i = 0; i < 2; i++) {
        ASSERT_EQ(WriteSoundBlocks(sound, i * 320, 320, block.data(), (LONG)block.size(), nullptr, nullptr), 0);
        ASSERT_EQ(AVIStreamWrite(left, i, 1, frame.data(), (LONG)frame.size(), AVIIF_KEYFRAME, nullptr, nullptr), 0);
        ASSERT_EQ(AVIStreamWrite(right, i, 1, frame.data(), (LONG)frame.size(), AVIIF_KEYFRAME, nullptr, nullptr), 0);
    }
    AVIStreamRelease(left);
    AVIStreamRelease(sound);
    AVIStreamRelease(right);
    AVIFileRelease(file);

    auto entries = IndexEntries(path);
    ASSERT_EQ(entries.size(), 6u);
    std::string ids;
    for (auto &e : entries)
        ids += e.first.substr(0, 2);
    if (IsRunningOnWine())
        EXPECT_EQ(ids, "000001010202") << "Wine indexes in writing order now";
    ASSERT_TRUE(OrderAviIndex(path.c_str()));
    entries = IndexEntries(path);
    ASSERT_EQ(entries.size(), 6u);
    ids.clear();
    for (size_t i = 0; i < entries.size(); i++) {
        ids += entries[i].first.substr(0, 2);
        if (i)
            EXPECT_GT(entries[i].second, entries[i - 1].second);
    }
    EXPECT_EQ(ids, "010002010002");
}

// Times to sound samples: the whole-number rule, rounded down below 1,000
// samples a second and up from there, kept within the stream.
TEST(StreamTimeToSample, WholeNumberRule)
{
    struct Case {
        unsigned long rate, scale, start, length;
        long ms, sample;
    } cases[] = {
        {44100, 1, 0, 1000000, 400, 17640},     // exact: 17,640,000 / 1,000
        {44100, 1, 0, 1000000, 401, 17685},     // 17,684.1 up
        {48000, 1, 0, 1000000, 1001, 48048},
        {25, 1, 0, 1000, 79, 1},                // frames: 1.975 down
        {30000, 1001, 0, 1000, 1001, 30},
        {30000, 1001, 0, 1000, 1000, 29},       // 29.97 down
        {44100, 1, 0, 8820, 400, 8820},         // past the end: the end
        {44100, 1, 100, 8820, 0, 100},          // before the start: the start
        {44100, 1, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},  // no overflow
        {44100, 1, 0, 1000, -1, -1},
        {0, 1, 0, 1000, 40, -1},
        {44100, 0, 0, 1000, 40, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TimeToSampleOfRate(c.rate, c.scale, c.start, c.length, c.ms), c.sample)
            << c.rate << "/" << c.scale << " at " << c.ms << " ms";
}

// 64-bit Wine's AVIStreamTimeToSample counts in single-precision floats:
// 400 ms of 44,100 Hz sound is sample 17,641 there, 17,640 on Windows and
// in 32-bit Wine. The program's conversion gives the whole-number result
// on every platform, and the call's own result wherever that is right.
TEST_F(AviWriteGapTest, StreamTimeToSampleOfASoundStream)
{
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    const DWORD samples = 44100 * 3;
    BYTE *wave = (BYTE *)AllocGlobalBlock(WaveHeaderBytes(18) + samples * 4, 1);
    WriteWaveHeader(wave, &format, 18, samples * 4);
    PAVISTREAM s = nullptr;
    ASSERT_EQ(MakeWaveStream(wave, &s), 0);
    EXPECT_EQ(StreamTimeToSample(s, 400), 17640);
    EXPECT_EQ(StreamTimeToSample(s, 5000), (LONG)samples);
    LONG call = AVIStreamTimeToSample(s, 400);
    if (IsRunningOnWine() && sizeof(void *) == 8)
        EXPECT_EQ(call, 17641) << "64-bit Wine converts in whole numbers now: the fallback can go";
    else
        EXPECT_EQ(call, 17640);
    // Within the stream and past its end, the two differ by a rounding at
    // most.
    for (LONG ms = 0; ms <= 3100; ms++)
        EXPECT_LE(abs(StreamTimeToSample(s, ms) - AVIStreamTimeToSample(s, ms)), 1) << ms;
    ReleaseWaveStream(s);
    FreeGlobalBlock(wave);
}
