#include "mpeg/pes_packet.h"

#include "mpeg/mem_bit_reader.h"
#include "mpeg/start_code.h"

#include <stdlib.h>
#include <string.h>

void InitPesPacket(PesPacket *p)
{
    memset(p, 0, sizeof(*p));
    p->state = -6;
}

void ResetPesPacket(PesPacket *p)
{
    BYTE *data = p->data;
    int capacity = p->capacity;
    InitPesPacket(p);
    p->data = data;
    p->capacity = capacity;
}

void FreePesPacket(PesPacket *p)
{
    free(p->data);
    InitPesPacket(p);
}

static bool Reserve(PesPacket *p, int bytes)
{
    if (bytes <= p->capacity)
        return true;
    BYTE *grown = (BYTE *)realloc(p->data, bytes);
    if (!grown)
        return false;
    p->data = grown;
    p->capacity = bytes;
    return true;
}

// Scans for 00 00 01 id (id >= 0xBC) and the two length bytes. Returns the
// bytes taken.
static int ScanPesStart(PesPacket *p, const BYTE *bytes, int n)
{
    int i = 0;
    while (i < n && p->state < 0) {
        BYTE c = bytes[i];
        switch (p->state) {
        case -6: {
            // Jump to the next possible prefix.
            const BYTE *s = FindStartCodeForward(bytes + i, bytes + n);
            if (s) {
                i = (int)(s - bytes) + 3;
                p->state = -3;
                continue;
            }
            // Up to two trailing zeros may begin a prefix.
            int j = n;
            int zeros = 0;
            while (j > i && zeros < 2 && bytes[j - 1] == 0) {
                j--;
                zeros++;
            }
            p->state = zeros == 0 ? -6 : zeros == 1 ? -5 : -4;
            return n;
        }
        case -5:
            p->state = c == 0 ? -4 : -6;
            i++;
            break;
        case -4:
            p->state = c == 1 ? -3 : c == 0 ? -4 : -6;
            i++;
            break;
        case -3:
            if (c < 0xBC) {
                p->state = c == 0 ? -5 : -6;
            } else {
                p->streamId = c;
                p->state = -2;
            }
            i++;
            break;
        case -2:
            p->declared = c << 8;
            p->state = -1;
            i++;
            break;
        case -1:
            p->declared |= c;
            p->state = 0;
            p->size = 0;
            i++;
            if (p->declared > 0 && !Reserve(p, p->declared))
                p->declared = -1;  // no room: the packet takes nothing more
            break;
        }
    }
    return i;
}

int AppendToPesPacket(PesPacket *p, const BYTE *bytes, int n)
{
    if (p->done || n <= 0)
        return 0;
    int taken = 0;
    if (p->state < 0) {
        taken = ScanPesStart(p, bytes, n);
        if (p->state < 0)
            return taken;
    }
    bytes += taken;
    n -= taken;
    if (p->declared < 0) {
        // A declared packet whose buffer could not be had stays short.
        p->done = 1;
        return taken;
    }
    if (p->declared > 0) {
        int want = p->declared - p->size;
        int take = n < want ? n : want;
        if (take > 0) {
            memcpy(p->data + p->size, bytes, take);
            p->size += take;
        }
        if (p->size == p->declared)
            p->done = 1;
        return taken + take;
    }
    // Unbounded: up to the next start code of a PES (id 0xBC or above),
    // searched from three bytes before the new data.
    int oldSize = p->size;
    int room = kMaxUnboundedPes - oldSize;
    int take = n < room ? n : room;
    if (oldSize + take > p->capacity) {
        int grown = p->capacity + 0x10000;
        if (grown < oldSize + take)
            grown = oldSize + take;
        if (grown > kMaxUnboundedPes)
            grown = kMaxUnboundedPes;
        if (!Reserve(p, grown)) {
            // No room: the packet ends with what it holds.
            p->done = 1;
            return taken;
        }
    }
    if (take <= 0)
        return taken;
    memcpy(p->data + oldSize, bytes, take);
    p->size = oldSize + take;
    int from = oldSize >= 3 ? oldSize - 3 : 0;
    const BYTE *end = p->data + p->size;
    for (const BYTE *s = FindStartCodeForward(p->data + from, end); s;
         s = FindStartCodeForward(s + 1, end)) {
        if (s + 3 >= end)
            break;  // the id byte has not arrived yet
        if (s[3] >= 0xBC) {
            int cut = (int)(s - p->data);
            p->size = cut;
            p->done = 1;
            // Bytes of the next packet that arrived in earlier calls are not
            // given back: ends found there are at most 3 bytes old, and those
            // bytes belong to this call's data only when cut >= oldSize.
            int back = cut - oldSize;
            return taken + (back > 0 ? back : 0);
        }
    }
    if (p->size >= kMaxUnboundedPes)
        p->done = 1;
    return taken + take;
}

long long ReadPesTimestamp(const BYTE *b)
{
    return ((long long)((b[0] >> 1) & 7) << 30) | ((long long)b[1] << 22) | ((long long)(b[2] >> 1) << 15) |
           ((long long)b[3] << 7) | (b[4] >> 1);
}

static long long ReadTimestampBits(MemBitReader *m)
{
    // 4 bits of prefix already consumed by the caller; 3, marker, 15,
    // marker, 15, marker.
    long long v = (long long)ReadMemBits(m, 3) << 30;
    SkipMemBits(m, 1);
    v |= (long long)ReadMemBits(m, 15) << 15;
    SkipMemBits(m, 1);
    v |= ReadMemBits(m, 15);
    SkipMemBits(m, 1);
    return v;
}

void ParsePesHeader(const PesPacket *p, PesHeader *h)
{
    MemBitReader m;
    InitMemBitReader(&m, p->data, p->size);
    h->pts = -1;
    h->dts = -1;
    int length;
    if (PeekMemBits(&m, 2) == 2) {
        h->form = 2;
        SkipMemBits(&m, 8);
        unsigned flags = ReadMemBits(&m, 2);
        SkipMemBits(&m, 6);
        int dataLength = (int)ReadMemBits(&m, 8);
        length = dataLength + 3;
        // Timestamps only when the header holds them.
        if ((flags == 2 && dataLength >= 5) || (flags == 3 && dataLength >= 10)) {
            SkipMemBits(&m, 4);
            h->pts = ReadTimestampBits(&m);
            if (flags == 3) {
                SkipMemBits(&m, 4);
                h->dts = ReadTimestampBits(&m);
            }
        }
    } else {
        h->form = 1;
        // Stuffing bytes (at most 16 by the standard; the packet bounds them).
        while (PeekMemBits(&m, 8) == 0xFF && m.bitPos < (size_t)p->size * 8)
            SkipMemBits(&m, 8);
        if (PeekMemBits(&m, 2) == 1)
            SkipMemBits(&m, 16);
        unsigned prefix = PeekMemBits(&m, 4);
        if (prefix == 2) {
            SkipMemBits(&m, 4);
            h->pts = ReadTimestampBits(&m);
        } else if (prefix == 3) {
            SkipMemBits(&m, 4);
            h->pts = ReadTimestampBits(&m);
            SkipMemBits(&m, 4);
            h->dts = ReadTimestampBits(&m);
        } else {
            SkipMemBits(&m, 8);
        }
        length = (int)MemBytesConsumed(&m);
    }
    // The header never reaches past the bytes collected.
    if (length > p->size) {
        length = p->size;
        if (h->form == 2 || MemBitsExhausted(&m)) {
            h->pts = -1;
            h->dts = -1;
        }
    }
    h->headerLength = length;
}

int PesStreamKindOf(int id, int first, int *kind, int *number)
{
    if (id >= 0xE0 && id <= 0xEF) {
        *kind = kPesVideo;
        *number = id & 0x0F;
    } else if (id >= 0xC0 && id <= 0xDF) {
        *kind = kPesMpegAudio;
        *number = id & 0x1F;
    } else if (id == 0xBD && first >= 0x80 && first <= 0x8F) {
        *kind = kPesAc3;
        *number = first & 0x0F;
    } else if (id == 0xBD) {
        *kind = kPesPrivate;
        *number = -1;
    } else {
        *kind = kPesOther;
        *number = -1;
    }
    return *kind == kPesVideo || *kind == kPesMpegAudio || *kind == kPesAc3;
}

int PesStreamKind(const PesPacket *p, const PesHeader *h, int *kind, int *number)
{
    int first = h->headerLength < p->size ? p->data[h->headerLength] : -1;
    return PesStreamKindOf(p->streamId, first, kind, number);
}

int PesPayloadLength(const PesPacket *p, const PesHeader *h)
{
    int rest = p->size - h->headerLength;
    if (rest < 0)
        rest = 0;
    int id = p->streamId;
    if (id >= 0xC0 && id <= 0xEF)
        return rest;
    if (id == 0xBD && rest > 0 && p->data[h->headerLength] >= 0x80 && p->data[h->headerLength] <= 0x8F)
        return rest >= 4 ? rest - 4 : 0;
    return 0;
}

const BYTE *PesPayload(const PesPacket *p, const PesHeader *h)
{
    return p->data + p->size - PesPayloadLength(p, h);
}
