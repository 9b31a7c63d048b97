// The picture decoder: slices, macroblocks, motion vectors, coefficients
// with inverse quantisation, and the concealment of what a damaged or
// incomplete picture lacks.
#ifndef TWR_MPEG_DECODER_STATE_H
#define TWR_MPEG_DECODER_STATE_H

#include "mpeg/frame_buffer.h"
#include "mpeg/idct.h"
#include "mpeg/prediction.h"
#include "mpeg/simd.h"
#include "mpeg/video_headers.h"

#include <stdint.h>

// The macroblock_type table chosen for a picture.
enum MbTypeTable { kMbTypesI, kMbTypesP, kMbTypesB, kMbTypesSnr, kMbTypesNone };

struct PictureCodingInfo {
    int32_t mpeg1;
    int32_t chromaFormat;
    int32_t scalableMode;
    int32_t pictureCodingType;
    int32_t pictureStructure;
    int32_t topFieldFirst;
    int32_t framePredFrameDct;
    int32_t concealmentMotionVectors;
    int32_t fCode[2][2]; // [s][t]
    int32_t fullPel[2];  // MPEG-1 full_pel_forward_vector, full_pel_backward_vector
    int32_t spatialTemporalWeightCodeTableIndex;
    int32_t spatialExtension; // a picture spatial scalable extension came with the picture
    int32_t mbTypeTable;      // MbTypeTable
};

struct alignas(16) DecoderState {
    int16_t matrices[4][64];          // intra luma, non-intra luma, intra chroma, non-intra chroma (raster)
    int16_t scaled[32][kQuantSetSize]; // per quantiser_scale_code
    const int16_t *intraLuma, *nonIntraLuma, *intraChroma, *nonIntraChroma;
    QuantScaleFunc scaleQuant;
    int32_t chromaFormat, pictureStructure, intraDcPrecision, intraVlcFormat, alternateScan, qScaleType;
    int32_t mbIntra, dctType;
    int32_t dcPred[3];
    PredictionState pred;
    PictureCodingInfo pic;
    int32_t codedHeight;
    int32_t scalableMode;
    IdctFunc idct;
    BlockStoreFunc putAdd[2];
};

// A zeroed state, 16-byte aligned, with the portable routines; null when
// memory runs out. The owner frees it with FreeDecoderState.
DecoderState *NewDecoderState();
void FreeDecoderState(DecoderState *st);
// Routine slots chosen for a stream (SelectDecoderRoutines).
void SetDecoderRoutines(DecoderState *st, const DecoderRoutines &r);

// Hands a sequence header to the decoder: coded height, scalable_mode (-1
// without the scalable extension), MPEG-1 or 2, chroma_format (4:2:0 for
// MPEG-1) and the four quantiser matrices.
void ApplySequenceToDecoder(const SequenceRecord *seq, DecoderState *st);
// Hands a picture header to the decoder: the picture-level fields, the
// macroblock_type table, the quant matrix extension, the first-field flag
// (flipped at every field picture, kept at frame pictures, cleared without
// a coding extension), and the 32 scaled quantiser sets for its scale type.
void ApplyPictureToDecoder(const PictureHeader *pic, DecoderState *st);

// The picture's references and the buffer being decoded.
struct PictureBuffers {
    const FrameBuffer *forward, *backward;
    FrameBuffer *current;
};

#endif
