// The decoder's reference-counted picture: one block holding the Y, U and V
// planes, each with the luma width W as its row pitch and 16-byte aligned
// (W is always a multiple of 16).
#ifndef TWR_MPEG_FRAME_BUFFER_H
#define TWR_MPEG_FRAME_BUFFER_H

#include <stdint.h>

struct FrameBuffer {
    int32_t height; // rows of every plane
    int32_t width;  // samples per luma row and the pitch of all three planes
    int32_t refCount;
    uint8_t *raw; // the heap block the planes live in
    uint8_t *y, *u, *v;
};

// Spare bytes after the V plane: the processor converters may read a few
// samples past a row's last pixel.
enum { kFrameBufferSpare = 64 };

// A new buffer with reference count 1, black (luma 16, chroma 128), so
// that whatever a damaged picture never reaches shows as black. Null when
// the sizes are not positive or memory runs out (nothing stays allocated).
FrameBuffer *NewFrameBuffer(int width, int height);
// A deep copy with its own count of 1; null for null or on failure.
FrameBuffer *CloneFrameBuffer(const FrameBuffer *fb);
// Drops one reference; frees the buffer with the last one. Null is taken.
void ReleaseFrameBuffer(FrameBuffer *fb);

#endif
