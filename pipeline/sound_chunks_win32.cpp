#include "pipeline/sound_chunks.h"

#include "shared/file_at.h"

uint32_t AppendSoundChunk(StreamedSound *s, const MovieSource *m, SoundChunkCursor *c, std::vector<BYTE> &scratch)
{
    if (!m->pAudioIndex || c->chunk < 0 || c->chunk >= m->nAudioChunks)
        return 0;
    const AviChunkEntry &e = m->pAudioIndex[c->chunk];
    uint32_t space = StreamedSoundSpace(s);
    if (space == 0)
        return 0;
    // Never more than the block holds is read, whatever size the index
    // gives the chunk.
    uint32_t n = c->offset < e.size ? e.size - c->offset : 0;
    if (n > space)
        n = space;
    DWORD got = 0;
    if (n) {
        scratch.resize(n);
        HANDLE file = (HANDLE)(INT_PTR)m->hFile;
        if (!SeekFileTo(file, e.Offset() + c->offset) || !ReadFile(file, scratch.data(), n, &got, nullptr))
            got = 0;
    }
    uint32_t put = AppendStreamedSound(s, scratch.data(), got);
    if (got == n && c->offset + put < e.size && put > 0) {
        c->offset += put;  // the block is full: go on from here next time
        return put;
    }
    c->chunk++;
    c->offset = 0;
    return put;
}
