// MPEG-1/2 video sequence and picture headers (ISO/IEC 11172-2, 13818-2):
// their records, their parsers on the video bit reader, the picture rate,
// the output information the RGB conversion needs, and the quantiser
// matrices the picture decoder takes over.
//
// A SequenceRecord is also the unit stored in the ".gl" GOP list file. A
// stream is MPEG-2 when its sequence extension is present.
#ifndef TWR_MPEG_VIDEO_HEADERS_H
#define TWR_MPEG_VIDEO_HEADERS_H

#include "mpeg/video_bit_reader.h"

enum {
    kPictureStartCode = 0x100,
    kSliceStartCodeFirst = 0x101,
    kSliceStartCodeLast = 0x1AF,
    kUserDataStartCode = 0x1B2,
    kSequenceHeaderCode = 0x1B3,
    kExtensionStartCode = 0x1B5,
    kSequenceEndCode = 0x1B7,
    kGopStartCode = 0x1B8,
};

enum { kPictureI = 1, kPictureP = 2, kPictureB = 3 };
enum { kTopField = 1, kBottomField = 2, kFramePicture = 3 };
enum { kChroma420 = 1, kChroma422 = 2, kChroma444 = 3 };

struct SequenceRecord {
    int horizontal_size;   // with horizontal_size_extension
    int vertical_size;
    int coded_width;       // 16-rounded
    int coded_height;      // 16-rounded, 32 for interlaced MPEG-2
    int aspect_ratio_information;
    int frame_rate_code;
    int bit_rate;          // bit_rate_value + bit_rate_extension * 0x40000 (units of 400 bit/s)
    int vbv_buffer_size;   // value + extension * 1024
    int constrained_parameters_flag;
    int load_intra_quantiser_matrix;
    unsigned short intra_quantiser_matrix[64];      // coded (zigzag) order
    int load_non_intra_quantiser_matrix;
    unsigned short non_intra_quantiser_matrix[64];  // coded (zigzag) order
    // sequence extension
    int has_sequence_extension;
    int profile_and_level_indication;
    int progressive_sequence;
    int chroma_format;
    int low_delay;
    int frame_rate_extension_n;
    int frame_rate_extension_d;
    // sequence display extension
    int has_display_extension;
    int video_format;
    int colour_description;
    int colour_primaries;
    int transfer_characteristics;
    int matrix_coefficients;
    int display_horizontal_size;
    int display_vertical_size;
    // sequence scalable extension
    int has_scalable_extension;
    int scalable_mode;
    int layer_id;
    int lower_layer_prediction_horizontal_size;
    int lower_layer_prediction_vertical_size;
    int horizontal_subsampling_factor_m;
    int horizontal_subsampling_factor_n;
    int vertical_subsampling_factor_m;
    int vertical_subsampling_factor_n;
    int picture_mux_enable;
    int mux_to_progressive_sequence;
    int picture_mux_order;
    int picture_mux_factor;
};

struct PictureHeader {
    int temporal_reference;
    int picture_coding_type;
    int vbv_delay;
    int full_pel_forward_vector;  // P and B pictures, else 0
    int forward_f_code;
    int full_pel_backward_vector; // B pictures, else 0
    int backward_f_code;
    // picture coding extension
    int has_coding_extension;
    int f_code[2][2];             // [forward/backward][horizontal/vertical]
    int intra_dc_precision;
    int picture_structure;
    int top_field_first;
    int frame_pred_frame_dct;
    int concealment_motion_vectors;
    int q_scale_type;
    int intra_vlc_format;
    int alternate_scan;
    int repeat_first_field;
    int chroma_420_type;
    int progressive_frame;
    int composite_display_flag;
    int v_axis;
    int field_sequence;
    int sub_carrier;
    int burst_amplitude;
    int sub_carrier_phase;
    // quant matrix extension: intra, non-intra, chroma intra, chroma non-intra
    int has_quant_matrix_extension;
    int load_quant_matrix[4];
    unsigned short quant_matrix[4][64];  // coded (zigzag) order
    // picture spatial scalable extension
    int has_spatial_scalable_extension;
    int lower_layer_temporal_reference;
    int lower_layer_horizontal_offset;
    int lower_layer_vertical_offset;
    int spatial_temporal_weight_code_table_index;
    int lower_layer_progressive_frame;
    int lower_layer_deinterlaced_field_select;
};

// What a decoded frame is, for the frame cache and the field pairing.
struct FrameRecord {
    long long frame;
    int picture_coding_type;
    int repeat_first_field;
    int top_field_first;
    int progressive_frame;
    int closed_gop_state;
};

// What the RGB conversion needs. Colour coefficients in 16.16 fixed point.
struct OutputInfo {
    int width;
    int height;
    int stride;         // row pitch of the decoded planes (the coded width)
    int pitch;          // output row pitch, set by each read
    int chroma_offset;  // where the upsampled 4:2:2 chroma of a row begins
    int luma_offset;
    int luma_gain;
    int u_to_b;
    int u_to_g;
    int v_to_g;
    int v_to_r;
};

// Parses the sequence header the reader stands on (start code 0x1B3) and
// the extensions that follow it, up to the first start code that is neither
// an extension nor user data, where the reader is left. Returns 0 for a
// header no decoder can use (a size of 0, chroma_format 0); the record is
// then not to be used.
int ParseSequenceHeader(VideoBitReader *v, SequenceRecord *seq);
// Parses the picture header the reader stands on (0x100) and its
// extensions; the reader is left on the first other start code (normally
// the first slice). Returns 0 for a picture that cannot be decoded: a
// picture_coding_type other than I, P or B, picture_structure 0, or an
// f_code outside 1-9 (1-7 without a coding extension) where the picture
// uses it; 15 marks an unused direction. Such a picture is to be passed over.
int ParsePictureHeader(VideoBitReader *v, PictureHeader *pic);

inline bool IsMpeg2(const SequenceRecord *seq) { return seq->has_sequence_extension != 0; }
// kChroma420 for MPEG-1.
inline int ChromaFormatOf(const SequenceRecord *seq)
{
    return seq->has_sequence_extension ? seq->chroma_format : kChroma420;
}
// 1 for MPEG-1 and progressive MPEG-2 sequences.
inline int ProgressiveIndicator(const SequenceRecord *seq)
{
    return seq->has_sequence_extension ? seq->progressive_sequence : 1;
}

// Picture rate as rate / scale (24000/1001, 24, 25, 30000/1001, 30, 50,
// 60000/1001, 60 for frame_rate_code 1-8, times (n + 1) / (d + 1) of the
// sequence extension). A code without a rate gives rate 0, scale 1: such a
// stream has no frame timing and is to be refused.
void PictureRate(const SequenceRecord *seq, DWORD *rate, DWORD *scale);

// Output information from a sequence: reMap is the "re_map" setting (non-zero:
// studio-range luma expanded to full range), colorMatrix the "color_matrix"
// setting (0 automatic, 1-7 a matrix_coefficients code for MPEG-2 streams
// without colour description).
void ComputeOutputInfo(const SequenceRecord *seq, int reMap, int colorMatrix, OutputInfo *out);
// The matrix_coefficients code the output uses (see ComputeOutputInfo).
int ColourMatrixIndex(const SequenceRecord *seq, int colorMatrix);

// picture_coding_type, repeat_first_field, top_field_first and
// progressive_frame of a picture (0, 0, 1 without a coding extension).
void FillFrameRecord(const PictureHeader *pic, FrameRecord *rec);

// The scan order of the coefficients: kZigzagScan[i] is the raster position
// (row * 8 + column) of coded position i.
extern const BYTE kZigzagScan[64];
extern const BYTE kAlternateScan[64];
// ISO/IEC 13818-2 default intra matrix, raster order.
extern const BYTE kDefaultIntraMatrix[64];
// quantiser_scale for q_scale_type 1 (table 7-6), by quantiser_scale_code.
extern const BYTE kNonLinearQuantiserScale[32];

enum { kIntraLuma = 0, kNonIntraLuma = 1, kIntraChroma = 2, kNonIntraChroma = 3 };
// The four quantiser matrices of a sequence in raster order: the loaded
// intra matrix (else the default) in both intra slots, the loaded non-intra
// matrix (else all 16) in both non-intra slots.
void SequenceQuantiserMatrices(const SequenceRecord *seq, short matrices[4][64]);
// Applies a picture's quant matrix extension to the matrices in force (an
// absent chroma matrix takes the luma one loaded with it).
void ApplyPictureQuantiserMatrices(const PictureHeader *pic, short matrices[4][64]);

#endif
