// The test media that make_media.sh makes before the tests run, and what
// ffprobe and ffmpeg said of them.
#ifndef TWR_TESTS_SOURCES_MEDIA_FIXTURES_H
#define TWR_TESTS_SOURCES_MEDIA_FIXTURES_H

#include "../test_frames.h"
#include "tests/support/host_files.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifndef TWR_SOURCES_MEDIA_DIR
#error "TWR_SOURCES_MEDIA_DIR names the media folder"
#endif

// The path of a media file as the program sees it: through Wine's drive Z:
// on Windows.
inline std::string MediaPath(const std::string &name) { return HostFile(TWR_SOURCES_MEDIA_DIR, name); }

inline bool HaveMedia()
{
    FILE *f = fopen(MediaPath(".stamp").c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

#define REQUIRE_MEDIA()                                                 \
    do {                                                                \
        if (!HaveMedia())                                               \
            GTEST_SKIP() << "no test media (run through ctest)";        \
    } while (0)

// ffprobe's stream fields: "streams.stream.N.key" -> value without quotes.
inline std::map<std::string, std::string> ReadProbe(const std::string &name)
{
    std::map<std::string, std::string> out;
    std::ifstream in(MediaPath(name + ".probe"));
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"')
            value = value.substr(1, value.size() - 2);
        out[line.substr(0, eq)] = value;
    }
    return out;
}

inline std::string Probe(const std::map<std::string, std::string> &p, int stream, const char *key)
{
    auto it = p.find("streams.stream." + std::to_string(stream) + "." + key);
    return it == p.end() ? std::string() : it->second;
}

struct Packet {
    int stream;
    uint32_t size;
    uint64_t pos;  // of the chunk's data
};

inline std::vector<Packet> ReadPackets(const std::string &name, int stream)
{
    std::vector<Packet> out;
    std::ifstream in(MediaPath(name + ".packets"));
    std::string line;
    while (std::getline(in, line)) {
        Packet p{};
        std::stringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '|')) {
            size_t eq = field.find('=');
            std::string k = field.substr(0, eq), v = field.substr(eq + 1);
            if (k == "stream_index")
                p.stream = atoi(v.c_str());
            else if (k == "size")
                p.size = (uint32_t)strtoul(v.c_str(), nullptr, 10);
            else if (k == "pos")
                p.pos = strtoull(v.c_str(), nullptr, 10);
        }
        if (p.stream == stream)
            out.push_back(p);
    }
    return out;
}

// A media file's bytes.
inline std::vector<uint8_t> ReadBytes(const std::string &name) { return ReadWholeFile(MediaPath(name)); }

// Frame n of a file of top-down bgr24 frames, as a bottom-up PackedDib.
inline DibPtr BgrFrame(const std::vector<uint8_t> &bytes, int w, int h, int n)
{
    size_t frameBytes = (size_t)w * h * 3;
    if ((n + 1) * frameBytes > bytes.size())
        return nullptr;
    DibPtr d(CreateDib(w, h, 24, 1));
    for (int y = 0; y < h; y++)
        memcpy(DibRow(d.get(), h - 1 - y), bytes.data() + n * frameBytes + (size_t)y * w * 3, (size_t)w * 3);
    return d;
}

// Largest and mean absolute difference of two 24-bit frames of one size.
struct FrameDiff {
    int max = 0;
    double mean = 0;
};
inline FrameDiff Compare(const PackedDib *a, const PackedDib *b)
{
    FrameDiff d;
    int w = DibWidth(a), h = DibHeight(a);
    long sum = 0;
    for (int y = 0; y < h; y++) {
        const uint8_t *p = DibRow(a, y), *q = DibRow(b, y);
        for (int i = 0; i < 3 * w; i++) {
            int e = abs(p[i] - q[i]);
            sum += e;
            if (e > d.max)
                d.max = e;
        }
    }
    d.mean = (double)sum / (3.0 * w * h);
    return d;
}

#endif
