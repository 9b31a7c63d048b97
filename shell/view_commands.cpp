#include "shell/view_commands.h"

#include "resources/resource_ids.h"

bool ChooseDisplay(int id, DisplayChoice *c)
{
    *c = {-1, 0, -1, -1};
    switch (id) {
    case IDM_MODE_SIDE_BY_SIDE: c->mode = 0; return true;
    case IDM_SBS_MIRROR_RIGHT: c->mode = 0; c->mirror = 1; return true;
    case IDM_SBS_MIRROR_LEFT: c->mode = 0; c->mirror = 2; return true;
    case IDM_SBS_MIRROR_BOTH: c->mode = 0; c->mirror = 3; return true;
    case IDM_MODE_OVER_UNDER: c->mode = 1; return true;
    case IDM_OU_MIRROR_BOTTOM: c->mode = 1; c->mirror = 1; return true;
    case IDM_OU_MIRROR_TOP: c->mode = 1; c->mirror = 2; return true;
    case IDM_OU_MIRROR_BOTH: c->mode = 1; c->mirror = 3; return true;
    case IDM_MODE_ANAGLYPH: c->mode = 2; return true;
    case IDM_MODE_COLOUR_ANAGLYPH: c->mode = 3; return true;
    case IDM_MODE_INTERLACE: c->mode = 4; return true;
    case IDM_MODE_BLEND: c->mode = 5; return true;
    case IDM_MODE_CHROMA_KEY: c->mode = 6; return true;
    case IDM_MODE_IZ3D: c->mode = 7; return true;
    }
    if (id >= IDM_ANAGLYPH_RED_CYAN && id <= IDM_ANAGLYPH_YELLOW_BLUE) {
        c->mode = 2;
        c->anatype = id - IDM_ANAGLYPH_RED_CYAN;
        return true;
    }
    if (id >= IDM_COLOUR_RED_CYAN && id <= IDM_COLOUR_BLUE_FROM_LUMA) {
        c->mode = 3;
        c->anactype = id - IDM_COLOUR_RED_CYAN;
        return true;
    }
    return false;
}

int ZoomInStep(int zoom)
{
    if (zoom < 0)
        zoom = 0;
    if (zoom > kMaxZoom)
        zoom = kMaxZoom;
    int next = zoom * 110 / 100;
    if (next < 10)
        next++;
    return next > kMaxZoom ? kMaxZoom : next;
}

int ZoomOutStep(int zoom)
{
    if (zoom > kMaxZoom)
        zoom = kMaxZoom;
    int next = zoom * 100 / 110;
    return next < 1 ? 1 : next;
}

int WheelZoomCommand(unsigned highWord)
{
    highWord &= 0xFFFF;
    if (highWord < 1000)
        return IDM_ZOOM_IN;
    if (highWord > 1000)
        return IDM_ZOOM_OUT;
    return 0;
}

namespace {

int Shortest(const MovieSource *left, const MovieSource *right)
{
    int l = left->nFrames - left->nStart, r = right->nFrames - right->nStart;
    return l < r ? l : r;
}

}  // namespace

void StepSynchronisation(int id, MovieSource *left, MovieSource *right, int *endOffset)
{
    MovieSource *m = nullptr;
    int delta = 0;
    switch (id) {
    case IDM_LEFT_START_BACK: m = left; delta = -1; break;
    case IDM_LEFT_START_FORWARD: m = left; delta = 1; break;
    case IDM_RIGHT_START_BACK: m = right; delta = -1; break;
    case IDM_RIGHT_START_FORWARD: m = right; delta = 1; break;
    case IDM_END_EARLIER:
        if (Shortest(left, right) - (*endOffset + 1) >= 1)
            ++*endOffset;
        return;
    case IDM_END_LATER:
        if (*endOffset > 0)
            --*endOffset;
        return;
    default:
        return;
    }
    int start = m->nStart + delta;
    if (start < 0)
        return;
    if (delta > 0 && m->nFrames - start - *endOffset < 1)
        return;
    m->nStart = start;
}

void StartsToFirst(int *leftStart, int *rightStart)
{
    int smaller = *leftStart < *rightStart ? *leftStart : *rightStart;
    *leftStart -= smaller;
    *rightStart -= smaller;
}

int ArmedTrimState(int id)
{
    switch (id) {
    case IDM_TRIM: return 10;
    case IDM_TRIM_4_3: return 11;
    case IDM_TRIM_16_9: return 12;
    case IDM_TRIM_3_2: return 13;
    case IDM_TRIM_480_240: return 14;
    case IDM_TRIM_400_240: return 15;
    }
    return 0;
}

int PositionBarScale(int lastFrame)
{
    if (lastFrame <= 64000)
        return 1;
    // Tens of frames per unit, as many as keep the range below 64,000.
    return 10 * ((lastFrame - 1) / 640000 + 1);
}

namespace {

enum { kLineLeft = 0, kLineRight, kPageLeft, kPageRight, kThumbPosition, kThumbTrack, kLeft, kRight };

int Within(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

}  // namespace

int PositionAfterScroll(int code, int position, int start, int end, int scale, int thumb)
{
    switch (code) {
    case kLineLeft: return position - 1 < start ? start : position - 1;
    case kLineRight: return position + 1 > end ? end : position + 1;
    case kPageLeft: {
        int p = position - (end - start) / 10 - 1;
        return p < start ? start : p;
    }
    case kPageRight: {
        int p = position + (end - start) / 10 + 1;
        return p > end ? end : p;
    }
    case kThumbPosition:
    case kThumbTrack: return Within((thumb & 0xFFFF) * scale, start, end);
    case kLeft: return start;
    case kRight: return end;
    }
    return position;
}

int QualityAfterScroll(int code, int quality, int thumb)
{
    switch (code) {
    case kLineLeft: quality -= 1; break;
    case kLineRight: quality += 1; break;
    case kPageLeft: quality -= 10; break;
    case kPageRight: quality += 10; break;
    case kThumbPosition:
    case kThumbTrack: quality = thumb; break;
    case kLeft: quality = 1; break;
    case kRight: quality = 99; break;
    }
    return Within(quality, 1, 99);
}

int SaveWidthFromEntry(int entered, int shownWidth)
{
    int w = entered < 0 ? shownWidth : entered;
    if (w > 0x7FFFFFF0)
        w = 0x7FFFFFF0;
    return (w + 3) / 4 * 4;
}
