// Which instruction sets the decoder may use, and leaving MMX state.
#ifndef TWR_MPEG_SIMD_H
#define TWR_MPEG_SIMD_H

// Bits of the "simd" setting.
enum { kSimdMmx = 1, kSimdMmxExt = 2, kSimdSse2 = 4 };

// The instruction sets this processor has, as "simd" bits.
int CpuSimdMask();
// The setting limited to what the processor has: a set bit for a missing
// instruction set would crash the decoder, so it is never trusted.
int EffectiveSimdMask(int simd);
// Empties the MMX state (EMMS) so that x87 code can run again; the MMX
// routines leave it set between each other within one operation.
void SimdLeaveMmx();

#endif
