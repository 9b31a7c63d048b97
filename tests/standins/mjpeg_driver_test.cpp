// The Motion-JPEG decompressor stand-in, reached the way every program
// reaches it: through the codec manager, as registered in the prefix.
#include <windows.h>
#include <vfw.h>

#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A baseline JPEG of w x h whose pixel (x, y from the top) is
// (r, g, b) = (8x, 8y, 128 + seed).
std::vector<BYTE> EncodeJpeg(int w, int h, int seed, bool grey = false)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = (JDIMENSION)w;
    c.image_height = (JDIMENSION)h;
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row((size_t)w * 3);
    while (c.next_scanline < c.image_height) {
        int y = (int)c.next_scanline;
        for (int x = 0; x < w; x++) {
            if (grey) {
                row[x] = (JSAMPLE)(8 * x);
            } else {
                row[3 * x] = (JSAMPLE)(8 * x);
                row[3 * x + 1] = (JSAMPLE)(8 * y);
                row[3 * x + 2] = (JSAMPLE)(128 + seed);
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<BYTE> bytes(out, out + size);
    free(out);
    return bytes;
}

// The same image without its Huffman tables (DHT segments), as many
// cameras store Motion-JPEG frames.
std::vector<BYTE> WithoutHuffmanTables(const std::vector<BYTE> &jpeg)
{
    std::vector<BYTE> out(jpeg.begin(), jpeg.begin() + 2);
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
        BYTE marker = jpeg[i + 1];
        size_t len = (size_t)(jpeg[i + 2] << 8 | jpeg[i + 3]);
        if (marker == 0xDA) {  // the scan: the rest as it is
            out.insert(out.end(), jpeg.begin() + (long)i, jpeg.end());
            return out;
        }
        if (marker != 0xC4)
            out.insert(out.end(), jpeg.begin() + (long)i, jpeg.begin() + (long)(i + 2 + len));
        i += 2 + len;
    }
    return out;
}

struct Decoded {
    LRESULT result;
    std::vector<BYTE> pixels;
    BITMAPINFOHEADER out;
};

Decoded Decode(const std::vector<BYTE> &chunk, int w, int h, int bits = 24, DWORD fourcc = mmioFOURCC('M', 'J', 'P', 'G'))
{
    BITMAPINFOHEADER in = {sizeof in, w, h, 1, 24, fourcc, (DWORD)chunk.size(), 0, 0, 0, 0};
    Decoded d;
    d.out = {sizeof d.out, w, h, 1, (WORD)bits, BI_RGB, 0, 0, 0, 0, 0};
    d.out.biSizeImage = (DWORD)(((w * bits / 8 + 3) & ~3) * h);
    HIC hic = ICLocate(ICTYPE_VIDEO, fourcc, &in, &d.out, ICMODE_DECOMPRESS);
    if (!hic) {
        d.result = -1000;
        return d;
    }
    d.pixels.assign(d.out.biSizeImage, 0xEE);
    ICDecompressBegin(hic, &in, &d.out);
    // ICDecompress gives a DWORD: its negative error codes as LONG first
    d.result = (LONG)ICDecompress(hic, 0, &in, (void *)chunk.data(), &d.out, d.pixels.data());
    ICDecompressEnd(hic);
    ICClose(hic);
    return d;
}

// Pixel (x, y from the top) of a bottom-up decoded frame.
const BYTE *At(const Decoded &d, int x, int y)
{
    int rowBytes = (d.out.biWidth * d.out.biBitCount / 8 + 3) & ~3;
    return d.pixels.data() + (size_t)(d.out.biHeight - 1 - y) * rowBytes + (size_t)x * d.out.biBitCount / 8;
}

}  // namespace

TEST(MjpegDriver, DecodesToTheStreamsSizeBottomUp)
{
    std::vector<BYTE> jpeg = EncodeJpeg(32, 16, 7);
    for (int bits : {24, 32}) {
        Decoded d = Decode(jpeg, 32, 16, bits);
        ASSERT_EQ(d.result, ICERR_OK) << bits;
        for (int y : {0, 7, 15})
            for (int x : {0, 13, 31}) {
                const BYTE *p = At(d, x, y);
                EXPECT_NEAR(p[2], 8 * x, 8) << x << "," << y;  // red (chroma is subsampled)
                EXPECT_NEAR(p[1], 8 * y, 8);
                EXPECT_NEAR(p[0], 135, 8);
            }
    }
    // Lower-case 'mjpg' is the same codec.
    EXPECT_EQ(Decode(jpeg, 32, 16, 24, mmioFOURCC('m', 'j', 'p', 'g')).result, ICERR_OK);
    // Greyscale frames come out grey.
    Decoded g = Decode(EncodeJpeg(32, 16, 0, true), 32, 16);
    ASSERT_EQ(g.result, ICERR_OK);
    EXPECT_EQ(At(g, 10, 3)[0], At(g, 10, 3)[2]);
}

TEST(MjpegDriver, FramesWithoutHuffmanTablesGetTheStandardOnes)
{
    std::vector<BYTE> jpeg = EncodeJpeg(32, 16, 3);
    std::vector<BYTE> bare = WithoutHuffmanTables(jpeg);
    ASSERT_LT(bare.size(), jpeg.size());
    Decoded a = Decode(jpeg, 32, 16), b = Decode(bare, 32, 16);
    ASSERT_EQ(b.result, ICERR_OK);
    EXPECT_EQ(a.pixels, b.pixels);
}

TEST(MjpegDriver, TwoFieldsAreWoven)
{
    std::vector<BYTE> first = EncodeJpeg(32, 8, 0), second = EncodeJpeg(32, 8, 100);
    std::vector<BYTE> chunk = first;
    chunk.insert(chunk.end(), second.begin(), second.end());
    Decoded d = Decode(chunk, 32, 16);
    ASSERT_EQ(d.result, ICERR_OK);
    for (int y = 0; y < 16; y++) {
        EXPECT_NEAR(At(d, 5, y)[0], y % 2 == 0 ? 128 : 228, 3) << y;
        EXPECT_NEAR(At(d, 5, y)[1], 8 * (y / 2), 3) << y;
    }
}

TEST(MjpegDriver, DamagedFramesFailWithoutHarm)
{
    std::vector<BYTE> jpeg = EncodeJpeg(32, 16, 3);
    std::vector<BYTE> cut(jpeg.begin(), jpeg.begin() + (long)jpeg.size() / 3);
    Decoded d = Decode(cut, 32, 16);
    EXPECT_TRUE(d.result == ICERR_OK || d.result == ICERR_ERROR);
    std::vector<BYTE> junk(200, 0x5A);
    EXPECT_EQ(Decode(junk, 32, 16).result, ICERR_ERROR);
    // A picture larger than the stream's frame is cut to it.
    Decoded big = Decode(EncodeJpeg(64, 32, 1), 32, 16);
    EXPECT_EQ(big.result, ICERR_OK);
    // Another codec's frames are not taken.
    BITMAPINFOHEADER in = {sizeof in, 32, 16, 1, 24, mmioFOURCC('X', 'V', 'I', 'D'), 100, 0, 0, 0, 0};
    HIC other = ICOpen(ICTYPE_VIDEO, mmioFOURCC('M', 'J', 'P', 'G'), ICMODE_DECOMPRESS);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ((LRESULT)ICDecompressQuery(other, &in, nullptr), ICERR_BADFORMAT);
    ICClose(other);
}
