#include "sources/avi_headers.h"

#include <string.h>

namespace {

DWORD Get32(const BYTE *p) { return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24); }
short Get16s(const BYTE *p) { return (short)(p[0] | (p[1] << 8)); }
WORD Get16(const BYTE *p) { return (WORD)(p[0] | (p[1] << 8)); }

bool Is(const BYTE *p, const char *id) { return memcmp(p, id, 4) == 0; }

bool ReadAt(const AviByteSource &src, uint64_t pos, void *buffer, size_t n)
{
    if (pos > src.size || src.size - pos < n)
        return false;
    return src.read(src.context, pos, buffer, n) == n;
}

void ReadStreamList(const AviByteSource &src, uint64_t pos, uint64_t end, AviHeaders *out)
{
    AviStreamHeader s = {};
    bool haveHeader = false;
    while (pos + 8 <= end) {
        BYTE head[8];
        if (!ReadAt(src, pos, head, 8))
            break;
        DWORD size = Get32(head + 4);
        uint64_t body = pos + 8;
        if (body + size > end)
            break;
        if (Is(head, "strh") && size >= 48) {
            BYTE h[56] = {};
            if (!ReadAt(src, body, h, size < 56 ? size : 56))
                break;
            s.fccType = Get32(h);
            s.fccHandler = Get32(h + 4);
            s.scale = Get32(h + 20);
            s.rate = Get32(h + 24);
            s.start = Get32(h + 28);
            s.length = Get32(h + 32);
            s.suggestedBufferSize = Get32(h + 36);
            s.sampleSize = Get32(h + 44);
            for (int i = 0; i < 4; i++)
                s.rcFrame[i] = Get16s(h + 48 + 2 * i);
            haveHeader = true;
        } else if (Is(head, "strf") && size > 0 && size <= kMaxStreamFormat) {
            s.format.resize(size);
            if (!ReadAt(src, body, s.format.data(), size))
                s.format.clear();
        }
        pos = body + size + (size & 1);
    }
    if (haveHeader && out->streams.size() < kMaxAviStreams)
        out->streams.push_back(s);
}

}  // namespace

bool ReadAviHeaders(const AviByteSource &src, AviHeaders *out)
{
    *out = AviHeaders();
    BYTE head[12];
    if (!ReadAt(src, 0, head, 12) || !Is(head, "RIFF") || !Is(head + 8, "AVI "))
        return false;
    out->firstRiffEnd = 8 + (uint64_t)Get32(head + 4);
    uint64_t end = out->firstRiffEnd < src.size ? out->firstRiffEnd : src.size;
    // The header list comes first in the RIFF; chunks before it (JUNK) are
    // passed over.
    uint64_t pos = 12;
    while (pos + 12 <= end) {
        if (!ReadAt(src, pos, head, 12))
            return false;
        DWORD size = Get32(head + 4);
        uint64_t next = pos + 8 + size + (size & 1);
        if (Is(head, "LIST") && Is(head + 8, "movi"))
            return false;
        if (Is(head, "LIST") && Is(head + 8, "hdrl") && size >= 4) {
            uint64_t listEnd = pos + 8 + size < end ? pos + 8 + size : end;
            uint64_t at = pos + 12;
            while (at + 8 <= listEnd) {
                BYTE c[12];
                if (!ReadAt(src, at, c, 8))
                    break;
                DWORD csize = Get32(c + 4);
                if (Is(c, "avih") && csize >= 40) {
                    BYTE a[40];
                    if (ReadAt(src, at + 8, a, sizeof a)) {
                        out->totalFrames = Get32(a + 16);
                        out->declaredStreams = Get32(a + 24);
                        out->width = Get32(a + 32);
                        out->height = Get32(a + 36);
                    }
                } else if (Is(c, "LIST") && csize >= 4 && ReadAt(src, at + 8, c + 8, 4) && Is(c + 8, "strl")) {
                    uint64_t strlEnd = at + 8 + csize < listEnd ? at + 8 + csize : listEnd;
                    out->streamLists++;
                    ReadStreamList(src, at + 12, strlEnd, out);
                }
                at += 8 + (uint64_t)csize + (csize & 1);
            }
            return true;
        }
        pos = next;
    }
    return false;
}

AviHeaderFault CheckAviHeaders(const AviHeaders &headers)
{
    if (headers.declaredStreams == 0 || headers.declaredStreams != headers.streamLists)
        return kAviStreamCountWrong;
    for (const AviStreamHeader &s : headers.streams) {
        if (s.fccType != 0x73647561u)  // 'auds'
            continue;
        // WAVEFORMAT: tag and channels (16 bits each), then the rate.
        if (s.format.size() < 8 || Get32(s.format.data() + 4) == 0)
            return kAviSoundWithoutRate;
    }
    return kAviHeadersFit;
}

bool UncompressedFormatUsable(const BYTE *format, size_t size)
{
    // BITMAPINFOHEADER: biSize, biWidth, biHeight (32 bits), biPlanes,
    // biBitCount (16), biCompression, biSizeImage, two resolutions,
    // biClrUsed (32).
    if (size < 40)
        return false;
    if (Get32(format + 16) != 0)  // BI_RGB
        return true;
    DWORD headerSize = Get32(format);
    WORD bits = Get16(format + 14);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (bits > 8)
        return true;
    DWORD colours = Get32(format + 32);
    if (colours == 0)
        colours = 1u << bits;
    if (colours > (1u << bits) || headerSize < 40 || headerSize > size)
        return false;
    return (size - headerSize) / 4 >= colours;
}
