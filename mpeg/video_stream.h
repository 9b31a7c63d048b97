// The video half of an opened MPEG file: frame-accurate random access by
// frame number. The open finds the first sequence header and picture,
// chooses the decoding routines from the decoder settings, and takes a
// frame index (the GOP time codes when they are regular, else the GOP list,
// kept in a ".gl" file beside the movie). A frame is then decoded forward
// from where the decoder stands when it lies close ahead, and after a seek
// to the GOP that holds it otherwise. Output frames (chroma upsampled,
// resized) are kept in a small cache ordered by frame number.
//
// Frames are numbered in display order from 0. A frame picture whose
// repeat_first_field is set and whose field order is the stream's gives two
// frames; a pair of field pictures gives one; the leading B pictures of an
// open GOP belong to the GOP before it (those of the first GOP, and those
// after a broken link, cannot be decoded and have no number).
#ifndef TWR_MPEG_VIDEO_STREAM_H
#define TWR_MPEG_VIDEO_STREAM_H

#include "mpeg/decoder_settings.h"
#include "mpeg/decoder_state.h"
#include "mpeg/gop_index.h"
#include "mpeg/resizer.h"
#include "mpeg/simd.h"
#include "mpeg/stream_lock.h"

struct FrameCacheEntry {
    FrameRecord rec;
    FrameBuffer *fb;   // one reference held by the cache
    OutputInfo info;   // the geometry and colours of fb as it was output
    FrameCacheEntry *lower;   // next lower-numbered entry
    FrameCacheEntry *higher;  // next higher-numbered entry
};

struct FrameCache {
    FrameCacheEntry *lowest;
    FrameCacheEntry *highest;
    int iCount;  // entries of I pictures
    int count;
};

enum { kFrameCacheMost = 20, kFrameCacheMostWithTwoI = 5 };

// Adds a frame under its record (the cache takes its own reference), then
// trims: past 5 entries holding more than one I picture the lowest-numbered
// entry goes, and past 20 entries the lowest goes again.
bool AddCachedFrame(FrameCache *cache, FrameBuffer *fb, const FrameRecord &rec, const OutputInfo &info);
FrameCacheEntry *FindCachedFrame(FrameCache *cache, long long frame);
void DropOldestCachedFrame(FrameCache *cache);
void FlushFrameCache(FrameCache *cache);

typedef GopEntry (*FindGopFunc)(void *index, long long frame);
typedef void (*FreeIndexFunc)(void *index);

struct MpegVideoStream {
    VideoBitReader *v;  // its own heap block (it holds the 512 KB read buffer)
    SequenceRecord seq;
    PictureHeader pic;
    int progressive;  // 1 for MPEG-1, else progressive_sequence
    // the frame index: a TimecodeIndex or a GopList
    void *index;
    FindGopFunc findGop;
    FreeIndexFunc freeIndex;
    int usesGopList;
    char gopListFile[260];  // the ".gl" file the list was read from; empty when scanned
    GopEntry gop;  // where decoding stands: first frame, estimated count
    FrameBuffer *forward, *backward, *current;
    DecoderState *decoder;
    DecoderSettings settings;
    int closedGop;  // 0; 1 after a closed GOP header; 2 at the next I or P picture
    int streamTopFieldFirst;
    int topFieldFirst;  // effective: forced by "field_order"
    Resizer *resizer;
    OutputInfo info;
    FrameRecord outputPending;  // the reference being output
    FrameRecord currentRecord;  // the picture being decoded
    FrameRecord nextDisplay;    // the pending backward reference; its frame is the display position
    FrameCache cache;
    DecoderRoutines routines;
    long long frameCount;   // as reported: one fewer when "field_order" changes the field order
    long long indexFrames;  // as the index counts them
    DWORD rate, scale;
    int outWidth, outHeight;  // fixed at open: what every read delivers
    long long seeks;          // GOP seeks made (for tests and measurements)
    int joinNumbered;         // the "file" setting it was opened with
    StreamLock lock;
};

// True when the name ends in one of the 14 extensions of MPEG files
// (".mpeg", ".mpg", ".m2p", ".mp2", ".vob", ".vro", ".m2v", ".m1v", ".mpv",
// ".ves", ".m2t", ".ssg", ".ts", ".bs"), case ignored.
bool HasMpegExtension(const char *path);

// Null for an unaccepted extension, a source that does not open, no
// sequence header or picture within "limit" bytes, unusable headers, a
// stream without a picture rate or without frames, or a failed scan.
MpegVideoStream *OpenVideoStream(const char *path);
void CloseVideoStream(MpegVideoStream *s);

// Frame n (its record and buffer), or null when it cannot be had. The entry
// stays the cache's: it is valid until the next call on the stream.
const FrameCacheEntry *GetVideoFrame(MpegVideoStream *s, long long n);
// 0 when frame n cannot be had; else its picture_coding_type, with 4 for a
// B frame of a closed GOP's leading pictures.
int GetFrameCodingType(MpegVideoStream *s, long long n);
// Writes frame n as outWidth x outHeight 24-bit BGR rows from `out`, rows
// `pitch` bytes apart (negative for a bottom-up picture), pairing the
// fields of frames n and n + 1 where "field_order" asks for it. False when
// frame n cannot be had (nothing is written then).
bool ReadVideoFrameRgb24(MpegVideoStream *s, long long n, BYTE *out, int pitch);

#endif
