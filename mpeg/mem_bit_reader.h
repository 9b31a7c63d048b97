// Bits of a byte range, most significant first; past the end they read as
// zero. Used for PES headers and audio frames.
#ifndef TWR_MPEG_MEM_BIT_READER_H
#define TWR_MPEG_MEM_BIT_READER_H

#include "shared/wintypes.h"

struct MemBitReader {
    const BYTE *data;
    size_t size;    // bytes
    size_t bitPos;  // bits consumed (may pass size * 8)
};

inline void InitMemBitReader(MemBitReader *m, const BYTE *data, size_t size)
{
    m->data = data;
    m->size = size;
    m->bitPos = 0;
}

// n from 0 to 32.
inline unsigned PeekMemBits(const MemBitReader *m, int n)
{
    unsigned long long v = 0;
    size_t byte = m->bitPos >> 3;
    for (int i = 0; i < 5; i++)
        v = (v << 8) | (byte + i < m->size ? m->data[byte + i] : 0);
    v <<= 24 + (m->bitPos & 7);  // left-align the first wanted bit at bit 63
    return n ? (unsigned)(v >> (64 - n)) : 0;
}

inline void SkipMemBits(MemBitReader *m, int n) { m->bitPos += n; }

inline unsigned ReadMemBits(MemBitReader *m, int n)
{
    unsigned v = PeekMemBits(m, n);
    m->bitPos += n;
    return v;
}

// Whole bytes consumed, rounding a partial byte up.
inline size_t MemBytesConsumed(const MemBitReader *m) { return (m->bitPos + 7) >> 3; }
inline bool MemBitsExhausted(const MemBitReader *m) { return m->bitPos > m->size * 8; }

#endif
