#include "sources/plugin_audio.h"

#include <limits.h>
#include <stdint.h>

namespace {

int Truncate(double v)
{
    if (!(v > 0))
        return 0;
    return v >= (double)INT_MAX ? INT_MAX : (int)v;
}

} // namespace

int AudioSampleAtFrame(const MovieSource *m, int n)
{
    uint64_t c = (uint64_t)m->nAudioRate * m->nScale;
    uint64_t d = (uint64_t)m->nAudioScale * m->nRate;
    if (d == 0 || n <= 0)
        return 0;
    // Exact while the product fits 64 bits, as the 32-bit one was while it fit.
    double top = c <= UINT64_MAX / (uint64_t)n ? (double)(c * (uint64_t)n) : (double)c * (double)n;
    return Truncate(top / (double)d);
}

int AudioSamplesInFrame(const MovieSource *m, int n)
{
    uint64_t d = (uint64_t)m->nAudioScale * m->nRate;
    if (d == 0 || n < 0)
        return 0;
    double c = (double)((uint64_t)m->nAudioRate * m->nScale), b = 1.0 / (double)d;
    return Truncate((double)(n + 1LL) * c * b) - Truncate((double)n * c * b);
}
