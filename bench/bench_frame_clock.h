// The clocks of the playback benchmarks (Windows only): wall time in
// milliseconds from the performance counter, the calling thread's CPU
// time, and percentiles of the per-frame figures.
#ifndef TWR_BENCH_FRAME_CLOCK_H
#define TWR_BENCH_FRAME_CLOCK_H

#include <windows.h>

#include <algorithm>
#include <vector>

inline double Now()
{
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)f.QuadPart;
}

inline double ThreadCpuMs()
{
    FILETIME c, e, k, u;
    GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
    auto ms = [](FILETIME f) { return ((unsigned long long)f.dwHighDateTime << 32 | f.dwLowDateTime) * 1e-4; };
    return ms(k) + ms(u);
}

inline double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[(size_t)(p * (double)(v.size() - 1))];
}

#endif
