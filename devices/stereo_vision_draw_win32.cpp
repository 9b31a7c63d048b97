// The 3D Vision viewer's pictures: a stereo movie file's two eye images,
// the pair's two frames, or a file in a display format, drawn through GDI
// into the NV3D surface (left eye in the left half, right eye in the
// right), then stretched onto the back buffer and presented.
#include "devices/stereo_vision_view.h"

#include "devices/device_format_draw.h"
#include "devices/device_frames.h"
#include "devices/device_play_loop.h"
#include "devices/stereo_player_geometry.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_geometry.h"
#include "sources/movie_source.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"

#include <vfw.h>

namespace {

void FillBlack(HDC dc, int w, int h)
{
    RECT r = {0, 0, w, h};
    FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
}

// The surface's DC, clipped to the picture rows so that no drawing (an
// image moved down, the overlay) reaches the signature row. Null when the
// device or the surface is not there, or the DC cannot be taken.
HDC TakeSurfaceDc()
{
    if (!VisionDeviceReady())
        return nullptr;
    HDC dc = nullptr;
    if (FAILED(g_vision.surface->GetDC(&dc)) || !dc)
        return nullptr;
    IntersectClipRect(dc, 0, 0, 2 * (int)g_vision.present.BackBufferWidth, (int)g_vision.present.BackBufferHeight);
    SetStretchBltMode(dc, COLORONCOLOR);  // for the images stretched without DrawDib
    return dc;
}

// The drawing's end: the DC back, the test's look, the present, the times
// (fetch from t0, drawing from t1).
void FinishDrawing(HDC dc, PlayerFrameTimes *times, double t0, double t1)
{
    g_vision.surface->ReleaseDC(dc);
    // The signature again: a surface without alpha need not keep its
    // fourth bytes through the device (Wine's returns them as 0xFF after a
    // stretch), and they are part of the signature's words. Only that row
    // is locked: a lock of the whole surface can make a driver read it all
    // back. A surface that cannot be locked is not presented.
    const int W = (int)g_vision.present.BackBufferWidth, H = (int)g_vision.present.BackBufferHeight;
    RECT row = {0, H, 2 * W, H + 1};
    D3DLOCKED_RECT locked;
    if (FAILED(g_vision.surface->LockRect(&locked, &row, 0)))
        return;
    SignVisionRow((BYTE *)locked.pBits, 8L * W, W, H);
    g_vision.surface->UnlockRect();
    if (g_pfnVisionSurface)
        g_pfnVisionSurface(g_vision.surface, g_vision.device);
    double t2 = times ? DeviceClockMs() : 0;
    ShowVisionSurface();
    NoteDeviceFrameTimes(times, t0, t1, t2);
}

// One eye image: its frame and where it lies in it (rows from the first
// row in memory), w x h.
struct VisionEye {
    const PackedDib *dib;
    int x, y;
    HDRAWDIB drawDib;
};

void DrawEyeScaled(HDC dc, const VisionEye &e, int w, int h, int dx, int dy, int dw, int dh, UINT flags)
{
    DrawDeviceEye(dc, e.dib, e.x, e.y, w, h, dx, dy, dw, dh, e.drawDib, flags);
}

// The file's frame and the surface's DC to draw it on, with the times
// the fetch began and ended.
struct FileDrawing {
    DeviceFileFrame file;
    HDC dc;
    double t0, t1;
};

// 1 when the frame cannot be fetched; 0 with dc null when there is
// nothing to draw on (the frame freed then), else 0 with both.
int BeginFileDrawing(int frame, PlayerFrameTimes *times, FileDrawing &d)
{
    d.dc = nullptr;
    d.t0 = times ? DeviceClockMs() : 0;
    if (!g_pPlayMovie || !FetchDeviceFileFrame(g_pPlayMovie, frame, d.file))
        return 1;
    d.t1 = times ? DeviceClockMs() : 0;
    d.dc = TakeSurfaceDc();
    if (!d.dc)
        FreeDeviceFileFrame(d.file);
    return 0;
}

int DrawStereoFileAt(int frame, PlayerFrameTimes *times)
{
    const int W = (int)g_vision.present.BackBufferWidth, H = (int)g_vision.present.BackBufferHeight;
    FileDrawing d;
    int result = BeginFileDrawing(frame, times, d);
    if (!d.dc)
        return result;
    FillBlack(d.dc, 2 * W, H);
    VisionPlace p = PlaceVisionFileEye(W, H, d.file.eyeW, d.file.eyeH, g_nVisionZoom);
    g_nVisionZoom = p.zoom;
    HDRAWDIB drawDib = (HDRAWDIB)g_pPlayMovie->hDrawDib;
    VisionEye first = {d.file.image, 0, 0, drawDib};
    VisionEye second = {d.file.image, d.file.secondX, d.file.secondY, drawDib};
    int sx = g_nFileShiftX, sy = g_nFileShiftY;
    if (!g_nPlayerSwap) {
        DrawEyeScaled(d.dc, first, d.file.eyeW, d.file.eyeH, p.x + sx, p.y + sy, p.w, p.h, DDF_BACKGROUNDPAL);
        DrawEyeScaled(d.dc, second, d.file.eyeW, d.file.eyeH, W + p.x, p.y, p.w, p.h, DDF_BACKGROUNDPAL);
    } else {
        DrawEyeScaled(d.dc, second, d.file.eyeW, d.file.eyeH, p.x, p.y, p.w, p.h, DDF_BACKGROUNDPAL);
        DrawEyeScaled(d.dc, first, d.file.eyeW, d.file.eyeH, W + p.x + sx, p.y + sy, p.w, p.h, DDF_BACKGROUNDPAL);
    }
    FreeDeviceFileFrame(d.file);
    DrawPlayerOverlay(d.dc, 1);
    FinishDrawing(d.dc, times, d.t0, d.t1);
    return 0;
}

int DrawPairAt(int frame, PlayerFrameTimes *times)
{
    const int W = (int)g_vision.present.BackBufferWidth, H = (int)g_vision.present.BackBufferHeight;
    double t0 = times ? DeviceClockMs() : 0;
    StereoPair *pair = g_pPlayPair;
    DevicePairFrame p;
    // Frames of two sizes are refused here: the smaller would be read past
    // its end.
    if (!pair || !pair->pLeft || !pair->pRight || !FetchDevicePairFrame(pair, frame, p))
        return 1;
    double t1 = times ? DeviceClockMs() : 0;
    HDC dc = TakeSurfaceDc();
    if (!dc)
        return 0;
    if (g_bVisionClear || g_bShowInfo) {
        FillBlack(dc, 2 * W, H);
        g_bVisionClear = 0;
    }
    const W3DPairRegion &r = p.region;
    VisionPairPlace place = PlaceVisionPair(W, H, r.w, r.h, g_nWaku, g_nVisionZoom);
    // A scaled picture shows the whole common region, yet g_rcTrim stays
    // as it is: the drawing must not overwrite the user's trimming
    // rectangle.
    if (place.scaled)
        g_nVisionZoom = place.zoom;
    bool trimmed = g_nTrimState == kTrimApplied;
    VisionEye left = {p.left, r.leftX, r.leftY, trimmed ? nullptr : (HDRAWDIB)pair->pLeft->hDrawDib};
    VisionEye right = {p.right, r.rightX, r.rightY, trimmed ? nullptr : (HDRAWDIB)pair->pRight->hDrawDib};
    const VisionEye *halves[2] = {g_nPlayerSwap ? &right : &left, g_nPlayerSwap ? &left : &right};
    for (int i = 0; i < 2; i++) {
        const VisionEye &e = *halves[i];
        int x = i * W + place.x;
        if (!place.scaled) {
            SetDIBitsToDevice(dc, x, place.y, (DWORD)place.w, (DWORD)place.h, e.x + place.srcX, e.y, 0,
                              (UINT)DibHeight(e.dib), FindDibBits(e.dib), (const BITMAPINFO *)e.dib, DIB_RGB_COLORS);
        } else {
            DrawEyeScaled(dc, e, r.w, r.h, x, place.y, place.w, place.h, DDF_BACKGROUNDPAL);
        }
    }
    DrawPlayerOverlay(dc, 1);
    FinishDrawing(dc, times, t0, t1);
    return 0;
}

int DrawFormattedFileAt(int frame, PlayerFrameTimes *times)
{
    const int W = (int)g_vision.present.BackBufferWidth, H = (int)g_vision.present.BackBufferHeight;
    FileDrawing d;
    int result = BeginFileDrawing(frame, times, d);
    if (!d.dc)
        return result;
    // The status line changes at every frame: under it the picture starts
    // black, as after any change of what is shown.
    if (g_bVisionClear || g_bShowInfo) {
        FillBlack(d.dc, 2 * W, H);
        g_bVisionClear = 0;
    }
    IntersectClipRect(d.dc, 0, 0, W, H);  // the left half only
    DrawDeviceFormat(d.dc, W, H, d.file, (HDRAWDIB)g_pPlayMovie->hDrawDib);
    FreeDeviceFileFrame(d.file);
    if (g_bShowInfo || g_bShowHelp)
        DrawNvidiaOverlay(d.dc);
    FinishDrawing(d.dc, times, d.t0, d.t1);
    return 0;
}

}  // namespace

int DrawVisionFrame(int source, int frame, PlayerFrameTimes *times)
{
    switch (source) {
    case 0: return DrawPairAt(frame, times);
    case 1: return DrawStereoFileAt(frame, times);
    case 2: return DrawFormattedFileAt(frame, times);
    default: return 1;
    }
}

namespace {

int DrawStill(int source, int frame)
{
    g_nPlayStep = 0;
    g_nPlayBase = frame;
    return DrawVisionFrame(source, frame, nullptr);
}

}  // namespace

int DrawVisionFormattedFile() { return DrawStill(2, g_nPlayFrame); }
int DrawVisionStereoFile() { return DrawStill(1, g_nPlayFrame); }
int DrawVisionPair() { return DrawStill(0, g_nFrame); }

int DrawVisionCurrent()
{
    switch (g_nPlaySource) {
    case 0: return DrawVisionPair();
    case 1: return DrawVisionStereoFile();
    case 2: return DrawVisionFormattedFile();
    default: return 1;
    }
}
