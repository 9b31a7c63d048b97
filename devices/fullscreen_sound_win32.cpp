#include "devices/fullscreen_sound.h"

#include "pipeline/sound_chunks.h"
#include "pipeline/streamed_sound.h"
#include "pipeline/wave_image.h"
#include "shared/global_memory.h"
#include "sources/plugin_audio.h"
#include "sources/plugin_source.h"
#include "state/app_state.h"

#include <mmsystem.h>
#include <vfw.h>

#include <vector>

void (*g_pfnFullScreenSoundHook)(const unsigned char *image, size_t bytes) = nullptr;

struct FullScreenSound {
    MovieSource *m = nullptr;
    MovieSource *partner = nullptr;  // kind 2: gives the right channel, when set
    BYTE *image = nullptr;
    size_t imageBytes = 0;
    StreamedSound s = {};
    int start = 0;       // the record's frame at the loop's start
    int limit = 0;       // frames after start that may be loaded
    int pairFrame = 0;   // the pair's frame at the loop's start (the partner's frames)
    int loaded = 0;      // kind 2: frames written since the start
    SoundChunkCursor at = {0, 0};  // kind 1: the next sound to read
    double playedMs = 0;           // kind 1: sound of the images already replaced
    std::vector<BYTE> frame, other;
};

namespace {

void Play(const BYTE *image, size_t bytes)
{
    if (g_pfnFullScreenSoundHook)
        g_pfnFullScreenSoundHook(image, bytes);
    else
        PlaySoundA((LPCSTR)image, nullptr, SND_MEMORY | SND_ASYNC);
}

// Full once the budget's bytes (the header counted) are written, or when
// the image has no room left.
bool Full(const FullScreenSound *x) { return !StreamedSoundWantsMore(&x->s); }

// Writes the sound of frame start + loaded behind what the image holds;
// what does not fit before the image's end is left out.
void ReadFrame(FullScreenSound *x)
{
    MovieSource *m = x->m;
    int k = x->loaded++;
    int f = x->start + k;
    uint32_t align = (uint32_t)m->nBlockAlign;
    int c = AudioSamplesInFrame(m, f);
    uint32_t room = StreamedSoundSpace(&x->s) / align;
    if (c <= 0 || room == 0)
        return;
    if ((uint32_t)c > room)
        c = (int)room;
    uint32_t bytes = (uint32_t)c * align;
    x->frame.assign(bytes, 0);
    ReadPluginAudio(m, x->frame.data(), c, AudioSampleAtFrame(m, f));
    if (MovieSource *o = x->partner) {
        // The partner's frame of the same pair position: its left channel
        // becomes the right one.
        int g = o->nStart + x->pairFrame + k;
        int c2 = AudioSamplesInFrame(o, g);
        if (c2 > 0) {
            x->other.assign((size_t)c2 * 4, 0);
            if (ReadPluginAudio(o, x->other.data(), c2, AudioSampleAtFrame(o, g)) == 0)
                TakePartnerChannel(x->frame.data(), x->other.data(), c < c2 ? c : c2);
        }
    }
    AppendStreamedSound(&x->s, x->frame.data(), bytes);
}

// Kind 1: the rest of the cursor's chunk; returns the chunk's full size
// (what the step's budget is charged).
int ReadChunk(FullScreenSound *x)
{
    int size = (int)x->m->pAudioIndex[x->at.chunk].size;
    AppendSoundChunk(&x->s, x->m, &x->at, x->frame);
    return size;
}

// Kind 1: how long the image's sound plays (the header counted in, as
// the player counts it).
double ImageMs(const FullScreenSound *x)
{
    const MovieSource *m = x->m;
    LONG samples = (LONG)((kWaveHeaderBytes + x->s.used) / (uint32_t)m->nBlockAlign);
    if (m->pAudio)
        return (double)AVIStreamSampleToTime((PAVISTREAM)m->pAudio, samples);
    if (m->nAudioRate == 0)
        return 0;
    return (double)samples * m->nAudioScale * 1000.0 / m->nAudioRate;
}

bool HasChunkSound(const MovieSource *m)
{
    return m->pAudioIndex && m->nAudioChunks > 0;
}

// The image: the header and all the data it announces, so that neither
// the player nor the writing passes its end. Null without memory.
bool MakeImage(FullScreenSound *x)
{
    MovieSource *m = x->m;
    x->imageBytes = AnnouncedSoundBlockBytes(m->pWaveHeader);
    uint32_t budget = g_nCacheBudget > kWaveHeaderBytes ? (uint32_t)g_nCacheBudget - kWaveHeaderBytes : 0;
    x->image = x->imageBytes > kWaveHeaderBytes ? (BYTE *)AllocGlobalBlock(x->imageBytes, 1) : nullptr;
    if (!x->image)
        return false;
    if (!BeginStreamedSound(&x->s, x->image, x->imageBytes, m->pWaveHeader, budget)) {
        FreeGlobalBlock(x->image);
        x->image = nullptr;
        return false;
    }
    return true;
}

}  // namespace

FullScreenSound *StartFullScreenSound(MovieSource *record, MovieSource *partner, int startFrame, int frameLimit,
                                      int pairFrame)
{
    if (!record || !record->pWaveHeader || record->nBlockAlign <= 0 || startFrame < 0 || frameLimit <= 0)
        return nullptr;
    bool plugin = record->nKind == kSourcePlugin;
    if (!plugin && record->nKind != kSourceOwnReader)
        return nullptr;
    FullScreenSound *x = new FullScreenSound;
    x->m = record;
    x->start = startFrame;
    x->limit = frameLimit;
    x->pairFrame = pairFrame;
    if (plugin) {
        if (record->nFrames - startFrame < x->limit)
            x->limit = record->nFrames - startFrame;
        if (x->limit <= 0) {
            delete x;
            return nullptr;
        }
        ReopenPluginFile(record);
        if (partner && partner->nKind == kSourcePlugin)
            ReopenPluginFile(partner);
        if (partner && g_bStereoSound == 1 && record->nBlockAlign == 4 && partner->nKind == kSourcePlugin &&
            partner->nBlockAlign == 4 && partner->pWaveHeader)
            x->partner = partner;
        if (!MakeImage(x)) {
            delete x;
            return nullptr;
        }
        for (int i = 0; i < 10 && x->loaded < x->limit; i++)
            ReadFrame(x);
    } else {
        x->at = SoundChunkAtFrame(record, startFrame);
        if (!HasChunkSound(record) || x->at.chunk >= record->nAudioChunks || !MakeImage(x)) {
            delete x;
            return nullptr;
        }
        int budget = 10 * record->nAudioPerFrame;
        while (budget > 0 && !Full(x) && x->at.chunk < record->nAudioChunks)
            budget -= ReadChunk(x);
    }
    Play(x->image, x->imageBytes);
    return x;
}

void KeepFullScreenSound(FullScreenSound *x, int dueFrame, double playMs)
{
    if (!x)
        return;
    MovieSource *m = x->m;
    if (m->nKind == kSourcePlugin) {
        if (x->loaded >= dueFrame + 10)
            return;
        while (x->loaded < x->limit) {
            if (Full(x)) {
                // Played up to the frames written last: the frames that
                // follow from the image's start.
                if (x->loaded - 1 < dueFrame) {
                    RestartStreamedSound(&x->s);
                    for (int i = 0; i < 5 && x->loaded < x->limit; i++)
                        ReadFrame(x);
                    Play(x->image, x->imageBytes);
                }
                return;
            }
            ReadFrame(x);
            if (x->loaded >= dueFrame + 10)
                return;
        }
        return;
    }
    int budget = 10 * m->nAudioPerFrame;
    if (budget <= 0)
        return;
    while (x->at.chunk < m->nAudioChunks) {
        if (!Full(x)) {
            budget -= ReadChunk(x);
        } else {
            double t = ImageMs(x);
            if (!(x->playedMs + t < playMs))
                return;  // still playing
            x->playedMs += t;
            RestartStreamedSound(&x->s);
            budget -= ReadChunk(x);
            Play(x->image, x->imageBytes);
        }
        if (budget < 1)
            return;
    }
}

void EndFullScreenSound(FullScreenSound *x)
{
    if (!x)
        return;
    Play(nullptr, 0);
    FreeGlobalBlock(x->image);
    delete x;
}

size_t FullScreenSoundBytes(const FullScreenSound *x) { return x ? x->s.used : 0; }
