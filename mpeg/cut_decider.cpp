#include "mpeg/cut_decider.h"

#include <string.h>

bool IsCutUnitBoundary(int code)
{
    return code == 0x00 || code == 0xB3 || code == 0xB8 || code == 0xB7;
}

namespace {

// The extension of the given id after a unit's header, or null.
const BYTE *FindExtension(const BYTE *head, int n, int id)
{
    for (int i = 4; i + 5 <= n; i++)
        if (head[i] == 0 && head[i + 1] == 0 && head[i + 2] == 1 && head[i + 3] == 0xB5 && (head[i + 4] >> 4) == id)
            return head + i + 4;
    return nullptr;
}

int FramesPerSecond(const BYTE *head, int n)
{
    static const int rates[9] = {0, 24000, 24, 25, 30000, 30, 50, 60000, 60};
    static const int scales[9] = {1, 1001, 1, 1, 1001, 1, 1, 1001, 1};
    if (n < 8)
        return 0;
    int code = head[7] & 15;
    if (code < 1 || code > 8)
        return 0;
    long long rate = rates[code], scale = scales[code];
    const BYTE *ext = FindExtension(head, n, 1);
    if (ext && ext + 6 <= head + n) {
        rate *= ((ext[5] >> 5) & 3) + 1;
        scale *= (ext[5] & 31) + 1;
    }
    return (int)((rate + scale - 1) / scale);
}

} // namespace

CutUnit ParseCutUnit(const BYTE *head, int n)
{
    CutUnit u;
    memset(&u, 0, sizeof u);
    u.kind = kCutOther;
    if (n < 4)
        return u;
    int code = head[3];
    if (code == 0xB3) {
        u.kind = kCutSequence;
        u.framesPerSecond = FramesPerSecond(head, n);
    } else if (code == 0xB8) {
        u.kind = kCutGop;
        if (n >= 8) {
            u.closedGop = (head[7] >> 6) & 1;
            u.brokenLink = (head[7] >> 5) & 1;
        }
    } else if (code == 0x00 && n >= 6) {
        u.kind = kCutPicture;
        u.temporalReference = head[4] << 2 | head[5] >> 6;
        u.codingType = (head[5] >> 3) & 7;
        u.fields = 2;
        const BYTE *ext = FindExtension(head, n, 8);
        if (ext && ext + 4 <= head + n) {
            int structure = ext[2] & 3;
            int repeat = (ext[3] >> 1) & 1;
            u.fieldPicture = structure != 3;
            u.fields = u.fieldPicture ? 1 : repeat ? 3 : 2;
        }
    }
    return u;
}

void SetUnitTemporalReference(BYTE *head, int size, int tref)
{
    if (size < 6)
        return;
    tref &= 1023;
    head[4] = (BYTE)(tref >> 2);
    head[5] = (BYTE)((head[5] & 0x3F) | (tref & 3) << 6);
}

void SetUnitGopTimecode(BYTE *head, int size, long long n, int fps)
{
    if (size < 8)
        return;
    unsigned hours = 0, minutes = 0, seconds = 0, pictures = 0;
    if (fps > 0 && n > 0) {
        long long s = n / fps;
        pictures = (unsigned)(n % fps);
        seconds = (unsigned)(s % 60);
        minutes = (unsigned)(s / 60 % 60);
        hours = (unsigned)(s / 3600 % 24);
    }
    unsigned closed = (head[7] >> 6) & 1;
    unsigned v = hours << 26 | minutes << 20 | 1u << 19 | seconds << 13 | pictures << 7 | closed << 6;
    head[4] = (BYTE)(v >> 24);
    head[5] = (BYTE)(v >> 16);
    head[6] = (BYTE)(v >> 8);
    head[7] = (BYTE)v;
}

CutAction CutDecider::Next(const CutUnit &u)
{
    switch (u.kind) {
    case kCutSequence:
        pendingField_ = false;
        framesPerSecond = u.framesPerSecond;
        if (started)
            return fieldsPassed / 2 >= end_ ? kCutStop : kCutWrite;
        seqSeen_ = true;
        return kCutHold;
    case kCutGop: {
        pendingField_ = false;
        bool wasFirst = !gopSeen_;
        gopSeen_ = true;
        if (!wasFirst)
            firstGop_ = false;
        closedGop_ = u.closedGop;
        brokenLink_ = u.brokenLink;
        iSinceGop_ = false;
        gopBase_ = fieldsPassed / 2;
        base_ = 0;
        if (started) {
            if (fieldsPassed / 2 >= end_)
                return kCutStop;
            newTimecodeFrame = fieldsWritten_ / 2;
            outBase_ = 0;
            return kCutWrite;
        }
        return kCutHold;
    }
    case kCutPicture:
        break;
    default:
        return kCutSkip;
    }
    // The second field of a frame follows its first field's decision.
    if (u.fieldPicture && pendingField_) {
        pendingField_ = false;
        bool counted = !(u.codingType == 3 && skipB_);
        if (counted)
            fieldsPassed += u.fields;
        if (fieldAction_ == kCutStart || fieldAction_ == kCutWrite) {
            fieldsWritten_ += u.fields;
            return kCutWrite;
        }
        return fieldAction_;
    }
    int type = u.codingType;
    if (type == 1) {
        // The first I picture of an open first GOP, or after a broken link:
        // the B pictures before it in display order cannot be decoded.
        if (!iSinceGop_ && ((firstGop_ && !closedGop_) || brokenLink_)) {
            skipB_ = true;
            base_ = u.temporalReference;
        }
        iSinceGop_ = true;
    } else if (type == 2) {
        skipB_ = false;
    }
    long long display = gopBase_ + (u.temporalReference - base_);
    bool counted = !(type == 3 && skipB_);
    CutAction action;
    if (!started) {
        if (type == 1 && seqSeen_ && (first_ == 0 || display >= first_)) {
            started = true;
            outBase_ = u.temporalReference;
            newTemporalReference = 0;
            action = kCutStart;
        } else {
            action = kCutSkip;
        }
    } else if ((type == 1 || type == 2) && display >= end_) {
        action = kCutStop;
    } else if (type == 3 && u.temporalReference < outBase_) {
        action = kCutZero;
    } else {
        if (type == 1 && brokenLink_ && base_ == u.temporalReference)
            outBase_ = base_;
        newTemporalReference = u.temporalReference - outBase_;
        if (newTemporalReference < 0)
            newTemporalReference = 0;
        action = kCutWrite;
    }
    if (counted)
        fieldsPassed += u.fields;
    if (action == kCutStart || action == kCutWrite)
        fieldsWritten_ += u.fields;
    if (u.fieldPicture) {
        pendingField_ = true;
        fieldAction_ = action;
    }
    return action;
}
