#include "mpeg/decoder_settings.h"
#include "mpeg/simd.h"
#include "tests/mpeg/settings_fixture.h"

#include <string.h>

namespace {

using DecoderSettingsTest = DecoderSettingsFixture;

TEST_F(DecoderSettingsTest, NothingWrittenGivesTheDefaults)
{
    DecoderSettings s;
    memset(&s, 0x55, sizeof s);
    ReadDecoderSettings(&s);
    EXPECT_EQ(s.re_map, 1);
    EXPECT_EQ(s.idct_func, 1);
    EXPECT_EQ(s.simd, 0);
    EXPECT_EQ(s.yuy2_matrix, 0);
    EXPECT_EQ(s.aspect_ratio, 0);
    EXPECT_EQ(s.field_order, 0);
    EXPECT_EQ(s.color_matrix, 0);
    EXPECT_EQ(s.gl, 0);
    EXPECT_EQ(ReadSettingLimit(), 0x800000u);
    EXPECT_EQ(ReadSettingFile(), 0u);
}

struct ValueCase {
    const char *what;
    const char *written; // the name as written (case may differ)
    DWORD type;
    std::vector<BYTE> bytes;
    DWORD (*reader)();
    DWORD expected;
};

std::vector<BYTE> Dword(DWORD v)
{
    return {(BYTE)v, (BYTE)(v >> 8), (BYTE)(v >> 16), (BYTE)(v >> 24)};
}

TEST_F(DecoderSettingsTest, ValuesReadAsTheDecoderTakesThem)
{
    const ValueCase cases[] = {
        {"re_map 5 reads as 1", "re_map", kSettingTypeDword, Dword(5), ReadSettingReMap, 1},
        {"re_map 0", "re_map", kSettingTypeDword, Dword(0), ReadSettingReMap, 0},
        {"file 1 joins", "file", kSettingTypeDword, Dword(1), ReadSettingFile, 1},
        {"file 2 is one file", "file", kSettingTypeDword, Dword(2), ReadSettingFile, 0},
        {"idct_func 0", "idct_func", kSettingTypeDword, Dword(0), ReadSettingIdctFunc, 0},
        {"idct_func 2", "idct_func", kSettingTypeDword, Dword(2), ReadSettingIdctFunc, 2},
        {"limit", "limit", kSettingTypeDword, Dword(4096), ReadSettingLimit, 4096},
        {"field_order is not range-checked", "field_order", kSettingTypeDword, Dword(7), ReadSettingFieldOrder, 7},
        {"aspect_ratio", "aspect_ratio", kSettingTypeDword, Dword(1), ReadSettingAspectRatio, 1},
        {"color_matrix", "color_matrix", kSettingTypeDword, Dword(5), ReadSettingColorMatrix, 5},
        {"gl", "gl", kSettingTypeDword, Dword(3), ReadSettingGl, 3},
        {"yuy2_matrix", "yuy2_matrix", kSettingTypeDword, Dword(1), ReadSettingYuy2Matrix, 1},
        {"names without case", "RE_MAP", kSettingTypeDword, Dword(0), ReadSettingReMap, 0},
        // Another type or length is not a number: the default.
        {"re_map as text", "re_map", kSettingTypeString, {'0', 0}, ReadSettingReMap, 1},
        {"limit as 4-byte text", "limit", kSettingTypeString, {'1', '2', '3', 0}, ReadSettingLimit, 0x800000},
        {"idct_func as binary", "idct_func", kSettingTypeBinary, Dword(0), ReadSettingIdctFunc, 1},
        {"limit as a 64-bit value", "limit", kSettingTypeQword, {1, 0, 0, 0, 0, 0, 0, 0}, ReadSettingLimit, 0x800000},
        {"file as text 1", "file", kSettingTypeString, {'1', 0}, ReadSettingFile, 0},
    };
    for (const ValueCase &c : cases) {
        ClearDecoderSettings();
        ASSERT_TRUE(StoreDecoderValue(c.written, c.type, c.bytes.data(), (DWORD)c.bytes.size())) << c.what;
        EXPECT_EQ(c.reader(), c.expected) << c.what;
    }
}

// "simd" names instruction sets; a bit for one the processor lacks never
// reaches the routine choice.
TEST_F(DecoderSettingsTest, SimdLimitedToTheProcessor)
{
    for (DWORD written : {1u, 2u, 4u, 7u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(StoreDecoderDword("simd", written));
        DWORD simd = ReadSettingSimd();
        EXPECT_EQ(simd & ~(DWORD)CpuSimdMask(), 0u) << written;
        EXPECT_EQ(simd, (DWORD)EffectiveSimdMask((int)written)) << written;
        DecoderSettings s;
        ReadDecoderSettings(&s);
        EXPECT_EQ((DWORD)s.simd, simd);
    }
}

} // namespace
