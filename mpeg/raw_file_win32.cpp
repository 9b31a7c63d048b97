#include "mpeg/raw_file.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "shared/wintypes.h"

int RawFileOpenRead(const char *path)
{
    return _open(path, _O_RDONLY | _O_BINARY | _O_SEQUENTIAL);
}

long long RawFileSeek(int fd, long long offset, int whence)
{
    return _lseeki64(fd, offset, RawSeekOrigin(whence));
}

int RawStreamSeek(FILE *f, long long offset, int whence)
{
    return _fseeki64(f, offset, RawSeekOrigin(whence));
}

long long RawStreamTell(FILE *f)
{
    return _ftelli64(f);
}

int RawFileRead(int fd, void *buf, unsigned count)
{
    return _read(fd, buf, count);
}

void RawFileClose(int fd)
{
    _close(fd);
}

namespace {

bool FileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return ok;
}

} // namespace

bool RawFilesAreSame(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!FileIdentity(a, &ia) || !FileIdentity(b, &ib))
        return false;
    bool indexed = ia.nFileIndexHigh || ia.nFileIndexLow || ib.nFileIndexHigh || ib.nFileIndexLow;
    if (indexed)
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    // Where file indexes are not kept, the full names decide.
    char fa[MAX_PATH], fb[MAX_PATH];
    DWORD na = GetFullPathNameA(a, MAX_PATH, fa, nullptr), nb = GetFullPathNameA(b, MAX_PATH, fb, nullptr);
    return na && nb && na < MAX_PATH && nb < MAX_PATH && lstrcmpiA(fa, fb) == 0;
}
