#include "pipeline/pair_position.h"

bool RepairNegativeOffset(MovieSource *left, MovieSource *right, int *endOffset)
{
    if (left->nStart < 0) {
        left->nStart = 0;
        return true;
    }
    if (right->nStart < 0) {
        right->nStart = 0;
        return true;
    }
    if (*endOffset < 0) {
        *endOffset = 0;
        return true;
    }
    return false;
}

int PairFrameCount(const MovieSource *left, const MovieSource *right, int endOffset)
{
    int l = left->nFrames - left->nStart, r = right->nFrames - right->nStart;
    return (l < r ? l : r) - endOffset;
}

int ClampPositionWrap(int position, int last, int repeat)
{
    if (position > last) {
        position = repeat ? 0 : last;
        if (position < 0)
            position = 0;
    } else if (position < 0) {
        position = repeat ? last : 0;
        if (position < 0)
            position = 0;
    }
    return position;
}

int ClampPositionNoWrap(int position, int last)
{
    if (position > last)
        position = last;
    if (position < 0)
        position = 0;
    return position;
}
