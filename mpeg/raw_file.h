// Read-only low-level file handles with 64-bit positions: the C runtime's
// _open/_lseeki64 on Windows, open/lseek elsewhere. Paths are the ANSI
// (code page) paths the rest of the program uses.
#ifndef TWR_MPEG_RAW_FILE_H
#define TWR_MPEG_RAW_FILE_H

// A handle, or -1. Opened read-only, binary, with the sequential-access hint.
int RawFileOpenRead(const char *path);
// The new position, or -1. whence 0 start, 1 current, 2 end.
long long RawFileSeek(int fd, long long offset, int whence);
// Bytes read (0 at the end), or -1 on an error.
int RawFileRead(int fd, void *buf, unsigned count);
void RawFileClose(int fd);
// True when both names reach one existing file (the same volume and file
// index, or device and inode), whatever their spelling.
bool RawFilesAreSame(const char *a, const char *b);

#endif
