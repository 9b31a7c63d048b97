#include "alignment/tool_images.h"

#include <tiffio.h>

#include <stdlib.h>
#include <string.h>

namespace {

// Rows per strip of the previous file; the first file takes the library's
// default, later ones ask for the same again.
uint32_t s_nRowsPerStrip = (uint32_t)-1;

struct TiffLayout {
    int photometric, samples, bits, rowBytes, predictor, colours;
};

bool LayoutFor(const PackedDib *frame, TiffLayout *l)
{
    const int w = DibWidth(frame);
    switch (DibBitCount(frame)) {
    case 24: *l = {PHOTOMETRIC_RGB, 3, 8, 3 * w, 2, 0}; return true;
    case 8: *l = {PHOTOMETRIC_PALETTE, 1, 8, w, 1, 256}; return true;
    case 4: *l = {PHOTOMETRIC_PALETTE, 1, 4, (w + 1) / 2, 1, 16}; return true;
    case 1: *l = {PHOTOMETRIC_MINISBLACK, 1, 1, (w + 7) / 8, 0, 0}; return true;
    default: return false;
    }
}

} // namespace

int SaveDibAsTiff(HWND owner, const char *path, const PackedDib *frame, int compression)
{
    (void)owner;
    TiffLayout layout;
    if (!frame || frame->biCompression != BI_RGB || !LayoutFor(frame, &layout))
        return 0;
    const int w = DibWidth(frame), h = DibHeight(frame);
    if (w < 1 || h < 1)
        return 0;
    const int tag = TiffCompressionTag(compression);

    // The rows top to bottom (the frame is bottom-up), red first.
    const size_t bytes = (size_t)layout.rowBytes * (size_t)h;
    BYTE *rows = (BYTE *)malloc(bytes);
    if (!rows)
        return 0;
    for (int y = 0; y < h; y++) {
        const BYTE *src = DibRow(frame, h - 1 - y);
        BYTE *dst = rows + (size_t)y * layout.rowBytes;
        memcpy(dst, src, (size_t)layout.rowBytes);
        if (layout.samples == 3)
            for (int x = 0; x < w; x++) {
                const BYTE b = dst[3 * x];
                dst[3 * x] = dst[3 * x + 2];
                dst[3 * x + 2] = b;
            }
    }

    TIFF *tif = TIFFOpen(path, "w");
    if (!tif) {
        TIFFError(path, "Can not open output image");
        free(rows);
        return 0;
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)h);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bits);
    s_nRowsPerStrip = TIFFDefaultStripSize(tif, s_nRowsPerStrip);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s_nRowsPerStrip);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, tag);
    if ((tag == 5 || tag == 32946) && layout.predictor != 0)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, layout.predictor);
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t map[3][256];
        memset(map, 0, sizeof map);
        const RGBQUAD *pal = (const RGBQUAD *)((const BYTE *)frame + frame->biSize);
        int entries = DibColourEntries(frame);
        if (entries > layout.colours)
            entries = layout.colours;
        for (int i = 0; i < entries; i++) {
            map[0][i] = (uint16_t)(pal[i].rgbRed * 257);
            map[1][i] = (uint16_t)(pal[i].rgbGreen * 257);
            map[2][i] = (uint16_t)(pal[i].rgbBlue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    }
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);

    // Each strip holds its own rows only; the last one may be short.
    bool ok = true;
    const uint32_t perStrip = s_nRowsPerStrip > (uint32_t)h ? (uint32_t)h : s_nRowsPerStrip;
    for (uint32_t first = 0, strip = 0; first < (uint32_t)h && ok; first += perStrip, strip++) {
        const uint32_t n = (uint32_t)h - first < perStrip ? (uint32_t)h - first : perStrip;
        ok = TIFFWriteEncodedStrip(tif, strip, rows + (size_t)first * layout.rowBytes,
                                   (tmsize_t)n * layout.rowBytes) >= 0;
    }
    ok = ok && TIFFFlush(tif) == 1;
    TIFFClose(tif);
    free(rows);
    if (!ok) {
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
