// The full-screen settings dialog's templates created modeless (hidden)
// over an owner window, with the settings at the start values of an empty
// settings key (kept in a key of the test's own), and clicks sent as a
// user's clicks send them.
#ifndef TWR_TESTS_DEVICES_W3D_DIALOG_FIXTURE_H
#define TWR_TESTS_DEVICES_W3D_DIALOG_FIXTURE_H

#include "devices/w3d_settings_dialog.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/settings_key.h"

#include <gtest/gtest.h>

class W3DDialogTest : public testing::Test {
protected:
    PrivateSettingsKey key{"w3d"};
    HWND owner = nullptr, dialog = nullptr;

    void SetUp() override
    {
        g_hInst = GetModuleHandleA(nullptr);
        owner = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, g_hInst, nullptr);
        ASSERT_TRUE(owner);
        g_nVidia = 1;
        g_n3DSize = 0;
        g_n3DWidth = 640;
        g_n3DHeight = 480;
        g_n3DBpp = 2;
        g_n3DBits = 32;
        g_nSound = g_nStr3D = g_bDeinterlaceOpt = g_nBunkatu = g_nDispFormat = g_nAutoRegSet = 0;
        g_nPlaySource = 0;
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        DestroyWindow(owner);
    }

    void Open(const char *name)
    {
        if (dialog)
            DestroyWindow(dialog);
        dialog = CreateDialogParamA(g_hInst, name, owner, W3DSettingsDlgProc, 0);
        ASSERT_TRUE(dialog) << name;
    }
    // The procedure's own answer (SendMessage would give the dialog's).
    INT_PTR Click(int id)
    {
        return W3DSettingsDlgProc(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    }
    bool Checked(int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    bool Shown(int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }
};

#endif
