#include "pipeline/jpeg_file.h"

#include "shared/global_memory.h"

#include <setjmp.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

int g_nJpegSampling = 0;

namespace {

// The library's error manager with the recovery point of the operation
// running.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf recovery;
};

// Luma sampling (horizontal, vertical) by g_nJpegSampling.
void LumaSampling(int choice, int *h, int *v)
{
    static const int kTable[4][2] = {{2, 2}, {1, 2}, {2, 1}, {1, 1}};
    if (choice < 0 || choice > 3)
        choice = 0;
    *h = kTable[choice][0];
    *v = kTable[choice][1];
}

enum { kThumbSide = 160 };

// The reduced size: the longer side limited to 160, the other in
// proportion, each at least 1.
void ReducedSize(int W, int H, int *w, int *h)
{
    if (H < W) {
        *w = W < kThumbSide ? W : kThumbSide;
        *h = (int)((int64_t)H * *w / W);
    } else {
        *h = H < kThumbSide ? H : kThumbSide;
        *w = (int)((int64_t)W * *h / H);
    }
    if (*w < 1)
        *w = 1;
    if (*h < 1)
        *h = 1;
}

// Output row k takes source row H k / h; output column 0 source column 0,
// column c the mean of source columns W (c - 1) / w + 1 .. W c / w.
void ReduceInto(PackedDib *dib, const BYTE *pixels, int W, int H, int w, int h)
{
    int stride = DibRowBytes(w, 24);
    BYTE *bits = (BYTE *)dib + sizeof(BITMAPINFOHEADER);
    for (int k = 0; k < h; k++) {
        const BYTE *src = pixels + (size_t)((int64_t)H * k / h) * W * 3;
        BYTE *out = bits + (size_t)(h - 1 - k) * stride;
        for (int c = 0; c < w; c++) {
            int first = 0, last = 0;
            if (c > 0) {
                first = (int)((int64_t)W * (c - 1) / w) + 1;
                last = (int)((int64_t)W * c / w);
            }
            unsigned r = 0, g = 0, b = 0;
            for (int x = first; x <= last; x++) {
                r += src[3 * x];
                g += src[3 * x + 1];
                b += src[3 * x + 2];
            }
            unsigned n = (unsigned)(last - first + 1);
            out[3 * c] = (BYTE)(b / n);
            out[3 * c + 1] = (BYTE)(g / n);
            out[3 * c + 2] = (BYTE)(r / n);
        }
    }
}

// One decoded row of 1, 3 or 4 components as R, G, B.
void StoreRow(BYTE *dst, const JSAMPLE *src, int width, int components)
{
    switch (components) {
    case 3:
        memcpy(dst, src, (size_t)width * 3);
        break;
    case 1:
        for (int x = 0; x < width; x++)
            dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
        break;
    case 4:
        // Adobe files store CMYK inverted.
        for (int x = 0; x < width; x++) {
            const JSAMPLE *p = src + 4 * x;
            int kk = (255 - p[3]) / 3;
            for (int i = 0; i < 3; i++) {
                int v = p[i] - kk;
                dst[3 * x + i] = (BYTE)(v > 0 ? v : 0);
            }
        }
        break;
    }
}

}  // namespace

void JpegErrorExit(jpeg_common_struct *cinfo)
{
    longjmp(((JpegErrorManager *)cinfo->err)->recovery, 1);
}

int WriteJpegFile(const char *path, const BYTE *rows, int width, int height, int quality)
{
    if (!rows || width <= 0 || height <= 0)
        return 0;
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    FILE *volatile file = nullptr;
    if (setjmp(err.recovery)) {
        jpeg_destroy_compress(&cinfo);
        if (file)
            fclose(file);
        return 0;
    }
    jpeg_create_compress(&cinfo);
    file = fopen(path, "wb");
    if (!file) {
        jpeg_destroy_compress(&cinfo);
        return 0;
    }
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = (JDIMENSION)width;
    cinfo.image_height = (JDIMENSION)height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    int h, v;
    LumaSampling(g_nJpegSampling, &h, &v);
    cinfo.comp_info[0].h_samp_factor = h;
    cinfo.comp_info[0].v_samp_factor = v;
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    size_t rowBytes = (size_t)width * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = (JSAMPROW)(rows + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    fclose(file);
    jpeg_destroy_compress(&cinfo);
    return 1;
}

PackedDib *ReadJpegFile(const char *path, int *fullWidth, int *fullHeight)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return nullptr;
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    BYTE *volatile pixels = nullptr;
    if (setjmp(err.recovery)) {
        jpeg_destroy_decompress(&cinfo);
        fclose(file);
        FreeGlobalBlock(pixels);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    int W = (int)cinfo.output_width, H = (int)cinfo.output_height;
    int components = cinfo.out_color_components;
    // The buffer holds W x H x 3 bytes: a size whose product does not fit
    // an address (65,500 x 65,500 in a 32-bit process) is refused rather
    // than wrapped into a small buffer.
    uint64_t bytes = (uint64_t)W * (uint64_t)H * 3;
    if (bytes > SIZE_MAX || bytes > 0xFFFFFFFFu || (components != 1 && components != 3 && components != 4)) {
        jpeg_destroy_decompress(&cinfo);
        fclose(file);
        return nullptr;
    }
    pixels = (BYTE *)AllocGlobalBlock((size_t)bytes, 0);
    if (!pixels) {
        jpeg_destroy_decompress(&cinfo);
        fclose(file);
        return nullptr;
    }
    JSAMPARRAY line = (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE,
                                                 (JDIMENSION)(components * W), 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, line, 1);
        StoreRow(pixels + (size_t)(cinfo.output_scanline - 1) * W * 3, line[0], W, components);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    fclose(file);

    int w, h;
    ReducedSize(W, H, &w, &h);
    int stride = DibRowBytes(w, 24);
    PackedDib *dib = (PackedDib *)AllocGlobalBlock(sizeof(BITMAPINFOHEADER) + (size_t)stride * h, 1);
    if (!dib) {
        FreeGlobalBlock(pixels);
        return nullptr;
    }
    dib->biSize = sizeof(BITMAPINFOHEADER);
    dib->biWidth = w;
    dib->biHeight = h;
    dib->biPlanes = 1;
    dib->biBitCount = 24;
    dib->biCompression = BI_RGB;
    dib->biSizeImage = (DWORD)stride * (DWORD)h;
    ReduceInto(dib, pixels, W, H, w, h);
    FreeGlobalBlock(pixels);
    *fullWidth = W;
    *fullHeight = H;
    return dib;
}

BYTE *DibToTopDownRgb(const BYTE *dibBits, int width, int height)
{
    if (!dibBits || width <= 0 || height <= 0)
        return nullptr;
    uint64_t bytes = (uint64_t)width * (uint64_t)height * 3;
    if (bytes > SIZE_MAX || bytes > 0x7FFFFFFFu)
        return nullptr;
    BYTE *rows = (BYTE *)AllocGlobalBlock((size_t)bytes, 0);
    if (!rows)
        return nullptr;
    // Bottom-up B, G, R rows become top-down R, G, B rows.
    size_t stride = (size_t)DibRowBytes(width, 24), rowBytes = (size_t)width * 3;
    for (int i = 0; i < height; i++) {
        const BYTE *src = dibBits + (size_t)(height - 1 - i) * stride;
        BYTE *dst = rows + (size_t)i * rowBytes;
        for (int x = 0; x < width; x++) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return rows;
}
