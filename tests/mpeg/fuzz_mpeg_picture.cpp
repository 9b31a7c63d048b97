// Fuzzes picture decoding: the first byte chooses the routines ("simd"
// bits and "idct_func"), the rest is a video elementary stream. Every frame
// that comes out is upsampled, resized and converted to RGB as the stream
// object would, so that those stages meet damaged pictures too.
#include "mpeg/frame_output.h"
#include "mpeg/resizer.h"
#include "tests/mpeg/es_feeder.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    EsFeederOptions opt;
    opt.simd = data[0] & 7;
    opt.idctFunc = (data[0] >> 3) & 3;
    opt.maxWidth = 320;
    opt.maxHeight = 288;
    opt.maxPictures = 24;
    DecoderRoutines routines = SelectDecoderRoutines(opt.simd, opt.idctFunc, 1);
    EsFeeder feeder(data + 1, size - 1, opt);
    std::vector<uint8_t> rgb;
    feeder.Run([&](const FrameBuffer *fb, const SequenceRecord &seq, const PictureHeader &ph) {
        FrameBuffer *copy = CloneFrameBuffer(fb);
        if (!copy)
            return;
        int cf = seq.has_sequence_extension ? seq.chroma_format : 1;
        if (cf == 1) {
            if (ph.has_coding_extension && !ph.progressive_frame)
                routines.upsampleInterlaced(copy);
            else
                routines.upsampleProgressive(copy);
        }
        ResizerSource rs = {seq.horizontal_size,    seq.vertical_size,           seq.coded_width,
                            seq.coded_height,       !seq.has_sequence_extension, seq.aspect_ratio_information,
                            cf,                     seq.has_display_extension,   seq.display_horizontal_size,
                            seq.display_vertical_size};
        Resizer *r = CreateResizerFor(rs, ResizerTargetWidth(rs), 0);
        FrameBuffer *out = ResizeFrame(copy, r);
        OutputInfo info;
        ComputeOutputInfo(&seq, data[0] >> 7, 0, &info);
        ApplyResizerToOutputInfo(r, &info);
        if (out == copy && r) {
            // Not resized: convert with the frame's own geometry.
            ComputeOutputInfo(&seq, data[0] >> 7, 0, &info);
        }
        info.pitch = 3 * info.width;
        rgb.resize((size_t)info.width * info.height * 3 + 1);
        (cf == 3 ? ConvertRgb24From444 : routines.convert)(out, out, rgb.data(), &info);
        if (out != copy)
            ReleaseFrameBuffer(out);
        ReleaseFrameBuffer(copy);
        FreeResizer(r);
    });
    SimdLeaveMmx();
    return 0;
}
