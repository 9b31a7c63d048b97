#include "mpeg/program_stream_source.h"

#include <stdlib.h>
#include <string.h>

struct ProgramStreamSource {
    StreamReader *sr;
    int kind;
    int number;
    int startCode;  // 0x100 + stream_id
    PesPacket pes;
    BYTE payload[65536];
    int payloadPos;
    int payloadLeft;
};

bool IsProgramStream(StreamReader *sr, long long limit)
{
    while (NextReaderStartCode(&sr->rd)) {
        if (TellReader(sr) > limit)
            return false;
        unsigned code = PeekReaderBits(&sr->rd, 32);
        if (code > 0x1B8)
            return true;
        SkipReaderBits(&sr->rd, 8);
    }
    return false;
}

bool ReadNextPesFromReader(StreamReader *sr, PesPacket *pes)
{
    BlockReader *r = &sr->rd;
    for (;;) {
        if (!NextReaderStartCode(r))
            return false;
        unsigned code = PeekReaderBits(r, 32);
        if ((code & 0xFF) < 0xBC) {
            SkipReaderBits(r, 8);
            continue;
        }
        BYTE head[6];
        if (ReadReaderBytes(r, head, 6) != 6)
            return false;
        ResetPesPacket(pes);
        AppendToPesPacket(pes, head, 6);
        if (pes->declared <= 0)
            return false;
        // Read straight into the packet's buffer.
        int got = ReadReaderBytes(r, pes->data, pes->declared);
        pes->size = got;
        pes->done = 1;
        return got == pes->declared;
    }
}

static bool IsWanted(ProgramStreamSource *s, const PesHeader *h)
{
    int kind, number;
    PesStreamKind(&s->pes, h, &kind, &number);
    return kind == s->kind && number == s->number;
}

static void TakePayload(ProgramStreamSource *s, const PesHeader *h, int from)
{
    int len = PesPayloadLength(&s->pes, h);
    if (from < 0)
        from = 0;
    if (from > len)
        from = len;
    memcpy(s->payload, PesPayload(&s->pes, h), len);
    s->payloadPos = from;
    s->payloadLeft = len - from;
}

// Reads packets up to the next one of the stream and takes its payload.
static bool NextStreamPayload(ProgramStreamSource *s)
{
    PesHeader h;
    while (ReadNextPesFromReader(s->sr, &s->pes)) {
        ParsePesHeader(&s->pes, &h);
        if (IsWanted(s, &h)) {
            TakePayload(s, &h, 0);
            return true;
        }
    }
    s->payloadLeft = 0;
    return false;
}

static int PsRead(void *handle, BYTE *buf, int count)
{
    ProgramStreamSource *s = (ProgramStreamSource *)handle;
    while (s->payloadLeft == 0)
        if (!NextStreamPayload(s))
            return 0;
    int n = count < s->payloadLeft ? count : s->payloadLeft;
    memcpy(buf, s->payload + s->payloadPos, n);
    s->payloadPos += n;
    s->payloadLeft -= n;
    return n;
}

static long long PsTell(void *handle)
{
    ProgramStreamSource *s = (ProgramStreamSource *)handle;
    return TellReader(s->sr) - s->payloadLeft;
}

static long long PsSeek(void *handle, long long offset, int whence)
{
    ProgramStreamSource *s = (ProgramStreamSource *)handle;
    long long size = ReaderStreamSize(s->sr);
    long long t = whence == 1 ? PsTell(s) + offset : whence == 2 ? size + offset : offset;
    if (t < 0)
        t = 0;
    if (t > size)
        t = size;
    s->payloadLeft = 0;
    SeekReader(s->sr, t, 0);
    // Back to the last packet of the stream that begins before t; packets
    // are then read from its end, on packet boundaries.
    bool aligned = false;
    while (PrevReaderStartCode(&s->sr->rd)) {
        if ((int)PeekReaderBits(&s->sr->rd, 32) != s->startCode)
            continue;
        PesHeader h;
        if (ReadNextPesFromReader(s->sr, &s->pes)) {
            ParsePesHeader(&s->pes, &h);
            long long end = TellReader(s->sr);
            if (IsWanted(s, &h) && end >= t) {
                // The payload ends with the packet.
                long long payloadStart = end - PesPayloadLength(&s->pes, &h);
                TakePayload(s, &h, (int)(t > payloadStart ? t - payloadStart : 0));
                return PsTell(s);
            }
            aligned = true;
        }
        break;
    }
    if (!aligned)
        SeekReader(s->sr, t, 0);
    NextStreamPayload(s);
    return PsTell(s);
}

static void PsClose(void *handle)
{
    ProgramStreamSource *s = (ProgramStreamSource *)handle;
    CloseStreamReader(s->sr);
    FreePesPacket(&s->pes);
    free(s);
}

bool OpenProgramStreamSource(const char *path, int kind, long long limit, int joinNumbered, ByteSource *src)
{
    ProgramStreamSource *s = (ProgramStreamSource *)calloc(1, sizeof(ProgramStreamSource));
    if (!s)
        return false;
    InitPesPacket(&s->pes);
    s->sr = OpenStreamReader(path, joinNumbered);
    if (!s->sr || !IsProgramStream(s->sr, limit)) {
        if (s->sr)
            CloseStreamReader(s->sr);
        free(s);
        return false;
    }
    bool found = false;
    PesHeader h;
    while (!found && ReadNextPesFromReader(s->sr, &s->pes)) {
        ParsePesHeader(&s->pes, &h);
        int k, n;
        PesStreamKind(&s->pes, &h, &k, &n);
        if (k == kind) {
            s->kind = k;
            s->number = n;
            s->startCode = 0x100 + s->pes.streamId;
            found = true;
        }
    }
    if (!found) {
        PsClose(s);
        return false;
    }
    SeekReader(s->sr, 0, 0);
    s->payloadLeft = 0;
    src->handle = s;
    src->close = PsClose;
    src->read = PsRead;
    src->seek = PsSeek;
    src->tell = PsTell;
    return true;
}
