// The four operations through which the video bit reader and the GOP index
// read a video elementary stream, whatever holds it: a plain file (or a run
// of numbered files), a program stream or a transport stream. Positions are
// 64-bit byte positions of the container, so a position told once can be
// sought again later.
#ifndef TWR_MPEG_BYTE_SOURCE_H
#define TWR_MPEG_BYTE_SOURCE_H

#include "shared/wintypes.h"

struct ByteSource {
    void *handle;
    void (*close)(void *handle);
    // Bytes delivered into buf, at most count; 0 at the end of the data.
    int (*read)(void *handle, BYTE *buf, int count);
    // whence 0 from the start, 1 from the current position, 2 from the end;
    // returns the new position.
    long long (*seek)(void *handle, long long offset, int whence);
    long long (*tell)(void *handle);
};

#endif
