#include "alignment_fixture.h"

namespace {

using SettingsTest = AlignmentTest;

TEST(ParseHundredths, ReadsUpToTwoDecimals)
{
    const struct { const char *text; int want; } cases[] = {
        {"10.0", 1000}, {"-5.5", -550}, {"95", 9500}, {"  12.34", 1234}, {"0.05", 5}, {"-0.5", -50},
        {"12.345", 1234}, {"", 0}, {"abc", 0}, {".7", 70}, {"-", 0}, {"99999999999", 2000000000},
    };
    for (const auto &tc : cases)
        EXPECT_EQ(ParseHundredths(tc.text), tc.want) << tc.text;
}

TEST(AlignmentSettings, BarrelTextBecomesTheSetting)
{
    EXPECT_EQ(MakeBarrelSetting(true, "10.0"), 15100);
    EXPECT_EQ(MakeBarrelSetting(false, "-5.5"), 5000 - 55);
    EXPECT_EQ(MakeBarrelSetting(false, "95"), 5900);
    EXPECT_EQ(MakeBarrelSetting(true, "-200"), 14100);
    EXPECT_TRUE(BarrelPreCorrectionOn(15100));
    EXPECT_FALSE(BarrelPreCorrectionOn(5100));
    EXPECT_EQ(BarrelSettingValue(4945), -55);
}

TEST(AlignmentSettings, DeviationPercentIsLimited)
{
    EXPECT_EQ(MakeDeviationSetting(3, "12.3"), 1233);
    EXPECT_EQ(MakeDeviationSetting(3, "-4"), 3);
    EXPECT_EQ(MakeDeviationSetting(3, "60"), 5003);
    EXPECT_EQ(MakeDeviationSetting(1, "3.0"), 301);
}

TEST(AlignmentSettings, AveragingCountIsOneToThirty)
{
    EXPECT_EQ(ClampAveragingFrames(0), 1);
    EXPECT_EQ(ClampAveragingFrames(45), 30);
    EXPECT_EQ(ClampAveragingFrames(7), 7);
}

TEST_F(SettingsTest, AdjustItemsAreSixDigits)
{
    UnpackAdjustItems(101010);
    EXPECT_EQ(g_bAdjustV, 1);
    EXPECT_EQ(g_bAdjustH, 0);
    EXPECT_EQ(g_bAdjustSize, 1);
    EXPECT_EQ(g_bAdjustRotation, 0);
    EXPECT_EQ(g_bAdjustPerspectiveV, 1);
    EXPECT_EQ(g_bAdjustPerspectiveH, 0);
    EXPECT_EQ(PackAdjustItems(), 101010);
    UnpackAdjustItems(111100);
    EXPECT_EQ(PackAdjustItems(), 111100);
}

TEST_F(SettingsTest, HalfFieldOfViewFromTheFocalLength)
{
    EXPECT_EQ(HalfFovFromFocalLength(50), 197);
    EXPECT_EQ(HalfFovFromFocalLength(0), 900);
    EXPECT_EQ(HalfFovFromFocalLength(8), 660);   // the fisheye preset
    const struct { int fov, used; } cases[] = {{900, 899}, {0, 1}, {-3, 1}, {198, 198}, {899, 899}, {1, 1}};
    for (const auto &tc : cases) {
        g_nHalfFov = tc.fov;
        EXPECT_EQ(LensHalfFov(), tc.used) << tc.fov;
    }
}

TEST_F(SettingsTest, OnlyTheWarpValuesCountAsAlignment)
{
    EXPECT_TRUE(AlignmentValuesAreZero());
    g_nShiftX = 5;
    g_nPersShiftL = 3;
    g_nCanvasHeight = 2;
    g_bReversePerspective = 1;
    EXPECT_TRUE(AlignmentValuesAreZero());
    g_nBarrelR = 1;
    EXPECT_FALSE(AlignmentValuesAreZero());
}

} // namespace
