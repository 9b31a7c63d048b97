// The MPEG-1 Layer II sound of a program stream (or numbered run of them),
// served by 64-bit sample position as 16-bit stereo pairs. Sample 0 is the
// first video picture the decoder shows; the length comes from the last
// timestamps of each file; a read elsewhere than where the last one ended
// seeks by presentation timestamps, one frame early so that the synthesis
// filter is primed. Decoded frames are kept (up to 4,194,304 samples) so
// that reads around one position never decode twice.
#ifndef TWR_MPEG_AUDIO_STREAM_H
#define TWR_MPEG_AUDIO_STREAM_H

#include "mpeg/byte_queue.h"
#include "mpeg/layer2_decoder.h"
#include "mpeg/pes_packet.h"
#include "mpeg/stream_lock.h"
#include "mpeg/stream_reader.h"

struct AudioFileTime {
    long long firstTimestamp;  // the file's first audio PTS (90 kHz), -1 unknown
    long long start;           // the file's start relative to the anchor (90 kHz)
    long long grid;            // sample of the file's first audio frame
};

struct AudioPesSource {
    long long streamSize;
    long long sampleCount;
    long long current;  // first sample of the next frame delivered
    StreamReader *sr;
    int streamId;
    int rate;
    int channels;
    int fileCount;
    AudioFileTime *files;  // fileCount + 1; the last entry's start is the end
    long long firstAudioTimestamp;  // of the first file
    ByteQueue queue;
    PesPacket pes;
};

// Opens the audio of path; null when it has none this decoder plays.
AudioPesSource *OpenAudioSource(const char *path, int joinNumbered);
void CloseAudioSource(AudioPesSource *s);
// Positions the source for target sample t; returns the first sample of the
// frame it will deliver next (at or before t - 1152 when t >= 1152).
long long SeekAudioSource(AudioPesSource *s, long long t);
// The next frame header (4 bytes, first byte highest), 0 at the end.
DWORD NextAudioFrameHeader(AudioPesSource *s);
// Copies n bytes of the frame (header included) and moves on by one frame;
// 0 (dest zeroed) at the end of the data.
int ReadAudioFrameBytes(AudioPesSource *s, BYTE *dest, int n);

// Signed difference of two 33-bit timestamps, taken modulo 2^33.
long long PtsDifference(long long a, long long b);

struct DecodedAudioFrame;

struct MpegAudioStream {
    AudioPesSource *source;
    DecodedAudioFrame *oldest;
    DecodedAudioFrame *newest;
    Layer2Synthesis synthesis;
    BYTE frameBytes[1732];  // the longest frame: 384 kbit/s at 32 kHz, padded (1729)
    long long sampleCount;
    int rate;
    int channels;
    StreamLock lock;
};

MpegAudioStream *OpenAudioStream(const char *path, int joinNumbered);
void CloseAudioStream(MpegAudioStream *a);
// Fills count pairs from the 64-bit position (the buffer is zeroed first);
// returns the pairs delivered, fewer past the end of the data.
int ReadAudioSamples(MpegAudioStream *a, long long position, BYTE *buffer, int count);

#endif
