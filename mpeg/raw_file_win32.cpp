#include "mpeg/raw_file.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

int RawFileOpenRead(const char *path)
{
    return _open(path, _O_RDONLY | _O_BINARY | _O_SEQUENTIAL);
}

long long RawFileSeek(int fd, long long offset, int whence)
{
    return _lseeki64(fd, offset, whence == 0 ? SEEK_SET : whence == 1 ? SEEK_CUR : SEEK_END);
}

int RawFileRead(int fd, void *buf, unsigned count)
{
    return _read(fd, buf, count);
}

void RawFileClose(int fd)
{
    _close(fd);
}
