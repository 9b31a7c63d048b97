#include "pipeline/wave_image.h"

#include <string.h>

namespace {

void Put32(BYTE *p, DWORD v)
{
    p[0] = (BYTE)v, p[1] = (BYTE)(v >> 8), p[2] = (BYTE)(v >> 16), p[3] = (BYTE)(v >> 24);
}
DWORD Get32(const BYTE *p) { return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24; }
WORD Get16(const BYTE *p) { return (WORD)(p[0] | p[1] << 8); }

}  // namespace

size_t WriteWaveHeader(BYTE *out, const void *format, DWORD formatBytes, DWORD dataBytes)
{
    size_t header = WaveHeaderBytes(formatBytes);
    memcpy(out, "RIFF", 4);
    Put32(out + 4, (DWORD)(header - 8) + dataBytes);
    memcpy(out + 8, "WAVEfmt ", 8);
    Put32(out + 16, formatBytes);
    memcpy(out + 20, format, formatBytes);
    memcpy(out + 20 + formatBytes, "data", 4);
    Put32(out + 24 + formatBytes, dataBytes);
    return header;
}

bool FindWaveData(const BYTE *bytes, size_t size, WaveLayout *out)
{
    if (size < 12 || memcmp(bytes, "RIFF", 4) != 0 || memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= size) {
        const BYTE *chunk = bytes + pos;
        size_t length = Get32(chunk + 4);
        size_t body = pos + 8;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || length > size - body)
                return false;
            out->formatTag = Get16(chunk + 8);
            out->channels = Get16(chunk + 10);
            out->samplesPerSec = Get32(chunk + 12);
            out->avgBytesPerSec = Get32(chunk + 16);
            out->blockAlign = Get16(chunk + 20);
            out->bitsPerSample = Get16(chunk + 22);
            haveFormat = out->blockAlign != 0 && out->channels != 0 && out->samplesPerSec != 0;
            if (!haveFormat)
                return false;
        } else if (memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            size_t inFile = size - body;
            if (length > inFile)
                length = inFile;
            out->dataOffset = body;
            out->dataBytes = length - length % out->blockAlign;
            return true;
        }
        // Chunks are padded to an even length.
        if (length > size - body)
            return false;
        pos = body + length + (length & 1);
    }
    return false;
}

void TakePartnerChannel(BYTE *blocks, const BYTE *partner, int count)
{
    for (int i = 0; i < count; i++) {
        blocks[4 * i + 2] = partner[4 * i];
        blocks[4 * i + 3] = partner[4 * i + 1];
    }
}
