#include "mpeg/program_stream_source.h"
#include "mpeg/transport_stream_source.h"
#include "tests/mpeg/mpeg_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

const long long kLimit = 0x800000;

bool OpenVideo(const std::string &path, ByteSource *src, bool *isTs)
{
    *isTs = OpenTransportStreamSource(path.c_str(), kPesVideo, kLimit, 0, src);
    return *isTs || OpenProgramStreamSource(path.c_str(), kPesVideo, kLimit, 0, src);
}

std::vector<unsigned char> ReadAll(ByteSource &s, std::vector<std::pair<long long, size_t>> *tells = nullptr)
{
    std::vector<unsigned char> v;
    BYTE buf[4096];
    for (;;) {
        if (tells)
            tells->push_back({s.tell(s.handle), v.size()});
        int n = s.read(s.handle, buf, 1000 + (int)(v.size() % 3000));
        if (n <= 0)
            break;
        v.insert(v.end(), buf, buf + n);
    }
    return v;
}

// A 204-byte-packet copy of a 188-byte transport stream, and one without
// its program tables (PAT on PID 0, PMT on 0x1000).
std::string Make204(const std::string &from)
{
    std::vector<unsigned char> in = ReadWholeFile(MediaPath(from)), out;
    for (size_t p = 0; p + 188 <= in.size(); p += 188) {
        out.insert(out.end(), in.begin() + p, in.begin() + p + 188);
        out.insert(out.end(), 16, 0x5A);
    }
    std::string path = ScratchPath("ts204.ts");
    WriteWholeFile(path, out);
    return path;
}

std::string MakeWithoutTables(const std::string &from)
{
    std::vector<unsigned char> in = ReadWholeFile(MediaPath(from)), out;
    for (size_t p = 0; p + 188 <= in.size(); p += 188) {
        int pid = ((in[p + 1] & 0x1F) << 8) | in[p + 2];
        if (pid != 0 && pid != 0x1000)
            out.insert(out.end(), in.begin() + p, in.begin() + p + 188);
    }
    std::string path = ScratchPath("ts-no-tables.ts");
    WriteWholeFile(path, out);
    return path;
}

class ContainerSource : public ::testing::TestWithParam<const char *> {};

TEST_P(ContainerSource, DeliversTheVideoStreamAndSeeksToToldPositions)
{
    std::string name = GetParam();
    std::string path = name == "ts204" ? Make204("ts.ts")
                     : name == "ts-no-tables" ? MakeWithoutTables("ts.ts")
                                              : MediaPath(name);
    std::string esName = name == "ts204" || name == "ts-no-tables" ? "ts.ts" : name;
    std::vector<unsigned char> es = ReadWholeFile(MediaPath(esName + ".es"));
    ASSERT_FALSE(es.empty());
    ByteSource src;
    bool isTs;
    ASSERT_TRUE(OpenVideo(path, &src, &isTs));
    EXPECT_EQ(isTs, name.find("ts") != std::string::npos);
    std::vector<std::pair<long long, size_t>> tells;
    std::vector<unsigned char> got = ReadAll(src, &tells);
    ASSERT_EQ(got.size(), es.size());
    EXPECT_TRUE(got == es);
    // Positions grow with the data.
    for (size_t i = 1; i < tells.size(); i++)
        EXPECT_LE(tells[i - 1].first, tells[i].first);
    // Seeking to a told position gives the same bytes again, in any order.
    std::mt19937 rng(11);
    std::shuffle(tells.begin(), tells.end(), rng);
    for (size_t i = 0; i < tells.size() && i < 40; i++) {
        long long pos = tells[i].first;
        size_t at = tells[i].second;
        // A position between two payloads names the next payload's first byte.
        long long landed = src.seek(src.handle, pos, 0);
        EXPECT_GE(landed, pos);
        EXPECT_EQ(src.tell(src.handle), landed);
        BYTE buf[64];
        int n = src.read(src.handle, buf, sizeof buf);
        size_t want = std::min<size_t>(n, es.size() - at);
        if (at < es.size()) {
            ASSERT_GT(n, 0) << pos;
            EXPECT_EQ(0, memcmp(buf, es.data() + at, want)) << name << " at " << pos;
        } else {
            EXPECT_EQ(n, 0);
        }
    }
    src.close(src.handle);
}

INSTANTIATE_TEST_SUITE_P(Containers, ContainerSource,
                         ::testing::Values("ps2.mpg", "ps1.mpg", "mplex.mpg", "ts.ts", "ts192.m2ts", "ts204",
                                           "ts-no-tables"));

TEST(ContainerSource, ElementaryStreamIsNeitherContainer)
{
    ByteSource src;
    for (const char *f : {"es2.m2v", "es1.m1v"}) {
        EXPECT_FALSE(OpenTransportStreamSource(MediaPath(f).c_str(), kPesVideo, kLimit, 0, &src)) << f;
        EXPECT_FALSE(OpenProgramStreamSource(MediaPath(f).c_str(), kPesVideo, kLimit, 0, &src)) << f;
    }
}

TEST(ContainerSource, SystemStartCodeBeyondTheLimitIsNoProgramStream)
{
    // 5000 bytes of elementary video before the first pack header.
    std::vector<unsigned char> es = ReadWholeFile(MediaPath("es2.m2v"));
    std::vector<unsigned char> ps = ReadWholeFile(MediaPath("ps2.mpg"));
    std::vector<unsigned char> v(es.begin(), es.begin() + 5000);
    v.insert(v.end(), ps.begin(), ps.end());
    std::string path = ScratchPath("late-pack.mpg");
    ASSERT_TRUE(WriteWholeFile(path, v));
    ByteSource src;
    EXPECT_FALSE(OpenProgramStreamSource(path.c_str(), kPesVideo, 4000, 0, &src));
    ASSERT_TRUE(OpenProgramStreamSource(path.c_str(), kPesVideo, 8000, 0, &src));
    src.close(src.handle);
}

TEST(TsPackets, SizeDetectionAndBlockSizes)
{
    EXPECT_EQ(TsBlockSize(188), 577536);
    EXPECT_EQ(TsBlockSize(192), 528384);
    EXPECT_EQ(TsBlockSize(204), 626688);
    std::vector<BYTE> v(6144, 0);
    int size, off;
    for (int s : {188, 192, 204}) {
        std::fill(v.begin(), v.end(), 0);
        int o = s == 192 ? 4 : 0;
        for (int p = o; p < 6144; p += s)
            v[p] = 0x47;
        ASSERT_TRUE(DetectTsPacketSize(v.data(), 6144, &size, &off)) << s;
        EXPECT_EQ(size, s);
        EXPECT_EQ(off, o);
    }
    v[188 * 3] = 0;
    EXPECT_FALSE(DetectTsPacketSize(v.data(), 6144, &size, &off) && size == 188);
    EXPECT_FALSE(DetectTsPacketSize(v.data(), 100, &size, &off));
}

TEST(TsPackets, AdaptationFieldIsBoundedByThePacket)
{
    BYTE ts[188] = {0x47, 0x40, 0x21, 0x30, 183};  // adaptation field filling the packet
    const BYTE *pl;
    int len;
    EXPECT_FALSE(TsPacketPayload(ts, &pl, &len));
    ts[4] = 250;  // claims more than the packet holds
    EXPECT_FALSE(TsPacketPayload(ts, &pl, &len));
    ts[4] = 10;
    ASSERT_TRUE(TsPacketPayload(ts, &pl, &len));
    EXPECT_EQ(pl - ts, 15);
    EXPECT_EQ(len, 173);
    ts[3] = 0x10;  // payload only
    ASSERT_TRUE(TsPacketPayload(ts, &pl, &len));
    EXPECT_EQ(len, 184);
    TsHeader h;
    ParseTsHeader(ts, &h);
    EXPECT_EQ(h.pid, 0x21);
    EXPECT_EQ(h.payloadUnitStart, 1);
    EXPECT_EQ(h.adaptationFieldControl, 1);
}

// Every PTS and DTS in the PES headers of a program stream is one that
// ffprobe reports for a packet of the same stream.
TEST(ContainerSource, PesTimestampsAreThoseFfprobeReports)
{
    for (const char *name : {"ps2.mpg", "ps1.mpg", "mplex.mpg"}) {
        std::vector<ProbePacket> probe = ReadProbePackets(name);
        std::set<long long> vpts, vdts, apts;
        for (const ProbePacket &p : probe) {
            if (p.type == "video") {
                vpts.insert(p.pts);
                vdts.insert(p.dts);
            } else if (p.type == "audio") {
                apts.insert(p.pts);
            }
        }
        StreamReader *sr = OpenStreamReader(MediaPath(name).c_str(), 0);
        ASSERT_NE(sr, nullptr);
        PesPacket pes;
        InitPesPacket(&pes);
        int videoPts = 0, audioPts = 0;
        while (ReadNextPesFromReader(sr, &pes)) {
            PesHeader h;
            ParsePesHeader(&pes, &h);
            int kind, number;
            PesStreamKind(&pes, &h, &kind, &number);
            if (h.pts < 0)
                continue;
            if (kind == kPesVideo) {
                EXPECT_TRUE(vpts.count(h.pts)) << name << " video PTS " << h.pts;
                if (h.dts >= 0) {
                    EXPECT_TRUE(vdts.count(h.dts)) << name << " video DTS " << h.dts;
                }
                videoPts++;
            } else if (kind == kPesMpegAudio) {
                EXPECT_TRUE(apts.count(h.pts)) << name << " audio PTS " << h.pts;
                audioPts++;
            }
        }
        EXPECT_GE(videoPts, 3) << name;
        EXPECT_GE(audioPts, 3) << name;
        FreePesPacket(&pes);
        CloseStreamReader(sr);
    }
}

}  // namespace
