#include "mpeg/resizer.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

ResizerSource Mpeg2(int w, int h, int aspect)
{
    ResizerSource s = {};
    s.horizontalSize = w;
    s.verticalSize = h;
    s.codedWidth = (w + 15) & ~15;
    s.codedHeight = (h + 15) & ~15;
    s.aspectRatioInformation = aspect;
    s.chromaFormat = 1;
    return s;
}

struct ResizerDeleter {
    void operator()(Resizer *r) const { FreeResizer(r); }
};
using ResizerPtr = std::unique_ptr<Resizer, ResizerDeleter>;

TEST(Resizer, TargetGeometryOfSixteenByNine)
{
    ResizerSource s = Mpeg2(720, 480, 3);
    int T = ResizerTargetWidth(s);
    EXPECT_EQ(T, 853);
    ResizerPtr r(CreateResizerFor(s, T, 0));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->luma.outWidth, 854);
    EXPECT_EQ(r->chroma.outWidth, 427);
    EXPECT_EQ(r->luma.outPitch, 864);
    EXPECT_EQ(r->chroma.outOffset, 432);
    EXPECT_EQ(r->luma.rows, 480);
    OutputInfo o = {};
    ApplyResizerToOutputInfo(r.get(), &o);
    EXPECT_EQ(o.width, 853);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.stride, 864);
}

struct TargetCase {
    int w, h, aspect, mpeg1, target;
};

TEST(Resizer, TargetWidths)
{
    const TargetCase cases[] = {
        {720, 480, 2, 0, 640}, {640, 480, 2, 0, 640}, {720, 576, 4, 0, 1272}, {720, 576, 1, 0, 720},
        {352, 240, 12, 1, 320}, {352, 240, 8, 1, 384}, {352, 240, 3, 1, 352 * 10000 / 7031}, {352, 240, 1, 1, 352},
    };
    for (const TargetCase &c : cases) {
        ResizerSource s = Mpeg2(c.w, c.h, c.aspect);
        s.mpeg1 = c.mpeg1;
        EXPECT_EQ(ResizerTargetWidth(s), c.target) << c.w << " " << c.aspect;
    }
    ResizerSource same = Mpeg2(640, 480, 2);
    EXPECT_EQ(CreateResizerFor(same, ResizerTargetWidth(same), 0), nullptr);
}

TEST(Resizer, DisplayExtensionCropsCentred)
{
    ResizerSource s = Mpeg2(720, 480, 2);
    s.displayExtension = 1;
    s.displayHorizontalSize = 704;
    s.displayVerticalSize = 480;
    ResizerPtr r(CreateResizerFor(s, ResizerTargetWidth(s), 0));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->luma.srcOffset, 8);
    EXPECT_EQ(r->chroma.srcOffset, 4 + 360);
}

// A display size larger than the picture (legal) has nothing to crop: no
// negative offsets, and every read stays inside the frame.
TEST(Resizer, DisplayLargerThanThePictureIsClamped)
{
    struct Case {
        int w, h, dw, dh;
    } cases[] = {{714, 476, 720, 480}, {720, 480, 2000, 480}, {720, 480, 0, 480}, {1920, 1080, 1920, 1088}};
    for (const Case &c : cases) {
        ResizerSource s = Mpeg2(c.w, c.h, 2);
        s.displayExtension = 1;
        s.displayHorizontalSize = c.dw;
        s.displayVerticalSize = c.dh;
        ResizerPtr r(CreateResizerFor(s, ResizerTargetWidth(s), 0));
        ASSERT_TRUE(r);
        EXPECT_GE(r->luma.srcOffset, 0);
        EXPECT_GE(r->chroma.srcOffset, s.codedWidth / 2);
        EXPECT_LE(r->luma.rows, c.h);
        FrameBuffer *f = NewFrameBuffer(s.codedWidth, s.codedHeight);
        FrameBuffer *out = ResizeFrame(f, r.get());
        ASSERT_NE(out, f);
        EXPECT_EQ(out->width, r->luma.outPitch);
        ReleaseFrameBuffer(out);
        ReleaseFrameBuffer(f);
    }
}

TEST(Resizer, EnlargingWeightsSumToOneAndRepeatEdges)
{
    ResizerSource s = Mpeg2(720, 480, 3);
    ResizerPtr r(CreateResizerFor(s, 853, 0));
    ASSERT_TRUE(r);
    for (const ResizePlane *p : {&r->luma, &r->chroma}) {
        EXPECT_EQ(p->taps, 6);
        for (int i = 0; i < p->count; i++) {
            int sum = 0;
            for (int j = 0; j < p->taps; j++) {
                sum += p->weights[i][j];
                ASSERT_GE(p->index[i][j], 0);
                ASSERT_LT(p->index[i][j], p->srcWidth);
            }
            // Each weight truncated toward zero.
            ASSERT_LE(std::abs(sum - 65536), p->taps);
        }
    }
    EXPECT_EQ(r->luma.index[0][0], 0);
    EXPECT_EQ(r->luma.index[0][1], 0);
    // A flat plane stays flat.
    FrameBuffer *f = NewFrameBuffer(720, 480);
    FrameBuffer *out = ResizeFrame(f, r.get());
    for (int x = 0; x < 854; x++)
        ASSERT_EQ(out->y[479 * 864 + x], 16);
    ReleaseFrameBuffer(out);
    ReleaseFrameBuffer(f);
}

TEST(Resizer, ReducingUsesMoreTapsAndResizeToSizeLimitsRows)
{
    ResizerSource s = Mpeg2(1920, 1080, 3);
    ResizerPtr r(CreateResizerFor(s, 720, 576));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->luma.taps, (6 * 1920 + 719) / 720);
    EXPECT_EQ(r->luma.rows, 576);
    // A 960-wide chroma to 360 samples.
    EXPECT_EQ(r->chroma.taps, (6 * 960 + 359) / 360);
    EXPECT_EQ(CreateResizerFor(s, 1920, 0), nullptr);
}

TEST(Resizer, FrameOfAnotherGeometryIsLeftAlone)
{
    ResizerSource s = Mpeg2(720, 480, 3);
    ResizerPtr r(CreateResizerFor(s, 853, 0));
    FrameBuffer *small = NewFrameBuffer(352, 240);
    EXPECT_EQ(ResizeFrame(small, r.get()), small);
    ReleaseFrameBuffer(small);
}

// From the sequence record: the setting, and the record's display size
// clamped in place.
TEST(Resizer, FromTheSequenceRecord)
{
    SequenceRecord seq = {};
    seq.horizontal_size = 720;
    seq.vertical_size = 480;
    seq.coded_width = 720;
    seq.coded_height = 480;
    seq.aspect_ratio_information = 3;
    seq.has_sequence_extension = 1;
    seq.chroma_format = 1;
    seq.has_display_extension = 1;
    seq.display_horizontal_size = 720;
    seq.display_vertical_size = 4000; // beyond the coded height
    EXPECT_EQ(CreateResizer(&seq, 0), nullptr);
    ResizerPtr r(CreateResizer(&seq, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(seq.display_vertical_size, 480);
    EXPECT_EQ(r->targetWidth, 853);
    ResizerPtr fixed(CreateResizerToSize(&seq, 640, 400));
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->luma.rows, 400);
    EXPECT_EQ(CreateResizerToSize(&seq, 720, 480), nullptr);
}

TEST(Lanczos, KernelValues)
{
    EXPECT_EQ(Lanczos3(0), 1);
    EXPECT_EQ(Lanczos3(3), 0);
    EXPECT_EQ(Lanczos3(-3.5L), 0);
    EXPECT_NEAR((double)Lanczos3(1), 0, 1e-15);
    EXPECT_NEAR((double)Lanczos3(0.5L), 0.6079271018540267, 1e-12);
}

} // namespace
