#include "devices/named_texture.h"

#include "state/app_state.h"

#include <new>
#include <string.h>

NamedTexture *g_pTextureList = nullptr;

namespace {

void ReleaseSurface(NamedTexture *t)
{
    if (t->pddsSurface) {
        t->pddsSurface->Release();
        t->pddsSurface = nullptr;
    }
}

}  // namespace

void InitSurfaceDesc2(DDSURFACEDESC2 *desc, DWORD flags, DWORD caps)
{
    memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    desc->dwFlags = flags;
    desc->ddsCaps.dwCaps = caps;
    desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
}

void FitTextureSize(const D3DDEVICEDESC7 &desc, DWORD *width, DWORD *height)
{
    DWORD maxW = desc.dwMaxTextureWidth ? desc.dwMaxTextureWidth : 256;
    DWORD maxH = desc.dwMaxTextureHeight ? desc.dwMaxTextureHeight : 256;
    if (*width > maxW)
        *width = maxW;
    if (*height > maxH)
        *height = maxH;
    if (desc.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
        if (*width < *height)
            *width = *height;
        else
            *height = *width;
    }
}

HRESULT NamedTexture::Restore(IDirect3DDevice7 *device)
{
    ReleaseSurface(this);
    if (!device)
        return E_INVALIDARG;
    D3DDEVICEDESC7 caps;
    memset(&caps, 0, sizeof caps);
    if (FAILED(device->GetCaps(&caps)))
        return E_FAIL;

    DDSURFACEDESC2 desc;
    InitSurfaceDesc2(&desc, 0, 0);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_TEXTURESTAGE;
    desc.dwWidth = dwWidth;
    desc.dwHeight = dwHeight;
    desc.dwTextureStage = dwStage;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    // Hardware devices let the driver place the texture; software ones
    // read it from system memory. The driver picks the pixel format.
    if (caps.deviceGUID == IID_IDirect3DHALDevice || caps.deviceGUID == IID_IDirect3DTnLHalDevice)
        desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    FitTextureSize(caps, &desc.dwWidth, &desc.dwHeight);

    IDirectDrawSurface7 *target = nullptr;
    HRESULT hr = device->GetRenderTarget(&target);
    if (FAILED(hr) || !target)
        return FAILED(hr) ? hr : E_FAIL;
    IDirectDraw7 *dd = nullptr;
    hr = target->GetDDInterface((void **)&dd);
    target->Release();
    if (FAILED(hr) || !dd)
        return FAILED(hr) ? hr : E_FAIL;
    hr = dd->CreateSurface(&desc, &pddsSurface, nullptr);
    dd->Release();
    if (FAILED(hr))
        pddsSurface = nullptr;
    return hr;
}

void NamedTexture::Destroy()
{
    ReleaseSurface(this);
    delete[] pPixels;
    pPixels = nullptr;
    if (hBitmap) {
        DeleteObject(hBitmap);
        hBitmap = nullptr;
    }
    for (NamedTexture **link = &g_pTextureList; *link; link = &(*link)->pNext) {
        if (*link == this) {
            *link = pNext;
            break;
        }
    }
    pNext = nullptr;
}

HRESULT TextureCreate(const char *name, DWORD stage, DWORD flags)
{
    if (!name || strlen(name) >= sizeof(NamedTexture::szTextureName))
        return E_INVALIDARG;
    if (TextureFind(name))
        return 0;
    NamedTexture *t = new (std::nothrow) NamedTexture;
    if (!t)
        return E_OUTOFMEMORY;
    memset(t, 0, sizeof *t);
    lstrcpyA(t->szTextureName, name);
    t->dwStage = stage;
    t->dwCreateFlags = flags;
    t->dwWidth = 2 * (DWORD)g_n3DWidth;
    t->dwHeight = (DWORD)g_n3DHeight;
    t->dwBits = 24;
    t->pNext = g_pTextureList;
    g_pTextureList = t;
    return 0;
}

NamedTexture *TextureFind(const char *name)
{
    if (!name)
        return nullptr;
    for (NamedTexture *t = g_pTextureList; t; t = t->pNext)
        if (lstrcmpiA(t->szTextureName, name) == 0)
            return t;
    return nullptr;
}

HRESULT TextureRestore(const char *name, IDirect3DDevice7 *device)
{
    NamedTexture *t = TextureFind(name);
    return t ? t->Restore(device) : DDERR_NOTFOUND;
}

HRESULT TextureRestoreAll(IDirect3DDevice7 *device)
{
    for (NamedTexture *t = g_pTextureList; t; t = t->pNext)
        TextureRestore(t->szTextureName, device);
    return 0;
}

HRESULT TextureInvalidateAll()
{
    for (NamedTexture *t = g_pTextureList; t; t = t->pNext)
        ReleaseSurface(t);
    return 0;
}

HRESULT TextureDestroy(const char *name)
{
    NamedTexture *t = TextureFind(name);
    if (t) {
        t->Destroy();
        delete t;
    }
    return 0;
}

IDirectDrawSurface7 *TextureGetSurface(const char *name)
{
    NamedTexture *t = TextureFind(name);
    return t ? t->pddsSurface : nullptr;
}

void DestroyTextureListHead()
{
    NamedTexture *head = g_pTextureList;
    if (head) {
        head->Destroy();
        delete head;
    }
}
