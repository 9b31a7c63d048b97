// What the cutter decides for each unit of the video elementary stream (a
// sequence header with its extensions, a GOP header, a picture with all
// its slices), the same for elementary and program streams; and the header
// fields it reads and rewrites inside a unit's bytes.
#ifndef TWR_MPEG_CUT_DECIDER_H
#define TWR_MPEG_CUT_DECIDER_H

#include "shared/wintypes.h"

#include <vector>

enum CutUnitKind { kCutSequence, kCutGop, kCutPicture, kCutOther };

// A unit's first bytes (its start code included), enough for every field
// the cutter reads.
enum { kCutHeadBytes = 256 };

struct CutUnit {
    int kind;
    // pictures
    int temporalReference;
    int codingType;
    int fields;       // 1 a field picture, 2 a frame, 3 a frame repeating its first field
    int fieldPicture;
    // GOP headers
    int closedGop, brokenLink;
    // sequence headers
    int framesPerSecond;  // whole frames per second for time codes, 0 without a rate
};

// The kind of a unit from its start code's last byte; units begin at a
// sequence header, a GOP header, a picture or a sequence end code.
bool IsCutUnitBoundary(int code);
// Fields of a unit from its first bytes (head, n of them).
CutUnit ParseCutUnit(const BYTE *head, int n);

// Rewrites inside a unit's first n bytes (nothing when the field lies
// beyond them).
void SetUnitTemporalReference(BYTE *head, int n, int tref);
// GOP header: the time code of frame f at fps frames per second (hours
// modulo 24, drop_frame_flag 0), closed_gop kept, broken_link cleared.
void SetUnitGopTimecode(BYTE *head, int n, long long f, int fps);

enum CutAction {
    kCutSkip,     // not part of the output (before the start)
    kCutHold,     // the latest sequence or GOP header: written if the cut starts at a later I picture
    kCutStart,    // the I picture the output starts with: write the held units, then it
    kCutWrite,    // written (with its fields rewritten)
    kCutZero,     // written as zero bytes of the same length (a B picture before its GOP's base)
    kCutStop,     // the copy ends here: this unit is not written
};

class CutDecider {
public:
    CutDecider(long long first, long long end) : first_(first), end_(end) {}
    // The decision for the next unit in stream order; for kCutStart, kCutWrite
    // the new temporal reference (pictures) or time code frame (GOP headers)
    // are newTemporalReference and newTimecodeFrame.
    CutAction Next(const CutUnit &u);
    int newTemporalReference = 0;
    long long newTimecodeFrame = 0;
    int framesPerSecond = 0;
    bool started = false;
    // Input fields passed, for the progress: fields x 50 / end frame per cent.
    long long fieldsPassed = 0;

private:
    long long first_, end_;
    bool seqSeen_ = false, firstGop_ = true, gopSeen_ = false;
    int closedGop_ = 0, brokenLink_ = 0;
    bool iSinceGop_ = false;  // the GOP's first I picture has been met
    bool skipB_ = false;      // B pictures not counted up to the next P
    long long gopBase_ = 0;   // frames before the GOP
    int base_ = 0;            // the GOP's base temporal reference
    int outBase_ = 0;         // the same in the output
    long long fieldsWritten_ = 0;
    // the second field of a field picture shares its first field's decision
    bool pendingField_ = false;
    CutAction fieldAction_ = kCutSkip;
};

#endif
