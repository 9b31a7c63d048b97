#include "shared/global_memory.h"
#include "shared/wintypes.h"

void *AllocGlobalBlock(size_t bytes, int zeroFill)
{
    HGLOBAL h = GlobalAlloc(zeroFill ? GHND : GMEM_MOVEABLE, bytes);
    if (!h)
        return nullptr;
    void *p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

void FreeGlobalBlock(void *block)
{
    if (!block)
        return;
    HGLOBAL h = GlobalHandle(block);
    if (!h)
        return;
    GlobalUnlock(h);
    GlobalFree(h);
}
