// WAVE images: the header in front of in-memory sound handed to the
// system's converters, the walk through the chunks of a WAVE file to its
// format and its samples, and the stereo sound made from the sound of two
// movies.
#ifndef TWR_PIPELINE_WAVE_IMAGE_H
#define TWR_PIPELINE_WAVE_IMAGE_H

#include "shared/wintypes.h"

#include <stddef.h>

// "RIFF", size, "WAVE", "fmt ", format size, the format, "data", data
// size: 20 + formatBytes + 8 bytes written at out. Returns that size.
size_t WriteWaveHeader(BYTE *out, const void *format, DWORD formatBytes, DWORD dataBytes);
inline size_t WaveHeaderBytes(DWORD formatBytes) { return 28 + (size_t)formatBytes; }

// What the chunks of a WAVE file hold.
struct WaveLayout {
    WORD formatTag, channels;
    DWORD samplesPerSec, avgBytesPerSec;
    WORD blockAlign, bitsPerSample;
    size_t dataOffset;  // of the first sample
    size_t dataBytes;   // whole sample blocks inside the file
};

// Walks the chunks (each padded to an even size) from the RIFF header to
// "fmt " and "data", whatever lies between them (ffmpeg writes a LIST
// chunk, so its samples begin at byte 78, not 44). A data size beyond the
// end of the file (a file written as a stream) is cut to the file. False
// when the bytes are not a RIFF WAVE with both chunks and a usable format.
bool FindWaveData(const BYTE *bytes, size_t size, WaveLayout *out);

// The stereo sound of a pair: in each of count 4-byte blocks (16-bit
// stereo) the second sample becomes the partner's first, so that the left
// movie's sound plays on the left and the right movie's on the right.
void TakePartnerChannel(BYTE *blocks, const BYTE *partner, int count);

#endif
