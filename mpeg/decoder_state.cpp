#include "mpeg/decoder_state.h"

#include "mpeg/vlc_tables.h"

#include <stdlib.h>
#include <string.h>

DecoderState *NewDecoderState()
{
    void *raw = malloc(sizeof(DecoderState) + 16 + sizeof(void *));
    if (!raw)
        return nullptr;
    uintptr_t a = ((uintptr_t)raw + sizeof(void *) + 15) & ~(uintptr_t)15;
    DecoderState *st = (DecoderState *)a;
    ((void **)st)[-1] = raw;
    memset(st, 0, sizeof *st);
    st->scalableMode = -1;
    st->chromaFormat = 1;
    st->pictureStructure = kPictureFrame;
    st->pic.mpeg1 = 1;
    st->pic.chromaFormat = 1;
    st->pic.scalableMode = -1;
    st->pic.pictureStructure = kPictureFrame;
    st->pic.framePredFrameDct = 1;
    st->pic.mbTypeTable = kMbTypesI;
    st->pred.chromaFormat = 1;
    st->pred.pictureStructure = kPictureFrame;
    SetDecoderRoutines(st, SelectDecoderRoutines(0, 2, 1));
    for (int i = 0; i < 64; i++) {
        st->matrices[0][i] = st->matrices[2][i] = kDefaultIntraMatrix[i];
        st->matrices[1][i] = st->matrices[3][i] = 16;
    }
    for (int q = 0; q < 32; q++)
        st->scaleQuant(st->scaled[q], &st->matrices[0][0], QuantiserScale(q, 0));
    st->intraLuma = st->scaled[0];
    st->nonIntraLuma = st->scaled[0] + 64;
    st->intraChroma = st->scaled[0] + 128;
    st->nonIntraChroma = st->scaled[0] + 192;
    return st;
}

void FreeDecoderState(DecoderState *st)
{
    if (st)
        free(((void **)st)[-1]);
}

void SetDecoderRoutines(DecoderState *st, const DecoderRoutines &r)
{
    st->scaleQuant = r.scaleQuant;
    st->idct = r.idct;
    st->pred.dispatch = r.dispatch;
    st->putAdd[0] = r.putAdd[0];
    st->putAdd[1] = r.putAdd[1];
}

void ApplySequenceToDecoder(const SequenceRecord *seq, DecoderState *st)
{
    st->codedHeight = seq->coded_height;
    int scalable = seq->has_scalable_extension ? seq->scalable_mode : -1;
    int mpeg1 = seq->has_sequence_extension ? 0 : 1;
    st->scalableMode = scalable;
    st->pic.mpeg1 = mpeg1;
    st->pic.scalableMode = scalable;
    int cf = mpeg1 ? 1 : (seq->chroma_format >= 1 && seq->chroma_format <= 3 ? seq->chroma_format : 1);
    st->chromaFormat = st->pic.chromaFormat = st->pred.chromaFormat = cf;
    SequenceQuantiserMatrices(seq, st->matrices);
}

void ApplyPictureToDecoder(const PictureHeader *ph, DecoderState *st)
{
    PictureCodingInfo &pc = st->pic;
    pc.pictureCodingType = ph->picture_coding_type;
    if (ph->has_coding_extension) {
        for (int s = 0; s < 2; s++)
            for (int t = 0; t < 2; t++)
                pc.fCode[s][t] = ph->f_code[s][t];
        pc.fullPel[0] = pc.fullPel[1] = 0;
        st->intraDcPrecision = ph->intra_dc_precision & 3;
        int ps = ph->picture_structure & 3;
        pc.pictureStructure = ps ? ps : kPictureFrame; // 0 is reserved
        pc.topFieldFirst = ph->top_field_first;
        pc.framePredFrameDct = ph->frame_pred_frame_dct;
        pc.concealmentMotionVectors = ph->concealment_motion_vectors;
        st->qScaleType = ph->q_scale_type;
        st->intraVlcFormat = ph->intra_vlc_format;
        st->alternateScan = ph->alternate_scan;
    } else {
        pc.fCode[0][0] = pc.fCode[0][1] = ph->forward_f_code;
        pc.fCode[1][0] = pc.fCode[1][1] = ph->backward_f_code;
        pc.fullPel[0] = ph->full_pel_forward_vector;
        pc.fullPel[1] = ph->full_pel_backward_vector;
        st->intraDcPrecision = 0;
        pc.pictureStructure = kPictureFrame;
        pc.topFieldFirst = 0;
        pc.framePredFrameDct = 1;
        pc.concealmentMotionVectors = 0;
        st->qScaleType = 0;
        st->intraVlcFormat = 0;
        st->alternateScan = 0;
    }
    st->pictureStructure = pc.pictureStructure;
    pc.spatialExtension = ph->has_spatial_scalable_extension;
    pc.spatialTemporalWeightCodeTableIndex =
        ph->has_spatial_scalable_extension ? ph->spatial_temporal_weight_code_table_index : 0;
    // Spatially scalable pictures predict from a lower layer this decoder
    // does not have: they get no macroblock_type table and are concealed.
    if (pc.scalableMode == 1 && ph->has_spatial_scalable_extension)
        pc.mbTypeTable = kMbTypesNone;
    else if (pc.scalableMode == 2)
        pc.mbTypeTable = kMbTypesSnr;
    else if (ph->picture_coding_type == kCodingI)
        pc.mbTypeTable = kMbTypesI;
    else if (ph->picture_coding_type == kCodingP)
        pc.mbTypeTable = kMbTypesP;
    else if (ph->picture_coding_type == kCodingB)
        pc.mbTypeTable = kMbTypesB;

    PredictionState &pr = st->pred;
    pr.pictureStructure = pc.pictureStructure;
    pr.pictureCodingType = ph->picture_coding_type;
    pr.topFieldFirst = pc.topFieldFirst;
    if (!ph->has_coding_extension)
        pr.firstField = 0;
    else if (pc.pictureStructure != kPictureFrame)
        pr.firstField = !pr.firstField;

    ApplyPictureQuantiserMatrices(ph, st->matrices);
    for (int q = 0; q < 32; q++)
        st->scaleQuant(st->scaled[q], &st->matrices[0][0], QuantiserScale(q, st->qScaleType));
    SimdLeaveMmx();
}
