#include "mpeg/simd.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <mmintrin.h>
#define TWR_X86 1
#endif

int CpuSimdMask()
{
#ifdef TWR_X86
    static int mask = -1;
    if (mask < 0) {
        unsigned a, b, c, d;
        int m = 0;
        if (__get_cpuid(1, &a, &b, &c, &d)) {
            if (d & (1u << 23))
                m |= kSimdMmx;
            if (d & (1u << 25)) // SSE brings the MMX extension
                m |= kSimdMmxExt;
            if (d & (1u << 26))
                m |= kSimdSse2;
        }
        mask = m;
    }
    return mask;
#else
    return 0;
#endif
}

int EffectiveSimdMask(int simd) { return simd & CpuSimdMask(); }

void SimdLeaveMmx()
{
#ifdef TWR_X86
    _mm_empty();
#endif
}
