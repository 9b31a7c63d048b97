#include "mpeg/mpeg_cutter_ps.h"

#include "mpeg/cut_decider.h"
#include "mpeg/layer2_decoder.h"
#include "mpeg/raw_file.h"
#include "mpeg/stream_reader.h"

#include <stdio.h>
#include <string.h>

#include <deque>
#include <limits>
#include <map>
#include <vector>

namespace {

// Stream ids whose packets carry no header fields after their length.
bool HasNoHeaderFields(int id) { return id == 0xBC || id == 0xBE || id == 0xBF || id == 0xF0 || id == 0xF1 || id == 0xF2 || id == 0xF8 || id == 0xFF; }
bool IsAudioId(int id) { return id >= 0xC0 && id <= 0xDF; }
bool IsVideoId(int id) { return id >= 0xE0 && id <= 0xEF; }

} // namespace

int PesPayloadOffset(const BYTE *b, int n)
{
    if (n < 6)
        return -1;
    int id = b[3];
    if (HasNoHeaderFields(id))
        return 6;
    if (n >= 9 && (b[6] & 0xC0) == 0x80) {  // MPEG-2
        int at = 9 + b[8];
        return at <= n ? at : -1;
    }
    int i = 6;
    while (i < n && b[i] == 0xFF && i < 6 + 16)
        i++;
    if (i < n && (b[i] & 0xC0) == 0x40)
        i += 2;
    if (i >= n)
        return -1;
    if ((b[i] & 0xF0) == 0x20)
        i += 5;
    else if ((b[i] & 0xF0) == 0x30)
        i += 10;
    else if (b[i] == 0x0F)
        i += 1;
    else
        return -1;
    return i <= n ? i : -1;
}

void MakePaddingPes(BYTE *b, int n)
{
    if (n < 6)
        return;
    b[3] = 0xBE;
    b[4] = (BYTE)((n - 6) >> 8);
    b[5] = (BYTE)(n - 6);
    memset(b + 6, 0xFF, (size_t)n - 6);
}

static void WritePadding(std::vector<BYTE> &v, int n)
{
    size_t at = v.size();
    v.resize(at + n);
    v[at] = 0, v[at + 1] = 0, v[at + 2] = 1;
    MakePaddingPes(v.data() + at, n);
}

bool ReshapePes(BYTE *b, int n, int front, int back)
{
    int payload = PesPayloadOffset(b, n);
    if (payload < 0 || n < 6 || 6 + ((b[4] << 8) | b[5]) != n)
        return false;
    int length = n - payload;
    if (front < 0 || back < 0)
        return false;
    if (front == 0 && back == 0)
        return true;
    if (front + back >= length) {
        MakePaddingPes(b, n);
        return true;
    }
    int frontPad = front >= 6 ? front : 0, backPad = back >= 6 ? back : 0;
    int stuff = (front - frontPad) + (back - backPad);
    bool mpeg2 = !HasNoHeaderFields(b[3]) && (b[6] & 0xC0) == 0x80;
    if (stuff && (HasNoHeaderFields(b[3]) || (mpeg2 && b[8] + stuff > 255))) {
        // No room for stuffing: the short runs stay, zeroed.
        memset(b + payload, 0, (size_t)(front - frontPad));
        memset(b + n - (back - backPad), 0, (size_t)(back - backPad));
        front = frontPad, back = backPad, stuff = 0;
        if (front == 0 && back == 0)
            return true;
    }
    std::vector<BYTE> v;
    v.reserve(n);
    if (frontPad)
        WritePadding(v, frontPad);
    int kept = length - front - back;
    int header = payload - 6 + stuff;
    v.insert(v.end(), b, b + 4);
    v.push_back((BYTE)((header + kept) >> 8));
    v.push_back((BYTE)(header + kept));
    if (mpeg2) {
        v.push_back(b[6]);
        v.push_back(b[7]);
        v.push_back((BYTE)(b[8] + stuff));
        v.insert(v.end(), b + 9, b + payload);
        v.insert(v.end(), (size_t)stuff, 0xFF);
    } else {
        v.insert(v.end(), (size_t)stuff, 0xFF);
        v.insert(v.end(), b + 6, b + payload);
    }
    v.insert(v.end(), b + payload + front, b + payload + front + kept);
    if (backPad)
        WritePadding(v, backPad);
    if ((int)v.size() != n)
        return false;
    memcpy(b, v.data(), (size_t)n);
    return true;
}

namespace {

// Packs held before the cut starts, from the latest sequence header on;
// beyond this the oldest go and the sequence header is written anew.
long long g_holdLimit = 48 << 20;

struct PesSpan {
    int offset, length, id;
};

struct VideoSegment {
    int offset;  // in the pack's bytes
    int length;
    long long esStart;
    int pes;     // index in the pack's packets
};

struct Pack {
    std::vector<BYTE> bytes;
    int headerBytes = 0;  // the pack header (with its stuffing)
    bool mpeg2 = true;
    bool systemHeader = false;
    long long scr = 0;    // 27 MHz
    std::vector<PesSpan> pes;
    std::vector<VideoSegment> video;
    long long esEnd = std::numeric_limits<long long>::max();
};

long long ReadScr(const Pack &p)
{
    const BYTE *b = p.bytes.data() + 4;
    if (p.mpeg2) {
        long long base = (long long)((b[0] >> 3) & 7) << 30 | (long long)(b[0] & 3) << 28 | (long long)b[1] << 20 |
                         (long long)(b[2] >> 3) << 15 | (long long)(b[2] & 3) << 13 | (long long)b[3] << 5 | b[4] >> 3;
        int ext = (b[4] & 3) << 7 | b[5] >> 1;
        return base * 300 + ext;
    }
    long long base = (long long)((b[0] >> 1) & 7) << 30 | (long long)b[1] << 22 | (long long)(b[2] >> 1) << 15 |
                     (long long)b[3] << 7 | b[4] >> 1;
    return base * 300;
}

void WriteScr(Pack &p, long long scr)
{
    if (scr < 0)
        scr = 0;
    BYTE *b = p.bytes.data() + 4;
    long long base = (scr / 300) & ((1LL << 33) - 1);
    if (p.mpeg2) {
        int ext = (int)(scr % 300);
        b[0] = (BYTE)(0x44 | ((base >> 27) & 0x38) | ((base >> 28) & 3));
        b[1] = (BYTE)(base >> 20);
        b[2] = (BYTE)(((base >> 12) & 0xF8) | 4 | ((base >> 13) & 3));
        b[3] = (BYTE)(base >> 5);
        b[4] = (BYTE)(((base << 3) & 0xF8) | 4 | ((ext >> 7) & 3));
        b[5] = (BYTE)((ext << 1) | 1);
    } else {
        b[0] = (BYTE)(0x21 | ((base >> 29) & 0x0E));
        b[1] = (BYTE)(base >> 22);
        b[2] = (BYTE)(((base >> 14) & 0xFE) | 1);
        b[3] = (BYTE)(base >> 7);
        b[4] = (BYTE)(((base << 1) & 0xFE) | 1);
    }
    p.scr = scr;
}

// Reads the next pack (its header, system header and packets); false at the
// end of the data or at a program end code.
bool ReadPack(BlockReader *r, Pack &p)
{
    for (;;) {
        if (!NextReaderStartCode(r))
            return false;
        unsigned code = PeekReaderBits(r, 32);
        if (code == 0x1BA)
            break;
        if (code == 0x1B9)
            return false;
        SkipReaderBits(r, 32);
    }
    p = Pack();
    BYTE head[14 + 7];
    if (ReadReaderBytes(r, head, 5) != 5)
        return false;
    p.mpeg2 = (head[4] & 0xC0) == 0x40;
    int rest = p.mpeg2 ? 9 : 7;
    if (ReadReaderBytes(r, head + 5, rest) != rest)
        return false;
    int n = 5 + rest;
    if (p.mpeg2) {
        int stuffing = head[13] & 7;
        if (ReadReaderBytes(r, head + 14, stuffing) != stuffing)
            return false;
        n += stuffing;
    }
    p.bytes.assign(head, head + n);
    p.headerBytes = n;
    p.scr = ReadScr(p);
    for (;;) {
        if (!NextReaderStartCode(r))
            break;
        unsigned code = PeekReaderBits(r, 32);
        if (code == 0x1BA || code == 0x1B9)
            break;
        if (code < 0x1BB) {
            SkipReaderBits(r, 32);  // a stray start code between packets
            continue;
        }
        BYTE six[6];
        if (ReadReaderBytes(r, six, 6) != 6)
            break;
        int length = six[4] << 8 | six[5];
        size_t at = p.bytes.size();
        p.bytes.insert(p.bytes.end(), six, six + 6);
        p.bytes.resize(at + 6 + length);
        if (ReadReaderBytes(r, p.bytes.data() + at + 6, length) != length) {
            p.bytes.resize(at);
            break;
        }
        if (code == 0x1BB)
            p.systemHeader = true;
        else
            p.pes.push_back(PesSpan{(int)at, 6 + length, (int)(code & 0xFF)});
    }
    return true;
}

// Finds the ES byte positions of a video elementary stream spread over
// packs and follows its units.
struct EsUnit {
    long long start;
    std::vector<BYTE> head;  // first bytes (a sequence header's whole unit up to 4 KB)
};

class ProgramStreamCut {
public:
    ProgramStreamCut(VfCutProgress progress, const char *out, long long first, long long end)
        : progress_(progress), out_(out), decider_(first, end), end_(end)
    {
    }
    CutResult Run(StreamReader *sr);

private:
    BYTE *EsByte(long long pos);
    void ZeroEs(long long from, long long to);
    void Feed(Pack &p);
    void CompleteUnit(long long boundary);
    void Start(const EsUnit &iPicture, long long iEnd);
    void RewriteGop(long long start, long long end, long long frame);
    void RewriteTemporalReference(long long start, long long end, int tref);
    void Stop(long long at);
    void Flush(long long boundary);
    bool WritePack(const Pack &p);
    void FinishAudio();

    VfCutProgress progress_;
    const char *out_;
    CutDecider decider_;
    long long end_;
    FILE *f_ = nullptr;
    bool ok_ = true, stopped_ = false, abandoned_ = false;
    int videoId_ = -1;
    std::deque<Pack> packs_;
    long long heldBytes_ = 0;
    // the ES scan
    long long esPos_ = 0;
    unsigned window_ = 0xFFFFFFFF;
    bool haveUnit_ = false;
    EsUnit unit_;
    // before the start
    long long seqStart_ = -1, gopStart_ = -1, gopEnd_ = -1;
    std::vector<BYTE> seqUnit_;
    bool seqInPacks_ = false;
    struct Span {
        long long start, end;
        int kind;
    };
    std::vector<Span> sinceSeq_;
    Pack systemCopy_;
    bool haveSystemCopy_ = false;
    long long systemDistance_ = -1;
    // the output
    long long written_ = 0;
    std::map<int, std::pair<long long, int>> firstAudio_, lastAudio_;
};

BYTE *ProgramStreamCut::EsByte(long long pos)
{
    for (Pack &p : packs_)
        for (const VideoSegment &s : p.video)
            if (pos >= s.esStart && pos < s.esStart + s.length)
                return p.bytes.data() + s.offset + (pos - s.esStart);
    return nullptr;
}

void ProgramStreamCut::ZeroEs(long long from, long long to)
{
    for (Pack &p : packs_)
        for (const VideoSegment &s : p.video) {
            long long a = from > s.esStart ? from : s.esStart, b = to < s.esStart + s.length ? to : s.esStart + s.length;
            if (a < b)
                memset(p.bytes.data() + s.offset + (a - s.esStart), 0, (size_t)(b - a));
        }
}

bool ProgramStreamCut::WritePack(const Pack &p)
{
    if (!ok_)
        return false;
    for (const PesSpan &s : p.pes)
        if (IsAudioId(p.bytes[s.offset + 3])) {
            int id = p.bytes[s.offset + 3];
            std::pair<long long, int> at(written_ + s.offset, s.length);
            if (!firstAudio_.count(id))
                firstAudio_[id] = at;
            lastAudio_[id] = at;
        }
    ok_ = fwrite(p.bytes.data(), 1, p.bytes.size(), f_) == p.bytes.size();
    written_ += (long long)p.bytes.size();
    return ok_;
}

// Before the start: packs that can no longer begin the output go (all
// before the latest sequence header; beyond a bound, the oldest anyway).
// After it: packs whose video is all decided are written.
void ProgramStreamCut::Flush(long long boundary)
{
    if (decider_.started) {
        while (!packs_.empty() && packs_.front().esEnd <= boundary && ok_) {
            WritePack(packs_.front());
            packs_.pop_front();
        }
        return;
    }
    long long keepFrom = seqStart_ >= 0 ? seqStart_ : boundary;
    while (!packs_.empty() && packs_.front().esEnd <= boundary &&
           (packs_.front().esEnd <= keepFrom || heldBytes_ > g_holdLimit)) {
        const Pack &p = packs_.front();
        if (seqStart_ >= 0 && p.esEnd > seqStart_)
            seqInPacks_ = false;  // the sequence header's pack is gone: it will be written anew
        if (p.systemHeader) {
            systemCopy_ = p;
            haveSystemCopy_ = true;
            systemDistance_ = packs_.size() > 1 ? packs_[1].scr - p.scr : -1;
        }
        heldBytes_ -= (long long)p.bytes.size();
        packs_.pop_front();
    }
}

void ProgramStreamCut::RewriteGop(long long start, long long end, long long frame)
{
    BYTE g[8];
    if (end - start < 8)
        return;  // a GOP header cut short: its bytes are those of what follows
    for (int i = 0; i < 8; i++) {
        BYTE *b = EsByte(start + i);
        if (!b)
            return;
        g[i] = *b;
    }
    SetUnitGopTimecode(g, 8, frame, decider_.framesPerSecond);
    for (int i = 4; i < 8; i++)
        *EsByte(start + i) = g[i];
}

void ProgramStreamCut::RewriteTemporalReference(long long start, long long end, int tref)
{
    BYTE *b4 = EsByte(start + 4), *b5 = EsByte(start + 5);
    if (end - start < 6 || !b4 || !b5)
        return;
    BYTE h[6] = {0, 0, 1, 0, *b4, *b5};
    SetUnitTemporalReference(h, 6, tref);
    *b4 = h[4];
    *b5 = h[5];
}

void ProgramStreamCut::Start(const EsUnit &iPicture, long long iEnd)
{
    f_ = fopen(out_, "wb");
    if (!f_) {
        ok_ = false;
        return;
    }
    // Units between the sequence header and the I picture other than the
    // latest GOP header are not part of the output.
    for (const Span &s : sinceSeq_)
        if (s.kind != kCutSequence && s.start != gopStart_)
            ZeroEs(s.start, s.end);
    if (gopStart_ >= 0)
        RewriteGop(gopStart_, gopEnd_, 0);
    RewriteTemporalReference(iPicture.start, iEnd, decider_.newTemporalReference);
    // Packs before the sequence header's go; in its pack, the video before
    // the header becomes padding.
    long long from = seqInPacks_ ? seqStart_ : iPicture.start;
    while (!packs_.empty()) {
        const Pack &p = packs_.front();
        bool holds = false;
        for (const VideoSegment &s : p.video)
            holds = holds || s.esStart + s.length > from;
        if (holds)
            break;
        if (p.systemHeader) {
            systemCopy_ = p;
            haveSystemCopy_ = true;
            systemDistance_ = packs_.size() > 1 ? packs_[1].scr - p.scr : -1;
        }
        packs_.pop_front();
    }
    if (packs_.empty()) {
        ok_ = false;
        return;
    }
    Pack &first = packs_.front();
    for (size_t k = 0; k < first.video.size(); k++) {
        const VideoSegment &s = first.video[k];
        const PesSpan &pes = first.pes[s.pes];
        if (s.esStart + s.length <= from)
            MakePaddingPes(first.bytes.data() + pes.offset, pes.length);
        else if (s.esStart < from)
            ReshapePes(first.bytes.data() + pes.offset, pes.length, (int)(from - s.esStart), 0);
    }
    // A player needs the system header first.
    if (!first.systemHeader && haveSystemCopy_) {
        Pack copy = systemCopy_;
        for (const PesSpan &s : copy.pes)
            MakePaddingPes(copy.bytes.data() + s.offset, s.length);
        copy.pes.clear();
        WriteScr(copy, first.scr - (systemDistance_ > 0 ? systemDistance_ : 0));
        WritePack(copy);
    }
    // A sequence header whose pack is gone is written in a pack of its own.
    if (!seqInPacks_ && !seqUnit_.empty()) {
        Pack seq;
        seq.mpeg2 = first.mpeg2;
        seq.bytes.assign(first.bytes.begin(), first.bytes.begin() + first.headerBytes);
        WriteScr(seq, first.scr > 0 ? first.scr - 1 : 0);
        std::vector<BYTE> pes = {0, 0, 1, (BYTE)videoId_, 0, 0};
        if (first.mpeg2) {
            pes.push_back(0x80);  // no timestamps
            pes.push_back(0x00);
            pes.push_back(0x00);
        } else {
            pes.push_back(0x0F);
        }
        pes.insert(pes.end(), seqUnit_.begin(), seqUnit_.end());
        pes[4] = (BYTE)((pes.size() - 6) >> 8);
        pes[5] = (BYTE)(pes.size() - 6);
        seq.bytes.insert(seq.bytes.end(), pes.begin(), pes.end());
        WritePack(seq);
    }
}

// The unit at `at` ends the copy: its start code becomes a sequence end
// code and the video after it padding.
void ProgramStreamCut::Stop(long long at)
{
    stopped_ = true;
    if (BYTE *code = EsByte(at + 3))
        *code = 0xB7;
    long long cut = at + 4;
    size_t last = 0;
    for (size_t i = 0; i < packs_.size(); i++) {
        Pack &p = packs_[i];
        bool any = false;
        for (const VideoSegment &s : p.video) {
            const PesSpan &pes = p.pes[s.pes];
            if (s.esStart >= cut)
                MakePaddingPes(p.bytes.data() + pes.offset, pes.length);
            else if (s.esStart + s.length > cut)
                ReshapePes(p.bytes.data() + pes.offset, pes.length, 0, (int)(s.esStart + s.length - cut));
            if (s.esStart < cut)
                any = true;
        }
        if (any)
            last = i;
    }
    for (size_t i = 0; i <= last && i < packs_.size() && ok_; i++)
        WritePack(packs_[i]);
    packs_.clear();
}

void ProgramStreamCut::CompleteUnit(long long boundary)
{
    if (!haveUnit_)
        return;
    const EsUnit &u = unit_;
    CutUnit cu = ParseCutUnit(u.head.data(), (int)(u.head.size() < (size_t)kCutHeadBytes ? u.head.size() : (size_t)kCutHeadBytes));
    bool wasStarted = decider_.started;
    CutAction a = decider_.Next(cu);
    if (!wasStarted) {
        if (cu.kind == kCutSequence && a == kCutHold) {
            seqStart_ = u.start;
            gopStart_ = -1;
            seqUnit_ = u.head;
            seqInPacks_ = true;
            sinceSeq_.clear();
        } else if (cu.kind == kCutGop && a == kCutHold && seqStart_ >= 0) {
            gopStart_ = u.start;
            gopEnd_ = boundary;
        }
        if (seqStart_ >= 0 && u.start >= seqStart_ && a != kCutStart)
            sinceSeq_.push_back(Span{u.start, boundary, cu.kind});
    }
    switch (a) {
    case kCutStart:
        Start(u, boundary);
        break;
    case kCutWrite:
        if (cu.kind == kCutGop)
            RewriteGop(u.start, boundary, decider_.newTimecodeFrame);
        else if (cu.kind == kCutPicture)
            RewriteTemporalReference(u.start, boundary, decider_.newTemporalReference);
        break;
    case kCutZero:
        ZeroEs(u.start, boundary);
        break;
    case kCutStop:
        Stop(u.start);
        return;
    default:
        // A sequence end code or stray unit inside the copy is dropped.
        if (wasStarted)
            ZeroEs(u.start, boundary);
        break;
    }
    if (decider_.started && cu.kind == kCutPicture) {
        long long percent = decider_.fieldsPassed * 50 / end_;
        if (progress_(out_, (LONG)(percent > 100 ? 100 : percent))) {
            abandoned_ = true;
            return;
        }
    }
    Flush(boundary);
}

void ProgramStreamCut::Feed(Pack &p)
{
    long long at = esPos_;
    for (size_t k = 0; k < p.pes.size(); k++) {
        const PesSpan &s = p.pes[k];
        int id = p.bytes[s.offset + 3];
        if (videoId_ < 0 && IsVideoId(id))
            videoId_ = id;
        if (id != videoId_)
            continue;
        int payload = PesPayloadOffset(p.bytes.data() + s.offset, s.length);
        if (payload < 0 || payload >= s.length)
            continue;
        p.video.push_back(VideoSegment{s.offset + payload, s.length - payload, at, (int)k});
        at += s.length - payload;
    }
    // Walk the new video bytes for start codes; a unit is decided when the
    // next one begins.
    for (size_t v = 0; v < p.video.size(); v++) {
        const BYTE *b = p.bytes.data() + p.video[v].offset;
        int n = p.video[v].length;
        for (int i = 0; i < n; i++) {
            window_ = window_ << 8 | b[i];
            long long pos = esPos_ + i;
            if ((window_ & 0xFFFFFF00u) == 0x00000100u && IsCutUnitBoundary((int)(window_ & 0xFF))) {
                long long start = pos - 3;
                if (haveUnit_) {
                    CompleteUnit(start);
                    if (stopped_ || abandoned_ || !ok_)
                        return;
                }
                haveUnit_ = true;
                unit_.start = start;
                unit_.head.assign({0, 0, 1, (BYTE)(window_ & 0xFF)});
                continue;
            }
            if (haveUnit_) {
                size_t most = unit_.head.size() >= 4 && unit_.head[3] == 0xB3 ? 4096 : kCutHeadBytes;
                if (unit_.head.size() < most)
                    unit_.head.push_back(b[i]);
            }
        }
        esPos_ += n;
    }
}

CutResult ProgramStreamCut::Run(StreamReader *sr)
{
    Pack p;
    while (!stopped_ && !abandoned_ && ok_ && ReadPack(&sr->rd, p)) {
        if (haveSystemCopy_ && systemDistance_ < 0)
            systemDistance_ = p.scr - systemCopy_.scr;
        packs_.push_back(std::move(p));
        heldBytes_ += (long long)packs_.back().bytes.size();
        Feed(packs_.back());
        // (a stop has written and let go every pack)
        if (!stopped_ && !packs_.empty())
            packs_.back().esEnd = esPos_;
    }
    if (!stopped_ && !abandoned_ && ok_) {
        if (haveUnit_)
            CompleteUnit(esPos_);
        if (!stopped_ && !abandoned_ && decider_.started) {
            while (!packs_.empty() && ok_) {
                WritePack(packs_.front());
                packs_.pop_front();
            }
        }
    }
    if (!f_)
        return ok_ ? kCutNoStart : kCutNoOutput;
    if (!abandoned_) {
        static const BYTE kProgramEnd[4] = {0, 0, 1, 0xB9};
        ok_ = ok_ && fwrite(kProgramEnd, 1, 4, f_) == 4;
    }
    if (fclose(f_) != 0)
        ok_ = false;
    f_ = nullptr;
    if (!ok_)
        return kCutNoOutput;
    if (abandoned_)
        return kCutAbandoned;
    FinishAudio();
    if (!ok_)
        return kCutNoOutput;
    progress_(out_, 100);
    return kCutDone;
}

bool IsSync(const BYTE *b) { return b[0] == 0xFF && (b[1] & 0xF0) == 0xF0; }

// The first Layer II frame header in bytes [0, n) whose frame is followed
// by another header (or by the end of the bytes), or -1.
int FirstFrameHeader(const BYTE *b, int n)
{
    for (int i = 0; i + 4 <= n; i++) {
        if (!IsSync(b + i))
            continue;
        Layer2Header h;
        if (!ParseLayer2Header((DWORD)b[i] << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3], &h))
            continue;
        int next = i + h.frameLength;
        if (next + 2 > n || IsSync(b + next))
            return i;
    }
    return -1;
}

// The sound at the two ends: the first packet of each stream starts at a
// frame header, the last ends after its last whole frame.
void ProgramStreamCut::FinishAudio()
{
    int mono = g_bMonoMpegAudio;
    FILE *f = fopen(out_, "r+b");
    if (!f) {
        ok_ = false;
        return;
    }
    for (auto &entry : firstAudio_) {
        std::pair<long long, int> ends[2] = {entry.second, lastAudio_[entry.first]};
        for (int e = 0; e < 2; e++) {
            if (e == 1 && ends[1] == ends[0])
                break;
            std::vector<BYTE> pes((size_t)ends[e].second);
            if (RawStreamSeek(f, ends[e].first, 0) != 0 || fread(pes.data(), 1, pes.size(), f) != pes.size())
                continue;
            int payload = PesPayloadOffset(pes.data(), (int)pes.size());
            if (payload < 0)
                continue;
            const BYTE *b = pes.data() + payload;
            int n = (int)pes.size() - payload;
            int front = 0, back = 0;
            int at = FirstFrameHeader(b, n);
            if (at < 0) {
                MakePaddingPes(pes.data(), (int)pes.size());
            } else {
                bool single = ends[1] == ends[0];
                if (e == 0)
                    front = at;
                if (e == 1 || single) {
                    // Whole frames from the first header on.
                    int i = at;
                    for (;;) {
                        Layer2Header h;
                        if (i + 4 > n ||
                            !ParseLayer2Header((DWORD)b[i] << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3], &h) ||
                            i + h.frameLength > n)
                            break;
                        i += h.frameLength;
                    }
                    back = n - i;
                }
                ReshapePes(pes.data(), (int)pes.size(), front, back);
            }
            if (RawStreamSeek(f, ends[e].first, 0) != 0 || fwrite(pes.data(), 1, pes.size(), f) != pes.size())
                ok_ = false;
        }
    }
    if (fclose(f) != 0)
        ok_ = false;
    g_bMonoMpegAudio = mono;
}

} // namespace

void SetProgramCutHoldLimit(long long bytes) { g_holdLimit = bytes > 0 ? bytes : 48 << 20; }

CutResult CutProgramStream(const char *path, int joinNumbered, VfCutProgress progress, const char *out,
                           long long first, long long end)
{
    StreamReader *sr = OpenStreamReader(path, joinNumbered);
    if (!sr)
        return kCutNoStart;
    ProgramStreamCut cut(progress, out, first, end);
    CutResult r = cut.Run(sr);
    CloseStreamReader(sr);
    return r;
}
