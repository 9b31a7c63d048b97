// Helpers of the MPEG tests: the streams made by make_media.sh (found
// through TWR_MPEG_MEDIA), ffprobe's notes about them, scratch files.
#ifndef TWR_TESTS_MPEG_TEST_UTIL_H
#define TWR_TESTS_MPEG_TEST_UTIL_H

#include "tests/support/host_files.h"

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

inline std::string MediaPath(const std::string &name)
{
    const char *dir = getenv("TWR_MPEG_MEDIA");
    return HostFile(dir ? dir : ".", name);
}

// key=value lines of ffprobe -show_streams.
inline std::map<std::string, std::string> ReadProbeStreams(const std::string &name)
{
    std::map<std::string, std::string> m;
    std::vector<unsigned char> v = ReadWholeFile(MediaPath(name + ".streams.txt"));
    std::istringstream in(std::string(v.begin(), v.end()));
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            m[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return m;
}

// ffprobe -count_frames: the frames ffmpeg decodes.
inline long long ReadProbeFrameCount(const std::string &name)
{
    std::vector<unsigned char> v = ReadWholeFile(MediaPath(name + ".frames.txt"));
    return v.empty() ? -1 : atoll(std::string(v.begin(), v.end()).c_str());
}

struct ProbePacket {
    std::string type;
    int stream;
    long long pts, dts;  // -1 when N/A
};

// ffprobe -show_entries packet=stream_index,pts,dts,codec_type -of csv=p=0
inline std::vector<ProbePacket> ReadProbePackets(const std::string &name)
{
    std::vector<ProbePacket> r;
    std::vector<unsigned char> v = ReadWholeFile(MediaPath(name + ".packets.txt"));
    std::istringstream in(std::string(v.begin(), v.end()));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string type, idx, pts, dts;
        std::getline(ls, type, ',');
        std::getline(ls, idx, ',');
        std::getline(ls, pts, ',');
        std::getline(ls, dts, ',');
        ProbePacket p;
        p.type = type;
        p.stream = atoi(idx.c_str());
        p.pts = pts == "N/A" || pts.empty() ? -1 : atoll(pts.c_str());
        p.dts = dts == "N/A" || dts.empty() ? -1 : atoll(dts.c_str());
        r.push_back(p);
    }
    return r;
}

// A scratch folder of this test program (under the build folder).
inline std::string ScratchPath(const std::string &name)
{
    const char *dir = getenv("TWR_MPEG_SCRATCH");
    return HostFile(dir ? dir : ".", name);
}

#endif
