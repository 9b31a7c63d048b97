#include "alignment/perspective_model.h"

#include <math.h>

int64_t MulSat64(int64_t a, int64_t b)
{
    int64_t r;
    if (!__builtin_mul_overflow(a, b, &r))
        return r;
    return ((a < 0) != (b < 0)) ? INT64_MIN / 2 : INT64_MAX / 2;
}

static int64_t SubSat64(int64_t a, int64_t b)
{
    int64_t r;
    if (!__builtin_sub_overflow(a, b, &r))
        return r;
    return b < 0 ? INT64_MAX / 2 : INT64_MIN / 2;
}

static int64_t AddSat64(int64_t a, int64_t b)
{
    int64_t r;
    if (!__builtin_add_overflow(a, b, &r))
        return r;
    return a < 0 ? INT64_MIN / 2 : INT64_MAX / 2;
}

bool ComputePerspectiveRamp(int along, int across, int64_t ti, double angle, PerspectiveRamp *p)
{
    if (along <= 0 || ti <= 0)
        return false;
    p->ci = (int64_t)(1024.0 * cos(angle));
    p->si = (int64_t)(1024.0 * sin(angle));
    const int64_t a = along, c = across;
    p->d = a * 1048576 / ti;
    p->za = MulSat64(p->d - a * p->si, ti) / 1024;
    p->zb = MulSat64(p->d + a * p->si, ti) / 1024;
    if (p->za == 0 || p->zb == 0)
        return false;
    const int64_t edge = 1024 * a * a * p->ci;
    p->xa = edge / p->za;
    p->xb = edge / p->zb;
    const int64_t across2 = c * a * 1048576;
    p->ya = across2 / p->za;
    p->yb = across2 / p->zb;
    const int64_t span = AddSat64(p->xa, p->xb);
    if (span == 0)
        return false;
    p->k = MulSat64(SubSat64(p->ya, p->yb), 1024) / span;
    p->b = SubSat64(p->ya, MulSat64(SubSat64(p->xa, 1024 * a), p->k) / 1024);
    return true;
}
