#include "shared/global_memory.h"

#include <malloc.h>
#include <stdlib.h>

void *RawAllocGlobalBlock(size_t bytes, int zeroFill)
{
    if (bytes == 0)
        bytes = 1;
    return zeroFill ? calloc(1, bytes) : malloc(bytes);
}

void RawFreeGlobalBlock(void *block)
{
    free(block);
}

size_t RawGlobalBlockSize(void *block)
{
    return malloc_usable_size(block);
}
