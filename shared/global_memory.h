// Locked blocks of movable global memory, the storage of every packed DIB
// and large buffer. On Windows a GlobalAlloc'd block kept locked for its
// life (so that the clipboard can take a frame as it is); elsewhere plain
// heap memory.
#ifndef TWR_SHARED_GLOBAL_MEMORY_H
#define TWR_SHARED_GLOBAL_MEMORY_H

#include <stddef.h>

// Returns the locked block, or null when memory is short.
void *AllocGlobalBlock(size_t bytes, int zeroFill);
// Frees a block made by AllocGlobalBlock, given its locked address.
void FreeGlobalBlock(void *block);

#endif
