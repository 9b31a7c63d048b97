// One PES packet (ISO/IEC 11172-1, 13818-1) assembled from a byte stream:
// the scan for its start code, its bytes (bounded by PES_packet_length, or,
// when that is 0, up to the next PES start code), the header in its MPEG-1
// or MPEG-2 form with PTS and DTS, and the payload.
#ifndef TWR_MPEG_PES_PACKET_H
#define TWR_MPEG_PES_PACKET_H

#include "shared/wintypes.h"

// An unbounded packet (length 0, as video PES in transport streams) stops
// growing here and ends: no real packet comes near it.
enum { kMaxUnboundedPes = 0x7F0000 };

struct PesPacket {
    int state;          // -6 .. -1 while scanning the header, 0 collecting
    int done;           // the packet is complete
    int streamId;
    int declared;       // PES_packet_length (0: unbounded)
    BYTE *data;         // the bytes after PES_packet_length
    int size;           // bytes collected
    int capacity;
};

struct PesHeader {
    int form;           // 1 MPEG-1, 2 MPEG-2
    int headerLength;   // from the byte after PES_packet_length to the payload,
                        // never more than the bytes collected
    long long pts;      // 33-bit, -1 when absent
    long long dts;
};

void InitPesPacket(PesPacket *p);
// Starts a new packet, keeping the buffer for reuse.
void ResetPesPacket(PesPacket *p);
void FreePesPacket(PesPacket *p);
// Feeds n bytes; returns how many were taken. A packet that took fewer than
// it was given is complete (done is set); bytes not taken belong to what
// follows.
int AppendToPesPacket(PesPacket *p, const BYTE *bytes, int n);
// Makes the packet complete as it stands (the data ended).
inline void FinishPesPacket(PesPacket *p) { p->done = 1; }

void ParsePesHeader(const PesPacket *p, PesHeader *h);
// Payload bytes: for MPEG audio and video the bytes after the header; for
// an AC-3 sub-stream of private stream 1 the bytes after its 4-byte
// sub-stream header; 0 for anything else.
int PesPayloadLength(const PesPacket *p, const PesHeader *h);
// The last PesPayloadLength bytes of the packet.
const BYTE *PesPayload(const PesPacket *p, const PesHeader *h);

enum PesKind { kPesOther = 0, kPesVideo = 1, kPesMpegAudio = 2, kPesPrivate = 3, kPesAc3 = 4 };
// Kind and stream number of a packet with this stream id (first payload byte
// for private stream 1, -1 when unknown). Returns 1 for video, MPEG audio
// and AC-3.
int PesStreamKindOf(int streamId, int firstPayloadByte, int *kind, int *number);
int PesStreamKind(const PesPacket *p, const PesHeader *h, int *kind, int *number);

// A 33-bit timestamp from its five bytes ('xxxx' marker nibble first).
long long ReadPesTimestamp(const BYTE *b);

#endif
