#include "shared/global_memory.h"

#include <string.h>

namespace {

// Blocks below this size are cheap to make afresh.
const size_t kMinKeptBytes = 256 * 1024;
const size_t kMaxKeptBytes = 96 * 1024 * 1024;
const int kMaxKept = 8;

struct KeptBlock {
    void *block;
    size_t size;
};

KeptBlock s_kept[kMaxKept];
int s_nKept = 0;
size_t s_keptBytes = 0;

// Removes entry i, keeping the others oldest first.
void Forget(int i)
{
    s_keptBytes -= s_kept[i].size;
    memmove(&s_kept[i], &s_kept[i + 1], (size_t)(s_nKept - i - 1) * sizeof s_kept[0]);
    s_nKept--;
}

// Under AddressSanitizer every block is really freed, so that a frame used
// after its release is still caught.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TWR_NO_BLOCK_CACHE 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TWR_NO_BLOCK_CACHE 1
#endif

}  // namespace

void *AllocGlobalBlock(size_t bytes, int zeroFill)
{
    if (bytes >= kMinKeptBytes) {
        // The smallest kept block that fits without wasting more than a
        // quarter of itself.
        int best = -1;
        for (int i = 0; i < s_nKept; i++)
            if (s_kept[i].size >= bytes && s_kept[i].size - bytes <= bytes / 4 &&
                (best < 0 || s_kept[i].size < s_kept[best].size))
                best = i;
        if (best >= 0) {
            void *block = s_kept[best].block;
            Forget(best);
            if (zeroFill)
                memset(block, 0, bytes);
            return block;
        }
    }
    void *block = RawAllocGlobalBlock(bytes, zeroFill);
    if (!block && s_nKept > 0) {
        TrimGlobalBlockCache();
        block = RawAllocGlobalBlock(bytes, zeroFill);
    }
    return block;
}

bool GlobalBlockCacheEnabled()
{
#ifdef TWR_NO_BLOCK_CACHE
    return false;
#else
    return true;
#endif
}

void FreeGlobalBlock(void *block)
{
    if (!block)
        return;
    size_t size = RawGlobalBlockSize(block);
    if (GlobalBlockCacheEnabled() && size >= kMinKeptBytes && size <= kMaxKeptBytes) {
        // Make room by dropping the oldest blocks.
        while (s_nKept > 0 && (s_nKept == kMaxKept || s_keptBytes + size > kMaxKeptBytes)) {
            RawFreeGlobalBlock(s_kept[0].block);
            Forget(0);
        }
        s_kept[s_nKept++] = {block, size};
        s_keptBytes += size;
        return;
    }
    RawFreeGlobalBlock(block);
}

void TrimGlobalBlockCache()
{
    while (s_nKept > 0) {
        RawFreeGlobalBlock(s_kept[s_nKept - 1].block);
        Forget(s_nKept - 1);
    }
}
