// Frame-accurate random access: for a frame number, the GOP whose byte
// offset decoding starts from. Two indexes answer the same question:
//
// - the time-code index, for regularly structured streams: frame numbers
//   follow from the time codes of the GOP headers, a GOP is found by
//   bisection over byte offsets, nothing is stored;
// - the GOP list: a full scan counts every picture and records every GOP
//   with the sequence header in force; it is kept beside the movie in a
//   ".gl" file and reused while the stream still matches it.
//
// Counting: a picture is one frame; a frame picture with repeat_first_field
// whose top_field_first equals the stream's counts two; a field pair counts
// as one picture. Frames are numbered in display order; the leading B
// pictures of an open GOP belong to the GOP before it, and those of the
// first GOP (or after a broken link) cannot be decoded and are not counted.
#ifndef TWR_MPEG_GOP_INDEX_H
#define TWR_MPEG_GOP_INDEX_H

#include "mpeg/video_headers.h"

struct GopEntry {
    long long offset;  // where decoding starts (its sequence or GOP header)
    long long first;   // first frame
    long long count;   // frames
    const SequenceRecord *seq;  // in force; null in time-code index entries
};

// All zero: not found.
inline bool GopEntryFound(const GopEntry &e) { return e.count != 0; }

struct GopList {
    long long streamSize;
    long long totalFrames;
    int gopCount;
    int recordCount;
    GopEntry *entries;
    SequenceRecord *records;
};

// Called at every start code of a scan with the percentage read; returns 0
// to cancel the scan. The Windows side keeps its windows served from here
// (while the program is marked busy); null means no progress is shown.
typedef int (*GopProgressHook)(void *context, int percent);

// Scans the whole stream from byte 0. Null on an unusable sequence header,
// a first field without a second, no I picture, exhausted memory or
// cancellation. streamTopFieldFirst is the first picture's top_field_first.
GopList *BuildGopList(VideoBitReader *v, int streamTopFieldFirst, GopProgressHook hook, void *context);
GopEntry FindGopInList(const GopList *list, long long frame);
void FreeGopList(GopList *list);

// The ".gl" file: "GOP_LIST" and "00000003" headers, the sizes, the GOP
// entries and the sequence records, little-endian; then a fingerprint of
// the stream (size and a hash of its first and last bytes) that ties the
// file to the stream it was made from.
struct StreamFingerprint {
    long long size;
    unsigned long long hash;
};
// Of the bytes of path (the numbered run when joinNumbered); false when the
// file cannot be read.
bool ComputeStreamFingerprint(const char *path, int joinNumbered, StreamFingerprint *fp);
// The movie path with its extension replaced by ".gl"; false when that
// does not fit in 260 bytes.
bool GopListFileName(const char *moviePath, char name[260]);
// Null unless the file is whole, every field is in range and in order
// (offsets within streamSize), and it was made from a stream with this
// fingerprint. Coded sizes are recomputed from the stored sequence fields.
GopList *ReadGopListFile(const char *fileName, long long streamSize, const StreamFingerprint *fp);
// 1 when the whole file was written.
int WriteGopListFile(const GopList *list, const char *fileName, const StreamFingerprint *fp);
// Whether the stream holds, at the offset of each entry, what a scan
// records there: a sequence header, a GOP header, or the I picture of a GOP
// without one. A file can pass every other check and still point elsewhere,
// which would leave every frame undecodable. At most kCheckedGopEntries
// entries are read, spread over the list with the first and the last among
// them; the reader is left at byte 0.
enum { kCheckedGopEntries = 64 };
bool GopListMatchesStream(const GopList *list, VideoBitReader *v);
// Whether the start code at the reader is one an entry's offset may hold.
bool IsGopEntryStartCode(unsigned code, int pictureCodingType);

// The time-code index.
struct TimecodeIndex {
    VideoBitReader *v;
    DWORD rate;
    DWORD scale;
    long long base;        // first GOP's start counted from time code zero
    int streamTopFieldFirst;
    int minPictureBytes;   // fewest bytes a coded picture of the stream takes
};

TimecodeIndex *NewTimecodeIndex(VideoBitReader *v, const SequenceRecord *seq, int streamTopFieldFirst);
void FreeTimecodeIndex(TimecodeIndex *t);
// Analyses the GOP at or after the reader's position; its frame count, 0
// when the structure is irregular.
long long AnalyseGopTimecodes(TimecodeIndex *t, GopEntry *entry);
// Total frames by time code, or -1 when the stream is not regular enough.
long long CountFramesByTimecode(TimecodeIndex *t);
GopEntry FindGopByTimecode(TimecodeIndex *t, long long frame);

// Parses the picture the reader stands on and returns the frames it counts
// (its type in *type): 1, or 2 for a repeated first field in the stream's
// field order; a first field takes its second field with it. 0 for a
// picture to pass over, -1 for a first field without a second.
int ReadPictureWeight(VideoBitReader *v, int streamTopFieldFirst, int *type);

struct GopTimecode {
    int drop_frame_flag, hours, minutes, seconds, pictures;
};
// Frame number of a time code at F frames per second.
long long TimecodeToFrames(const GopTimecode &tc, int framesPerSecond);

#endif
