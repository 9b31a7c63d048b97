// The JPEG writer's byte layout, the reader's reduction and colour
// layouts, and their failures; the files they write are also decoded by
// djpeg and ffmpeg (check_jpeg.py).
#include "pipeline/jpeg_file.h"

#include "shared/global_memory.h"
#include "tests/pipeline/test_paths.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

namespace {

// An RGB picture in the writer's row format.
struct Rgb {
    int w, h;
    std::vector<BYTE> px;
};

Rgb Pattern(int w, int h)
{
    Rgb p{w, h, std::vector<BYTE>((size_t)w * h * 3)};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            BYTE *q = &p.px[((size_t)y * w + x) * 3];
            q[0] = (BYTE)(x * 255 / (w > 1 ? w - 1 : 1));
            q[1] = (BYTE)(y * 255 / (h > 1 ? h - 1 : 1));
            q[2] = (BYTE)(((x / 8 + y / 8) & 1) ? 200 : 40);
        }
    return p;
}

// Test-side libjpeg: a full decode to R, G, B (or the raw components), and
// encoders for colour layouts the writer never makes.
struct Escape {
    jpeg_error_mgr pub;
    jmp_buf back;
};
void EscapeExit(j_common_ptr c) { longjmp(((Escape *)c->err)->back, 1); }

struct Decoded {
    int w = 0, h = 0, components = 0;
    std::vector<BYTE> px;
};

Decoded DecodeFully(const std::vector<unsigned char> &bytes)
{
    Decoded d;
    jpeg_decompress_struct c;
    Escape e;
    c.err = jpeg_std_error(&e.pub);
    e.pub.error_exit = EscapeExit;
    if (setjmp(e.back)) {
        jpeg_destroy_decompress(&c);
        return Decoded();
    }
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, bytes.data(), (unsigned long)bytes.size());
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    d.w = (int)c.output_width;
    d.h = (int)c.output_height;
    d.components = c.out_color_components;
    d.px.resize((size_t)d.w * d.h * d.components);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = &d.px[(size_t)c.output_scanline * d.w * d.components];
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return d;
}

bool EncodeComponents(const std::string &path, int w, int h, int components, J_COLOR_SPACE space,
                      const std::vector<BYTE> &px)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = (JDIMENSION)w;
    c.image_height = (JDIMENSION)h;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = (JSAMPROW)&px[(size_t)c.next_scanline * w * components];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    fclose(f);
    return true;
}

// The reduction the reader applies, from a full R, G, B decode: a bottom-up
// B, G, R picture of w x h.
std::vector<BYTE> ExpectedReduction(const Decoded &d, int w, int h)
{
    int stride = DibRowBytes(w, 24);
    std::vector<BYTE> out((size_t)stride * h);
    for (int k = 0; k < h; k++) {
        const BYTE *src = &d.px[(size_t)(d.h * k / h) * d.w * 3];
        for (int c = 0; c < w; c++) {
            int first = c == 0 ? 0 : d.w * (c - 1) / w + 1, last = c == 0 ? 0 : d.w * c / w;
            int sum[3] = {0, 0, 0};
            for (int x = first; x <= last; x++)
                for (int i = 0; i < 3; i++)
                    sum[i] += src[3 * x + i];
            BYTE *o = &out[(size_t)(h - 1 - k) * stride + 3 * c];
            for (int i = 0; i < 3; i++)
                o[2 - i] = (BYTE)(sum[i] / (last - first + 1));
        }
    }
    return out;
}

struct DibBlock {
    void operator()(PackedDib *d) const { FreeGlobalBlock(d); }
};
using ReadDib = std::unique_ptr<PackedDib, DibBlock>;

class JpegFileTest : public testing::Test {
protected:
    void SetUp() override { g_nJpegSampling = 0; }
    void TearDown() override { g_nJpegSampling = 0; }

    std::vector<unsigned char> WriteAndRead(const std::string &name, const Rgb &p, int quality)
    {
        std::string path = OutPath(name);
        EXPECT_EQ(WriteJpegFile(path.c_str(), p.px.data(), p.w, p.h, quality), 1);
        return ReadWholeFile(path);
    }
};

int Word(const std::vector<unsigned char> &b, size_t at) { return b[at] << 8 | b[at + 1]; }

}  // namespace

// The camera file writer patches these bytes in place: any change of the
// library or of the writer's parameters that moves them must show here.
TEST_F(JpegFileTest, WrittenFilesKeepTheFixedLayout)
{
    struct Case {
        int sampling, quality;
        int lumaSampling;
    } cases[] = {{0, 75, 0x22}, {1, 75, 0x12}, {2, 75, 0x21}, {3, 75, 0x11}, {2, 99, 0x21}, {0, 1, 0x22}};
    Rgb p = Pattern(64, 48);
    std::vector<unsigned char> q75;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "sampling " << c.sampling << " quality " << c.quality);
        g_nJpegSampling = c.sampling;
        std::vector<unsigned char> b = WriteAndRead("layout.jpg", p, c.quality);
        ASSERT_GT(b.size(), 640u);
        // Marker, position and segment length of every segment up to SOS.
        struct Segment {
            int marker;
            size_t at;
            int length;
        } expected[] = {{0xE0, 2, 16},    {0xDB, 20, 67},   {0xDB, 89, 67},   {0xC0, 158, 17},
                        {0xC4, 177, 31},  {0xC4, 210, 181}, {0xC4, 393, 31},  {0xC4, 426, 181},
                        {0xDA, 609, 12}};
        EXPECT_EQ(Word(b, 0), 0xFFD8);
        for (const Segment &s : expected) {
            EXPECT_EQ(Word(b, s.at), 0xFF00 | s.marker) << "at " << s.at;
            EXPECT_EQ(Word(b, s.at + 2), s.length) << "at " << s.at;
        }
        EXPECT_EQ(memcmp(&b[6], "JFIF\0\1\1\0\0\1\0\1\0\0", 14), 0) << "the library's default APP0";
        EXPECT_EQ(b[24], 0x00);  // DQT: 8-bit entries, table 0
        EXPECT_EQ(b[93], 0x01);  // table 1
        const unsigned char sof[] = {8, 0, 48, 0, 64, 3, 1, (unsigned char)c.lumaSampling, 0, 2, 0x11, 1, 3, 0x11, 1};
        EXPECT_EQ(memcmp(&b[162], sof, sizeof sof), 0);
        EXPECT_EQ(b[181], 0x00);  // luma DC
        EXPECT_EQ(b[214], 0x10);  // luma AC
        EXPECT_EQ(b[397], 0x01);  // chroma DC
        EXPECT_EQ(b[430], 0x11);  // chroma AC
        // The standard tables (not optimised): the code counts of luma DC
        // and the first ones of luma AC.
        const unsigned char lumaDc[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
        const unsigned char lumaAc[4] = {0, 2, 1, 3};
        EXPECT_EQ(memcmp(&b[182], lumaDc, 16), 0);
        EXPECT_EQ(memcmp(&b[215], lumaAc, 4), 0);
        // After SOS only entropy-coded data: no restart or other marker.
        size_t end = b.size() - 2;
        EXPECT_EQ(Word(b, end), 0xFFD9);
        for (size_t i = 609 + 14; i < end; i++) {
            if (b[i] == 0xFF) {
                ASSERT_EQ(b[i + 1], 0x00) << "marker inside the scan at " << i;
            }
        }
        if (c.sampling == 0 && c.quality == 75)
            q75 = b;
        if (c.quality == 99 || c.quality == 1) {
            // Only the table values change with the quality.
            EXPECT_NE(memcmp(&b[25], &q75[25], 64), 0);
            EXPECT_EQ(memcmp(&b[0], &q75[0], 25), 0);
        }
    }
}

TEST_F(JpegFileTest, NothingIsWrittenWithoutPixels)
{
    Rgb p = Pattern(8, 8);
    std::string path = OutPath("empty.jpg");
    remove(path.c_str());
    EXPECT_EQ(WriteJpegFile(path.c_str(), p.px.data(), 0, 8, 75), 0);
    EXPECT_EQ(WriteJpegFile(path.c_str(), p.px.data(), 8, 0, 75), 0);
    EXPECT_EQ(WriteJpegFile(path.c_str(), nullptr, 8, 8, 75), 0);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(WriteJpegFile(OutPath("no-such-folder/x.jpg").c_str(), p.px.data(), 8, 8, 75), 0);
}

// A library error (a picture wider than JPEG allows) returns through the
// recovery point: 0, the process still running and the file closed (it
// can be removed).
TEST_F(JpegFileTest, LibraryErrorsReturnInsteadOfEndingTheProcess)
{
    std::vector<BYTE> row(70000 * 3);
    std::string path = OutPath("too-wide.jpg");
    EXPECT_EQ(WriteJpegFile(path.c_str(), row.data(), 70000, 1, 75), 0);
    EXPECT_EQ(remove(path.c_str()), 0);
}

TEST_F(JpegFileTest, ReaderReducesToFit160)
{
    struct Case {
        int W, H, w, h;
    } cases[] = {{640, 480, 160, 120}, {480, 640, 120, 160}, {200, 200, 160, 160},
                 {100, 50, 100, 50},   {1000, 1, 160, 1},     {3, 500, 1, 160}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << " x " << c.H);
        std::vector<unsigned char> bytes = WriteAndRead("reduce.jpg", Pattern(c.W, c.H), 90);
        Decoded full = DecodeFully(bytes);
        ASSERT_EQ(full.w, c.W);
        int W = 0, H = 0;
        ReadDib dib(ReadJpegFile(OutPath("reduce.jpg").c_str(), &W, &H));
        ASSERT_TRUE(dib);
        EXPECT_EQ(W, c.W);
        EXPECT_EQ(H, c.H);
        EXPECT_EQ(dib->biSize, 40u);
        EXPECT_EQ(dib->biWidth, c.w);
        EXPECT_EQ(dib->biHeight, c.h);
        EXPECT_EQ(dib->biPlanes, 1);
        EXPECT_EQ(dib->biBitCount, 24);
        EXPECT_EQ(dib->biCompression, (DWORD)BI_RGB);
        EXPECT_EQ(dib->biSizeImage, (DWORD)(DibRowBytes(c.w, 24) * c.h));
        EXPECT_EQ(dib->biXPelsPerMeter | dib->biYPelsPerMeter | (LONG)dib->biClrUsed | (LONG)dib->biClrImportant, 0);
        // Exactly the header and the rows.
        EXPECT_GE(RawGlobalBlockSize(dib.get()), 40 + (size_t)dib->biSizeImage);
        std::vector<BYTE> expected = ExpectedReduction(full, c.w, c.h);
        EXPECT_EQ(memcmp((BYTE *)dib.get() + 40, expected.data(), expected.size()), 0);
    }
    // 640 x 480: column 1 is the mean of source columns 1-4, row 1 (from
    // the top) source row 4.
    WriteAndRead("reduce.jpg", Pattern(640, 480), 90);
    Decoded full = DecodeFully(ReadWholeFile(OutPath("reduce.jpg")));
    int W, H;
    ReadDib dib(ReadJpegFile(OutPath("reduce.jpg").c_str(), &W, &H));
    ASSERT_TRUE(dib);
    const BYTE *row1 = (BYTE *)dib.get() + 40 + (size_t)(120 - 2) * DibRowBytes(160, 24);
    int sum = 0;
    for (int x = 1; x <= 4; x++)
        sum += full.px[((size_t)4 * 640 + x) * 3];  // red
    EXPECT_EQ(row1[3 + 2], sum / 4);
}

TEST_F(JpegFileTest, GreyAndAdobeCmykFiles)
{
    std::vector<BYTE> grey(40 * 20);
    for (size_t i = 0; i < grey.size(); i++)
        grey[i] = (BYTE)(i * 7);
    ASSERT_TRUE(EncodeComponents(OutPath("grey.jpg"), 40, 20, 1, JCS_GRAYSCALE, grey));
    int W, H;
    ReadDib g(ReadJpegFile(OutPath("grey.jpg").c_str(), &W, &H));
    ASSERT_TRUE(g);
    Decoded gd = DecodeFully(ReadWholeFile(OutPath("grey.jpg")));
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 40; x++) {
            const BYTE *p = (BYTE *)g.get() + 40 + (size_t)(19 - y) * DibRowBytes(40, 24) + 3 * x;
            ASSERT_EQ(p[0], gd.px[(size_t)y * 40 + x]);
            ASSERT_EQ(p[1], p[0]);
            ASSERT_EQ(p[2], p[0]);
        }

    // One flat CMYK colour: max(c - (255 - k) / 3, 0) per channel.
    std::vector<BYTE> cmyk(16 * 16 * 4);
    for (size_t i = 0; i < cmyk.size(); i += 4) {
        cmyk[i] = 220, cmyk[i + 1] = 90, cmyk[i + 2] = 30, cmyk[i + 3] = 180;
    }
    ASSERT_TRUE(EncodeComponents(OutPath("cmyk.jpg"), 16, 16, 4, JCS_CMYK, cmyk));
    Decoded cd = DecodeFully(ReadWholeFile(OutPath("cmyk.jpg")));
    ASSERT_EQ(cd.components, 4);
    ReadDib c(ReadJpegFile(OutPath("cmyk.jpg").c_str(), &W, &H));
    ASSERT_TRUE(c);
    const BYTE *s = &cd.px[0];
    int k = (255 - s[3]) / 3;
    const BYTE *p = (BYTE *)c.get() + 40;
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(p[2 - i], s[i] - k > 0 ? s[i] - k : 0) << i;
}

TEST_F(JpegFileTest, UnreadableFilesGiveNull)
{
    int W = -1, H = -1;
    EXPECT_EQ(ReadJpegFile(OutPath("missing.jpg").c_str(), &W, &H), nullptr);
    EXPECT_EQ(W, -1);

    std::vector<unsigned char> good = WriteAndRead("good.jpg", Pattern(32, 32), 75);
    struct Case {
        const char *name;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"not a JPEG", std::vector<unsigned char>(good.size(), 'x')},
        {"headers only", std::vector<unsigned char>(good.begin(), good.begin() + 300)},
        {"empty", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = OutPath("bad.jpg");
        ASSERT_TRUE(WriteWholeFile(path, c.bytes));
        EXPECT_EQ(ReadJpegFile(path.c_str(), &W, &H), nullptr);
        EXPECT_EQ(remove(path.c_str()), 0) << "the file is closed after the failure";
    }
}

// The pixel buffer holds W x H x 3 bytes: a header of 65,500 x 65,500
// (12.9 GB, beyond any address) is refused before anything is decoded.
TEST_F(JpegFileTest, SizesBeyondAnAddressAreRefused)
{
    std::vector<unsigned char> b = WriteAndRead("huge.jpg", Pattern(16, 16), 75);
    ASSERT_EQ(Word(b, kJpegSof0At), 0xFFC0);
    b[kJpegSof0At + 5] = 0xFF, b[kJpegSof0At + 6] = 0xDC;  // height 65,500
    b[kJpegSof0At + 7] = 0xFF, b[kJpegSof0At + 8] = 0xDC;  // width 65,500
    std::string path = OutPath("huge.jpg");
    ASSERT_TRUE(WriteWholeFile(path, b));
    int W = 0, H = 0;
    EXPECT_EQ(ReadJpegFile(path.c_str(), &W, &H), nullptr);
    EXPECT_EQ(remove(path.c_str()), 0);
}

TEST_F(JpegFileTest, DibRowsBecomeTopDownRgb)
{
    // 3 x 2 pixels: rows of 9 bytes padded to 12.
    DibPtr d = MakeFrame(3, 2, [](int x, int row) { return Bgr{x, row, 10 + x + 3 * row}; });
    BYTE *rows = DibToTopDownRgb(FindDibBits(d.get()), 3, 2);
    ASSERT_NE(rows, nullptr);
    const BYTE expected[] = {
        13, 1, 0, 14, 1, 1, 15, 1, 2,  // the top row is the last in memory
        10, 0, 0, 11, 0, 1, 12, 0, 2,
    };
    EXPECT_EQ(memcmp(rows, expected, sizeof expected), 0);
    FreeGlobalBlock(rows);
    EXPECT_EQ(DibToTopDownRgb(FindDibBits(d.get()), 0, 2), nullptr);
}

// Files for the outside check (check_jpeg.py): each sampling of a picture
// of colour gradients under a grey checkerboard, with the rows it was made
// from.
TEST_F(JpegFileTest, FilesForTheOutsideDecoders)
{
    Rgb p{96, 64, std::vector<BYTE>(96 * 64 * 3)};
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 96; x++) {
            int checker = ((x / 8 + y / 8) & 1) ? 50 : 0;
            BYTE *q = &p.px[((size_t)y * 96 + x) * 3];
            q[0] = (BYTE)(x * 2 + checker), q[1] = (BYTE)(y * 3 + checker), q[2] = (BYTE)(150 - x + checker);
        }
    ASSERT_TRUE(WriteWholeFile(OutPath("outside.rgb"), std::vector<unsigned char>(p.px.begin(), p.px.end())));
    for (int s = 0; s < 4; s++) {
        g_nJpegSampling = s;
        std::string name = "outside" + std::to_string(s) + ".jpg";
        ASSERT_EQ(WriteJpegFile(OutPath(name).c_str(), p.px.data(), p.w, p.h, 95), 1);
        // A round trip through the packed DIB's row format.
        DibPtr d = MakeFrame(96, 64, [&](int x, int row) {
            const BYTE *q = &p.px[((size_t)(63 - row) * 96 + x) * 3];
            return Bgr{q[2], q[1], q[0]};
        });
        BYTE *rows = DibToTopDownRgb(FindDibBits(d.get()), 96, 64);
        ASSERT_EQ(memcmp(rows, p.px.data(), p.px.size()), 0);
        FreeGlobalBlock(rows);
    }
}
