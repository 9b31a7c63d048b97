// The cutter: its preparation, the transport-stream test and the
// elementary-stream cut. The program-stream cut is in mpeg_cutter_ps.cpp.
#include "mpeg/mpeg_cutter.h"

#include "mpeg/cut_decider.h"
#include "mpeg/mpeg_cutter_ps.h"
#include "mpeg/raw_file.h"
#include "mpeg/stream_reader.h"
#include "mpeg/transport_stream_source.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

struct MpegCutter {
    std::string path;
    int joinNumbered;
    bool programStream;
    VfCutProgress progress;
};

namespace {

LONG WINAPI NeverAbandon(const char *, LONG) { return 0; }

// A unit larger than this is damaged data, not a picture.
const size_t kMaxUnitBytes = 32u << 20;

// Reads the unit the reader stands on (its start code included) up to the
// next unit boundary, where the reader is left. False when it is too large.
bool ReadUnit(BlockReader *r, std::vector<BYTE> &unit)
{
    static BYTE chunk[8192];
    unit.clear();
    BYTE code[4];
    unit.insert(unit.end(), code, code + ReadReaderBytes(r, code, 4));
    for (;;) {
        int n = ReadUntilStartCode(r, chunk, sizeof chunk);
        unit.insert(unit.end(), chunk, chunk + n);
        if (unit.size() > kMaxUnitBytes)
            return false;
        if (n == (int)sizeof chunk)
            continue;
        if (!NextReaderStartCode(r))
            return true;
        if (IsCutUnitBoundary((int)(PeekReaderBits(r, 32) & 0xFF)))
            return true;
        unit.insert(unit.end(), code, code + ReadReaderBytes(r, code, 4));
    }
}

bool WriteBytes(FILE *f, const std::vector<BYTE> &b) { return b.empty() || fwrite(b.data(), 1, b.size(), f) == b.size(); }

// The output must not be one of the files it is made from.
bool IsInputFile(const MpegCutter *c, const char *out)
{
    FileLayer *layer = OpenFileLayer(c->path.c_str(), c->joinNumbered);
    if (!layer)
        return RawFilesAreSame(c->path.c_str(), out);
    bool same = false;
    for (int i = 0; i < layer->count && !same; i++)
        same = RawFilesAreSame(layer->files[i].path, out);
    CloseFileLayer(layer);
    return same;
}

CutResult CutElementaryStream(MpegCutter *c, const char *out, long long first, long long end)
{
    StreamReader *sr = OpenStreamReader(c->path.c_str(), c->joinNumbered);
    if (!sr)
        return kCutNoStart;
    BlockReader *r = &sr->rd;
    CutDecider d(first, end);
    std::vector<BYTE> unit, seq, gop;
    FILE *f = nullptr;
    CutResult result = kCutNoStart;
    bool ok = true;
    bool more = NextReaderStartCode(r);
    while (more && ok) {
        bool boundary = IsCutUnitBoundary((int)(PeekReaderBits(r, 32) & 0xFF));
        if (!ReadUnit(r, unit)) {
            result = d.started ? kCutDone : kCutNoStart;
            break;
        }
        more = NextReaderStartCode(r);
        if (!boundary)
            continue;  // data before the first unit
        CutUnit u = ParseCutUnit(unit.data(), (int)(unit.size() < (size_t)kCutHeadBytes ? unit.size() : (size_t)kCutHeadBytes));
        CutAction a = d.Next(u);
        if (a == kCutStop)
            break;
        switch (a) {
        case kCutHold:
            (u.kind == kCutSequence ? seq : gop) = unit;
            if (u.kind == kCutSequence)
                gop.clear();  // a GOP header before this sequence header is not its GOP
            break;
        case kCutStart:
            f = fopen(out, "wb");
            if (!f)
                return CloseStreamReader(sr), kCutNoOutput;
            if (!gop.empty())
                SetUnitGopTimecode(gop.data(), (int)gop.size(), 0, d.framesPerSecond);
            SetUnitTemporalReference(unit.data(), (int)unit.size(), d.newTemporalReference);
            ok = WriteBytes(f, seq) && WriteBytes(f, gop) && WriteBytes(f, unit);
            break;
        case kCutWrite:
            if (u.kind == kCutGop)
                SetUnitGopTimecode(unit.data(), (int)unit.size(), d.newTimecodeFrame, d.framesPerSecond);
            else if (u.kind == kCutPicture)
                SetUnitTemporalReference(unit.data(), (int)unit.size(), d.newTemporalReference);
            ok = WriteBytes(f, unit);
            break;
        case kCutZero:
            memset(unit.data(), 0, unit.size());
            ok = WriteBytes(f, unit);
            break;
        default:
            break;
        }
        if (d.started && u.kind == kCutPicture &&
            c->progress(out, (LONG)(d.fieldsPassed * 50 / end > 100 ? 100 : d.fieldsPassed * 50 / end))) {
            result = kCutAbandoned;
            break;
        }
    }
    CloseStreamReader(sr);
    if (!f)
        return kCutNoStart;
    if (result != kCutAbandoned) {
        static const BYTE kSequenceEnd[4] = {0, 0, 1, 0xB7};
        ok = ok && fwrite(kSequenceEnd, 1, 4, f) == 4;
        result = kCutDone;
    }
    if (fclose(f) != 0 || !ok)
        return kCutNoOutput;
    if (result == kCutDone)
        c->progress(out, 100);
    return result;
}

} // namespace

bool LooksLikeTransportStream(const BYTE *data, int n)
{
    int first = -1;
    for (int i = 0; i < n && i <= 188; i++)
        if (data[i] == 0x47) {
            first = i;
            break;
        }
    if (first < 0)
        return false;
    // Distances between consecutive 0x47 bytes: none above 375, and one of
    // them (the packet size) in more than half of them.
    std::vector<int> histogram(376, 0);
    int count = 1, prev = first;
    for (int i = first + 1; i < n; i++) {
        if (data[i] != 0x47)
            continue;
        int d = i - prev;
        if (d > 375)
            return false;
        histogram[d]++;
        count++;
        prev = i;
    }
    if (n - prev > 376)
        return false;
    int most = 0;
    for (int h : histogram)
        most = h > most ? h : most;
    return most > count / 2;
}

MpegCutter *PrepareMpegCut(const char *path, int joinNumbered)
{
    if (!path)
        return nullptr;
    StreamReader *sr = OpenStreamReader(path, joinNumbered);
    if (!sr)
        return nullptr;
    // The transport-stream tests on the first bytes: the cutter's own, and
    // the packet pattern that the transport-stream source recognises.
    enum { kProbeBytes = 460224 };
    std::vector<BYTE> head(kProbeBytes);
    int n = ReadReaderBytes(&sr->rd, head.data(), kProbeBytes);
    int packetSize, syncOffset;
    bool transport = LooksLikeTransportStream(head.data(), n) || DetectTsPacketSize(head.data(), n, &packetSize, &syncOffset);
    SeekReader(sr, 0, 0);
    int codes = 0;
    bool system = false;
    while (!transport && codes < 8 && NextReaderStartCode(&sr->rd)) {
        unsigned code = PeekReaderBits(&sr->rd, 32);
        if (code >= 0x1BA)
            system = true;
        codes++;
        SkipReaderBits(&sr->rd, 32);
    }
    CloseStreamReader(sr);
    if (transport || codes < 8)
        return nullptr;
    MpegCutter *c = new MpegCutter;
    c->path = path;
    c->joinNumbered = joinNumbered;
    c->programStream = system;
    c->progress = NeverAbandon;
    return c;
}

void SetCutProgress(MpegCutter *c, VfCutProgress progress) { c->progress = progress ? progress : NeverAbandon; }

CutResult RunMpegCut(MpegCutter *c, const char *out, long long first, long long end)
{
    if (!out || end <= 0 || first < 0 || end <= first || IsInputFile(c, out))
        return kCutRefused;
    if (c->programStream)
        return CutProgramStream(c->path.c_str(), c->joinNumbered, c->progress, out, first, end);
    return CutElementaryStream(c, out, first, end);
}

void CloseMpegCut(MpegCutter *c) { delete c; }
