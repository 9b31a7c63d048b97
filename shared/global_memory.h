// Locked blocks of movable global memory, the storage of every packed DIB
// and large buffer. On Windows a GlobalAlloc'd block kept locked for its
// life (so that the clipboard can take a frame as it is); elsewhere plain
// heap memory.
//
// Frames are made and freed for every shown, played or saved frame, and a
// fresh multi-megabyte block costs its page faults again each time (about
// 6 ms for a 1080p frame under Wine). So the few most recently freed large
// blocks are kept and handed out again for requests of about their size.
// The program is single-threaded; so is this cache.
#ifndef TWR_SHARED_GLOBAL_MEMORY_H
#define TWR_SHARED_GLOBAL_MEMORY_H

#include <stddef.h>

// Returns the locked block, or null when memory is short. zeroFill clears
// the bytes asked for.
void *AllocGlobalBlock(size_t bytes, int zeroFill);
// Frees a block made by AllocGlobalBlock, given its locked address.
void FreeGlobalBlock(void *block);
// Releases every kept block (at exit, and when memory runs short).
void TrimGlobalBlockCache();
// False where blocks are never kept (sanitizer builds).
bool GlobalBlockCacheEnabled();

// The platform's own allocation, beneath the cache.
void *RawAllocGlobalBlock(size_t bytes, int zeroFill);
void RawFreeGlobalBlock(void *block);
size_t RawGlobalBlockSize(void *block);

#endif
