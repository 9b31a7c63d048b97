// The program-stream cut: packs copied whole around the frames kept, the
// video's header fields rewritten inside its packets, the packets cut at
// the two ends turned partly into padding.
#ifndef TWR_MPEG_MPEG_CUTTER_PS_H
#define TWR_MPEG_MPEG_CUTTER_PS_H

#include "mpeg/mpeg_cutter.h"

CutResult CutProgramStream(const char *path, int joinNumbered, VfCutProgress progress, const char *out,
                           long long first, long long end);
// How much is held before the cut starts (0: the default, 48 MB); past it
// the oldest packs go and the sequence header is written in a pack of its
// own.
void SetProgramCutHoldLimit(long long bytes);

// Reshapes the PES packet in buf (n bytes, start code to end) so that
// `front` payload bytes at its start and `back` at its end are no longer
// payload, keeping its place and size: a dropped run of 6 bytes or more
// becomes a padding packet beside it, a shorter one stuffing in its header;
// a packet left without payload becomes a padding packet. False when buf
// does not hold a packet of n bytes.
bool ReshapePes(BYTE *buf, int n, int front, int back);
// Makes the packet in buf (n bytes) a padding packet of the same size.
void MakePaddingPes(BYTE *buf, int n);
// Offset of the payload in the packet at buf (n bytes); -1 when the header
// does not fit.
int PesPayloadOffset(const BYTE *buf, int n);

#endif
