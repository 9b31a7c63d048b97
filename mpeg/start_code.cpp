#include "mpeg/start_code.h"

const BYTE *FindStartCodeForward(const BYTE *from, const BYTE *end)
{
    const BYTE *p = from;
    // While p[3] can be read: a byte above 1 at p + 3 rules out prefixes at
    // p + 1 .. p + 3, a 0 there rules out p + 1.
    while (end - p >= 4) {
        if (p[2] <= 1 && p[0] == 0 && p[1] == 0 && p[2] == 1)
            return p;
        BYTE b = p[3];
        p += b > 1 ? 4 : b == 0 ? 2 : 1;
    }
    for (; end - p >= 3; p++)
        if (p[0] == 0 && p[1] == 0 && p[2] == 1)
            return p;
    return nullptr;
}

const BYTE *FindStartCodeBackward(const BYTE *last, const BYTE *start)
{
    const BYTE *q = last;  // candidate position of the 01 byte
    while (q - start >= 2) {
        if (*q != 1) {
            q--;
            continue;
        }
        if (q[-1] == 0 && q[-2] == 0)
            return q - 2;
        // The next candidate, q - 1, needs q[-1] to be 1.
        q -= q[-1] == 1 ? 1 : 2;
    }
    return nullptr;
}
