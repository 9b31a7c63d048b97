// Tests that depend on the decoder's settings start from none written and
// leave none behind (on Windows they live in the prefix's registry, which
// every test program shares: these programs hold the "decoder_settings"
// lock of ctest, and so do the end-to-end tests, whose program writes the
// decoder's options into its settings key, the same key, at start).
#ifndef TWR_TESTS_MPEG_SETTINGS_FIXTURE_H
#define TWR_TESTS_MPEG_SETTINGS_FIXTURE_H

#include "mpeg/settings_store.h"

#include <gtest/gtest.h>

inline const char *const *DecoderSettingNames()
{
    static const char *const names[] = {"re_map", "yuy2_matrix", "aspect_ratio", "field_order", "simd",
                                        "idct_func", "color_matrix", "gl", "limit", "file", nullptr};
    return names;
}

inline void ClearDecoderSettings()
{
    for (const char *const *n = DecoderSettingNames(); *n; n++)
        ASSERT_TRUE(DeleteDecoderValue(*n)) << *n;
}

class DecoderSettingsFixture : public ::testing::Test {
protected:
    void SetUp() override { ClearDecoderSettings(); }
    void TearDown() override { ClearDecoderSettings(); }
};

#endif
