#include "mpeg/block_reader.h"

#include "mpeg/start_code.h"

#include <stdint.h>
#include <string.h>

static int ReadBlock(BlockReader *r)
{
    int n = r->src.read(r->src.handle, ReaderBlock(r), kReaderBlockBytes);
    if (n < 0)
        n = 0;
    r->bufLen = n;
    r->pos = 0;
    r->blockEnd = r->src.tell(r->src.handle);
    return n;
}

// Keeps the last 8 bytes of the block (the region in front of the block
// counts when the block is shorter) in the carry area and reads the next
// block. On failure the reader stands at the end with an empty block.
static bool LoadNextBlock(BlockReader *r)
{
    BYTE *b = ReaderBlock(r);
    memmove(b - kReaderCarryBytes, b + r->bufLen - kReaderCarryBytes, kReaderCarryBytes);
    return ReadBlock(r) > 0;
}

int InitBlockReader(BlockReader *r, ByteSource src)
{
    r->src = src;
    r->acc = 0;
    r->accBits = 0;
    memset(r->area, 0, kReaderCarryBytes);
    if (ReadBlock(r) <= 0)
        return 0;
    RefillReaderBits(r);
    return 1;
}

void CloseBlockSource(BlockReader *r)
{
    if (r->src.close)
        r->src.close(r->src.handle);
    r->src.close = nullptr;
}

void RefillReaderBits(BlockReader *r)
{
    const BYTE *b = ReaderBlock(r);
    if (r->accBits <= 56 && r->pos + 8 <= r->bufLen) {
        // Inside the block: the whole bytes that fit, at once (what the
        // loop below adds one by one; the bits under them stay zero).
        int k = (64 - r->accBits) >> 3;
        const BYTE *p = b + r->pos;
        unsigned long long v = (unsigned long long)((uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 |
                                                    (uint32_t)p[2] << 8 | p[3])
                                   << 32 |
                               ((uint32_t)p[4] << 24 | (uint32_t)p[5] << 16 | (uint32_t)p[6] << 8 | p[7]);
        v &= ~0ull << (64 - 8 * k);
        r->acc |= v >> r->accBits;
        r->accBits += 8 * k;
        r->pos += k;
        return;
    }
    while (r->accBits <= 56) {
        if (r->pos >= r->bufLen) {
            if (!LoadNextBlock(r))
                return;
            b = ReaderBlock(r);
        }
        r->acc |= (unsigned long long)b[r->pos++] << (56 - r->accBits);
        r->accBits += 8;
    }
}

long long TellBlockReader(const BlockReader *r)
{
    return r->blockEnd - (r->bufLen - r->pos) - r->accBits / 8;
}

void ReturnWindowBytes(BlockReader *r)
{
    int k = r->accBits / 8;
    BYTE *b = ReaderBlock(r);
    // The window holds the rest of a partly read byte, then k whole bytes.
    // Rewrite those where they came from: for bytes of the previous block
    // this is the carry area (at most 8 bytes back, as the window holds at
    // most 8).
    unsigned long long whole = r->acc << (r->accBits & 7);
    for (int j = 0; j < k; j++)
        b[r->pos - k + j] = (BYTE)(whole >> (56 - 8 * j));
    r->pos -= k;
    r->acc = 0;
    r->accBits = 0;
}

long long SeekBlockReader(BlockReader *r, long long offset, int whence)
{
    if (whence == 1) {
        offset += TellBlockReader(r);
        whence = 0;
    }
    r->src.seek(r->src.handle, offset, whence);
    r->acc = 0;
    r->accBits = 0;
    memset(r->area, 0, kReaderCarryBytes);
    ReadBlock(r);
    RefillReaderBits(r);
    return TellBlockReader(r);
}

int NextReaderByte(BlockReader *r)
{
    ReturnWindowBytes(r);
    if (r->pos >= r->bufLen && !LoadNextBlock(r))
        return -1;
    return ReaderBlock(r)[r->pos++];
}

int ReadReaderBytes(BlockReader *r, BYTE *buf, int n)
{
    ReturnWindowBytes(r);
    int done = 0;
    while (done < n) {
        if (r->pos >= r->bufLen && !LoadNextBlock(r))
            break;
        int take = r->bufLen - r->pos;
        if (take > n - done)
            take = n - done;
        memcpy(buf + done, ReaderBlock(r) + r->pos, take);
        r->pos += take;
        done += take;
    }
    RefillReaderBits(r);
    return done;
}

int ReadUntilStartCode(BlockReader *r, BYTE *buf, int max)
{
    ReturnWindowBytes(r);
    int done = 0;
    while (done < max) {
        BYTE *b = ReaderBlock(r);
        if (r->pos >= r->bufLen) {
            if (!LoadNextBlock(r))
                break;
            continue;
        }
        const BYTE *p = FindStartCodeForward(b + r->pos, b + r->bufLen);
        int stop;
        if (p) {
            stop = (int)(p - b);
        } else {
            // The last two bytes may begin a prefix that ends in the next block.
            stop = r->bufLen - 2 > r->pos ? r->bufLen - 2 : r->pos;
            if (stop == r->pos) {
                int keep = r->bufLen - r->pos;
                if (!LoadNextBlock(r)) {
                    // The data end: the kept bytes are plain data.
                    b = ReaderBlock(r);
                    int take = keep < max - done ? keep : max - done;
                    memcpy(buf + done, b - keep, take);
                    done += take;
                    break;
                }
                r->pos = -keep;
                continue;
            }
        }
        int take = stop - r->pos;
        if (take > max - done)
            take = max - done;
        memcpy(buf + done, b + r->pos, take);
        r->pos += take;
        done += take;
        if (p && r->pos == stop)
            break;
    }
    RefillReaderBits(r);
    return done;
}

bool NextReaderStartCode(BlockReader *r)
{
    ReturnWindowBytes(r);
    for (;;) {
        BYTE *b = ReaderBlock(r);
        const BYTE *p = FindStartCodeForward(b + r->pos, b + r->bufLen);
        if (p) {
            r->pos = (int)(p - b);
            RefillReaderBits(r);
            return true;
        }
        // The last two bytes may begin a prefix that ends in the next block.
        int keep = r->bufLen - r->pos;
        if (keep > 2)
            keep = 2;
        if (keep < 0)
            keep = 0;
        if (!LoadNextBlock(r)) {
            r->pos = -keep;
            r->bufLen = 0;
            return false;
        }
        r->pos = -keep;
    }
}

bool PrevReaderStartCode(BlockReader *r)
{
    ReturnWindowBytes(r);
    long long target = TellBlockReader(r);
    // A prefix beginning before target has its 01 byte at or before target + 1.
    long long end = target + 2;
    for (;;) {
        long long from = end - kReaderBlockBytes;
        if (from < 0)
            from = 0;
        long long blockStart = r->blockEnd - r->bufLen;
        // A short block is the last one: nothing lies beyond it.
        bool covered = r->bufLen > 0 && blockStart <= from &&
                       (blockStart + r->bufLen >= end || r->bufLen < kReaderBlockBytes);
        if (!covered) {
            r->src.seek(r->src.handle, from, 0);
            memset(r->area, 0, kReaderCarryBytes);
            if (ReadBlock(r) <= 0)
                return false;
            blockStart = r->blockEnd - r->bufLen;
        }
        BYTE *b = ReaderBlock(r);
        long long lastIndex = end - 1 - blockStart;
        if (lastIndex > r->bufLen - 1)
            lastIndex = r->bufLen - 1;
        const BYTE *p = lastIndex >= 2 ? FindStartCodeBackward(b + lastIndex, b) : nullptr;
        if (p) {
            r->pos = (int)(p - b);
            r->acc = 0;
            r->accBits = 0;
            RefillReaderBits(r);
            return true;
        }
        if (blockStart <= 0)
            return false;
        // Overlap by two bytes so that a prefix split across the blocks is seen.
        end = blockStart + 2;
    }
}
