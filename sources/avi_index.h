// The own AVI reader's index walk: the file offsets and sizes of the video
// and sound chunks, read from the AVI 1.0 index ('idx1') or the OpenDML
// indexes ('indx' super indexes and their 'ix##' standard indexes, offsets
// of 64 bits), and the probe that recognises a two-stream 3D-AVI and reads
// the parallax presets some cameras store in it.
//
// Everything read is treated as hostile: sizes, counts and offsets are
// checked against the chunk they lie in and the file's size, nothing is
// read or written outside the tables, and the walk always ends.
#ifndef TWR_SOURCES_AVI_INDEX_H
#define TWR_SOURCES_AVI_INDEX_H

#include "sources/movie_source.h"

#include <stddef.h>
#include <stdint.h>

// A random-access view of a file (or of memory, for tests and fuzzing).
struct AviByteSource {
    void *context;
    // Reads up to n bytes at pos; returns the number read (short at the end).
    size_t (*read)(void *context, uint64_t pos, void *buffer, size_t n);
    uint64_t size;
};

// A source over a memory block.
struct AviMemory {
    const BYTE *data;
    size_t size;
};
AviByteSource AviMemorySource(AviMemory *memory);

// A source over a file opened by path (ANSI), 64-bit positions.
struct AviFile;
AviFile *OpenAviFile(const char *path);
AviByteSource AviFileSource(AviFile *file);
void CloseAviFile(AviFile *file);

// A chunk table. Video tables have a fixed capacity (the stream's length);
// sound tables grow as needed. Entries are allocated with malloc.
struct ChunkTable {
    AviChunkEntry *entries;
    int count;
    int capacity;
    bool growable;
};
bool InitChunkTable(ChunkTable *table, int capacity, bool growable);
void FreeChunkTable(ChunkTable *table);

// What an index walk found beside the tables.
struct AviIndexTotals {
    int64_t audioBytes;
    int maxAudioChunk;
    int maxVideoChunk;
};

// Which streams to collect: the number of the video stream taken (two
// digits of the chunk id, 0 for "00dc") and of the sound stream (-1 none).
// Compressed video is stored as 'dc' chunks; uncompressed video may be
// stored as 'db' chunks too, which count only when rawVideo is set.
struct AviStreamChoice {
    int video;
    int audio;
    bool rawVideo;
};

// The AVI 1.0 index: 'dc' chunks of the video stream and 'wb' chunks of
// the sound stream from the 'idx1' chunk. Returns the video entries found.
int ReadAviIndexFrom(const AviByteSource &src, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                     AviIndexTotals *totals);

// The OpenDML indexes; when they give no video entry (an AVI 1.0 file),
// the 'idx1' index. Returns the video entries found.
int ReadOpenDmlIndexFrom(const AviByteSource &src, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                         AviIndexTotals *totals);

// By path; a file that cannot be opened gives 0 entries.
int ReadAviIndex(const char *path, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                 AviIndexTotals *totals);
int ReadOpenDmlIndex(const char *path, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                     AviIndexTotals *totals);

// The probe over the first bytes of a file: 1 when they hold two or more
// video stream headers, else 0; sets the parallax presets (0 when absent).
enum { kProbeBytes = 32000 };
int ProbeStereoAviBytes(const BYTE *data, size_t size, int *parallaxH, int *parallaxV);
// By path: -1 when the file cannot be opened; sets g_nParallaxH and
// g_nParallaxV.
int ProbeStereoAvi(const char *path);

#endif
