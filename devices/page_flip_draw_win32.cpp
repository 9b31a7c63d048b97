#include "devices/page_flip_draw.h"

#include "devices/device_frames.h"
#include "devices/device_play_loop.h"
#include "devices/flip_chain.h"
#include "devices/page_flip_geometry.h"
#include "devices/page_flip_state.h"
#include "devices/winx3d_caps.h"
#include "pipeline/pair_position.h"
#include "pipeline/play_clock.h"
#include "pipeline/play_pair.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "state/app_windows.h"

#include <ddraw.h>
#include <mmsystem.h>
#include <vfw.h>

#include <string.h>

void (*g_pfnW3DFrameTimes)(const W3DFrameTimes &times) = nullptr;

namespace {

// One eye image: where it lies in its frame (rows from the first row in
// memory) and the frame's row count that SetDIBitsToDevice is given.
struct EyeSource {
    const PackedDib *dib;
    int x, y;
    int lines;
    int shiftX, shiftY;  // moves the destination (the file's first image)
};

// One frame ready to draw: both eye images of one size, their place on the
// screen, and the converted image to free afterwards.
struct W3DFrame {
    EyeSource eye[2];  // [0] left eye, [1] right eye
    int w, h;
    W3DPlace place;
    bool stretch;
    HDRAWDIB drawDib;
    PackedDib *owned;
};

void FreeFrame(W3DFrame &f)
{
    if (f.owned)
        FreeDib(f.owned);
    f.owned = nullptr;
}

RECT ScreenRect()
{
    RECT r = {0, 0, 0, 0};
    IDirectDrawSurface *s = g_apW3DFlip[0];
    if (!s)
        return r;
    DDSURFACEDESC d;
    memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    if (s->GetSurfaceDesc(&d) == DD_OK)
        SetRect(&r, 0, 0, (int)d.dwWidth, (int)d.dwHeight);
    return r;
}

// The file's frame fetched and made into the image that holds both eye
// images, laid out as g_nBunkatu says. False when it cannot be fetched.
bool PrepareFileFrame(MovieSource *movie, int frame, const RECT &screen, W3DFrame &f)
{
    memset(&f, 0, sizeof f);
    DeviceFileFrame file;
    if (!FetchDeviceFileFrame(movie, frame, file))
        return false;
    f.owned = file.owned;
    const PackedDib *src = file.image;
    int lines = DibHeight(src);
    EyeSource first = {src, 0, 0, lines, g_nW3DFileShiftX, g_nW3DFileShiftY};
    EyeSource second = {src, file.secondX, file.secondY, lines, 0, 0};
    f.eye[0] = g_bW3DSwap ? second : first;
    f.eye[1] = g_bW3DSwap ? first : second;
    f.w = file.eyeW;
    f.h = file.eyeH;
    f.stretch = g_nStr3D != 0;
    f.drawDib = (HDRAWDIB)movie->hDrawDib;
    f.place = PlaceW3DImage(screen.right, screen.bottom, f.w, f.h, f.stretch);
    return true;
}

// The pair's frames fetched at g_nFrame and adjusted as the view shows
// them. False when they cannot be fetched or differ in size (a box here
// would sit behind this window, its loop serving this window's keys
// mid-draw).
bool PreparePairFrame(StereoPair *pair, int frame, const RECT &screen, W3DFrame &f)
{
    memset(&f, 0, sizeof f);
    DevicePairFrame p;
    if (!FetchDevicePairFrame(pair, frame, p))
        return false;
    const W3DPairRegion &g = p.region;
    int lines = DibHeight(p.left);
    EyeSource leftImage = {p.left, g.leftX, g.leftY, lines, 0, 0};
    EyeSource rightImage = {p.right, g.rightX, g.rightY, lines, 0, 0};
    f.eye[0] = g_bW3DSwap ? rightImage : leftImage;
    f.eye[1] = g_bW3DSwap ? leftImage : rightImage;
    f.w = g.w;
    f.h = g.h;
    f.place = PlaceW3DImage(screen.right, screen.bottom, f.w, f.h, false);
    return true;
}

void DrawEyeImage(HDC dc, const W3DFrame &f, const EyeSource &e, UINT drawDibFlags)
{
    if (!e.dib || f.w <= 0 || f.h <= 0)
        return;
    int x = f.place.x + e.shiftX, y = f.place.y + e.shiftY;
    const BITMAPINFO *info = (const BITMAPINFO *)e.dib;
    BYTE *bits = FindDibBits(e.dib);
    if (!f.stretch) {
        SetDIBitsToDevice(dc, x, y, (DWORD)f.w, (DWORD)f.h, e.x, e.y, 0, (UINT)e.lines, bits, info, DIB_RGB_COLORS);
        return;
    }
    // DrawDib counts source rows from the top: the same rows as above.
    int top = DibHeight(e.dib) - e.y - f.h;
    if (f.drawDib)
        DrawDibDraw(f.drawDib, dc, x, y, f.place.w, f.place.h, (BITMAPINFOHEADER *)e.dib, bits, e.x, top, f.w, f.h,
                    drawDibFlags);
    else
        StretchDIBits(dc, x, y, f.place.w, f.place.h, e.x, e.y, f.w, f.h, bits, info, DIB_RGB_COLORS, SRCCOPY);
}

// Both eyes of the frame into free flip buffers, each handed to the
// driver; Present after the right eye, and after the left as well where
// the driver asks for it.
void DrawFrameEyes(WinX3DContext *context, int device, const W3DFrame &f, const RECT &screen, bool infoStrip,
                   UINT drawDibFlags, W3DFrameTimes *times = nullptr)
{
    for (int eye = 0; eye < 2; eye++) {
        double t0 = times ? DeviceClockMs() : 0;
        int i = FindFreeFlipBuffer(context, device, g_apW3DFlip, g_nW3DBuffers, eye == 0 ? 0 : 1);
        if (i < 0 || i >= kW3DFlipSlots || !g_apW3DFlip[i])
            i = eye;
        (eye == 0 ? g_nW3DLeftBuffer : g_nW3DRightBuffer) = i;
        IDirectDrawSurface *s = g_apW3DFlip[i];
        if (!s)
            return;
        RestoreLostSurface(s);
        HDC dc = nullptr;
        if (s->GetDC(&dc) == DD_OK) {
            if (g_nW3DClear > 0) {
                FillRect(dc, &screen, (HBRUSH)GetStockObject(BLACK_BRUSH));
                g_nW3DClear--;
            }
            if (infoStrip) {
                RECT strip = {0, 0, 1024, 20};
                FillRect(dc, &strip, (HBRUSH)GetStockObject(BLACK_BRUSH));
            }
            DrawEyeImage(dc, f, f.eye[eye], drawDibFlags);
            DrawW3DOverlay(dc);
            s->ReleaseDC(dc);
        }
        W3DSetEyeSurface(context, device, s, eye == 0 ? 1 : 0);
        double t1 = times ? DeviceClockMs() : 0;
        if (eye == 1 || PresentAfterLeftEye(g_w3dCaps.dwFlags, g_w3dCaps.dwFlags2, g_nW3DBuffers))
            W3DPresent(context, device);
        if (times) {
            times->draw[eye] = t1 - t0;
            times->present += DeviceClockMs() - t1;
        }
    }
}

// ---- the play loops ----

// What differs between the file and the pair loop.
struct LoopSource {
    MovieSource *sound;    // the record whose sound plays and whose rate times the loop
    MovieSource *partner;  // the pair's other record
    int start;             // the loop's first frame
    int total;             // frames of the file or the pair
    int recordStart;       // the sound record's own frame at the loop's start
    bool isFile;
    MovieSource *movie;
    StereoPair *pair;
    int *current;          // g_nW3DFileFrame or g_nFrame
    int *shiftX, *shiftY;
};

bool Prepare(const LoopSource &src, int frame, const RECT &screen, W3DFrame &f)
{
    return src.isFile ? PrepareFileFrame(src.movie, frame, screen, f) : PreparePairFrame(src.pair, frame, screen, f);
}

// One message of each input group: true when the loop is to stop.
bool TakeLoopInput(HWND window, const LoopSource &src)
{
    MSG msg;
    bool stop = false;
    if (PeekMessageA(&msg, window, WM_MOUSEFIRST, 0x209, PM_REMOVE) &&
        (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN))
        stop = true;
    if (PeekMessageA(&msg, window, WM_KEYUP, WM_KEYUP, PM_REMOVE) && msg.wParam == VK_ESCAPE)
        stop = true;
    if (PeekMessageA(&msg, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        switch (msg.wParam) {
        case VK_HOME: *src.shiftX = 0; *src.shiftY = 0; g_nW3DClear = 4; break;
        case VK_LEFT: *src.shiftX -= 4; g_nW3DClear = 2; break;
        case VK_RIGHT: *src.shiftX += 4; g_nW3DClear = 2; break;
        case VK_UP: *src.shiftY -= 1; g_nW3DClear = 2; break;
        case VK_DOWN: *src.shiftY += 1; g_nW3DClear = 2; break;
        case 'H':
        case VK_F1: g_bW3DHelp = !g_bW3DHelp; g_nW3DClear = 4; break;
        case VK_F5: g_bW3DInfo = !g_bW3DInfo; g_nW3DClear = 4; break;
        case 'X':
            g_bW3DSwap = !g_bW3DSwap;
            if (src.isFile)
                g_nW3DClear = 4;
            break;
        case VK_RETURN:
        case VK_F2:
        case VK_F3: stop = true; break;
        default: break;
        }
    }
    return stop;
}

int RunW3DLoop(HWND window, WinX3DContext *context, int device, LoopSource &src)
{
    // Nothing to show (a start at or past the end): "played to the end
    // with repeat on" would start it again for ever.
    if (!g_bW3DFlipping || src.total - src.start <= 0)
        return 1;
    RECT screen = ScreenRect();
    g_nW3DClear = 4;
    DevicePlayLoop loop = {};
    loop.window = window;
    loop.sound = src.sound;
    loop.partner = src.partner;
    loop.start = src.start;
    loop.total = src.total;
    loop.recordStart = src.recordStart;
    loop.isFile = src.isFile;
    loop.timerPeriod = &g_uTimerPeriod;
    loop.timerId = &g_uTimerId;
    loop.drops = &g_nPlayDrops;
    loop.delay = &g_nW3DDelay;
    if (!StartDevicePlayLoop(loop))
        return 1;
    g_nW3DTotal = src.total;
    g_nW3DBase = src.start;
    g_nW3DStep = 0;

    int result = 0;
    int last = src.total - 1;
    for (int k = g_nW3DStep; k < src.total - src.start; k++) {
        if (!g_bW3DFlipping || !IsWindow(window)) {
            result = 1;  // the window closed meanwhile
            break;
        }
        int shown = src.start + k;
        *src.current = shown == last ? 0 : shown;
        g_nW3DStep = k;
        W3DFrameTimes times = {shown, 0, {0, 0}, 0};
        W3DFrameTimes *probe = g_pfnW3DFrameTimes ? &times : nullptr;
        double t0 = probe ? DeviceClockMs() : 0;
        W3DFrame f;
        if (!Prepare(src, shown, screen, f)) {
            FreeFrame(f);
            result = 1;
            break;
        }
        if (probe)
            times.fetch = DeviceClockMs() - t0;
        DrawFrameEyes(context, device, f, screen, g_bW3DInfo != 0, k == 0 ? 0 : DDF_HALFTONE, probe);
        FreeFrame(f);
        if (probe)
            g_pfnW3DFrameTimes(times);

        // Pacing: wait for the next frame's time; more than two frames
        // behind, skip one.
        k = PaceDevicePlayLoop(loop, k);

        if (TakeLoopInput(window, src)) {
            result = 1;
            break;
        }
    }

    EndDevicePlayLoop(loop);
    if (result == 0 && g_bRepeat != 1)
        result = 1;
    return result;
}

}  // namespace

void DrawW3DOverlay(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    if (g_bW3DInfo) {
        char line[256];
        int n = wsprintfA(line, LoadStr(IDS_DEVICE_STATUS), g_nW3DBase + g_nW3DStep, g_nW3DTotal - 1, g_nW3DDelay,
                          g_nPlayDrops);
        lstrcpynA(line + n, "     [WinX3D]", (int)sizeof line - n);
        int len = lstrlenA(line);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 2, 2, line, len);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, 3, 3, line, len);
    }
    if (g_bW3DHelp) {
        for (int i = 0; i < 10; i++) {
            char text[256];
            lstrcpynA(text, LoadStr(IDS_DEVICE_HELP_FIRST + i), sizeof text);
            int len = lstrlenA(text);
            SetTextColor(dc, RGB(0, 0, 0));
            TextOutA(dc, 2, 22 + 20 * i, text, len);
            SetTextColor(dc, RGB(255, 255, 255));
            TextOutA(dc, 3, 23 + 20 * i, text, len);
        }
    }
}

int DrawW3DFileFrame(HWND, WinX3DContext *context, int device, MovieSource *movie)
{
    if (!g_bW3DFlipping || !movie)
        return 0;
    RECT screen = ScreenRect();
    g_nW3DClear = 2;
    W3DFrame f;
    bool ok = PrepareFileFrame(movie, g_nW3DFileFrame, screen, f);
    g_nW3DBase = g_nW3DFileFrame;
    g_nW3DStep = 0;
    if (ok)
        DrawFrameEyes(context, device, f, screen, false, DDF_HALFTONE);
    FreeFrame(f);
    return ok ? 0 : 1;
}

int DrawW3DPairFrame(HWND, WinX3DContext *context, int device, StereoPair *pair)
{
    if (!g_bW3DFlipping || !pair)
        return 0;
    RECT screen = ScreenRect();
    g_nW3DClear = 2;
    W3DFrame f;
    bool ok = PreparePairFrame(pair, g_nFrame, screen, f);
    g_nW3DBase = g_nFrame;
    g_nW3DStep = 0;
    if (ok)
        DrawFrameEyes(context, device, f, screen, false, 0);
    return ok ? 0 : 1;
}

int PlayW3DFile(HWND window, WinX3DContext *context, int device, MovieSource *movie)
{
    if (!g_bW3DFlipping || !movie)
        return 1;
    LoopSource src = {};
    src.sound = movie;
    src.start = g_nW3DFileFrame;
    src.total = movie->nFrames;
    src.recordStart = g_nW3DFileFrame;
    src.isFile = true;
    src.movie = movie;
    src.current = &g_nW3DFileFrame;
    src.shiftX = &g_nW3DFileShiftX;
    src.shiftY = &g_nW3DFileShiftY;
    return RunW3DLoop(window, context, device, src);
}

int PlayW3DPair(HWND window, WinX3DContext *context, int device, StereoPair *pair)
{
    if (!g_bW3DFlipping || !pair)
        return 1;
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    g_nFrameCount = PairFrameCount(left, right, g_nEndOffset);
    LoopSource src = {};
    src.sound = SoundFromRightRecord(g_nSoundlr, g_bSwapped) ? right : left;
    src.partner = src.sound == left ? right : left;
    src.start = g_nFrame;
    src.total = g_nFrameCount;
    src.recordStart = src.sound->nStart + g_nFrame;
    src.pair = pair;
    src.current = &g_nFrame;
    src.shiftX = &g_nShiftX;
    src.shiftY = &g_nShiftY;
    return RunW3DLoop(window, context, device, src);
}
