// A picture of the easy-adjustment dialog as a person sees it, taken in a
// virtual desktop of its own (there the screen reads back) and kept beside
// the test program as angles.bmp.
#include "alignment/easy_adjust_dialog.h"

#include "alignment/auto_align.h"
#include "resources/resource_ids.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/screen_capture.h"
#include "tests/test_frames.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

void Pump(int ms)
{
    const DWORD end = GetTickCount() + (DWORD)ms;
    while ((int)(end - GetTickCount()) > 0) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(20);
    }
}

TEST(EasyAdjustScreenshot, DialogIsDrawnLegibly)
{
    InitCommonControls();
    SetStartValues();
    g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
    DibPtr left = MakeFrame(320, 180, [](int x, int row) {
        const int v = ((x / 20 + row / 20) & 1) ? 210 : 50;
        return Bgr{v, v, v};
    });
    DibPtr right = MakeFrame(320, 180, [](int x, int row) {
        const int v = (((x + 8) / 20 + row / 20) & 1) ? 210 : 50;
        return Bgr{v, v, v};
    });
    g_pAdjustDibL = left.get();
    g_pAdjustDibR = right.get();
    g_nRotationL = 25;
    g_nShiftX = 8;

    HWND dialog = CreateDialogParamA(g_hInst, "ANGLES", nullptr, EasyAdjustDlgProc, 0);
    ASSERT_TRUE(dialog != nullptr);
    CheckDlgButton(dialog, IDC_EA_GRID, BST_CHECKED);
    SendMessageA(dialog, WM_COMMAND, IDC_EA_GRID, 0);
    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(dialog);
    Pump(1500);

    RECT r;
    GetWindowRect(dialog, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_LE(w, 1024);   // fits a 1024 x 768 screen with its task bar
    EXPECT_LE(h, 740);
    const std::vector<BYTE> bits = CaptureScreenRect(r);
    ASSERT_FALSE(bits.empty());
    const int stride = (w * 3 + 3) & ~3;
    DestroyWindow(dialog);
    g_pAdjustDibL = g_pAdjustDibR = nullptr;

    const std::vector<BYTE> file = BmpFileOf(bits, w, h);
    EXPECT_TRUE(WriteWholeFile(HostFile(TWR_EASY_ARTEFACTS, "angles.bmp"), file));

    // Not blank: the dialog's face, dark text, and the preview's red and
    // cyan picture.
    int text = 0, face = 0, red = 0, cyan = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const BYTE *p = &bits[(size_t)y * stride + 3 * x];
            text += p[0] < 60 && p[1] < 60 && p[2] < 60;
            face += p[0] > 180 && p[0] == p[1] && p[1] == p[2];
            red += p[2] > 150 && p[1] < 100;
            cyan += p[2] < 100 && p[1] > 150 && p[0] > 150;
        }
    EXPECT_GT(text, w * h / 200);
    EXPECT_GT(face, w * h / 4);
    EXPECT_GT(red, 1000);
    EXPECT_GT(cyan, 1000);
}

}  // namespace
