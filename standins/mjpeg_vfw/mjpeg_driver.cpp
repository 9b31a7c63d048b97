// A Video for Windows decompressor for Motion-JPEG ('MJPG'), built on
// libjpeg: a stand-in for the MJPEG codec that Windows machines have and
// Wine lacks. It decodes every frame to 24- or 32-bit RGB of the stream's
// size; frames stored as two fields (two JPEG images of half the height in
// one chunk) are woven together, and frames without Huffman tables get
// the standard ones.
#include <windows.h>
#include <vfw.h>

#include <setjmp.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

namespace {

DWORD LowerFourcc(DWORD code)
{
    DWORD out = 0;
    for (int i = 0; i < 4; i++) {
        BYTE c = (BYTE)(code >> (8 * i));
        if (c >= 'A' && c <= 'Z')
            c = (BYTE)(c + 'a' - 'A');
        out |= (DWORD)c << (8 * i);
    }
    return out;
}

bool IsMjpeg(const BITMAPINFOHEADER *in)
{
    return in && in->biSize >= sizeof(BITMAPINFOHEADER) && LowerFourcc(in->biCompression) == mmioFOURCC('m', 'j', 'p', 'g') &&
           in->biWidth > 0 && in->biWidth <= 32767 && in->biHeight != 0 && in->biHeight >= -32767 &&
           in->biHeight <= 32767;
}

bool OutputFits(const BITMAPINFOHEADER *in, const BITMAPINFOHEADER *out)
{
    return out->biCompression == BI_RGB && (out->biBitCount == 24 || out->biBitCount == 32) &&
           out->biWidth == in->biWidth && abs(out->biHeight) == abs(in->biHeight);
}

LRESULT Query(const BITMAPINFOHEADER *in, const BITMAPINFOHEADER *out)
{
    if (!IsMjpeg(in))
        return ICERR_BADFORMAT;
    if (out && !OutputFits(in, out))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf escape;
};

void ErrorExit(j_common_ptr cinfo)
{
    longjmp(((ErrorManager *)cinfo->err)->escape, 1);
}

void Silence(j_common_ptr, int) {}
void SilenceOutput(j_common_ptr) {}

// The end of the first JPEG image (just after its EOI marker), or size.
size_t FirstImageEnd(const BYTE *data, size_t size)
{
    for (size_t i = 2; i + 1 < size; i++)
        if (data[i] == 0xFF && data[i + 1] == 0xD9)
            return i + 2;
    return size;
}

// Decodes one JPEG image into the output rows: picture row y (from the
// top) goes to output picture row first + y * step. Rows and columns
// beyond the output are dropped.
bool DecodeImage(const BYTE *data, size_t size, BYTE *bits, int width, int height, int rowBytes, int pixelBytes,
                 bool bottomUp, int first, int step, int *imageHeight)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = Silence;
    err.pub.output_message = SilenceOutput;
    JSAMPLE *line = nullptr;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        delete[] line;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, (unsigned char *)data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = pixelBytes == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    *imageHeight = (int)cinfo.output_height;
    int imageWidth = (int)cinfo.output_width;
    line = new JSAMPLE[(size_t)imageWidth * pixelBytes];
    int copy = (imageWidth < width ? imageWidth : width) * pixelBytes;
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = (int)cinfo.output_scanline;
        JSAMPROW row = line;
        jpeg_read_scanlines(&cinfo, &row, 1);
        int outY = first + y * step;
        if (outY < 0 || outY >= height)
            continue;
        int memRow = bottomUp ? height - 1 - outY : outY;
        memcpy(bits + (size_t)memRow * rowBytes, line, (size_t)copy);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    delete[] line;
    return true;
}

LRESULT Decompress(const BITMAPINFOHEADER *in, const void *data, const BITMAPINFOHEADER *out, void *outBits)
{
    if (Query(in, out) != ICERR_OK || !data || !outBits)
        return ICERR_BADFORMAT;
    int width = out->biWidth, height = abs(out->biHeight);
    int pixelBytes = out->biBitCount / 8;
    int rowBytes = (width * pixelBytes + 3) & ~3;
    bool bottomUp = out->biHeight > 0;
    BYTE *bits = (BYTE *)outBits;
    memset(bits, 0, (size_t)rowBytes * height);
    const BYTE *src = (const BYTE *)data;
    size_t size = in->biSizeImage;
    if (size < 4 || src[0] != 0xFF || src[1] != 0xD8)
        return ICERR_ERROR;
    int imageHeight = 0;
    size_t firstEnd = FirstImageEnd(src, size);
    bool fields = firstEnd + 4 <= size && src[firstEnd] == 0xFF && src[firstEnd + 1] == 0xD8;
    if (!DecodeImage(src, firstEnd, bits, width, height, rowBytes, pixelBytes, bottomUp, 0, fields ? 2 : 1,
                     &imageHeight))
        return ICERR_ERROR;
    if (fields) {
        int secondHeight = 0;
        if (!DecodeImage(src + firstEnd, size - firstEnd, bits, width, height, rowBytes, pixelBytes, bottomUp, 1, 2,
                         &secondHeight))
            return ICERR_ERROR;
    } else if (imageHeight * 2 <= height) {
        // One field only: each row shown twice.
        for (int y = height - 1; y >= 0; y--) {
            int from = y / 2;
            int toRow = bottomUp ? height - 1 - y : y, fromRow = bottomUp ? height - 1 - from : from;
            memcpy(bits + (size_t)toRow * rowBytes, bits + (size_t)fromRow * rowBytes, (size_t)rowBytes);
        }
    }
    return ICERR_OK;
}

struct Instance {
    DWORD handler;
};

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT msg, LPARAM p1, LPARAM p2)
{
    switch (msg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_INSTALL:
    case DRV_REMOVE:
        return 1;
    case DRV_OPEN: {
        ICOPEN *open = (ICOPEN *)p2;
        if (open && LowerFourcc(open->fccType) != ICTYPE_VIDEO)
            return 0;
        Instance *inst = new Instance{open ? open->fccHandler : 0};
        if (open)
            open->dwError = ICERR_OK;
        return (LRESULT)inst;
    }
    case DRV_CLOSE:
        delete (Instance *)id;
        return 1;
    case DRV_QUERYCONFIGURE:
        return 0;
    case DRV_CONFIGURE:
        return DRVCNF_CANCEL;
    case ICM_GETSTATE:
    case ICM_SETSTATE:
        return 0;
    case ICM_GETINFO: {
        ICINFO *info = (ICINFO *)p1;
        if (!info || (DWORD)p2 < sizeof(ICINFO))
            return 0;
        memset(info, 0, sizeof *info);
        info->dwSize = sizeof *info;
        info->fccType = ICTYPE_VIDEO;
        info->fccHandler = mmioFOURCC('M', 'J', 'P', 'G');
        info->dwVersion = 1;
        info->dwVersionICM = ICVERSION;
        lstrcpyW(info->szName, L"TWRMJPG");
        lstrcpyW(info->szDescription, L"TwinReel Motion-JPEG decoder");
        return sizeof *info;
    }
    case ICM_DECOMPRESS_QUERY:
        return Query((const BITMAPINFOHEADER *)p1, (const BITMAPINFOHEADER *)p2);
    case ICM_DECOMPRESS_GET_FORMAT: {
        const BITMAPINFOHEADER *in = (const BITMAPINFOHEADER *)p1;
        BITMAPINFOHEADER *out = (BITMAPINFOHEADER *)p2;
        if (!out)
            return IsMjpeg(in) ? (LRESULT)sizeof(BITMAPINFOHEADER) : (LRESULT)ICERR_BADFORMAT;
        if (!IsMjpeg(in))
            return ICERR_BADFORMAT;
        memset(out, 0, sizeof *out);
        out->biSize = sizeof *out;
        out->biWidth = in->biWidth;
        out->biHeight = abs(in->biHeight);
        out->biPlanes = 1;
        out->biBitCount = 24;
        out->biCompression = BI_RGB;
        out->biSizeImage = (DWORD)(((out->biWidth * 3 + 3) & ~3) * out->biHeight);
        return ICERR_OK;
    }
    case ICM_DECOMPRESS_GET_PALETTE:
        return ICERR_BADFORMAT;
    case ICM_DECOMPRESS_BEGIN:
    case ICM_DECOMPRESSEX_BEGIN:
    case ICM_DECOMPRESSEX_QUERY:
        if (msg == ICM_DECOMPRESS_BEGIN)
            return Query((const BITMAPINFOHEADER *)p1, (const BITMAPINFOHEADER *)p2);
        {
            const ICDECOMPRESSEX *ex = (const ICDECOMPRESSEX *)p1;
            return ex ? Query(ex->lpbiSrc, ex->lpbiDst) : ICERR_BADFORMAT;
        }
    case ICM_DECOMPRESS: {
        const ICDECOMPRESS *d = (const ICDECOMPRESS *)p1;
        return d ? Decompress(d->lpbiInput, d->lpInput, d->lpbiOutput, d->lpOutput) : ICERR_BADPARAM;
    }
    case ICM_DECOMPRESSEX: {
        const ICDECOMPRESSEX *d = (const ICDECOMPRESSEX *)p1;
        return d ? Decompress(d->lpbiSrc, d->lpSrc, d->lpbiDst, d->lpDst) : ICERR_BADPARAM;
    }
    case ICM_DECOMPRESS_END:
    case ICM_DECOMPRESSEX_END:
        return ICERR_OK;
    default:
        if (msg < DRV_USER)
            return DefDriverProc(id, driver, msg, p1, p2);
        return ICERR_UNSUPPORTED;
    }
}
