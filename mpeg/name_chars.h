// Walking a file name character by character in the ANSI code page, so that
// the second byte of a double-byte character (which may be 0x5C or a digit)
// is never taken for a character of its own. CharNextA on Windows; the
// code page 932 lead-byte ranges elsewhere.
#ifndef TWR_MPEG_NAME_CHARS_H
#define TWR_MPEG_NAME_CHARS_H

// The next character after p (p itself at the terminating NUL).
char *NextNameChar(char *p);

#endif
