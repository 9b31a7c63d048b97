// Motion compensation: the macroblock predictor, the dispatcher that turns
// one block prediction into addresses and a routine slot, and the sixteen
// routines that move or average samples.
#ifndef TWR_MPEG_PREDICTION_H
#define TWR_MPEG_PREDICTION_H

#include "mpeg/frame_buffer.h"

#include <stdint.h>

// Motion types in the decoder's own code.
enum { kMotionField = 1, kMotionFrame = 2, kMotionDualPrime = 3, kMotion16x8 = 4 };
enum { kPictureTop = 1, kPictureBottom = 2, kPictureFrame = 3 };
enum { kCodingI = 1, kCodingP = 2, kCodingB = 3 };

// One routine: `rows` rows of 8 or 16 samples (fixed by the slot).
typedef void (*PredictRoutine)(const uint8_t *src, uint8_t *dst, int srcStride, int dstStride, int rows);
// slot = 8 x wide + 4 x half_x + 2 x half_y + store
enum { kPredictSlots = 16 };

// Mode code of one dispatcher call: 0 frame prediction (16 frame rows);
// 16 + d from the reference's top field, 32 + d from its bottom field,
// d = 1 writing the current picture's top field, 2 its bottom field.
typedef void (*PredictDispatcher)(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y,
                                  int store, int chromaFormat);

struct PredictionState {
    int32_t chromaFormat;
    int32_t firstField; // 1 while the first field of a frame is decoded
    int32_t pictureStructure;
    int32_t pictureCodingType;
    int32_t topFieldFirst;
    int32_t forward, backward;
    int32_t motionType;
    int32_t fieldSelect[2][2];   // [r][s]
    int32_t vectors[2][2][2];    // [r][s][t], half samples
    int32_t dualPrime[2][2];     // two derived vectors (horizontal, vertical)
    PredictDispatcher dispatch;
};

// Predicts the macroblock at luma (x, y), y in frame rows (32 per
// macroblock row in a field picture), into `cur`. A prediction whose
// reference is missing is not made.
void PredictMacroblock(const FrameBuffer *fwd, const FrameBuffer *bwd, FrameBuffer *cur, const PredictionState *ps,
                       int x, int y);

// The portable routines and a dispatcher bound to any table; the
// dispatcher keeps every read inside the reference plane (and field) and
// every write inside the current one.
extern const PredictRoutine g_predictPortable[kPredictSlots];
void DispatchWithTable(const PredictRoutine *table, const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy,
                       int x, int y, int store, int chromaFormat);
void DispatchPortable(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                      int chromaFormat);

#endif
