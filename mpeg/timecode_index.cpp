#include "mpeg/gop_index.h"

#include <stdlib.h>

long long TimecodeToFrames(const GopTimecode &tc, int fps)
{
    long long frames = (long long)fps * (3600LL * tc.hours + 60 * tc.minutes + tc.seconds) + tc.pictures;
    if (tc.drop_frame_flag) {
        long long m = 60LL * tc.hours + tc.minutes;
        frames -= 2 * (m - m / 10);
    }
    return frames;
}

static GopTimecode ReadGopTimecode(VideoBitReader *v)
{
    GopTimecode tc;
    tc.drop_frame_flag = ReadVideoBits(v, 1);
    tc.hours = ReadVideoBits(v, 5);
    tc.minutes = ReadVideoBits(v, 6);
    SkipVideoBits(v, 1);
    tc.seconds = ReadVideoBits(v, 6);
    tc.pictures = ReadVideoBits(v, 6);
    return tc;
}

TimecodeIndex *NewTimecodeIndex(VideoBitReader *v, const SequenceRecord *seq, int streamTopFieldFirst)
{
    TimecodeIndex *t = (TimecodeIndex *)calloc(1, sizeof(TimecodeIndex));
    if (!t)
        return nullptr;
    t->v = v;
    PictureRate(seq, &t->rate, &t->scale);
    t->streamTopFieldFirst = streamTopFieldFirst;
    // A coded picture holds at least one slice start code and header per
    // row of macroblocks (two fields of a field pair: more).
    int rows = seq->coded_height / 16;
    t->minPictureBytes = 5 * (rows > 0 ? rows : 1);
    return t;
}

void FreeTimecodeIndex(TimecodeIndex *t)
{
    free(t);
}

long long AnalyseGopTimecodes(TimecodeIndex *t, GopEntry *e)
{
    VideoBitReader *v = t->v;
    *e = GopEntry{0, 0, 0, nullptr};
    long long seqPos = -1;
    for (;;) {
        if (!NextVideoStartCode(v))
            return 0;
        unsigned code = PeekVideoBits(v, 32);
        if (code == kGopStartCode)
            break;
        if (code == kSequenceHeaderCode)
            seqPos = TellVideo(v);
        else if (code == kPictureStartCode)
            seqPos = -1;
        SkipVideoBits(v, 32);
    }
    long long offset = seqPos >= 0 ? seqPos : TellVideo(v);
    SkipVideoBits(v, 32);
    GopTimecode tc1 = ReadGopTimecode(v), tc2 = tc1;
    int closed = ReadVideoBits(v, 1);
    int broken = ReadVideoBits(v, 1);
    long long c0 = 0, c1 = 0, c2 = 0, c4 = 0;
    int state = 0;
    unsigned lastCode = kGopStartCode;
    while (state != 5 && NextVideoStartCode(v)) {
        unsigned code = PeekVideoBits(v, 32);
        lastCode = code;
        if (code == kPictureStartCode) {
            int type = 0;
            int w = ReadPictureWeight(v, t->streamTopFieldFirst, &type);
            if (w <= 0)
                return 0;
            switch (state) {
            case 0:
                if (type != kPictureI)
                    return 0;
                c0 += w;
                state = 1;
                break;
            case 1:
                if (type == kPictureI)
                    return 0;
                if (type == kPictureP) {
                    closed = broken = 0;
                    c2 += w;
                    state = 2;
                } else if (!broken) {
                    (closed ? c0 : c1) += w;
                }
                break;
            case 2:
                if (type == kPictureI)
                    return 0;
                c2 += w;
                break;
            case 3:
                if (type != kPictureI)
                    return 0;
                state = 4;
                break;
            case 4:
                if (type == kPictureI)
                    return 0;
                if (type == kPictureP)
                    state = 5;
                else if (!broken)
                    c4 += w;
                break;
            }
        } else if (code == kGopStartCode) {
            if (state == 0)
                return 0;
            if (state == 4) {
                state = 5;
                break;
            }
            SkipVideoBits(v, 32);
            tc2 = ReadGopTimecode(v);
            closed = ReadVideoBits(v, 1);
            broken = ReadVideoBits(v, 1);
            state = closed ? 5 : 3;
        } else {
            SkipVideoBits(v, 32);
        }
    }
    if (state == 0)
        return 0;
    int fps = t->scale ? (int)((t->rate + t->scale - 1) / t->scale) : 0;
    if (fps <= 0)
        return 0;
    if (state == 5) {
        if (TimecodeToFrames(tc2, fps) - TimecodeToFrames(tc1, fps) != c0 + c1 + c2)
            return 0;
    } else if (lastCode != kSequenceEndCode) {
        c2 -= 2;
    }
    e->offset = offset;
    e->first = TimecodeToFrames(tc1, fps) - t->base + c1;
    // as the GOP list counts: never below nothing
    e->count = c0 + c2 + c4 > 0 ? c0 + c2 + c4 : 0;
    return e->count;
}

// Stands on the last GOP header, searching growing windows from the end.
static void SeekToLastGopHeader(VideoBitReader *v)
{
    long long size = v->streamSize;
    for (long long window = 0x20000;; window *= 4) {
        long long from = size > window ? size - window : 0;
        SeekVideo(v, from, 0);
        long long last = -1;
        while (NextVideoStartCode(v)) {
            if (PeekVideoBits(v, 32) == kGopStartCode)
                last = TellVideo(v);
            SkipVideoBits(v, 32);
        }
        if (last > 0) {
            SeekVideo(v, last, 0);
            return;
        }
        if (from == 0)
            break;
    }
    SeekVideo(v, 0, 0);
}

// Samples eight GOPs across the stream: their first frames must grow, stay
// within the total, and follow from the bytes between them (a stream holds
// no more frames than its bytes can code: a forward jump of the time codes,
// as where two recordings were joined, shows there).
static bool VerifyTimecodeIndex(TimecodeIndex *t, long long total)
{
    VideoBitReader *v = t->v;
    long long step = v->streamSize / 8;
    long long running = t->base, runningOffset = 0;
    for (int i = 0; i < 8; i++) {
        SeekVideo(v, i * step, 0);
        GopEntry e;
        if (!AnalyseGopTimecodes(t, &e))
            return false;
        if (e.first < running || e.first > total)
            return false;
        long long bytes = e.offset - runningOffset;
        if (e.first - running > 2 * (bytes / t->minPictureBytes) + 2)
            return false;
        running = e.first;
        runningOffset = e.offset;
    }
    long long bytes = v->streamSize - runningOffset;
    return total - running <= 2 * (bytes / t->minPictureBytes) + 4;
}

long long CountFramesByTimecode(TimecodeIndex *t)
{
    VideoBitReader *v = t->v;
    SeekVideo(v, 0, 0);
    t->base = 0;
    GopEntry first;
    if (!AnalyseGopTimecodes(t, &first))
        return -1;
    t->base = first.first;
    long long total;
    if (VideoAtEnd(v)) {
        total = first.count;
    } else {
        SeekToLastGopHeader(v);
        GopEntry last;
        if (!AnalyseGopTimecodes(t, &last))
            return -1;
        total = last.first + last.count;
    }
    if (total <= 0 || !VerifyTimecodeIndex(t, total))
        return -1;
    return total;
}

GopEntry FindGopByTimecode(TimecodeIndex *t, long long n)
{
    GopEntry none = {0, 0, 0, nullptr};
    long long low = 0, high = t->v->streamSize;
    for (;;) {
        long long mid = low + (high - low) / 2;
        if (mid == low)
            return none;
        SeekVideo(t->v, mid, 0);
        GopEntry e;
        long long count = AnalyseGopTimecodes(t, &e);
        if (count == 0 || e.first > n) {
            high = mid;
        } else if (n < e.first + count) {
            return e;
        } else {
            if (e.offset <= low)
                return none;  // no progress: the stream is not what it seemed
            low = e.offset;
        }
    }
}
