// A stand-in for the outside movie plug-in "QTReader.vfp": a plug-in
// module with the two exports of the interface, reading movies of a simple
// raw format the tests write (".mov" or ".mp4" by name), and answering in
// the time units of a QuickTime movie: frame numbers are ticks of 1/600 s,
// so the consumer reads every nStep-th "frame" to show nMovrate frames per
// second.
//
// The file: "TWRMOV01", then seven little-endian 32-bit values (width,
// height, frames, frames-per-second numerator and denominator, sound
// samples per second, sound samples), then each frame as top-down BGR rows
// of width x 3 bytes, then the sound as 16-bit stereo sample pairs.
#include "mpeg/vfapi.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

const DWORD kTimeScale = 600;

struct Movie {
    DWORD width, height, frames, fpsNum, fpsDen, audioRate, audioSamples;
    std::vector<BYTE> pictures;
    std::vector<BYTE> sound;
};

DWORD Get32(const BYTE *p) { return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24; }

Movie *Load(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return nullptr;
    BYTE head[36];
    Movie *m = nullptr;
    if (fread(head, 1, sizeof head, f) == sizeof head && memcmp(head, "TWRMOV01", 8) == 0) {
        m = new Movie;
        m->width = Get32(head + 8);
        m->height = Get32(head + 12);
        m->frames = Get32(head + 16);
        m->fpsNum = Get32(head + 20);
        m->fpsDen = Get32(head + 24);
        m->audioRate = Get32(head + 28);
        m->audioSamples = Get32(head + 32);
        unsigned long long picture = 3ULL * m->width * m->height;
        unsigned long long bytes = picture * m->frames;
        bool sane = m->width && m->height && m->width <= 4096 && m->height <= 4096 && m->frames <= 100000 &&
                    m->fpsNum && m->fpsDen && bytes <= (1ULL << 28) && m->audioSamples <= (1u << 26);
        if (sane) {
            m->pictures.resize((size_t)bytes);
            m->sound.resize((size_t)m->audioSamples * 4);
            sane = fread(m->pictures.data(), 1, m->pictures.size(), f) == m->pictures.size() &&
                   fread(m->sound.data(), 1, m->sound.size(), f) == m->sound.size();
        }
        if (!sane) {
            delete m;
            m = nullptr;
        }
    }
    fclose(f);
    return m;
}

HRESULT WINAPI OpenFile(const char *path, VfFileHandle *file)
{
    if (!file)
        return E_FAIL;
    *file = path ? Load(path) : nullptr;
    return *file ? 0 : E_FAIL;
}

HRESULT WINAPI CloseFile(VfFileHandle file)
{
    delete (Movie *)file;
    return 0;
}

HRESULT WINAPI GetFileInfo(VfFileHandle file, VfFileInfo *info)
{
    Movie *m = (Movie *)file;
    if (!m || !info || info->size != kVfFileInfoSize)
        return E_FAIL;
    info->streamFlags = kVfVideo | (m->audioSamples ? kVfAudio : 0);
    return 0;
}

// Ticks of the whole movie, and the frame shown at a tick.
unsigned long long Ticks(const Movie *m) { return (unsigned long long)m->frames * kTimeScale * m->fpsDen / m->fpsNum; }
unsigned long long FrameAt(const Movie *m, unsigned long long tick)
{
    return tick * m->fpsNum / ((unsigned long long)kTimeScale * m->fpsDen);
}

HRESULT WINAPI GetStreamInfo(VfFileHandle file, DWORD stream, void *info)
{
    Movie *m = (Movie *)file;
    if (!m || !info)
        return E_FAIL;
    if (stream == kVfVideo) {
        VfVideoStreamInfo *v = (VfVideoStreamInfo *)info;
        if (v->size != kVfVideoStreamInfoSize)
            return E_FAIL;
        VfSplit((long long)Ticks(m), &v->framesLo, &v->framesHi);
        v->rate = kTimeScale;
        v->scale = 1;
        v->width = m->width;
        v->height = m->height;
        v->bitCount = 24;
        return 0;
    }
    if (stream == kVfAudio && m->audioSamples) {
        VfAudioStreamInfo *a = (VfAudioStreamInfo *)info;
        if (a->size != kVfAudioStreamInfoSize)
            return E_FAIL;
        VfSplit(m->audioSamples, &a->samplesLo, &a->samplesHi);
        a->rate = m->audioRate;
        a->scale = 1;
        a->channels = 2;
        a->bitsPerSample = 16;
        a->blockAlign = 4;
        return 0;
    }
    return E_FAIL;
}

HRESULT WINAPI ReadData(VfFileHandle file, DWORD stream, void *request)
{
    Movie *m = (Movie *)file;
    if (!m || !request)
        return E_FAIL;
    if (stream == kVfVideo) {
        VfVideoReadRequest *r = (VfVideoReadRequest *)request;
        if (r->size != kVfVideoReadRequestSize || !r->buffer)
            return E_FAIL;
        long long tick = VfJoin(r->frameLo, r->frameHi);
        if (tick < 0 || (unsigned long long)tick >= Ticks(m))
            return E_FAIL;
        unsigned long long frame = FrameAt(m, (unsigned long long)tick);
        if (frame >= m->frames)
            return E_FAIL;
        size_t row = (size_t)m->width * 3;
        const BYTE *src = m->pictures.data() + (size_t)frame * row * m->height;
        for (DWORD y = 0; y < m->height; y++)
            memcpy(r->buffer + (long long)y * r->pitch, src + y * row, row);
        return 0;
    }
    if (stream == kVfAudio && m->audioSamples) {
        VfAudioReadRequest *r = (VfAudioReadRequest *)request;
        if (r->size != kVfAudioReadRequestSize || !r->buffer)
            return E_FAIL;
        long long first = VfJoin(r->positionLo, r->positionHi);
        if (first < 0 || first >= (long long)m->audioSamples || r->wanted == 0)
            return E_FAIL;
        DWORD n = r->wanted;
        if (n > m->audioSamples - first)
            n = (DWORD)(m->audioSamples - first);
        memcpy(r->buffer, m->sound.data() + first * 4, (size_t)n * 4);
        r->read = n;
        return 0;
    }
    return E_FAIL;
}

} // namespace

extern "C" HRESULT WINAPI vfGetPluginInfo(VfPluginInfo *info)
{
    if (!info || info->size != kVfPluginInfoSize)
        return E_FAIL;
    info->interfaceVersion = 1;
    info->pluginVersion = 1;
    info->streamKinds = kVfVideo | kVfAudio;
    memset(info->name, 0, sizeof info->name);
    memset(info->fileTypes, 0, sizeof info->fileTypes);
    strcpy(info->name, "TwinReel test movie reader");
    strcpy(info->fileTypes, "QuickTime Movie (*.mov;*.mp4)|*.mov;*.mp4");
    return 0;
}

extern "C" HRESULT WINAPI vfGetPluginFunc(VfPluginFunctions *funcs)
{
    if (!funcs || funcs->size != kVfPluginFunctionsSize)
        return E_FAIL;
    funcs->openFile = OpenFile;
    funcs->closeFile = CloseFile;
    funcs->getFileInfo = GetFileInfo;
    funcs->getStreamInfo = GetStreamInfo;
    funcs->readData = ReadData;
    return 0;
}
