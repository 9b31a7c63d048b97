// Transport streams of 188-, 192- (sync byte at offset 4) and 204-byte
// packets: the payload of one elementary stream, PES by PES, with container
// positions for tell and seek (a PES's position is that of its first
// packet; a byte's position is its PES's position plus its offset in the
// payload). Every length read from a packet is bounded by the packet.
#ifndef TWR_MPEG_TRANSPORT_STREAM_SOURCE_H
#define TWR_MPEG_TRANSPORT_STREAM_SOURCE_H

#include "mpeg/byte_source.h"
#include "shared/wintypes.h"

struct TsHeader {
    int sync;
    int transportError;
    int payloadUnitStart;
    int priority;
    int pid;
    int scrambling;
    int adaptationFieldControl;  // bit 1 adaptation field, bit 0 payload
    int continuity;
};

// Fields of the 4-byte header at ts (the sync byte).
void ParseTsHeader(const BYTE *ts, TsHeader *h);
// The payload of the 188-byte packet at ts (after any adaptation field);
// false when there is none or the adaptation field fills the packet.
bool TsPacketPayload(const BYTE *ts, const BYTE **payload, int *length);
// Packet size (188, 192 or 204) and sync offset (4 for 192, else 0) when the
// bytes hold at least one whole packet and every packet's sync byte is 0x47.
bool DetectTsPacketSize(const BYTE *bytes, int n, int *packetSize, int *syncOffset);
// Block size for a packet size: a whole number of packets and of 4 KB pages,
// at least 512 KB.
int TsBlockSize(int packetSize);

bool OpenTransportStreamSource(const char *path, int kind, long long limit, int joinNumbered, ByteSource *src);

#endif
