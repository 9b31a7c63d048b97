#include "devices/flip_chain.h"

#include <string.h>

namespace {

struct CollectContext {
    int capacity;
    IDirectDrawSurface **array;
    int fill;
};

// Surfaces of the chain that are not back buffers to draw into.
const DWORD kNotAFlipBuffer = DDSCAPS_ALPHA | DDSCAPS_FRONTBUFFER | DDSCAPS_OVERLAY | DDSCAPS_PRIMARYSURFACE |
                              DDSCAPS_SYSTEMMEMORY | DDSCAPS_VISIBLE | DDSCAPS_ZBUFFER | DDSCAPS_LIVEVIDEO |
                              DDSCAPS_MIPMAP | DDSCAPS_ALLOCONLOAD;
static_assert(kNotAFlipBuffer == 0x44A8AA2, "the surfaces a flip chain skips");

}  // namespace

HRESULT CreateFlipChain(IDirectDraw *dd, IDirectDrawSurface **primary, int buffers, int minimum, int *count)
{
    if (!primary || !count)
        return 1;
    *count = 0;
    *primary = nullptr;
    if (!dd)
        return DDERR_INVALIDPARAMS;
    int back = buffers - 1;
    for (;;) {
        DDSURFACEDESC desc;
        memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps =
            DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY | DDSCAPS_3DDEVICE;
        desc.dwBackBufferCount = (DWORD)back;
        HRESULT hr = dd->CreateSurface(&desc, primary, nullptr);
        if (hr == DD_OK) {
            *count = back + 1;
            return 0;
        }
        *primary = nullptr;
        if (hr != DDERR_OUTOFVIDEOMEMORY || back < 1 || back < minimum)
            return hr;
        back--;
    }
}

HRESULT WINAPI CollectFlipSurfaceProc(IDirectDrawSurface *surface, DDSURFACEDESC *, void *context)
{
    CollectContext *c = (CollectContext *)context;
    // The enumeration hands each surface with a reference of its own; the
    // chain keeps its surfaces alive as long as the primary lives.
    if (c->fill >= c->capacity) {
        surface->Release();
        return DDENUMRET_CANCEL;
    }
    DDSCAPS caps = {};
    surface->GetCaps(&caps);
    bool take = !(caps.dwCaps & kNotAFlipBuffer) && (caps.dwCaps & DDSCAPS_FLIP) && (caps.dwCaps & DDSCAPS_VIDEOMEMORY);
    for (int i = 0; take && i < c->fill; i++)
        if (c->array[i] == surface)
            take = false;
    if (take)
        c->array[c->fill++] = surface;
    surface->Release();
    return DDENUMRET_OK;
}

int CollectFlipChain(IDirectDrawSurface *primary, IDirectDrawSurface **array, int count)
{
    if (!primary || !array || count <= 0)
        return 1;
    memset(array, 0, sizeof(*array) * (size_t)count);
    array[0] = primary;
    CollectContext c = {count, array, 1};
    for (int i = 0; i < c.fill && i < count; i++) {
        int before = c.fill;
        if (FAILED(array[i]->EnumAttachedSurfaces(&c, CollectFlipSurfaceProc)))
            break;
        if (c.fill == before)
            break;
    }
    return 1;
}

void ClearFlipSurfaces(IDirectDrawSurface *a, IDirectDrawSurface *b)
{
    IDirectDrawSurface *both[2] = {a, b};
    for (IDirectDrawSurface *s : both) {
        if (!s)
            continue;
        DDBLTFX fx;
        memset(&fx, 0, sizeof fx);
        fx.dwSize = sizeof fx;
        fx.dwFillColor = 0;
        s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
        while (s->GetBltStatus(DDGBS_ISBLTDONE) == DDERR_WASSTILLDRAWING)
            Sleep(0);
    }
}

int FindFreeFlipBuffer(WinX3DContext *context, int device, IDirectDrawSurface **surfaces, int count, int defaultIndex)
{
    for (int i = 0; i < count; i++) {
        DWORD status = 0;
        if (!surfaces[i])
            continue;
        W3DGetSurfaceStatus(context, device, surfaces[i], &status);
        if (!(status & (0x08 | 0x20)))
            return i;
    }
    return defaultIndex;
}

void RestoreLostSurface(IDirectDrawSurface *surface)
{
    if (surface && surface->IsLost() == DDERR_SURFACELOST)
        surface->Restore();
}
