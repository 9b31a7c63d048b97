// Read-only low-level file handles with 64-bit positions: the C runtime's
// _open/_lseeki64 on Windows, open/lseek elsewhere; and the 64-bit seek of
// stdio streams (_fseeki64, fseeko), which a plain fseek would cut at 2 GB.
// Paths are the ANSI (code page) paths the rest of the program uses.
#ifndef TWR_MPEG_RAW_FILE_H
#define TWR_MPEG_RAW_FILE_H

#include <stdio.h>

// A handle, or -1. Opened read-only, binary, with the sequential-access hint.
int RawFileOpenRead(const char *path);
// The new position, or -1. whence 0 start, 1 current, 2 end.
long long RawFileSeek(int fd, long long offset, int whence);
// Bytes read (0 at the end), or -1 on an error.
int RawFileRead(int fd, void *buf, unsigned count);
void RawFileClose(int fd);

// The stream moved to offset (whence as for RawFileSeek): 0, or non-zero
// on an error.
int RawStreamSeek(FILE *f, long long offset, int whence);
// The stream's position, or -1.
long long RawStreamTell(FILE *f);

// The C runtime's origin for whence 0, 1 or 2.
inline int RawSeekOrigin(int whence)
{
    return whence == 0 ? SEEK_SET : whence == 1 ? SEEK_CUR : SEEK_END;
}
// True when both names reach one existing file (the same volume and file
// index, or device and inode), whatever their spelling.
bool RawFilesAreSame(const char *a, const char *b);

#endif
