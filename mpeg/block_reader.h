// The buffered reader every MPEG parser reads through: 512 KB blocks from a
// byte source, a bit window read most significant bit first, start-code
// search across block boundaries and 64-bit tell and seek.
//
// Each block is exactly what one read of the source delivered, so that the
// position of a byte inside it is the source's position after the read
// minus the bytes that follow it; container sources (program and transport
// streams) deliver one PES payload per read and their positions stay
// container positions. An 8-byte carry area directly in front of the block
// keeps the end of the previous block, so a start code split across two
// blocks is found and bytes handed back from the window stay addressable.
//
// Past the end of the data, bits read as zero and byte reads come up short;
// nothing is an error.
#ifndef TWR_MPEG_BLOCK_READER_H
#define TWR_MPEG_BLOCK_READER_H

#include "mpeg/byte_source.h"

enum { kReaderBlockBytes = 0x80000, kReaderCarryBytes = 8 };

struct BlockReader {
    ByteSource src;
    long long blockEnd;           // source position after the current block
    int bufLen;                   // bytes in the block
    int pos;                      // next byte for the window (negative: carry)
    int accBits;                  // valid bits in acc (0..64)
    unsigned long long acc;       // the window, left-aligned
    BYTE area[kReaderCarryBytes + kReaderBlockBytes];  // carry, then the block
};

inline BYTE *ReaderBlock(BlockReader *r) { return r->area + kReaderCarryBytes; }

// Takes over src (closed by CloseBlockSource), reads the first block and
// fills the window. Returns 0 when the source yields no data.
int InitBlockReader(BlockReader *r, ByteSource src);
void CloseBlockSource(BlockReader *r);

void RefillReaderBits(BlockReader *r);

// n from 0 to 32.
inline unsigned PeekReaderBits(BlockReader *r, int n)
{
    if (r->accBits < n)
        RefillReaderBits(r);
    return n ? (unsigned)(r->acc >> (64 - n)) : 0;
}

inline void SkipReaderBits(BlockReader *r, int n)
{
    if (r->accBits < n)
        RefillReaderBits(r);
    r->acc <<= n;
    r->accBits = r->accBits > n ? r->accBits - n : 0;
}

inline unsigned ReadReaderBits(BlockReader *r, int n)
{
    unsigned v = PeekReaderBits(r, n);
    SkipReaderBits(r, n);
    return v;
}

// Bits left in the window (whole bytes of it count as unread bytes).
inline int ReaderWindowBits(const BlockReader *r) { return r->accBits; }

// Position of the next unread byte; whole bytes in the window count as unread.
long long TellBlockReader(const BlockReader *r);
// Seeks the source (whence 0, 1 or 2; 1 is relative to TellBlockReader),
// reads a block and refills the window. Returns the new position.
long long SeekBlockReader(BlockReader *r, long long offset, int whence);
// Hands the window's whole bytes back (dropping any partial byte), so that
// the next byte read is the one after the last bit consumed, rounded up.
void ReturnWindowBytes(BlockReader *r);
// Next byte, or -1 at the end of the data (the window is emptied first).
int NextReaderByte(BlockReader *r);
// Copies up to n bytes (window first); the window is refilled afterwards.
int ReadReaderBytes(BlockReader *r, BYTE *buf, int n);
// Copies bytes up to (not including) the next 00 00 01, at most max; 0 when
// nothing is left. The window is refilled afterwards.
int ReadUntilStartCode(BlockReader *r, BYTE *buf, int max);
// Moves to the next 00 00 01 at or after the next unread byte and loads its
// four bytes into the window (PeekReaderBits(32) gives the start code).
// False at the end of the data.
bool NextReaderStartCode(BlockReader *r);
// Moves to the last 00 00 01 that begins before the next unread byte,
// reading earlier blocks as needed; false when the start is reached. Only
// for sources whose positions are contiguous bytes (the file layer).
bool PrevReaderStartCode(BlockReader *r);

#endif
