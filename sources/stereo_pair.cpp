#include "sources/stereo_pair.h"

#include "shared/frame_conversions.h"
#include "sources/frame_fetch.h"
#include "sources/stereo_layouts.h"
#include "state/app_state.h"

#include <stdlib.h>

namespace {

bool IsPlain24(const PackedDib *d)
{
    return d && d->biSize >= sizeof(BITMAPINFOHEADER) && d->biBitCount == 24 && d->biCompression == BI_RGB &&
           d->biHeight > 0;
}

// The record's decoded frame as a bottom-up 24-bit image in pCurrent. A
// frame to be changed in place (deinterlaced) is copied first: the decoded
// frame is the decoder's own picture, which delta frames build on and a
// fetch of the same frame hands out again.
bool Make24(MovieSource *m, bool toChange = false)
{
    if (IsPlain24(m->pDecoded) && !toChange) {
        m->pCurrent = m->pDecoded;
        return true;
    }
    if (!ConvertFrameTo24(m->pFrame24, m->pDecoded))
        return false;
    m->pCurrent = m->pFrame24;
    return true;
}

// Fetch, 24-bit image, deinterlace.
bool FetchPrepared(MovieSource *m, int index)
{
    if (FetchMovieFrame(m, index) != 0 || !m->pDecoded || !Make24(m, m->bDeinterlace == 1))
        return false;
    if (m->bDeinterlace == 1)
        DeinterlaceFields(m->pCurrent, 24);
    return true;
}

}  // namespace

int FetchMovieFrame24(MovieSource *m, int index)
{
    return FetchPrepared(m, index) ? 0 : 1;
}

namespace {

void SetSizeFrom(MovieSource *m, const PackedDib *d)
{
    m->nWidth = DibWidth(d);
    m->nHeight = DibHeight(d);
}

// The discard-field mode: one field of the decoded frame, of half the
// height, in pFrame24. Frames other than plain 24 or 32 bits are made
// 24-bit first.
bool TakeField(MovieSource *m, int parity)
{
    const PackedDib *d = m->pDecoded;
    if (!d || !m->pFrame24)
        return false;
    PackedDib *full = nullptr;
    bool direct = d->biCompression == BI_RGB && (d->biBitCount == 24 || d->biBitCount == 32);
    if (!direct) {
        full = CreateDib(abs(d->biWidth), abs(d->biHeight), 24, 0);
        if (!full || !ConvertFrameTo24(full, d)) {
            FreeDib(full);
            return false;
        }
        d = full;
    }
    bool ok = ExtractField(m->pFrame24, d, parity) != 0;
    FreeDib(full);
    if (!ok)
        return false;
    m->pCurrent = m->pFrame24;
    SetSizeFrom(m, m->pCurrent);
    return true;
}

// A turn or mirror of the eye image into the record's own turned frame;
// the unturned image stays when memory is short.
void Turn(MovieSource *m, int code)
{
    if (code <= 0 || !m->pCurrent)
        return;
    PackedDib *turned = RotateDib(m->pCurrent, code);
    if (!turned)
        return;
    FreeDib(m->pTurned);
    m->pTurned = turned;
    m->pCurrent = turned;
    SetSizeFrom(m, turned);
}

// The input type's pre-conversion of a prepared frame: a new frame (freed
// by the caller), the frame itself when the type has none, null on
// failure.
PackedDib *PreConvert(PackedDib *frame, int sType)
{
    const StereoTypeInfo *info = StereoTypeTable(sType);
    switch (info ? info->preConversion : 0) {
    case 1: return DoubleDibWidth(frame);
    case 2: return DoubleDibHeight(frame, 0);
    case 3: return DoubleDibHeight(frame, 1);
    case 4: return RotateStereoFrame(frame, info->turnKind);
    default: return frame;
    }
}

void CutView(MovieSource *m, const PackedDib *frame)
{
    int w = DibWidth(frame), h = DibHeight(frame), code = m->nLayout;
    switch (code / 10) {
    case 1: SplitSideBySideView(m->pView, code, frame, w, h, 24); break;
    case 2: SplitOverUnderView(m->pView, code, frame, w, h, 24); break;
    case 3: SplitInterlacedView(m->pView, code, frame, w, h, 24); break;
    case 4: AnaglyphViewToGrey(m->pView, code, frame, w, h, 24); break;
    case 5: ColourAnaglyphView(m->pView, code, frame, w, h, 24); break;
    default: break;
    }
}

void CutBoth(MovieSource *left, MovieSource *right, const PackedDib *frame)
{
    int w = DibWidth(frame), h = DibHeight(frame), code = left->nLayout;
    PackedDib *first = code & 1 ? right->pView : left->pView;
    PackedDib *second = code & 1 ? left->pView : right->pView;
    switch (code / 10) {
    case 1: SplitSideBySideFrame(first, second, frame, w, h, 24); break;
    case 2: SplitOverUnderFrame(first, second, frame, w, h, 24); break;
    case 3: SplitInterlacedFrame(first, second, frame, w, h, 24); break;
    case 4: SplitAnaglyphFrame(first, second, frame, w, h, 24); break;
    case 5: SplitColourAnaglyphFrame(first, second, frame, w, h, 24); break;
    default: break;
    }
}

// Fetches and prepares one record of a single stereo file; *prepared is
// the frame to cut (to be freed when it is not pCurrent).
bool FetchStereoFrame(MovieSource *m, int index, PackedDib **prepared)
{
    if (!FetchPrepared(m, index))
        return false;
    *prepared = PreConvert(m->pCurrent, g_nSType);
    return *prepared != nullptr;
}

void Release(MovieSource *m, PackedDib *prepared)
{
    if (prepared && prepared != m->pCurrent)
        FreeDib(prepared);
}

void ShowView(MovieSource *m)
{
    m->pCurrent = m->pView;
    if (m->pView)
        SetSizeFrom(m, m->pView);
}

}  // namespace

int GetStereoFramePair(MovieSource *left, int leftIndex, MovieSource *right, int rightIndex)
{
    if (left->nLayout == kLayoutNone) {
        if (FetchMovieFrame(left, leftIndex) != 0 || FetchMovieFrame(right, rightIndex) != 0)
            return 1;
        if (g_bDeinterlaceOpt * g_nFieldMode == 1)
            return TakeField(left, 0) && TakeField(right, g_nRightField) ? 0 : 1;
        MovieSource *records[2] = {left, right};
        for (MovieSource *m : records) {
            if (!m->pDecoded || !Make24(m, m->bDeinterlace == 1))
                return 1;
            if (m->bDeinterlace == 1)
                DeinterlaceFields(m->pCurrent, 24);
            SetSizeFrom(m, m->pCurrent);
        }
        Turn(left, g_nTurnL);
        Turn(right, g_nTurnR);
        return 0;
    }

    // One file in both records. An outside plug-in answers by time, so its
    // two reads are made even at equal indices.
    bool outsidePlugin = left->nKind == kSourcePlugin && left->nPluginMode != 0;
    if (leftIndex == rightIndex && !outsidePlugin) {
        PackedDib *frame = nullptr;
        if (!FetchStereoFrame(left, leftIndex, &frame))
            return 1;
        CutBoth(left, right, frame);
        Release(left, frame);
    } else {
        PackedDib *frame = nullptr;
        if (!FetchStereoFrame(left, leftIndex, &frame))
            return 1;
        CutView(left, frame);
        Release(left, frame);
        if (!FetchStereoFrame(right, rightIndex, &frame))
            return 1;
        CutView(right, frame);
        Release(right, frame);
    }
    ShowView(left);
    ShowView(right);
    return 0;
}

bool SetupStereoFileRecords(MovieSource *left, MovieSource *right, int sType)
{
    const StereoTypeInfo *info = StereoTypeTable(sType);
    if (!info)
        return false;
    left->nLayout = info->leftCode;
    right->nLayout = info->rightCode;
    MovieSource *records[2] = {left, right};
    for (MovieSource *m : records) {
        int vw, vh;
        StereoViewSize(sType, m->nWidth, m->nHeight, &vw, &vh);
        m->nWidth = vw;
        m->nHeight = vh;
        if (m->pView) {
            m->pView->biWidth = vw;
            m->pView->biHeight = vh;
            m->pView->biSizeImage = (DWORD)DibRowBytes(vw, 24) * (DWORD)vh;
        }
    }
    return true;
}
