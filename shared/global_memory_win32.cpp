#include "shared/global_memory.h"
#include "shared/wintypes.h"

void *RawAllocGlobalBlock(size_t bytes, int zeroFill)
{
    HGLOBAL h = GlobalAlloc(zeroFill ? GHND : GMEM_MOVEABLE, bytes);
    if (!h)
        return nullptr;
    void *p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

void RawFreeGlobalBlock(void *block)
{
    HGLOBAL h = GlobalHandle(block);
    if (!h)
        return;
    GlobalUnlock(h);
    GlobalFree(h);
}

size_t RawGlobalBlockSize(void *block)
{
    HGLOBAL h = GlobalHandle(block);
    return h ? GlobalSize(h) : 0;
}
