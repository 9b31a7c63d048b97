#include "mpeg/video_headers.h"
#include "tests/mpeg/bit_writer.h"
#include "tests/mpeg/mpeg_test_util.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>

namespace {

struct ReaderDeleter {
    void operator()(VideoBitReader *v) const
    {
        CloseVideoSource(v);
        free(v);
    }
};
using ReaderPtr = std::unique_ptr<VideoBitReader, ReaderDeleter>;

ReaderPtr OpenReader(const std::string &path)
{
    VideoBitReader *v = (VideoBitReader *)calloc(1, sizeof(VideoBitReader));
    VideoSourceOptions o = {0x800000, 0};
    if (!OpenVideoSource(v, path.c_str(), &o)) {
        free(v);
        return nullptr;
    }
    return ReaderPtr(v);
}

ReaderPtr ReaderOnBytes(const std::vector<unsigned char> &bytes, const char *name)
{
    std::string path = ScratchPath(name);
    WriteWholeFile(path, bytes);
    return OpenReader(path);
}

// Sequence header fields (MPEG-1 part), then an optional sequence extension.
struct SeqFields {
    int w = 720, h = 576, aspect = 2, rate = 3, bitRate = 20000, vbv = 112;
    bool intraMatrix = false, nonIntraMatrix = false;
    bool ext = true;
    int profile = 0x48, progressive = 0, chroma = 1, wExt = 0, hExt = 0, rateExtN = 0, rateExtD = 0;
    bool display = false;
    int colourDescription = 1, matrix = 1, dw = 720, dh = 576;
    bool scalable = false;
};

void WriteSequence(BitWriter &b, const SeqFields &f)
{
    b.StartCode(0xB3);
    b.Put(f.w & 0xFFF, 12);
    b.Put(f.h & 0xFFF, 12);
    b.Put(f.aspect, 4);
    b.Put(f.rate, 4);
    b.Put(f.bitRate & 0x3FFFF, 18);
    b.Put(1, 1);
    b.Put(f.vbv & 0x3FF, 10);
    b.Put(0, 1);
    b.Put(f.intraMatrix, 1);
    for (int i = 0; f.intraMatrix && i < 64; i++)
        b.Put(8 + i, 8);  // coded position i holds 8 + i
    b.Put(f.nonIntraMatrix, 1);
    for (int i = 0; f.nonIntraMatrix && i < 64; i++)
        b.Put(100 + i, 8);
    b.StartCode(0xB2);  // user data between the header and its extensions
    b.Put(0x12345678, 32);
    if (f.ext) {
        b.StartCode(0xB5);
        b.Put(1, 4);
        b.Put(f.profile, 8);
        b.Put(f.progressive, 1);
        b.Put(f.chroma, 2);
        b.Put(f.wExt, 2);
        b.Put(f.hExt, 2);
        b.Put(f.bitRate >> 18, 12);
        b.Put(1, 1);
        b.Put(f.vbv >> 10, 8);
        b.Put(0, 1);
        b.Put(f.rateExtN, 2);
        b.Put(f.rateExtD, 5);
    }
    if (f.display) {
        b.StartCode(0xB5);
        b.Put(2, 4);
        b.Put(5, 3);
        b.Put(f.colourDescription, 1);
        if (f.colourDescription) {
            b.Put(1, 8);
            b.Put(1, 8);
            b.Put(f.matrix, 8);
        }
        b.Put(f.dw, 14);
        b.Put(1, 1);
        b.Put(f.dh, 14);
    }
    if (f.scalable) {
        b.StartCode(0xB5);
        b.Put(5, 4);
        b.Put(1, 2);  // spatial
        b.Put(3, 4);
        b.Put(352, 14);
        b.Put(1, 1);
        b.Put(288, 14);
        b.Put(1, 5);
        b.Put(2, 5);
        b.Put(3, 5);
        b.Put(4, 5);
    }
    b.StartCode(0xB8);  // ends the header
    b.Put(0, 32);
}

TEST(SequenceHeader, FieldsAndExtensions)
{
    SeqFields f;
    f.w = 1920 + 4096;  // 6016 wide: needs the size extension
    f.wExt = 1;
    f.h = 1080;
    f.bitRate = 0x40000 * 3 + 5;
    f.vbv = 1024 * 2 + 7;
    f.intraMatrix = f.nonIntraMatrix = true;
    f.display = f.scalable = true;
    f.matrix = 7;
    f.rateExtN = 1;
    f.rateExtD = 0;
    BitWriter b;
    WriteSequence(b, f);
    ReaderPtr v = ReaderOnBytes(b.bytes, "seq.m2v");
    ASSERT_TRUE(v);
    ASSERT_TRUE(NextVideoStartCode(v.get()));
    SequenceRecord s;
    ASSERT_EQ(ParseSequenceHeader(v.get(), &s), 1);
    EXPECT_EQ(PeekVideoBits(v.get(), 32), 0x1B8u);  // left on the next start code
    EXPECT_EQ(s.horizontal_size, 6016);
    EXPECT_EQ(s.vertical_size, 1080);
    EXPECT_EQ(s.coded_width, 6016);
    EXPECT_EQ(s.coded_height, 1088);
    EXPECT_EQ(s.aspect_ratio_information, 2);
    EXPECT_EQ(s.frame_rate_code, 3);
    EXPECT_EQ(s.bit_rate, 0x40000 * 3 + 5);
    EXPECT_EQ(s.vbv_buffer_size, 2 * 1024 + 7);
    ASSERT_EQ(s.load_intra_quantiser_matrix, 1);
    EXPECT_EQ(s.intra_quantiser_matrix[10], 18);
    EXPECT_EQ(s.non_intra_quantiser_matrix[63], 163);
    EXPECT_EQ(s.has_sequence_extension, 1);
    EXPECT_EQ(s.profile_and_level_indication, 0x48);
    EXPECT_EQ(s.chroma_format, 1);
    EXPECT_EQ(s.frame_rate_extension_n, 1);
    EXPECT_EQ(s.has_display_extension, 1);
    EXPECT_EQ(s.video_format, 5);
    EXPECT_EQ(s.matrix_coefficients, 7);
    EXPECT_EQ(s.display_horizontal_size, 720);
    EXPECT_EQ(s.display_vertical_size, 576);
    EXPECT_EQ(s.has_scalable_extension, 1);
    EXPECT_EQ(s.scalable_mode, 1);
    EXPECT_EQ(s.layer_id, 3);
    EXPECT_EQ(s.lower_layer_prediction_vertical_size, 288);
    EXPECT_EQ(s.vertical_subsampling_factor_n, 4);
    DWORD rate, scale;
    PictureRate(&s, &rate, &scale);
    EXPECT_EQ(rate, 50u);  // 25 x (1 + 1)
    EXPECT_EQ(scale, 1u);
    short m[4][64];
    SequenceQuantiserMatrices(&s, m);
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(m[kIntraLuma][kZigzagScan[i]], 8 + i);
        EXPECT_EQ(m[kNonIntraChroma][kZigzagScan[i]], 100 + i);
    }
}

TEST(SequenceHeader, UnusableSequencesAreRefused)
{
    struct Case {
        const char *what;
        int w, h, chroma;
        bool ext;
        int result;
    } cases[] = {
        {"regular", 720, 576, 1, true, 1},
        {"width 0", 0, 576, 1, true, 0},
        {"height 0", 720, 0, 1, true, 0},
        {"chroma_format 0", 720, 576, 0, true, 0},
        {"4:2:2", 720, 576, 2, true, 1},
        {"MPEG-1 width 0", 0, 240, 1, false, 0},
    };
    for (const Case &c : cases) {
        SeqFields f;
        f.w = c.w, f.h = c.h, f.chroma = c.chroma, f.ext = c.ext;
        BitWriter b;
        WriteSequence(b, f);
        ReaderPtr v = ReaderOnBytes(b.bytes, "bad-seq.m2v");
        ASSERT_TRUE(v);
        ASSERT_TRUE(NextVideoStartCode(v.get()));
        SequenceRecord s;
        EXPECT_EQ(ParseSequenceHeader(v.get(), &s), c.result) << c.what;
    }
}

struct PicFields {
    int type = 2, tref = 5;
    int fwd = 1, bwd = 1;           // MPEG-1 f_codes
    bool ext = true;
    int f[2][2] = {{2, 3}, {15, 15}};
    int structure = 3, tff = 1, rff = 0, progressive = 0, concealment = 0;
    bool quantExt = false;
};

void WritePicture(BitWriter &b, const PicFields &p)
{
    b.StartCode(0x00);
    b.Put(p.tref, 10);
    b.Put(p.type, 3);
    b.Put(0xFFFF, 16);
    if (p.type == 2 || p.type == 3) {
        b.Put(0, 1);
        b.Put(p.ext ? 7 : p.fwd, 3);
    }
    if (p.type == 3) {
        b.Put(0, 1);
        b.Put(p.ext ? 7 : p.bwd, 3);
    }
    b.Put(1, 1);  // extra_information_picture
    b.Put(0xAB, 8);
    b.Put(0, 1);
    if (p.ext) {
        b.StartCode(0xB5);
        b.Put(8, 4);
        b.Put(p.f[0][0], 4);
        b.Put(p.f[0][1], 4);
        b.Put(p.f[1][0], 4);
        b.Put(p.f[1][1], 4);
        b.Put(2, 2);  // intra_dc_precision
        b.Put(p.structure, 2);
        b.Put(p.tff, 1);
        b.Put(0, 1);
        b.Put(p.concealment, 1);
        b.Put(1, 1);  // q_scale_type
        b.Put(1, 1);  // intra_vlc_format
        b.Put(0, 1);
        b.Put(p.rff, 1);
        b.Put(1, 1);
        b.Put(p.progressive, 1);
        b.Put(1, 1);  // composite_display_flag
        b.Put(1, 1);
        b.Put(5, 3);
        b.Put(1, 1);
        b.Put(99, 7);
        b.Put(200, 8);
    }
    if (p.quantExt) {
        b.StartCode(0xB5);
        b.Put(3, 4);
        b.Put(1, 1);
        for (int i = 0; i < 64; i++)
            b.Put(20 + i, 8);
        b.Put(0, 1);
        b.Put(0, 1);
        b.Put(0, 1);
    }
    b.StartCode(0xB5);  // a copyright extension is passed over
    b.Put(4, 4);
    b.Put(0, 32);
    b.StartCode(0x01);  // first slice
    b.Put(0x55, 8);
}

int ParsePicture(const PicFields &p, PictureHeader *pic)
{
    BitWriter b;
    WritePicture(b, p);
    ReaderPtr v = ReaderOnBytes(b.bytes, "pic.m2v");
    if (!v || !NextVideoStartCode(v.get()))
        return -1;
    int r = ParsePictureHeader(v.get(), pic);
    if (PeekVideoBits(v.get(), 32) != 0x101)
        return -2;
    return r;
}

TEST(PictureHeader, FieldsAndExtensions)
{
    PicFields p;
    p.type = 3;
    p.f[1][0] = 4;
    p.f[1][1] = 9;
    p.quantExt = true;
    p.rff = 1;
    PictureHeader pic;
    ASSERT_EQ(ParsePicture(p, &pic), 1);
    EXPECT_EQ(pic.temporal_reference, 5);
    EXPECT_EQ(pic.picture_coding_type, 3);
    EXPECT_EQ(pic.forward_f_code, 7);
    EXPECT_EQ(pic.has_coding_extension, 1);
    EXPECT_EQ(pic.f_code[0][1], 3);
    EXPECT_EQ(pic.f_code[1][1], 9);
    EXPECT_EQ(pic.intra_dc_precision, 2);
    EXPECT_EQ(pic.picture_structure, 3);
    EXPECT_EQ(pic.q_scale_type, 1);
    EXPECT_EQ(pic.intra_vlc_format, 1);
    EXPECT_EQ(pic.repeat_first_field, 1);
    EXPECT_EQ(pic.chroma_420_type, 1);
    EXPECT_EQ(pic.composite_display_flag, 1);
    EXPECT_EQ(pic.burst_amplitude, 99);
    EXPECT_EQ(pic.sub_carrier_phase, 200);
    ASSERT_EQ(pic.has_quant_matrix_extension, 1);
    short m[4][64];
    SequenceRecord s = {};
    SequenceQuantiserMatrices(&s, m);
    ApplyPictureQuantiserMatrices(&pic, m);
    EXPECT_EQ(m[kIntraLuma][kZigzagScan[3]], 23);
    EXPECT_EQ(m[kIntraChroma][kZigzagScan[3]], 23);  // follows the luma matrix
    EXPECT_EQ(m[kNonIntraLuma][7], 16);
    FrameRecord rec;
    FillFrameRecord(&pic, &rec);
    EXPECT_EQ(rec.picture_coding_type, 3);
    EXPECT_EQ(rec.repeat_first_field, 1);
    EXPECT_EQ(rec.top_field_first, 1);
    EXPECT_EQ(rec.progressive_frame, 0);

    PicFields m1;
    m1.ext = false;
    m1.type = 3;
    m1.fwd = 4;
    m1.bwd = 6;
    ASSERT_EQ(ParsePicture(m1, &pic), 1);
    EXPECT_EQ(pic.forward_f_code, 4);
    EXPECT_EQ(pic.backward_f_code, 6);
    FillFrameRecord(&pic, &rec);
    EXPECT_EQ(rec.repeat_first_field, 0);
    EXPECT_EQ(rec.top_field_first, 0);
    EXPECT_EQ(rec.progressive_frame, 1);
}

TEST(PictureHeader, UndecodablePicturesArePassedOver)
{
    struct Case {
        const char *what;
        PicFields p;
        int result;
    };
    std::vector<Case> cases;
    auto add = [&](const char *what, int result, auto change) {
        PicFields p;
        change(p);
        cases.push_back({what, p, result});
    };
    add("P frame", 1, [](PicFields &) {});
    add("coding type 0", 0, [](PicFields &p) { p.type = 0; });
    add("D picture", 0, [](PicFields &p) { p.type = 4; });
    add("coding type 7", 0, [](PicFields &p) { p.type = 7; });
    add("picture_structure 0", 0, [](PicFields &p) { p.structure = 0; });
    add("field picture", 1, [](PicFields &p) { p.structure = 2; });
    add("forward f_code 0", 0, [](PicFields &p) { p.f[0][0] = 0; });
    add("forward f_code 10", 0, [](PicFields &p) { p.f[0][1] = 10; });
    add("forward f_code 15 in a P picture", 0, [](PicFields &p) { p.f[0][0] = 15; });
    add("backward f_code 15 in a P picture", 1, [](PicFields &p) { p.f[1][0] = 15; });
    add("B picture with backward f_code 12", 0, [](PicFields &p) { p.type = 3; p.f[1][0] = 1; p.f[1][1] = 12; });
    add("I picture, all 15", 1, [](PicFields &p) { p.type = 1; p.f[0][0] = p.f[0][1] = 15; });
    add("I picture with concealment vectors, f_code 15", 0,
        [](PicFields &p) { p.type = 1; p.concealment = 1; p.f[0][0] = p.f[0][1] = 15; });
    add("MPEG-1 P, forward_f_code 0", 0, [](PicFields &p) { p.ext = false; p.fwd = 0; });
    add("MPEG-1 B, backward_f_code 0", 0, [](PicFields &p) { p.ext = false; p.type = 3; p.bwd = 0; });
    add("MPEG-1 B", 1, [](PicFields &p) { p.ext = false; p.type = 3; });
    for (const Case &c : cases) {
        PictureHeader pic;
        EXPECT_EQ(ParsePicture(c.p, &pic), c.result) << c.what;
    }
}

SequenceRecord Seq(int w, int h, int rateCode, bool mpeg2, int progressive = 1)
{
    SequenceRecord s = {};
    s.horizontal_size = w;
    s.vertical_size = h;
    s.coded_width = (w + 15) & ~15;
    s.coded_height = (h + 15) & ~15;
    s.frame_rate_code = rateCode;
    s.has_sequence_extension = mpeg2;
    s.chroma_format = mpeg2 ? 1 : 0;
    s.progressive_sequence = progressive;
    return s;
}

TEST(OutputInfo, ColourMatrixChoice)
{
    struct Case {
        const char *what;
        SequenceRecord s;
        int setting;
        int matrix;
    };
    SequenceRecord described = Seq(720, 576, 3, true);
    described.has_display_extension = 1;
    described.colour_description = 1;
    described.matrix_coefficients = 4;
    SequenceRecord reserved = described;
    reserved.matrix_coefficients = 9;
    SequenceRecord noDescription = described;
    noDescription.colour_description = 0;
    SequenceRecord huge = Seq(16383, 16383, 8, true);
    Case cases[] = {
        {"MPEG-1", Seq(352, 240, 4, false), 0, 0},
        {"MPEG-1 ignores the setting", Seq(1920, 1080, 4, false), 5, 0},
        {"1080 at 30000/1001", Seq(1920, 1080, 4, true), 0, 1},
        {"720x576 at 25", Seq(720, 576, 3, true), 0, 0},
        {"1280x720 at 24: just below", Seq(1280, 720, 1, true), 0, 1},
        {"960x540 at 23.976 -> 24: 12,441,600", Seq(960, 540, 1, true), 0, 1},
        {"the setting for undescribed MPEG-2", Seq(720, 576, 3, true), 6, 6},
        {"a setting above 7 is automatic", Seq(720, 576, 3, true), 9, 0},
        {"colour description", described, 1, 4},
        {"reserved code: automatic", reserved, 0, 0},
        {"display extension without description", noDescription, 7, 7},
        // 60 x 16383 x 16383 does not fit 32 bits.
        {"largest picture at 60", huge, 0, 1},
        {"no rate", Seq(1920, 1080, 0, true), 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ColourMatrixIndex(&c.s, c.setting), c.matrix) << c.what;
}

TEST(OutputInfo, CoefficientsLumaRangeAndChromaOffset)
{
    OutputInfo o;
    SequenceRecord hd = Seq(1920, 1080, 4, true);
    ComputeOutputInfo(&hd, 1, 0, &o);
    EXPECT_EQ(o.v_to_r, 117504);
    EXPECT_EQ(o.u_to_g, -13954);
    EXPECT_EQ(o.v_to_g, -34903);
    EXPECT_EQ(o.u_to_b, 138453);
    EXPECT_EQ(o.luma_offset, 16);
    EXPECT_EQ(o.luma_gain, 76309);
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.stride, 1920);
    EXPECT_EQ(o.chroma_offset, 960);
    SequenceRecord sd = Seq(350, 240, 4, false);  // MPEG-1, width not a multiple of 16
    ComputeOutputInfo(&sd, 0, 0, &o);
    EXPECT_EQ(o.v_to_r, 91881);
    EXPECT_EQ(o.u_to_b, 116129);
    EXPECT_EQ(o.luma_offset, 0);
    EXPECT_EQ(o.luma_gain, 65536);
    EXPECT_EQ(o.stride, 352);
    EXPECT_EQ(o.chroma_offset, 176);
    SequenceRecord s422 = Seq(720, 576, 3, true);
    s422.chroma_format = 2;
    ComputeOutputInfo(&s422, 1, 4, &o);
    EXPECT_EQ(o.chroma_offset, 0);
    EXPECT_EQ(o.v_to_r, 104448);
    ComputeOutputInfo(&s422, 0, 7, &o);
    EXPECT_EQ(o.v_to_g, -31235);
}

TEST(PictureRate, EveryCode)
{
    const DWORD rates[16] = {0, 24000, 24, 25, 30000, 30, 50, 60000, 60, 0, 0, 0, 0, 0, 0, 0};
    const DWORD scales[16] = {1, 1001, 1, 1, 1001, 1, 1, 1001, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int code = 0; code < 16; code++) {
        SequenceRecord s = Seq(720, 480, code, true);
        DWORD r, sc;
        PictureRate(&s, &r, &sc);
        EXPECT_EQ(r, rates[code]) << code;
        EXPECT_EQ(sc, scales[code]) << code;
    }
    SequenceRecord s = Seq(720, 480, 4, true);
    s.frame_rate_extension_n = 1;
    s.frame_rate_extension_d = 2;
    DWORD r, sc;
    PictureRate(&s, &r, &sc);
    EXPECT_EQ(r, 60000u);
    EXPECT_EQ(sc, 3003u);
}

// The first sequence of every generated stream, against ffprobe.
TEST(VideoHeaders, SequencesAgreeWithFfprobe)
{
    for (const char *name : {"es1.m1v", "es2.m2v", "es2i.m2v", "hd.m2v", "ps2.mpg", "ps1.mpg", "ts.ts", "ts192.m2ts",
                             "mjpeg.m2v", "mplex.mpg"}) {
        std::map<std::string, std::string> probe = ReadProbeStreams(name);
        ReaderPtr v = OpenReader(MediaPath(name));
        ASSERT_TRUE(v) << name;
        SequenceRecord s;
        bool found = false;
        int pictures = 0;
        while (NextVideoStartCode(v.get())) {
            unsigned code = PeekVideoBits(v.get(), 32);
            if (code == kSequenceHeaderCode && !found) {
                ASSERT_EQ(ParseSequenceHeader(v.get(), &s), 1) << name;
                found = true;
            } else if (code == kPictureStartCode && found) {
                PictureHeader pic;
                EXPECT_EQ(ParsePictureHeader(v.get(), &pic), 1) << name;
                pictures++;
            } else {
                SkipVideoBits(v.get(), 32);
            }
        }
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(std::to_string(s.horizontal_size), probe["width"]) << name;
        EXPECT_EQ(std::to_string(s.vertical_size), probe["height"]) << name;
        DWORD rate, scale;
        PictureRate(&s, &rate, &scale);
        EXPECT_EQ(std::to_string(rate) + "/" + std::to_string(scale), probe["r_frame_rate"]) << name;
        bool mpeg2 = probe["codec_name"] == "mpeg2video";
        EXPECT_EQ(IsMpeg2(&s), mpeg2) << name;
        EXPECT_EQ(ChromaFormatOf(&s), kChroma420) << name;
        if (mpeg2) {
            // aspect_ratio_information: 1 square samples, 2 4:3, 3 16:9.
            std::string dar = probe["display_aspect_ratio"];
            int want = dar == "4:3" ? 2 : dar == "16:9" ? 3 : 1;
            EXPECT_EQ(s.aspect_ratio_information, want) << name << " " << dar;
            EXPECT_EQ(s.profile_and_level_indication & 15, atoi(probe["level"].c_str())) << name;
            // ffprobe's field order is that of the frames: interlaced frames
            // need an interlaced sequence (progressive frames may be in either).
            if (probe["field_order"] != "progressive") {
                EXPECT_EQ(s.progressive_sequence, 0) << name;
            }
        } else {
            EXPECT_EQ(probe["sample_aspect_ratio"], "1:1") << name;
            EXPECT_EQ(s.aspect_ratio_information, 1) << name;
        }
        int probePictures = 0;
        for (const ProbePacket &p : ReadProbePackets(name))
            probePictures += p.type == "video";
        EXPECT_EQ(pictures, probePictures) << name;
    }
}

TEST(VideoBitReader, RewindFindsTheLastStartCodeAgain)
{
    ReaderPtr v = OpenReader(MediaPath("ps2.mpg"));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->sourceKind, kVideoSourceProgram);
    ASSERT_TRUE(NextVideoStartCode(v.get()));
    SkipVideoBits(v.get(), 32);
    ASSERT_TRUE(NextVideoStartCode(v.get()));
    long long at = TellVideo(v.get());
    unsigned code = PeekVideoBits(v.get(), 32);
    SkipVideoBits(v.get(), 32 + 17);
    ASSERT_TRUE(RewindToPreviousStartCode(v.get()));
    ASSERT_TRUE(NextVideoStartCode(v.get()));
    EXPECT_EQ(TellVideo(v.get()), at);
    EXPECT_EQ(PeekVideoBits(v.get(), 32), code);
    EXPECT_GT(v->streamSize, 100000);
}

}  // namespace
