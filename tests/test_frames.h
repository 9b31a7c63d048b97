// Small frames for the kernel tests: made from a pixel function, read back
// by picture coordinates.
#ifndef TWR_TESTS_TEST_FRAMES_H
#define TWR_TESTS_TEST_FRAMES_H

#include "shared/packed_dib.h"

#include <functional>
#include <memory>
#include <ostream>

struct Bgr {
    int b, g, r;
    bool operator==(const Bgr &o) const { return b == o.b && g == o.g && r == o.r; }
    bool operator!=(const Bgr &o) const { return !(*this == o); }
};

inline std::ostream &operator<<(std::ostream &os, const Bgr &p)
{
    return os << "(b " << p.b << ", g " << p.g << ", r " << p.r << ")";
}

struct DibDeleter {
    void operator()(PackedDib *d) const { FreeDib(d); }
};
using DibPtr = std::unique_ptr<PackedDib, DibDeleter>;

// A frame whose pixel (x, row) - row counted from the first row in memory -
// is fn(x, row). 24 or 32 bits.
inline DibPtr MakeFrame(int w, int h, std::function<Bgr(int x, int row)> fn, int bits = 24)
{
    DibPtr d(CreateDib(w, h, bits, 1));
    int pb = bits / 8;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            BYTE *p = DibRow(d.get(), y) + x * pb;
            Bgr c = fn(x, y);
            p[0] = (BYTE)c.b, p[1] = (BYTE)c.g, p[2] = (BYTE)c.r;
        }
    return d;
}

inline DibPtr MakeSolid(int w, int h, Bgr c, int bits = 24)
{
    return MakeFrame(w, h, [c](int, int) { return c; }, bits);
}

// Encodes a position in a pixel so that a test can tell where an output
// pixel was read from: blue x, green row, red the eye tag.
inline Bgr PositionPixel(int x, int row, int tag) { return {x & 255, row & 255, tag}; }

// Row k of an 8-bit frame.
inline BYTE *DibRow8(const PackedDib *d, int k)
{
    return FindDibBits(d) + (size_t)k * DibRowBytes(DibWidth(d), 8);
}

inline Bgr PixelAt(const PackedDib *d, int x, int row)
{
    int pb = DibBitCount(d) / 8;
    const BYTE *p = DibRow(d, row) + x * pb;
    return {p[0], p[1], p[2]};
}

inline void SetPixel(PackedDib *d, int x, int row, Bgr c)
{
    int pb = DibBitCount(d) / 8;
    BYTE *p = DibRow(d, row) + x * pb;
    p[0] = (BYTE)c.b, p[1] = (BYTE)c.g, p[2] = (BYTE)c.r;
}

#endif
