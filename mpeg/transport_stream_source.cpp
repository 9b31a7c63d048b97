#include "mpeg/transport_stream_source.h"

#include "mpeg/file_layer.h"
#include "mpeg/pes_packet.h"

#include <stdlib.h>
#include <string.h>

enum { kTsBytes = 188, kMaxPmtPids = 64 };

struct TransportStreamSource {
    FileLayer *layer;
    BYTE *block;
    int blockSize;
    long long blockPos;  // -1 when no block is loaded
    int blockLen;
    long long streamSize;
    int packetSize;
    int syncOffset;
    int pid;
    int kind;
    long long walkPos;  // next packet of the PES assembly
    PesPacket pes;
    bool inPes;
    long long pesPos;   // first packet of the PES being assembled
    BYTE *payload;
    int payloadCap;
    int payloadLen;
    int payloadPos;
    long long payloadPesPos;  // first packet of the PES the payload came from
};

void ParseTsHeader(const BYTE *ts, TsHeader *h)
{
    h->sync = ts[0];
    h->transportError = ts[1] >> 7;
    h->payloadUnitStart = (ts[1] >> 6) & 1;
    h->priority = (ts[1] >> 5) & 1;
    h->pid = ((ts[1] & 0x1F) << 8) | ts[2];
    h->scrambling = ts[3] >> 6;
    h->adaptationFieldControl = (ts[3] >> 4) & 3;
    h->continuity = ts[3] & 15;
}

bool TsPacketPayload(const BYTE *ts, const BYTE **payload, int *length)
{
    int afc = (ts[3] >> 4) & 3;
    if (!(afc & 1))
        return false;
    int start = 4;
    if (afc & 2)
        start += 1 + ts[4];
    if (start >= kTsBytes)
        return false;
    *payload = ts + start;
    *length = kTsBytes - start;
    return true;
}

bool DetectTsPacketSize(const BYTE *bytes, int n, int *packetSize, int *syncOffset)
{
    static const int sizes[3] = {188, 192, 204};
    static const int offsets[3] = {0, 4, 0};
    for (int k = 0; k < 3; k++) {
        int size = sizes[k], off = offsets[k];
        if (n < size)
            continue;
        bool ok = true;
        for (int p = off; p < n && ok; p += size)
            ok = bytes[p] == 0x47;
        if (ok) {
            *packetSize = size;
            *syncOffset = off;
            return true;
        }
    }
    return false;
}

int TsBlockSize(int packetSize)
{
    int a = packetSize, b = 4096;
    while (b) {
        int t = a % b;
        a = b;
        b = t;
    }
    int lcm = packetSize / a * 4096;
    return (0x80000 + lcm - 1) / lcm * lcm;
}

// The packet at pos (a multiple of the packet size), pointing at its sync
// byte; null past the end of the data.
static const BYTE *PacketAt(TransportStreamSource *s, long long pos)
{
    if (pos < 0)
        return nullptr;
    long long start = pos / s->blockSize * s->blockSize;
    if (start != s->blockPos) {
        s->blockPos = -1;
        s->blockLen = 0;
        if (SeekFileLayer(s->layer, start, 0) != start)
            return nullptr;
        int got = 0;
        while (got < s->blockSize) {
            int n = ReadFileLayer(s->layer, s->block + got, s->blockSize - got);
            if (n <= 0)
                break;
            got += n;
        }
        s->blockPos = start;
        s->blockLen = got;
    }
    int off = (int)(pos - start);
    if (off + s->packetSize > s->blockLen)
        return nullptr;
    return s->block + off + s->syncOffset;
}

static bool IsPidPayload(TransportStreamSource *s, const BYTE *ts, int pid, const BYTE **pl, int *len, bool *start)
{
    if (ts[0] != 0x47)
        return false;
    TsHeader h;
    ParseTsHeader(ts, &h);
    if (h.pid != pid || !TsPacketPayload(ts, pl, len))
        return false;
    *start = h.payloadUnitStart != 0;
    return true;
}

// Assembles the next PES of the chosen PID from walkPos on. A packet with
// payload_unit_start_indicator ends the PES before it and begins the next.
static bool ReadTsPes(TransportStreamSource *s)
{
    for (;;) {
        const BYTE *ts = PacketAt(s, s->walkPos);
        if (!ts) {
            if (s->inPes) {
                s->inPes = false;
                FinishPesPacket(&s->pes);
                return true;
            }
            return false;
        }
        const BYTE *pl;
        int len;
        bool start;
        if (!IsPidPayload(s, ts, s->pid, &pl, &len, &start)) {
            s->walkPos += s->packetSize;
            continue;
        }
        if (s->inPes && start) {
            s->inPes = false;
            FinishPesPacket(&s->pes);
            return true;  // this packet is read again for the next PES
        }
        if (!s->inPes) {
            if (!start) {
                s->walkPos += s->packetSize;
                continue;
            }
            ResetPesPacket(&s->pes);
            s->inPes = true;
            s->pesPos = s->walkPos;
        }
        AppendToPesPacket(&s->pes, pl, len);
        s->walkPos += s->packetSize;
        if (s->pes.done) {
            s->inPes = false;
            return true;
        }
    }
}

// Assembles PES packets up to the next one of the wanted kind and takes its
// payload.
static bool NextStreamPayload(TransportStreamSource *s)
{
    while (ReadTsPes(s)) {
        PesHeader h;
        ParsePesHeader(&s->pes, &h);
        int kind, number;
        PesStreamKind(&s->pes, &h, &kind, &number);
        if (kind != s->kind)
            continue;
        int len = PesPayloadLength(&s->pes, &h);
        if (len > s->payloadCap) {
            BYTE *grown = (BYTE *)realloc(s->payload, len);
            if (!grown)
                continue;
            s->payload = grown;
            s->payloadCap = len;
        }
        if (len > 0)
            memcpy(s->payload, PesPayload(&s->pes, &h), len);
        s->payloadLen = len;
        s->payloadPos = 0;
        s->payloadPesPos = s->pesPos;
        if (len > 0)
            return true;
    }
    s->payloadLen = 0;
    s->payloadPos = 0;
    s->payloadPesPos = s->streamSize;
    return false;
}

static int TsRead(void *handle, BYTE *buf, int count)
{
    TransportStreamSource *s = (TransportStreamSource *)handle;
    if (s->payloadPos >= s->payloadLen && !NextStreamPayload(s))
        return 0;
    int n = s->payloadLen - s->payloadPos;
    if (n > count)
        n = count;
    memcpy(buf, s->payload + s->payloadPos, n);
    s->payloadPos += n;
    return n;
}

static long long TsTell(void *handle)
{
    TransportStreamSource *s = (TransportStreamSource *)handle;
    return s->payloadPesPos + s->payloadPos;
}

static long long TsSeek(void *handle, long long offset, int whence)
{
    TransportStreamSource *s = (TransportStreamSource *)handle;
    long long t = whence == 1 ? TsTell(s) + offset : whence == 2 ? s->streamSize + offset : offset;
    if (t < 0)
        t = 0;
    if (t > s->streamSize)
        t = s->streamSize;
    // Back to the start of the PES that holds t: the last packet of the
    // PID with payload_unit_start_indicator at or before t.
    long long p = t / s->packetSize * s->packetSize;
    for (; p > 0; p -= s->packetSize) {
        const BYTE *ts = PacketAt(s, p);
        const BYTE *pl;
        int len;
        bool start;
        if (ts && IsPidPayload(s, ts, s->pid, &pl, &len, &start) && start)
            break;
    }
    if (p < 0)
        p = 0;
    s->walkPos = p;
    s->inPes = false;
    while (NextStreamPayload(s)) {
        long long off = t - s->payloadPesPos;
        if (off < s->payloadLen) {
            s->payloadPos = off > 0 ? (int)off : 0;
            return TsTell(s);
        }
    }
    return TsTell(s);
}

static void TsClose(void *handle)
{
    TransportStreamSource *s = (TransportStreamSource *)handle;
    CloseFileLayer(s->layer);
    FreePesPacket(&s->pes);
    free(s->block);
    free(s->payload);
    free(s);
}

// The PSI section that begins in this payload (after pointer_field), with
// its length bounded by the packet; false when none fits.
static bool SectionIn(const BYTE *pl, int len, const BYTE **sec, int *secLen)
{
    int off = 1 + pl[0];
    if (off + 3 > len)
        return false;
    *sec = pl + off;
    int declared = 3 + (((pl[off + 1] & 0x0F) << 8) | pl[off + 2]) - 4;  // without the CRC
    int avail = len - off;
    *secLen = declared < avail ? declared : avail;
    return true;
}

static bool ChoosePidFromTables(TransportStreamSource *s, long long limit, int *pidOut)
{
    int pmt[kMaxPmtPids];
    int pmtCount = 0;
    bool havePat = false;
    for (long long pos = 0; pos + s->packetSize <= limit; pos += s->packetSize) {
        const BYTE *ts = PacketAt(s, pos);
        if (!ts)
            break;
        if (ts[0] != 0x47)
            continue;
        TsHeader h;
        ParseTsHeader(ts, &h);
        const BYTE *pl;
        int len;
        if (!h.payloadUnitStart || !TsPacketPayload(ts, &pl, &len))
            continue;
        const BYTE *sec;
        int secLen;
        if (!SectionIn(pl, len, &sec, &secLen))
            continue;
        if (h.pid == 0 && !havePat) {
            if (sec[0] != 0)
                continue;
            havePat = true;
            for (int i = 8; i + 4 <= secLen; i += 4) {
                int program = (sec[i] << 8) | sec[i + 1];
                int pid = ((sec[i + 2] & 0x1F) << 8) | sec[i + 3];
                if (program != 0 && pmtCount < kMaxPmtPids)
                    pmt[pmtCount++] = pid;
            }
            continue;
        }
        bool isPmt = false;
        for (int i = 0; i < pmtCount; i++)
            isPmt |= pmt[i] == h.pid;
        if (!havePat || !isPmt || sec[0] != 2 || secLen < 12)
            continue;
        int i = 12 + (((sec[10] & 0x0F) << 8) | sec[11]);
        while (i + 5 <= secLen) {
            int type = sec[i];
            int pid = ((sec[i + 1] & 0x1F) << 8) | sec[i + 2];
            int infoLen = ((sec[i + 3] & 0x0F) << 8) | sec[i + 4];
            bool wanted = s->kind == kPesVideo ? (type == 1 || type == 2)
                                               : s->kind == kPesMpegAudio ? (type == 3 || type == 4) : false;
            if (wanted) {
                *pidOut = pid;
                return true;
            }
            i += 5 + infoLen;
        }
    }
    return false;
}

// Without usable tables: the last PID (16 and above, not the null PID) met
// before the limit whose PES start shows the wanted kind.
static bool ChoosePidFromPes(TransportStreamSource *s, long long limit, int *pidOut)
{
    bool found = false;
    for (long long pos = 0; pos + s->packetSize <= limit; pos += s->packetSize) {
        const BYTE *ts = PacketAt(s, pos);
        if (!ts)
            break;
        if (ts[0] != 0x47)
            continue;
        TsHeader h;
        ParseTsHeader(ts, &h);
        const BYTE *pl;
        int len;
        if (h.pid < 16 || h.pid == 8191 || !h.payloadUnitStart || !TsPacketPayload(ts, &pl, &len))
            continue;
        if (len < 4 || pl[0] != 0 || pl[1] != 0 || pl[2] != 1)
            continue;
        int first = -1;
        if (len >= 9 && (pl[6] >> 6) == 2 && 9 + pl[8] < len)
            first = pl[9 + pl[8]];
        int kind, number;
        PesStreamKindOf(pl[3], first, &kind, &number);
        if (kind == s->kind) {
            *pidOut = h.pid;
            found = true;
        }
    }
    return found;
}

bool OpenTransportStreamSource(const char *path, int kind, long long limit, int joinNumbered, ByteSource *src)
{
    FileLayer *layer = OpenFileLayer(path, joinNumbered);
    if (!layer)
        return false;
    BYTE head[6144];
    int n = 0;
    while (n < (int)sizeof(head)) {
        int got = ReadFileLayer(layer, head + n, (int)sizeof(head) - n);
        if (got <= 0)
            break;
        n += got;
    }
    int packetSize, syncOffset;
    if (!DetectTsPacketSize(head, n, &packetSize, &syncOffset)) {
        CloseFileLayer(layer);
        return false;
    }
    TransportStreamSource *s = (TransportStreamSource *)calloc(1, sizeof(TransportStreamSource));
    if (!s) {
        CloseFileLayer(layer);
        return false;
    }
    s->layer = layer;
    s->packetSize = packetSize;
    s->syncOffset = syncOffset;
    s->blockSize = TsBlockSize(packetSize);
    s->blockPos = -1;
    s->streamSize = layer->total;
    s->kind = kind;
    InitPesPacket(&s->pes);
    s->block = (BYTE *)malloc(s->blockSize);
    int pid;
    if (!s->block || !(ChoosePidFromTables(s, limit, &pid) || ChoosePidFromPes(s, limit, &pid))) {
        TsClose(s);
        return false;
    }
    s->pid = pid;
    TsSeek(s, 0, 0);
    src->handle = s;
    src->close = TsClose;
    src->read = TsRead;
    src->seek = TsSeek;
    src->tell = TsTell;
    return true;
}
