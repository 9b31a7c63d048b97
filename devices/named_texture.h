// The player's drawing surface kept by name: a process-wide list of
// textures that remember their size and options and hold the surface made
// from them on the current device, so that a device change can drop every
// surface and make it again on the new device.
#ifndef TWR_DEVICES_NAMED_TEXTURE_H
#define TWR_DEVICES_NAMED_TEXTURE_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

struct NamedTexture {
    char szTextureName[80];
    NamedTexture *pNext;
    DWORD dwWidth, dwHeight;
    DWORD dwStage;
    DWORD dwBits;
    DWORD dwCreateFlags;
    DWORD dwReserved;
    IDirectDrawSurface7 *pddsSurface;
    HBITMAP hBitmap;
    BYTE *pPixels;

    // The surface made again on device; 0 or the failure.
    HRESULT Restore(IDirect3DDevice7 *device);
    // Releases everything and unlinks the node (the caller deletes it).
    void Destroy();
};

extern NamedTexture *g_pTextureList;

// E_INVALIDARG for a null name or one of 80 bytes or more; 0 without
// change when the name exists; else a new node at the head, sized 2 x
// g_n3DWidth by g_n3DHeight, 24 bits, no surface yet.
HRESULT TextureCreate(const char *name, DWORD stage, DWORD flags);
NamedTexture *TextureFind(const char *name);  // case ignored
HRESULT TextureRestore(const char *name, IDirect3DDevice7 *device);  // DDERR_NOTFOUND when absent
HRESULT TextureRestoreAll(IDirect3DDevice7 *device);
HRESULT TextureInvalidateAll();
HRESULT TextureDestroy(const char *name);
IDirectDrawSurface7 *TextureGetSurface(const char *name);
void InitSurfaceDesc2(DDSURFACEDESC2 *desc, DWORD flags, DWORD caps);

// The size a texture of width x height gets on a device with desc: each
// side cut to the device's limit (0 counts as 256), the smaller raised to
// the larger when the device takes square textures only.
void FitTextureSize(const D3DDEVICEDESC7 &desc, DWORD *width, DWORD *height);

// Registered with atexit at start-up: destroys the head node.
void DestroyTextureListHead();

#endif
