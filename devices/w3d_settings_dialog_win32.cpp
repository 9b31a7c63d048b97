#include "devices/w3d_settings_dialog.h"

#include "devices/nvidia_switches.h"
#include "resources/resource_ids.h"
#include "shared/dialog_helpers.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

const int kDeviceOpenGl = 2;
const int kSourceFileDialogPanel = 2;  // PlaySource of the "FOPEN" panel
const int kAutoRegOn = 123;
const int kCustomSize = 5, kScreenSize = 6;
const int kLayoutLast = 1093, kFormatLast = 1110, kDeviceLast = IDC_W3D_DEVICE_FIRST + 3;

struct ListedSize {
    const char *text;
    int width, height;
};
const ListedSize kListedSizes[] = {
    {"640X480", 640, 480}, {"800X600", 800, 600}, {"1024X768", 1024, 768}, {"1280X1024", 1280, 1024},
    {"1600X1200", 1600, 1200},
};
const int kListedCount = sizeof kListedSizes / sizeof kListedSizes[0];

// The OpenGL window sizes itself, so its size controls are hidden, except
// in the panel of a file played as it is.
bool SizeControlsHidden()
{
    return g_nVidia == kDeviceOpenGl && g_nPlaySource != kSourceFileDialogPanel;
}

void ShowSizeControls(HWND dialog, bool shown)
{
    ShowDlgItem(dialog, IDC_W3D_SIZE, shown);
    ShowDlgItem(dialog, IDC_W3D_DEPTH, shown);
    ShowDlgItem(dialog, IDC_W3D_SIZE_GROUP, shown);
}

void ShowSizeInGroup(HWND dialog)
{
    char text[256];
    snprintf(text, sizeof text, LoadStr(IDS_SIZE_GROUP), g_n3DWidth, g_n3DHeight);
    SetDlgItemTextA(dialog, IDC_W3D_SIZE_GROUP, text);
}

void AddItem(HWND dialog, int id, const char *text)
{
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, (LPARAM)text);
}

int ToggleAndWrite(HWND dialog, int id, int value, const char *name)
{
    value = value == 0 ? 1 : 0;
    if (name)
        WriteSettingNumber(name, value);
    CheckDlgItem(dialog, id, value);
    return value;
}

void Initialise(HWND dialog)
{
    CheckDlgItem(dialog, IDC_W3D_NO_SOUND, g_nSound);
    CheckDlgItem(dialog, IDC_W3D_FIT, g_nStr3D);
    CheckDlgItem(dialog, IDC_W3D_NOISE_REDUCTION, g_bDeinterlaceOpt);
    CheckDlgItem(dialog, IDC_W3D_LAYOUT_FIRST + g_nBunkatu, 1);

    for (const ListedSize &s : kListedSizes)
        AddItem(dialog, IDC_W3D_SIZE, s.text);
    AddItem(dialog, IDC_W3D_SIZE, LoadStr(IDS_CUSTOM_SIZE_ITEM));
    AddItem(dialog, IDC_W3D_SIZE, LoadStr(IDS_SCREEN_SIZE_ITEM));
    SendDlgItemMessageA(dialog, IDC_W3D_SIZE, CB_SETCURSEL, g_n3DSize, 0);
    ShowSizeInGroup(dialog);

    AddItem(dialog, IDC_W3D_DEPTH, LoadStr(IDS_DEPTH_16));
    AddItem(dialog, IDC_W3D_DEPTH, LoadStr(IDS_DEPTH_32));
    if (g_n3DBpp <= 0 || g_n3DBpp > 2)
        g_n3DBpp = 1;
    SendDlgItemMessageA(dialog, IDC_W3D_DEPTH, CB_SETCURSEL, g_n3DBpp - 1, 0);

    CheckDlgItem(dialog, IDC_W3D_FORMAT_FIRST + g_nDispFormat, 1);
    CheckDlgItem(dialog, IDC_W3D_DEVICE_FIRST + g_nVidia, 1);
    if (SizeControlsHidden())
        ShowSizeControls(dialog, false);
    if (g_nAutoRegSet == kAutoRegOn) {
        ShowDlgItem(dialog, IDC_W3D_AUTO_REG, true);
        CheckDlgItem(dialog, IDC_W3D_AUTO_REG, 1);
    }
}

void SizeChosen(HWND dialog)
{
    g_n3DSize = (int)SendDlgItemMessageA(dialog, IDC_W3D_SIZE, CB_GETCURSEL, 0, 0);
    if (g_n3DSize >= 0 && g_n3DSize < kListedCount) {
        g_n3DWidth = kListedSizes[g_n3DSize].width;
        g_n3DHeight = kListedSizes[g_n3DSize].height;
    } else if (g_n3DSize == kCustomSize) {
        DialogBoxParamA(g_hInst, "CUSTSIZE1", dialog, W3DCustomSizeDlgProc, 0);
    } else if (g_n3DSize == kScreenSize) {
        g_n3DWidth = GetSystemMetrics(SM_CXSCREEN);
        g_n3DHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    ShowSizeInGroup(dialog);
    WriteSettingNumber("n3DSize", g_n3DSize);
}

void DepthChosen(HWND dialog)
{
    int selection = (int)SendDlgItemMessageA(dialog, IDC_W3D_DEPTH, CB_GETCURSEL, 0, 0);
    g_n3DBpp = selection + 1;
    g_n3DBits = selection == 0 ? 16 : selection == 1 ? 32 : 8;
    WriteSettingNumber("n3DBpp", g_n3DBpp);
}

// The driver offers either OpenGL stereo or 3D Vision, never both: with
// automatic switching on, the chosen device decides which.
void DeviceChosen(HWND dialog, int id)
{
    g_nVidia = id - IDC_W3D_DEVICE_FIRST;
    CheckRadioButton(dialog, IDC_W3D_DEVICE_FIRST, kDeviceLast, id);
    WriteSettingNumber("nVidia", g_nVidia);
    bool openGl = SizeControlsHidden();
    ShowSizeControls(dialog, !openGl);
    if (g_nAutoRegSet != kAutoRegOn)
        return;
    const BYTE oglOn[4] = {1, 0, 0, 0}, oglOff[4] = {0, 0, 0, 0};
    DWORD visionOn = 1, visionOff = 0;
    SetOglStereoSupport(openGl ? oglOn : oglOff);
    SetNvidiaStereoEnable(openGl ? &visionOff : &visionOn);
}

INT_PTR Command(HWND dialog, int id, int code)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, 1);
        return 1;
    }
    if (id >= IDC_W3D_LAYOUT_FIRST && id <= kLayoutLast) {
        g_nBunkatu = id - IDC_W3D_LAYOUT_FIRST;
        WriteSettingNumber("nBunkatu", g_nBunkatu);
        CheckRadioButton(dialog, IDC_W3D_LAYOUT_FIRST, kLayoutLast, id);
        return 1;
    }
    if (id >= IDC_W3D_FORMAT_FIRST && id <= kFormatLast) {
        g_nDispFormat = id - IDC_W3D_FORMAT_FIRST;
        CheckRadioButton(dialog, IDC_W3D_FORMAT_FIRST, kFormatLast, id);
        return 0;
    }
    if (id >= IDC_W3D_DEVICE_FIRST && id <= kDeviceLast) {
        DeviceChosen(dialog, id);
        return 0;
    }
    switch (id) {
    case IDC_W3D_NO_SOUND:
        g_nSound = ToggleAndWrite(dialog, id, g_nSound, "nSound");
        break;
    case IDC_W3D_FIT:
        g_nStr3D = ToggleAndWrite(dialog, id, g_nStr3D, "nStr3D");
        break;
    case IDC_W3D_NOISE_REDUCTION:
        g_bDeinterlaceOpt = ToggleAndWrite(dialog, id, g_bDeinterlaceOpt, nullptr);
        break;
    case IDC_W3D_SIZE:
        if (code == CBN_SELCHANGE)
            SizeChosen(dialog);
        break;
    case IDC_W3D_DEPTH:
        if (code == CBN_SELCHANGE)
            DepthChosen(dialog);
        break;
    case IDC_W3D_AUTO_REG:
        g_nAutoRegSet = IsDlgItemChecked(dialog, id) ? kAutoRegOn : 0;
        WriteSettingNumber("nAutoRegSet", g_nAutoRegSet);
        break;
    }
    return 0;
}

int ReadNumberSetting(const char *name)
{
    char text[100];
    ReadSetting(name, text);
    return (int)strtoul(text, nullptr, 10);
}

}  // namespace

INT_PTR CALLBACK W3DSettingsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        Initialise(dialog);
        return 0;
    case WM_RBUTTONDBLCLK:
        // The automatic driver switching is kept out of sight of most users.
        ShowDlgItem(dialog, IDC_W3D_AUTO_REG, true);
        return 0;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return 0;
}

INT_PTR CALLBACK W3DCustomSizeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        g_n3DWidth = ReadNumberSetting("n3DSizew");
        g_n3DHeight = ReadNumberSetting("n3DSizeh");
        SetDlgItemInt(dialog, IDC_W3D_CUSTOM_WIDTH, (UINT)g_n3DWidth, FALSE);
        SetDlgItemInt(dialog, IDC_W3D_CUSTOM_HEIGHT, (UINT)g_n3DHeight, FALSE);
        return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return 0;
        // Esc keeps what was typed as well: the size is asked for once.
        g_n3DWidth = (int)GetDlgItemInt(dialog, IDC_W3D_CUSTOM_WIDTH, nullptr, FALSE);
        g_n3DHeight = (int)GetDlgItemInt(dialog, IDC_W3D_CUSTOM_HEIGHT, nullptr, FALSE);
        WriteSettingNumber("n3DSizew", g_n3DWidth);
        WriteSettingNumber("n3DSizeh", g_n3DHeight);
        EndDialog(dialog, 1);
        return 1;
    }
    return 0;
}
