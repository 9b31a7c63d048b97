// The own AVI reader's frame read (kind 1): one chunk from the raw file,
// decompressed through the record's decompressor into pDecoded.
#ifndef TWR_SOURCES_OWN_AVI_READER_H
#define TWR_SOURCES_OWN_AVI_READER_H

#include "sources/movie_source.h"

// Reads and decompresses frame n into pDecoded; 0 on success, 1 on
// failure. A dropped (empty) chunk shows the frame before it; a delta
// frame is decoded on from the nearest key frame (or from the frame held).
int ReadOwnAviFrame(MovieSource *m, int n);

#endif
