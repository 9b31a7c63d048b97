#include "mpeg/raw_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int RawFileOpenRead(const char *path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
#ifdef POSIX_FADV_SEQUENTIAL
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    }
    return fd;
}

long long RawFileSeek(int fd, long long offset, int whence)
{
    static_assert(sizeof(off_t) == 8, "64-bit file offsets");
    return (long long)lseek(fd, (off_t)offset, RawSeekOrigin(whence));
}

int RawStreamSeek(FILE *f, long long offset, int whence)
{
    return fseeko(f, (off_t)offset, RawSeekOrigin(whence));
}

long long RawStreamTell(FILE *f)
{
    return (long long)ftello(f);
}

int RawFileRead(int fd, void *buf, unsigned count)
{
    return (int)read(fd, buf, count);
}

void RawFileClose(int fd)
{
    close(fd);
}

bool RawFilesAreSame(const char *a, const char *b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
