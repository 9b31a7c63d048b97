// Loading the WinX3D driver "W3D_DD.DLL", its registry values, and the
// guarded calls into its function table and driver block.
#include "devices/winx3d_driver.h"

#include "shared/path_helpers.h"

#include <stdio.h>
#include <string.h>

namespace {

const char kDriverKey[] = "SOFTWARE\\W3D";
const char kFolderValue[] = "WIN3D";
const char kDriverFile[] = "W3D_DD.DLL";
const char kFillExport[] = "W3D_DDFillFunctions";
const int kPathBytes = 260;
// The enumeration's buffers: longer names or data are skipped.
const DWORD kValueNameBytes = 80;
const DWORD kValueDataBytes = 256;
// Unload refuses a context smaller than its first three fields.
const DWORD kContextMinimum = 12;

// True when the driver block exists and is long enough to hold the entry
// that ends at `end` bytes. A missing block counts as size 0.
bool BlockReaches(const WinX3DContext *c, size_t end)
{
    return c && c->pDriverBlock && c->pDriverBlock->cbSize >= end;
}

size_t EndOf(size_t offset) { return offset + sizeof(void *); }

// The table of a context, or null; *error says why there is none.
WinX3DFunctions *TableOf(WinX3DContext *c, DWORD *error)
{
    if (!c) {
        *error = kW3DNullArgument;
        return nullptr;
    }
    if (!c->pFunctions) {
        *error = kW3DNotLoadable;
        return nullptr;
    }
    return c->pFunctions;
}

void FreeLoad(WinX3DContext *context, WinX3DFunctions *table, HMODULE module)
{
    if (module)
        FreeLibrary(module);
    if (table)
        GlobalFree(table);
    if (context)
        GlobalFree(context);
}

// Whether the text's last character (not a trailing byte of a double-byte
// character) is a backslash.
bool EndsInBackslash(const char *text)
{
    bool last = false;
    for (size_t i = 0; text[i]; i++) {
        if (IsPathLeadByte((unsigned char)text[i]) && text[i + 1]) {
            i++;
            last = false;
            continue;
        }
        last = text[i] == '\\';
    }
    return last;
}

// The driver's full path from its folder; false when it does not fit.
bool JoinDriverPath(const char *folder, char (&path)[kPathBytes])
{
    size_t length = strlen(folder);
    bool slash = !EndsInBackslash(folder);
    if (length + (slash ? 1 : 0) + strlen(kDriverFile) + 1 > sizeof path)
        return false;
    snprintf(path, sizeof path, "%s%s%s", folder, slash ? "\\" : "", kDriverFile);
    return true;
}

}  // namespace

int CompareNoCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        int x = (unsigned char)*a, y = (unsigned char)*b;
        if (x >= 'a' && x <= 'z')
            x -= 'a' - 'A';
        if (y >= 'a' && y <= 'z')
            y -= 'a' - 'A';
        if (x != y || !x)
            return x - y;
    }
}

DWORD GetWinX3DFlipperKey(int device, char *out)
{
    if (device == -1)
        snprintf(out, 64, "%s\\FLIPPER\\WIN3D", kDriverKey);
    else
        snprintf(out, 64, "%s\\FLIPPER\\WIN3D\\%d", kDriverKey, device);
    return 0;
}

DWORD FindRegistryValue(HKEY root, const char *key, const char *name, char *text, int length, DWORD *value,
                        const char *defaultText, DWORD defaultValue)
{
    if (text) {
        if (length > 0 && defaultText)
            lstrcpynA(text, defaultText, length);
        if (value)
            *value = defaultValue;
    } else {
        if (!value)
            return kW3DRegistryAbsent;
        *value = defaultValue;
    }
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return kW3DRegistryAbsent;
    bool taken = false;
    for (DWORD index = 0; !taken; index++) {
        char valueName[kValueNameBytes];
        BYTE data[kValueDataBytes];
        DWORD nameBytes = sizeof valueName, dataBytes = sizeof data, type = 0;
        LONG r = RegEnumValueA(opened, index, valueName, &nameBytes, nullptr, &type, data, &dataBytes);
        // A name or data too long for the buffers is not the value looked
        // for; the values after it still are candidates.
        if (r == ERROR_MORE_DATA)
            continue;
        if (r != ERROR_SUCCESS)
            break;
        if (nameBytes >= sizeof valueName || CompareNoCase(valueName, name) != 0)
            continue;
        taken = true;
        if (text) {
            if (length > 0) {
                size_t n = 0;
                while (n < dataBytes && n < (size_t)length - 1 && data[n])
                    n++;
                memcpy(text, data, n);
                text[n] = 0;
            }
        } else {
            DWORD word = 0;
            memcpy(&word, data, dataBytes < sizeof word ? dataBytes : sizeof word);
            *value = word;
        }
    }
    RegCloseKey(opened);
    return taken ? 0u : (DWORD)kW3DRegistryAbsent;
}

DWORD GetWinX3DRefreshRate(int width, int height, int bits, int device, DWORD *rate)
{
    if (!rate)
        return 1;
    char key[64], name[64];
    GetWinX3DFlipperKey(device, key);
    snprintf(name, sizeof name, "RateFor%dx%dx%d", width, height, bits);
    DWORD result = FindRegistryValue(HKEY_LOCAL_MACHINE, key, name, nullptr, 0, rate, nullptr, 0);
    if (result != 0 || *rate == 0) {
        DWORD fallback = 0;
        snprintf(name, sizeof name, "RateFor%dx%d", width, height);
        FindRegistryValue(HKEY_LOCAL_MACHINE, key, name, nullptr, 0, &fallback, nullptr, 0);
        *rate = fallback;
    }
    return result;
}

DWORD LoadWinX3D(WinX3DContext **out)
{
    if (!out)
        return kW3DNullArgument;
    *out = nullptr;
    auto *context = (WinX3DContext *)GlobalAlloc(GPTR, sizeof(WinX3DContext));
    auto *table = (WinX3DFunctions *)GlobalAlloc(GPTR, sizeof(WinX3DFunctions));
    if (!context || !table) {
        FreeLoad(context, table, nullptr);
        return kW3DNoMemory;
    }
    context->pFunctions = table;
    char folder[kPathBytes];
    if (FindRegistryValue(HKEY_LOCAL_MACHINE, kDriverKey, kFolderValue, folder, sizeof folder, nullptr, "", 0) != 0) {
        FreeLoad(context, table, nullptr);
        return kW3DRegistryAbsent;
    }
    char path[kPathBytes];
    HMODULE module = JoinDriverPath(folder, path) ? LoadLibraryA(path) : nullptr;
    auto fill = module ? (W3DFillFunctionsFn)(void *)GetProcAddress(module, kFillExport) : nullptr;
    if (!fill) {
        FreeLoad(context, table, module);
        return kW3DNotLoadable;
    }
    context->cbSize = kW3DContextBytes;
    context->hModule = module;
    fill(context);
    // The table's own unload is never trusted: the program frees what it
    // allocated itself.
    table->Unload = UnloadWinX3D;
    *out = context;
    return 0;
}

DWORD __cdecl UnloadWinX3D(WinX3DContext *context)
{
    if (!context)
        return kW3DNullArgument;
    if (context->cbSize < kContextMinimum)
        return kW3DContextTooSmall;
    if (WinX3DDriverBlock *block = context->pDriverBlock) {
        if (BlockReaches(context, EndOf(offsetof(WinX3DDriverBlock, Close))) && block->Close)
            block->Close(context);
        GlobalFree(GlobalHandle(block));
        context->pDriverBlock = nullptr;
    }
    FreeLoad(context, context->pFunctions, context->hModule);
    return 0;
}

DWORD GetWinX3DDisplayInfo(HWND window, WinX3DContext *context, int device, W3DDisplayInfo *info)
{
    if (!context || !info)
        return 1;
    DWORD result = 0;
    if (BlockReaches(context, kW3DBlockFull) && context->pDriverBlock->GetDisplayDevice) {
        result = context->pDriverBlock->GetDisplayDevice(context, device, info);
        info->szDevice[sizeof info->szDevice - 1] = 0;
    } else {
        lstrcpynA(info->szDevice, "display", sizeof info->szDevice);
    }
    HDC dc = CreateDCA(info->szDevice, nullptr, nullptr, nullptr);
    if (!dc)
        return kW3DNoDeviceContext;
    info->nWidth = GetDeviceCaps(dc, HORZRES);
    info->nHeight = GetDeviceCaps(dc, VERTRES);
    info->nBits = GetDeviceCaps(dc, BITSPIXEL);
    info->hwnd = window;
    GetWindowRect(window, &info->rcWindow);
    DeleteDC(dc);
    return result;
}

DWORD W3DStartFlipping(WinX3DContext *c, int device, IDirectDraw *dd, IDirectDrawSurface *a, IDirectDrawSurface *b)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    return t->StartFlipping ? t->StartFlipping(c, device, dd, a, b) : kW3DNotLoadable;
}

DWORD W3DStopFlipping(WinX3DContext *c, int device, IDirectDraw *dd, IDirectDrawSurface *a, IDirectDrawSurface *b)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    return t->StopFlipping ? t->StopFlipping(c, device, dd, a, b) : kW3DNotLoadable;
}

DWORD W3DPresent(WinX3DContext *c, int device)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    return t->Present ? t->Present(c, device, 1) : kW3DNotLoadable;
}

DWORD W3DSetEyeSurface(WinX3DContext *c, int device, IDirectDrawSurface *surface, int leftEye)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    return t->SetEyeSurface ? t->SetEyeSurface(c, device, surface, leftEye) : kW3DNotLoadable;
}

DWORD W3DGetCaps(WinX3DContext *c, int device, WinX3DCaps *caps)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    if (!caps)
        return kW3DNullArgument;
    caps->cbSize = sizeof(WinX3DCaps);
    return t->GetCaps ? t->GetCaps(c, device, caps) : kW3DNotLoadable;
}

DWORD W3DUnload(WinX3DContext *c)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    return t->Unload ? t->Unload(c) : kW3DNotLoadable;
}

DWORD W3DGetSurfaceStatus(WinX3DContext *c, int device, IDirectDrawSurface *surface, DWORD *status)
{
    DWORD error;
    WinX3DFunctions *t = TableOf(c, &error);
    if (!t)
        return error;
    if (!status)
        return kW3DNullArgument;
    *status = 0;
    return t->GetSurfaceStatus ? t->GetSurfaceStatus(c, device, surface, status) : kW3DNotLoadable;
}

bool W3DHasSelectDevice(const WinX3DContext *c)
{
    return BlockReaches(c, kW3DBlockFull) && c->pDriverBlock->SelectDevice;
}

DWORD W3DSelectDevice(WinX3DContext *c, int *device)
{
    if (!c || !device)
        return kW3DNullArgument;
    if (!W3DHasSelectDevice(c))
        return kW3DNotLoadable;
    *device = 0;
    return c->pDriverBlock->SelectDevice(c, 0, device);
}

DWORD W3DAttachPrimary(WinX3DContext *c, int device, IDirectDrawSurface *primary)
{
    if (!c)
        return kW3DNullArgument;
    if (!BlockReaches(c, kW3DBlockShort) || !c->pDriverBlock->AttachPrimary)
        return kW3DNotLoadable;
    return c->pDriverBlock->AttachPrimary(c, device, primary);
}
