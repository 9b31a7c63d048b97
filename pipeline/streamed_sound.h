// The in-memory WAVE that the play loop streams to PlaySound for movies
// whose sound is not read through an AVIFile stream (the own AVI reader's
// chunks, a plug-in's samples): a 44-byte header, then sound appended
// frame by frame while it plays, and started again from the header when
// it is full.
//
// The block is sized from the record that supplies the sound, and every
// append is bounded by the block: refills stop at the refill limit or at
// the end of the block, whichever comes first.
#ifndef TWR_PIPELINE_STREAMED_SOUND_H
#define TWR_PIPELINE_STREAMED_SOUND_H

#include "shared/wintypes.h"

#include <stddef.h>
#include <stdint.h>

enum { kWaveHeaderBytes = 44 };

struct StreamedSound {
    BYTE *block;        // header, then data (owned by the caller)
    uint32_t room;      // data bytes the block holds
    uint32_t used;      // data bytes written since the last start
    uint32_t limit;     // refills stop once this many bytes are held
    uint32_t blockAlign;
};

// A block that holds the header and all the data the header announces
// (its data size, bytes 40-43): the player never reads past it.
size_t AnnouncedSoundBlockBytes(const BYTE *header);

// Sets up s over a block of blockBytes (at least the header): the record's
// header copied in, its data size limited to what the block holds. False
// when the block cannot hold the header and one sample block.
bool BeginStreamedSound(StreamedSound *s, BYTE *block, size_t blockBytes, const BYTE *header, uint32_t refillLimit);

// Appends up to n bytes (whole sample blocks only); returns the bytes
// taken, fewer when the block is full.
uint32_t AppendStreamedSound(StreamedSound *s, const BYTE *data, uint32_t n);

// Room for n more bytes, whole sample blocks, within the block.
uint32_t StreamedSoundSpace(const StreamedSound *s);

// True while refills may go on: less than the refill limit held and room
// left in the block.
bool StreamedSoundWantsMore(const StreamedSound *s);

// Starts again right after the header, with what the last round held
// silenced.
void RestartStreamedSound(StreamedSound *s);

// Where the sound of a byte position lies in a list of chunk sizes: the
// chunk index and the offset inside it rounded down to whole blocks. The
// index equals count when the position is beyond the last chunk.
struct SoundChunkPosition {
    int chunk;
    uint32_t offset;
};
SoundChunkPosition FindSoundChunk(const uint32_t *sizes, int count, uint64_t bytePosition, uint32_t blockAlign);

// The byte position of frame f of the own reader's sound:
// f x audioRate x scale x blockAlign / (audioScale x rate), in 64 bits.
uint64_t SoundBytePosition(int frame, unsigned audioRate, unsigned scale, unsigned blockAlign, unsigned audioScale,
                           unsigned rate);

#endif
