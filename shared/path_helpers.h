// Cutting a path into folder, name and extension. Paths are ANSI text of
// the system code page (932, Shift-JIS, for this program's users): a
// separator ('\' or '.') counts only where it is a character of its own,
// never as the second byte of a double-byte character (0x5C is a valid
// second byte), and half-width katakana (0xA1-0xDF) are single bytes.
#ifndef TWR_SHARED_PATH_HELPERS_H
#define TWR_SHARED_PATH_HELPERS_H

#include <stddef.h>

// The code page's lead-byte test: IsDBCSLeadByte on Windows, the Shift-JIS
// ranges elsewhere.
bool IsPathLeadByte(unsigned char c);

// Every helper writes at most destSize bytes, always terminated.

// The path cut at its last '.' or '\' among the characters from the second
// to the second-last: C:\a\b.avi gives C:\a\b, C:\a\b gives C:\a.
void CopyPathWithoutExtension(char *dest, size_t destSize, const char *path);
// The folder with its trailing '\' (the last '\' from the third character
// on); the whole path when there is none.
void CopyFolderOfPath(char *dest, size_t destSize, const char *path);
// The part after the last '\'; the whole path when there is none. This is
// also the bare name the openers keep.
void GetFileNameFromPath(char *dest, size_t destSize, const char *path);
// The text after the last '.'; the whole path when there is none.
void GetFileExtension(char *dest, size_t destSize, const char *path);

template <size_t N> inline void CopyPathWithoutExtension(char (&d)[N], const char *p) { CopyPathWithoutExtension(d, N, p); }
template <size_t N> inline void CopyFolderOfPath(char (&d)[N], const char *p) { CopyFolderOfPath(d, N, p); }
template <size_t N> inline void GetFileNameFromPath(char (&d)[N], const char *p) { GetFileNameFromPath(d, N, p); }
template <size_t N> inline void GetFileExtension(char (&d)[N], const char *p) { GetFileExtension(d, N, p); }

// Copies src into dest (destSize bytes, terminated) without splitting a
// double-byte character at the cut. Returns dest.
char *CopyPathText(char *dest, size_t destSize, const char *src);

#endif
