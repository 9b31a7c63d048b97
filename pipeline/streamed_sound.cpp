#include "pipeline/streamed_sound.h"

#include <string.h>

namespace {

uint32_t Get32(const BYTE *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

void Put32(BYTE *p, uint32_t v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
    p[2] = (BYTE)(v >> 16);
    p[3] = (BYTE)(v >> 24);
}

}  // namespace

size_t AnnouncedSoundBlockBytes(const BYTE *header)
{
    return header ? (size_t)Get32(header + 40) + kWaveHeaderBytes : 0;
}

bool BeginStreamedSound(StreamedSound *s, BYTE *block, size_t blockBytes, const BYTE *header, uint32_t refillLimit)
{
    memset(s, 0, sizeof *s);
    if (!block || !header || blockBytes <= kWaveHeaderBytes)
        return false;
    size_t room = blockBytes - kWaveHeaderBytes;
    if (room > 0x7FFFFFFFu)
        room = 0x7FFFFFFFu;
    uint32_t align = (uint32_t)header[32] | (uint32_t)header[33] << 8;
    if (align == 0)
        align = 1;
    room -= room % align;
    if (room == 0)
        return false;
    memcpy(block, header, kWaveHeaderBytes);
    // The player reads as much data as the header announces: never more
    // than the block holds.
    uint32_t announced = Get32(block + 40);
    if (announced > room) {
        Put32(block + 40, (uint32_t)room);
        Put32(block + 4, (uint32_t)room + 36);
    }
    s->block = block;
    s->room = (uint32_t)room;
    s->limit = refillLimit;
    s->blockAlign = align;
    return true;
}

uint32_t StreamedSoundSpace(const StreamedSound *s)
{
    if (!s->block || s->used >= s->room)
        return 0;
    uint32_t space = s->room - s->used;
    return space - space % s->blockAlign;
}

uint32_t AppendStreamedSound(StreamedSound *s, const BYTE *data, uint32_t n)
{
    uint32_t space = StreamedSoundSpace(s);
    n -= n % s->blockAlign;
    if (n > space)
        n = space;
    if (n == 0 || !data)
        return 0;
    memcpy(s->block + kWaveHeaderBytes + s->used, data, n);
    s->used += n;
    return n;
}

bool StreamedSoundWantsMore(const StreamedSound *s)
{
    return s->block && s->used < s->limit && StreamedSoundSpace(s) > 0;
}

void RestartStreamedSound(StreamedSound *s)
{
    // The player plays as much as the header announces: a shorter round
    // (the end of the sound) must end in silence, not in the last round.
    if (s->block)
        memset(s->block + kWaveHeaderBytes, 0, s->used);
    s->used = 0;
}

SoundChunkPosition FindSoundChunk(const uint32_t *sizes, int count, uint64_t bytePosition, uint32_t blockAlign)
{
    SoundChunkPosition p = {0, 0};
    while (p.chunk < count && bytePosition >= sizes[p.chunk]) {
        bytePosition -= sizes[p.chunk];
        p.chunk++;
    }
    if (p.chunk >= count)
        return SoundChunkPosition{count, 0};
    if (blockAlign == 0)
        blockAlign = 1;
    p.offset = (uint32_t)(bytePosition - bytePosition % blockAlign);
    return p;
}

uint64_t SoundBytePosition(int frame, unsigned audioRate, unsigned scale, unsigned blockAlign, unsigned audioScale,
                           unsigned rate)
{
    uint64_t d = (uint64_t)audioScale * rate;
    if (d == 0 || frame <= 0)
        return 0;
    // Exact in 64 bits for every real movie; absurd headers fall back to
    // long double rather than wrap.
    uint64_t a = (uint64_t)frame * audioRate, b = (uint64_t)scale * blockAlign;
    if (b != 0 && a > UINT64_MAX / b)
    {
        long double v = (long double)a * (long double)b / (long double)d;
        return v >= 18446744073709551615.0L ? UINT64_MAX : (uint64_t)v;
    }
    return a * b / d;
}
