// The video bit reader: the bits of a video elementary stream, whatever
// holds it. The byte sources are tried in this order: a transport stream,
// a program stream, the plain file (or numbered run). Positions are the
// container's byte positions (see byte_source.h).
//
// Start codes: NextVideoStartCode leaves the reader on a start code with
// its four bytes in the window (PeekVideoBits(32) gives 0x000001xx). The
// header parsers take the reader there, consume the start code and leave the
// reader on the start code that ends the header; to pass over a start code,
// skip its 32 bits before the next search. Slice decoding reads through the
// same inline bit operations.
#ifndef TWR_MPEG_VIDEO_BIT_READER_H
#define TWR_MPEG_VIDEO_BIT_READER_H

#include "mpeg/block_reader.h"

struct VideoSourceOptions {
    long long limit;   // "limit" setting: how far to look for a system start code or a PID
    int joinNumbered;  // "file" setting equal to 1
};

struct VideoBitReader {
    long long streamSize;
    long long prevStartCode;  // positions of the last two start codes found
    long long curStartCode;
    int sourceKind;           // 0 plain file, 1 program stream, 2 transport stream
    char path[260];
    BlockReader rd;           // keep last: holds the 512 KB block
};

enum { kVideoSourceFile = 0, kVideoSourceProgram = 1, kVideoSourceTransport = 2 };

// v must be zero-filled. False when no source opens (or the path is longer
// than 259 bytes, or the stream holds no data).
bool OpenVideoSource(VideoBitReader *v, const char *path, const VideoSourceOptions *options);
void CloseVideoSource(VideoBitReader *v);

// n from 0 to 32, most significant bit first; zeros past the end.
inline unsigned PeekVideoBits(VideoBitReader *v, int n) { return PeekReaderBits(&v->rd, n); }
inline unsigned ReadVideoBits(VideoBitReader *v, int n) { return ReadReaderBits(&v->rd, n); }
inline void SkipVideoBits(VideoBitReader *v, int n) { SkipReaderBits(&v->rd, n); }

// Moves to the next start code at or after the next unread byte (the window's
// partial byte is dropped). False at the end of the data.
bool NextVideoStartCode(VideoBitReader *v);
// Puts the reader back on the start code NextVideoStartCode found last, so
// that the next search finds it again (slice decoding calls it when a
// picture ends at a start code it has already passed). False before any.
bool RewindToPreviousStartCode(VideoBitReader *v);
// Position of the next unread byte (whole window bytes count as unread).
inline long long TellVideo(VideoBitReader *v) { return TellBlockReader(&v->rd); }
// Seeks the source (whence 0 start, 1 current, 2 end); returns TellVideo.
long long SeekVideo(VideoBitReader *v, long long offset, int whence);
// True when no unread bits are left.
inline bool VideoAtEnd(VideoBitReader *v)
{
    if (v->rd.accBits == 0)
        RefillReaderBits(&v->rd);
    return v->rd.accBits == 0;
}

#endif
