#include "pipeline/audio_prepare.h"

#include "pipeline/wave_image.h"
#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>
#include <vfw.h>

int g_nOutRate = 48000;

namespace {

void Title(int id, int value)
{
    char text[256];
    snprintf(text, sizeof text, LoadStr(id), value);
    SetWindowTextA(g_hwndMain, text);
}

WAVEFORMATEX Pcm(int channels, int rate, int bits)
{
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = (WORD)channels;
    f.nSamplesPerSec = (DWORD)rate;
    f.wBitsPerSample = (WORD)bits;
    f.nBlockAlign = (WORD)(channels * bits / 8);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

bool IsOutputFormat(const WAVEFORMATEX &f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && f.nChannels == 2 && f.wBitsPerSample == 16 &&
           f.nSamplesPerSec == (DWORD)g_nOutRate;
}

// The integer part of seconds x rate, 0 when negative.
LONG SamplesOf(double seconds, DWORD rate)
{
    double n = seconds * rate;
    return n > 0 && n < 0x7FFFFFFF ? (LONG)n : 0;
}

// The stream's bytes of length samples: the size query, or the block size
// times the length where the query gives nothing (Wine reports 0 bytes).
LONG StreamBytes(PAVISTREAM stream, LONG start, LONG length, WORD blockAlign)
{
    LONG bytes = 0, samples = 0;
    if (AVIStreamRead(stream, start, length, nullptr, 0, &bytes, &samples) != 0 || bytes <= 0)
        bytes = (LONG)((int64_t)blockAlign * length > 0x7FFFFFFF ? 0 : blockAlign * length);
    return bytes;
}

// A zero-filled WAVE image with room for dataBytes of sound; its samples
// begin at *samples.
BYTE *NewWaveImage(const void *format, DWORD formatBytes, DWORD dataBytes, BYTE **samples)
{
    size_t header = WaveHeaderBytes(formatBytes);
    if ((uint64_t)header + dataBytes > 0x7FFFFFFF)
        return nullptr;
    BYTE *wave = (BYTE *)AllocGlobalBlock(header + dataBytes, 1);
    if (!wave)
        return nullptr;
    WriteWaveHeader(wave, format, formatBytes, dataBytes);
    *samples = wave + header;
    return wave;
}

// Reads up to count samples of stream from its start into out (room for
// capacity bytes); returns the bytes read.
LONG ReadSamples(PAVISTREAM stream, LONG count, BYTE *out, LONG capacity, WORD blockAlign)
{
    LONG pos = AVIStreamStart(stream), end = pos + count, done = 0;
    while (pos < end && done < capacity) {
        LONG want = end - pos;
        if (want > 65536)
            want = 65536;
        if ((int64_t)want * blockAlign > capacity - done)
            want = (capacity - done) / blockAlign;
        if (want <= 0)
            break;
        LONG bytes = 0, samples = 0;
        if (AVIStreamRead(stream, pos, want, out + done, capacity - done, &bytes, &samples) != 0 || samples <= 0)
            break;
        done += bytes;
        pos += samples;
    }
    return done;
}

// The sound of a WAVE image converted by the audio compression manager
// into the PCM format to: take samples of it in a new zero-filled block of
// their bytes + tail bytes; *bytesRead gets the bytes read.
BYTE *ConvertWave(BYTE *wave, const WAVEFORMATEX &to, LONG take, DWORD tail, LONG *bytesRead)
{
    PAVISTREAM source = nullptr, converted = nullptr;
    if (MakeWaveStream(wave, &source) != 0)
        return nullptr;
    AVICOMPRESSOPTIONS options = {};
    options.fccType = streamtypeAUDIO;
    options.lpFormat = (LPVOID)&to;
    options.cbFormat = sizeof to;
    options.dwFlags = AVICOMPRESSF_VALID;
    BYTE *block = nullptr;
    if (AVIMakeCompressedStream(&converted, source, &options, nullptr) == 0) {
        uint64_t bytes = (uint64_t)take * to.nBlockAlign;
        if (bytes + tail <= 0x7FFFFFFF)
            block = (BYTE *)AllocGlobalBlock((size_t)(bytes + tail), 1);
        if (block)
            *bytesRead = ReadSamples(converted, take, block, (LONG)bytes, to.nBlockAlign);
        AVIStreamRelease(converted);
    }
    ReleaseWaveStream(source);
    return block;
}

// The two conversions shared by the AVIFile and raw PCM roads: to PCM of
// the source's channels and rate (16 bits, or 8 below 13), taking the
// sound less its last 0.1 second, then, unless that is already the output
// format, to 16-bit stereo at the output rate, less 0.2 second. The raw
// road shows its progress in percent, the AVIFile road in steps of 5.
BYTE *ConvertTwice(BYTE *wave, const WAVEFORMATEX &source, double seconds, bool rawRoad, int *size)
{
    WAVEFORMATEX first = Pcm(source.nChannels, (int)source.nSamplesPerSec, source.wBitsPerSample < 13 ? 8 : 16);
    LONG take = SamplesOf(seconds - 0.1, source.nSamplesPerSec);
    LONG bytes = 0;
    BYTE *block = nullptr;
    if (IsOutputFormat(first)) {
        if (!rawRoad)
            Title(IDS_AUDIO_PREP_STEP, 5);
        block = ConvertWave(wave, first, take, kAudioTailBytes, &bytes);
    } else {
        BYTE *pcm = ConvertWave(wave, first, take, 0, &bytes);
        if (!pcm)
            return nullptr;
        BYTE *samples = nullptr;
        BYTE *second = NewWaveImage(&first, sizeof first, (DWORD)bytes + kWaveSlackBytes, &samples);
        if (second)
            memcpy(samples, pcm, (size_t)bytes);
        FreeGlobalBlock(pcm);
        if (!second)
            return nullptr;
        if (rawRoad) {
            Title(IDS_AUDIO_PREP_PERCENT, 95);
        } else {
            Title(IDS_AUDIO_PREP_STEP, 4);
            Title(IDS_AUDIO_PREP_STEP, 5);
        }
        LONG take2 = SamplesOf(seconds - 0.2, (DWORD)g_nOutRate);
        block = ConvertWave(second, Pcm(2, g_nOutRate, 16), take2, kAudioTailBytes, &bytes);
        FreeGlobalBlock(second);
    }
    if (block)
        *size = bytes + kAudioTailBytes;
    return block;
}

}  // namespace

int WriteFfmpegBatch(const char *batchPath, const char *wavePath, const char *moviePath, const char *ffmpegPath)
{
    FILE *f = fopen(batchPath, "wt");
    if (!f)
        return 1;
    fprintf(f, "\"%s\" -y -i \"%s\" -ac 2 -ar %d -acodec pcm_s16le \"%s\"\n", ffmpegPath, moviePath, g_nOutRate,
            wavePath);
    return fclose(f) == 0 ? 0 : 1;
}

BYTE *PrepareAudioWithFfmpeg(const char *moviePath, const char *ffmpegPath, int *size)
{
    SetWindowTextA(g_hwndMain, LoadStr(IDS_AUDIO_PREP_FFMPEG));
    char folder[MAX_PATH], batch[MAX_PATH + 16], wave[MAX_PATH + 16];
    if (!GetTempPathA(MAX_PATH, folder))
        return nullptr;
    snprintf(batch, sizeof batch, "%sstffmpg.bat", folder);
    snprintf(wave, sizeof wave, "%soutffmpg.wav", folder);
    // A file left by an earlier run is never taken for this movie's sound.
    DeleteFileA(wave);
    WriteFfmpegBatch(batch, wave, moviePath, ffmpegPath);

    char command[MAX_PATH + 20];
    snprintf(command, sizeof command, "\"%s\"", batch);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        int waits = 0;
        while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT)
            Title(IDS_AUDIO_PREP_FFMPEG_WAIT, ++waits);
        CloseHandle(pi.hProcess);
    }

    BYTE *block = nullptr;
    HFILE file = _lopen(wave, OF_READ | OF_SHARE_DENY_WRITE);
    if (file != HFILE_ERROR) {
        DWORD fileSize = GetFileSize((HANDLE)(INT_PTR)file, nullptr);
        if (fileSize != INVALID_FILE_SIZE && fileSize <= 0x7FFFFFFF - kAudioTailBytes)
            block = (BYTE *)AllocGlobalBlock((size_t)fileSize + kAudioTailBytes, 1);
        DWORD done = 0;
        while (block && done < fileSize) {
            UINT piece = fileSize - done > 32768 ? 32768 : (UINT)(fileSize - done);
            if (_lread(file, block + done, piece) != piece) {
                FreeGlobalBlock(block);
                block = nullptr;
            }
            done += piece;
        }
        _lclose(file);
        // ffmpeg puts further chunks (LIST) before the samples: they are
        // found where the chunks say, and only 16-bit stereo at the output
        // rate is taken.
        WaveLayout layout;
        if (block && (!FindWaveData(block, fileSize, &layout) || layout.formatTag != WAVE_FORMAT_PCM ||
                      layout.channels != 2 || layout.bitsPerSample != 16 ||
                      layout.samplesPerSec != (DWORD)g_nOutRate)) {
            FreeGlobalBlock(block);
            block = nullptr;
        }
        if (block) {
            memmove(block, block + layout.dataOffset, layout.dataBytes);
            memset(block + layout.dataBytes, 0, fileSize - layout.dataBytes);
            *size = (int)layout.dataBytes + kAudioTailBytes;
        }
    }
    DeleteFileA(batch);
    DeleteFileA(wave);
    return block;
}

BYTE *PrepareAudioFromAviStream(IAVIStream *stream, int *size)
{
    Title(IDS_AUDIO_PREP_STEP, 1);
    AVISTREAMINFOA info;
    if (AVIStreamInfoA(stream, &info, sizeof info) != 0 || info.dwRate == 0)
        return nullptr;
    double seconds = (double)info.dwScale * info.dwLength / info.dwRate;
    LONG start = AVIStreamStart(stream), length = AVIStreamLength(stream);
    LONG formatBytes = 0;
    if (AVIStreamReadFormat(stream, start, nullptr, &formatBytes) != 0 || formatBytes < 16 || formatBytes > 0x10000)
        return nullptr;
    BYTE *format = (BYTE *)AllocGlobalBlock((size_t)formatBytes, 1);
    if (!format)
        return nullptr;
    WAVEFORMATEX source = {};
    if (AVIStreamReadFormat(stream, start, format, &formatBytes) != 0 || length < 0) {
        FreeGlobalBlock(format);
        return nullptr;
    }
    memcpy(&source, format, (size_t)(formatBytes < (LONG)sizeof source ? formatBytes : (LONG)sizeof source));
    if (formatBytes < (LONG)sizeof source)
        source.cbSize = 0;
    BYTE *block = nullptr;
    LONG bytes = StreamBytes(stream, start, length, source.nBlockAlign);
    if (IsOutputFormat(source)) {
        // Already what the file needs: copied as it is, nothing trimmed.
        FreeGlobalBlock(format);
        block = (BYTE *)AllocGlobalBlock((size_t)bytes + kAudioTailBytes, 1);
        if (!block)
            return nullptr;
        LONG got = 0, samples = 0;
        AVIStreamRead(stream, start, length, block, bytes, &got, &samples);
        *size = bytes + kAudioTailBytes;
        return block;
    }
    if (source.nChannels == 0 || source.nSamplesPerSec == 0) {
        FreeGlobalBlock(format);
        return nullptr;
    }
    Title(IDS_AUDIO_PREP_STEP, 2);
    BYTE *samples = nullptr;
    BYTE *wave = NewWaveImage(format, (DWORD)formatBytes, (DWORD)bytes + kWaveSlackBytes, &samples);
    FreeGlobalBlock(format);
    if (!wave)
        return nullptr;
    LONG got = 0, read = 0;
    AVIStreamRead(stream, start, length, samples, bytes, &got, &read);
    Title(IDS_AUDIO_PREP_STEP, 3);
    block = ConvertTwice(wave, source, seconds, false, size);
    FreeGlobalBlock(wave);
    return block;
}

BYTE *ConvertPcmForSave(const MovieSource *m, const BYTE *raw, int *size)
{
    Title(IDS_AUDIO_PREP_PERCENT, 80);
    if (m->nChannels <= 0 || m->nAudioScale == 0 || m->nBlockAlign <= 0 || *size < 0)
        return nullptr;
    int rate = (int)(m->nAudioRate / m->nAudioScale);
    int bits = m->nBlockAlign * 8 / m->nChannels;
    WAVEFORMATEX source = Pcm(m->nChannels, rate, bits);
    if (rate <= 0 || source.nBlockAlign == 0)
        return nullptr;
    double seconds = (double)*size / ((double)source.nBlockAlign * rate);
    BYTE *samples = nullptr;
    if ((int64_t)*size + kWaveSlackBytes > 0x7FFFFFFF)
        return nullptr;
    BYTE *wave = NewWaveImage(&source, sizeof source, (DWORD)*size + kWaveSlackBytes, &samples);
    if (!wave)
        return nullptr;
    memcpy(samples, raw, (size_t)*size);
    Title(IDS_AUDIO_PREP_PERCENT, 85);
    BYTE *block = ConvertTwice(wave, source, seconds, true, size);
    FreeGlobalBlock(wave);
    return block;
}
