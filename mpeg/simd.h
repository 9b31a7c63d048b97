// The processor-specific twins of the decoder's hot routines (MMX, the MMX
// extension of SSE, SSE2), written with compiler intrinsics, and the choice
// of every routine slot by the "simd" and "idct_func" settings.
#ifndef TWR_MPEG_SIMD_H
#define TWR_MPEG_SIMD_H

#include "mpeg/frame_output.h"
#include "mpeg/idct.h"
#include "mpeg/prediction.h"

#include <stdint.h>

// Bits of the "simd" setting.
enum { kSimdMmx = 1, kSimdMmxExt = 2, kSimdSse2 = 4 };

// The instruction sets this processor has, as "simd" bits.
int CpuSimdMask();
// The setting limited to what the processor has: a bit for a missing
// instruction set would stop the program at its first instruction, so the
// setting is never trusted alone.
int EffectiveSimdMask(int simd);
int EffectiveSimdMaskFor(int simd, int cpuMask);
// Empties the MMX state (EMMS) so that x87 code can run again. The MMX
// routines leave it set between each other within one operation; every
// operation that calls them (picture decoding, upsampling, conversion)
// leaves it on return.
void SimdLeaveMmx();

// Writes an 8 x 8 block at dst (rows `pitch` apart): put stores each value
// saturated to 0-255, add adds it to what is there and saturates.
typedef void (*BlockStoreFunc)(const int16_t *block, uint8_t *dst, int pitch);
void PutBlock(const int16_t *block, uint8_t *dst, int pitch);
void AddBlock(const int16_t *block, uint8_t *dst, int pitch);

// Every routine slot of an opened stream.
struct DecoderRoutines {
    ChromaUpsampleFunc upsampleInterlaced, upsampleProgressive;
    Rgb24ConvertFunc convert;
    QuantScaleFunc scaleQuant;
    IdctFunc idct;
    PredictDispatcher dispatch;
    BlockStoreFunc putAdd[2]; // [intra]: 0 add, 1 put
};
// chromaFormat 1 (4:2:0, also MPEG-1), 2 or 3.
DecoderRoutines SelectDecoderRoutines(int simd, int idctFunc, int chromaFormat);
// The same for a given processor mask (what a processor without some
// instruction set would get).
DecoderRoutines SelectDecoderRoutinesFor(int simd, int idctFunc, int chromaFormat, int cpuMask);

#if defined(__i386__) || defined(__x86_64__)
#define TWR_HAVE_X86_SIMD 1
// MMX
void UpsampleChromaProgressiveMmx(FrameBuffer *fb);
void UpsampleChromaInterlacedMmx(FrameBuffer *fb);
void ConvertRgb24Mmx(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info);
void ScaleQuantMatricesMmx(int16_t *dst, const int16_t *matrices, int scale);
void IdctRowColumnMmx(int16_t *block);
void PutBlockMmx(const int16_t *block, uint8_t *dst, int pitch);
void AddBlockMmx(const int16_t *block, uint8_t *dst, int pitch);
extern const PredictRoutine g_predictMmx[kPredictSlots];
void DispatchMmx(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                 int chromaFormat);
// MMX extension (and the SSE single-precision transform)
void IdctRowColumnMmxExt(int16_t *block);
void IdctFloatSse(int16_t *block);
extern const PredictRoutine g_predictMmxExt[kPredictSlots];
void DispatchMmxExt(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                    int chromaFormat);
// SSE2
void UpsampleChromaProgressiveSse2(FrameBuffer *fb);
void UpsampleChromaInterlacedSse2(FrameBuffer *fb);
void ConvertRgb24Sse2(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info);
void ScaleQuantMatricesSse2(int16_t *dst, const int16_t *matrices, int scale);
void IdctRowColumnSse2(int16_t *block);
extern const PredictRoutine g_predictSse2[kPredictSlots];
void DispatchSse2(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                  int chromaFormat);
#endif

#endif
