#include "pipeline/compose.h"
#include "shared/global_memory.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

class Iz3dResourceTest : public KernelTest {
protected:
    unsigned short *table = nullptr;

    void TearDown() override { FreeGlobalBlock(table); }
};

TEST_F(Iz3dResourceTest, TableFromTheProgramResource)
{
    table = LoadIZ3DTable();
    ASSERT_NE(table, nullptr);
    cs.iz3dTable = table;
    // Equal eyes: the front panel shows the picture, the back panel the
    // neutral share of one half.
    DibPtr l = MakeSolid(4, 2, {180, 90, 30}), r = MakeSolid(4, 2, {180, 90, 30});
    DibPtr out(CreateDib(8, 2, 24, 1));
    ASSERT_EQ(ComposeIz3d(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0), out.get());
    Bgr front = PixelAt(out.get(), 0, 0), back = PixelAt(out.get(), 4, 0);
    EXPECT_NEAR(front.b, 180, 1);
    EXPECT_NEAR(front.g, 90, 1);
    EXPECT_NEAR(front.r, 30, 1);
    EXPECT_NEAR(back.g, 186, 1);  // one half in linear light at display gamma
    // Black on both eyes: the back panel is the row-0, column-511 mean, the
    // same neutral grey.
    DibPtr black = MakeSolid(4, 2, {0, 0, 0});
    ComposeIz3d(cs, out.get(), black.get(), black.get(), 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), (Bgr{0, 0, 0}));
    EXPECT_NEAR(PixelAt(out.get(), 4, 0).g, 186, 1);
    // Only the right eye lit: the back panel is all right eye.
    DibPtr white = MakeSolid(4, 2, {255, 255, 255});
    ComposeIz3d(cs, out.get(), black.get(), white.get(), 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(out.get(), 4, 0).g, 255);
}
