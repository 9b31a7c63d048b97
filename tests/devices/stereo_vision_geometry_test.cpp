// The 3D Vision viewer's arithmetic: the zoom keys, the stereo file's and
// the pair's placement with their clamps, and the signed last row.
#include "devices/stereo_vision_geometry.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

namespace {

TEST(StereoVisionGeometry, ZoomKeysFollowTheirTable)
{
    // PageUp / wheel away: x 110 / 100, one more below 10.
    const int in[][2] = {{100, 110}, {110, 121}, {121, 133}, {10, 11}, {9, 10}, {5, 6}, {1, 2}, {0, 1}, {320, 352}};
    for (const auto &c : in)
        EXPECT_EQ(c[1], VisionZoomIn(c[0])) << c[0];
    // PageDown / wheel towards: x 100 / 110, never below 10.
    const int out[][2] = {{100, 90}, {90, 81}, {11, 10}, {10, 10}, {12, 10}, {10000, 9090}};
    for (const auto &c : out)
        EXPECT_EQ(c[1], VisionZoomOut(c[0])) << c[0];
    // Ten presses up from 10 and down again stay within the range.
    int z = 10;
    for (int i = 0; i < 10; i++)
        z = VisionZoomIn(z);
    EXPECT_EQ(20, z);
    EXPECT_EQ(110, VisionZoomWheel(100, 120));     // one notch away
    EXPECT_EQ(90, VisionZoomWheel(100, 65536 - 120));  // one notch towards
    EXPECT_EQ(100, VisionZoomWheel(100, 1000));
}

TEST(StereoVisionGeometry, AStereoFilesEyeIsClampedToItsHalfAndCentred)
{
    struct Case {
        int W, H, ew, eh, zoom;
        VisionPlace want;
    } cases[] = {
        // Wider than the half's aspect: limited by the width.
        {1024, 768, 320, 120, 100, {100, 352, 324, 320, 120}},
        {1024, 768, 320, 120, 10000, {320, 0, 192, 1024, 384}},
        {1024, 768, 320, 120, 10, {10, 496, 378, 32, 12}},
        // Taller: limited by the height.
        {1024, 768, 160, 240, 10000, {320, 256, 0, 512, 768}},
        {1920, 1080, 1920, 1080, 10000, {100, 0, 0, 1920, 1080}},
        {1920, 1080, 960, 1080, 150, {100, 480, 0, 960, 1080}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " eye " << c.ew << "x" << c.eh << " zoom " << c.zoom);
        VisionPlace p = PlaceVisionFileEye(c.W, c.H, c.ew, c.eh, c.zoom);
        EXPECT_EQ(c.want.zoom, p.zoom);
        EXPECT_EQ(c.want.x, p.x);
        EXPECT_EQ(c.want.y, p.y);
        EXPECT_EQ(c.want.w, p.w);
        EXPECT_EQ(c.want.h, p.h);
    }
    VisionPlace none = PlaceVisionFileEye(1024, 768, 0, 120, 100);
    EXPECT_EQ(0, none.w);
}

TEST(StereoVisionGeometry, ThePairIsUnscaledAtOneHundredElseFitsTheHalfLessTheFrame)
{
    struct Case {
        int W, H, w, h, gap, zoom;
        VisionPairPlace want;
    } cases[] = {
        // 1:1, centred; wider than the half: cut equally on both sides.
        {1024, 768, 718, 240, 10, 100, {false, 100, 153, 264, 718, 240, 0, 718}},
        {640, 480, 800, 120, 10, 100, {false, 100, 0, 180, 640, 120, 80, 640}},
        {640, 480, 160, 600, 10, 100, {false, 100, 240, -60, 160, 600, 0, 160}},
        // F: the largest that fits W - 2 x gap; 0 asks for the same.
        {1024, 768, 718, 240, 10, 10000, {true, 139, 13, 217, 998, 333, 0, 718}},
        {1024, 768, 718, 240, 10, 0, {true, 139, 13, 217, 998, 333, 0, 718}},
        {1024, 768, 718, 240, 0, 10000, {true, 142, 2, 214, 1019, 340, 0, 718}},
        // Below the fit: kept.
        {1024, 768, 718, 240, 10, 110, {true, 110, 117, 252, 789, 263, 0, 718}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " gap " << c.gap << " zoom " << c.zoom);
        VisionPairPlace p = PlaceVisionPair(c.W, c.H, c.w, c.h, c.gap, c.zoom);
        EXPECT_EQ(c.want.scaled, p.scaled);
        EXPECT_EQ(c.want.zoom, p.zoom);
        EXPECT_EQ(c.want.x, p.x);
        EXPECT_EQ(c.want.y, p.y);
        EXPECT_EQ(c.want.w, p.w);
        EXPECT_EQ(c.want.h, p.h);
        EXPECT_EQ(c.want.srcX, p.srcX);
        EXPECT_EQ(c.want.srcW, p.srcW);
    }
}

TEST(StereoVisionGeometry, TheRowAfterThePictureIsWhiteWithTheSignatureAtItsStart)
{
    const int W = 5, H = 3;
    const long pitch = 8 * W + 12;  // rows padded beyond 2 W pixels
    std::vector<BYTE> s((size_t)pitch * (H + 1), 0x11);
    ASSERT_TRUE(SignVisionSurface(s.data(), pitch, H + 1, W, H));
    const BYTE *row = s.data() + (size_t)H * pitch;
    const DWORD words[5] = {0x4433564Eu, 2 * W, H, 32, 2};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(words[i], (DWORD)(row[4 * i] | row[4 * i + 1] << 8 | row[4 * i + 2] << 16 | (DWORD)row[4 * i + 3] << 24));
    EXPECT_EQ(0, memcmp(row, "NV3D", 4));
    for (long i = 20; i < pitch; i++)
        ASSERT_EQ(0xFF, row[i]) << i;
    for (size_t i = 0; i < (size_t)pitch * H; i++)
        ASSERT_EQ(0x11, s[i]) << i;  // the picture untouched
    // Too few rows, or rows too short for 2 W pixels: nothing written.
    std::vector<BYTE> small((size_t)pitch * H, 0x22);
    EXPECT_FALSE(SignVisionSurface(small.data(), pitch, H, W, H));
    EXPECT_FALSE(SignVisionSurface(s.data(), 8 * W - 4, H + 1, W, H));
    EXPECT_FALSE(SignVisionSurface(nullptr, pitch, H + 1, W, H));
    for (BYTE b : small)
        ASSERT_EQ(0x22, b);
}

TEST(StereoVisionGeometry, TheRowAloneIsSignedAsTheSurfacesLastRow)
{
    // A drawing locks only the signature row: what it writes there is what
    // the surface's signing writes into its last row.
    const int W = 6, H = 4;
    const long pitch = 8 * W;
    std::vector<BYTE> whole((size_t)pitch * (H + 1), 0x33), row((size_t)pitch, 0x44);
    ASSERT_TRUE(SignVisionSurface(whole.data(), pitch, H + 1, W, H));
    ASSERT_TRUE(SignVisionRow(row.data(), pitch, W, H));
    EXPECT_EQ(0, memcmp(row.data(), whole.data() + (size_t)H * pitch, (size_t)pitch));
    // A row too short for 2 W pixels is left alone.
    std::vector<BYTE> shortRow((size_t)pitch - 4, 0x55);
    EXPECT_FALSE(SignVisionRow(shortRow.data(), pitch - 4, W, H));
    EXPECT_FALSE(SignVisionRow(nullptr, pitch, W, H));
    for (BYTE b : shortRow)
        ASSERT_EQ(0x55, b);
}

}  // namespace
