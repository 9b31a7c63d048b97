#include "devices/nvapi_access.h"

#include <windows.h>

const char *g_pszNvApiLibrary = "nvapi.dll";

namespace {

// What an unbound entry answers: "not initialised" until a library was
// bound, then "not implemented" for what the driver lacks.
NvAPI_Status s_unbound = NVAPI_API_NOT_INITIALIZED;
bool s_initialised = false;

typedef void *(__cdecl *QueryInterfaceFn)(unsigned id);
typedef NvAPI_Status(__cdecl *InitializeFn)();
typedef NvAPI_Status(__cdecl *GetErrorMessageFn)(NvAPI_Status, NvAPI_ShortString);
typedef NvAPI_Status(__cdecl *IsEnabledFn)(NvU8 *);
typedef NvAPI_Status(__cdecl *EnableFn)();
typedef NvAPI_Status(__cdecl *CreateProfileKeyFn)(int);

NvAPI_Status __cdecl StubGetErrorMessage(NvAPI_Status, NvAPI_ShortString) { return s_unbound; }
NvAPI_Status __cdecl StubIsEnabled(NvU8 *) { return s_unbound; }
NvAPI_Status __cdecl StubEnable() { return s_unbound; }
NvAPI_Status __cdecl StubCreateProfileKey(int) { return s_unbound; }

struct NvApiEntry {
    void *function;
    unsigned id;
    void *stub;  // what function is before the library is bound, and after a reset
};

// The functions the program calls, ended by an id 0.
NvApiEntry s_table[] = {
    {(void *)StubGetErrorMessage, kNvApiIdGetErrorMessage, (void *)StubGetErrorMessage},
    {(void *)StubIsEnabled, kNvApiIdStereoIsEnabled, (void *)StubIsEnabled},
    {(void *)StubEnable, kNvApiIdStereoEnable, (void *)StubEnable},
    {(void *)StubCreateProfileKey, kNvApiIdStereoCreateConfigurationProfileRegistryKey, (void *)StubCreateProfileKey},
    {nullptr, 0, nullptr},
};

void *Entry(unsigned id)
{
    for (NvApiEntry *e = s_table; e->id; e++)
        if (e->id == id)
            return e->function;
    return nullptr;
}

NvAPI_Status Load()
{
    HMODULE library = LoadLibraryA(g_pszNvApiLibrary);
    if (!library)
        return NVAPI_LIBRARY_NOT_FOUND;
    QueryInterfaceFn query = (QueryInterfaceFn)(void *)GetProcAddress(library, "nvapi_QueryInterface");
    if (!query)
        return NVAPI_ERROR;
    InitializeFn initialize = (InitializeFn)query(kNvApiIdInitialize);
    if (!initialize || initialize() < 0)
        return NVAPI_ERROR;
    s_unbound = NVAPI_NO_IMPLEMENTATION;
    for (NvApiEntry *e = s_table; e->id; e++) {
        void *f = query(e->id);
        if (f)
            e->function = f;
    }
    return NVAPI_OK;
}

}  // namespace

NvAPI_Status NvAPI_Initialize()
{
    if (s_initialised)
        return NVAPI_OK;
    NvAPI_Status status = Load();
    if (status == NVAPI_OK)
        s_initialised = true;
    return status;
}

NvAPI_Status NvAPI_GetErrorMessage(NvAPI_Status status, NvAPI_ShortString text)
{
    // Callers show the text whatever the answer: never leave it unset.
    if (text)
        text[0] = 0;
    NvAPI_Status result = ((GetErrorMessageFn)Entry(kNvApiIdGetErrorMessage))(status, text);
    if (text)
        text[sizeof(NvAPI_ShortString) - 1] = 0;
    return result;
}

NvAPI_Status NvAPI_Stereo_IsEnabled(NvU8 *enabled)
{
    return ((IsEnabledFn)Entry(kNvApiIdStereoIsEnabled))(enabled);
}

NvAPI_Status NvAPI_Stereo_Enable() { return ((EnableFn)Entry(kNvApiIdStereoEnable))(); }

NvAPI_Status NvAPI_Stereo_CreateConfigurationProfileRegistryKey(int profile)
{
    return ((CreateProfileKeyFn)Entry(kNvApiIdStereoCreateConfigurationProfileRegistryKey))(profile);
}

void ResetNvApiForTests()
{
    s_initialised = false;
    s_unbound = NVAPI_API_NOT_INITIALIZED;
    for (int i = 0; s_table[i].id; i++)
        s_table[i].function = s_table[i].stub;
}
