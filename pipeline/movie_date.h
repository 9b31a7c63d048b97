// The recording date of a 3DS movie: the camera stores it as EXIF date
// texts near the start of the file. They are found by a plain byte search
// in the first 98,304 bytes, after the first "Nint" (of the Make
// "Nintendo"), and rewritten in place; nothing else of the file changes.
#ifndef TWR_PIPELINE_MOVIE_DATE_H
#define TWR_PIPELINE_MOVIE_DATE_H

#include "shared/wintypes.h"

#include <stddef.h>

enum {
    kDateSearchBytes = 98304,  // three reads of 32,768 bytes
    kDateMinFileBytes = 100000,
    kDateTextBytes = 19,
};

struct MovieDate {
    int year, month, day, hour, minute, second;
};

// The first "Nint" at an offset from 1 on within the first size bytes
// (at most kDateSearchBytes); -1 when there is none.
int FindDateAnchor(const BYTE *area, size_t size);

// A date text "dddd:dd:dd dd:dd:dd" starts at p: digits at p and p + 1,
// ':' at p + 4, p + 7, p + 13 and p + 16, and the whole text inside size.
bool DateTextAt(const BYTE *area, size_t size, size_t p);

// The first date text after the anchor: true with its parts in *date.
bool FindMovieDate(const BYTE *area, size_t size, MovieDate *date);

// Every date text after the anchor rewritten with date; the count. 0 and
// nothing changed when there is no anchor or a part does not fit its
// width (year 0-9999, the others 0-99).
int RewriteMovieDates(BYTE *area, size_t size, const MovieDate &date);

// The file operations on the shared date parts g_nRecYear ..
// g_nRecSecond. Read: 1 when a date was found (the parts then hold it).
// Write: the number of date texts rewritten with the parts, 0 when the
// file is shorter than 100,000 bytes, has no anchor, the parts do not fit
// or the bytes could not be written back.
int Read3dsMovieDate(const char *path);
int Write3dsMovieDate(const char *path);

#endif
