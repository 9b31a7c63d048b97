#include "mpeg/audio_stream.h"

#include "mpeg/program_stream_source.h"
#include "mpeg/start_code.h"

#include <stdlib.h>
#include <string.h>

#include <new>
#include <vector>

namespace {

const int kHasAudioBytes = 0x96800;
const long long kSearchLimit = 0x800000;
const int kConfirmBytes = 0x10000;
const long long kWrap = 1LL << 33;

DWORD Header32(const BYTE *p) { return (DWORD)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

bool IsSync(const BYTE *p) { return p[0] == 0xFF && p[1] >= 0xF0; }

// An audio PES whose length ends where the next start code (or zeros) begin.
bool HasAudioPes(const char *path)
{
    FileLayer *fl = OpenFileLayer(path, 0);
    if (!fl)
        return false;
    std::vector<BYTE> b(kHasAudioBytes);
    int n = 0;
    while (n < kHasAudioBytes) {
        int got = ReadFileLayer(fl, b.data() + n, kHasAudioBytes - n);
        if (got <= 0)
            break;
        n += got;
    }
    CloseFileLayer(fl);
    const BYTE *base = b.data(), *end = base + n;
    for (const BYTE *p = FindStartCodeForward(base, end); p; p = FindStartCodeForward(p + 1, end)) {
        if (end - p < 6 || p[3] < 0xC0 || p[3] > 0xDF)
            continue;
        const BYTE *q = p + 6 + (p[4] << 8 | p[5]);
        if (end - q >= 3 && q[0] == 0 && q[1] == 0 && (q[2] == 1 || q[2] == 0))
            return true;
    }
    return false;
}

}  // namespace

long long PtsDifference(long long a, long long b)
{
    long long d = (a - b) & (kWrap - 1);
    return d >= kWrap / 2 ? d - kWrap : d;
}

static long long TimeToSample(long long ticks, int rate) { return PtsToSamples(ticks, rate); }

// sample moved onto the grid of whole frames from origin when it lies within
// two samples of it: timestamps in 90 kHz ticks round, frames do not.
static long long OnGrid(long long sample, long long origin)
{
    long long frames = (sample - origin + (sample >= origin ? 576 : -576)) / kLayer2FrameSamples;
    long long grid = origin + frames * kLayer2FrameSamples;
    return llabs(sample - grid) <= 2 ? grid : sample;
}

// Reads packets up to the next one of the chosen stream; false at the end.
static bool NextStreamPacket(AudioPesSource *s, PesHeader *h)
{
    while (ReadNextPesFromReader(s->sr, &s->pes)) {
        if (s->pes.streamId != s->streamId)
            continue;
        ParsePesHeader(&s->pes, h);
        return true;
    }
    return false;
}

static bool FindAudioStream(AudioPesSource *s)
{
    PesHeader h;
    std::vector<BYTE> collected;
    while (TellReader(s->sr) <= kSearchLimit && ReadNextPesFromReader(s->sr, &s->pes)) {
        ParsePesHeader(&s->pes, &h);
        int kind, number;
        PesStreamKind(&s->pes, &h, &kind, &number);
        if (kind == kPesMpegAudio) {
            s->streamId = s->pes.streamId;
            break;
        }
    }
    if (!s->streamId)
        return false;
    for (;;) {
        int len = PesPayloadLength(&s->pes, &h);
        const BYTE *pl = PesPayload(&s->pes, &h);
        collected.insert(collected.end(), pl, pl + len);
        if ((int)collected.size() > kConfirmBytes || TellReader(s->sr) > kSearchLimit || !NextStreamPacket(s, &h))
            break;
    }
    int n = (int)collected.size(), count = 0;
    const BYTE *b = collected.data();
    Layer2Header hdr, last;
    bool any = false;
    int i = 0;
    while (i < n - 3) {
        if (IsSync(b + i) && ParseLayer2Header(Header32(b + i), &hdr)) {
            last = hdr;
            any = true;
            int j = i + hdr.frameLength;
            if (j >= n - 3)
                break;
            if (IsSync(b + j)) {
                count++;
                i = j;
            } else {
                count = 0;
                i++;
            }
            continue;
        }
        count = 0;
        i++;
    }
    if (!count || !any)
        return false;
    s->rate = last.samplingRate;
    s->channels = last.channels;
    return true;
}

// The PTS of the first picture the video decoder shows, and the first audio
// PTS. The anchor is the first when both are found, else the second.
static bool FindTimestampAnchor(AudioPesSource *s, long long *anchor)
{
    SeekReader(s->sr, 0, 0);
    long long audioPts = -1, videoPts = -1;
    int videoId = -1;
    std::vector<BYTE> video;
    size_t scan = 0;
    long long queue[2];
    int queued = 0;
    int closedGop = 0;
    bool keptI = false, waiting = false;
    long long keptPts = -1;
    auto pop = [&]() -> long long {
        if (!queued)
            return -1;
        long long v = queue[0];
        queue[0] = queue[1];
        queued--;
        return v;
    };
    PesHeader h;
    while ((audioPts < 0 || videoPts < 0) && TellReader(s->sr) <= kSearchLimit &&
           ReadNextPesFromReader(s->sr, &s->pes)) {
        ParsePesHeader(&s->pes, &h);
        if (s->pes.streamId == s->streamId && h.pts >= 0 && audioPts < 0)
            audioPts = h.pts;
        int kind, number;
        PesStreamKind(&s->pes, &h, &kind, &number);
        if (kind != kPesVideo || videoPts >= 0)
            continue;
        if (videoId < 0)
            videoId = s->pes.streamId;
        if (s->pes.streamId != videoId)
            continue;
        if (waiting) {
            // the deciding picture takes the next PTS that comes
            if (h.pts >= 0) {
                videoPts = h.pts;
                waiting = false;
            }
            continue;
        }
        if (h.pts >= 0) {
            if (queued < 2)
                queue[queued++] = h.pts;
            else
                queue[1] = h.pts;
        }
        int len = PesPayloadLength(&s->pes, &h);
        if (video.size() + len > (size_t)kSearchLimit)
            break;
        const BYTE *pl = PesPayload(&s->pes, &h);
        video.insert(video.end(), pl, pl + len);
        const BYTE *base = video.data(), *end = base + video.size();
        for (const BYTE *p = FindStartCodeForward(base + scan, end); p && videoPts < 0 && !waiting;
             p = FindStartCodeForward(p + 1, end)) {
            if (end - p < 8) {
                scan = p - base;  // this start code's fields are not all here yet
                break;
            }
            scan = p + 1 - base;
            if (p[3] == 0xB8) {
                closedGop = (p[7] >> 6) & 1;
                keptI = false;
                continue;
            }
            if (p[3] != 0x00)
                continue;
            int type = (p[5] >> 3) & 7;
            if (type < 1 || type > 3)
                continue;
            bool decides = false, ownPts = true;
            if (!closedGop) {
                decides = type == 1;
            } else if (type == 1) {
                keptPts = pop();
                keptI = true;
                continue;
            } else if (keptI) {
                decides = true;
                ownPts = type == 3;
            }
            long long pts = ownPts ? pop() : keptPts;
            if (!decides)
                continue;
            if (pts >= 0)
                videoPts = pts;
            else
                waiting = true;
        }
        if (!FindStartCodeForward(base + scan, end))
            scan = video.size() >= 3 ? video.size() - 3 : 0;
    }
    if (audioPts < 0)
        return false;
    s->firstAudioTimestamp = audioPts;
    *anchor = videoPts >= 0 ? videoPts : audioPts;
    return true;
}

static long long FileStart(AudioPesSource *s, int i) { return i == 0 ? 0 : FileLayerFileEnd(s->sr->layer, i - 1); }

// The last audio packet of file i with a PTS and frames: its PTS and the
// duration of its frames (90 kHz).
static bool LastTimedPacket(AudioPesSource *s, int i, long long *pts, long long *duration, int *frameCount)
{
    long long start = FileStart(s, i);
    SeekReader(s->sr, FileLayerFileEnd(s->sr->layer, i), 0);
    int empty = 0;
    while (empty < 5 && PrevReaderStartCode(&s->sr->rd)) {
        long long at = TellReader(s->sr);
        if (at < start)
            return false;
        if ((int)PeekReaderBits(&s->sr->rd, 32) != 0x100 + s->streamId)
            continue;
        PesHeader h;
        bool read = ReadNextPesFromReader(s->sr, &s->pes);
        SeekReader(s->sr, at, 0);
        if (!read)
            continue;
        ParsePesHeader(&s->pes, &h);
        if (h.pts < 0)
            continue;
        int frames = CountLayer2Frames(PesPayload(&s->pes, &h), PesPayloadLength(&s->pes, &h));
        if (frames > 0) {
            *pts = h.pts;
            *duration = SamplesToPts((long long)frames * kLayer2FrameSamples, s->rate);
            *frameCount = frames;
            return true;
        }
        empty++;
    }
    return false;
}

static long long PacketSample(AudioPesSource *s, int file, long long pts);

static bool MeasureAudioFiles(AudioPesSource *s, long long anchor)
{
    s->files[0].firstTimestamp = anchor;
    s->files[0].start = 0;
    s->files[0].grid = TimeToSample(PtsDifference(s->firstAudioTimestamp, anchor), s->rate);
    int count = s->fileCount;
    long long lastPts = 0;
    int lastFrames = 0;
    for (int i = 0; i < count; i++) {
        long long pts, duration;
        int frames;
        if (!LastTimedPacket(s, i, &pts, &duration, &frames))
            return false;
        lastPts = pts;
        lastFrames = frames;
        AudioFileTime &f = s->files[i];
        long long end = f.start + PtsDifference(pts, f.firstTimestamp) + duration;
        s->files[i + 1].start = end;
        if (i + 1 == count)
            break;
        // The next file's first audio PTS.
        SeekReader(s->sr, FileLayerFileEnd(s->sr->layer, i), 0);
        PesHeader h;
        long long next = -1;
        while (next < 0 && NextStreamPacket(s, &h))
            if (h.pts >= 0)
                next = h.pts;
        if (next < 0) {
            // no timed audio after this file: the sound ends here
            s->fileCount = i + 1;
            break;
        }
        AudioFileTime &g = s->files[i + 1];
        g.firstTimestamp = next;
        long long gap = PtsDifference(next, pts + duration);
        g.grid = TimeToSample(end, s->rate);
        if (gap > -450 && gap < 450) {
            g.start = f.start + PtsDifference(next, f.firstTimestamp);
            g.grid = OnGrid(TimeToSample(g.start, s->rate), f.grid);
        } else {
            g.start = end;
            g.grid = TimeToSample(g.start, s->rate);
        }
    }
    s->streamSize = FileLayerFileEnd(s->sr->layer, s->fileCount - 1);
    s->sampleCount = PtsToSamples(s->files[s->fileCount].start, s->rate);
    // The end of the last frame on the grid of whole frames, when only the
    // rounding of timestamps tells them apart.
    long long gridEnd = PacketSample(s, s->fileCount - 1, lastPts) + (long long)lastFrames * kLayer2FrameSamples;
    if (llabs(gridEnd - s->sampleCount) <= 2)
        s->sampleCount = gridEnd;
    return s->sampleCount > 0;
}

AudioPesSource *OpenAudioSource(const char *path, int joinNumbered)
{
    if (!HasAudioPes(path))
        return nullptr;
    AudioPesSource *s = (AudioPesSource *)calloc(1, sizeof(AudioPesSource));
    if (!s)
        return nullptr;
    InitByteQueue(&s->queue);
    InitPesPacket(&s->pes);
    s->sr = OpenStreamReader(path, joinNumbered);
    if (s->sr) {
        s->fileCount = FileLayerFileCount(s->sr->layer);
        s->files = (AudioFileTime *)calloc(s->fileCount + 1, sizeof(AudioFileTime));
    }
    long long anchor = 0;
    bool ok = false;
    try {
        ok = s->sr && s->files && FindAudioStream(s) && FindTimestampAnchor(s, &anchor) &&
             MeasureAudioFiles(s, anchor);
    } catch (const std::bad_alloc &) {
        ok = false;
    }
    if (!ok) {
        CloseAudioSource(s);
        return nullptr;
    }
    ClearByteQueue(&s->queue);
    SeekAudioSource(s, 0);
    return s;
}

void CloseAudioSource(AudioPesSource *s)
{
    if (!s)
        return;
    if (s->sr)
        CloseStreamReader(s->sr);
    free(s->files);
    FreeByteQueue(&s->queue);
    FreePesPacket(&s->pes);
    free(s);
}


// The first sample of the frames of a packet: its time after the anchor,
// put on the file's grid of whole frames when the timestamp's rounding is
// all that keeps it off (so that a seek lands where sequential decoding
// does).
static long long PacketSample(AudioPesSource *s, int file, long long pts)
{
    const AudioFileTime &f = s->files[file];
    long long sample = TimeToSample(f.start + PtsDifference(pts, f.firstTimestamp), s->rate);
    return OnGrid(sample, f.grid);
}

long long SeekAudioSource(AudioPesSource *s, long long t)
{
    ClearByteQueue(&s->queue);
    int file = 0;
    for (int i = 1; i < s->fileCount; i++)
        if (PtsToSamples(s->files[i].start, s->rate) <= t)
            file = i;
    long long target = t >= kLayer2FrameSamples ? t - kLayer2FrameSamples : t;
    long long low = FileStart(s, file), high = FileLayerFileEnd(s->sr->layer, file);
    long long fileEnd = high, best = low;
    PesHeader h;
    bool found = false;
    long long sample = 0;
    while (high - low >= 256) {
        long long mid = low + (high - low) / 2;
        SeekReader(s->sr, mid, 0);
        bool got = false;
        while (NextStreamPacket(s, &h))
            if (h.pts >= 0) {
                got = true;
                break;
            }
        long long after = TellReader(s->sr);
        long long packetStart = after - 6 - s->pes.size;
        if (!got || packetStart >= fileEnd) {
            high = mid;
            continue;
        }
        long long first = PacketSample(s, file, h.pts);
        int frames = CountLayer2Frames(PesPayload(&s->pes, &h), PesPayloadLength(&s->pes, &h));
        long long end = first + (long long)frames * kLayer2FrameSamples;
        if (target < first) {
            high = mid;
        } else if (target < end + kLayer2FrameSamples) {
            found = true;
            sample = first;
            break;
        } else {
            low = after;
            best = after;
        }
    }
    if (!found) {
        SeekReader(s->sr, best, 0);
        bool got = false;
        while (NextStreamPacket(s, &h))
            if (h.pts >= 0) {
                got = true;
                break;
            }
        if (!got) {
            s->current = s->sampleCount;
            return s->current;
        }
        // the packet may lie in a later file
        int f = file;
        long long at = TellReader(s->sr);
        while (f + 1 < s->fileCount && at > FileLayerFileEnd(s->sr->layer, f))
            f++;
        sample = PacketSample(s, f, h.pts);
    }
    AppendToByteQueue(&s->queue, PesPayload(&s->pes, &h), PesPayloadLength(&s->pes, &h));
    s->current = sample;
    return sample;
}

// Appends the next payload of the stream; false at the end or when the
// packet brings nothing.
static bool AppendNextPayload(AudioPesSource *s)
{
    PesHeader h;
    if (!NextStreamPacket(s, &h))
        return false;
    int len = PesPayloadLength(&s->pes, &h);
    if (len <= 0)
        return false;
    return AppendToByteQueue(&s->queue, PesPayload(&s->pes, &h), len) != 0;
}

DWORD NextAudioFrameHeader(AudioPesSource *s)
{
    for (;;) {
        while (FindAudioSyncInQueue(&s->queue)) {
            int unread = ByteQueueUnread(&s->queue);
            const BYTE *p = ByteQueueData(&s->queue);
            if (unread < 4)
                break;
            Layer2Header h;
            DWORD w = Header32(p);
            if (!ParseLayer2Header(w, &h)) {
                ConsumeByteQueue(&s->queue, 1);
                continue;
            }
            int len = h.frameLength;
            if (unread == len)
                return w;  // the frame ends where the data ends
            if (unread >= len + 2) {
                if (IsSync(p + len))
                    return w;
                ConsumeByteQueue(&s->queue, 1);
                continue;
            }
            // the frame's end cannot be seen yet
            if (!AppendNextPayload(s))
                return unread >= len ? w : 0;
        }
        if (!AppendNextPayload(s))
            return 0;
    }
}

int ReadAudioFrameBytes(AudioPesSource *s, BYTE *dest, int n)
{
    while (ByteQueueUnread(&s->queue) < n) {
        if (!AppendNextPayload(s)) {
            memset(dest, 0, n);
            return 0;
        }
    }
    memcpy(dest, ByteQueueData(&s->queue), n);
    ConsumeByteQueue(&s->queue, n);
    s->current += kLayer2FrameSamples;
    return n;
}
