// Feeds arbitrary bytes to the transport-stream and program-stream sources
// (through a scratch file, as they read files) and to the PES assembler.
#include "mpeg/pes_packet.h"
#include "mpeg/program_stream_source.h"
#include "mpeg/transport_stream_source.h"
#include "tests/mpeg/fuzz_scratch_file.h"

#include <stdio.h>
#include <string.h>

#include <string>


static void Drain(ByteSource &src, const uint8_t *data, size_t size)
{
    BYTE buf[4096];
    long long told[4] = {0, 0, 0, 0};
    int reads = 0;
    while (reads < 4000) {
        if (reads < 4)
            told[reads] = src.tell(src.handle);
        int n = src.read(src.handle, buf, 1 + (reads * 977) % 4096);
        if (n <= 0)
            break;
        reads++;
    }
    for (int i = 0; i < 4; i++) {
        long long target = size ? (long long)(data[i % size] * (size / 256 + 1)) : 0;
        src.seek(src.handle, i & 1 ? told[i] : target, 0);
        src.read(src.handle, buf, sizeof buf);
    }
    src.seek(src.handle, -100, 2);
    src.read(src.handle, buf, sizeof buf);
    src.close(src.handle);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The PES assembler fed in pieces.
    PesPacket p;
    InitPesPacket(&p);
    size_t at = 0;
    while (at < size) {
        int chunk = 1 + (int)(at % 200);
        if (chunk > (int)(size - at))
            chunk = (int)(size - at);
        int took = AppendToPesPacket(&p, data + at, chunk);
        at += took;
        if (p.done || took < chunk) {
            PesHeader h;
            ParsePesHeader(&p, &h);
            int kind, number;
            PesStreamKind(&p, &h, &kind, &number);
            int len = PesPayloadLength(&p, &h);
            const BYTE *pl = PesPayload(&p, &h);
            volatile BYTE sink = len ? pl[0] ^ pl[len - 1] : 0;
            (void)sink;
            ResetPesPacket(&p);
            if (took == 0)
                at++;
        }
    }
    FreePesPacket(&p);

    static FuzzScratchFile file("fuzz_mpeg_demux");
    if (!file.Write(data, size))
        return 0;
    const char *path = file.Path();
    ByteSource src;
    if (OpenTransportStreamSource(path, kPesVideo, 0x10000, 0, &src))
        Drain(src, data, size);
    if (OpenProgramStreamSource(path, kPesVideo, 0x10000, 0, &src))
        Drain(src, data, size);
    if (OpenProgramStreamSource(path, kPesMpegAudio, 0x10000, 0, &src))
        Drain(src, data, size);
    return 0;
}
