// A buffered reader over the file layer of one movie path (or numbered run):
// what the program-stream source, the audio source and the cutter read
// through. The reading operations are those of BlockReader on its rd member.
#ifndef TWR_MPEG_STREAM_READER_H
#define TWR_MPEG_STREAM_READER_H

#include "mpeg/block_reader.h"
#include "mpeg/file_layer.h"

struct StreamReader {
    char path[260];
    FileLayer *layer;  // owned through rd.src
    BlockReader rd;
};

// Null when the path cannot be opened, yields no data, or memory is short.
StreamReader *OpenStreamReader(const char *path, int joinNumbered);
void CloseStreamReader(StreamReader *sr);

inline long long TellReader(StreamReader *sr) { return TellBlockReader(&sr->rd); }
inline long long SeekReader(StreamReader *sr, long long offset, int whence)
{
    return SeekBlockReader(&sr->rd, offset, whence);
}
inline long long ReaderStreamSize(const StreamReader *sr) { return sr->layer->total; }

#endif
