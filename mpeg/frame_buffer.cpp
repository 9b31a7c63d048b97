#include "mpeg/frame_buffer.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>

namespace {

// A few released blocks kept for the next pictures of the same size: a
// picture is made and freed for every frame, and a fresh block of several
// megabytes costs a page fault for every page it touches (under Wine each
// one is a new mapping).
struct BlockPool {
    enum { kSlots = 6 };
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
    void *block[kSlots] = {};
    size_t size[kSlots] = {};

    void Lock()
    {
        while (busy.test_and_set(std::memory_order_acquire)) {
        }
    }
    void Unlock() { busy.clear(std::memory_order_release); }
    void *Take(size_t bytes)
    {
        Lock();
        void *p = nullptr;
        for (int i = 0; i < kSlots; i++)
            if (block[i] && size[i] == bytes) {
                p = block[i];
                block[i] = nullptr;
                break;
            }
        Unlock();
        return p ? p : malloc(bytes);
    }
    void Give(void *p, size_t bytes)
    {
        Lock();
        for (int i = 0; i < kSlots; i++)
            if (!block[i]) {
                block[i] = p;
                size[i] = bytes;
                p = nullptr;
                break;
            }
        if (p) {
            // Full: make room by dropping a block of another size first.
            for (int i = 0; i < kSlots; i++)
                if (size[i] != bytes) {
                    free(block[i]);
                    block[i] = p;
                    size[i] = bytes;
                    p = nullptr;
                    break;
                }
        }
        Unlock();
        free(p);
    }
};
BlockPool g_pool;

inline size_t RawBytes(int width, int height) { return 3 * (size_t)width * (size_t)height + 16 + kFrameBufferSpare; }

FrameBuffer *Allocate(int width, int height)
{
    // Sizes of a stream are at most 16,384 rows and (after the resizer)
    // 65,536 samples; a plane never exceeds 256 MB.
    if (width <= 0 || height <= 0 || width > 65536 || height > 16384)
        return nullptr;
    size_t plane = (size_t)width * (size_t)height;
    if (plane > ((size_t)1 << 28))
        return nullptr;
    FrameBuffer *fb = (FrameBuffer *)malloc(sizeof(FrameBuffer));
    if (!fb)
        return nullptr;
    fb->raw = (uint8_t *)g_pool.Take(RawBytes(width, height));
    if (!fb->raw) {
        free(fb);
        return nullptr;
    }
    fb->height = height;
    fb->width = width;
    fb->refCount = 1;
    // The first 16-byte boundary strictly after the block's start.
    uintptr_t a = ((uintptr_t)fb->raw + 16) & ~(uintptr_t)15;
    fb->y = (uint8_t *)a;
    fb->u = fb->y + plane;
    fb->v = fb->u + plane;
    return fb;
}

} // namespace

FrameBuffer *NewFrameBuffer(int width, int height)
{
    FrameBuffer *fb = Allocate(width, height);
    if (fb) {
        size_t plane = (size_t)width * (size_t)height;
        memset(fb->y, 16, plane);
        memset(fb->u, 128, 2 * plane);
        // The spare bytes too, so that reads past a row end see defined values.
        memset(fb->v + plane, 128, (size_t)(fb->raw + 3 * plane + 16 + kFrameBufferSpare - (fb->v + plane)));
    }
    return fb;
}

FrameBuffer *CloneFrameBuffer(const FrameBuffer *src)
{
    if (!src)
        return nullptr;
    FrameBuffer *fb = Allocate(src->width, src->height);
    if (fb) {
        size_t plane = (size_t)src->width * (size_t)src->height;
        memcpy(fb->y, src->y, plane);
        memcpy(fb->u, src->u, plane);
        memcpy(fb->v, src->v, plane);
        memset(fb->v + plane, 128, (size_t)(fb->raw + 3 * plane + 16 + kFrameBufferSpare - (fb->v + plane)));
    }
    return fb;
}

void ReleaseFrameBuffer(FrameBuffer *fb)
{
    if (!fb)
        return;
    if (--fb->refCount > 0)
        return;
    g_pool.Give(fb->raw, RawBytes(fb->width, fb->height));
    free(fb);
}
