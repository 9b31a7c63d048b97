#include "mpeg/pes_packet.h"

#include <gtest/gtest.h>

namespace {

std::vector<BYTE> Timestamp(int prefix, long long t)
{
    return {(BYTE)(prefix << 4 | ((t >> 29) & 0x0E) | 1), (BYTE)(t >> 22), (BYTE)(((t >> 14) & 0xFE) | 1),
            (BYTE)(t >> 7), (BYTE)((t << 1) | 1)};
}

std::vector<BYTE> Packet(int id, const std::vector<BYTE> &header, const std::vector<BYTE> &payload, bool bounded = true)
{
    std::vector<BYTE> v = {0, 0, 1, (BYTE)id, 0, 0};
    size_t len = header.size() + payload.size();
    if (bounded) {
        v[4] = (BYTE)(len >> 8);
        v[5] = (BYTE)len;
    }
    v.insert(v.end(), header.begin(), header.end());
    v.insert(v.end(), payload.begin(), payload.end());
    return v;
}

struct Parsed {
    PesHeader h;
    int payloadLength;
    std::vector<BYTE> payload;
    int consumed;
    int id;
};

Parsed Feed(const std::vector<BYTE> &bytes, int chunk = 0)
{
    PesPacket p;
    InitPesPacket(&p);
    Parsed r;
    r.consumed = 0;
    int n = (int)bytes.size();
    while (r.consumed < n && !p.done) {
        int len = chunk ? std::min(chunk, n - r.consumed) : n - r.consumed;
        int took = AppendToPesPacket(&p, bytes.data() + r.consumed, len);
        r.consumed += took;
        if (took < len)
            break;
    }
    ParsePesHeader(&p, &r.h);
    r.payloadLength = PesPayloadLength(&p, &r.h);
    const BYTE *pl = PesPayload(&p, &r.h);
    r.payload.assign(pl, pl + r.payloadLength);
    r.id = p.streamId;
    FreePesPacket(&p);
    return r;
}

TEST(PesPacket, HeaderFormsAndTimestamps)
{
    const long long big = (1LL << 33) - 12345;  // uses the 33rd bit
    std::vector<BYTE> pts = Timestamp(2, big), ptsDts1 = Timestamp(3, 900000), dts1 = Timestamp(1, 896400);
    std::vector<BYTE> payload = {0xAA, 0xBB, 0xCC};
    struct Case {
        const char *what;
        int id;
        std::vector<BYTE> header;
        int form, headerLength;
        long long pts, dts;
    };
    std::vector<BYTE> mpeg1Full = {0xFF, 0xFF, 0xFF, 0x40 | 0x20, 0x00};  // stuffing, STD buffer
    mpeg1Full.insert(mpeg1Full.end(), ptsDts1.begin(), ptsDts1.end());
    mpeg1Full.insert(mpeg1Full.end(), dts1.begin(), dts1.end());
    std::vector<BYTE> mpeg1Pts = {0xFF};
    mpeg1Pts.insert(mpeg1Pts.end(), pts.begin(), pts.end());
    std::vector<BYTE> mpeg2Both = {0x81, 0xC0, 10};
    mpeg2Both.insert(mpeg2Both.end(), ptsDts1.begin(), ptsDts1.end());
    mpeg2Both.insert(mpeg2Both.end(), dts1.begin(), dts1.end());
    std::vector<BYTE> mpeg2Pts = {0x81, 0x80, 7};  // 2 stuffing bytes after the PTS
    mpeg2Pts.insert(mpeg2Pts.end(), pts.begin(), pts.end());
    mpeg2Pts.push_back(0xFF);
    mpeg2Pts.push_back(0xFF);
    Case cases[] = {
        {"MPEG-1, stuffing, STD buffer, PTS and DTS", 0xE0, mpeg1Full, 1, 15, 900000, 896400},
        {"MPEG-1, PTS with the 33rd bit", 0xC0, mpeg1Pts, 1, 6, big, -1},
        {"MPEG-1, none", 0xC3, {0x0F}, 1, 1, -1, -1},
        {"MPEG-2, PTS and DTS", 0xE1, mpeg2Both, 2, 13, 900000, 896400},
        {"MPEG-2, PTS and stuffing", 0xC1, mpeg2Pts, 2, 10, big, -1},
        {"MPEG-2, none", 0xE0, {0x80, 0x00, 0}, 2, 3, -1, -1},
    };
    for (const Case &c : cases) {
        for (int chunk : {0, 1, 5}) {
            Parsed r = Feed(Packet(c.id, c.header, payload), chunk);
            EXPECT_EQ(r.id, c.id) << c.what;
            EXPECT_EQ(r.h.form, c.form) << c.what;
            EXPECT_EQ(r.h.headerLength, c.headerLength) << c.what;
            EXPECT_EQ(r.h.pts, c.pts) << c.what;
            EXPECT_EQ(r.h.dts, c.dts) << c.what;
            EXPECT_EQ(r.payload, payload) << c.what << " chunk " << chunk;
        }
    }
}

TEST(PesPacket, HeaderLengthBeyondThePacketIsClamped)
{
    // PES_header_data_length 255 in a packet of 8 bytes after the length.
    std::vector<BYTE> bytes = Packet(0xE0, {0x80, 0x80, 255, 0x21, 0, 1, 0, 1}, {});
    Parsed r = Feed(bytes);
    EXPECT_EQ(r.h.headerLength, 8);
    EXPECT_EQ(r.payloadLength, 0);
    EXPECT_EQ(r.h.pts, -1);
    // A packet whose length field counts fewer bytes than its header needs.
    std::vector<BYTE> cut = {0, 0, 1, 0xC0, 0, 2, 0x81, 0x80, 5, 0x21};
    r = Feed(cut);
    EXPECT_EQ(r.h.headerLength, 2);
    EXPECT_EQ(r.payloadLength, 0);
    EXPECT_EQ(r.consumed, 8);
}

TEST(PesPacket, UnboundedPacketEndsAtTheNextPesNotAtPictureOrPack)
{
    std::vector<BYTE> es = {0, 0, 1, 0xB3, 1, 2, 0, 0, 1, 0x00, 3, 0, 0, 1, 0xBA, 4, 0, 0, 1, 0xB8, 5};
    std::vector<BYTE> bytes = Packet(0xE0, {0x80, 0x00, 0}, es, false);
    std::vector<BYTE> next = Packet(0xC0, {0x0F}, {9});
    bytes.insert(bytes.end(), next.begin(), next.end());
    for (int chunk : {0, 1, 2, 3, 7}) {
        Parsed r = Feed(bytes, chunk);
        EXPECT_EQ(r.payload, es) << chunk;
        // Fed whole, the next packet is left untouched; fed in pieces, the
        // bytes of its prefix that came with earlier pieces are spent.
        if (chunk == 0) {
            EXPECT_EQ(r.consumed, (int)(bytes.size() - next.size()));
        }
        EXPECT_LE(r.consumed, (int)(bytes.size() - next.size()) + 3) << chunk;
    }
}

TEST(PesPacket, PrivateStreamOnePayloads)
{
    // AC-3 sub-stream 0x81: 4-byte sub-stream header before the payload.
    Parsed r = Feed(Packet(0xBD, {0x80, 0x00, 0}, {0x81, 1, 0, 1, 0x0B, 0x77}));
    EXPECT_EQ(r.payload, (std::vector<BYTE>{0x0B, 0x77}));
    int kind, number;
    EXPECT_EQ(PesStreamKindOf(0xBD, 0x81, &kind, &number), 1);
    EXPECT_EQ(kind, kPesAc3);
    EXPECT_EQ(number, 1);
    r = Feed(Packet(0xBD, {0x80, 0x00, 0}, {0x20, 1, 2}));  // subtitles
    EXPECT_EQ(r.payloadLength, 0);
    EXPECT_EQ(PesStreamKindOf(0xBD, 0x20, &kind, &number), 0);
    EXPECT_EQ(kind, kPesPrivate);
    EXPECT_EQ(PesStreamKindOf(0xE5, -1, &kind, &number), 1);
    EXPECT_EQ(kind, kPesVideo);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(PesStreamKindOf(0xDF, -1, &kind, &number), 1);
    EXPECT_EQ(kind, kPesMpegAudio);
    EXPECT_EQ(number, 31);
    EXPECT_EQ(PesStreamKindOf(0xBE, -1, &kind, &number), 0);  // padding
}

TEST(PesPacket, ScanSkipsNonPesStartCodes)
{
    std::vector<BYTE> bytes = {0x55, 0, 0, 1, 0xB3, 0, 0, 0, 1, 0x00};
    std::vector<BYTE> pkt = Packet(0xC0, {0x0F}, {1, 2, 3});
    bytes.insert(bytes.end(), pkt.begin(), pkt.end());
    for (int chunk : {0, 1, 4}) {
        Parsed r = Feed(bytes, chunk);
        EXPECT_EQ(r.id, 0xC0);
        EXPECT_EQ(r.payload, (std::vector<BYTE>{1, 2, 3}));
    }
}

TEST(PesPacket, UnboundedPacketStopsGrowingAtItsCap)
{
    PesPacket p;
    InitPesPacket(&p);
    std::vector<BYTE> head = Packet(0xE0, {0x80, 0x00, 0}, {}, false);
    AppendToPesPacket(&p, head.data(), (int)head.size());
    std::vector<BYTE> chunk(0x100000, 0x42);
    int total = 0;
    for (int i = 0; i < 16 && !p.done; i++)
        total += AppendToPesPacket(&p, chunk.data(), (int)chunk.size());
    EXPECT_TRUE(p.done);
    EXPECT_EQ(p.size, (int)kMaxUnboundedPes);
    EXPECT_EQ(total, (int)kMaxUnboundedPes - 3);
    FreePesPacket(&p);
}

}  // namespace
