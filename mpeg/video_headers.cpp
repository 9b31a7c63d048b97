#include "mpeg/video_headers.h"

#include <string.h>

const BYTE kZigzagScan[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

const BYTE kAlternateScan[64] = {
    0,  8,  16, 24, 1,  9,  2,  10, 17, 25, 32, 40, 48, 56, 57, 49, 41, 33, 26, 18, 3,  11,
    4,  12, 19, 27, 34, 42, 50, 58, 35, 43, 51, 59, 20, 28, 5,  13, 6,  14, 21, 29, 36, 44,
    52, 60, 37, 45, 53, 61, 22, 30, 7,  15, 23, 31, 38, 46, 54, 62, 39, 47, 55, 63,
};

const BYTE kDefaultIntraMatrix[64] = {
    8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37, 19, 22, 26, 27, 29, 34,
    34, 38, 22, 22, 26, 27, 29, 34, 37, 40, 22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32,
    35, 40, 48, 58, 26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83,
};

const BYTE kNonLinearQuantiserScale[32] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 12, 14, 16, 18, 20, 22,
    24, 28, 32, 36, 40, 44, 48, 52, 56, 64, 72, 80, 88, 96, 104, 112,
};

static void ReadMatrix(VideoBitReader *v, unsigned short m[64])
{
    for (int i = 0; i < 64; i++)
        m[i] = (unsigned short)ReadVideoBits(v, 8);
}

static void ParseSequenceExtension(VideoBitReader *v, SequenceRecord *s)
{
    s->has_sequence_extension = 1;
    s->profile_and_level_indication = ReadVideoBits(v, 8);
    s->progressive_sequence = ReadVideoBits(v, 1);
    s->chroma_format = ReadVideoBits(v, 2);
    s->horizontal_size = (s->horizontal_size & 0xFFF) | ReadVideoBits(v, 2) << 12;
    s->vertical_size = (s->vertical_size & 0xFFF) | ReadVideoBits(v, 2) << 12;
    s->bit_rate = (s->bit_rate & 0x3FFFF) + (int)ReadVideoBits(v, 12) * 0x40000;
    SkipVideoBits(v, 1);
    s->vbv_buffer_size = (s->vbv_buffer_size & 0x3FF) + (int)ReadVideoBits(v, 8) * 1024;
    s->low_delay = ReadVideoBits(v, 1);
    s->frame_rate_extension_n = ReadVideoBits(v, 2);
    s->frame_rate_extension_d = ReadVideoBits(v, 5);
}

static void ParseDisplayExtension(VideoBitReader *v, SequenceRecord *s)
{
    s->has_display_extension = 1;
    s->video_format = ReadVideoBits(v, 3);
    s->colour_description = ReadVideoBits(v, 1);
    if (s->colour_description) {
        s->colour_primaries = ReadVideoBits(v, 8);
        s->transfer_characteristics = ReadVideoBits(v, 8);
        s->matrix_coefficients = ReadVideoBits(v, 8);
    } else {
        s->colour_primaries = s->transfer_characteristics = s->matrix_coefficients = 0;
    }
    s->display_horizontal_size = ReadVideoBits(v, 14);
    SkipVideoBits(v, 1);
    s->display_vertical_size = ReadVideoBits(v, 14);
}

static void ParseScalableExtension(VideoBitReader *v, SequenceRecord *s)
{
    s->has_scalable_extension = 1;
    s->scalable_mode = ReadVideoBits(v, 2);
    s->layer_id = ReadVideoBits(v, 4);
    if (s->scalable_mode == 1) {
        s->lower_layer_prediction_horizontal_size = ReadVideoBits(v, 14);
        SkipVideoBits(v, 1);
        s->lower_layer_prediction_vertical_size = ReadVideoBits(v, 14);
        s->horizontal_subsampling_factor_m = ReadVideoBits(v, 5);
        s->horizontal_subsampling_factor_n = ReadVideoBits(v, 5);
        s->vertical_subsampling_factor_m = ReadVideoBits(v, 5);
        s->vertical_subsampling_factor_n = ReadVideoBits(v, 5);
    } else if (s->scalable_mode == 3) {
        s->picture_mux_enable = ReadVideoBits(v, 1);
        if (s->picture_mux_enable)
            s->mux_to_progressive_sequence = ReadVideoBits(v, 1);
        s->picture_mux_order = ReadVideoBits(v, 3);
        s->picture_mux_factor = ReadVideoBits(v, 3);
    }
}

// The id of the extension that follows (user data before it passed over),
// or -1 at any other start code and at the data's end.
static int NextExtension(VideoBitReader *v)
{
    while (NextVideoStartCode(v)) {
        unsigned code = PeekVideoBits(v, 32);
        if (code == kUserDataStartCode) {
            SkipVideoBits(v, 32);
            continue;
        }
        if (code != kExtensionStartCode)
            return -1;
        SkipVideoBits(v, 32);
        return (int)ReadVideoBits(v, 4);
    }
    return -1;
}

int ParseSequenceHeader(VideoBitReader *v, SequenceRecord *s)
{
    memset(s, 0, sizeof(*s));
    SkipVideoBits(v, 32);
    s->horizontal_size = ReadVideoBits(v, 12);
    s->vertical_size = ReadVideoBits(v, 12);
    s->aspect_ratio_information = ReadVideoBits(v, 4);
    s->frame_rate_code = ReadVideoBits(v, 4);
    s->bit_rate = ReadVideoBits(v, 18);
    SkipVideoBits(v, 1);
    s->vbv_buffer_size = ReadVideoBits(v, 10);
    s->constrained_parameters_flag = ReadVideoBits(v, 1);
    s->load_intra_quantiser_matrix = ReadVideoBits(v, 1);
    if (s->load_intra_quantiser_matrix)
        ReadMatrix(v, s->intra_quantiser_matrix);
    s->load_non_intra_quantiser_matrix = ReadVideoBits(v, 1);
    if (s->load_non_intra_quantiser_matrix)
        ReadMatrix(v, s->non_intra_quantiser_matrix);
    // Extensions (and user data, passed over) up to the next other start code.
    for (int id; (id = NextExtension(v)) >= 0;) {
        switch (id) {
        case 1:
            ParseSequenceExtension(v, s);
            break;
        case 2:
            ParseDisplayExtension(v, s);
            break;
        case 5:
            ParseScalableExtension(v, s);
            break;
        default:
            break;
        }
    }
    s->coded_width = (s->horizontal_size + 15) & ~15;
    bool interlaced = s->has_sequence_extension && !s->progressive_sequence;
    s->coded_height = interlaced ? (s->vertical_size + 31) & ~31 : (s->vertical_size + 15) & ~15;
    if (s->horizontal_size == 0 || s->vertical_size == 0)
        return 0;
    if (s->has_sequence_extension && s->chroma_format == 0)
        return 0;
    return 1;
}

static void ParseCodingExtension(VideoBitReader *v, PictureHeader *p)
{
    p->has_coding_extension = 1;
    p->f_code[0][0] = ReadVideoBits(v, 4);
    p->f_code[0][1] = ReadVideoBits(v, 4);
    p->f_code[1][0] = ReadVideoBits(v, 4);
    p->f_code[1][1] = ReadVideoBits(v, 4);
    p->intra_dc_precision = ReadVideoBits(v, 2);
    p->picture_structure = ReadVideoBits(v, 2);
    p->top_field_first = ReadVideoBits(v, 1);
    p->frame_pred_frame_dct = ReadVideoBits(v, 1);
    p->concealment_motion_vectors = ReadVideoBits(v, 1);
    p->q_scale_type = ReadVideoBits(v, 1);
    p->intra_vlc_format = ReadVideoBits(v, 1);
    p->alternate_scan = ReadVideoBits(v, 1);
    p->repeat_first_field = ReadVideoBits(v, 1);
    p->chroma_420_type = ReadVideoBits(v, 1);
    p->progressive_frame = ReadVideoBits(v, 1);
    p->composite_display_flag = ReadVideoBits(v, 1);
    if (p->composite_display_flag) {
        p->v_axis = ReadVideoBits(v, 1);
        p->field_sequence = ReadVideoBits(v, 3);
        p->sub_carrier = ReadVideoBits(v, 1);
        p->burst_amplitude = ReadVideoBits(v, 7);
        p->sub_carrier_phase = ReadVideoBits(v, 8);
    }
}

static void ParseQuantMatrixExtension(VideoBitReader *v, PictureHeader *p)
{
    p->has_quant_matrix_extension = 1;
    for (int k = 0; k < 4; k++) {
        p->load_quant_matrix[k] = ReadVideoBits(v, 1);
        if (p->load_quant_matrix[k])
            ReadMatrix(v, p->quant_matrix[k]);
    }
}

static void ParseSpatialScalableExtension(VideoBitReader *v, PictureHeader *p)
{
    p->has_spatial_scalable_extension = 1;
    p->lower_layer_temporal_reference = ReadVideoBits(v, 10);
    SkipVideoBits(v, 1);
    p->lower_layer_horizontal_offset = ReadVideoBits(v, 15);
    SkipVideoBits(v, 1);
    p->lower_layer_vertical_offset = ReadVideoBits(v, 15);
    p->spatial_temporal_weight_code_table_index = ReadVideoBits(v, 2);
    p->lower_layer_progressive_frame = ReadVideoBits(v, 1);
    p->lower_layer_deinterlaced_field_select = ReadVideoBits(v, 1);
}

static bool UsableFCode(int f, int maxCode) { return f >= 1 && f <= maxCode; }

int ParsePictureHeader(VideoBitReader *v, PictureHeader *p)
{
    memset(p, 0, sizeof(*p));
    SkipVideoBits(v, 32);
    p->temporal_reference = ReadVideoBits(v, 10);
    p->picture_coding_type = ReadVideoBits(v, 3);
    p->vbv_delay = ReadVideoBits(v, 16);
    if (p->picture_coding_type == kPictureP || p->picture_coding_type == kPictureB) {
        p->full_pel_forward_vector = ReadVideoBits(v, 1);
        p->forward_f_code = ReadVideoBits(v, 3);
    }
    if (p->picture_coding_type == kPictureB) {
        p->full_pel_backward_vector = ReadVideoBits(v, 1);
        p->backward_f_code = ReadVideoBits(v, 3);
    }
    // extra_information_picture; the data end stops it (zero bits).
    while (ReadVideoBits(v, 1))
        SkipVideoBits(v, 8);
    for (int id; (id = NextExtension(v)) >= 0;) {
        switch (id) {
        case 8:
            ParseCodingExtension(v, p);
            break;
        case 3:
            ParseQuantMatrixExtension(v, p);
            break;
        case 9:
            ParseSpatialScalableExtension(v, p);
            break;
        default:
            break;
        }
    }
    int type = p->picture_coding_type;
    if (type < kPictureI || type > kPictureB)
        return 0;
    bool forward = type != kPictureI, backward = type == kPictureB;
    if (p->has_coding_extension) {
        if (p->picture_structure == 0)
            return 0;
        if (type == kPictureI && p->concealment_motion_vectors)
            forward = true;
        for (int t = 0; t < 2; t++) {
            if (forward && !UsableFCode(p->f_code[0][t], 9))
                return 0;
            if (backward && !UsableFCode(p->f_code[1][t], 9))
                return 0;
        }
    } else {
        if (forward && !UsableFCode(p->forward_f_code, 7))
            return 0;
        if (backward && !UsableFCode(p->backward_f_code, 7))
            return 0;
    }
    return 1;
}

void PictureRate(const SequenceRecord *seq, DWORD *rate, DWORD *scale)
{
    static const DWORD rates[9] = {0, 24000, 24, 25, 30000, 30, 50, 60000, 60};
    static const DWORD scales[9] = {1, 1001, 1, 1, 1001, 1, 1, 1001, 1};
    int code = seq->frame_rate_code;
    if (code < 1 || code > 8) {
        *rate = 0;
        *scale = 1;
        return;
    }
    *rate = rates[code];
    *scale = scales[code];
    if (seq->has_sequence_extension) {
        *rate *= seq->frame_rate_extension_n + 1;
        *scale *= seq->frame_rate_extension_d + 1;
    }
}

bool HasPictureRate(const SequenceRecord *seq)
{
    DWORD rate, scale;
    PictureRate(seq, &rate, &scale);
    return rate != 0;
}

int ColourMatrixIndex(const SequenceRecord *seq, int colorMatrix)
{
    // Reserved codes (above 7) are taken as no description at all.
    if (seq->has_display_extension && seq->colour_description && seq->matrix_coefficients <= 7)
        return seq->matrix_coefficients;
    if (!seq->has_sequence_extension)
        return 0;
    if (colorMatrix >= 1 && colorMatrix <= 7)
        return colorMatrix;
    static const int integerRate[9] = {0, 24, 24, 25, 30, 30, 50, 60, 60};
    int code = seq->frame_rate_code;
    int r = code >= 0 && code <= 8 ? integerRate[code] : 0;
    r = r * (seq->frame_rate_extension_n + 1) / (seq->frame_rate_extension_d + 1);
    // High definition: the picture rate times the picture area (64-bit).
    long long load = (long long)r * seq->vertical_size * seq->horizontal_size;
    return load >= 12000000 ? 1 : 0;
}

void ComputeOutputInfo(const SequenceRecord *seq, int reMap, int colorMatrix, OutputInfo *out)
{
    // V to R, U to G, V to G, U to B; full range, then studio range expanded.
    static const int coefficients[4][2][4] = {
        {{91881, -22553, -46801, 116129}, {104597, -25675, -53279, 132201}},    // BT.601
        {{103219, -12257, -30659, 121621}, {117504, -13954, -34903, 138453}},   // BT.709
        {{91750, -21749, -46652, 116654}, {104448, -24759, -53109, 132798}},    // FCC
        {{103284, -14851, -31235, 119668}, {117579, -16907, -35559, 136230}},   // SMPTE 240M
    };
    int m = ColourMatrixIndex(seq, colorMatrix);
    int row = m == 1 ? 1 : m == 4 ? 2 : m == 7 ? 3 : 0;
    int r = reMap ? 1 : 0;
    const int *c = coefficients[row][r];
    out->v_to_r = c[0];
    out->u_to_g = c[1];
    out->v_to_g = c[2];
    out->u_to_b = c[3];
    out->luma_offset = r ? 16 : 0;
    out->luma_gain = r ? 76309 : 65536;
    out->width = seq->horizontal_size;
    out->height = seq->vertical_size;
    out->stride = seq->coded_width;
    int chroma = seq->has_sequence_extension ? seq->chroma_format : kChroma420;
    out->chroma_offset = chroma == kChroma420 ? seq->coded_width / 2 : 0;
}

void FillFrameRecord(const PictureHeader *pic, FrameRecord *rec)
{
    rec->picture_coding_type = pic->picture_coding_type;
    if (pic->has_coding_extension) {
        rec->repeat_first_field = pic->repeat_first_field;
        rec->top_field_first = pic->top_field_first;
        rec->progressive_frame = pic->progressive_frame;
    } else {
        rec->repeat_first_field = 0;
        rec->top_field_first = 0;
        rec->progressive_frame = 1;
    }
}

static void Dezigzag(const unsigned short coded[64], short raster[64])
{
    for (int i = 0; i < 64; i++)
        raster[kZigzagScan[i]] = (short)coded[i];
}

void SequenceQuantiserMatrices(const SequenceRecord *seq, short m[4][64])
{
    if (seq->load_intra_quantiser_matrix) {
        Dezigzag(seq->intra_quantiser_matrix, m[kIntraLuma]);
    } else {
        for (int i = 0; i < 64; i++)
            m[kIntraLuma][i] = kDefaultIntraMatrix[i];
    }
    if (seq->load_non_intra_quantiser_matrix) {
        Dezigzag(seq->non_intra_quantiser_matrix, m[kNonIntraLuma]);
    } else {
        for (int i = 0; i < 64; i++)
            m[kNonIntraLuma][i] = 16;
    }
    memcpy(m[kIntraChroma], m[kIntraLuma], sizeof m[0]);
    memcpy(m[kNonIntraChroma], m[kNonIntraLuma], sizeof m[0]);
}

void ApplyPictureQuantiserMatrices(const PictureHeader *pic, short m[4][64])
{
    if (!pic->has_quant_matrix_extension)
        return;
    for (int k = 0; k < 4; k++)
        if (pic->load_quant_matrix[k])
            Dezigzag(pic->quant_matrix[k], m[k]);
    if (pic->load_quant_matrix[kIntraLuma] && !pic->load_quant_matrix[kIntraChroma])
        memcpy(m[kIntraChroma], m[kIntraLuma], sizeof m[0]);
    if (pic->load_quant_matrix[kNonIntraLuma] && !pic->load_quant_matrix[kNonIntraChroma])
        memcpy(m[kNonIntraChroma], m[kNonIntraLuma], sizeof m[0]);
}
