// The own AVI reader's sound read chunk by chunk straight from the file
// into an in-memory WAVE (pipeline/streamed_sound.h): where a frame's
// sound starts in the chunk index, and one chunk appended from a cursor
// that goes on inside a chunk when the block fills before its end. The
// view's play loop and the full-screen play loops stream such sound.
#ifndef TWR_PIPELINE_SOUND_CHUNKS_H
#define TWR_PIPELINE_SOUND_CHUNKS_H

#include "pipeline/streamed_sound.h"
#include "sources/movie_source.h"

#include <vector>

// The next sound to read: a chunk of the record's sound index and the
// offset inside it.
struct SoundChunkCursor {
    int chunk;
    uint32_t offset;
};

// The chunk holding the sound of record frame f (nStart already counted
// in) and the offset taken down to a whole sample block. The chunk equals
// nAudioChunks when the position lies at or beyond the end of the indexed
// sound, or the record has no sound index.
SoundChunkCursor SoundChunkAtFrame(const MovieSource *m, int frame);

// Appends the rest of the cursor's chunk to s, no more than the block has
// room for, and moves the cursor past what was taken: to the next chunk
// when the chunk is done (or cannot be read: it is passed over), inside
// it (offset not 0 afterwards) when the block filled first. Returns the
// bytes appended. scratch: reused room for one chunk.
uint32_t AppendSoundChunk(StreamedSound *s, const MovieSource *m, SoundChunkCursor *c, std::vector<BYTE> &scratch);

#endif
