// The video stream object: open, index, frame N, output, field pairing.
#include "mpeg/video_stream.h"

#include "mpeg/gop_scan_progress.h"
#include "mpeg/name_chars.h"
#include "mpeg/slice_decoder.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#define CompareNoCase _stricmp
#else
#include <strings.h>
#define CompareNoCase strcasecmp
#endif

bool HasMpegExtension(const char *path)
{
    static const char *const kExtensions[] = {".mpeg", ".mpg", ".m2p", ".mp2", ".vob", ".vro", ".m2v",
                                              ".m1v",  ".mpv", ".ves", ".m2t", ".ssg", ".ts",  ".bs"};
    if (!path)
        return false;
    // The last '.' after the last '\' (double-byte characters walked whole).
    const char *dot = nullptr;
    for (char *p = (char *)path; *p; p = NextNameChar(p)) {
        if (*p == '\\' || *p == '/')
            dot = nullptr;
        else if (*p == '.')
            dot = p;
    }
    if (!dot)
        return false;
    for (const char *e : kExtensions)
        if (CompareNoCase(dot, e) == 0)
            return true;
    return false;
}

namespace {

// The stream's bit reader as the slice decoder reads it.
struct SliceBits {
    VideoBitReader *v;
    unsigned Peek(int n) { return PeekVideoBits(v, n); }
    void Skip(int n) { SkipVideoBits(v, n); }
    unsigned Read(int n) { return ReadVideoBits(v, n); }
    int NextStartCode()
    {
        if (!NextVideoStartCode(v))
            return -1;
        return (int)(ReadVideoBits(v, 32) & 0xFF);
    }
    void RewindToPreviousStartCode() { ::RewindToPreviousStartCode(v); }
};

GopEntry FindInTimecodeIndex(void *index, long long n) { return FindGopByTimecode((TimecodeIndex *)index, n); }
void FreeTimecodeIndexOf(void *index) { FreeTimecodeIndex((TimecodeIndex *)index); }
GopEntry FindInGopList(void *index, long long n) { return FindGopInList((const GopList *)index, n); }
void FreeGopListOf(void *index) { FreeGopList((GopList *)index); }

// What a decoded frame is while a request runs: the frame asked for and
// whether it was produced.
struct Request {
    long long n;
    bool found;
};

void ReleaseReference(FrameBuffer **fb)
{
    ReleaseFrameBuffer(*fb);
    *fb = nullptr;
}

void ResetFrameRecords(MpegVideoStream *s, long long first)
{
    memset(&s->outputPending, 0, sizeof s->outputPending);
    memset(&s->currentRecord, 0, sizeof s->currentRecord);
    memset(&s->nextDisplay, 0, sizeof s->nextDisplay);
    s->outputPending.frame = first - 1;
    s->nextDisplay.frame = first - 1;
}

// Output information of the sequence in force, with the resizer's geometry.
void UpdateOutputInfo(MpegVideoStream *s)
{
    ComputeOutputInfo(&s->seq, s->settings.re_map, s->settings.color_matrix, &s->info);
    ApplyResizerToOutputInfo(s->resizer, &s->info);
}

void SelectRoutines(MpegVideoStream *s)
{
    s->routines = SelectDecoderRoutines(s->settings.simd, s->settings.idct_func, ChromaFormatOf(&s->seq));
    SetDecoderRoutines(s->decoder, s->routines);
}

// A new sequence of another picture size keeps the output size fixed at
// open: the resizer is made anew from the new size to it.
void ReplaceResizer(MpegVideoStream *s)
{
    FreeResizer(s->resizer);
    s->resizer = CreateResizerToSize(&s->seq, s->outWidth, s->outHeight);
}

bool SamePictureSize(const SequenceRecord &a, const SequenceRecord &b)
{
    return a.horizontal_size == b.horizontal_size && a.vertical_size == b.vertical_size;
}

// References of one geometry cannot predict pictures of another: the coded
// size (which also changes with progressive_sequence at some heights) and
// the chroma format must match, not only the picture size.
bool SameCodedGeometry(const SequenceRecord &a, const SequenceRecord &b)
{
    return a.coded_width == b.coded_width && a.coded_height == b.coded_height &&
           ChromaFormatOf(&a) == ChromaFormatOf(&b);
}

// Takes a sequence record as the one in force.
void InstallSequence(MpegVideoStream *s, const SequenceRecord &seq)
{
    bool resize = !SamePictureSize(s->seq, seq);
    bool chroma = ChromaFormatOf(&s->seq) != ChromaFormatOf(&seq);
    s->seq = seq;
    s->progressive = ProgressiveIndicator(&s->seq);
    if (resize)
        ReplaceResizer(s);
    if (chroma)
        SelectRoutines(s);
    UpdateOutputInfo(s);
    ApplySequenceToDecoder(&s->seq, s->decoder);
}

// Upsamples, resizes and caches one output frame under its record.
void OutputFrame(MpegVideoStream *s, FrameBuffer *fb, const FrameRecord &rec, Request *req)
{
    if (!fb)
        return;
    if (rec.progressive_frame)
        s->routines.upsampleProgressive(fb);
    else
        s->routines.upsampleInterlaced(fb);
    FrameBuffer *out = ResizeFrame(fb, s->resizer);
    OutputInfo info = s->info;
    if (out == fb) {
        // Not resized (none wanted, or it failed): the buffer's own geometry.
        ComputeOutputInfo(&s->seq, s->settings.re_map, s->settings.color_matrix, &info);
        info.stride = fb->width;
        info.chroma_offset = ChromaFormatOf(&s->seq) == kChroma420 ? fb->width / 2 : 0;
    }
    SimdLeaveMmx();
    AddCachedFrame(&s->cache, out, rec, info);
    if (out != fb)
        ReleaseFrameBuffer(out);
    if (rec.frame == req->n)
        req->found = true;
}

// The frame after a repeated first field: the same picture, shown with the
// other field first.
FrameRecord RepeatedRecord(const FrameRecord &r)
{
    FrameRecord x = r;
    x.frame = r.frame + 1;
    x.picture_coding_type = kPictureB;
    x.repeat_first_field = 0;
    x.top_field_first = !r.top_field_first;
    return x;
}

bool RepeatsFirstField(const MpegVideoStream *s, const FrameRecord &r)
{
    return r.repeat_first_field && r.top_field_first == s->topFieldFirst;
}

void AdjustGopToIPicture(MpegVideoStream *s, const FrameRecord &r)
{
    if (r.picture_coding_type == kPictureI && r.frame != s->gop.first) {
        s->gop.count = r.frame - s->gop.first;
        s->gop.first = r.frame;
    }
}

// An I or P picture: the references move on and the reference that is
// now due is output.
void AdvanceReferences(MpegVideoStream *s, Request *req)
{
    ReleaseFrameBuffer(s->forward);
    s->forward = s->backward;
    s->backward = s->current;
    s->outputPending = s->nextDisplay;
    s->nextDisplay = s->currentRecord;
    s->nextDisplay.frame++;
    AdjustGopToIPicture(s, s->outputPending);
    if (s->forward) {
        if (RepeatsFirstField(s, s->outputPending)) {
            FrameBuffer *copy = CloneFrameBuffer(s->forward);
            OutputFrame(s, copy, RepeatedRecord(s->outputPending), req);
            ReleaseFrameBuffer(copy);
            s->nextDisplay.frame++;
        }
        OutputFrame(s, s->forward, s->outputPending, req);
    }
    s->closedGop = s->closedGop == 1 ? 2 : 0;
}

// Outputs the pending backward reference and lets it go (end of the data,
// a broken link, a change of picture geometry).
void FlushBackwardReference(MpegVideoStream *s, Request *req)
{
    if (!s->backward)
        return;
    FrameRecord &r = s->nextDisplay;
    if (RepeatsFirstField(s, r)) {
        FrameBuffer *copy = CloneFrameBuffer(s->backward);
        OutputFrame(s, copy, r, req);
        ReleaseFrameBuffer(copy);
        r = RepeatedRecord(r);
    }
    AdjustGopToIPicture(s, r);
    OutputFrame(s, s->backward, r, req);
    ReleaseReference(&s->backward);
}

void OutputBPicture(MpegVideoStream *s, Request *req)
{
    FrameRecord r = s->currentRecord;
    if (RepeatsFirstField(s, r)) {
        FrameBuffer *copy = CloneFrameBuffer(s->current);
        OutputFrame(s, copy, r, req);
        ReleaseFrameBuffer(copy);
        r = RepeatedRecord(r);
        s->nextDisplay.frame++;
    }
    OutputFrame(s, s->current, r, req);
    ReleaseReference(&s->current);
    s->nextDisplay.frame++;
}

// The largest coded picture taken (4096 x 2304, beyond every MPEG-2 level):
// each decoded picture is held in buffers of three bytes a pixel, several
// at once, and the sizes a sequence extension can state (up to 16383 x
// 16383) would leave a 32-bit process unable to hold a single picture, so
// that a stream opened with them would give no frame at all.
bool HasUsablePictureSize(const SequenceRecord &seq)
{
    return (long long)seq.coded_width * seq.coded_height <= 4096LL * 2304;
}

void HandleSequenceHeader(MpegVideoStream *s, Request *req)
{
    SequenceRecord seq;
    if (!ParseSequenceHeader(s->v, &seq) || !HasUsablePictureSize(seq))
        return;  // a damaged repeat: the one in force stays
    if (!SameCodedGeometry(s->seq, seq) || !SamePictureSize(s->seq, seq)) {
        ReleaseReference(&s->forward);
        FlushBackwardReference(s, req);
    }
    InstallSequence(s, seq);
}

void HandleGopHeader(MpegVideoStream *s, Request *req)
{
    SkipVideoBits(s->v, 32 + 25);
    s->closedGop = (int)ReadVideoBits(s->v, 1);
    int brokenLink = (int)ReadVideoBits(s->v, 1);
    if (brokenLink) {
        ReleaseReference(&s->forward);
        FlushBackwardReference(s, req);
    }
}

void DecodeFieldOrFrame(MpegVideoStream *s, const PictureHeader &pic)
{
    bool b = pic.picture_coding_type == kPictureB;
    PictureBuffers bufs = {s->forward, b ? s->backward : nullptr, s->current};
    SliceBits bits{s->v};
    DecodeSlices(bits, s->decoder, bufs);
}

// The second field of a field picture goes into the same buffer; anything
// else is left for the decode loop to meet again.
void DecodeSecondField(MpegVideoStream *s)
{
    if (!NextVideoStartCode(s->v))
        return;
    if (PeekVideoBits(s->v, 32) != kPictureStartCode)
        return;
    long long at = TellVideo(s->v);
    PictureHeader second;
    int usable = ParsePictureHeader(s->v, &second);
    if (!second.has_coding_extension || second.picture_structure == kFramePicture) {
        SeekVideo(s->v, at, 0);
        return;
    }
    if (!usable)
        return;  // a damaged second field: the first stands alone
    ApplyPictureToDecoder(&second, s->decoder);
    s->decoder->pred.firstField = 0;
    // The references are those of the frame (its first field's type).
    PictureHeader pic = second;
    pic.picture_coding_type = s->currentRecord.picture_coding_type;
    DecodeFieldOrFrame(s, pic);
}

// A picture that is not decoded takes its second field with it, as the
// index counts them.
void PassOverSecondField(MpegVideoStream *s)
{
    if (!NextVideoStartCode(s->v) || PeekVideoBits(s->v, 32) != kPictureStartCode)
        return;
    long long at = TellVideo(s->v);
    PictureHeader second;
    ParsePictureHeader(s->v, &second);
    if (!second.has_coding_extension || second.picture_structure == kFramePicture)
        SeekVideo(s->v, at, 0);
}

void DecodePicture(MpegVideoStream *s, Request *req)
{
    PictureHeader &pic = s->pic;
    if (!ParsePictureHeader(s->v, &pic))
        return;  // no decoder can use it; the index does not count it either
    int type = pic.picture_coding_type;
    bool field = pic.has_coding_extension && pic.picture_structure != kFramePicture;
    ApplyPictureToDecoder(&pic, s->decoder);
    if (field)
        s->decoder->pred.firstField = 1;
    s->current = NewFrameBuffer(s->seq.coded_width, s->seq.coded_height);
    if (!s->current) {
        if (field)
            PassOverSecondField(s);
        return;
    }
    s->currentRecord.frame = s->nextDisplay.frame;
    FillFrameRecord(&pic, &s->currentRecord);
    if (type != kPictureB)
        AdvanceReferences(s, req);
    s->currentRecord.closed_gop_state = s->closedGop;
    // Pictures without the references they predict from keep their frame
    // numbers (as the index counts them) but produce nothing; a P picture
    // dropped so does not stay behind as the backward reference.
    bool dropped = (type == kPictureB && (!s->backward || (!s->forward && s->closedGop == 0))) ||
                   (type == kPictureP && !s->forward);
    if (dropped) {
        if (type == kPictureB)
            ReleaseReference(&s->current);
        else
            ReleaseReference(&s->backward);
        s->current = nullptr;
        if (field)
            PassOverSecondField(s);
        return;
    }
    // A closed GOP's leading B pictures predict from the following
    // reference only.
    bool substituted = type == kPictureB && !s->forward;
    if (substituted)
        s->forward = s->backward;
    DecodeFieldOrFrame(s, pic);
    if (field)
        DecodeSecondField(s);
    if (substituted)
        s->forward = nullptr;
    if (type == kPictureB)
        OutputBPicture(s, req);
    else
        s->current = nullptr;  // it is the backward reference now
}

// The decode window: forward decoding is preferred for a frame up to the
// estimated end of the current GOP or 10 frames ahead, whichever is later.
bool IsOutsideDecodeWindow(const MpegVideoStream *s, long long n)
{
    long long p = s->nextDisplay.frame;
    if (s->backward && n == p)
        return false;
    long long end = s->gop.first + s->gop.count;
    if (p + 10 > end)
        end = p + 10;
    return p <= 0 || n <= p || n >= end;
}

bool GopEntryHoldsStartCode(MpegVideoStream *s)
{
    unsigned code = PeekVideoBits(s->v, 32);
    int type = 0;
    if (code == kPictureStartCode && s->v->rd.accBits >= 45) {
        // The window holds the start code, temporal_reference (10 bits)
        // and picture_coding_type (3 bits).
        type = (int)(s->v->rd.acc >> (64 - 45)) & 7;
    }
    return IsGopEntryStartCode(code, type);
}

// Seeks to the GOP that holds n; false when there is none.
bool SeekToFrame(MpegVideoStream *s, long long n)
{
    s->seeks++;
    s->gop = s->findGop(s->index, n);
    ReleaseReference(&s->forward);
    ReleaseReference(&s->backward);
    if (!GopEntryFound(s->gop) || n < s->gop.first) {
        // Where the decoder stands is unknown now: the next request seeks.
        ResetFrameRecords(s, 0);
        s->gop.count = 0;
        return false;
    }
    SeekVideo(s->v, s->gop.offset, 0);
    if (s->usesGopList && !GopEntryHoldsStartCode(s)) {
        // An entry of a ".gl" file beyond those checked at open: decoding
        // from there would number the frames wrongly. The file is not kept,
        // so that the next open scans the stream anew.
        if (s->gopListFile[0])
            remove(s->gopListFile);
        s->gopListFile[0] = 0;
        ResetFrameRecords(s, 0);
        s->gop.count = 0;
        return false;
    }
    ResetFrameRecords(s, s->gop.first);
    s->closedGop = 0;
    FlushFrameCache(&s->cache);
    if (s->gop.seq)
        InstallSequence(s, *s->gop.seq);
    return true;
}

const FrameCacheEntry *GetVideoFrameLocked(MpegVideoStream *s, long long n)
{
    if (n < 0 || n >= s->indexFrames)
        return nullptr;
    if (FrameCacheEntry *e = FindCachedFrame(&s->cache, n))
        return e;
    if (IsOutsideDecodeWindow(s, n) && !SeekToFrame(s, n))
        return nullptr;
    Request req = {n, false};
    // Each picture normally moves the display position on: a stream that
    // stops doing so (damaged data giving no frames) is not read to its
    // end for every request.
    long long pictures = 0, budget = n - s->nextDisplay.frame + 256;
    while (!req.found && n >= s->nextDisplay.frame) {
        if (!NextVideoStartCode(s->v)) {
            ReleaseReference(&s->forward);
            FlushBackwardReference(s, &req);
            s->outputPending.frame = -1;
            s->nextDisplay.frame = -1;
            break;
        }
        unsigned code = PeekVideoBits(s->v, 32);
        if (code == kSequenceHeaderCode)
            HandleSequenceHeader(s, &req);
        else if (code == kGopStartCode)
            HandleGopHeader(s, &req);
        else if (code == kPictureStartCode) {
            if (++pictures > budget)
                break;
            DecodePicture(s, &req);
        } else
            SkipVideoBits(s->v, 32);
    }
    SimdLeaveMmx();
    return req.found ? FindCachedFrame(&s->cache, n) : nullptr;
}

void FailOpen(MpegVideoStream *s)
{
    if (s->index)
        s->freeIndex(s->index);
    FreeResizer(s->resizer);
    if (s->v) {
        CloseVideoSource(s->v);
        free(s->v);
    }
    FreeDecoderState(s->decoder);
    free(s);
}

// Steps to the next start code `wanted`, passing others; false when a start
// code lies beyond `limit` bytes or the data end first.
bool FindWithinLimit(VideoBitReader *v, unsigned wanted, long long limit)
{
    while (NextVideoStartCode(v)) {
        if (PeekVideoBits(v, 32) == wanted)
            return true;
        if (TellVideo(v) > limit)
            return false;
        SkipVideoBits(v, 32);
    }
    return false;
}

// The GOP list: from the ".gl" file beside the movie when it still fits
// the stream, else by a scan of the whole stream (the file written anew).
GopList *ObtainGopList(MpegVideoStream *s, const char *path, int joinNumbered)
{
    void *context;
    GopProgressHook hook = GopScanProgressHook(&context);
    char name[260];
    if ((s->settings.gl & kGlNoFile) || !GopListFileName(path, name))
        return BuildGopList(s->v, s->streamTopFieldFirst, hook, context);
    StreamFingerprint fp;
    bool haveFingerprint = ComputeStreamFingerprint(path, joinNumbered, &fp);
    if (haveFingerprint) {
        if (GopList *list = ReadGopListFile(name, s->v->streamSize, &fp)) {
            if (GopListMatchesStream(list, s->v)) {
                strcpy(s->gopListFile, name);
                return list;
            }
            FreeGopList(list);  // made for other data: scanned and written anew
        }
    }
    GopList *list = BuildGopList(s->v, s->streamTopFieldFirst, hook, context);
    if (list && haveFingerprint)
        WriteGopListFile(list, name, &fp);  // a failed write only costs the next open a scan
    return list;
}

} // namespace

MpegVideoStream *OpenVideoStream(const char *path)
{
    if (!HasMpegExtension(path))
        return nullptr;
    MpegVideoStream *s = (MpegVideoStream *)calloc(1, sizeof(MpegVideoStream));
    if (!s)
        return nullptr;
    s->v = (VideoBitReader *)calloc(1, sizeof(VideoBitReader));
    s->decoder = NewDecoderState();
    long long limit = ReadSettingLimit();
    int joinNumbered = (int)ReadSettingFile();
    s->joinNumbered = joinNumbered;
    VideoSourceOptions options = {limit, joinNumbered};
    if (!s->v || !s->decoder || !OpenVideoSource(s->v, path, &options)) {
        free(s->v);  // a source that failed to open has closed what it opened
        s->v = nullptr;
        FailOpen(s);
        return nullptr;
    }
    VideoBitReader *v = s->v;
    if (!FindWithinLimit(v, kSequenceHeaderCode, limit) || !ParseSequenceHeader(v, &s->seq) ||
        !HasPictureRate(&s->seq) || !HasUsablePictureSize(s->seq)) {
        FailOpen(s);
        return nullptr;
    }
    s->progressive = ProgressiveIndicator(&s->seq);
    ApplySequenceToDecoder(&s->seq, s->decoder);
    if (!FindWithinLimit(v, kPictureStartCode, limit) || !ParsePictureHeader(v, &s->pic)) {
        FailOpen(s);
        return nullptr;
    }
    ReadDecoderSettings(&s->settings);
    s->streamTopFieldFirst = s->pic.has_coding_extension ? s->pic.top_field_first : 0;

    SeekVideo(v, 0, 0);
    TimecodeIndex *t = NewTimecodeIndex(v, &s->seq, s->streamTopFieldFirst);
    if (!t) {
        FailOpen(s);
        return nullptr;
    }
    s->rate = t->rate;
    s->scale = t->scale;
    s->frameCount = 0;
    GopEntry first;
    if (!(s->settings.gl & kGlNoTimecodeIndex) && AnalyseGopTimecodes(t, &first)) {
        s->frameCount = CountFramesByTimecode(t);
        s->index = t;
        s->findGop = FindInTimecodeIndex;
        s->freeIndex = FreeTimecodeIndexOf;
    }
    if (s->frameCount <= 0) {
        FreeTimecodeIndex(t);
        s->index = nullptr;
        GopList *list = ObtainGopList(s, path, joinNumbered);
        if (!list) {
            FailOpen(s);
            return nullptr;
        }
        s->index = list;
        s->findGop = FindInGopList;
        s->freeIndex = FreeGopListOf;
        s->usesGopList = 1;
        s->frameCount = list->totalFrames;
    }

    // The sequence in force at the start (a scan has moved the reader on).
    UpdateOutputInfo(s);
    if (!s->seq.has_sequence_extension || s->seq.progressive_sequence)
        s->settings.field_order = 0;
    switch (s->settings.field_order) {
    case 1:
        s->topFieldFirst = 1;
        break;
    case 2:
        s->topFieldFirst = 0;
        break;
    default:
        s->topFieldFirst = s->streamTopFieldFirst;
        break;
    }
    // Pairing frame n with n + 1 takes one frame from the end.
    s->indexFrames = s->frameCount;
    if (s->topFieldFirst != s->streamTopFieldFirst)
        s->frameCount--;
    if (s->frameCount <= 0) {
        FailOpen(s);
        return nullptr;
    }

    SelectRoutines(s);
    s->resizer = CreateResizer(&s->seq, s->settings.aspect_ratio);
    ApplyResizerToOutputInfo(s->resizer, &s->info);
    s->outWidth = s->info.width;
    s->outHeight = s->info.height;

    SeekVideo(v, 0, 0);
    s->gop.count = 0;
    s->gop.first = -1;
    ResetFrameRecords(s, s->gop.first);
    if (!InitStreamLock(&s->lock)) {
        FailOpen(s);
        return nullptr;
    }
    return s;
}

void CloseVideoStream(MpegVideoStream *s)
{
    if (!s)
        return;
    FlushFrameCache(&s->cache);
    ReleaseFrameBuffer(s->forward);
    ReleaseFrameBuffer(s->backward);
    ReleaseFrameBuffer(s->current);
    DeleteStreamLock(&s->lock);
    s->forward = s->backward = s->current = nullptr;
    FailOpen(s);
}

const FrameCacheEntry *GetVideoFrame(MpegVideoStream *s, long long n)
{
    EnterStreamLock(&s->lock);
    const FrameCacheEntry *e = GetVideoFrameLocked(s, n);
    LeaveStreamLock(&s->lock);
    return e;
}

int GetFrameCodingType(MpegVideoStream *s, long long n)
{
    EnterStreamLock(&s->lock);
    const FrameCacheEntry *e = GetVideoFrameLocked(s, n);
    int type = 0;
    if (e) {
        type = e->rec.picture_coding_type;
        if (type == kPictureB && e->rec.closed_gop_state != 0)
            type = 4;
    }
    LeaveStreamLock(&s->lock);
    return type;
}

bool ReadVideoFrameRgb24(MpegVideoStream *s, long long n, BYTE *out, int pitch)
{
    EnterStreamLock(&s->lock);
    const FrameCacheEntry *e = GetVideoFrameLocked(s, n);
    if (!e) {
        LeaveStreamLock(&s->lock);
        return false;
    }
    // Frame n's buffer is held across the read of n + 1, which may drop it
    // from the cache (or flush the cache by a seek).
    FrameBuffer *top = e->fb, *bottom = e->fb;
    top->refCount++;
    bottom->refCount++;
    FrameRecord rec = e->rec;
    OutputInfo info = e->info;
    int order = s->settings.field_order;
    bool pair = rec.repeat_first_field == 0 &&
                ((order == 1 && rec.top_field_first == 0) || (order == 2 && rec.top_field_first == 1));
    if (pair) {
        const FrameCacheEntry *next = GetVideoFrameLocked(s, n + 1);
        if (next && next->fb->width == top->width && next->fb->height == top->height) {
            FrameBuffer *&other = order == 1 ? bottom : top;
            ReleaseFrameBuffer(other);
            other = next->fb;
            other->refCount++;
        }
    }
    info.width = s->outWidth;
    info.height = s->outHeight;
    info.pitch = pitch;
    s->routines.convert(top, bottom, out, &info);
    SimdLeaveMmx();
    ReleaseFrameBuffer(top);
    ReleaseFrameBuffer(bottom);
    LeaveStreamLock(&s->lock);
    return true;
}
