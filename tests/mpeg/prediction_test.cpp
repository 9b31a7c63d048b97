#include "mpeg/prediction.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

struct FbDeleter {
    void operator()(FrameBuffer *f) const { ReleaseFrameBuffer(f); }
};
using FbPtr = std::unique_ptr<FrameBuffer, FbDeleter>;

FbPtr Pattern(int w, int h, int seed)
{
    FbPtr fb(NewFrameBuffer(w, h));
    std::mt19937 rng(seed);
    for (int i = 0; i < w * h; i++) {
        fb->y[i] = (uint8_t)rng();
        fb->u[i] = (uint8_t)rng();
        fb->v[i] = (uint8_t)rng();
    }
    return fb;
}

// The prediction a routine slot must give, written from the table of the
// four half-sample cases.
int Expected(const uint8_t *s, int stride, int hx, int hy)
{
    int a = s[0], b = s[1], c = s[stride], d = s[stride + 1];
    if (hx && hy)
        return (a + b + c + d + 2) >> 2;
    if (hx)
        return (a + b + 1) >> 1;
    if (hy)
        return (a + c + 1) >> 1;
    return a;
}

void CheckTable(const PredictRoutine *table)
{
    std::mt19937 rng(5);
    for (int slot = 0; slot < kPredictSlots; slot++) {
        int wide = slot >> 3, hx = (slot >> 2) & 1, hy = (slot >> 1) & 1, store = slot & 1;
        int w = wide ? 16 : 8;
        for (int rows : {4, 8, 16}) {
            alignas(16) uint8_t src[48 * 20], dst[48 * 18], before[48 * 18];
            for (auto &v : src)
                v = (uint8_t)rng();
            for (auto &v : dst)
                v = (uint8_t)rng();
            std::copy(dst, dst + sizeof dst, before);
            table[slot](src + 3, dst + 16, 48, 48, rows);
            for (int r = 0; r < 18; r++)
                for (int x = 0; x < 48; x++) {
                    int i = r * 48 + x;
                    bool inside = r < rows && x >= 16 && x < 16 + w;
                    int expect = before[i];
                    if (inside) {
                        int v = Expected(src + 3 + r * 48 + (x - 16), 48, hx, hy);
                        expect = store ? v : (v + before[i] + 1) >> 1;
                    }
                    ASSERT_EQ(dst[i], expect) << "slot " << slot << " rows " << rows << " at " << x << "," << r;
                }
        }
    }
}

TEST(PredictionRoutines, PortableTableComputesEveryCase) { CheckTable(g_predictPortable); }

PredictionState FrameState(int codingType)
{
    PredictionState ps = {};
    ps.chromaFormat = 1;
    ps.pictureStructure = kPictureFrame;
    ps.pictureCodingType = codingType;
    ps.motionType = kMotionFrame;
    ps.dispatch = DispatchPortable;
    return ps;
}

TEST(Prediction, SkippedPMacroblockCopiesTheCoLocatedSamples)
{
    const int W = 64, H = 48;
    FbPtr ref = Pattern(W, H, 1), cur(NewFrameBuffer(W, H));
    PredictionState ps = FrameState(kCodingP);
    PredictMacroblock(ref.get(), nullptr, cur.get(), &ps, 16, 32);
    for (int r = 0; r < H; r++)
        for (int x = 0; x < W; x++) {
            bool in = x >= 16 && x < 32 && r >= 32;
            ASSERT_EQ(cur->y[r * W + x], in ? ref->y[r * W + x] : 16) << x << "," << r;
        }
    for (int r = 0; r < H / 2; r++)
        for (int x = 0; x < W / 2; x++) {
            bool in = x >= 8 && x < 16 && r >= 16;
            ASSERT_EQ(cur->u[r * W + x], in ? ref->u[r * W + x] : 128);
            ASSERT_EQ(cur->v[r * W + x], in ? ref->v[r * W + x] : 128);
        }
}

TEST(Prediction, ChromaVectorTruncatesTowardZero)
{
    const int W = 64, H = 48;
    FbPtr ref = Pattern(W, H, 2), cur(NewFrameBuffer(W, H));
    PredictionState ps = FrameState(kCodingP);
    ps.forward = 1;
    ps.vectors[0][0][0] = -1; // half a luma sample left: chroma vector 0
    PredictMacroblock(ref.get(), nullptr, cur.get(), &ps, 16, 16);
    for (int r = 8; r < 16; r++)
        for (int x = 8; x < 16; x++)
            ASSERT_EQ(cur->u[r * W + x], ref->u[r * W + x]);
    EXPECT_EQ(cur->y[16 * W + 16], (ref->y[16 * W + 15] + ref->y[16 * W + 16] + 1) >> 1);
}

TEST(Prediction, BidirectionalAveragesBothReferences)
{
    const int W = 32, H = 32;
    FbPtr f = Pattern(W, H, 3), b = Pattern(W, H, 4), cur(NewFrameBuffer(W, H));
    PredictionState ps = FrameState(kCodingB);
    ps.forward = ps.backward = 1;
    PredictMacroblock(f.get(), b.get(), cur.get(), &ps, 16, 16);
    for (int r = 16; r < 32; r++)
        for (int x = 16; x < 32; x++)
            ASSERT_EQ(cur->y[r * W + x], (f->y[r * W + x] + b->y[r * W + x] + 1) >> 1);
    // Backward alone stores.
    ps.forward = 0;
    PredictMacroblock(f.get(), b.get(), cur.get(), &ps, 0, 0);
    EXPECT_EQ(cur->y[0], b->y[0]);
}

TEST(Prediction, SecondFieldOfPFrameReadsTheFirstFieldOfItsOwnFrame)
{
    const int W = 32, H = 64;
    FbPtr ref = Pattern(W, H, 5), cur = Pattern(W, H, 6);
    std::vector<uint8_t> before(cur->y, cur->y + W * H);
    PredictionState ps = FrameState(kCodingP);
    ps.pictureStructure = kPictureBottom;
    ps.firstField = 0;
    ps.forward = 1;
    ps.motionType = kMotionField;
    ps.fieldSelect[0][0] = 0; // the top field: this frame's first field
    PredictMacroblock(ref.get(), nullptr, cur.get(), &ps, 0, 32);
    // Bottom field lines 16..31 (frame rows 33, 35, ...) from top field lines
    // 16..31 (frame rows 32, 34, ...) of the current picture.
    for (int l = 16; l < 32; l++)
        for (int x = 0; x < 16; x++)
            ASSERT_EQ(cur->y[(2 * l + 1) * W + x], before[2 * l * W + x]) << l;
    // In the first field the same select reads the forward reference.
    FbPtr cur2(NewFrameBuffer(W, H));
    ps.firstField = 1;
    PredictMacroblock(ref.get(), nullptr, cur2.get(), &ps, 0, 32);
    EXPECT_EQ(cur2->y[33 * W], ref->y[32 * W]);
}

TEST(Prediction, DualPrimeFrameAveragesBothParities)
{
    const int W = 32, H = 32;
    FbPtr ref = Pattern(W, H, 7), cur(NewFrameBuffer(W, H));
    PredictionState ps = FrameState(kCodingP);
    ps.forward = 1;
    ps.motionType = kMotionDualPrime;
    // Same-parity vector 0; derived vectors reach one field line down (2
    // half samples) for the top field and 0 for the bottom field.
    ps.dualPrime[0][1] = 2;
    PredictMacroblock(ref.get(), nullptr, cur.get(), &ps, 0, 0);
    for (int l = 0; l < 8; l++)
        for (int x = 0; x < 16; x++) {
            int top = ref->y[2 * l * W + x], bottomNext = ref->y[(2 * (l + 1) + 1) * W + x];
            ASSERT_EQ(cur->y[2 * l * W + x], (top + bottomNext + 1) >> 1);
            int bottom = ref->y[(2 * l + 1) * W + x], topSame = ref->y[2 * l * W + x];
            ASSERT_EQ(cur->y[(2 * l + 1) * W + x], (bottom + topSame + 1) >> 1);
        }
}

TEST(Prediction, Field16x8UsesItsSecondVectorForTheLowerHalf)
{
    const int W = 32, H = 64;
    FbPtr ref = Pattern(W, H, 8), cur(NewFrameBuffer(W, H));
    PredictionState ps = FrameState(kCodingP);
    ps.pictureStructure = kPictureTop;
    ps.firstField = 1;
    ps.forward = 1;
    ps.motionType = kMotion16x8;
    ps.fieldSelect[1][0] = 1;
    ps.vectors[1][0][0] = 4; // two samples right, from the bottom field
    PredictMacroblock(ref.get(), nullptr, cur.get(), &ps, 0, 0);
    EXPECT_EQ(cur->y[0], ref->y[0]);                           // upper: top field, vector 0
    EXPECT_EQ(cur->y[16 * W + 3], ref->y[17 * W + 5]);         // lower: line 8 from bottom line 8
}

// Vectors far outside the picture (a damaged stream) read the nearest
// block inside the reference, never outside it.
TEST(Prediction, VectorsOutsideThePictureReadAtTheEdge)
{
    const int W = 48, H = 32;
    FbPtr ref = Pattern(W, H, 9);
    struct Case {
        int vx, vy, x, y, structure;
    } cases[] = {{-4000, -4000, 0, 0, kPictureFrame}, {4001, 4001, 32, 16, kPictureFrame},
                 {3, 999, 32, 16, kPictureFrame},     {-9999, 9999, 16, 0, kPictureBottom},
                 {77, 77, 32, 0, kPictureTop}};
    for (const Case &c : cases) {
        FbPtr cur(NewFrameBuffer(W, H));
        PredictionState ps = FrameState(kCodingB);
        ps.pictureStructure = c.structure;
        ps.motionType = c.structure == kPictureFrame ? kMotionFrame : kMotionField;
        ps.forward = ps.backward = 1;
        for (int r = 0; r < 2; r++)
            for (int s = 0; s < 2; s++) {
                ps.vectors[r][s][0] = c.vx;
                ps.vectors[r][s][1] = c.vy;
            }
        PredictMacroblock(ref.get(), ref.get(), cur.get(), &ps, c.x, c.y);
        if (c.structure == kPictureFrame && c.vx == 4001) {
            // Clamped to the bottom-right block, half-sample bits kept.
            int r = H - 17, x = W - 17;
            EXPECT_EQ(cur->y[16 * W + 32], (ref->y[r * W + x] + ref->y[r * W + x + 1] + ref->y[(r + 1) * W + x] +
                                            ref->y[(r + 1) * W + x + 1] + 2) >>
                                               2);
        }
    }
}

// A destination outside the picture (a field picture taller than its
// buffer) is not written.
TEST(Prediction, DestinationOutsideTheBufferIsRefused)
{
    const int W = 32, H = 48; // an odd number of macroblock rows
    FbPtr ref = Pattern(W, H, 10), cur(NewFrameBuffer(W, H));
    PredictionState ps = FrameState(kCodingP);
    ps.pictureStructure = kPictureBottom;
    ps.firstField = 1;
    ps.motionType = kMotionField;
    ps.fieldSelect[0][0] = 1;
    PredictMacroblock(ref.get(), nullptr, cur.get(), &ps, 0, 32); // field lines 16..31 of 24
    EXPECT_EQ(cur->y[(2 * 16 + 1) * W], ref->y[(2 * 16 + 1) * W]); // upper half fits
}

} // namespace
