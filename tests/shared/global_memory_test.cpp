#include "shared/global_memory.h"

#include <gtest/gtest.h>
#include <string.h>

class GlobalMemoryTest : public testing::Test {
protected:
    void SetUp() override { TrimGlobalBlockCache(); }
    void TearDown() override { TrimGlobalBlockCache(); }
};

TEST_F(GlobalMemoryTest, LargeBlocksAreHandedOutAgain)
{
    if (!GlobalBlockCacheEnabled())
        GTEST_SKIP() << "blocks are really freed in this build";
    const size_t frame = 1920 * 1080 * 3 + 1200;
    void *a = AllocGlobalBlock(frame, 0);
    ASSERT_NE(a, nullptr);
    memset(a, 0xAB, frame);
    FreeGlobalBlock(a);
    void *b = AllocGlobalBlock(frame - 100, 1);
    EXPECT_EQ(b, a);
    // A zero-filled request is cleared even when the block is reused.
    const unsigned char *p = (const unsigned char *)b;
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[frame - 101], 0);
    FreeGlobalBlock(b);
    // Much smaller requests do not take a large block.
    void *c = AllocGlobalBlock(frame / 2, 0);
    EXPECT_NE(c, a);
    FreeGlobalBlock(c);
}

TEST_F(GlobalMemoryTest, SmallBlocksAndNull)
{
    void *a = AllocGlobalBlock(100, 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(((unsigned char *)a)[99], 0);
    FreeGlobalBlock(a);
    FreeGlobalBlock(nullptr);
}

TEST_F(GlobalMemoryTest, KeptBytesAreBounded)
{
    // Many large blocks freed at once: all are released or kept without
    // error, and every new request still succeeds.
    void *blocks[20];
    for (auto &b : blocks)
        ASSERT_NE(b = AllocGlobalBlock(8 * 1024 * 1024, 0), nullptr);
    for (auto &b : blocks)
        FreeGlobalBlock(b);
    for (auto &b : blocks)
        ASSERT_NE(b = AllocGlobalBlock(8 * 1024 * 1024, 1), nullptr);
    for (auto &b : blocks)
        FreeGlobalBlock(b);
}
