// CPU time of this process in seconds (user + system).
#ifndef TWR_BENCH_CPU_TIME_H
#define TWR_BENCH_CPU_TIME_H

#ifdef _WIN32
#include <windows.h>
inline double CpuSeconds()
{
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto s = [](FILETIME f) { return ((unsigned long long)f.dwHighDateTime << 32 | f.dwLowDateTime) * 1e-7; };
    return s(k) + s(u);
}
#else
#include <time.h>
inline double CpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}
#endif

#endif
