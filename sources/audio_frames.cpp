#include "sources/audio_frames.h"

int AudioSampleAtFrame(const MovieSource *m, int n)
{
    uint32_t top = (uint32_t)m->nAudioRate * (uint32_t)m->nScale;
    uint32_t bottom = (uint32_t)m->nAudioScale * (uint32_t)m->nRate;
    if (bottom == 0)
        return 0;
    return (int)((double)top * n / bottom);
}

int AudioSamplesInFrame(const MovieSource *m, int n)
{
    double c = (double)m->nAudioRate * m->nScale;
    double bottom = (double)m->nAudioScale * m->nRate;
    if (bottom == 0)
        return 0;
    double b = 1 / bottom;
    return (int)((n + 1) * c * b) - (int)(n * c * b);
}
