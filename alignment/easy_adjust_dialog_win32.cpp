#include "alignment/easy_adjust_dialog.h"

#include "alignment/adjust_preview.h"
#include "alignment/auto_align.h"
#include "alignment/crop_rect.h"
#include "alignment/easy_settings.h"
#include "resources/resource_ids.h"
#include "shared/dialog_helpers.h"
#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <commctrl.h>
#include <commdlg.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

int g_bEasyAdjustConfirmed = 0;

namespace {

// The values the scroll bars hold, in the dialog until OK.
enum Slot {
    kRotL, kRotR, kSizeL, kSizeR, kPersVL, kPersVR, kPersHL, kPersHR, kShiftX, kShiftY, kSlots,
};

struct Bar {
    int id;
    int slot;
    int partner;   // the other image's slot, moved with it while linked; -1 none
    int label;     // value label; 0 none
    int reset;     // the button that sets the value to 0
};
const Bar kBars[] = {
    {IDC_EA_ROTATION_L, kRotL, kRotR, IDC_EA_LABEL_ROTATION_L, IDC_EA_RESET_ROTATION_L},
    {IDC_EA_ROTATION_R, kRotR, kRotL, IDC_EA_LABEL_ROTATION_R, IDC_EA_RESET_ROTATION_R},
    {IDC_EA_SIZE_L, kSizeL, kSizeR, IDC_EA_LABEL_SIZE_L, IDC_EA_RESET_SIZE_L},
    {IDC_EA_SIZE_R, kSizeR, kSizeL, IDC_EA_LABEL_SIZE_R, IDC_EA_RESET_SIZE_R},
    {IDC_EA_PERSPECTIVE_VL, kPersVL, kPersVR, IDC_EA_LABEL_PERSPECTIVE_VL, IDC_EA_RESET_PERSPECTIVE_VL},
    {IDC_EA_PERSPECTIVE_VR, kPersVR, kPersVL, IDC_EA_LABEL_PERSPECTIVE_VR, IDC_EA_RESET_PERSPECTIVE_VR},
    {IDC_EA_PERSPECTIVE_HL, kPersHL, kPersHR, IDC_EA_LABEL_PERSPECTIVE_HL, IDC_EA_RESET_PERSPECTIVE_HL},
    {IDC_EA_PERSPECTIVE_HR, kPersHR, kPersHL, IDC_EA_LABEL_PERSPECTIVE_HR, IDC_EA_RESET_PERSPECTIVE_HR},
    {IDC_EA_SHIFT_X, kShiftX, -1, 0, IDC_EA_RESET_SHIFT_X},
    {IDC_EA_SHIFT_Y, kShiftY, -1, 0, IDC_EA_RESET_SHIFT_Y},
};

struct Lens {
    const char *name;
    int halfFov;
    int focalMm;
};
const Lens kLenses[] = {
    {"Fisheye(8.0mm)", 660, 8},     {"Super-Wide(16.0mm)", 484, 16}, {"Wide(35mm)", 272, 35},
    {"Standard(50mm)", 198, 50},    {"Portrait(75mm)", 135, 75},     {"Long(105mm)", 97, 105},
    {"Telephoto(210mm)", 49, 210},
};

enum { kFocalMin = 8, kFocalMax = 300, kAlternateTimer = 1, kEdgeThreshold = 16 };
enum { kPersShiftLimit = 100, kCanvasMax = 20, kGridMax = 50, kGridDefault = 10, kPeriodMin = 1, kPeriodMax = 6000 };

// The controls of each tab page; the lens is on pages 2 and 3.
const int kPageBasic[] = {
    IDC_EA_LINE_GROUP,     IDC_EA_ERASE_LINES,      IDC_EA_AUTO_ROTATION,    IDC_EA_ROTATION_TITLE,
    IDC_EA_ROW_ROTATION_L, IDC_EA_ROTATION_L,       IDC_EA_LABEL_ROTATION_L, IDC_EA_RESET_ROTATION_L,
    IDC_EA_ROW_ROTATION_R, IDC_EA_ROTATION_R,       IDC_EA_LABEL_ROTATION_R, IDC_EA_RESET_ROTATION_R,
    IDC_EA_SIZE_TITLE,     IDC_EA_ROW_SIZE_L,       IDC_EA_SIZE_L,           IDC_EA_LABEL_SIZE_L,
    IDC_EA_RESET_SIZE_L,   IDC_EA_ROW_SIZE_R,       IDC_EA_SIZE_R,           IDC_EA_LABEL_SIZE_R,
    IDC_EA_RESET_SIZE_R,
};
const int kPageLens[] = {
    IDC_EA_FOCAL_TITLE, IDC_EA_FOCAL, IDC_EA_FOCAL_LABEL, IDC_EA_LENS_35, IDC_EA_LENS_50, IDC_EA_LENS_75,
    IDC_EA_LENS_LIST,
};
const int kPageVertical[] = {
    IDC_EA_PERSPECTIVE_V_TITLE,  IDC_EA_ROW_PERSPECTIVE_VL,    IDC_EA_PERSPECTIVE_VL, IDC_EA_LABEL_PERSPECTIVE_VL,
    IDC_EA_RESET_PERSPECTIVE_VL, IDC_EA_ROW_PERSPECTIVE_VR,    IDC_EA_PERSPECTIVE_VR, IDC_EA_LABEL_PERSPECTIVE_VR,
    IDC_EA_RESET_PERSPECTIVE_VR,
};
const int kPageHorizontal[] = {
    IDC_EA_PERSPECTIVE_H_TITLE,  IDC_EA_ROW_PERSPECTIVE_HL,   IDC_EA_PERSPECTIVE_HL, IDC_EA_LABEL_PERSPECTIVE_HL,
    IDC_EA_RESET_PERSPECTIVE_HL, IDC_EA_ROW_PERSPECTIVE_HR,   IDC_EA_PERSPECTIVE_HR, IDC_EA_LABEL_PERSPECTIVE_HR,
    IDC_EA_RESET_PERSPECTIVE_HR, IDC_EA_PERS_SHIFT_L_LABEL,   IDC_EA_PERS_SHIFT_L,   IDC_EA_PERS_SHIFT_R_LABEL,
    IDC_EA_PERS_SHIFT_R,         IDC_EA_CANVAS_LABEL,         IDC_EA_CANVAS,         IDC_EA_REVERSE_PERSPECTIVE,
};

// A reference line, its ends in the unturned, unscaled image (x right, y
// down from the top), so that it follows the picture when the rotation or
// size changes.
struct RefLine {
    bool shown;
    PreviewPoint a, b;
};

// The open dialog (it is modal: one at a time).
struct EasyDialog {
    int v[kSlots];
    int half[kSlots];
    int minSize;
    int focalMm;
    int view;        // 0 anaglyph, 1 left, 2 right, 3 alternating
    int alternate;   // the eye the alternating view shows now (1 left, 2 right)
    int period;      // 10 ms units
    int grid;
    bool ready;      // edits' notifications count once the dialog is set up
    PackedDib *grey[2];
    int frameW, frameH;  // the left frame's size, which the offsets count in
    PackedDib *preview;
    PreviewOrigins origins;
    int eyeHeight[2];
    RefLine line[2];
    int drawingEye;  // -1 unless a line is being drawn
    HWND window;
    HWND spinShiftL, spinShiftR, spinCanvas;
    // What changes while editing, put back by a cancel.
    int savedHalfFov, savedPersShiftL, savedPersShiftR, savedCanvas, savedReverse;
};
EasyDialog s_dlg;
int s_lastView = 0;
int s_lastPeriod = 50;

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

const Bar *BarOfId(int id)
{
    for (const Bar &b : kBars)
        if (b.id == id)
            return &b;
    return nullptr;
}

const Bar *BarOfSlot(int slot)
{
    for (const Bar &b : kBars)
        if (b.slot == slot)
            return &b;
    return nullptr;
}

int PositionOf(int slot, int value)
{
    return slot == kShiftX ? s_dlg.half[slot] - value : value + s_dlg.half[slot];
}

int ValueOf(int slot, int position)
{
    return slot == kShiftX ? s_dlg.half[slot] - position : position - s_dlg.half[slot];
}

void FreeImages()
{
    for (PackedDib *&g : s_dlg.grey) {
        if (g)
            FreeDib(g);
        g = nullptr;
    }
    if (s_dlg.preview)
        FreeDib(s_dlg.preview);
    s_dlg.preview = nullptr;
}

// ---- labels ----

void WriteAngle(HWND dialog, int id, int tenths)
{
    char text[64];
    const int a = tenths < 0 ? -tenths : tenths;
    snprintf(text, sizeof text, LoadStr(tenths < 0 ? IDS_ANGLE_NEGATIVE : IDS_ANGLE), a / 10, a % 10);
    SetDlgItemTextA(dialog, id, text);
}

void WriteLabel(HWND dialog, const Bar &bar)
{
    if (!bar.label)
        return;
    const int v = s_dlg.v[bar.slot];
    if (bar.slot == kSizeL || bar.slot == kSizeR) {
        char text[64];
        snprintf(text, sizeof text, "%d.%d %%", (1000 + v) / 10, (1000 + v) % 10);
        SetDlgItemTextA(dialog, bar.label, text);
    } else {
        WriteAngle(dialog, bar.label, v);
    }
}

void WriteRegion(HWND dialog)
{
    if (!g_pAdjustDibL)
        return;
    CropRect r;
    const int *v = s_dlg.v;
    ComputeCropRect(&r, g_pAdjustDibL, v[kRotL], v[kRotR], v[kPersVL], v[kPersVR], v[kPersHL], v[kPersHR],
                    1000 + v[kSizeL], 1000 + v[kSizeR]);
    char text[96];
    snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", r.left, r.top, r.right, r.bottom);
    SetDlgItemTextA(dialog, IDC_EA_REGION, text);
}

void WriteFocal(HWND dialog)
{
    char text[96];
    const int fov = 2 * g_nHalfFov;
    snprintf(text, sizeof text, "%d mm - FOV=%d.%d Deg.", s_dlg.focalMm, fov / 10, fov % 10);
    SetDlgItemTextA(dialog, IDC_EA_FOCAL_LABEL, text);
}

void WriteCanvasLabel(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_EA_CANVAS_LABEL, g_bReversePerspective ? "canvas width +" : "canvas height + ");
}

// ---- the preview ----

// A length of the frame in pixels of a copy side / frameSide its size.
int ScaledLength(int v, int side, int frameSide)
{
    if (frameSide <= 0 || side == frameSide)
        return v;
    return (int)floor((double)v * side / frameSide + 0.5);
}

// One eye: zoomed by (1000 + size) per mille and warped; a shrink is done
// before the warp, an enlargement after it.
PackedDib *WarpEye(const PackedDib *grey, int eye, const AdjustPreviewRequest &request)
{
    const int *v = s_dlg.v;
    const int rotation = v[kRotL + eye], size = v[kSizeL + eye];
    const int persV = v[kPersVL + eye], persH = v[kPersHL + eye], otherH = v[kPersHL + 1 - eye];
    const int shift = eye == 0 ? g_nPersShiftL : g_nPersShiftR;
    const int zoom = 1000 + size;
    if (zoom == 1000)
        return WarpPreviewImage(grey, rotation, persV, persH, otherH, shift, request);
    if (zoom < 1000) {
        PackedDib *z = ZoomPreviewImage(grey, zoom);
        if (!z)
            return nullptr;
        PackedDib *w = WarpPreviewImage(z, rotation, persV, persH, otherH, shift, request);
        FreeDib(z);
        return w;
    }
    PackedDib *w = WarpPreviewImage(grey, rotation, persV, persH, otherH, shift, request);
    if (!w)
        return nullptr;
    PackedDib *z = ZoomPreviewImage(w, zoom);
    FreeDib(w);
    return z;
}

int ComposeView()
{
    return s_dlg.view == 3 ? s_dlg.alternate : s_dlg.view;
}

int LineRound(double d) { return (int)floor(d + 0.5); }

void DrawLine(PackedDib *image, int eye)
{
    const RefLine &l = s_dlg.line[eye];
    if (!l.shown)
        return;
    const int w = DibWidth(image), h = DibHeight(image);
    const int rotation = s_dlg.v[kRotL + eye], size = s_dlg.v[kSizeL + eye];
    PreviewPoint a = RotatePreviewPoint(l.a, rotation, size, w, h);
    PreviewPoint b = RotatePreviewPoint(l.b, rotation, size, w, h);
    DrawPreviewLine(image, LineRound(a.x), LineRound(a.y), LineRound(b.x), LineRound(b.y));
}

void InvalidatePreview(HWND dialog)
{
    InvalidateRect(GetDlgItem(dialog, IDC_EA_PREVIEW), nullptr, FALSE);
}

void RebuildPreview(HWND dialog)
{
    if (s_dlg.preview)
        FreeDib(s_dlg.preview);
    s_dlg.preview = nullptr;
    if (s_dlg.grey[0] && s_dlg.grey[1]) {
        const AdjustPreviewRequest request = CurrentAdjustPreviewRequest(Checked(dialog, IDC_EA_ACTUAL_SIZE) ? 1 : 0);
        PackedDib *eye[2] = {WarpEye(s_dlg.grey[0], 0, request), WarpEye(s_dlg.grey[1], 1, request)};
        if (eye[0] && eye[1]) {
            for (int e = 0; e < 2; e++) {
                DrawLine(eye[e], e);
                s_dlg.eyeHeight[e] = DibHeight(eye[e]);
            }
            // The offsets count frame pixels; the copies may be smaller.
            const int dx = ScaledLength(s_dlg.v[kShiftX], DibWidth(s_dlg.grey[0]), s_dlg.frameW);
            const int dy = ScaledLength(s_dlg.v[kShiftY], DibHeight(s_dlg.grey[0]), s_dlg.frameH);
            s_dlg.preview = ComposeAdjustPreview(eye[0], eye[1], dx, dy, ComposeView(), &s_dlg.origins);
        }
        for (PackedDib *p : eye)
            if (p)
                FreeDib(p);
        if (s_dlg.preview && Checked(dialog, IDC_EA_GRID))
            DrawPreviewGrid(s_dlg.preview, s_dlg.grid);
    }
    WriteRegion(dialog);
    InvalidatePreview(dialog);
}

void ShowEdgeProgress(int tens, void *context)
{
    char text[16];
    snprintf(text, sizeof text, "%d0%%", tens);
    SetWindowTextA((HWND)context, text);
}

// The size a frame is shown at in the preview area: its own, or fitted
// into the area (keeping its shape) when it is larger and "実寸表示" is off.
void FittedSize(HWND dialog, const PackedDib *frame, int *w, int *h)
{
    *w = DibWidth(frame);
    *h = DibHeight(frame);
    RECT rc;
    if (Checked(dialog, IDC_EA_ACTUAL_SIZE) || !GetClientRect(GetDlgItem(dialog, IDC_EA_PREVIEW), &rc) ||
        rc.right < 1 || rc.bottom < 1 || (*w <= rc.right && *h <= rc.bottom))
        return;
    int fw = rc.right, fh = (int)((long long)*h * rc.right / *w);
    if (fh > rc.bottom) {
        fh = rc.bottom;
        fw = (int)((long long)*w * rc.bottom / *h);
    }
    *w = fw < 1 ? 1 : fw;
    *h = fh < 1 ? 1 : fh;
}

// The grey copies of the two frames: the picture, or its line drawing
// with the progress in the title. A frame larger than the preview area is
// first shrunk (by area averaging) to the size it is shown at, so that every later rebuild
// warps only the pixels that are seen; "実寸表示" keeps every pixel.
void MakeGreyCopies(HWND dialog)
{
    const int oldW = s_dlg.grey[0] ? DibWidth(s_dlg.grey[0]) : 0;
    const int oldH = s_dlg.grey[0] ? DibHeight(s_dlg.grey[0]) : 0;
    for (PackedDib *&g : s_dlg.grey) {
        if (g)
            FreeDib(g);
        g = nullptr;
    }
    if (!g_pAdjustDibL || !g_pAdjustDibR)
        return;
    s_dlg.frameW = DibWidth(g_pAdjustDibL);
    s_dlg.frameH = DibHeight(g_pAdjustDibL);
    const PackedDib *frames[2] = {g_pAdjustDibL, g_pAdjustDibR};
    PackedDib *shrunk[2] = {nullptr, nullptr};
    for (int e = 0; e < 2; e++) {
        int w, h;
        FittedSize(dialog, frames[e], &w, &h);
        if (w != DibWidth(frames[e]) || h != DibHeight(frames[e])) {
            static const int kWhole[4] = {0, 0, 0, 0};
            shrunk[e] = ResizeFrameForSave(dialog, frames[e], w, h, kWhole, nullptr, 1);
            if (shrunk[e])
                frames[e] = shrunk[e];
        }
    }
    if (Checked(dialog, IDC_EA_LINE_DRAWING)) {
        char title[256];
        GetWindowTextA(dialog, title, sizeof title);
        for (int e = 0; e < 2; e++)
            s_dlg.grey[e] = MakeEdgeImage(frames[e], kEdgeThreshold, ShowEdgeProgress, dialog);
        SetWindowTextA(dialog, title);
    } else {
        for (int e = 0; e < 2; e++)
            s_dlg.grey[e] = MakeGreyDib(frames[e], 256);
    }
    for (PackedDib *d : shrunk)
        if (d)
            FreeDib(d);
    // The reference lines stay on the same picture points.
    if (s_dlg.grey[0] && oldW > 0 && oldH > 0 &&
        (DibWidth(s_dlg.grey[0]) != oldW || DibHeight(s_dlg.grey[0]) != oldH))
        for (RefLine &l : s_dlg.line)
            for (PreviewPoint *p : {&l.a, &l.b}) {
                p->x = p->x * DibWidth(s_dlg.grey[0]) / oldW;
                p->y = p->y * DibHeight(s_dlg.grey[0]) / oldH;
            }
}

// Where the composed preview is drawn in the control's client area: at
// its own size ("実寸表示") or fitted, centred either way.
bool PlacementInControl(HWND dialog, RECT *out)
{
    const PackedDib *p = s_dlg.preview;
    RECT rc;
    if (!p || !GetClientRect(GetDlgItem(dialog, IDC_EA_PREVIEW), &rc))
        return false;
    const int pw = DibWidth(p), ph = DibHeight(p), cw = rc.right, ch = rc.bottom;
    if (pw < 1 || ph < 1 || cw < 1 || ch < 1)
        return false;
    int w = pw, h = ph;
    if (!Checked(dialog, IDC_EA_ACTUAL_SIZE)) {
        w = cw;
        h = (int)((long long)ph * cw / pw);
        if (h > ch) {
            h = ch;
            w = (int)((long long)pw * ch / ph);
        }
        if (w < 1 || h < 1)
            return false;
    }
    out->left = (cw - w) / 2;
    out->top = (ch - h) / 2;
    out->right = out->left + w;
    out->bottom = out->top + h;
    return true;
}

void DrawPreview(const DRAWITEMSTRUCT *item)
{
    HWND dialog = GetParent(item->hwndItem);
    FillRect(item->hDC, &item->rcItem, (HBRUSH)GetStockObject(BLACK_BRUSH));
    RECT r;
    const PackedDib *p = s_dlg.preview;
    if (!PlacementInControl(dialog, &r))
        return;
    SetStretchBltMode(item->hDC, HALFTONE);
    SetBrushOrgEx(item->hDC, 0, 0, nullptr);
    StretchDIBits(item->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, DibWidth(p), DibHeight(p),
                  FindDibBits(p), (const BITMAPINFO *)p, DIB_RGB_COLORS, SRCCOPY);
}

// ---- values ----

void SetSlot(HWND dialog, int slot, int value, bool linked);

void ApplySlot(HWND dialog, int slot, int value)
{
    int lo = -s_dlg.half[slot];
    if (slot == kSizeL || slot == kSizeR)
        lo = s_dlg.minSize > lo ? s_dlg.minSize : lo;
    s_dlg.v[slot] = Clamp(value, lo, s_dlg.half[slot]);
    const Bar *bar = BarOfSlot(slot);
    SetScrollPos(GetDlgItem(dialog, bar->id), SB_CTL, PositionOf(slot, s_dlg.v[slot]), TRUE);
    WriteLabel(dialog, *bar);
}

// A value set from its control; with "左右を同期して調整" the other image's
// value moves by the same amount.
void SetSlot(HWND dialog, int slot, int value, bool linked)
{
    const int before = s_dlg.v[slot];
    ApplySlot(dialog, slot, value);
    const Bar *bar = BarOfSlot(slot);
    if (linked && bar->partner >= 0 && Checked(dialog, IDC_EA_LINKED))
        ApplySlot(dialog, bar->partner, s_dlg.v[bar->partner] + s_dlg.v[slot] - before);
}

void SetFocal(HWND dialog, int mm)
{
    s_dlg.focalMm = Clamp(mm, kFocalMin, kFocalMax);
    g_nHalfFov = HalfFovFromFocalLength(s_dlg.focalMm);
    SetScrollPos(GetDlgItem(dialog, IDC_EA_FOCAL), SB_CTL, s_dlg.focalMm, TRUE);
    WriteFocal(dialog);
}

void ChooseLens(HWND dialog, int index)
{
    if (index < 0 || index >= (int)(sizeof kLenses / sizeof kLenses[0]))
        return;
    g_nHalfFov = kLenses[index].halfFov;
    s_dlg.focalMm = kLenses[index].focalMm;
    SetScrollPos(GetDlgItem(dialog, IDC_EA_FOCAL), SB_CTL, s_dlg.focalMm, TRUE);
    WriteFocal(dialog);
}

// The focal length shown for a half field of view: a preset's own, else
// the length whose field is nearest.
int FocalOfHalfFov(int halfFov)
{
    for (const Lens &l : kLenses)
        if (l.halfFov == halfFov)
            return l.focalMm;
    int best = 50, bestDiff = 1 << 30;
    for (int f = kFocalMin; f <= kFocalMax; f++) {
        const int d = abs(HalfFovFromFocalLength(f) - halfFov);
        if (d < bestDiff)
            best = f, bestDiff = d;
    }
    return best;
}

void SetEditNumber(HWND dialog, int id, int value)
{
    const bool ready = s_dlg.ready;
    s_dlg.ready = false;
    SetDlgItemInt(dialog, id, (UINT)value, TRUE);
    s_dlg.ready = ready;
}

void SetReverse(HWND dialog, int on)
{
    g_bReversePerspective = on ? 1 : 0;
    CheckDlgButton(dialog, IDC_EA_REVERSE_PERSPECTIVE, on ? BST_CHECKED : BST_UNCHECKED);
    WriteCanvasLabel(dialog);
}

// ---- the settings file ----

void CurrentFields(int fields[kEasyFields])
{
    const int *v = s_dlg.v;
    const int f[kEasyFields] = {
        v[kRotL],   v[kRotR],   v[kSizeL],   v[kSizeR],     -v[kShiftX],    v[kShiftY],      v[kPersVL],
        v[kPersVR], v[kPersHL], v[kPersHR],  s_dlg.focalMm, g_nPersShiftL, g_nPersShiftR, g_nCanvasHeight,
        g_bReversePerspective,
    };
    memcpy(fields, f, sizeof f);
}

void SaveValues(const char *path)
{
    int fields[kEasyFields];
    CurrentFields(fields);
    char text[256];
    FormatEasyFields(text, sizeof text, fields);
    WritePrivateProfileStringA("Data", kEasyValuesKey, text, path);
    WritePrivateProfileStringA("Data", kEasyDescriptionKey, kEasyDescription, path);
}

void LoadValues(HWND dialog, const char *path)
{
    char text[256];
    GetPrivateProfileStringA("Data", kEasyValuesKey, kEasyMissingValue, text, sizeof text, path);
    int before[kEasyFields], fields[kEasyFields];
    CurrentFields(before);
    memcpy(fields, before, sizeof fields);
    ParseEasyFields(text, fields);
    const int slots[10] = {kRotL, kRotR, kSizeL, kSizeR, kShiftX, kShiftY, kPersVL, kPersVR, kPersHL, kPersHR};
    for (int i = 0; i < 10; i++)
        if (fields[i] != before[i])
            ApplySlot(dialog, slots[i], i == 4 ? -fields[i] : fields[i]);
    // The lens only when the file names another one, so that a preset's
    // own field of view stays.
    if (fields[10] != before[10])
        SetFocal(dialog, fields[10]);
    g_nPersShiftL = Clamp(fields[11], -kPersShiftLimit, kPersShiftLimit);
    g_nPersShiftR = Clamp(fields[12], -kPersShiftLimit, kPersShiftLimit);
    g_nCanvasHeight = Clamp(fields[13], 0, kCanvasMax);
    SetEditNumber(dialog, IDC_EA_PERS_SHIFT_L, g_nPersShiftL);
    SetEditNumber(dialog, IDC_EA_PERS_SHIFT_R, g_nPersShiftR);
    SetEditNumber(dialog, IDC_EA_CANVAS, g_nCanvasHeight);
    SetReverse(dialog, fields[14] != 0);
    RebuildPreview(dialog);
}

bool AskSettingsFile(HWND dialog, char *path, bool save)
{
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "Setting Files (*.txt)\0*.txt\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = "txt";
    if (save) {
        ofn.lpstrTitle = "Save Values";
        ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        return GetSaveFileNameA(&ofn) != 0;
    }
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&ofn) != 0;
}

// ---- the reference line ----

// The eye whose line the mouse draws: the left-only or the right-only view.
int LineEye() { return s_dlg.view == 1 ? 0 : s_dlg.view == 2 ? 1 : -1; }

bool AnyPerspective()
{
    const int *v = s_dlg.v;
    return v[kPersVL] || v[kPersVR] || v[kPersHL] || v[kPersHR];
}

// The tool works on the turned image only: a perspective must be reset
// first.
bool RefuseWithPerspective(HWND dialog, int eye)
{
    if (!AnyPerspective())
        return false;
    if (eye == 0)
        AppMessageBox(dialog, LoadStr(IDS_RESET_PERSPECTIVE_FIRST), LoadStr(IDS_WARNING_CAPTION), MB_OK);
    else
        AppMessageBox(dialog, "You have to reset the perspective rotation before auto-rotation", "Caution!", MB_OK);
    return true;
}

// A click of the dialog's client area as a point of the eye's unturned
// image; false outside the picture.
bool ClickToImage(HWND dialog, int eye, int x, int y, PreviewPoint *out)
{
    RECT r;
    if (!s_dlg.grey[eye] || !PlacementInControl(dialog, &r))
        return false;
    MapWindowPoints(GetDlgItem(dialog, IDC_EA_PREVIEW), dialog, (POINT *)&r, 2);
    const int pw = DibWidth(s_dlg.preview), ph = DibHeight(s_dlg.preview);
    const int k = (int)((long long)(x - r.left) * pw / (r.right - r.left));
    const int t = (int)((long long)(y - r.top) * ph / (r.bottom - r.top));
    if (x < r.left || y < r.top || k < 0 || k >= pw || t < 0 || t >= ph)
        return false;
    const int memoryRow = (eye == 0 ? s_dlg.origins.sy : s_dlg.origins.cy) + ph - 1 - t;
    const int column = (eye == 0 ? s_dlg.origins.sx : s_dlg.origins.cx) + k;
    const int w = DibWidth(s_dlg.grey[eye]), h = s_dlg.eyeHeight[eye];
    PreviewPoint p = {(double)column, (double)(h - 1 - memoryRow)};
    *out = RotatePreviewPointBack(p, s_dlg.v[kRotL + eye], s_dlg.v[kSizeL + eye], w, h);
    return true;
}

void Click(HWND dialog, int x, int y)
{
    const int eye = LineEye();
    if (eye < 0 || RefuseWithPerspective(dialog, eye))
        return;
    PreviewPoint p;
    if (!ClickToImage(dialog, eye, x, y, &p))
        return;
    RefLine &l = s_dlg.line[eye];
    if (s_dlg.drawingEye != eye) {
        l.shown = true;
        l.a = l.b = p;
        s_dlg.drawingEye = eye;
        SetCapture(dialog);
    } else {
        l.b = p;
        s_dlg.drawingEye = -1;
        ReleaseCapture();
    }
    RebuildPreview(dialog);
}

void Drag(HWND dialog, int x, int y)
{
    const int eye = s_dlg.drawingEye;
    PreviewPoint p;
    if (eye < 0 || eye != LineEye() || !ClickToImage(dialog, eye, x, y, &p))
        return;
    s_dlg.line[eye].b = p;
    RebuildPreview(dialog);
}

// The rotation that makes the line level, or upright when it is steeper
// than 45 degrees.
void RotateToLine(HWND dialog)
{
    const int eye = LineEye();
    if (eye < 0 || RefuseWithPerspective(dialog, eye))
        return;
    RefLine l = s_dlg.line[eye];
    if (!l.shown || (l.a.x == l.b.x && l.a.y == l.b.y))
        return;
    if (l.a.x > l.b.x) {
        PreviewPoint t = l.a;
        l.a = l.b;
        l.b = t;
    }
    // The picture's y counts down; the angle is taken with y up.
    const double dx = l.b.x - l.a.x, dy = l.a.y - l.b.y;
    const int angle = (int)(atan2(dy, fabs(dx)) * -1800.0 / 3.14159265358979323846);
    int rotation = -angle;
    if (rotation > 450)
        rotation -= 900;
    else if (rotation < -450)
        rotation += 900;
    ApplySlot(dialog, kRotL + eye, rotation);
    RebuildPreview(dialog);
}

// ---- pages, start, end ----

void ShowIds(HWND dialog, const int *ids, size_t n, bool shown)
{
    for (size_t i = 0; i < n; i++)
        ShowWindow(GetDlgItem(dialog, ids[i]), shown ? SW_SHOW : SW_HIDE);
}

void ShowPage(HWND dialog, int page)
{
    ShowIds(dialog, kPageBasic, sizeof kPageBasic / sizeof *kPageBasic, page == 0);
    ShowIds(dialog, kPageLens, sizeof kPageLens / sizeof *kPageLens, page != 0);
    ShowIds(dialog, kPageVertical, sizeof kPageVertical / sizeof *kPageVertical, page == 1);
    ShowIds(dialog, kPageHorizontal, sizeof kPageHorizontal / sizeof *kPageHorizontal, page == 2);
    const HWND spins[] = {s_dlg.spinShiftL, s_dlg.spinShiftR, s_dlg.spinCanvas};
    for (HWND spin : spins)
        if (spin)
            ShowWindow(spin, page == 2 ? SW_SHOW : SW_HIDE);
}

void StartAlternating(HWND dialog)
{
    KillTimer(dialog, kAlternateTimer);
    if (s_dlg.view == 3)
        SetTimer(dialog, kAlternateTimer, (UINT)(s_dlg.period * 10), nullptr);
}

void Init(HWND dialog)
{
    FreeImages();
    s_dlg.window = dialog;
    memset(s_dlg.v, 0, sizeof s_dlg.v);
    s_dlg.ready = false;
    s_dlg.drawingEye = -1;
    s_dlg.line[0].shown = s_dlg.line[1].shown = false;
    s_dlg.savedHalfFov = g_nHalfFov;
    s_dlg.savedPersShiftL = g_nPersShiftL;
    s_dlg.savedPersShiftR = g_nPersShiftR;
    s_dlg.savedCanvas = g_nCanvasHeight;
    s_dlg.savedReverse = g_bReversePerspective;
    g_bEasyAdjustConfirmed = 0;

    const PackedDib *l = g_pAdjustDibL;
    const int w = l ? DibWidth(l) : 0, h = l ? DibHeight(l) : 0;
    int minSize = MinimumEasySize1000(w, h);
    if (g_pAdjustDibR) {
        const int r = MinimumEasySize1000(DibWidth(g_pAdjustDibR), DibHeight(g_pAdjustDibR));
        minSize = r > minSize ? r : minSize;
    }
    s_dlg.minSize = minSize;
    const int angles[] = {kRotL, kRotR, kPersVL, kPersVR, kPersHL, kPersHR};
    for (int slot : angles)
        s_dlg.half[slot] = 900;
    s_dlg.half[kSizeL] = s_dlg.half[kSizeR] = 1000;
    // The offsets reach as far as the preview can show (10 columns and rows
    // kept common), and always as far as the values in force.
    s_dlg.half[kShiftX] = w - 10 > abs(g_nShiftX) ? w - 10 : abs(g_nShiftX);
    s_dlg.half[kShiftY] = h - 10 > abs(g_nShiftY) ? h - 10 : abs(g_nShiftY);
    const int values[kSlots] = {g_nRotationL,    g_nRotationR,    g_nSize1000L,    g_nSize1000R, g_nPerspectiveVL,
                                g_nPerspectiveVR, g_nPerspectiveHL, g_nPerspectiveHR, g_nShiftX,    g_nShiftY};
    for (const Bar &b : kBars) {
        SetScrollRange(GetDlgItem(dialog, b.id), SB_CTL, 0, 2 * s_dlg.half[b.slot], FALSE);
        s_dlg.v[b.slot] = values[b.slot];
        ApplySlot(dialog, b.slot, values[b.slot]);
    }

    SetScrollRange(GetDlgItem(dialog, IDC_EA_FOCAL), SB_CTL, kFocalMin, kFocalMax, FALSE);
    s_dlg.focalMm = FocalOfHalfFov(g_nHalfFov);
    SetScrollPos(GetDlgItem(dialog, IDC_EA_FOCAL), SB_CTL, s_dlg.focalMm, TRUE);
    WriteFocal(dialog);
    HWND list = GetDlgItem(dialog, IDC_EA_LENS_LIST);
    for (const Lens &lens : kLenses)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)lens.name);

    char text[100];
    ReadSetting("Grid", text);
    s_dlg.grid = text[0] ? Clamp(atoi(text), 0, kGridMax) : kGridDefault;
    s_dlg.period = Clamp(s_lastPeriod, kPeriodMin, kPeriodMax);
    g_nPersShiftL = Clamp(g_nPersShiftL, -kPersShiftLimit, kPersShiftLimit);
    g_nPersShiftR = Clamp(g_nPersShiftR, -kPersShiftLimit, kPersShiftLimit);
    g_nCanvasHeight = Clamp(g_nCanvasHeight, 0, kCanvasMax);
    s_dlg.spinShiftL = CreateSpinControl(dialog, IDC_EA_PERS_SHIFT_L, kPersShiftLimit, -kPersShiftLimit, g_nPersShiftL);
    s_dlg.spinShiftR = CreateSpinControl(dialog, IDC_EA_PERS_SHIFT_R, kPersShiftLimit, -kPersShiftLimit, g_nPersShiftR);
    s_dlg.spinCanvas = CreateSpinControl(dialog, IDC_EA_CANVAS, kCanvasMax, 0, g_nCanvasHeight);
    CreateSpinControl(dialog, IDC_EA_GRID_SPACING, kGridMax, 0, s_dlg.grid);
    CreateSpinControl(dialog, IDC_EA_PERIOD, kPeriodMax, kPeriodMin, s_dlg.period);
    SetDlgItemInt(dialog, IDC_EA_PERS_SHIFT_L, (UINT)g_nPersShiftL, TRUE);
    SetDlgItemInt(dialog, IDC_EA_PERS_SHIFT_R, (UINT)g_nPersShiftR, TRUE);
    SetDlgItemInt(dialog, IDC_EA_CANVAS, (UINT)g_nCanvasHeight, TRUE);
    SetDlgItemInt(dialog, IDC_EA_GRID_SPACING, (UINT)s_dlg.grid, TRUE);
    SetDlgItemInt(dialog, IDC_EA_PERIOD, (UINT)s_dlg.period, TRUE);
    SetReverse(dialog, g_bReversePerspective);
    CheckDlgButton(dialog, IDC_EA_RESAMPLE, g_bResample ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_EA_AUTOCROP, g_bAutoCrop ? BST_CHECKED : BST_UNCHECKED);

    HWND tabs = GetDlgItem(dialog, IDC_EA_TABS);
    const int pages[] = {IDS_TAB_BASIC, IDS_TAB_H_PERSPECTIVE, IDS_TAB_V_PERSPECTIVE};
    for (int i = 0; i < 3; i++) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = (char *)LoadStr(pages[i]);
        SendMessageA(tabs, TCM_INSERTITEMA, (WPARAM)i, (LPARAM)&item);
    }
    SendMessageA(tabs, TCM_SETCURSEL, 0, 0);
    ShowPage(dialog, 0);

    s_dlg.view = Clamp(s_lastView, 0, 3);
    s_dlg.alternate = 1;
    CheckRadioButton(dialog, IDC_EA_VIEW_FIRST, IDC_EA_VIEW_FIRST + 3, IDC_EA_VIEW_FIRST + s_dlg.view);
    MakeGreyCopies(dialog);
    RebuildPreview(dialog);
    StartAlternating(dialog);
    s_dlg.ready = true;
}

void RestoreEdited()
{
    g_nHalfFov = s_dlg.savedHalfFov;
    g_nPersShiftL = s_dlg.savedPersShiftL;
    g_nPersShiftR = s_dlg.savedPersShiftR;
    g_nCanvasHeight = s_dlg.savedCanvas;
    g_bReversePerspective = s_dlg.savedReverse;
}

void Finish(HWND dialog, int result)
{
    KillTimer(dialog, kAlternateTimer);
    if (GetCapture() == dialog)
        ReleaseCapture();
    s_dlg.drawingEye = -1;
    s_dlg.ready = false;
    FreeImages();
    EndDialog(dialog, result);
}

void Accept(HWND dialog)
{
    g_bAutoCrop = Checked(dialog, IDC_EA_AUTOCROP) ? 1 : 0;
    g_bResample = Checked(dialog, IDC_EA_RESAMPLE) ? 1 : 0;
    WriteSettingNumber("nRautocrop", g_bAutoCrop);
    WriteSettingNumber("nResample", g_bResample);
    WriteSettingNumber("Grid", s_dlg.grid);
    const int *v = s_dlg.v;
    g_nRotationL = v[kRotL];
    g_nRotationR = v[kRotR];
    g_nSize1000L = v[kSizeL];
    g_nSize1000R = v[kSizeR];
    g_nPerspectiveVL = v[kPersVL];
    g_nPerspectiveVR = v[kPersVR];
    g_nPerspectiveHL = v[kPersHL];
    g_nPerspectiveHR = v[kPersHR];
    g_nShiftX = v[kShiftX];
    g_nShiftY = v[kShiftY];
    g_bEasyAdjustConfirmed = 1;
    Finish(dialog, 1);
}

void Scroll(HWND dialog, WPARAM wParam, HWND control)
{
    const int id = GetDlgCtrlID(control);
    int position = GetScrollPos(control, SB_CTL), lo = 0, hi = 0;
    GetScrollRange(control, SB_CTL, &lo, &hi);
    const int page = id == IDC_EA_FOCAL ? 5 : 10;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: position -= 1; break;
    case SB_LINERIGHT: position += 1; break;
    case SB_PAGELEFT: position -= page; break;
    case SB_PAGERIGHT: position += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = (short)HIWORD(wParam); break;
    case SB_LEFT: position = lo; break;
    case SB_RIGHT: position = hi; break;
    default: return;
    }
    position = Clamp(position, lo, hi);
    if (id == IDC_EA_FOCAL) {
        SetFocal(dialog, position);
    } else if (const Bar *bar = BarOfId(id)) {
        SetSlot(dialog, bar->slot, ValueOf(bar->slot, position), true);
    } else {
        return;
    }
    RebuildPreview(dialog);
}

// A number typed into one of the spin edits.
void EditChanged(HWND dialog, int id)
{
    BOOL ok = FALSE;
    const int n = (int)GetDlgItemInt(dialog, id, &ok, TRUE);
    if (!ok || !s_dlg.ready)
        return;
    switch (id) {
    case IDC_EA_PERS_SHIFT_L: g_nPersShiftL = Clamp(n, -kPersShiftLimit, kPersShiftLimit); break;
    case IDC_EA_PERS_SHIFT_R: g_nPersShiftR = Clamp(n, -kPersShiftLimit, kPersShiftLimit); break;
    case IDC_EA_CANVAS: g_nCanvasHeight = Clamp(n, 0, kCanvasMax); break;
    case IDC_EA_GRID_SPACING: s_dlg.grid = Clamp(n, 0, kGridMax); break;
    case IDC_EA_PERIOD:
        s_dlg.period = s_lastPeriod = Clamp(n, kPeriodMin, kPeriodMax);
        return;   // the next tick takes it
    default: return;
    }
    RebuildPreview(dialog);
}

bool Command(HWND dialog, int id, int code)
{
    if (id >= IDC_EA_VIEW_FIRST && id <= IDC_EA_VIEW_FIRST + 3) {
        s_dlg.view = s_lastView = id - IDC_EA_VIEW_FIRST;
        s_dlg.alternate = 1;
        StartAlternating(dialog);
        RebuildPreview(dialog);
        return true;
    }
    for (const Bar &b : kBars)
        if (b.reset == id) {
            ApplySlot(dialog, b.slot, 0);
            RebuildPreview(dialog);
            return true;
        }
    switch (id) {
    case IDOK:
        Accept(dialog);
        return true;
    case IDCANCEL:
        RestoreEdited();
        Finish(dialog, 0);
        return true;
    case IDC_EA_LENS_35: SetFocal(dialog, 35); break;
    case IDC_EA_LENS_50: SetFocal(dialog, 50); break;
    case IDC_EA_LENS_75: SetFocal(dialog, 75); break;
    case IDC_EA_LENS_LIST:
        if (code != CBN_SELCHANGE)
            return false;
        ChooseLens(dialog, (int)SendDlgItemMessageA(dialog, IDC_EA_LENS_LIST, CB_GETCURSEL, 0, 0));
        break;
    case IDC_EA_PERS_SHIFT_L:
    case IDC_EA_PERS_SHIFT_R:
    case IDC_EA_CANVAS:
    case IDC_EA_GRID_SPACING:
    case IDC_EA_PERIOD:
        if (code == EN_CHANGE)
            EditChanged(dialog, id);
        return true;
    case IDC_EA_REVERSE_PERSPECTIVE: SetReverse(dialog, Checked(dialog, id)); break;
    case IDC_EA_LINE_DRAWING:
    case IDC_EA_ACTUAL_SIZE: MakeGreyCopies(dialog); break;
    case IDC_EA_GRID: break;
    case IDC_EA_ERASE_LINES:
        s_dlg.line[0].shown = s_dlg.line[1].shown = false;
        if (s_dlg.drawingEye >= 0 && GetCapture() == dialog)
            ReleaseCapture();
        s_dlg.drawingEye = -1;
        break;
    case IDC_EA_AUTO_ROTATION:
        RotateToLine(dialog);
        return true;
    case IDC_EA_SAVE:
    case IDC_EA_LOAD_FILE: {
        char path[MAX_PATH];
        GetEasySettingsPath(path, sizeof path);
        if (!AskSettingsFile(dialog, path, id == IDC_EA_SAVE))
            return true;
        WriteSetting("SettingFileName", path);
        if (id == IDC_EA_SAVE)
            SaveValues(path);
        else
            LoadValues(dialog, path);
        return true;
    }
    case IDC_EA_LOAD: {
        char path[MAX_PATH];
        GetEasySettingsPath(path, sizeof path);
        LoadValues(dialog, path);
        return true;
    }
    default: return false;
    }
    RebuildPreview(dialog);
    return true;
}

}  // namespace

void GetEasySettingsPath(char *path, int bytes)
{
    char setting[MAX_PATH];
    ReadSetting("SettingFileName", setting);
    if (strlen(setting) >= 8)
        snprintf(path, (size_t)bytes, "%s", setting);
    else
        snprintf(path, (size_t)bytes, "%seasy_set.txt", g_szProgramFolder);
}

int MinimumEasySize1000(int width, int height)
{
    const int side = width < height ? width : height;
    if (side < 1)
        return -999;
    // (1000 + size) * side / 1000 >= 1
    return (1000 + side - 1) / side - 1000;
}

const PackedDib *EasyAdjustPreviewImage() { return s_dlg.preview; }

bool EasyAdjustPreviewPlacement(RECT *drawn)
{
    HWND dialog = s_dlg.window;
    RECT r;
    if (!dialog || !IsWindow(dialog) || !PlacementInControl(dialog, &r))
        return false;
    MapWindowPoints(GetDlgItem(dialog, IDC_EA_PREVIEW), dialog, (POINT *)&r, 2);
    *drawn = r;
    return true;
}

INT_PTR CALLBACK EasyAdjustDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Init(dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_EA_PREVIEW) {
            DrawPreview((const DRAWITEMSTRUCT *)lParam);
            return TRUE;
        }
        return FALSE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        Scroll(dialog, wParam, (HWND)lParam);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR *n = (const NMHDR *)lParam;
        if (n->idFrom == IDC_EA_TABS && n->code == TCN_SELCHANGE) {
            ShowPage(dialog, (int)SendMessageA(n->hwndFrom, TCM_GETCURSEL, 0, 0));
            return TRUE;
        }
        return FALSE;
    }
    case WM_TIMER:
        if (wParam != kAlternateTimer)
            return FALSE;
        s_dlg.alternate = 3 - s_dlg.alternate;
        StartAlternating(dialog);
        RebuildPreview(dialog);
        return TRUE;
    case WM_LBUTTONDOWN:
        Click(dialog, (short)LOWORD(lParam), (short)HIWORD(lParam));
        return TRUE;
    case WM_MOUSEMOVE:
        Drag(dialog, (short)LOWORD(lParam), (short)HIWORD(lParam));
        return TRUE;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != dialog)
            s_dlg.drawingEye = -1;
        return FALSE;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
        RestoreEdited();
        Finish(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        KillTimer(dialog, kAlternateTimer);
        FreeImages();
        s_dlg.ready = false;
        s_dlg.window = nullptr;
        return FALSE;
    }
    return FALSE;
}
