#include "devices/stereo_player_draw.h"

#include "devices/d3d_framework.h"
#include "devices/device_format_draw.h"
#include "devices/device_frames.h"
#include "devices/device_play_loop.h"
#include "devices/named_texture.h"
#include "devices/stereo_player_geometry.h"
#include "devices/stereo_player_state.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_source.h"
#include "state/alignment_state.h"

#include <vfw.h>

#include <string.h>

void (*g_pfnPlayerFrameTimes)(const PlayerFrameTimes &times) = nullptr;
void (*g_pfnPlayerSurfaces)(IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target) = nullptr;

namespace {

// A system-memory surface described like the player's texture but of w x
// h: the double-width stereo surface or the formatted picture's canvas.
HRESULT CreateWorkSurface(const char *textureName, int w, int h, IDirectDrawSurface7 **out)
{
    *out = nullptr;
    IDirectDrawSurface7 *texture = TextureGetSurface(textureName);
    if (!texture)
        return E_FAIL;
    IDirectDraw7 *dd = nullptr;
    HRESULT hr = texture->GetDDInterface((void **)&dd);
    if (FAILED(hr) || !dd)
        return FAILED(hr) ? hr : E_FAIL;
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    hr = texture->GetSurfaceDesc(&desc);
    if (SUCCEEDED(hr)) {
        desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_TEXTURESTAGE;
        desc.dwWidth = (DWORD)w;
        desc.dwHeight = (DWORD)h;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
        desc.ddsCaps.dwCaps2 = 0;
        hr = dd->CreateSurface(&desc, out, nullptr);
    }
    dd->Release();
    if (SUCCEEDED(hr) && !*out)
        hr = E_FAIL;
    return hr;
}

void FillBlack(HDC dc, int w, int h)
{
    RECT r = {0, 0, w, h};
    FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
}

// Fills the whole surface black with the blitter.
void ColourFillBlack(IDirectDrawSurface7 *s, const RECT *r)
{
    DDBLTFX fx;
    memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    s->Blt(const_cast<RECT *>(r), nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

HRESULT CopyToTarget(IDirectDrawSurface7 *target, RECT dst, IDirectDrawSurface7 *work, RECT src)
{
    DDBLTFX fx;
    memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwROP = SRCCOPY;
    return target->Blt(&dst, work, &src, DDBLT_WAIT | DDBLT_ROP, &fx);
}

// The end of every frame: the test hook sees the surfaces, the render
// target goes back, the frame is presented and its times noted (fetch from
// t0, drawing from t1, blit and present from t2).
void PresentPlayerFrame(StereoApp &app, IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target,
                        PlayerFrameTimes *times, double t0, double t1, double t2)
{
    if (g_pfnPlayerSurfaces)
        g_pfnPlayerSurfaces(work, shown, target);
    if (target)
        target->Release();
    if (app.pFramework)
        app.pFramework->ShowFrame();
    NoteDeviceFrameTimes(times, t0, t1, t2);
}

// One eye image: its frame and where it lies in it (rows from the first
// row in memory).
struct PlayerEye {
    const PackedDib *dib;
    int x, y;
    int shiftX, shiftY;  // moves the destination (the file's first image)
};

// Draws eye into the half starting at column halfX.
void DrawEye(HDC dc, int halfX, const PlayerEye &eye, int w, int h, bool stretch, HDRAWDIB drawDib, UINT flags)
{
    if (!eye.dib || w <= 0 || h <= 0)
        return;
    PlayerEyePlace p = PlacePlayerEye(g_n3DWidth, g_n3DHeight, w, h, stretch);
    int x = halfX + p.x + eye.shiftX, y = p.y + eye.shiftY;
    const BITMAPINFO *info = (const BITMAPINFO *)eye.dib;
    BYTE *bits = FindDibBits(eye.dib);
    int lines = DibHeight(eye.dib);
    if (!stretch) {
        SetDIBitsToDevice(dc, x, y, (DWORD)p.w, (DWORD)p.h, eye.x + p.srcX, eye.y, 0, (UINT)lines, bits, info,
                          DIB_RGB_COLORS);
        return;
    }
    DrawDeviceEye(dc, eye.dib, eye.x, eye.y, w, h, x, y, p.w, p.h, drawDib, flags);
}

// The status line and the key help in black, then in white one pixel
// down and right.
void DrawOverlayLines(HDC dc, const char *tag, int firstHelp, int lastHelp, bool visionHelp)
{
    SetBkMode(dc, TRANSPARENT);
    if (g_bShowInfo) {
        char line[320];
        int n = wsprintfA(line, LoadStr(IDS_DEVICE_STATUS), g_nPlayBase + g_nPlayStep, g_nPlayFrames - 1,
                          g_nPlayDelays, g_nDevicePlayDrops);
        lstrcpynA(line + n, tag, (int)sizeof line - n);
        int len = lstrlenA(line);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 2, 2, line, len);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, 3, 3, line, len);
    }
    if (!g_bShowHelp)
        return;
    // The help ids with their rows: firstHelp..lastHelp from y 22, then
    // the 3D Vision lines 2511-2513 at y 222, 242, 262.
    int ids[16], ys[16], count = 0;
    for (int id = firstHelp; id <= lastHelp; id++, count++) {
        ids[count] = id;
        ys[count] = 22 + 20 * (id - firstHelp);
    }
    if (visionHelp)
        for (int i = 0; i < 3; i++, count++) {
            ids[count] = IDS_DEVICE_HELP_FIRST + 11 + i;
            ys[count] = 222 + 20 * i;
        }
    for (int pass = 0; pass < 2; pass++) {
        SetTextColor(dc, pass == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        for (int i = 0; i < count; i++) {
            char text[256];
            lstrcpynA(text, LoadStr(ids[i]), sizeof text);
            TextOutA(dc, 2 + pass, ys[i] + pass, text, lstrlenA(text));
        }
    }
}

}  // namespace

void DrawPlayerOverlay(HDC dc, int kind)
{
    DrawOverlayLines(dc, kind == 1 ? "     [3D Vision]" : "     [nVidia]", IDS_DEVICE_HELP_FIRST,
                     IDS_DEVICE_HELP_FIRST + 9, kind == 1);
}

void DrawNvidiaOverlay(HDC dc)
{
    DrawOverlayLines(dc, "     [nVidia]", IDS_DEVICE_HELP_FIRST, IDS_DEVICE_HELP_FIRST + 10, false);
}

int DrawPlayerStereoFrame(StereoApp &app, IDirectDrawSurface7 **workSurface, bool pair, UINT drawDibFlags,
                          DWORD signatureBits, PlayerFrameTimes *times)
{
    const int W = g_n3DWidth, H = g_n3DHeight;
    double t0 = times ? DeviceClockMs() : 0;
    if (!*workSurface) {
        HRESULT made = CreateWorkSurface(app.szTextureName, 2 * W, H, workSurface);
        if (FAILED(made))
            return (int)made;
    }
    IDirectDrawSurface7 *work = *workSurface;
    HDC dc = nullptr;
    HRESULT hr = work->GetDC(&dc);
    if (FAILED(hr))
        return (int)hr;
    // Every frame starts black, in the play loops too: outside the images
    // the surface would show the frame before.
    FillBlack(dc, 2 * W, H);

    PlayerEye eye[2];  // [0] the left half, [1] the right half
    int w = 0, h = 0;
    bool stretch = false;
    HDRAWDIB drawDib = nullptr;
    DeviceFileFrame file = {};
    if (!pair) {
        if (!g_pPlayMovie || !FetchDeviceFileFrame(g_pPlayMovie, g_nPlayFrame, file)) {
            // The DC is not left taken on the failure.
            work->ReleaseDC(dc);
            return 1;
        }
        PlayerEye first = {file.image, 0, 0, g_nFileShiftX, g_nFileShiftY};
        PlayerEye second = {file.image, file.secondX, file.secondY, 0, 0};
        eye[0] = g_nPlayerSwap ? second : first;
        eye[1] = g_nPlayerSwap ? first : second;
        w = file.eyeW;
        h = file.eyeH;
        stretch = g_nStr3D != 0;
        drawDib = (HDRAWDIB)g_pPlayMovie->hDrawDib;
    } else {
        DevicePairFrame p;
        if (!g_pPlayPair || !FetchDevicePairFrame(g_pPlayPair, g_nFrame, p)) {
            work->ReleaseDC(dc);
            return 1;
        }
        PlayerEye left = {p.left, p.region.leftX, p.region.leftY, 0, 0};
        PlayerEye right = {p.right, p.region.rightX, p.region.rightY, 0, 0};
        eye[0] = g_nPlayerSwap ? right : left;
        eye[1] = g_nPlayerSwap ? left : right;
        w = p.region.w;
        h = p.region.h;
    }
    double t1 = times ? DeviceClockMs() : 0;
    DrawEye(dc, 0, eye[0], w, h, stretch, drawDib, drawDibFlags);
    DrawEye(dc, W, eye[1], w, h, stretch, drawDib, drawDibFlags);
    FreeDeviceFileFrame(file);
    DrawPlayerOverlay(dc, 0);
    work->ReleaseDC(dc);

    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (SUCCEEDED(work->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
        DWORD bits = signatureBits ? signatureBits : desc.ddpfPixelFormat.dwRGBBitCount;
        WriteNv3dSignature((BYTE *)desc.lpSurface, (long)desc.lPitch, (int)desc.dwHeight, (DWORD)(2 * W), (DWORD)H,
                           bits, kNv3dSwapEyes);
        work->Unlock(nullptr);
    }
    RECT all = {0, 0, 2 * W, H};
    double t2 = times ? DeviceClockMs() : 0;

    IDirectDrawSurface7 *target = nullptr;
    if (app.pDevice && SUCCEEDED(app.pDevice->GetRenderTarget(&target)) && target) {
        RECT screen = {0, 0, W, H};
        CopyToTarget(target, screen, work, all);
    }
    PresentPlayerFrame(app, work, all, target, times, t0, t1, t2);
    return 0;
}

int DrawPlayerFormattedFrame(StereoApp &app, IDirectDrawSurface7 **workSurface, bool single, PlayerFrameTimes *times)
{
    const int W = g_n3DWidth, H = g_n3DHeight;
    double t0 = times ? DeviceClockMs() : 0;
    DeviceFileFrame file;
    if (!g_pPlayMovie || !FetchDeviceFileFrame(g_pPlayMovie, g_nPlayFrame, file))
        return 1;
    const int w = file.eyeW, h = file.eyeH;
    if (!*workSurface) {
        HRESULT hr = CreateWorkSurface(app.szTextureName, W > 2 * w ? W : 2 * w, H > h ? H : h, workSurface);
        if (FAILED(hr)) {
            FreeDeviceFileFrame(file);
            return (int)hr;
        }
    }
    IDirectDrawSurface7 *work = *workSurface;
    // Composed pictures and the side-by-side frame leave parts of the
    // surface undrawn: the single draw always starts black, the loop after
    // a change of what is shown.
    if (single) {
        ColourFillBlack(work, nullptr);
    } else if (g_nPlayerClear > 0) {
        ColourFillBlack(work, nullptr);
        g_nPlayerClear--;
    }
    double t1 = times ? DeviceClockMs() : 0;
    HDC dc = nullptr;
    if (FAILED(work->GetDC(&dc))) {
        FreeDeviceFileFrame(file);
        return 1;
    }

    PlayerFormat format = PlayerFormatOf(g_nDispFormat);
    PlayerCopy shown = DrawDeviceFormat(dc, W, H, file, (HDRAWDIB)g_pPlayMovie->hDrawDib);
    FreeDeviceFileFrame(file);
    work->ReleaseDC(dc);
    RECT src = {shown.srcX, shown.srcY, shown.srcX + shown.w, shown.srcY + shown.h};
    RECT dst = {shown.dstX, shown.dstY, shown.dstX + shown.w, shown.dstY + shown.h};
    bool draw = format.composition != kPlayerNothing && shown.w > 0 && shown.h > 0;
    double t2 = times ? DeviceClockMs() : 0;

    IDirectDrawSurface7 *target = nullptr;
    if (app.pDevice && SUCCEEDED(app.pDevice->GetRenderTarget(&target)) && target) {
        bool overlay = g_bShowInfo || g_bShowHelp;
        HDC tdc = nullptr;
        if (single && overlay && SUCCEEDED(target->GetDC(&tdc))) {
            FillBlack(tdc, 2 * W, H);
            target->ReleaseDC(tdc);
        }
        if (format.composition != kPlayerNothing) {
            ColourFillBlack(target, nullptr);
            if (draw)
                CopyToTarget(target, dst, work, src);
        }
        if (overlay && SUCCEEDED(target->GetDC(&tdc))) {
            DrawNvidiaOverlay(tdc);
            target->ReleaseDC(tdc);
        }
    }
    PresentPlayerFrame(app, work, draw ? src : RECT{0, 0, 0, 0}, target, times, t0, t1, t2);
    return 0;
}

namespace {

int DrawStereoOnce(StereoApp &app, bool pair, UINT drawDibFlags, DWORD signatureBits)
{
    IDirectDrawSurface7 *work = nullptr;
    int result = DrawPlayerStereoFrame(app, &work, pair, drawDibFlags, signatureBits, nullptr);
    if (work)
        work->Release();
    return result;
}

}  // namespace

int NvidiaStereoPlayer::DrawStereoFile()
{
    g_nPlayBase = g_nPlayFrame;
    g_nPlayStep = 0;
    return DrawStereoOnce(*this, false, DDF_HALFTONE, (DWORD)g_n3DBits);
}

int NvidiaStereoPlayer::DrawStereoPair()
{
    g_nPlayBase = g_nFrame;
    g_nPlayStep = 0;
    // The single pair draw alone tells the surface's own depth.
    return DrawStereoOnce(*this, true, 0, 0);
}

int NvidiaStereoPlayer::DrawFormattedFile()
{
    g_nPlayBase = g_nPlayFrame;
    g_nPlayStep = 0;
    IDirectDrawSurface7 *work = nullptr;
    int result = DrawPlayerFormattedFrame(*this, &work, true, nullptr);
    if (work)
        work->Release();
    return result;
}
