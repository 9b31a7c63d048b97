#include "dv_standin.h"

#include <vfw.h>

#include <stdlib.h>
#include <string.h>

namespace {

bool IsDv(const BITMAPINFOHEADER *in)
{
    return in && (in->biCompression == mmioFOURCC('d', 'v', 's', 'd') ||
                  in->biCompression == mmioFOURCC('d', 'v', 'i', 's')) &&
           in->biWidth > 0 && in->biWidth <= 4096 && in->biHeight != 0 && abs(in->biHeight) <= 4096;
}

LRESULT Query(const BITMAPINFOHEADER *in, const BITMAPINFOHEADER *out)
{
    if (!IsDv(in))
        return ICERR_BADFORMAT;
    if (out && !(out->biCompression == BI_RGB && (out->biBitCount == 24 || out->biBitCount == 32) &&
                 out->biWidth == in->biWidth && abs(out->biHeight) == abs(in->biHeight)))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

LRESULT Decode(const BITMAPINFOHEADER *in, const BYTE *data, const BITMAPINFOHEADER *out, BYTE *bits)
{
    if (Query(in, out) != ICERR_OK || !data || !bits || in->biSizeImage < 3)
        return ICERR_BADFORMAT;
    int pixel = out->biBitCount / 8;
    int rowBytes = (out->biWidth * pixel + 3) & ~3;
    for (int y = 0; y < abs(out->biHeight); y++) {
        BYTE *row = bits + (size_t)y * rowBytes;
        for (int x = 0; x < out->biWidth; x++)
            memcpy(row + x * pixel, data, 3);
    }
    return ICERR_OK;
}

LRESULT CALLBACK DvProc(DWORD_PTR id, HDRVR driver, UINT msg, LPARAM p1, LPARAM p2)
{
    switch (msg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_CLOSE:
        return 1;
    case DRV_OPEN: {
        ICOPEN *open = (ICOPEN *)p2;
        if (open)
            open->dwError = ICERR_OK;
        return 1;
    }
    case ICM_GETINFO: {
        ICINFO *info = (ICINFO *)p1;
        if (!info || (DWORD)p2 < sizeof(ICINFO))
            return 0;
        memset(info, 0, sizeof *info);
        info->dwSize = sizeof *info;
        info->fccType = ICTYPE_VIDEO;
        info->fccHandler = mmioFOURCC('d', 'v', 's', 'd');
        info->dwVersionICM = ICVERSION;
        lstrcpyW(info->szName, L"TWRDV");
        lstrcpyW(info->szDescription, L"TwinReel DV stand-in");
        return sizeof *info;
    }
    case ICM_DECOMPRESS_QUERY:
    case ICM_DECOMPRESS_BEGIN:
        return Query((const BITMAPINFOHEADER *)p1, (const BITMAPINFOHEADER *)p2);
    case ICM_DECOMPRESS_GET_FORMAT: {
        const BITMAPINFOHEADER *in = (const BITMAPINFOHEADER *)p1;
        BITMAPINFOHEADER *out = (BITMAPINFOHEADER *)p2;
        if (!IsDv(in))
            return ICERR_BADFORMAT;
        if (!out)
            return sizeof(BITMAPINFOHEADER);
        memset(out, 0, sizeof *out);
        out->biSize = sizeof *out;
        out->biWidth = in->biWidth;
        out->biHeight = abs(in->biHeight);
        out->biPlanes = 1;
        out->biBitCount = 24;
        out->biSizeImage = (DWORD)(((out->biWidth * 3 + 3) & ~3) * out->biHeight);
        return ICERR_OK;
    }
    case ICM_DECOMPRESS: {
        const ICDECOMPRESS *d = (const ICDECOMPRESS *)p1;
        return d ? Decode(d->lpbiInput, (const BYTE *)d->lpInput, d->lpbiOutput, (BYTE *)d->lpOutput) : ICERR_BADPARAM;
    }
    case ICM_DECOMPRESS_END:
        return ICERR_OK;
    default:
        if (msg < DRV_USER)
            return DefDriverProc(id, driver, msg, p1, p2);
        return ICERR_UNSUPPORTED;
    }
}

}  // namespace

bool InstallDvStandin(DWORD handler)
{
    return ICInstall(ICTYPE_VIDEO, handler, (LPARAM)DvProc, nullptr, ICINSTALL_FUNCTION) != FALSE;
}

void RemoveDvStandin(DWORD handler)
{
    ICRemove(ICTYPE_VIDEO, handler, 0);
}
