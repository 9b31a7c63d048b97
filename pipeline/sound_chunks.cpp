#include "pipeline/sound_chunks.h"

SoundChunkCursor SoundChunkAtFrame(const MovieSource *m, int frame)
{
    int count = m->nAudioChunks > 0 ? m->nAudioChunks : 0;
    if (!m->pAudioIndex)
        return SoundChunkCursor{count, 0};
    std::vector<uint32_t> sizes((size_t)count);
    for (int i = 0; i < count; i++)
        sizes[i] = m->pAudioIndex[i].size;
    unsigned align = m->nBlockAlign > 0 ? (unsigned)m->nBlockAlign : 1;
    uint64_t at = SoundBytePosition(frame, m->nAudioRate, m->nScale, align, m->nAudioScale, m->nRate);
    SoundChunkPosition p = FindSoundChunk(sizes.data(), count, at, align);
    return SoundChunkCursor{p.chunk, p.offset};
}
