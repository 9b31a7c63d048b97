// The program's way to NVIDIA's NVAPI: "nvapi.dll" is loaded at run time
// and its one export, nvapi_QueryInterface, hands out each function for its
// 32-bit interface id. Every entry point below jumps through a table that
// starts with a stub, so a machine without the library (or a driver that
// lacks a function) answers with a status instead of crashing.
#ifndef TWR_DEVICES_NVAPI_ACCESS_H
#define TWR_DEVICES_NVAPI_ACCESS_H

typedef int NvAPI_Status;
typedef char NvAPI_ShortString[64];
typedef unsigned char NvU8;

enum : NvAPI_Status {
    NVAPI_OK = 0,
    NVAPI_ERROR = -1,
    NVAPI_LIBRARY_NOT_FOUND = -2,
    NVAPI_NO_IMPLEMENTATION = -3,
    NVAPI_API_NOT_INITIALIZED = -4,
};

// The interface ids the program asks for.
enum : unsigned {
    kNvApiIdInitialize = 0x0150E828u,
    kNvApiIdGetErrorMessage = 0x6C2D048Cu,
    kNvApiIdStereoIsEnabled = 0x348FF8E1u,
    kNvApiIdStereoEnable = 0x239C4545u,
    kNvApiIdStereoCreateConfigurationProfileRegistryKey = 0xBE7692ECu,
};

// The default registry profile of the stereo driver.
enum { NVAPI_STEREO_DEFAULT_REGISTRY_PROFILE = 0 };

// Loads the library and binds every entry once; 0 from then on. -2 when
// the library is absent, -1 when it has no query export or its own
// initialisation fails. The library stays loaded for the process's life.
NvAPI_Status NvAPI_Initialize();
// The text of status in text (always a terminated string; empty when the
// call fails).
NvAPI_Status NvAPI_GetErrorMessage(NvAPI_Status status, NvAPI_ShortString text);
NvAPI_Status NvAPI_Stereo_IsEnabled(NvU8 *enabled);
NvAPI_Status NvAPI_Stereo_Enable();
NvAPI_Status NvAPI_Stereo_CreateConfigurationProfileRegistryKey(int profile);

// The library NvAPI_Initialize loads: "nvapi.dll" (found the usual way)
// unless a test names another file.
extern const char *g_pszNvApiLibrary;
// For tests that initialise again in one process: forgets the binding
// (stubs again, not initialised). The loaded library stays.
void ResetNvApiForTests();

#endif
