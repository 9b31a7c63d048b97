#include "mpeg/name_chars.h"

#include "shared/wintypes.h"

char *NextNameChar(char *p)
{
    return CharNextA(p);
}
