#include "mpeg/name_chars.h"

char *NextNameChar(char *p)
{
    unsigned char c = (unsigned char)*p;
    if (!c)
        return p;
    // Shift-JIS lead bytes; a lead byte before the terminator stays alone.
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && p[1])
        return p + 2;
    return p + 1;
}
