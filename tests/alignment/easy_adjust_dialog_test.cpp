// The easy-adjustment dialog driven in this process: created modeless from
// its template (hidden) on frames made here, its controls set and its
// commands sent as a user's clicks send them; and the command 2054 through
// the main window on the shell's test movies, the dialog answered when it
// appears.
#include "alignment/easy_adjust_dialog.h"

#include "alignment/adjust_preview.h"
#include "alignment/auto_align.h"
#include "alignment/frame_adjustment.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"
#include "tests/test_frames.h"

#include <commctrl.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// A picture with edges in both directions, different for the two eyes.
DibPtr Scene(int w, int h, int tag)
{
    return MakeFrame(w, h, [=](int x, int row) {
        const int v = ((x / 8 + row / 8) & 1) ? 200 : 40;
        return Bgr{(v + x + tag) & 255, (v + row) & 255, (v + 3 * tag) & 255};
    });
}

struct DibPtrFree {
    void operator()(PackedDib *d) const
    {
        if (d)
            FreeDib(d);
    }
};
using Owned = std::unique_ptr<PackedDib, DibPtrFree>;

class EasyAdjustDialog : public MainWindowTest {
protected:
    DibPtr left = Scene(160, 120, 0), right = Scene(160, 120, 60);
    HWND dialog = nullptr;
    bool pairOpen = false;

    // The main window with the shell's test movies open, for the command.
    void OpenTestPair()
    {
        OpenMainWindow();
        pairOpen = true;
        ASSERT_TRUE(OpenPair(HostFile(TWR_SHELL_MEDIA_DIR, "scene_L.avi"), HostFile(TWR_SHELL_MEDIA_DIR, "scene_R.avi")));
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The program's start values, the bilinear warps' product table
        // among them.
        static const bool started = (SetStartValues(), true);
        (void)started;
        g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
        ResetAlignmentValuesForNewPair();
        g_nHalfFov = kHalfFovStart;
        g_nPersShiftL = g_nPersShiftR = 0;
        g_nCanvasHeight = 0;
        g_nShiftX = g_nShiftY = 0;
        g_bResample = 1;
        g_bAutoCrop = 1;
        g_pAdjustDibL = left.get();
        g_pAdjustDibR = right.get();
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        if (pairOpen)
            ClosePair();
        g_pAdjustDibL = g_pAdjustDibR = nullptr;
        MainWindowTest::TearDown();
    }

    void Open()
    {
        if (dialog)
            DestroyWindow(dialog);
        dialog = CreateDialogParamA(g_hInst, "ANGLES", nullptr, EasyAdjustDlgProc, 0);
        ASSERT_TRUE(dialog != nullptr);
    }
    void Click(int id, int code = BN_CLICKED)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(dialog, id));
    }
    void Check(int id, bool on)
    {
        CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
        Click(id);
    }
    void View(int view)
    {
        CheckRadioButton(dialog, IDC_EA_VIEW_FIRST, IDC_EA_VIEW_FIRST + 3, IDC_EA_VIEW_FIRST + view);
        Click(IDC_EA_VIEW_FIRST + view);
    }
    void Scroll(int bar, int code, int position = 0)
    {
        UINT msg = bar == IDC_EA_SHIFT_Y ? WM_VSCROLL : WM_HSCROLL;
        SendMessageA(dialog, msg, MAKEWPARAM(code, position), (LPARAM)GetDlgItem(dialog, bar));
    }
    int ScrollPos(int bar) { return GetScrollPos(GetDlgItem(dialog, bar), SB_CTL); }
    void Type(int id, const char *text) { SetDlgItemTextA(dialog, id, text); }
    std::string Text(int id)
    {
        char b[300];
        GetDlgItemTextA(dialog, id, b, sizeof b);
        return b;
    }
    bool Shown(int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    void Lens(int index)
    {
        SendDlgItemMessageA(dialog, IDC_EA_LENS_LIST, CB_SETCURSEL, (WPARAM)index, 0);
        Click(IDC_EA_LENS_LIST, CBN_SELCHANGE);
    }
    // A left click at a pixel of the drawn preview (at its own size).
    void ClickPreview(int x, int y)
    {
        RECT r;
        ASSERT_TRUE(EasyAdjustPreviewPlacement(&r));
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + x, r.top + y));
    }
    static std::string TempFile(const char *name)
    {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        return std::string(dir) + name;
    }
};

// ---- opening and closing ----

TEST_F(EasyAdjustDialog, OpensWithTheValuesAndOkStoresThemUnchanged)
{
    g_nShiftX = 12;
    g_nShiftY = -5;
    g_nRotationL = 15;
    g_nRotationR = -7;
    g_nSize1000L = 25;
    g_nSize1000R = -40;
    g_nPerspectiveVL = 3;
    g_nPerspectiveHR = -9;
    Open();
    EXPECT_EQ(ScrollPos(IDC_EA_ROTATION_L), 915);
    EXPECT_EQ(ScrollPos(IDC_EA_SIZE_R), 960);
    EXPECT_EQ(ScrollPos(IDC_EA_SHIFT_X), 150 - 12);   // half the range (160 - 10) minus the offset
    EXPECT_EQ(ScrollPos(IDC_EA_SHIFT_Y), 110 - 5);
    EXPECT_EQ(Utf8(Text(IDC_EA_LABEL_ROTATION_L)), "1.5 度");
    EXPECT_EQ(Utf8(Text(IDC_EA_LABEL_ROTATION_R)), "-0.7 度");
    EXPECT_EQ(Text(IDC_EA_LABEL_SIZE_L), "102.5 %");
    EXPECT_EQ(Text(IDC_EA_FOCAL_LABEL), "50 mm - FOV=39.6 Deg.");   // the preset 198 as it is
    EXPECT_EQ(ScrollPos(IDC_EA_FOCAL), 50);
    EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_EA_AUTOCROP));
    EXPECT_TRUE(Shown(IDC_EA_ROTATION_L));
    EXPECT_FALSE(Shown(IDC_EA_PERSPECTIVE_VL));
    EXPECT_FALSE(Shown(IDC_EA_FOCAL));
    Click(IDOK);
    EXPECT_EQ(g_bEasyAdjustConfirmed, 1);
    const int want[] = {12, -5, 15, -7, 25, -40, 3, 0, 0, -9, 198};
    const int got[] = {g_nShiftX,        g_nShiftY,        g_nRotationL,     g_nRotationR,
                       g_nSize1000L,     g_nSize1000R,     g_nPerspectiveVL, g_nPerspectiveVR,
                       g_nPerspectiveHL, g_nPerspectiveHR, g_nHalfFov};
    for (int i = 0; i < 11; i++)
        EXPECT_EQ(got[i], want[i]) << i;
}

TEST_F(EasyAdjustDialog, ACancelledDialogChangesNothing)
{
    // Esc and the cancel button send IDCANCEL; the close box WM_CLOSE.
    for (bool byClose : {false, true}) {
        g_nHalfFov = 198;
        g_nPersShiftL = 4;
        g_nPersShiftR = -3;
        g_nCanvasHeight = 2;
        g_bReversePerspective = 0;
        g_nRotationL = 11;
        g_nShiftX = 12;
        Open();
        Click(IDC_EA_LENS_35);
        Type(IDC_EA_PERS_SHIFT_L, "30");
        Type(IDC_EA_PERS_SHIFT_R, "-50");
        Type(IDC_EA_CANVAS, "9");
        Check(IDC_EA_REVERSE_PERSPECTIVE, true);
        EXPECT_EQ(g_nHalfFov, 272);   // changed at once, for the preview
        EXPECT_EQ(g_nPersShiftL, 30);
        EXPECT_EQ(g_nCanvasHeight, 9);
        EXPECT_EQ(g_bReversePerspective, 1);
        Scroll(IDC_EA_ROTATION_L, SB_THUMBPOSITION, 1200);
        Scroll(IDC_EA_SHIFT_X, SB_LEFT);
        if (byClose)
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        else
            Click(IDCANCEL);
        EXPECT_EQ(g_bEasyAdjustConfirmed, 0) << byClose;
        EXPECT_EQ(g_nHalfFov, 198) << byClose;
        EXPECT_EQ(g_nPersShiftL, 4) << byClose;
        EXPECT_EQ(g_nPersShiftR, -3) << byClose;
        EXPECT_EQ(g_nCanvasHeight, 2) << byClose;
        EXPECT_EQ(g_bReversePerspective, 0) << byClose;
        EXPECT_EQ(g_nRotationL, 11) << byClose;
        EXPECT_EQ(g_nShiftX, 12) << byClose;
    }
}

TEST_F(EasyAdjustDialog, LensButtonsUseTheFormulaAndThePresetsTheirOwnFields)
{
    Open();
    const struct { int button, list, halfFov; const char *label; } cases[] = {
        {IDC_EA_LENS_35, -1, 272, "35 mm - FOV=54.4 Deg."},
        {IDC_EA_LENS_50, -1, 197, "50 mm - FOV=39.4 Deg."},
        {IDC_EA_LENS_75, -1, 134, "75 mm - FOV=26.8 Deg."},
        {0, 5, 97, "105 mm - FOV=19.4 Deg."},   // "Long(105mm)"
        {0, 3, 198, "50 mm - FOV=39.6 Deg."},   // "Standard(50mm)"
        {0, 4, 135, "75 mm - FOV=27.0 Deg."},   // "Portrait(75mm)"
        {0, 0, 660, "8 mm - FOV=132.0 Deg."},
    };
    for (const auto &c : cases) {
        if (c.button)
            Click(c.button);
        else
            Lens(c.list);
        EXPECT_EQ(g_nHalfFov, c.halfFov) << c.label;
        EXPECT_EQ(Text(IDC_EA_FOCAL_LABEL), c.label);
    }
    char name[64];
    SendDlgItemMessageA(dialog, IDC_EA_LENS_LIST, CB_GETLBTEXT, 5, (LPARAM)name);
    EXPECT_STREQ(name, "Long(105mm)");
    // The scroll bar: the focal length itself, the field by the formula.
    Scroll(IDC_EA_FOCAL, SB_THUMBPOSITION, 24);
    EXPECT_EQ(g_nHalfFov, HalfFovFromFocalLength(24));
    Scroll(IDC_EA_FOCAL, SB_LEFT);
    EXPECT_EQ(Text(IDC_EA_FOCAL_LABEL), "8 mm - FOV=132.0 Deg.");   // the formula meets the preset there
}

TEST_F(EasyAdjustDialog, TabPagesShowTheirOwnControls)
{
    Open();
    HWND tabs = GetDlgItem(dialog, IDC_EA_TABS);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    const struct { int page; std::vector<int> shown, hidden; } cases[] = {
        {1, {IDC_EA_FOCAL, IDC_EA_LENS_LIST, IDC_EA_PERSPECTIVE_VL, IDC_EA_RESET_PERSPECTIVE_VR},
         {IDC_EA_ROTATION_L, IDC_EA_AUTO_ROTATION, IDC_EA_PERSPECTIVE_HL, IDC_EA_CANVAS}},
        {2, {IDC_EA_FOCAL, IDC_EA_PERSPECTIVE_HR, IDC_EA_PERS_SHIFT_L, IDC_EA_CANVAS, IDC_EA_REVERSE_PERSPECTIVE},
         {IDC_EA_PERSPECTIVE_VL, IDC_EA_SIZE_L}},
        {0, {IDC_EA_ROTATION_R, IDC_EA_SIZE_L, IDC_EA_ERASE_LINES}, {IDC_EA_FOCAL, IDC_EA_PERS_SHIFT_R}},
    };
    for (const auto &c : cases) {
        SendMessageA(tabs, TCM_SETCURSEL, (WPARAM)c.page, 0);
        NMHDR n = {tabs, IDC_EA_TABS, (UINT)TCN_SELCHANGE};
        SendMessageA(dialog, WM_NOTIFY, IDC_EA_TABS, (LPARAM)&n);
        for (int id : c.shown)
            EXPECT_TRUE(Shown(id)) << c.page << " " << id;
        for (int id : c.hidden)
            EXPECT_FALSE(Shown(id)) << c.page << " " << id;
    }
    // Always there: the preview, the offsets, the views.
    for (int id : {IDC_EA_PREVIEW, IDC_EA_SHIFT_X, IDC_EA_SHIFT_Y, IDC_EA_VIEW_FIRST + 3, IDOK})
        EXPECT_TRUE(Shown(id)) << id;
    char text[64];
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, 1, (LPARAM)&item);
    EXPECT_EQ(Utf8(text), "水平遠近補正");
}

TEST_F(EasyAdjustDialog, LinkedChangeMovesTheOtherImageByTheSameAmount)
{
    g_nRotationR = 20;
    Open();
    Check(IDC_EA_LINKED, true);
    Scroll(IDC_EA_ROTATION_L, SB_THUMBPOSITION, 950);   // +50
    EXPECT_EQ(ScrollPos(IDC_EA_ROTATION_R), 970);
    Scroll(IDC_EA_SIZE_R, SB_LINELEFT);
    EXPECT_EQ(ScrollPos(IDC_EA_SIZE_L), 999);
    Check(IDC_EA_LINKED, false);
    Scroll(IDC_EA_ROTATION_L, SB_LINERIGHT);
    EXPECT_EQ(ScrollPos(IDC_EA_ROTATION_R), 970);
    Click(IDOK);
    EXPECT_EQ(g_nRotationL, 51);
    EXPECT_EQ(g_nRotationR, 70);
    EXPECT_EQ(g_nSize1000L, -1);
    EXPECT_EQ(g_nSize1000R, -1);
}

// ---- the size limit ----

TEST_F(EasyAdjustDialog, SmallestSizeStillLeavesAPixel)
{
    const struct { int w, h, minimum; } cases[] = {
        {160, 120, -991},   // 9 per mille of 120 rows is one row
        {4, 2, -500},
        {1000, 1000, -999},
        {3000, 2000, -999},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(MinimumEasySize1000(c.w, c.h), c.minimum) << c.w << "x" << c.h;
        EXPECT_GE((1000 + c.minimum) * c.h / 1000, 1);
        EXPECT_EQ((1000 + c.minimum - 1) * (c.w < c.h ? c.w : c.h) / 1000, 0);   // one less leaves none
    }
    DibPtr tiny = Scene(16, 12, 0);
    for (PackedDib *frame : {left.get(), tiny.get()}) {
        g_pAdjustDibL = g_pAdjustDibR = frame;
        Open();
        Scroll(IDC_EA_SIZE_L, SB_LEFT);
        Scroll(IDC_EA_SIZE_R, SB_THUMBPOSITION, 0);
        ASSERT_TRUE(EasyAdjustPreviewImage() != nullptr);
        Click(IDOK);
        const int h = DibHeight(frame), w = DibWidth(frame);
        for (int size : {g_nSize1000L, g_nSize1000R}) {
            EXPECT_EQ(size, MinimumEasySize1000(w, h));
            EXPECT_GE((1000 + size) * h / 1000, 1);
        }
    }
}

// ---- the preview ----

struct PreviewCase {
    int rotL, rotR, sizeL, sizeR, persVL, persHR, shiftX, shiftY, view;
    bool actual;
};

TEST_F(EasyAdjustDialog, PreviewIsWhatTheKernelsGive)
{
    const PreviewCase cases[] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, false},
        {35, -20, 0, 0, 0, 0, 12, -5, 0, false},
        {0, 0, -150, 200, 0, 0, -7, 9, 0, false},     // shrink before the warp, enlarge after it
        {40, 0, 120, -80, 0, 0, 0, 0, 1, true},
        {0, 10, 0, 0, 60, -45, 3, 3, 2, false},
    };
    for (const PreviewCase &c : cases) {
        g_nRotationL = c.rotL;
        g_nRotationR = c.rotR;
        g_nSize1000L = c.sizeL;
        g_nSize1000R = c.sizeR;
        g_nPerspectiveVL = c.persVL;
        g_nPerspectiveHR = c.persHR;
        g_nShiftX = c.shiftX;
        g_nShiftY = c.shiftY;
        Open();
        View(c.view);
        if (c.actual)
            Check(IDC_EA_ACTUAL_SIZE, true);
        const PackedDib *shown = EasyAdjustPreviewImage();
        ASSERT_TRUE(shown != nullptr);

        const AdjustPreviewRequest request = CurrentAdjustPreviewRequest(c.actual ? 1 : 0);
        auto eye = [&](const PackedDib *frame, int rot, int size, int persV, int persH, int otherH) {
            Owned grey(MakeGreyDib(frame, 256));
            if (size < 0) {
                Owned z(ZoomPreviewImage(grey.get(), 1000 + size));
                return Owned(WarpPreviewImage(z.get(), rot, persV, persH, otherH, 0, request));
            }
            Owned w(WarpPreviewImage(grey.get(), rot, persV, persH, otherH, 0, request));
            return size > 0 ? Owned(ZoomPreviewImage(w.get(), 1000 + size)) : std::move(w);
        };
        Owned l = eye(left.get(), c.rotL, c.sizeL, c.persVL, 0, c.persHR);
        Owned r = eye(right.get(), c.rotR, c.sizeR, 0, c.persHR, 0);
        Owned want(ComposeAdjustPreview(l.get(), r.get(), c.shiftX, c.shiftY, c.view, nullptr));
        ASSERT_TRUE(want != nullptr);
        ASSERT_EQ(DibWidth(shown), DibWidth(want.get()));
        ASSERT_EQ(DibHeight(shown), DibHeight(want.get()));
        int differ = 0, lit = 0;
        for (int y = 0; y < DibHeight(shown); y++)
            for (int x = 0; x < DibWidth(shown) * 3; x++) {
                differ += DibRow(shown, y)[x] != DibRow(want.get(), y)[x];
                lit += DibRow(shown, y)[x] > 40;
            }
        EXPECT_EQ(differ, 0) << c.rotL << " " << c.sizeL << " " << c.view;
        EXPECT_GT(lit, DibWidth(shown) * DibHeight(shown) / 4);   // a picture, not a black field

        // Drawn fitted into the control with its shape, or at its own size.
        RECT placed, control;
        ASSERT_TRUE(EasyAdjustPreviewPlacement(&placed));
        GetClientRect(GetDlgItem(dialog, IDC_EA_PREVIEW), &control);
        const int pw = placed.right - placed.left, ph = placed.bottom - placed.top;
        if (c.actual) {
            EXPECT_EQ(pw, DibWidth(shown));
            EXPECT_EQ(ph, DibHeight(shown));
        } else {
            EXPECT_TRUE(pw == control.right || ph == control.bottom);
            EXPECT_LE(pw, control.right);
            EXPECT_LE(ph, control.bottom);
            EXPECT_NEAR((double)pw / ph, (double)DibWidth(shown) / DibHeight(shown), 0.02);
        }
    }
}

// Frames larger than the preview area are warped at the size they are
// shown at (offsets scaled with them), so a slider step costs what is
// seen; "実寸表示" warps every pixel.
TEST_F(EasyAdjustDialog, LargeFramesAreWarpedAtTheSizeTheyAreShown)
{
    DibPtr bigL = Scene(1280, 960, 0), bigR = Scene(1280, 960, 60);
    g_pAdjustDibL = bigL.get();
    g_pAdjustDibR = bigR.get();
    g_nRotationL = 25;
    g_nShiftX = 40;
    g_nShiftY = -21;
    Open();
    View(0);
    RECT control;
    GetClientRect(GetDlgItem(dialog, IDC_EA_PREVIEW), &control);
    ASSERT_LT(control.right, 1280);
    ASSERT_LT(control.bottom, 960);
    int fw = control.right, fh = 960 * control.right / 1280;
    if (fh > control.bottom) {
        fh = control.bottom;
        fw = 1280 * control.bottom / 960;
    }
    const int dx = (int)floor(40.0 * fw / 1280 + 0.5), dy = (int)floor(-21.0 * fh / 960 + 0.5);
    const PackedDib *shown = EasyAdjustPreviewImage();
    ASSERT_TRUE(shown != nullptr);
    EXPECT_EQ(DibWidth(shown), fw - abs(dx));
    EXPECT_EQ(DibHeight(shown), fh - abs(dy));

    const AdjustPreviewRequest request = CurrentAdjustPreviewRequest(0);
    auto eye = [&](const PackedDib *frame, int rot) {
        static const int kWhole[4] = {0, 0, 0, 0};
        Owned small(ResizeFrameForSave(dialog, frame, fw, fh, kWhole, nullptr, 1));
        Owned grey(MakeGreyDib(small.get(), 256));
        return Owned(WarpPreviewImage(grey.get(), rot, 0, 0, 0, 0, request));
    };
    Owned l = eye(bigL.get(), 25), r = eye(bigR.get(), 0);
    Owned want(ComposeAdjustPreview(l.get(), r.get(), dx, dy, 0, nullptr));
    ASSERT_TRUE(want != nullptr);
    ASSERT_EQ(DibWidth(shown), DibWidth(want.get()));
    ASSERT_EQ(DibHeight(shown), DibHeight(want.get()));
    int differ = 0;
    for (int y = 0; y < DibHeight(shown); y++)
        differ += memcmp(DibRow(shown, y), DibRow(want.get(), y), 3 * DibWidth(shown)) != 0;
    EXPECT_EQ(differ, 0);

    Check(IDC_EA_ACTUAL_SIZE, true);
    shown = EasyAdjustPreviewImage();
    ASSERT_TRUE(shown != nullptr);
    EXPECT_EQ(DibWidth(shown), 1280 - 40);
    EXPECT_EQ(DibHeight(shown), 960 - 21);
    Check(IDC_EA_ACTUAL_SIZE, false);
    shown = EasyAdjustPreviewImage();
    ASSERT_TRUE(shown != nullptr);
    EXPECT_EQ(DibWidth(shown), fw - abs(dx));
}

TEST_F(EasyAdjustDialog, AlternatingViewSwapsTheEyeOnEveryTick)
{
    Open();
    Type(IDC_EA_PERIOD, "7");
    View(3);
    // Unturned images still go through the warp (which leaves the last
    // row and column without a source).
    auto composed = [&](int view) {
        const AdjustPreviewRequest request = CurrentAdjustPreviewRequest(0);
        Owned gl(MakeGreyDib(left.get(), 256)), gr(MakeGreyDib(right.get(), 256));
        Owned l(WarpPreviewImage(gl.get(), 0, 0, 0, 0, 0, request)), r(WarpPreviewImage(gr.get(), 0, 0, 0, 0, 0, request));
        return Owned(ComposeAdjustPreview(l.get(), r.get(), 0, 0, view, nullptr));
    };
    auto same = [](const PackedDib *a, const PackedDib *b) {
        return DibWidth(a) == DibWidth(b) &&
               memcmp(FindDibBits(a), FindDibBits(b), (size_t)DibRowBytes(DibWidth(a), 24) * DibHeight(a)) == 0;
    };
    EXPECT_TRUE(same(EasyAdjustPreviewImage(), composed(1).get()));
    for (int view : {2, 1, 2}) {
        SendMessageA(dialog, WM_TIMER, 1, 0);
        EXPECT_TRUE(same(EasyAdjustPreviewImage(), composed(view).get())) << view;
    }
    View(0);
    EXPECT_TRUE(same(EasyAdjustPreviewImage(), composed(0).get()));
}

TEST_F(EasyAdjustDialog, LineDrawingShowsItsProgressAndKeepsTheTitle)
{
    Open();
    View(0);
    char before[100];
    GetWindowTextA(dialog, before, sizeof before);
    Check(IDC_EA_LINE_DRAWING, true);
    char after[100];
    GetWindowTextA(dialog, after, sizeof after);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(Utf8(after), "簡単位置調整");
    const PackedDib *p = EasyAdjustPreviewImage();
    ASSERT_TRUE(p != nullptr);
    // Black lines on white: the anaglyph of the drawing has both.
    int dark = 0, light = 0;
    for (int y = 4; y < DibHeight(p) - 4; y++)
        for (int x = 4; x < DibWidth(p) - 4; x++) {
            const BYTE blue = DibRow(p, y)[3 * x];
            dark += blue == 0;
            light += blue == 255;
        }
    EXPECT_GT(dark, 100);
    EXPECT_GT(light, 100);
}

// ---- the reference line ----

TEST_F(EasyAdjustDialog, ReferenceLineTurnsTheImageLevelOrUpright)
{
    const struct { int eye, x0, y0, x1, y1, tenths; bool upright; } cases[] = {
        {0, 20, 60, 140, 60, 0, false},
        {0, 20, 50, 140, 70, 94, false},    // atan(20 / 120) = 9.46 degrees
        {1, 140, 50, 20, 70, 94, false},    // the same line drawn the other way
        {1, 20, 70, 140, 50, 94, false},
        {0, 70, 10, 90, 110, 114, true},    // atan(5) = 78.69: turned by 90 - 78.6, upright
        {1, 90, 10, 70, 110, 114, true},
    };
    for (const auto &c : cases) {
        Open();
        Check(IDC_EA_ACTUAL_SIZE, true);
        View(1 + c.eye);
        ClickPreview(c.x0, c.y0);
        EXPECT_EQ(GetCapture(), dialog);
        ClickPreview(c.x1, c.y1);
        EXPECT_NE(GetCapture(), dialog);
        Click(IDC_EA_AUTO_ROTATION);
        const int bar = c.eye == 0 ? IDC_EA_ROTATION_L : IDC_EA_ROTATION_R;
        const int rotation = ScrollPos(bar) - 900;
        EXPECT_EQ(abs(rotation), c.tenths) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
        // Where the core puts the two ends now.
        PreviewPoint a = RotatePreviewPoint({(double)c.x0, (double)c.y0}, rotation, 0, 160, 120);
        PreviewPoint b = RotatePreviewPoint({(double)c.x1, (double)c.y1}, rotation, 0, 160, 120);
        if (c.upright)
            EXPECT_NEAR(a.x, b.x, 1.0) << c.x0 << "," << c.y0;
        else
            EXPECT_NEAR(a.y, b.y, 1.0) << c.x0 << "," << c.y0;
        // The other image is not turned.
        EXPECT_EQ(ScrollPos(c.eye == 0 ? IDC_EA_ROTATION_R : IDC_EA_ROTATION_L), 900);
        EXPECT_TRUE(boxes->shown.empty());
    }
}

TEST_F(EasyAdjustDialog, ReferenceLineIsRefusedWhileAPerspectiveIsSet)
{
    g_nPerspectiveHR = 15;
    Open();
    Check(IDC_EA_ACTUAL_SIZE, true);
    View(1);
    ClickPreview(20, 20);
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(Utf8(boxes->shown[0].text), "自動角度調整する前に遠近補正を解除して下さい。");
    EXPECT_NE(GetCapture(), dialog);
    View(2);
    ClickPreview(20, 20);
    ASSERT_EQ(boxes->shown.size(), 2u);
    EXPECT_EQ(boxes->shown[1].text, "You have to reset the perspective rotation before auto-rotation");
    EXPECT_EQ(boxes->shown[1].caption, "Caution!");
    // Reset, the tool works again; the anaglyph view draws no line.
    Click(IDC_EA_RESET_PERSPECTIVE_HR);
    ClickPreview(20, 20);
    EXPECT_EQ(GetCapture(), dialog);
    Click(IDC_EA_ERASE_LINES);
    EXPECT_NE(GetCapture(), dialog);
    View(0);
    ClickPreview(20, 20);
    EXPECT_NE(GetCapture(), dialog);
    EXPECT_EQ(boxes->shown.size(), 2u);
}

// ---- the settings file ----

TEST_F(EasyAdjustDialog, LoadKeepsStarredFieldsAndMissingValuesGiveTheDefault)
{
    const std::string path = TempFile("twr_easy_load.txt");
    const struct { const char *line; int rotL, rotR, sizeL, shiftX, focalHalfFov, persShiftR, canvas, reverse; } cases[] = {
        {"Easy Adjustment=*,25,-30,*,8,*,*,*,*,*,35,*,-6,3,1,", 11, 25, -30, -8, 272, -6, 3, 1},
        {"Easy Adjustment=*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,", 11, -4, 0, 12, 198, 2, 1, 0},
        {"Other=1,", 0, -4, 0, 12, 198, 2, 1, 0},   // "Bogus Value": the first field is 0
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(WriteWholeText(path, std::string("[Data]\r\n") + c.line + "\r\n"));
        WriteSetting("SettingFileName", path.c_str());
        g_nRotationL = 11;
        g_nRotationR = -4;
        g_nShiftX = 12;
        g_nPersShiftR = 2;
        g_nCanvasHeight = 1;
        Open();
        Click(IDC_EA_LOAD);
        Click(IDOK);
        EXPECT_EQ(g_nRotationL, c.rotL) << c.line;
        EXPECT_EQ(g_nRotationR, c.rotR) << c.line;
        EXPECT_EQ(g_nSize1000L, c.sizeL) << c.line;
        EXPECT_EQ(g_nShiftX, c.shiftX) << c.line;
        EXPECT_EQ(g_nHalfFov, c.focalHalfFov) << c.line;
        EXPECT_EQ(g_nPersShiftR, c.persShiftR) << c.line;
        EXPECT_EQ(g_nCanvasHeight, c.canvas) << c.line;
        EXPECT_EQ(g_bReversePerspective, c.reverse) << c.line;
        ResetAlignmentValuesForNewPair();
        g_nHalfFov = kHalfFovStart;
    }
    DeleteFileA(path.c_str());
}

TEST_F(EasyAdjustDialog, SavedValuesComeBack)
{
    const std::string path = TempFile("twr_easy_saved.txt");
    DeleteFileA(path.c_str());
    g_nRotationL = -123;
    g_nSize1000R = 45;
    g_nShiftX = 12;
    g_nShiftY = -3;
    g_nPerspectiveVR = 77;
    g_nPerspectiveHL = -66;
    g_nPersShiftL = -9;
    g_nCanvasHeight = 4;
    g_bReversePerspective = 1;
    Open();
    Click(IDC_EA_LENS_75);
    names.push_back(path);
    Click(IDC_EA_SAVE);
    char setting[MAX_PATH];
    ReadSetting("SettingFileName", setting);
    EXPECT_EQ(std::string(setting), path);
    char line[256];
    GetPrivateProfileStringA("Data", "Easy Adjustment", "", line, sizeof line, path.c_str());
    EXPECT_STREQ(line, "-123,0,0,45,-12,-3,0,77,-66,0,75,-9,0,4,1,");
    GetPrivateProfileStringA("Data", "Description", "", line, sizeof line, path.c_str());
    EXPECT_STREQ(line, "Rotation_l,Rotation_R,Zoom_L,Zoom_R,Alignment_x,Alignment_y,V_Perspective_L,"
                       "V_Perspective_R,H_Perspective_L,H_Perspective_R,Focal length,Shift_L,Shift_R,"
                       "Image Height+,Reverse Perspective Rotation");

    // Everything changed, then loaded back.
    for (int id : {IDC_EA_RESET_ROTATION_L, IDC_EA_RESET_SIZE_R, IDC_EA_RESET_SHIFT_X, IDC_EA_RESET_SHIFT_Y,
                   IDC_EA_RESET_PERSPECTIVE_VR, IDC_EA_RESET_PERSPECTIVE_HL})
        Click(id);
    Click(IDC_EA_LENS_35);
    Type(IDC_EA_PERS_SHIFT_L, "0");
    Type(IDC_EA_CANVAS, "0");
    Check(IDC_EA_REVERSE_PERSPECTIVE, false);
    names.push_back(path);
    Click(IDC_EA_LOAD_FILE);
    Click(IDOK);
    const int want[] = {-123, 0, 0, 45, 12, -3, 0, 77, -66, 0, 134, -9, 4, 1};
    const int got[] = {g_nRotationL,     g_nRotationR,     g_nSize1000L,     g_nSize1000R,  g_nShiftX,
                       g_nShiftY,        g_nPerspectiveVL, g_nPerspectiveVR, g_nPerspectiveHL, g_nPerspectiveHR,
                       g_nHalfFov,       g_nPersShiftL,    g_nCanvasHeight,  g_bReversePerspective};
    for (int i = 0; i < 14; i++)
        EXPECT_EQ(got[i], want[i]) << i;
    DeleteFileA(path.c_str());
}

TEST_F(EasyAdjustDialog, SettingsFileDefaultsToTheProgramFolder)
{
    strcpy(g_szProgramFolder, "C:\\prog\\");
    const struct { const char *setting, *path; } cases[] = {
        {"", "C:\\prog\\easy_set.txt"},
        {"C:\\a.txt", "C:\\a.txt"},     // 8 characters and more are a path
        {"C:\\a.tx", "C:\\prog\\easy_set.txt"},
    };
    for (const auto &c : cases) {
        WriteSetting("SettingFileName", c.setting);
        char path[MAX_PATH];
        GetEasySettingsPath(path, sizeof path);
        EXPECT_STREQ(path, c.path) << c.setting;
    }
}

// ---- the command ----

// The dialog's answer while the command runs it modally.
std::function<void(HWND)> s_answer;
HHOOK s_answerHook;

LRESULT CALLBACK AnswerEasyDialog(int code, WPARAM wParam, LPARAM lParam)
{
    HWND w = (HWND)wParam;
    if (code == HCBT_ACTIVATE && GetDlgItem(w, IDC_EA_TABS) && !GetPropA(w, "twr_answered")) {
        SetPropA(w, "twr_answered", (HANDLE)1);
        if (s_answer)
            s_answer(w);
    }
    return CallNextHookEx(s_answerHook, code, wParam, lParam);
}

// While it lives, the dialog the command opens is answered by answer.
struct CommandRun {
    explicit CommandRun(std::function<void(HWND)> answer)
    {
        s_answer = std::move(answer);
        s_answerHook = SetWindowsHookExA(WH_CBT, AnswerEasyDialog, nullptr, GetCurrentThreadId());
    }
    ~CommandRun()
    {
        UnhookWindowsHookEx(s_answerHook);
        s_answer = nullptr;
    }
};

TEST_F(EasyAdjustDialog, CommandConfirmedWithoutChangeKeepsTheOffsetsAndActivates)
{
    OpenTestPair();
    for (bool swapped : {false, true}) {
        g_bSwapped = swapped ? 1 : 0;
        g_nShiftX = 12;
        g_nShiftY = 4;
        g_bAllFrameAdjust = 1;
        int seenShift = 0;
        const PackedDib *seenLeft = nullptr;
        CommandRun run([&](HWND w) {
            seenShift = 150 - GetScrollPos(GetDlgItem(w, IDC_EA_SHIFT_X), SB_CTL);
            seenLeft = g_pAdjustDibL;
            PostMessageA(w, WM_COMMAND, IDOK, 0);
        });
        Command(IDM_EASY_ADJUST);
        EXPECT_EQ(seenShift, swapped ? -12 : 12);
        EXPECT_EQ(seenLeft, swapped ? g_pRight->pCurrent : g_pLeft->pCurrent);
        EXPECT_EQ(g_nShiftX, 12) << swapped;
        EXPECT_EQ(g_nShiftY, 4) << swapped;
        EXPECT_EQ(g_bEasyAdjustConfirmed, 1);
        EXPECT_EQ(g_bAllFrameAdjust, 0);
        EXPECT_EQ(g_bAdjustActive, 0);   // every warp value 0
    }
    g_bSwapped = 0;
}

TEST_F(EasyAdjustDialog, CommandConfirmedRotationPutsTheAlignmentInForce)
{
    OpenTestPair();
    CommandRun run([](HWND w) {
        SendMessageA(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 930), (LPARAM)GetDlgItem(w, IDC_EA_ROTATION_L));
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_EASY_ADJUST);
    EXPECT_EQ(g_nRotationL, 30);
    EXPECT_EQ(g_bAdjustActive, 1);
    g_nRotationL = 0;
    g_bAdjustActive = 0;
    FreeAlignmentMeshes();
}

TEST_F(EasyAdjustDialog, CommandCancelledDialogLeavesEverythingAlone)
{
    OpenTestPair();
    g_nShiftX = 12;
    g_bAllFrameAdjust = 1;
    g_nHalfFov = 198;
    CommandRun run([](HWND w) {
        SendMessageA(w, WM_COMMAND, IDC_EA_LENS_75, 0);
        SendMessageA(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 930), (LPARAM)GetDlgItem(w, IDC_EA_ROTATION_L));
        PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_EASY_ADJUST);
    EXPECT_EQ(g_nShiftX, 12);
    EXPECT_EQ(g_nRotationL, 0);
    EXPECT_EQ(g_nHalfFov, 198);
    EXPECT_EQ(g_bAllFrameAdjust, 1);
    EXPECT_EQ(g_bAdjustActive, 0);
    g_bAllFrameAdjust = 0;
}

}  // namespace
