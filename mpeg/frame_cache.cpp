// The decoded-frame cache of a video stream: a list ordered by frame
// number, short enough that a linear walk costs nothing beside a decode.
#include "mpeg/video_stream.h"

#include <stdlib.h>

bool AddCachedFrame(FrameCache *c, FrameBuffer *fb, const FrameRecord &rec, const OutputInfo &info)
{
    FrameCacheEntry *e = (FrameCacheEntry *)malloc(sizeof(FrameCacheEntry));
    if (!e)
        return false;
    e->rec = rec;
    e->fb = fb;
    e->info = info;
    fb->refCount++;
    // From the highest entry down to the first one numbered below the new
    // frame; the new entry goes above it (after any of equal number).
    FrameCacheEntry *below = c->highest;
    while (below && below->rec.frame >= rec.frame)
        below = below->lower;
    e->lower = below;
    e->higher = below ? below->higher : c->lowest;
    if (e->lower)
        e->lower->higher = e;
    else
        c->lowest = e;
    if (e->higher)
        e->higher->lower = e;
    else
        c->highest = e;
    c->count++;
    if (rec.picture_coding_type == kPictureI)
        c->iCount++;
    if (c->count > kFrameCacheMostWithTwoI && c->iCount > 1)
        DropOldestCachedFrame(c);
    if (c->count > kFrameCacheMost)
        DropOldestCachedFrame(c);
    return true;
}

FrameCacheEntry *FindCachedFrame(FrameCache *c, long long frame)
{
    if (!c->highest || frame > c->highest->rec.frame || frame < c->lowest->rec.frame)
        return nullptr;
    for (FrameCacheEntry *e = c->highest; e; e = e->lower)
        if (e->rec.frame == frame)
            return e;
    return nullptr;
}

void DropOldestCachedFrame(FrameCache *c)
{
    FrameCacheEntry *e = c->lowest;
    if (!e)
        return;
    c->lowest = e->higher;
    if (c->lowest)
        c->lowest->lower = nullptr;
    else
        c->highest = nullptr;
    c->count--;
    if (e->rec.picture_coding_type == kPictureI)
        c->iCount--;
    ReleaseFrameBuffer(e->fb);
    free(e);
}

void FlushFrameCache(FrameCache *c)
{
    while (c->lowest)
        DropOldestCachedFrame(c);
}
