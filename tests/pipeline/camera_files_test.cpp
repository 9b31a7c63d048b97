// The byte work of camera 3D-AVI files: frames and previews repacked from
// the writer's JPEG files decode to the same picture, the header patches
// land where the camera reads them, the EXIF block, the segment rewrite on
// good and damaged files, and the frame and sound arithmetic of the loop.
// The files written here are read by exiftool and ffmpeg in
// check_camera.py.
#include "pipeline/camera_files.h"

#include "pipeline/jpeg_file.h"
#include "tests/pipeline/test_paths.h"

#include <gtest/gtest.h>

#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

namespace {

typedef std::vector<BYTE> Bytes;

struct Escape {
    jpeg_error_mgr pub;
    jmp_buf back;
};
void EscapeExit(j_common_ptr c) { longjmp(((Escape *)c->err)->back, 1); }

// R, G, B pixels of a JPEG in memory (empty when libjpeg refuses it).
Bytes Decode(const Bytes &bytes, int *w = nullptr, int *h = nullptr)
{
    Bytes px;
    jpeg_decompress_struct c;
    Escape e;
    c.err = jpeg_std_error(&e.pub);
    e.pub.error_exit = EscapeExit;
    if (setjmp(e.back)) {
        jpeg_destroy_decompress(&c);
        return Bytes();
    }
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, bytes.data(), (unsigned long)bytes.size());
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    px.resize((size_t)c.output_width * c.output_height * c.out_color_components);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = &px[(size_t)c.output_scanline * c.output_width * c.out_color_components];
        jpeg_read_scanlines(&c, &row, 1);
    }
    if (w)
        *w = (int)c.output_width;
    if (h)
        *h = (int)c.output_height;
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return px;
}

// A JPEG of the writer (luma 2 x 1, as during a camera save).
Bytes WriterJpeg(const std::string &name, int w, int h, int quality = 75)
{
    Bytes rgb((size_t)w * h * 3);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            BYTE *p = &rgb[((size_t)y * w + x) * 3];
            p[0] = (BYTE)(x * 255 / w);
            p[1] = (BYTE)(y * 255 / h);
            p[2] = (BYTE)((x / 8 + y / 8) & 1 ? 220 : 30);
        }
    g_nJpegSampling = 2;
    std::string path = OutPath(name);
    int ok = WriteJpegFile(path.c_str(), rgb.data(), w, h, quality);
    g_nJpegSampling = 0;
    return ok ? ReadWholeFile(path) : Bytes();
}

uint32_t Le32(const BYTE *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
int Be16(const BYTE *p) { return p[0] << 8 | p[1]; }

// The markers of a JPEG up to SOS, in order.
std::vector<int> Markers(const Bytes &j)
{
    std::vector<int> m;
    for (size_t at = 2; at + 4 <= j.size();) {
        m.push_back(j[at + 1]);
        if (j[at + 1] == 0xDA)
            break;
        at += 2 + Be16(&j[at + 2]);
    }
    return m;
}

}  // namespace

// Camera frames and previews hold the same picture as the writer's file,
// in the camera's segment layout.
TEST(CameraJpeg, RepackedFramesDecodeToTheWritersPicture)
{
    for (int quality : {10, 75, 99}) {
        SCOPED_TRACE(quality);
        Bytes src = WriterJpeg("camera_src.jpg", 400, 240, quality);
        ASSERT_TRUE(HasWriterLayout(src.data(), src.size()));
        Bytes frame, preview;
        ASSERT_TRUE(RepackAvi1Frame(src.data(), src.size(), &frame));
        ASSERT_TRUE(RepackPreviewJpeg(src.data(), src.size(), &preview));

        size_t length = src.size() - 430;
        EXPECT_EQ(frame.size() % 32, 0u);
        EXPECT_GE(frame.size(), length);
        EXPECT_LT(frame.size(), length + 32);
        EXPECT_EQ(memcmp(&frame[6], "AVI1", 4), 0);
        EXPECT_EQ(Le32(&frame[12]), frame.size());
        EXPECT_EQ(Le32(&frame[16]), length);
        EXPECT_EQ(Markers(frame), (std::vector<int>{0xE0, 0xDD, 0xDB, 0xC0, 0xDA}));
        EXPECT_EQ(frame[length - 2], 0xFF);
        EXPECT_EQ(frame[length - 1], 0xD9);
        for (size_t i = length; i < frame.size(); i++)
            ASSERT_EQ(frame[i], 0) << i;

        EXPECT_EQ(preview.size(), src.size() - 34);
        EXPECT_EQ(Markers(preview), (std::vector<int>{0xDB, 0xC0, 0xC4, 0xDA}));

        Bytes expected = Decode(src);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(Decode(preview), expected);
        // The frame names no Huffman tables: decoders take the standard
        // ones, which are the writer's.
        EXPECT_EQ(Decode(Bytes(frame.begin(), frame.begin() + length)), expected);
        if (quality == 75) {
            WriteWholeFile(OutPath("camera_frame.jpg"), Bytes(frame.begin(), frame.begin() + length));
            WriteWholeFile(OutPath("camera_preview.jpg"), preview);
        }
    }
}

// Anything but the writer's layout is refused instead of being cut at the
// writer's offsets.
TEST(CameraJpeg, OtherLayoutsAreRefused)
{
    Bytes src = WriterJpeg("camera_src2.jpg", 64, 48);
    ASSERT_TRUE(HasWriterLayout(src.data(), src.size()));
    struct Case {
        const char *what;
        size_t at;
        BYTE value;
        size_t cut;
    } cases[] = {
        {"no SOI", 1, 0xD9, 0},         {"no APP0", 3, 0xE1, 0},   {"16-bit table", 24, 0x10, 0},
        {"progressive", 159, 0xC2, 0},  {"DHT moved", 177, 0xC5, 0}, {"no SOS", 610, 0xDB, 0},
        {"cut in the tables", 0, 0, 400}, {"cut at the scan", 0, 0, 611},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bad = src;
        if (c.cut)
            bad.resize(c.cut);
        else
            bad[c.at] = c.value;
        Bytes out;
        EXPECT_FALSE(HasWriterLayout(bad.data(), bad.size()));
        EXPECT_FALSE(RepackAvi1Frame(bad.data(), bad.size(), &out));
        EXPECT_FALSE(RepackPreviewJpeg(bad.data(), bad.size(), &out));
    }
}

TEST(CameraJpeg, SegmentRewrite)
{
    // SOI, APP0, APP1, DQT, APP1, SOS + scan + EOI
    Bytes in = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'a', 'b', 0xFF, 0xE1, 0, 3, 'x', 0xFF, 0xDB, 0, 2,
                0xFF, 0xE1, 0, 2, 0xFF, 0xDA, 0, 2, 1, 2, 0xFF, 0xD9};
    Bytes block = {0xFF, 0xE1, 0, 4, 'E', 'X'};
    Bytes out;
    ASSERT_EQ(RewriteSegments(in.data(), in.size(), 3, nullptr, 0, &out), 0);
    EXPECT_EQ(out, (Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0, 3, 'x', 0xFF, 0xDB, 0, 2, 0xFF, 0xE1, 0, 2, 0xFF, 0xDA, 0, 2,
                          1, 2, 0xFF, 0xD9}));
    ASSERT_EQ(RewriteSegments(in.data(), in.size(), 2, block.data(), block.size(), &out), 0);
    EXPECT_EQ(out, (Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0, 4, 'E', 'X', 0xFF, 0xE0, 0, 4, 'a', 'b', 0xFF, 0xDB, 0, 2,
                          0xFF, 0xDA, 0, 2, 1, 2, 0xFF, 0xD9}));

    struct Bad {
        const char *what;
        Bytes bytes;
        int error;
    } bad[] = {
        {"empty", {}, 2},
        {"not FF", {0x00, 0xD8, 0xFF, 0xDA}, 2},
        {"not SOI", {0xFF, 0xD9, 0xFF, 0xDA}, 3},
        {"ends before SOS", {0xFF, 0xD8, 0xFF, 0xDB, 0, 2}, 9},
        {"segment past the end", {0xFF, 0xD8, 0xFF, 0xDB, 0x40, 0, 1, 2}, 9},
        {"length below 2", {0xFF, 0xD8, 0xFF, 0xDB, 0, 1, 0xFF, 0xDA}, 9},
        {"no marker byte", {0xFF, 0xD8, 0x12, 0xDB, 0, 2, 0xFF, 0xDA}, 9},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.what);
        EXPECT_EQ(RewriteSegments(b.bytes.data(), b.bytes.size(), 2, block.data(), block.size(), &out), b.error);
    }
}

// The EXIF block is the template with the date, the size and the
// thumbnail; a JPEG carrying it goes to exiftool (check_camera.py).
TEST(CameraJpeg, ExifBlock)
{
    Bytes tmpl = ReadWholeFile(HostFile(TWR_CAMERA_TEMPLATES, "exif3ds.bin"));
    ASSERT_EQ(tmpl.size(), (size_t)kExifTemplateBytes);
    Bytes thumb = WriterJpeg("camera_thumb.jpg", 160, 96, 60), thumbNoApp0;
    ASSERT_EQ(RewriteSegments(thumb.data(), thumb.size(), 3, nullptr, 0, &thumbNoApp0), 0);
    char date[20];
    FormatExifDate(date, 2011, 2, 26, 13, 5, 9);
    EXPECT_STREQ(date, "2011:02:26 13:05:09");
    FormatExifDate(date, 12345, 100, -1, 24, 60, 999);
    EXPECT_STREQ(date, "9999:99:00 24:60:99");
    FormatExifDate(date, 2011, 2, 26, 13, 5, 9);
    Bytes block;
    ASSERT_TRUE(BuildExifBlock(tmpl.data(), date, 400, 240, thumbNoApp0.data(), thumbNoApp0.size(), &block));
    EXPECT_EQ(block.size() % 2, 0u);
    EXPECT_EQ((size_t)Be16(&block[2]), block.size() - 2);
    for (int at : {178, 324, 344})
        EXPECT_EQ(memcmp(&block[at], "2011:02:26 13:05:09", 20), 0) << at;
    EXPECT_EQ(Be16(&block[294]), 400);
    EXPECT_EQ(Be16(&block[306]), 240);
    EXPECT_EQ((size_t)Be16(&block[670]), thumbNoApp0.size());
    EXPECT_EQ(memcmp(&block[kExifTemplateBytes], thumbNoApp0.data(), thumbNoApp0.size()), 0);

    Bytes picture = WriterJpeg("camera_exif_src.jpg", 400, 240), withExif;
    ASSERT_EQ(RewriteSegments(picture.data(), picture.size(), 2, block.data(), block.size(), &withExif), 0);
    EXPECT_EQ(Decode(withExif), Decode(picture));
    WriteWholeFile(OutPath("camera_exif.jpg"), withExif);

    // The APP1 length must stay within 16 bits: 65,534 is the largest.
    Bytes largest(65536 - kExifTemplateBytes), over(65537 - kExifTemplateBytes);
    EXPECT_TRUE(BuildExifBlock(tmpl.data(), date, 1, 1, largest.data(), largest.size(), &block));
    EXPECT_EQ(Be16(&block[2]), 65534);
    EXPECT_FALSE(BuildExifBlock(tmpl.data(), date, 1, 1, over.data(), over.size(), &block));
}

// The header: the intermediate file's headers copied from wherever its
// tokens are, the camera bytes of each kind.
TEST(CameraHeader, PatchesByKind)
{
    Bytes tmpl = ReadWholeFile(HostFile(TWR_CAMERA_TEMPLATES, "fuji.bin"));
    ASSERT_EQ(tmpl.size(), (size_t)kCameraHeaderBytes);
    // An intermediate head with its tokens away from the defaults.
    Bytes head(kTempHeaderBytes, 0);
    memcpy(&head[0], "RIFF", 4);
    head[4] = 0x10, head[5] = 0x20, head[6] = 0x30;  // RIFF size 0x302010
    const int hdrl = 24, strl[3] = {100, 250, 380};
    memcpy(&head[hdrl], "hdrl", 4);
    for (int i = 0; i < 68; i++)
        if (i >= 4)
            head[hdrl + i] = (BYTE)(i + 1);
    for (int s = 0; s < 3; s++) {
        memcpy(&head[strl[s]], "strl", 4);
        for (int i = 4; i < 116; i++)
            head[strl[s] + i] = (BYTE)(s * 50 + i);
    }
    TempChunks c = LocateTempChunks(head.data(), head.size());
    EXPECT_EQ(c.hdrl, hdrl);
    EXPECT_EQ(c.strl[2], strl[2]);
    Bytes none(kTempHeaderBytes, 0);
    TempChunks d = LocateTempChunks(none.data(), none.size());
    EXPECT_EQ(d.hdrl, 20);
    EXPECT_EQ(d.strl[0], 96);
    EXPECT_EQ(d.strl[1], 238);
    EXPECT_EQ(d.strl[2], 356);

    struct Case {
        int kind;
        int kindByte, fps;  // at 224/225 and 9426/9427
        int width, height;  // at 10060/10068
        int frameTimeLow;
    } cases[] = {
        {0, 2, 30, 640, 480, -1},  {1, 1, 30, 320, 240, -1},   {2, 19, 24, 1280, 720, 194},
        {3, 17, 20, 640, 480, -1}, {4, 18, 30, 640, 480, -1},  {5, 2, 30, 640, 480, -1},
        {8, 2, 30, 640, 480, -1},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.kind);
        Bytes h = tmpl;
        PatchCameraHeader(h.data(), head.data(), k.kind);
        EXPECT_EQ(Le32(&h[4]), 0x302010u + 26624);
        // 'avih' as copied, but for the frame count and the frame time's
        // low byte of kind 2.
        EXPECT_EQ(memcmp(&h[20], &head[hdrl], 12), 0);
        EXPECT_EQ(memcmp(&h[33], &head[hdrl + 13], 15), 0);
        EXPECT_EQ(memcmp(&h[52], &head[hdrl + 32], 36), 0);
        EXPECT_EQ(memcmp(&h[96], &head[strl[0]], 116), 0);
        EXPECT_EQ(memcmp(&h[9298], &head[strl[2]], 116), 0);
        EXPECT_EQ(memcmp(&h[9234], &head[strl[1] + 36], 12), 0);
        EXPECT_EQ(Le32(&h[48]), 2 * Le32(&head[strl[0] + 44]));
        EXPECT_EQ(h[32], k.frameTimeLow >= 0 ? k.frameTimeLow : head[hdrl + 12]);
        for (int at : {224, 9426}) {
            EXPECT_EQ(h[at], k.kindByte);
            EXPECT_EQ(h[at + 1], k.fps);
            EXPECT_EQ(h[at + 2], 6);
        }
        EXPECT_EQ(Le32(&h[9278]), 48000u);
        EXPECT_EQ(Le32(&h[9282]), 192000u);
        EXPECT_EQ(h[10060] | h[10061] << 8, k.width);
        EXPECT_EQ(h[10068] | h[10069] << 8, k.height);
        // The chunk structure around the patches is the template's.
        for (int at : {12, 88, 9190, 9290})
            EXPECT_EQ(memcmp(&h[at], "LIST", 4), 0);
        EXPECT_EQ(memcmp(&h[212], "strd", 4), 0);
        EXPECT_EQ(memcmp(&h[18388], "JUNK", 4), 0);
    }

    // Previews: up to their room, never beyond.
    Bytes h = tmpl, big(kLeftPreviewRoom + 1, 0xAB);
    EXPECT_TRUE(PlaceCameraPreview(h.data(), false, big.data(), kLeftPreviewRoom));
    EXPECT_EQ(h[kLeftPreviewAt + kLeftPreviewRoom - 1], 0xAB);
    EXPECT_EQ(memcmp(&h[9156], "strn", 4), 0);
    Bytes before = h;
    EXPECT_FALSE(PlaceCameraPreview(h.data(), false, big.data(), big.size()));
    EXPECT_FALSE(PlaceCameraPreview(h.data(), true, big.data(), kRightPreviewRoom + 1));
    EXPECT_EQ(h, before);
    EXPECT_TRUE(PlaceCameraPreview(h.data(), true, big.data(), kRightPreviewRoom));
    EXPECT_EQ(memcmp(&h[18354], "strn", 4), 0);
}

// Output frames fill whole seconds; source frames spread over them; the
// sound follows the output frames.
TEST(CameraLoop, FramesAndSound)
{
    struct Case {
        int N, fps;
        uint32_t rate, scale;
        int n, T, lastSource;
    } cases[] = {
        {100, 30, 25, 1, 120, 120, 99},  {101, 30, 25, 1, 121, 150, 100}, {30, 30, 30, 1, 30, 30, 29},
        {48, 24, 30000, 1001, 38, 48, 47}, {1, 30, 30, 1, 1, 30, 0},     {2, 20, 30, 1, 1, 20, 0},
        {10, 20, 10, 1, 20, 20, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.N);
        int n = CameraOutputFrames(c.N, c.fps, c.rate, c.scale);
        EXPECT_EQ(n, c.n);
        EXPECT_EQ(CameraTotalFrames(n, c.fps), c.T);
        EXPECT_EQ(CameraSourceFrame(0, c.N, n), 0);
        EXPECT_EQ(CameraSourceFrame(n - 1, c.N, n), c.lastSource);
        for (int k = 0; k + 1 < n; k++)
            ASSERT_LE(CameraSourceFrame(k, c.N, n), CameraSourceFrame(k + 1, c.N, n));
    }
    EXPECT_EQ(CameraOutputFrames(0, 30, 25, 1), 0);
    EXPECT_EQ(CameraTotalFrames(0, 30), 0);
    EXPECT_EQ(CameraOutputFrames(10, 30, 0, 1), 0);
    EXPECT_EQ(CameraTitleFrame(119, 30, 25, 1), 99);
    EXPECT_EQ(CameraSoundSample(30, 30), 48000);
    EXPECT_EQ(CameraSoundSample(24, 24), 48000);
    EXPECT_EQ(CameraSoundSample(1, 24), 2000);
    EXPECT_EQ(SourceSoundSample(25, 25, 1), 48000);
    EXPECT_EQ(SourceSoundSample(1, 30000, 1001), 1602);
}

TEST(CameraHeader, VideoChunkIds)
{
    struct Case {
        const char *in, *out;
        bool renamed;
    } cases[] = {
        {"00db", "00dc", true}, {"02db", "02dc", true}, {"00dc", "00dc", false},
        {"01wb", "01wb", false}, {"01db", "01db", false}, {"idx1", "idx1", false},
    };
    for (const Case &c : cases) {
        BYTE id[4];
        memcpy(id, c.in, 4);
        EXPECT_EQ(RenameVideoChunkId(id), c.renamed) << c.in;
        EXPECT_EQ(memcmp(id, c.out, 4), 0) << c.in;
    }
}
