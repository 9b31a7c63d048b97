#include "pipeline/movie_date.h"

#include <stdio.h>
#include <string.h>

namespace {

bool Digit(BYTE c) { return c >= '0' && c <= '9'; }

// A field of n characters read as atoi reads it: blanks, a sign, then the
// digits up to the first non-digit.
int FieldValue(const BYTE *p, int n)
{
    int i = 0, sign = 1, v = 0;
    while (i < n && (p[i] == ' ' || (p[i] >= '\t' && p[i] <= '\r')))
        i++;
    if (i < n && (p[i] == '+' || p[i] == '-'))
        sign = p[i++] == '-' ? -1 : 1;
    for (; i < n && Digit(p[i]); i++)
        v = v * 10 + (p[i] - '0');
    return sign * v;
}

size_t Limit(size_t size) { return size < (size_t)kDateSearchBytes ? size : (size_t)kDateSearchBytes; }

bool Fits(const MovieDate &d)
{
    auto in = [](int v, int top) { return v >= 0 && v <= top; };
    return in(d.year, 9999) && in(d.month, 99) && in(d.day, 99) && in(d.hour, 99) && in(d.minute, 99) &&
           in(d.second, 99);
}

}  // namespace

int FindDateAnchor(const BYTE *area, size_t size)
{
    size = Limit(size);
    for (size_t i = 1; i + 4 <= size; i++)
        if (!memcmp(area + i, "Nint", 4))
            return (int)i;
    return -1;
}

bool DateTextAt(const BYTE *area, size_t size, size_t p)
{
    size = Limit(size);
    // A text that would run past the bytes searched is not taken: its
    // rewrite could not be written back whole.
    if (p + kDateTextBytes > size)
        return false;
    return Digit(area[p]) && Digit(area[p + 1]) && area[p + 4] == ':' && area[p + 7] == ':' && area[p + 13] == ':' &&
           area[p + 16] == ':';
}

bool FindMovieDate(const BYTE *area, size_t size, MovieDate *date)
{
    int anchor = FindDateAnchor(area, size);
    if (anchor < 0)
        return false;
    for (size_t p = (size_t)anchor; p < Limit(size); p++) {
        if (!DateTextAt(area, size, p))
            continue;
        const BYTE *t = area + p;
        date->year = FieldValue(t, 4);
        date->month = FieldValue(t + 5, 2);
        date->day = FieldValue(t + 8, 2);
        date->hour = FieldValue(t + 11, 2);
        date->minute = FieldValue(t + 14, 2);
        date->second = FieldValue(t + 17, 2);
        return true;
    }
    return false;
}

int RewriteMovieDates(BYTE *area, size_t size, const MovieDate &d)
{
    int anchor = FindDateAnchor(area, size);
    if (anchor < 0 || !Fits(d))
        return 0;
    char text[kDateTextBytes + 1];
    snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
    int count = 0;
    for (size_t p = (size_t)anchor; p < Limit(size); p++) {
        if (!DateTextAt(area, size, p))
            continue;
        memcpy(area + p, text, kDateTextBytes);
        count++;
    }
    return count;
}
