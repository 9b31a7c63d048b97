#include "pipeline/compose.h"

#include "shared/global_memory.h"

#include <math.h>

int PixelLuma(int b, int g, int r)
{
    return (int)((0.114 * b + 0.587 * g) + 0.299 * r);
}

void BuildAnaglyphGammaTable(int gammaHundredths, int *table)
{
    // A gamma of 0 or less has no meaning; the smallest one keeps the
    // exponent finite.
    if (gammaHundredths < 1)
        gammaHundredths = 1;
    double exponent = 100.0 / gammaHundredths;
    for (int i = 0; i < 256; i++)
        table[i] = (int)(255 * pow(i * 0.00392156862745098, exponent));
}

unsigned short *BuildIz3dTable(const unsigned char *bytes, int count)
{
    unsigned short linear[256];
    for (int b = 0; b < 256; b++)
        linear[b] = (unsigned short)(pow(b * 0.00392156862745098, 2.2) * 32640 + 0.5);
    unsigned short *table = (unsigned short *)AllocGlobalBlock((size_t)count * 2, 0);
    if (!table)
        return nullptr;
    for (int i = 0; i < count; i++)
        table[i] = linear[bytes[i]];
    return table;
}
