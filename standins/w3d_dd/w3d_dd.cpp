// A stand-in for the WinX3D page-flipping driver "W3D_DD.DLL": it flips
// nothing, but answers every call of the function table and the driver
// block the way the program expects and writes down what it was given.
// Its log is what the tests of the page-flip output compare against.
//
// Environment (read with GetEnvironmentVariableA each time the program
// loads the driver, so a test may set them with SetEnvironmentVariableA in
// its own process before LoadWinX3D; numbers are decimal, or hex with 0x):
//   TWR_W3D_LOG           log file (appended, one line per call); no log
//                         when unset
//   TWR_W3D_FLAGS         caps dwFlags returned by GetCaps (default 0)
//   TWR_W3D_FLAGS2        caps dwFlags2 (default 0)
//   TWR_W3D_BLOCK         driver block size: "12" or "short" (Close and
//                         AttachPrimary), "44" or "full" (also SelectDevice
//                         and GetDisplayDevice; the default), "0" or "none"
//                         (no block at all). 12 and 44 are the 32-bit sizes;
//                         the 64-bit build uses kW3DBlockShort / kW3DBlockFull.
//   TWR_W3D_START_RESULT  what StartFlipping returns (default 0)
//   TWR_W3D_CAPS_RESULT   what GetCaps returns (default 0; the record is
//                         filled only when it is 0)
//   TWR_W3D_DEVICE        the device index SelectDevice reports (default 0)
//   TWR_W3D_DISPLAY       the name GetDisplayDevice writes (default
//                         "\\.\DISPLAY1")
//   TWR_W3D_HASH          "0": no pixel hashes (hash fields read "off"), for
//                         timing runs
//   TWR_W3D_DUMP          a folder: at each Present both eye surfaces are
//                         written there as raw pictures (below)
//
// Log lines (LF ends): the call's name, then space-separated key=value fields; no
// value holds a space except the display name, which ends its line.
//   Fill block=<bytes|none>
//   SelectDevice zero=<n> device=<reported> result=0
//   GetDisplayDevice device=<d> result=0 name=<name>
//   GetCaps device=<d> size=<cbSize given> result=<r> flags=0x<hex> flags2=0x<hex>
//   AttachPrimary device=<d> surface=<id> result=0
//   StartFlipping device=<d> first=<id> second=<id> result=<r>
//   StopFlipping device=<d> first=<id> second=<id> result=0
//   GetSurfaceStatus device=<d> surface=<id> status=0x<hex> result=0
//   SetEyeSurface device=<d> surface=<id> eye=<left|right> size=<W>x<H> hash=<h> result=0
//   Present device=<d> arg=<n> count=<k> left=<id> lefthash=<h> right=<id> righthash=<h> result=0
//   Close result=0
//   unexpected slot=0x<offset>
// <id> names a surface pointer: s1, s2, ... in the order the driver first
// saw them ("null" for a null pointer). <k> counts Present calls from 1.
// <offset> is the slot's offset in the 32-bit table (0x08, 0x0c, 0x14,
// 0x1c, 0x20, 0x28, 0x30, 0x34, 0x38). Present's eyes are the surfaces
// last set for each eye ("none" before any).
//
// The hash <h>: 16 lower-case hex digits of FNV-1a 64 (offset basis
// 0xcbf29ce484222325, prime 0x100000001b3) over the surface's pixels read
// through Lock (DDLOCK_READONLY | DDLOCK_WAIT): rows top-down, width x 4
// bytes per row, each pixel B, G, R, 0 (the fourth byte is always taken as
// 0). For a picture, the same number comes from its rows top-down as BGRA
// (e.g. ffmpeg -pix_fmt bgra -f rawvideo) with every fourth byte set to 0,
// all rows hashed as one byte string. Instead of a hash: "bpp<n>" for a
// surface that is not 32 bits per pixel, "lock-<hex>" when Lock failed,
// "off" when hashes are switched off.
//
// Dumps: <folder>\present<k, six digits>_<left|right>_<W>x<H>.bgra, the
// same bytes the hash runs over (top-down, B G R 0, no header), for 32-bit
// surfaces only.
//
// Busy surfaces: a surface set for an eye reports status 0x08 from
// GetSurfaceStatus until another surface is set for that eye (and
// StartFlipping forgets both), so a caller that draws into the first free
// buffer never puts both eyes into one buffer.
#include "devices/winx3d_driver.h"

#include <ddraw.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

const DWORD kBusy = 0x08;

struct Settings {
    char log[MAX_PATH];
    char dump[MAX_PATH];
    char display[260];
    DWORD flags, flags2, startResult, capsResult;
    int device;
    DWORD block;  // bytes, 0 for none
    bool hash;
};

Settings g_settings;
IDirectDrawSurface *g_eyes[2];  // [0] right, [1] left, as the eye argument
DWORD g_presents;
std::vector<void *> g_seen;

bool ReadEnv(const char *name, char *out, DWORD size)
{
    DWORD n = GetEnvironmentVariableA(name, out, size);
    if (n == 0 || n >= size) {
        out[0] = 0;
        return false;
    }
    return true;
}

DWORD EnvNumber(const char *name, DWORD fallback)
{
    char text[32];
    return ReadEnv(name, text, sizeof text) ? (DWORD)strtoul(text, nullptr, 0) : fallback;
}

void ReadSettings()
{
    Settings &s = g_settings;
    ReadEnv("TWR_W3D_LOG", s.log, sizeof s.log);
    ReadEnv("TWR_W3D_DUMP", s.dump, sizeof s.dump);
    if (!ReadEnv("TWR_W3D_DISPLAY", s.display, sizeof s.display))
        lstrcpynA(s.display, "\\\\.\\DISPLAY1", sizeof s.display);
    s.flags = EnvNumber("TWR_W3D_FLAGS", 0);
    s.flags2 = EnvNumber("TWR_W3D_FLAGS2", 0);
    s.startResult = EnvNumber("TWR_W3D_START_RESULT", 0);
    s.capsResult = EnvNumber("TWR_W3D_CAPS_RESULT", 0);
    s.device = (int)EnvNumber("TWR_W3D_DEVICE", 0);
    char text[16];
    ReadEnv("TWR_W3D_BLOCK", text, sizeof text);
    if (!strcmp(text, "12") || !strcmp(text, "short"))
        s.block = kW3DBlockShort;
    else if (!strcmp(text, "0") || !strcmp(text, "none"))
        s.block = 0;
    else
        s.block = kW3DBlockFull;
    ReadEnv("TWR_W3D_HASH", text, sizeof text);
    s.hash = strcmp(text, "0") != 0;
}

void Log(const char *format, ...)
{
    if (!g_settings.log[0])
        return;
    FILE *f = fopen(g_settings.log, "ab");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

// "s1", "s2", ... by first sight; "null".
const char *Id(void *p, char (&out)[16])
{
    if (!p) {
        lstrcpynA(out, "null", sizeof out);
        return out;
    }
    size_t i = 0;
    while (i < g_seen.size() && g_seen[i] != p)
        i++;
    if (i == g_seen.size())
        g_seen.push_back(p);
    snprintf(out, sizeof out, "s%u", (unsigned)(i + 1));
    return out;
}

// The surface's 32-bit pixels as hashed: top-down rows of B, G, R, 0.
// False with `why` filled when they cannot be had.
bool ReadPixels(IDirectDrawSurface *surface, std::vector<BYTE> &pixels, DWORD &width, DWORD &height,
                char (&why)[24])
{
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    HRESULT hr = surface->Lock(nullptr, &desc, DDLOCK_READONLY | DDLOCK_WAIT, nullptr);
    if (FAILED(hr)) {
        snprintf(why, sizeof why, "lock-%08lx", (unsigned long)hr);
        return false;
    }
    width = desc.dwWidth;
    height = desc.dwHeight;
    bool ok = desc.ddpfPixelFormat.dwRGBBitCount == 32;
    if (ok) {
        pixels.resize((size_t)width * height * 4);
        for (DWORD y = 0; y < height; y++) {
            const BYTE *row = (const BYTE *)desc.lpSurface + (ptrdiff_t)y * desc.lPitch;
            BYTE *to = pixels.data() + (size_t)y * width * 4;
            memcpy(to, row, (size_t)width * 4);
            for (DWORD x = 0; x < width; x++)
                to[x * 4 + 3] = 0;
        }
    } else {
        snprintf(why, sizeof why, "bpp%lu", (unsigned long)desc.ddpfPixelFormat.dwRGBBitCount);
    }
    surface->Unlock(nullptr);
    return ok;
}

unsigned long long Fnv1a64(const std::vector<BYTE> &bytes)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (BYTE b : bytes) {
        h ^= b;
        h *= 0x100000001b3ULL;
    }
    return h;
}

// The hash field of a surface, and its size when it could be locked.
void Describe(IDirectDrawSurface *surface, char (&hash)[24], DWORD &width, DWORD &height,
              std::vector<BYTE> *keep)
{
    width = height = 0;
    if (!surface) {
        lstrcpynA(hash, "none", sizeof hash);
        return;
    }
    if (!g_settings.hash && !keep) {
        lstrcpynA(hash, "off", sizeof hash);
        return;
    }
    std::vector<BYTE> pixels;
    if (!ReadPixels(surface, pixels, width, height, hash))
        return;
    if (g_settings.hash)
        snprintf(hash, sizeof hash, "%016llx", Fnv1a64(pixels));
    else
        lstrcpynA(hash, "off", sizeof hash);
    if (keep)
        keep->swap(pixels);
}

void Dump(const std::vector<BYTE> &pixels, DWORD width, DWORD height, const char *eye)
{
    if (pixels.empty())
        return;
    char path[MAX_PATH + 64];
    snprintf(path, sizeof path, "%s\\present%06lu_%s_%lux%lu.bgra", g_settings.dump, (unsigned long)g_presents,
             eye, (unsigned long)width, (unsigned long)height);
    if (FILE *f = fopen(path, "wb")) {
        fwrite(pixels.data(), 1, pixels.size(), f);
        fclose(f);
    }
}

DWORD __cdecl StartFlipping(WinX3DContext *, int device, IDirectDraw *, IDirectDrawSurface *a,
                            IDirectDrawSurface *b)
{
    g_eyes[0] = g_eyes[1] = nullptr;
    char ia[16], ib[16];
    Id(a, ia);
    Id(b, ib);  // named in this order when both are new
    Log("StartFlipping device=%d first=%s second=%s result=%lu", device, ia, ib,
        (unsigned long)g_settings.startResult);
    return g_settings.startResult;
}

DWORD __cdecl StopFlipping(WinX3DContext *, int device, IDirectDraw *, IDirectDrawSurface *a,
                           IDirectDrawSurface *b)
{
    char ia[16], ib[16];
    Id(a, ia);
    Id(b, ib);
    Log("StopFlipping device=%d first=%s second=%s result=0", device, ia, ib);
    return 0;
}

DWORD __cdecl Present(WinX3DContext *, int device, int arg)
{
    g_presents++;
    const char *names[2] = {"right", "left"};
    char ids[2][16], hashes[2][24];
    for (int eye = 1; eye >= 0; eye--) {
        DWORD width, height;
        std::vector<BYTE> pixels;
        bool dump = g_settings.dump[0] && g_eyes[eye];
        Describe(g_eyes[eye], hashes[eye], width, height, dump ? &pixels : nullptr);
        if (dump)
            Dump(pixels, width, height, names[eye]);
        if (g_eyes[eye])
            Id(g_eyes[eye], ids[eye]);
        else
            lstrcpynA(ids[eye], "none", sizeof ids[eye]);
    }
    Log("Present device=%d arg=%d count=%lu left=%s lefthash=%s right=%s righthash=%s result=0", device, arg,
        (unsigned long)g_presents, ids[1], hashes[1], ids[0], hashes[0]);
    return 0;
}

DWORD __cdecl SetEyeSurface(WinX3DContext *, int device, IDirectDrawSurface *surface, int leftEye)
{
    int eye = leftEye ? 1 : 0;
    g_eyes[eye] = surface;
    char id[16], hash[24];
    DWORD width, height;
    Describe(surface, hash, width, height, nullptr);
    Log("SetEyeSurface device=%d surface=%s eye=%s size=%lux%lu hash=%s result=0", device, Id(surface, id),
        eye ? "left" : "right", (unsigned long)width, (unsigned long)height, hash);
    return 0;
}

DWORD __cdecl GetCaps(WinX3DContext *, int device, WinX3DCaps *caps)
{
    DWORD size = caps ? caps->cbSize : 0;
    DWORD result = caps ? g_settings.capsResult : kW3DNullArgument;
    if (result == 0) {
        caps->dwFlags = g_settings.flags;
        caps->dwFlags2 = g_settings.flags2;
    }
    Log("GetCaps device=%d size=%lu result=%lu flags=0x%lx flags2=0x%lx", device, (unsigned long)size,
        (unsigned long)result, (unsigned long)g_settings.flags, (unsigned long)g_settings.flags2);
    return result;
}

DWORD __cdecl GetSurfaceStatus(WinX3DContext *, int device, IDirectDrawSurface *surface, DWORD *status)
{
    DWORD value = surface && (surface == g_eyes[0] || surface == g_eyes[1]) ? kBusy : 0;
    if (status)
        *status = value;
    char id[16];
    Log("GetSurfaceStatus device=%d surface=%s status=0x%lx result=0", device, Id(surface, id),
        (unsigned long)value);
    return 0;
}

// Slots the program never calls: each says which one it was.
template <unsigned Offset> DWORD __cdecl Unexpected(WinX3DContext *)
{
    Log("unexpected slot=0x%02x", Offset);
    return kW3DNotLoadable;
}

DWORD __cdecl Close(WinX3DContext *)
{
    Log("Close result=0");
    return 0;
}

DWORD __cdecl AttachPrimary(WinX3DContext *, int device, IDirectDrawSurface *primary)
{
    char id[16];
    Log("AttachPrimary device=%d surface=%s result=0", device, Id(primary, id));
    return 0;
}

DWORD __cdecl SelectDevice(WinX3DContext *, int zero, int *device)
{
    if (device)
        *device = g_settings.device;
    Log("SelectDevice zero=%d device=%d result=0", zero, g_settings.device);
    return 0;
}

DWORD __cdecl GetDisplayDevice(WinX3DContext *, int device, W3DDisplayInfo *info)
{
    if (info)
        lstrcpynA(info->szDevice, g_settings.display, sizeof info->szDevice);
    Log("GetDisplayDevice device=%d result=0 name=%s", device, g_settings.display);
    return 0;
}

}  // namespace

extern "C" DWORD __cdecl W3D_DDFillFunctions(WinX3DContext *context)
{
    ReadSettings();
    g_eyes[0] = g_eyes[1] = nullptr;
    g_presents = 0;
    g_seen.clear();
    if (!context || !context->pFunctions) {
        Log("Fill block=none result=%lu", (unsigned long)kW3DNullArgument);
        return kW3DNullArgument;
    }
    WinX3DFunctions *t = context->pFunctions;
    t->StartFlipping = StartFlipping;
    t->StopFlipping = StopFlipping;
    t->unused08 = (void *)Unexpected<0x08>;
    t->unused0c = (void *)Unexpected<0x0c>;
    t->Present = Present;
    t->unused14 = (void *)Unexpected<0x14>;
    t->SetEyeSurface = SetEyeSurface;
    t->unused1c = (void *)Unexpected<0x1c>;
    t->unused20 = (void *)Unexpected<0x20>;
    t->GetCaps = GetCaps;
    t->Unload = Unexpected<0x28>;
    t->GetSurfaceStatus = GetSurfaceStatus;
    t->unused30 = (void *)Unexpected<0x30>;
    t->unused34 = (void *)Unexpected<0x34>;
    t->unused38 = (void *)Unexpected<0x38>;
    context->pDriverBlock = nullptr;
    if (g_settings.block) {
        // Only as many bytes as the size says: the entries beyond it do
        // not exist.
        auto *block = (WinX3DDriverBlock *)GlobalAlloc(GPTR, g_settings.block);
        if (block) {
            block->cbSize = g_settings.block;
            block->Close = Close;
            block->AttachPrimary = AttachPrimary;
            if (g_settings.block >= kW3DBlockFull) {
                block->SelectDevice = SelectDevice;
                block->GetDisplayDevice = GetDisplayDevice;
            }
            context->pDriverBlock = block;
        }
    }
    if (context->pDriverBlock)
        Log("Fill block=%lu", (unsigned long)g_settings.block);
    else
        Log("Fill block=none");
    return 0;
}
