// The header lists of an AVI file read without AVIFile: the main header
// and, for each stream, its stream header and format. Used where AVIFile
// cannot be asked (see shared/platform_compat.h) and to learn a file's
// first RIFF extent. Everything read is bounded by its chunk and the file.
#ifndef TWR_SOURCES_AVI_HEADERS_H
#define TWR_SOURCES_AVI_HEADERS_H

#include "sources/avi_index.h"

#include <stdint.h>

#include <vector>

struct AviStreamHeader {
    DWORD fccType, fccHandler;
    DWORD scale, rate, start, length;
    DWORD suggestedBufferSize, sampleSize;
    short rcFrame[4];  // left, top, right, bottom
    std::vector<BYTE> format;
};

struct AviHeaders {
    uint64_t firstRiffEnd;  // 8 + the first RIFF's declared size
    DWORD width, height, totalFrames;
    std::vector<AviStreamHeader> streams;
};

enum { kMaxAviStreams = 64, kMaxStreamFormat = 0x10000 };

// False when the bytes do not start an AVI file (RIFF 'AVI ') or have no
// header list. At most kMaxAviStreams streams and kMaxStreamFormat bytes
// of format are kept.
bool ReadAviHeaders(const AviByteSource &src, AviHeaders *out);

#endif
