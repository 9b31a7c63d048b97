// Inverse quantiser tables and the 8 x 8 inverse DCTs of the MPEG decoder.
//
// A block is 64 signed 16-bit values in raster order (row-major, u
// horizontal), 16-byte aligned; every transform works in place.
#ifndef TWR_MPEG_IDCT_H
#define TWR_MPEG_IDCT_H

#include <stdint.h>

typedef void (*IdctFunc)(int16_t *block);

// One scaled set: the four matrices (intra luma, non-intra luma, intra
// chroma, non-intra chroma; 64 raster values each) times one quantiser
// scale, low 16 bits of each product.
enum { kQuantSetSize = 256 };
typedef void (*QuantScaleFunc)(int16_t *dst, const int16_t *matrices, int scale);

// quantiser_scale for a quantiser_scale_code 0-31: 2 x code for the linear
// scale (and MPEG-1), the non-linear table for q_scale_type 1.
int QuantiserScale(int code, int q_scale_type);

void ScaleQuantMatrices(int16_t *dst, const int16_t *matrices, int scale);

// Variant 0: the direct matrix form in double precision.
void IdctDouble(int16_t *block);
// Variant 1: the accurate integer Loeffler-Ligtenberg-Moschytz form with
// 13-bit constants and 4 extra fraction bits between the passes.
void IdctInteger(int16_t *block);
// Variant 2: row pass with per-row scaled 14-bit tables, column pass with
// tangent multipliers; the processor forms give the same results.
void IdctRowColumn(int16_t *block);

// Constants of the row-column transform shared with its processor forms:
// C4, C2, C6, C1, C3, C5, C7 for each of the four row sets, and the set of
// each row.
extern const int16_t g_idctRowConst[4][7];
extern const int g_idctRowSet[8];

#endif
