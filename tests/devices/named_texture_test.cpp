// The named texture list without a device: the size a device's limits
// give, one node per name whatever its case, names that do not fit, and
// unlinking from the middle of the list.
#include "devices/named_texture.h"

#include "state/app_state.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

TEST(NamedTexture, DeviceLimitsCutTheSizeAndSquareOnlyRaisesTheSmallerSide)
{
    struct {
        const char *what;
        DWORD maxW, maxH, textureCaps;
        DWORD w, h, wantW, wantH;
    } cases[] = {
        {"within the limits", 2048, 2048, 0, 1600, 600, 1600, 600},
        {"limit below twice the width", 1024, 1024, 0, 1600, 600, 1024, 600},
        {"both sides cut", 512, 256, 0, 1600, 600, 512, 256},
        {"no limit counts as 256", 0, 0, 0, 1600, 600, 256, 256},
        {"no limit, small texture", 0, 0, 0, 128, 64, 128, 64},
        {"square only raises the height", 2048, 2048, D3DPTEXTURECAPS_SQUAREONLY, 1600, 600, 1600, 1600},
        {"square only raises the width", 2048, 2048, D3DPTEXTURECAPS_SQUAREONLY, 300, 500, 500, 500},
        {"square only after the cut", 1024, 512, D3DPTEXTURECAPS_SQUAREONLY, 1600, 600, 1024, 1024},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        D3DDEVICEDESC7 desc;
        memset(&desc, 0, sizeof desc);
        desc.dwMaxTextureWidth = c.maxW;
        desc.dwMaxTextureHeight = c.maxH;
        desc.dpcTriCaps.dwTextureCaps = c.textureCaps;
        DWORD w = c.w, h = c.h;
        FitTextureSize(desc, &w, &h);
        EXPECT_EQ(c.wantW, w);
        EXPECT_EQ(c.wantH, h);
    }
}

class TextureList : public testing::Test {
protected:
    void SetUp() override
    {
        while (g_pTextureList)
            TextureDestroy(g_pTextureList->szTextureName);
        g_n3DWidth = 800;
        g_n3DHeight = 600;
    }
    void TearDown() override { SetUp(); }

    static int Count()
    {
        int n = 0;
        for (NamedTexture *t = g_pTextureList; t; t = t->pNext)
            n++;
        return n;
    }
};

TEST_F(TextureList, ANameIsCreatedOnceAndFoundWhateverItsCase)
{
    ASSERT_EQ(0, TextureCreate("nVidiaStereo", 0, 4));
    EXPECT_EQ(0, TextureCreate("NVIDIASTEREO", 1, 0));
    ASSERT_EQ(1, Count());
    NamedTexture *t = TextureFind("nvidiastereo");
    ASSERT_NE(nullptr, t);
    EXPECT_STREQ("nVidiaStereo", t->szTextureName);
    EXPECT_EQ(1600u, t->dwWidth);
    EXPECT_EQ(600u, t->dwHeight);
    EXPECT_EQ(24u, t->dwBits);
    EXPECT_EQ(0u, t->dwStage);
    EXPECT_EQ(4u, t->dwCreateFlags);
    EXPECT_EQ(nullptr, t->pddsSurface);
    EXPECT_EQ(nullptr, TextureGetSurface("nVidiaStereo"));
    EXPECT_EQ(nullptr, TextureFind("nVidia"));
}

TEST_F(TextureList, NamesThatDoNotFitAreRefused)
{
    EXPECT_EQ(E_INVALIDARG, TextureCreate(nullptr, 0, 0));
    EXPECT_EQ(E_INVALIDARG, TextureCreate(std::string(80, 'a').c_str(), 0, 0));
    EXPECT_EQ(E_INVALIDARG, TextureCreate(std::string(300, 'a').c_str(), 0, 0));
    EXPECT_EQ(0, Count());
    std::string longest(79, 'a');
    ASSERT_EQ(0, TextureCreate(longest.c_str(), 0, 0));
    ASSERT_NE(nullptr, TextureFind(longest.c_str()));
    EXPECT_EQ(longest, TextureFind(longest.c_str())->szTextureName);
}

TEST_F(TextureList, NodesAreUnlinkedFromAnywhereInTheList)
{
    for (const char *name : {"one", "two", "three"})
        ASSERT_EQ(0, TextureCreate(name, 0, 0));
    EXPECT_STREQ("three", g_pTextureList->szTextureName);  // the newest first
    EXPECT_EQ(0, TextureDestroy("TWO"));
    EXPECT_EQ(2, Count());
    EXPECT_EQ(nullptr, TextureFind("two"));
    EXPECT_EQ(0, TextureDestroy("absent"));
    DestroyTextureListHead();
    ASSERT_EQ(1, Count());
    EXPECT_STREQ("one", g_pTextureList->szTextureName);
}

TEST_F(TextureList, RestoringNeedsANodeAndADevice)
{
    EXPECT_EQ(DDERR_NOTFOUND, TextureRestore("nVidiaStereo", nullptr));
    ASSERT_EQ(0, TextureCreate("nVidiaStereo", 0, 0));
    EXPECT_EQ(E_INVALIDARG, TextureRestore("nVidiaStereo", nullptr));
    EXPECT_EQ(0, TextureRestoreAll(nullptr));
    EXPECT_EQ(0, TextureInvalidateAll());
}

}  // namespace
