// The file layer under every MPEG reader: one file, or a movie and its
// sequentially numbered successors (movie09.mpg, movie10.mpg, ...) joined
// into one 64-bit byte stream. Files of a run are opened when reading or
// seeking reaches them and closed when it leaves them.
#ifndef TWR_MPEG_FILE_LAYER_H
#define TWR_MPEG_FILE_LAYER_H

#include "mpeg/byte_source.h"

struct FileLayerEntry {
    long long size;
    long long start;  // position of its first byte in the joined stream
    int fd;           // -1 while closed
    char *path;
};

struct FileLayer {
    long long total;
    int count;
    int current;  // == count when standing at the very end
    FileLayerEntry *files;
};

// Opens path; with joinNumbered (the decoder's "file" setting equal to 1)
// appends every numbered successor that opens. Null when the first file
// cannot be opened or memory is short.
FileLayer *OpenFileLayer(const char *path, int joinNumbered);
void CloseFileLayer(FileLayer *layer);
int ReadFileLayer(FileLayer *layer, BYTE *buf, int count);
long long SeekFileLayer(FileLayer *layer, long long offset, int whence);
long long TellFileLayer(FileLayer *layer);
int FileLayerFileCount(const FileLayer *layer);
// End position of file i in the joined stream (i clamped to the files present).
long long FileLayerFileEnd(const FileLayer *layer, int i);
// The layer as a byte source; its close operation closes the layer.
ByteSource FileLayerByteSource(FileLayer *layer);

// Turns name (a path in a buffer of at least strlen + 1 bytes) into the next
// name of a numbered run: the last run of decimal digits of the base name is
// increased by one, keeping its width. 0 when the base name has no digit or
// the run is all nines (the run ends there).
int NextNumberedName(char *name);

#endif
