#include "shared/global_memory.h"

#include <stdlib.h>

void *AllocGlobalBlock(size_t bytes, int zeroFill)
{
    if (bytes == 0)
        bytes = 1;
    return zeroFill ? calloc(1, bytes) : malloc(bytes);
}

void FreeGlobalBlock(void *block)
{
    free(block);
}
