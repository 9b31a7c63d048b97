// Which instruction sets the processor has, and the routine slots.
#include "mpeg/simd.h"

#ifdef TWR_HAVE_X86_SIMD
#include <cpuid.h>
#include <mmintrin.h>
#endif

int CpuSimdMask()
{
#ifdef TWR_HAVE_X86_SIMD
    static int mask = -1;
    if (mask < 0) {
        unsigned a, b, c, d;
        int m = 0;
        if (__get_cpuid(1, &a, &b, &c, &d)) {
            if (d & (1u << 23))
                m |= kSimdMmx;
            if (d & (1u << 25)) // SSE brings the MMX extension
                m |= kSimdMmxExt | kSimdMmx;
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

int EffectiveSimdMaskFor(int simd, int cpu)
{
    int m = simd & cpu;
    // The SSE2 routines sit in tables beside MMX and MMX-extension ones.
    if ((m & kSimdSse2) && (cpu & (kSimdMmx | kSimdMmxExt)) != (kSimdMmx | kSimdMmxExt))
        m &= ~kSimdSse2;
    return m;
}

int EffectiveSimdMask(int simd) { return EffectiveSimdMaskFor(simd, CpuSimdMask()); }

void SimdLeaveMmx()
{
#ifdef TWR_HAVE_X86_SIMD
    _mm_empty();
#endif
}

namespace {

inline uint8_t Sat(int v) { return (uint8_t)(v < 0 ? 0 : (v > 255 ? 255 : v)); }

} // namespace

void PutBlock(const int16_t *block, uint8_t *dst, int pitch)
{
    for (int r = 0; r < 8; r++, dst += pitch, block += 8)
        for (int x = 0; x < 8; x++)
            dst[x] = Sat(block[x]);
}

void AddBlock(const int16_t *block, uint8_t *dst, int pitch)
{
    for (int r = 0; r < 8; r++, dst += pitch, block += 8)
        for (int x = 0; x < 8; x++)
            dst[x] = Sat(dst[x] + block[x]);
}

DecoderRoutines SelectDecoderRoutines(int simd, int idctFunc, int chromaFormat)
{
    return SelectDecoderRoutinesFor(simd, idctFunc, chromaFormat, CpuSimdMask());
}

DecoderRoutines SelectDecoderRoutinesFor(int simdSetting, int idctFunc, int chromaFormat, int cpuMask)
{
    DecoderRoutines r;
    r.upsampleInterlaced = UpsampleChromaInterlaced;
    r.upsampleProgressive = UpsampleChromaProgressive;
    r.convert = chromaFormat == 3 ? ConvertRgb24From444 : ConvertRgb24From422;
    r.scaleQuant = ScaleQuantMatrices;
    r.idct = idctFunc == 0 ? IdctDouble : idctFunc == 1 ? IdctInteger : IdctRowColumn;
    r.dispatch = DispatchPortable;
    r.putAdd[0] = AddBlock;
    r.putAdd[1] = PutBlock;
#ifdef TWR_HAVE_X86_SIMD
    int simd = EffectiveSimdMaskFor(simdSetting, cpuMask);
    if (simd & kSimdSse2) {
        r.upsampleInterlaced = UpsampleChromaInterlacedSse2;
        r.upsampleProgressive = UpsampleChromaProgressiveSse2;
        if (chromaFormat != 3)
            r.convert = ConvertRgb24Sse2;
        r.scaleQuant = ScaleQuantMatricesSse2;
        r.dispatch = DispatchSse2;
    } else if (simd & kSimdMmx) {
        r.upsampleInterlaced = UpsampleChromaInterlacedMmx;
        r.upsampleProgressive = UpsampleChromaProgressiveMmx;
        if (chromaFormat != 3)
            r.convert = ConvertRgb24Mmx;
        r.scaleQuant = ScaleQuantMatricesMmx;
    }
    if (!(simd & kSimdSse2)) {
        if (simd & kSimdMmxExt)
            r.dispatch = DispatchMmxExt;
        else if (simd & kSimdMmx)
            r.dispatch = DispatchMmx;
    }
    if (idctFunc == 0) {
        if (simd & kSimdMmxExt)
            r.idct = IdctFloatSse;
    } else if (idctFunc != 1) {
        if (simd & kSimdSse2)
            r.idct = IdctRowColumnSse2;
        else if (simd & kSimdMmxExt)
            r.idct = IdctRowColumnMmxExt;
        else if (simd & kSimdMmx)
            r.idct = IdctRowColumnMmx;
    }
    // The integer transform keeps its portable form with every setting:
    // its 32-bit column pass has no exact 16-bit twin.
    if (simd & kSimdMmx) {
        r.putAdd[0] = AddBlockMmx;
        r.putAdd[1] = PutBlockMmx;
    }
#else
    (void)simdSetting;
    (void)cpuMask;
#endif
    if (chromaFormat != 1) {
        r.upsampleInterlaced = UpsampleChromaNone;
        r.upsampleProgressive = UpsampleChromaNone;
    }
    return r;
}
