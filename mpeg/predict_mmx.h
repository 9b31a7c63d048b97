// The MMX prediction routines. They are defined in simd_predict_mmx.cpp,
// compiled without SSE2 (GCC would otherwise move the 64-bit vectors
// between MMX and SSE registers); the MMX-extension and SSE2 tables take
// their MMX slots from there.
#ifndef TWR_MPEG_PREDICT_MMX_H
#define TWR_MPEG_PREDICT_MMX_H

#include <stdint.h>

namespace predict_mmx {

template <int W, int HX, int HY, int STORE>
void PredMmx(const uint8_t *src, uint8_t *dst, int ss, int ds, int rows);

} // namespace predict_mmx

#endif
