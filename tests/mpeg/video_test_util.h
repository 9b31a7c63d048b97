// Helpers of the video stream, plug-in and cutter tests: the streams made
// by make_video_media.sh (found through TWR_MPEG_VIDEO_MEDIA), streams of
// the project's writer put into scratch files, opened streams.
#ifndef TWR_TESTS_MPEG_VIDEO_TEST_UTIL_H
#define TWR_TESTS_MPEG_VIDEO_TEST_UTIL_H

#include "mpeg/video_stream.h"
#include "tests/mpeg/mpeg_test_util.h"
#include "tests/mpeg/oracle_builders.h"

#include <gtest/gtest.h>

#include <memory>

inline std::string VideoMedia(const std::string &name)
{
    const char *dir = getenv("TWR_MPEG_VIDEO_MEDIA");
    return HostFile(dir ? dir : ".", name);
}

struct StreamCloser {
    void operator()(MpegVideoStream *s) const { CloseVideoStream(s); }
};
using StreamPtr = std::unique_ptr<MpegVideoStream, StreamCloser>;

inline StreamPtr Open(const std::string &path) { return StreamPtr(OpenVideoStream(path.c_str())); }

// Writes a scratch file (and removes a ".gl" file of an earlier one).
inline std::string WriteScratch(const std::string &name, const std::vector<uint8_t> &bytes)
{
    std::string path = ScratchPath(name);
    EXPECT_TRUE(WriteWholeFile(path, bytes)) << path;
    char gl[260];
    if (GopListFileName(path.c_str(), gl))
        remove(gl);
    return path;
}

// An intra picture with the given salt, and predicted pictures that copy
// their forward reference.
inline void WriteIntra(BitWriter &w, const EsSequence &s, int mbw, int mbh, int tref, int salt)
{
    EsPicture p;
    p.type = 1;
    p.temporalReference = tref;
    p.progressiveFrame = s.progressive;
    WritePicture(w, s, p, mbw, mbh, [&](int mx, int my) { return oracle::Intra(mx, my, salt); });
}

inline void WriteCopy(BitWriter &w, const EsSequence &s, int mbw, int mbh, int type, int tref, int flags)
{
    EsPicture p;
    p.type = type;
    p.temporalReference = tref;
    p.progressiveFrame = s.progressive;
    p.fCode[0][0] = p.fCode[0][1] = 2;
    if (type == 3)
        p.fCode[1][0] = p.fCode[1][1] = 2;
    WritePicture(w, s, p, mbw, mbh, [&](int, int) {
        WMb m;
        m.flags = flags;
        return m;
    });
}

// Two closed GOPs whose B pictures come before the I picture in display
// order (coded I B B P B B, shown B B I B B P), every picture a copy of
// its GOP's intra picture.
inline std::vector<uint8_t> ClosedLeadingStream()
{
    BitWriter w;
    EsSequence s;
    for (int g = 0; g < 2; g++) {
        WriteSequenceHeader(w, s);
        WriteGopHeader(w, true);
        WriteIntra(w, s, 4, 4, 2, 3 + g);        // display 2
        WriteCopy(w, s, 4, 4, 3, 0, kWBackward); // 0
        WriteCopy(w, s, 4, 4, 3, 1, kWBackward); // 1
        WriteCopy(w, s, 4, 4, 2, 5, kWForward);  // 5
        WriteCopy(w, s, 4, 4, 3, 3, kWForward);  // 3
        WriteCopy(w, s, 4, 4, 3, 4, kWBackward); // 4
    }
    WriteSequenceEnd(w);
    return w.Bytes();
}

#endif
