#include "shared/string_table.h"

#include <gtest/gtest.h>

TEST(StringTable, TwoBuffersUsedInTurn)
{
    const char *a = LoadStr(2301);
    const char *b = LoadStr(2300);
    EXPECT_NE(a, b);
    EXPECT_STRNE(a, b);
    const char *c = LoadStr(2305);
    EXPECT_EQ(c, a);  // the third call reuses the first buffer
    EXPECT_STREQ(b, "\x83\x47\x83\x89\x81\x5b");  // "エラー" in code page 932
    EXPECT_STREQ(LoadStr(9999), "");
}

TEST(StringTable, ResStringBuffer)
{
    const char *a = LoadResString(2305);
    EXPECT_STREQ(a, "\x83\x63\x83\x43\x83\x93\x83\x8a\x81\x5b\x83\x8b");  // "ツインリール"
    EXPECT_EQ(LoadResString(2300), a);
}
