// MPEG-1 Layer II audio (ISO/IEC 11172-3): frame headers and the decoding
// of one frame into 1152 16-bit sample pairs, in double precision.
#ifndef TWR_MPEG_LAYER2_DECODER_H
#define TWR_MPEG_LAYER2_DECODER_H

#include "shared/wintypes.h"

// 1 when the last audio header parsed was single-channel, 2 otherwise; the
// movie source reads it to present a mono stream as one channel.
extern int g_bMonoMpegAudio;

enum { kLayer2FrameSamples = 1152 };

struct Layer2Header {
    int mpeg1;
    int layer;
    int crc;            // a CRC word follows the header
    int bitRate;        // bit/s
    int samplingRate;   // Hz
    int padding;
    int channels;       // 1 or 2
    int mode;           // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int bound;          // first subband coded jointly (sblimit when none is)
    int emphasis;
    int sblimit;
    int frameLength;    // bytes, header included
};

// 1 for a header this decoder takes (MPEG-1 Layer II, bit rate index 1-14,
// 32, 44.1 or 48 kHz, a bit rate the mode allows), record filled; else 0,
// record zeroed.
int ParseLayer2Header(DWORD header, Layer2Header *h);

// Filter history of both channels.
struct Layer2Synthesis {
    double v[2][1024];
    int offset;  // where the newest 64 values of V begin
};
void ResetLayer2Synthesis(Layer2Synthesis *s);

// Decodes a frame from its bytes after the 4-byte header (n of them; reads
// beyond read as zero bits) into 1152 pairs of 16-bit samples (left,
// right; a single channel in both). Returns the bytes the frame's audio
// data took, at most n.
int DecodeLayer2Frame(const Layer2Header *h, const BYTE *data, int n, Layer2Synthesis *s, short *out);

// Layer II frames that begin in a payload: sync words with an acceptable
// header, walked frame by frame.
int CountLayer2Frames(const BYTE *data, int n);

// 90 kHz ticks and sample counts, 64-bit.
long long PtsToSamples(long long ticks, int rate);
long long SamplesToPts(long long samples, int rate);

#endif
