#include "pipeline/play_clock.h"

volatile int32_t g_nTimerTicks = 0;
unsigned g_uTimerPeriod = 0;
unsigned g_uTimerId = 0;
int g_nPlayDrops = 0;

unsigned PlayTimerPeriod(unsigned minPeriod, unsigned maxPeriod, int msPerFrame)
{
    unsigned period = minPeriod < 1 ? 1 : minPeriod;
    if (period > maxPeriod)
        period = maxPeriod;
    int half = msPerFrame / 2;
    if (half > 0 && (unsigned)half >= period)
        period = (unsigned)half;
    return period;
}

int DueFrame(unsigned rate, unsigned scale, uint32_t ticks, unsigned period)
{
    if (scale == 0)
        return 0;
    double due = (double)rate * (double)ticks * (double)period / ((double)scale * 1000.0);
    if (due >= 2147483647.0)
        return 2147483647;
    return (int)due;
}

unsigned PacingSleep(int k, unsigned rate, unsigned scale, uint32_t ticks, unsigned period)
{
    if (rate == 0)
        return 0;
    double target = (double)(k + 1) * (double)scale * 1000.0 / (double)rate;
    double elapsed = (double)ticks * (double)period;
    if (target >= 4294967295.0)
        target = 4294967295.0;
    double whole = (double)(uint32_t)target;
    if (elapsed >= whole)
        return 0;
    return (unsigned)(target - elapsed);
}

bool SkipNextFrame(int due, int k, int frameCount)
{
    return due - k > 2 && k < frameCount - 3;
}

int PlayDelay(int due, int k, int lastStep)
{
    if (due > lastStep)
        due = lastStep;
    return k + 2 < due ? due - k - 3 : 0;
}

int FirstPlayFrame(int frame, int frameCount)
{
    return frame > frameCount - 3 ? 0 : frame;
}

bool SoundFromRightRecord(int soundlr, int swapped)
{
    if (soundlr == 0)
        return swapped == 1;
    return !(soundlr == 1 && swapped == 1);
}
