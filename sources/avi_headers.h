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
    DWORD declaredStreams;  // the main header's stream count
    DWORD streamLists;      // the stream header lists found
    std::vector<AviStreamHeader> streams;
};

enum { kMaxAviStreams = 64, kMaxStreamFormat = 0x10000 };

// False when the bytes do not start an AVI file (RIFF 'AVI ') or have no
// header list. At most kMaxAviStreams streams and kMaxStreamFormat bytes
// of format are kept.
bool ReadAviHeaders(const AviByteSource &src, AviHeaders *out);

// Header values that make AVIFile stop the process (Wine's asserts on them
// or writes through a null stream; Windows' AVIFile is no safer) and that
// no player could make sense of: a main header whose stream count is not
// the number of stream lists the file holds (none at all included), and a
// sound stream whose format has no sampling rate.
enum AviHeaderFault { kAviHeadersFit = 0, kAviStreamCountWrong, kAviSoundWithoutRate };
AviHeaderFault CheckAviHeaders(const AviHeaders &headers);

// An uncompressed ('BI_RGB') picture format whose pixels cannot be laid
// out: a bit count other than 1, 4, 8, 16, 24 or 32, or a palette that is
// larger than the bit count allows or missing from the format. Formats of
// compressed pictures are their decoder's to judge: true for them.
bool UncompressedFormatUsable(const BYTE *format, size_t size);

#endif
