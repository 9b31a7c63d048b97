// The MMX prediction table. Compiled without SSE2 in the 32-bit build, as
// simd_pixels_mmx.cpp is (GCC would otherwise move the 64-bit vectors
// between MMX and SSE registers).
#include "mpeg/simd.h"

#ifdef TWR_HAVE_X86_SIMD

#include "mpeg/predict_mmx.h"

const PredictRoutine g_predictMmx[kPredictSlots] = {
    PredMmx<8, 0, 0, 0>,  PredMmx<8, 0, 0, 1>,  PredMmx<8, 0, 1, 0>,  PredMmx<8, 0, 1, 1>,
    PredMmx<8, 1, 0, 0>,  PredMmx<8, 1, 0, 1>,  PredMmx<8, 1, 1, 0>,  PredMmx<8, 1, 1, 1>,
    PredMmx<16, 0, 0, 0>, PredMmx<16, 0, 0, 1>, PredMmx<16, 0, 1, 0>, PredMmx<16, 0, 1, 1>,
    PredMmx<16, 1, 0, 0>, PredMmx<16, 1, 0, 1>, PredMmx<16, 1, 1, 0>, PredMmx<16, 1, 1, 1>,
};

void DispatchMmx(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                 int chromaFormat)
{
    DispatchWithTable(g_predictMmx, ref, cur, mode, vx, vy, x, y, store, chromaFormat);
}

#endif
