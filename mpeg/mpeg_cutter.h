// The MPEG cutter behind the built-in plug-in's cut extension: copies a
// range of frames of a video elementary stream or a program stream into a
// new file without re-encoding, from the I picture at which the range can
// start up to the first reference picture at or after its end. Sequence,
// GOP and picture data are copied byte for byte; only header fields are
// rewritten (GOP time codes and broken_link, temporal references, the
// padding around the cut in a program stream). Transport streams are not
// cut.
//
// Frame numbers here are the cutter's own: display frames counted in
// fields and halved (a frame picture counts 2 fields, 3 with
// repeat_first_field, a field picture 1).
#ifndef TWR_MPEG_MPEG_CUTTER_H
#define TWR_MPEG_MPEG_CUTTER_H

#include "mpeg/vfapi.h"

struct MpegCutter;

// Null when the input cannot be read, looks like a transport stream, or
// holds fewer than 8 start codes.
MpegCutter *PrepareMpegCut(const char *path, int joinNumbered);
// The callback told the output path and the per cent done; non-zero
// abandons the cut. Null: a callback that never abandons.
void SetCutProgress(MpegCutter *c, VfCutProgress progress);

enum CutResult {
    kCutDone = 0,
    kCutRefused,     // an end frame of 0 or not past the first, or the output is one of the input files
    kCutNoOutput,    // the output file cannot be created or written
    kCutNoStart,     // no I picture after a sequence header reaches the first frame
    kCutAbandoned,   // the callback stopped it; the output keeps what was written
};
// Copies frames [first, end) into outPath.
CutResult RunMpegCut(MpegCutter *c, const char *outPath, long long first, long long end);
void CloseMpegCut(MpegCutter *c);

// The transport-stream test of the cutter, on the first 460,224 bytes.
bool LooksLikeTransportStream(const BYTE *data, int n);

#endif
