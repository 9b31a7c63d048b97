// Program streams (MPEG-1 system streams, MPEG-2 program streams, VOB):
// the payload of one elementary stream, read packet by packet, with
// container file positions for tell and seek.
#ifndef TWR_MPEG_PROGRAM_STREAM_SOURCE_H
#define TWR_MPEG_PROGRAM_STREAM_SOURCE_H

#include "mpeg/byte_source.h"
#include "mpeg/pes_packet.h"
#include "mpeg/stream_reader.h"

// Steps through start codes: true when a pack, system header or PES start
// code (above 0x1B8) comes before limit bytes.
bool IsProgramStream(StreamReader *sr, long long limit);

// Steps to the next PES start code (0xBC and above) and reads the packet
// whole into pes. False at the end of the data, on a packet of length 0,
// or on a packet cut short by the end of the data.
bool ReadNextPesFromReader(StreamReader *sr, PesPacket *pes);

// kind: kPesVideo (or kPesMpegAudio). Fills src and returns true when path
// is a program stream (a system start code within limit bytes) holding a
// stream of that kind.
bool OpenProgramStreamSource(const char *path, int kind, long long limit, int joinNumbered, ByteSource *src);

#endif
