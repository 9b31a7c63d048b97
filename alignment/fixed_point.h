// Conversions shared by the mesh builders, the visible region and the fit.
// Warps take their positions from doubles that a degenerate angle, lens or
// control point can make infinite or NaN; converting those to integers must
// not be undefined, so every such conversion saturates.
#ifndef TWR_ALIGNMENT_FIXED_POINT_H
#define TWR_ALIGNMENT_FIXED_POINT_H

#include <stdint.h>

// Truncation toward zero, limited to the 32-bit range; NaN gives nanValue.
inline int32_t TruncSat32(double v, int32_t nanValue = 0)
{
    if (v != v)
        return nanValue;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)v;
}

// The same limited to +-2^62, for intermediate fixed-point values.
inline int64_t TruncSat64(double v, int64_t nanValue = 0)
{
    const double limit = 4611686018427387904.0;
    if (v != v)
        return nanValue;
    if (v >= limit)
        return (int64_t)1 << 62;
    if (v <= -limit)
        return -((int64_t)1 << 62);
    return (int64_t)v;
}

inline int32_t ClampToInt32(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
}

// pi / 1800: tenths of a degree to radians.
const double kTenthDegreeToRadian = 0.0017453292519943279;

#endif
