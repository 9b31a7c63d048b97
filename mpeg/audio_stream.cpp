#include "mpeg/audio_stream.h"

#include <stdlib.h>
#include <string.h>

// A decoded frame: its first sample and its samples (none for a frame that
// only primes the synthesis filter after a seek).
struct DecodedAudioFrame {
    long long first;
    int count;
    DecodedAudioFrame *older;
    DecodedAudioFrame *newer;
    short samples[2 * kLayer2FrameSamples];
};

static const long long kUpperSpan = 0x400000;
static const long long kLowerSpan = 0x100000;

static void ClearFrames(MpegAudioStream *a)
{
    while (a->oldest) {
        DecodedAudioFrame *f = a->oldest;
        a->oldest = f->newer;
        free(f);
    }
    a->newest = nullptr;
}

static long long SpanEnd(const DecodedAudioFrame *f) { return f->first + kLayer2FrameSamples; }

static void AppendFrame(MpegAudioStream *a, DecodedAudioFrame *f)
{
    f->older = a->newest;
    f->newer = nullptr;
    if (a->newest)
        a->newest->newer = f;
    else
        a->oldest = f;
    a->newest = f;
    // Drop old frames while the span is above the upper limit, never down
    // to the lower one.
    while (a->oldest != a->newest && SpanEnd(a->newest) - a->oldest->first > kUpperSpan &&
           SpanEnd(a->newest) - a->oldest->newer->first > kLowerSpan) {
        DecodedAudioFrame *old = a->oldest;
        a->oldest = old->newer;
        a->oldest->older = nullptr;
        free(old);
    }
}

// Decodes the source's next frame into a new frame starting at first.
static DecodedAudioFrame *DecodeNextFrame(MpegAudioStream *a, long long first, bool prime)
{
    DWORD w = NextAudioFrameHeader(a->source);
    Layer2Header h;
    if (!w || !ParseLayer2Header(w, &h) || h.frameLength > (int)sizeof a->frameBytes)
        return nullptr;
    if (!ReadAudioFrameBytes(a->source, a->frameBytes, h.frameLength))
        return nullptr;
    DecodedAudioFrame *f = (DecodedAudioFrame *)malloc(sizeof(DecodedAudioFrame));
    if (!f)
        return nullptr;
    f->first = first;
    f->count = prime ? 0 : kLayer2FrameSamples;
    DecodeLayer2Frame(&h, a->frameBytes + 4, h.frameLength - 4, &a->synthesis, f->samples);
    return f;
}

MpegAudioStream *OpenAudioStream(const char *path, int joinNumbered)
{
    AudioPesSource *src = OpenAudioSource(path, joinNumbered);
    if (!src)
        return nullptr;
    MpegAudioStream *a = (MpegAudioStream *)calloc(1, sizeof(MpegAudioStream));
    if (!a || !InitStreamLock(&a->lock)) {
        free(a);
        CloseAudioSource(src);
        return nullptr;
    }
    a->source = src;
    a->sampleCount = src->sampleCount;
    a->rate = src->rate;
    a->channels = src->channels;
    ResetLayer2Synthesis(&a->synthesis);
    return a;
}

void CloseAudioStream(MpegAudioStream *a)
{
    if (!a)
        return;
    ClearFrames(a);
    CloseAudioSource(a->source);
    DeleteStreamLock(&a->lock);
    free(a);
}

int ReadAudioSamples(MpegAudioStream *a, long long p, BYTE *buffer, int count)
{
    if (count <= 0)
        return 0;
    EnterStreamLock(&a->lock);
    memset(buffer, 0, (size_t)count * 4);
    // Nothing past the length the stream announces.
    if (p < 0 || p >= a->sampleCount) {
        LeaveStreamLock(&a->lock);
        return 0;
    }
    if (count > a->sampleCount - p)
        count = (int)(a->sampleCount - p);
    short *out = (short *)buffer;
    // Covered: from the first decoded sample (a priming frame holds none) to
    // the end of the newest frame.
    bool covered = a->oldest && p >= a->oldest->first + (a->oldest->count ? 0 : kLayer2FrameSamples) &&
                   p <= SpanEnd(a->newest);
    if (!covered) {
        DecodedAudioFrame *f;
        if (!a->oldest && p == a->source->current) {
            f = DecodeNextFrame(a, p, false);
        } else {
            ClearFrames(a);
            long long start = SeekAudioSource(a->source, p);
            ResetLayer2Synthesis(&a->synthesis);
            f = DecodeNextFrame(a, start, p >= kLayer2FrameSamples);
        }
        if (!f) {
            LeaveStreamLock(&a->lock);
            return 0;
        }
        AppendFrame(a, f);
    }
    // Before the oldest frame: silence (already zero).
    int delivered = 0;
    long long pos = p;
    if (pos < a->oldest->first) {
        long long gap = a->oldest->first - pos;
        int silent = gap < count ? (int)gap : count;
        delivered += silent;
        pos += silent;
    }
    DecodedAudioFrame *f = a->oldest;
    while (delivered < count) {
        while (f && !(pos < f->first + f->count && pos < SpanEnd(f)))
            f = f->newer;
        if (!f) {
            DecodedAudioFrame *next = DecodeNextFrame(a, SpanEnd(a->newest), false);
            if (!next)
                break;
            AppendFrame(a, next);
            f = next;
            continue;
        }
        if (pos < f->first) {
            // A gap between frames (the source resumed later than asked):
            // silence up to the frame, as before the oldest one.
            long long gap = f->first - pos;
            int silent = gap < count - delivered ? (int)gap : count - delivered;
            delivered += silent;
            pos += silent;
            continue;
        }
        int offset = (int)(pos - f->first);
        int take = f->count - offset;
        if (take > count - delivered)
            take = count - delivered;
        memcpy(out + 2 * delivered, f->samples + 2 * offset, (size_t)take * 4);
        delivered += take;
        pos += take;
    }
    LeaveStreamLock(&a->lock);
    return delivered;
}
