#include "sources/own_avi_reader.h"

#include "shared/file_at.h"
#include "shared/frame_conversions.h"
#include "shared/wintypes.h"

#include <stdlib.h>
#include <string.h>
#include <vfw.h>

namespace {

bool ReadChunk(MovieSource *m, const AviChunkEntry &e, BYTE *into)
{
    return ReadFileAt((HANDLE)(INT_PTR)m->hFile, e.Offset(), into, e.size);
}

bool DecodeChunk(MovieSource *m, int i)
{
    const AviChunkEntry &e = m->pVideoIndex[i];
    if ((int)e.size > m->nChunkBytes)
        return false;
    BITMAPINFOHEADER *in = (BITMAPINFOHEADER *)m->pChunk;
    BYTE *data = m->pChunk + m->nFormatBytes;
    if (!ReadChunk(m, e, data))
        return false;
    // Copying decoders take biSizeImage bytes: never more than a frame.
    in->biSizeImage = e.size;
    if (in->biCompression == BI_RGB && (int)e.size > m->nMaxFrameBytes)
        in->biSizeImage = (DWORD)m->nMaxFrameBytes;
    BITMAPINFOHEADER *out = (BITMAPINFOHEADER *)m->pDecoded;
    if (!m->hic) {
        // Uncompressed: the format and the chunk behind it are a packed
        // DIB; a short chunk leaves the rest of the picture as it was.
        in->biSizeImage = e.size;
        if ((int)e.size < DibRowBytes(in->biWidth, in->biBitCount) * abs(in->biHeight))
            return false;
        return ConvertFrameTo24(out, in);
    }
    DWORD flags = (e.flags & kChunkKeyFrame) ? 0 : ICDECOMPRESS_NOTKEYFRAME;
    return ICDecompress((HIC)m->hic, flags, in, data, out, (BYTE *)out + out->biSize) == ICERR_OK;
}

}  // namespace

int ReadOwnAviFrame(MovieSource *m, int n)
{
    if (n < 0 || n >= m->nVideoEntries || !m->pVideoIndex || !m->pChunk || !m->pDecoded || m->hFile == -1)
        return 1;
    const AviChunkEntry *index = m->pVideoIndex;
    // A dropped frame repeats the one before it.
    int target = n;
    while (target >= 0 && index[target].size == 0)
        target--;
    if (target < 0) {
        BITMAPINFOHEADER *out = (BITMAPINFOHEADER *)m->pDecoded;
        memset((BYTE *)out + out->biSize, 0, out->biSizeImage);
        m->nDecodedFrame = -1;
        return 0;
    }
    if (target == m->nDecodedFrame)
        return 0;
    int start = target;
    if (!(index[target].flags & kChunkKeyFrame)) {
        int key = target;
        while (key > 0 && !((index[key].flags & kChunkKeyFrame) && index[key].size > 0))
            key--;
        start = key;
        if (m->nDecodedFrame >= key && m->nDecodedFrame < target)
            start = m->nDecodedFrame + 1;
    }
    for (int i = start; i <= target; i++) {
        if (index[i].size == 0)
            continue;
        if (!DecodeChunk(m, i)) {
            m->nDecodedFrame = -1;
            return 1;
        }
    }
    m->nDecodedFrame = target;
    return 0;
}
