#include "shared/path_helpers.h"

#include "shared/wintypes.h"

#include <string.h>

bool IsPathLeadByte(unsigned char c)
{
#ifdef _WIN32
    return IsDBCSLeadByte(c) != 0;
#else
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
#endif
}

namespace {

// Positions of the last single-byte '\' and '.' within [first, last]
// (indices of the path); -1 when none.
struct Separators {
    long backslash = -1, dot = -1, either = -1;
};

Separators FindSeparators(const char *path, long first, long last)
{
    Separators s;
    for (long i = 0; path[i]; i++) {
        unsigned char c = (unsigned char)path[i];
        if (IsPathLeadByte(c)) {
            if (!path[i + 1])
                break;
            i++;
            continue;
        }
        if (i < first || i > last)
            continue;
        if (c == '\\')
            s.backslash = s.either = i;
        else if (c == '.')
            s.dot = s.either = i;
    }
    return s;
}

void CopyPart(char *dest, size_t destSize, const char *src, size_t count)
{
    if (destSize == 0)
        return;
    if (count >= destSize) {
        // Cut for want of room: never keep half of a double-byte character.
        size_t keep = 0;
        while (keep < destSize - 1) {
            size_t step = IsPathLeadByte((unsigned char)src[keep]) ? 2 : 1;
            if (keep + step > destSize - 1)
                break;
            keep += step;
        }
        count = keep;
    }
    memmove(dest, src, count);
    dest[count] = '\0';
}

}  // namespace

char *CopyPathText(char *dest, size_t destSize, const char *src)
{
    CopyPart(dest, destSize, src, strlen(src));
    return dest;
}

void CopyPathWithoutExtension(char *dest, size_t destSize, const char *path)
{
    long n = (long)strlen(path);
    Separators s = FindSeparators(path, 1, n - 2);
    CopyPart(dest, destSize, path, s.either >= 0 ? (size_t)s.either : (size_t)n);
}

void CopyFolderOfPath(char *dest, size_t destSize, const char *path)
{
    long n = (long)strlen(path);
    Separators s = FindSeparators(path, 2, n - 1);
    CopyPart(dest, destSize, path, s.backslash >= 0 ? (size_t)s.backslash + 1 : (size_t)n);
}

void GetFileNameFromPath(char *dest, size_t destSize, const char *path)
{
    long n = (long)strlen(path);
    Separators s = FindSeparators(path, 0, n - 1);
    const char *name = s.backslash >= 0 ? path + s.backslash + 1 : path;
    CopyPart(dest, destSize, name, strlen(name));
}

void GetFileExtension(char *dest, size_t destSize, const char *path)
{
    long n = (long)strlen(path);
    Separators s = FindSeparators(path, 0, n - 1);
    const char *ext = s.dot >= 0 ? path + s.dot + 1 : path;
    CopyPart(dest, destSize, ext, strlen(ext));
}
