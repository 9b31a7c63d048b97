#include "shared/packed_dib.h"

#include "tests/test_frames.h"

#include <gtest/gtest.h>
#include <string.h>
#include <vector>

struct CreateCase {
    int width, height, bits;
    int madeBits;  // 0: refused
    int rowBytes;
};

TEST(CreateDib, BitCountsAndRowBytes)
{
    const CreateCase cases[] = {
        {1, 1, 24, 24, 4},    {5, 2, 24, 24, 16},   {7, 3, 16, 24, 24},  {10, 1, 9, 24, 32},
        {3, 3, 32, 32, 12},   {33, 1, 1, 1, 8},     {9, 1, 4, 4, 8},     {5, 1, 8, 8, 8},
        {4, 4, 2, 0, 0},      {4, 4, 3, 0, 0},      {4, 4, 5, 0, 0},     {4, 4, 7, 0, 0},
        {4, 4, 25, 0, 0},     {4, 4, 31, 0, 0},     {4, 4, 33, 0, 0},
    };
    for (const CreateCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.bits);
        DibPtr d(CreateDib(c.width, c.height, c.bits, 0));
        if (!c.madeBits) {
            EXPECT_EQ(d, nullptr);
            continue;
        }
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(DibBitCount(d.get()), c.madeBits);
        EXPECT_EQ(DibRowBytes(c.width, c.madeBits), c.rowBytes);
        EXPECT_EQ(d->biSizeImage, (DWORD)(c.rowBytes * c.height));
        EXPECT_EQ(d->biSize, 40u);
        EXPECT_EQ(d->biPlanes, 1);
        EXPECT_EQ(d->biCompression, (DWORD)BI_RGB);
        EXPECT_EQ(d->biClrUsed, 0u);
        // Rows start after the colour table of paletted frames.
        int table = c.madeBits <= 8 ? 4 << c.madeBits : 0;
        EXPECT_EQ(FindDibBits(d.get()) - (BYTE *)d.get(), 40 + table);
    }
}

TEST(CreateDib, RowsAndSlackAreWritable)
{
    // The rows plus 1,200 spare bytes belong to the block: writing all of it
    // is clean under AddressSanitizer.
    DibPtr d(CreateDib(31, 7, 24, 1));
    ASSERT_NE(d, nullptr);
    memset(d.get(), 0x5A, DibRowBytes(31, 24) * 7 + kDibSlackBytes);
}

TEST(CreateDib, ZeroFillClearsPixels)
{
    DibPtr d(CreateDib(13, 5, 24, 1));
    const BYTE *p = FindDibBits(d.get());
    for (int i = 0; i < DibRowBytes(13, 24) * 5; i++)
        ASSERT_EQ(p[i], 0);
}

TEST(CreateDib, RefusesSidesBeyondSixteenBits)
{
    for (int side : {0, -1, 32768, 65536 + 8, 100000})
        EXPECT_EQ(CreateDib(side, 8, 24, 0), nullptr) << side;
    for (int side : {0, -5, 40000})
        EXPECT_EQ(CreateDib(8, side, 24, 0), nullptr) << side;
    DibPtr edge(CreateDib(32767, 1, 8, 0));
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(DibWidth(edge.get()), 32767);
}

TEST(DibAccessors, SixteenBitSizes)
{
    DibPtr d(CreateDib(8, 8, 24, 0));
    d->biWidth = 0x10000 + 20;
    d->biHeight = 0x20000 + 30;
    EXPECT_EQ(DibWidth(d.get()), 20);
    EXPECT_EQ(DibHeight(d.get()), 30);
}

// Header blocks as codecs hand them in, with the offset of their pixels.
struct HeaderCase {
    const char *what;
    DWORD size;
    int bits;
    DWORD compression;
    DWORD clrUsed;
    DWORD bitsOffset;
};

TEST(FindDibBits, ColourTablesAndMasks)
{
    const HeaderCase cases[] = {
        {"24-bit", 40, 24, BI_RGB, 0, 40},
        {"8-bit full table", 40, 8, BI_RGB, 0, 40 + 1024},
        {"8-bit with 16 colours used", 40, 8, BI_RGB, 16, 40 + 64},
        {"4-bit", 40, 4, BI_RGB, 0, 40 + 64},
        {"1-bit", 40, 1, BI_RGB, 0, 40 + 8},
        {"32-bit with colour masks", 40, 32, BI_BITFIELDS, 0, 40 + 12},
        {"16-bit with colour masks", 40, 16, BI_BITFIELDS, 0, 40 + 12},
        {"V4 header carries its masks", 108, 32, BI_BITFIELDS, 0, 108},
        {"V5 header", 124, 24, BI_RGB, 0, 124},
    };
    std::vector<BYTE> block(2048);
    for (const HeaderCase &c : cases) {
        SCOPED_TRACE(c.what);
        BITMAPINFOHEADER *h = (BITMAPINFOHEADER *)block.data();
        memset(h, 0, sizeof *h);
        h->biSize = c.size;
        h->biWidth = 4;
        h->biHeight = 4;
        h->biPlanes = 1;
        h->biBitCount = (WORD)c.bits;
        h->biCompression = c.compression;
        h->biClrUsed = c.clrUsed;
        h->biSizeImage = 64;
        EXPECT_EQ(FindDibBits(h) - block.data(), (ptrdiff_t)c.bitsOffset);
        EXPECT_EQ(DibBitsOffset(h), c.bitsOffset);
        EXPECT_EQ(DibTotalSize(h), c.bitsOffset + 64);
    }
}

TEST(FindDibBits, CoreHeaderHasThreeByteEntries)
{
    std::vector<BYTE> block(1024);
    BITMAPCOREHEADER *core = (BITMAPCOREHEADER *)block.data();
    core->bcSize = 12;
    core->bcWidth = 4;
    core->bcHeight = 4;
    core->bcPlanes = 1;
    core->bcBitCount = 8;
    EXPECT_EQ(FindDibBits((PackedDib *)core) - block.data(), 12 + 768);
    core->bcBitCount = 24;
    EXPECT_EQ(FindDibBits((PackedDib *)core) - block.data(), 12);
    EXPECT_EQ(FindDibBits(nullptr), nullptr);
}

TEST(NewBitmapInfoHeader, KeepsTheBitCount)
{
    DibPtr h(NewBitmapInfoHeader(720, 480, 16));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->biBitCount, 16);
    EXPECT_EQ(h->biSizeImage, 720u * 2 * 480);
    EXPECT_EQ(DibWidth(h.get()), 720);
    EXPECT_EQ(DibHeight(h.get()), 480);
}

TEST(CopyBytes, ReturnsTheEndOfWhatItWrote)
{
    const BYTE src[] = {1, 2, 3, 4};
    BYTE dst[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(CopyBytes(src, 4, dst + 1), dst + 5);
    EXPECT_EQ(dst[0], 9);
    EXPECT_EQ(dst[4], 4);
    EXPECT_EQ(dst[5], 9);
    EXPECT_EQ(CopyBytes(src, 0, dst), dst);
    EXPECT_EQ(CopyBytes(src, -3, dst), dst);
}

struct CropCase {
    int width, height, shiftX, shiftY, allFrame;
    int rc, rr, lc, lr;
};

TEST(ShiftToCropMargins, OriginsOfTheCommonRegion)
{
    const CropCase cases[] = {
        {640, 480, 0, 0, 0, 0, 0, 0, 0},
        {640, 480, 3, 0, 0, 3, 0, 1, 0},      // 637 % 4 = 1 goes to the left origin
        {640, 480, 3, 0, 1, 3, 0, 0, 0},      // per-frame mode keeps 637
        {640, 480, 8, 0, 0, 8, 0, 0, 0},
        {640, 480, -6, 5, 0, 1, 5, 7, 0},     // 634 % 4 = 2: one to each
        {640, 480, 4, -7, 0, 4, 0, 0, 7},     // rows are never rounded
        {640, 480, 5000, -5000, 0, 631, 0, 1, 470},   // limited to the size less 10, then rounded
        {640, 480, -5000, 5000, 1, 0, 470, 630, 0},
        {6, 4, 3, 2, 1, 0, 0, 0, 0},          // frames under 10 pixels keep no offset
        {6, 4, -3, -2, 0, 1, 0, 1, 0},        // ... and their width is still rounded
    };
    for (const CropCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " shift " << c.shiftX << "," << c.shiftY
                                        << " all-frame " << c.allFrame);
        int m[4] = {-1, -1, -1, -1};
        EXPECT_EQ(ShiftToCropMargins(m, c.width, c.height, c.shiftX, c.shiftY, c.allFrame), m);
        EXPECT_EQ(m[0], c.rc);
        EXPECT_EQ(m[1], c.rr);
        EXPECT_EQ(m[2], c.lc);
        EXPECT_EQ(m[3], c.lr);
        int common = c.width - m[0] - m[2];
        EXPECT_GE(common, 0);
        if (!c.allFrame) {
            EXPECT_EQ(common % 4, 0);
        }
    }
}
